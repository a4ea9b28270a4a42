// Printing from the main window: the Print items and the toolbar's "print" on a real print job of
// the built-in PDF writer, Print Setup choosing the program's printer, and Print Preview.
#include "app/gui/main_window.h"
#include "support/report_tables.h"
#include "support/scripted_prompter.h"
#include "support/test_env.h"
#include "work/work_file.h"

#include <QFile>
#include <QMenu>
#include <QPrintPreviewWidget>
#include <QRegularExpression>
#include <QtTest>

using namespace zek;
using platform::PrintDialogAnswer;
using platform::PrinterChoice;
using report::ReportEngine;

namespace {

const PrinterChoice Pdf{platform::BuiltInPdfPrinter, platform::PortraitOrientation, QPageSize(QPageSize::A4)};

struct Session {
    test::TestEnvironment env;
    test::ScriptedPrompter prompter;
    AppState app;
    std::unique_ptr<MainWindow> main;

    Session() {
        app.work.workDirectory = env.workDirectory();
        app.printer = Pdf;
        main = std::make_unique<MainWindow>(app);
        main->resize(1000, 700);
        main->show();
        QString name;
        work::openWorkFile(app.work, "INIT", name);
        // The reports were made for this printer.
        app.query.printerName = Pdf.name;
        app.query.printerOrientation = "Portrait";
    }
    ~Session() {
        main.reset();
        work::closeWorkFile(app.work);
    }

    QAction* action(const char* name) const { return main->findChild<QAction*>(name); }

    // A Detail report of 120 files on A4: three pages of 52, 52 and 16 rows.
    void detailReport() {
        std::vector<QVariantList> rows;
        for (int i = 1; i <= 120; ++i)
            rows.push_back({QString("file%1.txt").arg(i), QString::number(i * 1000)});
        test::writeDetailTable(app.work, {"LONGNAME", "SIZE"}, rows);
        ReportEngine& r = app.detailReport;
        QCOMPARE(
            r.rptCreate("Detail Report", 0, 2, 120, 5, 10, "Files", "of a test", "Sizes in bytes", "ZEK"), 0);
        r.rptDefineColumn(1, report::TextType, "File Name", 3000, 0, "@", true);
        r.rptDefineColumn(2, report::TextType, "Size in bytes", 1800, 1, "#,##0", false);
        r.rptNewPage(1);
    }
    void summaryReport() {
        test::writeSummaryTable(app.work, {"LONGPATH"}, {{"/home"}});
        ReportEngine& r = app.summaryReport;
        QCOMPARE(r.rptCreate("Summary Report", 0, 1, 1, 0, 0, "", "", "", ""), 0);
        r.rptDefineColumn(1, report::TextType, "Path", 3000, 0, "@", false);
        r.rptNewPage(1);
    }

    PrintDialogAnswer allPagesTo(const QString& file) const {
        PrintDialogAnswer a;
        a.printer = Pdf;
        a.outputFile = file;
        return a;
    }
};

// The pages of a PDF file as its page objects count them.
int pdfPageCount(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith("%PDF"))
        return -1;
    return static_cast<int>(QString::fromLatin1(bytes).count(QRegularExpression("/Type\\s*/Page[^s]")));
}

} // namespace

class ReportPrintingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each Print item prints its own report and is there only while that report exists.
    void printItemsFollowTheirReports() {
        Session s;
        QVERIFY(!s.action("Menu_File_Print_Detail")->isEnabled());
        QVERIFY(!s.action("Menu_File_PrintPreview")->isEnabled());
        s.detailReport();
        QVERIFY(s.action("Menu_File_Print_Detail")->isEnabled());
        QVERIFY(!s.action("Menu_File_Print_Summary")->isEnabled());
        QVERIFY(s.action("print")->isEnabled() && s.action("Menu_File_PrintPreview")->isEnabled());
        s.summaryReport();
        QVERIFY(s.action("Menu_File_Print_Summary")->isEnabled());
        s.app.detailReport.rptClose();
        QVERIFY(!s.action("Menu_File_Print_Detail")->isEnabled());
        QVERIFY(s.action("print")->isEnabled());
    }

    // The whole report on the PDF writer: one PDF page for each report page, the grid left on the
    // last one.
    void detailReportPrintedToPdf() {
        Session s;
        s.detailReport();
        const QString file = s.env.path("detail.pdf");
        s.prompter.printAnswers = {s.allPagesTo(file)};
        s.action("Menu_File_Print_Detail")->trigger();
        QCOMPARE(s.prompter.texts(), QStringList());
        QCOMPARE(s.prompter.printRequests.at(0).caption, "Detail Report");
        QCOMPARE(pdfPageCount(file), 3);
        // ZEK_PRINT_SAMPLE=<file.pdf> keeps the printout to look at.
        if (const QString keep = qEnvironmentVariable("ZEK_PRINT_SAMPLE"); !keep.isEmpty())
            QVERIFY(QFile::copy(file, keep));
        QCOMPARE(s.app.detailReport.currentPage(), 3);
        QVERIFY(!QApplication::overrideCursor());

        // A file that cannot be written is named in a message.
        s.prompter.printAnswers = {s.allPagesTo(s.env.path("no such folder/detail.pdf"))};
        s.action("Menu_File_Print_Detail")->trigger();
        QCOMPARE(s.prompter.texts(), QStringList{"The file " + s.env.path("no such folder/detail.pdf") +
                                                 " could not be written."});
    }

    // The toolbar asks which report: Yes the Detail report, No the Summary report, Cancel none.
    void toolbarAsksWhichReport() {
        Session s;
        s.detailReport();
        s.summaryReport();
        s.prompter.messageAnswers = {platform::IdCancel, platform::IdNo};
        s.action("print")->trigger();
        QVERIFY(s.prompter.printRequests.isEmpty());
        s.action("print")->trigger();
        QCOMPARE(s.prompter.messages.size(), 2);
        QCOMPARE(s.prompter.messages.at(0).text, "Print Detail Report?");
        QCOMPARE(s.prompter.messages.at(0).title, "Print Detail or Summary Report");
        QCOMPARE(s.prompter.messages.at(0).style, platform::MbYesNoCancel | platform::MbQuestion);
        QCOMPARE(s.prompter.printRequests.size(), 1);
        QCOMPARE(s.prompter.printRequests.at(0).caption, "Summary Report");
    }

    // Print Setup chooses the program's printer: the reports made before are refused on it, and the
    // next reports are paged for its paper.
    void printSetupChangesTheProgramsPrinter() {
        Session s;
        s.detailReport();
        QCOMPARE(s.app.detailReport.rowsPerPage(), 52);
        const PrinterChoice landscape{Pdf.name, platform::LandscapeOrientation, Pdf.paper};
        s.prompter.printSetupAnswers = {landscape};
        s.action("Menu_File_PrintSetup")->trigger();
        QCOMPARE(s.prompter.printSetupRequests.at(0).name, "PDF");
        QCOMPARE(s.app.printer.orientation, platform::LandscapeOrientation);

        PrintDialogAnswer answer = s.allPagesTo(s.env.path("x.pdf"));
        answer.printer = landscape;
        s.prompter.printAnswers = {answer};
        s.action("Menu_File_Print_Detail")->trigger();
        QVERIFY(s.prompter.texts().value(0).startsWith("The printerorientation has changed from Portrait to "
                                                       "Landscape."));
        QVERIFY(!QFile::exists(s.env.path("x.pdf")));
        QVERIFY(!s.app.printerChecks.orientation);
        QCOMPARE(s.app.query.hooks.defaultPrinter().orientation, platform::LandscapeOrientation);

        s.app.detailReport.rptClose();
        s.detailReport();
        QCOMPARE(s.app.detailReport.rowsPerPage(), 31); // (11906 - 4350) / 240 = 31.48
    }

    // The preview draws every page of the report and leaves the grid on the page it showed.
    void previewShowsEveryPage() {
        Session s;
        s.detailReport();
        s.app.detailReport.rptNewPage(2);
        int previewPages = -1;
        s.prompter.dialogHandler = [&](QObject& dialog) {
            if (auto* preview = dialog.findChild<QPrintPreviewWidget*>("PreviewPages"))
                previewPages = preview->pageCount();
            // ZEK_SCREENSHOT=<file.png> keeps a picture of the preview.
            if (const QString shot = qEnvironmentVariable("ZEK_SCREENSHOT"); !shot.isEmpty()) {
                auto* window = qobject_cast<QWidget*>(&dialog);
                window->resize(900, 700);
                window->show();
                QCoreApplication::processEvents();
                window->grab().save(shot);
            }
            return 0;
        };
        s.action("Menu_File_PrintPreview")->trigger();
        QCOMPARE(s.prompter.dialogs, QStringList{"PrintPreview"});
        QCOMPARE(previewPages, 3);
        QCOMPARE(s.app.detailReport.currentPage(), 2);
    }
};

QTEST_MAIN(ReportPrintingTest)
#include "test_report_printing.moc"
