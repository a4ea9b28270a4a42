#include "scan/folder_walker.h"

#include "platform/drives.h"

#include <QElapsedTimer>
#include <QFile>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace zek::scan {

using db::EngineError;
using platform::DirectorySearch;
using platform::DirEntry;

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

FolderQueueEntry subfolderEntry(const FolderQueueEntry& parent, int parentIndex, const DirEntry& entry,
                                const QString& shortName) {
    FolderQueueEntry sub;
    sub.shortPath = parent.shortPath + shortName;
    sub.longPath = parent.longPath + entry.longName;
    sub.rawLongPath = parent.rawLongPath + entry.rawName;
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

    // The next batch; false when every chosen folder has been read.
    bool produce(FolderBatch& b) {
        b = FolderBatch{};
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
            m_search = std::make_unique<DirectorySearch>(m_folder.rawLongPath);
            if (!m_search->ok() && m_search->count() == 0) {
                b.openError = m_search->error();
                m_search.reset();
                return true;
            }
            b.readError = m_search->error();
        } else {
            b.index = m_current;
            b.folder = m_folder;
            b.first = false;
        }
        b.entries.reserve(std::min(ChunkSize, m_search->count()));
        WalkEntry w;
        while (b.entries.size() < ChunkSize) {
            if (!m_search->next(w.entry)) {
                m_search.reset();
                return true;
            }
            if (w.entry.error == 0) {
                w.shortForm = w.entry.shortForm();
                const qsizetype dot = w.shortForm.indexOf(u'.');
                w.name = dot < 0 ? w.shortForm : w.shortForm.left(dot);
                w.extension = dot < 0 ? QString() : w.shortForm.mid(dot + 1);
                if (entersFolder(w.entry)) {
                    FolderQueueEntry sub = subfolderEntry(m_folder, m_current, w.entry, w.shortForm);
                    b.subfolders.push_back(sub);
                    m_queue.append(std::move(sub));
                }
            }
            b.entries.push_back(std::move(w));
            w = WalkEntry{};
        }
        // A full chunk: the folder goes on in the next batch (which may hold no entries).
        b.last = false;
        return true;
    }

private:
    FolderList m_chosen;
    FolderQueue m_queue;
    int m_nextChosen = 0;
    int m_nextIndex = 0;
    int m_current = -1;
    FolderQueueEntry m_folder;
    std::unique_ptr<DirectorySearch> m_search;
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
            lock.unlock();
            m_notFull.notify_one();
        }
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
        m_notFull.notify_one();
        m_thread.join();
        m_batches.clear();
        m_ready.clear();
    }

