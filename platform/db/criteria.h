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
    // "Table.Column"); std::nullopt when the record set has no such field.
    using FieldLookup = std::function<std::optional<QVariant>(const QString& name)>;

    // True when the row matches. Throws DbError(3070) for a field the row does not have, and
    // DbError(3464) when a value that is not a condition (a text that is no number) is used as one.
    // A default-constructed Criteria matches nothing.
    bool matches(const FieldLookup& field) const;

    Criteria();
    ~Criteria();
    Criteria(Criteria&&) noexcept;
    Criteria& operator=(Criteria&&) noexcept;

    struct Node;
private:
    std::shared_ptr<const Node> root_;
};

} // namespace db
