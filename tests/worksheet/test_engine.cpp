// The worksheet rules without widgets: type list, series, fuel, amounts, credit, clearing levels,
// the header-click sort, criteria quoting and the twelve save checks.
#include "worksheet/checks.h"
#include "worksheet/engine.h"
#include "worksheet/store.h"

#include "platform/ui/dialogs.h"

#include <QtTest>

using namespace worksheet;

class TestWorksheetEngine : public QObject {
    Q_OBJECT
private slots:
    void typeList_data();
    void typeList();
    void series_data();
    void series();
    void fuel_data();
    void fuel();
    void fuelCodes_data();
    void fuelCodes();
    void readAmount_data();
    void readAmount();
    void credit_data();
    void credit();
    void clearing();
    void sort();
    void criteriaQuoteTypedText();
    void saveChecks_data();
    void saveChecks();
    void formPrefixes_data();
    void formPrefixes();
    void deleteChecks_data();
    void deleteChecks();
};

void TestWorksheetEngine::typeList_data()
{
    QTest::addColumn<int>("period");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("codes");
    QTest::newRow("period 3") << 3
        << QStringList{"Factura", "Tiquete", "EKO Dcto. 39-99", "Formulario 203", "Formulario 208", "Formulario 711",
                       "Declaracion Aduanera", "Factura Electrónica"}
        << QList<int>{0, 1, 2, 8, 9, 10, 7, 11};
    QTest::newRow("period 4") << 4
        << QStringList{"Factura", "Formulario 203", "Formulario 208", "Formulario 711", "Declaracion Aduanera",
                       "Factura Electrónica"}
        << QList<int>{0, 8, 9, 10, 7, 11};
}

void TestWorksheetEngine::typeList()
{
    QFETCH(int, period);
    QFETCH(QStringList, names);
    QFETCH(QList<int>, codes);
    QStringList gotNames;
    QList<int> gotCodes;
    for (const DocType& t : documentTypes(period)) {
        gotNames << t.name;
        gotCodes << t.code;
    }
    QCOMPARE(gotNames, names);
    QCOMPARE(gotCodes, codes);
    QCOMPARE(documentTypeName(3), QStringLiteral("Formulario 2031"));
}

void TestWorksheetEngine::series_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("criterion");
    QTest::newRow("invoice") << 0 << "a1" << QVariant("A1") << "[Serie] = 'A1'";
    QTest::newRow("electronic invoice") << 11 << "fe" << QVariant("FE") << "[Serie] = 'FE'";
    QTest::newRow("invoice, blank series") << 0 << "  " << QVariant() << "[Serie] Is Null";
    QTest::newRow("form type ignores a series") << 10 << "x" << QVariant() << "[Serie] Is Null";
    QTest::newRow("customs") << 7 << "" << QVariant() << "[Serie] Is Null";
}

void TestWorksheetEngine::series()
{
    QFETCH(int, code);
    QFETCH(QString, typed);
    QFETCH(QVariant, stored);
    QFETCH(QString, criterion);
    const Variant& v = Variant::entryForm();
    QCOMPARE(storedSeries(v, code, typed), stored);
    const QString c = documentCriteria(v, {QVariant(12), QStringLiteral("123"), code, typed, QStringLiteral("55")});
    QVERIFY2(c.contains(criterion), qPrintable(c));
}

void TestWorksheetEngine::fuel_data()
{
    QTest::addColumn<QString>("fuel");
    QTest::addColumn<double>("amount");
    QTest::addColumn<double>("price");
    QTest::addColumn<QString>("withoutTax");   // "" = refused
    QTest::addColumn<QString>("back");
    QTest::newRow("Superior") << "Gasolina Superior" << 470.0 << 47.0 << "423.00" << "470.00";
    QTest::newRow("Regular") << "Gasolina Regular" << 200.0 << 35.5 << "174.08" << "199.99";
    QTest::newRow("Diesel") << "Diesel y gas oil" << 130.0 << 13.0 << "117.00" << "130.00";
    QTest::newRow("price at the rate") << "Gasolina Superior" << 470.0 << 4.7 << "" << "";
    QTest::newRow("price below the rate") << "Gasolina Regular" << 470.0 << 2.0 << "" << "";
    QTest::newRow("price 0") << "Nafta" << 100.0 << 0.0 << "" << "";
    QTest::newRow("nothing left once rounded") << "Gasolina Superior" << 0.01 << 4.71 << "" << "4.71";
}

