// The program's templates rendered to text (and the worksheet to PDF): their rows, groups and
// totals, and every formula the prints hand over.
#include "platform/report/report_control.h"
#include "worksheet/filing.h"
#include "printing_fixture.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QStringList kWorksheetFormulas{
    "Letras", "LPresenta", "FPresentaD1", "FPresentaD2", "FPresentaM1", "FPresentaM2", "FPresentaY1",
    "FPresentaY2", "FPresentaY3", "FPresentaY4", "CRD", "sumaTipo0", "sumaTipo11", "sumaTipo7", "sumaTipo8",
    "sumaTipo9", "sumaTipo10", "sumaTotalCompra", "sumaTotalCredito", "sumaGasSup", "sumaGasReg", "sumaGasAv",
    "sumaDiesel", "sumaKerosinaDPK", "sumaKerMot", "sumaNafta", "sumaLicPet", "EKOGasSup", "EKOGasReg",
    "EKOGasAv", "EKODiesel", "EKOKerDPK", "EKOKerMot", "EKONafta", "EKOLicPet", "precioGasSup", "precioGasReg",
    "precioGasAv", "precioDiesel", "precioKerDPK", "precioKerMot", "precioNafta", "precioLicPet", "Seguridad",
    "CRTipo0", "CRTipo11", "SumaTotal"};

const QStringList kReturnFormulas{
    "casilla16", "casilla17", "casilla18", "casilla19", "casilla20", "casilla21", "casilla22", "casilla23",
    "casilla24", "casilla25", "casilla26", "casilla27", "casilla28", "casilla33", "casilla34", "casilla36",
    "casilla38", "casilla39", "NomPat2", "NitPat2", "NomPat3", "NitPat3", "NIT", "NOMBRE"};

// Blanks folded, so table cells read as "a b c".
QString folded(const QString& text)
{
    return text.simplified();
}

// Fails the test unless the pieces stand in the text in this order.
void verifyInOrder(const QString& text, const QStringList& pieces)
{
    int at = 0;
    for (const QString& piece : pieces) {
        const int found = int(text.indexOf(piece, at));
        QVERIFY2(found >= 0, qPrintable(piece + QStringLiteral("\n") + text));
        at = found + 1;
    }
}

} // namespace

class TestTemplates : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<printing_test::Fixture> f_;

    void setUp(report::ReportControl& control, const QString& file, const QString& selection)
    {
        control.setReportFileName(printing::templatePath(file));
        control.setDataFiles(0, f_->db.path());
        control.setDataFiles(1, f_->db.path());
        control.setConnect(QStringLiteral(";PWD=MIRVOSK"));
        control.setSelectionFormula(selection);
    }

    QString render(report::ReportControl& control)
    {
        QString cause;
        const auto r = control.render(&cause);
        if (!r) {
            QTest::qFail(qPrintable(cause), __FILE__, __LINE__);
            return QString();
        }
        return r->toPlainText();
    }

