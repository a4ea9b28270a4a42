// The main window's menus, toolbar and status bar.
#include "app/gui/main_window.h"

#include "query/gui/conditions_window.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

namespace zek {

namespace {

QAction* addItem(QMenu* menu, const QString& name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

QMenu* addMenu(QWidget* parentMenu, const QString& name, const QString& caption) {
    QMenu* menu = nullptr;
    if (auto* bar = qobject_cast<QMenuBar*>(parentMenu))
        menu = bar->addMenu(caption);
    else
        menu = static_cast<QMenu*>(parentMenu)->addMenu(caption);
    // The menu and the item that opens it carry the same name, so either can be found by it.
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    return menu;
}

QAction* addSeparator(QMenu* menu, const QString& name = QString()) {
    QAction* separator = menu->addSeparator();
    if (!name.isEmpty())
        separator->setObjectName(name);
    return separator;
}

// Small toolbar pictures for the commands the style has no icon for, drawn so that they follow
// the palette's text colour.
QIcon drawnIcon(const QString& kind, const QPalette& palette) {
    const int size = 32;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette.color(QPalette::WindowText);
    const QColor paper = palette.color(QPalette::Base);
    QPen pen(ink, 2);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    auto sheet = [&](const QRectF& r) {
        p.setBrush(paper);
        p.drawRect(r);
        p.setBrush(Qt::NoBrush);
        for (qreal y = r.top() + 6; y < r.bottom() - 3; y += 4)
            p.drawLine(QPointF(r.left() + 4, y), QPointF(r.right() - 4, y));
    };
    if (kind == "print") {
        sheet(QRectF(9, 3, 14, 10));
        p.setBrush(palette.color(QPalette::Button));
        p.drawRoundedRect(QRectF(3, 12, 26, 12), 2, 2);
        p.setBrush(paper);
        p.drawRect(QRectF(8, 20, 16, 9));
        p.setBrush(QColor(0x2e, 0x8b, 0x57));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(24.5, 16), 1.5, 1.5);
    } else if (kind == "cut") {
        p.drawLine(QPointF(11, 3), QPointF(20, 20));
        p.drawLine(QPointF(21, 3), QPointF(12, 20));
        p.setBrush(QColor(0xc0, 0x39, 0x2b));
        p.drawEllipse(QPointF(10, 24), 4.5, 4.5);
        p.drawEllipse(QPointF(22, 24), 4.5, 4.5);
    } else if (kind == "copy") {
        sheet(QRectF(4, 3, 15, 19));
        sheet(QRectF(13, 10, 15, 19));
    } else if (kind == "paste") {
        p.setBrush(QColor(0xb5, 0x8b, 0x5a));
        p.drawRoundedRect(QRectF(4, 5, 20, 24), 2, 2);
        p.setBrush(palette.color(QPalette::Button));
        p.drawRect(QRectF(10, 2, 8, 6));
        sheet(QRectF(14, 12, 14, 17));
    }
    return QIcon(pixmap);
}

QIcon toolIcon(const QString& theme, const QIcon& fallback) {
    return QIcon::fromTheme(theme, fallback);
}

} // namespace

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();

