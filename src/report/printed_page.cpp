#include "report/printed_page.h"

#include "platform/printer_choice.h"
#include "report/page_canvas.h"

#include <QPageLayout>
#include <QPainter>

#include <cmath>

namespace zek::report {

namespace {

// The fixed layout, in twips.
constexpr double HeaderTextLeft = 550; // date and footnotes
constexpr double HeaderTextTop = 380;  // date and page number
constexpr double PageNumberRightGap = 1300;
constexpr double Title1Top = 620;
constexpr double Title2Top = 1100;
constexpr double Footnote1FromBottom = 1600;
constexpr double Footnote2FromBottom = 1200;
constexpr double TitleShiftLeft = 400; // titles and table sit this much left of the paper's centre
constexpr double TableSideRoom = 900;  // a wider table is cut to the paper width less this
constexpr double NarrowTableLeft = 400;
constexpr double TableTop = 1750;
constexpr double ShadowWidth = 35;
constexpr double CellTextGap = 30; // from a cell's top to its text
constexpr double CellInset = RuleHeight;
constexpr double CellEndRoom = 30; // kept free before the rule on a cell's right
constexpr double RowStep = RowPitch + RuleHeight;

constexpr int ThinLine = 1;
constexpr int ThickLine = 3;

constexpr double DateSize = 9, Title1Size = 16, Title2Size = 12, FootnoteSize = 9, TableSize = 8.25;

// The rows printed: those before the first row whose first cell is empty.
int printedRowCount(const PrintedPage& page) {
    int count = 0;
    for (const QStringList& row : page.rows) {
        if (row.value(0).isEmpty())
            break;
        ++count;
    }
    return count;
}

bool isMultiple(int row, int interval) {
    return interval > 0 && row % interval == 0;
}

// The number of characters (code units, pairs kept whole) of the longest beginning of `text` that
// is narrower than `width`.
qsizetype longestBeginningNarrowerThan(const PageCanvas& canvas, const QString& text, double width) {
    qsizetype low = 0, high = text.size();
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (canvas.textWidth(text.left(mid)) < width)
            low = mid;
        else
            high = mid - 1;
    }
    if (low > 0 && text.at(low - 1).isHighSurrogate())
        --low;
    return low;
}

// A Summary cell that does not fit aligned: its characters one by one from the cell's start, while
// they end in the room.
qsizetype summaryCharactersThatFit(const PageCanvas& canvas, const QString& text, double room) {
    double position = 0;
    qsizetype count = 0;
    while (count < text.size()) {
        const qsizetype length = text.at(count).isHighSurrogate() && count + 1 < text.size() ? 2 : 1;
        position += canvas.textWidth(text.mid(count, length));
        if (position > room)
            break;
        count += length;
    }
    return count;
}

double alignedLeft(double x, double width, double textWidth, int alignment) {
    switch (alignment) {
    case 1:
        return x + width - CellEndRoom - textWidth;
    case 2:
        return x + (width - textWidth) / 2;
    default:
        return x + CellInset;
    }
}

// A cell's text keeps clear of the rules on both sides. Its room runs from the cell's start x, an
// inset right of the rule on the left, to the end room before the rule on the right; a right-aligned
// text ends there, as far from its rule as a left-aligned one starts from the other. A text that
// stays in the room where its alignment puts it is printed there; any other is printed from x, cut
// to the room.
void drawCell(PageCanvas& canvas, ReportKind kind, double x, double top, const QString& cell,
              const PrintedColumn& column) {
    const QString text = kind == ReportKind::Detail ? cell.trimmed() : cell;
    if (text.isEmpty())
        return;
    const double room = column.width - CellEndRoom;
    const double width = canvas.textWidth(text);
    const double left = alignedLeft(x, column.width, width, column.alignment);
    if (left >= x && left + width <= x + room) {
        canvas.drawText(left, top, text);
        return;
    }
    const qsizetype fits = kind == ReportKind::Detail ? longestBeginningNarrowerThan(canvas, text, room)
                                                      : summaryCharactersThatFit(canvas, text, room);
    if (fits > 0)
        canvas.drawText(x, top, text.left(fits));
}

// A heading word by word, one word a line, while the lines end above the rule under the heading
// row: three lines of a table font fit. A word wider than its column is cut so that it does not run
// into the next heading.
void drawHeading(PageCanvas& canvas, double x, double top, const PrintedColumn& column) {
    const QStringList words = column.heading.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const double lineHeight = canvas.textHeight();
    const double room = column.width - CellInset - CellEndRoom;
    double y = top + CellTextGap;
    for (const QString& word : words) {
        if (y + lineHeight > top + HeaderHeight + RuleHeight)
            break;
        const qsizetype fits = longestBeginningNarrowerThan(canvas, word, room);
        if (fits > 0)
            canvas.drawText(x + CellInset, y, word.left(fits));
        y += lineHeight;
    }
}

void drawText(PageCanvas& canvas, double x, double top, const QString& text) {
    if (!text.isEmpty())
        canvas.drawText(x, top, text);
}

void drawCentred(PageCanvas& canvas, double paperWidth, double top, const QString& text) {
    drawText(canvas, (paperWidth - canvas.textWidth(text)) / 2 - TitleShiftLeft, top, text);
}

} // namespace