private slots:
    void init() { f_ = std::make_unique<printing_test::Fixture>(); }
    void cleanup() { f_.reset(); }

    void worksheetShowsHeaderRowsAndTotal()
    {
        report::ReportControl control;
        setUp(control, QStringLiteral("rep001.rpt"), QStringLiteral("{Planilla_Enc.No} = 1"));
        const QString text = folded(render(control));
        QVERIFY2(text.contains(QStringLiteral("Período del 01/07/2001 al 30/06/2002")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Ana Pérez")));
        QVERIFY(text.contains(QStringLiteral("1234567")));
        QVERIFY(text.contains(QStringLiteral("Dirección 5a. Avenida 10-20 Zona 1")));
        QVERIFY(text.contains(QStringLiteral("Patrono S.A.")));
        QVERIFY(text.contains(QStringLiteral("7654321")));
        // Rows by date: July first.
        const QStringList rows{
            QStringLiteral("333 Farmacia <Norte> Factura B 400 15/07/2001 Alimentación 250.25"),
            QStringLiteral("111 Gasolinera Sur Factura A 100 15/09/2001 Gasolina Superior 1,000.00 20.50"),
            QStringLiteral("222 Librería Central Tiquete 200 16/09/2001 Alimentación 100.00"),
            QStringLiteral("222 Librería Central Formulario 203 300 01/10/2001 Vestuario 500.00"),
        };
        verifyInOrder(text, rows);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(text.contains(QStringLiteral("Total de documentos: 4 1,850.25")));
        QVERIFY(!text.contains(QStringLiteral("999.99")));
        QVERIFY(!text.contains(QStringLiteral("777.77")));
    }

    // The rendered page knows where its detail rows sit, so that a long worksheet can be laid
    // out a few pages at a time; the text is the same as without.
    void worksheetKnowsWhereItsRowsAre()
    {
        report::ReportControl control;
        setUp(control, QStringLiteral("rep001.rpt"), QStringLiteral("{Planilla_Enc.No} = 1"));
        QString cause;
        const auto r = control.render(&cause);
        QVERIFY2(r, qPrintable(cause));
        QCOMPARE(r->rowStarts.size(), 4);
        for (int i = 0; i < 4; ++i) {
            const qsizetype end = i + 1 < 4 ? r->rowStarts.at(i + 1) : r->rowsEnd;
            const QString row = r->html.mid(r->rowStarts.at(i), end - r->rowStarts.at(i));
            QVERIFY2(row.startsWith(QStringLiteral("<tr><td>")) && row.trimmed().endsWith(QStringLiteral("</tr>")), qPrintable(row));
        }
        QVERIFY(r->html.mid(r->rowStarts.at(0), r->rowStarts.at(1) - r->rowStarts.at(0)).contains(QStringLiteral("Farmacia &lt;Norte&gt;")));
        QVERIFY(r->html.mid(r->rowsEnd).startsWith(QStringLiteral("<tr><td colspan=\"7\"><b>Total de documentos: 4")));

        // A single row is no run.
        report::ReportControl one;
        setUp(one, QStringLiteral("rep001.rpt"), QStringLiteral("{Planilla_Enc.Contribuyente} = 2 And {Planilla_Enc.Periodo} = 3"));
        const auto single = one.render(&cause);
        QVERIFY2(single, qPrintable(cause));
        QVERIFY(single->rowStarts.isEmpty());
    }

    void worksheetByTaxpayerAndPeriod()
    {
        report::ReportControl control;
        setUp(control, QStringLiteral("rep001.rpt"),
              QStringLiteral("{Planilla_Enc.Contribuyente} = 1 and {Planilla_Enc.Periodo}= 4"));
        const QString text = folded(render(control));
        QVERIFY(text.contains(QStringLiteral("999.99")));
        QVERIFY(text.contains(QStringLiteral("Total de documentos: 1 999.99")));
        QVERIFY(!text.contains(QStringLiteral("1,850.25")));
    }

    void worksheetTakesEveryFormula()
    {
        report::ReportControl control;
        setUp(control, QStringLiteral("rep001.rpt"), QStringLiteral("{Planilla_Enc.No} = 1"));
        for (int i = 0; i < kWorksheetFormulas.size(); ++i)
            control.setFormulas(i, printing::formulaText(kWorksheetFormulas[i], QStringLiteral("<v%1>").arg(i)));
        const QString text = render(control);
        for (int i = 0; i < kWorksheetFormulas.size(); ++i)
            QVERIFY2(text.contains(QStringLiteral("<v%1>").arg(i)), qPrintable(kWorksheetFormulas[i]));
    }

    void worksheetDefaultsWhenNoFormulaIsSet()
    {
        report::ReportControl control;
        setUp(control, QStringLiteral("rep001.rpt"), QStringLiteral("{Planilla_Enc.No} = 1"));
        const QString text = folded(render(control));
        QVERIFY(text.contains(QStringLiteral("Gasolina Superior 0.0000 0.0000 0.0000")));
        QVERIFY(text.contains(QStringLiteral("Crédito EKO 0.00")));
    }

    void worksheetWithoutHeaderSaysSo()
    {
        report::ReportControl control;
        setUp(control, QStringLiteral("rep001.rpt"), QStringLiteral("{Planilla_Enc.No} = 99"));
        const QString text = folded(render(control));
        QVERIFY(text.contains(QStringLiteral("No hay planilla para la selección.")));
        QVERIFY(text.contains(QStringLiteral("Total de documentos: 0")));
    }

    void statistics_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("groups");
        QTest::newRow("by expense type") << "rep002.rpt"
                                         << QStringList{"Gasolina Superior 1 1,000.00 54.05 %",
                                                        "Vestuario 1 500.00 27.02 %",
                                                        "Alimentación 2 350.25 18.93 %"};
        QTest::newRow("by supplier") << "rep004.rpt"
                                     << QStringList{"111 Gasolinera Sur 1 1,000.00 54.05 %",
                                                    "222 Librería Central 2 600.00 32.43 %",
                                                    "333 Farmacia <Norte> 1 250.25 13.53 %"};
    }

    void statistics()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, groups);
        report::ReportControl control;
        setUp(control, file, QStringLiteral("{Planilla_Enc.Contribuyente} = 1 And {Planilla_Enc.Periodo} = 3"));
        control.setFormulas(0, QStringLiteral("Titulo = 'Reporte de Gastos de:Ana Pérez del: 01/07/2001 al: 30/06/2002'"));
        const QString text = folded(render(control));
        QVERIFY(text.contains(QStringLiteral("Reporte de Gastos de:Ana Pérez del: 01/07/2001 al: 30/06/2002")));
        QVERIFY(text.contains(QStringLiteral("Contribuyente: Ana Pérez NIT: 1234567")));
        verifyInOrder(text, groups);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(text.contains(QStringLiteral("Total general 4 1,850.25 100.00 %")));
        QVERIFY(!text.contains(QStringLiteral("999.99")));
    }

    void statisticsOfATaxpayerWithoutDocuments()
    {
        report::ReportControl control;
        setUp(control, QStringLiteral("rep002.rpt"),
              QStringLiteral("{Planilla_Enc.Contribuyente} = 3 And {Planilla_Enc.Periodo} = 3"));
        const QString text = folded(render(control));
        QVERIFY(text.contains(QStringLiteral("No hay documentos para la selección.")));
        QVERIFY(text.contains(QStringLiteral("Total general 0")));
    }

    void statisticsNeverRunWithoutTheirSelection()
    {
        report::ReportControl control;
        setUp(control, QStringLiteral("rep004.rpt"), QString());
        QString cause;
        QVERIFY(!control.render(&cause));
        QCOMPARE(cause, QStringLiteral("falta la selección de registros"));
    }

    void incomeTaxReturnShowsEveryFormula()
    {
        report::ReportControl control;
        control.setReportFileName(printing::templatePath(QStringLiteral("rep005.rpt")));
        for (int i = 0; i < kReturnFormulas.size(); ++i)
            control.setFormulas(i + 1, printing::formulaText(kReturnFormulas[i], QStringLiteral("[r%1]").arg(i)));
        control.setFormulas(40, QStringLiteral("NomPat2 = 'O'Brien & Hijos'"));
        const QString text = render(control);
        for (int i = 0; i < kReturnFormulas.size(); ++i) {
            if (kReturnFormulas[i] != QLatin1String("NomPat2"))
                QVERIFY2(text.contains(QStringLiteral("[r%1]").arg(i)), qPrintable(kReturnFormulas[i]));
        }
        QVERIFY(text.contains(QStringLiteral("O'Brien & Hijos")));
        QVERIFY(text.contains(QStringLiteral("Impuesto a pagar o retenido en exceso")));
    }

    void worksheetPdfShowsRowsAndTotals()
    {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext is not installed (scripts/setup installs poppler-utils)");
        report::ReportControl control;
        setUp(control, QStringLiteral("rep001.rpt"), QStringLiteral("{Planilla_Enc.No} = 1"));
        control.setFormulas(10, QStringLiteral("CRD = '185.02'"));
        QString cause;
        const auto r = control.render(&cause);
        QVERIFY2(r, qPrintable(cause));
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("planilla.pdf"));
        QVERIFY2(r->writePdf(pdf, &cause), qPrintable(cause));
        QProcess process;
        process.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(process.waitForFinished(60000));
        const QString text = folded(QString::fromUtf8(process.readAllStandardOutput()));
        for (const QString& expected : {QStringLiteral("Ana Pérez"), QStringLiteral("Gasolinera Sur"),
                                        QStringLiteral("1,000.00"), QStringLiteral("Farmacia <Norte>"),
                                        QStringLiteral("250.25"), QStringLiteral("1,850.25"),
                                        QStringLiteral("185.02")})
            QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral("\n") + text));
    }
};

QTEST_MAIN(TestTemplates)
#include "test_templates.moc"
