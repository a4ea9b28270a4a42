// zek-batch's reports: the Detail and Summary reports built from the work file's condition lines and
// sorters as Start and Historic build them (the same statement, builders and report tables), then
// written to the files --detail and --summary name, by extension: CSV, text or PDF.
#pragma once

#include "app/batch_options.h"
#include "scan/scan_state.h"
#include "work/work_state.h"

#include <QTextStream>

#include <csignal>

namespace zek::batch {

// Whether --detail or --summary asks for a report file.
bool reportFilesAsked(const BatchOptions& o);

// ExitOk, or ExitRefused after saying why on `err`: a report file whose extension is not .csv, .txt
// or .pdf, or both reports to one file. Looks at the names only, so that it can run before anything
// is opened or scanned.
int checkReportFiles(const BatchOptions& o, QTextStream& err);

// Selects with the stored lines and sorters, builds both reports and writes the files asked for;
// each file appears whole or not at all. `capacity` holds the drive figures of the scan this run
// made (zero without one). A progress line goes to `err` when `errIsTerminal` and not o.quiet.
// `interrupted`, when given, is looked at while files are written: once set, the file being
// written is given up. Returns ExitOk, ExitRefused (the reports' preconditions failed),
// ExitSelectionRejected, ExitEmptySelection, ExitEngineError (a report or a file could not be
// written) or ExitInterrupted; the reason is on `err`.
int writeReports(work::WorkState& ws, const BatchOptions& o, const scan::DriveCapacity& capacity,
                 QTextStream& err, bool errIsTerminal,
                 const volatile std::sig_atomic_t* interrupted = nullptr);

} // namespace zek::batch
