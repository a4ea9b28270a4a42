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
    // fullRect follows the orientation: a landscape page is as high as a portrait one is wide.
    const double points = printer->pageLayout().fullRect(QPageLayout::Point).height();
    return static_cast<int>(std::lround(points * 20));
}

} // namespace zek::report
