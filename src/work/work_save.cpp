#include "work/work_file.h"

#include "platform/prompt.h"
#include "work/file_copy.h"

#include <QDir>

#include <algorithm>

namespace zek::work {

using platform::msgBox;

namespace {

bool sameFile(const QString& a, const QString& b) {
    return QDir::cleanPath(a.trimmed()) == QDir::cleanPath(b.trimmed());
}

// The settings tables that Save writes afresh each time.
constexpr WorkTable SettingsTables[] = {WorkTable::Drivedirlist, WorkTable::Detailquery, WorkTable::Dsfields,
                                        WorkTable::Summarysort, WorkTable::Reporttitles};

void closeRecordset(WorkState& ws, WorkTable t) {
    auto& rs = ws.tables[static_cast<size_t>(t)];
    if (rs)
        rs->close();
    rs.reset();
}

// The settings as the work file would keep them: the condition lines in their stored form.
WorkSettings asStored(const WorkSettings& settings) {
    WorkSettings stored = settings;
    for (QueryLine& line : stored.queryLines.lines)
        line = storedForm(line);
    return stored;
}

std::unique_ptr<db::Recordset> recreate(db::Database& db, const db::TableDef& def) {
    if (db.hasTable(def.name))
        db.deleteTable(def.name);
    db.createTable(def);
    return db.openTable(def.name);
}

void writeSettingsTables(WorkState& ws) {
    db::Database& db = *ws.database;
    const WorkSettings& s = ws.settings;

    auto rs = recreate(db, drivedirlistDef());
    for (int i = 0; i < s.folders.count(); ++i) {
        rs->addNew();
        rs->setValue("DIRECTORY", s.folders.longForms[i]);
        rs->setValue("FOLDER", s.folders.shortForms.value(i));
        rs->update();
    }
    rs->close();
    ws.flag(WorkTable::Drivedirlist) = true;

    rs = recreate(db, detailqueryDef());
    for (int n = 1; n <= s.queryLines.count(); ++n) {
        const QueryLine& line = s.queryLines.line(n);
        rs->addNew();
        rs->setValue("DQCHOICE", line.choice != 0);
        rs->setValue("DQBRACKETL", line.bracketL.trimmed());
        rs->setValue("DQFIELD", line.field.trimmed());
        rs->setValue("DQEVALUATION", line.evaluation.trimmed());
        rs->setValue("DQVALUE", line.value.trimmed());
        rs->setValue("DQVALUECHOICE", QString::number(line.valueChoiceIndex));
        rs->setValue("DQBRACKETR", line.bracketR.trimmed());
        rs->setValue("DQCONNECTION", line.connection.trimmed());
        rs->update();
    }
    rs->close();
    ws.flag(WorkTable::Detailquery) = true;

    rs = recreate(db, dsfieldsDef());
    for (const bool detail : {true, false}) {
        for (const ReportColumn& c : detail ? s.detailColumns : s.summaryColumns) {
            rs->addNew();
            rs->setValue("DS", detail);
            rs->setValue("DSFIELDNAME", c.name);
            rs->setValue("DSFIELDDESC", c.description);
            rs->setValue("DSFIELDWIDTH", c.width);
            rs->setValue("DSFIELDEXTRA", c.extra);
            rs->update();
        }
    }
    rs->close();
    ws.flag(WorkTable::Dsfields) = true;

    rs = recreate(db, summarysortDef());
    for (const Sorter& sorter : s.sorters) {
        rs->addNew();
        rs->setValue("SORTER", sorter.text);
        rs->setValue("SORTERSTATUS", sorter.ascending);
        rs->update();
    }
    rs->close();
    ws.flag(WorkTable::Summarysort) = true;

    rs = recreate(db, reporttitlesDef());
    for (const bool detail : {true, false}) {
        const ReportTitles& t = detail ? s.detailTitles : s.summaryTitles;
        rs->addNew();
        rs->setValue("DS", detail);
        rs->setValue("FIRST_TITLE", t.firstTitle);
        rs->setValue("SECOND_TITLE", t.secondTitle);
        rs->setValue("FIRST_FOOTNOTE", t.firstFootnote);
        rs->setValue("SECOND_FOOTNOTE", t.secondFootnote);
        rs->update();
    }
    rs->close();
    ws.flag(WorkTable::Reporttitles) = true;

    // A file without its version record (it cannot come from New, but may from elsewhere) gets one.
    if (!db.hasTable("INFOVERSION"))
        db.createTable(infoversionDef());
    auto info = db.openTable("INFOVERSION");
    if (info->eof())
        info->addNew();
    else
        info->edit();
    info->setValue(InfoProgramVersionField, ProgramVersionText);
    info->setValue(InfoFormatVersionField, FormatVersionText);
    info->update();
    info->close();
}

// One text for every failed save, whether the engine or the copy failed.
QString failedSaveText(int number, const QString& description, const QString& targetName) {
    return "Error # " + QString::number(number) + " : " + description + " occured when saving " + targetName +
           ".";
}

// The first half of every save: the record sets close, the settings tables are rewritten and the
// working copy is closed, complete on disk. False when that failed; the user was told and the
// working copy is open again, as it was.
bool writeAndCloseForSave(WorkState& ws, const QString& targetName) {
    if (!ws.database) {
        msgBox("Database couldn't close.");
        return false;
    }
    Q_EMIT ws.events.aboutToReadSettings();

    for (WorkTable t : {WorkTable::Filetype, WorkTable::Infoversion, WorkTable::Filedettype,
                        WorkTable::Filesumtype, WorkTable::Filesuminttype}) {
        if (ws.flag(t))
            closeRecordset(ws, t);
    }
    for (WorkTable t : SettingsTables)
        closeRecordset(ws, t);
    for (size_t i = 0; i < ws.sqlRecordsets.size(); ++i) {
        if (ws.sqlRecordsets[i])
            ws.sqlRecordsets[i]->close();
        ws.sqlRecordsets[i].reset();
    }

    // The settings tables are rewritten in one transaction: a failure leaves the working copy as it
    // was, and the user is told rather than left with half a file.
    const QString workingCopy = ws.workingCopyName();
    try {
        db::Transaction transaction(*ws.database);
        writeSettingsTables(ws);
        transaction.commit();
    } catch (const db::EngineError& e) {
        msgBox(failedSaveText(e.number(), e.description(), targetName));
        ws.database.reset();
        ws.databaseOpen = false;
        reopenWorkFile(ws, workingCopy);
        return false;
    }

    try {
        ws.database->close();
    } catch (const db::EngineError&) {
        msgBox("Database couldn't close.");
        ws.database.reset();
        ws.databaseOpen = false;
        reopenWorkFile(ws, workingCopy);
        return false;
    }
    ws.database.reset();
    if (ws.hooks.processEvents)
        ws.hooks.processEvents();
    ws.databaseOpen = false;
    return true;
}

void keepAsSaved(WorkState& ws) {
    ws.unchangedFlags.fill(true);
    refreshUnchangedFlags(ws);
    ws.savedSettings = ws.settings;
}

} // namespace

bool saveWorkFile(WorkState& ws, const QString& targetName) {
    if (!writeAndCloseForSave(ws, targetName))
        return false;
    // The target is replaced only by a complete copy: a full disk leaves the user's file as it was.
    const QString workingCopy = ws.workingCopyName();
    CopyFailure failure;
    if (!sameFile(targetName, workingCopy))
        failure = copyFileOver(workingCopy, targetName);
    reopenWorkFile(ws, workingCopy);
    if (failure.failed()) {
        msgBox(failedSaveText(failure.number, failure.text, targetName));
        return false;
    }
    keepAsSaved(ws);
    return true;
}

bool saveAndCloseWorkFile(WorkState& ws, const QString& targetName) {
    if (!writeAndCloseForSave(ws, targetName))
        return false;
    const QString workingCopy = ws.workingCopyName();
    if (sameFile(targetName, workingCopy)) {
        keepAsSaved(ws);
        return true;
    }
    const CopyFailure failure = moveFileOver(workingCopy, targetName);
    if (failure.failed()) {
        // Not moved: the working copy is where it was, and open again.
        reopenWorkFile(ws, workingCopy);
        msgBox(failedSaveText(failure.number, failure.text, targetName));
        return false;
    }
    keepAsSaved(ws);
    return true;
}

bool saveOrSaveAs(WorkState& ws, const QString& modeText) {
    const QString mode = modeText.toUpper();
    const bool activeIsWorkingCopy = sameFile(ws.activeFileName, ws.workingCopyName());
    QString target;
    if (mode == "SAVE" && !activeIsWorkingCopy && !ws.activeFileName.trimmed().isEmpty()) {
        target = ws.activeFileName.trimmed();
    } else {
        platform::FileDialogRequest request;
        request.title = "Save ZEK database As";
        request.defaultExtension = "ZEK";
        request.fileName = activeIsWorkingCopy ? QStringLiteral("ZEKDB.ZEK") : ws.activeFileName.trimmed();
        request.filter = "ZEK database (*.zek)";
        request.initialFolder = ws.workDirectory;
        const std::optional<QString> chosen = platform::prompter().saveFileName(request);
        if (!chosen || chosen->trimmed().isEmpty())
            return true;
        target = chosen->trimmed();
    }
    if (!saveWorkFile(ws, target))
        return false;
    ws.activeFileName = target;
    Q_EMIT ws.events.fileOpenedOrSaved(target);
    return true;
}

bool workFileChanged(WorkState& ws) {
    Q_EMIT ws.events.aboutToReadSettings();
    ws.unchangedFlags.fill(true);
    refreshUnchangedFlags(ws);
    const bool anyFlagFalse =
        std::find(ws.unchangedFlags.begin(), ws.unchangedFlags.end(), false) != ws.unchangedFlags.end();
    // Compared as stored: a line the grid showed and took back unchanged may hold other list
    // positions than the same line read from the file.
    const bool unsaved = !(asStored(ws.settings) == asStored(ws.savedSettings));
    return anyFlagFalse || unsaved || (ws.reportsBuilt && !ws.reportsCurrent);
}

bool confirmSaveChanges(WorkState& ws) {
    if (!ws.databaseOpen || ws.activeFileName.isEmpty())
        return true;
    if (!workFileChanged(ws))
        return true;
    const int answer = msgBox("Save active " + ws.activeFileName + " ZEK database?",
                              platform::MbYesNo + platform::MbExclamation, "Save changes");
    return answer != platform::IdYes || saveOrSaveAs(ws, "SAVE");
}

} // namespace zek::work
