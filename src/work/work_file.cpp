#include "work/work_file.h"

#include "platform/prompt.h"
#include "work/file_copy.h"
#include "work/work_file_check.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace zek::work {

using platform::msgBox;

QString WorkState::workingCopyName() const {
    return QDir(workDirectory).filePath(WorkingCopyFileName);
}

namespace {

const QString CrLf = QStringLiteral("\r\n");

bool sameFile(const QString& a, const QString& b) {
    return QDir::cleanPath(a.trimmed()) == QDir::cleanPath(b.trimmed());
}

void processEvents(WorkState& ws) {
    if (ws.hooks.processEvents)
        ws.hooks.processEvents();
}

void settingsReloaded(WorkState& ws) {
    Q_EMIT ws.events.settingsReloaded();
}

void closeTable(WorkState& ws, WorkTable t, bool clearFlag) {
    auto& rs = ws.tables[static_cast<size_t>(t)];
    if (rs)
        rs->close();
    rs.reset();
    if (clearFlag)
        ws.flag(t) = false;
}

void openTable(WorkState& ws, WorkTable t) {
    ws.tables[static_cast<size_t>(t)] = ws.database->openTable(tableName(t));
    ws.flag(t) = true;
}

QString textOrEmpty(const QVariant& v) {
    return v.isValid() ? v.toString() : QString();
}

// Copies a file over another without ever leaving the target half-written. Returns an empty text
// or the reason it failed, with the system's error number in `errorNumber`.
QString copyOver(const QString& source, const QString& target, int& errorNumber) {
    const CopyFailure failure = copyFileOver(source, target);
    errorNumber = failure.number;
    return failure.text;
}

// Fills the settings of the window groups from the settings tables of the open work file, each
// table left open with its flag set, as the work file keeps them.
void loadSettingsTables(WorkState& ws) {
    WorkSettings& s = ws.settings;
    s.folders.clear();
    s.queryLines.clear();
    s.detailColumns.clear();
    s.summaryColumns.clear();

    for (const db::TableDef& def : ws.database->tableDefs()) {
        if (def.attributes & db::SystemOrHiddenTable)
            continue;
        const QString name = def.name.toUpper();
        if (name == "DRIVEDIRLIST") {
            openTable(ws, WorkTable::Drivedirlist);
            db::Recordset* rs = ws.table(WorkTable::Drivedirlist);
            for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
                const QVariant dir = rs->value("DIRECTORY");
                if (dir.isValid())
                    s.folders.append(dir.toString(), textOrEmpty(rs->value("FOLDER")));
            }
        } else if (name == "DETAILQUERY") {
            openTable(ws, WorkTable::Detailquery);
            db::Recordset* rs = ws.table(WorkTable::Detailquery);
            for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
                QueryLine line;
                const QVariant choice = rs->value("DQCHOICE");
                line.choice = choice.isValid() && choice.toBool() ? 1 : 0;
                line.bracketL = textOrEmpty(rs->value("DQBRACKETL"));
                line.field = textOrEmpty(rs->value("DQFIELD"));
                line.evaluation = textOrEmpty(rs->value("DQEVALUATION"));
                line.value = textOrEmpty(rs->value("DQVALUE"));
                line.bracketR = textOrEmpty(rs->value("DQBRACKETR"));
                line.connection = textOrEmpty(rs->value("DQCONNECTION"));
                restoreLinePositions(line, textOrEmpty(rs->value("DQVALUECHOICE")));
                s.queryLines.append(line);
            }
        } else if (name == "DSFIELDS") {
            openTable(ws, WorkTable::Dsfields);
            db::Recordset* rs = ws.table(WorkTable::Dsfields);
            for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
                const QVariant ds = rs->value("DS");
                const bool detail = ds.isValid() && ds.toBool();
                ReportColumn c;
                c.name = textOrEmpty(rs->value("DSFIELDNAME"));
                c.description = textOrEmpty(rs->value("DSFIELDDESC"));
                const QVariant width = rs->value("DSFIELDWIDTH");
                c.width = width.isValid() ? width.toInt() : 0;
                c.extra = textOrEmpty(rs->value("DSFIELDEXTRA"));
                c.format = columnFormat(detail, c.name);
                (detail ? s.detailColumns : s.summaryColumns).push_back(c);
            }
        } else if (name == "SUMMARYSORT") {
            openTable(ws, WorkTable::Summarysort);
            db::Recordset* rs = ws.table(WorkTable::Summarysort);
            size_t i = 0;
            for (rs->moveFirst(); !rs->eof() && i < s.sorters.size(); rs->moveNext(), ++i) {
                const QVariant text = rs->value("SORTER");
                const QVariant status = rs->value("SORTERSTATUS");
                const bool known = text.isValid() && conditionFieldList().contains(text.toString());
                s.sorters[i].text = known ? text.toString() : QString();
                s.sorters[i].ascending = !text.isValid() || !status.isValid() || status.toBool();
            }
        } else if (name == "REPORTTITLES") {
            openTable(ws, WorkTable::Reporttitles);
            db::Recordset* rs = ws.table(WorkTable::Reporttitles);
            for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
                const QVariant ds = rs->value("DS");
                ReportTitles& t = (ds.isValid() && ds.toBool()) ? s.detailTitles : s.summaryTitles;
                t.firstTitle = textOrEmpty(rs->value("FIRST_TITLE"));
                t.secondTitle = textOrEmpty(rs->value("SECOND_TITLE"));
                t.firstFootnote = textOrEmpty(rs->value("FIRST_FOOTNOTE"));
                t.secondFootnote = textOrEmpty(rs->value("SECOND_FOOTNOTE"));
            }
        }
    }
    // The grid always shows five consecutive lines; a file that lacks its condition lines gets
    // empty ones rather than a grid over lines that do not exist.
    while (s.queryLines.count() < 5)
        s.queryLines.append(QueryLine{});
}

