#include "scan/folder_walker.h"

#include "db/record_appender.h"
#include "platform/drives.h"

#include <QElapsedTimer>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace zek::scan {

using db::EngineError;
using platform::DirectorySearch;
using platform::EntryFacts;

const QStringList& filetypeFieldOrder() {
    static const QStringList order{
        "PATH",     "LONGPATH", "PATHLEVEL", "PATHNUMBER",   "NAME",         "EXTENSION",  "LONGNAME",
        "SIZE",     "DATE",     "TIME",      "CREATIONDATE", "CREATIONTIME", "ACCESSDATE", "ACCESSTIME",
        "READONLY", "HIDDEN",   "SYSTEM",    "ARCHIVE",      "COMPRESSED",   "TEMPORARY",  "DIRECTORY"};
    return order;
}

void readDriveCapacity(QString& drive, DriveCapacity& capacity) {
    const QString path = drive;
    const QString root = platform::rootOf(path);
    // Without a readable mount table the folder itself stands for its drive.
    drive = root.isEmpty() ? path : root;
    int errorNumber = 0;
    const std::optional<platform::Capacity> measured = platform::driveCapacity(path, &errorNumber);
    capacity = DriveCapacity{};
    if (measured) {
        capacity.totalBytes = measured->totalBytes;
        capacity.freeBytes = measured->freeBytes;
        capacity.known = true;
    } else {
        capacity.errorNumber = errorNumber;
    }
}

FolderQueueEntry subfolderEntry(const FolderQueueEntry& parent, int parentIndex, const QByteArray& rawName,
                                const QString& longName, const QString& shortForm) {
    FolderQueueEntry sub;
    sub.shortPath = parent.shortPath + shortForm;
    sub.longPath = parent.longPath + longName;
    sub.rawLongPath = parent.rawLongPath + rawName;
    sub.level = parent.level + 1;
    sub.parent = parentIndex;
    return sub;
}

namespace {

QString withSeparator(const QString& path) {
    return path.endsWith(u'/') ? path : path + u'/';
}

QByteArray withSeparator(const QByteArray& path) {
    return path.endsWith('/') ? path : path + '/';
}

// One entry as the walk records it: the file system's facts, and its names as UTF-8 in the batch's
// text buffer: the long name as shown, and the short form, split at its first "." into NAME and
// EXTENSION.
struct WalkRecord {
    EntryFacts facts;
    quint32 longAt = 0;
    quint32 longBytes = 0;
    quint32 shortAt = 0;
    quint32 shortBytes = 0;
    qint32 dot = -1; // position of the first "." in the short form; -1 without one
};

// One folder's entries, or a chunk of them (a large folder is handed over in several chunks).
struct FolderBatch {
    int index = -1;           // the folder's queue index, its folder number
    FolderQueueEntry folder;  // paths ending in "/"
    bool first = true;        // the first chunk of the folder
    bool last = true;         // the last chunk of the folder
    int openError = 0;        // errno: the folder could not be opened; no entries
    int readError = 0;        // errno: reading the folder stopped part-way (first chunk only)
    bool pathTooLong = false; // the folder's path does not fit the file table; not read
    std::vector<WalkRecord> records;
    std::string text; // the records' names
    // The queue entries of the subfolders among `records`, in their order (see entersFolder).
    std::vector<FolderQueueEntry> subfolders;

    std::string_view textAt(quint32 at, quint32 bytes) const {
        return std::string_view(text).substr(at, bytes);
    }
    std::string_view longName(const WalkRecord& r) const { return textAt(r.longAt, r.longBytes); }
    std::string_view shortForm(const WalkRecord& r) const { return textAt(r.shortAt, r.shortBytes); }
    std::string_view name(const WalkRecord& r) const {
        return textAt(r.shortAt, r.dot < 0 ? r.shortBytes : quint32(r.dot));
    }
    std::string_view extension(const WalkRecord& r) const {
        return r.dot < 0 ? textAt(r.shortAt + r.shortBytes, 0)
                         : textAt(r.shortAt + quint32(r.dot) + 1, r.shortBytes - quint32(r.dot) - 1);
    }
};

// Empties a spent batch, keeping its buffers.
void reuse(FolderBatch& b) {
    b.index = -1;
    b.folder = FolderQueueEntry{};
    b.first = true;
    b.last = true;
    b.openError = 0;
    b.readError = 0;
    b.pathTooLong = false;
    b.records.clear();
    b.text.clear();
    b.subfolders.clear();
}

// Whether a spent batch goes back to the reader for reuse. Memory is freed fastest by the thread
// that took it; only small batches come back, so the buffers kept stay small.
bool worthReusing(const FolderBatch& b) {
    return b.records.capacity() <= 64 && b.text.capacity() <= 4096 && b.subfolders.capacity() <= 64;
}

// Appends `text` to `out` as UTF-8; plain ASCII (every generated short name) without a detour.
void appendUtf8(std::string& out, const QString& text) {
    const qsizetype start = qsizetype(out.size());
    out.resize(out.size() + std::size_t(text.size()));
    char* p = out.data() + start;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            out.resize(std::size_t(start));
            const QByteArray utf8 = text.toUtf8();
            out.append(utf8.constData(), std::size_t(utf8.size()));
            return;
        }
        *p++ = char(c.unicode());
    }
}

