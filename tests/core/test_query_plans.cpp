// The queries the program runs on a worksheet file reach every row they join or look up through
// an index, whatever the size of the catalogues: each text, as the program writes it, goes
// through the program's own translation on a file with thousands of suppliers, and SQLite's plan
// for it may scan no table for a key. Tax ids stored in another letter case still join, and
// every query pairs exactly the tax ids that the program's own comparison calls equal.
#include "alternate_forms/taxpayer_print.h"
#include "core/biblio.h"
#include "export/export_run.h"
#include "platform/db/connection.h"
#include "platform/db/database.h"
#include "platform/db/jet_sql.h"
#include "platform/report/report_template.h"
#include "printing/frm_report01.h"
#include "support/support.h"
#include "worksheet/engine.h"
#include "worksheet/store.h"

#include <QDir>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString kConnect = QStringLiteral(";pwd=MIRVOSK");
const QString kByHeader = QStringLiteral("{Planilla_Enc.No} = 7");
const QString kByTaxpayer = QStringLiteral("{Planilla_Enc.Contribuyente} = 7 And {Planilla_Enc.Periodo} = 3");

QString templatePath(const QString& name)
{
    return QDir(qEnvironmentVariable("ZAL_SOURCE_DIR")).filePath(QStringLiteral("resources/") + name);
}

// A template's query with a record selection put in.
QString templateQuery(const QString& file, const QString& query, const QString& selection)
{
    QString cause;
    const auto tmpl = report::loadTemplate(templatePath(file), &cause);
    if (!tmpl)
        return QStringLiteral("template %1: %2").arg(file, cause);
    for (const auto& [name, sql] : tmpl->queries) {
        if (name == query) {
            QString text = sql;
            return text.replace(QStringLiteral("{seleccion}"), report::selectionSql(*report::parseSelection(selection)));
        }
    }
    return QStringLiteral("template %1 has no query %2").arg(file, query);
}

// What SQLite does for each table, one line each ("SEARCH Planilla_Det USING INDEX ...").
QStringList planOf(db::Database& d, const QString& jetSql)
{
    db::Connection& conn = *d.connection();
    db::Statement st(conn, QStringLiteral("EXPLAIN QUERY PLAN ") + conn.translate(jetSql));
    QStringList plan;
    while (st.step())
        plan << st.rawValue(3).toString();
    return plan;
}

} // namespace

class TestQueryPlans : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyKeyReachedByAnIndex_data();
    void everyKeyReachedByAnIndex();
    void taxIdsInOtherCaseStillJoin();
    void taxIdsPairAsTheProgramCompares_data();
    void taxIdsPairAsTheProgramCompares();
    void keysWrittenMeanwhileAreFound();

private:
    support::TestDatabase file_;
    support::TestDatabase beyondAscii_;   // the same, with a key beyond printable ASCII in every keyed table
};

