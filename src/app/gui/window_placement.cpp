#include "app/gui/window_placement.h"

#include "app/window_arrange.h"
#include "platform/twips.h"

#include <QEvent>
#include <QGuiApplication>
#include <QList>
#include <QMdiSubWindow>
#include <QScreen>

namespace zek {

using platform::Axis;
using platform::pixelsToTwips;
using platform::twipsToPixels;

namespace {

// The live placements, in the order they were attached.
QList<WindowPlacement*>& placements() {
    static QList<WindowPlacement*> list;
    return list;
}

constexpr Qt::WindowStates SizeStates = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

QScreen* screenOf(const QWidget* window) {
    QScreen* screen = window->screen();
    return screen ? screen : QGuiApplication::primaryScreen();
}

} // namespace

WindowPlacement::WindowPlacement(QWidget* window, const QString& formKey,
                                 const WindowPositionStrings& positions)
    : QObject(window), m_window(window), m_formKey(formKey), m_positions(&positions) {
    setObjectName(QStringLiteral("WindowPlacement"));
    window->installEventFilter(this);
    placements().append(this);
}

WindowPlacement::~WindowPlacement() {
    placements().removeAll(this);
}

WindowPlacement* WindowPlacement::attach(QWidget* window, const QString& formKey,
                                         const WindowPositionStrings& positions) {
    if (!window)
        return nullptr;
    for (WindowPlacement* p : placements()) {
        if (p->m_window == window) {
            p->m_formKey = formKey;
            p->m_positions = &positions;
            return p;
        }
    }
    return new WindowPlacement(window, formKey, positions);
}

WindowPlacement* WindowPlacement::find(const QString& formKey) {
    const QList<WindowPlacement*>& list = placements();
    for (auto it = list.crbegin(); it != list.crend(); ++it)
        if ((*it)->m_formKey == formKey && (*it)->m_window)
            return *it;
    return nullptr;
}

PlaceableWindow* WindowPlacement::lookup(const QString& formKey) {
    return find(formKey);
}

QWidget* WindowPlacement::frame() const {
    QWidget* window = m_window.data();
    if (!window)
        return nullptr;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
        return sub;
    return window;
}

void WindowPlacement::place() {
    const QWidget* w = frame();
    if (!w)
        return;
    placeWindow(*this, *m_positions, m_formKey);
    // A window already on screen has had the resize of its opening; waiting for the next one would
    // move it at the user's first resize or arrangement. Its second placement is now.
    if (m_mark == QLatin1String("1") && w->isVisible()) {
        m_mark = QStringLiteral("2");
        placeWindow(*this, *m_positions, m_formKey);
    }
}

bool WindowPlacement::isMinimized() const {
    const QWidget* w = frame();
    return w && (w->windowState() & Qt::WindowMinimized);
}

bool WindowPlacement::isMaximized() const {
    const QWidget* w = frame();
    return w && (w->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
}

void WindowPlacement::setNormal() {
    QWidget* w = frame();
    if (w && (w->windowState() & SizeStates))
        w->setWindowState(w->windowState() & ~SizeStates);
}

WindowPosition WindowPlacement::geometryTwips() const {
    const QWidget* w = frame();
    if (!w)
        return {};
    QRect r;
    if (!w->isWindow()) {
        // Inside the main window's area: the whole subwindow, title bar included.
        r = w->geometry();
    } else if (w->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        // The size it comes back to, so that leaving the maximised state after a restart restores it.
        const QPoint frameOffset = w->geometry().topLeft() - w->frameGeometry().topLeft();
        r = QRect(w->normalGeometry().topLeft() - frameOffset, w->normalGeometry().size());
    } else {
        // The position of the frame, as move() takes it, and the size of the inside, as resize() takes it.
        r = QRect(w->pos(), w->size());
    }
    return WindowPosition{pixelsToTwips(r.y(), Axis::Y), pixelsToTwips(r.x(), Axis::X),
                          pixelsToTwips(r.height(), Axis::Y), pixelsToTwips(r.width(), Axis::X),
                          WindowNormal};
}

void WindowPlacement::setGeometryTwips(int top, int left, int height, int width) {
    QWidget* w = frame();
    if (!w)
        return;
    const QPoint pos(twipsToPixels(left, Axis::X), twipsToPixels(top, Axis::Y));
    // A size below the smallest the window can take (a missing number reads as 0) is raised to it.
    const QSize size = QSize(twipsToPixels(width, Axis::X), twipsToPixels(height, Axis::Y))
                           .expandedTo(w->minimumSizeHint())
                           .expandedTo(w->minimumSize())
                           .expandedTo(QSize(1, 1));
    if (w->isWindow()) {
        w->move(pos);
        w->resize(size);
    } else if (const QWidget* area = w->parentWidget()) {
        // Inside the main window's area, whole: a window partly outside it cannot be reached.
        const QSize minimum = w->minimumSizeHint().expandedTo(w->minimumSize());
        const QSize wanted(twipsToPixels(width, Axis::X), twipsToPixels(height, Axis::Y));
        w->setGeometry(fitChildRect(QRect(pos, wanted), minimum, area->size()));
    } else {
        w->setGeometry(QRect(pos, size));
    }
}

void WindowPlacement::setState(int state) {
    QWidget* w = frame();
    if (!w)
        return;
    Qt::WindowStates states = w->windowState() & ~SizeStates;
    if (state == WindowMinimized)
        states |= Qt::WindowMinimized;
    else if (state == WindowMaximized)
        states |= Qt::WindowMaximized;
    if (states != w->windowState())
        w->setWindowState(states);
}

bool WindowPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && event->type() == QEvent::Resize && m_mark == QLatin1String("1")) {
        m_mark = QStringLiteral("2");
        place();
    }
    return QObject::eventFilter(watched, event);
}

WindowPlacement* placeWindow(QWidget* window, const QString& formKey,
                             const WindowPositionStrings& positions) {
    WindowPlacement* placement = WindowPlacement::attach(window, formKey, positions);
    if (placement)
        placement->place();
    return placement;
}

void centerInWorkArea(QWidget* window) {
    if (!window)
        return;
    const QScreen* screen = screenOf(window);
    if (!screen)
        return;
    const std::optional<QPoint> at =
        centerInWorkArea(screen->geometry(), screen->availableGeometry(), window->frameGeometry().size(),
                         platform::twipsPerPixelX(), platform::twipsPerPixelY());
    if (at)
        window->move(*at);
}

void centerOnScreen(QWidget* window, int belowTwips) {
    if (!window)
        return;
    const QScreen* screen = screenOf(window);
    if (!screen)
        return;
    window->move(centerOnScreen(screen->geometry(), window->frameGeometry().size(), belowTwips,
                                platform::twipsPerPixelX(), platform::twipsPerPixelY()));
}

} // namespace zek
