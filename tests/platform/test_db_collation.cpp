// A file the program makes can be read, filtered and checked by other SQLite tools; files of
// earlier versions, whose text columns named the program's own collation, are brought over.
#include "platform/db/connection.h"
#include "platform/db/database.h"
#include "platform/db/jet_sql.h"
#include "platform/db/schema.h"
#include "platform/db/upgrade.h"
#include "support/support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

using namespace db;

namespace {
const QString kConnect = QStringLiteral(";pwd=MIRVOSK");

using support::dbErrorOf;
using support::fileBytes;
using support::plainQuery;

// Rows with accented and mixed-case texts, written through the engine as the forms write them.
void addRows(const QString& path)
{
    Database d = Database::open(path, kConnect);
    d.execute(QStringLiteral("INSERT INTO Contribuyentes (Nit, Nombre) VALUES ('1234567', 'Ñandú Álvarez')"));
    d.execute(QStringLiteral("INSERT INTO Contribuyentes (Nit, Nombre) VALUES ('76543K', 'Ana')"));
    d.execute(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('12345K', 'ávila')"));
    d.execute(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('6789', 'Avena')"));
    d.execute(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('ÉK1', 'Éxito')"));
    d.execute(QStringLiteral("INSERT INTO Planilla_Enc (Contribuyente, Periodo) VALUES (1, 3)"));
    d.execute(QStringLiteral("INSERT INTO Planilla_Det (Enc, Provee, Tipo, NoDoc, Fecha, Monto) VALUES (1, '12345k', '0', '1', 37087, 10)"));
    d.execute(QStringLiteral("INSERT INTO Planilla_Det (Enc, Provee, Tipo, NoDoc, Fecha, Monto) VALUES (1, 'éK1', '0', '2', 37088, 20)"));
    d.execute(QStringLiteral("INSERT INTO ISR (Nit, Cas16) VALUES ('1234567', 'uno')"));
    // A counter ahead of the rows: the last expense type was deleted.
    d.execute(QStringLiteral("INSERT INTO Gastos (Descripcion) VALUES ('borrado')"));
    d.execute(QStringLiteral("DELETE FROM Gastos WHERE Descripcion = 'BORRADO'"));
}

// Every row of the tables with texts, read through the engine.
QString programRows(const QString& path)
{
    Database d = Database::open(path, kConnect);
    QString out;
    for (const char* table : {"Contribuyentes", "Proveedores", "Gastos", "Planilla_Det", "ISR"}) {
        Recordset rs = d.openRecordset(QStringLiteral("SELECT * FROM %1").arg(QLatin1String(table)), RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext())
            for (int i = 0; i < rs.fieldCount(); ++i)
                out += rs.field(i).toString() + QLatin1Char('|');
        out += QLatin1Char('\n');
    }
    return out;
}

// A file as earlier versions made it: every text column with the program's own ZALCI collation,
// case-blind keys kept by indexes in that collation.
void makeLegacyFile(const QString& path)
{
    QString schema = schemaSql();
    schema.replace(QStringLiteral("COLLATE NOCASE"), QStringLiteral("COLLATE ZALCI"));
    schema.replace(QStringLiteral(" COLLATE BINARY"), QString());
    schema = schema.left(schema.indexOf(QStringLiteral("-- Tax ids are unique ignoring letter case")));
    QString why;
    QVERIFY2(createDatabase(path, schema, seedSql(), &why), qPrintable(why));
    QVERIFY(plainQuery(path, QStringLiteral("PRAGMA integrity_check")).startsWith(QLatin1String("error: no such collation")));
}
// The indexes and triggers earlier versions gave a file: tax ids in BINARY indexes only (which
// no NOCASE comparison can use), keys outside printable ASCII by their text, no index on the
// period of a worksheet, and triggers that compared every row of a table.
const char* const kEarlierKeys = R"(
DROP INDEX Contribuyentes_Nit; DROP INDEX Contribuyentes_Nit_unicode; DROP INDEX Proveedores_Nit;
DROP INDEX Proveedores_Nit_unicode; DROP INDEX Planilla_Enc_Periodo; DROP INDEX Planilla_Det_Provee;
DROP INDEX Planilla_Det_Provee_unicode; DROP INDEX ISR_Nit; DROP INDEX ISR_Nit_unicode;
CREATE INDEX Proveedores_Nit_unicode ON Proveedores (Nit COLLATE BINARY) WHERE Nit GLOB '*[^ -~]*';
CREATE INDEX Contribuyentes_Nit ON Contribuyentes (Nit COLLATE BINARY);
CREATE INDEX Planilla_Det_Provee ON Planilla_Det (Provee COLLATE BINARY);
DROP TRIGGER ref_Proveedores; DROP TRIGGER ref_Proveedores_Nit;
CREATE TRIGGER ref_Proveedores BEFORE DELETE ON Proveedores
WHEN EXISTS (SELECT 1 FROM Planilla_Det WHERE Planilla_Det.Provee = OLD.Nit)
BEGIN SELECT RAISE(ABORT, 'ZAL-3200 Planilla_Det'); END;
CREATE TRIGGER ref_Proveedores_Nit BEFORE UPDATE OF Nit ON Proveedores
WHEN NEW.Nit IS NOT OLD.Nit AND EXISTS (SELECT 1 FROM Planilla_Det WHERE Planilla_Det.Provee = OLD.Nit)
BEGIN SELECT RAISE(ABORT, 'ZAL-3200 Planilla_Det'); END;
DROP TRIGGER uniq_Proveedores_Nit_ins;
CREATE TRIGGER uniq_Proveedores_Nit_ins AFTER INSERT ON Proveedores
WHEN NEW.Nit IS NOT NULL AND (SELECT count(*) FROM Proveedores WHERE Proveedores.Nit = NEW.Nit) > 1
BEGIN SELECT RAISE(ABORT, 'ZAL-3022 Proveedores'); END;
)";

// The engine error that running the statements (separated by "; ") ends with; 0 when none.
int errorOfStatements(Database& d, const QString& sql)
{
    return dbErrorOf([&] {
        for (const QString& s : sql.split(QStringLiteral("; ")))
            d.execute(s);
    });
}

// The file's indexes and triggers as SQLite keeps them.
QString keysOf(const QString& path)
{
    return plainQuery(path, QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master WHERE type IN ('index', 'trigger') "
                                           "ORDER BY type, name"));
}

// The plan SQLite makes for the worksheet's rows joined with their suppliers.
QString supplierJoinPlan(Database& d)
{
    const QString sql = d.connection()->translate(QStringLiteral(
        "SELECT Proveedores.Nombre FROM Planilla_Det INNER JOIN Proveedores ON Planilla_Det.Provee = Proveedores.Nit "
        "WHERE Planilla_Det.Enc = 1"));
    Statement st(*d.connection(), QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    QStringList plan;
    while (st.step())
        plan << st.rawValue(3).toString();
    return plan.join(QLatin1Char('\n'));
}
} // namespace

class TestDbCollation : public QObject {
    Q_OBJECT
private slots:
    void init() { setLockTimeout(100); }

    void otherToolsCheckAndFilterTheFile();
    void sqliteCommandLineChecksAProgramMadeFile();
    void taxIdsUniqueIgnoringCase_data();
    void taxIdsUniqueIgnoringCase();
    void programComparesWithUnicodeFolding();
    void lettersTakenForAsciiLookedUp();
    void legacyFileBroughtOver();
    void legacyFileUpgradeFailureLeavesItUntouched();
    void referencedKeysIgnoringCase_data();
    void referencedKeysIgnoringCase();
    void sqliteCommandLineChecksIndexedKeys();
    void earlierKeysReplaced();
    void keysUpgradeFailureLeavesFileUntouched();
};

void TestDbCollation::otherToolsCheckAndFilterTheFile()
{
    support::TestDatabase t;
    addRows(t.path());
    QCOMPARE(plainQuery(t.path(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    // ASCII letters compare without case in other tools too.
    QCOMPARE(plainQuery(t.path(), QStringLiteral("SELECT Nombre FROM Proveedores WHERE Nombre = 'AVENA'")), QStringLiteral("Avena"));
    QCOMPARE(plainQuery(t.path(), QStringLiteral("SELECT Nit FROM Proveedores WHERE Nit = '12345k'")), QStringLiteral("12345K"));
    QCOMPARE(plainQuery(t.path(), QStringLiteral("SELECT count(*) FROM Planilla_Det JOIN Proveedores ON Provee = Nit")),
             QStringLiteral("1"));   // 'éK1' and 'ÉK1' match only under the program's folding
    // A row a tool writes is checked as well.
    sqlite3* h = nullptr;
    sqlite3_open_v2(QFile::encodeName(t.path()).constData(), &h, SQLITE_OPEN_READWRITE, nullptr);
    QCOMPARE(sqlite3_exec(h, "INSERT INTO Proveedores (Nit, Nombre) VALUES ('6789', 'x')", nullptr, nullptr, nullptr), SQLITE_CONSTRAINT);
    QCOMPARE(sqlite3_exec(h, "INSERT INTO Proveedores (Nit, Nombre) VALUES ('abc', 'Óscar')", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close_v2(h);
    QCOMPARE(plainQuery(t.path(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    Database d = Database::open(t.path(), kConnect);
    QCOMPARE(d.openRecordset(QStringLiteral("SELECT * FROM Proveedores WHERE Nit = 'ABC'")).recordCount(), 1);
}

void TestDbCollation::sqliteCommandLineChecksAProgramMadeFile()
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (tool.isEmpty())
        QSKIP("the sqlite3 command line is not installed (scripts/setup installs it)");
    support::TestDatabase t;
    addRows(t.path());
    QProcess p;
    p.start(tool, {t.path(), QStringLiteral("PRAGMA integrity_check; SELECT Nit || '=' || Nombre FROM Proveedores "
                                            "WHERE Nombre = 'avena' OR Nit = '12345k' ORDER BY Nit;")});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(p.readAllStandardError()), QString());
    QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), QStringLiteral("ok\n12345K=ávila\n6789=Avena\n"));
}

void TestDbCollation::taxIdsUniqueIgnoringCase_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("number");
    QTest::newRow("taxpayer, other case") << "INSERT INTO Contribuyentes (Nit) VALUES ('76543k')" << 3022;
    QTest::newRow("taxpayer, accented other case") << "INSERT INTO Proveedores (Nit) VALUES ('éK1')" << 3022;
    QTest::newRow("supplier, same") << "INSERT INTO Proveedores (Nit) VALUES ('6789')" << 3022;
    QTest::newRow("supplier renamed onto another") << "UPDATE Proveedores SET Nit = '12345K' WHERE Nit = '6789'" << 3022;
    QTest::newRow("supplier, own case changed") << "UPDATE Proveedores SET Nit = '12345k' WHERE Nit = '12345K'" << 0;
    QTest::newRow("return, other case") << "INSERT INTO ISR (Nit) VALUES ('1234567')" << 3022;
    QTest::newRow("taxpayers without tax id") << "INSERT INTO Contribuyentes (Nombre) VALUES ('a'); "
                                                 "INSERT INTO Contribuyentes (Nombre) VALUES ('b')" << 0;
    QTest::newRow("new tax id") << "INSERT INTO Proveedores (Nit) VALUES ('999')" << 0;
    QTest::newRow("supplier renamed onto another, other case")
        << "UPDATE Proveedores SET Nit = '12345k' WHERE Nit = '6789'" << 3022;
    QTest::newRow("taxpayer renamed onto another, other case")
        << "UPDATE Contribuyentes SET Nit = '76543k' WHERE Nit = '1234567'" << 3022;
    QTest::newRow("return, other ASCII case") << "INSERT INTO ISR (Nit) VALUES ('abc'); "
                                                 "INSERT INTO ISR (Nit) VALUES ('ABC')" << 3022;
    QTest::newRow("taxpayer, accented, other case") << "INSERT INTO Contribuyentes (Nit) VALUES ('Ñ1'); "
                                                       "INSERT INTO Contribuyentes (Nit) VALUES ('ñ1')" << 3022;
    QTest::newRow("return, accented, other case") << "INSERT INTO ISR (Nit) VALUES ('ç9'); "
                                                     "INSERT INTO ISR (Nit) VALUES ('Ç9')" << 3022;
    // The Kelvin sign folds to the ASCII k: an ASCII key equals a stored key that holds it.
    QTest::newRow("supplier, stored with the Kelvin sign") << "INSERT INTO Proveedores (Nit) VALUES ('77\u212A'); "
                                                              "INSERT INTO Proveedores (Nit) VALUES ('77k')" << 3022;
    QTest::newRow("supplier with the Kelvin sign") << "INSERT INTO Proveedores (Nit) VALUES ('12345\u212A')" << 3022;
    QTest::newRow("accented tax id, new") << "INSERT INTO Proveedores (Nit) VALUES ('Ñ9'); "
                                             "INSERT INTO Contribuyentes (Nit) VALUES ('ñ9')" << 0;
}

void TestDbCollation::taxIdsUniqueIgnoringCase()
{
    QFETCH(QString, sql);
    QFETCH(int, number);
    support::TestDatabase t;
    addRows(t.path());
    Database d = Database::open(t.path(), kConnect);
    QCOMPARE(errorOfStatements(d, sql), number);
    d.close();
    QCOMPARE(plainQuery(t.path(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
}

void TestDbCollation::referencedKeysIgnoringCase_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("number");
    // addRows: the documents name '12345k' (supplier '12345K') and 'éK1' (supplier 'ÉK1').
    QTest::newRow("supplier named in other case") << "DELETE FROM Proveedores WHERE Nit = '12345K'" << 3200;
    QTest::newRow("accented supplier named in other case") << "DELETE FROM Proveedores WHERE Nombre = 'Éxito'" << 3200;
    QTest::newRow("supplier without documents") << "DELETE FROM Proveedores WHERE Nit = '6789'" << 0;
    QTest::newRow("supplier renamed") << "UPDATE Proveedores SET Nit = '999' WHERE Nit = '12345K'" << 3200;
    QTest::newRow("accented supplier renamed") << "UPDATE Proveedores SET Nit = 'É2' WHERE Nombre = 'Éxito'" << 3200;
    QTest::newRow("supplier's own case changed") << "UPDATE Proveedores SET Nit = '12345k' WHERE Nit = '12345K'" << 0;
    QTest::newRow("named with the Kelvin sign")
        << "INSERT INTO Planilla_Det (Enc, Provee) VALUES (1, '6789\u212A'); "
           "INSERT INTO Proveedores (Nit, Nombre) VALUES ('6789k', 'Kelvin'); "
           "DELETE FROM Proveedores WHERE Nombre = 'Kelvin'" << 3200;
    QTest::newRow("supplier with the Kelvin sign, named in ASCII")
        << "INSERT INTO Planilla_Det (Enc, Provee) VALUES (1, '55K'); "
           "INSERT INTO Proveedores (Nit, Nombre) VALUES ('55\u212A', 'Kelvin'); "
           "DELETE FROM Proveedores WHERE Nombre = 'Kelvin'" << 3200;
}

void TestDbCollation::referencedKeysIgnoringCase()
{
    QFETCH(QString, sql);
    QFETCH(int, number);
    support::TestDatabase t;
    addRows(t.path());
    Database d = Database::open(t.path(), kConnect);
    const int suppliers = d.openRecordset(QStringLiteral("Proveedores")).recordCount();
    QCOMPARE(errorOfStatements(d, sql), number);
    const int added = int(sql.count(QLatin1String("INSERT INTO Proveedores")));
    const int deleted = number == 0 && sql.contains(QLatin1String("DELETE")) ? 1 : 0;
    QCOMPARE(d.openRecordset(QStringLiteral("Proveedores")).recordCount(), suppliers + added - deleted);
    d.close();
    QCOMPARE(plainQuery(t.path(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
}

void TestDbCollation::sqliteCommandLineChecksIndexedKeys()
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (tool.isEmpty())
        QSKIP("the sqlite3 command line is not installed (scripts/setup installs it)");
    support::TestDatabase t;
    addRows(t.path());
    {
        // Keys with letters outside ASCII and in mixed case, written, changed and deleted by the
        // program: every index on them must be what any SQLite tool computes.
        Database d = Database::open(t.path(), kConnect);
        d.execute(QStringLiteral("INSERT INTO Contribuyentes (Nit, Nombre) VALUES ('ñ1k', 'Íñigo Ñúñez')"));
        d.execute(QStringLiteral("INSERT INTO ISR (Nit, Cas16) VALUES ('Ñ2k', 'ö')"));
        d.execute(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('çAb9', 'Ça va, S.A.')"));
        d.execute(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('77\u212A', 'Kelvin')"));
        d.execute(QStringLiteral("INSERT INTO Planilla_Det (Enc, Provee, Tipo, NoDoc) VALUES (1, 'ÇaB9', '0', '3')"));
        d.execute(QStringLiteral("UPDATE Contribuyentes SET Nit = 'Ñ1K' WHERE Nombre = 'Íñigo Ñúñez'"));
        d.execute(QStringLiteral("UPDATE Planilla_Det SET Provee = 'çab9' WHERE NoDoc = '3'"));
        d.execute(QStringLiteral("DELETE FROM ISR WHERE Nit = 'ñ2K'"));
        QCOMPARE(d.openRecordset(QStringLiteral("SELECT * FROM ISR")).recordCount(), 1);
    }
    QProcess p;
    p.start(tool, {t.path(), QStringLiteral("PRAGMA integrity_check")});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(p.readAllStandardError()), QString());
    QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), QStringLiteral("ok\n"));
}

void TestDbCollation::earlierKeysReplaced()
{
    support::TestDatabase fresh;
    support::TestDatabase t;
    addRows(t.path());
    t.exec(QString::fromUtf8(kEarlierKeys));
    const QString rows = programRows(t.path());
    {
        Database d = Database::open(t.path(), kConnect);
        QVERIFY2(supplierJoinPlan(d).contains(QLatin1String("SCAN Proveedores")), qPrintable(supplierJoinPlan(d)));
        QVERIFY(upgradeIndexes(d, schemaSql()));
        QVERIFY(!d.inTransaction());
        QVERIFY2(!supplierJoinPlan(d).contains(QLatin1String("SCAN")), qPrintable(supplierJoinPlan(d)));
        // The new triggers at work on this connection.
        QCOMPARE(dbErrorOf([&] { d.execute(QStringLiteral("DELETE FROM Proveedores WHERE Nit = '12345K'")); }), 3200);
        QCOMPARE(dbErrorOf([&] { d.execute(QStringLiteral("INSERT INTO Proveedores (Nit) VALUES ('6789')")); }), 3022);
    }
    QCOMPARE(keysOf(t.path()), keysOf(fresh.path()));
    QCOMPARE(programRows(t.path()), rows);
    QCOMPARE(plainQuery(t.path(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));

    // A file that has them all is not written at all.
    const QByteArray before = fileBytes(t.path());
    {
        Database d = Database::open(t.path(), kConnect);
        QVERIFY(!upgradeIndexes(d, schemaSql()));
    }
    QCOMPARE(fileBytes(t.path()), before);
}

void TestDbCollation::keysUpgradeFailureLeavesFileUntouched()
{
    support::TestDatabase t;
    addRows(t.path());
    t.exec(QString::fromUtf8(kEarlierKeys));
    // A table of the name of an index to be made: the upgrade fails half-way.
    t.exec(QStringLiteral("CREATE TABLE ISR_Nit (x TEXT)"));
    const QByteArray before = fileBytes(t.path());
    {
        Database d = Database::open(t.path(), kConnect);
        QVERIFY(dbErrorOf([&] { upgradeIndexes(d, schemaSql()); }) != 0);
        QVERIFY(!d.inTransaction());
        QCOMPARE(dbErrorOf([&] { d.execute(QStringLiteral("DELETE FROM Proveedores WHERE Nit = '12345K'")); }), 3200);
    }
    QCOMPARE(fileBytes(t.path()), before);
    QVERIFY(!QFile::exists(t.path() + QStringLiteral("-journal")));
}

void TestDbCollation::programComparesWithUnicodeFolding()
{
    support::TestDatabase t;
    addRows(t.path());
    Database d = Database::open(t.path(), kConnect);
    QCOMPARE(d.openRecordset(QStringLiteral("SELECT * FROM Contribuyentes WHERE Nombre = 'ÑANDÚ ÁLVAREZ'")).recordCount(), 1);
    QCOMPARE(d.openRecordset(QStringLiteral("SELECT * FROM Planilla_Det INNER JOIN Proveedores ON Planilla_Det.Provee = Proveedores.Nit "
                                            "COLLATE NOCASE"))
                 .recordCount(),
             2);
    // The same pairs as the comparison written out, through the indexes of the keys.
    QCOMPARE(d.openRecordset(QStringLiteral("SELECT * FROM Planilla_Det INNER JOIN Proveedores ON Planilla_Det.Provee = Proveedores.Nit"))
                 .recordCount(),
             2);
    Recordset sorted = d.openRecordset(QStringLiteral("SELECT Nombre FROM Proveedores ORDER BY Nombre"));
    QStringList names;
    for (; !sorted.eof(); sorted.moveNext())
        names << sorted.field(0).toString();
    QCOMPARE(names, (QStringList{QStringLiteral("Avena"), QStringLiteral("ávila"), QStringLiteral("Éxito")}));
}

void TestDbCollation::lettersTakenForAsciiLookedUp()
{
    // Every character outside ASCII that the program's comparison takes for an ASCII letter
    // (the long s, the Kelvin sign: the comparison tells which), in a key stored or looked up.
    QList<std::pair<QChar, QChar>> pairs;
    for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
        if (QChar::isSurrogate(c))
            continue;
        const QString text{QChar(char16_t(c))};
        for (char letter = 'a'; letter <= 'z'; ++letter)
            if (jet::compareText(text, QString(QLatin1Char(letter))) == 0)
                pairs.append({QChar(char16_t(c)), QLatin1Char(letter)});
    }
    QVERIFY(pairs.size() >= 2);
    support::TestDatabase t;
    Database d = Database::open(t.path(), kConnect);
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        const auto [other, letter] = pairs.at(i);
        const QString n = QString::number(i);
        d.execute(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES (%1, 'a'), (%2, 'b')")
                      .arg(quoteLiteral(other + n), quoteLiteral(QString(letter).toUpper() + QLatin1Char('-') + n)));
        const auto found = [&](const QString& key) {
            return d.openRecordset(QStringLiteral("SELECT Nit FROM Proveedores WHERE Nit = ") + quoteLiteral(key)).recordCount();
        };
        QVERIFY2(found(letter + n) == 1, qPrintable(QString::number(other.unicode(), 16)));
        QVERIFY2(found(other + QLatin1Char('-') + n) == 1, qPrintable(QString::number(other.unicode(), 16)));
    }
}

void TestDbCollation::legacyFileBroughtOver()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("eko.mdb"));
    makeLegacyFile(path);
    addRows(path);
    const QString before = programRows(path);   // a plain connection cannot read the old file
    {
        Database d = Database::open(path, kConnect);
        QVERIFY(upgradeTextCollation(d, schemaSql()));
        QVERIFY(!upgradeTextCollation(d, schemaSql()));   // nothing left to do
    }
    QCOMPARE(plainQuery(path, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE sql LIKE '%ZALCI%'")), QStringLiteral("0"));
    QCOMPARE(plainQuery(path, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    // The same definitions, indexes and triggers as a new file (a rebuilt table's name is quoted).
    support::TestDatabase fresh;
    const QString shape = QStringLiteral("SELECT type, name, tbl_name, replace(sql, '\"', '') FROM sqlite_master "
                                         "WHERE name <> 'sqlite_sequence' ORDER BY type, name");
    QCOMPARE(plainQuery(path, shape), plainQuery(fresh.path(), shape));
    // Every row and counter kept.
    QCOMPARE(plainQuery(path, QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'Gastos'")),
             plainQuery(path, QStringLiteral("SELECT max(Codigo) + 1 FROM Gastos")));
    QCOMPARE(programRows(path), before);
    Database d = Database::open(path, kConnect);
    QCOMPARE(dbErrorOf([&] { d.execute(QStringLiteral("INSERT INTO Proveedores (Nit) VALUES ('éK1')")); }), 3022);
}

void TestDbCollation::legacyFileUpgradeFailureLeavesItUntouched()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("eko.mdb"));
    makeLegacyFile(path);
    addRows(path);
    {
        // A column the program's definition does not have: the upgrade must not drop it.
        Database d = Database::open(path, kConnect);
        d.execute(QStringLiteral("ALTER TABLE Proveedores ADD COLUMN Nota TEXT(20)"));
        d.execute(QStringLiteral("UPDATE Proveedores SET Nota = 'guardar'"));
    }
    const QByteArray before = fileBytes(path);
    {
        Database d = Database::open(path, kConnect);
        QCOMPARE(dbErrorOf([&] { upgradeTextCollation(d, schemaSql()); }), int(err::InvalidOperation));
        QVERIFY(!d.inTransaction());
        QCOMPARE(d.openRecordset(QStringLiteral("SELECT Nota FROM Proveedores")).field(0).toString(), QStringLiteral("guardar"));
    }
    QCOMPARE(fileBytes(path), before);
    QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
}

QTEST_GUILESS_MAIN(TestDbCollation)
#include "test_db_collation.moc"