void TestQueryPlans::initTestCase()
{
    // 3,000 suppliers, 500 taxpayers with a worksheet of 20 documents each in period 3, spread
    // over the suppliers; the tax id of every third document is stored in lower case.
    file_.exec(QStringLiteral(R"(
        WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 3000)
        INSERT INTO Proveedores (Nit, Nombre) SELECT (5000000 + k) || 'K', 'Proveedor ' || k FROM n;
        WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 500)
        INSERT INTO Contribuyentes ("No", Nit, Nombre) SELECT k, (1000000 + k) || 'K', 'Contribuyente ' || k FROM n;
        INSERT INTO Planilla_Enc ("No", Contribuyente, Periodo) SELECT "No", "No", 3 FROM Contribuyentes;
        WITH RECURSIVE n(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM n WHERE k < 9999)
        INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto)
        SELECT 1 + k / 20, (5000001 + (k * 7) % 3000) || CASE WHEN k % 3 = 0 THEN 'k' ELSE 'K' END, '0', 'A',
               100000 + k, 37100 + k % 300, 1 + k % 20, 10 + k FROM n;
        INSERT INTO ISR (Nit, Cas16) SELECT Nit, '1' FROM Contribuyentes WHERE "No" <= 100;
    )"));
    const QString copy = QStringLiteral("ATTACH %1 AS f; INSERT INTO Proveedores SELECT * FROM f.Proveedores;"
                                        "INSERT INTO Contribuyentes SELECT * FROM f.Contribuyentes;"
                                        "INSERT INTO Planilla_Enc SELECT * FROM f.Planilla_Enc;"
                                        "INSERT INTO Planilla_Det SELECT * FROM f.Planilla_Det;"
                                        "INSERT INTO ISR SELECT * FROM f.ISR; DETACH f;")
                             .arg(db::quoteLiteral(file_.path()));
    beyondAscii_.exec(copy);
    beyondAscii_.exec(QStringLiteral(
        "INSERT INTO Proveedores (Nit, Nombre) VALUES ('ÑANDU-1', 'Ñandú');"
        "INSERT INTO Contribuyentes (Nit, Nombre) VALUES ('\u212A7', 'Kelvin');"
        "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto) VALUES (7, 'ñandu-1', '0', 'A', '1', 37100, 1, 5);"
        "INSERT INTO ISR (Nit, Cas16) VALUES ('\u017F1', '1');"));
}

void TestQueryPlans::everyKeyReachedByAnIndex_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("beyondAscii");   // on the file that holds keys beyond printable ASCII
    // Every row twice: on a file of keys of printable ASCII, and on one holding other keys too.
    struct Rows {
        void newRow(const char* name) { name_ = QString::fromUtf8(name); }
        Rows& operator<<(const QString& sql)
        {
            for (const bool beyond : {false, true})
                QTest::newRow(qPrintable(name_ + (beyond ? QStringLiteral(", keys beyond ASCII") : QString())))
                    << sql << beyond;
            return *this;
        }
        QString name_;
    } rows;
    const auto newRow = [&](const char* name) -> Rows& { rows.newRow(name); return rows; };

    newRow("worksheet: the documents") << worksheet::detailQuery(QVariant(7));
    newRow("export: the worksheet") << envios::headerQuery(7, QStringLiteral("3"));
    newRow("export: the taxpayer") << envios::taxpayerQuery(7);
    newRow("export: the documents") << envios::detailQuery(7);
    newRow("export: the list") << envios::taxpayerListQuery(QStringLiteral("3"));
    newRow("statistics: the list") << printing::statisticsTaxpayerQuery(QStringLiteral("3"));
    newRow("print forms: the list") << alternate::taxpayerListQuery(QStringLiteral("3"));
    newRow("print forms: the documents")
        << alternate::documentsQuery(QStringLiteral("7"), QStringLiteral("3"));
    newRow("current period") << Biblio::periodQuery(QStringLiteral("3"));
    for (const QString& selection : {kByHeader, kByTaxpayer}) {
        const QString by = selection == kByHeader ? QStringLiteral(", by header") : QStringLiteral(", by taxpayer");
        for (const char* query : {"encabezado", "detalle", "total"})
            newRow(qPrintable(QStringLiteral("rep001 %1%2").arg(QLatin1String(query), by)))
                << templateQuery(QStringLiteral("rep001.rpt"), QLatin1String(query), selection);
    }
    for (const char* file : {"rep002.rpt", "rep004.rpt"}) {
        for (const char* query : {"grupos", "total", "contribuyente"})
            newRow(qPrintable(QStringLiteral("%1 %2").arg(QLatin1String(file), QLatin1String(query))))
                << templateQuery(QLatin1String(file), QLatin1String(query), kByTaxpayer);
    }
}

