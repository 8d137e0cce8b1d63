#include "platform/db/jet_sql.h"

#include "platform/basic/basic.h"
#include "platform/db/db_error.h"
#include "platform/db/jet_lexer.h"

#include <QHash>
#include <QSet>
#include <QVariantList>
#include <algorithm>
#include <cmath>
#include <limits>
#include <sqlite3.h>

namespace db::jet {

using lex::Kind;
using lex::Token;

// ---------------------------------------------------------------- collation

namespace {

int sign(int v) { return (v > 0) - (v < 0); }

// The text folded code point by code point (the folding QString::compare uses to ignore case),
// decomposed, with the accents (non-spacing marks) dropped.
QString baseKey(QStringView s)
{
    QString folded;
    folded.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        char32_t cp = s.at(i).unicode();
        if (QChar::isHighSurrogate(cp) && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(s.at(i), s.at(i + 1));
            ++i;
        }
        const char32_t f = QChar::toCaseFolded(cp);
        if (QChar::requiresSurrogates(f)) {
            folded.append(QChar(QChar::highSurrogate(f)));
            folded.append(QChar(QChar::lowSurrogate(f)));
        } else {
            folded.append(QChar(char16_t(f)));
        }
    }
    const QString decomposed = folded.normalized(QString::NormalizationForm_D);
    QString key;
    key.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            key.append(c);
    }
    return key;
}

int compareUnicode(QStringView a, QStringView b)
{
    const int folded = sign(a.compare(b, Qt::CaseInsensitive));
    if (folded == 0)
        return 0;
    const int base = sign(QStringView(baseKey(a)).compare(QStringView(baseKey(b))));
    return base != 0 ? base : folded;
}

inline char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

// Both texts ASCII: the collation is the comparison of their lower-case letters.
// Returns 2 when a text is not ASCII.
int compareAsciiBytes(const char* a, int na, const char* b, int nb)
{
    const int n = std::min(na, nb);
    for (int i = 0; i < n; ++i) {
        const unsigned char ca = static_cast<unsigned char>(a[i]);
        const unsigned char cb = static_cast<unsigned char>(b[i]);
        if ((ca | cb) & 0x80)
            return 2;
        const char la = asciiLower(char(ca));
        const char lb = asciiLower(char(cb));
        if (la != lb) {
            for (int j = i + 1; j < na; ++j)
                if (static_cast<unsigned char>(a[j]) & 0x80)
                    return 2;
            for (int j = i + 1; j < nb; ++j)
                if (static_cast<unsigned char>(b[j]) & 0x80)
                    return 2;
            return la < lb ? -1 : 1;
        }
    }
    for (int j = n; j < na; ++j)
        if (static_cast<unsigned char>(a[j]) & 0x80)
            return 2;
    for (int j = n; j < nb; ++j)
        if (static_cast<unsigned char>(b[j]) & 0x80)
            return 2;
    return sign(na - nb);
}

int collate(void*, int na, const void* a, int nb, const void* b)
{
    const char* pa = static_cast<const char*>(a);
    const char* pb = static_cast<const char*>(b);
    const int ascii = compareAsciiBytes(pa, na, pb, nb);
    if (ascii != 2)
        return ascii;
    return compareUnicode(QString::fromUtf8(pa, na), QString::fromUtf8(pb, nb));
}

} // namespace

int compareText(const QString& a, const QString& b)
{
    bool ascii = true;
    for (QChar c : a)
        ascii = ascii && c.unicode() < 0x80;
    for (QChar c : b)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
        const qsizetype n = std::min(a.size(), b.size());
        for (qsizetype i = 0; i < n; ++i) {
            const char la = asciiLower(char(a.at(i).unicode()));
            const char lb = asciiLower(char(b.at(i).unicode()));
            if (la != lb)
                return la < lb ? -1 : 1;
        }
        return sign(int(a.size() - b.size()));
    }
    return compareUnicode(a, b);
}

