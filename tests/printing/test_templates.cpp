// The program's templates rendered to text (and the worksheet to PDF): their rows, groups and
// totals, and every formula the prints hand over.
#include "platform/report/report_control.h"
#include "worksheet/filing.h"
#include "printing_fixture.h"

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

    // A figure no print hands over shows nothing: the older forms' print sets only the filing
    // data and the credit, and the page shows no 0.0000 beside a credit of 4,375.89.
    void worksheetShowsNoFigureNobodyComputed()
    {
        report::ReportControl control;
        setUp(control, QStringLiteral("rep001.rpt"), QStringLiteral("{Planilla_Enc.No} = 1"));
        control.setFormulas(10, printing::formulaText(QStringLiteral("CRD"), QStringLiteral("4,375.89")));
        const QString text = folded(render(control));
        QVERIFY2(!text.contains(QStringLiteral("0.0000")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Tipo de documento Compras Crédito Factura Factura Electrónica Declaracion Aduanera")),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Gas licuado de petróleo Crédito Total de facturas, tiquetes y facturas electrónicas Crédito EKO 4,375.89")),
                 qPrintable(text));
    }

    void worksheetWithoutHeaderOrDocumentsSaysSo()
    {
        report::ReportControl control;
        setUp(control, QStringLiteral("rep001.rpt"), QStringLiteral("{Planilla_Enc.No} = 99"));
        const QString text = folded(render(control));
        QVERIFY(text.contains(QStringLiteral("No hay planilla para la selección.")));
        QVERIFY(text.contains(QStringLiteral("La planilla no tiene documentos.")));
        QVERIFY2(!text.contains(QStringLiteral("Total de documentos")), qPrintable(text));
    }

    // Under the document types, each total says what it sums: the purchases of Factura and
    // Factura Electrónica only, and the credit of every row above it.
    void worksheetTotalsSayWhatTheySum()
    {
        report::ReportControl control;
        setUp(control, QStringLiteral("rep001.rpt"), QStringLiteral("{Planilla_Enc.No} = 1"));
        control.setFormulas(18, printing::formulaText(QStringLiteral("sumaTotalCompra"), QStringLiteral("3,758.2300")));
        control.setFormulas(19, printing::formulaText(QStringLiteral("sumaTotalCredito"), QStringLiteral("902.6600")));
        const QString text = folded(render(control));
        QVERIFY2(!text.contains(QStringLiteral("Totales")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Total de Factura y Factura Electrónica 3,758.2300 Total del crédito 902.6600")),
                 qPrintable(text));
        control.setFormulas(48, printing::formulaText(QStringLiteral("TituloTotalCompra"),
                                                      QStringLiteral("Total de Factura y EKO Dcto. 39-99")));
        QVERIFY(folded(render(control)).contains(QStringLiteral("Total de Factura y EKO Dcto. 39-99 3,758.2300")));
    }

    void statistics_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("groups");
        QTest::newRow("by expense type") << "rep002.rpt"
                                         << QStringList{"Gasolina Superior 1 1,000.00 54.05",
                                                        "Vestuario 1 500.00 27.02",
                                                        "Alimentación 2 350.25 18.93"};
        QTest::newRow("by supplier") << "rep004.rpt"
                                     << QStringList{"111 Gasolinera Sur 1 1,000.00 54.05",
                                                    "222 Librería Central 2 600.00 32.43",
                                                    "333 Farmacia <Norte> 1 250.25 13.53"};
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
        QVERIFY(text.contains(QStringLiteral("Contribuyente: Ana Pérez NIT: 1234567 Período del 01/07/2001 al 30/06/2002")));
        verifyInOrder(text, groups);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(text.contains(QStringLiteral("Total general 4 1,850.25 100.00")));
        QVERIFY(!text.contains(QStringLiteral("999.99")));
    }

    void statisticsOfATaxpayerWithoutDocuments()
    {
        report::ReportControl control;
        setUp(control, QStringLiteral("rep002.rpt"),
              QStringLiteral("{Planilla_Enc.Contribuyente} = 3 And {Planilla_Enc.Periodo} = 3"));
        const QString text = folded(render(control));
        QVERIFY(text.contains(QStringLiteral("No hay documentos para la selección.")));
        // No total row of nothing, and no percent sign left over from it.
        QVERIFY2(!text.contains(QStringLiteral("Total general")), qPrintable(text));
        QCOMPARE(text.count(QLatin1Char('%')), 1);   // the column's heading
        QVERIFY(text.endsWith(QStringLiteral("No hay documentos para la selección.")));
    }

    // Each template names its taxpayer and period in the line on top of every page, and offers
    // a PDF under the report's name, the tax id and the period's first month.
    void everyTemplateNamesItsTaxpayerAndPeriod_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("pdfName");
        const QString who = QStringLiteral("Ana Pérez · NIT 1234567 · Período del 01/07/2001 al 30/06/2002");
        QTest::newRow("worksheet") << "rep001.rpt" << QStringLiteral("Planilla EKO · ") + who
                                   << "planilla_1234567_2001-07";
        QTest::newRow("by expense type") << "rep002.rpt" << QStringLiteral("Estadística de gastos por tipo de gasto · ") + who
                                         << "estadistica_por_tipo_1234567_2001-07";
        QTest::newRow("by supplier") << "rep004.rpt" << QStringLiteral("Estadística de gastos por proveedor · ") + who
                                     << "estadistica_por_proveedor_1234567_2001-07";
        QTest::newRow("return") << "rep005.rpt" << QStringLiteral("Declaración jurada anual del ISR · ") + who
                                << "declaracion_isr_1234567_2001-07";
    }

    void everyTemplateNamesItsTaxpayerAndPeriod()
    {
        QFETCH(QString, file);
        QFETCH(QString, header);
        QFETCH(QString, pdfName);
        report::ReportControl control;
        setUp(control, file, QStringLiteral("{Planilla_Enc.Contribuyente} = 1 And {Planilla_Enc.Periodo} = 3"));
        control.setFormulas(29, QStringLiteral("NIT = '1234567'"));
        control.setFormulas(30, QStringLiteral("NOMBRE = 'Ana Pérez'"));
        control.setFormulas(31, QStringLiteral("PeriodoDel = '01/07/2001'"));
        control.setFormulas(32, QStringLiteral("PeriodoAl = '30/06/2002'"));
        QString cause;
        const auto r = control.render(&cause);
        QVERIFY2(r, qPrintable(cause));
        QCOMPARE(r->header, header);
        QCOMPARE(r->fileName, pdfName);

        // A worksheet of nobody names nobody, and its file name has no dangling pieces.
        report::ReportControl none;
        setUp(none, file, QStringLiteral("{Planilla_Enc.Contribuyente} = 9 And {Planilla_Enc.Periodo} = 3"));
        const auto empty = none.render(&cause);
        QVERIFY2(empty, qPrintable(cause));
        QVERIFY2(!empty->header.contains(QStringLiteral("Ana")) && !empty->header.endsWith(QStringLiteral("·")),
                 qPrintable(empty->header));
        QVERIFY2(!empty->fileName.endsWith(QLatin1Char('_')) && !empty->fileName.isEmpty(), qPrintable(empty->fileName));
    }

    // A worksheet and a statistics page that run over several pages: every page carries the
    // taxpayer, the tax id, the period and "Página n de m", and the table that goes on repeats its
    // column headings.
    void longReportsNameEveryPage_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("headings");
        QTest::newRow("worksheet") << "rep001.rpt" << "NIT proveedor Nombre Tipo Serie Número Fecha";
        QTest::newRow("by supplier") << "rep004.rpt" << "NIT Proveedor Documentos Monto % del total";
    }

    void longReportsNameEveryPage()
    {
        QFETCH(QString, file);
        QFETCH(QString, headings);
        if (!support::canReadPdfText())
            QSKIP("pdftotext is not installed (scripts/setup installs poppler-utils)");
        QString rows;
        for (int i = 0; i < 130; ++i) {
            f_->db.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('9%1', 'Proveedor %1');").arg(i, 3, 10, QLatin1Char('0')));
            rows += QStringLiteral("%1(1, '9%2', '0', 'S', '%3', 37200, 1, %4, NULL)")
                        .arg(i ? QStringLiteral(",") : QString())
                        .arg(i, 3, 10, QLatin1Char('0'))
                        .arg(5000 + i)
                        .arg(10 + i);
        }
        f_->db.exec(QStringLiteral("INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto, Galon) VALUES ")
                    + rows + QLatin1Char(';'));
        report::ReportControl control;
        setUp(control, file, QStringLiteral("{Planilla_Enc.Contribuyente} = 1 And {Planilla_Enc.Periodo} = 3"));
        QString cause;
        const auto r = control.render(&cause);
        QVERIFY2(r, qPrintable(cause));
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("largo.pdf"));
        QVERIFY2(r->writePdf(pdf, &cause), qPrintable(cause));
        const std::optional<QString> read = support::pdfText(pdf, false);
        QVERIFY(read);
        QStringList pages = read->split(QLatin1Char('\f'));
        if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
            pages.removeLast();
        QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
        for (int i = 0; i < pages.size(); ++i) {
            const QString page = folded(pages[i]);
            for (const QString& piece : {QStringLiteral("Ana Pérez"), QStringLiteral("NIT 1234567"),
                                         QStringLiteral("Período del 01/07/2001 al 30/06/2002"),
                                         QStringLiteral("Página %1 de %2").arg(i + 1).arg(pages.size())})
                QVERIFY2(page.contains(piece), qPrintable(QStringLiteral("page %1: %2\n%3").arg(i + 1).arg(piece, page)));
            if (i + 1 < pages.size() || page.contains(QStringLiteral("Proveedor 129")))
                QVERIFY2(page.contains(headings), qPrintable(QStringLiteral("page %1\n%2").arg(i + 1).arg(page)));
        }
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
        if (!support::canReadPdfText())
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
        const std::optional<QString> read = support::pdfText(pdf);
        QVERIFY(read);
        const QString text = folded(*read);
        for (const QString& expected : {QStringLiteral("Ana Pérez"), QStringLiteral("Gasolinera Sur"),
                                        QStringLiteral("1,000.00"), QStringLiteral("Farmacia <Norte>"),
                                        QStringLiteral("250.25"), QStringLiteral("1,850.25"),
                                        QStringLiteral("185.02")})
            QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral("\n") + text));
    }
};

QTEST_MAIN(TestTemplates)
#include "test_templates.moc"
