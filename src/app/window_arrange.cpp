#include "app/window_arrange.h"

#include <algorithm>
#include <cmath>

namespace zek {

namespace {

// Splits `length` starting at `start` into `parts` spans whose sizes differ by at most one pixel.
QList<QPair<int, int>> split(int start, int length, int parts) {
    QList<QPair<int, int>> spans;
    int position = start;
    for (int i = 0; i < parts; ++i) {
        const int end = start + static_cast<int>((static_cast<long long>(length) * (i + 1)) / parts);
        spans.append({position, end - position});
        position = end;
    }
    return spans;
}

} // namespace

namespace {

QList<QRect> tileInGroups(const QRect& area, int count, int groups, TileOrientation orientation) {
    QList<QRect> rects;
    const bool horizontal = orientation == TileOrientation::Horizontal;
    // Groups are columns (Horizontal) or rows (Vertical); the later groups take the windows left
    // over, as the classic arrangement did.
    const auto groupSpans =
        horizontal ? split(area.left(), area.width(), groups) : split(area.top(), area.height(), groups);
    const int base = count / groups;
    const int extra = count % groups;
    for (int g = 0; g < groups; ++g) {
        const int inGroup = base + (g >= groups - extra ? 1 : 0);
        const auto spans = horizontal ? split(area.top(), area.height(), inGroup)
                                      : split(area.left(), area.width(), inGroup);
        for (const auto& span : spans) {
            if (horizontal)
                rects.append(QRect(groupSpans[g].first, span.first, groupSpans[g].second, span.second));
            else
                rects.append(QRect(span.first, groupSpans[g].first, span.second, groupSpans[g].second));
        }
    }
    return rects;
}

// The arrangement in `groups` groups with every window grown to its smallest size; the windows after
// a grown one move along, past the area's edge if need be, where the area's scroll bars reach them.
QList<QRect> tileGrownToMinimums(const QRect& area, const QList<QSize>& minimums, int groups,
                                 TileOrientation orientation) {
    QList<QRect> rects;
    const bool horizontal = orientation == TileOrientation::Horizontal;
    const int count = static_cast<int>(minimums.size());
    const auto groupSpans =
        horizontal ? split(area.left(), area.width(), groups) : split(area.top(), area.height(), groups);
    const int base = count / groups;
    const int extra = count % groups;
    int index = 0;
    int groupStart = horizontal ? area.left() : area.top();
    for (int g = 0; g < groups; ++g) {
        const int inGroup = base + (g >= groups - extra ? 1 : 0);
        const auto spans = horizontal ? split(area.top(), area.height(), inGroup)
                                      : split(area.left(), area.width(), inGroup);
        int thickness = groupSpans[g].second;
        for (int i = index; i < index + inGroup; ++i)
            thickness = std::max(thickness, horizontal ? minimums[i].width() : minimums[i].height());
        int position = horizontal ? area.top() : area.left();
        for (const auto& span : spans) {
            const QSize& minimum = minimums[index++];
            const int length = std::max(span.second, horizontal ? minimum.height() : minimum.width());
            if (horizontal)
                rects.append(QRect(groupStart, position, thickness, length));
            else
                rects.append(QRect(position, groupStart, length, thickness));
            position += length;
        }
        groupStart += thickness;
    }
    return rects;
}

int defaultGroups(int count) {
    return std::max(1, static_cast<int>(std::floor(std::sqrt(static_cast<double>(count)))));
}

} // namespace

QList<QRect> tileRects(const QRect& area, int count, TileOrientation orientation) {
    if (count <= 0 || area.isEmpty())
        return {};
    return tileInGroups(area, count, defaultGroups(count), orientation);
}

QList<QRect> tileRects(const QRect& area, const QList<QSize>& minimums, TileOrientation orientation) {
    const int count = static_cast<int>(minimums.size());
    if (count <= 0 || area.isEmpty())
        return {};
    // More groups give each window more room across them; the first arrangement in which every
    // window gets what its controls need wins.
    for (int groups = defaultGroups(count); groups <= count; ++groups) {
        const QList<QRect> rects = tileInGroups(area, count, groups, orientation);
        bool fits = true;
        for (int i = 0; i < count && fits; ++i)
            fits = rects[i].width() >= minimums[i].width() && rects[i].height() >= minimums[i].height();
        if (fits)
            return rects;
    }
    return tileGrownToMinimums(area, minimums, defaultGroups(count), orientation);
}

QList<QPoint> iconPositions(const QRect& area, const QList<QSize>& iconSizes) {
    QList<QPoint> positions;
    int x = area.left();
    int bottom = area.bottom() + 1; // the row's lower edge, exclusive
    int rowHeight = 0;
    for (const QSize& size : iconSizes) {
        if (x > area.left() && x + size.width() > area.right() + 1) {
            bottom -= rowHeight;
            x = area.left();
            rowHeight = 0;
        }
        rowHeight = std::max(rowHeight, size.height());
        positions.append(QPoint(x, bottom - size.height()));
        x += size.width();
    }
    return positions;
}

QRect fitChildRect(const QRect& wanted, const QSize& minimum, const QSize& area) {
    const QSize size = wanted.size().boundedTo(area).expandedTo(minimum).expandedTo(QSize(1, 1));
    const int x = std::max(0, std::min(wanted.x(), area.width() - size.width()));
    const int y = std::max(0, std::min(wanted.y(), area.height() - size.height()));
    return QRect(QPoint(x, y), size);
}

QRect firstStartFrame(const QRect& workArea, int percent) {
    const QSize size(workArea.width() * percent / 100, workArea.height() * percent / 100);
    return QRect(workArea.left() + (workArea.width() - size.width()) / 2,
                 workArea.top() + (workArea.height() - size.height()) / 2, size.width(), size.height());
}

} // namespace zek
