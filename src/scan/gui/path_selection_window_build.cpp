// Building the Path Selection window: its controls, their layout and the drive it starts on.
#include "scan/gui/path_selection_window.h"

#include "platform/drives.h"
#include "query/gui/desktop_hooks.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zek {

namespace {

QStringList mountedRoots() {
    QStringList roots;
    for (const platform::DriveInfo& drive : platform::mountedDrives())
        roots.append(drive.root);
    return roots;
}

// The drive that holds `path`: the longest root that equals it or that it lies inside.
int driveOf(const QStringList& roots, const QString& path) {
    int best = -1;
    for (int i = 0; i < roots.size(); ++i) {
        const QString& root = roots.at(i);
        if ((path == root || platform::pathLiesInside(path, root)) &&
            (best < 0 || root.size() > roots.at(best).size()))
            best = i;
    }
    return best;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

PathSelectionWindow::PathSelectionWindow(work::WorkState& work, const platform::IntlSettings& intl,
                                         scan::ScanState* scan, query::QueryState* qs, QStringList driveRoots,
                                         QWidget* parent)
    : QWidget(parent), m_work(work), m_intl(intl), m_scan(scan), m_qs(qs),
      m_driveRoots(std::move(driveRoots)) {
    setObjectName(QStringLiteral("drivedirsel"));
    setWindowTitle(QStringLiteral("Path Selection"));
    if (!m_scan) {
        m_ownScan = std::make_unique<scan::ScanState>();
        m_scan = m_ownScan.get();
    }
    if (!m_qs) {
        m_ownQs = std::make_unique<query::QueryState>();
        m_qs = m_ownQs.get();
        query::installDesktopHooks(m_qs->hooks);
    }
    connect(&m_work.events, &work::WorkEvents::reportsOfferedFromLoadedFile, this,
            &PathSelectionWindow::enableHistoric);
    if (m_driveRoots.isEmpty())
        m_driveRoots = mountedRoots();

    buildControls();

    // The drive of the work directory, or the first drive when none holds it.
    int initial = driveOf(m_driveRoots, m_work.workDirectory);
    if (initial < 0)
        initial = m_driveRoots.isEmpty() ? -1 : 0;
    if (initial >= 0) {
        const QSignalBlocker block(m_drive);
        m_drive->setCurrentIndex(initial);
        changeDrive(initial);
    }
    showSettings();
}

PathSelectionWindow::~PathSelectionWindow() = default;

void PathSelectionWindow::buildControls() {
    QStyle* st = style();

    m_panel = new QFrame(this);
    m_panel->setObjectName(QStringLiteral("SLSFPanel"));
    m_panel->setFrameShape(QFrame::StyledPanel);
    m_panel->setFrameShadow(QFrame::Raised);
    auto* panelLayout = new QHBoxLayout(m_panel);
    panelLayout->setContentsMargins(8, 4, 8, 4);
    auto* panelCaption = new QLabel(QStringLiteral("Long Filename support available"), m_panel);
    QFont bold = panelCaption->font();
    bold.setBold(true);
    panelCaption->setFont(bold);
    panelLayout->addWidget(panelCaption);
    panelLayout->addStretch(1);
    auto* group = new QButtonGroup(this);
    const QString captions[2] = {QStringLiteral("Show Long foldernames"),
                                 QStringLiteral("Show Short foldernames")};
    for (int i = 0; i < 2; ++i) {
        m_slsf[i] = new QRadioButton(captions[i], m_panel);
        m_slsf[i]->setObjectName(QStringLiteral("slsf"));
        m_slsf[i]->setProperty("index", i);
        group->addButton(m_slsf[i], i);
        panelLayout->addWidget(m_slsf[i]);
    }
    m_slsf[0]->setChecked(true);
    connect(m_slsf[0], &QRadioButton::toggled, this, [this](bool on) { showLongNames(on); });

    m_drive = new QComboBox(this);
    m_drive->setObjectName(QStringLiteral("Drive1"));
    for (const QString& root : m_driveRoots)
        m_drive->addItem(st->standardIcon(QStyle::SP_DriveHDIcon), root);
    m_drive->setMinimumContentsLength(16);
    connect(m_drive, &QComboBox::currentIndexChanged, this, [this](int index) { changeDrive(index); });

    // Only tells whether a drive can be read; never shown.
    m_dir = new QListWidget(this);
    m_dir->setObjectName(QStringLiteral("Dir1"));
    m_dir->hide();

    m_seldir = makeButton(this, "seldir", QString());
    m_seldir2 = makeButton(this, "seldir2", QString());
    for (QPushButton* b : {m_seldir, m_seldir2}) {
        b->setIcon(st->standardIcon(QStyle::SP_DirOpenIcon));
        b->setToolTip(QStringLiteral("Add this folder"));
        b->setStyleSheet(QStringLiteral("text-align: left; padding: 3px 6px;"));
        connect(b, &QPushButton::clicked, this, &PathSelectionWindow::addFolder);
    }

    m_outline1 = new QTreeWidget(this);
    m_outline1->setObjectName(QStringLiteral("Outline1"));
    m_outline2 = new QTreeWidget(this);
    m_outline2->setObjectName(QStringLiteral("Outline2"));
    for (QTreeWidget* tree : {m_outline1, m_outline2}) {
        tree->setHeaderHidden(true);
        tree->setColumnCount(1);
        tree->setSelectionMode(QAbstractItemView::SingleSelection);
        tree->setMinimumSize(260, 240);
        tree->setIndentation(16);
        tree->viewport()->installEventFilter(this);
        tree->viewport()->setAcceptDrops(true);
        connect(tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
            if (item && !m_syncing)
                selectNode(item->data(0, Qt::UserRole).toInt());
        });
        connect(tree, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
            if (item)
                activateNode(item->data(0, Qt::UserRole).toInt());
        });
    }

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("drivedirlist"));
    m_list2 = new QListWidget(this);
    m_list2->setObjectName(QStringLiteral("drivedirlist2"));
    for (QListWidget* list : {m_list, m_list2}) {
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setDragEnabled(true);
        list->setDragDropMode(QAbstractItemView::DragOnly);
        list->setMinimumSize(240, 240);
        list->setAlternatingRowColors(true);
        list->viewport()->installEventFilter(this);
        connect(list, &QListWidget::itemClicked, this, [this] { updateButtons(); });
        connect(list, &QListWidget::itemSelectionChanged, this, [this] { updateButtons(); });
    }

    m_add = makeButton(this, "drivediradd", QStringLiteral("&Add"));
    m_remove = makeButton(this, "Drivedirremove", QStringLiteral("&Remove"));
    m_clear = makeButton(this, "Drivedirclear", QStringLiteral("&Clear"));
    m_start = makeButton(this, "drivedirstart", QStringLiteral("&Start"));
    m_historic = makeButton(this, "historic", QStringLiteral("&Historic"));
    m_add->setIcon(st->standardIcon(QStyle::SP_ArrowRight));
    m_remove->setIcon(st->standardIcon(QStyle::SP_ArrowLeft));
    m_clear->setIcon(st->standardIcon(QStyle::SP_DialogResetButton));
    m_start->setIcon(st->standardIcon(QStyle::SP_MediaPlay));
    m_historic->setIcon(st->standardIcon(QStyle::SP_FileDialogDetailedView));
    m_start->setDefault(false);
    m_historic->setEnabled(false);
    connect(m_add, &QPushButton::clicked, this, &PathSelectionWindow::addFolder);
    connect(m_remove, &QPushButton::clicked, this, &PathSelectionWindow::removeFolders);
    connect(m_clear, &QPushButton::clicked, this, &PathSelectionWindow::clearFolders);
    connect(m_start, &QPushButton::clicked, this, &PathSelectionWindow::start);
    connect(m_historic, &QPushButton::clicked, this, &PathSelectionWindow::historic);

    m_label2 = new QLabel(QStringLiteral("  Active Database"), this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_activeDatabase = new QLabel(this);
    m_activeDatabase->setObjectName(QStringLiteral("activedatabase"));
    m_activeDatabase->setFrameShape(QFrame::StyledPanel);
    m_activeDatabase->setFrameShadow(QFrame::Sunken);
    m_activeDatabase->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_activeDatabase->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    // Layout: the panel on top; the drive and its folders on the left, the buttons in the middle,
    // the chosen folders on the right; the active database at the bottom.
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setHorizontalSpacing(8);
    layout->addWidget(m_panel, 0, 0, 1, 3);

    auto* left = new QVBoxLayout;
    auto* driveRow = new QHBoxLayout;
    auto* driveLabel = new QLabel(QStringLiteral("&Drive:"), this);
    driveLabel->setBuddy(m_drive);
    driveRow->addWidget(driveLabel);
    driveRow->addWidget(m_drive, 1);
    left->addLayout(driveRow);
    left->addWidget(m_seldir);
    left->addWidget(m_seldir2);
    left->addWidget(m_outline1, 1);
    left->addWidget(m_outline2, 1);
    left->addWidget(m_dir);
    layout->addLayout(left, 1, 0);

    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    for (QPushButton* b : {m_add, m_remove, m_clear}) {
        b->setMinimumWidth(96);
        middle->addWidget(b);
    }
    middle->addSpacing(18);
    for (QPushButton* b : {m_start, m_historic}) {
        b->setMinimumWidth(96);
        middle->addWidget(b);
    }
    middle->addStretch(1);
    layout->addLayout(middle, 1, 1);

    auto* right = new QVBoxLayout;
    auto* chosen = new QLabel(QStringLiteral("Chosen folders:"), this);
    right->addWidget(chosen);
    right->addWidget(m_list, 1);
    right->addWidget(m_list2, 1);
    layout->addLayout(right, 1, 2);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(1, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_label2);
    bottom->addWidget(m_activeDatabase, 1);
    layout->addLayout(bottom, 2, 0, 1, 3);

    // A drag from a list ends in Remove when dropped on any other control of the window.
    for (QWidget* w : std::initializer_list<QWidget*>{m_panel, m_drive, m_seldir, m_seldir2, m_add, m_remove,
                                                      m_clear, m_start, m_historic, m_label2,
                                                      m_activeDatabase, m_slsf[0], m_slsf[1]}) {
        w->setAcceptDrops(true);
        w->installEventFilter(this);
    }
    setAcceptDrops(true);

    showLongNames(true);
}

} // namespace zek
