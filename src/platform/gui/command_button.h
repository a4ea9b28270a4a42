// The push buttons of the program's windows.
#pragma once

#include <QPushButton>

namespace zek::platform {

// A button named for tests; Enter in a box of its window never presses it.
inline QPushButton* commandButton(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace zek::platform
