#include "query/value_validation.h"

#include "platform/prompt.h"
#include "work/query_line.h"

#include <QStringList>

namespace zek {

namespace {

bool isAsciiDigit(int key) {
    return key >= '0' && key <= '9';
}

bool isAsciiUpperOrDigit(int key) {
    return (key >= 'A' && key <= 'Z') || isAsciiDigit(key);
}

// The characters a short name may hold besides letters and digits; "*" and "?" are the wildcards.
const QString NameSpecials = QStringLiteral("_^$~!#%'`*?");
// A short path may also hold the drive colon and the separators; "/" is this host's separator.
const QString PathSpecials = QStringLiteral("_^$~!#%'`*?:\\/");

int firstCode(const QString& s) {
    return s.isEmpty() ? -1 : s.at(0).unicode();
}

// True when only the mask's unfilled places, its separators and spaces are left: the box is as
// untouched as a fresh one.
bool isUntouched(const QString& text, const QString& separator) {
    QString rest = text;
    if (!separator.isEmpty())
        rest.remove(separator);
    rest.remove(QLatin1Char('_'));
    return rest.trimmed().isEmpty();
}

bool allDigits(const QString& s) {
    if (s.isEmpty())
        return false;
    for (QChar c : s) {
        if (!isAsciiDigit(c.unicode()))
            return false;
    }
    return true;
}

ValueCheck checkTime(const QString& text, const platform::IntlSettings& intl) {
    ValueCheck result;
    result.text = text;
    if (isUntouched(text, intl.sTime))
        return result;
    QString hhmm = text;
    if (!intl.sTime.isEmpty())
        hhmm.remove(intl.sTime);
    hhmm = hhmm.trimmed();
    // A half-filled box ("1_:3_") is refused as well: its time could not be stored.
    bool ok = hhmm.size() == 4 && allDigits(hhmm);
    if (ok) {
        const bool twentyFour = intl.iTime == 1;
        const QString low = twentyFour ? QStringLiteral("0000") : QStringLiteral("0100");
        const QString high = twentyFour ? QStringLiteral("2359") : QStringLiteral("1259");
        ok = hhmm >= low && hhmm <= high && hhmm.mid(2, 2) <= QStringLiteral("59");
    }
    if (!ok) {
        result.ok = false;
        result.message = InvalidTimeMessage;
    }
    return result;
}

} // namespace

QString tooManyDecimalsMessage(const platform::IntlSettings& intl) {
    return QStringLiteral("Too many ") + intl.sDecimal + QStringLiteral(" specified.");
}

int filterValueKey(const QString& field, int key, const QString& unitText,
                   const platform::IntlSettings& intl) {
    if (key >= 'a' && key <= 'z')
        key -= 32;
    const QString f = field.trimmed();
    if (f == QLatin1String("PATH") || f == QLatin1String("NAME") || f == QLatin1String("EXTENSION")) {
        if (key == BackspaceKey || isAsciiUpperOrDigit(key))
            return key;
        const QString& specials = f == QLatin1String("PATH") ? PathSpecials : NameSpecials;
        return key > 0 && key < 0x10000 && specials.contains(QChar(key)) ? key : 0;
    }
    if (f == QLatin1String("SIZE")) {
        if (key == BackspaceKey || isAsciiDigit(key))
            return key;
        if (key == firstCode(intl.sThousand))
            return key;
        if (key == firstCode(intl.sDecimal))
            return unitText.trimmed().isEmpty() ? 0 : key;
        return 0;
    }
    return key;
}

ValueCheck checkValueEntry(const QString& field, const QString& text, const platform::IntlSettings& intl) {
    ValueCheck result;
    result.text = text;
    const QString f = field.trimmed();
    switch (fieldKind(f)) {
    case FieldKind::None:
        break;
    case FieldKind::Text:
        if (f == QLatin1String("PATH")) {
            result.ok = isValidDosPath(text.toUpper());
            result.message = NonStandardPathMessage;
        } else if (f == QLatin1String("NAME") || f == QLatin1String("EXTENSION")) {
            result.ok = isNotDeviceName(text.toUpper().trimmed());
            result.message = NonStandardNameMessage;
        }
        result.text = text.trimmed();
        break;
    case FieldKind::Size:
        if (!text.isEmpty()) {
            const QString s = stripGroupSeparators(text, intl);
            if (s.isEmpty()) {
                result.ok = false;
                result.message = tooManyDecimalsMessage(intl);
            } else {
                result.text = insertGroupSeparators(s, intl);
            }
        }
        break;
    case FieldKind::Date:
        if (!isUntouched(text, intl.sDate) && !readDateEntry(text, intl)) {
            result.ok = false;
            result.message = InvalidDateMessage;
        }
        break;
    case FieldKind::Time:
        return checkTime(text, intl);
    case FieldKind::Attribute:
        result.text = QStringLiteral("SET");
        break;
    }
    if (result.ok)
        result.message.clear();
    return result;
}

EntryOutcome validateValueEntry(const QString& field, QString& text, const platform::IntlSettings& intl,
                                const std::function<void()>& beep) {
    const ValueCheck check = checkValueEntry(field, text, intl);
    text = check.text;
    if (check.ok)
        return EntryOutcome::Accepted;
    if (beep)
        beep();
    const int answer =
        platform::msgBox(check.message, platform::MbRetryCancel | platform::MbQuestion, QueryFillErrorTitle);
    return answer == platform::IdRetry ? EntryOutcome::Retry : EntryOutcome::Cancel;
}

QString stripGroupSeparators(const QString& text, const platform::IntlSettings& intl) {
    QString out;
    bool decimalSeen = false;
    for (qsizetype i = 0; i < text.size();) {
        if (!intl.sThousand.isEmpty() && QStringView(text).mid(i).startsWith(intl.sThousand)) {
            i += intl.sThousand.size();
            continue;
        }
        if (!intl.sDecimal.isEmpty() && QStringView(text).mid(i).startsWith(intl.sDecimal)) {
            if (decimalSeen)
                return QString();
            decimalSeen = true;
            out += intl.sDecimal;
            i += intl.sDecimal.size();
            continue;
        }
        out += text.at(i);
        ++i;
    }
    return out;
}

QString insertGroupSeparators(const QString& text, const platform::IntlSettings& intl) {
    if (text.trimmed().isEmpty())
        return text;
    const qsizetype decimalAt = intl.sDecimal.isEmpty() ? -1 : text.indexOf(intl.sDecimal);
    // The whole-number part ends before the decimal separator, or at the end of the text.
    const qsizetype wholeEnd = decimalAt < 0 ? text.size() : decimalAt;
    QString out = text.mid(wholeEnd);
    int counted = 0;
    for (qsizetype i = wholeEnd - 1; i >= 0; --i) {
        out.prepend(text.at(i));
        ++counted;
        if (counted % 3 != 0 || i == 0)
            continue;
        // No separator between a sign or a space and the digits.
        bool digitBefore = false;
        for (qsizetype j = 0; j < i; ++j)
            digitBefore = digitBefore || text.at(j).isDigit();
        if (digitBefore)
            out.prepend(intl.sThousand);
    }
    return out;
}

bool isValidDosPath(const QString& text) {
    qsizetype colon = -1;
    qsizetype separator = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char(':')) {
            if (colon >= 0)
                return false;
            colon = i;
        } else if (c == QLatin1Char('\\') || c == QLatin1Char('/')) {
            if (separator < 0)
                separator = i;
            else if (i == separator + 1)
                return false;
        }
    }
    return true;
}

