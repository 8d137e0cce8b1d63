// Runtime semantics: number reading, date recognition, value texts, Format patterns, rounding
// and day serials, under the formats that start-up forces.
#include "platform/basic/basic.h"
#include "platform/system/clock.h"

#include <QtTest>

#include <functional>

using namespace basic;

namespace {
// The error number a call throws, or 0 when it returns.
int errorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

QVariant typedNull() { return QVariant(QMetaType::fromType<double>()); }
} // namespace

class TestBasic : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void val_data();
    void val();
    void valOverflow();

    void numericText_data();
    void numericText();
    void numericValues();

    void dateText_data();
    void dateText();
    void dateWithTime_data();
    void dateWithTime();
    void dateValues();
    void regionalDateOrder();

    void cstr_data();
    void cstr();

    void format_data();
    void format();

    void round_data();
    void round();

    void serials_data();
    void serials();
    void serialTimes_data();
    void serialTimes();
};

void TestBasic::init()
{
    regional() = RegionalFormats();
    sys::setFixedNow(QDateTime(QDate(2009, 6, 15), QTime(10, 0)));
}

void TestBasic::cleanup()
{
    regional() = RegionalFormats();
    sys::setFixedNow(QDateTime());
}

// ---------------------------------------------------------------------------------------------

void TestBasic::val_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("integer") << "123" << 123.0;
    QTest::newRow("blanks inside") << "1 2 3" << 123.0;
    QTest::newRow("tabs and line feeds") << " \t-12.5\n" << -12.5;
    QTest::newRow("blank after sign") << "- 4" << -4.0;
    QTest::newRow("plus sign") << "+7" << 7.0;
    QTest::newRow("stops at letter") << "12abc" << 12.0;
    QTest::newRow("negative decimal then letters") << "-3.5abc" << -3.5;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("comma ends the number") << "12,5" << 12.0;
    QTest::newRow("thousands separator ends it") << "1,234.50" << 1.0;
    QTest::newRow("second point ends it") << "1.2.3" << 1.2;
    QTest::newRow("exponent e") << "1e3" << 1000.0;
    QTest::newRow("exponent d") << "1d3" << 1000.0;
    QTest::newRow("negative exponent then text") << "1.5E-2x" << 0.015;
    QTest::newRow("exponent without digits") << "1e" << 1.0;
    QTest::newRow("exponent sign without digits") << "1e+" << 1.0;
    QTest::newRow("carriage return ends it") << "12\r5" << 12.0;
    QTest::newRow("hex") << "&H1F" << 31.0;
    QTest::newRow("hex lower case with blank") << "&h ff" << 255.0;
    QTest::newRow("hex 16-bit wraps") << "&HFFFF" << -1.0;
    QTest::newRow("hex above 16 bits") << "&H10000" << 65536.0;
    QTest::newRow("hex stops at non-digit") << "&H1G" << 1.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("ampersand alone") << "&" << 0.0;
    QTest::newRow("ampersand other letter") << "&X12" << 0.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("double sign") << "--5" << 0.0;
    QTest::newRow("point alone") << "." << 0.0;
    QTest::newRow("currency sign") << "Q5" << 0.0;
    QTest::newRow("zeros") << "000" << 0.0;
    QTest::newRow("too small is zero") << "1e-400" << 0.0;
}

void TestBasic::val()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(Val(text), expected);
}

void TestBasic::valOverflow()
{
    QCOMPARE(errorOf([] { Val(QStringLiteral("1e400")); }), 6);
    QCOMPARE(errorOf([] { Val(QStringLiteral("&H123456789")); }), 6);
}

// ---------------------------------------------------------------------------------------------

