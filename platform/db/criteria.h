#pragma once
// Search criteria of record sets (FindFirst/FindNext) in the engine's expression syntax, evaluated
// over the rows a record set holds:
//   "[Nit] = '12'", "[Contribuyente] = 1 And [Periodo] = 3", "[Serie] Is Null",
//   "[Enc] = 5And [Provee] = 'X'" (no blank needed after a number), Or, Not, parentheses,
//   = <> < > <= >=, Is [Not] Null, [Not] Between … And …, Like with * ? #, In (…),
//   numbers, 'texts' and "texts", #m/d/yyyy# dates, True/False.
// Text comparisons ignore case (jet::compareText). A text compared with a number is compared as a
// number when it reads as one, otherwise as a text with the number's text (so "[Nit] = 12" never
// matches "6K" and raises no error). A date field compared with a number compares its day serial;
// with a text, the text is read as a date (dd/MM/yyyy), and a text that is no date is compared with
// the date's text. Null compared with anything is Null, which is not a match; Not, And and Or treat
// Null as SQL does (Not Null is Null, False And Null is False, True Or Null is True).
// Operands are fields, literals and parenthesised expressions; arithmetic, '&' and functions are
// not part of this syntax (3077).
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

namespace db {

class Criteria {
public:
    // Throws DbError(3077) when the text is not a valid expression.
    static Criteria parse(const QString& text);

    // Gives the value of a named field (the name as written, brackets removed, possibly
    // "Table.Column"), which must stay put while matches() runs; null when the record set has no
    // such field. A name is always the same QString object of the criteria: its address may
    // serve as a key.
    using FieldLookup = std::function<const QVariant*(const QString& name)>;

    // True when the row matches. Throws DbError(3070) for a field the row does not have, and
    // DbError(3464) when a value that is not a condition (a text that is no number) is used as one.
    // A default-constructed Criteria matches nothing.
    bool matches(const FieldLookup& field) const;

    // For criteria made only of comparisons Field = Literal joined by And (or one of them): the
    // fields and their literals, in order. False for any other criteria.
    bool equalities(QStringList* fields, QVariantList* literals) const;

    // How a field's value stands to a literal it is compared with for equality, so that the rows
    // that can match are found without evaluating every row: Never when the comparison cannot be
    // true (a Null value), Keyed when it is true exactly when the value's *key equals the
    // literal's (a value of the literal's own kind: numbers, or texts of printable ASCII), and
    // Unknown for any other value, whose row must be evaluated.
    enum class Keying { Never, Keyed, Unknown };
    static Keying equalityKey(const QVariant& value, const QVariant& literal, QString* key);

    Criteria();
    ~Criteria();
    Criteria(Criteria&&) noexcept;
    Criteria& operator=(Criteria&&) noexcept;

    struct Node;
private:
    std::shared_ptr<const Node> root_;
};

} // namespace db
