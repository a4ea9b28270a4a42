// The work file's life cycle: New, Open, Save and Save As over real SQLite files.
#include "support/scripted_prompter.h"
#include "support/test_env.h"
#include "work/work_file.h"

#include <QFile>
#include <QtTest>

using namespace zek;
using namespace zek::db;
using namespace zek::work;
using zek::test::ScriptedPrompter;
using zek::test::TestEnvironment;

namespace {

// A program-like setting: a fresh working copy in a private work directory.
struct Session {
    TestEnvironment env;
    ScriptedPrompter prompter;
    WorkState ws;
    QStringList recent;
    int reportOffers = 0;

    Session() {
        ws.workDirectory = env.workDirectory();
        QObject::connect(&ws.events, &WorkEvents::fileOpenedOrSaved,
                         [this](const QString& n) { recent.append(n); });
        QObject::connect(&ws.events, &WorkEvents::storedFileOpened, [this] { ++reportOffers; });
        QString name;
        openWorkFile(ws, "INIT", name);
    }
    ~Session() { closeWorkFile(ws); }

    void fillSettings() {
        WorkSettings& s = ws.settings;
        s.folders.append("/data/Photos 2024/" + QString(80, 'x'), "/DATA/PHOTOS~1/XXXXXX~1");
        s.folders.append("/home/anna", "/HOME/ANNA");
        QueryLine& l = s.queryLines.line(1);
        l.choice = 1;
        l.bracketL = "(";
        l.field = "NAME";
        l.fieldIndex = 4;
        l.evaluation = "NOT LIKE";
        l.evaluationIndex = 1;
        l.value = "'O''BRIEN*'";
        l.connection = "AND";
        l.connectionIndex = 1;
        QueryLine& size = s.queryLines.line(2);
        size.field = "SIZE";
        size.fieldIndex = 6;
        size.evaluation = ">=";
        size.evaluationIndex = 5;
        size.value = "1048576";
        size.valueChoice = "MB";
        size.valueChoiceIndex = 2;
        size.bracketR = ")";
        s.queryLines.append(QueryLine{});
        s.detailColumns.erase(s.detailColumns.begin() + 3, s.detailColumns.end());
        s.detailColumns[1].width = 5000;
        s.detailColumns[2].description = "Short path";
        s.summaryColumns.pop_back();
        s.summaryColumns[4].extra = "KB";
        s.sorters[0] = {"EXTENSION", false};
        s.sorters[2] = {"SIZE", true};
        s.detailTitles = {"Inventory", "of the photo disk", "page foot", "second foot"};
        s.summaryTitles = {"Summary", "", "", "end"};
    }
};

void makeVersionFile(const QString& path, const QVariant& program, const QVariant& format) {
    auto db = Database::create(path);
    db->createTable(infoversionDef());
    db->createTable(filetypeDef());
    auto info = db->openTable("INFOVERSION");
    info->addNew();
    info->setValue(InfoProgramVersionField, program);
    info->setValue(InfoFormatVersionField, format);
    info->update();
}

long long countRecords(const QString& file, const QString& table) {
    return Database::open(file, false)->openSql("SELECT * FROM " + table)->recordCount();
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class WorkFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initMakesAnEmptyWorkingCopy() {
        Session s;
        QCOMPARE(s.ws.activeFileName, s.ws.workingCopyName());
        QVERIFY(s.ws.databaseOpen);
        QVERIFY(s.prompter.messages.isEmpty());
        QCOMPARE(s.ws.settings.queryLines.count(), 5);
        QCOMPARE(s.ws.settings.detailColumns.size(), size_t(23));
        QCOMPARE(s.ws.settings.summaryColumns.size(), size_t(11));
        QCOMPARE(s.ws.scanResult, NoCompletedScan);
        QVERIFY(s.ws.table(WorkTable::Filetype) != nullptr);
        QVERIFY(s.ws.flag(WorkTable::Filetype));
        QStringList names;
        for (const TableDef& t : s.ws.database->tableDefs())
            names.append(t.name.toUpper());
        QCOMPARE(names, QStringList({"INFOVERSION", "FILETYPE"}));
        const TableDef filetype = s.ws.database->tableDef("FILETYPE");
        QCOMPARE(filetype.fields.size(), size_t(21));
        QCOMPARE(filetype.fields[7].name, QString("SIZE"));
        QCOMPARE(filetype.fields[1].size, HostPathSize);
        QVERIFY(!workFileChanged(s.ws));
    }

    void saveNewOpenRoundTripsEverySettingsTable() {
        Session s;
        s.fillSettings();
        const WorkSettings before = s.ws.settings;
        const QString target = s.env.path("inventory.zek");
        s.prompter.saveAnswers.push_back(target);
        saveOrSaveAs(s.ws, "SAVE");
        QCOMPARE(s.ws.activeFileName, target);
        QCOMPARE(s.recent.last(), target);
        QVERIFY(QFile::exists(target));
        QVERIFY(!workFileChanged(s.ws));

        QString name;
        openWorkFile(s.ws, "NEW", name);
        QCOMPARE(s.ws.activeFileName, s.ws.workingCopyName());
        QCOMPARE(s.ws.settings.folders.count(), 0);
        QCOMPARE(s.ws.settings.detailColumns.size(), size_t(23));

        name = target;
        openWorkFile(s.ws, "LOAD", name);
        QVERIFY(s.prompter.messages.isEmpty());
        QCOMPARE(s.ws.activeFileName, target);
        QCOMPARE(s.reportOffers, 1);
        const WorkSettings& after = s.ws.settings;
        QCOMPARE(after.folders, before.folders);
        QCOMPARE(after.queryLines.count(), before.queryLines.count());
        for (int n = 1; n <= after.queryLines.count(); ++n)
            QVERIFY2(after.queryLines.line(n) == before.queryLines.line(n), qPrintable(QString::number(n)));
        QVERIFY(after.detailColumns == before.detailColumns);
        QCOMPARE(after.detailColumns[0].format, NumberFormat);
        QVERIFY(after.summaryColumns == before.summaryColumns);
        QVERIFY(after.sorters == before.sorters);
        QCOMPARE(after.detailTitles, before.detailTitles);
        QCOMPARE(after.summaryTitles, before.summaryTitles);
        QVERIFY(!workFileChanged(s.ws));
    }

    void saveTwiceInARowAndSaveAsOffersZekdb() {
        Session s;
        s.fillSettings();
        const QString target = s.env.path("twice.zek");
        s.prompter.saveAnswers.push_back(target);
        saveOrSaveAs(s.ws, "SAVE");
        QCOMPARE(s.prompter.saveRequests.size(), 1);
        const platform::FileDialogRequest request = s.prompter.saveRequests.first();
        QCOMPARE(request.title, QString("Save ZEK database As"));
        QCOMPARE(request.fileName, QString("ZEKDB.ZEK"));
        QCOMPARE(request.filter, QString("ZEK database (*.zek)"));
        QCOMPARE(request.initialFolder, s.ws.workDirectory);

        s.ws.settings.detailTitles.firstTitle = "Changed";
        saveOrSaveAs(s.ws, "SAVE"); // no dialog: the active file is the target
        QCOMPARE(s.prompter.saveRequests.size(), 1);
        saveOrSaveAs(s.ws, "SAVE");
        QVERIFY(s.prompter.messages.isEmpty());
        QVERIFY(s.ws.databaseOpen);
        QVERIFY(s.ws.flag(WorkTable::Reporttitles));

        // Save As offers the active file's own name.
        saveOrSaveAs(s.ws, "SAVE AS");
        QCOMPARE(s.prompter.saveRequests.last().fileName, target);

        QString name = target;
        openWorkFile(s.ws, "LOAD", name);
        QCOMPARE(s.ws.settings.detailTitles.firstTitle, QString("Changed"));
        QCOMPARE(s.ws.settings.folders.count(), 2);
    }

    void versionCheck_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("1") << "1" << false;
        QTest::newRow("4") << "4" << false;
        QTest::newRow("1.5") << "1.5" << true;
        QTest::newRow("3.0") << "3.0" << true;
        QTest::newRow("text") << "abc" << false;
    }
    void versionCheck() {
        QFETCH(QString, version);
        QFETCH(bool, accepted);
        Session s;
        const QString file = s.env.path("v.zek");
        makeVersionFile(file, "2.0", version);
        QString name = file;
        openWorkFile(s.ws, "LOAD", name);
        if (accepted) {
            QVERIFY(s.prompter.messages.isEmpty());
            QCOMPARE(s.ws.activeFileName, file);
            return;
        }
        QCOMPARE(s.prompter.messages.size(), 1);
        QCOMPARE(s.prompter.messages[0].text,
                 "Invalid ZEK database opened.\r\nThe version of the creating program is "
                 "2.0.\r\nThe version of the file format is " +
                     version +
                     ".\r\nThe version of the file format of this program is ZEK "
                     "2.95.\r\n");
        QCOMPARE(s.prompter.messages[0].title, platform::DefaultMessageTitle);
        QCOMPARE(s.ws.activeFileName, s.ws.workingCopyName());
        QVERIFY(s.ws.databaseOpen);
    }

