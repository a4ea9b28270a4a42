// The print system's printers as the program's printer choice, and printers made from a choice.
#pragma once

#include "platform/printer_choice.h"

#include <QStringList>

#include <memory>

class QPrinter;

namespace zek::platform {

// The system's default printer with its paper and orientation; without a printer on the system,
// the built-in PDF writer on the paper of the locale.
PrinterChoice systemDefaultPrinter();

// A printer for a choice, painting from the corner of its printable area (the PDF writer keeps the
// margin of a usual printer, so its pages come out as printed ones); for the built-in PDF
// writer, one writing PDF into `outputFile`.
std::unique_ptr<QPrinter> makePrinter(const PrinterChoice& choice, const QString& outputFile = QString());

// The choice a printer stands for (after a print or setup dialog changed it).
PrinterChoice choiceOf(const QPrinter& printer);

// The font families the printer can print.
QStringList printerFontFamilies();

} // namespace zek::platform
