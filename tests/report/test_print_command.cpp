// Printing a report: the printer checks and their messages, the print font, the pages a print
// dialog's answer asks for, and the whole command onto a recorded print job.
#include "report/print_command.h"
#include "support/report_tables.h"
#include "support/scripted_prompter.h"
#include "support/test_env.h"
#include "work/work_file.h"

#include <QtTest>

using namespace zek;
using namespace zek::report;
using platform::PrintDialogAnswer;
using platform::PrinterChoice;
using platform::PrintRange;

Q_DECLARE_METATYPE(platform::PrintRange)

namespace {

// Records the texts each page was given; a page can be made to fail.
class RecordingCanvas : public PageCanvas {
public:
    QStringList texts;
    void setFont(const CanvasFont&) override {}
    double textWidth(const QString& text) const override { return 100.0 * text.size(); }
    double textHeight() const override { return 200; }
    void drawText(double, double, const QString& text) override { texts.append(text); }
    void drawLine(double, double, double, double, int) override {}
    void drawBox(double, double, double, double, int, bool) override {}
};

// What a print job was given; kept by the test, since the job ends with the command.
struct JobRecord {
    std::vector<std::unique_ptr<RecordingCanvas>> pages;
    bool finished = false;

    // The page number each printed page carries (the text drawn second, after the date).
    QStringList pageNumbers() const {
        QStringList numbers;
        for (const auto& page : pages)
            numbers.append(page->texts.value(1));
        return numbers;
    }
};

class RecordingOutput : public PageOutput {
public:
    RecordingOutput(JobRecord& record, int failAtPage) : m_record(record), m_failAtPage(failAtPage) {}

    QSizeF paperTwips() const override { return {12240, 15840}; }
    PageCanvas* nextPage() override {
        if (m_failAtPage == static_cast<int>(m_record.pages.size()) + 1)
            return nullptr;
        m_record.pages.push_back(std::make_unique<RecordingCanvas>());
        return m_record.pages.back().get();
    }
    bool finish() override {
        m_record.finished = true;
        return m_failAtPage == 0;
    }
    QString error() const override { return "The printer Office could not start printing."; }

private:
    JobRecord& m_record;
    int m_failAtPage = 0; // 1-based; 0 never
};

int heightFor(int rowsPerPage) {
    return PageMargins + HeaderHeight + rowsPerPage * (RowPitch + RuleHeight);
}

const PrinterChoice Office{"Office", platform::PortraitOrientation, QPageSize(QPageSize::Letter)};

struct Session {
    test::TestEnvironment env;
    test::ScriptedPrompter prompter;
    work::WorkState ws;
    ReportEngine detail{ReportKind::Detail, ws};
    PrinterChoice printer = Office;
    PrinterCheckFlags flags;
    JobRecord job;                             // the last job opened
    QList<std::pair<QString, QString>> opened; // printer name and file of each job
    QStringList statusShown;

    Session() {
        ws.workDirectory = env.workDirectory();
        QString name;
        work::openWorkFile(ws, "INIT", name);
        // Five files, two a page: three pages.
        test::writeDetailTable(ws, {"LONGNAME"}, {{"a"}, {"b"}, {"c"}, {"d"}, {"e"}});
        detail.pageHeight = [] { return heightFor(2); };
        detail.rptCreate("Detail Report", 0, 1, 5, 0, 0, "Files", "", "", "");
        detail.rptDefineColumn(1, TextType, "Name", 2000, 0, "@", false);
        detail.rptNewPage(1);
        QObject::connect(&detail, &ReportEngine::statusChanged, [this] {
            if (detail.statusVisible())
                statusShown.append(detail.statusText());
        });
        prompter.clear();
    }
    ~Session() { work::closeWorkFile(ws); }

    PrintContext context(int failAtPage = 0) {
        PrintContext c;
        c.currentPrinter = &printer;
        c.reportPrinter = "Office";
        c.reportOrientation = "Portrait";
        c.flags = &flags;
        c.dateText = "Wednesday, December 9, 2026";
        c.outputFolder = env.workDirectory();
        c.fontFamilies = [] { return QStringList{"DejaVu Sans", "Courier New"}; };
        c.openOutput = [this, failAtPage](const PrinterChoice& p, const QString& file, QString&) {
            opened.append({p.name, file});
            job = JobRecord();
            return std::unique_ptr<PageOutput>(std::make_unique<RecordingOutput>(job, failAtPage));
        };
        return c;
    }

