#include "platform/number_text.h"

#include <cmath>

namespace zek::platform {

QString formatWholeNumber(qint64 value, const QString& thousandSeparator) {
    const bool negative = value < 0;
    // The magnitude as unsigned, so that the smallest qint64 has one too.
    const quint64 magnitude = negative ? quint64(0) - quint64(value) : quint64(value);
    const QString digits = QString::number(magnitude);
    QString out;
    out.reserve(digits.size() + digits.size() / 3 * thousandSeparator.size() + 1);
    if (negative)
        out += u'-';
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += thousandSeparator;
        out += digits.at(i);
    }
    return out;
}

QString formatWholeNumber(double value, const QString& thousandSeparator) {
    if (!std::isfinite(value))
        return QString::number(value);
    const double rounded = std::round(value); // halves away from zero
    if (rounded >= 9.2e18 || rounded <= -9.2e18)
        return QString::number(rounded, 'f', 0);
    return formatWholeNumber(static_cast<qint64>(rounded), thousandSeparator);
}

QString formatGroupedNumber(double value, int decimals, const QString& thousandSeparator,
                            const QString& decimalSeparator) {
    if (!std::isfinite(value))
        return QString::number(value);
    const double scale = std::pow(10.0, decimals);
    // Half away from zero; the tiny nudge keeps values such as 2.675 from falling below the half.
    const double rounded = std::floor(std::fabs(value) * scale + 0.5 + 1e-9) / scale;
    const QString digits = QString::number(rounded, 'f', decimals);
    const qsizetype point = digits.indexOf(u'.');
    const QString whole = point < 0 ? digits : digits.left(point);
    QString out;
    if (value < 0 && rounded != 0)
        out += u'-';
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0)
            out += thousandSeparator;
        out += whole.at(i);
    }
    if (point >= 0)
        out += decimalSeparator + digits.mid(point + 1);
    return out;
}

} // namespace zek::platform
