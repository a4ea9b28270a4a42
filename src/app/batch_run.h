// zek-batch's work: open or start a work file, change its folder list, scan, save. No windows: every
// message box of the work file goes to the error stream, and no question ever waits for an answer.
#pragma once

#include "app/batch_options.h"

#include <QTextStream>

#include <csignal>

namespace zek::batch {

// Runs zek-batch with `arguments` (without the program name) and returns its exit status. Help and
// version go to `out`; progress, problems and errors to `err`. `interrupted`, when given, is polled
// during the scan: once it is set the scan stops, as with Cancel, and nothing is saved.
int runBatch(const QStringList& arguments, QTextStream& out, QTextStream& err,
             const volatile std::sig_atomic_t* interrupted = nullptr);

// The message-box text as one stream line: CR LF and CR become line feeds.
QString streamText(const QString& text);

} // namespace zek::batch
