// The database layer as the forms use it: opening, record sets, errors by number, letter case,
// dates, table definitions, repair and durability.
#include "platform/basic/basic.h"
#include "platform/db/connection.h"
#include "platform/db/criteria.h"
#include "platform/db/database.h"
#include "support/support.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace db;

namespace {
const QString kConnect = QStringLiteral(";pwd=MIRVOSK");

// Runs f and returns the engine error number it raised (0 when none).
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

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// A small worksheet: taxpayer 1, suppliers 1234560 and 19, header 1 (taxpayer 1, period 3), two
// documents, one of them in July 2001.
void addWorksheet(const support::TestDatabase& t)
{
    t.exec(QStringLiteral(
        "INSERT INTO Contribuyentes (Nit, Nombre) VALUES ('124', 'Ana Pérez');"
        "INSERT INTO Contribuyentes (Nit, Nombre) VALUES ('6K', 'Sin planilla');"
        "INSERT INTO Proveedores (Nit, Nombre) VALUES ('1234560', 'Gasolinera Central');"
        "INSERT INTO Proveedores (Nit, Nombre) VALUES ('19', 'Farmacia Sur');"
        "INSERT INTO Proveedores (Nit, Nombre) VALUES ('6K', 'Sin documentos');"
        "INSERT INTO Planilla_Enc (Contribuyente, Periodo) VALUES (1, 3);"
        "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto, Galon) "
        "  VALUES (1, '1234560', '0', 'A', '100', 37087, 24, 95.3, 20.5);"
        "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto) "
        "  VALUES (1, '19', '7', NULL, '200', 37200, 11, 50);"));
}
// A record set standing on a supplier that a statement deleted after the set read it.
Recordset rowDeletedSinceRead(Database& d, const QString& nit)
{
    d.execute(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('%1', 'Ida')").arg(nit));
    Recordset rs = d.openRecordset(QStringLiteral("SELECT * FROM Proveedores WHERE Nit = '%1'").arg(nit));
    d.execute(QStringLiteral("DELETE FROM Proveedores WHERE Nit = '%1'").arg(nit));
    return rs;
}
} // namespace

class TestDatabase : public QObject {
    Q_OBJECT
private slots:
    void init() { setLockTimeout(100); }

    void openRefusesWhatIsNotOurs_data();
    void openRefusesWhatIsNotOurs();
    void openNeverCreatesAFile();
    void passwordKeyInAnyCase();

    void tableRecordsetMovesAndNulls();
    void findWithCriteria();
    void typedTextQuotedAsLiteralFindsNothingElse();
    void addEditUpdateCancelRemove();
    void countsAndPositionsFollowDeletesAndAddsDuringAWalk();
    void queriesDifferingInTheirNumbersReadTheirOwnRows();
    void findsOverManyRowsFindWhatEveryRowEvaluatedFinds_data();
    void findsOverManyRowsFindWhatEveryRowEvaluatedFinds();
    void numbersComparedWithBecomeParameters_data();
    void numbersComparedWithBecomeParameters();
    void requerySeesEveryChangeOfTheFile();
    void readsFollowATableRebuiltByAnotherConnection_data();
    void readsFollowATableRebuiltByAnotherConnection();
    void snapshotIsReadOnlyAndDynasetSeesOnlyItsRows();
    void joinedDynasetWritesItsDetailTable();

    void errorNumbers();
    void textSizeRefusedOnEveryWritePath();
    void deletingReferencedRowsRefused_data();
    void deletingReferencedRowsRefused();
    void lockedByAnotherSessionIs3260();

    void textComparisonsIgnoreCase();
    void datesAreDaySerials();
    void workspaceTransaction();

    void tableDefinitionsAndSerieWidening();
    void repairSalvagesAndKeepsBackup();
    void repairLeavesForeignFileAlone();
    void killedWriterLeavesFileWhole();
};

// A requery spares the read when nothing can have changed; any change, made through this
// connection or committed by another, is read.
void TestDatabase::requerySeesEveryChangeOfTheFile()
{
    support::TestDatabase t;
    t.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('1', 'Uno'), ('2', 'Dos')"));
    Database d = Database::open(t.path(), kConnect);
    Recordset rs = d.openRecordset(QStringLiteral("SELECT * FROM Proveedores ORDER BY Nit"));
    const auto nits = [&rs] {
        QStringList out;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            out << rs.field(QStringLiteral("Nit")).toString();
        return out;
    };

    // Unchanged: the same rows, the cursor back on the first.
    rs.moveLast();
    rs.requery();
    QCOMPARE(rs.field(QStringLiteral("Nit")).toString(), QStringLiteral("1"));
    QCOMPARE(nits(), (QStringList{"1", "2"}));

    // Another connection commits a row.
    t.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('3', 'Tres')"));
    rs.requery();
    QCOMPARE(nits(), (QStringList{"1", "2", "3"}));

    // This connection changes a row through another record set, then through SQL.
    Recordset other = d.openRecordset(QStringLiteral("Proveedores"));
    other.findFirst(QStringLiteral("[Nit] = '1'"));
    other.edit();
    other.setField(QStringLiteral("Nombre"), QStringLiteral("Primero"));
    other.update();
    rs.requery();
    QCOMPARE(rs.field(QStringLiteral("Nombre")).toString(), QStringLiteral("Primero"));
    d.execute(QStringLiteral("DELETE FROM Proveedores WHERE Nit = '2'"));
    rs.requery();
    QCOMPARE(nits(), (QStringList{"1", "3"}));
}

void TestDatabase::readsFollowATableRebuiltByAnotherConnection_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("requery");
    for (const bool requery : {false, true}) {
        const char* how = requery ? ", read again by a requery" : ", opened again";
        QTest::newRow(qPrintable(QStringLiteral("the table%1").arg(QLatin1String(how)))) << "Periodos" << requery;
        QTest::newRow(qPrintable(QStringLiteral("a query of all its columns%1").arg(QLatin1String(how))))
            << "SELECT * FROM Periodos WHERE [No] >= 3 ORDER BY [No]" << requery;
    }
}

// A statement this connection keeps prepared, and what it knows of the table, follow a table that
// another connection (another SQLite tool) rebuilt with its columns in another order: every value
// is read under its own name and as its own type.
void TestDatabase::readsFollowATableRebuiltByAnotherConnection()
{
    QFETCH(QString, source);
    QFETCH(bool, requery);
    support::TestDatabase t;
    Database d = Database::open(t.path(), kConnect);
    const auto period3 = [](Recordset& rs) {
        rs.findFirst(QStringLiteral("[No] = 3"));
        QVERIFY(!rs.noMatch());
        QCOMPARE(rs.field(QStringLiteral("No")), QVariant(3));
        QCOMPARE(rs.field(QStringLiteral("Del")), QVariant(QDate(2001, 7, 1)));
        QCOMPARE(rs.field(QStringLiteral("Al")), QVariant(QDate(2002, 6, 30)));
        QCOMPARE(rs.field(QStringLiteral("Coeficiente")), QVariant(0.107142));
        QCOMPARE(rs.fieldInfo(rs.fieldIndex(QStringLiteral("No"))).type, FieldType::Long);
        QCOMPARE(rs.fieldInfo(rs.fieldIndex(QStringLiteral("Del"))).type, FieldType::DateTime);
    };
    Recordset first = d.openRecordset(source);
    period3(first);
    QCOMPARE(first.fieldInfo(0).name, QStringLiteral("No"));
    t.exec(QStringLiteral(R"(
        CREATE TABLE Periodos_nuevo (Coeficiente DOUBLE, Al DATETIME, Del DATETIME, "No" LONG NOT NULL PRIMARY KEY);
        INSERT INTO Periodos_nuevo SELECT Coeficiente, Al, Del, "No" FROM Periodos;
        DROP TABLE Periodos;
        ALTER TABLE Periodos_nuevo RENAME TO Periodos;
    )"));
    Recordset again = first;
    if (requery)
        first.requery();
    else
        again = d.openRecordset(source);
    period3(again);
    QCOMPARE(again.fieldInfo(0).name, QStringLiteral("Coeficiente"));
    QCOMPARE(d.tableDef(QStringLiteral("Periodos")).field(QStringLiteral("No")).ordinalPosition, 4);
}

void TestDatabase::openRefusesWhatIsNotOurs_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("connect");
    QTest::addColumn<int>("error");
    QTest::newRow("text file") << QByteArray("no soy una base de datos\r\n") << kConnect << 3343;
    QTest::newRow("empty file") << QByteArray() << kConnect << 3343;
    QTest::newRow("wrong password") << QByteArray("ours") << QStringLiteral(";pwd=mirvosk") << 3031;
    QTest::newRow("no password") << QByteArray("ours") << QString() << 3031;
    QTest::newRow("foreign sqlite file") << QByteArray("foreign") << kConnect << 3343;
}

