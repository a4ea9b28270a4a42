#include "query/condition_text.h"

#include "work/work_schema.h"

#include "query/row_encoding.h"
#include "query/row_model.h"
#include "query/value_validation.h"

#include <QRegularExpression>

#include <optional>

namespace zek {

namespace {

struct Word {
    QString text;
    bool quoted = false;
};

// The words of a line: runs of non-space characters, or text in double quotes ("" inside is one ").
std::optional<QList<Word>> splitWords(const QString& text, QString& error) {
    QList<Word> words;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i].isSpace()) {
            ++i;
            continue;
        }
        Word w;
        if (text[i] == u'"') {
            w.quoted = true;
            ++i;
            bool closed = false;
            while (i < text.size()) {
                if (text[i] == u'"') {
                    if (i + 1 < text.size() && text[i + 1] == u'"') {
                        w.text += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                w.text += text[i++];
            }
            if (!closed) {
                error = QStringLiteral("a value in double quotes has no closing quote");
                return std::nullopt;
            }
        } else {
            while (i < text.size() && !text[i].isSpace())
                w.text += text[i++];
        }
        words.append(w);
    }
    return words;
}

bool onlyOf(const Word& w, QChar c) {
    if (w.quoted || w.text.isEmpty())
        return false;
    for (QChar x : w.text) {
        if (x != c)
            return false;
    }
    return true;
}

QString fieldNamesText() {
    return conditionFieldList().mid(1).join(QStringLiteral(", "));
}

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// The value as the grid's key filter lets it be typed into a box of `maxLength` characters; nothing
// when a character would be dropped or the box is too short.
std::optional<QString> typedValue(const QString& field, const QString& text, const QString& unit,
                                  const platform::IntlSettings& intl, int maxLength, QString& error) {
    QString typed;
    for (QChar c : text) {
        const int key = filterValueKey(field, c.unicode(), unit, intl);
        if (key == 0) {
            if (field == QLatin1String("SIZE") && QString(c) == intl.sDecimal)
                error = QStringLiteral("a SIZE in bytes is a whole number: a fraction needs KB or MB");
            else
                error = QStringLiteral("\"%1\" cannot be typed into a %2 value").arg(c).arg(field);
            return std::nullopt;
        }
        typed += QChar(key);
    }
    if (typed.size() > maxLength) {
        error = QStringLiteral("a %1 value holds at most %2 characters").arg(field).arg(maxLength);
        return std::nullopt;
    }
    return typed;
}

// A date box's text in the order of the short-date pattern, with a four-digit year.
QString dateBoxText(const QDate& date, const platform::IntlSettings& intl) {
    QStringList parts;
    for (QChar letter : shortDateOrder(intl)) {
        if (letter == u'd')
            parts.append(twoDigits(date.day()));
        else if (letter == u'M')
            parts.append(twoDigits(date.month()));
        else
            parts.append(QString::number(date.year()));
    }
    return parts.join(intl.sDate.isEmpty() ? QStringLiteral("/") : intl.sDate);
}

std::optional<QDate> readDate(const QString& text, const platform::IntlSettings& intl) {
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    const QRegularExpressionMatch m = iso.match(text);
    if (!m.hasMatch())
        return readDateEntry(text, intl);
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

// -1 when the word is no designator, 0 for AM, 1 for PM.
int designatorOf(const QString& word, const platform::IntlSettings& intl) {
    auto is = [&](const QString& designator) {
        return !designator.trimmed().isEmpty() &&
               word.compare(designator.trimmed(), Qt::CaseInsensitive) == 0;
    };
    if (is(intl.s1159) || is(QStringLiteral("AM")))
        return 0;
    if (is(intl.s2359) || is(QStringLiteral("PM")))
        return 1;
    return -1;
}

// Fills the row's value from the typed value; the error in the grid's words where it has them.
QString takeValue(GridRowInput& row, const QString& value, const QString& unit, int amPm,
                  const platform::IntlSettings& intl, int maxLength) {
    const QString& field = row.field;
    QString error;
    switch (fieldKind(field)) {
    case FieldKind::None:
        break;
    case FieldKind::Text: {
        const std::optional<QString> typed = typedValue(field, value, QString(), intl, maxLength, error);
        if (!typed)
            return error;
        const ValueCheck check = checkValueEntry(field, *typed, intl);
        if (!check.ok)
            return check.message;
        row.valueText = check.text;
        break;
    }
    case FieldKind::Size: {
        const std::optional<QString> typed = typedValue(field, value, unit, intl, maxLength, error);
        if (!typed)
            return error;
        if (!typed->contains(QRegularExpression(QStringLiteral("[0-9]"))))
            return QStringLiteral("a SIZE value needs a number");
        const ValueCheck check = checkValueEntry(field, *typed, intl);
        if (!check.ok)
            return check.message;
        row.valueText = check.text;
        row.valueChoiceVisible = true;
        row.valueChoiceIndex =
            static_cast<int>(sizeUnits().indexOf(unit.isEmpty() ? QStringLiteral("  ") : unit));
        row.valueChoiceText = sizeUnits().value(row.valueChoiceIndex);
        break;
    }
    case FieldKind::Date: {
        const std::optional<QDate> date = readDate(value, intl);
        if (!date)
            return InvalidDateMessage;
        row.valueText = dateBoxText(*date, intl);
        break;
    }
    case FieldKind::Time: {
        static const QRegularExpression hhmm(QStringLiteral("^(\\d{1,2})\\D{1,3}(\\d{2})$"));
        const QRegularExpressionMatch m = hhmm.match(value);
        if (!m.hasMatch())
            return InvalidTimeMessage;
        const QString box = twoDigits(m.captured(1).toInt()) + intl.sTime + m.captured(2);
        // Without a designator the time is on the 24-hour clock, whatever the settings' clock.
        platform::IntlSettings clock = intl;
        clock.iTime = amPm < 0 ? 1 : 0;
        const ValueCheck check = checkValueEntry(field, box, clock);
        if (!check.ok)
            return check.message;
        row.valueText = box;
        row.valueChoiceVisible = amPm >= 0;
        row.valueChoiceIndex = amPm;
        row.valueChoiceText = amPm == 1 ? intl.s2359 : amPm == 0 ? intl.s1159 : QString();
        break;
    }
    case FieldKind::Attribute:
        if (value.toUpper() != QLatin1String("SET"))
            return QStringLiteral("%1 takes the value SET: write \"%1 = SET\" or \"%1 NOT = SET\"")
                .arg(field);
        row.valueText = checkValueEntry(field, value, intl).text;
        break;
    }
    return QString();
}

QString quotedIfNeeded(const QString& value) {
    bool needs = value.isEmpty();
    for (QChar c : value)
        needs = needs || c.isSpace() || c == u'"';
    if (!needs)
        return value;
    QString t = value;
    t.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + t + u'"';
}

bool allDigits(const QString& s) {
    return !s.isEmpty() && !s.contains(QRegularExpression(QStringLiteral("[^0-9]")));
}

QString isoDateText(const QString& stored) {
    if (stored.size() != 8 || !allDigits(stored))
        return quotedIfNeeded(stored);
    return stored.left(4) + u'-' + stored.mid(4, 2) + u'-' + stored.right(2);
}

QString isoTimeText(const QString& stored) {
    QString v = stored;
    if (allDigits(v) && v.size() < 6)
        v = v.rightJustified(6, u'0');
    if (v.size() != 6 || !allDigits(v))
        return quotedIfNeeded(stored);
    return v.left(2) + u':' + v.mid(2, 2);
}

} // namespace

ConditionTextParse parseConditionText(const QString& text, const platform::IntlSettings& intl) {
    ConditionTextParse result;
    auto refuse = [&](const QString& why) {
        result.error = why;
        return result;
    };
    QString error;
    std::optional<QList<Word>> split = splitWords(text, error);
    if (!split)
        return refuse(error);
    QList<Word>& words = *split;
    const qsizetype n = words.size();
    qsizetype i = 0;

    GridRowInput row;
    // Left brackets, as words of their own or in front of the field.
    while (i < n && !words[i].quoted && words[i].text.startsWith(u'(')) {
        QString& w = words[i].text;
        qsizetype count = 0;
        while (count < w.size() && w[count] == u'(')
            ++count;
        row.bracketL += w.left(count);
        if (count < w.size()) {
            w = w.mid(count);
            break;
        }
        ++i;
    }
    // The grid's bracket boxes hold no more than the work file keeps.
    const QString tooManyBrackets =
        QStringLiteral("at most %1 brackets go on either side of a condition").arg(work::DqBracketSize);
    if (row.bracketL.size() > work::DqBracketSize)
        return refuse(tooManyBrackets);
    if (i == n) {
        result.line = storedForm(encodeGridRow(row, intl));
        return result;
    }

    const QString field = words[i].text.toUpper();
    const qsizetype fieldAt = conditionFieldList().indexOf(field);
    if (words[i].quoted || fieldAt <= 0)
        return refuse(
            QStringLiteral("unknown field \"%1\"; the fields are %2").arg(words[i].text, fieldNamesText()));
    ++i;
    row.field = field;
    row.fieldIndex = static_cast<int>(fieldAt);
    GridRowState setup;
    setupRowForField(setup, field, intl);

    if (i == n)
        return refuse(QStringLiteral("no evaluation after %1").arg(field));
    QString evaluation = words[i++].text.toUpper();
    if (evaluation == QLatin1String("NOT") && i < n && words[i].text == QLatin1String("=")) {
        evaluation = QStringLiteral("NOT =");
        ++i;
    } else if (evaluation == QLatin1String("NOT=")) {
        evaluation = QStringLiteral("NOT =");
    }
    row.evaluationIndex = static_cast<int>(setup.evaluations.indexOf(evaluation));
    if (row.evaluationIndex < 0) {
        return refuse(QStringLiteral("%1 takes the evaluations %2, not \"%3\"")
                          .arg(field, setup.evaluations.join(QStringLiteral(", ")), evaluation));
    }
    row.evaluationText = evaluation;

    if (i == n)
        return refuse(QStringLiteral("no value after %1 %2").arg(field, evaluation));
    Word value = words[i++];
    const FieldKind kind = fieldKind(field);
    QString unit;
    if (kind == FieldKind::Size && !value.quoted) {
        for (const QString& u : {QStringLiteral("KB"), QStringLiteral("MB")}) {
            if (value.text.size() > 2 && value.text.endsWith(u, Qt::CaseInsensitive)) {
                unit = u;
                value.text.chop(2);
            } else if (unit.isEmpty() && i < n && !words[i].quoted &&
                       words[i].text.compare(u, Qt::CaseInsensitive) == 0) {
                unit = u;
                ++i;
            }
        }
    }
    int amPm = -1;
    if (kind == FieldKind::Time && i < n && !words[i].quoted) {
        amPm = designatorOf(words[i].text, intl);
        if (amPm >= 0)
            ++i;
    }
    if (const QString why = takeValue(row, value.text, unit, amPm, intl, setup.maxLength); !why.isEmpty())
        return refuse(why);

    while (i < n && onlyOf(words[i], u')'))
        row.bracketR += words[i++].text;
    if (row.bracketR.size() > work::DqBracketSize)
        return refuse(tooManyBrackets);

    QStringList rest;
    for (; i < n; ++i)
        rest.append(words[i].quoted ? u'"' + words[i].text + u'"' : words[i].text);
    if (!rest.isEmpty()) {
        const QString connection = rest.join(u' ').toUpper();
        const qsizetype at = connectionList().indexOf(connection);
        if (at <= 0) {
            return refuse(QStringLiteral("\"%1\" is not a connection (AND, OR, AND NOT, OR NOT); a value "
                                         "with spaces goes in double quotes")
                              .arg(rest.join(u' ')));
        }
        row.connection = connection;
        row.connectionIndex = static_cast<int>(at);
    }
    result.line = storedForm(encodeGridRow(row, intl));
    return result;
}

QString conditionText(const QueryLine& line, const platform::IntlSettings& intl) {
    const QueryLine s = storedForm(line);
    if (s.field.isEmpty())
        return s.bracketL;
    const GridRowState row = showLineInRow(s, 1, intl);
    QStringList words;
    if (!s.bracketL.isEmpty())
        words.append(s.bracketL);
    words << s.field << row.evaluations.value(row.evaluationIndex);
    switch (fieldKind(s.field)) {
    case FieldKind::Date:
        words.append(isoDateText(s.value));
        break;
    case FieldKind::Time:
        words.append(isoTimeText(s.value));
        break;
    case FieldKind::Size:
        words.append(quotedIfNeeded(row.valueText));
        if (s.valueChoiceIndex == 1 || s.valueChoiceIndex == 2)
            words.append(sizeUnits().value(s.valueChoiceIndex));
        break;
    case FieldKind::Attribute:
        words.append(QStringLiteral("SET"));
        break;
    case FieldKind::Text:
    case FieldKind::None:
        words.append(quotedIfNeeded(row.valueText));
        break;
    }
    if (!s.bracketR.isEmpty())
        words.append(s.bracketR);
    if (!s.connection.isEmpty())
        words.append(s.connection);
    return words.join(u' ');
}

SorterTextParse parseSorterText(const QString& text) {
    SorterTextParse result;
    QString t = text.trimmed();
    if (t.endsWith(u'+')) {
        t.chop(1);
    } else if (t.endsWith(u'-')) {
        t.chop(1);
        result.sorter.ascending = false;
    }
    const QString field = t.trimmed().toUpper();
    if (conditionFieldList().indexOf(field) <= 0) {
        result.error =
            QStringLiteral("unknown sort field \"%1\"; the fields are %2").arg(text, fieldNamesText());
        return result;
    }
    result.sorter.text = field;
    return result;
}

QString sorterText(const Sorter& sorter) {
    const QString field = sorter.text.trimmed();
    if (field.isEmpty())
        return QString();
    return field + (sorter.ascending ? u'+' : u'-');
}

} // namespace zek