void TestWorksheetEngine::fuel()
{
    QFETCH(QString, fuel);
    QFETCH(double, amount);
    QFETCH(double, price);
    QFETCH(QString, withoutTax);
    QFETCH(QString, back);
    const Variant& v = Variant::entryForm();
    QVERIFY(isFuel(v, fuel));
    QVERIFY(!isFuel(v, fuel.toLower()));
    const double rate = fuelRate(v, fuel);
    const auto monto = amountWithoutTax(amount, price, rate);
    QCOMPARE(monto ? formatAmount(*monto) : QString(), withoutTax);
    // The reverse computation; a stored price at or below the rate has none.
    const auto paid = amountPaid(monto.value_or(amount), QVariant(price), rate);
    QCOMPARE(paid ? formatAmount(*paid) : QString(), back);
    QVERIFY(!amountPaid(100, QVariant(), rate));
    QCOMPARE(fuelRate(v, QStringLiteral("gasolina regular")), 0.0);
}

void TestWorksheetEngine::fuelCodes_data()
{
    QTest::addColumn<QVariant>("gasto");
    QTest::addColumn<bool>("fuel");
    QTest::newRow("23, the code before") << QVariant(23) << false;
    QTest::newRow("24, the first fuel") << QVariant(24) << true;
    QTest::newRow("27") << QVariant(27) << true;
    QTest::newRow("31, the last fuel") << QVariant(31) << true;
    QTest::newRow("32, the code after") << QVariant(32) << false;
    QTest::newRow("as text with blanks") << QVariant(QStringLiteral(" 31 ")) << true;
    QTest::newRow("as a whole double") << QVariant(24.0) << true;
    QTest::newRow("no number") << QVariant(QStringLiteral("Diesel")) << false;
    QTest::newRow("Null") << QVariant() << false;
}

void TestWorksheetEngine::fuelCodes()
{
    QFETCH(QVariant, gasto);
    QFETCH(bool, fuel);
    QCOMPARE(isFuelCode(gasto), fuel);
}

void TestWorksheetEngine::readAmount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("plain") << "125.50" << QVariant(125.5);
    QTest::newRow("thousands") << "1,250.00" << QVariant(1250.0);
    QTest::newRow("millions") << " 1,000,000 " << QVariant(1000000.0);
    QTest::newRow("leading point") << ".5" << QVariant(0.5);
    QTest::newRow("comma as decimal") << "12,50" << QVariant();
    QTest::newRow("misplaced comma") << "1,25,000" << QVariant();
    QTest::newRow("trailing letters") << "5x" << QVariant();
    QTest::newRow("empty") << "" << QVariant();
    QTest::newRow("two points") << "1.2.3" << QVariant();
}

void TestWorksheetEngine::readAmount()
{
    QFETCH(QString, text);
    QFETCH(QVariant, value);
    const auto got = worksheet::readAmount(text);
    QCOMPARE(got.has_value(), value.isValid());
    if (got)
        QCOMPARE(*got, value.toDouble());
}

using Rows = QList<DetailRow>;

void TestWorksheetEngine::credit_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<double>("coefficient");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("credit");
    const QVariant june(QDate(2001, 6, 30)), july1(QDate(2001, 7, 1)), july31(QDate(2001, 7, 31)),
        august(QDate(2001, 8, 1)), later(QDate(2009, 1, 15));
    QTest::newRow("empty") << Rows{} << 0.107142 << "0.00" << "0.00";
    QTest::newRow("invoice at the coefficient") << Rows{{"0", later, 1000.0}} << 0.107142 << "1,000.00" << "107.14";
    QTest::newRow("mixed worksheet") << Rows{{"0", later, 1000.0}, {"8", later, 500.0}} << 0.107142 << "1,500.00"
                                     << "607.14";
    QTest::newRow("code 10 is a form type") << Rows{{"10", later, 200.0}} << 0.1 << "200.00" << "200.00";
    QTest::newRow("codes 2 and 9 at face value") << Rows{{"2", later, 10.0}, {"9", later, 5.0}} << 0.1 << "15.00"
                                                 << "15.00";
    QTest::newRow("electronic invoice") << Rows{{"11", later, 100.0}} << 0.12 << "100.00" << "12.00";
    QTest::newRow("July 2001") << Rows{{"0", july1, 1000000.0}} << 0.12 << "1,000,000.00" << "90,909.00";
    QTest::newRow("July 2001 last day") << Rows{{"1", july31, 100.0}} << 0.5 << "100.00" << "9.09";
    QTest::newRow("edges of July") << Rows{{"0", june, 100.0}, {"0", august, 100.0}} << 0.5 << "200.00" << "100.00";
    QTest::newRow("form type in July") << Rows{{"8", july1, 100.0}} << 0.5 << "100.00" << "100.00";
    QTest::newRow("half cent rounds up") << Rows{{"8", later, 1.005}} << 0.1 << "1.01" << "1.01";
    QTest::newRow("null type and date") << Rows{{QVariant(), QVariant(), 10.0}} << 0.5 << "10.00" << "5.00";
}

