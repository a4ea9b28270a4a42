#include "report/gui/report_printer.h"

#include "platform/gui/printers.h"

#include <QPrinter>

namespace zek::report {

namespace {

// A job on a printer of the print system or the PDF writer; the print system's failure shows when
// the job ends.
class PrinterOutput : public PagedDeviceOutput {
public:
    PrinterOutput(std::unique_ptr<QPrinter> printer, QSizeF paper, QString startError, QString failedText)
        : PagedDeviceOutput(std::move(printer), paper, std::move(startError)),
          m_failedText(std::move(failedText)) {}

    bool finish() override {
        const bool ok = PagedDeviceOutput::finish();
        if (ok && static_cast<QPrinter&>(device()).printerState() == QPrinter::Error) {
            setError(m_failedText);
            return false;
        }
        return ok;
    }

private:
    QString m_failedText;
};

} // namespace

int defaultPrinterPageHeight() {
    return static_cast<int>(platform::paperSizeTwips(platform::systemDefaultPrinter()).height());
}

std::unique_ptr<PageOutput> openPrinterOutput(const platform::PrinterChoice& printer, const QString& file,
                                              QString& error) {
    std::unique_ptr<QPrinter> device = platform::makePrinter(printer, file);
    QString startError;
    QString failedText;
    if (!printer.isBuiltInPdf() && device->outputFormat() == QPrinter::PdfFormat) {
        error = "The printer " + printer.name + " is not available.";
        return nullptr;
    }
    if (device->outputFormat() == QPrinter::PdfFormat) {
        if (file.trimmed().isEmpty()) {
            error = QStringLiteral("No file was named for the PDF printer.");
            return nullptr;
        }
        startError = "The file " + file + " could not be written.";
        failedText = startError;
    } else {
        startError = "The printer " + printer.name + " could not start printing.";
        failedText = "The print job on " + printer.name + " failed.";
    }
    return std::make_unique<PrinterOutput>(std::move(device), platform::paperSizeTwips(printer), startError,
                                           failedText);
}

} // namespace zek::report
