// Any byte names of one folder through the 8.3 name generator: every alternate is a valid short
// name, no two names of the folder share a short form, and every way of asking gives the same.
#include "fuzz_support.h"
#include "platform/short_names.h"

#include <QSet>

#include <set>

using namespace zek;
using namespace zek::platform;

int zek::fuzz::shortNamesInput(const uint8_t* data, size_t size) {
    // One name per "/"-separated piece, as a folder holds them: no empty names, no repeats, no "."
    // or "..", no "/" and no NUL.
    std::set<QByteArray> unique;
    for (const QByteArray& piece : fuzz::bytesOf(data, size).split('/')) {
        QByteArray name = piece;
        name.replace('\0', "");
        if (!name.isEmpty() && name != "." && name != "..")
            unique.insert(name);
    }
    const std::vector<QByteArray> names(unique.begin(), unique.end());
    const std::vector<QString> alternates = generateShortNames(names);
    if (alternates.size() != names.size())
        fuzz::fail("one alternate per name", QString::number(names.size()));

    std::vector<QString> shown;
    for (const QByteArray& n : names)
        shown.push_back(displayName(n));
    if (generateShortNames(names, shown) != alternates)
        fuzz::fail("the decoded-name call differs", QString());
    std::vector<QByteArrayView> rawViews(names.begin(), names.end());
    std::vector<QStringView> shownViews(shown.begin(), shown.end());
    std::vector<ShortAlternate> held;
    generateShortNames(rawViews, shownViews, held);
    if (held.size() != names.size())
        fuzz::fail("one held alternate per name", QString::number(held.size()));

    QSet<QString> shortForms;
    for (size_t i = 0; i < names.size(); ++i) {
        if (held[i].toString() != alternates[i])
            fuzz::fail("the held alternate differs", alternates[i] + u'/' + held[i].toString());
        if (!alternates[i].isEmpty() && !isValidShortName(alternates[i]))
            fuzz::fail("an invalid alternate", alternates[i]);
        const QString form = shortFormOf(shown[i], alternates[i]).toUpper();
        if (shortForms.contains(form))
            fuzz::fail("two names share a short form", form);
        shortForms.insert(form);
        for (int n : {1, 9, 10, 123456, 9999999, 10000000}) {
            const QString one = shortNameFor(shown[i], n);
            if (!one.isEmpty() && !isValidShortName(one))
                fuzz::fail("an invalid numbered alternate", one);
        }
    }
    return 0;
}

ZEK_FUZZ_ENTRY(zek::fuzz::shortNamesInput)
