#include "report/gui/position_dialog.h"

#include "report/column_setup.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QTimer>
#include <QVBoxLayout>

namespace zek {

namespace {

QLineEdit* numberBox(const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    // Digits only, typed or pasted; Backspace and the other editing keys still work.
    box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
    box->setMaxLength(6);
    box->setAlignment(Qt::AlignRight);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    return box;
}

QRadioButton* option(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QRadioButton(text, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

PositionDialog::PositionDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Morechoice"));
    setModal(true);

    m_first = option(QStringLiteral("Numberfirst"), QStringLiteral("As First"), this);
    m_last = option(QStringLiteral("Numberlast"), QStringLiteral("As Last"), this);
    m_before = option(QStringLiteral("beforenumber"), QStringLiteral("Before current number"), this);
    m_after = option(QStringLiteral("afternumber"), QStringLiteral("After current number"), this);
    m_as = option(QStringLiteral("asnumber"), QStringLiteral("As Number"), this);
    m_beforeBox = numberBox(QStringLiteral("beforenumbert"), this);
    m_afterBox = numberBox(QStringLiteral("afternumbert"), this);
    m_asBox = numberBox(QStringLiteral("asnumbert"), this);
    m_after->setChecked(true);

    auto* options = new QGridLayout;
    options->setHorizontalSpacing(12);
    options->setVerticalSpacing(6);
    options->addWidget(m_first, 0, 0);
    options->addWidget(m_last, 1, 0);
    options->addWidget(m_before, 2, 0);
    options->addWidget(m_beforeBox, 2, 1);
    options->addWidget(m_after, 3, 0);
    options->addWidget(m_afterBox, 3, 1);
    options->addWidget(m_as, 4, 0);
    options->addWidget(m_asBox, 4, 1);

    for (const auto& [box, choice] :
         {std::pair{m_beforeBox, m_before}, std::pair{m_afterBox, m_after}, std::pair{m_asBox, m_as}}) {
        box->installEventFilter(this);
        // Typing a number chooses the option it belongs to.
        connect(box, &QLineEdit::textEdited, choice, [choice = choice] { choice->setChecked(true); });
    }

    m_ok = new QPushButton(QStringLiteral("&Ok"), this);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Can&cel"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    connect(m_ok, &QPushButton::clicked, this, &PositionDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &PositionDialog::reject);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);

    auto* top = new QHBoxLayout(this);
    top->setContentsMargins(14, 14, 14, 14);
    top->setSpacing(18);
    top->addLayout(options);
    top->addLayout(buttons);
    setFixedSize(sizeHint());
}

void PositionDialog::setRequest(const platform::PositionRequest& request) {
    setWindowTitle(request.caption);
    m_count = request.count;
    m_current = request.current;
    const QString current = QString::number(request.current);
    for (QLineEdit* box : {m_beforeBox, m_afterBox, m_asBox})
        box->setText(current);
    m_position = 0;
}

int PositionDialog::ask(const platform::PositionRequest& request, QWidget* parent) {
    PositionDialog dialog(parent);
    dialog.setRequest(request);
    dialog.exec();
    return dialog.chosenPosition();
}

QLineEdit* PositionDialog::numberBoxOfChoice() const {
    if (m_before->isChecked())
        return m_beforeBox;
    if (m_after->isChecked())
        return m_afterBox;
    if (m_as->isChecked())
        return m_asBox;
    return nullptr;
}

bool PositionDialog::checkNumberBox(QLineEdit* box) {
    bool ok = false;
    const int n = box->text().toInt(&ok);
    if (ok && n >= 1 && n <= m_count)
        return true;
    const QScopedValueRollback guard(m_checking, true);
    QApplication::beep();
    const int answer = platform::msgBox(InvalidNumberMessage, platform::MbRetryCancel | platform::MbQuestion,
                                        NumberErrorTitle);
    if (answer == platform::IdRetry) {
        // Back into the box once the focus change under way has ended.
        QTimer::singleShot(0, box, [b = QPointer<QLineEdit>(box)] {
            if (b) {
                b->setFocus(Qt::OtherFocusReason);
                b->selectAll();
            }
        });
    } else {
        box->setText(QString::number(m_current));
    }
    return false;
}

bool PositionDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !m_checking) {
        auto* box = qobject_cast<QLineEdit*>(watched);
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Cancel needs no valid number, and leaving the program is no leaving of the box.
        const bool check = box && reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
                           QApplication::focusWidget() != m_cancel;
        if (check)
            checkNumberBox(box);
    }
    return QDialog::eventFilter(watched, event);
}

void PositionDialog::accept() {
    int number = 0;
    if (QLineEdit* box = numberBoxOfChoice()) {
        if (!checkNumberBox(box))
            return;
        number = box->text().toInt();
    }
    const report::PositionChoice choice = m_first->isChecked()    ? report::PositionChoice::AsFirst
                                          : m_last->isChecked()   ? report::PositionChoice::AsLast
                                          : m_before->isChecked() ? report::PositionChoice::Before
                                          : m_after->isChecked()  ? report::PositionChoice::After
                                                                  : report::PositionChoice::AsNumber;
    if (choice == report::PositionChoice::AsNumber && !m_as->isChecked())
        return;
    m_position = report::positionFromChoice(choice, m_count, number);
    QDialog::accept();
}

void PositionDialog::reject() {
    m_position = 0;
    QDialog::reject();
}

} // namespace zek
