// The life cycle of the work file: New, Open, Save, Save As and the save-changes prompt.
//
// The program never edits the user's file in place: it works on the private working copy
// "work.zek" in the work directory. Open copies the chosen file over the working copy, Save copies
// the working copy out. Every operation reports its own failures to the user; callers learn of a
// failed New or Open by `activeFileName` being empty afterwards; a New or Open stopped because the
// changes could not be saved leaves the work file open as it was.
#pragma once

#include "work/work_state.h"
#include "zek_version.h"

namespace zek::work {

inline const QString ProgramVersionText = QStringLiteral(ZEK_VERSION_TEXT);
inline const QString FormatVersionText = QStringLiteral("3.0");
inline const QString TemplateFileName = QStringLiteral("default.zek");
inline const QString WorkingCopyFileName = QStringLiteral("work.zek");

// mode is "NEW", "LOAD" or "INIT" (any case). For "NEW" and "INIT" fileName is set to the working
// copy's name.
void openWorkFile(WorkState& ws, const QString& mode, QString& fileName);
void createEmptyWorkFile(WorkState& ws);
// True when the target was written.
bool saveWorkFile(WorkState& ws, const QString& targetName);
// Saves as `targetName` and leaves the work file closed, for a caller that has no further use for
// the working copy (zek-batch in its own temporary folder): the working copy becomes the saved file,
// renamed over the target when both lie on one file system, copied otherwise. On failure, as with
// saveWorkFile, the user was told and the working copy is open again.
bool saveAndCloseWorkFile(WorkState& ws, const QString& targetName);
// mode is "SAVE" or "SAVE AS". False only when a save was tried and failed (the user was told);
// a cancelled file dialog counts as done.
bool saveOrSaveAs(WorkState& ws, const QString& mode);
// The save-changes question. False when the user chose to save and the save failed: the caller then
// keeps the work file as it is (no New, Open or exit), so the changes can still be saved elsewhere.
bool confirmSaveChanges(WorkState& ws);
void reopenWorkFile(WorkState& ws, const QString& name);
void closeWorkFile(WorkState& ws);
void refreshUnchangedFlags(WorkState& ws);

// The record set of a work table, opened (and its flag set) when it is not open. Engine errors
// reach the caller.
db::Recordset& openedTable(WorkState& ws, WorkTable table);
// Replaces a report table: its record set is closed, the table deleted when it exists, created from
// `def` and opened, its flag set. Engine errors reach the caller.
db::Recordset& recreateTable(WorkState& ws, WorkTable table, const db::TableDef& def);

// The settings of a fresh work file: five empty condition lines, the default report columns,
// empty sorters, titles and folder list.
WorkSettings defaultWorkSettings();
// True when the settings differ from what the work file last stored, or reports were built and not
// brought up to date since.
bool workFileChanged(WorkState& ws);

// The numeric value of the leading number of a text ("3.0" → 3, "1.5abc" → 1.5, "x" → 0).
double leadingNumber(const QString& text);

// Removes a database file together with a journal SQLite may have left beside it.
bool removeDatabaseFile(const QString& path);

} // namespace zek::work
