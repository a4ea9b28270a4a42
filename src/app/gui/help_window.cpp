#include "app/gui/help_window.h"

#include "platform/prompt.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <cerrno>
#include <fcntl.h>

namespace zek {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("HelpWindow");
    setWindowTitle("ZEK Help");
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName("HelpBrowser");
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(640, 560);
}

bool HelpWindow::showFile(const QString& fileName) {
    // Opened here rather than by QFile so that the message can quote the system's error number.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int number = errno;
        platform::msgBox("The help file " + fileName + " could not be opened. Error # " +
                             QString::number(number) + " : " + qt_error_string(number),
                         platform::MbOkOnly + platform::MbExclamation, "ZEK help not available.");
        return false;
    }
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    // The file is HTML whatever its name ends in, so it is not left to the browser to guess.
    m_browser->setSearchPaths({QFileInfo(fileName).absolutePath()});
    m_browser->setHtml(QString::fromUtf8(file.readAll()));
    m_browser->moveCursor(QTextCursor::Start);
    if (!m_browser->documentTitle().isEmpty())
        setWindowTitle(m_browser->documentTitle());
    show();
    raise();
    activateWindow();
    return true;
}

} // namespace zek
