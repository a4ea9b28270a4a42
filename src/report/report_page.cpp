// Showing a page: the page's rows read from the report's record table by SEEKID.
#include "report/report_engine.h"

#include "platform/prompt.h"

namespace zek::report {

void ReportEngine::clearPage() {
    for (QStringList& row : m_page.rows)
        for (QString& cell : row)
            cell.clear();
}

db::Recordset& ReportEngine::openRecordTable() {
    if (!m_ws.database || !m_ws.databaseOpen)
        throw db::EngineError(db::ErrObjectClosed, QStringLiteral("Object invalid or no longer set."));
    const work::WorkTable table = recordTable();
    if (!m_ws.table(table)) {
        m_ws.tables[static_cast<size_t>(table)] = m_ws.database->openTable(work::tableName(table));
        m_ws.flag(table) = true;
    }
    return *m_ws.table(table);
}

void ReportEngine::readPage(int page) {
    db::Recordset& records = openRecordTable();
    records.setIndex(QStringLiteral("SEEKID"));
    const int first = (page - 1) * m_rowsPerPage + 1;
    records.seek(QStringLiteral("="), {first});
    if (records.noMatch()) {
        platform::msgBox(LocateErrorText, platform::MbOkOnly, platform::DefaultMessageTitle);
        return;
    }
    const QString nullText = m_kind == ReportKind::Detail ? QString() : QStringLiteral("---");
    const int last = std::min(page * m_rowsPerPage, m_rowCount);
    // A record table shorter than the report leaves the rest of the page empty.
    for (int r = first; r <= last && !records.eof(); ++r) {
        const int gridRow = r % m_rowsPerPage == 0 ? m_rowsPerPage : r % m_rowsPerPage;
        QStringList& cells = m_page.rows[static_cast<size_t>(gridRow - 1)];
        for (int c = 1; c <= m_columnCount; ++c) {
            const QVariant value = records.value(c - 1);
            cells[c - 1] = value.isValid() ? value.toString() : nullText;
        }
        records.moveNext();
    }
}

void ReportEngine::rptNewPage(int page) {
    if (page < 1 || page > m_pageCount) {
        misuse(Operation::NewPage, InvalidPageText);
        return;
    }
    clearPage();
    m_currentPage = page;
    m_page.number = page;
    QString title = m_title;
    while (title.endsWith(QLatin1Char(' ')))
        title.chop(1);
    setCaption(title + " - (Page " + QString::number(page) + " of " + QString::number(m_pageCount) + ")");
    try {
        readPage(page);
    } catch (const db::EngineError& e) {
        clearPage();
        platform::msgBox("Error # " + QString::number(e.number()) + " : " + e.description(),
                         platform::MbOkOnly | platform::MbCritical, operationName(Operation::NewPage));
    }
    Q_EMIT pageChanged();
}

} // namespace zek::report
