// Repair of damaged files: every readable row is kept (past a broken page, in a file cut short),
// what could not be kept is counted per table, automatic numbers never hand out a number still
// referred to, and a damaged original is backed up once however often it is repaired.
#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "support/damage_corpus.h"
#include "support/support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

using namespace db;

namespace {
const QString kConnect = QStringLiteral(";pwd=MIRVOSK");

// A worksheet of 600 rows for 30 taxpayers, as a real year's file would hold.
void fillWorksheets(const support::TestDatabase& t)
{
    QString sql = QStringLiteral("BEGIN;");
    for (int c = 1; c <= 30; ++c) {
        sql += QStringLiteral("INSERT INTO Contribuyentes (Nit, Nombre) VALUES ('%1-K', 'Contribuyente número %1');").arg(1000 + c);
        sql += QStringLiteral("INSERT INTO Planilla_Enc (Contribuyente, Periodo) VALUES (%1, 5);").arg(c);
    }
    for (int r = 1; r <= 600; ++r) {
        sql += QStringLiteral("INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto) "
                              "VALUES (%1, '%2', 'F', 'SERIE-%3', 'DOCUMENTO-%4', 37000, 3, %5);")
                   .arg(1 + r % 30).arg(500000 + r).arg(r % 97).arg(r * 7).arg(r * 1.25);
    }
    t.exec(sql + QStringLiteral("COMMIT;"));
}

qint64 scalar(const QString& path, const QString& sql)
{
    sqlite3* h = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    qint64 value = -1;
    if (sqlite3_prepare_v2(h, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        value = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    sqlite3_close_v2(h);
    return value;
}

// Past the worksheet's last document a long run of numbers was handed out and deleted again; then
// documents were added until one stood alone on a leaf page of its own, the table's last. Another
// tool wrote their numbers in Latin-1 ("Nº 1"): such a text is not read back from the pages alone,
// only through the engine.
void addLoneLastDocument(const support::TestDatabase& t)
{
    const QString leaves = QStringLiteral("SELECT count(*) FROM dbstat WHERE name = 'Planilla_Det' AND pagetype = 'leaf'");
    const qint64 before = scalar(t.path(), leaves);
    for (qint64 n = 2100; scalar(t.path(), leaves) == before && n < 2600; ++n)
        t.exec(QStringLiteral("INSERT INTO Planilla_Det (Secuencia, Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto) "
                              "VALUES (%1, 1, '500001', 'F', 'SERIE-1', CAST(X'4EBA2031' AS TEXT), 37000, 3, 1.25)").arg(n));
    QCOMPARE(scalar(t.path(), QStringLiteral("SELECT ncell FROM dbstat WHERE name = 'Planilla_Det' AND pagetype = 'leaf' "
                                             "ORDER BY path DESC LIMIT 1")), 1);
}

QMap<QString, qint64> rowCounts(const QString& path)
{
    QMap<QString, qint64> counts;
    for (const QString& table : {QStringLiteral("Contribuyentes"), QStringLiteral("Planilla_Enc"), QStringLiteral("Planilla_Det"),
                                 QStringLiteral("Periodos"), QStringLiteral("Gastos"), QStringLiteral("zal_sistema")})
        counts[table] = scalar(path, QStringLiteral("SELECT count(*) FROM %1").arg(table));
    return counts;
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Overwrites one page of the file.
void breakPage(const QString& path, qint64 page, char fill)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    f.seek((page - 1) * 4096);
    f.write(QByteArray(4096, fill));
}

qint64 lossOf(const QList<RepairLoss>& losses, const QString& table)
{
    for (const RepairLoss& l : losses) {
        if (l.table == table)
            return l.rows;
    }
    return 0;
}
} // namespace

class TestRepair : public QObject {
    Q_OBJECT
private slots:
    void brokenPageLosesOnlyItsRows_data();
    void brokenPageLosesOnlyItsRows();
    void fileCutShortKeepsItsReadablePages_data();
    void fileCutShortKeepsItsReadablePages();
    void brokenPageOfTheFilesOwnMarksKeepsEveryRow();
    void countersStayAboveEveryNumberReferredTo();
    void rebuildKeepsCountersAboveReferences();
    void sameDamageIsBackedUpOnce();
    void damageIsTheOnlyErrorToRepair();
    void definitionsRunAsOneStatementOnly();
    void fileSwappedInIsCheckedAgain();
    void brokenSchemaPage_data();
    void brokenSchemaPage();
    void pageOfAnotherTableWhereTheMarksWere_data();
    void pageOfAnotherTableWhereTheMarksWere();
    void pageThatWentElsewhereAndWasLostIsToldWhole();
    void damagedFileWithAnotherProgramsMarks_data();
    void damagedFileWithAnotherProgramsMarks();
};

void TestRepair::brokenPageLosesOnlyItsRows_data()
{
    QTest::addColumn<char>("fill");
    QTest::addColumn<bool>("loneLastRow");
    QTest::newRow("zeroed") << '\0' << false;
    QTest::newRow("garbage") << '\xA5' << false;
    // Past the broken page only numbers nobody uses any more, up to the last document.
    QTest::newRow("zeroed, the last document alone past a long run of deleted numbers") << '\0' << true;
}

void TestRepair::brokenPageLosesOnlyItsRows()
{
    QFETCH(char, fill);
    QFETCH(bool, loneLastRow);
    support::TestDatabase t;
    fillWorksheets(t);
    if (loneLastRow)
        addLoneLastDocument(t);
    const auto before = rowCounts(t.path());
    // A leaf in the middle of the worksheet rows, or the one before the lone last document.
    const qint64 leaves = scalar(t.path(), QStringLiteral("SELECT count(*) FROM dbstat WHERE name = 'Planilla_Det' AND pagetype = 'leaf'"));
    QVERIFY(leaves > 4);
    const qint64 page = scalar(t.path(), QStringLiteral("SELECT pageno FROM dbstat WHERE name = 'Planilla_Det' AND pagetype = 'leaf' "
                                                        "ORDER BY path LIMIT 1 OFFSET %1").arg(loneLastRow ? leaves - 2 : leaves / 2));
    const qint64 rowsOnPage = scalar(t.path(), QStringLiteral("SELECT ncell FROM dbstat WHERE pageno = %1").arg(page));
    breakPage(t.path(), page, fill);
    QCOMPARE(support::dbErrorOf([&] { Database::open(t.path(), kConnect); }), int(err::Corrupt));

    QList<RepairLoss> losses;
    repairDatabase(t.path(), &losses);
    QVERIFY(Database::open(t.path(), kConnect).isOpen());
    const auto after = rowCounts(t.path());
    // Only the rows of the broken page are gone, and the report says so.
    QCOMPARE(after[QStringLiteral("Planilla_Det")], before[QStringLiteral("Planilla_Det")] - rowsOnPage);
    QVERIFY(lossOf(losses, QStringLiteral("Planilla_Det")) >= rowsOnPage);
    QVERIFY(lossOf(losses, QStringLiteral("Planilla_Det")) <= rowsOnPage + 1);
    for (const QString& table : {QStringLiteral("Contribuyentes"), QStringLiteral("Planilla_Enc"), QStringLiteral("Periodos"), QStringLiteral("Gastos")}) {
        QCOMPARE(after[table], before[table]);
        QCOMPARE(lossOf(losses, table), 0);
    }
    QCOMPARE(losses.size(), 1);
}

// The page holding the file's format and password marks is broken: every row of the user's
// tables is still readable, so the repair keeps them and writes the marks again.
void TestRepair::brokenPageOfTheFilesOwnMarksKeepsEveryRow()
{
    support::TestDatabase t;
    fillWorksheets(t);
    const auto before = rowCounts(t.path());
    breakPage(t.path(), scalar(t.path(), QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'zal_sistema'")), '\0');
    QCOMPARE(support::dbErrorOf([&] { Database::open(t.path(), kConnect); }), int(err::Corrupt));

    QList<RepairLoss> losses;
    repairDatabase(t.path(), &losses, kConnect);
    QVERIFY(Database::open(t.path(), kConnect).isOpen());
    QCOMPARE(support::dbErrorOf([&] { Database::open(t.path(), QStringLiteral(";pwd=OTRA")); }), int(err::InvalidPassword));
    QCOMPARE(rowCounts(t.path()), before);
    QVERIFY(losses.isEmpty());
}

void TestRepair::fileCutShortKeepsItsReadablePages_data()
{
    QTest::addColumn<int>("keptPercent");
    QTest::newRow("two thirds") << 66;
    QTest::newRow("nine tenths") << 90;
    QTest::newRow("half a page short") << 0;
}

void TestRepair::fileCutShortKeepsItsReadablePages()
{
    QFETCH(int, keptPercent);
    support::TestDatabase t;
    fillWorksheets(t);
    const auto before = rowCounts(t.path());
    QByteArray bytes = bytesOf(t.path());
    bytes.truncate(keptPercent ? bytes.size() * keptPercent / 100 : bytes.size() - 2048);
    writeBytes(t.path(), bytes);

    QList<RepairLoss> losses;
    repairDatabase(t.path(), &losses);
    QVERIFY(Database::open(t.path(), kConnect).isOpen());
    const auto after = rowCounts(t.path());
    // The seed at the start of the file is whole; every row that did not come back is reported.
    QCOMPARE(after[QStringLiteral("Periodos")], before[QStringLiteral("Periodos")]);
    QCOMPARE(after[QStringLiteral("Gastos")], before[QStringLiteral("Gastos")]);
    QVERIFY(after[QStringLiteral("Planilla_Det")] > 0);
    qint64 missing = 0;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const qint64 gone = it.value() - after[it.key()];
        missing += gone;
        QVERIFY2(lossOf(losses, it.key()) >= gone, qPrintable(QStringLiteral("%1: %2 gone, %3 reported").arg(it.key()).arg(gone).arg(lossOf(losses, it.key()))));
    }
    if (keptPercent)
        QVERIFY(missing > 0);
}

void TestRepair::countersStayAboveEveryNumberReferredTo()
{
    support::TestDatabase t;
    fillWorksheets(t);
    // The taxpayers' only page is lost, and with it their counter's row.
    const qint64 page = scalar(t.path(), QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'Contribuyentes'"));
    QCOMPARE(scalar(t.path(), QStringLiteral("SELECT count(*) FROM dbstat WHERE name = 'Contribuyentes'")), 1);
    breakPage(t.path(), page, '\0');
    t.exec(QStringLiteral("PRAGMA writable_schema = ON; DELETE FROM sqlite_sequence WHERE name = 'Contribuyentes'"));

    QList<RepairLoss> losses;
    repairDatabase(t.path(), &losses);
    QCOMPARE(lossOf(losses, QStringLiteral("Contribuyentes")), 30);
    Database d = Database::open(t.path(), kConnect);
    QCOMPARE(d.openRecordset(QStringLiteral("SELECT count(*) FROM Contribuyentes")).field(0).toInt(), 0);
    // A new taxpayer does not take the number of one whose worksheets are still there.
    d.execute(QStringLiteral("INSERT INTO Contribuyentes (Nit, Nombre) VALUES ('9-9', 'Nuevo')"));
    QCOMPARE(d.openRecordset(QStringLiteral("SELECT Max(No) FROM Contribuyentes")).field(0).toInt(), 31);
    d.execute(QStringLiteral("INSERT INTO Planilla_Enc (Contribuyente, Periodo) VALUES (31, 5)"));
    QCOMPARE(d.openRecordset(QStringLiteral("SELECT Max(No) FROM Planilla_Enc")).field(0).toInt(), 31);
}

void TestRepair::rebuildKeepsCountersAboveReferences()
{
    support::TestDatabase t;
    // Worksheets of taxpayer 7 remain, the taxpayers and their counter are gone.
    t.exec(QStringLiteral("INSERT INTO Planilla_Enc (Contribuyente, Periodo) VALUES (7, 5);"
                          "INSERT INTO Planilla_Det (Enc, Gasto) VALUES (12, 40);"
                          "DELETE FROM Contribuyentes; DELETE FROM sqlite_sequence WHERE name = 'Contribuyentes';"));
    Database d = Database::open(t.path(), kConnect);
    d.tableDef(QStringLiteral("Contribuyentes")).setFieldSize(QStringLiteral("Nombre"), 95);
    d.execute(QStringLiteral("INSERT INTO Contribuyentes (Nit, Nombre) VALUES ('9-9', 'Nuevo')"));
    QCOMPARE(d.openRecordset(QStringLiteral("SELECT Max(No) FROM Contribuyentes")).field(0).toInt(), 8);
}

void TestRepair::sameDamageIsBackedUpOnce()
{
    support::TestDatabase t;
    fillWorksheets(t);
    const qint64 page = scalar(t.path(), QStringLiteral("SELECT pageno FROM dbstat WHERE name = 'Planilla_Det' AND pagetype = 'leaf' LIMIT 1"));
    breakPage(t.path(), page, '\x5A');
    const QByteArray damaged = bytesOf(t.path());

    const QString first = repairDatabase(t.path());
    QCOMPARE(bytesOf(first), damaged);
    // The same damage again (the file copied back from elsewhere): the backup already kept serves.
    writeBytes(t.path(), damaged);
    QCOMPARE(repairDatabase(t.path()), first);
    QVERIFY(!QFile::exists(t.path() + QStringLiteral(".1.bak")));
    // Other damage gets a backup of its own; the first stays as it was.
    breakPage(t.path(), scalar(t.path(), QStringLiteral("SELECT pageno FROM dbstat WHERE name = 'Planilla_Det' "
                                                       "AND pagetype = 'leaf' LIMIT 1 OFFSET 3")), '\x11');
    const QByteArray other = bytesOf(t.path());
    const QString second = repairDatabase(t.path());
    QVERIFY(second != first);
    QCOMPARE(bytesOf(second), other);
    QCOMPARE(bytesOf(first), damaged);
}

void TestRepair::damageIsTheOnlyErrorToRepair()
{
    QVERIFY(isDamage(DbError(err::Corrupt, QString())));
    for (int number : {err::UnrecognizedFormat, err::InvalidPassword, err::Locked, err::FileInUse, err::CannotOpen, err::FileNotFound})
        QVERIFY2(!isDamage(DbError(number, QString())), qPrintable(QString::number(number)));
}

void TestRepair::definitionsRunAsOneStatementOnly()
{
    // A damaged definition that goes on after its statement: nothing but the table is made.
    support::TestDatabase t;
    const QString outside = t.dir() + QStringLiteral("/fuera.db");
    t.exec(QStringLiteral("PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = sql || '; ATTACH DATABASE ''%1'' AS fuera; "
                          "CREATE TABLE fuera.t (x)' WHERE name = 'Gastos';")
               .arg(outside));
    QList<RepairLoss> losses;
    repairDatabase(t.path(), &losses);
    QVERIFY(!QFile::exists(outside));
    QVERIFY(losses.isEmpty());
    QCOMPARE(Database::open(t.path(), kConnect).openRecordset(QStringLiteral("Gastos")).recordCount(), 31);
}

void TestRepair::fileSwappedInIsCheckedAgain()
{
    // A connection that passed the whole-file check spares later opens of the same file that check,
    // but a damaged file put in its place (another file under the same name) is checked again.
    support::TestDatabase t;
    fillWorksheets(t);
    const Database held = Database::open(t.path(), kConnect);
    QVERIFY(Database::open(t.path(), kConnect).isOpen());

    const QString damaged = t.path() + QStringLiteral(".otro");
    QVERIFY(QFile::copy(t.path(), damaged));
    const qint64 page = scalar(damaged, QStringLiteral("SELECT pageno FROM dbstat WHERE name = 'Planilla_Det' AND pagetype = 'leaf' "
                                                       "ORDER BY path LIMIT 1 OFFSET 2"));
    breakPage(damaged, page, '\xA5');
    QVERIFY(QFile::remove(t.path()));
    QVERIFY(QFile::rename(damaged, t.path()));
    QCOMPARE(support::dbErrorOf([&] { Database::open(t.path(), kConnect); }), int(err::Corrupt));
    QVERIFY(held.isOpen());
}

void TestRepair::brokenSchemaPage_data()
{
    QTest::addColumn<bool>("foreign");
    QTest::addColumn<bool>("marksToo");
    QTest::addColumn<bool>("wholeSchema");
    QTest::newRow("the program's file") << false << false << false;
    QTest::newRow("the program's file, its marks gone too") << false << true << false;
    QTest::newRow("the program's file, every page of its tables of tables and its marks gone") << false << true << true;
    QTest::newRow("another program's file") << true << false << false;
}

// The first page (the table of tables) is broken past the file's header: the engine reads no
// table at all. The rows are read from the pages themselves, but only a file whose own definitions
// or marks are found among them is the program's: any other is left exactly as it was.
void TestRepair::brokenSchemaPage()
{
    QFETCH(bool, foreign);
    QFETCH(bool, marksToo);
    QFETCH(bool, wholeSchema);
    support::TestDatabase t;
    QString path = t.path();
    if (foreign) {
        // Rows of the same kinds as the program's, in a file that has no marks of it.
        path = t.dir() + QStringLiteral("/otro.db");
        sqlite3* h = nullptr;
        sqlite3_open(QFile::encodeName(path).constData(), &h);
        sqlite3_exec(h, "CREATE TABLE clientes (clave TEXT PRIMARY KEY, valor TEXT);"
                        "CREATE TABLE notas (id INTEGER PRIMARY KEY AUTOINCREMENT, texto TEXT);"
                        "INSERT INTO clientes VALUES ('formato', 'OTRO'), ('clave', 'x');"
                        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                        "INSERT INTO notas (texto) SELECT 'nota ' || i FROM n;",
                     nullptr, nullptr, nullptr);
        sqlite3_close(h);
    } else {
        fillWorksheets(t);
    }
    const auto before = foreign ? QMap<QString, qint64>() : rowCounts(path);
    QList<qint64> broken;
    if (marksToo)
        broken << scalar(path, QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'zal_sistema'"));
    if (wholeSchema) {
        const qint64 pages = scalar(path, QStringLiteral("SELECT count(*) FROM dbstat WHERE name = 'sqlite_schema'"));
        QVERIFY(pages > 1);
        for (qint64 i = 0; i < pages; ++i)
            broken << scalar(path, QStringLiteral("SELECT pageno FROM dbstat WHERE name = 'sqlite_schema' AND pageno > 1 "
                                                  "ORDER BY pageno LIMIT 1 OFFSET %1").arg(i));
    }
    for (qint64 page : broken)
        if (page > 1)
            breakPage(path, page, '\0');
    QByteArray bytes = bytesOf(path);
    bytes.replace(100, 4096 - 100, QByteArray(4096 - 100, '\0'));
    writeBytes(path, bytes);

    QList<RepairLoss> losses;
    const int refusal = support::dbErrorOf([&] { repairDatabase(path, &losses, kConnect); });
    if (foreign || wholeSchema) {
        QCOMPARE(refusal, int(err::UnrecognizedFormat));
        QCOMPARE(bytesOf(path), bytes);
        QCOMPARE(QDir(t.dir()).entryList(QDir::Files | QDir::Hidden).size(), foreign ? 2 : 1);
        return;
    }
    QCOMPARE(refusal, 0);
    QCOMPARE(bytesOf(path + QStringLiteral(".bak")), bytes);
    QVERIFY(Database::open(path, kConnect).isOpen());
    QCOMPARE(support::dbErrorOf([&] { Database::open(path, QStringLiteral(";pwd=OTRA")); }), int(err::InvalidPassword));
    QCOMPARE(rowCounts(path), before);
    // Without the table of tables, nothing tells how many suppliers or periods there were.
    for (const RepairLoss& l : losses)
        QVERIFY2(!l.counted || l.rows == 0, qPrintable(l.table));
}

void TestRepair::pageOfAnotherTableWhereTheMarksWere_data()
{
    QTest::addColumn<bool>("swap");      // the two pages change places; otherwise the other is copied over the marks
    QTest::addColumn<QString>("other");  // the other page (the middle one of those), as the page statistics tell it
    const QString worksheetPage = QStringLiteral("name = 'Planilla_Det' AND pagetype = 'leaf'");
    QTest::newRow("the marks' page and a worksheet page swapped") << true << worksheetPage;
    QTest::newRow("the marks' page and the taxpayers' first page swapped") << true << QStringLiteral("name = 'Contribuyentes' AND path = '/'");
    // The expense types' rows are of the suppliers' kinds but for the supplier's tax id, which
    // no supplier is without.
    QTest::newRow("the marks' page and the expense types' page swapped") << true << QStringLiteral("name = 'Gastos'");
    QTest::newRow("a worksheet page written over the marks' page") << false << worksheetPage;
}

// A copy gone wrong put a page of another table's rows where the file's marks were: the engine
// reads that table's rows as marks. They are not kept as marks (the report says so), the marks are
// the file's own again, and every row of the other tables is back in its own table.
void TestRepair::pageOfAnotherTableWhereTheMarksWere()
{
    QFETCH(bool, swap);
    QFETCH(QString, other);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("eko.mdb"));
    support::corpus::buildWorksheetFile(path, 30, 30, 7u);
    const auto before = support::corpus::readRows(path);
    const qint64 marks = scalar(path, QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'zal_sistema'"));
    const QList<qint64> pages = support::corpus::pagesOf(path, other);
    QVERIFY(!pages.isEmpty());
    const qint64 page = pages.at(pages.size() / 2);
    if (swap)
        support::corpus::swapPages(path, marks, page);
    else
        support::corpus::copyPage(path, page, marks);
    const qint64 readAsMarks = scalar(path, QStringLiteral("SELECT count(*) FROM zal_sistema NOT INDEXED"));
    QVERIFY(readAsMarks > 2);

    QList<RepairLoss> losses;
    QCOMPARE(support::dbErrorOf([&] { repairDatabase(path, &losses, kConnect); }), 0);
    QCOMPARE(support::dbErrorOf([&] { Database::open(path, kConnect); }), 0);
    QCOMPARE(support::plainQuery(path, QStringLiteral("SELECT clave, valor FROM zal_sistema ORDER BY clave")),
             QStringLiteral("clave|MIRVOSK\nformato|ZAL EKO"));
    QCOMPARE(lossOf(losses, QStringLiteral("zal_sistema")), readAsMarks);
    QCOMPARE(losses.size(), 1);
    const auto after = support::corpus::readRows(path);
    const auto outcomes = support::corpus::compare(before, after);
    for (const QString& table : support::corpus::userTables()) {
        const support::corpus::TableOutcome o = outcomes.value(table);
        QVERIFY2(o.kept == o.original && after.value(table).size() == o.original,
                 qPrintable(QStringLiteral("%1: %2 of %3 kept, %4 altered, %5 invented, %6 junk")
                                .arg(table).arg(o.kept).arg(o.original).arg(o.altered).arg(o.invented).arg(o.junk)));
    }
}

// The expense types' page went where the marks' page was and was then lost. The engine reads the
// marks as the expense types: their number tells nothing of how many expense types there were.
void TestRepair::pageThatWentElsewhereAndWasLostIsToldWhole()
{
    support::TestDatabase t;
    const qint64 marks = scalar(t.path(), QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'zal_sistema'"));
    support::corpus::swapPages(t.path(), marks, scalar(t.path(), QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'Gastos'")));
    breakPage(t.path(), marks, '\0');

    QList<RepairLoss> losses;
    QCOMPARE(support::dbErrorOf([&] { repairDatabase(t.path(), &losses, kConnect); }), 0);
    QCOMPARE(support::dbErrorOf([&] { Database::open(t.path(), kConnect); }), 0);
    QCOMPARE(scalar(t.path(), QStringLiteral("SELECT count(*) FROM Gastos")), 0);
    QCOMPARE(lossOf(losses, QStringLiteral("Gastos")), 31);
}

void TestRepair::damagedFileWithAnotherProgramsMarks_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("another format") << QStringLiteral("UPDATE zal_sistema SET valor = 'OTRO' WHERE clave = 'formato'");
    QTest::newRow("another password") << QStringLiteral("UPDATE zal_sistema SET valor = 'OTRA' WHERE clave = 'clave'");
}

// Marks of another format or password say the file is not the program's, damaged or not: it is
// left exactly as it was.
void TestRepair::damagedFileWithAnotherProgramsMarks()
{
    QFETCH(QString, sql);
    support::TestDatabase t;
    fillWorksheets(t);
    t.exec(sql);
    breakPage(t.path(), scalar(t.path(), QStringLiteral("SELECT pageno FROM dbstat WHERE name = 'Planilla_Det' AND pagetype = 'leaf' "
                                                       "ORDER BY path LIMIT 1 OFFSET 2")), '\0');
    const QByteArray bytes = bytesOf(t.path());
    QCOMPARE(support::dbErrorOf([&] { repairDatabase(t.path(), nullptr, kConnect); }), int(err::UnrecognizedFormat));
    QCOMPARE(bytesOf(t.path()), bytes);
    QCOMPARE(QDir(t.dir()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

QTEST_MAIN(TestRepair)
#include "test_repair.moc"
