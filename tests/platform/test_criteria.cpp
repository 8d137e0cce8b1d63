// Record-set search criteria: the texts the forms build, evaluated over rows, with letter case,
// numbers in texts, dates, Null and the errors of bad texts and unknown fields.
#include "platform/db/criteria.h"
#include "platform/db/db_error.h"

#include <QDate>
#include <QtTest>

using namespace db;

namespace {

using Row = QVariantMap;

// Field lookup over a row: the qualified name first, then the bare column name.
Criteria::FieldLookup lookupIn(const Row& row)
{
    return [row](const QString& name) -> const QVariant* {
        for (const QString& key : {name, name.section(QLatin1Char('.'), -1)}) {
            for (auto it = row.cbegin(); it != row.cend(); ++it)
                if (it.key().compare(key, Qt::CaseInsensitive) == 0)
                    return &it.value();
        }
        return nullptr;
    };
}

QVariant null() { return QVariant(); }

// A worksheet document row as a record set holds it.
Row document(const QVariant& serie)
{
    return Row{{"Enc", qlonglong(5)},        {"Provee", QString("12345K")}, {"Tipo", QString("0")},
               {"Serie", serie},             {"NoDoc", QString("100")},     {"Fecha", QDate(2001, 7, 15)},
               {"Monto", 250.5},             {"Secuencia", qlonglong(9)}};
}

Row gasto(const QString& descripcion, int codigo)
{
    return Row{{"Codigo", qlonglong(codigo)}, {"Descripcion", descripcion}};
}

template <typename F>
int errorOf(F&& f)
{
    try {
        f();
    } catch (const DbError& e) {
        return e.number();
    }
    return 0;
}

} // namespace

class TestCriteria : public QObject {
    Q_OBJECT

private slots:
    void matches_data();
    void matches();
    void errors_data();
    void errors();
    void nestingAndLongChains_data();
    void nestingAndLongChains();
};

