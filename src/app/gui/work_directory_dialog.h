// The work-directory dialog: asks where the program keeps its working copy.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zek {

class WorkDirectoryDialog : public QDialog {
    Q_OBJECT
public:
    explicit WorkDirectoryDialog(QWidget* parent = nullptr);

    // Title, prompt, field label and the proposed directory, shown selected.
    void setTexts(const QString& title, const QString& prompt, const QString& label, const QString& proposal);
    QString directory() const;

    QLineEdit* directoryEdit() const { return m_directory; }
    QPushButton* continueButton() const { return m_continue; }
    QPushButton* exitButton() const { return m_exit; }

private:
    QLabel* m_prompt;
    QLabel* m_label;
    QLineEdit* m_directory;
    QPushButton* m_continue;
    QPushButton* m_exit;
};

} // namespace zek
