// Whole and decimal numbers written with the separators of the "intl" settings.
#pragma once

#include <QString>

namespace zek::platform {

// "#,##0": the whole number nearest to `value` (halves away from zero), its digits grouped by three
// with `thousandSeparator`.
QString formatWholeNumber(qint64 value, const QString& thousandSeparator);
QString formatWholeNumber(double value, const QString& thousandSeparator);

// The number rounded to `decimals` places (halves away from zero), the whole part grouped by three
// with `thousandSeparator` (none when it is empty) and at least one digit, the decimals after
// `decimalSeparator`: 1234567.891 with 2 gives "1,234,567.89".
QString formatGroupedNumber(double value, int decimals, const QString& thousandSeparator,
                            const QString& decimalSeparator);

} // namespace zek::platform
