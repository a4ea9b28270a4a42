#include "app/gui/about_window.h"

#include "app/app_state.h"
#include "app/gui/window_placement.h"
#include "platform/host_paths.h"
#include "platform/system_info.h"

#include <QApplication>
#include <QDate>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace zek {

namespace {

QFrame* separator(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QFormLayout* newForm() {
    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignLeft);
    form->setFormAlignment(Qt::AlignLeft | Qt::AlignTop);
    form->setHorizontalSpacing(16);
    form->setVerticalSpacing(4);
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    return form;
}

// The program's badge: a "Z" on the blue of the start window, drawn so it is sharp at any size
// and needs no icon theme.
QPixmap productBadge(int size) {
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1f, 0x3a, 0x5f));
    painter.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(size * 2 / 3);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, QStringLiteral("Z"));
    return pixmap;
}

// The engine's format date, 1 February 1996, in the short-date pattern of the settings.
QString databaseVersionDate(const platform::IntlSettings& intl) {
    return QLocale::c().toString(QDate(1996, 2, 1), intl.sShortDate);
}

} // namespace

AboutWindow::AboutWindow(const QString& workDirectory, const platform::IntlSettings& intl, QWidget* parent)
    : QDialog(parent) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle("About " + ProductName);
    setModal(false);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("picIcon"));
    icon->setPixmap(productBadge(48));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* title = new QLabel(ProductName, this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    title->setFont(big);

    auto* version = new QLabel(
        "Version " + platform::formatNumber(ProgramVersion, QStringLiteral("#0.00"), intl.sDecimal), this);
    version->setObjectName(QStringLiteral("lblVersion"));

    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(title);
    titles->addWidget(version);
    titles->addStretch(1);

    auto* header = new QHBoxLayout;
    header->setSpacing(16);
    header->addWidget(icon);
    header->addLayout(titles, 1);

    // The folders: the configuration folder stands where the settings file's Windows directory
    // stood, the system's library folder where the Windows system directory stood.
    QFormLayout* folders = newForm();
    addLine(folders, "Database Path:", "lblDatabasePath", workDirectory);
    addLine(folders, "Windows Directory:", "lblWindowsDirectory", platform::configFolder());
    addLine(folders, "Windows System Directory:", "lblSystemDirectory", platform::systemLibraryFolder());
    addLine(folders, "Database Version:", "lblDatabaseVersion",
            platform::formatNumber(FormatVersion, QStringLiteral("#.00"), intl.sDecimal));
    addLine(folders, "Database Version Date:", "lblDatabaseDate", databaseVersionDate(intl));

    const platform::MemoryLines memory = platform::memoryLines(platform::memoryStatus(), intl.sDecimal);
    const platform::OsVersion os = platform::osVersion();
    QFormLayout* system = newForm();
    addLine(system, "Total Physical Memory:", "lblTotalPhysical", memory.totalPhysical);
    addLine(system, "Free Physical Memory:", "lblFreePhysical", memory.freePhysical);
    addLine(system, "Total Page File:", "lblTotalPageFile", memory.totalPageFile);
    addLine(system, "Available Page File:", "lblAvailablePageFile", memory.availablePageFile);
    addLine(system, "Processor Type:", "lblProcessor", platform::processorName());
    addLine(system, "Operating System:", "lblOperatingSystem", os.system);
    addLine(system, "Version:", "lblOsVersion", os.release);
    addLine(system, "Build Number:", "lblBuildNumber", os.version);

    // Both forms share one caption column, so their values line up.
    int captionWidth = 0;
    for (QFormLayout* form : {folders, system})
        for (int row = 0; row < form->rowCount(); ++row)
            if (QLayoutItem* item = form->itemAt(row, QFormLayout::LabelRole))
                captionWidth = std::max(captionWidth, item->widget()->sizeHint().width());
    for (QFormLayout* form : {folders, system})
        for (int row = 0; row < form->rowCount(); ++row)
            if (QLayoutItem* item = form->itemAt(row, QFormLayout::LabelRole))
                item->widget()->setMinimumWidth(captionWidth);

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    ok->setAutoDefault(true);
    ok->setMinimumWidth(96);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 16);
    layout->setSpacing(12);
    layout->addLayout(header);
    layout->addWidget(separator(this));
    layout->addLayout(folders);
    layout->addWidget(separator(this));
    layout->addLayout(system);
    layout->addWidget(separator(this));
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    adjustSize();
    centerInWorkArea(this);
    QCoreApplication::processEvents();
    QApplication::restoreOverrideCursor();
}

QLabel* AboutWindow::addLine(QFormLayout* form, const QString& caption, const QString& name,
                             const QString& value) {
    auto* label = new QLabel(caption, this);
    label->setObjectName(name + QStringLiteral("Caption"));
    auto* field = new QLabel(value, this);
    field->setObjectName(name);
    field->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Long values (a kernel build line, a deep folder) wrap instead of widening the window.
    field->setWordWrap(true);
    field->setMinimumWidth(300);
    field->setMaximumWidth(420);
    form->addRow(label, field);
    m_values.append({caption, field});
    return field;
}

QString AboutWindow::valueOf(const QString& caption) const {
    for (const auto& [c, label] : m_values)
        if (c == caption)
            return label->text();
    return QString();
}

AboutWindow* AboutWindow::showAbout(const QString& workDirectory, const platform::IntlSettings& intl,
                                    QWidget* parent) {
    static QPointer<AboutWindow> open;
    if (!open) {
        open = new AboutWindow(workDirectory, intl, parent);
        open->setAttribute(Qt::WA_DeleteOnClose);
    }
    open->show();
    open->raise();
    open->activateWindow();
    return open;
}

} // namespace zek
