#include "platform/printer_choice.h"

#include <QLocale>

#include <cmath>

namespace zek::platform {

QSizeF paperSizeTwips(const PrinterChoice& printer) {
    const QSizeF mm = printer.paper.size(QPageSize::Millimeter);
    const auto twips = [](double millimetres) { return std::round(millimetres / 25.4 * 1440); };
    const QSizeF portrait(twips(mm.width()), twips(mm.height()));
    return printer.isLandscape() ? portrait.transposed() : portrait;
}

QPageSize localePaper() {
    return QLocale::system().measurementSystem() == QLocale::MetricSystem ? QPageSize(QPageSize::A4)
                                                                          : QPageSize(QPageSize::Letter);
}

} // namespace zek::platform
