#include "platform/db/criteria.h"

#include "platform/basic/basic.h"
#include "platform/db/db_error.h"
#include "platform/db/jet_lexer.h"
#include "platform/db/jet_sql.h"

#include <QDate>
#include <QDateTime>
#include <vector>

namespace db {

using jet::lex::Kind;
using jet::lex::Token;

struct Criteria::Node {
    enum class Type { Literal, Field, Not, And, Or, Compare, IsNull, Between, Like, In };
    Type type = Type::Literal;
    QVariant value;         // Literal
    QString text;           // Field: the name; Compare: the operator
    bool negated = false;   // Is Not Null, Not Between, Not Like, Not In
    std::vector<std::shared_ptr<const Node>> kids;
};

namespace {

using NodePtr = std::shared_ptr<const Criteria::Node>;
using Type = Criteria::Node::Type;

// ---------------------------------------------------------------- parsing

class Parser {
public:
    explicit Parser(const QString& text) : text_(text)
    {
        jet::lex::Lexed lexed = jet::lex::tokenize(text);
        if (lexed.errorAt >= 0)
            fail();
        for (Token& t : lexed.tokens)
            if (t.kind != Kind::Space)
                tokens_.push_back(std::move(t));
    }

    NodePtr parse()
    {
        if (tokens_.empty())
            fail();
        NodePtr root = orExpr();
        if (pos_ != tokens_.size())
            fail();
        return root;
    }

private:
    const QString& text_;
    std::vector<Token> tokens_;
    size_t pos_ = 0;
    int depth_ = 0;

    // Parentheses and Not nest; deeper text than any criterion needs is refused rather than
    // followed down the stack.
    static constexpr int kMaxDepth = 200;
    struct Nesting {
        explicit Nesting(Parser& p) : p_(p)
        {
            if (++p_.depth_ > kMaxDepth)
                p_.fail();
        }
        ~Nesting() { --p_.depth_; }
        Parser& p_;
    };

    [[noreturn]] void fail() const { raise(err::CriteriaSyntax, text_); }

    const Token* peek(size_t ahead = 0) const
    {
        return pos_ + ahead < tokens_.size() ? &tokens_[pos_ + ahead] : nullptr;
    }
    bool peekWord(const char* w, size_t ahead = 0) const
    {
        const Token* t = peek(ahead);
        return t && t->isWord(QLatin1String(w));
    }
    bool peekSymbol(const char* s) const
    {
        const Token* t = peek();
        return t && t->isSymbol(QLatin1String(s));
    }
    bool acceptWord(const char* w)
    {
        if (!peekWord(w))
            return false;
        ++pos_;
        return true;
    }
    void expectWord(const char* w)
    {
        if (!acceptWord(w))
            fail();
    }
    void expectSymbol(const char* s)
    {
        if (!peekSymbol(s))
            fail();
        ++pos_;
    }

    static bool isKeyword(const Token& t)
    {
        for (const char* w : {"AND", "OR", "NOT", "IS", "NULL", "BETWEEN", "LIKE", "IN", "TRUE", "FALSE", "XOR",
                              "EQV", "IMP", "MOD"})
            if (t.isWord(QLatin1String(w)))
                return true;
        return false;
    }

    static NodePtr make(Type type, std::vector<NodePtr> kids = {}, bool negated = false, QString text = {})
    {
        auto n = std::make_shared<Criteria::Node>();
        n->type = type;
        n->kids = std::move(kids);
        n->negated = negated;
        n->text = std::move(text);
        return n;
    }
    static NodePtr literal(QVariant value)
    {
        auto n = std::make_shared<Criteria::Node>();
        n->type = Type::Literal;
        n->value = std::move(value);
        return n;
    }

    // a Or b Or c is one node with all its terms, so a long chain is no deeper than a short one.
    NodePtr orExpr()
    {
        std::vector<NodePtr> terms{andExpr()};
        while (acceptWord("OR"))
            terms.push_back(andExpr());
        return terms.size() == 1 ? terms.front() : make(Type::Or, std::move(terms));
    }

    NodePtr andExpr()
    {
        std::vector<NodePtr> terms{notExpr()};
        while (acceptWord("AND"))
            terms.push_back(notExpr());
        return terms.size() == 1 ? terms.front() : make(Type::And, std::move(terms));
    }

