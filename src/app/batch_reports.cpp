#include "app/batch_reports.h"

#include "platform/intl.h"
#include "platform/printer_choice.h"
#include "platform/prompt.h"
#include "query/statement_builder.h"
#include "report/report_build.h"
#include "report/report_csv.h"
#include "report/report_export.h"
#include "report/report_pdf.h"
#include "report/report_preconditions.h"
#include "report/report_text.h"
#include "work/replacing_file.h"
#include "work/work_file.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>

namespace zek::batch {

namespace {

const QString Prefix = QStringLiteral("zek-batch: ");

QString absolute(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString kindName(report::ReportKind kind) {
    return kind == report::ReportKind::Detail ? QStringLiteral("Detail") : QStringLiteral("Summary");
}

// Without windows the reports are paged for the built-in PDF writer on the paper of the system's
// measurement system, A4 or Letter, in portrait.
platform::PrinterChoice batchPrinter() {
    platform::PrinterChoice printer;
    printer.name = platform::BuiltInPdfPrinter;
    printer.orientation = platform::PortraitOrientation;
    printer.paper = platform::localePaper();
    return printer;
}

// One line on a terminal, rewritten in place at most every 200 ms; nothing elsewhere.
class ProgressLine {
public:
    ProgressLine(QTextStream& err, bool shown) : m_err(err), m_shown(shown) { m_clock.start(); }
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void show(const QString& text) {
        if (!m_shown || (m_lastPrint >= 0 && m_clock.elapsed() - m_lastPrint < 200))
            return;
        m_err << '\r' << text;
        for (qsizetype i = text.size(); i < m_width; ++i)
            m_err << ' ';
        m_err.flush();
        m_width = text.size();
        m_lastPrint = m_clock.elapsed();
    }
    // Since `start` was called: "Detail report: building, 3 s".
    void showWorking(const QString& what) {
        show(what + QStringLiteral(", %1 s").arg(m_clock.elapsed() / 1000));
    }
    // The line goes before anything else is written to the stream.
    void clear() {
        if (m_width == 0)
            return;
        m_err << '\r' << QString(m_width, u' ') << '\r';
        m_err.flush();
        m_width = 0;
        m_lastPrint = -1;
    }

private:
    QTextStream& m_err;
    bool m_shown;
    QElapsedTimer m_clock;
    qint64 m_lastPrint = -1;
    qsizetype m_width = 0;
};

// Passes every message box on, after the progress line has made room for it, and counts them: any
// of them while a file is written means the report could not be read completely.
class MessageCount : public platform::Prompter {
public:
    explicit MessageCount(ProgressLine& progress) : m_progress(progress) {
        m_previous = platform::setPrompter(this);
    }
    ~MessageCount() override { platform::setPrompter(m_previous); }
    MessageCount(const MessageCount&) = delete;
    MessageCount& operator=(const MessageCount&) = delete;

    int count() const { return m_count; }

    int message(const QString& text, int style, const QString& title) override {
        ++m_count;
        m_progress.clear();
        return m_previous ? m_previous->message(text, style, title) : platform::IdOk;
    }
    std::optional<QString> openFileName(const platform::FileDialogRequest& r) override {
        return m_previous ? m_previous->openFileName(r) : std::nullopt;
    }
    std::optional<QString> saveFileName(const platform::FileDialogRequest& r) override {
        return m_previous ? m_previous->saveFileName(r) : std::nullopt;
    }
    std::optional<platform::PrinterChoice> printSetup(const platform::PrinterChoice& c) override {
        return m_previous ? m_previous->printSetup(c) : std::nullopt;
    }
    std::optional<QString> workDirectory(const platform::WorkDirectoryRequest& r) override {
        return m_previous ? m_previous->workDirectory(r) : std::nullopt;
    }
    int position(const platform::PositionRequest& r) override {
        return m_previous ? m_previous->position(r) : 0;
    }

private:
    ProgressLine& m_progress;
    platform::Prompter* m_previous = nullptr;
    int m_count = 0;
};

// Thrown from a progress call once Ctrl-C was pressed: the file being written is given up.
struct Interrupted {};

// What one run of the reports holds.
struct ReportSet {
    work::WorkState& ws;
    const volatile std::sig_atomic_t* interrupted = nullptr;
    report::ReportEngine detail;
    report::ReportEngine summary;
    report::BuildInputs inputs;
    bool detailBuilt = false;
    bool summaryBuilt = false;

    explicit ReportSet(work::WorkState& state)
        : ws(state), detail(report::ReportKind::Detail, state), summary(report::ReportKind::Summary, state) {}
    report::ReportEngine& engine(report::ReportKind kind) {
        return kind == report::ReportKind::Detail ? detail : summary;
    }
    bool built(report::ReportKind kind) const {
        return kind == report::ReportKind::Detail ? detailBuilt : summaryBuilt;
    }
};

QString rowsText(qint64 n) {
    return QString::number(n) + (n == 1 ? " row" : " rows");
}

QString fileErrorText(const work::ReplacingFile& file) {
    return QStringLiteral("Error # %1 : %2").arg(file.errorNumber()).arg(file.errorText());
}

// Writes one report into `file`; what it wrote ("120 rows", "3 pages"), or nothing after saying
// on `err` why it could not.
std::optional<QString> writeReport(ReportSet& reports, report::ReportKind kind, report::ExportFormat format,
                                   work::ReplacingFile& file, ProgressLine& progress, QTextStream& err) {
    const QString name = kindName(kind);
    report::ReportEngine& engine = reports.engine(kind);
    const auto rowProgress = [&](qint64 rows) {
        if (reports.interrupted && *reports.interrupted)
            throw Interrupted{};
        progress.show(
            QStringLiteral("%1 report: %2 of %3 rows")
                .arg(name)
                .arg(rows)
                .arg(kind == report::ReportKind::Detail ? reports.ws.scanResult : qint64(engine.rowCount())));
    };
    const auto pageProgress = [&](int page, int pages) {
        if (reports.interrupted && *reports.interrupted)
            throw Interrupted{};
        progress.show(QStringLiteral("%1 report: page %2 of %3").arg(name).arg(page).arg(pages));
    };
    // The Detail CSV reads the selection itself, so it needs no report standing; everything else
    // reads what the build made.
    const bool fromSelection = kind == report::ReportKind::Detail && format == report::ExportFormat::Csv;
    if (!fromSelection && (!reports.built(kind) || !engine.isAvailable())) {
        progress.clear();
        err << Prefix << "the " << name << " report could not be built; " << file.target()
            << " not written\n";
        return std::nullopt;
    }
    switch (format) {
    case report::ExportFormat::Csv:
        if (fromSelection) {
            db::Recordset* selection =
                reports.ws.sqlRecordsets[static_cast<size_t>(work::SqlRecordset::Selection)].get();
            if (!selection || !selection->isOpen())
                throw db::EngineError(db::ErrObjectClosed,
                                      QStringLiteral("Object invalid or no longer set."));
            return rowsText(report::writeDetailCsv(file, *selection, reports.ws.settings.detailColumns,
                                                   reports.inputs, rowProgress));
        }
        return rowsText(
            report::writeSummaryCsv(file, *reports.ws.database, reports.ws.settings.summaryColumns,
                                    report::summaryGrouping(reports.ws.settings.sorters), rowProgress));
    case report::ExportFormat::Text:
        report::writeReportText(file, engine, pageProgress);
        return rowsText(engine.rowCount());
    case report::ExportFormat::Pdf: {
        const QString today = QLocale::system().toString(QDate::currentDate(), QLocale::LongFormat);
        QString error;
        if (!report::writeReportPdf(file, engine, batchPrinter().paper, today, error, pageProgress)) {
            progress.clear();
            err << Prefix << "cannot write " << file.target() << ": " << error << '\n';
            return std::nullopt;
        }
        return QString::number(engine.pageCount()) + (engine.pageCount() == 1 ? " page" : " pages");
    }
    }
    return std::nullopt;
}

// Writes one report file through a temporary file that replaces the target only when complete.
int writeReportFile(ReportSet& reports, report::ReportKind kind, const QString& fileName, bool quiet,
                    ProgressLine& progress, const MessageCount& messages, QTextStream& err) {
    const QString target = absolute(fileName);
    const report::ExportFormat format = *report::exportFormatOf(target);
    // Written beside the target and renamed over it when complete; a full disk or any other failed
    // write leaves the target as it was.
    work::ReplacingFile file(target);
    if (!file.openForWriting()) {
        progress.clear();
        err << Prefix << "cannot write " << target << ": " << fileErrorText(file) << '\n';
        return ExitEngineError;
    }
    std::optional<QString> written;
    const int messagesBefore = messages.count();
    try {
        written = writeReport(reports, kind, format, file, progress, err);
    } catch (const db::EngineError& e) {
        progress.clear();
        err << Prefix << "Error # " << e.number() << " : " << e.description() << "; " << target
            << " not written\n";
    } catch (const Interrupted&) {
        progress.clear();
        file.cancel();
        err << Prefix << "interrupted; " << target << " not written\n";
        return ExitInterrupted;
    }
    progress.clear();
    if (!written || messages.count() > messagesBefore) {
        file.cancel();
        if (written)
            err << Prefix << target << " not written\n";
        return ExitEngineError;
    }
    if (!file.commit()) {
        err << Prefix << "cannot write " << target << ": " << fileErrorText(file) << '\n';
        return ExitEngineError;
    }
    if (!quiet)
        err << Prefix << "wrote the " << kindName(kind) << " report to " << target << " (" << *written
            << ")\n";
    return ExitOk;
}

} // namespace

bool reportFilesAsked(const BatchOptions& o) {
    return !o.detailFile.isEmpty() || !o.summaryFile.isEmpty();
}

int checkReportFiles(const BatchOptions& o, QTextStream& err) {
    for (const QString& file : {o.detailFile, o.summaryFile}) {
        if (!file.isEmpty() && !report::exportFormatOf(file)) {
            err << Prefix << report::refusedExportText(file) << '\n';
            return ExitRefused;
        }
    }
    if (!o.detailFile.isEmpty() && absolute(o.detailFile) == absolute(o.summaryFile)) {
        err << Prefix << "the Detail and the Summary report cannot both be written to " << o.detailFile
            << '\n';
        return ExitRefused;
    }
    return ExitOk;
}

int writeReports(work::WorkState& ws, const BatchOptions& o, const scan::DriveCapacity& capacity,
                 QTextStream& err, bool errIsTerminal, const volatile std::sig_atomic_t* interrupted) {
    ProgressLine progress(err, errIsTerminal && !o.quiet);
    const MessageCount messages(progress);
    const platform::PrinterChoice printer = batchPrinter();
    query::QueryState qs;
    qs.hooks.defaultPrinter = [printer] { return printer; };
    if (!report::checkReportPreconditions(ws, qs))
        return ExitRefused;

    ReportSet reports(ws);
    reports.interrupted = interrupted;
    const int pageHeight = static_cast<int>(platform::paperSizeTwips(printer).height());
    for (report::ReportEngine* engine : {&reports.detail, &reports.summary}) {
        engine->pageHeight = [pageHeight] { return pageHeight; };
        const QString what = kindName(engine->kind()) + QStringLiteral(" report: building");
        engine->processEvents = [&progress, what] { progress.showWorking(what); };
    }
    qs.hooks.processEvents = [&progress] { progress.showWorking(QStringLiteral("selecting")); };
    qs.hooks.buildReports = [&] {
        report::BuildInputs& in = reports.inputs;
        in.intl = platform::intlFromLocale(QLocale::system());
        in.totalBytes = capacity.totalBytes;
        in.freeBytes = capacity.freeBytes;
        // Both printer checks are set when a program starts: the reports are defined afresh.
        in.printerCheck = true;
        in.whereClause = qs.whereClause;
        reports.detailBuilt = report::buildDetailReport(ws, reports.detail, in);
        reports.summaryBuilt = report::buildSummaryReport(ws, reports.summary, in);
    };

    // As the first Start of a program run and as Historic: every group counts as changed, so both
    // reports and their tables are built completely.
    work::refreshUnchangedFlags(ws);
    ws.unchangedFlags.fill(false);
    const query::SelectionOutcome outcome = query::buildQueryAndReports(ws, qs);
    progress.clear();
    if (outcome == query::SelectionOutcome::Rejected)
        return ExitSelectionRejected;
    if (outcome == query::SelectionOutcome::Empty)
        return ExitEmptySelection;
    if (interrupted && *interrupted) {
        err << Prefix << "interrupted; no report written\n";
        return ExitInterrupted;
    }

    for (const auto& [kind, file] : {std::pair{report::ReportKind::Detail, o.detailFile},
                                     std::pair{report::ReportKind::Summary, o.summaryFile}}) {
        if (file.isEmpty())
            continue;
        if (const int status = writeReportFile(reports, kind, file, o.quiet, progress, messages, err);
            status != ExitOk)
            return status;
    }
    return ExitOk;
}

} // namespace zek::batch
