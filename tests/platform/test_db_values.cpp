// What the database layer stores for the values handed to it: dates as day serials whatever their
// form, refusals of values no column can hold, and the errors a refused write reports.
#include "platform/basic/basic.h"
#include "platform/db/database.h"
#include "support/support.h"

#include <QFile>
#include <QtTest>
#include <cmath>
#include <limits>
#include <sqlite3.h>

using namespace db;

namespace {
const QString kConnect = QStringLiteral(";pwd=MIRVOSK");

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

// One row of a query run straight on the file, bypassing the layer: what is really stored.
QVariantList rawRow(const QString& path, const QString& sql)
{
    sqlite3* h = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    QVariantList row;
    if (sqlite3_prepare_v2(h, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) {
        for (int i = 0; i < sqlite3_column_count(st); ++i) {
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_INTEGER: row << qlonglong(sqlite3_column_int64(st, i)); break;
            case SQLITE_FLOAT: row << sqlite3_column_double(st, i); break;
            case SQLITE_NULL: row << QVariant(); break;
            default: row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                                              sqlite3_column_bytes(st, i));
            }
        }
    }
    sqlite3_finalize(st);
    sqlite3_close_v2(h);
    return row;
}

qlonglong rawCount(const QString& path, const QString& table)
{
    return rawRow(path, QStringLiteral("SELECT count(*) FROM %1").arg(table)).value(0).toLongLong();
}
} // namespace

class TestDbValues : public QObject {
    Q_OBJECT
private slots:
    void init() { setLockTimeout(100); }

    void datesStoredAsDaySerials_data();
    void datesStoredAsDaySerials();
    void impossibleValuesRefused_data();
    void impossibleValuesRefused();
    void editedDateStaysASerial();
};

void TestDbValues::datesStoredAsDaySerials_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("type");
    QTest::addColumn<double>("serial");
    QTest::newRow("text dd/MM/yyyy") << QVariant(QStringLiteral("15/07/2001")) << "integer" << 37087.0;
    QTest::newRow("QDate") << QVariant(QDate(2001, 7, 15)) << "integer" << 37087.0;
    QTest::newRow("whole number") << QVariant(37087) << "integer" << 37087.0;
    QTest::newRow("double") << QVariant(37087.0) << "integer" << 37087.0;
    QTest::newRow("numeric text") << QVariant(QStringLiteral("37087")) << "integer" << 37087.0;
    QTest::newRow("QDateTime at noon") << QVariant(QDateTime(QDate(2001, 7, 15), QTime(12, 0))) << "real" << 37087.5;
    QTest::newRow("last day 9999") << QVariant(QDate(9999, 12, 31)) << "integer" << 2958465.0;
    QTest::newRow("first day 0100") << QVariant(QDate(100, 1, 1)) << "integer" << -657434.0;
}

void TestDbValues::datesStoredAsDaySerials()
{
    QFETCH(QVariant, value);
    QFETCH(QString, type);
    QFETCH(double, serial);
    support::TestDatabase t;
    {
        Database d = Database::open(t.path(), kConnect);
        Recordset rs = d.openRecordset(QStringLiteral("SELECT * FROM Planilla_Det WHERE Enc = 1"));
        rs.addNew();
        rs.setField(QStringLiteral("Enc"), 1);
        rs.setField(QStringLiteral("Fecha"), value);
        rs.update();
        // The query of a period compares day numbers: the row must be found by them.
        Recordset found = d.openRecordset(QStringLiteral("SELECT Fecha FROM Planilla_Det WHERE Fecha = %1")
                                              .arg(basic::numberToText(serial)));
        QCOMPARE(found.recordCount(), 1);
        d.close();
    }
    const QVariantList raw = rawRow(t.path(), QStringLiteral("SELECT typeof(Fecha), Fecha FROM Planilla_Det"));
    QCOMPARE(raw.value(0).toString(), type);
    QCOMPARE(raw.value(1).toDouble(), serial);
}