void TestBasic::numericText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<double>("value");
    QTest::newRow("integer") << "12" << true << 12.0;
    QTest::newRow("zero") << "0" << true << 0.0;
    QTest::newRow("blanks around") << "  12 \t" << true << 12.0;
    QTest::newRow("negative decimal") << "-12.5" << true << -12.5;
    QTest::newRow("plus sign") << "+3" << true << 3.0;
    QTest::newRow("thousands") << "1,234.50" << true << 1234.5;
    QTest::newRow("thousands loosely placed") << "12,5" << true << 125.0;
    QTest::newRow("currency") << "Q1,234.50" << true << 1234.5;
    QTest::newRow("currency blank") << "Q 5" << true << 5.0;
    QTest::newRow("sign before currency") << "-Q5" << true << -5.0;
    QTest::newRow("parentheses") << "(12)" << true << -12.0;
    QTest::newRow("exponent") << "1e3" << true << 1000.0;
    QTest::newRow("negative exponent") << "1.5E-2" << true << 0.015;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("trailing point") << "5." << true << 5.0;
    QTest::newRow("hex") << "&H1F" << true << 31.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blanks") << "   " << false << 0.0;
    QTest::newRow("trailing letters") << "12abc" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("leading comma") << ",5" << false << 0.0;
    QTest::newRow("trailing comma") << "5," << false << 0.0;
    QTest::newRow("comma after point") << "1.2,3" << false << 0.0;
    QTest::newRow("point alone") << "." << false << 0.0;
    QTest::newRow("sign alone") << "-" << false << 0.0;
    QTest::newRow("currency alone") << "Q" << false << 0.0;
    QTest::newRow("exponent without digits") << "1e" << false << 0.0;
    QTest::newRow("open parenthesis") << "(12" << false << 0.0;
    QTest::newRow("blank between digits") << "1 2" << false << 0.0;
    QTest::newRow("letter K") << "K" << false << 0.0;
    QTest::newRow("date") << "05/03/2002" << false << 0.0;
    QTest::newRow("too large") << "1e400" << false << 0.0;
    QTest::newRow("too small is zero") << "1e-400" << true << 0.0;
}

void TestBasic::numericText()
{
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QFETCH(double, value);
    QCOMPARE(IsNumeric(text), numeric);
    if (numeric)
        QCOMPARE(CDbl(text), value);
    else
        QCOMPARE(errorOf([&] { CDbl(text); }), 13);
}

void TestBasic::numericValues()
{
    QVERIFY(IsNumeric(5));
    QVERIFY(IsNumeric(2.5));
    QVERIFY(IsNumeric(true));
    QVERIFY(!IsNumeric(QVariant()));
    QVERIFY(!IsNumeric(typedNull()));
    QVERIFY(!IsNumeric(QDate(2001, 7, 1)));

    QCOMPARE(CDbl(true), -1.0);
    QCOMPARE(CDbl(false), 0.0);
    QCOMPARE(CDbl(QDate(2001, 7, 1)), 37073.0);
    QCOMPARE(CDbl(QDateTime(QDate(2001, 7, 1), QTime(18, 0))), 37073.75);
    QCOMPARE(errorOf([] { CDbl(QVariant()); }), 94);
    QCOMPARE(errorOf([] { CDbl(typedNull()); }), 94);
}

// ---------------------------------------------------------------------------------------------

void TestBasic::dateText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("expected"); // invalid when the text is no date
    QTest::newRow("end of year") << "31/12/2001" << QDate(2001, 12, 31);
    QTest::newRow("example of the prompt") << "12/09/1999" << QDate(1999, 9, 12);
    QTest::newRow("short parts") << "5/3/02" << QDate(2002, 3, 5);
    QTest::newRow("hyphens") << "05-03-2002" << QDate(2002, 3, 5);
    QTest::newRow("points") << "05.03.2002" << QDate(2002, 3, 5);
    QTest::newRow("blanks around") << "  05/03/2002 " << QDate(2002, 3, 5);
    QTest::newRow("year 29 is 2029") << "5/3/29" << QDate(2029, 3, 5);
    QTest::newRow("year 30 is 1930") << "5/3/30" << QDate(1930, 3, 5);
    QTest::newRow("leap day") << "29/02/2000" << QDate(2000, 2, 29);
    QTest::newRow("day and month take this year") << "5/3" << QDate(2009, 3, 5);
    QTest::newRow("year first") << "2002/03/05" << QDate(2002, 3, 5);
    QTest::newRow("february 31") << "31/02/2001" << QDate();
    QTest::newRow("no leap day in 1900") << "29/02/1900" << QDate();
    QTest::newRow("day 32") << "32/01/2001" << QDate();
    QTest::newRow("month 13") << "1/13/2001" << QDate();
    QTest::newRow("empty mask") << "__/__/____" << QDate();
    QTest::newRow("blank mask") << "  /  /    " << QDate();
    QTest::newRow("half filled mask") << "05/03/____" << QDate();
    QTest::newRow("empty") << "" << QDate();
    QTest::newRow("words") << "hoy" << QDate();
    QTest::newRow("trailing letter") << "05/03/2002x" << QDate();
    QTest::newRow("number") << "37073" << QDate();
}