void TestDatabase::openRefusesWhatIsNotOurs()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, connect);
    QFETCH(int, error);
    support::TestDatabase t;
    QString path = t.path();
    if (contents == "foreign") {
        path = t.dir() + QStringLiteral("/otra.db");
        sqlite3* h = nullptr;
        sqlite3_open(path.toUtf8().constData(), &h);
        sqlite3_exec(h, "CREATE TABLE Proveedores (Nit TEXT); INSERT INTO Proveedores VALUES ('1');", nullptr, nullptr, nullptr);
        sqlite3_close(h);
    } else if (contents != "ours") {
        path = t.dir() + QStringLiteral("/otro.mdb");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(contents);
    }
    const QByteArray before = fileBytes(path);
    QCOMPARE(errorOf([&] { Database::open(path, connect); }), error);
    QCOMPARE(fileBytes(path), before);
}

void TestDatabase::openNeverCreatesAFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nada.mdb"));
    QCOMPARE(errorOf([&] { Database::open(path, kConnect); }), 3024);
    QVERIFY(!QFile::exists(path));
    QCOMPARE(errorOf([&] { Database::open(QString(), kConnect); }), 3024);
    QCOMPARE(errorOf([&] { Database::open(dir.path(), kConnect); }), 3024);
}

void TestDatabase::passwordKeyInAnyCase()
{
    support::TestDatabase t;
    QVERIFY(Database::open(t.path(), QStringLiteral(";pwd=MIRVOSK")).isOpen());
    QVERIFY(Database::open(t.path(), QStringLiteral(";PWD=MIRVOSK")).isOpen());
    Database d = Database::open(t.path(), kConnect);
    d.close();
    QVERIFY(!d.isOpen());
}

void TestDatabase::tableRecordsetMovesAndNulls()
{
    support::TestDatabase t;
    t.exec(QStringLiteral("INSERT INTO Contribuyentes (Nit, Nombre, Calle) VALUES ('19', 'Uno', NULL);"
                          "INSERT INTO Contribuyentes (Nit, Nombre, Calle) VALUES ('124', 'Dos', 'Calle 5');"));
    Database d = Database::open(t.path(), kConnect);
    Recordset rs = d.openRecordset(QStringLiteral("Contribuyentes"), RecordsetType::Table);
    QCOMPARE(rs.recordCount(), 2);
    QVERIFY(!rs.eof() && !rs.bof());
    QCOMPARE(rs.field(QStringLiteral("Nit")).toString(), QStringLiteral("19"));
    QVERIFY(rs.field(QStringLiteral("Calle")).isNull());
    QCOMPARE(rs.field(QStringLiteral("No")).toInt(), 1);
    rs.moveNext();
    QCOMPARE(rs[QStringLiteral("[Calle]")].toString(), QStringLiteral("Calle 5"));
    rs.moveNext();
    QVERIFY(rs.eof());
    QCOMPARE(errorOf([&] { rs.field(QStringLiteral("Nit")); }), 3021);
    QCOMPARE(errorOf([&] { rs.moveNext(); }), 3021);
    rs.moveFirst();
    rs.movePrevious();
    QVERIFY(rs.bof());
    rs.moveLast();
    QCOMPARE(rs.field(QStringLiteral("Nombre")).toString(), QStringLiteral("Dos"));

    Recordset empty = d.openRecordset(QStringLiteral("SELECT * FROM Proveedores"));
    QVERIFY(empty.eof() && empty.bof());
    QCOMPARE(empty.recordCount(), 0);
    QCOMPARE(errorOf([&] { empty.moveFirst(); }), 3021);
}

void TestDatabase::findWithCriteria()
{
    support::TestDatabase t;
    addWorksheet(t);
    Database d = Database::open(t.path(), kConnect);
    Recordset enc = d.openRecordset(QStringLiteral("SELECT [Planilla_Enc].* FROM  [Planilla_Enc];"));
    enc.findFirst(QStringLiteral("[Contribuyente] = 1 And [Periodo] = 3"));
    QVERIFY(!enc.noMatch());
    QCOMPARE(enc.field(QStringLiteral("No")).toInt(), 1);
    enc.findFirst(QStringLiteral("[Contribuyente] = 1 And [Periodo] = 4"));
    QVERIFY(enc.noMatch());
    QCOMPARE(enc.field(QStringLiteral("No")).toInt(), 1);   // the current row stays

    Recordset det = d.openRecordset(QStringLiteral("Planilla_Det"));
    det.findFirst(QStringLiteral("[Enc] = 1And [Provee] = '19' And [Tipo] = '7' And [Serie] Is Null And [NoDoc] = '200'"));
    QVERIFY(!det.noMatch());
    QCOMPARE(det.field(QStringLiteral("Monto")).toDouble(), 50.0);
    det.findFirst(QStringLiteral("[Enc] = 1And [Provee] = '1234560' And [Tipo] = '0'  And [Serie] = 'a' And [NoDoc] = '100'"));
    QVERIFY(!det.noMatch());
    QCOMPARE(det.field(QStringLiteral("Galon")).toDouble(), 20.5);

    Recordset prov = d.openRecordset(QStringLiteral("Proveedores"));
    prov.findFirst(QStringLiteral("[Nit] Like '1*'"));
    QVERIFY(!prov.noMatch());
    const QString first = prov.field(QStringLiteral("Nit")).toString();
    prov.findNext(QStringLiteral("[Nit] Like '1*'"));
    QVERIFY(!prov.noMatch());
    QVERIFY(prov.field(QStringLiteral("Nit")).toString() != first);
    prov.findNext(QStringLiteral("[Nit] Like '1*'"));
    QVERIFY(prov.noMatch());
    QCOMPARE(errorOf([&] { prov.findFirst(QStringLiteral("[Nit] = ")); }), 3077);
    QCOMPARE(errorOf([&] { prov.findFirst(QStringLiteral("[Nada] = '1'")); }), 3070);
}

void TestDatabase::typedTextQuotedAsLiteralFindsNothingElse()
{
    support::TestDatabase t;
    addWorksheet(t);
    Database d = Database::open(t.path(), kConnect);
    Recordset prov = d.openRecordset(QStringLiteral("Proveedores"));
    const QString typed = QStringLiteral("1' or Nit<>'9");
    QCOMPARE(quoteLiteral(typed), QStringLiteral("'1'' or Nit<>''9'"));
    prov.findFirst(QStringLiteral("[Nit] = ") + quoteLiteral(typed));
    QVERIFY(prov.noMatch());
    prov.findFirst(QStringLiteral("[Nombre] = ") + quoteLiteral(QStringLiteral("O'Brien")));
    QVERIFY(prov.noMatch());
    t.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('27', 'O''Brien')"));
    prov.requery();
    prov.findFirst(QStringLiteral("[Nombre] = ") + quoteLiteral(QStringLiteral("o'brien")));
    QVERIFY(!prov.noMatch());
    QCOMPARE(prov.field(QStringLiteral("Nit")).toString(), QStringLiteral("27"));
}