// Entries of one folder in a batch at most; at most ChannelEntries entries and ChannelBatches batches
// (empty folders make batches without entries) wait between the reader thread and the writer.
constexpr std::size_t ChunkSize = 1024;
constexpr std::size_t ChannelEntries = 8 * ChunkSize;
constexpr std::size_t ChannelBatches = 256;

// Reads the chosen folders breadth-first and hands them out as batches, in the order the records
// are written: the folder itself, then all its subfolders in the order the file system listed them,
// then theirs; only then the next chosen folder. Keeps its own queue, so it can run ahead of the
// writer on another thread.
class FolderReader {
public:
    explicit FolderReader(const FolderList& chosen) : m_chosen(chosen) {}
    ~FolderReader() { closeParent(); }
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    // The next batch; false when every chosen folder has been read. `b` may be a spent batch: its
    // buffers are reused.
    bool produce(FolderBatch& b) {
        reuse(b);
        if (!m_search) {
            if (m_nextIndex > m_queue.folderCount) {
                if (m_nextChosen >= m_chosen.count())
                    return false;
                FolderQueueEntry chosen;
                chosen.shortPath = m_chosen.shortForms.value(m_nextChosen).toUpper();
                chosen.longPath = m_chosen.longForms.at(m_nextChosen);
                chosen.rawLongPath = QFile::encodeName(chosen.longPath);
                ++m_nextChosen;
                m_queue.append(std::move(chosen));
                m_haveMount = false; // a chosen folder's mount is asked of the file system
            }
            m_current = m_nextIndex++;
            m_queue.releaseBefore(m_current);
            FolderQueueEntry& entry = m_queue.at(m_current);
            entry.shortPath = withSeparator(entry.shortPath);
            entry.longPath = withSeparator(entry.longPath);
            entry.rawLongPath = withSeparator(entry.rawLongPath);
            m_folder = entry;

            b.index = m_current;
            b.folder = m_folder;
            // A folder whose path the file table cannot hold is not read: its records could only be
            // cut. (Beyond PATH_MAX it could not be opened either.)
            if (m_folder.shortPath.size() > db::HostPathSize || m_folder.longPath.size() > db::HostPathSize) {
                b.pathTooLong = true;
                return true;
            }
            // Mount points are never entered, so every folder below a chosen one shares its mount.
            m_search = openFolder();
            if (!m_search->ok() && m_search->count() == 0) {
                b.openError = m_search->error();
                m_search.reset();
                return true;
            }
            if (!m_haveMount) {
                m_mount = m_search->mountFacts();
                m_haveMount = true;
            }
            b.readError = m_search->error();
        } else {
            b.index = m_current;
            b.folder = m_folder;
            b.first = false;
        }
        const std::size_t expected = std::min(ChunkSize, m_search->count());
        b.records.reserve(expected);
        b.text.reserve(expected * 32);
        while (b.records.size() < ChunkSize) {
            WalkRecord& r = b.records.emplace_back();
            std::size_t i = 0;
            if (!m_search->nextFacts(i, r.facts)) {
                b.records.pop_back();
                m_search.reset();
                return true;
            }
            const QByteArrayView raw = m_search->rawName(i);
            const bool ascii = m_search->isAscii(i);
            r.longAt = quint32(b.text.size());
            if (ascii || db::utf8TextLength(std::string_view(raw.data(), std::size_t(raw.size()))) >= 0)
                b.text.append(raw.data(), std::size_t(raw.size())); // shown as it is
            else
                appendUtf8(b.text, m_search->longName(i).toString()); // U+FFFD where the bytes are not UTF-8
            r.longBytes = quint32(b.text.size()) - r.longAt;
            if (r.facts.error != 0)
                continue;
            // The short form: the alternate, or the long name in upper case.
            const platform::ShortAlternate& alternate = m_search->shortName(i);
            r.shortAt = quint32(b.text.size());
            if (!alternate.isEmpty()) {
                b.text.append(alternate.text, alternate.length);
            } else if (ascii) {
                for (const char c : raw)
                    b.text.push_back(c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c);
            } else {
                appendUtf8(b.text, m_search->longName(i).toString().toUpper());
            }
            r.shortBytes = quint32(b.text.size()) - r.shortAt;
            const std::size_t dot = std::string_view(b.text).substr(r.shortAt, r.shortBytes).find('.');
            r.dot = dot == std::string_view::npos ? -1 : qint32(dot);
            if (entersFolder(r.facts)) {
                FolderQueueEntry sub =
                    subfolderEntry(m_folder, m_current, raw.toByteArray(), m_search->longName(i).toString(),
                                   QString::fromUtf8(b.shortForm(r).data(), qsizetype(r.shortBytes)));
                b.subfolders.push_back(sub);
                m_queue.append(std::move(sub));
            }
        }
        // A full chunk: the folder goes on in the next batch (which may hold no entries).
        b.last = false;
        return true;
    }

private:
    // The search of the current folder. The subfolders of one folder follow each other in the
    // queue, so their parent is opened once (O_PATH) and each is looked up in it by its name: one
    // name for the kernel to resolve instead of the whole path.
    std::unique_ptr<DirectorySearch> openFolder() {
        const platform::MountFacts* mount = m_haveMount ? &m_mount : nullptr;
        const QByteArray& path = m_folder.rawLongPath; // ends in "/"
        const qsizetype slash = m_folder.level > 0 ? path.lastIndexOf('/', path.size() - 2) : -1;
        if (slash >= 0) {
            if (m_folder.parent != m_parentIndex) {
                closeParent();
                m_parentFd = ::open(path.left(slash + 1).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
                m_parentIndex = m_folder.parent;
            }
            if (m_parentFd >= 0) {
                const QByteArray name = path.mid(slash + 1, path.size() - slash - 2);
                return std::make_unique<DirectorySearch>(m_parentFd, name, path, mount);
            }
        }
        return std::make_unique<DirectorySearch>(path, mount); // says why, when it fails
    }
    void closeParent() {
        if (m_parentFd >= 0)
            ::close(m_parentFd);
        m_parentFd = -1;
        m_parentIndex = -1;
    }

    FolderList m_chosen;
    FolderQueue m_queue;
    int m_nextChosen = 0;
    int m_nextIndex = 0;
    int m_current = -1;
    FolderQueueEntry m_folder;
    std::unique_ptr<DirectorySearch> m_search;
    platform::MountFacts m_mount; // of the chosen folder being walked
    bool m_haveMount = false;
    int m_parentFd = -1;    // the open parent of the current folder
    int m_parentIndex = -1; // its queue index
};

// Where the writer takes its batches from: the reader on this thread, or the reader thread.
class BatchSource {
public:
    enum class Next { Batch, Wait, End };