    void print(const std::optional<PrintDialogAnswer>& answer, int failAtPage = 0) {
        prompter.printAnswers.push_back(answer);
        PrintContext c = context(failAtPage);
        runPrintCommand(detail, c);
    }
};

PrintDialogAnswer answer(PrintRange range, int from = 1, int to = 1, int copies = 1,
                         const PrinterChoice& printer = Office) {
    PrintDialogAnswer a;
    a.range = range;
    a.fromPage = from;
    a.toPage = to;
    a.copies = copies;
    a.printer = printer;
    return a;
}

} // namespace

class PrintCommandTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void printerChecks_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("passes");
        QTest::addColumn<bool>("nameFlag");
        QTest::addColumn<bool>("orientationFlag");
        QTest::addColumn<QString>("message");
        QTest::newRow("unchanged") << "Office" << 1 << true << true << true << QString();
        QTest::newRow("another printer")
            << "PDF" << 1 << false << false << false
            << "The defaultprinter has changed from Office to PDF.\r\nYou can change the default printer "
               "back to "
               "Office or have ZEK to recalculate your reports by going back to the 'Drive and Directory "
               "Selection' window and press the START button.";
        QTest::newRow("turned to landscape") << "Office" << 2 << false << true << false
                                             << "The printerorientation has changed from Portrait to "
                                                "Landscape.You can change the printerorientation "
                                                "back to Portrait or have ZEK to recalculate your reports by "
                                                "going back to 'Drive and Directory "
                                                "Selection' window and press START.";
    }
    void printerChecks() {
        QFETCH(QString, name);
        QFETCH(int, orientation);
        test::ScriptedPrompter prompter;
        // Flags as a print command that failed before left them: each is set again when found unchanged.
        PrinterCheckFlags flags{false, false};
        const bool passes = checkReportPrinter(
            "Office", "Portrait", PrinterChoice{name, orientation, QPageSize(QPageSize::A4)}, flags);
        QTEST(passes, "passes");
        QTEST(flags.name, "nameFlag");
        QTEST(flags.orientation, "orientationFlag");
        QFETCH(QString, message);
        QCOMPARE(prompter.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty())
            QCOMPARE(prompter.messages.at(0).title, QString("ZEK"));
    }

    void printFont() {
        QCOMPARE(choosePrintFont({"DejaVu Sans", "Courier New", "Liberation Mono"}), "Courier New");
        QCOMPARE(choosePrintFont({"courier  NEW"}), "courier  NEW");
        QCOMPARE(choosePrintFont({"Courier", "Courier 10 Pitch", "DejaVu Sans Mono"}), QString());
    }

    void pagesOfAnAnswer_data() {
        QTest::addColumn<PrintRange>("range");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("copies");
        QTest::addColumn<QList<int>>("pages");
        QTest::newRow("all") << PrintRange::All << 1 << 1 << 1 << QList<int>{1, 2, 3};
        QTest::newRow("all, two copies") << PrintRange::All << 1 << 1 << 2 << QList<int>{1, 2, 3, 1, 2, 3};
        QTest::newRow("range") << PrintRange::Pages << 2 << 3 << 1 << QList<int>{2, 3};
        QTest::newRow("range past the end") << PrintRange::Pages << 2 << 9 << 1 << QList<int>{2, 3};
        QTest::newRow("selection: the page shown")
            << PrintRange::Selection << 1 << 1 << 2 << QList<int>{2, 2};
    }
    void pagesOfAnAnswer() {
        QFETCH(PrintRange, range);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, copies);
        QFETCH(QList<int>, pages);
        const std::vector<int> got = pagesToPrint(answer(range, from, to, copies), 2, 3);
        QCOMPARE(QList<int>(got.begin(), got.end()), pages);
    }

    // The dialog is asked with the report's pages; the pages asked for are printed one after the
    // other, the status box naming each, and the grid is left on the last one.
    void printsTheRangeAsked() {
        Session s;
        s.print(answer(PrintRange::Pages, 2, 3, 2));
        QCOMPARE(s.prompter.printRequests.size(), 1);
        const platform::PrintDialogRequest& r = s.prompter.printRequests.at(0);
        QCOMPARE(r.caption, "Detail Report");
        QCOMPARE(std::tuple(r.minPage, r.maxPage, r.fromPage, r.toPage), std::tuple(1, 3, 1, 3));
        QCOMPARE(r.printer.name, "Office");
        QCOMPARE(r.pdfFile, s.env.workDirectory() + "/Detail Report.pdf");
        QVERIFY(s.job.finished);
        QCOMPARE(s.job.pageNumbers(), (QStringList{"2", "3", "2", "3"}));
        QCOMPARE(s.job.pages.at(0)->texts.at(0), "Wednesday, December 9, 2026");
        QCOMPARE(s.statusShown, (QStringList{"Printing page 2 of 3", "Printing page 3 of 3",
                                             "Printing page 2 of 3", "Printing page 3 of 3"}));
        QVERIFY(!s.detail.statusVisible());
        QCOMPARE(s.detail.currentPage(), 3);
        QVERIFY(s.prompter.messages.isEmpty());
        QVERIFY(s.flags.name && s.flags.orientation);
    }

    // Cancel, and a printer that is no longer the one the report was paged for, print nothing; the
    // printer chosen in the dialog stays the program's printer.
    void nothingPrinted() {
        {
            Session s;
            s.print(std::nullopt);
            QVERIFY(s.opened.isEmpty());
            QVERIFY(s.prompter.messages.isEmpty());
        }
        {
            Session s;
            s.print(answer(PrintRange::All, 1, 1, 1, {"Lab", 1, QPageSize(QPageSize::A4)}));
            QVERIFY(s.opened.isEmpty());
            QCOMPARE(s.printer.name, "Lab");
            QVERIFY(!s.flags.name);
            QCOMPARE(s.prompter.messages.size(), 1);
            QVERIFY(s.prompter.messages.at(0).text.startsWith(
                "The defaultprinter has changed from Office to Lab."));
            QCOMPARE(s.detail.currentPage(), 1);
        }
    }

    // The built-in PDF writer prints into a file the user names; without a name nothing is printed.
    void pdfWriterAsksForAFile() {
        Session s;
        const PrinterChoice pdf{"PDF", 1, QPageSize(QPageSize::A4)};
        s.printer = pdf;
        PrintContext c = s.context();
        c.reportPrinter = "PDF";
        s.prompter.printAnswers = {answer(PrintRange::Selection, 1, 1, 1, pdf),
                                   answer(PrintRange::Selection, 1, 1, 1, pdf)};
        s.prompter.saveAnswers = {std::nullopt, s.env.path("report.pdf")};
        runPrintCommand(s.detail, c);
        QVERIFY(s.opened.isEmpty());
        runPrintCommand(s.detail, c);
        QCOMPARE(s.opened, (QList<std::pair<QString, QString>>{{"PDF", s.env.path("report.pdf")}}));
        QCOMPARE(s.job.pageNumbers(), QStringList{"1"});
        const platform::FileDialogRequest& r = s.prompter.saveRequests.at(0);
        QCOMPARE(r.fileName, "Detail Report.pdf");
        QCOMPARE(r.filter, "PDF file (*.pdf)");
        QCOMPARE(r.initialFolder, s.env.workDirectory());
    }

    // A print job that fails stops at the failing page and says so.
    void failedJobIsReported() {
        Session s;
        s.print(answer(PrintRange::All), 2);
        QCOMPARE(s.job.pageNumbers(), QStringList{"1"});
        QCOMPARE(s.prompter.texts(), QStringList{"The printer Office could not start printing."});
        QCOMPARE(s.prompter.messages.at(0).style, platform::MbCritical);
        QVERIFY(!s.detail.statusVisible());
    }
};

QTEST_MAIN(PrintCommandTest)
#include "test_print_command.moc"
