#include "platform/db/jet_lexer.h"

#include <QRegularExpression>

namespace db::jet::lex {

namespace {

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
bool startsWord(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool continuesWord(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c.isMark(); }

// Reads a quoted text from pos (at the opening quote); the quote is written twice inside.
// Returns the end position, or -1 when it is not closed.
int readQuoted(const QString& text, int pos, QChar quote, QString* value)
{
    int i = pos + 1;
    while (i < text.size()) {
        if (text.at(i) == quote) {
            if (i + 1 < text.size() && text.at(i + 1) == quote) {
                value->append(quote);
                i += 2;
                continue;
            }
            return i + 1;
        }
        value->append(text.at(i));
        ++i;
    }
    return -1;
}

// End of a number starting at pos: digits, an optional fraction and an optional exponent that
// has digits after it.
int readNumber(const QString& text, int pos)
{
    int i = pos;
    const int n = text.size();
    while (i < n && isDigit(text.at(i)))
        ++i;
    if (i < n && text.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < n && isDigit(text.at(i)))
            ++i;
    }
    if (i < n && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        int j = i + 1;
        if (j < n && (text.at(j) == QLatin1Char('+') || text.at(j) == QLatin1Char('-')))
            ++j;
        if (j < n && isDigit(text.at(j))) {
            while (j < n && isDigit(text.at(j)))
                ++j;
            i = j;
        }
    }
    return i;
}

} // namespace

Lexed tokenize(const QString& text)
{
    Lexed out;
    const int n = text.size();
    int i = 0;
    auto push = [&](Kind kind, int begin, int end, QString value) {
        out.tokens.push_back(Token{kind, begin, end, std::move(value)});
    };
    while (i < n) {
        const QChar c = text.at(i);
        if (c.isSpace()) {
            int j = i + 1;
            while (j < n && text.at(j).isSpace())
                ++j;
            push(Kind::Space, i, j, text.mid(i, j - i));
            i = j;
        } else if (startsWord(c)) {
            int j = i + 1;
            while (j < n && continuesWord(text.at(j)))
                ++j;
            push(Kind::Word, i, j, text.mid(i, j - i));
            i = j;
        } else if (isDigit(c) || (c == QLatin1Char('.') && i + 1 < n && isDigit(text.at(i + 1)))) {
            const int j = readNumber(text, i);
            push(Kind::Number, i, j, text.mid(i, j - i));
            i = j;
        } else if (c == QLatin1Char('[')) {
            const int close = text.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0) {
                out.errorAt = i;
                return out;
            }
            push(Kind::Bracketed, i, close + 1, text.mid(i + 1, close - i - 1));
            i = close + 1;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            QString value;
            const int end = readQuoted(text, i, c, &value);
            if (end < 0) {
                out.errorAt = i;
                return out;
            }
            push(Kind::String, i, end, value);
            i = end;
        } else if (c == QLatin1Char('#')) {
            const int close = text.indexOf(QLatin1Char('#'), i + 1);
            if (close < 0) {
                out.errorAt = i;
                return out;
            }
            push(Kind::Date, i, close + 1, text.mid(i + 1, close - i - 1));
            i = close + 1;
        } else {
            static const char* const pairs[] = {"<=", ">=", "<>", "!=", "||", "=="};
            int len = 1;
            for (const char* p : pairs) {
                if (text.mid(i, 2) == QLatin1String(p)) {
                    len = 2;
                    break;
                }
            }
            push(Kind::Symbol, i, i + len, text.mid(i, len));
            i += len;
        }
    }
    return out;
}

