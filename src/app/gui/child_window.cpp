#include "app/gui/child_window.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace zek {

QMdiSubWindow* addChildWindow(QMdiArea* area, QWidget* window) {
    QMdiSubWindow* sub = area->addSubWindow(window, Qt::SubWindow | Qt::CustomizeWindowHint |
                                                        Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint);
    sub->setWindowIcon(QApplication::windowIcon());
    sub->adjustSize();
    window->show();
    return sub;
}

} // namespace zek
