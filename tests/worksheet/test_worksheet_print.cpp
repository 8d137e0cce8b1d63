// The filing questions and the worksheet print: date digits, the order of the report control's
// settings for the entry form's print and the full print, every formula slot, and the cases that
// print nothing.
#include "core/biblio.h"
#include "platform/report/report_control.h"
#include "platform/system/app_info.h"
#include "worksheet/filing.h"
#include "worksheet/worksheet_print.h"
#include "printing/printing_fixture.h"
#include "support/report_presenter.h"
#include "support/scripted_dialogs.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kPlacePrompt = QStringLiteral("Ingrese el lugar de presentación de la planilla...");

QStringList digitFormulas(const QString& digits)
{
    static const QStringList names{"FPresentaD1", "FPresentaD2", "FPresentaM1", "FPresentaM2",
                                   "FPresentaY1", "FPresentaY2", "FPresentaY3", "FPresentaY4"};
    QStringList out;
    for (int i = 0; i < 8; ++i)
        out << QStringLiteral("Formulas(%1)=%2 = '%3'").arg(2 + i).arg(names[i]).arg(digits[i]);
    return out;
}

// Figures whose every text names its formula, so a slot shows where it came from.
printing::WorksheetFigures namedFigures()
{
    printing::WorksheetFigures f;
    f.letras = QStringLiteral("SEISCIENTOS SIETE CON 14/100");
    f.sumaTotal = QStringLiteral("1,100.00");
    f.sumaTipo0 = QStringLiteral("t0");
    f.sumaTipo11 = QStringLiteral("t11");
    f.sumaTipo7 = QStringLiteral("t7");
    f.sumaTipo8 = QStringLiteral("t8");
    f.sumaTipo9 = QStringLiteral("t9");
    f.sumaTipo10 = QStringLiteral("t10");
    f.crTipo0 = QStringLiteral("c0");
    f.crTipo11 = QStringLiteral("c11");
    f.sumaTotalCompra = QStringLiteral("compra");
    f.sumaTotalCredito = QStringLiteral("credito");
    for (int i = 0; i < 8; ++i) {
        f.fuelPurchases[i] = QStringLiteral("p%1").arg(i);
        f.fuelCredits[i] = QStringLiteral("e%1").arg(i);
        f.fuelPrices[i] = QStringLiteral("g%1").arg(i);
    }
    return f;
}

printing::WorksheetPrint anaPrint()
{
    printing::WorksheetPrint p;
    p.taxpayerText = QStringLiteral("1234567");
    p.headerNo = 1;
    p.name = QStringLiteral("Ana Pérez");
    p.periodDel = QStringLiteral("01/07/2001");
    p.periodAl = QStringLiteral("30/06/2002");
    p.databasePath = Biblio::gBaseDatos.toString();
    p.credit = QStringLiteral("1,234.56");
    return p;
}

} // namespace

class TestWorksheetPrint : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<printing_test::Fixture> f_;
    std::unique_ptr<support::FixedClock> clock_;

    QStringList head() const
    {
        const QString file = sys::appPath() + QStringLiteral("\\rep001.rpt");
        return {QStringLiteral("ReportFileName=") + file, QStringLiteral("DataFiles(0)=") + f_->db.path(),
                QStringLiteral("DataFiles(1)=") + f_->db.path(), QStringLiteral("Connect=;PWD=MIRVOSK")};
    }