void TestBasic::dateText()
{
    QFETCH(QString, text);
    QFETCH(QDate, expected);
    QCOMPARE(IsDate(text), expected.isValid());
    if (expected.isValid()) {
        const QVariant date = CDate(text);
        QCOMPARE(date.metaType().id(), int(QMetaType::QDate));
        QCOMPARE(date.toDate(), expected);
    } else if (!IsNumeric(text)) {
        QCOMPARE(errorOf([&] { CDate(text); }), 13);
    }
}

void TestBasic::dateWithTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected");
    QTest::newRow("seconds") << "05/03/2002 10:30:15" << QDateTime(QDate(2002, 3, 5), QTime(10, 30, 15));
    QTest::newRow("minutes") << "05/03/2002 14:05" << QDateTime(QDate(2002, 3, 5), QTime(14, 5));
    QTest::newRow("pm") << "05/03/2002 2:05 PM" << QDateTime(QDate(2002, 3, 5), QTime(14, 5));
    QTest::newRow("midnight am") << "05/03/2002 12:00 a.m." << QDateTime(QDate(2002, 3, 5), QTime(0, 0));
    QTest::newRow("hour 25") << "05/03/2002 25:00" << QDateTime();
    QTest::newRow("minute 60") << "05/03/2002 10:60" << QDateTime();
}

void TestBasic::dateWithTime()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);
    QCOMPARE(IsDate(text), expected.isValid());
    if (expected.isValid())
        QCOMPARE(CDate(text).toDateTime(), expected);
}

void TestBasic::dateValues()
{
    QVERIFY(IsDate(QDate(2002, 3, 5)));
    QVERIFY(IsDate(QDateTime(QDate(2002, 3, 5), QTime(10, 0))));
    QVERIFY(!IsDate(QDate()));
    QVERIFY(!IsDate(37073));
    QVERIFY(!IsDate(QVariant()));

    QCOMPARE(CDate(37073), QVariant(QDate(2001, 7, 1)));
    QCOMPARE(CDate(37073.5), QVariant(QDateTime(QDate(2001, 7, 1), QTime(12, 0))));
    QCOMPARE(CDate(QStringLiteral("37073")), QVariant(QDate(2001, 7, 1)));
    QCOMPARE(CDate(QDate(2002, 3, 5)), QVariant(QDate(2002, 3, 5)));
    QCOMPARE(errorOf([] { CDate(QVariant()); }), 94);
    QCOMPARE(errorOf([] { CDate(1e9); }), 6);
}

void TestBasic::regionalDateOrder()
{
    // The year letter of a Spanish desktop is "a" (año); it still means the year.
    regional().shortDate = QStringLiteral("dd/MM/aaaa");
    QCOMPARE(dateToText(QDate(2002, 3, 5)), QStringLiteral("05/03/2002"));
    QCOMPARE(CStr(QDate(2002, 3, 5)), QStringLiteral("05/03/2002"));
    QCOMPARE(Format(QDate(2002, 3, 5), QStringLiteral("Short Date")), QStringLiteral("05/03/2002"));
    QCOMPARE(CDate(QStringLiteral("05/03/2002")).toDate(), QDate(2002, 3, 5));

    // Another order is read and written in that order.
    regional().shortDate = QStringLiteral("M/d/yyyy");
    QCOMPARE(dateToText(QDate(2002, 3, 5)), QStringLiteral("3/5/2002"));
    QCOMPARE(CDate(QStringLiteral("3/5/2002")).toDate(), QDate(2002, 3, 5));
    QVERIFY(!IsDate(QStringLiteral("31/12/2001")));
}

// ---------------------------------------------------------------------------------------------

