// Texts cut to whole characters. A box with a maximum length counts UTF-16 units, so a text cut at
// the limit can end in the first half of a character beyond 16 bits; stored, that half becomes a
// replacement character and the text no longer reads back as it was typed.
#pragma once

#include <QString>
#include <QValidator>

namespace zek::platform {

// The text without halves of characters beyond 16 bits that have lost their other half.
QString wholeCharacters(const QString& text);

// For a line edit: every change (typed, pasted, set) is cut back to whole characters, so the box
// never holds half a character.
class WholeCharactersValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

} // namespace zek::platform
