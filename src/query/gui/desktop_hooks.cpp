#include "query/gui/desktop_hooks.h"

#include <QApplication>
#include <QPrinter>
#include <QPrinterInfo>

namespace zek::query {

DefaultPrinter defaultPrinter() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return DefaultPrinter{QStringLiteral("PDF"), 1};
    const QPrinter printer(info);
    return DefaultPrinter{info.printerName(),
                          printer.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1};
}

void setBusyPointer(bool on) {
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void installDesktopHooks(QueryHooks& hooks) {
    hooks.busy = setBusyPointer;
    hooks.defaultPrinter = defaultPrinter;
}

} // namespace zek::query