void TestDatabase::addEditUpdateCancelRemove()
{
    support::TestDatabase t;
    Database d = Database::open(t.path(), kConnect);
    Recordset rs = d.openRecordset(QStringLiteral("Select * FROM Contribuyentes;"));
    QVERIFY(rs.eof());
    QCOMPARE(errorOf([&] { rs.setField(QStringLiteral("Nit"), QStringLiteral("19")); }), 3020);
    QCOMPARE(errorOf([&] { rs.update(); }), 3020);

    rs.addNew();
    QCOMPARE(rs.editMode(), EditMode::Add);
    rs.setField(QStringLiteral("Nit"), QStringLiteral("19"));
    rs.setField(QStringLiteral("Nombre"), QStringLiteral("Uno"));
    QCOMPARE(errorOf([&] { rs.setField(QStringLiteral("No"), 7); }), 3164);
    rs.update();
    QCOMPARE(rs.editMode(), EditMode::None);
    QCOMPARE(rs.recordCount(), 1);
    QVERIFY(rs.eof());                            // the cursor stays where it was before AddNew
    rs.setBookmark(rs.lastModified());
    QCOMPARE(rs.field(QStringLiteral("No")).toInt(), 1);   // the automatic number is read back
    QVERIFY(rs.field(QStringLiteral("Calle")).isNull());

    rs.edit();
    rs.setField(QStringLiteral("Nombre"), QStringLiteral("Cambiado"));
    QCOMPARE(rs.field(QStringLiteral("Nombre")).toString(), QStringLiteral("Cambiado"));
    rs.cancelUpdate();
    QCOMPARE(rs.field(QStringLiteral("Nombre")).toString(), QStringLiteral("Uno"));

    rs.edit();
    rs.setField(QStringLiteral("Nombre"), QStringLiteral("Cambiado"));
    rs.update();
    Recordset check = d.openRecordset(QStringLiteral("Contribuyentes"), RecordsetType::Snapshot);
    QCOMPARE(check.field(QStringLiteral("Nombre")).toString(), QStringLiteral("Cambiado"));

    // A move abandons a pending edit.
    rs.edit();
    rs.setField(QStringLiteral("Nombre"), QStringLiteral("Perdido"));
    rs.moveFirst();
    QCOMPARE(rs.editMode(), EditMode::None);
    QCOMPARE(rs.field(QStringLiteral("Nombre")).toString(), QStringLiteral("Cambiado"));

    rs.remove();
    QCOMPARE(errorOf([&] { rs.field(QStringLiteral("Nit")); }), 3167);
    QCOMPARE(rs.recordCount(), 0);
    rs.requery();
    QVERIFY(rs.eof());

    // Values are converted to the field's type on assignment.
    Recordset det = d.openRecordset(QStringLiteral("Planilla_Det"));
    det.addNew();
    det.setField(QStringLiteral("Enc"), QStringLiteral("3"));
    det.setField(QStringLiteral("Monto"), QStringLiteral("1234.50"));
    det.setField(QStringLiteral("Fecha"), QStringLiteral("15/07/2001"));
    det.setField(QStringLiteral("Tipo"), 0);
    QCOMPARE(errorOf([&] { det.setField(QStringLiteral("Monto"), QStringLiteral("abc")); }), 3421);
    det.update();
    det.requery();
    QCOMPARE(det.field(QStringLiteral("Enc")).toInt(), 3);
    QCOMPARE(det.field(QStringLiteral("Monto")).toDouble(), 1234.5);
    QCOMPARE(det.field(QStringLiteral("Fecha")).toDate(), QDate(2001, 7, 15));
    QCOMPARE(det.field(QStringLiteral("Tipo")).toString(), QStringLiteral("0"));
}