void TestWorksheetEngine::credit()
{
    QFETCH(Rows, rows);
    QFETCH(double, coefficient);
    QFETCH(QString, total);
    QFETCH(QString, credit);
    const Variant& v = Variant::entryForm();
    CreditSums sums;
    for (const DetailRow& r : rows)
        addRow(v, sums, r);
    QCOMPARE(formatAmount(sums.total()), total);
    QCOMPARE(formatAmount(worksheet::credit(v, sums, coefficient)), credit);
}

void TestWorksheetEngine::clearing()
{
    // Level: taxpayer, supplier, document, date/expense/amounts/fuel, empty worksheet.
    const QList<QList<bool>> expected {
        {true, true, true, true, true},
        {false, true, true, true, false},
        {false, false, true, true, false},
        {false, false, false, true, false},
        {false, false, true, true, false},
        {false, false, false, false, false},
    };
    for (int level = 0; level <= 5; ++level) {
        const ClearPlan p = clearPlan(level);
        const QList<bool> got {p.taxpayer, p.supplier, p.document, p.date && p.expense && p.amounts && p.hideFuel,
                               p.emptyWorksheet};
        QCOMPARE(got, expected.at(level));
    }
}

void TestWorksheetEngine::sort()
{
    const QString sql = detailQuery(12);
    QVERIFY(sql.endsWith(QStringLiteral("(((Planilla_Det.Enc) = 12));")));
    int ultima = 999;
    const auto asc = sortedSource(sql, 2, ultima, gridFields());
    QVERIFY(asc->endsWith(QStringLiteral("(((Planilla_Det.Enc) = 12))Order By [Fecha] ASC;")));
    QCOMPARE(ultima, 2);
    QVERIFY(sortedSource(sql, 2, ultima, gridFields())->endsWith(QStringLiteral("Order By [Fecha] DESC;")));
    QCOMPARE(ultima, 999);
    QVERIFY(sortedSource(sql, 2, ultima, gridFields())->endsWith(QStringLiteral("Order By [Fecha] ASC;")));
    QVERIFY(sortedSource(sql, 3, ultima, gridFields())->endsWith(QStringLiteral("Order By [Tipo] ASC;")));
    QVERIFY(!sortedSource(sql, 5, ultima, gridFields()));
    QCOMPARE(ultima, 3);
    QVERIFY(detailQuery(QVariant()).endsWith(QStringLiteral("(((Planilla_Det.Enc) Is Null));")));
}

void TestWorksheetEngine::criteriaQuoteTypedText()
{
    const Variant& v = Variant::entryForm();
    const QString c = documentCriteria(v, {QVariant(3), QStringLiteral("12'3"), 0, QStringLiteral("' Or ''='"),
                                           QStringLiteral("1' Or '1'='1")});
    QCOMPARE(c, QStringLiteral("[Enc] = 3 And [Provee] = '12''3' And [Tipo] = '0' And [Serie] = ''' OR ''''=''' "
                               "And [NoDoc] = '1'' Or ''1''=''1'"));
    QCOMPARE(headerCriteria(QStringLiteral("7"), QStringLiteral("3")), QStringLiteral("[Contribuyente] = 7 And [Periodo] = 3"));
    QCOMPARE(headerCriteria(QStringLiteral("7 Or 1=1"), QStringLiteral("3")),
             QStringLiteral("[Contribuyente] = '7 Or 1=1' And [Periodo] = 3"));
}

namespace {
DocumentInput validInvoice()
{
    DocumentInput in;
    in.supplierBound = QStringLiteral("12345678");
    in.typeText = QStringLiteral("Factura");
    in.typeCode = 0;
    in.serie = QStringLiteral("A");
    in.doc = QStringLiteral("55");
    in.fecha = QStringLiteral("15/01/2002");
    in.gastoBound = QStringLiteral("1");
    in.gastoText = QStringLiteral("Alimentación");
    in.cantidad = QStringLiteral("100.00");
    in.periodoDel = QStringLiteral("01/01/2002");
    in.periodoAl = QStringLiteral("31/12/2002");
    return in;
}
} // namespace

