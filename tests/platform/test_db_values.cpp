// What the database layer stores for the values handed to it: dates as day serials whatever their
// form, refusals of values no column can hold, and the errors a refused write reports.
#include "platform/basic/basic.h"
#include "platform/db/database.h"
#include "support/support.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <cmath>
#include <limits>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace db;

namespace {
const QString kConnect = QStringLiteral(";pwd=MIRVOSK");

using support::dbErrorOf;
using support::plainQuery;

qlonglong rawCount(const QString& path, const QString& table)
{
    return plainQuery(path, QStringLiteral("SELECT count(*) FROM %1").arg(table)).toLongLong();
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
    void storedNumberNoDateCarriesReadsAsNumber();
    void refusalsSpeakTheEnginesLanguage_data();
    void refusalsSpeakTheEnginesLanguage();
    void writeRefusedByAReadOnlyFolderNamesTheFile();
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
    QCOMPARE(plainQuery(t.path(), QStringLiteral("SELECT typeof(Fecha), Fecha FROM Planilla_Det")),
             type + QLatin1Char('|') + basic::numberToText(serial));
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
    const QString before = plainQuery(t.path(), QStringLiteral("SELECT * FROM Planilla_Det"));
    {
        Database d = Database::open(t.path(), kConnect);
        Recordset rs = d.openRecordset(QStringLiteral("Planilla_Det"));
        rs.addNew();
        rs.setField(QStringLiteral("Enc"), 2);
        QCOMPARE(dbErrorOf([&] { rs.setField(field, value); }), number);
        rs.cancelUpdate();
        rs.moveFirst();
        rs.edit();
        QCOMPARE(dbErrorOf([&] { rs.setField(field, value); }), number);
        rs.update();
        d.close();
    }
    QCOMPARE(rawCount(t.path(), QStringLiteral("Planilla_Det")), 1);
    QCOMPARE(plainQuery(t.path(), QStringLiteral("SELECT * FROM Planilla_Det")), before);
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
    QCOMPARE(plainQuery(t.path(), QStringLiteral("SELECT typeof(Fecha), Fecha, NoDoc FROM Planilla_Det")),
             QStringLiteral("integer|37087|dos"));
}

// A file written by another tool may hold a number out of the dates' range in a date column: it is
// read as that number (converting it to a date overflowed) and shown as one in a concatenation.
void TestDbValues::storedNumberNoDateCarriesReadsAsNumber()
{
    support::TestDatabase t;
    t.exec(QStringLiteral("INSERT INTO Planilla_Det (Enc, NoDoc, Fecha) VALUES (1, 'a', 1e300);"
                          "INSERT INTO Planilla_Det (Enc, NoDoc, Fecha) VALUES (1, 'b', -1e300);"));
    Database d = Database::open(t.path(), kConnect);
    Recordset rs = d.openRecordset(QStringLiteral("SELECT Fecha, [NoDoc] & ' ' & [Fecha] AS Texto FROM Planilla_Det ORDER BY NoDoc"));
    QCOMPARE(rs.field(QStringLiteral("Fecha")).toDouble(), 1e300);
    QCOMPARE(rs.field(QStringLiteral("Texto")).toString(), QStringLiteral("a 1E+300"));
    rs.moveNext();
    QCOMPARE(rs.field(QStringLiteral("Fecha")).toDouble(), -1e300);
}

// Each refusal has the engine's number and a description of its own: no SQLite wording, no
// translated SQL; a syntax error quotes the query as the program wrote it. Nothing is run of a
// text with a second statement.
void TestDbValues::refusalsSpeakTheEnginesLanguage_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("action");      // run with execute, else opened as a record set
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("mentions"); // the description contains it

    QTest::newRow("unknown function") << "SELECT Sumar(Nit) FROM Proveedores" << false << 3085 << "'Sumar'";
    QTest::newRow("unknown column") << "SELECT Nada FROM Proveedores" << false << 3061 << "1";
    QTest::newRow("ambiguous column") << "SELECT Nit FROM Proveedores, ISR" << false << 3079 << "'Nit'";
    QTest::newRow("incomplete query") << "SELECT * FROM Proveedores WHERE Nit = '1' And" << false << 3075
                                      << "'SELECT * FROM Proveedores WHERE Nit = '1' And'";
    QTest::newRow("syntax error in an action") << "UPDATE Gastos SET WHERE Codigo = 'x'" << true << 3075 << "SET WHERE";
    QTest::newRow("wrong argument count") << "SELECT Mid(Nit) FROM Proveedores" << false << 3075 << "Mid(Nit)";
    QStringList terms;
    for (int i = 0; i < 2000; ++i)
        terms << QStringLiteral("[Nit]");
    QTest::newRow("expression too deep for the engine")
        << "SELECT " + terms.join(QLatin1String(" & ")) + " FROM Proveedores" << false << 3360 << "compleja";
    QTest::newRow("function overflow") << "SELECT CInt(100000) AS x" << false << 3421 << "conversión";
    QTest::newRow("function argument out of range") << "SELECT Mid('abc', 0) AS x" << false << 3464 << "tipos";
    QTest::newRow("function given no number") << "SELECT CDbl('abc') AS x" << false << 3464 << "tipos";
    QTest::newRow("function overflow in an action") << "UPDATE Gastos SET Codigo = CLng(1e12)" << true << 3421 << "conversión";
    QTest::newRow("empty statement") << "" << true << 3129 << "'SELECT'";
    QTest::newRow("only a semicolon") << "  ;  " << true << 3129 << "'SELECT'";
    QTest::newRow("only a comment") << "-- nada" << true << 3129 << "'SELECT'";
    QTest::newRow("second action") << "DELETE FROM Gastos; DELETE FROM Proveedores" << true << 3142 << "después";
    QTest::newRow("action after a query") << "SELECT * FROM Gastos; DELETE FROM Gastos" << false << 3142 << "después";
    QTest::newRow("NUL in an action") << QStringLiteral("UPDATE Gastos SET Descripcion = 'a") + QChar(0) + "b'" << true
                                      << 3163 << "pequeño";
}

