#include "report/report_text.h"

#include "report/cell_text.h"

#include <QIODevice>
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace zek::report {

namespace {

constexpr double TwipsPerCharacter = 120.0;
const QString ColumnGap = QStringLiteral("  ");

QString trimmedEnd(QString text) {
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    text.truncate(end);
    return text;
}

// The rows of the page the engine shows: a last page holds fewer than rowsPerPage.
int rowsOnPage(const ReportEngine& engine, int page) {
    const int before = (page - 1) * engine.rowsPerPage();
    return std::clamp(engine.rowCount() - before, 0, engine.rowsPerPage());
}

// A cell as the viewer shows it: Detail cells without their surrounding blanks, Summary cells
// as they are.
QString shownCell(const ReportEngine& engine, const QString& cell) {
    return engine.kind() == ReportKind::Detail ? cell.trimmed() : cell;
}

template <typename EachRow>
void forEachRow(ReportEngine& engine, const PageProgress& progress, EachRow eachRow) {
    for (int p = 1; p <= engine.pageCount(); ++p) {
        engine.rptNewPage(p);
        const std::vector<QStringList>& rows = engine.page().rows;
        const int count = std::min(rowsOnPage(engine, p), static_cast<int>(rows.size()));
        for (int r = 0; r < count; ++r)
            eachRow(rows[static_cast<size_t>(r)]);
        if (progress)
            progress(p, engine.pageCount());
    }
}

} // namespace

int textColumnChars(int widthTwips) {
    return std::max(0, static_cast<int>(std::lround(widthTwips / TwipsPerCharacter)));
}

QString textLine(const std::vector<TextColumn>& columns, const QStringList& cells) {
    QString line;
    for (size_t c = 0; c < columns.size(); ++c) {
        const TextColumn& column = columns[c];
        const QString cell =
            c < static_cast<size_t>(cells.size()) ? oneLineText(cells[static_cast<qsizetype>(c)]) : QString();
        const qsizetype room = std::max<qsizetype>(0, column.width - cell.size());
        if (c > 0)
            line += ColumnGap;
        if (column.alignment == 1)
            line += QString(room, u' ') + cell;
        else if (column.alignment == 2)
            line += QString(room / 2, u' ') + cell + QString(room - room / 2, u' ');
        else
            line += cell + QString(room, u' ');
    }
    return trimmedEnd(line);
}

void writeReportText(QIODevice& out, ReportEngine& engine, const PageProgress& progress) {
    std::vector<TextColumn> columns;
    for (int c = 1; c <= engine.columnCount(); ++c) {
        const ColumnDefinition& definition = engine.column(c);
        TextColumn column;
        column.heading = trimmedEnd(engine.headings().value(c - 1));
        column.width =
            std::max<int>(textColumnChars(definition.width), static_cast<int>(column.heading.size()));
        column.alignment = definition.alignment;
        columns.push_back(column);
    }
    // A first pass finds the longest cell of every column.
    forEachRow(engine, {}, [&](const QStringList& cells) {
        for (size_t c = 0; c < columns.size() && c < static_cast<size_t>(cells.size()); ++c) {
            const int length = static_cast<int>(shownCell(engine, cells[static_cast<qsizetype>(c)]).size());
            columns[c].width = std::max(columns[c].width, length);
        }
    });

    QTextStream stream(&out);
    QStringList headings;
    for (const TextColumn& column : columns)
        headings << column.heading;
    stream << textLine(columns, headings) << '\n';
    forEachRow(engine, progress, [&](const QStringList& cells) {
        QStringList shown;
        for (const QString& cell : cells)
            shown << shownCell(engine, cell);
        stream << textLine(columns, shown) << '\n';
    });
    stream.flush();
}

} // namespace zek::report