void takeSnapshots(WorkState& ws) {
    ws.unchangedFlags.fill(true);
    refreshUnchangedFlags(ws);
    ws.savedSettings = ws.settings;
}

// Why a work file with this version record cannot be read; empty when it can.
QString versionRefusal(const QVariant& program, const QVariant& format) {
    if (!program.isValid() || !format.isValid())
        return "Could not open database, possible file damaged or file not created for ZEK.";
    const double version = leadingNumber(format.toString());
    if (!(version > 1 && version < 4))
        return "Invalid ZEK database opened." + CrLf + "The version of the creating program is " +
               program.toString() + "." + CrLf + "The version of the file format is " + format.toString() +
               "." + CrLf + "The version of the file format of this program is " + "ZEK " +
               ProgramVersionText + "." + CrLf;
    return {};
}

// Copies the chosen file to `staged` and checks that it reads as a work file of this program, all
// without touching the current work file, so a refused file costs the user nothing. A refusal is
// told in terms of the file the user chose, and the staged copy is removed.
bool stageChosenFile(const QString& fileName, const QString& staged) {
    removeDatabaseFile(staged);
    int number = 0;
    QString failure = copyOver(fileName, staged, number);
    QString refusal;
    if (failure.isEmpty()) {
        try {
            std::unique_ptr<db::Database> database = db::Database::open(staged, true);
            checkWorkFileLayout(*database, fileName);
            std::unique_ptr<db::Recordset> info = database->openTable(tableName(WorkTable::Infoversion));
            refusal =
                versionRefusal(info->value(InfoProgramVersionField), info->value(InfoFormatVersionField));
            info->close();
            database->close();
        } catch (const db::EngineError& e) {
            number = e.number();
            failure = e.description();
        }
    }
    if (failure.isEmpty() && refusal.isEmpty())
        return true;
    removeDatabaseFile(staged);
    if (!failure.isEmpty()) {
        // The engine names the file it opened, which is the staged copy, not one the user knows.
        failure.replace(staged, fileName);
        refusal = "Error during open ZEK database: " + fileName + ". " +
                  "Error number :" + QString::number(number) + " / " + failure;
    }
    msgBox(refusal);
    return false;
}

