#include "app/batch_run.h"

#include "app/batch_conditions.h"
#include "app/batch_list.h"
#include "app/batch_reports.h"
#include "platform/dir_search.h"
#include "platform/directory_lock.h"
#include "platform/intl.h"
#include "platform/prompt.h"
#include "query/statement_builder.h"
#include "scan/capacity_text.h"
#include "scan/folder_add_check.h"
#include "scan/folder_walker.h"
#include "work/work_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <optional>
#include <sys/stat.h>

namespace zek::batch {

QString streamText(const QString& text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(u'\r', u'\n');
    return t;
}

QString countedText(const QString& number, qint64 n, const char* one, const char* many) {
    return number + u' ' + QLatin1String(n == 1 ? one : many);
}

namespace {

const QString Prefix = QStringLiteral("zek-batch: ");

// Message boxes become lines on the error stream. Questions get the answer that changes nothing
// (No, Cancel, Abort); dialogs are cancelled. Nothing ever waits for a user.
class StreamPrompter : public platform::Prompter {
public:
    explicit StreamPrompter(QTextStream& err) : m_err(err) { m_previous = platform::setPrompter(this); }
    ~StreamPrompter() override { platform::setPrompter(m_previous); }
    StreamPrompter(const StreamPrompter&) = delete;
    StreamPrompter& operator=(const StreamPrompter&) = delete;

    int message(const QString& text, int style, const QString& title) override {
        m_err << Prefix;
        if (!title.isEmpty() && title != platform::DefaultMessageTitle)
            m_err << title << ": ";
        m_err << streamText(text) << '\n';
        m_err.flush();
        switch (style & 7) {
        case platform::MbOkCancel:
        case platform::MbYesNoCancel:
        case platform::MbRetryCancel:
            return platform::IdCancel;
        case platform::MbYesNo:
            return platform::IdNo;
        case platform::MbAbortRetryIgnore:
            return platform::IdAbort;
        default:
            return platform::IdOk;
        }
    }
    std::optional<QString> openFileName(const platform::FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const platform::FileDialogRequest&) override { return std::nullopt; }
    std::optional<platform::PrinterChoice> printSetup(const platform::PrinterChoice&) override {
        return std::nullopt;
    }
    std::optional<QString> workDirectory(const platform::WorkDirectoryRequest&) override {
        return std::nullopt;
    }
    int position(const platform::PositionRequest&) override { return 0; }

private:
    QTextStream& m_err;
    platform::Prompter* m_previous = nullptr;
};

// The one-line progress display: entries, folders and entries per second, rewritten in place at
// most every 200 ms. Problems interrupt it with a line of their own. Only a terminal gets it: in a
// redirected stream the carriage returns would pile every rewrite into one long line.
class ProgressLine : public scan::ScanDisplay {
public:
    ProgressLine(QTextStream& err, scan::ScanState& scan, bool quiet, bool shown,
                 const platform::IntlSettings& intl, const volatile std::sig_atomic_t* interrupted)
        : m_err(err), m_scan(scan), m_quiet(quiet), m_shown(shown && !quiet), m_intl(intl),
          m_interrupted(interrupted) {
        m_clock.start();
    }

    void showCapacity(const QString& driveRoot, const scan::DriveCapacity& capacity) override {
        if (m_quiet)
            return;
        const scan::CapacityLines l = scan::capacityLines(driveRoot, capacity, m_intl);
        m_err << Prefix << l.totalCaption << ' ' << l.totalBytes << ' ' << l.freeCaption << ' ' << l.freeBytes
              << ' ' << l.freePercent << '\n';
        m_err.flush();
    }
    void showFolder(const QString&) override {}
    void showEntry(QStringView) override {}
    void pump() override {
        if (m_interrupted && *m_interrupted)
            m_scan.scanCancel = true;
        if (m_shown && (m_lastPrint < 0 || m_clock.elapsed() - m_lastPrint >= 200))
            print();
    }
    void showProblem(const QString& text) override {
        clearLine();
        m_err << Prefix << text << '\n';
        m_err.flush();
    }

