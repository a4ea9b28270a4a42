#include "platform/profile.h"

#include "platform/whole_characters.h"

#include <QFile>
#include <QList>

#include <algorithm>
#include <cerrno>
#include <limits>

namespace zek::platform {
namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF");

QString resolveFileName(const QString& fileName) {
    if (!fileName.contains(QLatin1Char('/')))
        return configFolder() + QLatin1Char('/') + fileName;
    return fileName;
}

bool isQuote(QChar c) {
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

bool isEnclosed(const QString& v) {
    return v.size() >= 2 && isQuote(v.front()) && v.back() == v.front();
}

QString decodeValue(const QString& trimmed) {
    return isEnclosed(trimmed) ? trimmed.mid(1, trimmed.size() - 2) : trimmed;
}

// Quote what reading would otherwise change: blanks at either end are stripped and a pair of
// enclosing quotation marks is removed.
QString encodeValue(const QString& value) {
    const bool blankEnds = !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
    if (blankEnds || isEnclosed(value))
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

QString cut(QString value, int bufferSize) {
    const qsizetype room = qMax(0, bufferSize - 1);
    if (value.size() > room) {
        qsizetype n = room;
        if (n > 0 && value.at(n - 1).isHighSurrogate())
            --n; // never leave half a character
        value.truncate(n);
    }
    return value;
}

// One INI file as lines, so that a write can change one line and keep the rest byte for byte.
class IniText {
public:
    struct Line {
        QString text;
        QString end; // "\n", "\r\n" or "" for a last line without one
    };

    bool hasBom = false;
    QList<Line> lines;

    void parse(QByteArray bytes) {
        hasBom = bytes.startsWith(Utf8Bom);
        if (hasBom)
            bytes.remove(0, Utf8Bom.size());
        const QString text = QString::fromUtf8(bytes);
        qsizetype start = 0;
        while (start < text.size()) {
            const qsizetype nl = text.indexOf(QLatin1Char('\n'), start);
            Line line;
            if (nl < 0) {
                line.text = text.mid(start);
                start = text.size();
            } else {
                line.text = text.mid(start, nl - start);
                line.end = QStringLiteral("\n");
                start = nl + 1;
            }
            if (line.text.endsWith(QLatin1Char('\r'))) {
                line.text.chop(1);
                line.end.prepend(QLatin1Char('\r'));
            }
            lines.append(line);
        }
    }

    QByteArray serialize() const {
        QString text;
        for (const Line& line : lines)
            text += line.text + line.end;
        return (hasBom ? Utf8Bom : QByteArray()) + text.toUtf8();
    }

    // The section a header line opens; nothing for other lines.
    static std::optional<QString> sectionOf(const QString& text) {
        const QString t = text.trimmed();
        if (!t.startsWith(QLatin1Char('[')))
            return std::nullopt;
        qsizetype close = t.indexOf(QLatin1Char(']'));
        if (close < 0)
            close = t.size();
        return t.mid(1, close - 1).trimmed();
    }

    // The key of a "key=value" line, and where its value starts; nothing for other lines.
    static std::optional<QString> keyOf(const QString& text, qsizetype* equals = nullptr) {
        const QString t = text.trimmed();
        if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('[')))
            return std::nullopt;
        const qsizetype eq = text.indexOf(QLatin1Char('='));
        if (eq < 0)
            return std::nullopt;
        const QString key = text.left(eq).trimmed();
        if (key.isEmpty())
            return std::nullopt;
        if (equals)
            *equals = eq;
        return key;
    }

    static bool same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

    // Index of the line holding the key in the first matching section that has it, or -1.
    qsizetype findKey(const QString& section, const QString& key) const {
        bool inSection = false;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (const auto name = sectionOf(lines[i].text)) {
                inSection = same(*name, section);
            } else if (inSection) {
                const auto k = keyOf(lines[i].text);
                if (k && same(*k, key))
                    return i;
            }
        }
        return -1;
    }

    std::optional<QString> value(const QString& section, const QString& key) const {
        const qsizetype i = findKey(section, key);
        if (i < 0)
            return std::nullopt;
        qsizetype eq = 0;
        keyOf(lines[i].text, &eq);
        return decodeValue(lines[i].text.mid(eq + 1).trimmed());
    }

    void set(const QString& section, const QString& key, const QString& value) {
        const QString stored = encodeValue(value);
        const qsizetype found = findKey(section, key);
        if (found >= 0) {
            // Keep the key as spelt in the file and the blanks after "=".
            QString& text = lines[found].text;
            qsizetype eq = 0;
            keyOf(text, &eq);
            qsizetype valueStart = eq + 1;
            while (valueStart < text.size() &&
                   (text[valueStart] == QLatin1Char(' ') || text[valueStart] == QLatin1Char('\t')))
                ++valueStart;
            text = text.left(valueStart) + stored;
            return;
        }
        const Line newLine{key + QLatin1Char('=') + stored, lineEnd()};

        // Append to the first section of that name, after its last line that is neither blank nor a
        // comment (comments at the end of a section usually belong to the next one).
        qsizetype insertAfter = -1;
        bool inSection = false;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (const auto name = sectionOf(lines[i].text)) {
                if (inSection)
                    break;
                inSection = same(*name, section);
                if (inSection)
                    insertAfter = i;
            } else if (inSection && !lines[i].text.trimmed().isEmpty() &&
                       !lines[i].text.trimmed().startsWith(QLatin1Char(';'))) {
                insertAfter = i;
            }
        }
        if (insertAfter >= 0) {
            if (!endsLine(lines[insertAfter].end))
                lines[insertAfter].end += lineEnd();
            lines.insert(insertAfter + 1, newLine);
            return;
        }

