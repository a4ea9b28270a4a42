#include "support/controls.h"

#include <QVariant>

namespace zek::test {

namespace {

QString shownText(const QObject& control) {
    const QVariant text = control.property("text");
    return text.isValid() ? text.toString() : control.property("title").toString();
}

} // namespace

QStringList controlMismatches(const QObject& window, const QList<Control>& table) {
    QStringList mismatches;
    for (const Control& row : table) {
        QList<QObject*> found;
        for (QObject* o : window.findChildren<QObject*>(row.name))
            if (o->inherits(row.className))
                found.append(o);
        const QString what = row.name + " (" + QLatin1String(row.className) + ")";
        if (found.size() != 1)
            mismatches.append(what + QString(": %1 found").arg(found.size()));
        else if (row.text && shownText(*found.first()) != *row.text)
            mismatches.append(what + ": \"" + shownText(*found.first()) + "\", not \"" + *row.text + "\"");
    }
    return mismatches;
}

} // namespace zek::test
