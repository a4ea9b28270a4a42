// The main window with its child windows, from a real start-up: the Edit menu's entry items run the
// line commands of Conditions & Sorting, and Path Selection names the active work file as it changes.
#include "app/gui/main_window.h"
#include "app/gui/start_window.h"
#include "platform/host_paths.h"
#include "platform/profile.h"
#include "query/gui/conditions_window.h"
#include "support/condition_lines.h"
#include "support/laptop_screen.h"
#include "support/program_session.h"
#include "support/scripted_prompter.h"
#include "support/test_env.h"
#include "work/work_file.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace zek;

class TestMainWindowChildren : public QObject {
    Q_OBJECT

    std::unique_ptr<test::ProgramSession> session;
    test::ScriptedPrompter* prompter = nullptr;
    AppState* app = nullptr;

    MainWindow* main() const { return session->main(); }
    QAction* action(const QString& name) const { return session->action(name); }
    ConditionsWindow* conditions() const { return main()->findChild<ConditionsWindow*>("Drivedirquery"); }
    QString lineValue(int n) const { return app->work.settings.queryLines.line(n).value; }

    void activateConditions() {
        main()->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(conditions()->parentWidget()));
        QCoreApplication::processEvents();
    }

    // As a click into a row's field list makes the row current.
    void focusRow(int r) {
        conditions()->findChild<QComboBox*>(QString("DQFIELD_%1").arg(r))->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
    }

private Q_SLOTS:
    void init() {
        session = std::make_unique<test::ProgramSession>();
        prompter = session->prompter.get();
        QVERIFY(session->startProgram());
        app = session->app.get();
    }

    void cleanup() { session.reset(); }

    // Add asks for the position, Insert puts an empty line before the current one, Delete empties
    // the current line: the same as the window's own commands, on the row last visited.
    void editMenuEntriesRunTheLineCommands() {
        activateConditions();
        QVERIFY(action("Menu_Edit_Insert")->isVisible());
        app->work.settings.queryLines = test::numberedLines(6);
        conditions()->showSettings();

        focusRow(2); // line 3
        action("Menu_Edit_Insert")->trigger();
        QCOMPARE(app->work.settings.queryLines.count(), 7);
        QCOMPARE(lineValue(2), QString("'L2'"));
        QCOMPARE(lineValue(3), QString());
        QCOMPARE(lineValue(4), QString("'L3'"));
        QCOMPARE(conditions()->rowState(conditions()->currentRow() - 1).lineNumber, 3);
        QVERIFY(prompter->positionRequests.isEmpty());

        focusRow(1); // line 4, the old line 3
        QCOMPARE(conditions()->rowState(1).lineNumber, 4);
        action("Menu_Edit_Delete")->trigger();
        conditions()->storeGridRows();
        QCOMPARE(lineValue(4), QString());
        QCOMPARE(lineValue(5), QString("'L4'"));
        QCOMPARE(app->work.settings.queryLines.count(), 7);

        prompter->positionAnswers = {1};
        action("Menu_Edit_Add")->trigger();
        QCOMPARE(prompter->positionRequests.size(), 1);
        QCOMPARE(prompter->positionRequests[0].caption, QString("Add queryfield"));
        QCOMPARE(app->work.settings.queryLines.count(), 8);
        QCOMPARE(lineValue(1), QString());
        QCOMPARE(lineValue(2), QString("'L1'"));
    }

    // The label follows the file the user works on: a new name after Save As, and the opened file.
    void pathSelectionNamesTheActiveFile() {
        auto* label = main()->findChild<QLabel*>("activedatabase");
        QCOMPARE(label->text(), session->env->workDirectory() + "/work.zek");
        const QString saved = session->env->path("saved-as.zek");
        prompter->saveAnswers = {saved};
        action("Menu_File_SaveAs")->trigger();
        QCOMPARE(app->work.activeFileName, saved);
        QCOMPARE(label->text(), saved);

        action("Menu_File_New")->trigger();
        QCOMPARE(label->text(), session->env->workDirectory() + "/work.zek");
        prompter->openAnswers = {saved};
        action("Menu_File_Open")->trigger();
        QCOMPARE(label->text(), saved);
    }
};

ZEK_TEST_MAIN_ON_LAPTOP_SCREEN(TestMainWindowChildren)
#include "test_main_window_children.moc"
