// Forcing the regional formats at start-up.
#include "core/biblio.h"
#include "platform/basic/basic.h"
#include "platform/system/regional.h"

#include <QSignalSpy>
#include <QtTest>

class TestRegional : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { sys::resetRegionalSettings(); }
    void shortDate_data();
    void shortDate();
    void numbers();
    void readsWholeValue();
};

void TestRegional::shortDate_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("month first") << "M/d/yyyy" << "dd/MM/yyyy";
    QTest::newRow("a for the year") << "dd/MM/aaaa" << "dd/MM/aaaa";
    QTest::newRow("no year") << "dd/MM" << "dd/MM/yyyy";
    QTest::newRow("last letter wins") << "yy/a/d" << "dd/MM/aaaa";
    QTest::newRow("upper case does not count") << "d.M.YYYY" << "dd/MM/yyyy";
}

void TestRegional::shortDate()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    sys::resetRegionalSettings({{sys::LOCALE_SSHORTDATE, before}});
    QSignalSpy spy(sys::RegionalSettings::instance(), &sys::RegionalSettings::settingsChanged);
    Biblio::ConfiguraFormatoFecha();
    QCOMPARE(Biblio::LeeConfiguracionRegional(sys::GetSystemDefaultLCID(), sys::LOCALE_SSHORTDATE), after);
    QCOMPARE(spy.count(), 1);
    // Dates then print with the day first and the month at characters 4 and 5.
    const QString text = basic::CStr(QDate(2002, 3, 5));
    QCOMPARE(text, QStringLiteral("05/03/2002"));
    QCOMPARE(text.mid(3, 2), QStringLiteral("03"));
}

void TestRegional::numbers()
{
    sys::resetRegionalSettings({{sys::LOCALE_SDECIMAL, QStringLiteral(",")},
                                {sys::LOCALE_STHOUSAND, QStringLiteral(".")},
                                {sys::LOCALE_SCURRENCY, QStringLiteral("$")}});
    QSignalSpy spy(sys::RegionalSettings::instance(), &sys::RegionalSettings::settingsChanged);
    Biblio::ConfiguraFormatoNumeros();
    QCOMPARE(spy.count(), 1);
    const int lcid = sys::GetSystemDefaultLCID();
    const QList<QPair<int, QString>> expected = {
        {sys::LOCALE_SCURRENCY, "Q"},  {sys::LOCALE_SMONDECIMALSEP, "."}, {sys::LOCALE_SMONTHOUSANDSEP, ","},
        {sys::LOCALE_SMONGROUPING, "3;0"}, {sys::LOCALE_SDECIMAL, "."},   {sys::LOCALE_STHOUSAND, ","},
        {sys::LOCALE_SGROUPING, "3;0"}};
    for (const auto& [type, value] : expected)
        QCOMPARE(Biblio::LeeConfiguracionRegional(lcid, type), value);
    QCOMPARE(basic::Format(1234567.5, QStringLiteral("Currency")), QStringLiteral("Q1,234,567.50"));
    QCOMPARE(basic::Format(1234567.5, QStringLiteral("###,###,##0.00")), QStringLiteral("1,234,567.50"));
}

void TestRegional::readsWholeValue()
{
    QCOMPARE(Biblio::LeeConfiguracionRegional(sys::GetSystemDefaultLCID(), sys::LOCALE_SCURRENCY), QStringLiteral("Q"));
    QCOMPARE(Biblio::LeeConfiguracionRegional(sys::GetSystemDefaultLCID(), 9999), QString());
}

QTEST_GUILESS_MAIN(TestRegional)
#include "test_regional.moc"