QString quoteLiteral(const QString& text)
{
    QString q = text;
    q.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

// ---------------------------------------------------------------- translation

QString asciiKeySql(const QString& operand)
{
    return QStringLiteral("upper(replace(replace(%1, char(383), 's'), char(8490), 'k'))").arg(operand);
}

QString keyLookupSql(const QString& key, const QString& other)
{
    // A key of printable ASCII equals other for the collation exactly when its upper() does, so
    // only a key outside it is given to the collation, which folds every letter.
    return QStringLiteral("(upper(%1) = %3 OR (%1 GLOB '*[^ -~]*' AND length(%1) = length(%2) AND %1 = %2 COLLATE %4))")
        .arg(key, other, asciiKeySql(other), QLatin1String(kCollation));
}

namespace {

QString quoteName(const QString& name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

// Words that never start an operand of '&' (SQL keywords); Null, True and False are values.
bool isKeyword(const Token& t)
{
    static const QSet<QString> words = [] {
        QSet<QString> s;
        for (const char* w : {"SELECT", "FROM", "WHERE", "AND", "OR", "NOT", "XOR", "AS", "ON", "INNER", "LEFT",
                              "RIGHT", "OUTER", "FULL", "CROSS", "JOIN", "ORDER", "BY", "GROUP", "HAVING",
                              "BETWEEN", "IS", "IN", "LIKE", "SET", "UPDATE", "INSERT", "INTO", "VALUES", "DELETE",
                              "DISTINCT", "DISTINCTROW", "TOP", "ASC", "DESC", "UNION", "ALL", "MOD", "CREATE",
                              "ALTER", "TABLE", "DROP", "ADD", "COLUMN", "EXISTS", "PERCENT", "WITH", "PARAMETERS",
                              "TRANSFORM", "PIVOT", "COLLATE", "ESCAPE", "CASE", "WHEN", "THEN", "ELSE", "END",
                              "LIMIT", "OFFSET", "REGEXP", "CONSTRAINT", "PRIMARY", "KEY", "REFERENCES", "INDEX"})
            s.insert(QString::fromLatin1(w));
        return s;
    }();
    return t.kind == Kind::Word && words.contains(t.value.toUpper());
}

bool isSimpleName(const QString& s)
{
    if (s.isEmpty() || s.at(0).isDigit())
        return false;
    for (QChar c : s)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('_'))
            return false;
    return true;
}

class Translator {
public:
    static constexpr int kMaxDepth = 200;

    Translator(const QString& text, const SchemaInfo& schema) : text_(text), schema_(schema) {}

    QString run()
    {
        lex::Lexed lexed = lex::tokenize(text_);
        if (lexed.errorAt >= 0)
            raise(err::QuerySyntax, text_.mid(lexed.errorAt));
        t_ = std::move(lexed.tokens);
        indexStructure();
        const int first = next(0);
        const QString head = first < size() && t_[first].kind == Kind::Word ? t_[first].value.toUpper() : QString();
        ddl_ = head == QLatin1String("CREATE") || head == QLatin1String("ALTER") || head == QLatin1String("DROP");
        update_ = head == QLatin1String("UPDATE");
        if (head == QLatin1String("DELETE"))
            dropDeleteTarget(first);
        collectTables();
        return range(0, size());
    }

private:
    const QString& text_;
    const SchemaInfo& schema_;
    std::vector<Token> t_;
    bool ddl_ = false;
    bool update_ = false;
    QStringList tables_;                // tables the query names
    QHash<QString, QString> aliases_;   // lower-case alias → table
    QSet<int> dropped_;                 // tokens left out of the translation
    std::vector<int> match_;            // for each "(": its ")", size() when unclosed
    std::vector<int> operandEnd_;       // memo of operandChainEnd, kUnknown until asked
    std::vector<char> setComma_;        // for each ",": 1 when it separates assignments of SET
    static constexpr int kUnknown = -2;

    // One pass over the tokens that records what the translation asks again and again, so that
    // no question rescans the text: the parentheses' partners, and which commas belong to SET.
    // Text nested deeper than any query needs is refused here.
    void indexStructure()
    {
        const int n = size();
        match_.assign(n, n);
        operandEnd_.assign(n, kUnknown);
        setComma_.assign(n, 0);
        std::vector<int> open;
        std::vector<char> clause{0};    // per depth: 1 after SET, 0 after WHERE or before SET
        for (int j = 0; j < n; ++j) {
            const Token& tok = t_[j];
            if (tok.isSymbol(u"(")) {
                open.push_back(j);
                if (open.size() > size_t(kMaxDepth))
                    raise(err::QueryTooComplex);
                clause.push_back(0);
            } else if (tok.isSymbol(u")")) {
                if (!open.empty()) {
                    match_[open.back()] = j;
                    open.pop_back();
                    clause.pop_back();
                }
            } else if (tok.isWord(u"SET")) {
                clause.back() = 1;
            } else if (tok.isWord(u"WHERE")) {
                clause.back() = 0;
            } else if (tok.isSymbol(u",")) {
                setComma_[j] = clause.back();
            }
        }
    }

    // DELETE * FROM t and DELETE t.* FROM t: SQLite names no columns there.
    void dropDeleteTarget(int deleteWord)
    {
        const int target = next(deleteWord + 1);
        if (target >= size())
            return;
        int end = -1;
        if (t_[target].isSymbol(u"*"))
            end = target + 1;
        else if (t_[target].isName() && !isKeyword(t_[target]) && nameChainEnd(target) > target + 1
                 && t_[nameChainEnd(target) - 1].isSymbol(u"*"))
            end = nameChainEnd(target);
        if (end < 0 || !wordAt(next(end), "FROM"))
            return;
        for (int i = target; i < next(end); ++i)
            dropped_.insert(i);
    }

    int size() const { return int(t_.size()); }
    // The next token at or after i that is not blank; size() when none.
    int next(int i, int end = -1) const
    {
        if (end < 0)
            end = size();
        while (i < end && t_[i].kind == Kind::Space)
            ++i;
        return i;
    }
    int prev(int i) const
    {
        --i;
        while (i >= 0 && t_[i].kind == Kind::Space)
            --i;
        return i;
    }
    bool symbolAt(int i, const char* s) const { return i >= 0 && i < size() && t_[i].isSymbol(QLatin1String(s)); }
    bool wordAt(int i, const char* w) const { return i >= 0 && i < size() && t_[i].isWord(QLatin1String(w)); }

    // The closing parenthesis of the one at i; size() when it is not closed.
    int matchParen(int i) const { return match_[i]; }

    // A name, possibly qualified (a.b, [a].[b], a.*), from i; returns one past its last token.
    int nameChainEnd(int i) const
    {
        int end = i + 1;
        while (end + 1 < size() && t_[end].isSymbol(u".")
               && (t_[end + 1].isName() || t_[end + 1].isSymbol(u"*")))
            end += 2;
        return end;
    }

    bool isFunctionWord(int i) const
    {
        return t_[i].kind == Kind::Word && symbolAt(next(i + 1), "(")
               && (!isKeyword(t_[i]) || wordAt(i, "LEFT") || wordAt(i, "RIGHT"));
    }

    // One past the last token of the primary starting at i (a name, literal, number, date,
    // parenthesised group or function call); -1 when none starts there.
    int primaryEnd(int i) const
    {
        if (i >= size())
            return -1;
        const Token& tok = t_[i];
        switch (tok.kind) {
        case Kind::String:
        case Kind::Number:
        case Kind::Date:
            return i + 1;
        case Kind::Bracketed:
            return nameChainEnd(i);
        case Kind::Word:
            if (isFunctionWord(i)) {
                const int close = matchParen(next(i + 1));
                return close < size() ? close + 1 : -1;
            }
            if (isKeyword(tok))
                return -1;
            return nameChainEnd(i);
        case Kind::Symbol:
            if (tok.isSymbol(u"(")) {
                const int close = matchParen(i);
                return close < size() ? close + 1 : -1;
            }
            return -1;
        case Kind::Space:
            break;
        }
        return -1;
    }

    bool isArithmetic(int i) const
    {
        if (i >= size())
            return false;
        const Token& tok = t_[i];
        return tok.isSymbol(u"+") || tok.isSymbol(u"-") || tok.isSymbol(u"*") || tok.isSymbol(u"/")
               || tok.isSymbol(u"\\") || tok.isSymbol(u"^") || tok.isWord(u"MOD");
    }

    // An operand of '&': primaries joined by arithmetic operators (which bind tighter than '&'),
    // with an optional sign in front. Returns one past its last token, or -1.
    int operandEnd(int i)
    {
        int j = i;
        if (symbolAt(j, "-") || symbolAt(j, "+"))
            j = next(j + 1);
        return operandChainEnd(j);
    }

    // One past the primaries joined by arithmetic from the primary at j; -1 when none starts
    // there. Every primary of a chain ends where the chain ends, so each one is remembered and a
    // long chain is walked once however often it is asked about.
    int operandChainEnd(int j)
    {
        if (j >= size())
            return -1;
        if (operandEnd_[j] != kUnknown)
            return operandEnd_[j];
        std::vector<int> walked;
        int end = primaryEnd(j);
        int at = j;
        while (end > 0) {
            walked.push_back(at);
            const int op = next(end);
            if (!isArithmetic(op))
                break;
            int k = next(op + 1);
            if (symbolAt(k, "-") || symbolAt(k, "+"))
                k = next(k + 1);
            if (k < size() && operandEnd_[k] != kUnknown && operandEnd_[k] >= 0) {
                end = operandEnd_[k];
                break;
            }
            const int e = primaryEnd(k);
            if (e < 0)
                break;
            at = k;
            end = e;
        }
        if (walked.empty())
            operandEnd_[j] = end;
        for (int w : walked)
            operandEnd_[w] = end;
        return end;
    }

    // Tables named after FROM, JOIN, UPDATE and INTO, with their aliases.
    void collectTables()
    {
        bool inFrom = false;
        bool expect = false;
        for (int i = next(0); i < size(); i = next(i + 1)) {
            const Token& tok = t_[i];
            if (tok.isWord(u"FROM")) {
                inFrom = expect = true;
            } else if (tok.isWord(u"JOIN") || tok.isWord(u"UPDATE") || tok.isWord(u"INTO")) {
                expect = true;
            } else if (tok.isWord(u"DISTINCTROW") || tok.isWord(u"DISTINCT") || tok.isSymbol(u"(")) {
                // the table may follow
            } else if (inFrom && tok.isSymbol(u",")) {
                expect = true;
            } else if (tok.isWord(u"WHERE") || tok.isWord(u"GROUP") || tok.isWord(u"ORDER") || tok.isWord(u"HAVING")
                       || tok.isWord(u"UNION") || tok.isWord(u"SET") || tok.isWord(u"VALUES")) {
                inFrom = expect = false;
            } else if (expect && tok.isName() && !isKeyword(tok)) {
                expect = false;
                const int end = nameChainEnd(i);
                const QString table = t_[end - 1].value;
                tables_ << table;
                int a = next(end);
                if (wordAt(a, "AS"))
                    a = next(a + 1);
                if (a < size() && t_[a].isName() && !isKeyword(t_[a]))
                    aliases_.insert(t_[a].value.toLower(), table);
                i = end - 1;
            } else {
                expect = false;
            }
        }
    }

    // True when the tokens from begin to end are only a column reference (a name, or a qualified
    // one) and that column is one the predicate accepts: a qualified name's table or alias, or for
    // a bare name any table the query names (any table at all when it names none).
    bool columnIs(int begin, int end, const SchemaInfo::ColumnPredicate& is) const
    {
        if (!is || begin >= end)
            return false;
        for (int i = begin; i < end; i += 2)
            if (!t_[i].isName() || (t_[i].kind == Kind::Word && isKeyword(t_[i])))
                return false;
        for (int i = begin + 1; i < end; i += 2)
            if (!t_[i].isSymbol(u"."))
                return false;
        const Token& first = t_[begin];
        if (end - begin == 1 && (first.isWord(u"NULL") || first.isWord(u"TRUE") || first.isWord(u"FALSE")))
            return false;
        const QString column = t_[end - 1].value;
        if (end - begin >= 3) {
            const QString qualifier = t_[end - 3].value;
            return is(aliases_.value(qualifier.toLower(), qualifier), column);
        }
        if (tables_.isEmpty())
            return is(QString(), column);
        for (const QString& table : tables_)
            if (is(table, column))
                return true;
        return false;
    }

    bool isDateColumn(int begin, int end) const { return columnIs(begin, end, schema_.isDateColumn); }

    // An operand of a keyed comparison at i: a column reference, the same in parentheses, or a
    // text literal. Sets [*begin, *end) to the column's (or the literal's) tokens and returns one
    // past the operand; -1 when none stands at i.
    int keyOperand(int i, int* begin, int* end) const
    {
        if (i >= size())
            return -1;
        if (t_[i].kind == Kind::String) {
            *begin = i;
            *end = i + 1;
            return i + 1;
        }
        int at = i;
        const bool parenthesised = symbolAt(at, "(");
        if (parenthesised)
            at = next(at + 1);
        if (at >= size() || !t_[at].isName() || isFunctionWord(at))
            return -1;
        const int chainEnd = nameChainEnd(at);
        if (t_[chainEnd - 1].isSymbol(u"*"))
            return -1;
        *begin = at;
        *end = chainEnd;
        if (!parenthesised)
            return chainEnd;
        const int close = next(chainEnd);
        return symbolAt(close, ")") ? close + 1 : -1;
    }

    // a = b where a or b is a column that the file indexes by its upper-case text, and the other
    // a text column or a text literal: the comparison through the file's indexes of the key
    // (keyLookupSql), which pairs exactly what the collation pairs. When neither side can hold a
    // text beyond printable ASCII (a literal of it, or a key column that holds no other key
    // now), ASCII case is all the collation ignores, and upper(a) = upper(b) says the same with
    // the index on upper() alone. Neither side may carry a COLLATE: the comparison must be the
    // column's own. Returns one past b, or -1 when i starts no such comparison.
    int keyedComparison(int i, int end, QString* out)
    {
        if (ddl_ || !schema_.isKeyedColumn)
            return -1;
        // a must start an operand of the comparison, not end a longer one (x + a = b, x & a = b),
        // nor be the target of an assignment (SET a = b).
        const int before = prev(i);
        if (before >= 0) {
            const Token& b = t_[before];
            if (b.kind == Kind::Symbol && !b.isSymbol(u"(") && !b.isSymbol(u","))
                return -1;
            if (b.isSymbol(u",") && setComma_[before])
                return -1;
            if (b.kind == Kind::Word && (!isKeyword(b) || b.isWord(u"SET") || b.isWord(u"BETWEEN") || b.isWord(u"COLLATE")))
                return -1;
            if (b.kind != Kind::Symbol && b.kind != Kind::Word)
                return -1;
        }
        int aBegin = 0, aEnd = 0, bBegin = 0, bEnd = 0;
        const int aStop = keyOperand(i, &aBegin, &aEnd);
        if (aStop < 0 || aStop > end)
            return -1;
        const int eq = next(aStop, end);
        if (eq >= end || !t_[eq].isSymbol(u"="))
            return -1;
        const int bStart = next(eq + 1, end);
        const int bStop = keyOperand(bStart, &bBegin, &bEnd);
        if (bStop < 0 || bStop > end)
            return -1;
        // Nothing after b may bind tighter than the comparison or change its collation.
        const int after = next(bStop, end);
        if (after < end) {
            const Token& a = t_[after];
            static const QSet<QString> ends = [] {
                QSet<QString> s;
                for (const char* w : {"AND", "OR", "XOR", "ORDER", "GROUP", "HAVING", "WHERE", "INNER", "LEFT", "RIGHT",
                                      "FULL", "CROSS", "JOIN", "ON", "THEN", "ELSE", "END", "WHEN", "UNION", "LIMIT"})
                    s.insert(QString::fromLatin1(w));
                return s;
            }();
            const bool closes = a.isSymbol(u")") || a.isSymbol(u",") || a.isSymbol(u";");
            if (!closes && !(a.kind == Kind::Word && ends.contains(a.value.toUpper())))
                return -1;
        }
        const bool aText = t_[aBegin].kind == Kind::String;
        const bool bText = t_[bBegin].kind == Kind::String;
        const bool aKeyed = !aText && columnIs(aBegin, aEnd, schema_.isKeyedColumn);
        const bool bKeyed = !bText && columnIs(bBegin, bEnd, schema_.isKeyedColumn);
        const auto textSide = [&](bool literal, int b, int e) {
            return literal || columnIs(b, e, schema_.isKeyedColumn) || columnIs(b, e, schema_.isTextColumn);
        };
        if (!((aKeyed && textSide(bText, bBegin, bEnd)) || (bKeyed && textSide(aText, aBegin, aEnd))))
            return -1;
        const auto operand = [&](bool literal, int b, int e) { return literal ? quoteLiteral(t_[b].value) : range(b, e); };
        const QString a = operand(aText, aBegin, aEnd);
        const QString b = operand(bText, bBegin, bEnd);
        const auto printableAscii = [&](bool literal, bool keyed, int b, int e) {
            if (literal) {
                const QString& text = t_[b].value;
                return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F; });
            }
            return keyed && schema_.holdsKeysBeyondAscii && !columnIs(b, e, schema_.holdsKeysBeyondAscii);
        };
        if (printableAscii(aText, aKeyed, aBegin, aEnd) && printableAscii(bText, bKeyed, bBegin, bEnd)) {
            out->append(QStringLiteral("(upper(%1) = upper(%2))").arg(a, b));
            return bStop;
        }
        // Both keys: a join from the rows that name a catalogue's key to the catalogue looks
        // the key up there; only that lookup is written, as the other would be evaluated for
        // every pair without ever serving.
        const bool aUnique = aKeyed && columnIs(aBegin, aEnd, schema_.isUniqueKeyColumn);
        const bool bUnique = bKeyed && columnIs(bBegin, bEnd, schema_.isUniqueKeyColumn);
        QStringList lookups;
        if (aKeyed && !(bUnique && !aUnique))
            lookups << keyLookupSql(a, b);
        if (bKeyed && !(aUnique && !bUnique))
            lookups << keyLookupSql(b, a);
        out->append(QLatin1Char('(') + lookups.join(QStringLiteral(" AND ")) + QLatin1Char(')'));
        return bStop;
    }

    // a & b & c from the operand at i: writes the chain and returns one past it; -1 when the
    // operand at i is not followed by '&'.
    int concatenation(int i, int end, QString* out)
    {
        int e = operandEnd(i);
        if (e < 0 || e >= end)
            return -1;
        const int first = next(e, end);
        if (first >= end || !symbolAt(first, "&"))
            return -1;
        QStringList parts;
        int b = i;
        while (true) {
            parts << operandText(b, e);
            const int amp = next(e, end);
            if (amp >= end || !symbolAt(amp, "&"))
                break;
            const int nb = next(amp + 1, end);
            const int ne = operandEnd(nb);
            if (ne < 0 || ne > end)
                break;   // a dangling '&' is left for SQLite to refuse
            b = nb;
            e = ne;
        }
        out->append(QLatin1Char('(') + parts.join(QLatin1String(" || ")) + QLatin1Char(')'));
        return e;
    }

    QString operandText(int b, int e)
    {
        const QString inner = range(b, e);
        if (e - b == 1 && t_[b].kind == Kind::String)
            return inner;
        if (isDateColumn(b, e))
            return QStringLiteral("zal_datestr(%1)").arg(inner);
        return QStringLiteral("zal_str(%1)").arg(inner);
    }

    QString literal(int i) const
    {
        QString s = quoteLiteral(t_[i].value);
        if (!ddl_ && !wordAt(prev(i), "AS") && !wordAt(next(i + 1), "COLLATE"))
            s += QStringLiteral(" COLLATE ") + QLatin1String(kCollation);
        return s;
    }

    QString dateLiteral(int i) const
    {
        const std::optional<QDateTime> d = lex::parseDateLiteral(t_[i].value);
        if (!d)
            raise(err::QuerySyntax, text_.mid(t_[i].begin, t_[i].end - t_[i].begin));
        return basic::numberToText(basic::dateTimeToSerial(*d));
    }

    // TEXT(n) after a column name in CREATE TABLE / ALTER TABLE … ADD: the collation and the size
    // check. Returns one past the type, or -1 when i is not such a type.
    int textColumnType(int i, QString* out)
    {
        if (!ddl_ || !(wordAt(i, "TEXT") || wordAt(i, "VARCHAR") || wordAt(i, "CHAR")))
            return -1;
        const int column = prev(i);
        if (column < 0 || !t_[column].isName() || (t_[column].kind == Kind::Word && isKeyword(t_[column])))
            return -1;
        int end = i + 1;
        QString width;
        const int open = next(end);
        if (symbolAt(open, "(")) {
            const int n = next(open + 1);
            const int close = next(n + 1);
            if (n < size() && t_[n].kind == Kind::Number && symbolAt(close, ")")) {
                width = t_[n].value;
                end = close + 1;
            }
        }
        out->append(text_.mid(t_[i].begin, t_[end - 1].end - t_[i].begin));
        if (wordAt(next(end), "COLLATE"))
            return end;   // the definition names its collation already
        out->append(QStringLiteral(" COLLATE ") + QLatin1String(kCollation));
        if (!width.isEmpty()) {
            const QString name = t_[column].value;
            const QString constraint = QStringLiteral("len_") + name;
            out->append(QStringLiteral(" CONSTRAINT %1 CHECK (length(%2) <= %3)")
                            .arg(isSimpleName(constraint) ? constraint : quoteName(constraint), quoteName(name), width));
        }
        return end;
    }

    // In UPDATE … SET, the start of an assignment written Table.Column = …
    bool qualifiedAssignment(int i) const
    {
        if (!update_ || !t_[i].isName() || !symbolAt(i + 1, ".") || i + 2 >= size() || !t_[i + 2].isName())
            return false;
        if (!symbolAt(next(i + 3), "="))
            return false;
        const int before = prev(i);
        if (wordAt(before, "SET"))
            return true;
        // a comma of the SET list (the nearest SET or WHERE before it, at its depth, decides)
        return symbolAt(before, ",") && setComma_[before];
    }

    QString range(int begin, int end)
    {
        QString out;
        int i = begin;
        while (i < end) {
            const Token& tok = t_[i];
            if (dropped_.contains(i)) {
                ++i;
                continue;
            }
            if (tok.kind != Kind::Space) {
                const int comparisonEnd = keyedComparison(i, end, &out);
                if (comparisonEnd >= 0) {
                    i = comparisonEnd;
                    continue;
                }
                const int chainEnd = concatenation(i, end, &out);
                if (chainEnd >= 0) {
                    i = chainEnd;
                    continue;
                }
                const int typeEnd = textColumnType(i, &out);
                if (typeEnd >= 0) {
                    i = typeEnd;
                    continue;
                }
            }
            switch (tok.kind) {
            case Kind::Space:
                out += tok.value;
                break;
            case Kind::Bracketed:
                if (qualifiedAssignment(i)) {
                    i += 2;
                    continue;
                }
                out += quoteName(tok.value);
                break;
            case Kind::String:
                out += literal(i);
                if (i + 1 < end && t_[i + 1].kind == Kind::Word)
                    out += QLatin1Char(' ');   // "'x'And": the collation must not run into the word
                break;
            case Kind::Date:
                out += dateLiteral(i);
                if (i + 1 < end && t_[i + 1].kind == Kind::Word)
                    out += QLatin1Char(' ');   // "#7/1/2001#And" is a number then a word
                break;
            case Kind::Number:
                out += tok.value;
                if (i + 1 < end && t_[i + 1].kind == Kind::Word)
                    out += QLatin1Char(' ');   // "5And": SQLite wants a blank there
                break;
            case Kind::Symbol:
                out += tok.value;
                break;
            case Kind::Word:
                if (qualifiedAssignment(i)) {
                    i += 2;
                    continue;
                }
                if (tok.isWord(u"DISTINCTROW")) {
                    if (i + 1 < end && t_[i + 1].kind == Kind::Space)
                        ++i;
                } else if (symbolAt(i - 1, ".")) {
                    out += tok.value;   // a qualified name is never a keyword
                } else if (tok.isWord(u"TRUE")) {
                    out += QLatin1String("-1");
                } else if (tok.isWord(u"FALSE")) {
                    out += QLatin1String("0");
                } else if (tok.isWord(u"MOD")) {
                    out += QLatin1String("%");
                } else if (!ddl_ && tok.isWord(u"LIKE")) {
                    out += QLatin1String("REGEXP");
                } else if ((tok.isWord(u"LEFT") || tok.isWord(u"RIGHT")) && isFunctionWord(i)) {
                    out += QLatin1String("zal_") + tok.value.toLower();
                } else {
                    out += tok.value;
                }
                break;
            }
            ++i;
        }
        return out;
    }
};

} // namespace

