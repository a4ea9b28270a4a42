// The small controls of the condition grid: line edits whose typed and pasted characters pass a
// filter (the bracket boxes and the masked value box), the choice button with its mark and
// current-row look, and the two sort-direction pictures.
#pragma once

#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include <functional>

namespace zek {

// A line edit whose typed and pasted text passes `filter` first: it returns the text to enter, ""
// to drop it. Navigation and editing keys (Backspace, Delete, arrows) are not filtered.
class FilteredLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit FilteredLineEdit(QWidget* parent = nullptr);

    std::function<QString(const QString&)> filter;

    // Pastes the clipboard (or the selection clipboard) through the filter.
    void pasteFiltered(bool selection = false);

protected:
    // The typed or pasted text to enter: `filter`'s answer.
    virtual QString screened(const QString& text) const;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A bracket box: every character typed or pasted becomes its bracket, so several brackets can be
// typed into one box; Backspace removes them.
class BracketEdit : public FilteredLineEdit {
    Q_OBJECT
public:
    BracketEdit(QChar bracket, QWidget* parent = nullptr);
    QChar bracket() const { return m_bracket; }

private:
    QChar m_bracket;
};

// The masked value box. The mask is written as the masked edit of the design writes it: "&" any
// character, "#" a digit, "A" a letter or digit, everything else a literal. `maskedText` gives the
// literals, "_" in the "#" and "A" places not yet filled, and in "&" places only what was typed
// (as maskedText() of row_model.h). Without a mask it is a plain box with a maximum length.
class MaskedValueEdit : public FilteredLineEdit {
    Q_OBJECT
public:
    explicit MaskedValueEdit(QWidget* parent = nullptr);

    void setMask(const QString& mask);
    QString mask() const { return m_mask; }
    QString maskedText() const;
    void setMaskedText(const QString& text);

    // The design's mask in Qt's input-mask notation with its blank: "_" where only digits or
    // letters go, `AnyCharacterBlank` where any character goes.
    static QString qtInputMask(const QString& mask);

    // Shown in unfilled "&" places. "_" cannot serve there: a typed "_" would become a blank, so
    // this one is kept out of what is typed or pasted instead.
    static constexpr QChar AnyCharacterBlank = QChar(0x02CD); // MODIFIER LETTER LOW MACRON

protected:
    QString screened(const QString& text) const override;
    // A click past the typed text puts the cursor right after it: in the unfilled places a
    // character typed would land far from the rest, and the masked edit drops what follows.
    void mousePressEvent(QMouseEvent* event) override;

private:
    // The position after the last filled place of the mask and the literals after it; 0 when no
    // place is filled.
    int typedEnd() const;

    QString m_mask;
};

// DQCHOICE: shows the line number; white text marks the line. The current row's button is drawn
// with a strong frame.
class ChoiceButton : public QPushButton {
    Q_OBJECT
public:
    explicit ChoiceButton(QWidget* parent = nullptr);

    bool isMarked() const { return m_marked; }
    void setMarked(bool marked);
    bool isCurrent() const { return m_current; }
    void setCurrent(bool current);
    // The text colour that carries the mark: white when marked, black otherwise.
    QColor textColor() const;

private:
    void restyle();
    bool m_marked = false;
    bool m_current = false;
};

// The ascending (`stijgend`) and descending (`dalend`) pictures of the sort-direction buttons,
// 14 x 14 pixels.
QPixmap ascendingPicture();
QPixmap descendingPicture();

} // namespace zek