        if (!lines.isEmpty()) {
            if (!endsLine(lines.last().end))
                lines.last().end += lineEnd();
            if (!lines.last().text.trimmed().isEmpty())
                lines.append(Line{QString(), lineEnd()});
        }
        lines.append(Line{QLatin1Char('[') + section + QLatin1Char(']'), lineEnd()});
        lines.append(newLine);
    }

private:
    // Only "\n" ends a line when reading; a last line may end in a lone "\r", which does not.
    static bool endsLine(const QString& end) { return end.endsWith(QLatin1Char('\n')); }

    // New lines end the way the file's lines already do.
    QString lineEnd() const {
        for (const Line& line : lines)
            if (endsLine(line.end))
                return line.end;
        return QStringLiteral("\n");
    }
};

// Reads the file; a missing file is an empty one. False only when it exists but cannot be read.
bool load(const QString& fileName, IniText* ini, HostError* error) {
    QFile file(fileName);
    if (!file.exists())
        return true;
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            error->number = errno ? errno : EIO;
            error->text = QStringLiteral("Cannot read %1: %2").arg(fileName, file.errorString());
        }
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error) {
            error->number = EIO;
            error->text = QStringLiteral("Cannot read %1: %2").arg(fileName, file.errorString());
        }
        return false;
    }
    ini->parse(bytes);
    return true;
}

bool invalid(HostError* error, const QString& text) {
    if (error) {
        error->number = EINVAL;
        error->text = text;
    }
    return false;
}

bool hasLineBreak(const QString& s) {
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r')) || s.contains(QChar(0));
}

} // namespace

std::optional<QString> findPrivateProfileString(const QString& section, const QString& key,
                                                const QString& fileName, int bufferSize, HostError* error) {
    IniText ini;
    if (!load(resolveFileName(fileName), &ini, error))
        return std::nullopt;
    const auto value = ini.value(section.trimmed(), key.trimmed());
    if (!value)
        return std::nullopt;
    return cut(*value, bufferSize);
}

QString getPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                                const QString& fileName, int bufferSize, HostError* error) {
    return findPrivateProfileString(section, key, fileName, bufferSize, error)
        .value_or(cut(defaultValue, bufferSize));
}

int getPrivateProfileInt(const QString& section, const QString& key, int defaultValue,
                         const QString& fileName) {
    const QString value = getPrivateProfileString(section, key, QString(), fileName).trimmed();
    if (value.isEmpty())
        return defaultValue;
    qsizetype i = 0;
    bool negative = false;
    if (value[0] == QLatin1Char('-') || value[0] == QLatin1Char('+')) {
        negative = value[0] == QLatin1Char('-');
        ++i;
    }
    qint64 n = 0;
    for (; i < value.size() && value[i] >= QLatin1Char('0') && value[i] <= QLatin1Char('9'); ++i) {
        n = n * 10 + (value[i].unicode() - '0');
        if (n > qint64(std::numeric_limits<int>::max()) + 1)
            n = qint64(std::numeric_limits<int>::max()) + 1;
    }
    if (negative)
        n = -n;
    return int(std::clamp<qint64>(n, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool isStorableProfileValue(const QString& value) {
    return !hasLineBreak(value) && wholeCharacters(value) == value && value.size() < ProfileBufferSize;
}

bool writePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& fileName, HostError* error) {
    const QString s = section.trimmed();
    const QString k = key.trimmed();
    if (s.isEmpty() || hasLineBreak(s) || s.contains(QLatin1Char(']')))
        return invalid(error, QStringLiteral("Invalid section name \"%1\"").arg(section));
    if (k.isEmpty() || hasLineBreak(k) || k.contains(QLatin1Char('=')) || k.startsWith(QLatin1Char(';')) ||
        k.startsWith(QLatin1Char('[')))
        return invalid(error, QStringLiteral("Invalid key name \"%1\"").arg(key));
    if (hasLineBreak(value))
        return invalid(error, QStringLiteral("The value of \"%1\" holds a line break").arg(key));

    const QString name = resolveFileName(fileName);
    IniText ini;
    if (!load(name, &ini, error))
        return false; // never replace a file we could not read: its other keys would be lost
    ini.set(s, k, value);
    return replaceFileContents(name, ini.serialize(), error);
}

} // namespace zek::platform
