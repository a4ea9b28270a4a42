// What the statement builder asks of the desktop: the hourglass pointer and the print system's
// default printer. The core links no widgets and no printing, so the windows hand these in.
#pragma once

#include "query/statement_builder.h"

namespace zek::query {

// The hourglass pointer on (true) and back to normal (false).
void setBusyPointer(bool on);

// Fills both hooks of the statement builder: the busy pointer and the system's default printer.
void installDesktopHooks(QueryHooks& hooks);

} // namespace zek::query
