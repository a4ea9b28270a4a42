// A report page on paper: where the layout puts frame, rules, headings and cells, how cells are cut
// to their columns, what the painter canvas measures and draws on real devices, and a PDF written
// end to end. ZEK_PRINT_SAMPLE=<file.pdf> also writes a Detail and a Summary sample page to look at.
#include "report/page_canvas.h"
#include "report/printed_page.h"
#include "support/report_tables.h"
#include "support/scripted_prompter.h"
#include "support/test_env.h"
#include "work/work_file.h"

#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QtTest>

#include <map>

using namespace zek;
using namespace zek::report;

Q_DECLARE_METATYPE(zek::report::ReportKind)

namespace {

// Records what the layout draws; every character is 100 twips wide and a line 180 twips high unless
// told otherwise.
class RecordingCanvas : public PageCanvas {
public:
    struct Text {
        double x, top;
        QString text;
        double size;
        bool bold;
    };
    struct Line {
        double x1, y1, x2, y2;
        int width;
    };
    struct Box {
        double x1, y1, x2, y2;
        int width;
        bool filled;
    };

    void setFont(const CanvasFont& font) override { m_font = font; }
    double textWidth(const QString& text) const override { return 100.0 * text.size(); }
    double textHeight() const override { return lineHeight; }
    void drawText(double x, double top, const QString& text) override {
        texts.push_back({x, top, text, m_font.pointSize, m_font.bold});
    }
    void drawLine(double x1, double y1, double x2, double y2, int lineWidth) override {
        lines.push_back({x1, y1, x2, y2, lineWidth});
    }
    void drawBox(double x1, double y1, double x2, double y2, int lineWidth, bool filled) override {
        boxes.push_back({x1, y1, x2, y2, lineWidth, filled});
    }

    const Text* find(const QString& text) const {
        for (const Text& t : texts)
            if (t.text == text)
                return &t;
        return nullptr;
    }
    // Horizontal lines by their height on the page: line width.
    std::map<double, int> horizontalLines() const {
        std::map<double, int> found;
        for (const Line& l : lines)
            if (l.y1 == l.y2)
                found[l.y1] = l.width;
        return found;
    }
    std::vector<double> verticalLines() const {
        std::vector<double> found;
        for (const Line& l : lines)
            if (l.x1 == l.x2)
                found.push_back(l.x1);
        return found;
    }

    double lineHeight = 180;
    std::vector<Text> texts;
    std::vector<Line> lines;
    std::vector<Box> boxes;

private:
    CanvasFont m_font;
};

constexpr double Letter = 12240, LetterHeight = 15840;
constexpr double TableTop = 1750, FirstRule = TableTop + 615;

// A Letter page with headings "H1", "H2", ... and cells "r<row>c<column>".
PrintedPage pageOf(const std::vector<int>& widths, int rows) {
    PrintedPage page;
    page.width = Letter;
    page.height = LetterHeight;
    for (size_t c = 0; c < widths.size(); ++c)
        page.columns.push_back(PrintedColumn{"H" + QString::number(c + 1), widths[c], 0, true});
    for (int r = 1; r <= rows; ++r) {
        QStringList cells;
        for (size_t c = 1; c <= widths.size(); ++c)
            cells << "r" + QString::number(r) + "c" + QString::number(c);
        page.rows.push_back(cells);
    }
    return page;
}

RecordingCanvas drawn(const PrintedPage& page, double lineHeight = 180) {
    RecordingCanvas canvas;
    canvas.lineHeight = lineHeight;
    drawReportPage(canvas, page);
    return canvas;
}

// The number of dark pixel rows in one pixel column of an image, and the first of them.
std::pair<int, int> darkRows(const QImage& image, int x) {
    int count = 0, first = -1;
    for (int y = 0; y < image.height(); ++y)
        if (qGray(image.pixel(x, y)) < 128) {
            ++count;
            if (first < 0)
                first = y;
        }
    return {count, first};
}

QImage whiteImage(int dpi, int widthTwips, int heightTwips) {
    QImage image(widthTwips * dpi / 1440, heightTwips * dpi / 1440, QImage::Format_RGB32);
    image.setDotsPerMeterX(static_cast<int>(dpi / 0.0254 + 0.5));
    image.setDotsPerMeterY(static_cast<int>(dpi / 0.0254 + 0.5));
    image.fill(Qt::white);
    return image;
}

} // namespace

class PrintedPageTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Left edge and width of the table, from the frame; the rules and shadow follow the frame.
    void tablePlacement_data() {
        QTest::addColumn<std::vector<int>>("widths");
        QTest::addColumn<double>("paperWidth");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("width");
        QTest::newRow("10000 on Letter")
            << std::vector<int>{2485, 2485, 2485, 2485} << Letter << 720.0 << 10000.0;
        QTest::newRow("half twip dropped") << std::vector<int>{9984} << Letter << 720.0 << 9999.0;
        QTest::newRow("landscape") << std::vector<int>{2985, 2985} << 15840.0 << 4520.0 << 6000.0;
        QTest::newRow("just narrower than the room") << std::vector<int>{11324} << Letter << 50.0 << 11339.0;
        QTest::newRow("exactly the room is cut") << std::vector<int>{11325} << Letter << 50.0 << 11340.0;
        QTest::newRow("wider is cut")
            << std::vector<int>{3000, 3000, 3000, 3000} << Letter << 50.0 << 11340.0;
    }
    void tablePlacement() {
        QFETCH(std::vector<int>, widths);
        QFETCH(double, paperWidth);
        QFETCH(double, left);
        QFETCH(double, width);
        PrintedPage page = pageOf(widths, 3);
        page.width = paperWidth;
        const RecordingCanvas canvas = drawn(page);
        const double bottom = TableTop + 615 + 3 * 240;

        QCOMPARE(canvas.boxes.size(), size_t(3));
        const RecordingCanvas::Box& frame = canvas.boxes[0];
        QCOMPARE(frame.x1, left);
        QCOMPARE(frame.y1, TableTop);
        QCOMPARE(frame.x2, left + width);
        QCOMPARE(frame.y2, bottom);
        QCOMPARE(frame.width, 3);
        QVERIFY(!frame.filled);
        // The shadow: right side and bottom, 35 twips, filled.
        const RecordingCanvas::Box& side = canvas.boxes[1];
        const RecordingCanvas::Box& foot = canvas.boxes[2];
        QVERIFY(side.filled && foot.filled && side.width == 1 && foot.width == 1);
        QCOMPARE((std::vector<double>{side.x1, side.y1, side.x2, side.y2}),
                 (std::vector<double>{left + width, TableTop + 35, left + width + 35, bottom + 35}));
        QCOMPARE((std::vector<double>{foot.x1, foot.y1, foot.x2, foot.y2}),
                 (std::vector<double>{left + 35, bottom, left + width + 35, bottom + 35}));
        // Rules across run from frame to frame.
        for (const RecordingCanvas::Line& line : canvas.lines)
            if (line.y1 == line.y2) {
                QCOMPARE(line.x1, left);
                QCOMPARE(line.x2, left + width);
            }
    }

    void columnsBeyondTheFrameAreLeftOut() {
        // Cut to 11340 from x0 = 50: column edges 3065, 6080, 9095, then 12110 beyond 11390.
        const RecordingCanvas canvas = drawn(pageOf({3000, 3000, 3000, 3000, 3000}, 2));
        for (const char* shown : {"H1", "H2", "H3", "r1c1", "r1c3", "r2c3"})
            QVERIFY2(canvas.find(shown), shown);
        for (const char* missing : {"H4", "H5", "r1c4", "r2c5"})
            QVERIFY2(!canvas.find(missing), missing);
        // A rule follows a column only when the next one is printed too.
        QCOMPARE(canvas.verticalLines(), (std::vector<double>{3065, 6080}));
        for (const RecordingCanvas::Line& line : canvas.lines)
            if (line.x1 == line.x2) {
                QCOMPARE(line.y1, TableTop);
                QCOMPARE(line.y2, FirstRule + 2 * 240);
                QCOMPARE(line.width, 1);
            }

        // Rules only where asked for.
        PrintedPage page = pageOf({1000, 1000, 1000}, 2);
        page.columns[0].verticalRule = false;
        const double x0 = std::floor((Letter - 3045) / 2 - 400);
        QCOMPARE(drawn(page).verticalLines(), (std::vector<double>{x0 + 2030}));
    }

    void rulesEveryFewRows_data() {
        QTest::addColumn<int>("thin");
        QTest::addColumn<int>("thick");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<int>>("thinRows");
        QTest::addColumn<QList<int>>("thickRows");
        QTest::newRow("thin 5, thick 10") << 5 << 10 << 30 << QList<int>{5, 15, 25} << QList<int>{10, 20, 30};
        QTest::newRow("no rules") << int(NoRule) << int(NoRule) << 30 << QList<int>{} << QList<int>{};
        QTest::newRow("thick wins") << 3 << 3 << 10 << QList<int>{} << QList<int>{3, 6, 9};
        QTest::newRow("zero is none") << 0 << 4 << 9 << QList<int>{} << QList<int>{4, 8};
    }
    void rulesEveryFewRows() {
        QFETCH(int, thin);
        QFETCH(int, thick);
        QFETCH(int, rows);
        QFETCH(QList<int>, thinRows);
        QFETCH(QList<int>, thickRows);
        PrintedPage page = pageOf({2000, 2000}, rows);
        page.thinRuleInterval = thin;
        page.thickRuleInterval = thick;
        std::map<double, int> expected{{FirstRule, 3}}; // under the headings
        for (int r : thinRows)
            expected[FirstRule + 240 * r] = 1;
        for (int r : thickRows)
            expected[FirstRule + 240 * r] = 3;
        QCOMPARE(drawn(page).horizontalLines(), expected);
    }

    void emptyFirstCellEndsThePage() {
        PrintedPage page = pageOf({2000, 2000}, 10);
        page.thinRuleInterval = 1;
        for (int r = 7; r <= 10; ++r)
            page.rows[size_t(r - 1)][0].clear();
        page.rows[7][0] = "r8c1"; // a row after the first empty one is not printed either
        const RecordingCanvas canvas = drawn(page);
        QCOMPARE(canvas.boxes[0].y2, FirstRule + 6 * 240);
        QVERIFY(canvas.find("r6c2"));
        QVERIFY(!canvas.find("r7c2"));
        QVERIFY(!canvas.find("r8c1"));
        QCOMPARE(canvas.horizontalLines().rbegin()->first, FirstRule + 6 * 240);

        // A page of empty rows is a heading row in its frame.
        for (QStringList& row : page.rows)
            row[0].clear();
        QCOMPARE(drawn(page).boxes[0].y2, FirstRule);
    }

    void headingsWordByWord_data() {
        QTest::addColumn<QString>("heading");
        QTest::addColumn<double>("lineHeight");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("three words") << "Size in bytes" << 180.0 << QStringList{"Size", "in", "bytes"};
        QTest::newRow("blanks around and between")
            << "  Last   access date " << 180.0 << QStringList{"Last", "access", "date"};
        QTest::newRow("fourth word has no room")
            << "one two three four" << 180.0 << QStringList{"one", "two", "three"};
        QTest::newRow("third line ends on the rule")
            << "Size in bytes" << 195.0 << QStringList{"Size", "in", "bytes"};
        QTest::newRow("third line would cross the rule")
            << "Size in bytes" << 196.0 << QStringList{"Size", "in"};
        QTest::newRow("word wider than the column")
            << "Extraordinarily long" << 180.0 << QStringList{"Extraordi", "long"};
        QTest::newRow("blank") << "   " << 180.0 << QStringList{};
    }
    void headingsWordByWord() {
        QFETCH(QString, heading);
        QFETCH(double, lineHeight);
        QFETCH(QStringList, lines);
        PrintedPage page = pageOf({1000}, 1);
        page.columns[0].heading = heading;
        const RecordingCanvas canvas = drawn(page, lineHeight);
        const double x0 = std::floor((Letter - 1015) / 2 - 400);
        QStringList printed;
        for (const RecordingCanvas::Text& t : canvas.texts) {
            if (t.top < TableTop || t.top >= FirstRule)
                continue;
            printed << t.text;
            QCOMPARE(t.x, x0 + 30);
            QCOMPARE(t.top, TableTop + 30 + lineHeight * (printed.size() - 1));
            QVERIFY(t.bold);
            QCOMPARE(t.size, 8.25);
        }
        QCOMPARE(printed, lines);
    }

    // One cell in a column of its own; x is the cell's offset from where the cell starts (x0 + 15).
    void cellsFitTheirColumn_data() {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<double>("x");
        QTest::addColumn<QString>("printed");
        const ReportKind D = ReportKind::Detail, S = ReportKind::Summary;
        QTest::newRow("detail left, trimmed") << D << "  abc  " << 1000 << 0 << 15.0 << "abc";
        QTest::newRow("detail right") << D << "abc " << 1000 << 1 << 670.0 << "abc";
        QTest::newRow("detail centre") << D << "abc" << 1000 << 2 << 350.0 << "abc";
        QTest::newRow("unknown alignment is left") << D << "abc" << 1000 << 7 << 15.0 << "abc";
        QTest::newRow("too tight left of the inset") << D << "abcdefghi" << 940 << 0 << 0.0 << "abcdefghi";
        QTest::newRow("just fits right") << D << "abcdefghi" << 940 << 1 << 10.0 << "abcdefghi";
        QTest::newRow("detail as wide as the room") << D << "abcdefghijk" << 1030 << 1 << 0.0 << "abcdefghi";
        QTest::newRow("detail longest beginning")
            << D << "abcdefghijklmnop" << 1050 << 0 << 0.0 << "abcdefghij";
        QTest::newRow("detail blanks only") << D << "    " << 1000 << 0 << 0.0 << "";
        QTest::newRow("summary keeps blanks, left") << S << "  abc" << 1000 << 0 << 15.0 << "  abc";
        QTest::newRow("summary keeps blanks, right") << S << "abc  " << 1000 << 1 << 470.0 << "abc  ";
        QTest::newRow("summary centre") << S << "abc" << 1000 << 2 << 350.0 << "abc";
        QTest::newRow("summary fills the room") << S << "abcdefghijkl" << 1030 << 0 << 0.0 << "abcdefghij";
        QTest::newRow("summary stops before the rule")
            << S << "abcdefghijkl" << 990 << 0 << 0.0 << "abcdefghi";
        QTest::newRow("summary too narrow for one") << S << "abc" << 90 << 0 << 0.0 << "";
    }
    void cellsFitTheirColumn() {
        QFETCH(ReportKind, kind);
        QFETCH(QString, cell);
        QFETCH(int, width);
        QFETCH(int, alignment);
        QFETCH(double, x);
        QFETCH(QString, printed);
        PrintedPage page = pageOf({width, 500}, 1);
        page.kind = kind;
        page.columns[0].alignment = alignment;
        page.rows[0][0] = cell;
        const RecordingCanvas canvas = drawn(page);
        const double x0 = std::floor((Letter - (width + 530)) / 2 - 400);
        const RecordingCanvas::Text* text = nullptr;
        for (const RecordingCanvas::Text& t : canvas.texts)
            if (t.top == FirstRule + 240 - 195 && t.x < x0 + width + 15)
                text = &t;
        if (printed.isEmpty()) {
            QVERIFY(!text);
            return;
        }
        QVERIFY(text);
        QCOMPARE(text->text, printed);
        QCOMPARE(text->x, x0 + 15 + x);
        QVERIFY(!text->bold);
        QCOMPARE(text->size, 8.25);
        // The next column's cell starts one rule after this column.
        QCOMPARE(canvas.find("r1c2")->x, x0 + 15 + width + 15 + 15);
    }

    void datePageNumberTitlesAndFootnotes() {
        PrintedPage page = pageOf({1000}, 1);
        page.dateText = "Wednesday, December 9, 2026"; // 27 characters
        page.pageNumber = 12;
        page.titles = TitleLines{"Detail Report", "All files", "foot one", "foot two"};
        const RecordingCanvas canvas = drawn(page);
        struct Expected {
            const char* text;
            double x, top, size;
            bool bold;
        };
        const Expected expected[] = {
            {"Wednesday, December 9, 2026", 550, 380, 9, false},
            {"12", Letter - 200 - 1300, 380, 9, false},
            {"Detail Report", (Letter - 1300) / 2 - 400, 620, 16, true},
            {"All files", (Letter - 900) / 2 - 400, 1100, 12, false},
            {"foot one", 550, LetterHeight - 1600, 9, false},
            {"foot two", 550, LetterHeight - 1200, 9, false},
        };
        for (const Expected& e : expected) {
            const RecordingCanvas::Text* t = canvas.find(e.text);
            QVERIFY2(t, e.text);
            QCOMPARE(t->x, e.x);
            QCOMPARE(t->top, e.top);
            QCOMPARE(t->size, e.size);
            QCOMPARE(t->bold, e.bold);
        }
    }

    void pageFromTheEngine() {
        test::TestEnvironment env;
        test::ScriptedPrompter prompter;
        work::WorkState ws;
        ws.workDirectory = env.workDirectory();
        QString name;
        work::openWorkFile(ws, "INIT", name);
        {
            ReportEngine engine(ReportKind::Summary, ws);
            engine.pageHeight = [] { return 3750 + 600 + 2 * 240; }; // two rows a page
            test::writeSummaryTable(ws, {"PATH", "SEL"}, {{"/a", "1"}, {"/b", "2"}, {"/c", QVariant()}});
            QCOMPARE(engine.rptCreate("Summary Report", 0, 2, 3, 5, 10, "t1", "t2", "f1", "f2"), 0);
            engine.rptDefineColumn(1, TextType, "Folder path", 3000, 0, "@", true);
            engine.rptDefineColumn(2, TextType, "Selected", 900, 1, "@", false);
            engine.rptNewPage(2);

            const PrintedPage page = printedPageOf(engine, QSizeF(11906, 16838), "today", "Courier New");
            QCOMPARE(page.kind, ReportKind::Summary);
            QCOMPARE(page.width, 11906.0);
            QCOMPARE(page.height, 16838.0);
            QCOMPARE(page.pageNumber, 2);
            QCOMPARE(page.dateText, "today");
            QCOMPARE(page.fontFamily, "Courier New");
            QCOMPARE(page.titles.title2, "t2");
            QCOMPARE(page.titles.footnote2, "f2");
            QCOMPARE(page.thinRuleInterval, 5);
            QCOMPARE(page.thickRuleInterval, 10);
            QCOMPARE(page.columns.size(), size_t(2));
            // The heading as given, not the kept 30 characters.
            QCOMPARE(page.columns[0].heading, "Folder path");
            QCOMPARE(page.columns[0].width, 3000);
            QVERIFY(page.columns[0].verticalRule);
            QCOMPARE(page.columns[1].alignment, 1);
            QCOMPARE(page.rows, (std::vector<QStringList>{{"/c", "---"}, {"", ""}}));
        }
        work::closeWorkFile(ws);
        QVERIFY(prompter.messages.isEmpty());
    }

    void paperSizes() {
        const QMarginsF none;
        QCOMPARE(paperSizeTwips(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, none)),
                 QSizeF(11906, 16838));
        QCOMPARE(paperSizeTwips(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, none)),
                 QSizeF(12240, 15840));
        QCOMPARE(paperSizeTwips(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Landscape, none)),
                 QSizeF(15840, 12240));
    }

    // On real devices: sizes in twips whatever the resolution, texts placed by their top, line
    // widths in printer dots but never thinner than a pixel.
    void painterCanvasOnImages() {
        double widths[2] = {0, 0};
        const int resolutions[2] = {96, 600};
        for (int i = 0; i < 2; ++i) {
            QImage image = whiteImage(resolutions[i], 2880, 2880);
            QPainter painter(&image);
            {
                PainterCanvas canvas(painter);
                canvas.setFont(CanvasFont{9, false, QString()});
                widths[i] = canvas.textWidth("Printed on paper");
                QVERIFY2(canvas.textHeight() > 180 && canvas.textHeight() < 300,
                         qPrintable(QString::number(canvas.textHeight())));
            }
            QVERIFY(painter.worldTransform().isIdentity());
        }
        QVERIFY2(std::abs(widths[0] - widths[1]) < widths[1] * 0.02,
                 qPrintable(QString("%1 %2").arg(widths[0]).arg(widths[1])));

        QImage image = whiteImage(600, 2880, 2880);
        {
            QPainter painter(&image);
            PainterCanvas canvas(painter);
            canvas.setFont(CanvasFont{20, true, QString()});
            canvas.drawText(0, 1440, "HHHH");
            canvas.drawLine(1440, 480, 2880, 480, 3);
            canvas.drawLine(1440, 960, 2880, 960, 1);
        }
        const auto [textRows, textTop] = darkRows(image, 30);
        QVERIFY(textRows > 0);
        QVERIFY2(textTop >= 600 && textTop < 600 + 100,
                 qPrintable(QString::number(textTop))); // below its top
        QCOMPARE(darkRows(image, 900).first, 3 + 1);    // 3 dots and 1 dot at 600 dots an inch

        QImage coarse = whiteImage(60, 2880, 2880);
        {
            QPainter painter(&coarse);
            PainterCanvas canvas(painter);
            canvas.drawLine(0, 480, 2880, 480, 1);
            canvas.drawBox(1440, 1440, 2160, 2160, 1, true);
        }
        QCOMPARE(darkRows(coarse, 30).first, 1);
        QCOMPARE(darkRows(coarse, 75).first, 1 + 31);
    }

    void printsToPdf() {
        QTemporaryDir dir;
        const QString path = dir.filePath("page.pdf");
        PrintedPage page = pageOf({2500, 1500, 4000}, 40);
        page.titles = TitleLines{"Detail Report", "second", "foot 1", "foot 2"};
        page.dateText = "Wednesday, December 9, 2026";
        page.pageNumber = 1;
        {
            QPdfWriter writer(path);
            writer.setPageLayout(
                QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
            QPainter painter(&writer);
            QVERIFY(painter.isActive());
            drawReportPage(painter, page);
            QVERIFY(painter.end());
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.size() > 1000);
        QVERIFY(file.read(5) == "%PDF-");
    }

    // ZEK_PRINT_SAMPLE=<file.pdf>: a Detail and a Summary page to look at.
    void samplePages() {
        const QString path = qEnvironmentVariable("ZEK_PRINT_SAMPLE");
        if (path.isEmpty())
            QSKIP("set ZEK_PRINT_SAMPLE to a PDF file to write sample pages");
        const QPageLayout layout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
        QPdfWriter writer(path);
        writer.setPageLayout(layout);
        const QString family = qEnvironmentVariable("ZEK_PRINT_SAMPLE_FONT");

        PrintedPage detail;
        detail.kind = ReportKind::Detail;
        const QSizeF paper = paperSizeTwips(layout);
        detail.width = paper.width();
        detail.height = paper.height();
        detail.dateText = "Wednesday, December 9, 2026";
        detail.pageNumber = 3;
        detail.titles = TitleLines{"Detail Report", "All files on /home", "Selected with: size > 1000",
                                   "ZEK file inventory"};
        detail.columns = {{"File name", 3200, 0, true},
                          {"Size in bytes", 1400, 1, true},
                          {"Date of last change", 1300, 2, true},
                          {"Time", 900, 2, true},
                          {"Path of the folder", 3000, 0, false}};
        detail.thinRuleInterval = 5;
        detail.thickRuleInterval = 10;
        for (int r = 1; r <= 50; ++r) {
            if (r > 46) {
                detail.rows.push_back(QStringList(5, QString()));
                continue;
            }
            detail.rows.push_back(
                {r % 7 == 0 ? "a-very-long-file-name-that-does-not-fit-" + QString::number(r) + ".txt"
                            : "file" + QString::number(r) + ".dat",
                 QString::number(r * 98765 % 100000000), "12/0" + QString::number(r % 9 + 1) + "/2026",
                 "1" + QString::number(r % 10) + ":3" + QString::number(r % 6) + ":00",
                 "/home/user/projects/zek/data/" + QString::number(r)});
        }
        detail.fontFamily = family;

        PrintedPage summary = detail;
        summary.kind = ReportKind::Summary;
        summary.pageNumber = 1;
        summary.titles = TitleLines{"Summary Report", "Per folder", "", "footnote two only"};
        summary.columns = {{"Folder", 4000, 0, true},
                           {"Files selected", 1300, 1, true},
                           {"Bytes selected", 1600, 1, true},
                           {"Share of disk %", 1200, 1, true},
                           {"Files not selected", 1400, 1, true},
                           {"Extra column", 1500, 0, true}};
        summary.thinRuleInterval = 0;
        summary.thickRuleInterval = 5;
        summary.rows.clear();
        for (int r = 1; r <= 12; ++r)
            summary.rows.push_back(
                {"/home/user/" + QString(r % 3 == 0 ? "a/rather/deep/folder/structure/" : "") +
                     QString::number(r) + "   ",
                 QString::number(r * 13), QString::number(r * 123456), "---", QString::number(r), "x"});
        summary.rows.push_back(QStringList(6, QString()));

        QPainter painter(&writer);
        drawReportPage(painter, detail);
        writer.newPage();
        drawReportPage(painter, summary);
        QVERIFY(painter.end());
    }
};

QTEST_MAIN(PrintedPageTest)
#include "test_printed_page.moc"
