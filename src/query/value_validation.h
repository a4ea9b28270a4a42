// The checks on a value typed into a condition row: which keys the value box takes per field, what
// is accepted when the box is left, and the small text routines behind them.
#pragma once

#include "platform/intl.h"

#include <QDate>
#include <QString>

#include <functional>
#include <optional>

namespace zek {

// The message box every refused value shows.
inline const QString QueryFillErrorTitle = QStringLiteral("Query fill error");

inline const QString NonStandardPathMessage = QStringLiteral("Non-standard MS-DOS pathname used.");
inline const QString NonStandardNameMessage = QStringLiteral("Non-standard MS-DOS filename used.");
inline const QString InvalidDateMessage = QStringLiteral("Invalid date specified.");
inline const QString InvalidTimeMessage = QStringLiteral("Invalid time specified.");
// "Too many " + decimal separator + " specified."
QString tooManyDecimalsMessage(const platform::IntlSettings& intl);

constexpr int BackspaceKey = 8;

// The key-press filter of a value box. `key` is the character code typed (8 for Backspace);
// `unitText` is the text of the row's unit box (SIZE only). Returns the code to enter, 0 to drop the
// key. Letters a-z come back upper case for every field.
int filterValueKey(const QString& field, int key, const QString& unitText,
                   const platform::IntlSettings& intl);

// The outcome of leaving a value box: whether the text is accepted, the message when it is not,
// and the text the box shows afterwards (trimmed, regrouped, or "SET" again).
struct ValueCheck {
    bool ok = true;
    QString message;
    QString text;
};

// The check of ValidateValueEntry without its dialog. `text` is the box text as `maskedText` gives
// it (row_model.h): the mask's literals and "_" for unfilled digit places included.
ValueCheck checkValueEntry(const QString& field, const QString& text, const platform::IntlSettings& intl);

enum class EntryOutcome { Accepted, Retry, Cancel };

// ValidateValueEntry: checks the entry, puts the accepted or corrected text back into `text`, and
// for a refused entry calls `beep` and shows the message in the "Query fill error" box with Retry
// and Cancel. The caller puts the focus back on Retry and rebuilds the row on Cancel.
EntryOutcome validateValueEntry(const QString& field, QString& text, const platform::IntlSettings& intl,
                                const std::function<void()>& beep = {});

// The entry of a size without thousands separators; "" when it holds more than one decimal separator.
QString stripGroupSeparators(const QString& text, const platform::IntlSettings& intl);
// A number with thousands separators put in (1234567 → 1,234,567; 1234.5 → 1,234.5).
QString insertGroupSeparators(const QString& text, const platform::IntlSettings& intl);

// A short path as the PATH field holds it: at most one ":", and no separator ("/" or "\") directly
// after the first one.
bool isValidDosPath(const QString& text);
// False when the text is one of the device names CLOCK$, CON, AUX, COM1-4, LPT1-3, NUL, PRN.
bool isNotDeviceName(const QString& text);

// A date box's text read in the short-date order of the settings (two-digit years 30-99 are
// 1930-1999, 00-29 are 2000-2029); nothing when a place is left unfilled or it is no valid date.
// Stricter than the row encoding's reading, so every accepted date can be stored.
std::optional<QDate> readDateEntry(const QString& text, const platform::IntlSettings& intl);

// The order of day, month and year in the short-date pattern, as the letters 'd', 'M', 'y'
// ("M/d/yy" gives "Mdy").
QString shortDateOrder(const platform::IntlSettings& intl);

} // namespace zek
