// Where the Window menu's Tile and Arrange Icons commands put the child windows.
#pragma once

#include <QList>
#include <QRect>
#include <QSize>

namespace zek {

enum class TileOrientation {
    Horizontal, // windows one above the other, each as wide as the area
    Vertical,   // windows side by side, each as high as the area
};

// Rectangles for `count` windows filling `area`. With many windows they form a grid: Horizontal
// uses floor(sqrt(count)) columns of stacked windows, Vertical as many rows of windows side by side;
// the last columns (rows) take the windows left over. Every pixel of the area is covered once.
QList<QRect> tileRects(const QRect& area, int count, TileOrientation orientation);
// The same for windows with these smallest sizes: when a window would get less than it needs, more
// groups are used (Vertical: more rows of fewer windows), so that no window is stretched over another.
// When no grouping gives every window what it needs, each window is grown to its smallest size and
// those after it move along, past the area's edge: windows never overlap and never lose controls.
QList<QRect> tileRects(const QRect& area, const QList<QSize>& minimums, TileOrientation orientation);

// Places minimised windows (icons) of the given sizes in rows from the bottom-left corner of the
// area upwards, left to right, starting a new row when the next icon does not fit.
QList<QPoint> iconPositions(const QRect& area, const QList<QSize>& iconSizes);

// Where a child window asked to take `wanted` goes inside an area of `area` pixels: never smaller
// than `minimum` (what its controls need), no larger than the area beyond that, and moved so that
// it lies inside the area, its top-left corner first when it cannot fit.
QRect fitChildRect(const QRect& wanted, const QSize& minimum, const QSize& area);

// The main window's frame on a first start (no saved place): `percent` of the work area in each
// direction, centred in it. The saved-place default was made for a 640 x 480 screen and would leave
// the child windows no room on today's screens.
QRect firstStartFrame(const QRect& workArea, int percent = 80);

} // namespace zek
