#include "platform/short_names.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <numeric>

namespace zek::platform {

namespace {

constexpr int MaxBase = 8;
constexpr int MaxExtension = 3;

// A long name reduced to what its alternates are made of.
struct Stem {
    QString base;      // upper case, allowed characters only, never empty
    QString extension; // upper case, at most 3 allowed characters
};

QChar upperAscii(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') ? QChar(char16_t(u - u'a' + u'A')) : c;
}

Stem stemOf(const QString& longName) {
    qsizetype start = 0;
    while (start < longName.size() && longName.at(start) == u'.')
        ++start;
    const qsizetype lastDot = longName.lastIndexOf(u'.');
    const qsizetype baseEnd = lastDot >= start ? lastDot : longName.size();

    Stem stem;
    stem.base.reserve(baseEnd - start);
    stem.extension.reserve(MaxExtension);
    for (qsizetype i = start; i < baseEnd; ++i) {
        const QChar c = longName.at(i);
        if (isShortNameChar(c)) // dots and blanks are not allowed characters
            stem.base.append(upperAscii(c));
    }
    if (lastDot >= start) {
        for (qsizetype i = lastDot + 1; i < longName.size() && stem.extension.size() < MaxExtension; ++i) {
            const QChar c = longName.at(i);
            if (isShortNameChar(c))
                stem.extension.append(upperAscii(c));
        }
    }
    if (stem.base.isEmpty())
        stem.base = QStringLiteral("_");
    return stem;
}

QString candidate(const Stem& stem, int n) {
    const QString number = QString::number(n);
    const qsizetype keep = MaxBase - 1 - number.size();
    if (n < 1 || keep < 0)
        return {};
    QString name;
    name.reserve(MaxBase + 1 + MaxExtension);
    name.append(QStringView(stem.base).left(keep)).append(u'~').append(number);
    if (!stem.extension.isEmpty())
        name.append(u'.').append(stem.extension);
    return name;
}

} // namespace

bool isShortNameChar(QChar c) {
    const char16_t u = c.unicode();
    if ((u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9'))
        return true;
    static constexpr char16_t Specials[] = u"$%'-_@~`!(){}^#&";
    return u != 0 && std::char_traits<char16_t>::find(Specials, std::size(Specials) - 1, u) != nullptr;
}

bool isValidShortName(const QString& name) {
    const qsizetype dot = name.indexOf(u'.');
    const qsizetype baseLength = dot < 0 ? name.size() : dot;
    if (baseLength < 1 || baseLength > MaxBase)
        return false;
    if (dot >= 0) {
        const qsizetype extensionLength = name.size() - dot - 1;
        if (extensionLength < 1 || extensionLength > MaxExtension)
            return false;
    }
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (i != dot && !isShortNameChar(name.at(i)))
            return false;
    }
    return true;
}

QString shortNameFor(const QString& longName, int n) {
    if (isValidShortName(longName))
        return {};
    return candidate(stemOf(longName), n);
}

std::vector<QString> generateShortNames(const std::vector<QByteArray>& rawNames,
                                        const std::vector<QString>& shownNames) {
    Q_ASSERT(rawNames.size() == shownNames.size());
    const std::size_t count = rawNames.size();
    std::vector<QString> alternates(count);

    // Every alternate holds a "~", so only long names with one can collide with an alternate.
    QSet<QString> taken;
    for (const QString& name : shownNames) {
        if (name.contains(u'~'))
            taken.insert(name.toUpper());
    }

    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return rawNames[a] < rawNames[b]; });

    // Names with the same first six base characters and the same extension run through the same
    // candidates, and a number once taken stays taken; so the search for the next one of them can
    // start where the last ended. Keeps a folder of many similar names linear instead of quadratic.
    QHash<QString, int> nextNumber;
    for (const std::size_t i : order) {
        const QString& name = shownNames[i];
        if (isValidShortName(name))
            continue;
        const Stem stem = stemOf(name);
        const QString key = stem.base.left(6) + u'/' + stem.extension;
        int n = nextNumber.value(key, 1);
        for (;; ++n) {
            QString alternate = candidate(stem, n);
            if (alternate.isEmpty())
                break; // ten million similar names: leave the long name alone
            if (!taken.contains(alternate)) {
                taken.insert(alternate);
                alternates[i] = std::move(alternate);
                break;
            }
        }
        nextNumber.insert(key, n + 1);
    }
    return alternates;
}

std::vector<QString> generateShortNames(const std::vector<QByteArray>& longNamesInFolder) {
    std::vector<QString> shown;
    shown.reserve(longNamesInFolder.size());
    for (const QByteArray& raw : longNamesInFolder)
        shown.push_back(displayName(raw));
    return generateShortNames(longNamesInFolder, shown);
}

QString shortFormOf(const QString& name, const QString& alternate) {
    return alternate.isEmpty() ? name.toUpper() : alternate;
}

QString displayName(const QByteArray& rawName) {
    return QString::fromUtf8(rawName);
}

} // namespace zek::platform
