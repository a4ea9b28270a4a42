#include "report/summary_groups.h"

#include <algorithm>

namespace zek::report {

SummaryGrouping summaryGrouping(const Sorters& sorters) {
    for (const Sorter& s : sorters)
        if (!s.text.trimmed().isEmpty())
            return SummaryGrouping{s.text.trimmed(), s.ascending};
    return SummaryGrouping{};
}

bool isFolderGrouping(const QString& field) {
    return field == QLatin1String("PATH") || field == QLatin1String("LONGPATH");
}

QString allEntriesStatement(const SummaryGrouping& grouping) {
    const QString& g = grouping.field;
    if (isFolderGrouping(g))
        return "SELECT " + g + ", Sum(SIZE) As TOTALSIZE, PATHLEVEL, COUNT(*) As TOTALSEL " +
               " FROM FILETYPE" + " GROUP BY " + g + ", PATHLEVEL" + " ORDER BY " + g + " DESC";
    return "SELECT " + g + ", Sum(SIZE) As TOTALSIZE, COUNT(*) As TOTALSEL " + " FROM FILETYPE" +
           " GROUP BY " + g + " ORDER BY " + g + (grouping.ascending ? "" : " DESC");
}

QString selectedEntriesStatement(const SummaryGrouping& grouping, const QString& whereClause) {
    const QString& g = grouping.field;
    const QString where = whereClause.trimmed().isEmpty() ? QString() : " WHERE (" + whereClause + ")";
    if (isFolderGrouping(g))
        return "SELECT " + g + ", Sum(SIZE) As SELSIZE, PATHLEVEL, COUNT(*) As SEL" + " FROM FILETYPE" +
               where + " GROUP BY " + g + ",PATHLEVEL" + " ORDER BY " + g + " DESC";
    return "SELECT " + g + ", Sum(SIZE) As SELSIZE, COUNT(*) As SEL" + " FROM FILETYPE" + where +
           " GROUP BY " + g + " ORDER BY " + g + (grouping.ascending ? "" : " DESC");
}

QString groupCriteria(const QString& field, const QVariant& value) {
    static const QStringList textFields{"LONGPATH", "PATH", "LONGNAME", "NAME", "EXTENSION"};
    QString text = value.toString();
    if (value.typeId() == QMetaType::Bool)
        text = value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (!textFields.contains(field))
        return field + " = " + text;
    // A name may itself hold a quotation mark; doubled, it stays inside the quoted value.
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return field + " = \"" + text + "\"";
}

CumulatedGroup FolderCumulation::add(int level, const GroupFigures& own) {
    level = std::max(level, 0);
    if (static_cast<size_t>(level) >= m_levels.size())
        m_levels.resize(static_cast<size_t>(level) + 1);
    for (int l = 0; l <= level; ++l) {
        Level& acc = m_levels[static_cast<size_t>(l)];
        acc.sums.selected += own.selected;
        acc.sums.selectedSize += own.selectedSize;
        acc.sums.unselected += own.unselected;
        acc.sums.unselectedSize += own.unselectedSize;
        ++acc.groups;
    }
    const Level& mine = m_levels[static_cast<size_t>(level)];
    const CumulatedGroup group{mine.sums, mine.groups - 1};
    // This folder's level starts again from zero, and so does every deeper one: their groups are in
    // this folder's figures now, and must not pass into a later folder at such a depth when a depth
    // between them has no group of its own.
    m_levels.resize(static_cast<size_t>(level));
    return group;
}

} // namespace zek::report
