#include "report/page_navigation.h"

#include <QLocale>

#include <cmath>

namespace zek::report {

QString pageRangeText(int pageCount) {
    return QStringLiteral("Please specify a page number between 1 and %1.").arg(pageCount);
}

std::optional<int> pageAfterMove(PageMove move, int currentPage, int pageCount) {
    switch (move) {
    case PageMove::First:
        if (pageCount >= 1 && currentPage != 1)
            return 1;
        break;
    case PageMove::Previous:
        if (currentPage > 1)
            return currentPage - 1;
        break;
    case PageMove::Next:
        if (currentPage < pageCount)
            return currentPage + 1;
        break;
    case PageMove::Last:
        if (pageCount >= 1 && currentPage != pageCount)
            return pageCount;
        break;
    }
    return std::nullopt;
}

PageEntry pageFromEntry(const QString& text, int pageCount) {
    bool numeric = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &numeric);
    if (!numeric || !std::isfinite(value))
        return PageEntry{0, InvalidPageEntryText};
    if (value <= 0 || value > pageCount)
        return PageEntry{0, pageRangeText(pageCount)};
    // 0.4 rounds to no page at all; that is outside the range too.
    const int page = static_cast<int>(std::nearbyint(value));
    if (page < 1)
        return PageEntry{0, pageRangeText(pageCount)};
    return PageEntry{page, QString()};
}

} // namespace zek::report
