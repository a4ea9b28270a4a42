// A disk that fills up under the running program: during a scan into the working copy, while Save
// writes the working copy, and while Save copies it onto the user's file. Each time the engine's or
// the system's error reaches the user with its number and text, the user's file keeps every byte, no
// temporary file stays behind, the program goes on, and a Save As to another place afterwards holds
// the records. The full disk is a file size limit on the test process.
#include "scan/folder_add_check.h"
#include "support/file_size_limit.h"
#include "support/laptop_screen.h"
#include "support/program_session.h"
#include "support/scripted_prompter.h"
#include "work/work_file.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>

#include <functional>
#include <memory>

using namespace zek;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool makeTree(const QString& root, int files) {
    if (!QDir().mkpath(root))
        return false;
    for (int i = 0; i < files; ++i) {
        QFile f(root + QString("/file-with-a-longer-name-%1.txt").arg(i));
        if (!f.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}

long long filetypeCount(db::Database& database) {
    return database.openSql("SELECT * FROM FILETYPE")->recordCount();
}

// Where the disk fills: before Start, before Save, or at the moment Save begins to copy.
enum class Fills { DuringScan, WorkingCopyDuringSave, TargetDuringSave };

} // namespace

class TestDiskFull : public QObject {
    Q_OBJECT

    std::unique_ptr<test::ProgramSession> session;
    test::ScriptedPrompter* prompter = nullptr;
    AppState* app = nullptr;

    MainWindow* main() const { return session->main(); }
    void trigger(const char* action) { session->action(action)->trigger(); }

    void addFolder(const QString& folder) {
        app->work.settings.folders.append(folder, scan::shortFormOfFolder(QFile::encodeName(folder)));
        Q_EMIT app->work.events.settingsReloaded();
    }
    void start() {
        auto* button = main()->findChild<QPushButton*>("drivedirstart");
        QVERIFY(button && button->isEnabled());
        button->click();
    }

private Q_SLOTS:
    void init() {
        session = std::make_unique<test::ProgramSession>();
        prompter = session->prompter.get();
        QVERIFY(session->startProgram());
        app = session->app.get();
    }
    void cleanup() { session.reset(); }

    void failureIsToldAndTheUsersFileStaysWhole_data() {
        QTest::addColumn<Fills>("fills");
        QTest::addColumn<QString>("message"); // %1: the user's file
        QTest::newRow("scan into the working copy")
            << Fills::DuringScan << QString("Error # 778 : disk I/O error occured when scanning.");
        QTest::newRow("save into the working copy")
            << Fills::WorkingCopyDuringSave
            << QString("Error # 778 : disk I/O error occured when saving %1.");
        QTest::newRow("save onto the user's file")
            << Fills::TargetDuringSave << QString("Error # 27 : File too large occured when saving %1.");
    }
    void failureIsToldAndTheUsersFileStaysWhole() {
        QFETCH(Fills, fills);
        QFETCH(QString, message);

        // A first inventory, saved as the user's file in a folder of its own.
        const QString small = session->env->path("small");
        QVERIFY(makeTree(small, 20));
        addFolder(small);
        start();
        QTRY_VERIFY(app->detailReport.isAvailable());
        const QString saved = session->env->path("saved");
        QVERIFY(QDir().mkpath(saved));
        const QString userFile = saved + "/inventory.zek";
        prompter->saveAnswers = {userFile};
        trigger("Menu_File_SaveAs");
        QCOMPARE(app->work.activeFileName, userFile);
        const QByteArray before = fileBytes(userFile);
        QVERIFY(!before.isEmpty());
        prompter->clear();

        const QString workingCopy = app->work.workingCopyName();
        test::FileSizeLimit disk;
        switch (fills) {
        case Fills::DuringScan: {
            // Thousands of records cannot fit in the little room the working copy has left.
            const QString big = session->env->path("big");
            QVERIFY(makeTree(big, 3000));
            addFolder(big);
            QVERIFY(disk.set(QFileInfo(workingCopy).size() + 16 * 1024));
            start();
            break;
        }
        case Fills::WorkingCopyDuringSave:
            app->work.settings.detailTitles.firstTitle = "Changed";
            QVERIFY(disk.set(4096));
            trigger("Menu_File_Save");
            break;
        case Fills::TargetDuringSave: {
            // The disk fills once the working copy is closed, just as the copy begins.
            app->work.settings.detailTitles.firstTitle = "Changed";
            const std::function<void()> pump = app->work.hooks.processEvents;
            app->work.hooks.processEvents = [&] {
                pump();
                QVERIFY(disk.set(4096));
            };
            trigger("Menu_File_Save");
            app->work.hooks.processEvents = pump;
            break;
        }
        }
        disk.lift();

        QVERIFY2(prompter->texts().contains(QString(message).replace("%1", userFile)),
                 qPrintable(prompter->texts().join(" | ")));
        QCOMPARE(fileBytes(userFile), before);
        QCOMPARE(QDir(saved).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{"inventory.zek"});

        // The program goes on with its working copy open on the user's file.
        QVERIFY(!main()->hasEnded());
        QVERIFY(app->work.databaseOpen && app->work.database);
        QCOMPARE(app->work.activeFileName, userFile);
        app->work.database->checkIntegrity();
        const long long records = filetypeCount(*app->work.database);

        // Saved elsewhere once there is room: the other file holds what the working copy holds.
        const QString elsewhere = session->env->path("elsewhere.zek");
        prompter->clear();
        prompter->saveAnswers = {elsewhere};
        trigger("Menu_File_SaveAs");
        QCOMPARE(prompter->texts(), QStringList());
        QCOMPARE(app->work.activeFileName, elsewhere);
        QCOMPARE(filetypeCount(*db::Database::open(elsewhere, false)), records);
        if (fills != Fills::DuringScan) {
            QVERIFY(records > 0);
            QCOMPARE(app->work.settings.detailTitles.firstTitle, QString("Changed"));
        }
        QCOMPARE(fileBytes(userFile), before);
    }

    // New, Open and exit ask to save the changes first; when that save fails, the changes stay.
    void failedSaveBeforeLeavingKeepsTheWork_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("exit") << "exit";
        QTest::newRow("New") << "Menu_File_New";
        QTest::newRow("Open") << "Menu_File_Open";
    }
    void failedSaveBeforeLeavingKeepsTheWork() {
        QFETCH(QString, command);
        const QString small = session->env->path("small");
        QVERIFY(makeTree(small, 20));
        addFolder(small);
        start();
        QTRY_VERIFY(app->detailReport.isAvailable());
        const QString userFile = session->env->path("inventory.zek");
        prompter->saveAnswers = {userFile};
        trigger("Menu_File_SaveAs");
        const QByteArray before = fileBytes(userFile);
        const QString other = session->env->path("other.zek");
        QVERIFY(QFile::copy(userFile, other));
        const long long records = filetypeCount(*app->work.database);
        QVERIFY(records > 0);

        app->work.settings.detailTitles.firstTitle = "Changed";
        prompter->clear();
        prompter->messageAnswers = {platform::IdYes};
        prompter->openAnswers = {other};
        {
            test::FileSizeLimit disk(4096);
            if (command == "exit")
                QVERIFY(!main()->close());
            else
                trigger(qPrintable(command));
        }
        QCOMPARE(prompter->texts(),
                 QStringList({"Save active " + userFile + " ZEK database?",
                              "Error # 778 : disk I/O error occured when saving " + userFile + "."}));
        QCOMPARE(fileBytes(userFile), before);
        QVERIFY(!main()->hasEnded());
        QCOMPARE(app->work.activeFileName, userFile);
        QCOMPARE(app->work.settings.detailTitles.firstTitle, QString("Changed"));
        QCOMPARE(filetypeCount(*app->work.database), records);

        // With room again, the changes go elsewhere and the program ends without asking again.
        const QString elsewhere = session->env->path("elsewhere.zek");
        prompter->clear();
        prompter->saveAnswers = {elsewhere};
        trigger("Menu_File_SaveAs");
        QCOMPARE(filetypeCount(*db::Database::open(elsewhere, false)), records);
        QVERIFY(main()->close());
        QVERIFY(main()->hasEnded());
        QCOMPARE(prompter->texts(), QStringList());
    }
};

ZEK_TEST_MAIN_ON_LAPTOP_SCREEN(TestDiskFull)
#include "test_disk_full.moc"
