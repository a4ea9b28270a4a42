// The report setup windows driven offscreen: the list shown in the boxes and the sample grid, the
// spinners and box checks with their messages, the accept-changes questions, Add / Promote / Demote /
// Delete, the main sort field handed over by the Conditions & Sorting window, and the lists and
// titles carried by the work file. With ZEK_SCREENSHOT_DIR set, both windows are saved as images.
#include "report/gui/report_setup_window.h"

#include "app/app_state.h"
#include "app/gui/child_windows.h"
#include "platform/twips.h"
#include "query/gui/conditions_window.h"
#include "support/controls.h"
#include "support/scripted_prompter.h"
#include "support/test_env.h"
#include "work/work_file.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace zek;
using platform::IdCancel;
using platform::IdOk;
using platform::IdRetry;
using report::SetupKind;

namespace {

QStringList namesOf(const ReportColumns& columns) {
    QStringList names;
    for (const ReportColumn& c : columns)
        names << c.name;
    return names;
}

} // namespace

class TestReportSetupWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<test::ScriptedPrompter> prompter;
    std::unique_ptr<AppState> app;
    std::unique_ptr<ReportSetupWindow> window;

    template <typename T> T* find(const QString& name) const { return test::child<T>(*window, name); }
    QLineEdit* box(const QString& name) const { return find<QLineEdit>(name); }
    QComboBox* name() const { return find<QComboBox>("dsfieldname"); }
    QComboBox* unit() const { return find<QComboBox>("DQVALUECHOICE"); }
    QTableWidget* grid() const { return find<QTableWidget>("samplegrid"); }
    QPushButton* button(const QString& n) const { return find<QPushButton>(n); }
    ReportColumns& detail() { return app->work.settings.detailColumns; }
    ReportColumns& summary() { return app->work.settings.summaryColumns; }

    void makeWindow(SetupKind kind) {
        window.reset();
        window = std::make_unique<ReportSetupWindow>(app->work, kind);
        window->show();
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    void focus(QWidget* w) {
        w->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
    }

    // Types into a box the way the user does: into the box, the old text replaced.
    void type(QLineEdit* b, const QString& text) {
        focus(b);
        b->selectAll();
        QTest::keyClicks(b, text);
    }

    // Leaves the edit boxes for a title box, as a click there does.
    void leave() { focus(box("first_title")); }

    void pickName(const QString& n) {
        focus(name());
        name()->setCurrentIndex(name()->findText(n));
        Q_EMIT name()->activated(name()->currentIndex());
        auto* timer = window->findChild<QTimer*>("fieldingridtimer");
        QVERIFY(timer->isActive());
        QTRY_VERIFY(!timer->isActive());
    }

    void spin(const QString& spinner, bool up) {
        find<QToolButton>(spinner + (up ? "_up" : "_down"))->click();
        QCoreApplication::processEvents();
    }

    int gridWidth(int p) const { return grid()->columnWidth(p - 1); }
    QString gridHeading(int p) const { return grid()->horizontalHeaderItem(p - 1)->text(); }

private Q_SLOTS:
    void init() {
        prompter = std::make_unique<test::ScriptedPrompter>();
        app = std::make_unique<AppState>();
        app->work.settings = work::defaultWorkSettings();
        // The first refresh takes the snapshots, as New and Open do.
        work::refreshUnchangedFlags(app->work);
        app->work.unchangedFlags.fill(true);
    }

    void cleanup() {
        window.reset();
        app.reset();
        prompter.reset();
    }

    void showsTheListInTheGridAndTheFirstEntryInTheBoxes() {
        makeWindow(SetupKind::Detail);
        QCOMPARE(window->objectName(), QString("SetupDetail"));
        QCOMPARE(window->windowTitle(), QString("Setup Detail Report"));
        QCOMPARE(grid()->columnCount(), 23);
        for (int p = 1; p <= 23; ++p) {
            QCOMPARE(gridHeading(p), detail()[size_t(p - 1)].description);
            QCOMPARE(gridWidth(p), platform::twipsToPixels(detail()[size_t(p - 1)].width));
        }
        QCOMPARE(name()->count(), 23);
        QCOMPARE(name()->currentText(), QString("FILENUMBER"));
        QCOMPARE(box("dsfielddesc")->text(), QString("#"));
        QCOMPARE(box("dsfieldwidth")->text(), QString("480"));
        QCOMPARE(box("dsfieldpos")->text(), QString("1"));
        QVERIFY(unit()->isHidden());

        // Typing a position shows that entry; SIZE shows the unit list.
        type(box("dsfieldpos"), "7");
        QCOMPARE(window->shownPosition(), 7);
        QCOMPARE(name()->currentText(), QString("SIZE"));
        QVERIFY(unit()->isVisible());
        QCOMPARE(unit()->currentText(), QString("  "));
        spin("dsfieldposSpin", true);
        QCOMPARE(name()->currentText(), QString("DATE"));
        QVERIFY(unit()->isHidden());
        QVERIFY(prompter->messages.isEmpty());

        // The Summary window: a unit list for every name ending in SIZE.
        makeWindow(SetupKind::Summary);
        QCOMPARE(window->objectName(), QString("frmsummary"));
        QCOMPARE(window->windowTitle(), QString("Setup Summary Report"));
        QCOMPARE(grid()->columnCount(), 11);
        type(box("dsfieldpos"), "10");
        QCOMPARE(name()->currentText(), QString("CUMULUNSEL"));
        QVERIFY(unit()->isHidden());
        spin("dsfieldposSpin", true);
        QCOMPARE(name()->currentText(), QString("CUMULUNSELSIZE"));
        QVERIFY(unit()->isVisible());
        spin("dsfieldposSpin", true); // already the last
        QCOMPARE(window->shownPosition(), 11);
    }

    void widthSpinnerLimitsAndTheWidthQuestion() {
        makeWindow(SetupKind::Detail);
        type(box("dsfieldwidth"), "9990");
        spin("dsfieldwidthSpin", true);
        QCOMPARE(box("dsfieldwidth")->text(), QString("9999"));
        QCOMPARE(gridWidth(1), platform::twipsToPixels(9999)); // the grid shows it at once
        type(box("dsfieldwidth"), "110");
        spin("dsfieldwidthSpin", false);
        QCOMPARE(box("dsfieldwidth")->text(), QString("100"));
        QCOMPARE(detail()[0].width, 480); // not stored until accepted

        // Cancel keeps the stored width, in the box and the grid too.
        prompter->messageAnswers = {IdCancel};
        leave();
        QCOMPARE(prompter->messages.size(), 1);
        QCOMPARE(prompter->messages[0].text, QString("Fieldwidth has changed, accept changes? "));
        QCOMPARE(prompter->messages[0].title, QString("Query information"));
        QCOMPARE(prompter->messages[0].style, platform::MbOkCancel | platform::MbQuestion);
        QCOMPARE(detail()[0].width, 480);
        QCOMPARE(box("dsfieldwidth")->text(), QString("480"));
        QCOMPARE(gridWidth(1), platform::twipsToPixels(480));

        // OK stores it.
        prompter->clear();
        prompter->messageAnswers = {IdOk};
        type(box("dsfieldwidth"), "1500");
        leave();
        QCOMPARE(prompter->texts(), QStringList({"Fieldwidth has changed, accept changes? "}));
        QCOMPARE(detail()[0].width, 1500);
        QCOMPARE(gridWidth(1), platform::twipsToPixels(1500));
    }

    void widthBoxZeroBecomes180AndOutOfRangeAsks() {
        makeWindow(SetupKind::Summary);
        prompter->messageAnswers = {IdOk};
        type(box("dsfieldwidth"), "0");
        leave();
        QCOMPARE(box("dsfieldwidth")->text(), QString("180"));
        QCOMPARE(summary()[0].width, 180); // the entry keeps what the box shows
        QCOMPARE(gridWidth(1), platform::twipsToPixels(180));

        // Out of range: Retry leaves the box as it is, Cancel empties it; the list keeps its width.
        prompter->clear();
        prompter->messageAnswers = {IdRetry, IdCancel};
        type(box("dsfieldwidth"), "50");
        leave();
        QCOMPARE(box("dsfieldwidth")->text(), QString("50"));
        QTRY_COMPARE(QApplication::focusWidget(), box("dsfieldwidth"));
        leave();
        QCOMPARE(box("dsfieldwidth")->text(), QString());
        const QString range = "Please specify a width between 100 and 9999.";
        QCOMPARE(prompter->texts(), QStringList({range, range}));
        QCOMPARE(prompter->messages[0].title, QString("Position fill error"));
        QCOMPARE(prompter->messages[0].style, platform::MbRetryCancel | platform::MbQuestion);
        QCOMPARE(summary()[0].width, 180);
        QCOMPARE(app->work.settings.summaryColumns[0].width, 180);
    }

    void fieldQuestion_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("question");
        QTest::newRow("detail") << int(SetupKind::Detail) << "Field information has changed, accept changes?";
        QTest::newRow("summary") << int(SetupKind::Summary)
                                 << "Summaryfield information has changed, accept changes?";
    }
    void fieldQuestion() {
        QFETCH(int, kind);
        QFETCH(QString, question);
        makeWindow(SetupKind(kind));
        ReportColumns& list = kind == int(SetupKind::Detail) ? detail() : summary();
        const ReportColumn before = list[1];

        prompter->messageAnswers = {IdCancel};
        type(box("dsfielddesc"), "Heading");
        leave();
        QCOMPARE(prompter->texts(), QStringList({question}));
        QCOMPARE(prompter->messages[0].title, QString("Query information"));
        QCOMPARE(prompter->messages[0].style, platform::MbOkCancel | platform::MbQuestion);
        QVERIFY(list[0] ==
                (kind == int(SetupKind::Detail) ? defaultDetailColumns() : defaultSummaryColumns())[0]);
        QCOMPARE(box("dsfielddesc")->text(), list[0].description);

        prompter->clear();
        prompter->messageAnswers = {IdOk};
        type(box("dsfielddesc"), "Heading");
        leave();
        QCOMPARE(prompter->texts(), QStringList({question}));
        QCOMPARE(list[0].description, QString("Heading"));
        QCOMPARE(gridHeading(1), QString("Heading"));

        // Moving to another entry asks about the edits of the one shown.
        prompter->clear();
        prompter->messageAnswers = {IdOk};
        box("dsfielddesc")->setText("Second");
        spin("dsfieldposSpin", true);
        QCOMPARE(prompter->texts(), QStringList({question}));
        QCOMPARE(list[0].description, QString("Second"));
        QCOMPARE(window->shownPosition(), 2);
        QVERIFY(list[1] == before);
    }

    void pickingANameAsksAndTheHeadingFollows() {
        makeWindow(SetupKind::Detail);
        type(box("dsfieldpos"), "5"); // NAME
        prompter->messageAnswers = {IdOk};
        pickName("SIZE");
        QCOMPARE(prompter->texts(), QStringList({"Field information has changed, accept changes?"}));
        QCOMPARE(detail()[4].name, QString("SIZE"));
        QCOMPARE(detail()[4].description, QString("SIZE"));
        QCOMPARE(detail()[4].format, NumberFormat);
        QVERIFY(unit()->isVisible());

        prompter->clear();
        prompter->messageAnswers = {IdOk};
        unit()->setCurrentIndex(1);
        Q_EMIT unit()->activated(1);
        QCOMPARE(prompter->messages.size(), 1);
        QCOMPARE(detail()[4].extra, QString("KB"));
    }

    void addAsLastAndAfterTheCurrentNumber() {
        summary().resize(4);
        makeWindow(SetupKind::Summary);
        prompter->positionAnswers = {5};
        button("add")->click();
        QCOMPARE(prompter->positionRequests.size(), 1);
        QCOMPARE(prompter->positionRequests[0].caption, QString("Add Field in Grid"));
        QCOMPARE(prompter->positionRequests[0].count, 4);
        QCOMPARE(prompter->positionRequests[0].current, 1);
        QCOMPARE(summary().size(), size_t(5));
        QCOMPARE(summary()[4].name, QString()); // past the end: an empty entry
        QCOMPARE(grid()->columnCount(), 5);
        QCOMPARE(window->shownPosition(), 5);
        QCOMPARE(box("dsfieldpos")->text(), QString("5"));
        QCOMPARE(grid()->currentColumn(), 4);
        QCOMPARE(name()->currentIndex(), -1);

        // The new entry is edited like any other: a name picked and accepted.
        prompter->messageAnswers = {IdOk};
        pickName("SELSIZE");
        QCOMPARE(summary()[4].name, QString("SELSIZE"));
        QCOMPARE(summary()[4].description, QString("SELSIZE"));
        QCOMPARE(gridHeading(5), QString("SELSIZE"));

        // Inside the list the new entry starts as the one that moved down; Cancel adds nothing.
        prompter->clear();
        type(box("dsfieldpos"), "2");
        prompter->positionAnswers = {3, 0};
        button("add")->click();
        QCOMPARE(prompter->positionRequests.last().current, 2);
        QCOMPARE(namesOf(summary()),
                 QStringList({"PATH", "PATHLEVEL", "PATHSUBAANT", "PATHSUBAANT", "SEL", "SELSIZE"}));
        QCOMPARE(window->shownPosition(), 3);
        button("add")->click();
        QCOMPARE(summary().size(), size_t(6));
        QVERIFY(prompter->messages.isEmpty());
    }

    void promoteDemoteAtTheEndsChangeNothing() {
        makeWindow(SetupKind::Detail);
        const ReportColumns before = detail();
        button("promote")->click();
        QVERIFY(detail() == before);
        type(box("dsfieldpos"), "23");
        button("demote")->click();
        QVERIFY(detail() == before);
        QCOMPARE(window->shownPosition(), 23);

        button("promote")->click();
        QCOMPARE(detail()[21].name, QString("%OCCUPIED DISKSPACE"));
        QCOMPARE(detail()[22].name, QString("%FREE DISKSPACE"));
        QCOMPARE(window->shownPosition(), 22);
        QCOMPARE(gridHeading(22), QString("%OCCUPIED DISKSPACE"));
        button("demote")->click();
        QVERIFY(detail() == before);
        QVERIFY(prompter->messages.isEmpty());
    }

    void deleteAsksFirst_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("question");
        QTest::newRow("detail") << int(SetupKind::Detail) << "Delete original field information? ";
        QTest::newRow("summary") << int(SetupKind::Summary) << "Delete original summaryfield information? ";
    }
    void deleteAsksFirst() {
        QFETCH(int, kind);
        QFETCH(QString, question);
        makeWindow(SetupKind(kind));
        ReportColumns& list = kind == int(SetupKind::Detail) ? detail() : summary();
        const ReportColumns before = list;
        type(box("dsfieldpos"), "2");
        prompter->messageAnswers = {IdCancel, IdOk};
        button("delete")->click();
        QVERIFY(list == before);
        button("delete")->click();
        QCOMPARE(prompter->texts(), QStringList({question, question}));
        QCOMPARE(prompter->messages[0].title, QString("Query information"));
        QCOMPARE(prompter->messages[0].style, platform::MbOkCancel | platform::MbQuestion);
        QCOMPARE(list.size(), before.size() - 1);
        QCOMPARE(list[1].name, before[2].name);
        QCOMPARE(grid()->columnCount(), int(before.size()) - 1);
        QCOMPARE(name()->currentText(), before[2].name); // the entry that moved up is shown
    }

    void positionOutsideTheList() {
        makeWindow(SetupKind::Detail);
        prompter->messageAnswers = {IdCancel};
        type(box("dsfieldpos"), "30");
        leave();
        QCOMPARE(prompter->texts(), QStringList({"Please specify a position between 1 and 23."}));
        QCOMPARE(prompter->messages[0].title, QString("Position fill error"));
        QCOMPARE(prompter->messages[0].style, platform::MbRetryCancel | platform::MbQuestion);
        QCOMPARE(box("dsfieldpos")->text(), QString());
        QCOMPARE(window->shownPosition(), 3); // "3", typed on the way, is a position

        // The Summary window just shows nothing for it.
        makeWindow(SetupKind::Summary);
        prompter->clear();
        type(box("dsfieldpos"), "30");
        leave();
        QVERIFY(prompter->messages.isEmpty());
        QCOMPARE(window->shownPosition(), 3);
        QCOMPARE(box("dsfieldpos")->text(), QString("30"));
    }

    void changesClearTheirUnchangedFlags() {
        makeWindow(SetupKind::Detail);
        using work::SettingsGroup;
        prompter->messageAnswers = {IdOk};
        type(box("dsfielddesc"), "No.");
        leave();
        QTest::keyClicks(box("first_title"), "Inventory");
        QCOMPARE(app->work.settings.detailTitles.firstTitle, QString("Inventory"));
        work::refreshUnchangedFlags(app->work);
        QVERIFY(!app->work.unchanged(SettingsGroup::DetailColumns));
        QVERIFY(!app->work.unchanged(SettingsGroup::DetailTitles));
        QVERIFY(app->work.unchanged(SettingsGroup::SummaryColumns));
        QVERIFY(app->work.unchanged(SettingsGroup::SummaryTitles));

        window.reset();
        makeWindow(SetupKind::Summary);
        prompter->messageAnswers = {IdOk};
        type(box("dsfieldpos"), "3");
        button("delete")->click();
        QTest::keyClicks(box("second_footnote"), "end");
        work::refreshUnchangedFlags(app->work);
        QVERIFY(!app->work.unchanged(SettingsGroup::SummaryColumns));
        QVERIFY(!app->work.unchanged(SettingsGroup::SummaryTitles));
    }

    void mainSortFieldBecomesTheSummarysFirstField() {
        QMdiArea area;
        area.resize(1200, 800);
        ConditionsWindow* conditions = openConditionsWindow(&area, *app, [](bool) {});
        const ReportSetupWindows setup = openReportSetupWindows(&area, *app);
        area.show();
        QVERIFY(QTest::qWaitForWindowActive(&area));
        QComboBox* first = setup.summary->findChild<QComboBox*>("dsfieldname");
        QCOMPARE(first->itemText(0), QString("PATH"));

        area.setActiveSubWindow(qobject_cast<QMdiSubWindow*>(conditions->parentWidget()));
        conditions->findChild<QComboBox*>("sorter_0")
            ->setCurrentIndex(conditionFieldList().indexOf("EXTENSION"));
        area.setActiveSubWindow(qobject_cast<QMdiSubWindow*>(setup.summary->parentWidget()));
        QCOMPARE(summary()[0].name, QString("EXTENSION"));
        QCOMPARE(first->itemText(0), QString("EXTENSION"));
        QCOMPARE(first->itemText(1), QString("PATHLEVEL"));
        QCOMPARE(first->currentText(), QString("EXTENSION")); // entry 1 is shown
        QCOMPARE(setup.summary->findChild<QLineEdit*>("dsfielddesc")->text(), QString("EXTENSION"));
        QCOMPARE(setup.summary->findChild<QTableWidget*>("samplegrid")->horizontalHeaderItem(0)->text(),
                 QString("EXTENSION"));
        QVERIFY(setup.summary->findChild<QComboBox*>("DQVALUECHOICE")->isHidden());
        QVERIFY(prompter->messages.isEmpty()); // nothing to accept: the list itself changed
    }

    void listsAndTitlesSurviveSaveAndOpen() {
        test::TestEnvironment env;
        app->work.workDirectory = env.workDirectory();
        QMdiArea area;
        area.resize(1200, 800);
        const ReportSetupWindows setup = openReportSetupWindows(&area, *app);
        area.show();
        QString fileName;
        work::openWorkFile(app->work, "INIT", fileName);
        QVERIFY(!app->work.activeFileName.isEmpty());

        // The edits go through the windows.
        auto edit = [](ReportSetupWindow* w, const QString& n) { return w->findChild<QLineEdit*>(n); };
        prompter->messageAnswers = {IdOk, IdOk};
        edit(setup.detail, "dsfielddesc")->setText("No.");
        setup.detail->findChild<QToolButton*>("dsfieldposSpin_up")->click();
        edit(setup.detail, "first_title")->setText("Inventory");
        Q_EMIT edit(setup.detail, "first_title")->textEdited("Inventory");
        edit(setup.summary, "dsfieldpos")->setText("3");
        Q_EMIT edit(setup.summary, "dsfieldpos")->textEdited("3");
        setup.summary->deleteField();
        edit(setup.summary, "second_footnote")->setText("end");
        Q_EMIT edit(setup.summary, "second_footnote")->textEdited("end");
        const work::WorkSettings edited = app->work.settings;
        QCOMPARE(edited.detailColumns[0].description, QString("No."));
        QCOMPARE(edited.summaryColumns.size(), size_t(10));

        const QString target = env.path("columns.zek");
        QVERIFY(work::saveWorkFile(app->work, target));
        work::openWorkFile(app->work, "NEW", fileName);
        QCOMPARE(setup.summary->findChild<QTableWidget*>("samplegrid")->columnCount(), 11);
        QCOMPARE(edit(setup.detail, "dsfielddesc")->text(), QString("#"));

        fileName = target;
        prompter->messageAnswers = {platform::IdNo}; // no reports from the loaded file
        work::openWorkFile(app->work, "LOAD", fileName);
        QVERIFY(app->work.settings.detailColumns == edited.detailColumns);
        QVERIFY(app->work.settings.summaryColumns == edited.summaryColumns);
        QCOMPARE(app->work.settings.detailTitles, edited.detailTitles);
        QCOMPARE(app->work.settings.summaryTitles, edited.summaryTitles);
        QCOMPARE(edit(setup.detail, "dsfielddesc")->text(), QString("No."));
        QCOMPARE(edit(setup.detail, "first_title")->text(), QString("Inventory"));
        QCOMPARE(edit(setup.summary, "second_footnote")->text(), QString("end"));
        QCOMPARE(setup.summary->findChild<QTableWidget*>("samplegrid")->columnCount(), 10);
        work::closeWorkFile(app->work);
    }

    void screenshots() {
        const QString dir = qEnvironmentVariable("ZEK_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("ZEK_SCREENSHOT_DIR not set");
        app->work.settings.detailTitles = {"Inventory of the photo disk", "All files", "ZEK", ""};
        for (const auto& [kind, file] : {std::pair{SetupKind::Detail, "setup_detail.png"},
                                         std::pair{SetupKind::Summary, "setup_summary.png"}}) {
            makeWindow(kind);
            type(box("dsfieldpos"), kind == SetupKind::Detail ? "7" : "5");
            window->resize(platform::twipsToPixels(5655),
                           platform::twipsToPixels(9420, platform::Axis::Y) - 30);
            QCoreApplication::processEvents();
            QVERIFY(window->grab().save(QDir(dir).filePath(file)));
        }
    }
};

QTEST_MAIN(TestReportSetupWindow)
#include "test_report_setup_window.moc"
