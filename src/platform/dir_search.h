// The directory search: one folder's entries with long and short name, size, times and attributes.
//
// The folder outlines and the walker both read folders through this class, so they see the same
// names, the same alternates and the same attributes. A search reads every name of the folder when
// it is made (the alternates depend on all of them), then yields the entries one at a time, asking
// the file system about each (statx) only when it is yielded: a caller that lets events run between
// entries spreads the cost, and an entry that vanished meanwhile is reported as such, not fatal.
#pragma once

#include "platform/short_names.h"
#include "platform/unique_fd.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zek::platform {

// A file time: seconds since the epoch, and the same instant in local time as the integers the file
// table records (7 December 1996 23:59:59 gives date 19961207 and time 235959; midnight is 0).
struct FileTime {
    qint64 seconds = 0;
    int date = 0; // yyyymmdd
    int time = 0; // hhmmss
};

// `seconds` converted with localtime_r under the present time zone (TZ).
FileTime localFileTime(qint64 seconds);

// The text of an errno value, as the system words it.
QString systemErrorText(int errorNumber);

// What the file system says of one entry: size, times and attributes.
struct EntryFacts {
    qint64 size = 0; // bytes; 0 for a folder (a folder's own size on Linux is bookkeeping)
    FileTime lastWrite;
    FileTime creation; // birth time where the file system reports it, else the last write
    FileTime lastAccess;
    bool readOnly = false;   // the owner may not write
    bool hidden = false;     // the name begins with "."
    bool system = false;     // neither a regular file nor a folder: link, device, pipe, socket
    bool archive = false;    // a regular file without the no-dump attribute
    bool compressed = false; // the file system compresses it
    bool temporary = false;  // it lies on tmpfs or ramfs
    bool directory = false;  // a folder (a link to a folder is not one: links are never followed)
    bool isSymlink = false;
    bool isMountPoint = false; // a folder where another mount begins: recorded, never entered
    // A folder whose link count says no folder lies in it, and whose size says it holds a few
    // thousand entries at most: it can be read by whoever has time, as it adds nothing to a walk's
    // queue. Told only on file systems whose folder link counts mean that (see MountFacts).
    bool smallLeaf = false;
    int error = 0; // errno when the entry could not be examined (vanished, denied)
};

struct DirEntry : EntryFacts {
    QByteArray rawName; // the bytes that reach the disk
    QString longName;   // shown form: invalid UTF-8 becomes U+FFFD
    QString shortName;  // alternate 8.3 name; empty when the long name is a valid 8.3 name

    QString shortForm() const { return shortFormOf(longName, shortName); }
    QString errorText() const { return error ? systemErrorText(error) : QString(); }
};

// The facts a folder shares with every folder below it on the same mount. A walk that never enters
// a mount point hands them down instead of asking the file system again for every folder.
struct MountFacts {
    bool temporary = false; // tmpfs or ramfs
    bool haveMountId = false;
    quint64 mountId = 0;
    quint32 devMajor = 0;
    quint32 devMinor = 0;
    // A folder's link count is 2 plus its subfolders (ext2/3/4, XFS, tmpfs); elsewhere it may say
    // nothing (btrfs keeps 1), so leaves are never told there.
    bool linkCountsFolders = false;
};

// Reads TZ (or /etc/localtime) again, so that file times follow a changed time zone. Called before a
// listing or a walk, not per folder: it asks the file system each time.
void refreshTimeZone();

// The names of one folder: the raw bytes in one buffer (each ending in NUL, so it can be handed to
// the system as it is), and when asked for, their shown forms in a second buffer and their
// alternates inline: a few buffers per folder instead of strings per name.
class FolderNames {
public:
    void clear();
    // Appends a raw name (without "." and "..") with its d_type.
    void add(const char* name, std::size_t length, unsigned char type);
    // Works out the shown forms and the alternates of every name added.
    void makeShownAndAlternates();
    // Copies the raw names of `other`, reusing this object's buffers.
    void assignRaw(const FolderNames& other);

    std::size_t count() const { return m_slots.size(); }
    // Bytes the raw buffer holds room for.
    std::size_t rawCapacity() const { return m_rawText.capacity(); }
    QByteArrayView raw(std::size_t index) const {
        const Slot& s = m_slots[index];
        return QByteArrayView(m_rawText.data() + s.rawAt, s.rawLength);
    }
    const char* rawCString(std::size_t index) const { return m_rawText.data() + m_slots[index].rawAt; }
    unsigned char type(std::size_t index) const { return m_slots[index].type; }
    // Whether the raw name is plain ASCII (so it is its own shown form, byte for byte).
    bool isAscii(std::size_t index) const { return m_slots[index].ascii; }
    // Only after makeShownAndAlternates():
    QStringView shown(std::size_t index) const {
        const Slot& s = m_slots[index];
        return QStringView(m_shownText).mid(s.shownAt, s.shownLength);
    }
    const ShortAlternate& alternate(std::size_t index) const { return m_alternates[index]; }

private:
    struct Slot {
        quint32 rawAt = 0;
        quint32 rawLength = 0;
        quint32 shownAt = 0;
        quint32 shownLength = 0;
        unsigned char type = 0; // d_type (DT_UNKNOWN where not told)
        bool ascii = true;
    };
    std::string m_rawText;
    QString m_shownText;
    std::vector<Slot> m_slots;
    std::vector<ShortAlternate> m_alternates;
};