private:
    // Folders are handed over in groups of about this many entries (or batches, for empty folders).
    static constexpr std::size_t GroupEntries = 256;
    static constexpr std::size_t GroupBatches = 32;

    void readAheadLoop() {
        std::deque<FolderBatch> group;
        std::size_t groupEntries = 0;
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
            lock.unlock();
            if (wasEmpty)
                m_notEmpty.notify_one();
            group.clear();
            groupEntries = 0;
            return true;
        };
        try {
            for (;;) {
                {
                    std::lock_guard lock(m_mutex);
                    if (m_stop)
                        break;
                }
                FolderBatch b;
                if (!m_reader.produce(b)) {
                    if (!group.empty())
                        handOver();
                    break;
                }
                groupEntries += b.entries.size();
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
    bool m_done = false;
    std::exception_ptr m_failure;
    std::deque<FolderBatch> m_ready; // taken by the writer; its thread only
};

int fieldPosition(db::Recordset& table, const QString& name) {
    for (int i = 0; i < table.fieldCount(); ++i) {
        if (table.fieldName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    throw EngineError(db::ErrItemNotFound,
                      QStringLiteral("Item not found in this collection. (FILETYPE.%1)").arg(name));
}

} // namespace

// The writer's side of a walk: the file table, the pacing, and the source of the batches.
struct WalkContext {
    ScanState& scan;
    db::Database& database;
    db::Recordset& table;
    ScanDisplay& display;
    ScanPacing pacing;
    BatchSource& source;
    bool shortForms = false; // progress shows short forms (`ActiveOutline` is "OUTLINE2")
    std::optional<db::Transaction> transaction;
    QElapsedTimer clock;
    qint64 lastPump = 0;
    qint64 lastCommit = 0;
    // Positions of the FILETYPE fields in the record set, in the order they are set.
    int fields[21] = {};

    WalkContext(ScanState& s, db::Database& d, db::Recordset& t, ScanDisplay& disp, ScanPacing p,
                BatchSource& src)
        : scan(s), database(d), table(t), display(disp), pacing(p), source(src),
          shortForms(showsShortForms(s)) {
        const QStringList& names = filetypeFieldOrder();
        for (qsizetype i = 0; i < names.size(); ++i)
            fields[i] = fieldPosition(t, names.at(i));
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
    }
    // Commits and lets events run when their time has come.
    void tick() {
        const qint64 now = clock.elapsed();
        if (now - lastCommit >= pacing.commitInterval)
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

    // Writes one record. A value the file table cannot hold (ErrFieldTooSmall) costs only this
    // entry: the pending record is dropped and false returned. Every other engine error ends the scan.
    bool writeRecord(const FolderQueueEntry& folder, int index, const WalkEntry& w) {
        db::Recordset& t = table;
        const DirEntry& e = w.entry;
        const int* f = fields;
        try {
            t.addNew();
            t.setValue(f[0], folder.shortPath);
            t.setValue(f[1], folder.longPath);
            t.setValue(f[2], folder.level);
            t.setValue(f[3], index);
            t.setValue(f[4], w.name);
            t.setValue(f[5], w.extension);
            t.setValue(f[6], e.longName);
            t.setValue(f[7], e.size);
            t.setValue(f[8], e.lastWrite.date);
            t.setValue(f[9], e.lastWrite.time);
            t.setValue(f[10], e.creation.date);
            t.setValue(f[11], e.creation.time);
            t.setValue(f[12], e.lastAccess.date);
            t.setValue(f[13], e.lastAccess.time);
            t.setValue(f[14], e.readOnly);
            t.setValue(f[15], e.hidden);
            t.setValue(f[16], e.system);
            t.setValue(f[17], e.archive);
            t.setValue(f[18], e.compressed);
            t.setValue(f[19], e.temporary);
            t.setValue(f[20], e.directory);
            t.update();
            return true;
        } catch (const EngineError& error) {
            // Drop the pending record; when there is none (the failure came before or after it),
            // the error that matters is the first one.
            try {
                t.cancelUpdate();
            } catch (const EngineError&) {
            }
            if (error.number() != db::ErrFieldTooSmall)
                throw;
            ++scan.counters.entriesSkipped;
            display.showProblem(QStringLiteral("Entry %1%2 not recorded: Error # %3 : %4")
                                    .arg(folder.longPath, e.longName)
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

    qint64 unexamined = 0;
    QString firstUnexamined;
    for (;;) {
        std::size_t nextSubfolder = 0;
        for (const WalkEntry& w : b.entries) {
            const DirEntry& entry = w.entry;
            if (entry.error != 0) {
                // Vanished since the folder was listed, or not to be examined: skipped, counted, and
                // told once per folder below.
                ++counters.entriesSkipped;
                if (unexamined++ == 0)
                    firstUnexamined = entry.longName + QStringLiteral(": ") + entry.errorText();
            } else {
                c.display.showEntry(c.shortForms ? w.shortForm : entry.longName);
                // The reader has queued the subfolder already; the writer's queue keeps step.
                if (entersFolder(entry))
                    scan.queue.append(b.subfolders[nextSubfolder++]);
                if (c.writeRecord(folder, index, w)) {
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
            source.emplace(folders, pacing.readAhead);
            context.emplace(scan, *ws.database, *ws.table(db::WorkTable::Filetype), display, pacing, *source);
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
