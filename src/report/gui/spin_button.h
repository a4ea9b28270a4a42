// A spin button: an up and a down arrow and nothing else. It holds no value; the box beside it does,
// and the window decides what a click does to it.
#pragma once

#include <QWidget>

class QToolButton;

namespace zek {

class SpinButton : public QWidget {
    Q_OBJECT
public:
    explicit SpinButton(const QString& name, QWidget* parent = nullptr);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

Q_SIGNALS:
    void spinUp();
    void spinDown();

private:
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
};

} // namespace zek