    NodePtr notExpr()
    {
        if (acceptWord("NOT")) {
            Nesting nested(*this);
            return make(Type::Not, {notExpr()});
        }
        return predicate();
    }

    NodePtr predicate()
    {
        NodePtr left = operand();
        const Token* t = peek();
        if (!t)
            return left;
        static const char* const comparisons[] = {"=", "<>", "<", ">", "<=", ">="};
        for (const char* op : comparisons) {
            if (t->isSymbol(QLatin1String(op))) {
                ++pos_;
                return make(Type::Compare, {left, operand()}, false, QString::fromLatin1(op));
            }
        }
        if (acceptWord("IS")) {
            const bool negated = acceptWord("NOT");
            expectWord("NULL");
            return make(Type::IsNull, {left}, negated);
        }
        bool negated = false;
        if (peekWord("NOT") && (peekWord("BETWEEN", 1) || peekWord("LIKE", 1) || peekWord("IN", 1))) {
            ++pos_;
            negated = true;
        }
        if (acceptWord("BETWEEN")) {
            NodePtr low = operand();
            expectWord("AND");
            return make(Type::Between, {left, low, operand()}, negated);
        }
        if (acceptWord("LIKE"))
            return make(Type::Like, {left, operand()}, negated);
        if (acceptWord("IN")) {
            expectSymbol("(");
            std::vector<NodePtr> kids{left, operand()};
            while (peekSymbol(",")) {
                ++pos_;
                kids.push_back(operand());
            }
            expectSymbol(")");
            return make(Type::In, std::move(kids), negated);
        }
        return left;
    }

    NodePtr operand()
    {
        const Token* t = peek();
        if (!t)
            fail();
        if (t->isSymbol(QLatin1String("(")) ) {
            ++pos_;
            Nesting nested(*this);
            NodePtr inner = orExpr();
            expectSymbol(")");
            return inner;
        }
        if (t->isSymbol(QLatin1String("-")) || t->isSymbol(QLatin1String("+"))) {
            const bool minus = t->isSymbol(QLatin1String("-"));
            const Token* n = peek(1);
            if (!n || n->kind != Kind::Number)
                fail();
            pos_ += 2;
            const double v = number(*n);
            return literal(minus ? -v : v);
        }
        switch (t->kind) {
        case Kind::Number:
            ++pos_;
            return literal(number(*t));
        case Kind::String:
            ++pos_;
            return literal(t->value);
        case Kind::Date: {
            const std::optional<QDateTime> d = jet::lex::parseDateLiteral(t->value);
            if (!d)
                fail();
            ++pos_;
            return literal(d->time() == QTime(0, 0) ? QVariant(d->date()) : QVariant(*d));
        }
        case Kind::Word:
            if (t->isWord(QLatin1String("TRUE")) || t->isWord(QLatin1String("FALSE"))) {
                ++pos_;
                return literal(QVariant(t->isWord(QLatin1String("TRUE"))));
            }
            if (t->isWord(QLatin1String("NULL"))) {
                ++pos_;
                return literal(QVariant());
            }
            if (isKeyword(*t))
                fail();
            return field();
        case Kind::Bracketed:
            return field();
        default:
            fail();
        }
    }

    // [Nit], Nit, [Planilla_Det].[Enc], Planilla_Det.Enc: the name without brackets, parts joined by '.'.
    NodePtr field()
    {
        QString name = tokens_[pos_++].value;
        while (peekSymbol(".")) {
            const Token* part = peek(1);
            if (!part || !part->isName())
                fail();
            name += QLatin1Char('.') + part->value;
            pos_ += 2;
        }
        if (peekSymbol("("))
            fail();   // functions are not part of the criteria syntax
        return make(Type::Field, {}, false, name);
    }

