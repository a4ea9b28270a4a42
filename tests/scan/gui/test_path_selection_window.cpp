// The Path Selection window driven offscreen: its controls, the add check with its three messages in
// long and short form, Remove (button and drop), Clear, the drive change, navigation, and Start.
#include "scan/gui/path_selection_window.h"

#include "app/app_state.h"
#include "app/gui/child_windows.h"
#include "support/controls.h"
#include "support/scripted_prompter.h"
#include "support/test_env.h"
#include "work/work_file.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

using namespace zek;
using namespace zek::test;

namespace {

struct Fixture {
    TestEnvironment env;
    ScriptedPrompter prompter;
    AppState app;
    QString root; // a fake drive, so the folders can be made

    Fixture() {
        app.work.workDirectory = env.workDirectory();
        QString name;
        work::openWorkFile(app.work, "INIT", name);
        root = env.path("drive");
        for (const char* f : {"DATA/OLD", "DATABASE", "Program Files/Tools", "zeta"})
            QDir().mkpath(root + "/" + f);
    }
    ~Fixture() { work::closeWorkFile(app.work); }
    QStringList drives() const { return {root, env.path("missing")}; }
};

QStringList items(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QStringList topLevelTexts(QTreeWidget* tree) {
    QStringList out;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        out << (*it)->text(0);
    return out;
}

// The outline position of the node whose long path is `path`.
int nodeOf(const PathSelectionWindow& w, const QString& path) {
    for (int i = 0; i < w.outline().count(); ++i)
        if (w.outline().longPath(i) == path)
            return i;
    return -1;
}

void choose(PathSelectionWindow& w, const QString& path) {
    // Navigate down the chain, then select the folder.
    const QString parent = path.section('/', 0, -2);
    if (nodeOf(w, path) < 0)
        w.activateNode(nodeOf(w, parent));
    QVERIFY2(nodeOf(w, path) >= 0, qPrintable(path));
    w.selectNode(nodeOf(w, path));
}

} // namespace

class TestPathSelectionWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void controlsAndOpening() {
        Fixture f;
        PathSelectionWindow w(f.app.work, f.app.intl, nullptr, nullptr, f.drives());
        QCOMPARE(w.objectName(), QString("drivedirsel"));
        QCOMPARE(w.windowTitle(), QString("Path Selection"));
        const QList<Control> controls = {
            {"SLSFPanel", "QFrame"},
            {"Drive1", "QComboBox"},
            {"Dir1", "QListWidget"},
            {"Outline1", "QTreeWidget"},
            {"Outline2", "QTreeWidget"},
            {"seldir", "QPushButton"},
            {"seldir2", "QPushButton"},
            {"drivedirlist", "QListWidget"},
            {"drivedirlist2", "QListWidget"},
            {"historic", "QPushButton", "&Historic"},
            {"Drivedirclear", "QPushButton", "&Clear"},
            {"drivedirstart", "QPushButton", "&Start"},
            {"Drivedirremove", "QPushButton", "&Remove"},
            {"drivediradd", "QPushButton", "&Add"},
            {"Label2", "QLabel", "  Active Database"},
            {"activedatabase", "QLabel"},
        };
        QCOMPARE(controlMismatches(w, controls).join("; "), QString());
        const auto slsf = w.findChildren<QRadioButton*>("slsf");
        QCOMPARE(slsf.size(), 2);
        QCOMPARE(slsf[0]->text(), QString("Show Long foldernames"));
        QVERIFY(slsf[0]->isChecked());
        QCOMPARE(child<QListWidget>(w, "drivedirlist")->selectionMode(),
                 QAbstractItemView::ExtendedSelection);
        QCOMPARE(child<QLabel>(w, "activedatabase")->text(), f.app.work.activeFileName);
        QCOMPARE(child<QPushButton>(w, "seldir")->text(), f.root);
        // Empty list: Clear, Remove and Start are off.
        for (const char* name : {"Drivedirclear", "Drivedirremove", "drivedirstart", "historic"})
            QVERIFY2(!child<QPushButton>(w, name)->isEnabled(), name);

        w.show();
        slsf[1]->setChecked(true);
        QVERIFY(child<QTreeWidget>(w, "Outline2")->isVisible());
        QVERIFY(!child<QTreeWidget>(w, "Outline1")->isVisible());
        QVERIFY(child<QListWidget>(w, "drivedirlist2")->isVisible());
        // The window menu cannot close it.
        QVERIFY(!w.close());
    }