    BatchSource(const FolderList& chosen, bool readAhead) : m_reader(chosen), m_readAhead(readAhead) {
        if (m_readAhead)
            m_thread = std::thread([this] { readAheadLoop(); });
    }
    ~BatchSource() { stop(); }
    BatchSource(const BatchSource&) = delete;
    BatchSource& operator=(const BatchSource&) = delete;

    // The next batch; Wait when the reader thread has none ready within `waitMs`.
    Next next(FolderBatch& b, int waitMs) {
        if (!m_readAhead)
            return m_reader.produce(b) ? Next::Batch : Next::End;
        if (m_ready.empty()) {
            // Everything the reader has handed over is taken at once: one lock per group of folders,
            // not one per folder.
            std::unique_lock lock(m_mutex);
            if (!m_notEmpty.wait_for(lock, std::chrono::milliseconds(waitMs),
                                     [this] { return !m_batches.empty() || m_done; }))
                return Next::Wait;
            if (m_batches.empty()) {
                if (m_failure)
                    std::rethrow_exception(m_failure);
                return Next::End;
            }
            m_ready.swap(m_batches);
            m_entriesWaiting = 0;
            if (m_spent.empty())
                m_spent.swap(m_spentHere);
            lock.unlock();
            m_notFull.notify_one();
        }
        if (worthReusing(b) && m_spentHere.size() < ChannelBatches)
            m_spentHere.push_back(std::move(b));
        b = std::move(m_ready.front());
        m_ready.pop_front();
        return Next::Batch;
    }

