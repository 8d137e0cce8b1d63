// The shared routines of Biblio: tax-id check, leading zeros, date test and amount in words.
#include "core/biblio.h"
#include "platform/basic/basic.h"

#include <QDate>
#include <QtTest>

#include <limits>

class TestBiblio : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void validaNit_data();
    void validaNit();

    void quitaCerosIzquierda_data();
    void quitaCerosIzquierda();

    void fechaInvalida_data();
    void fechaInvalida();

    void numeroALetras_data();
    void numeroALetras();
};

void TestBiblio::initTestCase()
{
    basic::regional().shortDate = QStringLiteral("dd/MM/yyyy");
}

void TestBiblio::validaNit_data()
{
    QTest::addColumn<QString>("nit");
    QTest::addColumn<bool>("valid");

    // Body 123456: 6x2 + 5x3 + 4x4 + 3x5 + 2x6 + 1x7 = 77, 77 mod 11 = 0, so the check is "0".
    QTest::newRow("check 0 from r = 11") << "1234560" << true;
    QTest::newRow("19") << "19" << true;
    QTest::newRow("124") << "124" << true;
    QTest::newRow("12345679") << "12345679" << true;
    QTest::newRow("check K") << "6K" << true;
    QTest::newRow("check k lower case") << "6k" << true;
    QTest::newRow("wrong check") << "125" << false;
    QTest::newRow("wrong K") << "7K" << false;
    QTest::newRow("lone 0") << "0" << true;
    QTest::newRow("lone 5") << "5" << false;
    QTest::newRow("letters weigh nothing") << "A0" << true;
    // A hyphen is not removed: it weighs nothing but takes a position (12- sums 0x2 + 2x3 + 1x4).
    QTest::newRow("hyphen not removed") << "12-4" << false;
    QTest::newRow("hyphen takes a position") << "12-1" << true;
    // Weights go on past 11: body 111111111111 (twelve ones) sums 2+..+13 = 90, 90 mod 11 = 2, r = 9.
    QTest::newRow("long body") << "1111111111119" << true;
    QTest::newRow("long body wrong") << "1111111111118" << false;
    QTest::newRow("trailing blank") << "124 " << false;
    QTest::newRow("leading blank") << " 124" << true;
    QTest::newRow("leading zero kept") << "0124" << true;
    QTest::newRow("blank") << "   " << false;
    QTest::newRow("empty") << "" << false;
}

void TestBiblio::validaNit()
{
    QFETCH(QString, nit);
    QFETCH(bool, valid);
    const QString before = nit;
    QCOMPARE(Biblio::ValidaNit(nit), valid);
    QCOMPARE(nit, before);
}

void TestBiblio::quitaCerosIzquierda_data()
{
    QTest::addColumn<QString>("nit");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zeros before a tax id") << "00123K" << "123K";
    QTest::newRow("inner zeros stay") << "0102030" << "102030";
    QTest::newRow("zeros only") << "000" << "";
    QTest::newRow("hyphen stays") << "-0012" << "-12";
    QTest::newRow("blanks stay") << "  0012" << "  12";
    QTest::newRow("zeros between low characters") << "0-0.0/05" << "-./5";
    QTest::newRow("letter first") << "K00" << "K00";
    QTest::newRow("nothing to remove") << "1234560" << "1234560";
    QTest::newRow("trailing blank kept") << "012 " << "12 ";
    QTest::newRow("blanks only") << "   " << "";
    QTest::newRow("empty") << "" << "";
}

void TestBiblio::quitaCerosIzquierda()
{
    QFETCH(QString, nit);
    QFETCH(QString, expected);
    const QString before = nit;
    QCOMPARE(Biblio::QuitaCerosIzquierda(nit), expected);
    QCOMPARE(nit, before);
}

void TestBiblio::fechaInvalida_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("invalid");

    QTest::newRow("valid date text") << QVariant(QStringLiteral("31/12/2001")) << false;
    QTest::newRow("date value") << QVariant(QDate(2001, 12, 31)) << false;
    QTest::newRow("no 31 February") << QVariant(QStringLiteral("31/02/2001")) << true;
    QTest::newRow("empty date mask") << QVariant(QStringLiteral("__/__/____")) << true;
    QTest::newRow("empty text") << QVariant(QString()) << true;
    QTest::newRow("null") << QVariant() << true;
}

void TestBiblio::fechaInvalida()
{
    QFETCH(QVariant, value);
    QFETCH(bool, invalid);
    QCOMPARE(Biblio::FechaInvalida(value), invalid);
}

