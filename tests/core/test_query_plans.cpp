// The queries the program runs on a worksheet file reach every row they join or look up through
// an index, whatever the size of the catalogues: each text, as the program writes it, goes
// through the program's own translation on a file with thousands of suppliers, and SQLite's plan
// for it may scan no table for a key. Tax ids stored in another letter case still join.
#include "alternate_forms/taxpayer_print.h"
#include "core/biblio.h"
#include "export/export_run.h"
#include "platform/db/connection.h"
#include "platform/db/database.h"
#include "platform/report/report_template.h"
#include "printing/frm_report01.h"
#include "support/support.h"
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

private:
    support::TestDatabase file_;
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
}

void TestQueryPlans::everyKeyReachedByAnIndex_data()
{
    QTest::addColumn<QString>("sql");

    QTest::newRow("worksheet: the documents") << worksheet::detailQuery(QVariant(7));
    QTest::newRow("export: the worksheet") << envios::headerQuery(7, QStringLiteral("3"));
    QTest::newRow("export: the taxpayer") << envios::taxpayerQuery(7);
    QTest::newRow("export: the documents") << envios::detailQuery(7);
    QTest::newRow("export: the list") << envios::taxpayerListQuery(QStringLiteral("3"));
    QTest::newRow("statistics: the list") << printing::statisticsTaxpayerQuery(QStringLiteral("3"));
    QTest::newRow("print forms: the list") << alternate::taxpayerListQuery(QStringLiteral("3"));
    QTest::newRow("print forms: the documents")
        << alternate::documentsQuery(QStringLiteral("7"), QStringLiteral("3"));
    QTest::newRow("current period") << Biblio::periodQuery(QStringLiteral("3"));
    for (const QString& selection : {kByHeader, kByTaxpayer}) {
        const QString by = selection == kByHeader ? QStringLiteral(", by header") : QStringLiteral(", by taxpayer");
        for (const char* query : {"encabezado", "detalle", "total"})
            QTest::newRow(qPrintable(QStringLiteral("rep001 %1%2").arg(QLatin1String(query), by)))
                << templateQuery(QStringLiteral("rep001.rpt"), QLatin1String(query), selection);
    }
    for (const char* file : {"rep002.rpt", "rep004.rpt"}) {
        for (const char* query : {"grupos", "total", "contribuyente"})
            QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(QLatin1String(file), QLatin1String(query))))
                << templateQuery(QLatin1String(file), QLatin1String(query), kByTaxpayer);
    }
}

void TestQueryPlans::everyKeyReachedByAnIndex()
{
    QFETCH(QString, sql);
    db::Database d = db::Database::open(file_.path(), kConnect);
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

QTEST_MAIN(TestQueryPlans)
#include "test_query_plans.moc"
