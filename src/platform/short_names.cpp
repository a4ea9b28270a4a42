#include "platform/short_names.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

namespace zek::platform {

namespace {

constexpr int MaxBase = 8;
constexpr int MaxExtension = 3;

// A long name reduced to what its alternates are made of. An alternate keeps at most six characters
// of the base (fewer as its number grows), so only those are kept.
struct Stem {
    char base[6]; // upper case, allowed characters only; "_" when the name has none
    int baseLength = 0;
    char extension[MaxExtension]; // upper case, at most 3 allowed characters
    int extensionLength = 0;
};

char upperAscii(char16_t u) {
    return char((u >= u'a' && u <= u'z') ? u - u'a' + u'A' : u);
}

Stem stemOf(QStringView longName) {
    qsizetype start = 0;
    while (start < longName.size() && longName.at(start) == u'.')
        ++start;
    const qsizetype lastDot = longName.lastIndexOf(u'.');
    const qsizetype baseEnd = lastDot >= start ? lastDot : longName.size();

    Stem stem;
    for (qsizetype i = start; i < baseEnd && stem.baseLength < int(sizeof stem.base); ++i) {
        const QChar c = longName.at(i);
        if (isShortNameChar(c)) // dots and blanks are not allowed characters
            stem.base[stem.baseLength++] = upperAscii(c.unicode());
    }
    if (lastDot >= start) {
        for (qsizetype i = lastDot + 1; i < longName.size() && stem.extensionLength < MaxExtension; ++i) {
            const QChar c = longName.at(i);
            if (isShortNameChar(c))
                stem.extension[stem.extensionLength++] = upperAscii(c.unicode());
        }
    }
    if (stem.baseLength == 0)
        stem.base[stem.baseLength++] = '_';
    return stem;
}

// The alternate with number `n`, written to `out` (room for 12 characters); its length, or 0 when n
// has more than 7 digits.
int candidate(const Stem& stem, int n, char* out) {
    char digits[12];
    int count = 0;
    for (int rest = n; rest > 0; rest /= 10)
        digits[count++] = char('0' + rest % 10);
    const int keep = MaxBase - 1 - count;
    if (n < 1 || keep < 0)
        return 0;
    int length = 0;
    for (int i = 0; i < std::min(keep, stem.baseLength); ++i)
        out[length++] = stem.base[i];
    out[length++] = '~';
    while (count > 0)
        out[length++] = digits[--count];
    if (stem.extensionLength > 0) {
        out[length++] = '.';
        for (int i = 0; i < stem.extensionLength; ++i)
            out[length++] = stem.extension[i];
    }
    return length;
}

// A map from short ASCII keys (at most 12 bytes: an alternate, or a stem's key) to values, in one
// flat table with open addressing: no allocation per key, which matters at one key per file name.
template <typename Value> class ShortKeyTable {
public:
    explicit ShortKeyTable(std::size_t expected) { m_slots.resize(capacityFor(expected)); }

    // The value of `key`, inserted as `initial` when missing; `inserted` tells which it was.
    Value& at(const char* key, int length, const Value& initial, bool* inserted = nullptr) {
        Q_ASSERT(length >= 0 && length <= MaxKey);
        if ((m_count + 1) * 2 > m_slots.size())
            grow();
        Slot& slot = find(m_slots, key, length);
        const bool isNew = !slot.used;
        if (isNew) {
            slot.used = true;
            slot.length = quint8(length);
            std::memcpy(slot.key, key, std::size_t(length));
            slot.value = initial;
            ++m_count;
        }
        if (inserted)
            *inserted = isNew;
        return slot.value;
    }

    static constexpr int MaxKey = 12;

private:
    struct Slot {
        char key[MaxKey];
        quint8 length = 0;
        bool used = false;
        Value value{};
    };

    static std::size_t capacityFor(std::size_t expected) {
        std::size_t capacity = 16;
        while (capacity < expected * 2)
            capacity *= 2;
        return capacity;
    }
    static Slot& find(std::vector<Slot>& slots, const char* key, int length) {
        quint32 hash = 2166136261u; // FNV-1a
        for (int i = 0; i < length; ++i)
            hash = (hash ^ quint8(key[i])) * 16777619u;
        const std::size_t mask = slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& slot = slots[i];
            if (!slot.used || (slot.length == length && std::memcmp(slot.key, key, std::size_t(length)) == 0))
                return slot;
        }
    }
    void grow() {
        std::vector<Slot> larger(m_slots.size() * 2);
        for (const Slot& slot : m_slots) {
            if (slot.used)
                find(larger, slot.key, slot.length) = slot;
        }
        m_slots.swap(larger);
    }