void TestBiblio::numeroALetras_data()
{
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("words");

    // Groups, scale words and the word table.
    QTest::newRow("0") << 0.0 << "EXACTOS";
    QTest::newRow("0.5") << 0.5 << "CON 50/100";
    QTest::newRow("1") << 1.0 << "UNO EXACTOS";
    QTest::newRow("10") << 10.0 << "DIEZ EXACTOS";
    QTest::newRow("16") << 16.0 << "DIEZ Y SEIS EXACTOS";
    QTest::newRow("21") << 21.0 << "VEINTE Y UNO EXACTOS";
    QTest::newRow("100") << 100.0 << "CIEN EXACTOS";
    QTest::newRow("101") << 101.0 << "CIENTO UNO EXACTOS";
    QTest::newRow("111") << 111.0 << "CIENTO ONCE EXACTOS";
    QTest::newRow("115") << 115.0 << "CIENTO QUINCE EXACTOS";
    QTest::newRow("116") << 116.0 << "CIENTO DIEZ Y SEIS EXACTOS";
    QTest::newRow("1000") << 1000.0 << "MIL EXACTOS";
    QTest::newRow("1001") << 1001.0 << "MIL UNO EXACTOS";
    QTest::newRow("1100") << 1100.0 << "MIL CIEN EXACTOS";
    QTest::newRow("21000") << 21000.0 << "VEINTE Y UNO MIL EXACTOS";
    QTest::newRow("21011") << 21011.0 << "VEINTE Y UNO MIL ONCE EXACTOS";
    QTest::newRow("101000") << 101000.0 << "CIENTO UNO MIL EXACTOS";
    QTest::newRow("1000000") << 1000000.0 << "UN MILLON EXACTOS";
    QTest::newRow("1001001") << 1001001.0 << "UN MILLON MIL UNO EXACTOS";
    QTest::newRow("2000000") << 2000000.0 << "DOS MILLONES EXACTOS";
    QTest::newRow("21000000") << 21000000.0 << "VEINTE Y UNO MILLONES EXACTOS";
    QTest::newRow("100000000") << 100000000.0 << "CIEN MILLONES EXACTOS";
    QTest::newRow("1234.5") << 1234.5 << "MIL DOSCIENTOS TREINTA Y CUATRO CON 50/100";
    QTest::newRow("123456789.05") << 123456789.05
        << "CIENTO VEINTE Y TRES MILLONES CUATROCIENTOS CINCUENTA Y SEIS MIL "
           "SETECIENTOS OCHENTA Y NUEVE CON 05/100";
    QTest::newRow("12013014") << 12013014.0 << "DOCE MILLONES TRECE MIL CATORCE EXACTOS";
    QTest::newRow("300400600") << 300400600.0
        << "TRESCIENTOS MILLONES CUATROCIENTOS MIL SEISCIENTOS EXACTOS";
    QTest::newRow("700800900") << 700800900.0
        << "SETECIENTOS MILLONES OCHOCIENTOS MIL NOVECIENTOS EXACTOS";
    QTest::newRow("252617") << 252617.0
        << "DOSCIENTOS CINCUENTA Y DOS MIL SEISCIENTOS DIEZ Y SIETE EXACTOS";
    QTest::newRow("548") << 548.0 << "QUINIENTOS CUARENTA Y OCHO EXACTOS";
    QTest::newRow("63") << 63.0 << "SESENTA Y TRES EXACTOS";

    // From 1,000 millions on, the millions are always "MILLONES", even when that group is 0 or 1.
    QTest::newRow("1000000000") << 1e9 << "MIL MILLONES EXACTOS";
    QTest::newRow("2000000000") << 2e9 << "DOS MIL MILLONES EXACTOS";
    QTest::newRow("1001000000") << 1001000000.0 << "MIL UN MILLONES EXACTOS";
    QTest::newRow("1002000000") << 1002000000.0 << "MIL DOS MILLONES EXACTOS";
    QTest::newRow("5000000021") << 5000000021.0 << "CINCO MIL MILLONES VEINTE Y UNO EXACTOS";
    QTest::newRow("12000001000") << 12000001000.0 << "DOCE MIL MILLONES MIL EXACTOS";
    QTest::newRow("largest") << 999999999999.99
        << "NOVECIENTOS NOVENTA Y NUEVE MIL NOVECIENTOS NOVENTA Y NUEVE MILLONES "
           "NOVECIENTOS NOVENTA Y NUEVE MIL NOVECIENTOS NOVENTA Y NUEVE CON 99/100";

    // Rounded to cents, half away from zero on the decimal value, before words and cents.
    QTest::newRow("1.999") << 1.999 << "DOS EXACTOS";
    QTest::newRow("0.995") << 0.995 << "UNO EXACTOS";
    QTest::newRow("2.675") << 2.675 << "DOS CON 68/100";
    QTest::newRow("1.005") << 1.005 << "UNO CON 01/100";
    QTest::newRow("0.004") << 0.004 << "EXACTOS";
    QTest::newRow("0.57") << 0.57 << "CON 57/100";
    QTest::newRow("0.29") << 0.29 << "CON 29/100";
    QTest::newRow("0.07") << 0.07 << "CON 07/100";

    // Out of range: still text, never a failure.
    QTest::newRow("negative") << -5.0 << "MENOS CINCO EXACTOS";
    QTest::newRow("negative with cents") << -1234.5 << "MENOS MIL DOSCIENTOS TREINTA Y CUATRO CON 50/100";
    QTest::newRow("negative rounding to zero") << -0.004 << "EXACTOS";
    QTest::newRow("negative zero") << -0.0 << "EXACTOS";
    QTest::newRow("rounds up to 10^12") << 999999999999.995 << "";
    QTest::newRow("10^12") << 1e12 << "";
    QTest::newRow("-10^12") << -1e12 << "";
    QTest::newRow("huge") << 1e300 << "";
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << "";
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "";
    QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << "";
}

void TestBiblio::numeroALetras()
{
    QFETCH(double, amount);
    QFETCH(QString, words);
    QCOMPARE(Biblio::NumeroALetras(amount), words);
}

QTEST_GUILESS_MAIN(TestBiblio)
#include "test_biblio.moc"
