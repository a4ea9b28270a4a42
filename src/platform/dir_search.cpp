#include "platform/dir_search.h"

#include "platform/drives.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace zek::platform {

namespace {

bool isMemoryFileSystemType(const QString& fsType) {
    return fsType == QLatin1String("tmpfs") || fsType == QLatin1String("ramfs");
}

} // namespace

FileTime localFileTime(qint64 seconds) {
    FileTime result;
    result.seconds = seconds;
    const time_t t = static_cast<time_t>(seconds);
    struct tm local {};
    if (localtime_r(&t, &local) != nullptr) {
        result.date = (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
        result.time = local.tm_hour * 10000 + local.tm_min * 100 + local.tm_sec;
    }
    return result;
}

QString systemErrorText(int errorNumber) {
    return qt_error_string(errorNumber);
}

void refreshTimeZone() {
    tzset();
}

DirectorySearch::DirectorySearch(const QByteArray& folder, const MountFacts* mount) : m_folder(folder) {
    open(-1, folder, mount, true);
}

DirectorySearch::DirectorySearch(const QString& folder) : m_folder(QFile::encodeName(folder)) {
    open(-1, m_folder, nullptr, true);
}

DirectorySearch::DirectorySearch(int parentFd, const QByteArray& name, const QByteArray& folder,
                                 const MountFacts* mount, bool withAlternates)
    : m_folder(folder) {
    open(parentFd, name, mount, withAlternates);
}

DirectorySearch::~DirectorySearch() = default;

void DirectorySearch::open(int parentFd, const QByteArray& name, const MountFacts* mount,
                           bool withAlternates) {
    // Without O_NOATIME, reading the folder would rewrite the very access time the walk records.
    // The kernel allows it only to the owner (or a privileged user); others read without it.
    const int base = parentFd >= 0 ? parentFd : AT_FDCWD;
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (parentFd >= 0 ? O_NOFOLLOW : 0);
    int fd = ::openat(base, name.constData(), flags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = ::openat(base, name.constData(), flags);
    if (fd < 0) {
        m_error = errno;
        return;
    }
    m_fd.reset(fd);

    if (mount) {
        m_mount = *mount;
    } else {
        // Facts about the folder's own mount, asked once: every entry not a mount point shares
        // them. Both calls succeed on any open folder; failing, they leave the defaults (not
        // temporary; mount points told apart by device numbers).
        struct statfs fs {};
        if (fstatfs(fd, &fs) == 0)
            m_mount.temporary = fs.f_type == TMPFS_MAGIC || fs.f_type == RAMFS_MAGIC;
        struct statx self {};
        if (statx(fd, "", AT_EMPTY_PATH, STATX_TYPE | STATX_MNT_ID, &self) == 0) {
            m_mount.haveMountId = (self.stx_mask & STATX_MNT_ID) != 0;
            m_mount.mountId = self.stx_mnt_id;
            m_mount.devMajor = self.stx_dev_major;
            m_mount.devMinor = self.stx_dev_minor;
        }
    }

    // The names straight from getdents64, a large buffer at a time: no stream set up per folder.
    alignas(8) char buffer[32 * 1024];
    for (;;) {
        const long got = syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            m_error = errno;
            break;
        }
        if (got == 0)
            break;
        // Room for every name of this buffer at once (a record is at least 24 bytes).
        m_names.reserve(std::size_t(got), std::size_t(got) / 24);
        for (long at = 0; at < got;) {
            const auto* d = reinterpret_cast<const struct dirent64*>(buffer + at);
            at += d->d_reclen;
            const char* entry = d->d_name;
            if (entry[0] == '.' && (entry[1] == '\0' || (entry[1] == '.' && entry[2] == '\0')))
                continue;
            m_names.add(entry, std::strlen(entry), d->d_type);
        }
    }
    if (withAlternates)
        m_names.makeShownAndAlternates();
}

void FolderNames::clear() {
    m_made = false;
    m_rawText.clear();
    m_shownText.clear();
    m_slots.clear();
    m_alternates.clear();
}

void FolderNames::reserve(std::size_t moreBytes, std::size_t moreNames) {
    m_rawText.reserve(m_rawText.size() + moreBytes);
    m_slots.reserve(m_slots.size() + moreNames);
}

void FolderNames::add(const char* name, std::size_t length, unsigned char type) {
    m_made = false;
    Slot slot;
    slot.rawAt = quint32(m_rawText.size());
    slot.rawLength = quint32(length);
    slot.type = type;
    for (std::size_t i = 0; i < length && slot.ascii; ++i)
        slot.ascii = static_cast<unsigned char>(name[i]) < 0x80;
    m_rawText.append(name, length + 1); // with its NUL
    m_slots.push_back(slot);
}

void FolderNames::assignRaw(const FolderNames& other) {
    m_made = false;
    m_rawText.assign(other.m_rawText);
    m_slots.assign(other.m_slots.begin(), other.m_slots.end());
    m_shownText.clear();
    m_alternates.clear();
}

void FolderNames::makeShownAndAlternates() {
    // Shown forms: an ASCII name is its own; others are decoded (U+FFFD for invalid bytes).
    m_shownText.clear();
    m_shownText.reserve(qsizetype(m_rawText.size()));
    for (Slot& slot : m_slots) {
        slot.shownAt = quint32(m_shownText.size());
        const char* raw = m_rawText.data() + slot.rawAt;
        if (slot.ascii)
            m_shownText.append(QLatin1String(raw, qsizetype(slot.rawLength)));
        else
            m_shownText.append(displayName(QByteArray(raw, qsizetype(slot.rawLength))));
        slot.shownLength = quint32(m_shownText.size()) - slot.shownAt;
    }
    std::vector<QByteArrayView> raw;
    std::vector<QStringView> shown;
    raw.reserve(m_slots.size());
    shown.reserve(m_slots.size());
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        raw.push_back(this->raw(i));
        shown.push_back(this->shown(i));
    }
    generateShortNames(raw, shown, m_alternates);
    m_made = true;
}

