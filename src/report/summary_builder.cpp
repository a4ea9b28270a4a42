// The Summary report: the figures per group in FILESUMINTTYPE, the report's rows formatted in
// FILESUMTYPE, and the Summary engine defined over them.
//
// The table work runs in one transaction: a build that fails leaves the work file with the tables it
// had before. Sizes and sums are 64-bit throughout.
#include "db/record_appender.h"
#include "platform/number_text.h"
#include "platform/prompt.h"
#include "report/cell_text.h"
#include "report/report_build.h"
#include "report/summary_groups.h"
#include "work/file_fields.h"
#include "work/work_file.h"

#include <QElapsedTimer>
#include <QHash>

#include <array>
#include <optional>

namespace zek::report {

namespace {

using work::WorkTable;

const QString SummaryTitle = QStringLiteral("Summary Report");
constexpr int ThinRuleInterval = 5;
constexpr int ThickRuleInterval = 10;

bool needsRebuild(work::WorkState& ws) {
    using work::SettingsGroup;
    return !(ws.unchanged(SettingsGroup::Folders) && ws.unchanged(SettingsGroup::QueryLines) &&
             ws.unchanged(SettingsGroup::SummaryColumns) && ws.unchanged(SettingsGroup::Sorters));
}

QStringList fieldNames(const db::TableDef& def) {
    QStringList names;
    for (const db::FieldDef& f : def.fields)
        names.append(f.name);
    return names;
}

// The record sets of the two summary tables go; the engine opens FILESUMTYPE again when it pages.
void closeSummaryTables(work::WorkState& ws) {
    for (const WorkTable t : {WorkTable::Filesuminttype, WorkTable::Filesumtype}) {
        auto& records = ws.tables[static_cast<size_t>(t)];
        if (records)
            records->close();
        records.reset();
        ws.flag(t) = false;
    }
}

// ---- figures per group (FILESUMINTTYPE) --------------------------------------------------------

struct SelectedGroup {
    qint64 count = 0;
    qint64 size = 0;
};

// A group's value as a hash key: equal values of the same type, and nothing else, share a key, so
// the lookup finds what a search for the exact value would (a Null group finds the Null group).
QString groupKey(const QVariant& value) {
    if (value.isNull())
        return QStringLiteral("n");
    switch (value.typeId()) {
    case QMetaType::QString:
        return QLatin1Char('s') + value.toString();
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("b1") : QStringLiteral("b0");
    case QMetaType::Double:
        return QLatin1Char('d') + QString::number(value.toDouble(), 'g', 17);
    default:
        return QLatin1Char('i') + QString::number(value.toLongLong());
    }
}

qint64 wholeValue(const QVariant& value) {
    return value.isNull() ? 0 : value.toLongLong();
}

// The selected entries per group, read once: looking each group up by key keeps the build linear
// however many groups there are. The first record of a value counts, as a search from the start
// would find it.
QHash<QString, SelectedGroup> readSelectedGroups(db::Recordset& selected, Breather& breathe) {
    const int count = selected.fieldCount() - 1; // SEL is last
    const int size = 1;                          // SELSIZE follows the group's value
    QHash<QString, SelectedGroup> groups;
    for (; !selected.eof(); selected.moveNext()) {
        const QString key = groupKey(selected.value(0));
        if (!groups.contains(key))
            groups.insert(key,
                          SelectedGroup{wholeValue(selected.value(count)), wholeValue(selected.value(size))});
        breathe();
    }
    return groups;
}

// Writes one FILESUMINTTYPE record per group with the appender; fields set by their position in the
// table's definition.
class FiguresWriter {
public:
    FiguresWriter(db::Database& db, const db::TableDef& def, const QString& groupingField)
        : m_names(fieldNames(def)), m_appender(db, def.name, m_names) {
        m_grouping = static_cast<int>(m_names.indexOf(groupingField));
        m_groupingType = def.fields[static_cast<size_t>(m_grouping)].type;
        // A figure the column list does not show has no field.
        for (size_t f = 0; f < FigureCount; ++f) {
            const qsizetype field = m_names.indexOf(QLatin1String(FigureNames[f]));
            m_figureFields[f] = field >= 0 && field != m_grouping ? static_cast<int>(field) : -1;
        }
    }