void TestQueryPlans::everyKeyReachedByAnIndex()
{
    QFETCH(QString, sql);
    QFETCH(bool, beyondAscii);
    db::Database d = db::Database::open((beyondAscii ? beyondAscii_ : file_).path(), kConnect);
    const QStringList plan = planOf(d, sql);
    const QString shown = sql + QStringLiteral("\n  ") + plan.join(QStringLiteral("\n  "));
    QVERIFY2(!plan.isEmpty(), qPrintable(shown));
    // A table read whole (SCAN), or searched through an index SQLite builds for the one query
    // (AUTOMATIC), is a table read row by row for a key.
    static const QRegularExpression read(QStringLiteral("^(SCAN|SEARCH) (\\S+)"));
    int tables = 0;
    for (const QString& line : plan) {
        const QRegularExpressionMatch m = read.match(line);
        if (!m.hasMatch())
            continue;   // temporary trees for ORDER BY or GROUP BY, subquery headings
        ++tables;
        QVERIFY2(m.captured(1) == QLatin1String("SEARCH"), qPrintable(shown));
        QVERIFY2(!line.contains(QLatin1String("AUTOMATIC")), qPrintable(shown));
    }
    QVERIFY2(tables > 0, qPrintable(shown));
}

void TestQueryPlans::taxIdsInOtherCaseStillJoin()
{
    // A document that names its supplier in lower case, the catalogue in upper case.
    file_.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('123K', 'Ferretería La Tolvanesa');"
                              "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto) "
                              "VALUES (9, '123k', '0', 'B', '777', 37100, 1, 55)"));
    db::Database d = db::Database::open(file_.path(), kConnect);
    db::Recordset rows = d.openRecordset(worksheet::detailQuery(QVariant(9)), db::RecordsetType::Snapshot);
    QStringList names;
    for (; !rows.eof(); rows.moveNext()) {
        if (rows.field(QStringLiteral("NoDoc")).toString() == QLatin1String("777"))
            names << rows.field(QStringLiteral("Nombre")).toString();
    }
    QCOMPARE(names, QStringList{QStringLiteral("Ferretería La Tolvanesa")});
    QCOMPARE(rows.recordCount(), 21);   // the lower-case documents of the fixture joined too
    d.close();

    // The worksheet print and the statistics by supplier name it as well.
    for (const auto& [file, selection] : {std::pair{QStringLiteral("rep001.rpt"), QStringLiteral("{Planilla_Enc.No} = 9")},
                                          std::pair{QStringLiteral("rep004.rpt"),
                                                    QStringLiteral("{Planilla_Enc.Contribuyente} = 9 And {Planilla_Enc.Periodo} = 3")}}) {
        QString cause;
        const auto tmpl = report::loadTemplate(templatePath(file), &cause);
        QVERIFY2(tmpl, qPrintable(cause));
        report::RenderInput input;
        input.databasePath = file_.path();
        input.connect = kConnect;
        input.selection = selection;
        const auto rendered = report::renderTemplate(*tmpl, input, &cause);
        QVERIFY2(rendered, qPrintable(cause));
        QVERIFY2(rendered->toPlainText().contains(QStringLiteral("Ferretería La Tolvanesa")), qPrintable(file));
        QVERIFY2(rendered->toPlainText().contains(QLatin1String("Proveedor ")), qPrintable(file));
    }
}

