#include "report/print_command.h"

#include "report/printed_page.h"
#include "report/report_preconditions.h"

#include <algorithm>

namespace zek::report {

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString squeezed(const QString& name) {
    QString s = name.toUpper();
    s.remove(QLatin1Char(' '));
    return s;
}

// The built-in PDF writer prints into a file the user names.
std::optional<QString> askPdfFile(const QString& caption, const QString& folder) {
    platform::FileDialogRequest request;
    request.title = QStringLiteral("Print to PDF File");
    request.initialFolder = folder;
    request.fileName = caption + QStringLiteral(".pdf");
    request.filter = QStringLiteral("PDF file (*.pdf)");
    request.defaultExtension = QStringLiteral("PDF");
    std::optional<QString> file = platform::prompter().saveFileName(request);
    if (file && file->trimmed().isEmpty())
        return std::nullopt;
    return file;
}

void reportFailure(const QString& text) {
    platform::msgBox(text, platform::MbOkOnly | platform::MbCritical);
}

} // namespace

QString printCaption(ReportKind kind) {
    return kind == ReportKind::Detail ? QStringLiteral("Detail Report") : QStringLiteral("Summary Report");
}

QString printerChangedText(const QString& from, const QString& to) {
    return "The defaultprinter has changed from " + from + " to " + to + "." + CrLf +
           "You can change the default printer back to " + from +
           " or have ZEK to recalculate your reports by going back to the 'Drive and Directory Selection' "
           "window and press the START button.";
}

QString orientationChangedText(const QString& from, const QString& to) {
    return "The printerorientation has changed from " + from + " to " + to + "." +
           "You can change the printerorientation back to " + from +
           " or have ZEK to recalculate your reports by going back to 'Drive and Directory Selection' window "
           "and press START.";
}

bool checkReportPrinter(const QString& reportPrinter, const QString& reportOrientation,
                        const platform::PrinterChoice& current, PrinterCheckFlags& flags) {
    if (current.name != reportPrinter) {
        flags.name = false;
        platform::msgBox(printerChangedText(reportPrinter, current.name));
        return false;
    }
    flags.name = true;
    const QString orientation = orientationText(current.orientation);
    if (orientation != reportOrientation) {
        flags.orientation = false;
        platform::msgBox(orientationChangedText(reportOrientation, orientation));
        return false;
    }
    flags.orientation = true;
    return true;
}

QString choosePrintFont(const QStringList& families) {
    const QString wanted = squeezed(PrintFontName);
    for (const QString& family : families) {
        if (squeezed(family) == wanted)
            return family;
    }
    return QString();
}

std::vector<int> pagesToPrint(const platform::PrintDialogAnswer& answer, int currentPage, int pageCount) {
    std::vector<int> once;
    switch (answer.range) {
    case platform::PrintRange::Selection:
        if (currentPage >= 1)
            once.push_back(currentPage);
        break;
    case platform::PrintRange::Pages:
        for (int p = std::max(1, answer.fromPage); p <= std::min(answer.toPage, pageCount); ++p)
            once.push_back(p);
        break;
    case platform::PrintRange::All:
        for (int p = 1; p <= pageCount; ++p)
            once.push_back(p);
        break;
    }
    std::vector<int> pages;
    for (int copy = 0; copy < std::max(1, answer.copies); ++copy)
        pages.insert(pages.end(), once.begin(), once.end());
    return pages;
}

bool rptPrintPage(ReportEngine& engine, PageOutput& output, const QString& dateText,
                  const QString& fontFamily, const std::function<void(bool)>& busy) {
    if (busy)
        busy(true);
    engine.showStatus("Printing page " + QString::number(engine.currentPage()) + " of " +
                      QString::number(engine.pageCount()));
    PageCanvas* canvas = output.nextPage();
    if (canvas)
        drawReportPage(*canvas, printedPageOf(engine, output.paperTwips(), dateText, fontFamily));
    engine.hideStatus();
    if (busy)
        busy(false);
    return canvas != nullptr;
}

bool rptPrintAll(ReportEngine& engine, PageOutput& output, const QString& dateText, const QString& fontFamily,
                 const std::function<void(bool)>& busy) {
    for (int p = 1; p <= engine.pageCount(); ++p) {
        engine.rptNewPage(p);
        if (!rptPrintPage(engine, output, dateText, fontFamily, busy))
            return false;
    }
    return true;
}

void runPrintCommand(ReportEngine& engine, PrintContext& context) {
    if (!engine.isAvailable() || !context.currentPrinter || !context.flags || !context.openOutput)
        return;
    platform::PrintDialogRequest request;
    request.caption = printCaption(engine.kind());
    request.minPage = 1;
    request.maxPage = engine.pageCount();
    request.fromPage = 1;
    request.toPage = engine.pageCount();
    request.printer = *context.currentPrinter;
    if (!context.outputFolder.isEmpty())
        request.pdfFile = context.outputFolder + QLatin1Char('/') + request.caption + QStringLiteral(".pdf");
    const std::optional<platform::PrintDialogAnswer> answer = platform::prompter().printDialog(request);
    if (!answer)
        return;

    // The printer chosen in the dialog is the program's printer from now on.
    if (!answer->printer.name.isEmpty())
        *context.currentPrinter = answer->printer;
    const platform::PrinterChoice printer = *context.currentPrinter;
    if (!checkReportPrinter(context.reportPrinter, context.reportOrientation, printer, *context.flags))
        return;
    const QString font = context.fontFamilies ? choosePrintFont(context.fontFamilies()) : QString();

    QString file = answer->outputFile;
    if (printer.isBuiltInPdf() && file.isEmpty()) {
        const std::optional<QString> chosen = askPdfFile(request.caption, context.outputFolder);
        if (!chosen)
            return;
        file = *chosen;
    }
    QString error;
    std::unique_ptr<PageOutput> output = context.openOutput(printer, file, error);
    if (!output) {
        reportFailure(error);
        return;
    }
    bool ok = true;
    for (int page : pagesToPrint(*answer, engine.currentPage(), engine.pageCount())) {
        if (page != engine.currentPage() || answer->range != platform::PrintRange::Selection)
            engine.rptNewPage(page);
        if (!rptPrintPage(engine, *output, context.dateText, font, context.busy)) {
            ok = false;
            break;
        }
        if (context.processEvents)
            context.processEvents();
    }
    if (!output->finish() || !ok)
        reportFailure(output->error());
}

} // namespace zek::report
