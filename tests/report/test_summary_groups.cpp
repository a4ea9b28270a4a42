// The Summary report's grouping: which field, the two statements, finding a group, and the
// cumulation over the folder tree.
#include "report/summary_groups.h"

#include <QtTest>

using namespace zek;
using namespace zek::report;

class TestSummaryGroups : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void groupingFromTheSorters() {
        Sorters sorters;
        QCOMPARE(summaryGrouping(sorters), (SummaryGrouping{"PATH", true}));
        sorters[1] = Sorter{"EXTENSION", false};
        sorters[2] = Sorter{"SIZE", true};
        QCOMPARE(summaryGrouping(sorters), (SummaryGrouping{"EXTENSION", false}));
        sorters[0] = Sorter{"  ", true};
        QCOMPARE(summaryGrouping(sorters), (SummaryGrouping{"EXTENSION", false}));
        sorters[0] = Sorter{"LONGPATH", false};
        QCOMPARE(summaryGrouping(sorters), (SummaryGrouping{"LONGPATH", false}));
    }

    void statements() {
        // Folder groups always come in descending path order, whatever the direction.
        QCOMPARE(allEntriesStatement({"PATH", true}),
                 QString("SELECT PATH, Sum(SIZE) As TOTALSIZE, PATHLEVEL, COUNT(*) As TOTALSEL  FROM FILETYPE"
                         " GROUP BY PATH, PATHLEVEL ORDER BY PATH DESC"));
        QCOMPARE(selectedEntriesStatement({"LONGPATH", true}, "SIZE > 10"),
                 QString("SELECT LONGPATH, Sum(SIZE) As SELSIZE, PATHLEVEL, COUNT(*) As SEL FROM FILETYPE"
                         " WHERE (SIZE > 10) GROUP BY LONGPATH,PATHLEVEL ORDER BY LONGPATH DESC"));
        QCOMPARE(allEntriesStatement({"EXTENSION", false}),
                 QString("SELECT EXTENSION, Sum(SIZE) As TOTALSIZE, COUNT(*) As TOTALSEL  FROM FILETYPE"
                         " GROUP BY EXTENSION ORDER BY EXTENSION DESC"));
        QCOMPARE(selectedEntriesStatement({"EXTENSION", true}, " "),
                 QString("SELECT EXTENSION, Sum(SIZE) As SELSIZE, COUNT(*) As SEL FROM FILETYPE"
                         " GROUP BY EXTENSION ORDER BY EXTENSION"));
    }

    void findingAGroup() {
        QCOMPARE(groupCriteria("PATH", QString("/home/a/")), QString("PATH = \"/home/a/\""));
        QCOMPARE(groupCriteria("NAME", QString("say \"hi\"")), QString("NAME = \"say \"\"hi\"\"\""));
        QCOMPARE(groupCriteria("SIZE", qint64(3000000000LL)), QString("SIZE = 3000000000"));
        QCOMPARE(groupCriteria("HIDDEN", true), QString("HIDDEN = True"));
    }

    void cumulationOverTheFolderTree() {
        using F = GroupFigures;
        // Folders /A (2 selected files, 100 bytes) and /A/B (1 selected, 50 bytes; 3 unselected,
        // 30 bytes), the subfolder first.
        FolderCumulation tree;
        QCOMPARE(tree.add(1, F{1, 50, 3, 30}), (CumulatedGroup{F{1, 50, 3, 30}, 0}));
        QCOMPARE(tree.add(0, F{2, 100, 0, 0}), (CumulatedGroup{F{3, 150, 3, 30}, 1}));

        // Siblings never add into each other; their parent takes both.
        FolderCumulation siblings;
        QCOMPARE(siblings.add(1, F{1, 10, 0, 0}).cumulative, (F{1, 10, 0, 0}));
        QCOMPARE(siblings.add(1, F{2, 20, 0, 0}), (CumulatedGroup{F{2, 20, 0, 0}, 0}));
        QCOMPARE(siblings.add(0, F{0, 0, 1, 5}), (CumulatedGroup{F{3, 30, 1, 5}, 2}));

        // A depth with no group of its own: what lay below it goes to the folder above, not on to a
        // later folder at that depth.
        FolderCumulation gap;
        QCOMPARE(gap.add(2, F{1, 7, 0, 0}).cumulative, (F{1, 7, 0, 0}));
        QCOMPARE(gap.add(0, F{1, 1, 0, 0}), (CumulatedGroup{F{2, 8, 0, 0}, 1}));
        QCOMPARE(gap.add(2, F{0, 0, 1, 3}), (CumulatedGroup{F{0, 0, 1, 3}, 0}));
        QCOMPARE(gap.add(1, F{1, 4, 0, 0}), (CumulatedGroup{F{1, 4, 1, 3}, 1}));

        // Sums past 32 bits stay exact.
        FolderCumulation big;
        big.add(1, F{1, 3000000000LL, 0, 0});
        QCOMPARE(big.add(0, F{1, 3000000000LL, 0, 0}).cumulative.selectedSize, 6000000000LL);
    }
};

QTEST_GUILESS_MAIN(TestSummaryGroups)
#include "test_summary_groups.moc"