void TestDbValues::impossibleValuesRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("number");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("year 10000") << "Fecha" << QVariant(QDate(10000, 1, 1)) << 3421;
    QTest::newRow("serial past 9999") << "Fecha" << QVariant(2958466) << 3421;
    QTest::newRow("serial before 0100") << "Fecha" << QVariant(-657435.0) << 3421;
    QTest::newRow("1e300") << "Fecha" << QVariant(1e300) << 3421;
    QTest::newRow("NaN date") << "Fecha" << QVariant(nan) << 3421;
    QTest::newRow("infinite date") << "Fecha" << QVariant(inf) << 3421;
    QTest::newRow("date text 1e300") << "Fecha" << QVariant(QStringLiteral("1e300")) << 3421;
    QTest::newRow("no date") << "Fecha" << QVariant(QStringLiteral("mañana")) << 3421;
    QTest::newRow("NaN amount") << "Monto" << QVariant(nan) << 3421;
    QTest::newRow("infinite amount") << "Monto" << QVariant(-inf) << 3421;
    QTest::newRow("NaN number") << "Gasto" << QVariant(nan) << 3421;
    QTest::newRow("NUL hides a long text") << "NoDoc"
                                           << QVariant(QStringLiteral("A") + QChar(0) + QString(200, QLatin1Char('x')))
                                           << 3163;
    QTest::newRow("NUL in a short text") << "Serie" << QVariant(QStringLiteral("A") + QChar(0) + QStringLiteral("B")) << 3163;
}

// Refused at once, whether assigned to a new row or to an edited one, and nothing reaches the file.
void TestDbValues::impossibleValuesRefused()
{
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(int, number);
    support::TestDatabase t;
    t.exec(QStringLiteral("INSERT INTO Planilla_Det (Enc, NoDoc, Fecha, Monto) VALUES (1, 'uno', 37087, 5)"));
    const QVariantList before = rawRow(t.path(), QStringLiteral("SELECT * FROM Planilla_Det"));
    {
        Database d = Database::open(t.path(), kConnect);
        Recordset rs = d.openRecordset(QStringLiteral("Planilla_Det"));
        rs.addNew();
        rs.setField(QStringLiteral("Enc"), 2);
        QCOMPARE(errorOf([&] { rs.setField(field, value); }), number);
        rs.cancelUpdate();
        rs.moveFirst();
        rs.edit();
        QCOMPARE(errorOf([&] { rs.setField(field, value); }), number);
        rs.update();
        d.close();
    }
    QCOMPARE(rawCount(t.path(), QStringLiteral("Planilla_Det")), 1);
    QCOMPARE(rawRow(t.path(), QStringLiteral("SELECT * FROM Planilla_Det")), before);
}

void TestDbValues::editedDateStaysASerial()
{
    support::TestDatabase t;
    t.exec(QStringLiteral("INSERT INTO Planilla_Det (Enc, NoDoc, Fecha) VALUES (1, 'uno', 37087)"));
    Database d = Database::open(t.path(), kConnect);
    Recordset rs = d.openRecordset(QStringLiteral("SELECT Planilla_Det.* FROM Planilla_Det"));
    QCOMPARE(rs.field(QStringLiteral("Fecha")).toDate(), QDate(2001, 7, 15));
    rs.edit();
    rs.setField(QStringLiteral("NoDoc"), QStringLiteral("dos"));   // Fecha rides along unchanged
    rs.update();
    rs.edit();
    rs.setField(QStringLiteral("Fecha"), rs.field(QStringLiteral("Fecha")));   // the date read back, written again
    rs.update();
    d.close();
    const QVariantList raw = rawRow(t.path(), QStringLiteral("SELECT typeof(Fecha), Fecha, NoDoc FROM Planilla_Det"));
    QCOMPARE(raw, (QVariantList{QStringLiteral("integer"), qlonglong(37087), QStringLiteral("dos")}));
}

QTEST_GUILESS_MAIN(TestDbValues)
#include "test_db_values.moc"
