// Alternate 8.3 names, made the way the FAT driver makes them.
//
// Linux file systems keep no short names, yet the folder outlines and the walker show and record
// them. Every caller asks here, and the numbering depends only on the set of names in the folder
// (never on the order readdir returns them), so the same folder always yields the same alternates.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1String>
#include <QString>
#include <QStringView>

#include <vector>

namespace zek::platform {

// True when `name` is a valid 8.3 name without regard to case: a base of 1 to 8 characters, at most
// one dot, an extension of 1 to 3 characters after it, and only ASCII letters, digits and
// $ % ' - _ @ ~ ` ! ( ) { } ^ # &.
bool isValidShortName(QStringView name);

// True for the characters an 8.3 name may hold (letters of either case, digits, the specials above).
bool isShortNameChar(QChar c);

// The alternate that `longName` gets with number `n` (1, 2, ...), before any collision check:
// leading dots dropped, upper case, disallowed characters and blanks dropped, dots removed from the
// base (an empty base becomes "_"), the base cut so that base + "~" + n has at most 8 characters,
// and "." + the first 3 allowed characters after the last dot. Empty when `longName` is already a
// valid 8.3 name, or when n has more than 7 digits.
QString shortNameFor(const QString& longName, int n = 1);

// The alternates of every name of one folder, at the same positions as the input; empty where the
// name is a valid 8.3 name whose upper case no name before it (in byte order) shares. Numbers are
// handed out in the order of the names sorted by byte value; each alternate takes the smallest
// number whose result equals neither an alternate already given nor any name of the folder in
// upper case.
std::vector<QString> generateShortNames(const std::vector<QByteArray>& longNamesInFolder);

// The same, for callers that hold the decoded names already (`shownNames[i]` is the shown form of
// `rawNames[i]`); saves decoding every name twice.
std::vector<QString> generateShortNames(const std::vector<QByteArray>& rawNames,
                                        const std::vector<QString>& shownNames);

// An alternate held without an allocation of its own: at most 12 ASCII characters.
struct ShortAlternate {
    char text[12];
    quint8 length = 0; // 0: the name needs no alternate

    bool isEmpty() const { return length == 0; }
    QLatin1String view() const { return QLatin1String(text, length); }
    QString toString() const { return isEmpty() ? QString() : QString(view()); }
};

// The same again over views of names kept elsewhere (a folder's names in one buffer); `alternates`
// gets one element per name.
void generateShortNames(const std::vector<QByteArrayView>& rawNames,
                        const std::vector<QStringView>& shownNames, std::vector<ShortAlternate>& alternates);

// The short form under which an entry is shown and recorded: its alternate, or when it has none
// its name in upper case.
QString shortFormOf(const QString& name, const QString& alternate);

// The shown form of a raw file name: UTF-8, with U+FFFD for every invalid sequence.
QString displayName(const QByteArray& rawName);

} // namespace zek::platform
