// The return's arithmetic: brackets, totals, reading and writing of box texts, the amount check
// and the printed amount.
#include "income_tax/isr_computation.h"

#include <QStringList>
#include <QtTest>

using income_tax::Casillas;

namespace {

// "16=120000;22=4800" → {{16, "120000"}, {22, "4800"}}; a box given as "16=" is empty.
Casillas parse(const QString& text)
{
    Casillas boxes;
    for (const QString& part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int eq = part.indexOf(QLatin1Char('='));
        boxes[part.left(eq).toInt()] = part.mid(eq + 1);
    }
    return boxes;
}

} // namespace

class TestIsrComputation : public QObject {
    Q_OBJECT
private slots:
    void computation_data();
    void computation();
    void emptyFormFillsEveryTypedBox();
    void textsThatAreNotNumbersStay();
    void overflowNeverShowsInfinity();
    void brackets_data();
    void brackets();
    void boxValue_data();
    void boxValue();
    void firstInvalidBox_data();
    void firstInvalidBox();
    void printedAmount_data();
    void printedAmount();
};

void TestIsrComputation::computation_data()
{
    QTest::addColumn<QString>("typed");
    // Lines 5, 12, 13, 14 and 18 (boxes 20, 27, 28, 33, 39).
    QTest::addColumn<QStringList>("computed");

    QTest::newRow("empty form") << "" << QStringList{"0", "36000", "-36000", "0", "0"};
    // The plain double difference, 15 digits; the box shows -0.01 in its display format.
    QTest::newRow("line 13 just below 0") << "16=35999.99" << QStringList{"35999.99", "36000", "-0.0100000000020373", "0", "0"};
    QTest::newRow("line 13 at 0") << "16=36000" << QStringList{"36000", "36000", "0", "0", "0"};
    QTest::newRow("just below bracket 2") << "16=100999.99"
                                          << QStringList{"100999.99", "36000", "64999.99", "9749.9985", "9749.9985"};
    QTest::newRow("bracket 2 edge") << "16=101000" << QStringList{"101000", "36000", "65000", "9750", "9750"};
    QTest::newRow("line 13 = 100000") << "16=136000" << QStringList{"136000", "36000", "100000", "16750", "16750"};
    QTest::newRow("just below bracket 3") << "16=215999.99"
                                          << QStringList{"215999.99", "36000", "179999.99", "32749.998", "32749.998"};
    QTest::newRow("bracket 3 edge") << "16=216000" << QStringList{"216000", "36000", "180000", "32750", "32750"};
    QTest::newRow("bracket 4 edge") << "16=331000" << QStringList{"331000", "36000", "295000", "61500", "61500"};
    QTest::newRow("bracket 4") << "16=431000" << QStringList{"431000", "36000", "395000", "92500", "92500"};
    QTest::newRow("mixed return, every line")
        << "16=150000;17=25000.50;18=30000;19=12000;22=4800;23=1200;24=3500.25;25=0;26=1000;34=2500;36=300;38=15000"
        << QStringList{"217000.5", "46500.25", "170500.25", "30850.05", "13050.05"};
    QTest::newRow("credits beyond the tax: withheld in excess") << "16=101000;34=5000;36=1000;38=4000"
                                                                << QStringList{"101000", "36000", "65000", "9750", "-250"};
    QTest::newRow("loss after a taxed return shows 0, not -0") << "16=1000;38=0"
                                                               << QStringList{"1000", "36000", "-35000", "0", "0"};
    QTest::newRow("12abc counts as 12") << "16=12abc" << QStringList{"12", "36000", "-35988", "0", "0"};
    QTest::newRow("1,500 counts as 1500") << "16=101,000;17=1,500.00"
                                          << QStringList{"102500", "36000", "66500", "10050", "10050"};
    QTest::newRow("badly grouped text reads up to the comma") << "16=101000;17=12,5"
                                                              << QStringList{"101012", "36000", "65012", "9752.4", "9752.4"};
    QTest::newRow("a typed line 6 is replaced") << "16=101000;21=999999" << QStringList{"101000", "36000", "65000", "9750", "9750"};
    QTest::newRow("blanks inside a number") << "16= 101 000 " << QStringList{"101000", "36000", "65000", "9750", "9750"};
    QTest::newRow("1E400 counts as 0") << "16=1E400" << QStringList{"0", "36000", "-36000", "0", "0"};
}

void TestIsrComputation::computation()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, computed);
    Casillas boxes = parse(typed);
    const income_tax::IsrResult result = income_tax::CalculaISR(boxes);
    QVERIFY(result.finito);
    QStringList got;
    for (int box : income_tax::kCasillasCalculadas)
        got << boxes[box];
    QCOMPARE(got, computed);
    QCOMPARE(boxes[21], QStringLiteral("36000"));
    QCOMPARE(result.tramo, income_tax::tramoDe(income_tax::valorCasilla(boxes[28])));
}

void TestIsrComputation::emptyFormFillsEveryTypedBox()
{
    Casillas boxes = parse("17=  ;34=\t");
    income_tax::PreparaCasillas(boxes);
    for (int box : income_tax::kCasillasDigitadas)
        QCOMPARE(boxes[box], QStringLiteral("0"));
    QCOMPARE(boxes[21], QStringLiteral("36000"));
}

void TestIsrComputation::textsThatAreNotNumbersStay()
{
    Casillas boxes = parse("16=12abc;22=abc;38=1,500");
    income_tax::CalculaISR(boxes);
    QCOMPARE(boxes[16], QStringLiteral("12abc"));
    QCOMPARE(boxes[22], QStringLiteral("abc"));
    QCOMPARE(boxes[38], QStringLiteral("1,500"));
}

