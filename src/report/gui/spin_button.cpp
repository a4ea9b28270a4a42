#include "report/gui/spin_button.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace zek {

namespace {

QToolButton* arrow(Qt::ArrowType type, const QString& name, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setArrowType(type);
    b->setAutoRepeat(true);
    // The focus stays in the box the spinner changes, so that leaving the box checks it.
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(18, 11);
    return b;
}

} // namespace

SpinButton::SpinButton(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    m_up = arrow(Qt::UpArrow, name + QStringLiteral("_up"), this);
    m_down = arrow(Qt::DownArrow, name + QStringLiteral("_down"), this);
    connect(m_up, &QToolButton::clicked, this, &SpinButton::spinUp);
    connect(m_down, &QToolButton::clicked, this, &SpinButton::spinDown);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_up);
    layout->addWidget(m_down);
    setFixedSize(sizeHint());
}

} // namespace zek
