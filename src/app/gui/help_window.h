// The help window: shows the program's help file, an HTML page, at its contents.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace zek {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Loads the file and shows it from the top. False, after telling the user why, when the file
    // cannot be read.
    bool showFile(const QString& fileName);
    QTextBrowser* browser() const { return m_browser; }

private:
    QTextBrowser* m_browser;
};

} // namespace zek