    // Ends the reader thread; what it read ahead is dropped.
    void stop() {
        if (!m_thread.joinable())
            return;
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_stopRequested = true;
        m_notFull.notify_one();
        m_thread.join();
        m_batches.clear();
        m_ready.clear();
        m_spent.clear();
        m_spentHere.clear();
    }

private:
    // Folders are handed over in groups of about this many entries (or batches, for empty folders).
    static constexpr std::size_t GroupEntries = 256;
    static constexpr std::size_t GroupBatches = 32;

    void readAheadLoop() {
        std::deque<FolderBatch> group;
        std::size_t groupEntries = 0;
        std::vector<FolderBatch> pool; // spent batches back from the writer
        // Hands the group over; false when the writer has stopped the reader.
        auto handOver = [&] {
            std::unique_lock lock(m_mutex);
            m_notFull.wait(lock, [this] {
                return m_stop || (m_entriesWaiting < ChannelEntries && m_batches.size() < ChannelBatches);
            });
            if (m_stop)
                return false;
            const bool wasEmpty = m_batches.empty();
            m_entriesWaiting += groupEntries;
            for (FolderBatch& b : group)
                m_batches.push_back(std::move(b));
            if (pool.empty())
                pool.swap(m_spent);
            lock.unlock();
            if (wasEmpty)
                m_notEmpty.notify_one();
            group.clear();
            groupEntries = 0;
            return true;
        };
        try {
            for (;;) {
                if (m_stopRequested.load(std::memory_order_relaxed))
                    break;
                FolderBatch b;
                if (!pool.empty()) {
                    b = std::move(pool.back());
                    pool.pop_back();
                }
                if (!m_reader.produce(b)) {
                    if (!group.empty())
                        handOver();
                    break;
                }
                groupEntries += b.records.size();
                group.push_back(std::move(b));
                if ((groupEntries >= GroupEntries || group.size() >= GroupBatches) && !handOver())
                    break;
            }
        } catch (...) {
            std::lock_guard lock(m_mutex);
            m_failure = std::current_exception();
        }
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_notEmpty.notify_one();
    }

    FolderReader m_reader; // on the reader thread while it runs
    bool m_readAhead;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_notEmpty;
    std::condition_variable m_notFull;
    std::deque<FolderBatch> m_batches; // handed over, not yet taken
    std::size_t m_entriesWaiting = 0;
    bool m_stop = false;
    std::atomic<bool> m_stopRequested{false}; // m_stop, read without the lock between folders
    bool m_done = false;
    std::exception_ptr m_failure;
    std::vector<FolderBatch> m_spent;     // back from the writer, not yet taken by the reader
    std::deque<FolderBatch> m_ready;      // taken by the writer; its thread only
    std::vector<FolderBatch> m_spentHere; // spent by the writer, not yet handed back; its thread only
};

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The writer's side of a walk: the file table, the pacing, and the source of the batches.
struct WalkContext {
    ScanState& scan;
    db::Database& database;
    db::RecordAppender appender; // FILETYPE, its fields in filetypeFieldOrder()
    ScanDisplay& display;
    ScanPacing pacing;
    BatchSource& source;
    bool shortForms = false; // progress shows short forms (`ActiveOutline` is "OUTLINE2")
    std::optional<db::Transaction> transaction;
    QElapsedTimer clock;
    qint64 lastPump = 0;
    qint64 lastCommit = 0;
    int uncommitted = 0; // records written since the last commit

    WalkContext(ScanState& s, db::Database& d, ScanDisplay& disp, ScanPacing p, BatchSource& src)
        : scan(s), database(d), appender(d, db::tableName(db::WorkTable::Filetype), filetypeFieldOrder()),
          display(disp), pacing(p), source(src), shortForms(showsShortForms(s)) {
        clock.start();
    }