void TestWorksheetEngine::saveChecks_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("number");   // 0: passes
    QTest::addColumn<int>("helpContext");
    QTest::newRow("valid invoice") << "" << "" << 0 << 0;
    QTest::newRow("1 no supplier") << "supplier" << "" << 1 << 0;
    QTest::newRow("2 no type") << "type" << "" << 2 << 0;
    QTest::newRow("3 no number") << "doc" << " " << 3 << 0;
    QTest::newRow("3 letters") << "doc" << "12A" << 3 << 0;
    QTest::newRow("4 EKO 2035") << "eko" << "2035" << 0 << 0;
    QTest::newRow("4 EKO 1001") << "eko" << "1001" << 0 << 0;
    QTest::newRow("4 EKO 0203") << "eko" << "0203" << 4 << 1080;
    QTest::newRow("5 Formulario 203 numbered 2031") << "f203" << "2031" << 0 << 0;
    QTest::newRow("5 Formulario 203 numbered 208") << "f203" << "208" << 5 << 2520;
    QTest::newRow("5 Formulario 2031 numbered 20315") << "f2031" << "20315" << 0 << 0;
    QTest::newRow("5 Formulario 2031 numbered 2032") << "f2031" << "2032" << 5 << 2520;
    QTest::newRow("6 no date") << "date" << "  /  /    " << 6 << 0;
    QTest::newRow("7 first day") << "date" << "01/01/2002" << 0 << 0;
    QTest::newRow("7 last day") << "date" << "31/12/2002" << 0 << 0;
    QTest::newRow("7 day before") << "date" << "31/12/2001" << 7 << 0;
    QTest::newRow("8 no expense") << "gasto" << "" << 8 << 0;
    QTest::newRow("9 zero") << "amount" << "0.00" << 9 << 0;
    QTest::newRow("9 leading comma") << "amount" << ",50" << 9 << 0;
    QTest::newRow("9 beyond a double") << "amount" << "1e309" << 9 << 0;
    QTest::newRow("9 negative beyond a double") << "amount" << "-1e309" << 9 << 0;
    QTest::newRow("10 Tiquete 31/03/2002") << "tiquete" << "31/03/2002" << 0 << 0;
    QTest::newRow("10 Tiquete 01/04/2002") << "tiquete" << "01/04/2002" << 10 << 0;
    QTest::newRow("11 5x") << "amount" << "5x" << 11 << 0;
    QTest::newRow("11 comma decimal") << "amount" << "12,50" << 11 << 0;
    QTest::newRow("11 thousands pass") << "amount" << "1,250.00" << 0 << 0;
    QTest::newRow("12 fuel without price") << "price" << "" << 12 << 0;
    QTest::newRow("12 fuel price at the rate") << "price" << "4.70" << 12 << 0;
    QTest::newRow("12 fuel price comma") << "price" << "47,5" << 12 << 0;
    QTest::newRow("12 fuel price") << "price" << "47.00" << 0 << 0;
    QTest::newRow("12 amount that leaves nothing") << "small" << "4.71" << 12 << 0;
    QTest::newRow("13 Total Sin IDP typed over") << "calculos" << "400.00" << 0 << 0;
    QTest::newRow("13 Total Sin IDP with thousands") << "calculos" << "1,400.00" << 0 << 0;
    QTest::newRow("13 Total Sin IDP empty") << "calculos" << "" << 13 << 0;
    QTest::newRow("13 Total Sin IDP letters") << "calculos" << "abc" << 13 << 0;
    QTest::newRow("13 Total Sin IDP zero") << "calculos" << "0.00" << 13 << 0;
}