// Examines the entries of open folders: one statx call each, made into the facts the file table keeps.
// Keeps the last time conversions (the files of a folder often share their times) and the mount
// table once it was needed; one examiner per thread.
class EntryExaminer {
public:
    // The facts of the mount the folders examined lie on.
    void setMount(const MountFacts& mount) { m_mount = mount; }
    const MountFacts& mount() const { return m_mount; }
    // The entry `name` (ending in NUL) of the folder open as `folderFd`.
    void examine(int folderFd, const char* name, EntryFacts& facts);

private:
    FileTime timeOf(qint64 seconds);
    bool mountIsTemporary(quint64 mountId);

    MountFacts m_mount;
    FileTime m_times[2];
    int m_timesKept = 0;
    int m_nextTimeSlot = 0;
    bool m_mountsRead = false;
    std::vector<std::pair<quint64, bool>> m_mountTemporary; // every mount: id, memory-backed
};

// The search of one folder. Owns the open folder until it is destroyed (or shares it).
class DirectorySearch {
public:
    // `folder` as raw bytes, the way it reaches the disk; the QString form is encoded as the file
    // system's names are (UTF-8). `mount`, when given, holds the facts of the folder's own mount,
    // known from the folder above it; otherwise they are asked of the file system.
    explicit DirectorySearch(const QByteArray& folder, const MountFacts* mount = nullptr);
    explicit DirectorySearch(const QString& folder);
    // The folder `name` inside the folder open as `parentFd` (an O_PATH descriptor will do), whose
    // full path is `folder`: the kernel looks up one name instead of the whole path. A link in its
    // place is not followed.
    // `withAlternates` false leaves out the shown forms and alternates (longName() and shortName() are
    // then not to be called): for a caller that works them out elsewhere from names().
    DirectorySearch(int parentFd, const QByteArray& name, const QByteArray& folder, const MountFacts* mount,
                    bool withAlternates = true);
    ~DirectorySearch();

    DirectorySearch(const DirectorySearch&) = delete;
    DirectorySearch& operator=(const DirectorySearch&) = delete;

    // False when the folder could not be opened, or reading its names failed part-way (the names
    // read before the failure are still yielded).
    bool ok() const { return m_error == 0; }
    int error() const { return m_error; }
    QString errorText() const { return m_error ? systemErrorText(m_error) : QString(); }

    const QByteArray& folder() const { return m_folder; }
    // Number of entries the search yields in all ("." and ".." are never among them).
    std::size_t count() const { return m_names.count(); }
    // Whether the folder lies on a memory-backed file system.
    bool onTemporaryFileSystem() const { return mountFacts().temporary; }
    const MountFacts& mountFacts() const { return m_examiner.mount(); }
    // The open folder, kept open for as long as someone holds it; null when it could not be opened.
    const std::shared_ptr<const UniqueFd>& sharedFolder() const { return m_fd; }

    // The next entry, in the order the file system listed the names; false when none is left.
    bool next(DirEntry& entry);
    // The same without copying the names: `index` tells which entry the facts belong to, for the
    // accessors below.
    bool nextFacts(std::size_t& index, EntryFacts& facts);
    // The same, except that with `leaveNonFolders` an entry the listing marks as neither a folder
    // nor unknown is not examined: `examined` says so, and an EntryExaminer with mountFacts() makes
    // its facts later, on sharedFolder().
    bool nextFacts(std::size_t& index, EntryFacts& facts, bool leaveNonFolders, bool& examined);
    // The same, skipping every entry that is not a folder. Entries the folder listing already
    // marks as something else are skipped without asking the file system about them.
    bool nextFolder(DirEntry& entry);
    // The errno of the first entry nextFolder skipped because it could not be examined (it may have
    // been a folder); 0 when there was none.
    int skippedFolderError() const { return m_skippedFolderError; }

    // The names of entry `index` (0 <= index < count()), as views into the search's own buffers.
    QByteArrayView rawName(std::size_t index) const { return m_names.raw(index); }
    QStringView longName(std::size_t index) const { return m_names.shown(index); }
    const ShortAlternate& shortName(std::size_t index) const { return m_names.alternate(index); }
    bool isAscii(std::size_t index) const { return m_names.isAscii(index); }
    const FolderNames& names() const { return m_names; }

private:
    void open(int parentFd, const QByteArray& name, const MountFacts* mount, bool withAlternates);
    void examine(std::size_t index, EntryFacts& facts);
    void setNames(std::size_t index, DirEntry& entry) const;

    QByteArray m_folder;
    std::shared_ptr<const UniqueFd> m_fd; // shared with whoever examines entries left unexamined
    int m_error = 0;
    int m_skippedFolderError = 0;
    FolderNames m_names;
    std::size_t m_next = 0;
    EntryExaminer m_examiner;
};

struct SearchError {
    int number = 0; // errno; 0 when the folder was read in full
    QString text;
};

// Every entry of `folder`, in the file system's order.
std::vector<DirEntry> readFolder(const QByteArray& folder, SearchError& error);
std::vector<DirEntry> readFolder(const QString& folder, SearchError& error);

// The subfolders of `folder` (entries with the directory attribute; mount points included, links
// to folders not), sorted ascending by long name comparing character codes, so upper-case letters
// come before lower-case ones. When the folder was read but an entry could not be examined, the
// list may lack that entry: `error` then holds its errno.
std::vector<DirEntry> listSubfolders(const QByteArray& folder, SearchError& error);
std::vector<DirEntry> listSubfolders(const QString& folder, SearchError& error);

// `folder` + "/" + `name`, without doubling a "/" that `folder` already ends in.
QByteArray childPath(const QByteArray& folder, const QByteArray& name);

} // namespace zek::platform