// Deleting and adding rows in the middle of a walk: the count, the positions, EOF/BOF, the
// bookmarks and the finds all follow, and a requery starts over from the table.
void TestDatabase::countsAndPositionsFollowDeletesAndAddsDuringAWalk()
{
    support::TestDatabase t;
    for (int i = 1; i <= 6; ++i)
        t.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('%1', 'P%1')").arg(i));
    Database d = Database::open(t.path(), kConnect);
    Recordset rs = d.openRecordset(QStringLiteral("SELECT * FROM Proveedores ORDER BY Nit"));
    QCOMPARE(rs.recordCount(), 6);
    QList<QVariant> marks;
    QStringList seen;
    int added = 0;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        const QString nit = rs.field(QStringLiteral("Nit")).toString();
        seen << nit;
        marks << rs.bookmark();
        QCOMPARE(rs.absolutePosition(), int(seen.size()) - 1 - (int(seen.size()) - 1) / 2);
        if (nit.toInt() % 2 == 0) {
            const int at = rs.absolutePosition();
            rs.remove();                                   // every even row goes
            QCOMPARE(errorOf([&] { rs.field(QStringLiteral("Nit")); }), 3167);
            QCOMPARE(rs.absolutePosition(), at);           // the cursor stays on the deleted row
        }
        if (nit == QLatin1String("3")) {
            rs.addNew();                                   // a row added mid-walk goes to the end
            rs.setField(QStringLiteral("Nit"), QStringLiteral("7"));
            rs.setField(QStringLiteral("Nombre"), QStringLiteral("P7"));
            rs.update();
            ++added;
        }
    }
    QCOMPARE(seen, (QStringList {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                                 QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7")}));
    QCOMPARE(added, 1);
    QCOMPARE(rs.recordCount(), 4);                         // 1, 3, 5 and 7
    QVERIFY(rs.eof() && !rs.bof());

    // Bookmarks: a live row is found again, a deleted one is 3167.
    rs.setBookmark(marks.at(2));
    QCOMPARE(rs.field(QStringLiteral("Nit")).toString(), QStringLiteral("3"));
    QCOMPARE(rs.absolutePosition(), 1);
    QCOMPARE(errorOf([&] { rs.setBookmark(marks.at(1)); }), 3167);
    QCOMPARE(rs.field(QStringLiteral("Nit")).toString(), QStringLiteral("3"));   // the cursor stays
    rs.setBookmark(rs.lastModified());
    QCOMPARE(rs.field(QStringLiteral("Nit")).toString(), QStringLiteral("7"));
    QCOMPARE(rs.absolutePosition(), 3);

    // Moves and finds pass over the deleted rows both ways.
    rs.moveFirst();
    rs.moveNext();
    QCOMPARE(rs.field(QStringLiteral("Nit")).toString(), QStringLiteral("3"));
    rs.moveLast();
    rs.movePrevious();
    QCOMPARE(rs.field(QStringLiteral("Nit")).toString(), QStringLiteral("5"));
    rs.findFirst(QStringLiteral("[Nombre] Like 'P*'"));
    QCOMPARE(rs.field(QStringLiteral("Nit")).toString(), QStringLiteral("1"));
    rs.findNext(QStringLiteral("[Nombre] Like 'P*'"));
    QCOMPARE(rs.field(QStringLiteral("Nit")).toString(), QStringLiteral("3"));
    rs.findLast(QStringLiteral("[Nit] <> '7'"));
    QCOMPARE(rs.field(QStringLiteral("Nit")).toString(), QStringLiteral("5"));
    rs.findPrevious(QStringLiteral("[Nombre] Like 'P*'"));
    QCOMPARE(rs.field(QStringLiteral("Nit")).toString(), QStringLiteral("3"));
    rs.findFirst(QStringLiteral("[Nit] = '4'"));
    QVERIFY(rs.noMatch());

    // Deleting what is left empties the set: EOF and BOF together, no moves.
    while (rs.recordCount() > 0) {
        rs.moveLast();
        rs.remove();
    }
    QVERIFY(rs.eof() && rs.bof());
    QCOMPARE(errorOf([&] { rs.moveNext(); }), 3021);
    QVERIFY(rs.eof() && rs.bof());
    QCOMPARE(errorOf([&] { rs.moveFirst(); }), 3021);
    QCOMPARE(errorOf([&] { rs.moveLast(); }), 3021);

    // A requery reads the table again; bookmarks of the old rows are gone.
    t.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('8', 'P8')"));
    rs.requery();
    QCOMPARE(rs.recordCount(), 1);
    QVERIFY(!rs.eof() && !rs.bof());
    QCOMPARE(rs.absolutePosition(), 0);
    QCOMPARE(errorOf([&] { rs.setBookmark(marks.at(0)); }), 3001);
    rs.addNew();
    rs.setField(QStringLiteral("Nit"), QStringLiteral("9"));
    rs.update();
    QCOMPARE(rs.recordCount(), 2);
    rs.moveLast();
    QCOMPARE(rs.field(QStringLiteral("Nit")).toString(), QStringLiteral("9"));
    QCOMPARE(rs.absolutePosition(), 1);
    rs.close();
    QVERIFY(!rs.isOpen());
}

// Queries that differ only in their numbers share a translation; each still reads its own rows,
// and numbers inside texts, names and decimals stay as written.
void TestDatabase::findsOverManyRowsFindWhatEveryRowEvaluatedFinds_data()
{
    QTest::addColumn<QString>("criteria");
    QTest::newRow("a tax id in either case") << "[Provee] = 'a3k'";
    QTest::newRow("two equalities") << "[Enc] = 3 And [Tipo] = '1'";
    QTest::newRow("the literal first, a decimal") << "1.5 = [Monto]";
    QTest::newRow("a number as text against numbers") << "[Enc] = '3'";
    QTest::newRow("a number against texts") << "[Tipo] = 2";
    QTest::newRow("a literal outside ASCII") << "[Serie] = 'ñ7'";
    QTest::newRow("values outside ASCII") << "[Serie] = 's3'";
    QTest::newRow("a date against a number") << "[Fecha] = 37101";
    QTest::newRow("no row") << "[Provee] = 'zzz'";
    QTest::newRow("not an equality") << "[Provee] Is Null Or [Monto] > 3";
    // Every other operator, alone and beside equalities: no lookup by equal values answers them.
    QTest::newRow("<>") << "[Enc] <> 3";
    QTest::newRow("<") << "[Enc] < 3";
    QTest::newRow(">") << "[Enc] > 3";
    QTest::newRow("<=") << "[Enc] <= 3";
    QTest::newRow(">=") << "[Enc] >= 3";
    QTest::newRow("<> of texts") << "[Provee] <> 'a3k'";
    QTest::newRow("< of texts, the literal first") << "'a3k' < [Provee]";
    QTest::newRow("> of a date and a number") << "[Fecha] > 37102";
    QTest::newRow("Like") << "[Provee] Like 'a3*'";
    QTest::newRow("Not Like") << "[Provee] Not Like 'a3*'";
    QTest::newRow("Between") << "[Enc] Between 2 And 4";
    QTest::newRow("Is Null") << "[Provee] Is Null";
    QTest::newRow("Is Not Null beside an equality") << "[Enc] = 2 And [Provee] Is Not Null";
    QTest::newRow("= And <>") << "[Tipo] = '1' And [Enc] <> 3";
    QTest::newRow("< And =") << "[Monto] < 3 And [Enc] = 2";
    QTest::newRow("= And > And =") << "[Enc] = 2 And [Monto] > 1.5 And [Tipo] = '2'";
    QTest::newRow(">= And <=") << "[Enc] >= 2 And [Enc] <= 4";
    QTest::newRow("= Or =") << "[Enc] = 2 Or [Enc] = 5";
    QTest::newRow("Not =") << "Not [Enc] = 3";
    QTest::newRow("= inside parentheses with Or") << "([Enc] = 2 Or [Tipo] = '2') And [Monto] = 3";
}

// Finds over enough rows to be answered by a lookup of the rows whose values can match find the
// rows, and in the order, that evaluating every row finds, also after rows are deleted and added.
void TestDatabase::findsOverManyRowsFindWhatEveryRowEvaluatedFinds()
{
    QFETCH(QString, criteria);
    support::TestDatabase t;
    t.exec(QStringLiteral(R"(
        WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 300)
        INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Monto)
        SELECT k % 7, CASE WHEN k % 50 = 0 THEN NULL WHEN k % 2 = 0 THEN 'A' || (k % 31) || 'K' ELSE 'a' || (k % 31) || 'k' END,
               CASE WHEN k % 60 = 0 THEN '2' ELSE CAST(k % 3 AS TEXT) END,
               CASE WHEN k % 41 = 0 THEN 'Ñ7' WHEN k % 41 = 1 THEN 'ñ7' ELSE 's' || (k % 5) END, CAST(k AS TEXT),
               37100 + k % 5, (k % 4) * 1.5 FROM n;
    )"));
    Database d = Database::open(t.path(), kConnect);
    Recordset rs = d.openRecordset(QStringLiteral("SELECT * FROM Planilla_Det ORDER BY Secuencia"), RecordsetType::Dynaset);
    const db::Criteria c = db::Criteria::parse(criteria);
    const auto expected = [&] {
        QStringList docs;
        for (const int mark : rs.bookmarks()) {
            QVariantList keep;
            keep.reserve(16);   // the values stay put while the row is evaluated
            const auto lookup = [&](const QString& name) -> const QVariant* {
                const int i = rs.fieldIndex(name);
                if (i < 0)
                    return nullptr;
                keep << rs.fieldOf(mark, i);
                return &keep.last();
            };
            if (c.matches(lookup))
                docs << rs.fieldOf(mark, rs.fieldIndex(QStringLiteral("NoDoc"))).toString();
        }
        return docs;
    };
    const auto forward = [&] {
        QStringList docs;
        for (rs.findFirst(criteria); !rs.noMatch(); rs.findNext(criteria))
            docs << rs.field(QStringLiteral("NoDoc")).toString();
        return docs;
    };
    const auto backward = [&] {
        QStringList docs;
        for (rs.findLast(criteria); !rs.noMatch(); rs.findPrevious(criteria))
            docs.prepend(rs.field(QStringLiteral("NoDoc")).toString());
        return docs;
    };
    QStringList want = expected();
    QCOMPARE(forward(), want);
    QCOMPARE(backward(), want);
    if (!want.isEmpty()) {
        // The first match deleted, a row added that matches as the last did.
        rs.findFirst(criteria);
        rs.remove();
        rs.findLast(criteria);
        QVariantList values;
        for (int i = 0; i < rs.fieldCount(); ++i)
            values << rs.field(i);
        rs.addNew();
        for (int i = 0; i < rs.fieldCount(); ++i) {
            const QString name = rs.fieldInfo(i).name;
            if (name != QLatin1String("Secuencia"))
                rs.setField(name, name == QLatin1String("NoDoc") ? QVariant(QStringLiteral("nuevo")) : values.at(i));
        }
        rs.update();
        want = expected();
        QVERIFY(want.contains(QStringLiteral("nuevo")));
        QCOMPARE(forward(), want);
        QCOMPARE(backward(), want);
    }
}

void TestDatabase::numbersComparedWithBecomeParameters_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QVariantList>("values");
    QTest::newRow("a comparison") << "SELECT * FROM Planilla_Det WHERE (((Planilla_Det.Enc)=12));"
                                  << "SELECT * FROM Planilla_Det WHERE (((Planilla_Det.Enc)=?1));" << QVariantList{12};
    QTest::newRow("several, in their order")
        << "SELECT * FROM Planilla_Enc WHERE Contribuyente = 7 AND Periodo <> 3 AND [No] >= 100"
        << "SELECT * FROM Planilla_Enc WHERE Contribuyente = ?1 AND Periodo <> ?2 AND \"No\" >= ?3" << QVariantList{7, 3, 100};
    // A column's place in ORDER BY, an argument, a signed or decimal number: left as written.
    QTest::newRow("other numbers")
        << "SELECT Choose([Tipo]+1,'a','b') FROM Planilla_Det WHERE Monto > -5 AND Galon < 1.5 ORDER BY 1"
        << "SELECT Choose(\"Tipo\"+1,'a' COLLATE NOCASE,'b' COLLATE NOCASE) FROM Planilla_Det WHERE Monto > -5 AND "
           "Galon < 1.5 ORDER BY 1"
        << QVariantList{};
    QTest::newRow("too long for a whole number")
        << "SELECT * FROM Planilla_Det WHERE Enc = 1234567890123456789012"
        << "SELECT * FROM Planilla_Det WHERE Enc = 1234567890123456789012" << QVariantList{};
    QTest::newRow("numbers inside texts and names")
        << "SELECT [Cas16] FROM ISR WHERE Cas16 = '5' AND Cas17 = 6"
        << "SELECT \"Cas16\" FROM ISR WHERE Cas16 = '5' COLLATE NOCASE AND Cas17 = ?1" << QVariantList{6};
}