    // The last figures, on a line of their own.
    void finish() {
        if (!m_shown)
            return;
        print();
        m_err << '\n';
        m_err.flush();
        m_width = 0;
    }
    double seconds() const { return double(m_clock.nsecsElapsed()) / 1e9; }

private:
    QString number(qint64 n) const { return scan::formatWholeNumber(n, m_intl.sThousand); }

    void print() {
        const double s = seconds();
        const qint64 entries = m_scan.counters.entries;
        const qint64 folders = m_scan.counters.folders;
        const QString line = countedText(number(entries), entries, "entry", "entries") + ", " +
                             countedText(number(folders), folders, "folder", "folders") + ", " +
                             number(s > 0 ? qint64(double(entries) / s) : 0) + " entries/s";
        m_err << '\r' << line;
        for (qsizetype i = line.size(); i < m_width; ++i)
            m_err << ' ';
        m_err.flush();
        m_width = line.size();
        m_lastPrint = m_clock.elapsed();
    }
    void clearLine() {
        if (m_width == 0)
            return;
        m_err << '\r' << QString(m_width, u' ') << '\r';
        m_width = 0;
        m_lastPrint = -1; // the line comes back at the next pump
    }

    QTextStream& m_err;
    scan::ScanState& m_scan;
    bool m_quiet;
    bool m_shown;
    platform::IntlSettings m_intl;
    const volatile std::sig_atomic_t* m_interrupted;
    QElapsedTimer m_clock;
    qint64 m_lastPrint = -1;
    qsizetype m_width = 0;
};

QString absolute(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString engineErrorText(const db::EngineError& e) {
    return QStringLiteral("Error # %1 : %2").arg(e.number()).arg(e.description());
}

// Adds one folder to the list with the Path Selection window's add check.
int addFolder(work::WorkState& ws, const QString& given, QTextStream& err) {
    const QString folder = absolute(given);
    const QByteArray raw = QFile::encodeName(folder);
    struct stat st {};
    if (::stat(raw.constData(), &st) != 0) {
        const int number = errno;
        err << Prefix << "cannot add " << given << ": Error # " << number << " : "
            << platform::systemErrorText(number) << '\n';
        return ExitRefused;
    }
    if (!S_ISDIR(st.st_mode)) {
        err << Prefix << "cannot add " << given << ": not a folder\n";
        return ExitRefused;
    }
    const scan::FolderAddCheck check =
        scan::checkFolderAddition(ws.settings.folders, folder, scan::shortFormOfFolder(raw), false);
    if (!check.accepted()) {
        err << Prefix << check.message << '\n';
        return ExitRefused;
    }
    ws.settings.folders.append(folder, scan::shortFormOfFolder(raw));
    return ExitOk;
}

int runScan(work::WorkState& ws, const BatchOptions& o, QTextStream& err,
            const volatile std::sig_atomic_t* interrupted, bool errIsTerminal,
            scan::DriveCapacity& capacity) {
    if (ws.settings.folders.isEmpty()) {
        err << Prefix << "You have to add drives and directories first.\n";
        return ExitRefused;
    }
    ws.database->execute(QStringLiteral("Delete * from filetype"));

    const platform::IntlSettings intl = platform::intlFromLocale(QLocale::system());
    scan::ScanState scan;
    ProgressLine progress(err, scan, o.quiet, errIsTerminal, intl, interrupted);
    const scan::ScanOutcome outcome = scan::scanSelectedFolders(scan, ws, progress);
    progress.finish();
    capacity = scan.driveCapacity;

    const scan::ScanCounters& n = scan.counters;
    if (n.problems() > 0) {
        err << Prefix << "skipped " << n.foldersSkipped << (n.foldersSkipped == 1 ? " folder" : " folders")
            << " and " << n.entriesSkipped << (n.entriesSkipped == 1 ? " entry" : " entries")
            << " that could not be read (listed above)\n";
    }
    switch (outcome) {
    case scan::ScanOutcome::Failed:
        err << Prefix << "Error # " << scan.errorNumber << " : " << scan.errorText
            << " occured when scanning; nothing saved.\n";
        return ExitEngineError;
    case scan::ScanOutcome::Cancelled:
        err << Prefix << "scan interrupted after "
            << countedText(QString::number(n.entries), n.entries, "entry", "entries") << "; nothing saved.\n";
        return ExitInterrupted;
    case scan::ScanOutcome::Completed:
        break;
    }
    if (!o.quiet) {
        const double s = progress.seconds();
        auto number = [&](qint64 v) { return scan::formatWholeNumber(v, intl.sThousand); };
        err << Prefix << countedText(number(n.entries), n.entries, "entry", "entries") << " in "
            << countedText(number(n.folders), n.folders, "folder", "folders") << ", "
            << QString::number(s, 'f', 2) << " s";
        if (n.mountPointsNotEntered > 0)
            err << ", " << number(n.mountPointsNotEntered) << " mount points not entered";
        err << '\n';
    }
    return ExitOk;
}

// Builds the statement from the stored condition lines and sorters and selects with it, as the
// windows do; --select prints the statement and the count, --list the records. A rejection and an
// empty selection were told through the message seam, in the window's words.
int runSelect(work::WorkState& ws, const BatchOptions& o, QTextStream& out) {
    query::QueryState qs;
    const query::SelectionOutcome outcome = query::buildQueryAndReports(ws, qs);
    if (outcome == query::SelectionOutcome::Rejected)
        return ExitSelectionRejected;
    if (o.select)
        out << qs.selectStatement << '\n' << ws.scanResult << '\n';
    out.flush();
    if (outcome == query::SelectionOutcome::Empty)
        return ExitEmptySelection;
    if (o.list) {
        db::Recordset& selection = *ws.sqlRecordsets[static_cast<size_t>(work::SqlRecordset::Selection)];
        selection.moveFirst();
        listRecords(selection, out);
    }
    return ExitOk;
}

int run(const BatchOptions& o, const ConditionOptions& conditions, QTextStream& out, QTextStream& err,
        const volatile std::sig_atomic_t* interrupted, bool errIsTerminal) {
    // A report file that cannot be written is refused before anything is opened or scanned.
    if (const int status = checkReportFiles(o, err); status != ExitOk)
        return status;
    // Declared before the work state, so the folder goes only after the work file is closed.
    std::optional<QTemporaryDir> temporary;
    QString workDirectory;
    if (o.workDirectory.isEmpty()) {
        temporary.emplace(QDir(QDir::tempPath()).filePath(QStringLiteral("zek-batch-XXXXXX")));
        if (!temporary->isValid()) {
            err << Prefix << "cannot make a temporary work folder: " << temporary->errorString() << '\n';
            return ExitEngineError;
        }
        workDirectory = temporary->path();
    } else {
        workDirectory = absolute(o.workDirectory);
        if (!QDir().mkpath(workDirectory)) {
            err << Prefix << "cannot make the work folder " << workDirectory << '\n';
            return ExitEngineError;
        }
    }

    // The working copy belongs to one program at a time: held until the work file is closed.
    platform::DirectoryLock lock;
    if (!lock.acquire(workDirectory)) {
        if (lock.heldElsewhere()) {
            err << Prefix << "the work folder " << workDirectory
                << " is in use by another program (ZEK or zek-batch); only one program at a time can use a "
                   "work folder\n";
            return ExitWorkDirectoryInUse;
        }
        err << Prefix << "cannot lock the work folder: Error # " << lock.errorNumber() << " : "
            << lock.errorText() << '\n';
        return ExitEngineError;
    }

    work::WorkState ws;
    ws.workDirectory = workDirectory;
    ws.settings = work::defaultWorkSettings();
    struct Closer {
        work::WorkState& ws;
        ~Closer() {
            if (ws.databaseOpen || ws.database)
                work::closeWorkFile(ws);
        }
    } closer{ws};

    try {
        const QString workFile = o.workFile.isEmpty() ? QString() : absolute(o.workFile);
        const bool newFile = workFile.isEmpty() || !QFileInfo::exists(workFile);
        QString fileName = workFile;
        work::openWorkFile(ws, newFile ? QStringLiteral("INIT") : QStringLiteral("LOAD"), fileName);
        if (ws.activeFileName.isEmpty() || !ws.database)
            return ExitEngineError; // the work file said why

        if (o.clear)
            ws.settings.folders.clear();
        for (const QString& folder : o.addFolders) {
            if (const int status = addFolder(ws, folder, err); status != ExitOk)
                return status;
        }
        const ConditionChange conditionChange = applyConditionOptions(ws, conditions);
        if (o.showConditions)
            showConditions(ws, out, platform::intlFromLocale(QLocale::system()));
        scan::DriveCapacity capacity; // of this run's scan; the disk shares are 0 without one
        if (o.scan) {
            if (const int status = runScan(ws, o, err, interrupted, errIsTerminal, capacity);
                status != ExitOk)
                return status;
        }
        if (interrupted && *interrupted) {
            err << Prefix << "interrupted; nothing saved.\n";
            return ExitInterrupted;
        }

        const bool changed = o.clear || !o.addFolders.isEmpty() || o.scan || conditionChange.lines ||
                             conditionChange.sorters || (newFile && !workFile.isEmpty());
        QString target;
        if (!o.saveAs.isEmpty())
            target = absolute(o.saveAs);
        else if (changed && !workFile.isEmpty())
            target = workFile;
        if (!target.isEmpty()) {
            // With nothing left to do, the working copy in the run's own temporary folder becomes the
            // saved file: renamed there, not copied byte for byte and then removed.
            const bool lastUse = temporary && !reportFilesAsked(o) && !o.select && !o.list;
            if (!(lastUse ? work::saveAndCloseWorkFile(ws, target) : work::saveWorkFile(ws, target)))
                return ExitEngineError; // the work file said why
            if (!o.quiet)
                err << Prefix << "saved " << target << '\n';
            keepCountedAsChanged(ws, conditionChange);
        } else if (changed && !o.quiet) {
            err << Prefix << "nothing saved: give FILE.zek or --save-as FILE.zek\n";
        }
        // After the save, so that a rejected statement never costs a scan.
        if (reportFilesAsked(o)) {
            if (const int status = writeReports(ws, o, capacity, err, errIsTerminal, interrupted);
                status != ExitOk)
                return status;
        }
        if (o.select || o.list)
            return runSelect(ws, o, out);
    } catch (const db::EngineError& e) {
        err << Prefix << engineErrorText(e) << '\n';
        return ExitEngineError;
    }
    return ExitOk;
}

} // namespace

int runBatch(const QStringList& arguments, QTextStream& out, QTextStream& err,
             const volatile std::sig_atomic_t* interrupted, bool errIsTerminal) {
    // Without arguments there is nothing to do: a user who typed only the name wants to know how.
    if (arguments.isEmpty()) {
        err << batchUsage() << "Try 'zek-batch --help' for more.\n";
        err.flush();
        return ExitRefused;
    }
    const ParsedOptions parsed = parseBatchOptions(arguments);
    if (!parsed.error.isEmpty()) {
        err << Prefix << parsed.error << '\n';
        if (parsed.showUsage)
            err << batchUsage() << "Try 'zek-batch --help' for more.\n";
        err.flush();
        return ExitRefused;
    }
    if (parsed.options.help) {
        out << batchHelp();
        out.flush();
        return ExitOk;
    }
    if (parsed.options.version) {
        out << batchVersion() << '\n';
        out.flush();
        return ExitOk;
    }
    const ConditionOptions conditions =
        readConditionOptions(parsed.options, platform::intlFromLocale(QLocale::system()));
    if (!conditions.error.isEmpty()) {
        err << Prefix << conditions.error << '\n';
        err.flush();
        return ExitRefused;
    }
    StreamPrompter prompter(err);
    const int status = run(parsed.options, conditions, out, err, interrupted, errIsTerminal);
    err.flush();
    return status;
}

} // namespace zek::batch
