#include "scan/capacity_text.h"

namespace zek::scan {

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