void TestDatabase::numbersComparedWithBecomeParameters()
{
    QFETCH(QString, jet);
    QFETCH(QString, expected);
    QFETCH(QVariantList, values);
    support::TestDatabase t;
    Database d = Database::open(t.path(), kConnect);
    QVariantList parameters;
    QCOMPARE(d.connection()->translate(jet, &parameters), expected);
    QCOMPARE(parameters.size(), values.size());
    for (qsizetype i = 0; i < values.size(); ++i)
        QCOMPARE(parameters.at(i).toLongLong(), values.at(i).toLongLong());
    // Without room for parameters every number stays a literal.
    QString literal = expected;
    for (qsizetype i = values.size(); i > 0; --i)
        literal.replace(QLatin1Char('?') + QString::number(i), values.at(i - 1).toString());
    QCOMPARE(d.connection()->translate(jet), literal);
}

void TestDatabase::queriesDifferingInTheirNumbersReadTheirOwnRows()
{
    support::TestDatabase t;
    addWorksheet(t);
    t.exec(QStringLiteral("INSERT INTO Planilla_Enc (Contribuyente, Periodo) VALUES (2, 3);"
                          "INSERT INTO Planilla_Det (Enc, Provee, Tipo, NoDoc, Fecha, Gasto, Monto) "
                          "  VALUES (2, '19', '1', '100', 37300, 11, 60.5);"));
    Database d = Database::open(t.path(), kConnect);
    const auto count = [&](const QString& sql) { return d.openRecordset(sql, RecordsetType::Snapshot).recordCount(); };
    const QString byHeader = QStringLiteral("SELECT * FROM Planilla_Det WHERE (((Planilla_Det.Enc)=%1));");
    QCOMPARE(count(byHeader.arg(1)), 2);
    QCOMPARE(count(byHeader.arg(2)), 1);
    QCOMPARE(count(byHeader.arg(3)), 0);
    QCOMPARE(count(byHeader.arg(1)), 2);
    const QString twice = QStringLiteral("SELECT * FROM Planilla_Det WHERE Enc = %1 OR Enc = %2");
    QCOMPARE(count(twice.arg(1).arg(2)), 3);
    QCOMPARE(count(twice.arg(2).arg(2)), 1);
    const QString amounts = QStringLiteral("SELECT * FROM Planilla_Det WHERE Monto > %1 AND NoDoc = '%2'");
    QCOMPARE(count(amounts.arg(QStringLiteral("60")).arg(100)), 2);   // 95.3 and 60.5
    QCOMPARE(count(amounts.arg(QStringLiteral("60.5")).arg(100)), 1);
    QCOMPARE(count(amounts.arg(QStringLiteral("94")).arg(200)), 0);
    Recordset choose = d.openRecordset(
        QStringLiteral("SELECT Choose([Tipo]+1,'F','T') AS K, IIf([Monto]>90,'alto','bajo') AS N FROM Planilla_Det "
                       "WHERE Enc = 2"),
        RecordsetType::Snapshot);
    QCOMPARE(choose.field(QStringLiteral("K")).toString(), QStringLiteral("T"));
    QCOMPARE(choose.field(QStringLiteral("N")).toString(), QStringLiteral("bajo"));
    // Indexes and conditions of every kind: out of range and Null give Null, texts are read.
    Recordset kinds = d.openRecordset(
        QStringLiteral("SELECT Choose(5,'a','b') AS A, Choose(Null,'a','b') AS B, Choose('2','a','b') AS C, "
                       "Choose(1.6,'a','b') AS D, IIf('True','si','no') AS E, IIf(Null,'si','no') AS F, "
                       "IIf(0.5,'si','no') AS G, IIf([Galon]>0,[Galon],'nada') AS H FROM Planilla_Det WHERE Enc = 2"),
        RecordsetType::Snapshot);
    QVERIFY(kinds.field(QStringLiteral("A")).isNull());
    QVERIFY(kinds.field(QStringLiteral("B")).isNull());
    QCOMPARE(kinds.field(QStringLiteral("C")).toString(), QStringLiteral("b"));
    QCOMPARE(kinds.field(QStringLiteral("D")).toString(), QStringLiteral("b"));
    QCOMPARE(kinds.field(QStringLiteral("E")).toString(), QStringLiteral("si"));
    QCOMPARE(kinds.field(QStringLiteral("F")).toString(), QStringLiteral("no"));
    QCOMPARE(kinds.field(QStringLiteral("G")).toString(), QStringLiteral("si"));
    QCOMPARE(kinds.field(QStringLiteral("H")).toString(), QStringLiteral("nada"));
}