    // A file the program cannot read is refused before anything is replaced: the message names the
    // file the user chose (never the staged copy), and the current work file stays open with its
    // records, its unsaved settings and its name.
    void aRefusedOpenKeepsTheCurrentWorkFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message"); // how it begins; %1 is the chosen file
        const QString engineError = "Error during open ZEK database: %1. Error number :";
        QTest::newRow("no version table") << "noinfo" << engineError;
        QTest::newRow("empty version field")
            << "null"
            << "Could not open database, possible file damaged or file not created for ZEK.";
        QTest::newRow("later format") << "later"
                                      << "Invalid ZEK database opened.";
        QTest::newRow("text file") << "text" << engineError;
        QTest::newRow("missing file") << "missing" << engineError;
    }
    void aRefusedOpenKeepsTheCurrentWorkFile() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        Session s;
        const QString current = s.env.path("current.zek");
        s.prompter.saveAnswers.push_back(current);
        saveOrSaveAs(s.ws, "SAVE");
        QCOMPARE(s.ws.activeFileName, current);
        db::Recordset* files = s.ws.table(WorkTable::Filetype);
        files->addNew();
        files->setValue("NAME", "kept.txt");
        files->update();
        s.fillSettings(); // not saved
        const WorkSettings unsaved = s.ws.settings;

        const QString chosen = s.env.path(kind + ".zek");
        if (kind == "noinfo") {
            Database::create(chosen)->createTable(filetypeDef());
        } else if (kind == "null") {
            makeVersionFile(chosen, QVariant(), "3.0");
        } else if (kind == "later") {
            makeVersionFile(chosen, "9.0", "4.0");
        } else if (kind == "text") {
            QFile f(chosen);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("these are my notes, not a database\n");
        }
        const QByteArray chosenBefore = fileBytes(chosen);
        s.recent.clear();
        QString name = chosen;
        s.prompter.messageAnswers.push_back(platform::IdNo);
        openWorkFile(s.ws, "LOAD", name);

        // The unsaved settings are asked about first, then the file is refused.
        QCOMPARE(s.prompter.messages.size(), 2);
        QCOMPARE(s.prompter.messages[0].text, "Save active " + current + " ZEK database?");
        const QString refusal = s.prompter.messages[1].text;
        QVERIFY2(refusal.startsWith(QString(message).replace("%1", chosen)), qPrintable(refusal));
        QVERIFY2(!refusal.contains(".load") && !refusal.contains(WorkingCopyFileName), qPrintable(refusal));

        QCOMPARE(s.ws.activeFileName, current);
        QVERIFY(s.ws.databaseOpen);
        QCOMPARE(s.ws.settings, unsaved);
        QVERIFY(workFileChanged(s.ws));
        QVERIFY(s.recent.isEmpty());
        files = s.ws.table(WorkTable::Filetype);
        QVERIFY(files);
        files->moveFirst();
        QCOMPARE(files->value("NAME").toString(), QString("kept.txt"));
        QCOMPARE(fileBytes(chosen), chosenBefore);
        QVERIFY(!QFile::exists(s.ws.workingCopyName() + ".load"));

        // The work file still works: it is saved with the record and the settings.
        QVERIFY(saveWorkFile(s.ws, current));
        QCOMPARE(countRecords(current, "FILETYPE"), 1);
    }

    void otherTablesAreKeptAndMissingOnesCompletedBySave() {
        Session s;
        const QString old = s.env.path("old.zek");
        {
            // An older file: no REPORTTITLES, and a table of the user's own.
            makeVersionFile(old, "2.0", "3.0");
            auto db = Database::open(old, true);
            db->createTable(drivedirlistDef());
            auto list = db->openTable("DRIVEDIRLIST");
            list->addNew();
            list->setValue("DIRECTORY", "/srv/music");
            list->setValue("FOLDER", "/SRV/MUSIC");
            list->update();
            list->close();
            db->createTable({"MYNOTES", {{"NOTE", FieldType::Text, 50, true}}, {}, 0});
            auto notes = db->openTable("MYNOTES");
            notes->addNew();
            notes->setValue("NOTE", "hello");
            notes->update();
        }
        s.ws.settings.detailTitles.firstTitle = "from before";
        QString name = old;
        s.prompter.messageAnswers.push_back(platform::IdNo);
        openWorkFile(s.ws, "LOAD", name);
        QCOMPARE(s.prompter.texts(), QStringList{"Save active " + s.ws.workingCopyName() + " ZEK database?"});
        s.prompter.clear();
        QCOMPARE(s.ws.activeFileName, old);
        QCOMPARE(s.ws.settings.folders.longForms, QStringList{"/srv/music"});
        QCOMPARE(s.ws.settings.queryLines.count(), 5); // no lines stored: five empty ones
        QVERIFY(!s.ws.database->hasTable("REPORTTITLES"));

        saveOrSaveAs(s.ws, "SAVE");
        QVERIFY(s.prompter.messages.isEmpty());
        auto saved = Database::open(old, true);
        QVERIFY(saved->hasTable("REPORTTITLES"));
        QVERIFY(saved->hasTable("MYNOTES"));
        auto notes = saved->openTable("MYNOTES");
        QCOMPARE(notes->value("NOTE").toString(), QString("hello"));
    }

    void newCopiesTheTemplate() {
        Session s;
        s.fillSettings();
        const QString templateFile = QDir(s.ws.workDirectory).filePath("default.zek");
        QVERIFY(saveWorkFile(s.ws, templateFile));
        QString name;
        openWorkFile(s.ws, "NEW", name); // the prompt: nothing changed since the save
        QVERIFY(s.prompter.messages.isEmpty());
        QCOMPARE(name, s.ws.workingCopyName());
        QCOMPARE(s.ws.activeFileName, s.ws.workingCopyName());
        QCOMPARE(s.ws.settings.folders.count(), 2);
        QCOMPARE(s.ws.settings.detailTitles.firstTitle, QString("Inventory"));
        QCOMPARE(s.reportOffers, 0); // the working copy offers no reports
        QVERIFY(s.recent.isEmpty() || !s.recent.contains(templateFile));
    }

    void changesAskBeforeTheyAreLost() {
        Session s;
        confirmSaveChanges(s.ws);
        QVERIFY(s.prompter.messages.isEmpty());

        s.ws.settings.sorters[1].text = "DATE";
        s.prompter.messageAnswers.push_back(platform::IdNo);
        confirmSaveChanges(s.ws);
        QCOMPARE(s.prompter.messages.size(), 1);
        QCOMPARE(s.prompter.messages[0].text, "Save active " + s.ws.workingCopyName() + " ZEK database?");
        QCOMPARE(s.prompter.messages[0].title, QString("Save changes"));
        QCOMPARE(s.prompter.messages[0].style, platform::MbYesNo + platform::MbExclamation);

        // A refresh in between (as a report build does) does not make the change forgotten.
        refreshUnchangedFlags(s.ws);
        refreshUnchangedFlags(s.ws);
        s.prompter.clear();
        s.prompter.messageAnswers.push_back(platform::IdYes);
        s.prompter.saveAnswers.push_back(s.env.path("kept.zek"));
        confirmSaveChanges(s.ws);
        QCOMPARE(s.prompter.messages.size(), 1);
        QCOMPARE(s.prompter.saveRequests.size(), 1);
        QVERIFY(QFile::exists(s.env.path("kept.zek")));
        QCOMPARE(s.ws.activeFileName, s.env.path("kept.zek"));

        // Reports built and not brought up to date count as a change.
        s.prompter.clear();
        s.ws.reportsBuilt = true;
        s.ws.reportsCurrent = false;
        confirmSaveChanges(s.ws);
        QCOMPARE(s.prompter.messages.size(), 1);
    }

    void unchangedFlagsFollowTheirSnapshots() {
        Session s;
        WorkSettings& now = s.ws.settings;
        // The folder list: same entries in another order are unchanged.
        now.folders.append("/a", "/A");
        now.folders.append("/b", "/B");
        refreshUnchangedFlags(s.ws);
        QVERIFY(!s.ws.unchanged(SettingsGroup::Folders));
        QVERIFY(!s.ws.unchanged(SettingsGroup::QueryLines)); // cleared with the folder list
        s.ws.unchangedFlags.fill(true);
        now.folders = FolderList{{"/b", "/a"}, {"/B", "/A"}};
        refreshUnchangedFlags(s.ws);
        QVERIFY(s.ws.unchanged(SettingsGroup::Folders));

        // A false folder flag stays false, the snapshot still follows.
        s.ws.unchanged(SettingsGroup::Folders) = false;
        refreshUnchangedFlags(s.ws);
        QVERIFY(!s.ws.unchanged(SettingsGroup::Folders));
        QCOMPARE(s.ws.snapshot.folders, now.folders);

        // Condition lines: a change is seen once; a second call finds no difference.
        s.ws.unchangedFlags.fill(true);
        now.queryLines.line(3).value = "'X'";
        refreshUnchangedFlags(s.ws);
        QVERIFY(!s.ws.unchanged(SettingsGroup::QueryLines));
        refreshUnchangedFlags(s.ws);
        QVERIFY(s.ws.unchanged(SettingsGroup::QueryLines));
        // Blanks around texts do not count.
        now.queryLines.line(3).value = "  'X' ";
        refreshUnchangedFlags(s.ws);
        QVERIFY(s.ws.unchanged(SettingsGroup::QueryLines));

        // Columns by count and by member.
        now.detailColumns.pop_back();
        refreshUnchangedFlags(s.ws);
        QVERIFY(!s.ws.unchanged(SettingsGroup::DetailColumns));
        QCOMPARE(s.ws.snapshot.detailColumns.size(), now.detailColumns.size());
        s.ws.unchanged(SettingsGroup::DetailColumns) = true;
        now.summaryColumns[2].width = 2000;
        refreshUnchangedFlags(s.ws);
        QVERIFY(s.ws.unchanged(SettingsGroup::DetailColumns));
        QVERIFY(!s.ws.unchanged(SettingsGroup::SummaryColumns));

        now.sorters[0].ascending = false;
        now.summaryTitles.secondFootnote = "x";
        refreshUnchangedFlags(s.ws);
        QVERIFY(!s.ws.unchanged(SettingsGroup::Sorters));
        QVERIFY(!s.ws.unchanged(SettingsGroup::SummaryTitles));
        QVERIFY(s.ws.unchanged(SettingsGroup::DetailTitles));
    }

    void aFailedSaveLeavesTheTargetAsItWas() {
        Session s;
        const QString target = s.env.path("precious.zek");
        s.prompter.saveAnswers.push_back(target);
        saveOrSaveAs(s.ws, "SAVE");
        const QByteArray before = fileBytes(target);
        QVERIFY(!before.isEmpty());

        // A value the work file cannot hold: the save is refused and nothing is half written.
        s.ws.settings.queryLines.line(1).value = QString(200, 'A');
        QVERIFY(!saveWorkFile(s.ws, target));
        QCOMPARE(s.prompter.messages.size(), 1);
        QVERIFY2(s.prompter.messages[0].text.startsWith("Error # 3163 : "),
                 qPrintable(s.prompter.messages[0].text));
        QCOMPARE(fileBytes(target), before);
        QVERIFY(s.ws.databaseOpen);
        QVERIFY(s.ws.table(WorkTable::Filetype) != nullptr);

        // A target folder that does not exist.
        s.prompter.clear();
        s.ws.settings.queryLines.line(1).value.clear();
        QVERIFY(!saveWorkFile(s.ws, s.env.path("no/such/folder/x.zek")));
        QCOMPARE(s.prompter.messages.size(), 1);
        QVERIFY(s.ws.databaseOpen);
        QCOMPARE(fileBytes(target), before);
        QVERIFY(QDir(s.env.root()).entryList({"*.zek*"}, QDir::Files).contains("precious.zek"));
        QCOMPARE(QDir(s.env.root()).entryList({"*.zek*"}, QDir::Files).size(), 1);
    }

    void leadingNumberReadsLikeTheOldVal() {
        QCOMPARE(leadingNumber("3.0"), 3.0);
        QCOMPARE(leadingNumber(" 1.5abc"), 1.5);
        QCOMPARE(leadingNumber("x"), 0.0);
        QCOMPARE(leadingNumber(""), 0.0);
    }
};

QTEST_GUILESS_MAIN(WorkFileTest)
#include "test_work_file.moc"
