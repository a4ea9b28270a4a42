// The encoding of one condition row (`StoreGridRows` for one row): the row's controls become the
// stored QueryLine, whose `Value` is the literal the statement carries and whose `Evaluation` is the
// operator in stored form. The same stored form is what the work file keeps in DETAILQUERY, so a
// line reloaded from a file gives the same statement without passing through the grid.
//
// Values that cannot be read (a date or time box left untouched, a date that does not exist, a time
// of 24:00 or 10:75) are stored empty; the statement then fails in the engine, which reports it.
#pragma once

#include "platform/intl.h"
#include "query/grid_row.h"
#include "work/query_line.h"

#include <QDate>
#include <QString>

#include <optional>

namespace zek {

QueryLine encodeGridRow(const GridRowInput& row, const platform::IntlSettings& intl);

// A text entry as a quoted literal: "" when the box text is empty or spaces only; otherwise every
// apostrophe doubled and the text between apostrophes (MY_FILE → 'MY_FILE', O'BRIEN → 'O''BRIEN'),
// so no entry can end the literal. The box text of a text field holds only typed characters, so a
// typed "_" is kept.
QString encodeTextValue(const QString& boxText);
// The entry the grid shows for a stored text literal: the quotes taken off and doubled apostrophes
// made single again ('O''BRIEN' → O'BRIEN); "" for a value of 2 characters or less.
QString textEntryFromValue(const QString& value);

// A size entry in bytes as decimal text. `unit` is the unit box text: "KB" multiplies by 1024,
// "MB" by 1048576; anything else keeps the entry (without thousands separators) as it is.
QString encodeSizeValue(const QString& boxText, const QString& unit, const platform::IntlSettings& intl);

// The date typed into a "##/##/##" box, in the order of the short-date pattern; two-digit years
// 30 to 99 fall in the 1900s and 00 to 29 in the 2000s. Nothing when it is not a date.
std::optional<QDate> readShortDate(const QString& boxText, const platform::IntlSettings& intl);
// yyyymmdd, or "" when the box does not hold a date.
QString encodeDateValue(const QString& boxText, const platform::IntlSettings& intl);

// hhmmss from an "hh:nn" box, seconds always "00". With `twelveHour`, the hour must be 1 to 12 and
// `pm` chooses the half of the day: 12 AM is hour 0, 1 PM to 11 PM add 12, 12 PM stays 12. "" when
// the box does not hold a time.
QString encodeTimeValue(const QString& boxText, bool twelveHour, bool pm);

} // namespace zek
