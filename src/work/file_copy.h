// Whole-file copies that never leave the target half written (through a ReplacingFile): a failure
// at any step (a full disk, a file too large, a folder that cannot be written) leaves the target as
// it was and removes the temporary file.
#pragma once

#include <QString>

namespace zek::work {

// Why a copy failed: the system's error number and its text, with the source named when it was the
// source that failed (the caller names the target). Number 0 means it worked.
struct CopyFailure {
    int number = 0;
    QString text;
    bool failed() const { return number != 0; }
};

CopyFailure copyFileOver(const QString& source, const QString& target);

// Puts `source` in the place of `target` as copyFileOver does, but by renaming it when both lie on one
// file system: no byte is copied, and `source` is gone afterwards. The source is synced first and takes
// an existing target's permissions. Across file systems it is copied, and stays where it was.
CopyFailure moveFileOver(const QString& source, const QString& target);

} // namespace zek::work
