#include "platform/whole_characters.h"

namespace zek::platform {

QString wholeCharacters(const QString& text) {
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
        } else if (!c.isSurrogate()) {
            out += c;
        }
    }
    return out;
}

QValidator::State WholeCharactersValidator::validate(QString& input, int& pos) const {
    const QString whole = wholeCharacters(input);
    if (whole.size() != input.size()) {
        // The cursor keeps its place among the characters that stay.
        pos -= static_cast<int>(input.left(pos).size() - wholeCharacters(input.left(pos)).size());
        input = whole;
    }
    return Acceptable;
}

} // namespace zek::platform