void TestCriteria::matches_data()
{
    QTest::addColumn<QString>("criteria");
    QTest::addColumn<Row>("row");
    QTest::addColumn<bool>("expected");

    const Row contri{{"No", qlonglong(1)}, {"Nit", QString("1234567")}, {"Nombre", QString("Juan")}};
    const Row enc{{"No", qlonglong(7)}, {"Contribuyente", qlonglong(1)}, {"Periodo", qlonglong(3)}};
    const Row periodo{{"No", qlonglong(3)}, {"Del", QDate(2001, 7, 1)}, {"Al", QDate(2002, 6, 30)}};
    const Row proveedor{{"Nit", QString("6K")}, {"Nombre", QString("Ávila")}};

    // Lookups by tax id
    QTest::newRow("tax id equal") << "[Nit] = '1234567'" << contri << true;
    QTest::newRow("tax id other") << "[Nit] = '1234568'" << contri << false;
    QTest::newRow("tax id ignores case") << "[Nit] = '6k'" << proveedor << true;
    QTest::newRow("double-quoted text") << "[Nit] = \"6K\"" << proveedor << true;
    QTest::newRow("apostrophe doubled") << "[Nombre] = 'O''Brien'" << Row{{"Nombre", QString("o'brien")}} << true;

    // Header lookups by numbers
    QTest::newRow("header") << "[Contribuyente] = 1 And [Periodo] = 3" << enc << true;
    QTest::newRow("header, other period") << "[Contribuyente] = 1 And [Periodo] = 4" << enc << false;
    QTest::newRow("keywords in any case") << "[Contribuyente] = 1 AND [Periodo] = 3 and not [No] = 8" << enc << true;
    QTest::newRow("period by number") << "[No] = 3" << periodo << true;
    QTest::newRow("bare and qualified names")
        << "Planilla_Enc.Periodo = 3 And [Planilla_Enc].[Contribuyente] = 1 And No = 7" << enc << true;

    // Document keys: no blank between the number and And, two blanks before And [Serie]
    const QString invoiceKey = "[Enc] = 5And [Provee] = '12345k' And [Tipo] = '0'  And [Serie] = 'a-1' And "
                               "[NoDoc] = '100'";
    QTest::newRow("invoice key") << invoiceKey << document(QString("A-1")) << true;
    QTest::newRow("invoice key, other series") << invoiceKey << document(QString("A-2")) << false;
    QTest::newRow("invoice key, no series") << invoiceKey << document(null()) << false;
    const QString otherKey = "[Enc] = 5And [Provee] = '12345K' And [Tipo] = '0' And [Serie] Is Null And [NoDoc] = '100'";
    QTest::newRow("key without series") << otherKey << document(null()) << true;
    QTest::newRow("key without series, row with one") << otherKey << document(QString("A-1")) << false;
    QTest::newRow("Is Not Null") << "[Serie] Is Not Null" << document(QString("A-1")) << true;
    QTest::newRow("sequence") << "[Secuencia] = 9" << document(null()) << true;

    // Expense types: case and accents
    QTest::newRow("fuel description ignores case")
        << "[Descripcion] = 'GASOLINA SUPERIOR'" << gasto("Gasolina Superior", 24) << true;
    QTest::newRow("accented capitals") << "[Descripcion] = 'GASOLINA DE AVIACIÓN'" << gasto("Gasolina de Aviación", 26)
                                       << true;
    QTest::newRow("accent missing") << "[Descripcion] = 'GASOLINA DE AVIACION'" << gasto("Gasolina de Aviación", 26)
                                    << false;
    QTest::newRow("code") << "[Codigo] = 24" << gasto("Gasolina Superior", 24) << true;
    QTest::newRow("ordering beside plain letters") << "[Descripcion] > 'Avena' And [Descripcion] < 'azul'"
                                                   << gasto("ávila", 1) << true;

    // Texts against numbers: as numbers when the text reads as one, otherwise as texts
    QTest::newRow("text code against a number") << "[Tipo] = 0" << document(null()) << true;
    QTest::newRow("text code, numeric order") << "[NoDoc] > 99" << document(null()) << true;
    QTest::newRow("number against a numeric text") << "[Codigo] = '24'" << gasto("x", 24) << true;
    QTest::newRow("non-numeric text against a number") << "[Nit] = 6" << proveedor << false;
    QTest::newRow("decimal amount") << "[Monto] = 250.5 And [Monto] > 250" << document(null()) << true;
    QTest::newRow("negative number") << "[Monto] > -1" << document(null()) << true;

    // Dates
    QTest::newRow("date against a day serial") << "[Del] = 37073" << periodo << true;
    QTest::newRow("date against a date text") << "[Del] = '01/07/2001'" << periodo << true;
    QTest::newRow("date against a date literal") << "[Del] = #7/1/2001#" << periodo << true;
    QTest::newRow("date range") << "[Fecha] Between 37073 And 37103" << document(null()) << true;
    QTest::newRow("date outside a range") << "[Fecha] Not Between #7/1/2001# And #7/10/2001#" << document(null())
                                          << true;
    QTest::newRow("date and time field") << "[Fecha] >= 37073.5"
                                         << Row{{"Fecha", QDateTime(QDate(2001, 7, 1), QTime(18, 0))}} << true;

    // Null: never a match, three-valued Not/And/Or
    QTest::newRow("Null equals nothing") << "[Serie] = 'A'" << document(null()) << false;
    QTest::newRow("Null differs from nothing") << "[Serie] <> 'A'" << document(null()) << false;
    QTest::newRow("Not Null is Null") << "Not [Serie] = 'A'" << document(null()) << false;
    QTest::newRow("Null Or true") << "[Serie] = 'A' Or [Enc] = 5" << document(null()) << true;
    QTest::newRow("Not (Null And false)") << "Not ([Serie] = 'A' And [Enc] = 6)" << document(null()) << true;
    QTest::newRow("Not (Null Or false)") << "Not ([Serie] = 'A' Or [Enc] = 6)" << document(null()) << false;
    QTest::newRow("In with Null field") << "[Serie] In ('A', 'B')" << document(null()) << false;
    QTest::newRow("Like with Null field") << "[Serie] Like '*'" << document(null()) << false;

    // Other operators
    QTest::newRow("Or and parentheses") << "([Codigo] = 1 Or [Codigo] = 24) And Not [Descripcion] = 'x'"
                                        << gasto("Gasolina Superior", 24) << true;
    QTest::newRow("And binds tighter than Or") << "[Codigo] = 24 Or [Codigo] = 1 And [Codigo] = 2"
                                               << gasto("x", 24) << true;
    QTest::newRow("In") << "[Codigo] In (24, 25, 26)" << gasto("x", 25) << true;
    QTest::newRow("Not In") << "[Codigo] Not In (24, 25)" << gasto("x", 25) << false;
    QTest::newRow("Like *, case ignored") << "[Descripcion] Like 'gasolina*'" << gasto("Gasolina Regular", 25) << true;
    QTest::newRow("Like ? and #") << "[Nit] Like '?#'" << Row{{"Nit", QString("K1")}} << true;
    QTest::newRow("Like list") << "[Nit] Like '[0-9]K'" << proveedor << true;
    QTest::newRow("Like negated list") << "[Nit] Like '[!0-9]K'" << proveedor << false;
    QTest::newRow("Not Like") << "[Descripcion] Not Like '*diesel*'" << gasto("Diesel y gas oil", 27) << false;
    QTest::newRow("<> and <=") << "[Codigo] <> 3 And [Codigo] <= 24" << gasto("x", 24) << true;
    QTest::newRow("Boolean field") << "[Activo] = True" << Row{{"Activo", true}} << true;
    QTest::newRow("Boolean as -1") << "[Activo] = -1" << Row{{"Activo", true}} << true;
}

void TestCriteria::matches()
{
    QFETCH(QString, criteria);
    QFETCH(Row, row);
    QFETCH(bool, expected);
    QCOMPARE(Criteria::parse(criteria).matches(lookupIn(row)), expected);
}

