// Loading the current period into the shared state.
#include "core/biblio.h"
#include "support/support.h"

#include <QtTest>

class TestCargaPeriodo : public QObject {
    Q_OBJECT
private slots:
    void loads_data();
    void loads();
    void missingDatabaseLoadsNothing();
    void nullValuesLeaveTheirVariable();
};

void TestCargaPeriodo::loads_data()
{
    QTest::addColumn<QString>("periodo");
    QTest::addColumn<int>("no");
    QTest::addColumn<QString>("del");
    QTest::addColumn<QString>("al");
    QTest::addColumn<double>("coeficiente");
    // Before each row the state holds period 2, so an unchanged state shows as period 2.
    QTest::newRow("known") << "3" << 3 << "01/07/2001" << "30/06/2002" << 0.107142;
    QTest::newRow("first") << "1" << 1 << "01/07/1999" << "30/06/2000" << 0.090909;
    QTest::newRow("blanks around") << " 28 " << 28 << "01/07/2026" << "30/06/2027" << 0.107142;
    QTest::newRow("unknown") << "99" << 2 << "01/07/2000" << "30/06/2001" << 0.090909;
    QTest::newRow("blank") << "" << 2 << "01/07/2000" << "30/06/2001" << 0.090909;
    QTest::newRow("not numeric") << "tres" << 2 << "01/07/2000" << "30/06/2001" << 0.090909;
    QTest::newRow("decimal") << "3.5" << 2 << "01/07/2000" << "30/06/2001" << 0.090909;
    QTest::newRow("injection") << "3) OR ([No] = 4" << 2 << "01/07/2000" << "30/06/2001" << 0.090909;
    QTest::newRow("negative") << "-3" << 2 << "01/07/2000" << "30/06/2001" << 0.090909;
    // The period number is a 16-bit whole number: the highest one loads, one past it leaves the
    // number as it was while the dates and the coefficient still load.
    QTest::newRow("highest number") << "32767" << 32767 << "01/07/2090" << "30/06/2091" << 0.125;
    QTest::newRow("past the highest number") << "32768" << 2 << "01/07/2091" << "30/06/2092" << 0.5;
}

void TestCargaPeriodo::loads()
{
    QFETCH(QString, periodo);
    QFETCH(int, no);
    QFETCH(QString, del);
    QFETCH(QString, al);
    QFETCH(double, coeficiente);
    support::TestDatabase t;
    t.exec(QStringLiteral("INSERT INTO Periodos (\"No\", Del, Al, Coeficiente) VALUES "
                          "(32767, 69580, 69944, 0.125), (32768, 69945, 70310, 0.5)"));
    Biblio::gBaseDatos = t.path();
    Biblio::gPeriodo = QStringLiteral("2");
    Biblio::CargaPeriodo();
    Biblio::gPeriodo = periodo;
    Biblio::CargaPeriodo();
    QCOMPARE(int(Biblio::gPeriodoNo), no);
    QCOMPARE(Biblio::gPeriodoDel, del);
    QCOMPARE(Biblio::gPeriodoAl, al);
    QCOMPARE(Biblio::gCoeficiente, coeficiente);
}

void TestCargaPeriodo::missingDatabaseLoadsNothing()
{
    Biblio::gPeriodoNo = 7;
    Biblio::gPeriodoDel = QStringLiteral("x");
    Biblio::gBaseDatos = QStringLiteral("/no/existe/eko.mdb");
    Biblio::gPeriodo = QStringLiteral("3");
    Biblio::CargaPeriodo();
    QCOMPARE(int(Biblio::gPeriodoNo), 7);
    QCOMPARE(Biblio::gPeriodoDel, QStringLiteral("x"));
}

void TestCargaPeriodo::nullValuesLeaveTheirVariable()
{
    support::TestDatabase t;
    t.exec(QStringLiteral("UPDATE Periodos SET Del = NULL, Coeficiente = NULL WHERE \"No\" = 5"));
    Biblio::gBaseDatos = t.path();
    Biblio::gPeriodo = QStringLiteral("3");
    Biblio::CargaPeriodo();
    Biblio::gPeriodo = QStringLiteral("5");
    Biblio::CargaPeriodo();
    QCOMPARE(int(Biblio::gPeriodoNo), 5);
    QCOMPARE(Biblio::gPeriodoAl, QStringLiteral("30/06/2004"));
    QCOMPARE(Biblio::gPeriodoDel, QStringLiteral("01/07/2001"));
    QCOMPARE(Biblio::gCoeficiente, 0.107142);
}

QTEST_GUILESS_MAIN(TestCargaPeriodo)
#include "test_carga_periodo.moc"