PrintedPage printedPageOf(const ReportEngine& engine, QSizeF paperTwips, const QString& dateText,
                          const QString& fontFamily) {
    PrintedPage page;
    page.kind = engine.kind();
    page.width = paperTwips.width();
    page.height = paperTwips.height();
    page.dateText = dateText;
    page.pageNumber = engine.page().number;
    page.titles = engine.titleLines();
    for (int c = 1; c <= engine.columnCount(); ++c) {
        const ColumnDefinition& def = engine.column(c);
        page.columns.push_back(
            PrintedColumn{engine.headings().value(c - 1), def.width, def.alignment, def.verticalRule});
    }
    page.rows = engine.page().rows;
    page.thinRuleInterval = engine.thinRuleInterval();
    page.thickRuleInterval = engine.thickRuleInterval();
    page.fontFamily = fontFamily;
    return page;
}

void drawReportPage(PageCanvas& canvas, const PrintedPage& page) {
    const double paperWidth = page.width;
    const int rows = printedRowCount(page);
    const double tableHeight = HeaderHeight + RuleHeight + rows * RowStep;
    double tableWidth = 0;
    for (const PrintedColumn& column : page.columns)
        tableWidth += column.width + CellInset;
    if (tableWidth + TableSideRoom >= paperWidth)
        tableWidth = paperWidth - TableSideRoom;
    const auto font = [&page](double size, bool bold) { return CanvasFont{size, bold, page.fontFamily}; };

    canvas.setFont(font(DateSize, false));
    drawText(canvas, HeaderTextLeft, HeaderTextTop, page.dateText);
    const QString number = QString::number(page.pageNumber);
    drawText(canvas, paperWidth - canvas.textWidth(number) - PageNumberRightGap, HeaderTextTop, number);

    canvas.setFont(font(Title1Size, true));
    drawCentred(canvas, paperWidth, Title1Top, page.titles.title1);
    canvas.setFont(font(Title2Size, false));
    drawCentred(canvas, paperWidth, Title2Top, page.titles.title2);

    canvas.setFont(font(FootnoteSize, false));
    drawText(canvas, HeaderTextLeft, page.height - Footnote1FromBottom, page.titles.footnote1);
    drawText(canvas, HeaderTextLeft, page.height - Footnote2FromBottom, page.titles.footnote2);

    const double x0 = paperWidth - tableWidth > 800
                          ? std::floor((paperWidth - tableWidth) / 2 - TitleShiftLeft)
                          : NarrowTableLeft;
    const double y0 = TableTop;
    const double right = x0 + tableWidth;
    const double bottom = y0 + tableHeight;

    canvas.drawBox(x0, y0, right, bottom, ThickLine, false);
    canvas.drawBox(right, y0 + ShadowWidth, right + ShadowWidth, bottom + ShadowWidth, ThinLine, true);
    canvas.drawBox(x0 + ShadowWidth, bottom, right + ShadowWidth, bottom + ShadowWidth, ThinLine, true);

    // Headings, and with them the columns that fit inside the frame.
    canvas.setFont(font(TableSize, true));
    size_t shown = 0;
    double edge = x0;
    for (; shown < page.columns.size(); ++shown) {
        const PrintedColumn& column = page.columns[shown];
        const double left = edge;
        edge += column.width + CellInset;
        if (edge > right)
            break;
        const bool nextFits =
            shown + 1 < page.columns.size() && edge + page.columns[shown + 1].width + CellInset <= right;
        if (column.verticalRule && nextFits)
            canvas.drawLine(edge, y0, edge, bottom, ThinLine);
        drawHeading(canvas, left + CellInset, y0, column);
    }

    canvas.setFont(font(TableSize, false));
    double y = y0 + HeaderHeight + RuleHeight;
    canvas.drawLine(x0, y, right, y, ThickLine);
    for (int r = 1; r <= rows; ++r) {
        y += RowStep;
        if (isMultiple(r, page.thickRuleInterval))
            canvas.drawLine(x0, y, right, y, ThickLine);
        else if (isMultiple(r, page.thinRuleInterval))
            canvas.drawLine(x0, y, right, y, ThinLine);
        const QStringList& cells = page.rows[static_cast<size_t>(r - 1)];
        double x = x0 + CellInset;
        for (size_t c = 0; c < shown; ++c) {
            drawCell(canvas, page.kind, x, y - RowPitch + CellTextGap, cells.value(static_cast<qsizetype>(c)),
                     page.columns[c]);
            x += page.columns[c].width + CellInset;
        }
    }
}

void drawReportPage(QPainter& painter, const PrintedPage& page) {
    PainterCanvas canvas(painter);
    drawReportPage(canvas, page);
}

QSizeF paperSizeTwips(const QPageLayout& layout) {
    const int orientation = layout.orientation() == QPageLayout::Landscape ? platform::LandscapeOrientation
                                                                           : platform::PortraitOrientation;
    return platform::paperSizeTwips(platform::PrinterChoice{QString(), orientation, layout.pageSize()});
}

} // namespace zek::report
