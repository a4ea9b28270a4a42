#include "scan/capacity_text.h"

#include <cmath>

namespace zek::scan {

QString formatWholeNumber(qint64 value, const QString& thousandSeparator) {
    const bool negative = value < 0;
    // The magnitude as unsigned, so that the smallest qint64 has one too.
    quint64 magnitude = negative ? quint64(0) - quint64(value) : quint64(value);
    const QString digits = QString::number(magnitude);
    QString out;
    out.reserve(digits.size() + digits.size() / 3 * thousandSeparator.size() + 1);
    if (negative)
        out += u'-';
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += thousandSeparator;
        out += digits.at(i);
    }
    return out;
}

QString formatWholeNumber(double value, const QString& thousandSeparator) {
    if (!std::isfinite(value))
        return QString::number(value);
    const double rounded = std::round(value); // halves away from zero
    if (rounded >= 9.2e18 || rounded <= -9.2e18)
        return QString::number(rounded, 'f', 0);
    return formatWholeNumber(static_cast<qint64>(rounded), thousandSeparator);
}

CapacityLines capacityLines(const QString& driveRoot, const DriveCapacity& capacity,
                            const platform::IntlSettings& intl) {
    CapacityLines lines;
    lines.totalCaption = QStringLiteral("Total capacity drive ") + driveRoot + QStringLiteral(" :");
    lines.totalBytes = formatWholeNumber(capacity.totalBytes, intl.sThousand) + QStringLiteral(" Bytes.");
    lines.freeCaption = QStringLiteral("Free capacity drive ") + driveRoot + QStringLiteral(" :");
    lines.freeBytes = formatWholeNumber(capacity.freeBytes, intl.sThousand) + QStringLiteral(" Bytes.");
    if (capacity.totalBytes > 0) {
        const double share = double(capacity.freeBytes) / double(capacity.totalBytes) * 100.0;
        lines.freePercent = formatWholeNumber(share, intl.sThousand) + QStringLiteral(" %");
    } else {
        lines.freePercent = UnknownPercentText;
    }
    return lines;
}

} // namespace zek::scan