// Steps after the working copy is open: check the version, load the settings tables. A working
// copy not checked before it was opened is checked first, its refusal naming `uncheckedSource`.
void loadOpenWorkFile(WorkState& ws, const QString& fileName, const QString& uncheckedSource = {}) {
    try {
        ws.reportsBuilt = false;
        if (!uncheckedSource.isEmpty())
            checkWorkFileLayout(*ws.database, uncheckedSource);
        openTable(ws, WorkTable::Infoversion);
        db::Recordset* info = ws.table(WorkTable::Infoversion);
        const QString refusal =
            versionRefusal(info->value(InfoProgramVersionField), info->value(InfoFormatVersionField));
        if (!refusal.isEmpty()) {
            msgBox(refusal);
            closeTable(ws, WorkTable::Infoversion, true);
            // A file the program cannot read is not left open as if it were a work file.
            ws.database.reset();
            ws.databaseOpen = false;
            return;
        }
        closeTable(ws, WorkTable::Infoversion, true);
        ws.tableFlags.fill(false);
        ws.sqlFlags.fill(false);
        loadSettingsTables(ws);
        settingsReloaded(ws);

        takeSnapshots(ws);
        ws.activeFileName = fileName.trimmed();
        Q_EMIT ws.events.fileOpenedOrSaved(fileName);
        ws.scanResult = NoCompletedScan;
        if (!sameFile(fileName, ws.workingCopyName()))
            Q_EMIT ws.events.storedFileOpened();
    } catch (const db::EngineError& e) {
        msgBox("Error during open ZEK database: " + fileName + ". " +
               "Error number :" + QString::number(e.number()) + " / " + e.description());
        for (int t = 0; t < WorkTableCount; ++t)
            closeTable(ws, static_cast<WorkTable>(t), true);
        if (ws.databaseOpen) {
            ws.database.reset();
            ws.databaseOpen = false;
        }
        ws.activeFileName.clear();
    }
}

bool openWorkingCopy(WorkState& ws, const QString& failureText) {
    try {
        ws.database = db::Database::open(ws.workingCopyName(), true);
        ws.databaseOpen = true;
        return true;
    } catch (const db::EngineError& e) {
        msgBox(failureText + CrLf + "Error # " + QString::number(e.number()) + " : " + e.description());
        ws.database.reset();
        ws.databaseOpen = false;
        return false;
    }
}

} // namespace

db::Recordset& openedTable(WorkState& ws, WorkTable table) {
    if (!ws.database || !ws.databaseOpen)
        throw db::EngineError(db::ErrObjectClosed, QStringLiteral("Object invalid or no longer set."));
    if (!ws.table(table))
        openTable(ws, table);
    return *ws.table(table);
}

db::Recordset& recreateTable(WorkState& ws, WorkTable table, const db::TableDef& def) {
    if (!ws.database || !ws.databaseOpen)
        throw db::EngineError(db::ErrObjectClosed, QStringLiteral("Object invalid or no longer set."));
    closeTable(ws, table, true);
    if (ws.database->hasTable(def.name))
        ws.database->deleteTable(def.name);
    ws.database->createTable(def);
    openTable(ws, table);
    return *ws.table(table);
}

double leadingNumber(const QString& text) {
    const QString t = text.trimmed();
    int end = 0;
    bool seenDot = false;
    if (end < t.size() && (t[end] == '-' || t[end] == '+'))
        ++end;
    while (end < t.size() && (t[end].isDigit() || (t[end] == '.' && !seenDot))) {
        seenDot = seenDot || t[end] == '.';
        ++end;
    }
    bool ok = false;
    const double v = t.left(end).toDouble(&ok);
    return ok ? v : 0.0;
}

