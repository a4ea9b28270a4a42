#include "report/gui/grid_clip.h"

#include "report/cell_text.h"

#include <QTableWidget>

#include <algorithm>

namespace zek {

QString gridClipText(const QTableWidget& grid, const QTableWidgetSelectionRange& range) {
    QStringList rows;
    for (int r = range.topRow(); r <= range.bottomRow(); ++r) {
        QStringList cells;
        for (int c = range.leftColumn(); c <= range.rightColumn(); ++c) {
            const QTableWidgetItem* item = grid.item(r, c);
            cells.append(item ? report::oneLineText(item->text()) : QString());
        }
        rows.append(cells.join('\t'));
    }
    return rows.join('\n');
}

std::optional<QTableWidgetSelectionRange> selectionBlock(const QTableWidget& grid) {
    const QList<QTableWidgetSelectionRange> ranges = grid.selectedRanges();
    if (!ranges.isEmpty()) {
        // The grid selects one block of cells; should it hold several, the block covering them all
        // is copied.
        int top = ranges.first().topRow(), bottom = ranges.first().bottomRow();
        int left = ranges.first().leftColumn(), right = ranges.first().rightColumn();
        for (const QTableWidgetSelectionRange& r : ranges) {
            top = std::min(top, r.topRow());
            bottom = std::max(bottom, r.bottomRow());
            left = std::min(left, r.leftColumn());
            right = std::max(right, r.rightColumn());
        }
        return QTableWidgetSelectionRange(top, left, bottom, right);
    }
    if (grid.currentRow() >= 0 && grid.currentColumn() >= 0)
        return QTableWidgetSelectionRange(grid.currentRow(), grid.currentColumn(), grid.currentRow(),
                                          grid.currentColumn());
    return std::nullopt;
}

std::optional<QTableWidgetSelectionRange> pageBlock(const QTableWidget& grid) {
    // The headings are the grid's header, not a row of cells.
    if (grid.rowCount() == 0 || grid.columnCount() == 0)
        return std::nullopt;
    return QTableWidgetSelectionRange(0, 0, grid.rowCount() - 1, grid.columnCount() - 1);
}

} // namespace zek