    double number(const Token& t) const
    {
        bool ok = false;
        const double v = t.value.toDouble(&ok);
        if (!ok)
            fail();
        return v;
    }
};

// ---------------------------------------------------------------- evaluation

bool isNull(const QVariant& v) { return !v.isValid() || v.isNull(); }

enum class Class { Null, Number, Text, Date };

Class classOf(const QVariant& v)
{
    if (isNull(v))
        return Class::Null;
    switch (v.typeId()) {
    case QMetaType::QDate:
    case QMetaType::QDateTime: return Class::Date;
    case QMetaType::QString:
    case QMetaType::QChar:
    case QMetaType::QByteArray: return Class::Text;
    default: return Class::Number;
    }
}

double numberOf(const QVariant& v)
{
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? -1.0 : 0.0;
    if (v.typeId() == QMetaType::QDate)
        return basic::dateToSerial(v.toDate());
    if (v.typeId() == QMetaType::QDateTime)
        return basic::dateTimeToSerial(v.toDateTime());
    return v.toDouble();
}

int compareNumbers(double a, double b) { return (a > b) - (a < b); }

QString textOf(const QVariant& v)
{
    return v.typeId() == QMetaType::QString ? v.toString() : basic::CStr(v);
}

// A date compared with a text: the text read as a date; a text that is no date is compared
// with the date's text.
int compareDateText(const QVariant& date, const QString& text)
{
    if (basic::IsDate(text))
        return compareNumbers(numberOf(date), numberOf(basic::CDate(text)));
    return jet::compareText(basic::CStr(date), text);
}

// A number compared with a text: as numbers when the text reads as one, else as texts.
int compareNumberText(const QVariant& number, const QString& text)
{
    if (basic::IsNumeric(text))
        return compareNumbers(numberOf(number), basic::CDbl(text));
    return jet::compareText(basic::CStr(number), text);
}

// <0, 0, >0; std::nullopt when either side is Null.
std::optional<int> compareValues(const QVariant& a, const QVariant& b)
{
    const Class ca = classOf(a);
    const Class cb = classOf(b);
    if (ca == Class::Null || cb == Class::Null)
        return std::nullopt;
    if (ca == Class::Text && cb == Class::Text)
        return jet::compareText(textOf(a), textOf(b));
    if (ca == Class::Text)
        return -*compareValues(b, a);
    if (cb == Class::Text)
        return ca == Class::Date ? compareDateText(a, textOf(b)) : compareNumberText(a, textOf(b));
    return compareNumbers(numberOf(a), numberOf(b));   // numbers and dates (as day serials)
}

// Three-valued truth: std::nullopt is Null.
using Truth = std::optional<bool>;

Truth truthOf(const QVariant& v)
{
    switch (classOf(v)) {
    case Class::Null: return std::nullopt;
    case Class::Text: {
        const QString s = textOf(v).trimmed();
        if (s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        if (!basic::IsNumeric(s))
            raise(err::TypeMismatch);
        return basic::CDbl(s) != 0.0;
    }
    default: return numberOf(v) != 0.0;
    }
}

QVariant fromTruth(Truth t) { return t ? QVariant(*t) : QVariant(); }

Truth negate(Truth t, bool negated) { return t && negated ? Truth(!*t) : t; }

QVariant evaluate(const Criteria::Node& n, const Criteria::FieldLookup& field);

// The value of an operand: a field's or a literal's as it stands (no copy), anything else
// evaluated into scratch.
const QVariant& operand(const Criteria::Node& n, const Criteria::FieldLookup& field, QVariant& scratch)
{
    if (n.type == Type::Literal)
        return n.value;
    if (n.type == Type::Field) {
        const QVariant* v = field(n.text);
        if (!v)
            raise(err::UnknownField, n.text);
        return *v;
    }
    scratch = evaluate(n, field);
    return scratch;
}

QVariant evaluate(const Criteria::Node& n, const Criteria::FieldLookup& field)
{
    auto value = [&](size_t i) { return evaluate(*n.kids[i], field); };
    QVariant scratch0, scratch1;
    auto ref = [&](size_t i) -> const QVariant& { return operand(*n.kids[i], field, i == 0 ? scratch0 : scratch1); };
    switch (n.type) {
    case Type::Literal:
        return n.value;
    case Type::Field:
        return operand(n, field, scratch0);
    case Type::Not: {
        const Truth t = truthOf(value(0));
        return t ? QVariant(!*t) : QVariant();
    }
    // Every term is always evaluated, so that an unknown field fails on every row alike.
    // And: False when a term is False, else Null when a term is Null. Or: the same with True.
    case Type::And:
    case Type::Or: {
        const bool decisive = n.type == Type::Or;
        bool decided = false;
        bool sawNull = false;
        for (size_t i = 0; i < n.kids.size(); ++i) {
            const Truth t = truthOf(value(i));
            if (!t)
                sawNull = true;
            else if (*t == decisive)
                decided = true;
        }
        if (decided)
            return decisive;
        return sawNull ? QVariant() : QVariant(!decisive);
    }
    case Type::Compare: {
        const std::optional<int> c = compareValues(ref(0), ref(1));
        if (!c)
            return {};
        const QString& op = n.text;
        if (op == QLatin1String("="))
            return *c == 0;
        if (op == QLatin1String("<>"))
            return *c != 0;
        if (op == QLatin1String("<"))
            return *c < 0;
        if (op == QLatin1String(">"))
            return *c > 0;
        if (op == QLatin1String("<="))
            return *c <= 0;
        return *c >= 0;
    }
    case Type::IsNull:
        return isNull(ref(0)) != n.negated;
    case Type::Between: {
        const QVariant& x = ref(0);
        const std::optional<int> low = compareValues(x, ref(1));
        const std::optional<int> high = compareValues(x, value(2));
        Truth t;
        if ((low && *low < 0) || (high && *high > 0))
            t = false;
        else if (low && high)
            t = true;
        return fromTruth(negate(t, n.negated));
    }
    case Type::Like: {
        const QVariant& x = ref(0);
        const QVariant& pattern = ref(1);
        if (isNull(x) || isNull(pattern))
            return {};
        return jet::lex::likeMatch(textOf(x), textOf(pattern)) != n.negated;
    }
    case Type::In: {
        const QVariant& x = ref(0);
        Truth t = false;
        for (size_t i = 1; i < n.kids.size(); ++i) {
            QVariant scratch;
            const std::optional<int> c = compareValues(x, operand(*n.kids[i], field, scratch));
            if (c && *c == 0) {
                t = true;
                break;
            }
            if (!c)
                t = std::nullopt;
        }
        return fromTruth(negate(t, n.negated));
    }
    }
    return {};
}

} // namespace

Criteria Criteria::parse(const QString& text)
{
    Criteria c;
    c.root_ = Parser(text).parse();
    return c;
}

bool Criteria::matches(const FieldLookup& field) const
{
    if (!root_)
        return false;
    const Truth t = truthOf(evaluate(*root_, field));
    return t.value_or(false);
}

bool Criteria::equalities(QStringList* fields, QVariantList* literals) const
{
    if (!root_)
        return false;
    std::vector<const Node*> terms;
    if (root_->type == Type::And) {
        for (const NodePtr& k : root_->kids)
            terms.push_back(k.get());
    } else {
        terms.push_back(root_.get());
    }
    QStringList names;
    QVariantList values;
    for (const Node* t : terms) {
        if (t->type != Type::Compare || t->text != QLatin1String("=") || t->kids.size() != 2)
            return false;
        const Node* a = t->kids[0].get();
        const Node* b = t->kids[1].get();
        if (a->type == Type::Literal && b->type == Type::Field)
            std::swap(a, b);
        if (a->type != Type::Field || b->type != Type::Literal)
            return false;
        names << a->text;
        values << b->value;
    }
    *fields = names;
    *literals = values;
    return true;
}

Criteria::Keying Criteria::equalityKey(const QVariant& value, const QVariant& literal, QString* key)
{
    const Class kind = classOf(literal);
    const Class have = classOf(value);
    if (have == Class::Null || kind == Class::Null)
        return Keying::Never;   // Null compared with anything is Null
    if (have != kind)
        return Keying::Unknown;
    if (kind == Class::Number) {
        const double d = numberOf(value);
        *key = QStringLiteral("n") + QString::number(d == 0 ? 0.0 : d, 'g', 17);
        return Keying::Keyed;
    }
    if (kind == Class::Text && value.typeId() == QMetaType::QString) {
        // Texts of printable ASCII are equal for the collation exactly when their lower-case
        // letters are.
        const QString text = value.toString();
        QString lower(text.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text.at(i).unicode();
            if (c < 0x20 || c >= 0x7F)
                return Keying::Unknown;
            lower[i] = QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c);
        }
        *key = QLatin1Char('t') + lower;
        return Keying::Keyed;
    }
    return Keying::Unknown;
}

Criteria::Criteria() = default;
Criteria::~Criteria() = default;
Criteria::Criteria(Criteria&&) noexcept = default;
Criteria& Criteria::operator=(Criteria&&) noexcept = default;

} // namespace db
