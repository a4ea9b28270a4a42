#include "app/gui/work_directory_dialog.h"

#include "platform/whole_characters.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace zek {

WorkDirectoryDialog::WorkDirectoryDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("PathDlg");
    setModal(true);

    m_prompt = new QLabel(this);
    m_prompt->setObjectName("lblPrompt");
    m_prompt->setWordWrap(true);

    m_label = new QLabel(this);
    m_label->setObjectName("lblDirectory");
    m_directory = new QLineEdit(this);
    m_directory->setObjectName("txtDirectory");
    m_directory->setMinimumWidth(320);
    m_directory->setValidator(new platform::WholeCharactersValidator(m_directory));
    m_label->setBuddy(m_directory);

    auto* note = new QLabel("To quit ZEK, choose the Exit button.", this);
    note->setObjectName("lblNote");

    m_continue = new QPushButton("&Continue", this);
    m_continue->setObjectName("cmdContinue");
    m_continue->setDefault(true);
    m_exit = new QPushButton("&Exit", this);
    m_exit->setObjectName("cmdExit");

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    buttons->addButton(m_continue, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_exit, QDialogButtonBox::RejectRole);
    connect(m_continue, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::reject);

    auto* icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_DirIcon, nullptr, this).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);

    auto* field = new QHBoxLayout;
    field->addWidget(m_label);
    field->addWidget(m_directory, 1);

    auto* text = new QVBoxLayout;
    text->addWidget(m_prompt);
    text->addSpacing(8);
    text->addLayout(field);
    text->addSpacing(8);
    text->addWidget(note);
    text->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(icon);
    layout->addLayout(text, 1);
    layout->addSpacing(8);
    layout->addWidget(buttons);
}

void WorkDirectoryDialog::setTexts(const QString& title, const QString& prompt, const QString& label,
                                   const QString& proposal) {
    setWindowTitle(title);
    m_prompt->setText(prompt);
    m_label->setText(label);
    m_directory->setText(proposal);
    m_directory->selectAll();
    m_directory->setFocus();
}

QString WorkDirectoryDialog::directory() const {
    return m_directory->text();
}

} // namespace zek
