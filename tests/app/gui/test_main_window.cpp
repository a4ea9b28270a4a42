// The start window and the main window, driven through a scripted prompter in a private home.
#include "app/batch_run.h"
#include "app/gui/help_window.h"
#include "app/gui/main_window.h"
#include "app/gui/start_window.h"
#include "app/gui/window_placement.h"
#include "app/recent_files.h"
#include "app/startup.h"
#include "platform/directory_lock.h"
#include "platform/host_paths.h"
#include "platform/instance_lock.h"
#include "platform/profile.h"
#include "support/controls.h"
#include "support/laptop_screen.h"
#include "support/scripted_prompter.h"
#include "support/test_env.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>

#include <memory>
#include <sys/stat.h>

using namespace zek;
using platform::IdCancel;
using platform::IdNo;
using platform::IdOk;
using platform::IdYes;

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString ini() {
    return platform::settingsFileName();
}

QString iniValue(const QString& section, const QString& key) {
    return platform::getPrivateProfileString(section, key, "<missing>", ini());
}

QStringList visibleTopLevels() {
    QStringList names;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            names.append(w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName());
    }
    return names;
}

int indexOfText(const test::ScriptedPrompter& p, const QString& text) {
    for (int i = 0; i < p.messages.size(); ++i) {
        if (p.messages[i].text == text)
            return i;
    }
    return -1;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnvironment> env;
    std::unique_ptr<test::ScriptedPrompter> prompter;

    void useWorkDirectory() {
        QVERIFY(
            platform::writePrivateProfileString("Global", "DefaultDirectory", env->workDirectory(), ini()));
    }

    // Runs the start-up to its end or to an idle main window.
    void runStart(StartWindow& start) {
        start.setAssociationCaches(platform::CacheUpdate::Skip);
        start.show();
        QTRY_VERIFY(start.hasFinished() ||
                    (start.mainWindow() && start.mainWindow()->status() == "ZEK 32-bit version"));
    }

private Q_SLOTS:
    void init() {
        // Before anything else: the configuration, data and runtime folders and HOME are private.
        env = std::make_unique<test::TestEnvironment>();
        prompter = std::make_unique<test::ScriptedPrompter>();
    }

    void cleanup() {
        prompter.reset();
        env.reset();
        QVERIFY2(visibleTopLevels().isEmpty(), qPrintable(visibleTopLevels().join(", ")));
    }

    void menusToolbarAndStatusBar() {
        AppState app;
        MainWindow main(app);
        QCOMPARE(main.objectName(), "MDIForm1");
        QCOMPARE(main.windowTitle(), "ZEK");
        QVERIFY(qobject_cast<QMdiArea*>(main.centralWidget()));

        const QList<test::Control> controls = {
            {"Menu_File", "QAction", "&File"},
            {"Menu_File_New", "QAction", "&New"},
            {"Menu_File_Open", "QAction", "&Open..."},
            {"Menu_File_Save", "QAction", "&Save"},
            {"Menu_File_SaveAs", "QAction", "Save &As..."},
            {"Menu_File_Print", "QAction", "&Print..."},
            {"Menu_File_Print_Detail", "QAction", "&Detail Report"},
            {"Menu_File_Print_Summary", "QAction", "&Summary Report"},
            {"Menu_File_PrintSetup", "QAction", "Print Set&up..."},
            {"Menu_File_Exit", "QAction", "E&xit"},
            {"Menu_Edit", "QAction", "&Edit"},
            {"Menu_Edit_Cut", "QAction", "Cu&t"},
            {"Menu_Edit_Copy", "QAction", "&Copy"},
            {"Menu_Edit_Copy_Selection", "QAction", "Selection"},
            {"Menu_Edit_Copy_Page", "QAction", "Page"},
            {"Menu_Edit_Paste", "QAction", "&Paste"},
            {"Menu_Edit_Add", "QAction", "&Add New Entry"},
            {"Menu_Edit_Insert", "QAction", "&Insert Entry"},
            {"Menu_Edit_Delete", "QAction", "&Delete Entry"},
            {"Menu_Window", "QAction", "&Window"},
            {"Menu_Window_Cascade", "QAction", "&Cascade"},
            {"Menu_Window_Tile_Horizontal", "QAction", "&Tile Horizontal"},
            {"Menu_Window_Tile_Vertical", "QAction", "Tile &Vertical"},
            {"Menu_Window_ArrangeIcons", "QAction", "&Arrange Icons"},
            {"Menu_Window_SS", "QAction", "&Save Settings on Exit"},
            {"Menu_Help", "QAction", "&Help"},
            {"Menu_Help_Topics", "QAction", "&Help Topics"},
            {"Menu_Help_Tip", "QAction", "Ti&p of the Day..."},
            {"Menu_Help_About", "QAction", "&About"},
            // Menus with items are menus under their own name too.
            {"Menu_File", "QMenu"},
            {"Menu_File_Print", "QMenu"},
            {"Menu_Edit", "QMenu"},
            {"Menu_Edit_Copy", "QMenu"},
            {"Menu_Window", "QMenu"},
            {"Menu_Help", "QMenu"},
            {"Toolbar1", "QToolBar"},
            {"StatusBar1", "QStatusBar"},
        };
        QCOMPARE(test::controlMismatches(main, controls).join("; "), QString());

        // The File menu in order: the recent-file separator follows Exit.
        QStringList fileOrder;
        for (QAction* a : main.findChild<QMenu*>("Menu_File")->actions())
            fileOrder.append(a->isSeparator() && a->objectName().isEmpty() ? "-" : a->objectName());
        QCOMPARE(fileOrder, QStringList({"Menu_File_New", "Menu_File_Open", "Menu_File_Save",
                                         "Menu_File_SaveAs", "-", "Menu_File_Print", "Menu_File_PrintPreview",
                                         "Menu_File_PrintSetup", "-", "Menu_File_Exit", "mnuFileArray_0"}));
        QStringList editOrder;
        for (QAction* a : main.findChild<QMenu*>("Menu_Edit")->actions())
            editOrder.append(a->objectName());
        QCOMPARE(editOrder,
                 QStringList({"Menu_Edit_Cut", "Menu_Edit_Copy", "Menu_Edit_Paste", "Menu_Edit_Hyphen",
                              "Menu_Edit_Add", "Menu_Edit_Insert", "Menu_Edit_Delete"}));

        auto action = [&](const char* name) { return main.findChild<QAction*>(name); };
        QVERIFY(action("mnuFileArray_0")->isSeparator());
        QVERIFY(!action("mnuFileArray_0")->isVisible());
        QVERIFY(action("Menu_Edit_Hyphen")->isSeparator());
        for (const char* name : {"Menu_Edit_Hyphen", "Menu_Edit_Add", "Menu_Edit_Insert", "Menu_Edit_Delete"})
            QVERIFY2(!action(name)->isVisible(), name);
        main.setEntryItemsVisible(true);
        QVERIFY(action("Menu_Edit_Add")->isVisible());
        QVERIFY(action("Menu_Edit_Hyphen")->isVisible());
        QVERIFY(action("Menu_Window_SS")->isCheckable());
        QVERIFY(!action("Menu_Window_SS")->isChecked());
        // No report exists yet: nothing to print.
        for (const char* name :
             {"Menu_File_Print", "Menu_File_Print_Detail", "Menu_File_Print_Summary", "print"})
            QVERIFY2(!action(name)->isEnabled(), name);
        QVERIFY(action("Menu_File_PrintSetup")->isEnabled());

        auto* toolbar = main.findChild<QToolBar*>("Toolbar1");
        QVERIFY(toolbar);
        QStringList keys, tips;
        for (QAction* a : toolbar->actions()) {
            keys.append(a->isSeparator() ? "-" : a->objectName());
            if (!a->isSeparator()) {
                tips.append(a->toolTip());
                QVERIFY2(!a->icon().isNull(), qPrintable(a->objectName()));
            }
        }
        QCOMPARE(keys, QStringList({"new", "open", "save", "-", "print", "-", "cut", "copy", "paste"}));
        QCOMPARE(tips, QStringList({"New Database", "Open Existing Database", "Save Database", "Print Report",
                                    "Cut", "Copy", "Paste"}));

        auto* bar = main.findChild<QStatusBar*>("StatusBar1");
        QVERIFY(bar);
        QStringList panels;
        for (QLabel* label : bar->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
            panels.append(label->objectName());
        QCOMPARE(panels, QStringList({"status", "CAPS", "NUM", "INS", "time", "date"}));
        QVERIFY(!main.findChild<QLabel*>("time")->text().isEmpty());
        QVERIFY(!main.findChild<QLabel*>("date")->text().isEmpty());
        main.setStatus("Working");
        QCOMPARE(main.findChild<QLabel*>("status")->text(), "Working");
    }

    void missingOrDeletedWorkDirectoryAsks_data() {
        QTest::addColumn<QString>("defaultDirectory");
        QTest::newRow("no settings file") << QString();
        QTest::newRow("deleted directory") << "gone";
    }

    void missingOrDeletedWorkDirectoryAsks() {
        QFETCH(QString, defaultDirectory);
        if (!defaultDirectory.isEmpty()) {
            platform::writePrivateProfileString("Global", "DefaultDirectory", env->path(defaultDirectory),
                                                ini());
        }
        AppState app;
        StartWindow start(app);
        QCOMPARE(start.objectName(), "ZEKSTART");
        // Exit in the work-directory dialog (the script's default answer).
        runStart(start);
        QVERIFY(start.hasFinished());
        QCOMPARE(start.exitCode(), ExitNormal);
        QVERIFY(!start.mainWindow());
        QCOMPARE(prompter->workDirectoryRequests.size(), 1);
        const platform::WorkDirectoryRequest& request = prompter->workDirectoryRequests.first();
        QCOMPARE(request.title, "Setup Workdirectory ZEK");
        QCOMPARE(request.prompt,
                 "If you want to change the default Workdirectory of ZEK, type the name of the directory.");
        QCOMPARE(request.label, "Workdirectory:");
        QCOMPARE(request.proposal, proposedWorkDirectory());
        QVERIFY(prompter->messages.isEmpty());
        // The association was written when the start window showed.
        QVERIFY(QFile::exists(platform::dataHome() + "/mime/packages/zek.xml"));
        QVERIFY(QFile::exists(platform::dataHome() + "/applications/zek.desktop"));
    }

    void uncreatableDirectoryIsRefusedAndAskedAgain() {
        QFile blocker(env->path("plainfile"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString typed = env->path("plainfile/zekwork");
        prompter->workDirectoryAnswers = {typed, std::nullopt};
        AppState app;
        StartWindow start(app);
        runStart(start);
        QVERIFY(start.hasFinished());
        QVERIFY(!start.mainWindow());
        QCOMPARE(prompter->messages.size(), 2);
        QCOMPARE(prompter->messages[0].text, "I am sorry, but I couldn't create the subdirectory " + typed +
                                                 ", please specify a new one.");
        QCOMPARE(prompter->messages[0].title, "Create Directory");
        QCOMPARE(prompter->messages[0].style, platform::MbCritical);
        QCOMPARE(prompter->messages[1].text, "Not a valid path.");
        QCOMPARE(prompter->messages[1].title, "Setup Workdirectory ZEK");
        QCOMPARE(prompter->messages[1].style, platform::MbExclamation);
        // Asked again with the typed text.
        QCOMPARE(prompter->workDirectoryRequests.size(), 2);
        QCOMPARE(prompter->workDirectoryRequests[1].proposal, typed);
        QCOMPARE(iniValue("Global", "DefaultDirectory"), "<missing>");
    }

    void typedDirectoryIsCreatedAndStartupGoesOn() {
        const QString typed = env->path("new/zek work");
        prompter->workDirectoryAnswers = {typed};
        AppState app;
        StartWindow start(app);
        runStart(start);
        QVERIFY(!start.hasFinished());
        QVERIFY(start.mainWindow() && start.mainWindow()->isVisible());
        QVERIFY(!start.isVisible());
        QCOMPARE(iniValue("Global", "DefaultDirectory"), typed);
        QCOMPARE(app.work.workDirectory, typed);
        QCOMPARE(app.work.activeFileName, typed + "/work.zek");
        QVERIFY(QFile::exists(typed + "/work.zek"));
        start.mainWindow()->close();
        QVERIFY(start.hasFinished());
    }

    void secondInstanceIsRefused() {
        platform::InstanceLock other;
        QVERIFY(other.acquire());
        useWorkDirectory();
        AppState app;
        StartWindow start(app);
        QSignalSpy finished(&start, &StartWindow::finished);
        runStart(start);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), ExitAlreadyRunning);
        QVERIFY(!start.mainWindow());
        QCOMPARE(prompter->messages.size(), 1);
        QCOMPARE(prompter->messages[0].text, "ZEK already running, only one copy can be active.");
        QCOMPARE(prompter->messages[0].style, platform::MbExclamation);
        QCOMPARE(prompter->messages[0].title, "ZEK");
        QVERIFY(prompter->workDirectoryRequests.isEmpty());
    }

    // The working copy belongs to one program at a time: a work directory another program holds
    // ends the start, and while the window program runs, zek-batch is refused on its directory.
    void workDirectoryInUseIsRefused() {
        useWorkDirectory();
        {
            platform::DirectoryLock batch;
            QVERIFY(batch.acquire(env->workDirectory()));
            AppState app;
            StartWindow start(app);
            QSignalSpy finished(&start, &StartWindow::finished);
            runStart(start);
            QCOMPARE(finished.size(), 1);
            QCOMPARE(finished.first().first().toInt(), ExitWorkDirectoryInUse);
            QVERIFY(!start.mainWindow());
            QCOMPARE(prompter->texts(),
                     QStringList{"The work directory " + env->workDirectory() +
                                 " is in use by another program (zek-batch); only one program at a time can "
                                 "use a work directory."});
            QCOMPARE(prompter->messages[0].style, platform::MbExclamation);
        }

        prompter->clear();
        AppState app;
        StartWindow start(app);
        runStart(start);
        QVERIFY(start.mainWindow());
        QVERIFY(!prompter->texts().join("\n").contains("in use"));
        const QString other = env->path("other.zek");
        QString out, err;
        QTextStream o(&out), e(&err);
        QCOMPARE(batch::runBatch({other, "--quiet"}, o, e), batch::ExitOk);
        const QString workingCopy = env->workDirectory() + "/work.zek";
        // A replaced working copy is another file: compare the file itself, not its name.
        auto identity = [&] {
            struct stat st {};
            return ::stat(QFile::encodeName(workingCopy).constData(), &st) == 0 ? qint64(st.st_ino) : -1;
        };
        const qint64 before = identity();
        const QStringList selectInWorkDirectory{"--work-dir", env->workDirectory(), other, "--select"};
        QCOMPARE(batch::runBatch(selectInWorkDirectory, o, e), batch::ExitWorkDirectoryInUse);
        QCOMPARE(identity(), before);
        QVERIFY(!prompter->texts().join("\n").contains("in use"));

        // The directory is free once the window program has ended.
        start.mainWindow()->close();
        QVERIFY(start.hasFinished());
        // Free: the selection runs, and finds nothing in a file never scanned.
        QCOMPARE(batch::runBatch(selectInWorkDirectory, o, e), batch::ExitEmptySelection);
    }

    void startupOpensWorkingCopyAndStatusSteps() {
        useWorkDirectory();
        AppState app;
        StartWindow start(app);
        runStart(start);
        MainWindow* main = start.mainWindow();
        QVERIFY(main && main->isVisible());
        QCOMPARE(main->status(), "ZEK 32-bit version");
        QVERIFY(app.work.databaseOpen);
        QCOMPARE(app.work.activeFileName, env->workDirectory() + "/work.zek");
        QCOMPARE(app.iniFileName, ini());
        // The help file is not beside the test program: the warning, once, and nothing else.
        QCOMPARE(prompter->texts(),
                 QStringList({"ZEK.HLP not found in your path." + CrLf + CrLf +
                              "Windows searches your PATH environment variable for help files, "
                              "so you need to copy ZEK.HLP to a directory included in your "
                              "PATH if you wish to obtain help while running ZEK."}));
        // Centred in the work area.
        const QRect area = main->screen()->availableGeometry();
        QVERIFY(qAbs(main->frameGeometry().center().x() - area.center().x()) <= 20);
        // Help Topics without a help file does nothing.
        main->findChild<QAction*>("Menu_Help_Topics")->trigger();
        QVERIFY(!main->findChild<HelpWindow*>() && visibleTopLevels() == QStringList({"MDIForm1"}));
        main->close();
        QVERIFY(start.hasFinished());
        QVERIFY(!app.work.databaseOpen);
    }

    void tipAtStartupUnlessSwitchedOffAndPositionsSurviveARestart() {
        useWorkDirectory();
        {
            AppState app;
            StartWindow start(app);
            runStart(start);
            QCOMPARE(prompter->dialogs, QStringList{"frmTip"});
            QCOMPARE(iniValue("Tip", "TipNew"), "0");
            MainWindow* main = start.mainWindow();
            main->findChild<QAction*>("Menu_Window_SS")->trigger();
            main->move(main->pos() + QPoint(37, 23));
            QTRY_VERIFY(main->pos().x() > 0);
            const QPoint moved = main->pos();
            main->close();
            QVERIFY(start.hasFinished());
            // Saved at exit, in twips: Top Left Height Width State.
            const QStringList saved = iniValue("Windowsposition", "ZekForm").split(' ');
            QCOMPARE(saved.size(), 5);
            QCOMPARE(saved[4], "0");
            QVERIFY(moved.x() > 0);
        }
        platform::writePrivateProfileString("Tip", "Tipstart", "No", ini());
        prompter->dialogs.clear();
        AppState app;
        StartWindow start(app);
        runStart(start);
        QVERIFY(prompter->dialogs.isEmpty());
        QCOMPARE(app.windowPositions.value("ZEK_FORM"), iniValue("Windowsposition", "ZekForm"));
        start.mainWindow()->close();
    }

    void badArgumentOffersInit() {
        useWorkDirectory();
        AppState app;
        const QString missing = env->path("missing.zek");
        StartWindow start(app, "  " + missing + " ");
        runStart(start);
        QVERIFY(start.mainWindow());
        const int retry = indexOfText(*prompter, "The \"LOAD\" operation failed." + CrLf +
                                                     "Retry \"INIT\" or press Cancel to end ZEK.");
        QVERIFY2(retry >= 0, qPrintable(prompter->texts().join("\n")));
        QCOMPARE(prompter->messages[retry].title, "ZEK Initialisation Error");
        QCOMPARE(prompter->messages[retry].style, platform::MbOkCancel + platform::MbCritical);
        QVERIFY(prompter->messages[retry - 1].text.startsWith("Error during open ZEK database: " + missing));
        // OK started a new working copy.
        QCOMPARE(app.work.activeFileName, env->workDirectory() + "/work.zek");
        start.mainWindow()->close();
    }

    void argumentOpensThatFile() {
        useWorkDirectory();
        // A work file saved by an earlier run.
        const QString saved = env->path("saved.zek");
        {
            AppState first;
            StartWindow start(first);
            runStart(start);
            prompter->saveAnswers = {saved};
            start.mainWindow()->findChild<QAction*>("Menu_File_SaveAs")->trigger();
            QVERIFY(QFile::exists(saved));
            start.mainWindow()->close();
        }
        prompter->clear();
        AppState app;
        StartWindow start(app, saved);
        runStart(start);
        QCOMPARE(app.work.activeFileName, saved);
        QVERIFY(indexOfText(*prompter, "The \"LOAD\" operation failed." + CrLf +
                                           "Retry \"INIT\" or press Cancel to end ZEK.") < 0);
        QCOMPARE(start.mainWindow()->findChild<QAction*>("mnuFileArray_1")->text(), "&1 " + saved);
        start.mainWindow()->close();
    }

    void failedStartupCancelEndsProgram() {
        useWorkDirectory();
        // A template that is no database: every INIT fails.
        QFile broken(env->workDirectory() + "/default.zek");
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a database");
        broken.close();
        // The help warning, then per attempt the open error and the retry box: OK once, then Cancel.
        prompter->messageAnswers = {IdOk, IdOk, IdOk, IdOk, IdCancel};
        AppState app;
        StartWindow start(app);
        runStart(start);
        QTRY_VERIFY(start.hasFinished());
        const QString retryText =
            "The \"INIT\" operation failed." + CrLf + "Retry \"INIT\" or press Cancel to end ZEK.";
        QCOMPARE(prompter->texts().count(retryText), 2);
        QVERIFY(!start.mainWindow()->isVisible());
        QVERIFY(!app.work.databaseOpen);
    }

    void exitWithChangesAsksToSave_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("firstStart"); // no recent-file list size stored yet
        QTest::newRow("No") << IdNo << false;
        QTest::newRow("Yes") << IdYes << false;
        QTest::newRow("Yes, first start") << IdYes << true;
    }

    void exitWithChangesAsksToSave() {
        QFETCH(int, answer);
        QFETCH(bool, firstStart);
        useWorkDirectory();
        if (!firstStart)
            platform::writePrivateProfileString("Recent File List", "SizeOfMRUList", "4", ini());
        AppState app;
        StartWindow start(app);
        runStart(start);
        MainWindow* main = start.mainWindow();
        QVERIFY(main);
        app.work.settings.folders.append("/srv/data", "/srv/data");
        const QString active = app.work.activeFileName;
        prompter->clear();
        prompter->messageAnswers = {answer};
        const QString target = env->path("inventory.zek");
        prompter->saveAnswers = {target};
        QSignalSpy finished(&start, &StartWindow::finished);
        main->findChild<QAction*>("Menu_File_Exit")->trigger();
        QCOMPARE(prompter->messages.size(), 1);
        QCOMPARE(prompter->messages[0].text, "Save active " + active + " ZEK database?");
        QCOMPARE(prompter->messages[0].title, "Save changes");
        QCOMPARE(prompter->messages[0].style, platform::MbYesNo + platform::MbExclamation);
        QVERIFY(!main->isVisible());
        QCOMPARE(finished.size(), 1);
        QVERIFY(!app.work.databaseOpen);
        if (answer == IdYes) {
            // The working copy itself is active: Save asks for a name, and the saved file is the
            // first recent file written at exit.
            QCOMPARE(prompter->saveRequests.size(), 1);
            QCOMPARE(prompter->saveRequests[0].fileName, "ZEKDB.ZEK");
            QVERIFY(QFile::exists(target));
            QCOMPARE(iniValue("Recent File List", "File1"), target);
            // The next start lists it.
            RecentFiles next;
            loadRecentFiles(next, ini(), app.work.workingCopyName());
            QCOMPARE(next.captions, QStringList({"&1 " + target}));
        } else {
            QVERIFY(prompter->saveRequests.isEmpty());
            QVERIFY(!QFile::exists(target));
        }
    }

    void exitWithoutChangesAsksNothing() {
        useWorkDirectory();
        AppState app;
        StartWindow start(app);
        runStart(start);
        prompter->clear();
        start.mainWindow()->close();
        QVERIFY(prompter->messages.isEmpty());
        QVERIFY(start.hasFinished());
    }

    void saveSettingsOnExitIsWrittenAtOnce() {
        useWorkDirectory();
        platform::writePrivateProfileString("Global", "SaveSettingsOnExit", "-1", ini());
        AppState app;
        StartWindow start(app);
        runStart(start);
        QAction* ss = start.mainWindow()->findChild<QAction*>("Menu_Window_SS");
        QVERIFY(ss->isChecked());
        ss->trigger();
        QVERIFY(!ss->isChecked());
        QCOMPARE(iniValue("Global", "SaveSettingsOnExit"), "0");
        ss->trigger();
        QCOMPARE(iniValue("Global", "SaveSettingsOnExit"), "-1");
        start.mainWindow()->close();
    }

    void recentFileEntryOpensOrOffersNew() {
        useWorkDirectory();
        const QString gone = env->path("gone.zek");
        platform::writePrivateProfileString("Recent File List", "SizeOfMRUList", "4", ini());
        platform::writePrivateProfileString("Recent File List", "File1", gone, ini());
        AppState app;
        StartWindow start(app);
        runStart(start);
        MainWindow* main = start.mainWindow();
        QAction* separator = main->findChild<QAction*>("mnuFileArray_0");
        QVERIFY(separator->isVisible());
        QAction* entry = main->findChild<QAction*>("mnuFileArray_1");
        QVERIFY(entry);
        QCOMPARE(entry->text(), "&1 " + gone);
        QVERIFY(!main->findChild<QAction*>("mnuFileArray_2"));

        prompter->clear();
        entry->trigger();
        // The file is gone but the working copy is not: the error names the file, and the working
        // copy simply stays open, with no New-or-end box.
        QCOMPARE(prompter->messages.size(), 1);
        QVERIFY2(prompter->messages[0].text.startsWith("Error during open ZEK database: " + gone + ". "),
                 qPrintable(prompter->messages[0].text));
        QCOMPARE(app.work.activeFileName, env->workDirectory() + "/work.zek");
        QVERIFY(app.work.databaseOpen);

        // A file saved under a new name joins the list at the top.
        const QString saved = env->path("second.zek");
        prompter->saveAnswers = {saved};
        main->findChild<QAction*>("Menu_File_SaveAs")->trigger();
        QCOMPARE(main->findChild<QAction*>("mnuFileArray_1")->text(), "&1 " + saved);
        QCOMPARE(main->findChild<QAction*>("mnuFileArray_2")->text(), "&2 " + gone);
        main->close();
        QCOMPARE(iniValue("Recent File List", "File1"), saved);
        QCOMPARE(iniValue("Recent File List", "File2"), gone);
    }

    void openAsksWithItsDialogAndCancelDoesNothing() {
        useWorkDirectory();
        AppState app;
        StartWindow start(app);
        runStart(start);
        prompter->clear();
        start.mainWindow()->findChild<QAction*>("open")->trigger();
        QCOMPARE(prompter->openRequests.size(), 1);
        const platform::FileDialogRequest& r = prompter->openRequests[0];
        QCOMPARE(r.title, "Open ZEK database");
        QCOMPARE(r.initialFolder, env->workDirectory());
        QCOMPARE(r.fileName, "*.ZEK");
        QCOMPARE(r.filter, "ZEK database (*.zek)");
        QCOMPARE(r.defaultExtension, "ZEK");
        QVERIFY(prompter->messages.isEmpty());
        QCOMPARE(app.work.activeFileName, env->workDirectory() + "/work.zek");
        QVERIFY(app.work.databaseOpen);

        start.mainWindow()->findChild<QAction*>("Menu_File_PrintSetup")->trigger();
        QCOMPARE(prompter->printSetupRequests.size(), 1);
        start.mainWindow()->close();
    }

    // Opening a file that is not a work file costs nothing: one message naming the chosen file,
    // and the current work file stays open with its unsaved settings; the program goes on.
    void openOfANonWorkFileKeepsTheCurrentOne() {
        useWorkDirectory();
        AppState app;
        StartWindow start(app);
        runStart(start);
        MainWindow* main = start.mainWindow();
        app.work.settings.detailTitles.firstTitle = "not saved yet";
        const work::WorkSettings before = app.work.settings;
        const QString notes = env->path("notes.zek");
        {
            QFile f(notes);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("these are my notes, not a database\n");
        }
        prompter->clear();
        prompter->openAnswers = {notes};
        prompter->messageAnswers = {IdNo};
        main->findChild<QAction*>("open")->trigger();
        // Asked about the unsaved title first; then the refusal.
        QCOMPARE(prompter->messages.size(), 2);
        QCOMPARE(prompter->messages[0].text, "Save active " + app.work.activeFileName + " ZEK database?");
        const QString text = prompter->messages[1].text;
        QVERIFY2(text.startsWith("Error during open ZEK database: " + notes + ". ") &&
                     !text.contains(".load"),
                 qPrintable(text));
        QCOMPARE(app.work.activeFileName, env->workDirectory() + "/work.zek");
        QVERIFY(app.work.databaseOpen);
        QVERIFY(app.work.settings == before);
        QVERIFY(main->isVisible());
        main->close();
    }

    // The Insert key switches the INS panel, wherever the focus is in the main window.
    void insertKey() {
        AppState app;
        MainWindow main(app);
        main.show();
        auto* grid = new QTableWidget(3, 2);
        QMdiSubWindow* sub = main.mdiArea()->addSubWindow(grid);
        sub->show();
        main.mdiArea()->setActiveSubWindow(sub);

        QApplication::setActiveWindow(&main);
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QLabel* ins = main.findChild<QLabel*>("INS");
        QVERIFY(ins->isEnabled());
        QTest::keyClick(grid, Qt::Key_Insert);
        QVERIFY(!ins->isEnabled());
        QTest::keyClick(grid, Qt::Key_Insert);
        QVERIFY(ins->isEnabled());
        main.close();
    }

    void tileArrangesWindowsWithoutOverlap() {
        AppState app;
        MainWindow main(app);
        main.resize(800, 600);
        main.show();
        QList<QMdiSubWindow*> subs;
        for (int i = 0; i < 3; ++i) {
            subs.append(main.mdiArea()->addSubWindow(new QWidget));
            subs.last()->show();
        }
        const QRect area = main.mdiArea()->viewport()->rect();
        main.findChild<QAction*>("Menu_Window_Tile_Horizontal")->trigger();
        for (QMdiSubWindow* s : subs)
            QCOMPARE(s->width(), area.width());
        QCOMPARE(subs[0]->geometry().bottom() + 1, subs[1]->geometry().top());
        main.findChild<QAction*>("Menu_Window_Tile_Vertical")->trigger();
        for (QMdiSubWindow* s : subs)
            QCOMPARE(s->height(), area.height());
        QCOMPARE(subs[0]->geometry().right() + 1, subs[1]->geometry().left());
        main.close();
    }

    // A window saved as minimised that is already on screen takes its saved place at once, so the
    // user's first resize or arrangement is not undone by a placement still waiting.
    void windowSavedMinimisedAndAlreadyShownIsPlacedAtOnce() {
        AppState app;
        MainWindow main(app);
        main.resize(900, 700);
        main.show();
        auto* form = new QWidget;
        form->setMinimumSize(100, 80);
        QMdiSubWindow* sub = main.mdiArea()->addSubWindow(form);
        sub->setGeometry(50, 40, 200, 150);
        sub->show();
        WindowPositionStrings positions;
        positions.setValue("CONDITIONS_SORTING_FORM", "150 300 3000 4500 1");
        const WindowPlacement* placement = placeWindow(form, "CONDITIONS_SORTING_FORM", positions);
        QCOMPARE(placement->mark(), QString("0"));
        QCOMPARE(sub->geometry(), QRect(20, 10, 300, 200));
        QVERIFY(!sub->isMinimized());
        sub->setGeometry(0, 0, 400, 300);
        QCOMPARE(sub->geometry(), QRect(0, 0, 400, 300));
        main.close();
    }

    // No saved positions: the main window takes most of the work area, and every child window shown
    // lies inside the area at no less than its smallest size, as placed and after each arrangement.
    void firstStartKeepsEveryChildWindowReachable() {
        useWorkDirectory();
        AppState app;
        StartWindow start(app);
        runStart(start);
        MainWindow* main = start.mainWindow();
        QVERIFY(main);
        const QRect screenArea = main->screen()->availableGeometry();
        QVERIFY2(main->frameGeometry().width() >= screenArea.width() * 7 / 10 &&
                     main->frameGeometry().height() >= screenArea.height() * 7 / 10,
                 qPrintable(QString("%1x%2").arg(main->width()).arg(main->height())));
        QVERIFY(screenArea.contains(main->frameGeometry()));
        const QList<QMdiSubWindow*> subs = main->mdiArea()->subWindowList(QMdiArea::CreationOrder);
        QStringList names;
        for (const QMdiSubWindow* s : subs)
            names << s->widget()->objectName();
        QCOMPARE(names, QStringList({"drivedirsel", "Drivedirquery", "frmsummary", "SetupDetail"}));
        // Reachable: inside the area, or where the area's scroll bars take the user; and never smaller
        // than what the window's controls need.
        auto checkReachable = [&](const char* step) {
            QCoreApplication::processEvents();
            const QRect viewport = main->mdiArea()->viewport()->rect();
            const QScrollBar* across = main->mdiArea()->horizontalScrollBar();
            const QScrollBar* down = main->mdiArea()->verticalScrollBar();
            const QRect reach(-across->value(), -down->value(), viewport.width() + across->maximum(),
                              viewport.height() + down->maximum());
            for (QMdiSubWindow* s : subs) {
                if (s->isMinimized())
                    continue;
                const QString what = QString("%1 %2: %3,%4 %5x%6 in %7x%8")
                                         .arg(step, s->widget()->objectName())
                                         .arg(s->x())
                                         .arg(s->y())
                                         .arg(s->width())
                                         .arg(s->height())
                                         .arg(reach.width())
                                         .arg(reach.height());
                QVERIFY2(reach.contains(s->geometry()), qPrintable(what));
                QVERIFY2(s->width() >= s->minimumSizeHint().width() &&
                             s->height() >= s->minimumSizeHint().height(),
                         qPrintable(what));
            }
        };
        checkReachable("placed");
        const std::pair<const char*, const char*> arrangements[] = {
            {"Menu_Window_Cascade", "cascade"},
            {"Menu_Window_Tile_Horizontal", "tile horizontal"},
            {"Menu_Window_Tile_Vertical", "tile vertical"},
        };
        for (const auto& [action, step] : arrangements) {
            main->findChild<QAction*>(action)->trigger();
            checkReachable(step);
        }
        // Tiled windows share the area without covering one another.
        for (int i = 0; i < subs.size(); ++i) {
            for (int j = i + 1; j < subs.size(); ++j)
                QVERIFY(!subs[i]->geometry().intersects(subs[j]->geometry()));
        }
        main->close();
    }

    void helpTopicsShowsTheHelpFileAndExitClosesIt() {
        useWorkDirectory();
        AppState app;
        StartWindow start(app);
        runStart(start);
        MainWindow* main = start.mainWindow();
        if (qEnvironmentVariableIsEmpty("ZEK_TEST_SOURCE_DIR"))
            QSKIP("ZEK_TEST_SOURCE_DIR not set (run through ctest)");
        app.helpFileName = qEnvironmentVariable("ZEK_TEST_SOURCE_DIR") + "/docs/ZEK.HLP";
        QVERIFY(QFile::exists(app.helpFileName));
        main->findChild<QAction*>("Menu_Help_Topics")->trigger();
        auto* help = qobject_cast<HelpWindow*>(QApplication::activeWindow());
        if (!help) {
            for (QWidget* w : QApplication::topLevelWidgets())
                help = help ? help : qobject_cast<HelpWindow*>(w);
        }
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->windowTitle(), "ZEK Help");
        QVERIFY(help->browser()->toPlainText().contains("New, Open and Save"));
        main->close();
        QVERIFY(!help->isVisible());
    }

    // Run with ZEK_SCREENSHOT=<file.png> to picture the main window.
    void screenshot() {
        const QString target = qEnvironmentVariable("ZEK_SCREENSHOT");
        if (target.isEmpty())
            QSKIP("ZEK_SCREENSHOT not set");
        useWorkDirectory();
        AppState app;
        StartWindow start(app);
        runStart(start);
        MainWindow* main = start.mainWindow();
        main->resize(900, 600);
        QCoreApplication::processEvents();
        QVERIFY(main->grab().save(target));
        main->close();
    }
};

ZEK_TEST_MAIN_ON_LAPTOP_SCREEN(TestMainWindow)
#include "test_main_window.moc"
