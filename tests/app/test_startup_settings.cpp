// Start-up without windows: the settings file, the work-directory question, the help lookup, the
// recent-file list and the retry boxes.
#include "app/recent_files.h"
#include "app/startup.h"
#include "platform/profile.h"
#include "support/scripted_prompter.h"
#include "support/test_env.h"

#include <QtTest>

using namespace zek;
using zek::test::ScriptedPrompter;
using zek::test::TestEnvironment;

class StartupSettingsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void missingOrStaleDirectoryIsAskedFor() {
        TestEnvironment env;
        AppState app;
        readStartupSettings(app);
        QVERIFY(app.iniFileName.endsWith("/zek/zek.ini"));
        QVERIFY(app.iniFileName.startsWith(env.root()));
        QVERIFY(app.work.workDirectory.isEmpty());
        QCOMPARE(app.screenWidthSetting, 9600);

        platform::writePrivateProfileString("Global", "DefaultDirectory", env.path("gone"), app.iniFileName);
        readStartupSettings(app);
        QVERIFY(app.work.workDirectory.isEmpty());

        platform::writePrivateProfileString("Global", "DefaultDirectory", env.workDirectory(),
                                            app.iniFileName);
        platform::writePrivateProfileString("Global", "WscreenWidth", "12000", app.iniFileName);
        readStartupSettings(app);
        QCOMPARE(app.work.workDirectory, env.workDirectory());
        QCOMPARE(app.screenWidthSetting, 12000);
    }

    void workDirectoryDialogCreatesOrRefuses() {
        TestEnvironment env;
        ScriptedPrompter prompter;
        AppState app;
        readStartupSettings(app);

        // A folder below a plain file cannot be created: two boxes, then the dialog again.
        QFile blocker(env.path("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString bad = env.path("file/sub");
        const QString good = env.path("new/work dir");
        prompter.workDirectoryAnswers = {bad, good};
        const auto chosen =
            askWorkDirectory(app, "Setup Workdirectory ZEK", "prompt", "Workdirectory:", "/x");
        QCOMPARE(chosen.value_or(QString()), good);
        QVERIFY(QFileInfo(good).isDir());
        QCOMPARE(prompter.messages.size(), 2);
        QCOMPARE(prompter.messages[0].text,
                 "I am sorry, but I couldn't create the subdirectory " + bad + ", please specify a new one.");
        QCOMPARE(prompter.messages[0].title, QString("Create Directory"));
        QCOMPARE(prompter.messages[0].style, platform::MbCritical);
        QCOMPARE(prompter.messages[1].text, QString("Not a valid path."));
        QCOMPARE(prompter.messages[1].title, QString("Setup Workdirectory ZEK"));
        QCOMPARE(prompter.workDirectoryRequests.size(), 2);
        QCOMPARE(prompter.workDirectoryRequests[0].proposal, QString("/x"));
        QCOMPARE(prompter.workDirectoryRequests[1].proposal, bad);
        QCOMPARE(platform::getPrivateProfileString("Global", "DefaultDirectory", "", app.iniFileName), good);

        // Exit ends the question without a directory.
        prompter.clear();
        QVERIFY(!askWorkDirectory(app, "t", "p", "l", "/x").has_value());
    }

    void helpFileIsFoundBesideTheProgramInstalledOrAlongPath() {
        TestEnvironment env;
        ScriptedPrompter prompter;
        AppState app;
        QDir().mkpath(env.path("bin"));
        QDir().mkpath(env.path("tools"));
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(env.path("nothing") + ":" + env.path("tools")));

        QVERIFY(!findHelpFile(app, env.path("bin")));
        QCOMPARE(prompter.messages.size(), 1);
        QCOMPARE(prompter.messages[0].title, QString("ZEK help not available."));
        QVERIFY(
            prompter.messages[0].text.startsWith("ZEK.HLP not found in your path.\r\n\r\nWindows searches"));
        QVERIFY(app.helpFileName.isEmpty());

        QFile along(env.path("tools/ZEK.HLP"));
        QVERIFY(along.open(QIODevice::WriteOnly));
        along.close();
        QVERIFY(findHelpFile(app, env.path("bin")));
        QCOMPARE(app.helpFileName, env.path("tools/ZEK.HLP"));
        // An installation keeps it under share/zek beside bin, found before PATH.
        QDir().mkpath(env.path("share/zek"));
        QFile installed(env.path("share/zek/ZEK.HLP"));
        QVERIFY(installed.open(QIODevice::WriteOnly));
        installed.close();
        QVERIFY(findHelpFile(app, env.path("bin")));
        QCOMPARE(app.helpFileName, env.path("share/zek/ZEK.HLP"));
        QFile beside(env.path("bin/ZEK.HLP"));
        QVERIFY(beside.open(QIODevice::WriteOnly));
        beside.close();
        QVERIFY(findHelpFile(app, env.path("bin")));
        QCOMPARE(app.helpFileName, env.path("bin/ZEK.HLP"));
        QCOMPARE(prompter.messages.size(), 1);
        qputenv("PATH", savedPath);
    }

    void saveSettingsOnExitIsWrittenAtOnce() {
        TestEnvironment env;
        AppState app;
        readStartupSettings(app);
        readMainWindowSettings(app);
        QVERIFY(!app.saveSettingsOnExit);
        QCOMPARE(app.tipStart, QString(" "));
        setSaveSettingsOnExit(app, true);
        QCOMPARE(platform::getPrivateProfileString("Global", "SaveSettingsOnExit", "", app.iniFileName),
                 QString("-1"));
        readMainWindowSettings(app);
        QVERIFY(app.saveSettingsOnExit);
        setSaveSettingsOnExit(app, false);
        QCOMPARE(platform::getPrivateProfileString("Global", "SaveSettingsOnExit", "", app.iniFileName),
                 QString("0"));
    }

    void retryBoxesCarryTheirTexts() {
        ScriptedPrompter prompter;
        prompter.messageAnswers = {platform::IdCancel};
        QVERIFY(!askRetryAfterFailure("NEW", "NEW"));
        QVERIFY(askRetryAfterFailure("OPEN", "NEW"));
        QVERIFY(askRetryAfterFailure("LOAD", "INIT"));
        QCOMPARE(
            prompter.texts(),
            QStringList({"The NEW operation failed.\r\nRetry \"NEW\" or press Cancel to end ZEK.",
                         "The \"OPEN\" operation failed.\r\nTry \"NEW\" or press Cancel to end ZEK.",
                         "The \"LOAD\" operation failed.\r\nRetry \"INIT\" or press Cancel to end ZEK."}));
        for (const auto& m : prompter.messages) {
            QCOMPARE(m.title, QString("ZEK Initialisation Error"));
            QCOMPARE(m.style, platform::MbOkCancel + platform::MbCritical);
        }
    }

    void recentFilesMoveToTheTopAndSkipTheWorkingCopy() {
        const QString work = "/w/work.zek";
        RecentFiles recent;
        addRecentFile(recent, work, work);
        QCOMPARE(recent.count(), 0);
        addRecentFile(recent, "/data/a.zek", work);
        addRecentFile(recent, "/data/b.zek", work);
        addRecentFile(recent, "/home/data/a.zek", work); // ends like another entry: still its own
        QCOMPARE(recent.captions, QStringList({"&1 /home/data/a.zek", "&2 /data/b.zek", "&3 /data/a.zek"}));
        addRecentFile(recent, "/data/a.zek", work);
        addRecentFile(recent, "/data/a.zek", work);
        QCOMPARE(recent.captions, QStringList({"&1 /data/a.zek", "&2 /home/data/a.zek", "&3 /data/b.zek"}));
        QVERIFY(recent.separatorVisible);
        QCOMPARE(recent.fileName(2), QString("/home/data/a.zek"));
    }

    void recentFilesAreWrittenCutToTheirSize() {
        TestEnvironment env;
        const QString ini = env.path("zek.ini");
        RecentFiles recent;
        for (const char* n : {"/a.zek", "/b.zek", "/c.zek", "/d.zek", "/e.zek"})
            addRecentFile(recent, n, "/w/work.zek");

        // The first exit writes the size and the files it allows, so the next start lists them.
        saveRecentFiles(recent, ini);
        QCOMPARE(platform::getPrivateProfileString("Recent File List", "SizeOfMRUList", "", ini),
                 QString("4"));
        QCOMPARE(platform::getPrivateProfileString("Recent File List", "File4", "", ini), QString("/b.zek"));
        QCOMPARE(platform::getPrivateProfileString("Recent File List", "File5", "none", ini),
                 QString("none"));
        RecentFiles firstRead;
        loadRecentFiles(firstRead, ini, "/w/work.zek");
        QCOMPARE(firstRead.captions, QStringList({"&1 /e.zek", "&2 /d.zek", "&3 /c.zek", "&4 /b.zek"}));

        // A stored size cuts the list.
        const QString cut = env.path("cut.ini");
        platform::writePrivateProfileString("Recent File List", "SizeOfMRUList", "2", cut);
        saveRecentFiles(recent, cut);
        QCOMPARE(platform::getPrivateProfileString("Recent File List", "File1", "", cut), QString("/e.zek"));
        QCOMPARE(platform::getPrivateProfileString("Recent File List", "File2", "", cut), QString("/d.zek"));
        QCOMPARE(platform::getPrivateProfileString("Recent File List", "File3", "none", cut),
                 QString("none"));

        // Loading skips blanks and the working copy.
        platform::writePrivateProfileString("Recent File List", "SizeOfMRUList", "4", ini);
        platform::writePrivateProfileString("Recent File List", "File2", "/w/work.zek", ini);
        platform::writePrivateProfileString("Recent File List", "File3", "  ", ini);
        platform::writePrivateProfileString("Recent File List", "File4", "/x.zek", ini);
        RecentFiles loaded;
        loadRecentFiles(loaded, ini, "/w/work.zek");
        QCOMPARE(loaded.captions, QStringList({"&1 /e.zek", "&2 /x.zek"}));
    }
};

QTEST_GUILESS_MAIN(StartupSettingsTest)
#include "test_startup_settings.moc"