void TestBasic::cstr_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("binary sum") << QVariant(0.1 + 0.2) << "0.3";
    QTest::newRow("fifteen digits") << QVariant(83.32499999999999) << "83.325";
    QTest::newRow("one third") << QVariant(1.0 / 3) << "0.333333333333333";
    QTest::newRow("two thirds") << QVariant(2.0 / 3) << "0.666666666666667";
    QTest::newRow("half") << QVariant(0.5) << "0.5";
    QTest::newRow("negative") << QVariant(-2.5) << "-2.5";
    QTest::newRow("whole double") << QVariant(100.0) << "100";
    QTest::newRow("negative whole") << QVariant(-3.0) << "-3";
    QTest::newRow("negative zero") << QVariant(-0.0) << "0";
    QTest::newRow("largest plain") << QVariant(123456789012345.0) << "123456789012345";
    QTest::newRow("1E+15") << QVariant(1e15) << "1E+15";
    QTest::newRow("1E+16") << QVariant(1e16) << "1E+16";
    QTest::newRow("sixteen digits") << QVariant(1234567890123456.0) << "1.23456789012346E+15";
    QTest::newRow("1E+100") << QVariant(1e100) << "1E+100";
    QTest::newRow("smallest plain") << QVariant(0.0001) << "0.0001";
    QTest::newRow("small plain") << QVariant(0.000123) << "0.000123";
    QTest::newRow("1E-05") << QVariant(0.00001) << "1E-05";
    QTest::newRow("small negative") << QVariant(-1.5e-7) << "-1.5E-07";
    QTest::newRow("int") << QVariant(42) << "42";
    QTest::newRow("long long") << QVariant(qlonglong(1234567890123)) << "1234567890123";
    QTest::newRow("single") << QVariant(0.1f) << "0.1";
    QTest::newRow("true") << QVariant(true) << "True";
    QTest::newRow("false") << QVariant(false) << "False";
    QTest::newRow("null") << QVariant() << "";
    QTest::newRow("typed null") << typedNull() << "";
    QTest::newRow("text") << QVariant(QStringLiteral("abc")) << "abc";
    QTest::newRow("date") << QVariant(QDate(2002, 3, 5)) << "05/03/2002";
    QTest::newRow("date and time") << QVariant(QDateTime(QDate(2002, 3, 5), QTime(14, 5, 9))) << "05/03/2002 14:05:09";
    QTest::newRow("date at midnight") << QVariant(QDateTime(QDate(2002, 3, 5), QTime(0, 0))) << "05/03/2002";
}

void TestBasic::cstr()
{
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    QCOMPARE(CStr(value), expected);
    if (value.metaType().id() == QMetaType::Double && !value.isNull())
        QCOMPARE(numberToText(value.toDouble()), expected);
}

// ---------------------------------------------------------------------------------------------