    void write(const QVariant& group, const GroupFigures& own, const CumulatedGroup& cumulated, int level) {
        if (!group.isNull()) {
            if (m_groupingType == db::FieldType::Text) {
                m_text = group.toString().toUtf8();
                m_appender.setText(m_grouping, std::string_view(m_text.constData(), size_t(m_text.size())));
            } else if (m_groupingType == db::FieldType::Boolean) {
                m_appender.setBoolean(m_grouping, group.toBool());
            } else {
                m_appender.setInteger(m_grouping, group.toLongLong());
            }
        }
        const GroupFigures& cumul = cumulated.cumulative;
        const std::array<qint64, FigureCount> values{
            own.selected,   own.selectedSize,   own.unselected,   own.unselectedSize,
            cumul.selected, cumul.selectedSize, cumul.unselected, cumul.unselectedSize,
            level,          cumulated.subgroups};
        for (size_t f = 0; f < FigureCount; ++f)
            if (m_figureFields[f] >= 0)
                m_appender.setInteger(m_figureFields[f], values[f]);
        m_appender.append();
    }

private:
    static constexpr size_t FigureCount = 10;
    static constexpr std::array<const char*, FigureCount> FigureNames{
        "SEL",          "SELSIZE",    "UNSEL",          "UNSELSIZE", "CUMULSEL",
        "CUMULSELSIZE", "CUMULUNSEL", "CUMULUNSELSIZE", "PATHLEVEL", "PATHSUBAANT"};

