#include "scan/folder_walker.h"

#include "platform/drives.h"
#include "scan/read_ahead_channel.h"
#include "scan/record_writer.h"
#include "work/file_fields.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <optional>
#include <utility>

namespace zek::scan {

using db::EngineError;
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

FolderQueueEntry subfolderEntry(const FolderQueueEntry& parent, int parentIndex, QStringView shortForm) {
    FolderQueueEntry sub;
    sub.shortPath.reserve(shortForm.size() + 1);
    sub.shortPath.append(shortForm);
    sub.level = parent.level + 1;
    sub.parent = parentIndex;
    return sub;
}

QString shownLongPath(const FolderQueueEntry& chosen, const QByteArray& raw) {
    Q_ASSERT(raw.startsWith(chosen.rawLongPath) && raw.endsWith('/'));
    QString path;
    path.reserve(chosen.longPath.size() + raw.size() - chosen.rawLongPath.size());
    path.append(chosen.longPath);
    // Name by name, as the entries' own names are shown.
    for (qsizetype at = chosen.rawLongPath.size(); at < raw.size();) {
        const qsizetype slash = raw.indexOf('/', at);
        const QByteArrayView name = QByteArrayView(raw).sliced(at, slash - at);
        const bool ascii = std::all_of(name.begin(), name.end(),
                                       [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
        if (ascii)
            path.append(QLatin1String(name.data(), name.size()));
        else
            path.append(platform::displayName(name.toByteArray()));
        path.append(u'/');
        at = slash + 1;
    }
    return path;
}

namespace {

// The writer's side of a walk: the scan state, the display, the record writer and the channel the
// batches come through.
struct Walk {
    ScanState& scan;
    ScanDisplay& display;
    RecordWriter& writer;
    ReadAheadChannel& channel;
    bool shortForms = false; // progress shows short forms (`ActiveOutline` is "OUTLINE2")
    EntryNames names;        // of the folder being walked
    FolderQueueEntry chosen; // the chosen folder the walk is below
    // The short paths of the folders whose subfolders wait in the queue, once each (queue index,
    // path ending in "/"), in the order their subfolders come: a waiting subfolder holds only its
    // own short form.
    WaitingParents waitingParents;    // short paths, in UTF-16
    bool currentIsParent = false;     // the folder being walked is among them
    platform::EntryExaminer examiner; // for the entries the reader left unexamined

    // The next batch from the channel; while none is ready, events still run and Cancel is heard.
    bool nextBatch(FolderBatch& b) {
        for (;;) {
            if (scan.scanCancel)
                return false;
            switch (channel.next(b, 10)) {
            case ReadAheadChannel::Next::Batch:
                return true;
            case ReadAheadChannel::Next::End:
                return false;
            case ReadAheadChannel::Next::Wait:
                writer.tick();
                break;
            }
        }
    }
};

// The folder of a first batch, as the writer's queue holds it, with its long path. The writer's own
// queue follows the reader's: a chosen folder starts when the reader moves on past the last queued
// folder; every other folder was queued here as its parent was walked.
FolderQueueEntry enterFolder(Walk& w, const FolderBatch& b) {
    FolderQueue& queue = w.scan.queue;
    if (b.index > queue.folderCount)
        queue.append(b.folder);
    queue.releaseBefore(b.index);
    FolderQueueEntry& queued = queue.at(b.index);
    Q_ASSERT(queued.level == b.folder.level);
    if (queued.level > 0) {
        QString parentPath;
        assignUtf16Bytes(parentPath, w.waitingParents.pathOf(queued.parent));
        queued.shortPath.prepend(parentPath);
    }
    addSeparator(queued.shortPath);
    queued.rawLongPath = b.folder.rawLongPath;
    w.currentIsParent = false;
    if (queued.level == 0) {
        addSeparator(queued.longPath);
        w.chosen = queued;
    } else {
        queued.longPath = shownLongPath(w.chosen, queued.rawLongPath);
    }
    return queued;
}

// Counts the folder and tells why it is skipped or read only in part; false when it has no entries
// to go through. `storable`: its entries can be stored.
bool tellFolderState(Walk& w, const FolderBatch& b, const FolderQueueEntry& folder, bool storable) {
    ScanCounters& counters = w.scan.counters;
    if (folder.belowSkipped) {
        // Never stored, and the folder above it was told: nothing to say again.
        if (b.pathTooLong)
            return false;
    } else if (b.pathTooLong || !storable) {
        ++counters.foldersSkipped;
        w.display.showProblem(QStringLiteral("Folder %1 skipped: its path is longer than %2 characters")
                                  .arg(folder.longPath)
                                  .arg(work::HostPathSize));
        if (b.pathTooLong)
            return false;
    } else if (b.openError) {
        ++counters.foldersSkipped;
        w.display.showProblem(QStringLiteral("Folder %1 skipped: %2")
                                  .arg(folder.longPath, platform::systemErrorText(b.openError)));
        return false;
    } else if (b.readError) {
        ++counters.foldersSkipped;
        w.display.showProblem(QStringLiteral("Folder %1 read only in part: %2")
                                  .arg(folder.longPath, platform::systemErrorText(b.readError)));
    } else {
        ++counters.folders;
    }
    return b.openError == 0;
}

// Entries that vanished since the folder was listed, or were not to be examined: told once per folder.
struct Unexamined {
    qint64 count = 0;
    QString first;
};

// Examines the entries the reader left to this thread (files, by the folder's listing); their names
// are the folder's, taken already.
void examineLeftEntries(Walk& w, FolderBatch& b) {
    if (!b.folderFd)
        return;
    w.examiner.setMount(b.mount);
    for (WalkRecord& r : b.records) {
        if (r.examined)
            continue;
        w.examiner.examine(b.folderFd->get(), w.names.rawName(r.name), r.facts);
        r.examined = true;
        // Replaced by a folder since it was listed, or a folder made in a leaf since the reader saw
        // none there: the reader did not queue it, so it is told as gone rather than recorded as a
        // folder whose entries never come.
        if (entersFolder(r.facts)) {
            r.facts = platform::EntryFacts{};
            r.facts.error = ENOENT;
        }
    }
    b.folderFd.reset(); // the folder is closed as soon as neither thread needs it
}

// Shows one entry, queues it when it is a subfolder and records it when the folder is storable.
void recordEntry(Walk& w, const RecordedFolder& folder, bool storable, const WalkRecord& r) {
    ScanCounters& counters = w.scan.counters;
    const EntryFacts& entry = r.facts;
    const std::string_view longName = w.names.longName(r.name);
    const std::string_view shortForm = w.names.shortForm(r.name);
    w.display.showEntry(w.shortForms ? w.names.shownShortForm(shortForm) : w.names.shown(r.name));
    // The reader has queued the subfolder already; the writer's queue keeps step.
    if (entersFolder(entry)) {
        if (!w.currentIsParent) {
            w.waitingParents.push(folder.index, utf16Bytes(folder.folder.shortPath));
            w.currentIsParent = true;
        }
        FolderQueueEntry sub = subfolderEntry(folder.folder, folder.index, fromUtf8(shortForm));
        sub.belowSkipped = !storable;
        w.scan.queue.append(std::move(sub));
    }
    if (storable && w.writer.write(folder, longName, shortForm, entry)) {
        ++counters.entries;
        if (entry.isSymlink)
            ++counters.symbolicLinks;
        if (entry.directory && entry.isMountPoint)
            ++counters.mountPointsNotEntered;
    }
}

// Goes through the folder's entries: the batch `b` and the chunks that follow it, until the last
// chunk or a Cancel.
void recordEntries(Walk& w, FolderBatch& b, const RecordedFolder& folder, bool storable,
                   Unexamined& unexamined) {
    ScanState& scan = w.scan;
    for (;;) {
        for (const WalkRecord& r : b.records) {
            if (r.facts.error != 0) {
                ++scan.counters.entriesSkipped;
                if (unexamined.count++ == 0) {
                    unexamined.first = w.names.shown(r.name).toString() + QStringLiteral(": ") +
                                       platform::systemErrorText(r.facts.error);
                }
            } else {
                recordEntry(w, folder, storable, r);
            }
            if (scan.scanCancel)
                break;
            w.writer.tick();
            if (scan.scanCancel)
                break;
        }
        if (b.last || scan.scanCancel)
            break;
        if (!w.nextBatch(b))
            break;
        Q_ASSERT(b.index == folder.index && !b.first);
        examineLeftEntries(w, b);
    }
}

void tellUnexamined(Walk& w, const FolderQueueEntry& folder, const Unexamined& unexamined) {
    if (unexamined.count == 0)
        return;
    w.display.showProblem(
        unexamined.count == 1
            ? QStringLiteral("In folder %1 an entry was skipped: %2").arg(folder.longPath, unexamined.first)
            : QStringLiteral("In folder %1, %2 entries were skipped, the first: %3")
                  .arg(folder.longPath)
                  .arg(unexamined.count)
                  .arg(unexamined.first));
}

// Walks one folder, from its first batch to its last; false when the scan was cancelled.
bool walkFolder(Walk& w, FolderBatch& b) {
    if (b.unread)
        readUnreadFolder(b);
    const FolderQueueEntry folder = enterFolder(w, b);
    w.display.showFolder(w.shortForms ? folder.shortPath : folder.longPath);

    // A path the file table cannot hold (the reader goes by the bytes, which fit, but a short path
    // can be longer than its long one): the folder's entries cannot be stored. Its subfolders are
    // still queued, so that every later folder keeps the number the reader gave it.
    const bool storable = !folder.belowSkipped && folder.shortPath.size() <= work::HostPathSize &&
                          folder.longPath.size() <= work::HostPathSize;
    if (!tellFolderState(w, b, folder, storable))
        return true;

    // The folder's names come with its first chunk; the spent buffers go back with the batch.
    w.names.take(b.names);
    examineLeftEntries(w, b);
    const RecordedFolder recorded(folder, b.index);
    Unexamined unexamined;
    recordEntries(w, b, recorded, storable, unexamined);
    tellUnexamined(w, folder, unexamined);
    return !w.scan.scanCancel;
}

// Opens FILETYPE when it is not, or throws when there is no work file to write to.
void openFileTable(work::WorkState& ws) {
    if (!ws.database || !ws.databaseOpen)
        throw EngineError(db::ErrObjectClosed, QStringLiteral("Object invalid or no longer set."));
    if (!ws.table(work::WorkTable::Filetype)) {
        ws.tables[static_cast<size_t>(work::WorkTable::Filetype)] =
            ws.database->openTable(work::tableName(work::WorkTable::Filetype));
        ws.flag(work::WorkTable::Filetype) = true;
    }
}

// Measures the scan drive and shows it.
void measureScanDrive(ScanState& scan, const FolderList& folders, ScanDisplay& display) {
    scan.scanDrive = folders.isEmpty() ? QString() : folders.longForms.at(0);
    readDriveCapacity(scan.scanDrive, scan.driveCapacity);
    display.showCapacity(scan.scanDrive, scan.driveCapacity);
    if (!scan.driveCapacity.known && !folders.isEmpty()) {
        display.showProblem(
            QStringLiteral("The capacity of %1 is unknown: %2")
                .arg(scan.scanDrive, platform::systemErrorText(scan.driveCapacity.errorNumber)));
    }
}

} // namespace

ScanOutcome scanSelectedFolders(ScanState& scan, work::WorkState& ws, ScanDisplay& display,
                                ScanPacing pacing) {
    const FolderList& folders = ws.settings.folders;
    measureScanDrive(scan, folders, display);

    scan.queue.clear();
    scan.counters = ScanCounters{};
    scan.errorNumber = 0;
    scan.errorText.clear();
    ws.scanResult = 0;

    std::optional<ReadAheadChannel> channel;
    std::optional<RecordWriter> writer;
    try {
        openFileTable(ws);
        if (!scan.scanCancel) {
            // Once per scan, before the reader starts: a changed time zone applies from here on.
            platform::refreshTimeZone();
            channel.emplace(folders, pacing.readAhead, pacing.leaveFilesBelow);
            writer.emplace(scan, *ws.database, display, pacing);
            writer->commitNow();
            Walk walk{scan, display, *writer, *channel, showsShortForms(scan), {}, {}, {}, false, {}};
            FolderBatch batch;
            while (walk.nextBatch(batch)) {
                Q_ASSERT(batch.first);
                if (!walkFolder(walk, batch))
                    break;
            }
            channel->stop();
            // Every record written so far is kept, whether the scan ran to its end or was cancelled.
            writer->commitLast();
        }
    } catch (const EngineError& error) {
        scan.errorNumber = error.number();
        scan.errorText = error.description();
        if (channel)
            channel->stop();
        // Keep what was written before the failure; the first error is the one told.
        if (writer)
            writer->commitAfterFailure();
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
