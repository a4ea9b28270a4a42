// Where the program keeps its files on a Linux desktop, and the one safe way it replaces a file.
//
// The configuration folder plays the part the rest of the program calls "the Windows directory":
// the settings file lives there. Every folder is taken from the environment at the moment of the
// call, so a test can point XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_RUNTIME_DIR at a temporary folder.
#pragma once

#include <QByteArray>
#include <QString>

namespace zek::platform {

// A failure of the file system: the errno value and its text, with the file concerned.
struct HostError {
    int number = 0;
    QString text;
};

// $XDG_CONFIG_HOME/zek, or ~/.config/zek when the variable is unset, empty or not absolute.
QString configFolder();
// configFolder() + "/zek.ini".
QString settingsFileName();
// $XDG_DATA_HOME, or ~/.local/share.
QString dataHome();
// $XDG_RUNTIME_DIR, or configFolder() when the session has none.
QString runtimeFolder();
// The folder that holds the running program.
QString programFolder();

// Creates the folder and its missing parents (mkdir -p); false, with the reason, when it cannot.
bool ensureFolder(const QString& folder, HostError* error = nullptr);

// Replaces the contents of a file so that a crash leaves either the old or the new contents, never
// a part: the data go to a new file beside it, which is flushed to disk, checked and then renamed
// over the old one. Creates the folder when needed and keeps the old file's permissions; a symbolic
// link is followed, so the file it names is replaced and the link stays. On failure the old file is
// untouched, no temporary file is left behind, and `error` (when given) gets the number and text.
bool replaceFileContents(const QString& fileName, const QByteArray& data, HostError* error = nullptr);

} // namespace zek::platform
