#include "app/gui/report_printing.h"

#include "platform/gui/printers.h"
#include "query/gui/desktop_hooks.h"
#include "report/gui/report_printer.h"

#include <QDate>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLocale>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

namespace zek {

namespace {

QString longDateToday() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::LongFormat);
}

} // namespace

report::PrintContext printContext(AppState& app, std::function<void()> processEvents) {
    report::PrintContext context;
    context.currentPrinter = &app.printer;
    context.reportPrinter = app.query.printerName;
    context.reportOrientation = app.query.printerOrientation;
    context.flags = &app.printerChecks;
    context.dateText = longDateToday();
    context.outputFolder = app.work.workDirectory;
    context.fontFamilies = platform::printerFontFamilies;
    context.openOutput = report::openPrinterOutput;
    context.busy = query::setBusyPointer;
    context.processEvents = std::move(processEvents);
    return context;
}

void printReport(AppState& app, report::ReportKind kind, std::function<void()> processEvents) {
    report::PrintContext context = printContext(app, std::move(processEvents));
    report::runPrintCommand(kind == report::ReportKind::Detail ? app.detailReport : app.summaryReport,
                            context);
}

void printFromToolbar(AppState& app, std::function<void()> processEvents) {
    const int answer =
        platform::msgBox(report::PrintQuestionText, platform::MbYesNoCancel | platform::MbQuestion,
                         report::PrintQuestionTitle);
    if (answer == platform::IdYes)
        printReport(app, report::ReportKind::Detail, std::move(processEvents));
    else if (answer == platform::IdNo)
        printReport(app, report::ReportKind::Summary, std::move(processEvents));
}

void printSetup(AppState& app) {
    if (const std::optional<platform::PrinterChoice> chosen = platform::prompter().printSetup(app.printer))
        app.printer = *chosen;
}

void showPrintPreview(AppState& app, report::ReportEngine& engine, QWidget* parent) {
    if (!engine.isAvailable())
        return;
    std::unique_ptr<QPrinter> printer = platform::makePrinter(app.printer);
    QDialog dialog(parent);
    dialog.setObjectName("PrintPreview");
    dialog.setWindowTitle("Print Preview - " + report::printCaption(engine.kind()));
    auto* preview = new QPrintPreviewWidget(printer.get(), &dialog);
    preview->setObjectName("PreviewPages");

    auto* tools = new QToolBar(&dialog);
    tools->addAction("Whole Page", preview, &QPrintPreviewWidget::fitInView);
    tools->addAction("Page Width", preview, &QPrintPreviewWidget::fitToWidth);
    tools->addAction("Zoom In", preview, [preview] { preview->zoomIn(); });
    tools->addAction("Zoom Out", preview, [preview] { preview->zoomOut(); });
    tools->addSeparator();
    tools->addAction("Previous Page", preview,
                     [preview] { preview->setCurrentPage(preview->currentPage() - 1); });
    tools->addAction("Next Page", preview,
                     [preview] { preview->setCurrentPage(preview->currentPage() + 1); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(tools);
    layout->addWidget(preview, 1);
    layout->addWidget(buttons);
    dialog.resize(parent ? parent->size() * 0.9 : QSize(900, 700));

    const int shownPage = engine.currentPage();
    const QString date = longDateToday();
    const QString font = report::choosePrintFont(platform::printerFontFamilies());
    const QSizeF paper = platform::paperSizeTwips(app.printer);
    QObject::connect(preview, &QPrintPreviewWidget::paintRequested, &dialog, [&](QPrinter* target) {
        report::PagedDeviceOutput output(*target, paper, QString());
        report::rptPrintAll(engine, output, date, font);
        output.finish();
        if (shownPage >= 1 && engine.isAvailable())
            engine.rptNewPage(shownPage);
    });
    preview->updatePreview();
    preview->fitToWidth();
    platform::prompter().execDialog(dialog);
}

} // namespace zek