void TestDatabase::snapshotIsReadOnlyAndDynasetSeesOnlyItsRows()
{
    support::TestDatabase t;
    addWorksheet(t);
    Database d = Database::open(t.path(), kConnect);
    Recordset snap = d.openRecordset(QStringLiteral("Proveedores"), RecordsetType::Snapshot);
    QCOMPARE(errorOf([&] { snap.edit(); }), 3027);
    QCOMPARE(errorOf([&] { snap.addNew(); }), 3027);
    QCOMPARE(errorOf([&] { snap.remove(); }), 3027);

    Recordset dyn = d.openRecordset(QStringLiteral("Proveedores"));
    const int before = dyn.recordCount();
    Database other = Database::open(t.path(), kConnect);
    other.execute(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('27', 'Nuevo')"));
    QCOMPARE(dyn.recordCount(), before);
    dyn.requery();
    QCOMPARE(dyn.recordCount(), before + 1);

    // A grouped query cannot be written to.
    Recordset sums = d.openRecordset(QStringLiteral("SELECT Enc, Sum(Monto) AS Total FROM Planilla_Det GROUP BY Enc"));
    QVERIFY(!sums.updatable());
    QCOMPARE(errorOf([&] { sums.edit(); }), 3027);
    QCOMPARE(sums.field(QStringLiteral("Total")).toDouble(), 145.3);
}

void TestDatabase::joinedDynasetWritesItsDetailTable()
{
    support::TestDatabase t;
    addWorksheet(t);
    Database d = Database::open(t.path(), kConnect);
    const QString sql = QStringLiteral(
        "SELECT Planilla_Det.Enc, Planilla_Det.Secuencia, Planilla_Det.Provee, Proveedores.Nombre, Planilla_Det.Fecha, "
        "Planilla_Det.Tipo, Planilla_Det.Serie, Planilla_Det.NoDoc, Planilla_Det.Monto, Planilla_Det.Galon, "
        "Choose([Tipo]+1,'Factura','Tiquete','EKO Dcto. 39-99','Formulario 2031','Formulario 2081','Formulario 2082',"
        "'Formulario 7111','Declaracion Aduanera','Formulario 203','Formulario 208', 'Formulario 711','Factura Electrónica') "
        "AS DisTipo, Planilla_Det.Gasto, Gastos.Descripcion FROM Proveedores INNER JOIN (Gastos INNER JOIN Planilla_Det ON "
        "Gastos.Codigo = Planilla_Det.Gasto) ON Proveedores.Nit = Planilla_Det.Provee WHERE (((Planilla_Det.Enc) = 1));");
    Recordset rs = d.openRecordset(sql);
    QCOMPARE(rs.recordCount(), 2);
    QVERIFY(rs.updatable());
    rs.findFirst(QStringLiteral("[NoDoc] = '200'"));
    QCOMPARE(rs.field(QStringLiteral("DisTipo")).toString(), QStringLiteral("Declaracion Aduanera"));
    QCOMPARE(rs.field(QStringLiteral("Nombre")).toString(), QStringLiteral("Farmacia Sur"));
    QCOMPARE(rs.field(QStringLiteral("Descripcion")).toString(), QStringLiteral("Medicinas"));
    QCOMPARE(errorOf([&] { rs.edit(); rs.setField(QStringLiteral("DisTipo"), QStringLiteral("x")); }), 3164);
    rs.cancelUpdate();

    rs.edit();
    rs.setField(QStringLiteral("Monto"), 75.25);
    rs.setField(QStringLiteral("Gasto"), 10);
    rs.update();
    QCOMPARE(rs.field(QStringLiteral("Descripcion")).toString(), QStringLiteral("Consultas médicas"));

    rs.addNew();
    rs.setField(QStringLiteral("Enc"), 1);
    rs.setField(QStringLiteral("Provee"), QStringLiteral("19"));
    rs.setField(QStringLiteral("Tipo"), QStringLiteral("1"));
    rs.setField(QStringLiteral("NoDoc"), QStringLiteral("300"));
    rs.setField(QStringLiteral("Fecha"), QStringLiteral("01/08/2001"));
    rs.setField(QStringLiteral("Gasto"), 1);
    rs.setField(QStringLiteral("Monto"), 10);
    rs.update();
    rs.setBookmark(rs.lastModified());
    QCOMPARE(rs.field(QStringLiteral("DisTipo")).toString(), QStringLiteral("Tiquete"));
    QVERIFY(rs.field(QStringLiteral("Secuencia")).toInt() > 2);

    rs.findFirst(QStringLiteral("[NoDoc] = '200'"));
    rs.remove();
    Recordset check = d.openRecordset(QStringLiteral("SELECT * FROM Planilla_Det ORDER BY Secuencia"), RecordsetType::Snapshot);
    QCOMPARE(check.recordCount(), 2);
    QCOMPARE(d.openRecordset(QStringLiteral("Proveedores")).recordCount(), 3);   // the supplier stays
}

void TestDatabase::errorNumbers()
{
    support::TestDatabase t;
    Database d = Database::open(t.path(), kConnect);
    struct Case {
        const char* what;
        std::function<void()> run;
        int number;
    };
    const QList<Case> cases = {
        {"no current record", [&] { d.openRecordset(QStringLiteral("Proveedores")).field(QStringLiteral("Nit")); }, 3021},
        {"missing table", [&] { d.openRecordset(QStringLiteral("Nada")); }, 3078},
        {"missing table in SQL", [&] { d.openRecordset(QStringLiteral("SELECT * FROM Nada;")); }, 3078},
        {"missing table in action", [&] { d.execute(QStringLiteral("UPDATE Nada SET x = 1")); }, 3078},
        {"unknown field name", [&] { d.openRecordset(QStringLiteral("Gastos")).field(QStringLiteral("Nada")); }, 3265},
        {"duplicate key", [&] { d.execute(QStringLiteral("INSERT INTO Gastos (Codigo) VALUES (1)")); }, 3022},
        {"select executed", [&] { d.execute(QStringLiteral("SELECT * FROM Gastos")); }, 3065},
        {"missing table definition", [&] { d.tableDef(QStringLiteral("Nada")); }, 3265},
        {"edit of a row deleted since it was read", [&] {
             Recordset rs = rowDeletedSinceRead(d, QStringLiteral("31"));
             rs.edit();
             rs.setField(QStringLiteral("Nombre"), QStringLiteral("Tarde"));
             rs.update();
         }, 3167},
        {"delete of a row deleted since it was read", [&] { rowDeletedSinceRead(d, QStringLiteral("32")).remove(); }, 3167},
    };
    for (const Case& c : cases) {
        try {
            c.run();
            QFAIL(c.what);
        } catch (const DbError& e) {
            QVERIFY2(e.number() == c.number, c.what);
            QVERIFY2(!e.description().isEmpty(), c.what);
        }
    }
    try {
        d.openRecordset(QStringLiteral("Nada"));
    } catch (const DbError& e) {
        QVERIFY(e.description().contains(QStringLiteral("'Nada'")));
    }
}

void TestDatabase::textSizeRefusedOnEveryWritePath()
{
    support::TestDatabase t;
    Database d = Database::open(t.path(), kConnect);
    Recordset rs = d.openRecordset(QStringLiteral("Contribuyentes"));
    rs.addNew();
    rs.setField(QStringLiteral("Nit"), QStringLiteral("123456789012345"));   // 15 characters
    QCOMPARE(errorOf([&] { rs.update(); }), 3163);
    QCOMPARE(rs.editMode(), EditMode::Add);   // the edit stays pending after a refusal
    rs.setField(QStringLiteral("Nit"), QStringLiteral("12345678901234"));    // 14 fit
    rs.update();
    QCOMPARE(errorOf([&] { d.execute(QStringLiteral("UPDATE Contribuyentes SET Zona = '123'")); }), 3163);
    QCOMPARE(errorOf([&] { d.execute(QStringLiteral("INSERT INTO Gastos (Descripcion) VALUES ('%1')").arg(QString(61, QLatin1Char('x')))); }), 3163);
    d.execute(QStringLiteral("INSERT INTO Gastos (Descripcion) VALUES ('%1')").arg(QString(60, QChar(0x00F1))));   // ñ counts once
    QCOMPARE(errorOf([&] { d.execute(QStringLiteral("INSERT INTO Planilla_Det (Serie) VALUES ('ABCDEFGHIJK')")); }), 3163);
    d.execute(QStringLiteral("INSERT INTO Planilla_Det (NoDoc) VALUES ('123456789012345')"));
}

void TestDatabase::deletingReferencedRowsRefused_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("criteria");
    QTest::addColumn<int>("error");
    QTest::newRow("taxpayer in a worksheet") << "Contribuyentes" << "[Nit] = '124'" << 3200;
    QTest::newRow("taxpayer without worksheet") << "Contribuyentes" << "[Nit] = '6k'" << 0;
    QTest::newRow("supplier in a worksheet (other case)") << "Proveedores" << "[Nit] = '19'" << 3200;
    QTest::newRow("supplier without documents") << "Proveedores" << "[Nit] = '6K'" << 0;
    QTest::newRow("expense type in use") << "Gastos" << "[Codigo] = 24" << 3200;
    QTest::newRow("expense type unused") << "Gastos" << "[Codigo] = 2" << 0;
}

