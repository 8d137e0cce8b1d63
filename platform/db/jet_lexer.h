#pragma once
// The pieces of the Jet expression syntax that the SQL translation and the record-set criteria share:
// a tokenizer that keeps every character of the text, the #date# literal and the Like wildcards.
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace db::jet::lex {

enum class Kind {
    Space,      // blanks, tabs, line breaks
    Word,       // a bare name or keyword: letters, digits, '_' (not starting with a digit)
    Bracketed,  // [name]; value is the name inside
    String,     // 'text' or "text"; value is the text with doubled quotes undone
    Number,     // 12, 1.5, .5, 1e3; ends at the first character that cannot continue it
    Date,       // #7/1/2001#; value is the text between the '#'
    Symbol,     // an operator or punctuation: <= >= <> != || or any single character
};

struct Token {
    Kind kind;
    int begin;      // position in the text
    int end;        // one past the last character
    QString value;

    bool isSymbol(QStringView s) const { return kind == Kind::Symbol && value == s; }
    bool isSymbol(QLatin1String s) const { return kind == Kind::Symbol && value == s; }
    // A bare word equal to the keyword, ignoring case.
    bool isWord(QStringView keyword) const
    {
        return kind == Kind::Word && value.compare(keyword, Qt::CaseInsensitive) == 0;
    }
    bool isWord(QLatin1String keyword) const
    {
        return kind == Kind::Word && value.compare(keyword, Qt::CaseInsensitive) == 0;
    }
    bool isName() const { return kind == Kind::Word || kind == Kind::Bracketed; }
};

struct Lexed {
    std::vector<Token> tokens;
    int errorAt = -1;   // start of an unclosed quote, bracket or date literal; -1 when none
};

Lexed tokenize(const QString& text);

// The date of a Jet date literal's inner text: month/day/year (the engine's fixed order), or
// year-month-day, with an optional time "h:mm[:ss] [AM|PM]". std::nullopt when it is no date.
std::optional<QDateTime> parseDateLiteral(const QString& inner);

// Jet's Like: '*' any run of characters, '?' one character, '#' one digit, [abc] [a-z] [!abc]
// a character of (not of) the list. Letter case is ignored; the pattern must cover the whole text.
bool likeMatch(const QString& text, const QString& pattern);

} // namespace db::jet::lex
