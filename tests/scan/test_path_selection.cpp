// The Path Selection logic without its window: outline texts, navigation, the drive message, Remove
// over both forms of the list, and Start's decision whether to scan.
#include "scan/path_selection.h"
#include "support/walker_fixture.h"

#include <QDir>
#include <QTest>

using namespace zek;
using namespace zek::test;

namespace {

QStringList longTexts(const scan::FolderOutline& outline) {
    QStringList out;
    for (const scan::OutlineNode& n : outline.nodes())
        out << QString(n.level - 1, u' ') + n.longText;
    return out;
}

} // namespace

class TestPathSelection : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void outlineTexts() {
        // A name without an alternate is upper case in the short outline.
        QCOMPARE(scan::shortOutlineText("data", ""), QString("DATA"));
        QCOMPARE(scan::shortOutlineText("Program Files", "PROGRA~1"), QString("PROGRA~1"));
        QCOMPARE(scan::joinPath("/", "home"), QString("/home"));
        QCOMPARE(scan::joinPath("/home", "x"), QString("/home/x"));
    }

    void driveMessage() {
        QCOMPARE(scan::driveErrorText(2, "No such file or directory"),
                 QString("Error  2, No such file or directory.\r\nCheck drive for availability."));
        QCOMPARE(scan::driveErrorText(-5, "x"), QString("Error -5, x.\r\nCheck drive for availability."));
        QVERIFY(scan::testDrive("/nonexistent-zek-drive") != 0);
        QCOMPARE(scan::testDrive(QDir::tempPath()), 0);
    }

    void navigationShowsChainAndSubfoldersOnly() {
        TestEnvironment env;
        const QString root = env.path("drive");
        for (const char* f : {"b/b1/deep", "b/b2", "a", "C", "Program Files/x"})
            QVERIFY(QDir().mkpath(root + "/" + f));

        scan::FolderOutline outline;
        QCOMPARE(outline.setRoot(root).number, 0);
        // Names as on disk, sorted by character code: upper case before lower case.
        QCOMPARE(longTexts(outline), QStringList({root, " C", " Program Files", " a", " b"}));
        QCOMPARE(outline.nodes()[1].shortText, QString("C"));
        QCOMPARE(outline.nodes()[2].shortText, QString("PROGRA~1"));

        outline.activate(4); // b
        QCOMPARE(longTexts(outline), QStringList({root, " b", "  b1", "  b2"}));
        QCOMPARE(outline.current(), 1);
        QVERIFY(outline.nodes()[1].open && !outline.nodes()[2].open);
        QCOMPARE(outline.longPath(2), root + "/b/b1");
        QCOMPARE(outline.rawPath(2), (root + "/b/b1").toUtf8());
        QCOMPARE(outline.shortPath(2), scan::shortFormOfFolder((root + "/b/b1").toUtf8()));

        outline.activate(2); // b1
        QCOMPARE(longTexts(outline), QStringList({root, " b", "  b1", "   deep"}));
        QCOMPARE(outline.nodes()[3].parent, 2);

        // A new folder on disk shows up: the children are read afresh.
        QVERIFY(QDir().mkpath(root + "/b/b1/added"));
        outline.activate(1); // back up to b, on the chain
        QCOMPARE(longTexts(outline), QStringList({root, " b", "  b1", "  b2"}));
        outline.activate(0);
        QCOMPARE(outline.count(), 5);
        QCOMPARE(outline.current(), 0);
    }

    void removeTakesTwinsAlong() {
        FolderList list;
        for (const char* f : {"/a", "/b", "/c", "/d"})
            list.append(f, QString(f).toUpper());
        // 0 and 2 chosen in the long list, 3 in the short one.
        const auto positions = scan::itemsToRemove({true, false, true, false}, {false, false, false, true});
        QCOMPARE(positions, (std::vector<int>{0, 2, 3}));
        QCOMPARE(scan::removeFolders(list, positions), 3);
        QCOMPARE(list.longForms, QStringList({"/b"}));
        QCOMPARE(list.shortForms, QStringList({"/B"}));
        QVERIFY(scan::itemsToRemove({false}, {false}).empty());
    }

    void twoStartsScanOnce() {
        WalkerFixture f;
        query::QueryState qs;
        qs.hooks.defaultPrinter = [] { return query::DefaultPrinter{"PDF", 1}; };
        f.choose({f.tree("one")});
        int scans = 0;
        scan::StartHooks hooks;
        hooks.runScan = [&] {
            ++scans;
            scan::NullScanDisplay display;
            return scan::scanSelectedFolders(f.scan, f.ws, display);
        };
        bool historicDisabled = false;
        hooks.disableHistoric = [&] { historicDisabled = true; };

        auto r = scan::startInventory(f.ws, qs, f.scan, hooks);
        QVERIFY(r.scanned);
        QCOMPARE(r.outcome, scan::StartOutcome::ReportsBuilt);
        QVERIFY(historicDisabled);
        r = scan::startInventory(f.ws, qs, f.scan, hooks);
        QVERIFY(!r.scanned);
        QCOMPARE(scans, 1);
        QCOMPARE(r.outcome, scan::StartOutcome::ReportsCurrent);

        // A folder added: the next Start scans.
        f.ws.settings.folders.append(f.tree("two"), "TWO");
        QVERIFY(scan::startInventory(f.ws, qs, f.scan, hooks).scanned);
        QCOMPARE(scans, 2);
        // Removed again: the list differs from what was scanned last.
        scan::removeFolders(f.ws.settings.folders, {1});
        QVERIFY(scan::startInventory(f.ws, qs, f.scan, hooks).scanned);
        QVERIFY(!scan::startInventory(f.ws, qs, f.scan, hooks).scanned);
        QCOMPARE(scans, 3);

        // A cancelled scan: Start stops, and the next one scans again.
        f.ws.settings.folders.append(f.tree("three"), "THREE");
        hooks.runScan = [&] {
            ++scans;
            f.ws.scanResult = work::NoCompletedScan;
            return scan::ScanOutcome::Cancelled;
        };
        QCOMPARE(scan::startInventory(f.ws, qs, f.scan, hooks).outcome, scan::StartOutcome::ScanNotDone);
        QVERIFY(scan::startInventory(f.ws, qs, f.scan, hooks).scanned);
        QCOMPARE(scans, 5);
    }

    void startRefusesEmptyList() {
        WalkerFixture f;
        query::QueryState qs;
        qs.hooks.defaultPrinter = [] { return query::DefaultPrinter{"PDF", 1}; };
        int scans = 0;
        scan::StartHooks hooks;
        hooks.runScan = [&] {
            ++scans;
            return scan::ScanOutcome::Completed;
        };
        QCOMPARE(scan::startInventory(f.ws, qs, f.scan, hooks).outcome, scan::StartOutcome::NotReady);
        QCOMPARE(scans, 0);
        QCOMPARE(f.prompter.texts(), QStringList({"You have to add drives and directories first."}));
    }
};

QTEST_MAIN(TestPathSelection)
#include "test_path_selection.moc"