bool DirectorySearch::next(DirEntry& entry) {
    if (m_next >= m_names.count())
        return false;
    const std::size_t index = m_next++;
    entry = DirEntry{};
    examine(index, entry, m_times);
    setNames(index, entry);
    return true;
}

void DirectorySearch::setNames(std::size_t index, DirEntry& entry) const {
    entry.rawName = rawName(index).toByteArray();
    entry.longName = longName(index).toString();
    entry.shortName = shortName(index).toString();
}

bool DirectorySearch::nextFacts(std::size_t& index, EntryFacts& facts) {
    if (!nextIndex(index))
        return false;
    examineAt(index, facts, m_times);
    return true;
}

bool DirectorySearch::nextIndex(std::size_t& index) {
    if (m_next >= m_names.count())
        return false;
    index = m_next++;
    return true;
}

void DirectorySearch::examineAt(std::size_t index, EntryFacts& facts, FileTimeCache& times) {
    facts = EntryFacts{};
    examine(index, facts, times);
}

bool DirectorySearch::mayBeFolder(std::size_t index) const {
    const unsigned char type = m_names.type(index);
    return type == DT_DIR || type == DT_UNKNOWN;
}

void DirectorySearch::examineListedNonFolder(std::size_t index, EntryFacts& facts,
                                             FileTimeCache& times) const {
    facts = EntryFacts{};
    if (examineBasic(index, facts, times) && facts.directory) {
        facts = EntryFacts{};
        facts.error = ENOENT;
    }
}

bool DirectorySearch::nextFolder(DirEntry& entry) {
    while (m_next < m_names.count()) {
        const std::size_t index = m_next++;
        if (!mayBeFolder(index))
            continue;
        entry = DirEntry{};
        examine(index, entry, m_times);
        if (entry.directory) {
            setNames(index, entry);
            return true;
        }
        if (entry.error && !m_skippedFolderError)
            m_skippedFolderError = entry.error;
    }
    return false;
}