    QStringList m_names;
    std::array<int, FigureCount> m_figureFields{};
    db::RecordAppender m_appender;
    int m_grouping = 0;
    db::FieldType m_groupingType = db::FieldType::Text;
    QByteArray m_text;
};

// Every group with its own figures, and for folder groups the figures cumulated over the folders
// below it. Folder groups arrive in descending path order: a stored folder path ends in "/" and
// paths compare byte by byte, so a folder's subfolders come directly before it, ahead of siblings
// such as "A.old" or "A-2" that would otherwise sort between "A/B" and "A".
void writeFigures(db::Database& db, const db::TableDef& def, const SummaryGrouping& grouping,
                  const QString& whereClause, Breather& breathe) {
    const bool folders = isFolderGrouping(grouping.field);
    std::unique_ptr<db::Recordset> all = db.openSql(allEntriesStatement(grouping));
    QHash<QString, SelectedGroup> selected;
    {
        std::unique_ptr<db::Recordset> chosen = db.openSql(selectedEntriesStatement(grouping, whereClause));
        selected = readSelectedGroups(*chosen, breathe);
    }
    // The group's value, TOTALSIZE, [PATHLEVEL,] TOTALSEL.
    const int totalSize = 1;
    const int level = 2;
    const int totalCount = all->fieldCount() - 1;

    FiguresWriter writer(db, def, grouping.field);
    FolderCumulation cumulation;
    for (; !all->eof(); all->moveNext()) {
        const QVariant group = all->value(0);
        const qint64 count = wholeValue(all->value(totalCount));
        const qint64 size = wholeValue(all->value(totalSize));
        const auto found = selected.constFind(groupKey(group));
        const SelectedGroup mine = found == selected.constEnd() ? SelectedGroup{} : *found;
        const GroupFigures own{mine.count, mine.size, count - mine.count, size - mine.size};
        if (folders) {
            const int depth = static_cast<int>(all->value(level).toDouble());
            writer.write(group, own, cumulation.add(depth, own), depth);
        } else {
            writer.write(group, own, CumulatedGroup{own, 0}, 0);
        }
        breathe();
    }
}

// ---- the report's rows (FILESUMTYPE) -----------------------------------------------------------

// How a column's cells are written, decided once per column by the first rule its name matches.
enum class CellRule { Text, Size, Date, Time, Attribute, Number };

struct CellFormat {
    CellRule rule = CellRule::Number;
    QString unit;
    // A size in whole bytes (no "KB" or "MB"): "standard" without its decimal part, which is the
    // 64-bit sum with its digits grouped.
    bool wholeBytes = false;
};

CellFormat cellFormat(const QString& name, const QString& unit) {
    const work::FileFieldDef* field = work::findFileField(name);
    const work::FieldKind kind = field ? field->kind : work::FieldKind::None;
    if (kind == work::FieldKind::Text)
        return {CellRule::Text, {}, false};
    if (name.endsWith(QLatin1String("SIZE"))) {
        const QString u = unit.trimmed().toUpper();
        return {CellRule::Size, unit, u != QLatin1String("KB") && u != QLatin1String("MB")};
    }
    if (kind == work::FieldKind::Date)
        return {CellRule::Date, {}, false};
    if (kind == work::FieldKind::Time)
        return {CellRule::Time, {}, false};
    if (kind == work::FieldKind::Attribute)
        return {CellRule::Attribute, {}, false};
    return {CellRule::Number, {}, false};
}

// A cell as the report shows it; nothing (Null, shown as "---") for a value that is Null or a
// column that has no figure.
std::optional<QString> cellText(const CellFormat& format, const QVariant& value,
                                const platform::IntlSettings& intl) {
    if (value.isNull())
        return std::nullopt;
    switch (format.rule) {
    case CellRule::Text:
        return value.toString().trimmed();
    case CellRule::Size:
        if (format.wholeBytes)
            return platform::formatWholeNumber(value.toLongLong(), intl.sThousand);
        return summarySizeText(value.toLongLong(), format.unit, intl);
    case CellRule::Date:
        return shortDateText(value.toLongLong(), intl);
    case CellRule::Time:
        return timeText(value.toLongLong(), intl);
    case CellRule::Attribute:
        return attributeText(value.toBool());
    case CellRule::Number:
        break;
    }
    // Counts are whole numbers: "standard" without its decimal part is their digits grouped.
    if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
        return platform::formatWholeNumber(value.toLongLong(), intl.sThousand);
    return standardWholeText(value.toDouble(), intl);
}

// Writes FILESUMTYPE from FILESUMINTTYPE in the user's direction on the grouping field; returns the
// number of rows.
qint64 writeRows(db::Database& db, const db::TableDef& figuresDef, const db::TableDef& rowsDef,
                 const ReportColumns& columns, const SummaryGrouping& grouping,
                 const platform::IntlSettings& intl, Breather& breathe) {
    // Read through a statement rather than the table's index: the statement streams on while the
    // other table grows.
    std::unique_ptr<db::Recordset> figures =
        db.openSql("SELECT * FROM " + figuresDef.name + " ORDER BY [" + grouping.field + "]" +
                   (grouping.ascending ? "" : " DESC"));
    const QStringList figureNames = fieldNames(figuresDef);
    const QStringList rowNames = fieldNames(rowsDef);

    // Where each row field takes its value from: a FILESUMINTTYPE field, or none. The columns come
    // first, then the grouping field when it is not a column, then SEEKID.
    struct Source {
        int figure = -1;
        CellFormat format;
    };
    std::vector<Source> sources;
    for (const ReportColumn& c : columns)
        sources.push_back({static_cast<int>(figureNames.indexOf(c.name)), cellFormat(c.name, c.extra)});
    if (rowNames.size() - 1 > static_cast<qsizetype>(columns.size()))
        sources.push_back(
            {static_cast<int>(figureNames.indexOf(grouping.field)), cellFormat(grouping.field, QString())});
    const int seekId = static_cast<int>(rowNames.size() - 1);

    db::RecordAppender appender(db, rowsDef.name, rowNames);
    std::vector<QByteArray> texts(sources.size());
    qint64 row = 0;
    for (; !figures->eof(); figures->moveNext()) {
        ++row;
        for (size_t i = 0; i < sources.size(); ++i) {
            const Source& s = sources[i];
            const QVariant value = s.figure >= 0 ? figures->value(s.figure) : QVariant();
            if (const std::optional<QString> text = cellText(s.format, value, intl)) {
                texts[i] = text->toUtf8();
                appender.setText(static_cast<int>(i),
                                 std::string_view(texts[i].constData(), size_t(texts[i].size())));
            }
        }
        appender.setInteger(seekId, row);
        appender.append();
        breathe();
    }
    return row;
}

// Steps 1-7: both tables replaced in one transaction. Returns the number of report rows.
qint64 rebuildTables(work::WorkState& ws, const SummaryGrouping& grouping, const QString& whereClause,
                     const platform::IntlSettings& intl, Breather& breathe) {
    const ReportColumns& columns = ws.settings.summaryColumns;
    db::Database& db = *ws.database;
    db::Transaction transaction(db);
    qint64 rows = 0;
    {
        const db::TableDef figuresDef = work::filesuminttypeDef(columns, grouping.field, grouping.ascending);
        const db::TableDef rowsDef = work::filesumtypeDef(columns, grouping.field);
        if (db.hasTable(rowsDef.name)) {
            closeSummaryTables(ws);
            db.deleteTable(rowsDef.name);
        }
        work::recreateTable(ws, WorkTable::Filesuminttype, figuresDef)
            .setIndex(QStringLiteral("Ind_pathdesc"));
        writeFigures(db, figuresDef, grouping, whereClause, breathe);
        work::recreateTable(ws, WorkTable::Filesumtype, rowsDef);
        rows = writeRows(db, figuresDef, rowsDef, columns, grouping, intl, breathe);
    }
    transaction.commit();
    return rows;
}

// ---- the report --------------------------------------------------------------------------------

// Steps 8-9: the report defined again over `rows` rows of FILESUMTYPE. False when the engine could
// not create it (it said why).
bool defineReport(ReportEngine& engine, const work::WorkSettings& settings, const SummaryGrouping& grouping,
                  qint64 rows) {
    if (engine.isAvailable())
        engine.rptClose();
    const ReportColumns& columns = settings.summaryColumns;
    // Every column holds a number except the grouping field's own, unless that field is SIZE.
    auto numeric = [&grouping](const ReportColumn& c) {
        return c.name != grouping.field || grouping.field == QLatin1String("SIZE");
    };
    int numericCount = 0;
    for (const ReportColumn& c : columns)
        numericCount += numeric(c) ? 1 : 0;
    const int textCount = static_cast<int>(columns.size()) - numericCount;
    const ReportTitles& t = settings.summaryTitles;
    if (engine.rptCreate(SummaryTitle, numericCount, textCount, static_cast<double>(rows), ThinRuleInterval,
                         ThickRuleInterval, t.firstTitle, t.secondTitle, t.firstFootnote,
                         t.secondFootnote) != 0)
        return false;
    for (size_t k = 0; k < columns.size(); ++k) {
        const ReportColumn& c = columns[k];
        const bool isNumber = numeric(c);
        const QString format = c.format.isEmpty() ? columnFormat(false, c.name) : c.format;
        engine.rptDefineColumn(static_cast<int>(k) + 1, isNumber ? NumericType : TextType, c.description,
                               c.width, isNumber ? 1 : 0, format, true);
    }
    return true;
}

// The stored FILESUMTYPE can be shown again when it exists with the fields the column list gives;
// a table of another layout (another column list, or an older one that put the grouping field
// first) is built again.
bool storedRowsFit(work::WorkState& ws, const SummaryGrouping& grouping) {
    const db::TableDef expected = work::filesumtypeDef(ws.settings.summaryColumns, grouping.field);
    if (!ws.database->hasTable(expected.name))
        return false;
    const QStringList stored = fieldNames(ws.database->tableDef(expected.name));
    const QStringList wanted = fieldNames(expected);
    if (stored.size() != wanted.size())
        return false;
    for (qsizetype i = 0; i < stored.size(); ++i)
        if (stored[i].compare(wanted[i], Qt::CaseInsensitive) != 0)
            return false;
    return true;
}

void showFirstPage(ReportEngine& engine) {
    // A report of no rows has no page to show.
    if (engine.pageCount() > 0)
        engine.rptNewPage(1);
}

} // namespace

bool buildSummaryReport(work::WorkState& ws, ReportEngine& engine, const BuildInputs& inputs) {
    try {
        if (!ws.database || !ws.databaseOpen)
            throw db::EngineError(db::ErrObjectClosed, QStringLiteral("Object invalid or no longer set."));
        const SummaryGrouping grouping = summaryGrouping(ws.settings.sorters);
        if (!needsRebuild(ws) && storedRowsFit(ws, grouping)) {
            // Steps 10-11: the stored rows shown again. A report the engine does not hold (the
            // program started on a stored file) or one with other titles is defined again first.
            const bool titlesUnchanged = ws.unchanged(work::SettingsGroup::SummaryTitles);
            if (!engine.isAvailable() || !titlesUnchanged) {
                const qint64 rows = work::openedTable(ws, WorkTable::Filesumtype).recordCount();
                if (!defineReport(engine, ws.settings, grouping, rows))
                    return false;
            }
            showFirstPage(engine);
            return true;
        }
        // The old report goes before its table is replaced: a viewer that pages while the window
        // answers during the build never reads a table half written.
        if (engine.isAvailable())
            engine.rptClose();
        Breather breathe(engine.processEvents);
        // The grouping statements run for seconds on a large file table: the window repaints
        // meanwhile too.
        db::ProgressScope duringStatements(*ws.database, [&breathe] { breathe(); });
        const qint64 rows = rebuildTables(ws, grouping, inputs.whereClause, inputs.intl, breathe);
        if (!defineReport(engine, ws.settings, grouping, rows))
            return false;
        showFirstPage(engine);
        return true;
    } catch (const db::EngineError& e) {
        // The transaction has rolled back: the former tables are in place, their record sets are
        // opened again when needed.
        closeSummaryTables(ws);
        engine.rptClose();
        platform::msgBox(buildFailureText(ReportKind::Summary, e.number(), e.description()),
                         platform::MbOkOnly | platform::MbCritical, platform::DefaultMessageTitle);
        return false;
    }
}

} // namespace zek::report
