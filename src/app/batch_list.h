// zek-batch --list: the selected records as tab-separated lines.
#pragma once

#include "db/engine.h"

#include <QTextStream>

namespace zek::batch {

// A header line of field names, then one line per record from the current one to the end: the
// file fields in the order the windows list them. Values are raw: sizes as whole numbers, dates
// YYYY-MM-DD, times HH:MM:SS, attributes 1 or 0, texts as stored, with a backslash, tab, line feed
// or carriage return written \\, \t, \n or \r so that every record stays on its line.
void listRecords(db::Recordset& records, QTextStream& out);

// One value as --list writes it.
QString listedValue(const QString& field, const QVariant& value);

} // namespace zek::batch
