// Whole-file copies that never leave the target half written: the bytes go to "<target>.part"
// beside the target, reach the disk, and only then replace the target by a rename. A failure at any
// step (a full disk, a file too large, a folder that cannot be written) leaves the target as it was
// and removes the temporary file.
#pragma once

#include <QString>

namespace zek::work {

// Why a copy failed: the system's error number and its text, with the file named where the failure
// concerns one the user did not pick (the source or the temporary file). Number 0 means it worked.
struct CopyFailure {
    int number = 0;
    QString text;
    bool failed() const { return number != 0; }
};

inline QString partFileName(const QString& target) {
    return target + QStringLiteral(".part");
}

CopyFailure copyFileOver(const QString& source, const QString& target);

} // namespace zek::work
