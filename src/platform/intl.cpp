#include "platform/intl.h"

#include "platform/profile.h"

#include <QList>

#include <optional>

namespace zek::platform {
namespace {

// The program read the "intl" texts into a buffer of 999 characters.
constexpr int IntlBufferSize = 999;

// One piece of a Qt date or time format: a run of one pattern letter, or literal text.
struct Token {
    QChar letter; // null for literal text
    int count = 0;
    QString text; // the literal text, quotation marks removed
};

bool isPatternLetter(QChar c) {
    static const QString letters = QStringLiteral("dMyhHmszaAt");
    return letters.contains(c);
}

QList<Token> tokenize(const QString& format) {
    QList<Token> tokens;
    auto literal = [&](QChar c) {
        if (tokens.isEmpty() || !tokens.last().letter.isNull())
            tokens.append(Token{});
        tokens.last().text += c;
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) {
            if (i + 1 < format.size() && format[i + 1] == QLatin1Char('\'')) {
                literal(c);
                i += 2;
                continue;
            }
            ++i;
            while (i < format.size()) {
                if (format[i] == QLatin1Char('\'')) {
                    if (i + 1 < format.size() && format[i + 1] == QLatin1Char('\'')) {
                        literal(format[i]);
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal(format[i++]);
            }
        } else if (isPatternLetter(c)) {
            Token t;
            t.letter = c;
            while (i < format.size() && format[i] == c) {
                ++t.count;
                ++i;
            }
            tokens.append(t);
        } else {
            literal(c);
            ++i;
        }
    }
    return tokens;
}

// Direction and joining marks (some locales put them around separators) are invisible and mean
// nothing to the classic pattern.
QString withoutFormatMarks(const QString& s) {
    QString out;
    for (QChar c : s)
        if (c.category() != QChar::Other_Format)
            out += c;
    return out;
}

// The literal text between the first two fields for which `isField` holds, when there are two.
template <typename Pred>
std::optional<QString> separatorBetweenFields(const QList<Token>& tokens, Pred isField) {
    qsizetype first = -1;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (tokens[i].letter.isNull() || !isField(tokens[i].letter))
            continue;
        if (first < 0) {
            first = i;
            continue;
        }
        QString between;
        for (qsizetype j = first + 1; j < i; ++j)
            if (tokens[j].letter.isNull())
                between += tokens[j].text;
        return withoutFormatMarks(between);
    }
    return std::nullopt;
}

bool isDateField(QChar c) {
    return c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y');
}

// Qt's short-date format in the classic pattern letters: d/dd/ddd/dddd, M/MM/MMM/MMMM, yy/yyyy,
// literal text with letters in single quotation marks.
QString classicDatePattern(const QList<Token>& tokens) {
    QString out;
    for (const Token& t : tokens) {
        if (t.letter.isNull() || !isDateField(t.letter)) {
            // Letters in single quotation marks, so they are not read as pattern letters.
            const QString text = withoutFormatMarks(t.letter.isNull() ? t.text : QString(t.count, t.letter));
            bool quoting = false;
            for (QChar c : text) {
                const bool needsQuote = c.isLetter() || c == QLatin1Char('\'');
                if (needsQuote != quoting) {
                    out += QLatin1Char('\'');
                    quoting = needsQuote;
                }
                out += c == QLatin1Char('\'') ? QStringLiteral("''") : QString(c);
            }
            if (quoting)
                out += QLatin1Char('\'');
        } else if (t.letter == QLatin1Char('y')) {
            out += t.count == 2 ? QStringLiteral("yy") : QStringLiteral("yyyy");
        } else {
            out += QString(qMin(t.count, 4), t.letter);
        }
    }
    return out.trimmed();
}

} // namespace

IntlSettings intlFromLocale(const QLocale& locale) {
    IntlSettings s;
    if (locale.language() == QLocale::C)
        return s; // no locale chosen: the classic defaults

    s.sDecimal = locale.decimalPoint();
    s.sThousand = locale.groupSeparator();
    s.iLzero = locale.toString(0.5, 'f', 1).startsWith(locale.zeroDigit()) ? 1 : 0;
    s.s1159 = locale.amText();
    s.s2359 = locale.pmText();

    const QList<Token> date = tokenize(locale.dateFormat(QLocale::ShortFormat));
    s.sShortDate = classicDatePattern(date);
    if (const auto sep = separatorBetweenFields(date, isDateField))
        s.sDate = *sep;

    const QList<Token> time = tokenize(locale.timeFormat(QLocale::ShortFormat));
    bool twelveHour = false;
    for (const Token& t : time) {
        if (t.letter == QLatin1Char('a') || t.letter == QLatin1Char('A'))
            twelveHour = true;
        if (t.letter == QLatin1Char('h') || t.letter == QLatin1Char('H'))
            s.iTLzero = t.count >= 2 ? 1 : 0;
    }
    s.iTime = twelveHour ? 0 : 1;
    const auto sep = separatorBetweenFields(time, [](QChar c) {
        return c == QLatin1Char('h') || c == QLatin1Char('H') || c == QLatin1Char('m');
    });
    if (sep && !sep->isEmpty())
        s.sTime = *sep;
    return s;
}

IntlSettings readIntlSettings(const QString& iniFileName) {
    IntlSettings s = intlFromLocale(QLocale::system());
    const QString section = QStringLiteral("intl");
    s.iTime = getPrivateProfileInt(section, QStringLiteral("iTime"), s.iTime, iniFileName);
    s.iTLzero = getPrivateProfileInt(section, QStringLiteral("iTLzero"), s.iTLzero, iniFileName);
    s.iLzero = getPrivateProfileInt(section, QStringLiteral("iLzero"), s.iLzero, iniFileName);
    const std::pair<const char*, QString*> texts[] = {
        {"s1159", &s.s1159},       {"s2359", &s.s2359},         {"sTime", &s.sTime},
        {"sDecimal", &s.sDecimal}, {"sThousand", &s.sThousand}, {"sShortDate", &s.sShortDate},
        {"sDate", &s.sDate},
    };
    for (const auto& [key, target] : texts) {
        if (auto value = findPrivateProfileString(section, QLatin1String(key), iniFileName, IntlBufferSize))
            *target = *value;
    }
    return s;
}

} // namespace zek::platform