namespace {

qint64 floorDivide(qint64 a, qint64 b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's days_from_civil).
qint64 daysFromCivil(qint64 y, unsigned m, unsigned d) {
    y -= m <= 2;
    const qint64 era = floorDivide(y, 400);
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + qint64(doe) - 719468;
}

// The date and time of `local` seconds counted as if the zone were UTC (civil_from_days).
FileTime civilTime(qint64 seconds, qint64 local) {
    const qint64 days = floorDivide(local, 86400);
    const qint64 inDay = local - days * 86400;
    const qint64 z = days + 719468;
    const qint64 era = floorDivide(z, 146097);
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const qint64 y = qint64(yoe) + era * 400 + (m <= 2);
    FileTime t;
    t.seconds = seconds;
    t.date = int(y * 10000 + m * 100 + d);
    t.time = int(inDay / 3600 * 10000 + inDay % 3600 / 60 * 100 + inDay % 60);
    return t;
}

// Local minus UTC seconds at `seconds`, as localtime_r has it; nothing when it fails.
std::optional<qint64> offsetAt(qint64 seconds) {
    const time_t t = static_cast<time_t>(seconds);
    struct tm local {};
    if (localtime_r(&t, &local) == nullptr || local.tm_sec > 59)
        return std::nullopt;
    const qint64 days =
        daysFromCivil(qint64(local.tm_year) + 1900, unsigned(local.tm_mon + 1), unsigned(local.tm_mday));
    return days * 86400 + local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec - seconds;
}

} // namespace

FileTime FileTimeCache::convert(qint64 seconds) {
    const qint64 index = floorDivide(seconds, QuarterHour);
    Quarter& q = m_quarters[std::size_t(index) % Slots];
    if (q.index != index) {
        q.index = index;
        const qint64 start = index * QuarterHour;
        const std::optional<qint64> first = offsetAt(start);
        const std::optional<qint64> last = offsetAt(start + QuarterHour - 1);
        // Years 1 to 9999 only: beyond them localtime_r decides, as it always did.
        constexpr qint64 yearOne = -62135596800LL, year10000 = 253402300800LL;
        q.even = first && last && *first == *last && start > yearOne + 86400 && start < year10000 - 86400;
        q.offset = first ? *first : 0;
    }
    if (!q.even)
        return localFileTime(seconds);
    return civilTime(seconds, seconds + q.offset);
}

bool DirectorySearch::examineBasic(std::size_t index, EntryFacts& entry, FileTimeCache& times,
                                   std::optional<quint64>* mountPointId) const {
    const char* name = m_names.rawCString(index); // ends in NUL
    entry.hidden = name[0] == '.';

    struct statx st {};
    // Links are never followed, and an automount point is not woken: it is recorded, not entered.
    if (statx(m_fd.get(), name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
              STATX_BASIC_STATS | STATX_BTIME | STATX_MNT_ID, &st) != 0) {
        entry.error = errno;
        return false;
    }

    const mode_t mode = st.stx_mode;
    entry.directory = S_ISDIR(mode);
    entry.isSymlink = S_ISLNK(mode);
    const bool regular = S_ISREG(mode);
    entry.system = !regular && !entry.directory;
    entry.readOnly = (mode & S_IWUSR) == 0;
    entry.archive = regular && (st.stx_attributes & STATX_ATTR_NODUMP) == 0;
    entry.compressed = (st.stx_attributes & STATX_ATTR_COMPRESSED) != 0;
    entry.size = entry.directory ? 0 : static_cast<qint64>(st.stx_size);

    entry.lastWrite = times.convert(st.stx_mtime.tv_sec);
    entry.lastAccess = times.convert(st.stx_atime.tv_sec);
    entry.creation = (st.stx_mask & STATX_BTIME) ? times.convert(st.stx_btime.tv_sec) : entry.lastWrite;

    entry.temporary = m_mount.temporary;
    if (entry.directory) {
        // Mount ids tell every mount apart, bind mounts of the same file system included; device
        // numbers would also split off btrfs subvolumes, which belong to the mount they are in.
        if (m_mount.haveMountId && (st.stx_mask & STATX_MNT_ID))
            entry.isMountPoint = st.stx_mnt_id != m_mount.mountId;
        else if (st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
            entry.isMountPoint = (st.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
        else
            entry.isMountPoint = st.stx_dev_major != m_mount.devMajor || st.stx_dev_minor != m_mount.devMinor;
        if (entry.isMountPoint && mountPointId && (st.stx_mask & STATX_MNT_ID))
            *mountPointId = st.stx_mnt_id;
    }
    return true;
}

void DirectorySearch::examine(std::size_t index, EntryFacts& entry, FileTimeCache& times) {
    std::optional<quint64> mountPointId;
    if (examineBasic(index, entry, times, &mountPointId) && mountPointId)
        entry.temporary = mountIsTemporary(*mountPointId);
}

bool DirectorySearch::mountIsTemporary(quint64 mountId) {
    // Rare (only folders holding mount points), so the mount table is read when first needed.
    if (!m_mountsRead) {
        m_mountsRead = true;
        for (const DriveInfo& mount : allMounts())
            m_mountTemporary.emplace_back(quint64(mount.mountId), isMemoryFileSystemType(mount.fsType));
    }
    const auto it = std::find_if(m_mountTemporary.begin(), m_mountTemporary.end(),
                                 [&](const auto& known) { return known.first == mountId; });
    return it != m_mountTemporary.end() && it->second;
}

namespace {

std::vector<DirEntry> readAll(DirectorySearch& search, bool foldersOnly, SearchError& error) {
    std::vector<DirEntry> entries;
    entries.reserve(foldersOnly ? 0 : search.count());
    DirEntry entry;
    while (foldersOnly ? search.nextFolder(entry) : search.next(entry))
        entries.push_back(std::move(entry));
    error.number = search.error();
    error.text = search.errorText();
    return entries;
}

std::vector<DirEntry> sortedFolders(DirectorySearch& search, SearchError& error) {
    std::vector<DirEntry> folders = readAll(search, true, error);
    if (error.number == 0 && search.skippedFolderError() != 0) {
        error.number = search.skippedFolderError();
        error.text = systemErrorText(error.number);
    }
    std::sort(folders.begin(), folders.end(), [](const DirEntry& a, const DirEntry& b) {
        const int c = QString::compare(a.longName, b.longName, Qt::CaseSensitive);
        return c != 0 ? c < 0 : a.rawName < b.rawName; // names shown alike still sort steadily
    });
    return folders;
}

} // namespace

std::vector<DirEntry> readFolder(const QByteArray& folder, SearchError& error) {
    refreshTimeZone();
    DirectorySearch search(folder);
    return readAll(search, false, error);
}

std::vector<DirEntry> readFolder(const QString& folder, SearchError& error) {
    refreshTimeZone();
    DirectorySearch search(folder);
    return readAll(search, false, error);
}

std::vector<DirEntry> listSubfolders(const QByteArray& folder, SearchError& error) {
    refreshTimeZone();
    DirectorySearch search(folder);
    return sortedFolders(search, error);
}

std::vector<DirEntry> listSubfolders(const QString& folder, SearchError& error) {
    refreshTimeZone();
    DirectorySearch search(folder);
    return sortedFolders(search, error);
}

QByteArray childPath(const QByteArray& folder, const QByteArray& name) {
    if (folder.isEmpty() || folder.endsWith('/'))
        return folder + name;
    return folder + '/' + name;
}

} // namespace zek::platform
