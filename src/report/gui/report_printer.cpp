#include "report/gui/report_printer.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>
#include <memory>

namespace zek::report {

int defaultPrinterPageHeight() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    std::unique_ptr<QPrinter> printer;
    if (info.isNull()) {
        // The built-in "PDF" printer.
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
    } else {
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    }
    // From the paper's size in millimetres rather than the page rectangle in whole points: A4 is
    // 16838 twips high, not the 16840 of its rounded 842 points.
    const QPageLayout layout = printer->pageLayout();
    const QSizeF paper = layout.pageSize().size(QPageSize::Millimeter);
    const double height = layout.orientation() == QPageLayout::Landscape ? paper.width() : paper.height();
    return static_cast<int>(std::lround(height / 25.4 * 1440));
}

} // namespace zek::report
