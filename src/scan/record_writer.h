// The record writer: one FILETYPE record for every entry the walk meets, written on the calling
// (user-interface) thread through a typed record appender (one prepared insert), inside transactions
// committed about once a second or every `commitRecords` records, with the display's pump() called
// every few tens of milliseconds, never per entry.
#pragma once

#include "db/record_appender.h"
#include "platform/dir_search.h"
#include "scan/folder_walker.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace zek::scan {

inline QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The folder whose entries are recorded: its queue entry, its number, and its paths in UTF-8 with
// their lengths in code points, counted once for all its records.
struct RecordedFolder {
    RecordedFolder(const FolderQueueEntry& entry, int number)
        : folder(entry), index(number), shortUtf8(entry.shortPath.toUtf8()),
          longUtf8(entry.longPath.toUtf8()), shortLength(db::utf8TextLength(shortPath())),
          longLength(db::utf8TextLength(longPath())) {}

    std::string_view shortPath() const { return {shortUtf8.constData(), std::size_t(shortUtf8.size())}; }
    std::string_view longPath() const { return {longUtf8.constData(), std::size_t(longUtf8.size())}; }

    const FolderQueueEntry& folder;
    int index;
    QByteArray shortUtf8, longUtf8;
    qsizetype shortLength, longLength;
};

class RecordWriter {
public:
    RecordWriter(ScanState& scan, db::Database& database, ScanDisplay& display, ScanPacing pacing);

    // Commits the records written so far and begins the next transaction.
    void commitNow();
    // Commits and lets events run when their time has come.
    void tick() {
        const qint64 now = m_clock.elapsed();
        if (now - m_lastCommit >= m_pacing.commitInterval || m_uncommitted >= m_pacing.commitRecords) {
            // A commit waits for the disk: the window paints just before and just after it, so that
            // wait is the only gap the user sees.
            pumpNow();
            commitNow();
            pumpNow();
        } else if (now - m_lastPump >= m_pacing.pumpInterval) {
            pumpNow();
        }
    }
    // Commits the last records; none are written after.
    void commitLast();
    // After a failure: keeps what was written before it. When even that commit fails, the
    // transaction rolls back and the table holds what the last commit left; nothing is thrown.
    void commitAfterFailure();

    // Writes one record; `longName` and `shortForm` are the entry's names in UTF-8. A value the file
    // table cannot hold (ErrFieldTooSmall) costs only this entry: the pending record is dropped, the
    // entry counted as skipped and false returned. Every other engine error ends the scan.
    bool write(const RecordedFolder& folder, std::string_view longName, std::string_view shortForm,
               const platform::EntryFacts& e);

private:
    void pumpNow() {
        m_display.pump();
        m_lastPump = m_clock.elapsed();
    }

    ScanState& m_scan;
    db::Database& m_database;
    db::SizeChecksInAppender m_sizeChecks; // made before the appender's statements are prepared
    db::RecordAppender m_appender;         // FILETYPE, every field at its position, records gathered
    ScanDisplay& m_display;
    ScanPacing m_pacing;
    std::optional<db::Transaction> m_transaction;
    QElapsedTimer m_clock;
    qint64 m_lastPump = 0;
    qint64 m_lastCommit = 0;
    int m_uncommitted = 0; // records written since the last commit
};

// The names of the folder being recorded, in the forms the writer binds and shows: made here, on
// the writer's thread, to keep the reader and the writer about equally busy.
class EntryNames {
public:
    // Takes the folder's names (swapping in the spent buffers) and makes their shown forms and
    // short alternates.
    void take(platform::FolderNames& names) {
        std::swap(m_names, names);
        m_names.makeShownAndAlternates();
    }
    QStringView shown(std::size_t i) const { return m_names.shown(i); }
    // The raw name of entry `i`, ending in NUL, as the system takes it.
    const char* rawName(std::size_t i) const { return m_names.rawCString(i); }
    // The long name of entry `i` in UTF-8, as shown (U+FFFD where the bytes are not UTF-8); a view
    // of the folder's names or of a buffer reused from entry to entry.
    std::string_view longName(std::size_t i);
    // The short form of entry `i`: its alternate, or its long name in upper case.
    std::string_view shortForm(std::size_t i);
    // `shortForm` (UTF-8) for the display: a view of a buffer reused from entry to entry.
    QStringView shownShortForm(std::string_view shortForm);

private:
    platform::FolderNames m_names;       // with shown forms and alternates
    std::string m_longText, m_shortText; // the entry's long name and short form in UTF-8, when made here
    QString m_shortShown;                // the short form as the display shows it
};

} // namespace zek::scan
