// The About window: program and database versions, the folders in use and a snapshot of the
// system's memory, processor and operating system. Not modal; OK closes it.
#pragma once

#include "platform/intl.h"

#include <QDialog>

class QFormLayout;
class QLabel;

namespace zek {

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    // Fills every line at once (the figures are taken when the window opens) and centres the window
    // in the work area. `workDirectory` is the Database Path; numbers and the date follow `intl`.
    AboutWindow(const QString& workDirectory, const platform::IntlSettings& intl, QWidget* parent = nullptr);

    // The value shown beside a caption ("Database Path:"); "" for an unknown caption.
    QString valueOf(const QString& caption) const;

    // Opens the About window, or brings the open one to the front; it is deleted when closed.
    static AboutWindow* showAbout(const QString& workDirectory, const platform::IntlSettings& intl,
                                  QWidget* parent = nullptr);

private:
    QLabel* addLine(QFormLayout* form, const QString& caption, const QString& name, const QString& value);

    QList<QPair<QString, QLabel*>> m_values;
};

} // namespace zek