QString translate(const QString& jetSql, const SchemaInfo& schema)
{
    return Translator(jetSql, schema).run();
}

// ---------------------------------------------------------------- functions

namespace {

QVariant valueOf(sqlite3_value* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: return QVariant(qlonglong(sqlite3_value_int64(v)));
    case SQLITE_FLOAT: return QVariant(sqlite3_value_double(v));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)), sqlite3_value_bytes(v)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_value_blob(v)), sqlite3_value_bytes(v)));
    default: return QVariant();
    }
}

bool isNull(const QVariant& v) { return !v.isValid() || v.isNull(); }

void setResult(sqlite3_context* ctx, const QVariant& v)
{
    if (isNull(v)) {
        sqlite3_result_null(ctx);
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Bool: sqlite3_result_int(ctx, v.toBool() ? -1 : 0); break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::UShort: sqlite3_result_int64(ctx, v.toLongLong()); break;
    case QMetaType::Double:
    case QMetaType::Float: sqlite3_result_double(ctx, v.toDouble()); break;
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        sqlite3_result_blob(ctx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        break;
    }
    case QMetaType::QDate: sqlite3_result_double(ctx, basic::dateToSerial(v.toDate())); break;
    case QMetaType::QDateTime: sqlite3_result_double(ctx, basic::dateTimeToSerial(v.toDateTime())); break;
    default: {
        const QByteArray u = v.toString().toUtf8();
        sqlite3_result_text(ctx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        break;
    }
    }
}

[[noreturn]] void invalidCall()
{
    throw basic::RuntimeError(5, QStringLiteral("Invalid procedure call or argument"));
}

double number(const QVariant& v) { return basic::CDbl(v); }

// A whole number as an integer value; others stay doubles.
QVariant wholeNumber(double d)
{
    if (std::isfinite(d) && std::fabs(d) < 9.0e15 && d == std::trunc(d))
        return QVariant(qlonglong(d));
    return QVariant(d);
}

// Jet's truth of a condition: Null and 0 are false.
bool truth(const QVariant& v)
{
    if (isNull(v))
        return false;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed();
        if (s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return number(v) != 0.0;
}

// Rounds to a whole number the way the engine's integer conversions do (half to even).
double roundEven(double d) { return std::nearbyint(d); }

int wholeArgument(const QVariant& v)
{
    const double d = roundEven(number(v));
    if (!(d >= std::numeric_limits<int>::min() && d <= std::numeric_limits<int>::max()))
        throw basic::RuntimeError(6, QStringLiteral("Overflow"));
    return int(d);
}

using Args = QVariantList;

QVariant fnIif(const Args& a) { return truth(a[0]) ? a[1] : a[2]; }

QVariant fnChoose(const Args& a)
{
    if (a.size() < 2)
        invalidCall();
    if (isNull(a[0]))
        return {};
    const double index = roundEven(number(a[0]));
    if (index < 1 || index >= a.size())
        return {};
    return a[int(index)];
}

QVariant fnMid(const Args& a)
{
    if (isNull(a[0]))
        return {};
    const QString s = basic::CStr(a[0]);
    const int start = wholeArgument(a[1]);
    if (start < 1)
        invalidCall();
    int length = -1;
    if (a.size() > 2 && !isNull(a[2])) {
        length = wholeArgument(a[2]);
        if (length < 0)
            invalidCall();
    }
    return s.mid(start - 1, length);
}

QVariant fnLeft(const Args& a)
{
    if (isNull(a[0]))
        return {};
    const int n = wholeArgument(a[1]);
    if (n < 0)
        invalidCall();
    return basic::CStr(a[0]).left(n);
}

QVariant fnRight(const Args& a)
{
    if (isNull(a[0]))
        return {};
    const int n = wholeArgument(a[1]);
    if (n < 0)
        invalidCall();
    return basic::CStr(a[0]).right(n);
}

QVariant fnLen(const Args& a)
{
    return isNull(a[0]) ? QVariant() : QVariant(qlonglong(basic::CStr(a[0]).size()));
}

QVariant fnVal(const Args& a)
{
    if (isNull(a[0]))
        return {};
    if (a[0].typeId() == QMetaType::LongLong || a[0].typeId() == QMetaType::Double)
        return QVariant(a[0].toDouble());
    return QVariant(basic::Val(basic::CStr(a[0])));
}

QVariant fnUCase(const Args& a) { return isNull(a[0]) ? QVariant() : QVariant(basic::CStr(a[0]).toUpper()); }
QVariant fnLCase(const Args& a) { return isNull(a[0]) ? QVariant() : QVariant(basic::CStr(a[0]).toLower()); }

// Trim and its kin remove blanks only (not tabs or line breaks).
QVariant trimmed(const QVariant& v, bool left, bool right)
{
    if (isNull(v))
        return {};
    const QString s = basic::CStr(v);
    int b = 0, e = int(s.size());
    while (left && b < e && s.at(b) == QLatin1Char(' '))
        ++b;
    while (right && e > b && s.at(e - 1) == QLatin1Char(' '))
        --e;
    return s.mid(b, e - b);
}
QVariant fnTrim(const Args& a) { return trimmed(a[0], true, true); }
QVariant fnLTrim(const Args& a) { return trimmed(a[0], true, false); }
QVariant fnRTrim(const Args& a) { return trimmed(a[0], false, true); }

QVariant fnCStr(const Args& a) { return isNull(a[0]) ? QVariant() : QVariant(basic::CStr(a[0])); }
QVariant fnCDbl(const Args& a) { return isNull(a[0]) ? QVariant() : QVariant(number(a[0])); }

QVariant fnCLng(const Args& a)
{
    if (isNull(a[0]))
        return {};
    const double d = roundEven(number(a[0]));
    if (d < -2147483648.0 || d > 2147483647.0)
        throw basic::RuntimeError(6, QStringLiteral("Overflow"));
    return QVariant(qlonglong(d));
}

QVariant fnCInt(const Args& a)
{
    if (isNull(a[0]))
        return {};
    const double d = roundEven(number(a[0]));
    if (d < -32768.0 || d > 32767.0)
        throw basic::RuntimeError(6, QStringLiteral("Overflow"));
    return QVariant(qlonglong(d));
}

QVariant fnInt(const Args& a) { return isNull(a[0]) ? QVariant() : wholeNumber(std::floor(number(a[0]))); }
QVariant fnFix(const Args& a) { return isNull(a[0]) ? QVariant() : wholeNumber(std::trunc(number(a[0]))); }

// In a query Nz gives the empty text for Null when no default is given.
QVariant fnNz(const Args& a)
{
    if (!isNull(a[0]))
        return a[0];
    return a.size() > 1 ? a[1] : QVariant(QString());
}

QVariant fnFormat(const Args& a)
{
    if (isNull(a[0]))
        return {};
    return basic::Format(a[0], a.size() > 1 && !isNull(a[1]) ? basic::CStr(a[1]) : QString());
}

QVariant fnStr(const Args& a) { return isNull(a[0]) ? QString() : basic::CStr(a[0]); }

QVariant fnDateStr(const Args& a)
{
    const QVariant& v = a[0];
    if (isNull(v))
        return QString();
    if (v.typeId() != QMetaType::LongLong && v.typeId() != QMetaType::Double)
        return basic::CStr(v);
    const double serial = v.toDouble();
    if (!basic::isDateSerial(serial))
        return basic::CStr(v);   // a number no date can carry shows as the number
    if (serial == std::floor(serial))
        return basic::dateToText(basic::serialToDate(serial));
    return basic::CStr(QVariant(basic::serialToDateTime(serial)));
}

// x Like pattern, written x REGEXP pattern by the translation, arrives here as (pattern, x).
QVariant fnLike(const Args& a)
{
    if (isNull(a[0]) || isNull(a[1]))
        return {};
    return QVariant(qlonglong(lex::likeMatch(basic::CStr(a[1]), basic::CStr(a[0])) ? 1 : 0));
}

using Function = QVariant (*)(const Args&);

template <Function F>
void callFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    try {
        Args args;
        args.reserve(argc);
        for (int i = 0; i < argc; ++i)
            args << valueOf(argv[i]);
        setResult(ctx, F(args));
    } catch (const basic::RuntimeError& e) {
        // An overflow is the engine's conversion error; any other failure a type mismatch.
        const int number = e.number() == 6 ? err::ConversionError : err::TypeMismatch;
        const QByteArray m = (QLatin1String(kOwnErrorPrefix) + QString::number(number) + QLatin1Char(' ') + e.description()).toUtf8();
        sqlite3_result_error(ctx, m.constData(), int(m.size()));
    } catch (const DbError& e) {
        const QByteArray m = (QLatin1String(kOwnErrorPrefix) + QString::number(e.number()) + QLatin1Char(' ') + e.description()).toUtf8();
        sqlite3_result_error(ctx, m.constData(), int(m.size()));
    } catch (...) {
        const QByteArray m = QByteArray(kOwnErrorPrefix) + QByteArray::number(err::TypeMismatch);
        sqlite3_result_error(ctx, m.constData(), int(m.size()));
    }
}

// IIf hands back one of its last two arguments as it came: only the condition is read, and a
// number or Null condition (what comparisons give) needs no conversion at all.
void callIif(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    sqlite3_value* condition = argv[0];
    switch (sqlite3_value_type(condition)) {
    case SQLITE_NULL:
        sqlite3_result_value(ctx, argv[2]);
        return;
    case SQLITE_INTEGER:
        sqlite3_result_value(ctx, argv[sqlite3_value_int64(condition) != 0 ? 1 : 2]);
        return;
    case SQLITE_FLOAT:
        sqlite3_result_value(ctx, argv[sqlite3_value_double(condition) != 0.0 ? 1 : 2]);
        return;
    default:
        callFunction<fnIif>(ctx, argc, argv);
    }
}

// Choose hands back the argument its index picks as it came: only the index is read, and a
// numeric index (what [Tipo]+1 gives) needs no conversion.
void callChoose(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    const int type = sqlite3_value_type(argv[0]);
    if (argc < 2 || (type != SQLITE_NULL && type != SQLITE_INTEGER && type != SQLITE_FLOAT)) {
        callFunction<fnChoose>(ctx, argc, argv);
        return;
    }
    if (type == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const double index = roundEven(sqlite3_value_double(argv[0]));
    if (index < 1 || index >= argc)
        sqlite3_result_null(ctx);
    else
        sqlite3_result_value(ctx, argv[int(index)]);
}

struct FunctionDef {
    const char* name;
    int minArgs;
    int maxArgs;            // -1: any number
    bool deterministic;     // false when the result depends on the regional formats
    void (*entry)(sqlite3_context*, int, sqlite3_value**);
};

} // namespace

void registerFunctions(sqlite3* connection)
{
    sqlite3_create_collation_v2(connection, kCollation, SQLITE_UTF8, nullptr, collate, nullptr);
    sqlite3_create_collation_v2(connection, kLegacyCollation, SQLITE_UTF8, nullptr, collate, nullptr);

    static const FunctionDef defs[] = {
        {"iif", 3, 3, true, callIif},
        {"choose", 2, -1, true, callChoose},
        {"mid", 2, 3, false, callFunction<fnMid>},
        {"zal_left", 2, 2, false, callFunction<fnLeft>},
        {"zal_right", 2, 2, false, callFunction<fnRight>},
        {"len", 1, 1, false, callFunction<fnLen>},
        {"val", 1, 1, true, callFunction<fnVal>},
        {"ucase", 1, 1, false, callFunction<fnUCase>},
        {"lcase", 1, 1, false, callFunction<fnLCase>},
        {"trim", 1, 1, false, callFunction<fnTrim>},
        {"ltrim", 1, 1, false, callFunction<fnLTrim>},
        {"rtrim", 1, 1, false, callFunction<fnRTrim>},
        {"cstr", 1, 1, false, callFunction<fnCStr>},
        {"cdbl", 1, 1, false, callFunction<fnCDbl>},
        {"clng", 1, 1, false, callFunction<fnCLng>},
        {"cint", 1, 1, false, callFunction<fnCInt>},
        {"int", 1, 1, false, callFunction<fnInt>},
        {"fix", 1, 1, false, callFunction<fnFix>},
        {"nz", 1, 2, true, callFunction<fnNz>},
        {"format", 1, 2, false, callFunction<fnFormat>},
        {"zal_str", 1, 1, false, callFunction<fnStr>},
        {"zal_datestr", 1, 1, false, callFunction<fnDateStr>},
        {"regexp", 2, 2, true, callFunction<fnLike>},
    };
    for (const FunctionDef& d : defs) {
        const int flags = SQLITE_UTF8 | (d.deterministic ? SQLITE_DETERMINISTIC : 0);
        if (d.maxArgs < 0) {
            sqlite3_create_function_v2(connection, d.name, -1, flags, nullptr, d.entry, nullptr, nullptr, nullptr);
            continue;
        }
        for (int n = d.minArgs; n <= d.maxArgs; ++n)
            sqlite3_create_function_v2(connection, d.name, n, flags, nullptr, d.entry, nullptr, nullptr, nullptr);
    }
}

} // namespace db::jet
