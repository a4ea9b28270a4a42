// A file that replaces its target only once complete: the bytes go to "<target>.part" beside the
// target, reach the disk, and a rename puts them in place. The first failed write (a full disk, a
// file too large) is kept, every later write fails at once, and commit() then refuses: the target
// stays as it was and the temporary file goes. Unlike QFile, a short write is never taken for success,
// and the failure keeps the system's error number.
#pragma once

#include <QIODevice>
#include <QString>

namespace zek::work {

// "<target>.part"; a name the file system could not hold with the suffix (names stop at 255 bytes)
// is shortened and marked with a checksum of the whole name, so a legal name can still be saved.
QString partFileName(const QString& target);

// The file a save to `target` replaces: `target`, or the file its symbolic link points to (the link
// stays a link).
QString replacedFileOf(const QString& target);

// Gives the open file `fd` the permissions of `replaced` (raw name) when that file exists, so a file
// renamed over it keeps them; false (errno set) when they cannot be given.
bool takePermissionsOf(const QByteArray& replaced, int fd);

// Makes a rename in the folder of `path` survive a power cut; a folder that cannot be synced is no
// failure.
void syncFolderOf(const QString& path);

class ReplacingFile : public QIODevice {
public:
    explicit ReplacingFile(QString target);
    ~ReplacingFile() override; // an uncommitted file is cancelled

    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary file (an existing target lends it its permissions).
    bool openForWriting();
    // Syncs the bytes, closes and renames over the target; false when any step, or a write before,
    // failed.
    bool commit();
    // Drops what was written; the target is untouched.
    void cancel();

    // The file replaced: the target given, or the file its symbolic link points to.
    QString target() const { return m_target; }
    // The system's error number of the first failure, 0 while all went well, and its text.
    int errorNumber() const { return m_errorNumber; }
    QString errorText() const;

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool fail(int number);

    QString m_target;
    int m_fd = -1;
    int m_errorNumber = 0;
};

} // namespace zek::work