void TestBasic::format_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");
    const QDate march5(2002, 3, 5);
    auto row = [](const char* name, const QVariant& value, const char* pattern, const char* expected) {
        QTest::newRow(name) << value << QString::fromUtf8(pattern) << QString::fromUtf8(expected);
    };

    // Amounts with grouping.
    row("amount", 1234567.891, "###,###,##0.00", "1,234,567.89");
    row("amount zero", 0, "###,###,##0.00", "0.00");
    row("amount half", 0.5, "###,###,##0.00", "0.50");
    row("amount negative", -1234.5, "###,###,##0.00", "-1,234.50");
    row("amount 2.675", 2.675, "###,###,##0.00", "2.68");
    row("amount 83.32499999999999", 83.32499999999999, "###,###,##0.00", "83.33");
    row("amount 1.005", 1.005, "###,###,##0.00", "1.01");
    row("amount carries into a new group", 999.995, "###,###,##0.00", "1,000.00");
    row("amount wider than the pattern", 123456789012.345, "###,###,##0.00", "123,456,789,012.35");
    row("amount text", QStringLiteral("1,234.5"), "###,###,##0.00", "1,234.50");
    row("amount text without leading zero", QStringLiteral(".50"), "###,###,##0.00", "0.50");
    row("amount of words", QStringLiteral("abc"), "###,###,##0.00", "abc");
    row("amount of empty text", QStringLiteral(""), "###,###,##0.00", "");
    row("amount of null", QVariant(), "###,###,##0.00", "");
    row("wide amount", 1234567890123.456, "###,###,###,###,##0.00", "1,234,567,890,123.46");
    row("box amount", 12345678.9, "##,###,##0.00", "12,345,678.90");
    row("box amount small", 1234.5, "##,###,##0.00", "1,234.50");
    row("negative rounding to zero", -0.001, "##,###,##0.00", "0.00");
    row("short grouping", 1234.5, "#,##0.00", "1,234.50");
    row("four decimals half", 0.5, "###,###,##0.0000", "0.5000");
    row("four decimals", 1234.5, "###,###,##0.0000", "1,234.5000");
    row("four decimals zero", 0, "###,###,##0.0000", "0.0000");
    row("grouping without decimals", 1234567, "#,##0", "1,234,567");
    row("grouping with zeros", 12, "000,000", "000,012");

    // Decimals without an integer placeholder.
    row(".00 half", 0.5, ".00", ".50");
    row(".00 zero", 0, ".00", ".00");
    row(".00 zero text", QStringLiteral("0"), ".00", ".00");
    row(".00 whole part", 12.5, ".00", "12.50");
    row(".00 no grouping", 1234.5, ".00", "1234.50");
    row(".00 2.675", 2.675, ".00", "2.68");
    row(".00 0.125", 0.125, ".00", ".13");
    row(".00 credit", 167.14199, ".00", "167.14");
    row(".00 negative", -0.5, ".00", "-.50");
    row(".0000", 0.12345, ".0000", ".1235");
    row(".0000 rounds up to a unit", 0.00005, ".0000", ".0001");
    row(".0000 whole part", 1234.5, ".0000", "1234.5000");

    // Integer digits.
    row("0 half down", -2.5, "0", "-3");
    row("0 half up", 2.5, "0", "3");
    row("0 small negative", -0.4, "0", "0");
    row("0.00", 0.5, "0.00", "0.50");
    row("0.00 negative", -2.5, "0.00", "-2.50");
    row("0.0000", 1.23456, "0.0000", "1.2346");
    row("00", 7, "00", "07");
    row("00 wider", 123, "00", "123");
    row("00 text", QStringLiteral("5"), "00", "05");
    row("00 text with zero", QStringLiteral("05"), "00", "05");
    row("00 of words", QStringLiteral("ab"), "00", "ab");
    row("000", 7, "000", "007");
    row("0000", 12, "0000", "0012");
    row("0000 year text", QStringLiteral("2002"), "0000", "2002");
    row("twelve digits", 123, "000000000000", "000000000123");
    row("file amount", 1234.5, "#######0.00", "1234.50");
    row("file amount zero", 0, "#######0.00", "0.00");
    row("file amount rounding", 12345678.125, "#######0.00", "12345678.13");
    row("optional decimals keep the point", 5, "#.##", "5.");
    row("optional digits", 0.5, "#.##", ".5");
    row("one optional decimal kept", 1.25, "0.0#", "1.25");
    row("one optional decimal dropped", 1.5, "0.0#", "1.5");
    row("literal between digits", 1234, "00-00", "12-34");
    row("scaling comma", 1234567, "#,##0,", "1,235");
    row("percent", 0.125, "0.00%", "12.50%");
    row("scientific", 1234.5, "0.00E+00", "1.23E+03");
    row("scientific small", 0.000123, "0.00E+00", "1.23E-04");
    row("scientific zero", 0, "0.00E+00", "0.00E+00");
    row("scientific negative", -1234.5, "0.00E-00", "-1.23E03");
    row("minus before the digits", -5, "\"Q\"0.00", "Q-5.00");
    row("boolean", true, "0", "-1");
    row("date as number", QDate(2001, 7, 1), "0", "37073");

    // Sections.
    row("negative section", -5, "0.00;(0.00)", "(5.00)");
    row("positive with negative section", 5, "0.00;(0.00)", "5.00");
    row("zero section", 0, "0;-0;\"cero\"", "cero");
    row("zero section after rounding", 0.2, "0;-0;\"cero\"", "cero");
    row("box display", 1234.5, "\"Q. \"#,##0.00;(\"Q. \"#,##0.00)", "Q. 1,234.50");
    row("box display negative", -1234.5, "\"Q. \"#,##0.00;(\"Q. \"#,##0.00)", "(Q. 1,234.50)");

    // Named formats.
    row("currency", 1234567.5, "Currency", "Q1,234,567.50");
    row("currency small", 5, "Currency", "Q5.00");
    row("currency negative", -5, "Currency", "-Q5.00");
    row("standard", 1234567.5, "Standard", "1,234,567.50");
    row("fixed", 1234567.5, "Fixed", "1234567.50");
    row("general number", 1234567.5, "General Number", "1234567.5");
    row("percent named", 0.5, "Percent", "50.00%");
    row("short date", march5, "Short Date", "05/03/2002");
    row("short date of a serial", 37073, "Short Date", "01/07/2001");
    row("short date of a text", QStringLiteral("5/3/02"), "short date", "05/03/2002");

    // Dates.
    row("date", march5, "dd/mm/yyyy", "05/03/2002");
    row("date upper case", march5, "DD/MM/YYYY", "05/03/2002");
    row("date with time", QDateTime(march5, QTime(10, 30)), "dd/mm/yyyy", "05/03/2002");
    row("date text short", QStringLiteral("5/3/02"), "dd/mm/yyyy", "05/03/2002");
    row("date text hyphens", QStringLiteral("05-03-2002"), "dd/mm/yyyy", "05/03/2002");
    row("date text with time", QStringLiteral("05/03/2002 10:30"), "dd/mm/yyyy", "05/03/2002");
    row("date of a serial", 37073, "dd/mm/yyyy", "01/07/2001");
    row("date of a numeric text", QStringLiteral("37073"), "dd/mm/yyyy", "01/07/2001");
    row("date of an impossible date", QStringLiteral("31/02/2001"), "dd/mm/yyyy", "31/02/2001");
    row("date of the empty mask", QStringLiteral("__/__/____"), "dd/mm/yyyy", "__/__/____");
    row("date of words", QStringLiteral("hoy"), "dd/mm/yyyy", "hoy");
    row("date of empty text", QStringLiteral(""), "dd/mm/yyyy", "");
    row("date of a serial out of range", 1e9, "dd/mm/yyyy", "1000000000");
    row("ddmmyyyy", march5, "ddmmyyyy", "05032002");
    row("yyyymmdd", march5, "yyyymmdd", "20020305");
    row("dd", march5, "dd", "05");
    row("mm", march5, "mm", "03");
    row("yyyy", march5, "yyyy", "2002");
    row("yy", march5, "yy", "02");
    row("d", march5, "d", "5");
    row("m", march5, "m", "3");
    row("d/m/yy", march5, "d/m/yy", "5/3/02");
    row("month name", march5, "mmmm", "marzo");
    row("short month name", QDate(2002, 9, 5), "mmm", "sept");
    row("day names", march5, "ddd dddd", "mar martes");
    row("accented day names", QDate(2002, 3, 6), "ddd dddd", "mié miércoles");
    row("long date", QDate(2002, 3, 9), "dddddd", "sábado, 9 de marzo de 2002");
    row("time", QDateTime(march5, QTime(14, 5, 9)), "hh:mm:ss", "14:05:09");
    row("time twelve hours", QDateTime(march5, QTime(14, 5)), "h:nn AM/PM", "2:05 PM");

    // Text placeholders fill from the right.
    row("&& two digits", QStringLiteral("05"), "&&", "05");
    row("&& one character", QStringLiteral("5"), "&&", "5");
    row("&& more characters", QStringLiteral("123"), "&&", "123");
    row("&& empty", QStringLiteral(""), "&&", "");
    row("&& number", 5, "&&", "5");
    row("&&&& year", QStringLiteral("2002"), "&&&&", "2002");
    row("& one", QStringLiteral("7"), "&", "7");
    row("@@ pads with blanks", QStringLiteral("5"), "@@", " 5");
    row("@@@@ pads left", QStringLiteral("ab"), "@@@@", "  ab");
    row("! fills from the left", QStringLiteral("ab"), "!@@@", "ab ");
    row("@ literal in place", QStringLiteral("1234"), "@@-@@", "12-34");
    row("@ literal short text", QStringLiteral("123"), "@@-@@", " 1-23");
    row("& literal short text", QStringLiteral("123"), "&&-&&", "1-23");
    row("> upper case", QStringLiteral("abc"), ">&&&", "ABC");

    // No pattern.
    row("no pattern number", 0.1 + 0.2, "", "0.3");
    row("no pattern date", march5, "", "05/03/2002");
}