bool removeDatabaseFile(const QString& path) {
    QFile::remove(path + "-journal");
    QFile::remove(path + "-wal");
    QFile::remove(path + "-shm");
    return !QFile::exists(path) || QFile::remove(path);
}

WorkSettings defaultWorkSettings() {
    WorkSettings s;
    s.queryLines.reset(5);
    s.detailColumns = defaultDetailColumns();
    s.summaryColumns = defaultSummaryColumns();
    return s;
}

void openWorkFile(WorkState& ws, const QString& modeText, QString& fileName) {
    const QString mode = modeText.toUpper();
    const QString workingCopy = ws.workingCopyName();
    // Asked while the active file still has its name: the question names it, and a work file
    // without a name counts as none to save.
    if ((mode == "NEW" || mode == "LOAD") && !confirmSaveChanges(ws))
        return; // the changes could not be saved: the work file stays as it is
    const QString previousName = ws.activeFileName;
    ws.activeFileName.clear();
    // LOAD: the chosen file is staged and checked while the current work file stays open; a file
    // the program cannot read is refused and the current work file simply stays as it was.
    const QString staged = workingCopy + ".load";
    if (mode == "LOAD" && !stageChosenFile(fileName, staged)) {
        ws.activeFileName = previousName;
        return;
    }
    if ((mode == "NEW" || mode == "LOAD") && ws.databaseOpen)
        closeWorkFile(ws);

    if (mode == "NEW" || mode == "INIT") {
        fileName = workingCopy;
        ws.reportsBuilt = false;
        const QString templateFile = QDir(ws.workDirectory).filePath(TemplateFileName);
        // Without a template the working copy is built from scratch.
        if (!QFile::exists(templateFile)) {
            createEmptyWorkFile(ws);
            return;
        }
        int number = 0;
        const QString failure = copyOver(templateFile, workingCopy, number);
        if (!failure.isEmpty()) {
            msgBox("Error # " + QString::number(number) + " : " + failure + " occured, closing.");
            return;
        }
        QFile::remove(workingCopy + "-journal");
        if (!openWorkingCopy(ws, "Could not open ZEK database " + fileName))
            return;
        loadOpenWorkFile(ws, fileName, templateFile);
        return;
    }

    removeDatabaseFile(workingCopy);
    if (::rename(QFile::encodeName(staged).constData(), QFile::encodeName(workingCopy).constData()) != 0) {
        const int err = errno;
        removeDatabaseFile(staged);
        msgBox("Error during open:" + QString::number(err) + "/" + QString::fromLocal8Bit(strerror(err)));
        return;
    }
    try {
        ws.database = db::Database::open(workingCopy, true);
        ws.databaseOpen = true;
    } catch (const db::EngineError& e) {
        ws.database.reset();
        ws.databaseOpen = false;
        msgBox("Error during open:" + QString::number(e.number()) + "/" + e.description());
        return;
    }
    loadOpenWorkFile(ws, fileName);
}

