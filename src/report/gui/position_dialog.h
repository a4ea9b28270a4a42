// The position dialog (`PositionDialog`): where a new entry goes. It serves the condition grid's Add
// ("Add queryfield") and the report setup windows.
#pragma once

#include "platform/prompt.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zek {

inline const QString InvalidNumberMessage = QStringLiteral("Invalid number specified.");
inline const QString NumberErrorTitle = QStringLiteral("Number specification error");

class PositionDialog : public QDialog {
    Q_OBJECT
public:
    explicit PositionDialog(QWidget* parent = nullptr);

    // The caption, the number of entries and the current position; the three number boxes start
    // with the current position.
    void setRequest(const platform::PositionRequest& request);
    // The chosen insert position, from 1 to count + 1; 0 after Cancel.
    int chosenPosition() const { return m_position; }

    // Shows the dialog modally and answers its position.
    static int ask(const platform::PositionRequest& request, QWidget* parent = nullptr);

    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The number box holds a number from 1 to the count; otherwise the "Invalid number specified."
    // box: Retry returns to the box, Cancel puts the current position back. False when it did not.
    bool checkNumberBox(QLineEdit* box);
    QLineEdit* numberBoxOfChoice() const;

    QRadioButton* m_first = nullptr;
    QRadioButton* m_last = nullptr;
    QRadioButton* m_before = nullptr;
    QRadioButton* m_after = nullptr;
    QRadioButton* m_as = nullptr;
    QLineEdit* m_beforeBox = nullptr;
    QLineEdit* m_afterBox = nullptr;
    QLineEdit* m_asBox = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    int m_count = 0;
    int m_current = 1;
    int m_position = 0;
    bool m_checking = false;
};

} // namespace zek
