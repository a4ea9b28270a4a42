// One report page on paper: what is printed (the page the engine shows, its titles and columns) and
// the fixed layout it is printed in: date and page number, two titles, the framed and ruled table
// with its shadow, two footnotes. All positions are twips from the
// corner of the printable area, as printers place them; the width and height are the whole paper's.
#pragma once

#include "report/report_engine.h"

#include <QSizeF>
#include <QString>
#include <QStringList>

#include <vector>

class QPageLayout;
class QPainter;

namespace zek::report {

class PageCanvas;

struct PrintedColumn {
    QString heading;
    int width = 0;     // twips
    int alignment = 0; // 0 left, 1 right, 2 centre
    bool verticalRule = false;
};

struct PrintedPage {
    ReportKind kind = ReportKind::Detail; // Detail and Summary fit cells differently
    double width = 0, height = 0;         // the paper in twips
    QString dateText;                     // today's date, "long date", given by the caller
    int pageNumber = 0;
    TitleLines titles;
    std::vector<PrintedColumn> columns;
    std::vector<QStringList> rows; // grid rows 1..rows per page; the rows from the first one whose
                                   // first cell is empty are not printed
    int thinRuleInterval = NoRule, thickRuleInterval = NoRule;
    QString fontFamily; // the print font; empty for the device's default
};

// The page the engine shows now, on paper of the given size in twips.
PrintedPage printedPageOf(const ReportEngine& engine, QSizeF paperTwips, const QString& dateText,
                          const QString& fontFamily);

// Draws one page in the fixed layout. Columns that do not fit the table's width are left out with
// their headings. Detail cells are trimmed and cut to the longest beginning narrower than the
// column; Summary cells keep their blanks and are cut character by character.
void drawReportPage(PageCanvas& canvas, const PrintedPage& page);
// The same onto an active painter.
void drawReportPage(QPainter& painter, const PrintedPage& page);

// The paper of a page layout in twips, from its size in millimetres (A4 is 11906 x 16838, Letter
// 12240 x 15840), turned for landscape.
QSizeF paperSizeTwips(const QPageLayout& layout);

} // namespace zek::report
