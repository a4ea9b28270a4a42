// zek-batch's work: open or start a work file, change its folder list, scan, save. No windows: every
// message box of the work file goes to the error stream, and no question ever waits for an answer.
#pragma once

#include "app/batch_options.h"

#include <QTextStream>

#include <csignal>

namespace zek::batch {

// Runs zek-batch with `arguments` (without the program name) and returns its exit status. Help and
// version go to `out`; problems, errors and the summary to `err`. The progress line, rewritten in
// place with carriage returns, goes to `err` only when `errIsTerminal`: a redirected error stream
// gets plain lines. `interrupted`, when given, is polled during the scan: once it is set the scan
// stops, as with Cancel, and nothing is saved.
int runBatch(const QStringList& arguments, QTextStream& out, QTextStream& err,
             const volatile std::sig_atomic_t* interrupted = nullptr, bool errIsTerminal = false);

// "1 folder", "2 folders".
QString countedText(const QString& number, qint64 n, const char* one, const char* many);

// The message-box text as one stream line: CR LF and CR become line feeds.
QString streamText(const QString& text);

} // namespace zek::batch
