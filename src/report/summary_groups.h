// The Summary report's groups: the grouping field and direction from the sorters, the two grouping
// statements, and the cumulation of the figures over the folder tree.
#pragma once

#include "work/query_line.h"

#include <QString>
#include <QVariant>

#include <vector>

namespace zek::report {

struct SummaryGrouping {
    QString field = QStringLiteral("PATH");
    bool ascending = true;
    bool operator==(const SummaryGrouping&) const = default;
};

// The first sorter whose text is not blank gives the field and its direction; with none set, PATH
// ascending.
SummaryGrouping summaryGrouping(const Sorters& sorters);

// PATH and LONGPATH group by folder: their groups carry levels and cumulative figures.
bool isFolderGrouping(const QString& field);

// Every entry per group: the group's value, TOTALSIZE and TOTALSEL (and PATHLEVEL for folders).
QString allEntriesStatement(const SummaryGrouping& grouping);
// The entries meeting the condition per group: the group's value, SELSIZE and SEL (and PATHLEVEL).
QString selectedEntriesStatement(const SummaryGrouping& grouping, const QString& whereClause);
// The criteria that find a group by its value: text fields quoted (quotation marks doubled).
QString groupCriteria(const QString& field, const QVariant& value);

struct GroupFigures {
    qint64 selected = 0;
    qint64 selectedSize = 0;
    qint64 unselected = 0;
    qint64 unselectedSize = 0;
    bool operator==(const GroupFigures&) const = default;
};

struct CumulatedGroup {
    GroupFigures cumulative;
    qint64 subgroups = 0; // PATHSUBAANT: groups below this one
    bool operator==(const CumulatedGroup&) const = default;
};

// Adds every folder group into the groups above it. Groups arrive in descending path order, so that
// a folder's subfolders come before the folder itself; each folder then takes its own figures plus
// those of every group below it that arrived since the previous folder of its depth or above.
class FolderCumulation {
public:
    CumulatedGroup add(int level, const GroupFigures& own);

private:
    struct Level {
        GroupFigures sums;
        qint64 groups = 0;
    };
    std::vector<Level> m_levels;
};

} // namespace zek::report
