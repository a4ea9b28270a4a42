// The original SQL dialect on top of SQLite: statement translation, the LIKE matcher and criteria texts.
#pragma once

#include <QString>

#include <vector>

struct sqlite3;

namespace zek::db::detail {

// Translates the original dialect into SQLite's: "Delete * from" → "DELETE FROM". LIKE keeps its
// form; registerDialectFunctions gives SQLite the LIKE below.
QString translateDialect(const QString& sql);
// The pattern matcher behind LIKE.
bool likeMatches(const QString& pattern, const QString& value);

// A compiled LIKE pattern: "*" any run, "?" one character, "#" one digit, "[abc]", "[a-z]" and
// "[!abc]" character lists; everything else stands for itself. Comparison ignores case.
class LikePattern {
public:
    explicit LikePattern(const QString& pattern);
    explicit LikePattern(const char* utf8, int bytes);
    bool matches(const QString& value) const;
    bool matchesUtf8(const char* utf8, int bytes) const;

private:
    struct Token {
        enum Kind : unsigned char { Literal, AnyOne, Digit, AnyRun, List } kind = Literal;
        bool negate = false;
        char32_t ch = 0;
        std::vector<std::pair<char32_t, char32_t>> ranges;
    };
    void compile(const std::u32string& pattern);
    bool matchFolded(const std::u32string& value) const;
    static bool tokenMatches(const Token& token, char32_t c);

    std::vector<Token> m_tokens;
};

// Registers the dialect's functions (LIKE) on a connection.
void registerDialectFunctions(sqlite3* db);

// A criteria text as FindFirst takes it: double-quoted texts are string literals, as they were in
// the original dialect, so "C:\X" becomes 'C:\X'. Bracketed names and single-quoted texts are kept.
QString translateCriteria(const QString& criteria);

} // namespace zek::db::detail
