// The name tables every window shares: file fields, summary fields and condition connections.
#pragma once

#include <QStringList>

namespace zek {

// 1-based as the program counts them: fieldNames()[0] is entry 1, the empty name.
const QStringList& fieldNames();
const QStringList& summaryNames();
const QStringList& connectionWords();

} // namespace zek