void TestDbValues::refusalsSpeakTheEnginesLanguage()
{
    QFETCH(QString, sql);
    QFETCH(bool, action);
    QFETCH(int, number);
    QFETCH(QString, mentions);
    support::TestDatabase t;
    t.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('1', 'Uno');"
                          "INSERT INTO ISR (Nit) VALUES ('1');"));
    const qlonglong gastos = rawCount(t.path(), QStringLiteral("Gastos"));
    Database d = Database::open(t.path(), kConnect);
    try {
        if (action)
            d.execute(sql);
        else
            d.openRecordset(sql, RecordsetType::Snapshot);
        QFAIL("no error");
    } catch (const DbError& e) {
        QCOMPARE(e.number(), number);
        QVERIFY2(e.description().contains(mentions), qPrintable(e.description()));
        for (const char* internal : {"COLLATE", "zal_", "ZAL-", "no such", "syntax error", "not an error", "SQLite"})
            QVERIFY2(!e.description().contains(QLatin1String(internal)), qPrintable(e.description()));
    }
    d.close();
    QCOMPARE(rawCount(t.path(), QStringLiteral("Gastos")), gastos);
    QCOMPARE(rawCount(t.path(), QStringLiteral("Proveedores")), 1);
}

namespace {
// Runs an insert on the file as a user who may write the file but not its folder, so the write's
// journal cannot be made; returns the error number and description.
QPair<int, QString> insertWithoutFolderRights(const QString& path, const QString& dir)
{
    auto attempt = [&]() -> QPair<int, QString> {
        try {
            Database d = Database::open(path, kConnect);
            d.execute(QStringLiteral("INSERT INTO Gastos (Descripcion) VALUES ('nuevo')"));
        } catch (const DbError& e) {
            return {e.number(), e.description()};
        }
        return {0, QString()};
    };
    if (::geteuid() != 0) {
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
        const auto result = attempt();
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return result;
    }
    // The superuser ignores folder rights: the attempt runs in a child as nobody.
    QFile::setPermissions(dir, QFileDevice::Permissions(0x7755));
    QFile::setPermissions(path, QFileDevice::Permissions(0x6666));
    int fds[2];
    if (::pipe(fds) != 0)
        return {-1, QStringLiteral("no pipe")};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        const auto result = attempt();
        const QByteArray out = QByteArray::number(result.first) + '\n' + result.second.toUtf8();
        if (::write(fds[1], out.constData(), size_t(out.size())) < 0)
            ::_exit(3);
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray in;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        in.append(buffer, int(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    const int cut = int(in.indexOf('\n'));
    return {in.left(cut).toInt(), QString::fromUtf8(in.mid(cut + 1))};
}
} // namespace

// The journal of a write cannot be made in a read-only folder: the refusal names no statement;
// errors about the file name the database file, whichever statement met them.
void TestDbValues::writeRefusedByAReadOnlyFolderNamesTheFile()
{
    support::TestDatabase t;
    const auto [number, description] = insertWithoutFolderRights(t.path(), t.dir());
    QVERIFY2(number == 3027 || number == 3051, qPrintable(QString::number(number)));
    QVERIFY2(!description.contains(QLatin1String("INSERT")), qPrintable(description));
    if (number == 3051)
        QVERIFY2(description.contains(QLatin1Char('\'') + t.path() + QLatin1Char('\'')), qPrintable(description));

    const QString query = QStringLiteral("INSERT INTO Gastos (Descripcion) VALUES ('nuevo')");
    for (const int code : {SQLITE_CANTOPEN, SQLITE_CORRUPT, SQLITE_NOTADB}) {
        const DbError e = mapSqliteError(code, QStringLiteral("unable to open database file"), t.path(), query);
        QVERIFY2(e.description().contains(QLatin1Char('\'') + t.path() + QLatin1Char('\'')), qPrintable(e.description()));
        QVERIFY2(!e.description().contains(QLatin1String("INSERT")), qPrintable(e.description()));
    }
}

QTEST_GUILESS_MAIN(TestDbValues)
#include "test_db_values.moc"
