// The report printer: page heights for the report engine and print jobs on the program's printer.
#pragma once

#include "platform/printer_choice.h"
#include "report/page_output.h"

#include <memory>

namespace zek::report {

// The height in twips of the default printer's whole page in its current orientation; without a
// printer on the system, of the built-in PDF writer's page (A4 or Letter, by the locale).
int defaultPrinterPageHeight();

// A print job on the chosen printer, or for the built-in PDF writer into `file`; nothing, with the
// reason in `error`, when it cannot start.
std::unique_ptr<PageOutput> openPrinterOutput(const platform::PrinterChoice& printer, const QString& file,
                                              QString& error);

} // namespace zek::report
