// The Tip of the Day window, "Welcome": one tip from the tip database, Next Tip, and the check box
// that decides whether it opens at the next start. Modal.
#pragma once

#include "app/tip_database.h"

#include <QDialog>

class QCheckBox;
class QPushButton;
class QTextEdit;

namespace zek {

class TipWindow : public QDialog {
    Q_OBJECT
public:
    // Runs the opening steps: centres the window 200 twips below the middle of the screen, creates
    // the tip database when missing and shows the first tip. `random` replaces the clock-seeded
    // choice of a tip (tests).
    TipWindow(const QString& workDirectory, const QString& iniFileName, TipRandom random = {},
              QWidget* parent = nullptr);

    // The tip shown, with plain line ends.
    QString tipText() const;
    const TipOfTheDay& state() const { return m_tip; }

    // Opens the window modally and returns when it is closed.
    static void showModal(const QString& workDirectory, const QString& iniFileName,
                          QWidget* parent = nullptr);

public Q_SLOTS:
    void showNextTip();
    // Close: writes "Tipstart" from the check box and closes the window.
    void closeTip();

protected:
    // The window menu's Close and Escape end the window as Close does, so the check box is never lost.
    void reject() override;

private:
    void displayMemo(const std::optional<QString>& memo);
    void reportEngineError(int number, const QString& description);
    void reportSettingsError(const platform::HostError& error);

    TipOfTheDay m_tip;
    TipRandom m_random;
    QTextEdit* m_text = nullptr;
    QCheckBox* m_showNextTime = nullptr;
    bool m_closing = false;
};

} // namespace zek