    // Commits the records written so far and begins the next transaction.
    void commitNow() {
        if (transaction) {
            transaction->commit();
            transaction.reset();
        }
        transaction.emplace(database);
        lastCommit = clock.elapsed();
        uncommitted = 0;
    }
    // Commits and lets events run when their time has come.
    void tick() {
        const qint64 now = clock.elapsed();
        if (now - lastCommit >= pacing.commitInterval || uncommitted >= pacing.commitRecords)
            commitNow();
        if (now - lastPump >= pacing.pumpInterval) {
            display.pump();
            lastPump = clock.elapsed();
        }
    }
    // The next batch from the source; while none is ready, events still run and Cancel is heard.
    bool nextBatch(FolderBatch& b) {
        for (;;) {
            if (scan.scanCancel)
                return false;
            switch (source.next(b, 10)) {
            case BatchSource::Next::Batch:
                return true;
            case BatchSource::Next::End:
                return false;
            case BatchSource::Next::Wait:
                tick();
                break;
            }
        }
    }

    // Writes one record; `folderShort`/`folderLong` are the folder's paths in UTF-8. A value the file
    // table cannot hold (ErrFieldTooSmall) costs only this entry: the pending record is dropped and
    // false returned. Every other engine error ends the scan.
    bool writeRecord(std::string_view folderShort, std::string_view folderLong,
                     const FolderQueueEntry& folder, int index, const FolderBatch& b, const WalkRecord& r) {
        db::RecordAppender& a = appender;
        const EntryFacts& e = r.facts;
        try {
            a.setText(0, folderShort);
            a.setText(1, folderLong);
            a.setInteger(2, folder.level);
            a.setInteger(3, index);
            a.setText(4, b.name(r));
            a.setText(5, b.extension(r));
            a.setText(6, b.longName(r));
            a.setInteger(7, e.size);
            a.setInteger(8, e.lastWrite.date);
            a.setInteger(9, e.lastWrite.time);
            a.setInteger(10, e.creation.date);
            a.setInteger(11, e.creation.time);
            a.setInteger(12, e.lastAccess.date);
            a.setInteger(13, e.lastAccess.time);
            a.setBoolean(14, e.readOnly);
            a.setBoolean(15, e.hidden);
            a.setBoolean(16, e.system);
            a.setBoolean(17, e.archive);
            a.setBoolean(18, e.compressed);
            a.setBoolean(19, e.temporary);
            a.setBoolean(20, e.directory);
            a.append();
            ++uncommitted;
            return true;
        } catch (const EngineError& error) {
            a.clear();
            if (error.number() != db::ErrFieldTooSmall)
                throw;
            ++scan.counters.entriesSkipped;
            display.showProblem(QStringLiteral("Entry %1%2 not recorded: Error # %3 : %4")
                                    .arg(folder.longPath, fromUtf8(b.longName(r)))
                                    .arg(error.number())
                                    .arg(error.description()));
            return false;
        }
    }
};

bool walkFolder(WalkContext& c, FolderBatch& b) {
    ScanState& scan = c.scan;
    ScanCounters& counters = scan.counters;
    const FolderQueueEntry folder = b.folder; // b is refilled with the folder's further chunks
    const int index = b.index;

    // The writer's own queue follows the reader's: a chosen folder starts when the reader moves on
    // past the last queued folder.
    if (index > scan.queue.folderCount)
        scan.queue.append(folder);
    scan.queue.releaseBefore(index);
    const int level = scan.queue.at(index).level;
    Q_ASSERT(level == folder.level);

    c.display.showFolder(c.shortForms ? folder.shortPath : folder.longPath);

    if (b.pathTooLong) {
        ++counters.foldersSkipped;
        c.display.showProblem(QStringLiteral("Folder %1 skipped: its path is longer than %2 characters")
                                  .arg(folder.longPath)
                                  .arg(db::HostPathSize));
        return true;
    }
    if (b.openError) {
        ++counters.foldersSkipped;
        c.display.showProblem(QStringLiteral("Folder %1 skipped: %2")
                                  .arg(folder.longPath, platform::systemErrorText(b.openError)));
        return true;
    }
    if (b.readError) {
        ++counters.foldersSkipped;
        c.display.showProblem(QStringLiteral("Folder %1 read only in part: %2")
                                  .arg(folder.longPath, platform::systemErrorText(b.readError)));
    } else {
        ++counters.folders;
    }

    const QByteArray shortUtf8 = folder.shortPath.toUtf8();
    const QByteArray longUtf8 = folder.longPath.toUtf8();
    const std::string_view folderShort(shortUtf8.constData(), std::size_t(shortUtf8.size()));
    const std::string_view folderLong(longUtf8.constData(), std::size_t(longUtf8.size()));

    qint64 unexamined = 0;
    QString firstUnexamined;
    for (;;) {
        std::size_t nextSubfolder = 0;
        for (const WalkRecord& r : b.records) {
            const EntryFacts& entry = r.facts;
            if (entry.error != 0) {
                // Vanished since the folder was listed, or not to be examined: skipped, counted, and
                // told once per folder below.
                ++counters.entriesSkipped;
                if (unexamined++ == 0) {
                    firstUnexamined = fromUtf8(b.longName(r)) + QStringLiteral(": ") +
                                      platform::systemErrorText(entry.error);
                }
            } else {
                c.display.showEntry(fromUtf8(c.shortForms ? b.shortForm(r) : b.longName(r)));
                // The reader has queued the subfolder already; the writer's queue keeps step.
                if (entersFolder(entry))
                    scan.queue.append(b.subfolders[nextSubfolder++]); // shares the reader's texts
                if (c.writeRecord(folderShort, folderLong, folder, index, b, r)) {
                    ++counters.entries;
                    if (entry.isSymlink)
                        ++counters.symbolicLinks;
                    if (entry.directory && entry.isMountPoint)
                        ++counters.mountPointsNotEntered;
                }
            }
            if (scan.scanCancel)
                break;
            c.tick();
            if (scan.scanCancel)
                break;
        }
        if (b.last || scan.scanCancel)
            break;
        if (!c.nextBatch(b))
            break;
        Q_ASSERT(b.index == index && !b.first);
    }
    if (unexamined > 0) {
        c.display.showProblem(unexamined == 1
                                  ? QStringLiteral("In folder %1 an entry was skipped: %2")
                                        .arg(folder.longPath, firstUnexamined)
                                  : QStringLiteral("In folder %1, %2 entries were skipped, the first: %3")
                                        .arg(folder.longPath)
                                        .arg(unexamined)
                                        .arg(firstUnexamined));
    }
    return !scan.scanCancel;
}

} // namespace

