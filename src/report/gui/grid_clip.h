// The text a viewer's grid puts on the clipboard: its "Clip" text of a block of cells.
#pragma once

#include <QString>
#include <QTableWidgetSelectionRange>

#include <optional>

class QTableWidget;

namespace zek {

// Cells separated by tabs, rows by line ends; a cell without an item is empty. A tab or line end
// inside a cell is written as its picture (report::oneLineText), so the block keeps its shape.
QString gridClipText(const QTableWidget& grid, const QTableWidgetSelectionRange& range);

// The block Copy Selection takes: the one block that covers the selected cells, else the current
// cell; nothing when the grid has neither.
std::optional<QTableWidgetSelectionRange> selectionBlock(const QTableWidget& grid);

// Every cell of the grid: its data rows (all rows below the header) of all columns; nothing when the
// grid has no cells.
std::optional<QTableWidgetSelectionRange> pageBlock(const QTableWidget& grid);

} // namespace zek