void TestBasic::format()
{
    QFETCH(QVariant, value);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(Format(value, pattern), expected);
}

// ---------------------------------------------------------------------------------------------

void TestBasic::round_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("expected"); // the text of the result
    QTest::newRow("2.675") << 2.675 << 2 << "2.68";
    QTest::newRow("1.005") << 1.005 << 2 << "1.01";
    QTest::newRow("-1.005") << -1.005 << 2 << "-1.01";
    QTest::newRow("0.285") << 0.285 << 2 << "0.29";
    QTest::newRow("0.125") << 0.125 << 2 << "0.13";
    QTest::newRow("83.32499999999999") << 83.32499999999999 << 2 << "83.33";
    QTest::newRow("half up") << 2.5 << 0 << "3";
    QTest::newRow("half away from zero") << -2.5 << 0 << "-3";
    QTest::newRow("below half") << 167.14199 << 2 << "167.14";
    QTest::newRow("three decimals") << 1.2345 << 3 << "1.235";
    QTest::newRow("four decimals") << 0.00005 << 4 << "0.0001";
    QTest::newRow("to zero") << -0.004 << 2 << "0";
    QTest::newRow("zero") << 0.0 << 2 << "0";
    QTest::newRow("large") << 123456789012.345 << 2 << "123456789012.35";
}