    void addCheckMessages() {
        Fixture f;
        PathSelectionWindow w(f.app.work, f.app.intl, nullptr, nullptr, f.drives());
        auto* add = child<QPushButton>(w, "drivediradd");
        const QString data = f.root + "/DATA";
        choose(w, data);
        add->click();
        QCOMPARE(items(child<QListWidget>(w, "drivedirlist")), QStringList({data}));
        for (const char* name : {"Drivedirclear", "Drivedirremove", "drivedirstart"})
            QVERIFY2(child<QPushButton>(w, name)->isEnabled(), name);

        choose(w, data + "/OLD");
        add->click();
        choose(w, f.root);
        child<QPushButton>(w, "seldir")->click(); // the folder button adds too
        choose(w, data);
        add->click();
        QCOMPARE(f.prompter.texts(), QStringList({"The directory " + data + "/OLD is a subdirectory of " +
                                                      data + ", which is already included.",
                                                  "The directory " + data + " is a subdirectory of " +
                                                      f.root + ", which is already included.",
                                                  "You have already added " + data + "."}));
        QCOMPARE(f.prompter.messages.last().title, QString("ZEK"));
        choose(w, f.root + "/DATABASE");
        add->click();
        QCOMPARE(f.app.work.settings.folders.count(), 2);
        QCOMPARE(f.prompter.messages.size(), 3);

        // Short forms once Outline2 was clicked last.
        const QString programs = f.root + "/Program Files";
        choose(w, programs);
        add->click();
        auto* outline2 = child<QTreeWidget>(w, "Outline2");
        w.show();
        w.findChild<QRadioButton*>("slsf")->setChecked(false);
        w.findChildren<QRadioButton*>("slsf")[1]->setChecked(true);
        QTest::mouseClick(outline2->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(w.scanState().activeOutline, QString("Outline2"));
        choose(w, programs + "/Tools");
        add->click();
        const QString shortPrograms = scan::shortFormOfFolder(programs.toUtf8());
        QVERIFY(shortPrograms.endsWith("/PROGRA~1"));
        QCOMPARE(f.prompter.texts().last(), "The directory " + shortPrograms +
                                                "/TOOLS is a subdirectory of " + shortPrograms +
                                                ", which is already included.");
        QCOMPARE(items(child<QListWidget>(w, "drivedirlist2")).last(), shortPrograms);
    }

    void removeAndClear() {
        Fixture f;
        PathSelectionWindow w(f.app.work, f.app.intl, nullptr, nullptr, f.drives());
        auto* add = child<QPushButton>(w, "drivediradd");
        auto* remove = child<QPushButton>(w, "Drivedirremove");
        auto* list = child<QListWidget>(w, "drivedirlist");
        auto* list2 = child<QListWidget>(w, "drivedirlist2");
        for (const char* name : {"DATA", "DATABASE", "zeta"}) {
            choose(w, f.root + "/" + name);
            add->click();
        }
        QCOMPARE(list2->count(), 3);
        QCOMPARE(list2->item(2)->text().section('/', -1), QString("ZETA"));

        // Nothing selected: only the message.
        remove->click();
        QCOMPARE(f.prompter.texts(), QStringList({"Please select one or more directories."}));
        QCOMPARE(list->count(), 3);

        // Two selected in the long list: both leave both lists.
        list->item(0)->setSelected(true);
        list->item(2)->setSelected(true);
        remove->click();
        QCOMPARE(items(list), QStringList({f.root + "/DATABASE"}));
        QCOMPARE(list2->count(), 1);
        QCOMPARE(f.app.work.settings.folders.count(), 1);

        // The last one, selected in the short list: the three buttons go off.
        list2->item(0)->setSelected(true);
        remove->click();
        QCOMPARE(list->count(), 0);
        QCOMPARE(list2->count(), 0);
        for (const char* name : {"Drivedirclear", "Drivedirremove", "drivedirstart"})
            QVERIFY2(!child<QPushButton>(w, name)->isEnabled(), name);

        // Clear asks; No keeps the list, Yes empties it.
        for (const char* name : {"DATA", "zeta"}) {
            choose(w, f.root + "/" + name);
            add->click();
        }
        f.prompter.clear();
        f.prompter.messageAnswers = {platform::IdNo, platform::IdYes};
        auto* clear = child<QPushButton>(w, "Drivedirclear");
        clear->click();
        QCOMPARE(list->count(), 2);
        QCOMPARE(f.prompter.messages.first().text, QString("Do you want to clear all the directories? "));
        QCOMPARE(f.prompter.messages.first().title, QString("Drive and Directory Selection "));
        QCOMPARE(f.prompter.messages.first().style, platform::MbYesNo | platform::MbQuestion);
        clear->click();
        QCOMPARE(list->count(), 0);
        QVERIFY(f.app.work.settings.folders.isEmpty());
        QVERIFY(!clear->isEnabled());
    }

    void unreadableDriveReturnsToLastGood() {
        Fixture f;
        PathSelectionWindow w(f.app.work, f.app.intl, nullptr, nullptr, f.drives());
        auto* drive = child<QComboBox>(w, "Drive1");
        QCOMPARE(drive->currentIndex(), 0);
        drive->setCurrentIndex(1);
        QCOMPARE(drive->currentIndex(), 0);
        QCOMPARE(f.prompter.texts().size(), 1);
        QVERIFY(f.prompter.texts().first().startsWith("Error  2, "));
        QVERIFY(f.prompter.texts().first().endsWith(".\r\nCheck drive for availability."));
        QCOMPARE(w.outline().root(), f.root);
    }

    void navigationShowsChainAndSubfolders() {
        Fixture f;
        PathSelectionWindow w(f.app.work, f.app.intl, nullptr, nullptr, f.drives());
        auto* outline1 = child<QTreeWidget>(w, "Outline1");
        auto* outline2 = child<QTreeWidget>(w, "Outline2");
        QCOMPARE(topLevelTexts(outline1), QStringList({f.root, "DATA", "DATABASE", "Program Files", "zeta"}));
        QCOMPARE(topLevelTexts(outline2).mid(1), QStringList({"DATA", "DATABASE", "PROGRA~1", "ZETA"}));

        // Activating a folder: only the chain and its subfolders remain, in both outlines.
        QTreeWidgetItem* programs = outline1->topLevelItem(0)->child(2);
        Q_EMIT outline1->itemActivated(programs, 0);
        QCOMPARE(topLevelTexts(outline1), QStringList({f.root, "Program Files", "Tools"}));
        QCOMPARE(topLevelTexts(outline2).mid(1), QStringList({"PROGRA~1", "TOOLS"}));
        QCOMPARE(child<QPushButton>(w, "seldir")->text(), f.root + "/Program Files");

        // Selecting in one outline selects the same node in the other.
        outline1->setCurrentItem(outline1->topLevelItem(0)->child(0)->child(0));
        QCOMPARE(outline2->currentItem()->text(0), QString("TOOLS"));
        QCOMPARE(child<QPushButton>(w, "seldir2")->text().section('/', -2), QString("PROGRA~1/TOOLS"));

        // The root lists its subfolders again.
        Q_EMIT outline2->itemActivated(outline2->topLevelItem(0), 0);
        QCOMPARE(outline1->topLevelItem(0)->childCount(), 4);
    }

    void namesShownAsOnDisk() {
        // Names keep their case here: neither outline may re-capitalise a long name, and two folders
        // differing only in case stay two different entries.
        Fixture f;
        for (const char* d : {"usr/etc", "usr/cmake-3.25", "usr/CaseDir", "usr/casedir", "usr/lib_C"})
            QVERIFY(QDir().mkpath(f.root + "/" + d));
        PathSelectionWindow w(f.app.work, f.app.intl, nullptr, nullptr, f.drives());
        auto* outline1 = child<QTreeWidget>(w, "Outline1");
        QVERIFY(topLevelTexts(outline1).contains("usr"));
        QVERIFY(!topLevelTexts(outline1).contains("Usr"));

        w.activateNode(nodeOf(w, f.root + "/usr"));
        QCOMPARE(topLevelTexts(outline1),
                 QStringList({f.root, "usr", "CaseDir", "casedir", "cmake-3.25", "etc", "lib_C"}));
        // The button shows the chosen folder's path as on disk too.
        w.selectNode(nodeOf(w, f.root + "/usr/cmake-3.25"));
        QCOMPARE(child<QPushButton>(w, "seldir")->text(), f.root + "/usr/cmake-3.25");
    }

    void twoStartsScanOnce() {
        Fixture f;
        PathSelectionWindow w(f.app.work, f.app.intl, nullptr, nullptr, f.drives());
        w.queryState().hooks.defaultPrinter = [] { return query::DefaultPrinter{"PDF", 1}; };
        int scans = 0;
        w.scanRunner = [&] {
            ++scans;
            f.app.work.scanResult = 0;
            return scan::ScanOutcome::Completed;
        };
        choose(w, f.root + "/DATA");
        child<QPushButton>(w, "drivediradd")->click();
        auto* start = child<QPushButton>(w, "drivedirstart");
        start->click();
        start->click();
        QCOMPARE(scans, 1);

        // Opening a work file makes the next Start scan.
        f.app.work.scanResult = work::NoCompletedScan;
        start->click();
        QCOMPARE(scans, 2);
    }

    void historicAndReload() {
        Fixture f;
        QMdiArea area;
        PathSelectionWindow* w = openPathSelectionWindow(&area, f.app);
        auto* historic = child<QPushButton>(*w, "historic");
        QVERIFY(!historic->isEnabled());
        Q_EMIT f.app.work.events.storedFileOpened();
        QVERIFY(historic->isEnabled());
        f.prompter.messageAnswers = {platform::IdNo};
        historic->click();
        QCOMPARE(f.prompter.texts().last(),
                 QString("Create a report based on the information of the loaded database ?"));

        // A work file shown again: its folders come into both lists.
        f.app.work.settings.folders.append("/x", "/X");
        Q_EMIT f.app.work.events.settingsReloaded();
        QCOMPARE(items(child<QListWidget>(*w, "drivedirlist2")), QStringList({"/X"}));
        QVERIFY(child<QPushButton>(*w, "drivedirstart")->isEnabled());
    }
};

QTEST_MAIN(TestPathSelectionWindow)
#include "test_path_selection_window.moc"
