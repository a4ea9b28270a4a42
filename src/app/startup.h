// Start-up steps that need no window: the settings file, the work directory, the help file.
#pragma once

#include "app/app_state.h"

#include <optional>

namespace zek {

// The settings file name and the work directory from it. The directory is cleared when it no
// longer exists, so that the caller asks for it.
void readStartupSettings(AppState& app);

// Whether the settings file can keep the directory as "DefaultDirectory" and give it back whole at the
// next start: no line break or zero character, no half of a character, and short enough for the
// setting's read.
bool isStorableWorkDirectory(const QString& absolutePath);

// Asks for the work directory until a usable one is typed or the user chooses Exit (nothing). A
// usable directory exists or can be created; it is written as "DefaultDirectory".
std::optional<QString> askWorkDirectory(AppState& app, const QString& title, const QString& prompt,
                                        const QString& label, const QString& proposal);

// The directory proposed when none is set.
QString proposedWorkDirectory();

// Looks for "ZEK.HLP" beside the program, then along PATH; warns once when it is missing.
bool findHelpFile(AppState& app, const QString& programFolder);

// The window settings of section "Global" and "Tip" read when the main window loads.
void readMainWindowSettings(AppState& app);

// Writes "SaveSettingsOnExit" at once: "-1" checked, "0" not.
void setSaveSettingsOnExit(AppState& app, bool checked);

// The retry box after a failed New, Open or start-up; true when the user chose OK.
bool askRetryAfterFailure(const QString& failedOperation, const QString& retryOperation);

} // namespace zek