void TestIsrComputation::overflowNeverShowsInfinity()
{
    Casillas boxes = parse("16=1e308;17=1e308");
    const income_tax::IsrResult result = income_tax::CalculaISR(boxes);
    QVERIFY(!result.finito);
    for (int box : income_tax::kCasillasCalculadas)
        QVERIFY2(boxes[box].isEmpty(), qPrintable(QStringLiteral("box %1: %2").arg(box).arg(boxes[box])));

    // Line 5 fits; line 13 does not: line 5 stays, the rest is left empty.
    boxes = parse("16=1.7e308;22=-1.7e308");
    QVERIFY(!income_tax::CalculaISR(boxes).finito);
    QCOMPARE(boxes[20], QStringLiteral("1.7E+308"));
    QCOMPARE(boxes[27], QStringLiteral("-1.7E+308"));
    QVERIFY(boxes[28].isEmpty());
    QVERIFY(boxes[33].isEmpty());
    QVERIFY(boxes[39].isEmpty());
}

void TestIsrComputation::brackets_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("rate");
    QTest::addColumn<double>("fixed");
    QTest::addColumn<double>("lower");
    QTest::newRow("loss") << -0.01 << 0.0 << 0.0 << 0.0;
    QTest::newRow("0") << 0.0 << 0.15 << 0.0 << 0.0;
    QTest::newRow("below 65000") << 64999.99 << 0.15 << 0.0 << 0.0;
    QTest::newRow("65000") << 65000.0 << 0.20 << 9750.0 << 65000.0;
    QTest::newRow("below 180000") << 179999.99 << 0.20 << 9750.0 << 65000.0;
    QTest::newRow("180000") << 180000.0 << 0.25 << 32750.0 << 180000.0;
    QTest::newRow("below 295000") << 294999.99 << 0.25 << 32750.0 << 180000.0;
    QTest::newRow("295000") << 295000.0 << 0.31 << 61500.0 << 295000.0;
}

void TestIsrComputation::brackets()
{
    QFETCH(double, x);
    QFETCH(double, rate);
    QFETCH(double, fixed);
    QFETCH(double, lower);
    const income_tax::TramoISR t = income_tax::tramoDe(x);
    QCOMPARE(t.TasaISR, rate);
    QCOMPARE(t.ImporteFijoISR, fixed);
    QCOMPARE(t.LimiteInferiorISR, lower);
}

void TestIsrComputation::boxValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("plain") << "1500.25" << 1500.25;
    QTest::newRow("grouped") << "1,500.00" << 1500.0;
    QTest::newRow("grouped millions, negative") << "-12,345,678.9" << -12345678.9;
    QTest::newRow("grouped, blanks") << " 1, 500 " << 1500.0;
    QTest::newRow("wrong group size") << "1,50" << 1.0;
    QTest::newRow("leading number") << "12abc" << 12.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("exponent") << "1E3" << 1000.0;
    QTest::newRow("beyond a double") << "1E400" << 0.0;
}

void TestIsrComputation::boxValue()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(income_tax::valorCasilla(text), value);
}

void TestIsrComputation::firstInvalidBox_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("first");
    const QString valid = "16=1;17=2;18=3;19=4;22=5;23=6;24=7;25=8;26=9;34=10;36=11;38=12";
    QTest::newRow("all valid") << valid << 0;
    QTest::newRow("grouped is valid") << valid + ";16=1,500.00" << 0;
    QTest::newRow("empty box") << valid + ";24=" << 24;
    QTest::newRow("blank box") << valid + ";25= " << 25;
    QTest::newRow("letters after digits") << valid + ";16=12abc" << 16;
    QTest::newRow("first of two") << valid + ";36=x;23=y" << 23;
    QTest::newRow("badly grouped") << valid + ";19=12,5" << 19;
    // Shown as -5.00 and 100.00 by the boxes, counted as 0: no amounts.
    QTest::newRow("in parentheses") << valid + ";17=(5)" << 17;
    QTest::newRow("currency symbol") << valid + ";22=Q100" << 22;
    QTest::newRow("currency symbol and thousands") << valid + ";36=Q 1,000.50" << 36;
    QTest::newRow("exponent is an amount") << valid + ";26=1E3" << 0;
    QTest::newRow("beyond a double") << valid + ";38=1E400" << 38;
    QTest::newRow("missing box") << "16=1" << 17;
}

void TestIsrComputation::firstInvalidBox()
{
    QFETCH(QString, typed);
    QFETCH(int, first);
    QCOMPARE(income_tax::primeraCasillaInvalida(parse(typed)), first);
}

void TestIsrComputation::printedAmount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("printed");
    QTest::newRow("empty") << "" << "0.00";
    QTest::newRow("rounded") << "1500.456" << "1,500.46";
    QTest::newRow("half away from zero") << "2.675" << "2.68";
    QTest::newRow("negative") << "-36000" << "-36,000.00";
    QTest::newRow("tiny negative") << "-0.001" << "0.00";
    QTest::newRow("grouped") << "1,500" << "1,500.00";
    QTest::newRow("letters") << "abc" << "0.00";
    QTest::newRow("millions") << "1234567.5" << "1,234,567.50";
}

void TestIsrComputation::printedAmount()
{
    QFETCH(QString, text);
    QFETCH(QString, printed);
    QCOMPARE(income_tax::montoImpreso(text), printed);
}

QTEST_GUILESS_MAIN(TestIsrComputation)
#include "test_isr_computation.moc"