    m_fileMenu = addMenu(bar, "Menu_File", "&File");
    QAction* fileNew = addItem(m_fileMenu, "Menu_File_New", "&New");
    QAction* fileOpen = addItem(m_fileMenu, "Menu_File_Open", "&Open...");
    QAction* fileSave = addItem(m_fileMenu, "Menu_File_Save", "&Save");
    QAction* fileSaveAs = addItem(m_fileMenu, "Menu_File_SaveAs", "Save &As...");
    addSeparator(m_fileMenu);
    m_printMenu = addMenu(m_fileMenu, "Menu_File_Print", "&Print...");
    QAction* printDetail = addItem(m_printMenu, "Menu_File_Print_Detail", "&Detail Report");
    QAction* printSummary = addItem(m_printMenu, "Menu_File_Print_Summary", "&Summary Report");
    m_printPreviewAction = addItem(m_fileMenu, "Menu_File_PrintPreview", "Print Pre&view...");
    QAction* printSetup = addItem(m_fileMenu, "Menu_File_PrintSetup", "Print Set&up...");
    addSeparator(m_fileMenu);
    QAction* fileExit = addItem(m_fileMenu, "Menu_File_Exit", "E&xit");
    m_recentSeparator = addSeparator(m_fileMenu, "mnuFileArray_0");
    fileNew->setShortcut(QKeySequence::New);
    fileOpen->setShortcut(QKeySequence::Open);
    fileSave->setShortcut(QKeySequence::Save);
    fileExit->setShortcut(QKeySequence::Quit);
    connect(fileNew, &QAction::triggered, this, &MainWindow::fileNew);
    connect(fileOpen, &QAction::triggered, this, &MainWindow::fileOpen);
    connect(fileSave, &QAction::triggered, this, &MainWindow::fileSave);
    connect(fileSaveAs, &QAction::triggered, this, &MainWindow::fileSaveAs);
    connect(printDetail, &QAction::triggered, this, [this] { printReport(report::ReportKind::Detail); });
    connect(printSummary, &QAction::triggered, this, [this] { printReport(report::ReportKind::Summary); });
    connect(m_printPreviewAction, &QAction::triggered, this, &MainWindow::printPreview);
    connect(printSetup, &QAction::triggered, this, &MainWindow::printSetup);
    connect(fileExit, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = addMenu(bar, "Menu_Edit", "&Edit");
    addItem(edit, "Menu_Edit_Cut", "Cu&t");
    m_copyMenu = addMenu(edit, "Menu_Edit_Copy", "&Copy");
    QAction* copySelection = addItem(m_copyMenu, "Menu_Edit_Copy_Selection", "Selection");
    QAction* copyPage = addItem(m_copyMenu, "Menu_Edit_Copy_Page", "Page");
    addItem(edit, "Menu_Edit_Paste", "&Paste");
    m_entryItems = {addSeparator(edit, "Menu_Edit_Hyphen"), addItem(edit, "Menu_Edit_Add", "&Add New Entry"),
                    addItem(edit, "Menu_Edit_Insert", "&Insert Entry"),
                    addItem(edit, "Menu_Edit_Delete", "&Delete Entry")};
    connect(copySelection, &QAction::triggered, this, &MainWindow::copySelection);
    connect(copyPage, &QAction::triggered, this, &MainWindow::copyPage);

    QMenu* window = addMenu(bar, "Menu_Window", "&Window");
    QAction* cascade = addItem(window, "Menu_Window_Cascade", "&Cascade");
    QAction* tileH = addItem(window, "Menu_Window_Tile_Horizontal", "&Tile Horizontal");
    QAction* tileV = addItem(window, "Menu_Window_Tile_Vertical", "Tile &Vertical");
    QAction* icons = addItem(window, "Menu_Window_ArrangeIcons", "&Arrange Icons");
    addSeparator(window);
    m_saveSettingsAction = addItem(window, "Menu_Window_SS", "&Save Settings on Exit");
    m_saveSettingsAction->setCheckable(true);
    connect(cascade, &QAction::triggered, this, &MainWindow::arrangeCascade);
    connect(tileH, &QAction::triggered, this, &MainWindow::arrangeTileHorizontal);
    connect(tileV, &QAction::triggered, this, &MainWindow::arrangeTileVertical);
    connect(icons, &QAction::triggered, this, &MainWindow::arrangeIcons);
    // Only the user's choice writes the setting; checking it at start-up does not.
    connect(m_saveSettingsAction, &QAction::triggered, this, &MainWindow::toggleSaveSettings);

    QMenu* help = addMenu(bar, "Menu_Help", "&Help");
    QAction* topics = addItem(help, "Menu_Help_Topics", "&Help Topics");
    topics->setShortcut(QKeySequence::HelpContents);
    QAction* tip = addItem(help, "Menu_Help_Tip", "Ti&p of the Day...");
    QAction* about = addItem(help, "Menu_Help_About", "&About");
    connect(tip, &QAction::triggered, this, &MainWindow::showTipOfTheDay);
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
    connect(topics, &QAction::triggered, this, &MainWindow::helpTopics);
}

void MainWindow::buildToolbar() {
    m_toolbar = addToolBar("Toolbar");
    m_toolbar->setObjectName("Toolbar1");
    m_toolbar->setMovable(false);
    m_toolbar->setIconSize(QSize(24, 24));
    const QPalette pal = palette();
    QStyle* s = style();

    auto add = [this](const QString& key, const QIcon& icon, const QString& tip) {
        QAction* action = m_toolbar->addAction(icon, tip);
        action->setObjectName(key);
        action->setToolTip(tip);
        return action;
    };
    QAction* newButton =
        add("new", toolIcon("document-new", s->standardIcon(QStyle::SP_FileIcon)), "New Database");
    QAction* openButton = add("open", toolIcon("document-open", s->standardIcon(QStyle::SP_DialogOpenButton)),
                              "Open Existing Database");
    QAction* saveButton =
        add("save", toolIcon("document-save", s->standardIcon(QStyle::SP_DialogSaveButton)), "Save Database");
    m_toolbar->addSeparator();
    QAction* printButton = add("print", toolIcon("document-print", drawnIcon("print", pal)), "Print Report");
    m_toolbar->addSeparator();
    add("cut", toolIcon("edit-cut", drawnIcon("cut", pal)), "Cut");
    QAction* copyButton = add("copy", toolIcon("edit-copy", drawnIcon("copy", pal)), "Copy");
    add("paste", toolIcon("edit-paste", drawnIcon("paste", pal)), "Paste");

    connect(newButton, &QAction::triggered, this, &MainWindow::fileNew);
    connect(openButton, &QAction::triggered, this, &MainWindow::fileOpen);
    connect(saveButton, &QAction::triggered, this, &MainWindow::fileSave);
    connect(printButton, &QAction::triggered, this, &MainWindow::printFromToolbar);
    connect(copyButton, &QAction::triggered, this, &MainWindow::popUpCopyMenu);
}

void MainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    bar->setSizeGripEnabled(true);

