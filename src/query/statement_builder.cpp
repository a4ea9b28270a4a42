#include "query/statement_builder.h"

#include "platform/prompt.h"

#include <QElapsedTimer>

#include <memory>
#include <optional>

namespace zek::query {

namespace {

const QString CrLf = QStringLiteral("\r\n");

// The hourglass for the length of a run, back to normal on every way out.
class BusyPointer {
public:
    explicit BusyPointer(const QueryHooks& hooks) : m_busy(hooks.busy) {
        if (m_busy)
            m_busy(true);
    }
    ~BusyPointer() { end(); }
    // Back to the normal pointer before a message box, so the box is not shown under the hourglass.
    void end() {
        if (m_busy)
            m_busy(false);
        m_busy = nullptr;
    }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    std::function<void(bool)> m_busy;
};

// A text value as the pattern of LIKE. Of the engine's pattern characters only "*" and "?" are the
// user's wildcards; "#" (any digit) and "[" (a character list) are characters of names, so each is
// put in a list of its own, where it stands for itself: N#1 selects "N#1.TXT" and not "N51.TXT".
QString likePattern(const QString& value) {
    QString pattern;
    pattern.reserve(value.size() + 8);
    for (const QChar c : value) {
        if (c == u'#' || c == u'[')
            pattern += u'[' + QString(c) + u']';
        else
            pattern += c;
    }
    return pattern;
}

} // namespace

QString buildOrderByList(const Sorters& sorters, SortKeys& sortKeys) {
    QString list;
    size_t k = 0;
    for (const Sorter& sorter : sorters) {
        if (sorter.text.trimmed().isEmpty())
            continue;
        if (!list.isEmpty())
            list += u',';
        list += sorter.text;
        SortKey& key = sortKeys[k++];
        if (sorter.ascending) {
            key.direction = SortAscending;
        } else {
            list += QLatin1String(" DESC");
            key.direction = SortDescending;
        }
        key.sortField = sorter.text;
    }
    if (list.isEmpty())
        list = DefaultOrderByList;
    return list;
}

QString buildWhereClause(const QueryLines& lines) {
    QString clause;
    for (int n = 1; n <= lines.count(); ++n) {
        const QueryLine& line = lines.line(n);
        clause += line.bracketL.trimmed();
        // A line without a field adds only its left brackets.
        if (line.field.trimmed().isEmpty())
            continue;
        const QString e = line.evaluation.trimmed();
        const bool negated = e.contains(QLatin1String("NOT"), Qt::CaseSensitive);
        const QString op = negated ? e.mid(4) : e;
        const QString value =
            op == QLatin1String("LIKE") ? likePattern(line.value.trimmed()) : line.value.trimmed();
        if (negated)
            clause += "NOT (" + line.field.trimmed() + " " + op + " " + value + ")";
        else
            clause += line.field.trimmed() + " " + e + " " + value;
        clause += line.bracketR.trimmed();
        if (line.connection.trimmed().isEmpty())
            clause += QLatin1String(" AND ");
        else
            clause += " " + line.connection.trimmed() + " ";
    }
    if (clause.endsWith(QLatin1String(" AND ")))
        clause.chop(5);
    return clause;
}

QString buildSelectStatement(const QString& whereClause, const QString& orderByList) {
    QString statement = QStringLiteral("SELECT * FROM FILETYPE");
    if (!whereClause.trimmed().isEmpty())
        statement += " WHERE " + whereClause;
    statement += " ORDER BY " + orderByList;
    return statement;
}

QString selectionErrorText(int number, const QString& description, const QString& statement) {
    return "Error # " + QString::number(number) + " : " + description + CrLf +
           "occured when selecting the files with:" + CrLf + statement;
}

SelectionOutcome buildQueryAndReports(work::WorkState& ws, QueryState& qs) {
    BusyPointer busy(qs.hooks);
    qs.orderByList = buildOrderByList(ws.settings.sorters, qs.sortKeys);
    qs.whereClause = buildWhereClause(ws.settings.queryLines);
    qs.selectStatement = buildSelectStatement(qs.whereClause, qs.orderByList);

    // The open, the move to the end and the count form one step: whatever the engine refuses, the
    // user hears of it once and the selection of the previous run stays in place.
    std::unique_ptr<db::Recordset> selection;
    long long count = 0;
    try {
        if (!ws.database)
            throw db::EngineError(db::ErrObjectClosed, QStringLiteral("Object invalid or no longer set."));
        QElapsedTimer sinceEvents;
        sinceEvents.start();
        std::optional<db::ProgressScope> answering;
        if (qs.hooks.processEvents)
            answering.emplace(*ws.database, [&] {
                if (sinceEvents.elapsed() >= 25) {
                    qs.hooks.processEvents();
                    sinceEvents.restart();
                }
            });
        selection = ws.database->openSql(qs.selectStatement);
        selection->moveLast();
        count = selection->recordCount();
    } catch (const db::EngineError& e) {
        if (selection)
            selection->close();
        busy.end();
        platform::msgBox(selectionErrorText(e.number(), e.description(), qs.selectStatement));
        return SelectionOutcome::Rejected;
    }

    const auto slot = static_cast<size_t>(work::SqlRecordset::Selection);
    if (ws.sqlRecordsets[slot])
        ws.sqlRecordsets[slot]->close();
    ws.sqlRecordsets[slot] = std::move(selection);
    ws.sqlTexts[slot] = qs.selectStatement;
    ws.sqlFlags[slot] = true;
    ws.scanResult = count;

    if (count == 0) {
        busy.end();
        platform::msgBox(NoFilesInSelectionText);
        return SelectionOutcome::Empty;
    }
    // The Detail report (with its viewer RptForm) and then the Summary report (with SRptForm).
    if (qs.hooks.buildReports)
        qs.hooks.buildReports();
    return SelectionOutcome::Selected;
}

} // namespace zek::query