ScanOutcome scanSelectedFolders(ScanState& scan, db::WorkState& ws, ScanDisplay& display, ScanPacing pacing) {
    const FolderList& folders = ws.settings.folders;

    scan.scanDrive = folders.isEmpty() ? QString() : folders.longForms.at(0);
    readDriveCapacity(scan.scanDrive, scan.driveCapacity);
    display.showCapacity(scan.scanDrive, scan.driveCapacity);
    if (!scan.driveCapacity.known && !folders.isEmpty()) {
        display.showProblem(
            QStringLiteral("The capacity of %1 is unknown: %2")
                .arg(scan.scanDrive, platform::systemErrorText(scan.driveCapacity.errorNumber)));
    }

    scan.queue.clear();
    scan.counters = ScanCounters{};
    scan.errorNumber = 0;
    scan.errorText.clear();
    ws.scanResult = 0;

    std::optional<BatchSource> source;
    std::optional<WalkContext> context;
    try {
        if (!ws.database || !ws.databaseOpen)
            throw EngineError(db::ErrObjectClosed, QStringLiteral("Object invalid or no longer set."));
        if (!ws.table(db::WorkTable::Filetype)) {
            ws.tables[static_cast<size_t>(db::WorkTable::Filetype)] =
                ws.database->openTable(db::tableName(db::WorkTable::Filetype));
            ws.flag(db::WorkTable::Filetype) = true;
        }
        if (!scan.scanCancel) {
            // Once per scan, before the reader starts: a changed time zone applies from here on.
            platform::refreshTimeZone();
            source.emplace(folders, pacing.readAhead);
            context.emplace(scan, *ws.database, display, pacing, *source);
            context->commitNow();
            FolderBatch batch;
            while (context->nextBatch(batch)) {
                Q_ASSERT(batch.first);
                if (!walkFolder(*context, batch))
                    break;
            }
            source->stop();
            // Every record written so far is kept, whether the scan ran to its end or was cancelled.
            context->transaction->commit();
            context->transaction.reset();
        }
    } catch (const EngineError& error) {
        scan.errorNumber = error.number();
        scan.errorText = error.description();
        if (source)
            source->stop();
        // Keep what was written before the failure. When even that commit fails, the transaction
        // rolls back and the table holds what the last commit left; the first error is the one told.
        if (context && context->transaction) {
            try {
                context->transaction->commit();
            } catch (const EngineError&) {
            }
            context->transaction.reset();
        }
        ws.scanResult = db::NoCompletedScan;
        return ScanOutcome::Failed;
    }

    if (scan.scanCancel) {
        ws.scanResult = db::NoCompletedScan;
        return ScanOutcome::Cancelled;
    }
    return ScanOutcome::Completed;
}

} // namespace zek::scan
