// Ties ".zek" files to the program on the desktop: a shared-mime-info package that names the type
// application/x-zek, and a desktop entry that opens such files with the program.
//
// Written at every start; a failure (a read-only home, a full disk) is logged and otherwise
// ignored, because the program works the same without the association.
#pragma once

#include <QString>

namespace zek::platform {

enum class CacheUpdate {
    Run,  // after a change, refresh the desktop's caches (update-mime-database and
          // update-desktop-database, when installed; detached, not waited for, failures ignored)
    Skip, // write the files only
};

// Writes $XDG_DATA_HOME/mime/packages/zek.xml and $XDG_DATA_HOME/applications/zek.desktop, the
// latter with Exec=<programPath> %f. A file whose contents are already right is left alone.
void writeFileAssociation(const QString& programPath, CacheUpdate caches = CacheUpdate::Run);

// The contents written, for tests and for diagnostics.
QByteArray mimePackageContents();
QByteArray desktopEntryContents(const QString& programPath);

} // namespace zek::platform
