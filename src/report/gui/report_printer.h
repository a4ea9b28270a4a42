// The report printer as the report engine needs it: the page height of the default printer.
#pragma once

namespace zek::report {

// The height in twips of the default printer's whole page in its current orientation; without a
// printer on the system, of the built-in PDF writer's page (A4 or Letter, by the locale).
int defaultPrinterPageHeight();

} // namespace zek::report
