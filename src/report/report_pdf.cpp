#include "report/report_pdf.h"

#include "platform/printer_choice.h"
#include "report/page_output.h"
#include "report/print_command.h"
#include "report/printed_page.h"

#include <QFontDatabase>
#include <QPdfWriter>

namespace zek::report {

namespace {

// Fine enough that the thinnest rule and the smallest text keep their proportions.
constexpr int PdfResolution = 1200;

} // namespace

bool writeReportPdf(QIODevice& out, ReportEngine& engine, const QPageSize& paper, const QString& dateText,
                    QString& error, const PageProgress& progress) {
    auto writer = std::make_unique<QPdfWriter>(&out);
    writer->setResolution(PdfResolution);
    writer->setCreator(QStringLiteral("ZEK"));
    writer->setTitle(engine.title().trimmed());
    // The page drawing places everything from the printable area's corner: the file keeps the edge of
    // a usual printer, as the program's PDF printer does, so both print the same page.
    const double m = platform::PrinterMarginMillimetres;
    const QPageLayout layout(paper, QPageLayout::Portrait, QMarginsF(m, m, m, m), QPageLayout::Millimeter,
                             QMarginsF(0, 0, 0, 0));
    writer->setPageLayout(layout);
    const QSizeF paperTwips = paperSizeTwips(writer->pageLayout());
    PagedDeviceOutput output(std::move(writer), paperTwips,
                             QStringLiteral("the PDF document could not be written"));

    const QString font = choosePrintFont(QFontDatabase::families());
    // Each page is announced by the busy call that starts it.
    const auto pageStarts = [&](bool starting) {
        if (starting && progress)
            progress(engine.currentPage(), engine.pageCount());
    };
    const bool printed = rptPrintAll(engine, output, dateText, font, pageStarts);
    const bool finished = output.finish();
    if (!printed || !finished) {
        error = output.error();
        return false;
    }
    return true;
}

} // namespace zek::report
