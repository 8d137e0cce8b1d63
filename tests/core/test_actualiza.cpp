// The start-up upgrade of older database files.
#include "core/biblio.h"
#include "platform/db/database.h"
#include "support/scripted_dialogs.h"
#include "support/support.h"

#include <QFile>
#include <QtTest>
#include <sqlite3.h>

namespace {
const QString kOldDetail = QStringLiteral(
    "DROP TABLE Planilla_Det;"
    "CREATE TABLE Planilla_Det (Enc LONG, Secuencia INTEGER PRIMARY KEY AUTOINCREMENT,"
    " Provee TEXT(14) COLLATE ZALCI CONSTRAINT len_Provee CHECK (length(Provee) <= 14),"
    " Tipo TEXT(2) COLLATE ZALCI CONSTRAINT len_Tipo CHECK (length(Tipo) <= 2),"
    " Serie TEXT(5) COLLATE ZALCI CONSTRAINT len_Serie CHECK (length(Serie) <= 5),"
    " NoDoc TEXT(20) COLLATE ZALCI CONSTRAINT len_NoDoc CHECK (length(NoDoc) <= 20),"
    " Fecha DATETIME, Gasto LONG, Monto DOUBLE, Galon DOUBLE);"
    "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc) VALUES (1, '19', '0', 'A', '1');"
    "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc) VALUES (1, '19', '0', 'ABCDE', '2');"
    "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc) VALUES (1, '19', '7', NULL, '3');");

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

QStringList series(const QString& path)
{
    db::Database d = db::Database::open(path, Biblio::kConnect);
    db::Recordset rs = d.openRecordset(QStringLiteral("SELECT Serie FROM Planilla_Det ORDER BY Secuencia"));
    QStringList out;
    for (; !rs.eof(); rs.moveNext())
        out << (rs.field(0).isNull() ? QStringLiteral("<null>") : rs.field(0).toString());
    return out;
}
} // namespace

class TestActualiza : public QObject {
    Q_OBJECT
private slots:
    void init() { db::setLockTimeout(100); }
    void widensNarrowSerieKeepingValues();
    void wideSerieLeftAlone();
    void legacyCollationBroughtOverAfterTheWidening();
    void failedStepLeavesFileAsItWas();
    void earlierKeyIndexesReplacedAtStart();
    void coefficientsOfLaterPeriods();
    void lockedFileFailsBothAndStartUpGoesOn();
};

void TestActualiza::widensNarrowSerieKeepingValues()
{
    support::TestDatabase t;
    t.exec(kOldDetail);
    Biblio::gBaseDatos = t.path();
    support::ScriptedDialogs dialogs;   // no message is expected
    Biblio::ActualizaCampoSerie();
    db::Database d = db::Database::open(t.path(), Biblio::kConnect);
    const db::TableDef def = d.tableDef(QStringLiteral("Planilla_Det"));
    QCOMPARE(def.field(QStringLiteral("Serie")).size, 10);
    QCOMPARE(def.field(QStringLiteral("Serie")).ordinalPosition, 5);
    QVERIFY(!def.hasField(QStringLiteral("AlterTempField")));
    QCOMPARE(series(t.path()), (QStringList{QStringLiteral("A"), QStringLiteral("ABCDE"), QStringLiteral("<null>")}));
    d.execute(QStringLiteral("UPDATE Planilla_Det SET Serie = 'ABCDEFGHIJ' WHERE NoDoc = '1'"));
}

void TestActualiza::wideSerieLeftAlone()
{
    support::TestDatabase t;
    Biblio::gBaseDatos = t.path();
    const QByteArray before = bytesOf(t.path());
    support::ScriptedDialogs dialogs;
    Biblio::ActualizaCampoSerie();
    QCOMPARE(bytesOf(t.path()), before);
}

