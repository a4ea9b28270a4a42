#include "app/window_positions.h"

#include "platform/profile.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace zek {

const std::array<WindowPositionKey, WindowPositionCount>& windowPositionKeys() {
    static const std::array<WindowPositionKey, WindowPositionCount> keys{{
        {"ZEK_FORM", "ZekForm", "0 0 7200 9600 0"},
        {"CONDITIONS_SORTING_FORM", "ConditionsSortingForm", "0 0 5655 9420 1"},
        {"DRIVE_DIRECTORY_FORM", "DriveDirectoryForm", "0 0 5655 9420 0"},
        {"SETUP_SUMMARY_FORM", "SetupSummaryForm", "0 0 5655 9420 1"},
        {"SUMMARY_FORM", "SummaryForm", "0 0 5655 9420 1"},
        {"SETUP_DETAIL_FORM", "SetupDetailForm", "0 0 5655 9420 1"},
        {"DETAIL_FORM", "DetailForm", "0 0 5655 9420 1"},
    }};
    return keys;
}

int windowPositionIndex(const QString& formKey) {
    const auto& keys = windowPositionKeys();
    for (int i = 0; i < WindowPositionCount; ++i)
        if (keys[i].formKey == formKey)
            return i;
    return -1;
}

namespace {

// The number a token begins with, as the classic Val() reads it: an optional sign, digits and an
// optional fraction, rounded to a whole number; 0 when the token does not begin with one.
int leadingNumber(const QString& token) {
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)"));
    const QRegularExpressionMatch m = number.match(token);
    if (!m.hasMatch())
        return 0;
    const double value = std::round(m.captured(0).toDouble());
    if (value >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value <= std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

} // namespace

WindowPosition parsePositionString(const QString& text) {
    // Runs of blanks count as one separator, so a hand-edited line with two blanks still reads right.
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    int numbers[5] = {0, 0, 0, 0, 0};
    for (int i = 0; i < 5 && i < parts.size(); ++i)
        numbers[i] = leadingNumber(parts[i].trimmed());
    return WindowPosition{numbers[0], numbers[1], numbers[2], numbers[3], numbers[4]};
}

QString formatPositionString(const WindowPosition& p) {
    return QStringLiteral("%1 %2 %3 %4 %5").arg(p.top).arg(p.left).arg(p.height).arg(p.width).arg(p.state);
}

QString WindowPositionStrings::value(const QString& formKey) const {
    const int i = windowPositionIndex(formKey);
    return i < 0 ? QString() : values[i];
}

void WindowPositionStrings::setValue(const QString& formKey, const QString& text) {
    const int i = windowPositionIndex(formKey);
    if (i >= 0)
        values[i] = text;
}

void placeWindow(PlaceableWindow& window, const QString& positionString) {
    const WindowPosition p = parsePositionString(positionString);
    const QString mark = window.mark();
    if (p.state == WindowMinimized && (mark.isEmpty() || mark == QLatin1String("0"))) {
        // First placement of a window saved minimised: wait for its first resize.
        window.setMark(QStringLiteral("1"));
        return;
    }
    if (window.isMaximized())
        return;
    const bool secondStep = mark == QLatin1String("2");
    if (!secondStep)
        window.setMark(QStringLiteral("0"));
    window.setNormal();
    window.setGeometryTwips(p.top, p.left, p.height, p.width);
    if (secondStep)
        window.setMark(QStringLiteral("0")); // stays normal, at its saved place
    else
        window.setState(p.state == WindowMinimized || p.state == WindowMaximized ? p.state : WindowNormal);
}

void placeWindow(PlaceableWindow& window, const WindowPositionStrings& positions, const QString& formKey) {
    placeWindow(window, positions.value(formKey));
}

bool windowPositions(WindowPositionStrings& positions, const QString& mode, const QString& iniFileName,
                     const WindowLookup& windows, platform::HostError* error) {
    const auto& keys = windowPositionKeys();
    if (mode == QLatin1String("DEFAULTVALUES")) {
        for (int i = 0; i < WindowPositionCount; ++i)
            positions.values[i] = keys[i].defaultValue;
        return true;
    }
    if (mode == QLatin1String("LOADVALUES")) {
        for (int i = 0; i < WindowPositionCount; ++i)
            positions.values[i] = platform::getPrivateProfileString(WindowsPositionSection, keys[i].iniKey,
                                                                    keys[i].defaultValue, iniFileName);
        return true;
    }
    if (mode != QLatin1String("SAVEVALUES"))
        return false;

    bool ok = true;
    for (int i = 0; i < WindowPositionCount; ++i) {
        if (PlaceableWindow* window = windows ? windows(keys[i].formKey) : nullptr) {
            int state = window->isMaximized() ? WindowMaximized : WindowNormal;
            if (window->isMinimized()) {
                // The size of a minimised window is its icon's: take the restored one.
                window->setNormal();
                state = WindowMinimized;
            }
            WindowPosition p = window->geometryTwips();
            p.state = state;
            positions.values[i] = formatPositionString(p);
        }
        platform::HostError writeError;
        if (!platform::writePrivateProfileString(WindowsPositionSection, keys[i].iniKey, positions.values[i],
                                                 iniFileName, &writeError)) {
            if (ok && error)
                *error = writeError;
            ok = false;
        }
    }
    return ok;
}

bool hasSavedPosition(const QString& formKey, const QString& iniFileName) {
    const int i = windowPositionIndex(formKey);
    return i >= 0 && !platform::getPrivateProfileString(
                          WindowsPositionSection, windowPositionKeys()[i].iniKey, QString(), iniFileName)
                          .trimmed()
                          .isEmpty();
}

std::vector<TaskbarRect> taskbarRectangles(const QRect& screen, const QRect& workArea) {
    if (!workArea.isValid() || workArea == screen)
        return {};
    // Relative to the screen, right and bottom exclusive.
    const int sw = screen.width();
    const int sh = screen.height();
    const int aLeft = workArea.left() - screen.left();
    const int aTop = workArea.top() - screen.top();
    const int aRight = aLeft + workArea.width();
    const int aBottom = aTop + workArea.height();

    std::vector<TaskbarRect> bars;
    if (aTop > 0)
        bars.push_back({0, 0, sw, aTop});
    if (aBottom < sh)
        bars.push_back({0, aBottom, sw, sh});
    if (aLeft > 0)
        bars.push_back({0, 0, aLeft, sh});
    if (aRight < sw)
        bars.push_back({aRight, 0, sw, sh});
    return bars;
}

std::optional<QPoint> centerInWorkArea(const QRect& screen, const QRect& workArea, const QSize& windowSize,
                                       int tppX, int tppY) {
    tppX = std::max(1, tppX);
    tppY = std::max(1, tppY);
    int left = (screen.width() * tppX - windowSize.width() * tppX) / 2;
    int top = (screen.height() * tppY - windowSize.height() * tppY) / 2;
    // Desktops often have more than one panel (a top bar and a dock): each moves the window by half
    // its thickness, so the window ends up in the middle of what they leave free.
    for (const TaskbarRect& bar : taskbarRectangles(screen, workArea)) {
        if (bar.right - bar.left > bar.bottom - bar.top) {
            // A horizontal taskbar, at the top or at the bottom.
            if (bar.top <= 0)
                top = top + (bar.bottom * tppY) / 2;
            else
                top = top - ((bar.bottom - bar.top) * tppY) / 2;
        } else {
            // A vertical taskbar, at the left or at the right.
            if (bar.left == 0)
                left = left + (bar.right * tppX) / 2;
            else
                left = left - ((bar.right - bar.left) * tppX) / 2;
        }
    }
    if (left < 0 || top < 0)
        return std::nullopt;
    return QPoint(screen.left() + left / tppX, screen.top() + top / tppY);
}

QPoint centerOnScreen(const QRect& screen, const QSize& windowSize, int belowTwips, int tppX, int tppY) {
    tppX = std::max(1, tppX);
    tppY = std::max(1, tppY);
    const int left = (screen.width() * tppX - windowSize.width() * tppX) / 2;
    const int top = (screen.height() * tppY - windowSize.height() * tppY) / 2 + belowTwips;
    return QPoint(screen.left() + left / tppX, screen.top() + top / tppY);
}

} // namespace zek