void TestDatabase::deletingReferencedRowsRefused()
{
    QFETCH(QString, table);
    QFETCH(QString, criteria);
    QFETCH(int, error);
    support::TestDatabase t;
    addWorksheet(t);
    t.exec(QStringLiteral("UPDATE Planilla_Det SET Provee = '19' WHERE NoDoc = '200'"));
    Database d = Database::open(t.path(), kConnect);
    Recordset rs = d.openRecordset(table);
    const int before = rs.recordCount();
    rs.findFirst(criteria);
    QVERIFY(!rs.noMatch());
    QCOMPARE(errorOf([&] { rs.remove(); }), error);
    QCOMPARE(d.openRecordset(table).recordCount(), error ? before : before - 1);
    // Inserting rows that refer to nothing is allowed.
    d.execute(QStringLiteral("INSERT INTO Planilla_Det (Enc, Provee, Gasto) VALUES (99, 'NOEXISTE', 999)"));
    d.execute(QStringLiteral("INSERT INTO Planilla_Enc (Contribuyente, Periodo) VALUES (999, 99)"));
}

void TestDatabase::lockedByAnotherSessionIs3260()
{
    support::TestDatabase t;
    Database d = Database::open(t.path(), kConnect);
    Recordset rs = d.openRecordset(QStringLiteral("Gastos"));
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(t.path().toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    rs.edit();
    rs.setField(QStringLiteral("Descripcion"), QStringLiteral("Comida"));
    try {
        rs.update();
        QFAIL("update went through a lock");
    } catch (const DbError& e) {
        QCOMPARE(e.number(), 3260);
        QVERIFY(!e.description().isEmpty());
    }
    QCOMPARE(errorOf([&] { d.execute(QStringLiteral("UPDATE Gastos SET Descripcion = 'x' WHERE Codigo = 1")); }), 3260);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    rs.update();   // once the lock is gone the same save goes through
    QCOMPARE(d.openRecordset(QStringLiteral("Gastos")).field(QStringLiteral("Descripcion")).toString(), QStringLiteral("Comida"));
}

void TestDatabase::textComparisonsIgnoreCase()
{
    support::TestDatabase t;
    addWorksheet(t);
    t.exec(QStringLiteral("UPDATE Planilla_Det SET Provee = '6k' WHERE NoDoc = '200';"
                          "INSERT INTO Proveedores (Nit, Nombre) VALUES ('27', 'ávila');"
                          "INSERT INTO Proveedores (Nit, Nombre) VALUES ('35', 'Azul');"
                          "INSERT INTO Proveedores (Nit, Nombre) VALUES ('43', 'Avena');"));
    Database d = Database::open(t.path(), kConnect);
    Recordset g = d.openRecordset(QStringLiteral("Gastos"));
    g.findFirst(QStringLiteral("[Descripcion] = 'GASOLINA DE AVIACIÓN'"));
    QVERIFY(!g.noMatch());
    QCOMPARE(g.field(QStringLiteral("Codigo")).toInt(), 26);
    g.findFirst(QStringLiteral("[Descripcion] = 'GASOLINA DE AVIACION'"));
    QVERIFY(g.noMatch());

    Recordset q = d.openRecordset(QStringLiteral("SELECT * FROM Gastos WHERE Descripcion = 'útiles escolares'"));
    QCOMPARE(q.recordCount(), 1);
    Recordset join = d.openRecordset(QStringLiteral(
        "SELECT Planilla_Det.NoDoc, Proveedores.Nombre FROM Proveedores INNER JOIN Planilla_Det ON Proveedores.Nit = Planilla_Det.Provee"));
    QCOMPARE(join.recordCount(), 2);
    Recordset order = d.openRecordset(QStringLiteral("SELECT Nombre FROM Proveedores WHERE Nit IN ('27','35','43') ORDER BY Nombre"));
    QStringList names;
    for (; !order.eof(); order.moveNext())
        names << order.field(0).toString();
    QCOMPARE(names, (QStringList{QStringLiteral("Avena"), QStringLiteral("ávila"), QStringLiteral("Azul")}));
    // A key differing only in case is the same key.
    QCOMPARE(errorOf([&] { d.execute(QStringLiteral("INSERT INTO Proveedores (Nit) VALUES ('6K')")); }), 3022);
}

void TestDatabase::datesAreDaySerials()
{
    support::TestDatabase t;
    addWorksheet(t);
    Database d = Database::open(t.path(), kConnect);
    Recordset p = d.openRecordset(QStringLiteral("SELECT Periodos.[No], Periodos.[Coeficiente], Periodos.Del, Periodos.Al FROM Periodos WHERE([No] = 3);"),
                                  RecordsetType::Snapshot);
    QCOMPARE(p.field(QStringLiteral("Del")).toDate(), QDate(2001, 7, 1));
    QCOMPARE(basic::CStr(p.field(QStringLiteral("Del"))), QStringLiteral("01/07/2001"));
    QCOMPARE(basic::CStr(p.field(QStringLiteral("Al"))), QStringLiteral("30/06/2002"));
    QCOMPARE(p.field(QStringLiteral("Coeficiente")).toDouble(), 0.107142);
    Recordset july = d.openRecordset(QStringLiteral("SELECT NoDoc FROM Planilla_Det WHERE Fecha Between 37073 And 37103"));
    QCOMPARE(july.recordCount(), 1);
    QCOMPARE(july.field(QStringLiteral("NoDoc")).toString(), QStringLiteral("100"));
    Recordset others = d.openRecordset(QStringLiteral("SELECT NoDoc FROM Planilla_Det WHERE ((Planilla_Det.Fecha) Not Between 37073 And 37103)"));
    QCOMPARE(others.field(QStringLiteral("NoDoc")).toString(), QStringLiteral("200"));
    Recordset dis = d.openRecordset(QStringLiteral("SELECT Periodos.[No], Periodos.Del, Periodos.Al, [Del] & ' - ' &  [Al] AS Dis FROM Periodos;"));
    dis.findFirst(QStringLiteral("[No] = 3"));
    QCOMPARE(dis.field(QStringLiteral("Dis")).toString(), QStringLiteral("01/07/2001 - 30/06/2002"));
    Recordset det = d.openRecordset(QStringLiteral("Planilla_Det"));
    det.findFirst(QStringLiteral("[Fecha] = #7/15/2001#"));
    QVERIFY(!det.noMatch());
    det.findFirst(QStringLiteral("[Fecha] = 37087"));
    QVERIFY(!det.noMatch());
}

void TestDatabase::workspaceTransaction()
{
    support::TestDatabase t;
    Database d = Database::open(t.path(), kConnect);
    d.beginTrans();
    d.execute(QStringLiteral("UPDATE Periodos SET Periodos.Coeficiente = 0.5 WHERE (((Periodos.[No])>2));"));
    QCOMPARE(d.recordsAffected(), 26);
    d.rollback();
    QCOMPARE(d.openRecordset(QStringLiteral("SELECT Coeficiente FROM Periodos WHERE [No] = 3")).field(0).toDouble(), 0.107142);
    d.beginTrans();
    d.execute(QStringLiteral("UPDATE Periodos SET Periodos.Coeficiente = 0.09 WHERE (((Periodos.[No])>2));"));
    d.commitTrans();
    QCOMPARE(Database::open(t.path(), kConnect).openRecordset(QStringLiteral("SELECT Coeficiente FROM Periodos WHERE [No] = 28")).field(0).toDouble(), 0.09);
}

void TestDatabase::tableDefinitionsAndSerieWidening()
{
    support::TestDatabase t;
    // An old file: the series column holds at most 5 characters.
    t.exec(QStringLiteral(
        "DROP TABLE Planilla_Det;"
        "CREATE TABLE Planilla_Det (Enc LONG, Secuencia INTEGER PRIMARY KEY AUTOINCREMENT,"
        " Provee TEXT(14) COLLATE ZALCI CONSTRAINT len_Provee CHECK (length(Provee) <= 14),"
        " Tipo TEXT(2) COLLATE ZALCI CONSTRAINT len_Tipo CHECK (length(Tipo) <= 2),"
        " Serie TEXT(5) COLLATE ZALCI CONSTRAINT len_Serie CHECK (length(Serie) <= 5),"
        " NoDoc TEXT(20) COLLATE ZALCI CONSTRAINT len_NoDoc CHECK (length(NoDoc) <= 20),"
        " Fecha DATETIME, Gasto LONG, Monto DOUBLE, Galon DOUBLE);"
        "CREATE INDEX Planilla_Det_Enc ON Planilla_Det (Enc);"
        "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Gasto) VALUES (1, '19', '0', 'A', '1', 1);"
        "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Gasto) VALUES (1, '19', '0', 'ABCDE', '2', 1);"
        "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Gasto) VALUES (1, '19', '0', NULL, '3', 1);"
        "DELETE FROM Planilla_Det WHERE NoDoc = '3';"));
    Database d = Database::open(t.path(), kConnect);
    TableDef def = d.tableDef(QStringLiteral("[Planilla_Det]"));
    QCOMPARE(def.field(QStringLiteral("Serie")).size, 5);
    QCOMPARE(def.field(QStringLiteral("Serie")).ordinalPosition, 5);
    QCOMPARE(def.field(QStringLiteral("Secuencia")).type, FieldType::Counter);

    d.beginTrans();
    d.execute(QStringLiteral("ALTER TABLE [Planilla_Det] ADD COLUMN AlterTempField TEXT(10)"));
    d.execute(QStringLiteral("UPDATE DISTINCTROW [Planilla_Det] SET AlterTempField = [Serie]"));
    d.execute(QStringLiteral("ALTER TABLE [Planilla_Det] DROP COLUMN [Serie]"));
    def = d.tableDef(QStringLiteral("[Planilla_Det]"));
    def.renameField(QStringLiteral("AlterTempField"), QStringLiteral("Serie"));
    def.setOrdinalPosition(QStringLiteral("Serie"), 5);
    d.commitTrans();

    Database again = Database::open(t.path(), kConnect);
    def = again.tableDef(QStringLiteral("Planilla_Det"));
    QCOMPARE(def.field(QStringLiteral("Serie")).size, 10);
    QCOMPARE(def.field(QStringLiteral("Serie")).ordinalPosition, 5);
    QVERIFY(!def.hasField(QStringLiteral("AlterTempField")));
    QCOMPARE(def.fields().size(), 10);
    Recordset rs = again.openRecordset(QStringLiteral("SELECT Serie FROM Planilla_Det ORDER BY Secuencia"));
    QCOMPARE(rs.field(0).toString(), QStringLiteral("A"));
    rs.moveNext();
    QCOMPARE(rs.field(0).toString(), QStringLiteral("ABCDE"));
    QCOMPARE(errorOf([&] { again.execute(QStringLiteral("INSERT INTO Planilla_Det (Serie) VALUES ('ABCDEFGHIJK')")); }), 3163);
    again.execute(QStringLiteral("INSERT INTO Planilla_Det (Serie) VALUES ('ABCDEFGHIJ')"));
    // The automatic number goes on past the deleted row, and the index survives.
    QCOMPARE(again.openRecordset(QStringLiteral("SELECT Max(Secuencia) FROM Planilla_Det")).field(0).toInt(), 4);
    QCOMPARE(again.openRecordset(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'Planilla_Det_Enc'")).field(0).toInt(), 1);
    // The references still guard deletions after the rebuild.
    again.execute(QStringLiteral("INSERT INTO Proveedores (Nit) VALUES ('19')"));
    QCOMPARE(errorOf([&] { again.execute(QStringLiteral("DELETE FROM Proveedores WHERE Nit = '19'")); }), 3200);

    // Size changes keep values too.
    def.setFieldSize(QStringLiteral("NoDoc"), 25);
    QCOMPARE(again.tableDef(QStringLiteral("Planilla_Det")).field(QStringLiteral("NoDoc")).size, 25);
    QCOMPARE(again.openRecordset(QStringLiteral("SELECT count(*) FROM Planilla_Det")).field(0).toInt(), 3);
}

void TestDatabase::repairSalvagesAndKeepsBackup()
{
    support::TestDatabase t;
    addWorksheet(t);
    // Damage the page that holds the suppliers' rows.
    int page = 0;
    {
        sqlite3* h = nullptr;
        sqlite3_open(t.path().toUtf8().constData(), &h);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(h, "SELECT rootpage FROM sqlite_master WHERE name = 'Proveedores'", -1, &st, nullptr);
        if (sqlite3_step(st) == SQLITE_ROW)
            page = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        sqlite3_close(h);
    }
    QVERIFY(page > 1);
    QFile f(t.path());
    QVERIFY(f.open(QIODevice::ReadWrite));
    f.seek(qint64(page - 1) * 4096);
    f.write(QByteArray(4096, '\xA5'));
    f.close();
    const QByteArray damaged = fileBytes(t.path());
    QVERIFY(errorOf([&] { Database::open(t.path(), kConnect); }) != 0);

    const QString backup = repairDatabase(t.path());
    QCOMPARE(fileBytes(backup), damaged);
    Database d = Database::open(t.path(), kConnect);
    QCOMPARE(d.openRecordset(QStringLiteral("Periodos")).recordCount(), 28);
    QCOMPARE(d.openRecordset(QStringLiteral("Planilla_Det")).recordCount(), 2);
    QCOMPARE(d.openRecordset(QStringLiteral("Gastos")).recordCount(), 31);
    QVERIFY(d.tableNames().contains(QStringLiteral("Proveedores")));
    // The salvaged file still refuses what the original refused.
    QCOMPARE(errorOf([&] { d.execute(QStringLiteral("DELETE FROM Gastos WHERE Codigo = 24")); }), 3200);
    d.execute(QStringLiteral("INSERT INTO Gastos (Descripcion) VALUES ('Nuevo')"));
    QCOMPARE(d.openRecordset(QStringLiteral("SELECT Max(Codigo) FROM Gastos")).field(0).toInt(), 32);
    // A second repair of a sound file keeps it sound.
    repairDatabase(t.path());
    QVERIFY(Database::open(t.path(), kConnect).isOpen());
}

void TestDatabase::repairLeavesForeignFileAlone()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("texto.mdb"));
    QFile f(text);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("Esto no es una base de datos.\r\n");
    f.close();
    const QByteArray before = fileBytes(text);
    QCOMPARE(errorOf([&] { repairDatabase(text); }), 3343);
    QCOMPARE(fileBytes(text), before);

    const QString foreign = dir.filePath(QStringLiteral("otra.db"));
    sqlite3* h = nullptr;
    sqlite3_open(foreign.toUtf8().constData(), &h);
    sqlite3_exec(h, "CREATE TABLE t (a); INSERT INTO t VALUES (1);", nullptr, nullptr, nullptr);
    sqlite3_close(h);
    const QByteArray foreignBefore = fileBytes(foreign);
    QCOMPARE(errorOf([&] { repairDatabase(foreign); }), 3343);
    QCOMPARE(fileBytes(foreign), foreignBefore);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    QCOMPARE(errorOf([&] { repairDatabase(dir.filePath(QStringLiteral("nada.mdb"))); }), 3024);
}

void TestDatabase::killedWriterLeavesFileWhole()
{
    support::TestDatabase t;
    // The child saves pairs of rows, each pair in one transaction, until it is killed.
    const pid_t child = fork();
    if (child == 0) {
        try {
            Database d = Database::open(t.path(), kConnect);
            for (int i = 0;; ++i) {
                d.beginTrans();
                d.execute(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('A%1', 'x')").arg(i));
                d.execute(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('B%1', 'x')").arg(i));
                d.commitTrans();
            }
        } catch (...) {
        }
        _exit(0);
    }
    QTest::qWait(400);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    Database d = Database::open(t.path(), kConnect);   // the open checks the file's integrity
    const int rows = d.openRecordset(QStringLiteral("SELECT count(*) FROM Proveedores")).field(0).toInt();
    QVERIFY(rows > 0);
    QCOMPARE(rows % 2, 0);
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"
