#include "query/row_encoding.h"

#include "query/value_validation.h"

#include <QRegularExpression>

#include <array>
#include <cmath>

namespace zek {

namespace {

// The digit groups of a masked date or time box: unfilled places ("_") and blanks dropped, groups
// split at anything that is not a digit (the separator the mask put there).
QStringList digitGroups(const QString& boxText) {
    QString t = boxText;
    t.remove(u'_');
    t.remove(u' ');
    static const QRegularExpression nonDigits(QStringLiteral("[^0-9]+"));
    return t.split(nonDigits, Qt::SkipEmptyParts);
}

// The order of day, month and year in a short-date pattern ("M/d/yy" gives M, d, y). Quoted text
// is skipped; a pattern that lacks one of the three gives the classic month-day-year order.
std::array<QChar, 3> dateOrder(const QString& pattern) {
    std::array<QChar, 3> order{};
    int found = 0;
    bool quoted = false;
    for (const QChar c : pattern) {
        if (c == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted || (c != u'd' && c != u'M' && c != u'y'))
            continue;
        bool seen = false;
        for (int i = 0; i < found; ++i)
            seen = seen || order[static_cast<size_t>(i)] == c;
        if (!seen && found < 3)
            order[static_cast<size_t>(found++)] = c;
    }
    if (found < 3)
        return {u'M', u'd', u'y'};
    return order;
}

// A text of 1 to 4 digits as a number; -1 otherwise.
int smallNumber(const QString& digits) {
    if (digits.isEmpty() || digits.size() > 4)
        return -1;
    bool ok = false;
    const int n = digits.toInt(&ok);
    return ok ? n : -1;
}

// The leading number of a text with "." as decimal point; reading stops at the first character
// that cannot continue the number. Nothing when the text does not begin with a number.
std::optional<double> leadingNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    bool digits = false;
    while (i < text.size() && text[i].isDigit()) {
        ++i;
        digits = true;
    }
    if (i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && text[i].isDigit()) {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return std::nullopt;
    return text.mid(start, i - start).toDouble();
}

// A byte count as decimal text: whole numbers without a fraction, others with the digits they need.
QString numberText(double v) {
    if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 9.0e18)
        return QString::number(static_cast<qint64>(v));
    QString s = QString::number(v, 'f', 6);
    while (s.endsWith(u'0'))
        s.chop(1);
    if (s.endsWith(u'.'))
        s.chop(1);
    return s;
}

} // namespace

QString encodeTextValue(const QString& boxText) {
    if (boxText.trimmed().isEmpty())
        return QString();
    QString t = boxText;
    // Doubled inside the quotes, an apostrophe is part of the value and can never end the literal.
    t.replace(QStringLiteral("'"), QStringLiteral("''"));
    return u'\'' + t + u'\'';
}

QString textEntryFromValue(const QString& value) {
    if (value.size() <= 2)
        return QString();
    QString t = value.mid(1, value.size() - 2);
    t.replace(QStringLiteral("''"), QStringLiteral("'"));
    return t;
}

QString encodeSizeValue(const QString& boxText, const QString& unit, const platform::IntlSettings& intl) {
    const QString number = stripGroupSeparators(boxText, intl).trimmed();
    const QString u = unit.trimmed();
    double factor = 0;
    if (u == QLatin1String("KB"))
        factor = 1024.0;
    else if (u == QLatin1String("MB"))
        factor = 1048576.0;
    if (factor == 0)
        return number;
    // The user's decimal separator is read as the decimal point: 1,5 KB is 1536 bytes under a
    // comma locale, not 1024.
    QString pointed = number;
    if (!intl.sDecimal.isEmpty() && intl.sDecimal != QLatin1String("."))
        pointed.replace(intl.sDecimal, QStringLiteral("."));
    const std::optional<double> n = leadingNumber(pointed);
    if (!n)
        return QString(); // no number typed: no value, as for a blank unit
    return numberText(*n * factor);
}

