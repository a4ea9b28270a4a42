// Paging a report viewer: the navigation bar's four moves and the page typed in the page box.
#pragma once

#include <QString>

#include <optional>

namespace zek::report {

enum class PageMove { First, Previous, Next, Last };

inline const QString InvalidPageEntryText = QStringLiteral("Invalid page number entered.");
// "Please specify a page number between 1 and <page count>."
QString pageRangeText(int pageCount);

// The page a move leads to, or nothing when the move is not possible (first or previous on page 1,
// next or last on the last page): the viewer beeps instead.
std::optional<int> pageAfterMove(PageMove move, int currentPage, int pageCount);

// A page typed in the page box: the page to show (a number taken to the nearest whole one, halves to
// even), or the message that refuses it.
struct PageEntry {
    int page = 0; // 0 when refused
    QString message;
};
PageEntry pageFromEntry(const QString& text, int pageCount);

} // namespace zek::report
