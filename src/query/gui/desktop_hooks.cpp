#include "query/gui/desktop_hooks.h"

#include "platform/gui/printers.h"

#include <QApplication>

namespace zek::query {

void setBusyPointer(bool on) {
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void installDesktopHooks(QueryHooks& hooks) {
    hooks.busy = setBusyPointer;
    hooks.defaultPrinter = platform::systemDefaultPrinter;
}

} // namespace zek::query
