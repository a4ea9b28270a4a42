// A window's controls by object name: one looked up for a test to drive, or all of them checked
// against a table of what the window must hold.
#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

#include <optional>

namespace zek::test {

// The child of `parent` called `name` of class T; stops the test run, naming it, when there is none.
template <typename T> T* child(const QObject& parent, const QString& name) {
    T* c = parent.findChild<T*>(name);
    if (!c)
        qFatal("no control %s", qPrintable(name));
    return c;
}

// One control a window holds: its object name, its class as Qt's meta-object names it (a base class
// will do), and, when given, the text it shows: its "text" property, or "title" for a menu or group.
struct Control {
    QString name;
    const char* className;
    std::optional<QString> text = std::nullopt;
};

// A line for every row of `table` that `window` does not match: no child of that name and class,
// more than one, or another text. Empty when all match.
QStringList controlMismatches(const QObject& window, const QList<Control>& table);

} // namespace zek::test
