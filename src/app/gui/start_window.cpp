#include "app/gui/start_window.h"

#include "app/gui/main_window.h"
#include "app/startup.h"
#include "platform/prompt.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace zek {

StartWindow::StartWindow(AppState& app, const QString& workFileArgument, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_app(app), m_argument(workFileArgument) {
    setObjectName("ZEKSTART");
    setWindowTitle(ProductName);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x1f, 0x3a, 0x5f));
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);

    auto* name = new QLabel(ProductName, this);
    name->setObjectName("lblProduct");
    QFont big = name->font();
    big.setPointSize(40);
    big.setBold(true);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);

    auto* version = new QLabel("Version " + QString::number(ProgramVersion, 'f', 2), this);
    version->setObjectName("lblVersion");
    version->setAlignment(Qt::AlignCenter);

    auto* what = new QLabel("Inventory of files and folders", this);
    what->setObjectName("lblDescription");
    what->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 24, 32, 24);
    layout->addStretch(1);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addSpacing(8);
    layout->addWidget(what);
    layout->addStretch(1);
    setFixedSize(360, 200);

    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &StartWindow::runStartup);
}

StartWindow::~StartWindow() = default;

void StartWindow::centerInWorkArea() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
}

void StartWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    centerInWorkArea();
    platform::writeFileAssociation(QCoreApplication::applicationFilePath(), m_caches);
    m_timer.start();
}

void StartWindow::runStartup() {
    m_timer.stop();
    if (m_finished || m_main)
        return;

    if (!m_lock.acquire()) {
        if (m_lock.heldElsewhere()) {
            platform::msgBox(ProductName + " already running, only one copy can be active.",
                             platform::MbExclamation, ProductName);
            finish(ExitAlreadyRunning);
            return;
        }
        // Without a lock file the program still runs; the user learns that a second copy is not
        // kept out.
        platform::msgBox("Error # " + QString::number(m_lock.errorNumber()) + " : " + m_lock.errorText() +
                             " occured, a second copy of " + ProductName + " will not be detected.",
                         platform::MbExclamation, ProductName);
    }

    readStartupSettings(m_app);
    if (m_app.work.workDirectory.trimmed().isEmpty()) {
        const std::optional<QString> chosen = askWorkDirectory(
            m_app, "Setup Workdirectory ZEK",
            "If you want to change the default Workdirectory of ZEK, type the name of the directory.",
            "Workdirectory:", proposedWorkDirectory());
        if (!chosen) {
            finish(ExitNormal);
            return;
        }
    }

    // The working copy belongs to one program at a time; a zek-batch run on this directory would
    // replace it under the windows.
    if (!m_workDirectoryLock.acquire(m_app.work.workDirectory)) {
        if (m_workDirectoryLock.heldElsewhere()) {
            platform::msgBox("The work directory " + m_app.work.workDirectory +
                                 " is in use by another program (zek-batch); only one program at a time "
                                 "can use a work directory.",
                             platform::MbExclamation, ProductName);
            finish(ExitWorkDirectoryInUse);
            return;
        }
        // As with the single-instance lock, the program still runs without the lock file.
        platform::msgBox("Error # " + QString::number(m_workDirectoryLock.errorNumber()) + " : " +
                             m_workDirectoryLock.errorText() + " occured, another program using the " +
                             "work directory will not be detected.",
                         platform::MbExclamation, ProductName);
    }

    windowPositions(m_app.windowPositions, "DEFAULTVALUES", m_app.iniFileName);
    windowPositions(m_app.windowPositions, "LOADVALUES", m_app.iniFileName);

    m_main = std::make_unique<MainWindow>(m_app);
    connect(m_main.get(), &MainWindow::ended, this, [this] { finish(ExitNormal); });
    m_main->show();
    const bool loaded = m_main->load(m_argument);
    hide();
    if (!loaded)
        m_main->hide();
}

void StartWindow::finish(int exitCode) {
    if (m_finished)
        return;
    m_finished = true;
    m_exitCode = exitCode;
    m_workDirectoryLock.release();
    m_lock.release();
    hide();
    Q_EMIT finished(exitCode);
}

} // namespace zek
