// A report as plain text: the cells as the viewer shows them, a heading line of the column headings,
// then one line per report row, over all pages, the columns padded to a common width.
#pragma once

#include "report/report_engine.h"
#include "report/report_export.h"

#include <QStringList>

#include <vector>

class QIODevice;

namespace zek::report {

// Characters a column of this width in twips takes at least: one per 120 twips, the pitch of the
// print font's characters, rounded.
int textColumnChars(int widthTwips);

struct TextColumn {
    QString heading;
    int width = 0;     // characters
    int alignment = 0; // 0 left, 1 right, 2 centre
};

// One line: each cell padded to its column's width as the column aligns, two blanks between
// columns, no blanks at the end. A cell longer than its column is written whole. Control characters
// and line separators of a cell are written as their pictures (a tab as U+2409, a line feed as
// U+240A), so the line stays one line.
QString textLine(const std::vector<TextColumn>& columns, const QStringList& cells);

// Every page of the report the engine holds, from page 1. A column is as wide as its width in
// twips gives, its heading, or its longest cell, whichever is widest: no cell is cut. Leaves the
// engine on its last page.
void writeReportText(QIODevice& out, ReportEngine& engine, const PageProgress& progress = {});

} // namespace zek::report