// After the widening, the old file's text columns move to NOCASE: a connection that knows nothing
// of the program checks it; a file already on NOCASE is not touched.
void TestActualiza::legacyCollationBroughtOverAfterTheWidening()
{
    support::TestDatabase t;
    t.exec(kOldDetail);
    Biblio::gBaseDatos = t.path();
    support::ScriptedDialogs dialogs;   // no message is expected
    Biblio::ActualizaCampoSerie();
    Biblio::ActualizaIntercalacion();
    QCOMPARE(series(t.path()), (QStringList{QStringLiteral("A"), QStringLiteral("ABCDE"), QStringLiteral("<null>")}));
    QCOMPARE(support::plainQuery(t.path(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    QCOMPARE(db::Database::open(t.path(), Biblio::kConnect).tableDef(QStringLiteral("Planilla_Det")).field(QStringLiteral("Serie")).size, 10);

    const QByteArray before = bytesOf(t.path());
    Biblio::ActualizaIntercalacion();
    QCOMPARE(bytesOf(t.path()), before);
}

// A file whose tax ids an earlier version indexed in BINARY order only gets the indexes the joins
// on them use; once it has them, the next start writes nothing.
void TestActualiza::earlierKeyIndexesReplacedAtStart()
{
    support::TestDatabase t;
    t.exec(QStringLiteral("DROP INDEX Proveedores_Nit; DROP INDEX Planilla_Det_Provee;"
                          "CREATE INDEX Planilla_Det_Provee ON Planilla_Det (Provee COLLATE BINARY);"));
    Biblio::gBaseDatos = t.path();
    support::ScriptedDialogs dialogs;   // no message is expected
    Biblio::ActualizaIntercalacion();
    QCOMPARE(support::plainQuery(t.path(), QStringLiteral("SELECT name FROM sqlite_master WHERE sql LIKE '%(upper(%' "
                                                          "AND tbl_name IN ('Proveedores', 'Planilla_Det') ORDER BY name")),
             QStringLiteral("Planilla_Det_Provee\nProveedores_Nit"));
    QCOMPARE(support::plainQuery(t.path(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));

    const QByteArray before = bytesOf(t.path());
    Biblio::ActualizaIntercalacion();
    QCOMPARE(bytesOf(t.path()), before);
}

void TestActualiza::failedStepLeavesFileAsItWas()
{
    support::TestDatabase t;
    // A column left behind by an earlier attempt makes the first step fail.
    t.exec(kOldDetail + QStringLiteral("ALTER TABLE Planilla_Det ADD COLUMN AlterTempField TEXT(3);"
                                       "UPDATE Planilla_Det SET AlterTempField = 'x';"));
    Biblio::gBaseDatos = t.path();
    const QByteArray before = bytesOf(t.path());
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(ui::vbOK);
    Biblio::ActualizaCampoSerie();
    QCOMPARE(dialogs.calls().size(), 1);
    const auto& call = dialogs.calls().first();
    QVERIFY(call.prompt.startsWith(QStringLiteral(" Error MetaData Change for Ver. 1.2.4, No. 3191 : ")));
    QVERIFY(call.prompt.endsWith(QStringLiteral("\r Por favor salga de la aplicación y vuelva a ingresar el documento...")));
    QCOMPARE(call.style, ui::vbInformation);
    QCOMPARE(call.title, QString());
    QCOMPARE(bytesOf(t.path()), before);
    QCOMPARE(series(t.path()), (QStringList{QStringLiteral("A"), QStringLiteral("ABCDE"), QStringLiteral("<null>")}));
    QCOMPARE(db::Database::open(t.path(), Biblio::kConnect).tableDef(QStringLiteral("Planilla_Det")).field(QStringLiteral("Serie")).size, 5);
}

void TestActualiza::coefficientsOfLaterPeriods()
{
    support::TestDatabase t;
    t.exec(QStringLiteral("UPDATE Periodos SET Coeficiente = 0.09 WHERE \"No\" IN (1, 3, 28)"));
    Biblio::gBaseDatos = t.path();
    Biblio::ActualizaCoeficientes();
    db::Database d = db::Database::open(t.path(), Biblio::kConnect);
    db::Recordset rs = d.openRecordset(QStringLiteral("SELECT [No], Coeficiente FROM Periodos ORDER BY [No]"), db::RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext()) {
        const int no = rs.field(0).toInt();
        const double expected = no == 1 ? 0.09 : no == 2 ? 0.090909 : 0.107142;
        QCOMPARE(rs.field(1).toDouble(), expected);
    }
    Biblio::gBaseDatos = QStringLiteral("/no/existe.mdb");
    Biblio::ActualizaCoeficientes();   // silent
}

void TestActualiza::lockedFileFailsBothAndStartUpGoesOn()
{
    support::TestDatabase t;
    t.exec(kOldDetail + QStringLiteral("UPDATE Periodos SET Coeficiente = 0.09 WHERE \"No\" = 3;"));
    Biblio::gBaseDatos = t.path();
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(t.path().toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(ui::vbOK);
    Biblio::ActualizaCoeficientes();
    Biblio::ActualizaCampoSerie();
    QCOMPARE(dialogs.calls().size(), 1);
    QVERIFY(dialogs.calls().first().prompt.startsWith(QStringLiteral(" Error MetaData Change for Ver. 1.2.4, No. 3045 : ")));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    QCOMPARE(db::Database::open(t.path(), Biblio::kConnect).openRecordset(QStringLiteral("SELECT Coeficiente FROM Periodos WHERE [No] = 3")).field(0).toDouble(), 0.09);
}

QTEST_MAIN(TestActualiza)
#include "test_actualiza.moc"
