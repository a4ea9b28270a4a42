// Window positions: the seven saved position strings, how they are read and written in section
// "Windowsposition" of the settings file, and how a window is placed from one.
//
// A position string holds five numbers separated by single spaces: Top, Left, Height, Width (twips)
// and the window state (0 normal, 1 minimised, 2 maximised).
//
// No widgets here: a window is reached through the small PlaceableWindow interface, which the
// window layer implements for real windows and tests implement with plain objects.
#pragma once

#include "platform/host_paths.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace zek {

inline const QString WindowsPositionSection = QStringLiteral("Windowsposition");

enum WindowStateCode : int { WindowNormal = 0, WindowMinimized = 1, WindowMaximized = 2 };

// One of the seven windows whose position is kept.
struct WindowPositionKey {
    QString formKey;      // the key in code: "ZEK_FORM"
    QString iniKey;       // the key in "Windowsposition": "ZekForm"
    QString defaultValue; // "0 0 7200 9600 0"
};

inline constexpr int WindowPositionCount = 7;

// The seven windows in their saving order.
const std::array<WindowPositionKey, WindowPositionCount>& windowPositionKeys();
// The index of a key in code in windowPositionKeys(), or -1.
int windowPositionIndex(const QString& formKey);

struct WindowPosition {
    int top = 0;
    int left = 0;
    int height = 0;
    int width = 0;
    int state = WindowNormal;

    bool operator==(const WindowPosition&) const = default;
};

// Splits at blanks; a missing or unreadable number is 0, numbers beyond the fifth are ignored.
WindowPosition parsePositionString(const QString& text);
// "Top Left Height Width State", trimmed decimals separated by single spaces.
QString formatPositionString(const WindowPosition& position);

// The position strings held during the run, one per window of windowPositionKeys().
struct WindowPositionStrings {
    std::array<QString, WindowPositionCount> values;

    // The string held for a key in code; "" for a key that is not one of the seven.
    QString value(const QString& formKey) const;
    void setValue(const QString& formKey, const QString& text);
};

// A window as placement sees it. Geometry is in twips: for a child window relative to the area
// that holds it, for a top-level window relative to the desktop.
class PlaceableWindow {
public:
    virtual ~PlaceableWindow() = default;

    // The placement mark: "", "1", "2" or "0".
    virtual QString mark() const = 0;
    virtual void setMark(const QString& mark) = 0;

    virtual bool isMinimized() const = 0;
    virtual bool isMaximized() const = 0;
    virtual void setNormal() = 0;
    // Top, Left, Height and Width; the state of the result is not used.
    virtual WindowPosition geometryTwips() const = 0;
    virtual void setGeometryTwips(int top, int left, int height, int width) = 0;
    // WindowNormal, WindowMinimized or WindowMaximized.
    virtual void setState(int state) = 0;
};

// Applies a position string to a window. A window saved as minimised is only marked ("1") on its
// first placement; its own resize handling then sets the mark to "2" and places it again, and that
// second placement puts it, in the normal state, at its saved place.
void placeWindow(PlaceableWindow& window, const QString& positionString);
// The same with the string held for a key in code.
void placeWindow(PlaceableWindow& window, const WindowPositionStrings& positions, const QString& formKey);

// The window that carries a key in code, or nullptr when that window does not exist (yet).
using WindowLookup = std::function<PlaceableWindow*(const QString& formKey)>;

// "DEFAULTVALUES": every string takes its default. "LOADVALUES": every string is read from
// "Windowsposition", its default when the key is missing. "SAVEVALUES": each window found through
// `windows` gives its current position (a minimised window is restored to normal first and saved
// with state 1) and every string is written; a window that does not exist keeps the string held
// for it. False for an unknown mode, or when a write failed (the first failure in `error`; the
// other keys are still written).
bool windowPositions(WindowPositionStrings& positions, const QString& mode, const QString& iniFileName,
                     const WindowLookup& windows = {}, platform::HostError* error = nullptr);

// Whether "Windowsposition" holds a (non-blank) place for a key in code.
bool hasSavedPosition(const QString& formKey, const QString& iniFileName);

// A taskbar's rectangle in pixels, right and bottom exclusive, as the system reports one.
struct TaskbarRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const TaskbarRect&) const = default;
};

// The taskbars as seen from a screen: each strip along an edge of the screen that its work area
// leaves out (top, bottom, left, right, in that order), in coordinates relative to the screen's own
// top-left corner. None when the work area is the whole screen.
std::vector<TaskbarRect> taskbarRectangles(const QRect& screen, const QRect& workArea);

// Where a window of `windowSize` pixels goes to sit in the middle of the screen area the taskbars
// leave free, in desktop pixels; nothing when that would put its left or top edge off the screen.
// The arithmetic is done in twips with integer division: half the screen less half the window, then
// half of each taskbar's thickness towards the free side.
std::optional<QPoint> centerInWorkArea(const QRect& screen, const QRect& workArea, const QSize& windowSize,
                                       int twipsPerPixelX, int twipsPerPixelY);

// The middle of the screen, moved `belowTwips` down, for a window of `windowSize` pixels.
QPoint centerOnScreen(const QRect& screen, const QSize& windowSize, int belowTwips, int twipsPerPixelX,
                      int twipsPerPixelY);

} // namespace zek