void TestQueryPlans::taxIdsPairAsTheProgramCompares_data()
{
    QTest::addColumn<QString>("catalogue");   // the supplier's tax id in Proveedores
    QTest::addColumn<QString>("document");    // the same supplier as a document names it
    QTest::addColumn<bool>("paired");

    QTest::newRow("ASCII case") << "123K" << "123k" << true;
    QTest::newRow("ñ named Ñ") << "ñandu-1" << "ÑANDU-1" << true;
    QTest::newRow("Ñ named ñ") << "ÑANDU-1" << "ñandu-1" << true;
    QTest::newRow("é named É") << "éZ7" << "ÉZ7" << true;
    QTest::newRow("É named é") << "ÉZ7" << "éz7" << true;
    QTest::newRow("Kelvin sign named k") << "\u212Ax-5" << "kx-5" << true;
    QTest::newRow("k named with the Kelvin sign") << "kx-5" << "\u212AX-5" << true;
    QTest::newRow("long s named S") << "\u017F9" << "S9" << true;
    QTest::newRow("mixed") << "Ñ7\u212A" << "ñ7K" << true;
    QTest::newRow("capital sharp s named ß") << "\u1E9E4" << "ß4" << true;
    QTest::newRow("final sigma named Σ") << "\u03C22" << "\u03A32" << true;
    QTest::newRow("ohm sign named ω") << "\u21263" << "\u03C93" << true;
    // Not equal ignoring case: another letter, a letter that folds to two, no simple folding.
    QTest::newRow("ß is not ss") << "ß4" << "SS4" << false;
    QTest::newRow("accent is not case") << "Ñ1" << "N1" << false;
    QTest::newRow("İ is not i") << "\u01304" << "i4" << false;
    QTest::newRow("ı is not I") << "\u01314" << "I4" << false;
    QTest::newRow("other length") << "ñ1" << "ñ1 " << false;
}

void TestQueryPlans::taxIdsPairAsTheProgramCompares()
{
    QFETCH(QString, catalogue);
    QFETCH(QString, document);
    QFETCH(bool, paired);
    QCOMPARE(db::jet::compareText(catalogue, document) == 0, paired);   // what the program's comparison says

    // Taxpayer 7's worksheet 7 of period 3 holds one document of the supplier, and one of a
    // supplier of the catalogue's own spelling; the catalogue holds many more suppliers.
    support::TestDatabase t;
    t.exec(QStringLiteral(R"(
        WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 80)
        INSERT INTO Proveedores (Nit, Nombre) SELECT (5000000 + k) || 'K', 'Proveedor ' || k FROM n;
        INSERT INTO Contribuyentes ("No", Nit, Nombre) VALUES (7, '1000007K', 'Contribuyente de Tolvania');
        INSERT INTO Planilla_Enc ("No", Contribuyente, Periodo) VALUES (7, 7, 3);
        INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto)
        VALUES (7, '5000001K', '1', NULL, '1', 37100, 1, 10);
    )"));
    t.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES (%1, 'Ferretería Tolvana');"
                          "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto) "
                          "VALUES (7, %2, '1', NULL, '2', 37101, 1, 100)")
               .arg(db::quoteLiteral(catalogue), db::quoteLiteral(document)));
    const QString supplier = QStringLiteral("Ferretería Tolvana");
    db::Database d = db::Database::open(t.path(), kConnect);

    // The entry form's grid (an inner join) and the total it shows.
    {
        db::Recordset grid = d.openRecordset(worksheet::detailQuery(worksheet::Variant::entryForm(), QVariant(7)));
        QStringList names;
        for (; !grid.eof(); grid.moveNext())
            names << grid.field(QStringLiteral("Nombre")).toString();
        QCOMPARE(names.contains(supplier), paired);
        QCOMPARE(grid.recordCount(), paired ? 2 : 1);
        QCOMPARE(worksheet::sumRecordset(worksheet::Variant::entryForm(), grid).total(), paired ? 110.0 : 10.0);
    }
    // The worksheet print and the statistics by supplier (outer joins): the document names its
    // supplier or none.
    for (const auto& [file, query, selection, name] :
         {std::tuple{"rep001.rpt", "detalle", kByHeader, "Nombre"}, std::tuple{"rep004.rpt", "grupos", kByTaxpayer, "Grupo"}}) {
        const QString sql = templateQuery(QLatin1String(file), QLatin1String(query), selection);
        db::Recordset rows = d.openRecordset(sql, db::RecordsetType::Snapshot);
        QStringList names;
        for (; !rows.eof(); rows.moveNext())
            names << rows.field(QLatin1String(name)).toString();
        QCOMPARE(rows.recordCount(), 2);
        QVERIFY2(names.contains(supplier) == paired, qPrintable(QLatin1String(file) + QLatin1Char(' ') + names.join(QLatin1Char(','))));
    }
    // A lookup by the document's spelling, in SQL and as the catalogue form finds it.
    const QString criteria = QStringLiteral("[Nit] = ") + db::quoteLiteral(document);
    QCOMPARE(d.openRecordset(QStringLiteral("SELECT Nombre FROM Proveedores WHERE ") + criteria).recordCount(), paired ? 1 : 0);
    db::Recordset catalogueRows = d.openRecordset(QStringLiteral("Proveedores"));
    catalogueRows.findFirst(criteria);
    QCOMPARE(!catalogueRows.noMatch(), paired);
    // The document's spelling is taken, and the supplier is referred to by the document.
    QCOMPARE(support::dbErrorOf([&] {
                 d.execute(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES (%1, 'Otro')").arg(db::quoteLiteral(document)));
             }),
             paired ? 3022 : 0);
    QCOMPARE(support::dbErrorOf([&] { d.execute(QStringLiteral("DELETE FROM Proveedores WHERE Nombre = 'Ferretería Tolvana'")); }),
             paired ? 3200 : 0);
}