bool isNotDeviceName(const QString& text) {
    static const QStringList devices{"CLOCK$", "CON",  "AUX",  "COM1", "COM2", "COM3",
                                     "COM4",   "LPT1", "LPT2", "LPT3", "NUL",  "PRN"};
    return !devices.contains(text);
}

QString shortDateOrder(const platform::IntlSettings& intl) {
    QString order;
    bool quoted = false;
    for (QChar c : intl.sShortDate) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        const bool letter = c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y');
        if (letter && !order.contains(c))
            order += c;
    }
    return order.size() == 3 ? order : QStringLiteral("Mdy");
}

std::optional<QDate> readDateEntry(const QString& text, const platform::IntlSettings& intl) {
    QStringList parts;
    if (!intl.sDate.isEmpty() && text.contains(intl.sDate)) {
        parts = text.split(intl.sDate);
    } else {
        // A separator the settings do not name: any run of other characters separates.
        QString current;
        for (QChar c : text) {
            if (c.isDigit() || c == QLatin1Char('_')) {
                current += c;
            } else if (!current.isEmpty()) {
                parts.append(current);
                current.clear();
            }
        }
        if (!current.isEmpty())
            parts.append(current);
    }
    if (parts.size() != 3)
        return std::nullopt;
    const QString order = shortDateOrder(intl);
    int day = 0;
    int month = 0;
    int year = 0;
    for (int i = 0; i < 3; ++i) {
        const QString part = parts[i].trimmed();
        if (!allDigits(part))
            return std::nullopt;
        const int n = part.toInt();
        switch (order.at(i).unicode()) {
        case 'd':
            day = n;
            break;
        case 'M':
            month = n;
            break;
        default:
            if (part.size() <= 2)
                year = n < 30 ? 2000 + n : 1900 + n;
            else if (part.size() == 4)
                year = n;
            else
                return std::nullopt;
        }
    }
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace zek
