// Window placement for real windows: the saved position of a window applied by its key, the second
// placement of a window saved as minimised, and centring on the screen.
#pragma once

#include "app/window_positions.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace zek {

// The placement of one window: the main window or another top-level window, or a window inside the
// main window's area (its QMdiSubWindow, or the form widget the subwindow holds). It lives as long as
// the window, carries the window's placement mark, and watches the window's resizes: a resize while
// the mark is "1" sets the mark to "2" and places the window again.
class WindowPlacement : public QObject, public PlaceableWindow {
    Q_OBJECT
public:
    // The placement of `window` under `formKey`, created on the first call. `positions` is the run's
    // set of position strings; it must outlive the window.
    static WindowPlacement* attach(QWidget* window, const QString& formKey,
                                   const WindowPositionStrings& positions);
    // The placement of the live window that carries `formKey` (the latest attached), or nullptr.
    static WindowPlacement* find(const QString& formKey);
    // find() as the window lookup that windowPositions("SAVEVALUES") takes.
    static PlaceableWindow* lookup(const QString& formKey);

    // PlaceWindow for this window and its key.
    void place();

    QString formKey() const { return m_formKey; }
    // The widget that is moved and sized: the QMdiSubWindow around a form, or the window itself.
    QWidget* frame() const;

    QString mark() const override { return m_mark; }
    void setMark(const QString& mark) override { m_mark = mark; }
    bool isMinimized() const override;
    bool isMaximized() const override;
    void setNormal() override;
    WindowPosition geometryTwips() const override;
    void setGeometryTwips(int top, int left, int height, int width) override;
    void setState(int state) override;

    ~WindowPlacement() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowPlacement(QWidget* window, const QString& formKey, const WindowPositionStrings& positions);

    QPointer<QWidget> m_window;
    QString m_formKey;
    const WindowPositionStrings* m_positions;
    QString m_mark;
};

// Attaches the placement for `formKey` to `window` and places it. A window saved as minimised gets its
// second placement when it appears, or at once when it is already shown.
WindowPlacement* placeWindow(QWidget* window, const QString& formKey, const WindowPositionStrings& positions);

// CenterInWorkArea: moves a top-level window to the middle of its screen's area left free by the
// panels (the work area). Its size is kept; it stays where it is when it does not fit.
void centerInWorkArea(QWidget* window);

// Moves a top-level window to the middle of its screen, `belowTwips` lower.
void centerOnScreen(QWidget* window, int belowTwips);

} // namespace zek