private slots:
    void init()
    {
        f_ = std::make_unique<printing_test::Fixture>();
        clock_ = std::make_unique<support::FixedClock>(QDateTime(QDate(2024, 3, 5), QTime(10, 0)));
    }
    void cleanup()
    {
        clock_.reset();
        f_.reset();
    }

    void filingDate_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("digits");
        QTest::newRow("date") << "05/03/2002" << "05/03/2002" << "05032002";
        QTest::newRow("short date") << "5/3/2002" << "05/03/2002" << "05032002";
        QTest::newRow("last day") << "31/12/1999" << "31/12/1999" << "31121999";
        QTest::newRow("word") << "mañana" << "05/03/2024" << "05032024";
        QTest::newRow("empty or Cancel") << "" << "05/03/2024" << "05032024";
        QTest::newRow("blanks") << "   " << "05/03/2024" << "05032024";
        QTest::newRow("no such day") << "31/02/2002" << "05/03/2024" << "05032024";
    }

    void filingDate()
    {
        QFETCH(QString, answer);
        QFETCH(QString, date);
        QFETCH(QString, digits);
        QCOMPARE(printing::filingDate(answer, QDate(2024, 3, 5)), date);
        QCOMPARE(printing::filingDateDigits(date).join(QString()), digits);
    }

    void questionsTheirTextsAndDefaults()
    {
        support::ScriptedDialogs dialogs;
        dialogs.expectInput(kPlacePrompt, QString()).expectInput(QStringLiteral("12/9/1999"));
        const printing::FilingAnswers answers = printing::askFiling();
        QCOMPARE(answers.place, QString());
        QCOMPARE(answers.date, QStringLiteral("12/09/1999"));
        const auto& calls = dialogs.calls();
        QCOMPARE(calls[0].title, QStringLiteral("Lugar de Presentación..."));
        QCOMPARE(calls[0].defaultText, QStringLiteral("Tolvania"));
        QCOMPARE(calls[1].title, QStringLiteral("Fecha de Presentación..."));
        QCOMPARE(calls[1].defaultText, QStringLiteral("05/03/2024"));
        QCOMPARE(calls[1].prompt, QStringLiteral("Ingrese la fecha presentación de la planilla en el formato "
                                                 "dd/mm/yyyy\rdd = día, mm = mes, yyyy = año\r\r Por ejemplo: 12/09/1999"));
    }

    void entryFormPrintOrder()
    {
        support::RecordingPresenter shown;
        support::ScriptedDialogs dialogs;
        dialogs.expectInput(QStringLiteral("Tolvania")).expectInput(QStringLiteral("5/3/2002"));
        report::ReportControl control(QStringLiteral("rptImprime"));
        QVERIFY(printing::printWorksheet(control, anaPrint()));
        QStringList expected = digitFormulas(QStringLiteral("05032002"));
        expected << head()
                 << QStringLiteral("SelectionFormula={Planilla_Enc.No} = 1")
                 << QStringLiteral("Formulas(10)=CRD = '1,234.56'")
                 << QStringLiteral("WindowTitle= Planilla Periodo: 01/07/2001 Al: 30/06/2002 De: Ana Pérez")
                 << QStringLiteral("WindowState=2")
                 << QStringLiteral("Formulas(1)=LPresenta = 'Tolvania'")
                 << QStringLiteral("Action=0");
        QCOMPARE(control.logLines(), expected);
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown.last().title, QStringLiteral(" Planilla Periodo: 01/07/2001 Al: 30/06/2002 De: Ana Pérez"));
        const QString text = shown.last().text.simplified();
        QVERIFY(text.contains(QStringLiteral("Crédito EKO 1,234.56")));
        QVERIFY(text.contains(QStringLiteral("Lugar Tolvania Fecha 0 5 / 0 3 / 2 0 0 2")));
    }

    void fullPrintOrderAndSlots()
    {
        support::RecordingPresenter shown;
        support::ScriptedDialogs dialogs;
        dialogs.expectInput(QStringLiteral("Valdrén")).expectInput(QString());
        report::ReportControl control(QStringLiteral("rptImprime"));
        printing::WorksheetPrint print = anaPrint();
        print.credit = QStringLiteral("607.14");
        print.figures = namedFigures();
        QVERIFY(printing::printWorksheet(control, print));

        QStringList expected{QStringLiteral("DiscardSavedData=True")};
        expected << digitFormulas(QStringLiteral("05032024"));
        const QList<QPair<int, QString>> breakdown{
            {12, "sumaTipo0 = 't0'"}, {13, "sumaTipo11 = 't11'"}, {14, "sumaTipo7 = 't7'"},
            {15, "sumaTipo8 = 't8'"}, {16, "sumaTipo9 = 't9'"}, {17, "sumaTipo10 = 't10'"},
            {45, "CRTipo0 = 'c0'"}, {46, "CRTipo11 = 'c11'"}, {18, "sumaTotalCompra = 'compra'"},
            {19, "sumaTotalCredito = 'credito'"},
            {20, "sumaGasSup = 'p0'"}, {21, "sumaGasReg = 'p1'"}, {22, "sumaGasAv = 'p2'"},
            {23, "sumaDiesel = 'p3'"}, {24, "sumaKerosinaDPK = 'p4'"}, {25, "sumaKerMot = 'p5'"},
            {26, "sumaNafta = 'p6'"}, {27, "sumaLicPet = 'p7'"},
            {28, "EKOGasSup = 'e0'"}, {29, "EKOGasReg = 'e1'"}, {30, "EKOGasAv = 'e2'"},
            {31, "EKODiesel = 'e3'"}, {32, "EKOKerDPK = 'e4'"}, {33, "EKOKerMot = 'e5'"},
            {34, "EKONafta = 'e6'"}, {35, "EKOLicPet = 'e7'"},
            {36, "precioGasSup = 'g0'"}, {37, "precioGasReg = 'g1'"}, {38, "precioGasAv = 'g2'"},
            {39, "precioDiesel = 'g3'"}, {40, "precioKerDPK = 'g4'"}, {41, "precioKerMot = 'g5'"},
            {42, "precioNafta = 'g6'"}, {43, "precioLicPet = 'g7'"},
            {44, "Seguridad = '05032024'"}};
        for (const auto& [slot, text] : breakdown)
            expected << QStringLiteral("Formulas(%1)=%2").arg(slot).arg(text);
        expected << head()
                 << QStringLiteral("SelectionFormula={Planilla_Enc.No} = 1")
                 << QStringLiteral("Formulas(0)=Letras = 'SEISCIENTOS SIETE CON 14/100'")
                 << QStringLiteral("Formulas(47)=SumaTotal = '1,100.00'")
                 << QStringLiteral("Formulas(10)=CRD = '607.14'")
                 << QStringLiteral("WindowTitle= Planilla Periodo: 01/07/2001 Al: 30/06/2002 De: Ana Pérez")
                 << QStringLiteral("WindowState=2")
                 << QStringLiteral("Formulas(1)=LPresenta = 'Valdrén'")
                 << QStringLiteral("Action=0");
        QCOMPARE(control.logLines(), expected);
        QVERIFY(!control.formulaSlots().contains(11));
        QCOMPARE(control.formulaSlots().size(), 47);

        const QString text = shown.last().text.simplified();
        for (const QString& piece : {QStringLiteral("Factura t0 c0"), QStringLiteral("Factura Electrónica t11 c11"),
                                     QStringLiteral("Formulario 203 t8 t8"),
                                     QStringLiteral("Total de Factura y Factura Electrónica compra Total del crédito credito"),
                                     QStringLiteral("Gasolina Superior p0 e0 g0"), QStringLiteral("Nafta p6 e6 g6"),
                                     QStringLiteral("Gas licuado de petróleo p7 e7 g7"),
                                     QStringLiteral("Total de facturas, tiquetes y facturas electrónicas 1,100.00 Crédito EKO 607.14"),
                                     QStringLiteral("Crédito en letras SEISCIENTOS SIETE CON 14/100"),
                                     QStringLiteral("Lugar Valdrén"), QStringLiteral("Seguridad: 05032024")})
            QVERIFY2(text.contains(piece), qPrintable(piece + QStringLiteral("\n") + text));
    }

    void wordsAndOrdinarySum_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<double>("inWords");
        QTest::addColumn<QString>("sumaTotal");
        QTest::newRow("credit 607.142") << QVariant(607.142) << 607.14 << "607.14";
        QTest::newRow("half a cent rounds up") << QVariant(607.145) << 607.15 << "607.15";
        QTest::newRow("thousands") << QVariant(1100.0) << 1100.0 << "1,100.00";
        QTest::newRow("1234.565") << QVariant(1234.565) << 1234.57 << "1,234.57";
        QTest::newRow("empty") << QVariant(QString()) << 0.0 << "0.00";
        QTest::newRow("never computed") << QVariant() << 0.0 << "0.00";
    }

    void wordsAndOrdinarySum()
    {
        QFETCH(QVariant, value);
        QFETCH(double, inWords);
        QFETCH(QString, sumaTotal);
        QCOMPARE(printing::letrasOf(value), Biblio::NumeroALetras(inWords));
        QCOMPARE(printing::sumaTotalOf(value), sumaTotal);
    }

    void nothingPrintsWithoutTaxpayerOrHeader_data()
    {
        QTest::addColumn<QString>("taxpayer");
        QTest::addColumn<bool>("header");
        QTest::addColumn<bool>("full");
        QTest::newRow("no taxpayer") << "" << true << false;
        QTest::newRow("blank taxpayer, full print") << "   " << true << true;
        QTest::newRow("unknown tax id") << "999" << false << false;
        QTest::newRow("no worksheet, full print") << "2222222" << false << true;
    }

    void nothingPrintsWithoutTaxpayerOrHeader()
    {
        QFETCH(QString, taxpayer);
        QFETCH(bool, header);
        QFETCH(bool, full);
        support::RecordingPresenter shown;
        support::ScriptedDialogs dialogs;
        dialogs.expectInput(QStringLiteral("Norte")).expectInput(QStringLiteral("01/02/2003"));
        report::ReportControl control;
        printing::WorksheetPrint print = anaPrint();
        print.taxpayerText = taxpayer;
        if (!header)
            print.headerNo.reset();
        if (full)
            print.figures = namedFigures();
        QVERIFY(!printing::printWorksheet(control, print));
        QCOMPARE(dialogs.calls().size(), 2);    // both questions, no message
        QCOMPARE(shown.count(), 0);
        QCOMPARE(control.logLines().mid(control.logLines().size() - 4), head());
        QCOMPARE(control.formulas(2), QStringLiteral("FPresentaD1 = '0'"));
        QVERIFY(control.selectionFormula().isEmpty());
    }

    void placeIsPrintedAsTyped()
    {
        support::RecordingPresenter shown;
        support::ScriptedDialogs dialogs;
        const QString place = QStringLiteral("Sta. Cruz d'Arriba <b>Centro</b> & 'Sur'");
        dialogs.expectInput(place).expectInput(QStringLiteral("05/03/2002"));
        report::ReportControl control;
        QVERIFY(printing::printWorksheet(control, anaPrint()));
        QCOMPARE(control.formulas(1), QStringLiteral("LPresenta = '") + place + QLatin1Char('\''));
        QVERIFY(shown.last().text.contains(place));
        QVERIFY(!shown.last().report.html.contains(QStringLiteral("<b>Centro")));
    }

    void aMissingTemplateIsReportedOnce()
    {
        QTemporaryDir empty;
        sys::setAppPath(empty.path());
        support::RecordingPresenter shown;
        support::ScriptedDialogs dialogs;
        dialogs.expectInput(QStringLiteral("Norte")).expectInput(QString()).expectMsgBox(
            QStringLiteral("No se puede imprimir el reporte \"rep001.rpt\": el archivo no existe."), ui::vbOK);
        report::ReportControl control;
        QVERIFY(!printing::printWorksheet(control, anaPrint()));
        QCOMPARE(shown.count(), 0);
        QCOMPARE(dialogs.calls().size(), 3);
    }
};

QTEST_MAIN(TestWorksheetPrint)
#include "test_worksheet_print.moc"
