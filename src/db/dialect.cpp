#include "db/dialect.h"

#include "db/engine.h"

#include <sqlite3.h>

#include <QChar>
#include <QRegularExpression>

#include <memory>

namespace zek::db::detail {

QString translateDialect(const QString& sql) {
    // "Delete * from X" (the star names all columns, which SQLite does not take) becomes "DELETE FROM X".
    static const QRegularExpression deleteStar(
        QStringLiteral("^(\\s*)delete\\s*\\*\\s*from(?=[\\s\\[\"`]|$)"),
        QRegularExpression::CaseInsensitiveOption);
    QString out = sql;
    const QRegularExpressionMatch m = deleteStar.match(out);
    if (m.hasMatch())
        out.replace(0, m.capturedLength(), m.captured(1) + QStringLiteral("DELETE FROM"));
    return out;
}

bool likeMatches(const QString& pattern, const QString& value) {
    return LikePattern(pattern).matches(value);
}

namespace {

char32_t fold(char32_t c) {
    return QChar::toCaseFolded(c);
}

// Decodes UTF-8 into folded code points; malformed bytes become U+FFFD.
void decodeFolded(const unsigned char* s, int bytes, std::u32string& out) {
    out.clear();
    out.reserve(static_cast<size_t>(bytes));
    int i = 0;
    while (i < bytes) {
        const unsigned char b = s[i];
        char32_t c = 0xFFFD;
        int len = 1;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            len = 2;
            c = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
            c = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4;
            c = b & 0x07;
        } else {
            len = 0;
        }
        bool ok = len > 0 && i + len <= bytes;
        for (int k = 1; ok && k < len; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                ok = false;
            else
                c = (c << 6) | (s[i + k] & 0x3F);
        }
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(fold(c));
        i += len;
    }
}

void toFolded(const QString& text, std::u32string& out) {
    out.clear();
    out.reserve(static_cast<size_t>(text.size()));
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        out.push_back(fold(c));
    }
}

} // namespace

LikePattern::LikePattern(const QString& pattern) {
    std::u32string p;
    toFolded(pattern, p);
    compile(p);
}

LikePattern::LikePattern(const char* utf8, int bytes) {
    std::u32string p;
    decodeFolded(reinterpret_cast<const unsigned char*>(utf8), bytes, p);
    compile(p);
}

void LikePattern::compile(const std::u32string& p) {
    const size_t n = p.size();
    for (size_t i = 0; i < n; ++i) {
        Token t;
        const char32_t c = p[i];
        if (c == U'*') {
            if (!m_tokens.empty() && m_tokens.back().kind == Token::AnyRun)
                continue; // "**" is "*"
            t.kind = Token::AnyRun;
        } else if (c == U'?') {
            t.kind = Token::AnyOne;
        } else if (c == U'#') {
            t.kind = Token::Digit;
        } else if (c == U'[') {
            const size_t close = p.find(U']', i + 1);
            if (close == std::u32string::npos) {
                t.ch = c; // an unclosed "[" stands for itself
            } else {
                std::u32string list = p.substr(i + 1, close - i - 1);
                i = close;
                if (list.empty())
                    continue; // "[]" matches the empty text: nothing to consume
                if (list == U"!") {
                    t.ch = U'!';
                    m_tokens.push_back(t);
                    continue;
                }
                t.kind = Token::List;
                size_t k = 0;
                if (list[0] == U'!') {
                    t.negate = true;
                    k = 1;
                }
                for (; k < list.size(); ++k) {
                    const char32_t lo = list[k];
                    if (k + 2 < list.size() && list[k + 1] == U'-') {
                        t.ranges.emplace_back(lo, list[k + 2]);
                        k += 2;
                    } else {
                        t.ranges.emplace_back(lo, lo);
                    }
                }
            }
        } else {
            t.ch = c;
        }
        m_tokens.push_back(std::move(t));
    }
}