std::optional<QDate> readShortDate(const QString& boxText, const platform::IntlSettings& intl) {
    const QStringList groups = digitGroups(boxText);
    if (groups.size() != 3)
        return std::nullopt;
    const std::array<QChar, 3> order = dateOrder(intl.sShortDate);
    int day = -1, month = -1, year = -1;
    for (size_t i = 0; i < 3; ++i) {
        const int n = smallNumber(groups[static_cast<qsizetype>(i)]);
        if (order[i] == u'd')
            day = n;
        else if (order[i] == u'M')
            month = n;
        else {
            year = n;
            if (groups[static_cast<qsizetype>(i)].size() <= 2 && year >= 0)
                year += year < 30 ? 2000 : 1900;
        }
    }
    if (day < 0 || month < 0 || year < 0)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString encodeDateValue(const QString& boxText, const platform::IntlSettings& intl) {
    const std::optional<QDate> d = readShortDate(boxText, intl);
    if (!d)
        return QString();
    return QStringLiteral("%1%2%3")
        .arg(d->year(), 4, 10, QLatin1Char('0'))
        .arg(d->month(), 2, 10, QLatin1Char('0'))
        .arg(d->day(), 2, 10, QLatin1Char('0'));
}

QString encodeTimeValue(const QString& boxText, bool twelveHour, bool pm) {
    const QStringList groups = digitGroups(boxText);
    if (groups.size() != 2 || groups[0].size() > 2 || groups[1].size() > 2)
        return QString();
    int hour = smallNumber(groups[0]);
    const int minute = smallNumber(groups[1]);
    if (hour < 0 || minute < 0 || minute > 59)
        return QString();
    if (twelveHour) {
        if (hour < 1 || hour > 12)
            return QString();
        // Stored as the walker records times and as the grid shows them back: on a 24-hour clock.
        if (pm && hour < 12)
            hour += 12;
        else if (!pm && hour == 12)
            hour = 0;
    } else if (hour > 23) {
        return QString();
    }
    // The entry has hours and minutes only.
    return QStringLiteral("%1%2").arg(hour, 2, 10, QLatin1Char('0')).arg(minute, 2, 10, QLatin1Char('0')) +
           QLatin1String("00");
}

QueryLine encodeGridRow(const GridRowInput& row, const platform::IntlSettings& intl) {
    QueryLine line;
    line.choice = row.marked ? 1 : 0;
    line.bracketL = row.bracketL;
    line.field = row.field;
    line.fieldIndex = row.fieldIndex;
    line.evaluation = row.evaluationText;
    line.evaluationIndex = row.evaluationIndex;

    const QString evaluation = row.evaluationText.trimmed();
    switch (fieldKind(row.field)) {
    case FieldKind::Date:
        line.value = encodeDateValue(row.valueText, intl);
        break;
    case FieldKind::Time: {
        // The AM/PM box is shown only with a 12-hour clock; its second entry is the PM designator.
        const bool twelveHour = row.valueChoiceVisible;
        bool pm = false;
        if (twelveHour) {
            if (row.valueChoiceIndex >= 0)
                pm = row.valueChoiceIndex == 1;
            else
                pm = !intl.s2359.trimmed().isEmpty() && row.valueChoiceText.trimmed() == intl.s2359.trimmed();
        }
        line.value = encodeTimeValue(row.valueText, twelveHour, pm);
        break;
    }
    case FieldKind::Size: {
        QString unit = row.valueChoiceText;
        if (unit.trimmed().isEmpty() && row.valueChoiceIndex == 1)
            unit = QStringLiteral("KB");
        else if (unit.trimmed().isEmpty() && row.valueChoiceIndex == 2)
            unit = QStringLiteral("MB");
        line.value = encodeSizeValue(row.valueText, row.valueChoiceVisible ? unit : QString(), intl);
        break;
    }
    case FieldKind::Attribute:
        if (evaluation == QLatin1String("=")) {
            line.value = QStringLiteral("TRUE");
        } else {
            line.evaluation = QStringLiteral("=");
            line.value = QStringLiteral("FALSE");
        }
        break;
    case FieldKind::Text:
        line.value = encodeTextValue(row.valueText);
        line.evaluation =
            evaluation == QLatin1String("=") ? QStringLiteral("LIKE") : QStringLiteral("NOT LIKE");
        break;
    case FieldKind::None:
        // A line without a field keeps its empty evaluation: it adds only its left brackets to the
        // statement, and the empty evaluation is also what a reloaded line gets, so storing the grid
        // again does not count as a change of the condition lines.
        line.value = encodeTextValue(row.valueText);
        break;
    }

    if (row.valueChoiceVisible) {
        line.valueChoice = row.valueChoiceText;
        line.valueChoiceIndex = row.valueChoiceIndex;
    } else {
        line.valueChoice.clear();
        line.valueChoiceIndex = -1;
    }
    line.bracketR = row.bracketR;
    line.connection = row.connection;
    line.connectionIndex = row.connectionIndex;
    return line;
}

} // namespace zek
