#include "platform/gui/printers.h"

#include <QFontDatabase>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

namespace zek::platform {

namespace {

int orientationOf(const QPageLayout& layout) {
    return layout.orientation() == QPageLayout::Landscape ? LandscapeOrientation : PortraitOrientation;
}

} // namespace

PrinterChoice systemDefaultPrinter() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return PrinterChoice{BuiltInPdfPrinter, PortraitOrientation, localePaper()};
    const QPrinter printer(info);
    return choiceOf(printer);
}

std::unique_ptr<QPrinter> makePrinter(const PrinterChoice& choice, const QString& outputFile) {
    std::unique_ptr<QPrinter> printer;
    const QPrinterInfo info = QPrinterInfo::printerInfo(choice.name);
    if (choice.isBuiltInPdf()) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(outputFile);
    } else if (info.isNull()) {
        // A printer gone from the system since it was chosen: printing on it fails and says so.
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setPrinterName(choice.name);
    } else {
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    }
    printer->setPageSize(choice.paper);
    printer->setPageOrientation(choice.isLandscape() ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (choice.isBuiltInPdf()) {
        const double m = PrinterMarginMillimetres;
        printer->setPageMargins(QMarginsF(m, m, m, m), QPageLayout::Millimeter);
    }
    return printer;
}

PrinterChoice choiceOf(const QPrinter& printer) {
    const QPageLayout layout = printer.pageLayout();
    const QString name =
        printer.outputFormat() == QPrinter::PdfFormat ? BuiltInPdfPrinter : printer.printerName();
    return PrinterChoice{name, orientationOf(layout), layout.pageSize()};
}

QStringList printerFontFamilies() {
    return QFontDatabase::families();
}

} // namespace zek::platform