std::optional<QDateTime> parseDateLiteral(const QString& inner)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(?:(\d{1,4})[/\-.](\d{1,2})(?:[/\-.](\d{1,4}))?)?\s*(?:(\d{1,2}):(\d{2})(?::(\d{2}))?\s*([AaPp][Mm])?)?\s*$)"));
    const QRegularExpressionMatch m = re.match(inner);
    if (!m.hasMatch() || inner.trimmed().isEmpty())
        return std::nullopt;

    QDate date(1899, 12, 30);
    if (m.capturedLength(1) > 0) {
        int a = m.captured(1).toInt();
        int b = m.captured(2).toInt();
        const bool hasYear = m.capturedLength(3) > 0;
        int year = 0, month = 0, day = 0;
        if (m.capturedLength(1) > 2) {         // year-month-day
            if (!hasYear)
                return std::nullopt;
            year = a;
            month = b;
            day = m.captured(3).toInt();
        } else {                               // month/day/year
            month = a;
            day = b;
            if (month > 12 && day <= 12)       // not a month: read it as day/month
                std::swap(month, day);
            if (hasYear) {
                year = m.captured(3).toInt();
                if (m.capturedLength(3) <= 2)
                    year += year < 30 ? 2000 : 1900;
            } else {
                year = QDate::currentDate().year();
            }
        }
        date = QDate(year, month, day);
        if (!date.isValid())
            return std::nullopt;
    }
    QTime time(0, 0);
    if (m.capturedLength(4) > 0) {
        int hour = m.captured(4).toInt();
        const QString ampm = m.captured(7).toUpper();
        if (!ampm.isEmpty()) {
            if (hour < 1 || hour > 12)
                return std::nullopt;
            hour = (hour % 12) + (ampm == QLatin1String("PM") ? 12 : 0);
        }
        time = QTime(hour, m.captured(5).toInt(), m.capturedLength(6) > 0 ? m.captured(6).toInt() : 0);
        if (!time.isValid())
            return std::nullopt;
    }
    return QDateTime(date, time);
}

namespace {

struct PatternItem {
    enum Type { Literal, AnyRun, AnyOne, Digit, Set } type;
    QChar ch;                                   // Literal (folded)
    bool negated = false;                       // Set
    std::vector<std::pair<QChar, QChar>> ranges; // Set (folded)
};

QChar fold(QChar c) { return c.toCaseFolded(); }

std::vector<PatternItem> compilePattern(const QString& pattern)
{
    std::vector<PatternItem> items;
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        PatternItem item{PatternItem::Literal, fold(c), false, {}};
        if (c == QLatin1Char('*')) {
            item.type = PatternItem::AnyRun;
        } else if (c == QLatin1Char('?')) {
            item.type = PatternItem::AnyOne;
        } else if (c == QLatin1Char('#')) {
            item.type = PatternItem::Digit;
        } else if (c == QLatin1Char('[')) {
            const int close = pattern.indexOf(QLatin1Char(']'), i + 1);
            if (close > i) {
                item.type = PatternItem::Set;
                int j = i + 1;
                if (j < close && pattern.at(j) == QLatin1Char('!') && close > j + 1) {
                    item.negated = true;
                    ++j;
                }
                for (; j < close; ++j) {
                    const QChar from = fold(pattern.at(j));
                    if (j + 2 < close && pattern.at(j + 1) == QLatin1Char('-')) {
                        item.ranges.emplace_back(from, fold(pattern.at(j + 2)));
                        j += 2;
                    } else {
                        item.ranges.emplace_back(from, from);
                    }
                }
                i = close;
            }   // an unclosed '[' stands for itself
        }
        items.push_back(std::move(item));
    }
    return items;
}

bool matchesOne(const PatternItem& item, QChar c)
{
    switch (item.type) {
    case PatternItem::Literal: return item.ch == c;
    case PatternItem::AnyOne: return true;
    case PatternItem::Digit: return isDigit(c);
    case PatternItem::Set: {
        bool in = false;
        for (const auto& [from, to] : item.ranges)
            in = in || (c >= from && c <= to);
        return in != item.negated;
    }
    case PatternItem::AnyRun: break;
    }
    return false;
}

} // namespace

bool likeMatch(const QString& text, const QString& pattern)
{
    const std::vector<PatternItem> items = compilePattern(pattern);
    QString folded = text;
    for (QChar& c : folded)
        c = fold(c);

    // Greedy matching that backs up to the last '*' on a mismatch.
    size_t p = 0;
    int t = 0;
    size_t starItem = SIZE_MAX;
    int starText = 0;
    while (t < folded.size()) {
        if (p < items.size() && items[p].type == PatternItem::AnyRun) {
            starItem = p++;
            starText = t;
        } else if (p < items.size() && matchesOne(items[p], folded.at(t))) {
            ++p;
            ++t;
        } else if (starItem != SIZE_MAX) {
            p = starItem + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < items.size() && items[p].type == PatternItem::AnyRun)
        ++p;
    return p == items.size();
}

} // namespace db::jet::lex
