#include "query/gui/grid_edits.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace zek {

namespace {

// The characters of Qt's input masks that must be escaped to stand for themselves.
const QString QtMaskSpecials = QStringLiteral("AaNnXx90DdHhBb#><!\\[]{};");

bool isTextInput(const QString& text) {
    return !text.isEmpty() && text.at(0).isPrint();
}

QPixmap arrowPicture(bool up) {
    const qreal dpr = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(14, 14) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x1f, 0x3a, 0x68);
    // Shaft and head; the head points the way the values run.
    p.setPen(QPen(ink, 2.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(7, up ? 12.5 : 1.5), QPointF(7, up ? 5 : 9));
    QPainterPath head;
    if (up) {
        head.moveTo(7, 1);
        head.lineTo(12.5, 7.5);
        head.lineTo(1.5, 7.5);
    } else {
        head.moveTo(7, 13);
        head.lineTo(12.5, 6.5);
        head.lineTo(1.5, 6.5);
    }
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(head);
    return pixmap;
}

} // namespace

FilteredLineEdit::FilteredLineEdit(QWidget* parent) : QLineEdit(parent) {
    // Dropped text would pass no filter.
    setAcceptDrops(false);
}

void FilteredLineEdit::pasteFiltered(bool selection) {
    if (isReadOnly())
        return;
    const QClipboard* clipboard = QGuiApplication::clipboard();
    QString text = clipboard->text(selection ? QClipboard::Selection : QClipboard::Clipboard);
    text.remove(QLatin1Char('\r'));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text = screened(text);
    if (!text.isEmpty())
        insert(text);
}

QString FilteredLineEdit::screened(const QString& text) const {
    return filter ? filter(text) : text;
}

void FilteredLineEdit::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        pasteFiltered();
        event->accept();
        return;
    }
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (command || !isTextInput(event->text())) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString text = screened(event->text());
    if (text.isEmpty()) {
        event->accept();
        return;
    }
    if (text == event->text()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    QKeyEvent replaced(event->type(), 0, event->modifiers(), text, event->isAutoRepeat(), event->count());
    QLineEdit::keyPressEvent(&replaced);
    event->setAccepted(replaced.isAccepted());
}

void FilteredLineEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-paste") ||
            action->text().startsWith(QLineEdit::tr("&Paste"))) {
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, [this] { pasteFiltered(); });
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void FilteredLineEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        pasteFiltered(true);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

BracketEdit::BracketEdit(QChar bracket, QWidget* parent) : FilteredLineEdit(parent), m_bracket(bracket) {
    filter = [bracket](const QString& text) { return QString(text.size(), bracket); };
}

MaskedValueEdit::MaskedValueEdit(QWidget* parent) : FilteredLineEdit(parent) {}

QString MaskedValueEdit::qtInputMask(const QString& mask) {
    if (mask.isEmpty())
        return QString();
    QString out;
    for (QChar c : mask) {
        if (c == QLatin1Char('&'))
            out += QLatin1Char('x');
        else if (c == QLatin1Char('#'))
            out += QLatin1Char('9');
        else if (c == QLatin1Char('A'))
            out += QLatin1Char('n');
        else if (QtMaskSpecials.contains(c))
            out += QLatin1Char('\\') + QString(c);
        else
            out += c;
    }
    const QChar blank = mask.contains(QLatin1Char('&')) ? AnyCharacterBlank : QLatin1Char('_');
    return out + QLatin1Char(';') + blank;
}

void MaskedValueEdit::mousePressEvent(QMouseEvent* event) {
    FilteredLineEdit::mousePressEvent(event);
    if (m_mask.isEmpty() || event->button() != Qt::LeftButton || hasSelectedText())
        return;
    const int end = typedEnd();
    if (cursorPosition() > end)
        setCursorPosition(end);
}

int MaskedValueEdit::typedEnd() const {
    // The design's mask has one character per shown place.
    const QChar blank = m_mask.contains(QLatin1Char('&')) ? AnyCharacterBlank : QLatin1Char('_');
    const QString shown = displayText();
    const auto isPlace = [this](qsizetype i) {
        const QChar m = m_mask.at(i);
        return m == QLatin1Char('&') || m == QLatin1Char('#') || m == QLatin1Char('A');
    };
    const qsizetype places = std::min(shown.size(), m_mask.size());
    qsizetype end = 0;
    for (qsizetype i = 0; i < places; ++i) {
        if (isPlace(i) && shown.at(i) != blank)
            end = i + 1;
    }
    // Past the literals that follow, where typing goes on (the masked edit steps over them too).
    while (end < places && !isPlace(end))
        ++end;
    return int(end);
}

QString MaskedValueEdit::screened(const QString& text) const {
    QString t = FilteredLineEdit::screened(text);
    t.remove(AnyCharacterBlank);
    return t;
}

void MaskedValueEdit::setMask(const QString& mask) {
    m_mask = mask;
    setInputMask(qtInputMask(mask));
}

QString MaskedValueEdit::maskedText() const {
    // text() leaves the blanks out. That is wanted only where the blank cannot be typed; in a
    // mask of digit or letter places the "_" blanks stay, as the checks of dates and times read them.
    if (m_mask.isEmpty() || m_mask.contains(QLatin1Char('&')))
        return text();
    return displayText();
}

void MaskedValueEdit::setMaskedText(const QString& text) {
    setText(text);
    setCursorPosition(0);
}

ChoiceButton::ChoiceButton(QWidget* parent) : QPushButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    restyle();
}

void ChoiceButton::setMarked(bool marked) {
    if (m_marked == marked)
        return;
    m_marked = marked;
    restyle();
}

void ChoiceButton::setCurrent(bool current) {
    if (m_current == current)
        return;
    m_current = current;
    restyle();
}

QColor ChoiceButton::textColor() const {
    return m_marked ? QColor(255, 255, 255) : QColor(0, 0, 0);
}

void ChoiceButton::restyle() {
    // White text needs a dark face to be read; the current row gets a strong blue frame.
    const QString face = m_marked ? QStringLiteral("stop:0 #4d6f9c, stop:1 #2f4d75")
                                  : QStringLiteral("stop:0 #fbfbfb, stop:1 #dedede");
    const QString frame =
        m_current ? QStringLiteral("2px solid #2a6fd6") : QStringLiteral("1px solid #9a9a9a");
    setStyleSheet(QStringLiteral("QPushButton { color: %1; border: %2; border-radius: 3px;"
                                 " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, %3);"
                                 " font-weight: %4; padding: 0px; }"
                                 "QPushButton:pressed { background: #c8d6ea; }")
                      .arg(textColor().name(), frame, face,
                           m_current ? QStringLiteral("bold") : QStringLiteral("normal")));
    QPalette pal = palette();
    pal.setColor(QPalette::ButtonText, textColor());
    setPalette(pal);
}

QPixmap ascendingPicture() {
    return arrowPicture(true);
}

QPixmap descendingPicture() {
    return arrowPicture(false);
}

} // namespace zek
