// The capacity lines of the processing window: the drive's total and free bytes and the free share,
// written in the number format "#,##0" with the thousands separator of the "intl" settings.
#pragma once

#include "platform/intl.h"
#include "platform/number_text.h"
#include "scan/scan_state.h"

#include <QString>

namespace zek::scan {

// The percentage line when the drive's total is zero or unknown: no share can be computed, and a
// figure such as "0 %" would say the drive is full.
inline const QString UnknownPercentText = QStringLiteral("n/a %");

struct CapacityLines {
    QString totalCaption; // `totalcapacity`: "Total capacity drive " + root + " :"
    QString totalBytes;   // `totalcapacityc`: "40,000,000 Bytes."
    QString freeCaption;  // `freecapacity`: "Free capacity drive " + root + " :"
    QString freeBytes;    // `freecapacityc`: "10,000,000 Bytes."
    QString freePercent;  // `freecapacitycp`: "25 %"
};

using platform::formatWholeNumber;

// The lines for a drive root (the mount point, shown as it is: paths keep their case).
CapacityLines capacityLines(const QString& driveRoot, const DriveCapacity& capacity,
                            const platform::IntlSettings& intl);

} // namespace zek::scan