bool LikePattern::tokenMatches(const Token& t, char32_t c) {
    switch (t.kind) {
    case Token::Literal:
        return t.ch == c;
    case Token::AnyOne:
        return true;
    case Token::Digit:
        return c >= U'0' && c <= U'9';
    case Token::List: {
        bool in = false;
        for (const auto& [lo, hi] : t.ranges) {
            if (c >= lo && c <= hi) {
                in = true;
                break;
            }
        }
        return in != t.negate;
    }
    case Token::AnyRun:
        break;
    }
    return false;
}

bool LikePattern::matchFolded(const std::u32string& v) const {
    // Greedy match with one backtrack point at the last "*": every other token takes one character.
    const size_t m = m_tokens.size();
    const size_t n = v.size();
    size_t p = 0, i = 0;
    size_t starP = SIZE_MAX, starI = 0;
    while (i < n) {
        if (p < m && m_tokens[p].kind == Token::AnyRun) {
            starP = p++;
            starI = i;
        } else if (p < m && tokenMatches(m_tokens[p], v[i])) {
            ++p;
            ++i;
        } else if (starP != SIZE_MAX) {
            p = starP + 1;
            i = ++starI;
        } else {
            return false;
        }
    }
    while (p < m && m_tokens[p].kind == Token::AnyRun)
        ++p;
    return p == m;
}

bool LikePattern::matches(const QString& value) const {
    std::u32string v;
    toFolded(value, v);
    return matchFolded(v);
}

bool LikePattern::matchesUtf8(const char* utf8, int bytes) const {
    thread_local std::u32string v;
    decodeFolded(reinterpret_cast<const unsigned char*>(utf8), bytes, v);
    return matchFolded(v);
}

namespace {

void likeFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    // SQLite calls like(pattern, value) for "value LIKE pattern". Null on either side gives Null.
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* value = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    const int valueBytes = sqlite3_value_bytes(argv[1]);
    if (auto* cached = static_cast<LikePattern*>(sqlite3_get_auxdata(ctx, 0))) {
        sqlite3_result_int(ctx, cached->matchesUtf8(value, valueBytes) ? 1 : 0);
        return;
    }
    const auto* pattern = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    auto compiled = std::make_unique<LikePattern>(pattern, sqlite3_value_bytes(argv[0]));
    sqlite3_result_int(ctx, compiled->matchesUtf8(value, valueBytes) ? 1 : 0);
    // The compiled pattern is kept for the next rows of the same statement (a constant pattern).
    sqlite3_set_auxdata(ctx, 0, compiled.release(), [](void* p) { delete static_cast<LikePattern*>(p); });
}

} // namespace

void registerDialectFunctions(sqlite3* db) {
    // Direct only: a view, trigger or index of a file from elsewhere cannot call into this code.
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY;
    const int rc =
        sqlite3_create_function_v2(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw EngineError(rc, QString::fromUtf8(sqlite3_errmsg(db)), rc);
}

QString translateCriteria(const QString& criteria) {
    QString out;
    out.reserve(criteria.size() + 4);
    const qsizetype n = criteria.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = criteria.at(i);
        if (c == u'\'' || c == u'[' || c == u'`') {
            // Copy a single-quoted text or a bracketed name unchanged.
            const QChar close = c == u'[' ? QChar(u']') : c;
            qsizetype j = i + 1;
            while (j < n) {
                if (criteria.at(j) == close) {
                    if (close == u'\'' && j + 1 < n && criteria.at(j + 1) == u'\'') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const qsizetype end = qMin(j + 1, n);
            out += QStringView(criteria).mid(i, end - i);
            i = end;
        } else if (c == u'"') {
            QString text;
            qsizetype j = i + 1;
            while (j < n) {
                if (criteria.at(j) == u'"') {
                    if (j + 1 < n && criteria.at(j + 1) == u'"') {
                        text += u'"';
                        j += 2;
                        continue;
                    }
                    break;
                }
                text += criteria.at(j);
                ++j;
            }
            text.replace(u'\'', QStringLiteral("''"));
            out += u'\'' + text + u'\'';
            i = qMin(j + 1, n);
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

} // namespace zek::db::detail