void createEmptyWorkFile(WorkState& ws) {
    const QString workingCopy = ws.workingCopyName();
    QString step = "deleting";
    try {
        if (!removeDatabaseFile(workingCopy))
            throw db::EngineError(db::ErrFileInUse, "Couldn't delete '" + workingCopy + "'.");

        step = "creating";
        ws.database = db::Database::create(workingCopy);
        ws.databaseOpen = true;
        ws.database->createTable(infoversionDef());
        ws.database->createTable(filetypeDef());
        ws.database.reset();
        processEvents(ws);
        ws.databaseOpen = false;

        step = "opening";
        ws.database = db::Database::open(workingCopy, true);
        ws.databaseOpen = true;
        ws.tableFlags.fill(false);
        ws.sqlFlags.fill(false);
        openTable(ws, WorkTable::Filetype);
        openTable(ws, WorkTable::Infoversion);
        db::Recordset* info = ws.table(WorkTable::Infoversion);
        info->addNew();
        info->setValue(InfoProgramVersionField, ProgramVersionText);
        info->setValue(InfoFormatVersionField, FormatVersionText);
        info->update();
        closeTable(ws, WorkTable::Infoversion, true);
    } catch (const db::EngineError& e) {
        msgBox("Error # " + QString::number(e.number()) + " : " + e.description() + CrLf + " occured when " +
               step + " " + workingCopy + "," + " closing ZEK.");
        for (int t = 0; t < WorkTableCount; ++t)
            closeTable(ws, static_cast<WorkTable>(t), true);
        ws.database.reset();
        ws.databaseOpen = false;
        ws.activeFileName.clear();
        if (ws.hooks.endProgram)
            ws.hooks.endProgram();
        return;
    }

    ws.activeFileName = workingCopy;
    ws.scanResult = NoCompletedScan;
    Q_EMIT ws.events.reportsDiscarded();
    // The folder list, lines and columns return to their defaults; the sorters and titles stay as
    // they are and only become the new snapshot.
    const Sorters sorters = ws.settings.sorters;
    const ReportTitles detailTitles = ws.settings.detailTitles;
    const ReportTitles summaryTitles = ws.settings.summaryTitles;
    ws.settings = defaultWorkSettings();
    ws.settings.sorters = sorters;
    ws.settings.detailTitles = detailTitles;
    ws.settings.summaryTitles = summaryTitles;
    settingsReloaded(ws);
    takeSnapshots(ws);
}

void reopenWorkFile(WorkState& ws, const QString& name) {
    try {
        ws.database = db::Database::open(name, true);
        ws.databaseOpen = true;
    } catch (const db::EngineError& e) {
        ws.database.reset();
        ws.databaseOpen = false;
        msgBox("Could not open database " + name + "." + CrLf +
               "Error during open:" + QString::number(e.number()) + "/" + e.description());
        return;
    }
    for (int t = 0; t < WorkTableCount; ++t) {
        const auto table = static_cast<WorkTable>(t);
        if (!ws.flag(table))
            continue;
        try {
            openTable(ws, table);
            if (table == WorkTable::Filesuminttype)
                ws.table(table)->setIndex("Ind_path");
        } catch (const db::EngineError& e) {
            ws.flag(table) = false;
            msgBox("Error during open:" + QString::number(e.number()) + "/" + e.description());
        }
    }
    for (int i = 0; i < SqlRecordsetCount; ++i) {
        if (!ws.sqlFlags[static_cast<size_t>(i)])
            continue;
        try {
            ws.sqlRecordsets[static_cast<size_t>(i)] =
                ws.database->openSql(ws.sqlTexts[static_cast<size_t>(i)]);
            if (static_cast<SqlRecordset>(i) == SqlRecordset::SummarySelected &&
                ws.table(WorkTable::Filesuminttype))
                ws.table(WorkTable::Filesuminttype)->setIndex("Ind_pathdesc");
        } catch (const db::EngineError& e) {
            ws.sqlFlags[static_cast<size_t>(i)] = false;
            msgBox("Error during open:" + QString::number(e.number()) + "/" + e.description());
        }
    }
}

void closeWorkFile(WorkState& ws) {
    for (int t = 0; t < WorkTableCount; ++t) {
        if (ws.flag(static_cast<WorkTable>(t)))
            closeTable(ws, static_cast<WorkTable>(t), true);
    }
    for (int i = 0; i < SqlRecordsetCount; ++i) {
        auto& rs = ws.sqlRecordsets[static_cast<size_t>(i)];
        if (rs)
            rs->close();
        rs.reset();
        ws.sqlFlags[static_cast<size_t>(i)] = false;
    }
    if (ws.database) {
        try {
            ws.database->close();
        } catch (const db::EngineError&) {
            // Closing is best effort: the handle is released either way.
        }
    }
    ws.database.reset();
    processEvents(ws);
    ws.databaseOpen = false;
}

} // namespace zek::work