void TestBasic::round()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, expected);
    QCOMPARE(numberToText(Round(value, decimals)), expected);
    QCOMPARE(Round(value, decimals), expected.toDouble());
    QCOMPARE(errorOf([&] { Round(value, -1); }), 5);
}

// ---------------------------------------------------------------------------------------------

void TestBasic::serials_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<double>("serial");
    QTest::newRow("base") << QDate(1899, 12, 30) << 0.0;
    QTest::newRow("day one") << QDate(1899, 12, 31) << 1.0;
    QTest::newRow("before the base") << QDate(1899, 12, 29) << -1.0;
    QTest::newRow("1900") << QDate(1900, 1, 1) << 2.0;
    QTest::newRow("first of July 2001") << QDate(2001, 7, 1) << 37073.0;
    QTest::newRow("end of July 2001") << QDate(2001, 7, 31) << 37103.0;
    QTest::newRow("5 March 2002") << QDate(2002, 3, 5) << 37320.0;
    QTest::newRow("last date") << QDate(9999, 12, 31) << 2958465.0;
}

void TestBasic::serials()
{
    QFETCH(QDate, date);
    QFETCH(double, serial);
    QCOMPARE(dateToSerial(date), serial);
    QCOMPARE(serialToDate(serial), date);
    QCOMPARE(dateTimeToSerial(QDateTime(date, QTime(0, 0))), serial);
    QCOMPARE(serialToDateTime(serial), QDateTime(date, QTime(0, 0)));
    // The text of a date, read back, is the same serial.
    QCOMPARE(CDbl(CDate(dateToText(date))), serial);
}

void TestBasic::serialTimes_data()
{
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<double>("serial");
    QTest::newRow("noon") << QDateTime(QDate(2001, 7, 1), QTime(12, 0)) << 37073.5;
    QTest::newRow("six") << QDateTime(QDate(2001, 7, 1), QTime(6, 0)) << 37073.25;
    QTest::newRow("eighteen") << QDateTime(QDate(2001, 7, 1), QTime(18, 0)) << 37073.75;
    QTest::newRow("before the base") << QDateTime(QDate(1899, 12, 29), QTime(6, 0)) << -1.25;
    QTest::newRow("last second") << QDateTime(QDate(2001, 7, 1), QTime(23, 59, 59)) << 37073 + 86399.0 / 86400;
}

void TestBasic::serialTimes()
{
    QFETCH(QDateTime, moment);
    QFETCH(double, serial);
    QCOMPARE(dateTimeToSerial(moment), serial);
    QCOMPARE(serialToDateTime(serial), moment);
    QCOMPARE(serialToDate(serial), moment.date());
}

QTEST_GUILESS_MAIN(TestBasic)
#include "test_basic.moc"
