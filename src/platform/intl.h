// The international settings the program reads at start-up: number separators, the short-date
// pattern and the clock.
//
// They come from the system locale; under the C or POSIX locale (no locale chosen) each keeps its
// classic default. A section "[intl]" in the settings file overrides every key it holds, so a user
// can choose, say, a 12-hour clock or a comma as decimal separator.
#pragma once

#include <QLocale>
#include <QString>

namespace zek::platform {

struct IntlSettings {
    int iTime = 0;   // 1: 24-hour clock
    int iTLzero = 0; // 1: hours shown with a leading zero
    int iLzero = 0;  // 1: numbers below 1 shown with a leading zero ("0.5")
    QString s1159 = QStringLiteral("AM");
    QString s2359 = QStringLiteral("PM");
    QString sTime = QStringLiteral(":");
    QString sDecimal = QStringLiteral(".");
    QString sThousand = QStringLiteral(",");
    QString sShortDate = QStringLiteral("M/d/yy");
    QString sDate = QStringLiteral("-");
};

// The settings a locale gives; the defaults for the C locale.
IntlSettings intlFromLocale(const QLocale& locale);

// The system locale's settings, each overridden by the key of that name in section "intl" of the
// given settings file when present.
IntlSettings readIntlSettings(const QString& iniFileName);

} // namespace zek::platform