    auto panel = [this, bar](const QString& key, const QString& text, bool stretch) {
        auto* label = new QLabel(text, this);
        label->setObjectName(key);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setContentsMargins(6, 1, 6, 1);
        if (stretch) {
            bar->addWidget(label, 1);
        } else {
            label->setAlignment(Qt::AlignCenter);
            label->setMinimumWidth(
                label->fontMetrics().horizontalAdvance(text.isEmpty() ? "00/00/0000" : text) + 24);
            bar->addPermanentWidget(label);
        }
        return label;
    };
    m_statusPanel = panel("status", QString(), true);
    // The keyboard's lock states cannot be read on every desktop, so these two are plain markers.
    panel("CAPS", "CAPS", false);
    panel("NUM", "NUM", false);
    m_insPanel = panel("INS", "INS", false);
    m_timePanel = panel("time", QString(), false);
    m_datePanel = panel("date", QString(), false);

    auto* insert = new QShortcut(QKeySequence(Qt::Key_Insert), this);
    connect(insert, &QShortcut::activated, this, [this] {
        m_insertMode = !m_insertMode;
        m_insPanel->setEnabled(m_insertMode);
    });

    m_clock = new QTimer(this);
    m_clock->setObjectName("StatusClock");
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &MainWindow::updateClock);
    m_clock->start();
    updateClock();
}

void MainWindow::rebuildRecentFileMenu() {
    for (QAction* action : m_recentActions) {
        m_fileMenu->removeAction(action);
        // The entry may be the one whose click is running now (opening a file adds it to the list):
        // out of the menu's children at once, deleted once the click is over.
        action->setParent(nullptr);
        action->deleteLater();
    }
    m_recentActions.clear();
    for (int n = 1; n <= m_app.recent.count(); ++n) {
        auto* action = new QAction(recentFileMenuText(m_app.recent.captions[n - 1]), m_fileMenu);
        action->setObjectName("mnuFileArray_" + QString::number(n));
        connect(action, &QAction::triggered, this, [this, n] { openRecentFile(n); });
        m_fileMenu->addAction(action);
        m_recentActions.append(action);
    }
    m_recentSeparator->setVisible(m_app.recent.separatorVisible && m_app.recent.count() > 0);
}

void MainWindow::setPrintEnabled() {
    // Each item prints its own report; the menu, the button and the preview need either.
    const bool detail = m_app.detailReport.isAvailable();
    const bool summary = m_app.summaryReport.isAvailable();
    m_printMenu->menuAction()->setEnabled(detail || summary);
    for (QAction* item : m_printMenu->actions())
        item->setEnabled(item->objectName() == QLatin1String("Menu_File_Print_Detail") ? detail : summary);
    m_printPreviewAction->setEnabled(detail || summary);
    if (QAction* button = m_toolbar->findChild<QAction*>("print"))
        button->setEnabled(detail || summary);
}

void MainWindow::setEntryItemsVisible(bool visible) {
    for (QAction* item : m_entryItems)
        item->setVisible(visible);
}

void MainWindow::connectEntryItems(ConditionsWindow* conditions) {
    const std::pair<const char*, void (ConditionsWindow::*)()> commands[] = {
        {"Menu_Edit_Add", &ConditionsWindow::addLine},
        {"Menu_Edit_Insert", &ConditionsWindow::insertLine},
        {"Menu_Edit_Delete", &ConditionsWindow::deleteLine},
    };
    for (const auto& [name, command] : commands) {
        for (QAction* item : std::as_const(m_entryItems)) {
            if (item->objectName() == QLatin1String(name))
                connect(item, &QAction::triggered, conditions, command);
        }
    }
}

void MainWindow::updateCopyEnabled() {
    const bool enabled = activeViewer() != nullptr;
    m_copyMenu->menuAction()->setEnabled(enabled);
    for (QAction* item : m_copyMenu->actions())
        item->setEnabled(enabled);
    if (QAction* button = m_toolbar->findChild<QAction*>("copy"))
        button->setEnabled(enabled);
}

void MainWindow::popUpCopyMenu() {
    if (!m_copyMenu->menuAction()->isEnabled())
        return;
    QAction* button = m_toolbar->findChild<QAction*>("copy");
    QWidget* widget = button ? m_toolbar->widgetForAction(button) : nullptr;
    const QPoint at = widget ? widget->mapToGlobal(widget->rect().bottomLeft()) : QCursor::pos();
    m_copyMenu->popup(at);
}

} // namespace zek