void TestWorksheetEngine::saveChecks()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(int, number);
    QFETCH(int, helpContext);
    DocumentInput in = validInvoice();
    if (field == "supplier") in.supplierBound = value;
    else if (field == "type") in.typeText = value, in.typeCode = -1;
    else if (field == "doc") in.doc = value;
    else if (field == "eko") in.typeText = "EKO Dcto. 39-99", in.typeCode = 2, in.doc = value;
    else if (field == "f203") in.typeText = "Formulario 203", in.typeCode = 8, in.doc = value;
    else if (field == "f2031") in.typeText = "Formulario 2031", in.typeCode = 3, in.doc = value;
    else if (field == "date") in.fecha = value;
    else if (field == "gasto") in.gastoBound = value;
    else if (field == "amount") in.cantidad = value;
    else if (field == "tiquete") in.typeText = "Tiquete", in.typeCode = 1, in.fecha = value;
    else if (field == "price") in.gastoText = "Gasolina Superior", in.cantidad = "470.00", in.unitario = value, in.calculos = "423.00";
    else if (field == "small") in.gastoText = "Gasolina Superior", in.cantidad = "0.01", in.unitario = value, in.calculos = "0.01";
    else if (field == "calculos") in.gastoText = "Gasolina Superior", in.cantidad = "470.00", in.unitario = "47.00", in.calculos = value;
    const auto failure = checkSave(Variant::entryForm(), in);
    QCOMPARE(failure ? failure->number : 0, number);
    if (failure) {
        QCOMPARE(failure->helpContext, helpContext);
        QCOMPARE(ui::hasHelpButton(failure->style), helpContext != 0);
        QCOMPARE(failure->clearField, number >= 11);
    }
    if (field == "f2031" && number == 5)
        QCOMPARE(failure->message, QStringLiteral(" El Tipo de documento Formulario 2031 exige un No. de Formulario válido..."));
    // A fuel document stores "Total Sin IDP" as its box shows it.
    if ((field == "price" || field == "calculos") && number == 0)
        QCOMPARE(formatAmount(*storedAmount(Variant::entryForm(), in)), formatAmount(*worksheet::readAmount(in.calculos)));
}

// Every type with a form-number prefix passes with a number that begins with its own prefix
// and fails with one that begins otherwise; the others pass whatever the number.
void TestWorksheetEngine::formPrefixes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("passes");
    QTest::addColumn<QString>("fails");
    QTest::newRow("Formulario 2031") << 3 << "20315" << "2032";
    QTest::newRow("Formulario 2081") << 4 << "2081" << "2031";
    QTest::newRow("Formulario 2082") << 5 << "208299" << "2081";
    QTest::newRow("Formulario 7111") << 6 << "71110" << "7112";
    QTest::newRow("Formulario 203") << 8 << "2031" << "208";
    QTest::newRow("Formulario 208") << 9 << "2085" << "2035";
    QTest::newRow("Formulario 208, number alone") << 9 << " 208" << "209";
    QTest::newRow("Formulario 711") << 10 << "711" << "7";
    QTest::newRow("Declaracion Aduanera") << 7 << "5" << "";
    QTest::newRow("Factura Electrónica") << 11 << "2081" << "";
}

void TestWorksheetEngine::formPrefixes()
{
    QFETCH(int, code);
    QFETCH(QString, passes);
    QFETCH(QString, fails);
    DocumentInput in = validInvoice();
    in.typeCode = code;
    in.typeText = documentTypeName(code);
    in.doc = passes;
    QVERIFY(!saveCheck(5, Variant::entryForm(), in));
    if (fails.isEmpty())
        return;
    in.doc = fails;
    const auto failure = saveCheck(5, Variant::entryForm(), in);
    QVERIFY(failure);
    QCOMPARE(failure->message, QStringLiteral(" El Tipo de documento ") + documentTypeName(code)
                                   + QStringLiteral(" exige un No. de Formulario válido..."));
    QCOMPARE(failure->helpContext, 2520);
}

// The deletion asks only for a number: one that is no number (or blank) is looked for, and a
// document not found is passed over.
void TestWorksheetEngine::deleteChecks_data()
{
    QTest::addColumn<QString>("doc");
    QTest::addColumn<QString>("fecha");
    QTest::addColumn<int>("number");
    QTest::newRow("number") << "5" << "15/01/2002" << 0;
    QTest::newRow("letters after digits") << "12A" << "15/01/2002" << 0;
    QTest::newRow("blanks") << "   " << "15/01/2002" << 0;
    QTest::newRow("quotes") << "1' Or '1'='1" << "15/01/2002" << 0;
    QTest::newRow("empty") << "" << "15/01/2002" << 3;
    QTest::newRow("outside the period") << "5" << "01/01/2003" << 7;
}

void TestWorksheetEngine::deleteChecks()
{
    QFETCH(QString, doc);
    QFETCH(QString, fecha);
    QFETCH(int, number);
    DocumentInput in = validInvoice();
    in.gastoBound.clear();
    in.cantidad.clear();
    in.doc = doc;
    in.fecha = fecha;
    const auto failure = checkDelete(Variant::entryForm(), in);
    QCOMPARE(failure ? failure->number : 0, number);
    if (number == 3)
        QCOMPARE(failure->message, QStringLiteral(" Debe ingresar un No. Documento válido..."));
}

QTEST_MAIN(TestWorksheetEngine)
#include "test_engine.moc"
