// The progress line of the processing window: how much the scan has recorded so far and how fast.
#pragma once

#include <QString>

namespace zek::scan {

// "12,345 entries in 1,234 folders, 5,678 entries per second": the entries recorded and folders
// walked, grouped by three with `thousandSeparator`, and the entries per second over `elapsedMs`.
// The rate is left out until a tenth of a second has passed: a figure taken over a few
// milliseconds would say nothing.
QString progressText(qint64 entries, qint64 folders, qint64 elapsedMs, const QString& thousandSeparator);

} // namespace zek::scan