void TestQueryPlans::keysWrittenMeanwhileAreFound()
{
    // A file of keys of printable ASCII: the program looks them up through upper() alone. Keys
    // written since, by another SQLite tool or by the program, are found by the same queries.
    support::TestDatabase t;
    t.exec(QStringLiteral(R"(
        INSERT INTO Proveedores (Nit, Nombre) VALUES ('5000001K', 'Proveedor uno');
        INSERT INTO Contribuyentes ("No", Nit, Nombre) VALUES (7, '1000007K', 'Contribuyente de Tolvania');
        INSERT INTO Planilla_Enc ("No", Contribuyente, Periodo) VALUES (7, 7, 3);
        INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto)
        VALUES (7, '5000001K', '1', NULL, '1', 37100, 1, 10);
    )"));
    db::Database d = db::Database::open(t.path(), kConnect);
    const QString grid = worksheet::detailQuery(worksheet::Variant::entryForm(), QVariant(7));
    const auto names = [&] {
        QStringList out;
        for (db::Recordset rows = d.openRecordset(grid); !rows.eof(); rows.moveNext())
            out << rows.field(QStringLiteral("Nombre")).toString();
        return out;
    };
    const auto found = [&](const QString& nit) {
        return d.openRecordset(QStringLiteral("SELECT Nombre FROM Proveedores WHERE [Nit] = ") + db::quoteLiteral(nit))
            .recordCount();
    };
    QCOMPARE(names(), QStringList{QStringLiteral("Proveedor uno")});
    QCOMPARE(found(QStringLiteral("kx-5")), 0);

    // Another tool writes a supplier and a document that names it in the other case of its ñ.
    t.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('ÑANDU-1', 'Ñandú');"
                          "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto) "
                          "VALUES (7, 'ñandu-1', '1', NULL, '2', 37101, 1, 20)"));
    QCOMPARE(names(), (QStringList{QStringLiteral("Proveedor uno"), QStringLiteral("Ñandú")}));
    // The program writes one whose tax id starts with the Kelvin sign.
    d.execute(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('\u212AX-5', 'Kelvin')"));
    QCOMPARE(found(QStringLiteral("kx-5")), 1);
    // Gone again: the plain lookup serves once more, and still finds what it must.
    d.execute(QStringLiteral("DELETE FROM Proveedores WHERE Nombre = 'Kelvin'"));
    t.exec(QStringLiteral("DELETE FROM Planilla_Det WHERE NoDoc = '2'; DELETE FROM Proveedores WHERE Nombre = 'Ñandú'"));
    QCOMPARE(found(QStringLiteral("kx-5")), 0);
    QCOMPARE(found(QStringLiteral("5000001k")), 1);
    QCOMPARE(names(), QStringList{QStringLiteral("Proveedor uno")});
}

QTEST_MAIN(TestQueryPlans)
#include "test_query_plans.moc"