void TestCriteria::errors_data()
{
    QTest::addColumn<QString>("criteria");
    QTest::addColumn<int>("number");

    QTest::newRow("empty") << "" << int(err::CriteriaSyntax);
    QTest::newRow("open quote") << "[Nit] = '12" << int(err::CriteriaSyntax);
    QTest::newRow("open bracket") << "[Nit = '12'" << int(err::CriteriaSyntax);
    QTest::newRow("missing operand") << "[Nit] = " << int(err::CriteriaSyntax);
    QTest::newRow("missing operator") << "[Nit] '12'" << int(err::CriteriaSyntax);
    QTest::newRow("dangling And") << "[Contribuyente] = 1 And" << int(err::CriteriaSyntax);
    QTest::newRow("unclosed parenthesis") << "([Codigo] = 1" << int(err::CriteriaSyntax);
    QTest::newRow("Is without Null") << "[Serie] Is 'A'" << int(err::CriteriaSyntax);
    QTest::newRow("Between without And") << "[Codigo] Between 1 Or 2" << int(err::CriteriaSyntax);
    QTest::newRow("no such date") << "[Fecha] = #2/30/2001#" << int(err::CriteriaSyntax);
    QTest::newRow("unknown field") << "[Nit] = '1' And [Nombre] = 'x'" << int(err::UnknownField);
    QTest::newRow("unknown field after a false part") << "[Nit] = '2' And [Nombre] = 'x'" << int(err::UnknownField);
    QTest::newRow("text used as a condition") << "[Serie]" << int(err::TypeMismatch);
}

void TestCriteria::errors()
{
    QFETCH(QString, criteria);
    QFETCH(int, number);
    const Row row{{"Nit", QString("1")}, {"Codigo", qlonglong(1)}, {"Serie", QString("A")}};
    QCOMPARE(errorOf([&] { Criteria::parse(criteria).matches(lookupIn(row)); }), number);
}

// Text nested deeper than any criterion needs is refused as a syntax error instead of running the
// parser off the stack; long flat And/Or chains are fine however long, and keep SQL's Null rules.
void TestCriteria::nestingAndLongChains_data()
{
    QTest::addColumn<QString>("criteria");
    QTest::addColumn<int>("number");     // 0: parsed and evaluated
    QTest::addColumn<bool>("expected");

    auto repeat = [](const char* piece, int times) {
        QString s;
        for (int i = 0; i < times; ++i)
            s += QLatin1String(piece);
        return s;
    };
    const QString deep = repeat("(", 10000) + QStringLiteral("[Codigo] = 1") + repeat(")", 10000);
    QTest::newRow("10,000 parentheses") << deep << int(err::CriteriaSyntax) << false;
    QTest::newRow("10,000 open parentheses") << repeat("(", 10000) << int(err::CriteriaSyntax) << false;
    QTest::newRow("100,000 Not") << repeat("Not ", 100000) + QStringLiteral("[Codigo] = 1") << int(err::CriteriaSyntax) << false;
    QTest::newRow("150 parentheses") << repeat("(", 150) + QStringLiteral("[Codigo] = 1") + repeat(")", 150) << 0 << true;
    QTest::newRow("150 Not") << repeat("Not ", 150) + QStringLiteral("[Codigo] = 1") << 0 << true;
    QTest::newRow("50,000 And terms") << QStringLiteral("[Codigo] = 1") + repeat(" And [Nit] = '1'", 50000) << 0 << true;
    QTest::newRow("50,000 Or terms, last true") << repeat("[Codigo] = 2 Or ", 50000) + QStringLiteral("[Nit] = '1'") << 0 << true;
    QTest::newRow("And: False beats Null") << "[Codigo] = 1 And [Vacio] = 1 And [Codigo] = 2" << 0 << false;
    QTest::newRow("And: Null is no match") << "[Codigo] = 1 And [Vacio] = 1 And [Nit] = '1'" << 0 << false;
    QTest::newRow("Not (Null And True) is Null") << "Not ([Codigo] = 1 And [Vacio] = 1 And [Nit] = '1')" << 0 << false;
    QTest::newRow("Or: True beats Null") << "[Codigo] = 2 Or [Vacio] = 1 Or [Nit] = '1'" << 0 << true;
    QTest::newRow("Not (Null Or False) is Null") << "Not ([Codigo] = 2 Or [Vacio] = 1 Or [Nit] = '2')" << 0 << false;
    QTest::newRow("Not (False Or False)") << "Not ([Codigo] = 2 Or [Nit] = '2' Or [Serie] = 'B')" << 0 << true;
    QTest::newRow("Or of And groups") << "[Codigo] = 2 And [Nit] = '1' Or [Codigo] = 1 And [Serie] = 'a'" << 0 << true;
}

void TestCriteria::nestingAndLongChains()
{
    QFETCH(QString, criteria);
    QFETCH(int, number);
    QFETCH(bool, expected);
    const Row row{{"Nit", QString("1")}, {"Codigo", qlonglong(1)}, {"Serie", QString("A")}, {"Vacio", null()}};
    bool matched = false;
    QCOMPARE(errorOf([&] { matched = Criteria::parse(criteria).matches(lookupIn(row)); }), number);
    QCOMPARE(matched, expected);
}

QTEST_GUILESS_MAIN(TestCriteria)
#include "test_criteria.moc"
