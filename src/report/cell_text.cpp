#include "report/cell_text.h"

#include "platform/number_text.h"

#include <QDate>
#include <QLocale>
#include <QTime>

#include <optional>

namespace zek::report {

namespace {

constexpr double KiB = 1024.0;
constexpr double MiB = 1048576.0;

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// A size in KB or MB in "standard"; nothing for any other unit.
std::optional<QString> unitSizeText(qint64 bytes, const QString& unit, const platform::IntlSettings& intl) {
    const QString u = unit.trimmed().toUpper();
    if (u == QLatin1String("KB"))
        return standardText(static_cast<double>(bytes) / KiB, intl);
    if (u == QLatin1String("MB"))
        return standardText(static_cast<double>(bytes) / MiB, intl);
    return std::nullopt;
}

} // namespace

QString standardText(double value, const platform::IntlSettings& intl) {
    return platform::formatGroupedNumber(value, 2, intl.sThousand, intl.sDecimal);
}

QString standardWholeText(double value, const platform::IntlSettings& intl) {
    QString text = standardText(value, intl);
    text.chop(intl.sDecimal.size() + 2);
    return text;
}

QString detailSizeText(qint64 bytes, const QString& unit, const platform::IntlSettings& intl) {
    if (const auto text = unitSizeText(bytes, unit, intl))
        return *text;
    return platform::formatWholeNumber(bytes, intl.sThousand);
}

QString summarySizeText(qint64 bytes, const QString& unit, const platform::IntlSettings& intl) {
    if (const auto text = unitSizeText(bytes, unit, intl))
        return *text;
    return standardWholeText(static_cast<double>(bytes), intl);
}

QString shortDateText(qint64 yyyymmdd, const platform::IntlSettings& intl) {
    const QDate date(static_cast<int>(yyyymmdd / 10000), static_cast<int>(yyyymmdd / 100 % 100),
                     static_cast<int>(yyyymmdd % 100));
    if (yyyymmdd <= 0 || !date.isValid())
        return QString();
    return QLocale::c().toString(date, intl.sShortDate);
}

QString timeText(qint64 hhmmss, const platform::IntlSettings& intl) {
    const int hours = static_cast<int>(hhmmss / 10000);
    const int minutes = static_cast<int>(hhmmss / 100 % 100);
    if (hhmmss < 0 || !QTime::isValid(hours, minutes, static_cast<int>(hhmmss % 100)))
        return QString();
    if (intl.iTime == 1)
        return twoDigits(hours) + intl.sTime + twoDigits(minutes);
    const int twelve = hours % 12 == 0 ? 12 : hours % 12;
    return twoDigits(twelve) + intl.sTime + twoDigits(minutes) + QLatin1Char(' ') +
           (hours < 12 ? intl.s1159 : intl.s2359);
}

QString attributeText(bool set) {
    return set ? QStringLiteral("X") : QStringLiteral(" ");
}

QString shareText(qint64 part, qint64 whole, bool grouped, const platform::IntlSettings& intl) {
    const double share = whole == 0 ? 0.0 : static_cast<double>(part) / static_cast<double>(whole) * 100.0;
    return platform::formatGroupedNumber(share, 2, grouped ? intl.sThousand : QString(), intl.sDecimal);
}

QString oneLineText(const QString& cell) {
    QString out = cell;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u < 0x20)
            c = QChar(char16_t(0x2400 + u)); // SYMBOL FOR NULL and on
        else if (u == 0x7F)
            c = QChar(char16_t(0x2421)); // SYMBOL FOR DELETE
        else if (u == 0x85 || u == 0x2028 || u == 0x2029)
            c = QChar(char16_t(0x2424)); // SYMBOL FOR NEWLINE
    }
    return out;
}

} // namespace zek::report
