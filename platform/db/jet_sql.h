#pragma once
// The Jet dialect over SQLite: the SQL texts and functions the forms write, translated and
// registered so that they run as written; the text collation that ignores letter case.
#include <QString>
#include <QStringList>
#include <functional>

struct sqlite3;

namespace db::jet {

// Name of the collation every text column and text literal uses. It is SQLite's own NOCASE, which
// registerFunctions replaces on the program's connections by Unicode case folding ("AVIACIÓN"
// equals "Aviación"; sorts put accented letters beside their plain ones); other SQLite tools read,
// filter and check the file with their ASCII NOCASE.
inline constexpr const char* kCollation = "NOCASE";
// The collation of files made by earlier versions, still understood so that they open.
inline constexpr const char* kLegacyCollation = "ZALCI";

// Orders two texts as the collation does (<0, 0, >0). Equal only when they are equal ignoring case.
int compareText(const QString& a, const QString& b);

// What the translator needs to know of the database.
struct SchemaInfo {
    // Each predicate answers for one column of one table. For a column named alone the
    // translation asks with each table the query names; table is empty only when the query names
    // none, and then any table that has such a column counts.
    using ColumnPredicate = std::function<bool(const QString& table, const QString& column)>;
    // True when the column holds dates.
    ColumnPredicate isDateColumn;
    // True when the file has an index on upper(column) of that table (a key: a tax id).
    ColumnPredicate isKeyedColumn;
    // True for a key the table keeps unique (a catalogue's tax id, which other rows name).
    ColumnPredicate isUniqueKeyColumn;
    // True for a keyed column that holds a text beyond printable ASCII now. Unset, any may.
    ColumnPredicate holdsKeysBeyondAscii;
    // True when the column holds text.
    ColumnPredicate isTextColumn;
};

// Translates a Jet SQL text (SELECT, UPDATE, INSERT, DELETE, ALTER TABLE, CREATE TABLE) into
// SQLite SQL. A tokenizer-based rewrite, not a parser: blanks and everything else stay as written.
//  - [bracketed] names become "quoted" names; "double-quoted" texts become 'texts';
//  - outside CREATE/ALTER/DROP, every text literal takes the collation (… = 'abc' COLLATE NOCASE),
//    so comparisons with function results ignore case too (not after AS, nor when COLLATE follows);
//  - a & b & … becomes (zal_str(a) || zal_str(b) || …): Null counts as empty text, numbers as CStr;
//    an operand that is a date column (per SchemaInfo: a qualified name's table or alias, or for a
//    bare name each table the query names after FROM/JOIN/UPDATE/INTO) becomes zal_datestr(col),
//    dd/MM/yyyy. Operands are primaries (names, literals, calls, parenthesised groups) joined by
//    arithmetic operators, which bind tighter than &;
//  - a = b, where a or b is a keyed column (per SchemaInfo) and the other a text column or a text
//    literal, becomes (keyLookupSql(a, b)): the same rows as a = b, reached through the indexes
//    of the key; (upper(a) = upper(b)) when each side is a literal of printable ASCII or a key
//    column that holds no key beyond it (per SchemaInfo), where the two say the same. When both are keyed, the lookup is the one into the side that is a catalogue's
//    unique key (the table a join looks its rows up in), or both lookups when neither or both
//    are: each is exact, and a second one costs its evaluation on every row;
//  - DISTINCTROW dropped; SET Table.Column = … written SET Column = …; DELETE * FROM / DELETE t.* FROM
//    written DELETE FROM;
//  - #m/d/yyyy [h:mm[:ss] [AM|PM]]# date literals as day serials; True = -1, False = 0; Mod as %;
//  - x Like 'pattern' written x REGEXP 'pattern', whose function (registered below) matches Jet's
//    wildcards * ? # [list] [!list] ignoring case; Left( and Right( written zal_left( / zal_right(
//    (LEFT and RIGHT are join keywords to SQLite);
//  - TEXT(n) (or CHAR(n), VARCHAR(n)) after a column name in ALTER TABLE … ADD COLUMN / CREATE TABLE
//    gets the collation and a size check named "len_<column>" that makes longer values fail
//    (engine error 3163); a type without size gets the collation only; a definition that already
//    names a COLLATE is left alone;
//  - Not Between, = NULL, Is Null, nested INNER JOIN ( … ), DROP COLUMN pass as they stand.
// Not translated: + between texts (SQLite adds numbers), TOP n, IsNull()/Date()/Now()/Year() and
// other functions not registered below, UPDATE with joins, \ and ^, Yes/No constants, the value of a
// comparison (SQLite gives 1 for true where Jet gives -1).
// Throws DbError(3075) when the text cannot be read (an unclosed quote, bracket or date literal,
// or a date literal that is no date).
QString translate(const QString& jetSql, const SchemaInfo& schema = {});

// What upper() of a text of printable ASCII equal to x (for the collation) is: x with the only two
// letters outside ASCII that the collation takes for ASCII ones (U+017F, the long s, and U+212A,
// the Kelvin sign) written as those, in upper case. An SQL expression of SQLite's own functions.
QString asciiKeySql(const QString& x);

// A condition that every row whose key column key equals other for the collation meets, and that
// SQLite answers through the file's two indexes of such a key: a key of printable ASCII by the
// index on upper(key) (upper(key) = asciiKeySql(other)), any other by the "..._unicode" index of
// the keys outside printable ASCII, on length(key) (case folding keeps the number of characters),
// where the collation decides. It is the comparison itself: a key of printable ASCII equals
// other for the collation exactly when upper(key) = asciiKeySql(other).
QString keyLookupSql(const QString& key, const QString& other);

// Registers on a connection the collation (as NOCASE and as the legacy ZALCI) and the functions Jet SQL calls: IIf, Choose, Mid,
// Left, Right, Len, Val, UCase, LCase, Trim, LTrim, RTrim, CStr, CDbl, CLng, CInt, Int, Fix, Nz,
// Format, and the helpers the translation emits (zal_str, zal_datestr, zal_left, zal_right, regexp).
// A Null argument gives Null (Val, CStr and the conversions included, where Jet would fail);
// Nz(Null) without a default gives the empty text, as in a Jet query; zal_str(Null) and
// zal_datestr(Null) give the empty text. Conversion failures make the statement fail.
void registerFunctions(sqlite3* connection);

// The criterion literal of a typed text: between apostrophes, inner apostrophes doubled.
// quoteLiteral("O'Brien") == "'O''Brien'".
QString quoteLiteral(const QString& text);

} // namespace db::jet
