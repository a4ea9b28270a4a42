#include "scan/folder_walker.h"

#include "db/record_appender.h"
#include "platform/drives.h"

#include <QElapsedTimer>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
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

FolderQueueEntry subfolderEntry(const FolderQueueEntry& parent, int parentIndex, QStringView longName,
                                QStringView shortForm) {
    FolderQueueEntry sub;
    sub.shortPath.reserve(parent.shortPath.size() + shortForm.size() + 1);
    sub.shortPath.append(parent.shortPath).append(shortForm);
    sub.longPath.reserve(parent.longPath.size() + longName.size() + 1);
    sub.longPath.append(parent.longPath).append(longName);
    sub.level = parent.level + 1;
    sub.parent = parentIndex;
    return sub;
}

namespace {

// Ends a path with "/" in place (queue entries are made with room for it).
void addSeparator(QString& path) {
    if (!path.endsWith(u'/'))
        path.append(u'/');
}

void addSeparator(QByteArray& path) {
    if (!path.endsWith('/'))
        path.append('/');
}

// One entry as the reader hands it over: the file system's facts, and which of its folder's names
// it is. Shown forms, short names and UTF-8 texts are the writer's work: the reader has the system
// calls to make, and the two threads are best kept about equally busy.
struct WalkRecord {
    EntryFacts facts;
    quint32 name = 0;
};

// One folder's entries, or a chunk of them (a large folder is handed over in several chunks).
struct FolderBatch {
    int index = -1; // the folder's queue index, its folder number
    // The folder, its paths ending in "/": a chosen folder's every path, below that the raw one only
    // (the writer makes the others, as it records the folder's entry in its parent).
    FolderQueueEntry folder;
    bool first = true;        // the first chunk of the folder
    bool last = true;         // the last chunk of the folder
    int openError = 0;        // errno: the folder could not be opened; no entries
    int readError = 0;        // errno: reading the folder stopped part-way (first chunk only)
    bool pathTooLong = false; // the folder's path does not fit the file table; not read
    std::vector<WalkRecord> records;
    platform::FolderNames names; // first chunk: every name of the folder (short names need them all)
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
    b.names.clear();
}

// Whether a spent batch goes back to the reader for reuse. Memory is freed fastest by the thread
// that took it; only small batches come back, so the buffers kept stay small.
bool worthReusing(const FolderBatch& b) {
    return b.records.capacity() <= 64 && b.names.rawCapacity() <= 4096;
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
            if (entry.level == 0) {
                addSeparator(entry.shortPath);
                addSeparator(entry.longPath);
            }
            addSeparator(entry.rawLongPath);
            m_folder = entry;

            b.index = m_current;
            b.folder = m_folder;
            // A folder whose path the file table cannot hold is not read: its records could only be
            // cut. (Beyond PATH_MAX it could not be opened either.) A shown path never has more
            // characters than its raw form has bytes.
            if (m_folder.rawLongPath.size() > work::HostPathSize ||
                m_folder.shortPath.size() > work::HostPathSize ||
                m_folder.longPath.size() > work::HostPathSize) {
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
            b.names.assignRaw(m_search->names());
        } else {
            b.index = m_current;
            b.folder = m_folder;
            b.first = false;
        }
        b.records.reserve(std::min(ChunkSize, m_search->count()));
        while (b.records.size() < ChunkSize) {
            WalkRecord& r = b.records.emplace_back();
            std::size_t i = 0;
            if (!m_search->nextFacts(i, r.facts)) {
                b.records.pop_back();
                m_search.reset();
                return true;
            }
            r.name = quint32(i);
            if (entersFolder(r.facts)) {
                FolderQueueEntry sub;
                const QByteArrayView raw = m_search->rawName(i);
                sub.rawLongPath.reserve(m_folder.rawLongPath.size() + raw.size() + 1);
                sub.rawLongPath.append(m_folder.rawLongPath).append(raw);
                sub.level = m_folder.level + 1;
                sub.parent = m_current;
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
                return std::make_unique<DirectorySearch>(m_parentFd, name, path, mount, false);
            }
        }
        return std::make_unique<DirectorySearch>(-1, path, path, mount, false); // says why, when it fails
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
    db::RecordAppender appender; // FILETYPE, every field at its position
    ScanDisplay& display;
    ScanPacing pacing;
    BatchSource& source;
    bool shortForms = false; // progress shows short forms (`ActiveOutline` is "OUTLINE2")
    std::optional<db::Transaction> transaction;
    QElapsedTimer clock;
    qint64 lastPump = 0;
    qint64 lastCommit = 0;
    int uncommitted = 0;             // records written since the last commit
    platform::FolderNames names;     // of the folder being walked, with shown forms and alternates
    std::string longText, shortText; // the entry's long name and short form in UTF-8, when made here
    QString shortShown;              // the short form as the display shows it

    WalkContext(ScanState& s, db::Database& d, ScanDisplay& disp, ScanPacing p, BatchSource& src)
        : scan(s), database(d),
          appender(d, work::tableName(work::WorkTable::Filetype), work::fileFieldNames()), display(disp),
          pacing(p), source(src), shortForms(showsShortForms(s)) {
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
                     const FolderQueueEntry& folder, int index, std::string_view longName,
                     std::string_view shortForm, const EntryFacts& e) {
        db::RecordAppender& a = appender;
        using work::FileField;
        constexpr auto at = work::position;
        const std::size_t dot = shortForm.find('.');
        const std::string_view name = shortForm.substr(0, dot);
        const std::string_view extension =
            dot == std::string_view::npos ? shortForm.substr(shortForm.size()) : shortForm.substr(dot + 1);
        try {
            a.setText(at(FileField::Path), folderShort);
            a.setText(at(FileField::LongPath), folderLong);
            a.setInteger(at(FileField::PathLevel), folder.level);
            a.setInteger(at(FileField::PathNumber), index);
            a.setText(at(FileField::Name), name);
            a.setText(at(FileField::Extension), extension);
            a.setText(at(FileField::LongName), longName);
            a.setInteger(at(FileField::Size), e.size);
            a.setInteger(at(FileField::Date), e.lastWrite.date);
            a.setInteger(at(FileField::Time), e.lastWrite.time);
            a.setInteger(at(FileField::CreationDate), e.creation.date);
            a.setInteger(at(FileField::CreationTime), e.creation.time);
            a.setInteger(at(FileField::AccessDate), e.lastAccess.date);
            a.setInteger(at(FileField::AccessTime), e.lastAccess.time);
            a.setBoolean(at(FileField::ReadOnly), e.readOnly);
            a.setBoolean(at(FileField::Hidden), e.hidden);
            a.setBoolean(at(FileField::System), e.system);
            a.setBoolean(at(FileField::Archive), e.archive);
            a.setBoolean(at(FileField::Compressed), e.compressed);
            a.setBoolean(at(FileField::Temporary), e.temporary);
            a.setBoolean(at(FileField::Directory), e.directory);
            a.append();
            ++uncommitted;
            return true;
        } catch (const EngineError& error) {
            a.clear();
            if (error.number() != db::ErrFieldTooSmall)
                throw;
            ++scan.counters.entriesSkipped;
            display.showProblem(QStringLiteral("Entry %1%2 not recorded: Error # %3 : %4")
                                    .arg(folder.longPath, fromUtf8(longName))
                                    .arg(error.number())
                                    .arg(error.description()));
            return false;
        }
    }

    // `shortForm` (UTF-8) for the display: a view of shortShown, its buffer reused from entry to entry.
    QStringView shownShortForm(std::string_view shortForm) {
        const bool ascii = std::all_of(shortForm.begin(), shortForm.end(),
                                       [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
        if (!ascii)
            return shortShown = fromUtf8(shortForm);
        shortShown.resize(qsizetype(shortForm.size()));
        std::copy(shortForm.begin(), shortForm.end(), shortShown.begin());
        return shortShown;
    }

    // The long name of entry `i` of the folder in UTF-8, as shown (U+FFFD where the bytes are not
    // UTF-8); a view of the folder's names or of longText.
    std::string_view longNameOf(std::size_t i) {
        const QByteArrayView raw = names.raw(i);
        const std::string_view bytes(raw.data(), std::size_t(raw.size()));
        if (names.isAscii(i) || db::utf8TextLength(bytes) >= 0)
            return bytes;
        longText = names.shown(i).toString().toStdString();
        return longText;
    }
    // The short form of entry `i`: its alternate, or its long name in upper case.
    std::string_view shortFormOf(std::size_t i) {
        const platform::ShortAlternate& alternate = names.alternate(i);
        if (!alternate.isEmpty())
            return std::string_view(alternate.text, alternate.length);
        if (names.isAscii(i)) {
            const QByteArrayView raw = names.raw(i);
            shortText.assign(raw.data(), std::size_t(raw.size()));
            for (char& ch : shortText)
                ch = (ch >= 'a' && ch <= 'z') ? char(ch - 'a' + 'A') : ch;
            return shortText;
        }
        shortText = names.shown(i).toString().toUpper().toStdString();
        return shortText;
    }
};

bool walkFolder(WalkContext& c, FolderBatch& b) {
    ScanState& scan = c.scan;
    ScanCounters& counters = scan.counters;
    const int index = b.index;

    // The writer's own queue follows the reader's: a chosen folder starts when the reader moves on
    // past the last queued folder; every other folder was queued here as its parent was walked.
    if (index > scan.queue.folderCount)
        scan.queue.append(b.folder);
    scan.queue.releaseBefore(index);
    FolderQueueEntry& queued = scan.queue.at(index);
    Q_ASSERT(queued.level == b.folder.level);
    addSeparator(queued.shortPath);
    addSeparator(queued.longPath);
    queued.rawLongPath = b.folder.rawLongPath;
    const FolderQueueEntry folder = queued;

    c.display.showFolder(c.shortForms ? folder.shortPath : folder.longPath);

    // A path the file table cannot hold (the reader goes by the bytes, which fit, but a short path
    // can be longer than its long one): the folder's entries cannot be stored. Its subfolders are
    // still queued, so that every later folder keeps the number the reader gave it.
    const bool storable = !folder.belowSkipped && folder.shortPath.size() <= work::HostPathSize &&
                          folder.longPath.size() <= work::HostPathSize;
    if (folder.belowSkipped) {
        // Never stored, and the folder above it was told: nothing to say again.
        if (b.pathTooLong)
            return true;
    } else if (b.pathTooLong || !storable) {
        ++counters.foldersSkipped;
        c.display.showProblem(QStringLiteral("Folder %1 skipped: its path is longer than %2 characters")
                                  .arg(folder.longPath)
                                  .arg(work::HostPathSize));
        if (b.pathTooLong)
            return true;
    } else if (b.openError) {
        ++counters.foldersSkipped;
        c.display.showProblem(QStringLiteral("Folder %1 skipped: %2")
                                  .arg(folder.longPath, platform::systemErrorText(b.openError)));
        return true;
    } else if (b.readError) {
        ++counters.foldersSkipped;
        c.display.showProblem(QStringLiteral("Folder %1 read only in part: %2")
                                  .arg(folder.longPath, platform::systemErrorText(b.readError)));
    } else {
        ++counters.folders;
    }
    if (b.openError)
        return true;

    // The folder's names come with its first chunk; the spent buffers go back with the batch.
    std::swap(c.names, b.names);
    c.names.makeShownAndAlternates();

    const QByteArray shortUtf8 = folder.shortPath.toUtf8();
    const QByteArray longUtf8 = folder.longPath.toUtf8();
    const std::string_view folderShort(shortUtf8.constData(), std::size_t(shortUtf8.size()));
    const std::string_view folderLong(longUtf8.constData(), std::size_t(longUtf8.size()));

    qint64 unexamined = 0;
    QString firstUnexamined;
    for (;;) {
        for (const WalkRecord& r : b.records) {
            const EntryFacts& entry = r.facts;
            if (entry.error != 0) {
                // Vanished since the folder was listed, or not to be examined: skipped, counted, and
                // told once per folder below.
                ++counters.entriesSkipped;
                if (unexamined++ == 0) {
                    firstUnexamined = c.names.shown(r.name).toString() + QStringLiteral(": ") +
                                      platform::systemErrorText(entry.error);
                }
            } else {
                const std::string_view longName = c.longNameOf(r.name);
                const std::string_view shortForm = c.shortFormOf(r.name);
                c.display.showEntry(c.shortForms ? c.shownShortForm(shortForm) : c.names.shown(r.name));
                // The reader has queued the subfolder already; the writer's queue keeps step.
                if (entersFolder(entry)) {
                    FolderQueueEntry sub =
                        subfolderEntry(folder, index, c.names.shown(r.name), fromUtf8(shortForm));
                    sub.belowSkipped = !storable;
                    scan.queue.append(std::move(sub));
                }
                if (storable &&
                    c.writeRecord(folderShort, folderLong, folder, index, longName, shortForm, entry)) {
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

ScanOutcome scanSelectedFolders(ScanState& scan, work::WorkState& ws, ScanDisplay& display,
                                ScanPacing pacing) {
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
        if (!ws.table(work::WorkTable::Filetype)) {
            ws.tables[static_cast<size_t>(work::WorkTable::Filetype)] =
                ws.database->openTable(work::tableName(work::WorkTable::Filetype));
            ws.flag(work::WorkTable::Filetype) = true;
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
        ws.scanResult = work::NoCompletedScan;
        return ScanOutcome::Failed;
    }

    if (scan.scanCancel) {
        ws.scanResult = work::NoCompletedScan;
        return ScanOutcome::Cancelled;
    }
    return ScanOutcome::Completed;
}

} // namespace zek::scan