    std::vector<Slot> m_slots;
    std::size_t m_count = 0;
};

} // namespace

bool isShortNameChar(QChar c) {
    const char16_t u = c.unicode();
    if ((u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9'))
        return true;
    static constexpr char16_t Specials[] = u"$%'-_@~`!(){}^#&";
    return u != 0 && std::char_traits<char16_t>::find(Specials, std::size(Specials) - 1, u) != nullptr;
}

bool isValidShortName(QStringView name) {
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
    char out[16];
    const int length = candidate(stemOf(longName), n, out);
    return QString::fromLatin1(out, length);
}

void generateShortNames(const std::vector<QByteArrayView>& rawNames,
                        const std::vector<QStringView>& shownNames, std::vector<ShortAlternate>& alternates) {
    Q_ASSERT(rawNames.size() == shownNames.size());
    const std::size_t count = rawNames.size();
    alternates.assign(count, ShortAlternate{});

    // Every alternate holds a "~" and is at most 12 ASCII characters, so only long names like that
    // can collide with an alternate.
    ShortKeyTable<char> taken(count);
    for (const QStringView name : shownNames) {
        if (name.contains(u'~')) {
            const QByteArray upper = name.toString().toUpper().toUtf8();
            if (upper.size() <= ShortKeyTable<char>::MaxKey)
                taken.at(upper.constData(), int(upper.size()), 0);
        }
    }

    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const QByteArrayView x = rawNames[a], y = rawNames[b];
        const int c = std::memcmp(x.data(), y.data(), std::size_t(std::min(x.size(), y.size())));
        return c != 0 ? c < 0 : x.size() < y.size(); // byte order, unsigned
    });

    // Names with the same first six base characters and the same extension run through the same
    // candidates, and a number once taken stays taken; so the search for the next one of them can
    // start where the last ended. Keeps a folder of many similar names linear instead of quadratic.
    ShortKeyTable<int> nextNumber(count);
    // A valid 8.3 name is its own short form in upper case, unless an earlier name of the folder
    // has that form already (CaseDir, casedir): then it gets an alternate too, or the two could
    // not be told apart by their short paths.
    ShortKeyTable<char> validForms(count);
    for (const std::size_t i : order) {
        const QStringView name = shownNames[i];
        if (isValidShortName(name)) {
            char upper[ShortKeyTable<char>::MaxKey];
            for (qsizetype k = 0; k < name.size(); ++k)
                upper[k] = upperAscii(name.at(k).unicode());
            bool fresh = false;
            validForms.at(upper, int(name.size()), 0, &fresh);
            if (fresh)
                continue;
        }
        const Stem stem = stemOf(name);
        char key[ShortKeyTable<int>::MaxKey];
        int keyLength = 0;
        for (int k = 0; k < stem.baseLength; ++k)
            key[keyLength++] = stem.base[k];
        key[keyLength++] = '/';
        for (int k = 0; k < stem.extensionLength; ++k)
            key[keyLength++] = stem.extension[k];
        int n = nextNumber.at(key, keyLength, 1);
        for (;; ++n) {
            ShortAlternate& alternate = alternates[i];
            const int length = candidate(stem, n, alternate.text);
            if (length == 0)
                break; // ten million similar names: leave the long name alone
            bool fresh = false;
            taken.at(alternate.text, length, 0, &fresh);
            if (fresh) {
                alternate.length = quint8(length);
                break;
            }
        }
        // Looked up again: the table may have moved its slots since.
        nextNumber.at(key, keyLength, 1) = n + 1;
    }
}

std::vector<QString> generateShortNames(const std::vector<QByteArray>& rawNames,
                                        const std::vector<QString>& shownNames) {
    const std::vector<QByteArrayView> raw(rawNames.begin(), rawNames.end());
    const std::vector<QStringView> shown(shownNames.begin(), shownNames.end());
    std::vector<ShortAlternate> alternates;
    generateShortNames(raw, shown, alternates);
    std::vector<QString> result;
    result.reserve(alternates.size());
    for (const ShortAlternate& alternate : alternates)
        result.push_back(alternate.toString());
    return result;
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
