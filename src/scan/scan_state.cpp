#include "scan/scan_state.h"

namespace zek::scan {

bool showsShortForms(const ScanState& scan) {
    return scan.activeOutline.compare(QLatin1String("OUTLINE2"), Qt::CaseInsensitive) == 0;
}

} // namespace zek::scan
