// The fuel protection of the expense-type catalogue as plain rules: which descriptions cannot be
// deleted, which cannot be saved, and which codes cannot be picked from the grid.
#include "catalogs/fuel_rules.h"

#include <QtTest>

class TestFuelRules : public QObject {
    Q_OBJECT
private slots:
    void descriptions_data();
    void descriptions();
    void pickedCodes_data();
    void pickedCodes();
};

void TestFuelRules::descriptions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("deletionRefused");
    QTest::addColumn<bool>("alreadyEntered");
    QTest::addColumn<bool>("genericWord");

    // The eight fuel names as stored, in other letter cases, and the accent-less spellings.
    QTest::newRow("Gasolina Superior") << "Gasolina Superior" << true << true << false;
    QTest::newRow("gasolina superior") << "gasolina superior" << true << true << false;
    QTest::newRow("Gasolina Regular") << "Gasolina Regular" << true << true << false;
    QTest::newRow("Gasolina de Aviación") << "Gasolina de Aviación" << true << true << false;
    QTest::newRow("gasolina de aviacion") << "gasolina de aviacion" << true << true << false;
    QTest::newRow("Diesel y gas oil") << "Diesel y gas oil" << true << true << false;
    QTest::newRow("Kerosina (DPK)") << "Kerosina (DPK)" << true << true << false;
    QTest::newRow("Kerosina motores reacción") << "Kerosina motores reacción" << true << true << false;
    QTest::newRow("KEROSINA MOTORES REACCION") << "KEROSINA MOTORES REACCION" << true << true << false;
    QTest::newRow("Nafta") << "Nafta" << true << true << false;
    QTest::newRow("nAfTa") << "nAfTa" << true << true << false;
    QTest::newRow("Gas licuado de petróleo") << "Gas licuado de petróleo" << true << true << false;
    QTest::newRow("gas licuado de petroleo") << "gas licuado de petroleo" << true << true << false;
    // Short forms: refused as new descriptions, not protected from deletion.
    QTest::newRow("gas superior") << "gas superior" << false << true << false;
    QTest::newRow("Gas Regular") << "Gas Regular" << false << true << false;
    QTest::newRow("gas de aviación") << "gas de aviación" << false << true << false;
    QTest::newRow("GAS DE AVIACION, without the accent") << "GAS DE AVIACION" << false << false << false;
    // Generic fuel words.
    QTest::newRow("Gas") << "Gas" << false << false << true;
    QTest::newRow("GASOLINA") << "GASOLINA" << false << false << true;
    QTest::newRow("diesel") << "diesel" << false << false << true;
    QTest::newRow("Gas Oil") << "Gas Oil" << false << false << true;
    QTest::newRow("petroleo") << "petroleo" << false << false << true;
    QTest::newRow("Petróleo") << "Petróleo" << false << false << true;
    QTest::newRow("combustible") << "combustible" << false << false << true;
    QTest::newRow("Carburante") << "Carburante" << false << false << true;
    QTest::newRow("bencina") << "bencina" << false << false << true;
    QTest::newRow("gas propano") << "gas propano" << false << false << true;
    QTest::newRow("Butano") << "Butano" << false << false << true;
    QTest::newRow("gas metano") << "gas metano" << false << false << true;
    // Texts are compared whole and untrimmed.
    QTest::newRow("leading blank") << " NAFTA" << false << false << false;
    QTest::newRow("trailing blank") << "Gasolina Superior " << false << false << false;
    QTest::newRow("blank after a word") << "GAS " << false << false << false;
    QTest::newRow("longer text") << "Gasolina para planta" << false << false << false;
    QTest::newRow("begins with a word") << "Diesel para generador" << false << false << false;
    QTest::newRow("ordinary") << "Libros" << false << false << false;
    QTest::newRow("empty") << "" << false << false << false;
}

void TestFuelRules::descriptions()
{
    QFETCH(QString, text);
    QFETCH(bool, deletionRefused);
    QFETCH(bool, alreadyEntered);
    QFETCH(bool, genericWord);
    QCOMPARE(fuel::deletionRefused(text), deletionRefused);
    QCOMPARE(fuel::alreadyEntered(text), alreadyEntered);
    QCOMPARE(fuel::genericFuelWord(text), genericWord);
}

void TestFuelRules::pickedCodes_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("refused");
    for (int code = 24; code <= 31; ++code)
        QTest::addRow("%d", code) << QString::number(code) << true;
    QTest::newRow("23") << "23" << false;
    QTest::newRow("32") << "32" << false;
    QTest::newRow("5") << "5" << false;
    QTest::newRow("leading zero") << "024" << false;
    QTest::newRow("empty") << "" << false;
}

void TestFuelRules::pickedCodes()
{
    QFETCH(QString, code);
    QFETCH(bool, refused);
    QCOMPARE(fuel::pickRefused(code), refused);
}

QTEST_MAIN(TestFuelRules)
#include "test_fuel_rules.moc"
