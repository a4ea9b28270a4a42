// The Conditions & Sorting window driven offscreen: rows set up per field, typed values filtered
// and checked, the line commands, the sorters, activation, and the work file carrying the lines.
#include "query/gui/conditions_window.h"

#include "app/app_state.h"
#include "app/gui/child_windows.h"
#include "query/gui/grid_edits.h"
#include "support/condition_lines.h"
#include "support/controls.h"
#include "support/scripted_prompter.h"
#include "support/test_env.h"
#include "work/work_file.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace zek;
using platform::IdCancel;
using platform::IdNo;
using platform::IdRetry;
using test::fieldIndex;
using test::numberedLines;
using test::storedTextLine;

namespace {

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

// Every control of the window: the five condition rows, the sorters, the commands and the headings.
QList<test::Control> conditionsWindowControls() {
    QList<test::Control> controls;
    for (int r = 0; r < 5; ++r) {
        const QString n = QString::number(r);
        controls += {{"queryrow_" + n, "QWidget"},
                     {"DQCHOICE_" + n, "zek::ChoiceButton", QString::number(r + 1)},
                     {"DQBRACKETL_" + n, "zek::BracketEdit"},
                     {"DQFIELD_" + n, "QComboBox"},
                     {"DQEVALUATION_" + n, "QComboBox"},
                     {"DQVALUE_" + n, "zek::MaskedValueEdit"},
                     {"DQVALUECHOICE_" + n, "QComboBox"},
                     {"DQBRACKETR_" + n, "zek::BracketEdit"},
                     {"DQCONNECTION_" + n, "QComboBox"}};
    }
    for (int i = 0; i < 3; ++i)
        controls += {{"sorter_" + QString::number(i), "QComboBox"},
                     {"Sorterstatus_" + QString::number(i), "QToolButton"}};
    controls += {{"stijgend", "QLabel"},
                 {"dalend", "QLabel"},
                 {"Command3D1", "QPushButton", "&Add"},
                 {"Command3D2", "QPushButton", "D&emote"},
                 {"Command3D3", "QPushButton", "&Promote"},
                 {"Command3D4", "QPushButton", "&Delete"},
                 {"activatequery", "QPushButton", "&Activate Query"},
                 {"queryscroll", "QScrollBar"},
                 {"querylabel_0", "QLabel", "Select"},
                 {"querylabel_1", "QLabel", "Bracket"},
                 {"querylabel_2", "QLabel", "Evaluation"},
                 {"querylabel_3", "QLabel", "Bracket"},
                 {"querylabel_4", "QLabel", "Connection"},
                 {"querylabel_5", "QLabel", "Conditions"},
                 {"querylabel_6", "QLabel", "Sorting"}};
    return controls;
}

} // namespace

class TestConditionsWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<AppState> app;
    std::unique_ptr<ConditionsWindow> window;
    std::unique_ptr<test::ScriptedPrompter> prompter;

    template <typename T> T* find(const QString& name) const { return test::child<T>(*window, name); }
    QComboBox* field(int r) const { return find<QComboBox>(QString("DQFIELD_%1").arg(r)); }
    QComboBox* evaluation(int r) const { return find<QComboBox>(QString("DQEVALUATION_%1").arg(r)); }
    MaskedValueEdit* value(int r) const { return find<MaskedValueEdit>(QString("DQVALUE_%1").arg(r)); }
    QComboBox* unit(int r) const { return find<QComboBox>(QString("DQVALUECHOICE_%1").arg(r)); }
    ChoiceButton* choice(int r) const { return find<ChoiceButton>(QString("DQCHOICE_%1").arg(r)); }
    QComboBox* connection(int r) const { return find<QComboBox>(QString("DQCONNECTION_%1").arg(r)); }
    QPushButton* button(const QString& name) const { return find<QPushButton>(name); }
    QScrollBar* scroll() const { return find<QScrollBar>("queryscroll"); }

    void makeWindow(int iTime = 1) {
        window.reset();
        app = std::make_unique<AppState>();
        app->intl.sDate = "/";
        app->intl.iTime = iTime;
        window = std::make_unique<ConditionsWindow>(app->work, app->intl);
        window->show();
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    void showLines(const QueryLines& lines) {
        app->work.settings.queryLines = lines;
        window->showSettings();
    }

    // As the user picks a field: the list gets the focus, then the entry is chosen.
    void chooseField(int r, const QString& name) {
        field(r)->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
        field(r)->setCurrentIndex(fieldIndex(name));
        Q_EMIT field(r)->activated(fieldIndex(name));
        QCoreApplication::processEvents();
    }

    void focus(QWidget* w) {
        w->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
    }

    void type(QWidget* w, const QString& text) {
        focus(w);
        QTest::keyClicks(w, text);
    }

    // Leaves a value box the way a click elsewhere does.
    void leave(int r) {
        focus(connection(r));
        QCoreApplication::processEvents();
    }

private Q_SLOTS:
    void init() {
        prompter = std::make_unique<test::ScriptedPrompter>();
        makeWindow();
    }

    void cleanup() {
        window.reset();
        app.reset();
        prompter.reset();
    }

    void everyControlByName() {
        QCOMPARE(test::controlMismatches(*window, conditionsWindowControls()).join("; "), QString());
        for (int r = 0; r < 5; ++r) {
            QCOMPARE(choice(r)->property("tag").toString(), QString::number(r + 1));
            QCOMPARE(itemsOf(field(r)), conditionFieldList());
            QCOMPARE(itemsOf(connection(r)), QStringList({"", "AND", "OR", "AND NOT", "OR NOT"}));
            QCOMPARE(itemsOf(evaluation(r)), QStringList({""}));
            QVERIFY(!value(r)->isEnabled());
            QVERIFY(!unit(r)->isVisible());
        }
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(itemsOf(find<QComboBox>(QString("sorter_%1").arg(i))), conditionFieldList());
            QToolButton* status = find<QToolButton>(QString("Sorterstatus_%1").arg(i));
            QVERIFY(status->property("ascending").toBool());
            QCOMPARE(status->iconSize(), QSize(14, 14));
        }
        QCOMPARE(find<QLabel>("stijgend")->pixmap().deviceIndependentSize(), QSizeF(14, 14));
        QCOMPARE(find<QLabel>("dalend")->pixmap().deviceIndependentSize(), QSizeF(14, 14));
        QCOMPARE(window->windowTitle(), QString("Conditions & Sorting"));
        QCOMPARE(app->work.settings.queryLines.count(), 5);
        QCOMPARE(scroll()->minimum(), 1);
        QCOMPARE(scroll()->maximum(), 5);
    }

    void sizeFillsSixEvaluationsAndTheUnitBoxNameHidesIt() {
        chooseField(0, "SIZE");
        QCOMPARE(itemsOf(evaluation(0)), QStringList({"=", "NOT =", "<", "<=", ">", ">="}));
        QCOMPARE(evaluation(0)->currentIndex(), 0);
        QVERIFY(unit(0)->isVisible());
        QCOMPARE(itemsOf(unit(0)), QStringList({"  ", "KB", "MB"}));
        QCOMPARE(unit(0)->currentIndex(), 0);
        QVERIFY(value(0)->isEnabled());
        QCOMPARE(QApplication::focusWidget(), value(0)); // the focus moves on to the value
        chooseField(0, "NAME");
        QVERIFY(!unit(0)->isVisible());
        QCOMPARE(itemsOf(evaluation(0)), QStringList({"=", "NOT ="}));
        QCOMPARE(value(0)->maskedText(), QString());
    }

    void choosingAFieldClearsATypedValueTheEmptyFieldChangesNothing() {
        chooseField(1, "LONGNAME");
        type(value(1), "report");
        QCOMPARE(value(1)->maskedText().remove('_'), QString("REPORT"));
        chooseField(1, "DATE");
        QCOMPARE(value(1)->maskedText(), QString("__/__/__"));
        type(value(1), "120796");
        QCOMPARE(value(1)->maskedText(), QString("12/07/96"));
        focus(evaluation(1));
        evaluation(1)->setCurrentIndex(4);
        chooseField(1, "");
        QCOMPARE(value(1)->maskedText(), QString("12/07/96"));
        QCOMPARE(evaluation(1)->count(), 6);
        QCOMPARE(evaluation(1)->currentIndex(), 4);
        QVERIFY(value(1)->isEnabled());
    }

    void amPmBoxOnlyWithATwelveHourClock() {
        makeWindow(0);
        chooseField(2, "TIME");
        QVERIFY(unit(2)->isVisible());
        QCOMPARE(itemsOf(unit(2)), QStringList({"AM", "PM"}));
        QCOMPARE(unit(2)->currentText(), QString("AM"));
        QCOMPARE(value(2)->maskedText(), QString("__:__"));
        makeWindow(1);
        chooseField(2, "TIME");
        QVERIFY(!unit(2)->isVisible());
    }

    void attributesShowSet() {
        chooseField(0, "ARCHIVE");
        QCOMPARE(value(0)->maskedText(), QString("SET"));
        focus(value(0));
        value(0)->selectAll();
        QTest::keyClick(value(0), Qt::Key_Backspace);
        QCOMPARE(value(0)->maskedText(), QString("___"));
        leave(0);
        QCOMPARE(value(0)->maskedText(), QString("SET"));
        QVERIFY(prompter->messages.isEmpty());
    }

    void bracketBoxesTypeOnlyBrackets() {
        auto* left = find<BracketEdit>("DQBRACKETL_0");
        type(left, "x");
        QCOMPARE(left->text(), QString("("));
        QTest::keyClicks(left, "a 1");
        QCOMPARE(left->text(), QString("(((("));
        QTest::keyClick(left, Qt::Key_Backspace);
        QCOMPARE(left->text(), QString("((("));
        auto* right = find<BracketEdit>("DQBRACKETR_3");
        type(right, "x(");
        QCOMPARE(right->text(), QString("))"));
        // Pasted text becomes brackets too.
        QApplication::clipboard()->setText("ab");
        right->pasteFiltered();
        QCOMPARE(right->text(), QString("))))"));
    }

    void keysTypedIntoValues() {
        chooseField(0, "NAME");
        type(value(0), "ab.c:1");
        QCOMPARE(value(0)->maskedText(), QString("ABC1"));
        chooseField(1, "PATH");
        type(value(1), "c:/tmp");
        QCOMPARE(value(1)->maskedText().remove('_'), QString("C:/TMP"));
        chooseField(2, "SIZE");
        type(value(2), "1.5");
        QCOMPARE(value(2)->maskedText(), QString("15"));
        unit(2)->setCurrentIndex(1); // KB
        value(2)->clear();
        QTest::keyClicks(value(2), "1.5");
        QCOMPARE(value(2)->maskedText(), QString("1.5"));
        // Pasting passes the same filter.
        chooseField(3, "EXTENSION");
        focus(value(3));
        QApplication::clipboard()->setText("t.x?");
        value(3)->pasteFiltered();
        QCOMPARE(value(3)->maskedText(), QString("TX?"));
    }

    void leavingAValueBoxChecksIt() {
        chooseField(0, "SIZE");
        evaluation(0)->setCurrentIndex(4);
        type(value(0), "1234567");
        leave(0);
        QCOMPARE(value(0)->maskedText(), QString("1,234,567"));
        QCOMPARE(evaluation(0)->currentIndex(), 4); // the chosen ">" stays
        QVERIFY(prompter->messages.isEmpty());

        unit(0)->setCurrentIndex(1);
        focus(value(0));
        value(0)->clear();
        QTest::keyClicks(value(0), "1.2.3");
        prompter->messageAnswers = {IdCancel};
        leave(0);
        QCOMPARE(prompter->texts(), QStringList({"Too many . specified."}));
        QCOMPARE(prompter->messages[0].title, QString("Query fill error"));
        QCOMPARE(prompter->messages[0].style, platform::MbRetryCancel | platform::MbQuestion);
        // Cancel rebuilds the row: the value is gone, the unit box back to bytes.
        QCOMPARE(value(0)->maskedText(), QString());
        QCOMPARE(unit(0)->currentIndex(), 0);

        prompter->clear();
        chooseField(1, "EXTENSION");
        type(value(1), "con");
        prompter->messageAnswers = {IdRetry};
        leave(1);
        QCOMPARE(prompter->texts(), QStringList({"Non-standard MS-DOS filename used."}));
        QCOMPARE(value(1)->maskedText(), QString("CON")); // kept for correcting
        QTRY_COMPARE(QApplication::focusWidget(), value(1));
        value(1)->setMaskedText("TXT");

        prompter->clear();
        chooseField(2, "TIME");
        type(value(2), "2400");
        leave(2);
        QCOMPARE(prompter->texts(), QStringList({"Invalid time specified."}));
    }

    void addCancelledChangesNothing() {
        showLines(numberedLines(6));
        const QueryLines before = app->work.settings.queryLines;
        focus(evaluation(2));
        prompter->positionAnswers = {0};
        button("Command3D1")->click();
        QCOMPARE(prompter->positionRequests.size(), 1);
        QCOMPARE(prompter->positionRequests[0].caption, QString("Add queryfield"));
        QCOMPARE(prompter->positionRequests[0].count, 6);
        QCOMPARE(prompter->positionRequests[0].current, 3);
        QVERIFY(app->work.settings.queryLines == before);
        QCOMPARE(choice(0)->text(), QString("1"));
        QCOMPARE(value(2)->maskedText().remove('_'), QString("L3"));
        QCOMPARE(scroll()->maximum(), 6);
    }

    void addAtPositionOneWithTenLines() {
        showLines(numberedLines(10));
        prompter->positionAnswers = {1};
        button("Command3D1")->click();
        QCOMPARE(app->work.settings.queryLines.count(), 11);
        QCOMPARE(scroll()->maximum(), 11);
        QCOMPARE(choice(0)->text(), QString("1"));
        QCOMPARE(field(0)->currentIndex(), 0);
        QVERIFY(!value(0)->isEnabled());
        for (int r = 1; r < 5; ++r) {
            QCOMPARE(choice(r)->text(), QString::number(r + 1));
            QCOMPARE(choice(r)->property("tag").toString(), QString::number(r + 1));
            QCOMPARE(value(r)->maskedText().remove('_'), QString("L%1").arg(r));
        }
        QCOMPARE(app->work.settings.queryLines.line(11).value, QString("'L10'"));
    }

    void demoteOnTheLastLineAndPromoteOnLineOneDoNothing() {
        showLines(numberedLines(5));
        focus(connection(4));
        button("Command3D2")->click();
        QCOMPARE(value(4)->maskedText().remove('_'), QString("L5"));
        QCOMPARE(value(3)->maskedText().remove('_'), QString("L4"));
        focus(connection(0));
        button("Command3D3")->click();
        QCOMPARE(value(0)->maskedText().remove('_'), QString("L1"));
        QCOMPARE(value(1)->maskedText().remove('_'), QString("L2"));
        // Inside the grid the neighbours exchange their contents.
        choice(0)->click();
        button("Command3D2")->click();
        QCOMPARE(value(0)->maskedText().remove('_'), QString("L2"));
        QCOMPARE(value(1)->maskedText().remove('_'), QString("L1"));
        QVERIFY(choice(1)->isMarked());
        QVERIFY(!choice(0)->isMarked());
        QCOMPARE(choice(0)->text(), QString("1"));
        window->storeGridRows();
        QCOMPARE(app->work.settings.queryLines.line(2).value, QString("'L1'"));
        QCOMPARE(app->work.settings.queryLines.line(2).choice, 1);
    }

    void deleteEmptiesTheLineAndKeepsTheCount() {
        showLines(numberedLines(7));
        focus(evaluation(1));
        button("Command3D4")->click();
        QCOMPARE(field(1)->currentIndex(), 0);
        QCOMPARE(value(1)->maskedText(), QString());
        QCOMPARE(choice(1)->text(), QString("2"));
        window->storeGridRows();
        QCOMPARE(app->work.settings.queryLines.count(), 7);
        QCOMPARE(app->work.settings.queryLines.line(2).field, QString());
        QCOMPARE(app->work.settings.queryLines.line(3).value, QString("'L3'"));
    }

    void storedLinesShownBack() {
        QueryLines lines = numberedLines(5);
        QueryLine& size = lines.line(1);
        size = QueryLine{};
        size.field = "SIZE";
        size.fieldIndex = fieldIndex("SIZE");
        size.evaluation = ">";
        size.evaluationIndex = 4;
        size.value = "1536";
        size.valueChoice = "KB";
        size.valueChoiceIndex = 1;
        QueryLine& time = lines.line(2);
        time = QueryLine{};
        time.field = "TIME";
        time.fieldIndex = fieldIndex("TIME");
        time.evaluation = "<";
        time.value = "143000";
        time.valueChoiceIndex = -1;
        showLines(lines);
        QCOMPARE(value(0)->maskedText(), QString("1.5"));
        QVERIFY(unit(0)->isVisible());
        QCOMPARE(unit(0)->currentText(), QString("KB"));
        QCOMPARE(evaluation(0)->currentText(), QString(">"));
        QCOMPARE(value(1)->maskedText(), QString("14:30"));
        QVERIFY(!unit(1)->isVisible());

        makeWindow(0);
        showLines(lines);
        QCOMPARE(value(1)->maskedText(), QString("02:30"));
        QVERIFY(unit(1)->isVisible());
        QCOMPARE(unit(1)->currentText(), QString("PM"));
        // Stored again unchanged.
        window->storeGridRows();
        QCOMPARE(app->work.settings.queryLines.line(1).value, QString("1536"));
        QCOMPARE(app->work.settings.queryLines.line(2).value, QString("143000"));
    }

    void markAndFocusTracking() {
        QCOMPARE(choice(0)->textColor(), QColor(Qt::black));
        choice(0)->click();
        QVERIFY(choice(0)->isMarked());
        QCOMPARE(choice(0)->textColor(), QColor(Qt::white));
        choice(0)->click();
        QCOMPARE(choice(0)->textColor(), QColor(Qt::black));

        showLines(numberedLines(8));
        focus(evaluation(2));
        QCOMPARE(window->currentRow(), 3);
        QCOMPARE(window->currentColumn(), QString("dqevaluation"));
        QCOMPARE(scroll()->value(), 3);
        QVERIFY(choice(2)->isCurrent());
        QVERIFY(!choice(0)->isCurrent());
    }

    void scrollingFromTheBottomRow() {
        showLines(numberedLines(8));
        focus(connection(4));
        connection(4)->setCurrentIndex(2);
        scroll()->setValue(6);
        QCOMPARE(choice(0)->text(), QString("2"));
        QCOMPARE(choice(4)->text(), QString("6"));
        QCOMPARE(window->currentRow(), 5);
        QCOMPARE(QApplication::focusWidget(), connection(4));
        QCOMPARE(app->work.settings.queryLines.line(5).connection, QString("OR")); // stored first
        // Up inside the grid moves the current row; up from the top row scrolls back.
        scroll()->setValue(5);
        QCOMPARE(window->currentRow(), 4);
        QCOMPARE(QApplication::focusWidget(), connection(3));
        focus(connection(0));
        scroll()->setValue(1);
        QCOMPARE(choice(0)->text(), QString("1"));
        QCOMPARE(connection(4)->currentText(), QString("OR"));
    }

    void sortersFollowTheirControlsAndComeBackFromTheState() {
        auto* status = find<QToolButton>("Sorterstatus_0");
        status->click();
        QVERIFY(!status->property("ascending").toBool());
        QVERIFY(!app->work.settings.sorters[0].ascending);
        find<QComboBox>("sorter_1")->setCurrentIndex(fieldIndex("SIZE"));
        QCOMPARE(app->work.settings.sorters[1].text, QString("SIZE"));
        QCOMPARE(window->mainSortField(), QString("SIZE"));
        status->click();
        QVERIFY(app->work.settings.sorters[0].ascending);

        app->work.settings.sorters = {Sorter{"EXTENSION", false}, Sorter{}, Sorter{"NAME", true}};
        window->showSettings();
        QCOMPARE(find<QComboBox>("sorter_0")->currentText(), QString("EXTENSION"));
        QVERIFY(!find<QToolButton>("Sorterstatus_0")->property("ascending").toBool());
        QCOMPARE(find<QComboBox>("sorter_1")->currentIndex(), 0);
        QCOMPARE(find<QComboBox>("sorter_2")->currentText(), QString("NAME"));
    }

    void activateQueryIsNotImplemented() {
        button("activatequery")->click();
        QCOMPARE(prompter->texts(), QStringList({"Not yet implemented"}));
    }

    void activationInTheMainWindowArea() {
        window.reset();
        // Declared before the area, which calls back into them until it is gone.
        QList<bool> entryItems;
        int previousStores = 0;
        QMdiArea area;
        area.resize(1100, 700);
        connect(&app->work.events, &work::WorkEvents::aboutToReadSettings, &area,
                [&previousStores] { ++previousStores; });
        ConditionsWindow* w =
            openConditionsWindow(&area, *app, [&entryItems](bool v) { entryItems.append(v); });
        QMdiSubWindow* other = area.addSubWindow(new QLabel("other"));
        other->show();
        area.show();
        QVERIFY(QTest::qWaitForWindowActive(&area));

        area.setActiveSubWindow(qobject_cast<QMdiSubWindow*>(w->parentWidget()));
        QCOMPARE(entryItems.value(entryItems.size() - 1), true);
        w->findChild<QComboBox*>("sorter_0")->setCurrentIndex(fieldIndex("EXTENSION"));
        app->work.settings.summaryColumns = defaultSummaryColumns();
        area.setActiveSubWindow(other);
        QCOMPARE(entryItems.last(), false);
        const ReportColumn& first = app->work.settings.summaryColumns.front();
        QCOMPARE(first.name, QString("EXTENSION"));
        QCOMPARE(first.description, QString("EXTENSION"));
        QCOMPARE(first.width, 990);
        QCOMPARE(first.extra, QString());
        QCOMPARE(first.format, QString("#,##0"));
        QCOMPARE(app->work.settings.summaryColumns.size(), defaultSummaryColumns().size());

        // With no sorter set the main sort field is PATH, which the default list already starts with.
        w->findChild<QComboBox*>("sorter_0")->setCurrentIndex(0);
        app->work.settings.summaryColumns = defaultSummaryColumns();
        area.setActiveSubWindow(qobject_cast<QMdiSubWindow*>(w->parentWidget()));
        area.setActiveSubWindow(other);
        QVERIFY(app->work.settings.summaryColumns == defaultSummaryColumns());

        // A connection made before the window's still runs.
        Q_EMIT app->work.events.aboutToReadSettings();
        QVERIFY(previousStores > 0);
        // The window cannot be closed.
        QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
        sub->close();
        QCoreApplication::processEvents();
        QVERIFY(sub->isVisible());
        QVERIFY(area.subWindowList().contains(sub));
    }

    // A main window being destroyed takes the sub-windows down after its own members are gone:
    // the window must not call back into it then.
    void noCallBackFromADestroyedMainWindow() {
        window.reset();
        struct Main : QWidget {
            bool* gone;
            explicit Main(bool* g) : gone(g) {}
            ~Main() override { *gone = true; }
        };
        bool gone = false;
        bool calledWhenGone = false;
        auto* main = new Main(&gone);
        auto* area = new QMdiArea(main);
        main->resize(1000, 600);
        openConditionsWindow(area, *app, [&](bool) { calledWhenGone = calledWhenGone || gone; });
        main->show();
        QApplication::setActiveWindow(main);
        QVERIFY(QTest::qWaitForWindowActive(main));
        area->setActiveSubWindow(area->subWindowList().first());
        delete main;
        QVERIFY(gone);
        QVERIFY(!calledWhenGone);
        Q_EMIT app->work.events.aboutToReadSettings(); // the window's connection ended with it
    }

    void workFileCarriesLinesAndSorters() {
        test::TestEnvironment env;
        app->work.workDirectory = env.workDirectory();
        connect(&app->work.events, &work::WorkEvents::aboutToReadSettings, window.get(),
                &ConditionsWindow::storeGridRows);
        connect(&app->work.events, &work::WorkEvents::settingsReloaded, window.get(),
                &ConditionsWindow::showSettings);
        QString name;
        work::openWorkFile(app->work, "INIT", name);
        QVERIFY(!app->work.activeFileName.isEmpty());

        chooseField(0, "SIZE");
        type(value(0), "2");
        unit(0)->setCurrentIndex(2);
        chooseField(1, "NAME");
        type(value(1), "a*");
        connection(1)->setCurrentIndex(3);
        find<QComboBox>("sorter_0")->setCurrentIndex(fieldIndex("DATE"));
        find<QToolButton>("Sorterstatus_0")->click();
        const QString target = env.path("carried.zek");
        QVERIFY(work::saveWorkFile(app->work, target));
        QCOMPARE(app->work.settings.queryLines.line(1).value, QString("2097152"));

        work::openWorkFile(app->work, "NEW", name);
        QCOMPARE(field(0)->currentIndex(), 0);
        QCOMPARE(value(1)->maskedText(), QString());

        name = target;
        work::openWorkFile(app->work, "LOAD", name);
        QCOMPARE(field(0)->currentText(), QString("SIZE"));
        QCOMPARE(value(0)->maskedText(), QString("2"));
        QCOMPARE(unit(0)->currentText(), QString("MB"));
        QCOMPARE(value(1)->maskedText(), QString("A*"));
        QCOMPARE(connection(1)->currentText(), QString("AND NOT"));
        QCOMPARE(find<QComboBox>("sorter_0")->currentText(), QString("DATE"));
        QVERIFY(!find<QToolButton>("Sorterstatus_0")->property("ascending").toBool());
        work::closeWorkFile(app->work);
    }

    // A work file reopened and left alone has no changes to save, although the grid holds an
    // attribute's "NOT =" and a time's AM/PM in list positions that the file does not keep.
    void reopenedLinesLeftAloneAreNoChange_data() {
        QTest::addColumn<int>("iTime");
        QTest::newRow("12-hour clock") << 0;
        QTest::newRow("24-hour clock") << 1;
    }

    void reopenedLinesLeftAloneAreNoChange() {
        QFETCH(int, iTime);
        makeWindow(iTime);
        test::TestEnvironment env;
        app->work.workDirectory = env.workDirectory();
        connect(&app->work.events, &work::WorkEvents::aboutToReadSettings, window.get(),
                &ConditionsWindow::storeGridRows);
        connect(&app->work.events, &work::WorkEvents::settingsReloaded, window.get(),
                &ConditionsWindow::showSettings);
        QString name;
        work::openWorkFile(app->work, "INIT", name);

        chooseField(0, "READONLY");
        focus(evaluation(0));
        evaluation(0)->setCurrentIndex(1);
        connection(0)->setCurrentIndex(1);
        chooseField(1, "TIME");
        focus(evaluation(1));
        evaluation(1)->setCurrentIndex(5);
        type(value(1), iTime == 1 ? "1430" : "0230");
        if (iTime != 1) {
            focus(unit(1));
            unit(1)->setCurrentIndex(1);
        }
        chooseField(2, "SIZE");
        focus(unit(2));
        unit(2)->setCurrentIndex(1);
        type(value(2), "1.5");
        chooseField(3, "EXTENSION");
        focus(evaluation(3));
        evaluation(3)->setCurrentIndex(1);
        type(value(3), "tmp");
        chooseField(4, "ACCESSTIME");
        type(value(4), "1200");
        const QString target = env.path("left-alone.zek");
        QVERIFY(work::saveWorkFile(app->work, target));
        const QueryLines& saved = app->work.settings.queryLines;
        QCOMPARE(saved.line(1).value, QString("FALSE"));
        QCOMPARE(saved.line(2).value, QString("143000"));
        QCOMPARE(saved.line(3).value, QString("1536"));
        QCOMPARE(saved.line(4).evaluation, QString("NOT LIKE"));
        QCOMPARE(saved.line(5).value, QString(iTime == 1 ? "120000" : "000000")); // 12:00 AM: midnight

        name = target;
        work::openWorkFile(app->work, "LOAD", name);
        QCOMPARE(evaluation(0)->currentText(), QString("NOT ="));
        QCOMPARE(unit(1)->isVisible(), iTime != 1);
        if (iTime != 1)
            QCOMPARE(unit(1)->currentText(), QString("PM"));
        QVERIFY(!work::workFileChanged(app->work));
        prompter->clear();
        name.clear();
        work::openWorkFile(app->work, "NEW", name);
        QCOMPARE(prompter->texts(), QStringList());

        // A line changed after the reopening still counts.
        name = target;
        work::openWorkFile(app->work, "LOAD", name);
        focus(evaluation(0));
        evaluation(0)->setCurrentIndex(0);
        prompter->messageAnswers = {IdNo};
        name.clear();
        work::openWorkFile(app->work, "NEW", name);
        QCOMPARE(prompter->texts(), QStringList({"Save active " + target + " ZEK database?"}));
        work::closeWorkFile(app->work);
    }

    void leavingAValueBoxKeepsTheEvaluation() {
        // SIZE > 1 MB: choosing the unit leaves the value box, and the line must stay as chosen.
        chooseField(0, "SIZE");
        focus(evaluation(0));
        evaluation(0)->setCurrentIndex(4);
        type(value(0), "1");
        focus(unit(0));
        unit(0)->setCurrentIndex(2);
        QCOMPARE(evaluation(0)->currentText(), QString(">"));
        window->storeGridRows();
        const QueryLine stored = app->work.settings.queryLines.line(1);
        QCOMPARE(stored.evaluation, QString(">"));
        QCOMPARE(stored.value, QString("1048576"));

        // A text field keeps "NOT =" the same way; a refused value cancelled sets the row up again.
        chooseField(1, "EXTENSION");
        focus(evaluation(1));
        evaluation(1)->setCurrentIndex(1);
        type(value(1), "txt");
        leave(1);
        QCOMPARE(evaluation(1)->currentText(), QString("NOT ="));
        focus(value(1));
        value(1)->selectAll();
        QTest::keyClicks(value(1), "nul");
        prompter->messageAnswers = {IdCancel};
        leave(1);
        QCOMPARE(prompter->texts(), QStringList({"Non-standard MS-DOS filename used."}));
        QCOMPARE(evaluation(1)->currentIndex(), 0);
    }

    void typedUnderscoresAreKept() {
        // Typed, pasted and read back from a stored line: a "_" is part of the name; only the
        // mask's unfilled places are left out.
        chooseField(0, "LONGNAME");
        type(value(0), "lib_c*");
        QCOMPARE(value(0)->maskedText(), QString("LIB_C*"));
        QVERIFY(value(0)->displayText().startsWith("LIB_C*"));
        QCOMPARE(value(0)->displayText().size(), 64); // the unfilled places are still shown
        leave(0);
        chooseField(1, "NAME");
        focus(value(1));
        QApplication::clipboard()->setText(QString("a_") + MaskedValueEdit::AnyCharacterBlank + "b");
        value(1)->pasteFiltered(); // the blank itself cannot be entered
        QCOMPARE(value(1)->maskedText(), QString("A_B"));
        leave(1);
        window->storeGridRows();
        QCOMPARE(app->work.settings.queryLines.line(1).value, QString("'LIB_C*'"));
        QCOMPARE(app->work.settings.queryLines.line(2).value, QString("'A_B'"));

        QueryLines stored = numberedLines(5);
        stored.line(1) = storedTextLine("NAME", "MY_FILE*");
        stored.line(2) = storedTextLine("NAME", "LIBC*"); // as older work files hold it
        showLines(stored);
        QCOMPARE(value(0)->maskedText(), QString("MY_FILE*"));
        window->storeGridRows();
        QCOMPARE(app->work.settings.queryLines.line(1).value, QString("'MY_FILE*'"));
        QCOMPARE(app->work.settings.queryLines.line(2).value, QString("'LIBC*'"));
    }

    void clickingIntoAValueBoxPutsTheCursorAfterTheText_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("first");  // typed after a click into the middle of the empty box
        QTest::addColumn<QString>("second"); // typed after a click at the far end
        QTest::addColumn<QString>("result");
        QTest::newRow("LONGPATH") << "LONGPATH"
                                  << "/usr"
                                  << "/lib"
                                  << "/USR/LIB";
        QTest::newRow("PATH") << "PATH"
                              << "c:"
                              << "/x"
                              << "C:/X";
        QTest::newRow("LONGNAME") << "LONGNAME"
                                  << "lib"
                                  << "c*"
                                  << "LIBC*";
        QTest::newRow("NAME") << "NAME"
                              << "ab"
                              << "cd"
                              << "ABCD";
        QTest::newRow("DATE") << "DATE"
                              << "12"
                              << "0796"
                              << "12/07/96";
    }
    void clickingIntoAValueBoxPutsTheCursorAfterTheText() {
        QFETCH(QString, field);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, result);
        chooseField(0, field);
        focus(connection(0));
        MaskedValueEdit* box = value(0);
        QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
        QCOMPARE(QApplication::focusWidget(), box);
        QCOMPARE(box->cursorPosition(), 0);
        QTest::keyClicks(box, first);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 4, box->height() / 2));
        QTest::keyClicks(box, second);
        QCOMPARE(box->maskedText(), result);
        // A click into the typed text itself still places the cursor there.
        const int inside = box->fontMetrics().horizontalAdvance(box->displayText().left(2)) + 5;
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(inside, box->height() / 2));
        QVERIFY(box->cursorPosition() > 0 && box->cursorPosition() < result.size());
    }

    // Three filled lines, as the documentation shows the window.
    void screenshot() {
        makeWindow(0);
        QueryLines lines;
        lines.reset(0);
        QueryLine name = storedTextLine("NAME", "REPORT*");
        name.bracketL = "(";
        name.connection = "OR";
        name.connectionIndex = 2;
        lines.append(name);
        QueryLine ext = storedTextLine("NAME", "DOC");
        ext.field = "EXTENSION";
        ext.fieldIndex = fieldIndex("EXTENSION");
        ext.bracketR = ")";
        ext.connection = "AND";
        ext.connectionIndex = 1;
        lines.append(ext);
        QueryLine size;
        size.choice = 1;
        size.field = "SIZE";
        size.fieldIndex = fieldIndex("SIZE");
        size.evaluation = ">=";
        size.evaluationIndex = 5;
        size.value = "1572864";
        size.valueChoiceIndex = 2;
        lines.append(size);
        lines.append(QueryLine{});
        lines.append(QueryLine{});
        lines.append(QueryLine{});
        app->work.settings.sorters = {Sorter{"SIZE", false}, Sorter{"NAME", true}, Sorter{}};
        showLines(lines);
        window->resize(window->sizeHint());
        focus(value(2));
        const QPixmap shot = window->grab();
        QVERIFY(!shot.isNull());
        const QString dir = qEnvironmentVariable("ZEK_SCREENSHOT_DIR");
        if (!dir.isEmpty())
            QVERIFY(shot.save(QDir(dir).filePath("screenshot-conditions.png")));
    }
};

QTEST_MAIN(TestConditionsWindow)
#include "test_conditions_window.moc"
