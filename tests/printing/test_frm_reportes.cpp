// The print form: its layout, the worksheet it shows and computes, every formula slot of its print
// and their order, the entry form's print, the cases that print nothing, the figures read again
// before a print, the header sort and the menu.
#include "core/biblio.h"
#include "core/mdi_menu.h"
#include "platform/system/app_info.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/db_grid.h"
#include "printing/frm_reportes.h"
#include "printing/worksheet_figures.h"
#include "printing_fixture.h"
#include "support/report_presenter.h"
#include "support/scripted_dialogs.h"
#include "support/support.h"

#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

// A tax id with its right check character.
QString validNit(int body)
{
    const QString digits = QString::number(body);
    for (const QChar c : QStringLiteral("0123456789K"))
        if (Biblio::ValidaNit(digits + c))
            return digits + c;
    return digits;
}

const QString kAna = validNit(1234567);
const QString kBruno = validNit(2222222);
const QString kCarla = validNit(3333333);
const QString kNobody = validNit(4444444);

// Besides the fixture's worksheets: Carla's (header 5) and Bruno's (header 6) of period 3, and the
// fuel "Nafta" renamed, so it has no code.
//   Carla: Factura 100.00 and 300.00 of Gasolina Superior at 20.0001 and 20.0002, a Factura
//          Electrónica of 1,234.50 of the renamed Nafta, a Formulario 711 (code stored "10") of
//          100.125, and in July 2001 a Declaracion Aduanera of 50.00 and a Diesel invoice of 200.00.
//   Bruno: one Formulario 203 of 100.125 (a credit of half a cent).
void addWorksheets(const support::TestDatabase& db)
{
    db.exec(QStringLiteral("UPDATE Contribuyentes SET Nit = '%1' WHERE \"No\" = 1;"
                           "UPDATE Contribuyentes SET Nit = '%2' WHERE \"No\" = 2;"
                           "UPDATE Contribuyentes SET Nit = '%3' WHERE \"No\" = 3;"
                           "INSERT INTO Contribuyentes (\"No\", Nit, Nombre) VALUES (4, '%4', 'Nadie');"
                           "UPDATE Gastos SET Descripcion = 'Nafta especial' WHERE Descripcion = 'Nafta';"
                           "INSERT INTO Planilla_Enc (\"No\", Contribuyente, Periodo) VALUES (5, 3, 3), (6, 2, 3);"
                           "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto, Galon) VALUES "
                           "(5, '111', '0', 'C', '1', 37149, 24, 100, 20.0001),"
                           "(5, '111', '0', 'C', '2', 37150, 24, 300, 20.0002),"
                           "(5, '111', '11', 'E', '3', 37151, 30, 1234.5, 10),"
                           "(5, '222', '10', NULL, '4', 37152, 2, 100.125, NULL),"
                           "(5, '222', '7', NULL, '5', 37088, 2, 50, NULL),"
                           "(5, '111', '0', 'C', '6', 37089, 27, 200, 15),"
                           "(6, '222', '8', NULL, '7', 37152, 2, 100.125, NULL);")
                .arg(kAna, kBruno, kCarla, kNobody));
}

const char* const kSlotNames[48] = {
    "Letras", "LPresenta", "FPresentaD1", "FPresentaD2", "FPresentaM1", "FPresentaM2", "FPresentaY1",
    "FPresentaY2", "FPresentaY3", "FPresentaY4", "CRD", nullptr, "sumaTipo0", "sumaTipo11", "sumaTipo7",
    "sumaTipo8", "sumaTipo9", "sumaTipo10", "sumaTotalCompra", "sumaTotalCredito", "sumaGasSup", "sumaGasReg",
    "sumaGasAv", "sumaDiesel", "sumaKerosinaDPK", "sumaKerMot", "sumaNafta", "sumaLicPet", "EKOGasSup",
    "EKOGasReg", "EKOGasAv", "EKODiesel", "EKOKerDPK", "EKOKerMot", "EKONafta", "EKOLicPet", "precioGasSup",
    "precioGasReg", "precioGasAv", "precioDiesel", "precioKerDPK", "precioKerMot", "precioNafta",
    "precioLicPet", "Seguridad", "CRTipo0", "CRTipo11", "SumaTotal"};

struct Env {
    printing_test::Fixture base;
    support::FixedClock clock{QDateTime(QDate(2024, 3, 5), QTime(10, 0))};
    Env()
    {
        Biblio::gCoeficiente = 0.107142;
        Biblio::gPeriodoNo = 3;
        addWorksheets(base.db);
    }
};

void enterTaxpayer(frmReportes& f, const QString& nit)
{
    ui::runHandler([&] {
        f.cmbContrib->setText(nit);
        int k = 13;
        f.cmbContrib_KeyPress(k);
    });
}

// Prints with a place and a date answered; returns whether a report was shown.
bool print(frmPlanillas& f, support::RecordingPresenter& shown, const QString& place = QStringLiteral("Tolvania"),
           const QString& date = QStringLiteral("05/03/2002"))
{
    support::ScriptedDialogs dialogs;
    dialogs.expectInput(place).expectInput(date);
    const int before = shown.count();
    f.rptImprime.clearLog();
    ui::runHandler([&] { f.cmdImprime_Click(); });
    return shown.count() > before;
}

QStringList gridColumn(const frmReportes& f, int column)
{
    QStringList out;
    for (int row = 0; row < f.grdDetalle->rowCount(); ++row)
        out << f.grdDetalle->text(row, column);
    return out;
}

} // namespace

Q_DECLARE_METATYPE(printing::FigureRow)

class TestFrmReportes : public QObject {
    Q_OBJECT
private:
    // The slots of each worksheet's print, printed once.
    QMap<QString, QMap<int, QString>> printed_;

    QMap<int, QString> slotsOf(const QString& nit)
    {
        if (!printed_.contains(nit)) {
            Env env;
            support::RecordingPresenter shown;
            frmReportes f;
            f.Load();
            enterTaxpayer(f, nit);
            if (print(f, shown, QStringLiteral("Valdrén")))
                printed_[nit] = f.rptImprime.formulaSlots();
        }
        return printed_.value(nit);
    }

private slots:
    void layout()
    {
        Env env;
        frmReportes f;
        f.Load();
        QCOMPARE(f.windowTitle(), QStringLiteral("REPORTES"));
        QCOMPARE(f.objectName(), QStringLiteral("frmReportes"));
        QVERIFY(f.fraDetalle->isHidden());
        for (QPushButton* b : {f.cmdGrabar, f.cmdBorrar, f.cmdLimpiar})
            QVERIFY(b->isHidden());
        QVERIFY(!f.cmdImprime->isHidden());
        QStringList captions;
        for (int i = 0; i < f.grdDetalle->columnCount(); ++i)
            captions << f.grdDetalle->headerText(i);
        QCOMPARE(captions, QStringList({"Provee", "Nombre", "Fecha", "Serie", "NoDoc", "Monto", "Galon", "DisTipo"}));
        QCOMPARE(f.cmbTipo->itemText(f.cmbTipo->findData(11)), QStringLiteral("Factura Electronica"));
        QCOMPARE(f.txtTotfac->text(), QString());
        QCOMPARE(f.txtEKO->text(), QString());
        QCOMPARE(f.grdDetalle->rowCount(), 0);
    }

    void showsAndComputesTheWorksheet()
    {
        Env env;
        frmReportes f;
        f.Load();
        enterTaxpayer(f, kAna);
        QCOMPARE(f.txtNombre->text(), QStringLiteral("Ana Pérez"));
        QCOMPARE(f.grdDetalle->rowCount(), 4);
        QCOMPARE(f.txtTotfac->text(), QStringLiteral("1,850.25"));
        QCOMPARE(f.txtEKO->text(), QStringLiteral("640.61"));
        QCOMPARE(f.SumaTotalFacturas.toDouble(), 1100.0);
        QVERIFY(qFuzzyCompare(f.CreditoTotal.toDouble(), 640.60617725));
        QCOMPARE(f.breakdown.sumaTipo0, QStringLiteral("1,000.0000"));
        QCOMPARE(f.breakdown.fuelPurchases[0], QStringLiteral("1,000.0000"));
    }

    void withoutWorksheetBothBoxesStayEmpty()
    {
        Env env;
        frmReportes f;
        f.Load();
        enterTaxpayer(f, kAna);
        enterTaxpayer(f, kNobody);
        QCOMPARE(f.grdDetalle->rowCount(), 0);
        QCOMPARE(f.txtTotfac->text(), QString());
        QCOMPARE(f.txtEKO->text(), QString());
        QVERIFY(f.headerNo().isNull());
    }

    void aRefusedTaxIdKeepsTheRowsButEmptiesTheTotals()
    {
        Env env;
        support::ScriptedDialogs dialogs;
        dialogs.expectMsgBox(QStringLiteral(" Este no es un nit válido..."), ui::vbOK);
        frmReportes f;
        f.Load();
        enterTaxpayer(f, kAna);
        enterTaxpayer(f, QStringLiteral("12345678"));
        QCOMPARE(dialogs.calls().size(), 1);
        QCOMPARE(dialogs.calls().first().title, QStringLiteral(" ZAL(Planilla EKO)..."));
        QCOMPARE(f.grdDetalle->rowCount(), 4);
        QCOMPARE(f.txtTotfac->text(), QString());
        QCOMPARE(f.txtEKO->text(), QString());
    }

    void everySlot_data()
    {
        QTest::addColumn<QString>("nit");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("value");
        const QString zero = QStringLiteral("0.0000");
        auto add = [](const QString& who, const QString& nit, const QList<QPair<int, QString>>& values) {
            for (const auto& [slot, value] : values)
                QTest::addRow("%s %d %s", qPrintable(who), slot, kSlotNames[slot]) << nit << slot << value;
        };
        // Ana: Factura of Gasolina Superior 1,000.00 at 20.50, Tiquete 100.00, Formulario 203 500.00,
        // and a Factura of 250.25 dated 15/07/2001.
        QList<QPair<int, QString>> ana{
            {0, Biblio::NumeroALetras(640.61)}, {1, "Valdrén"},
            {2, "0"}, {3, "5"}, {4, "0"}, {5, "3"}, {6, "2"}, {7, "0"}, {8, "0"}, {9, "2"},
            {10, "640.61"}, {12, "1,000.0000"}, {13, zero}, {14, zero}, {15, "500.0000"}, {16, zero},
            {17, zero}, {18, "1,000.0000"}, {19, "607.1420"}, {20, "1,000.0000"}, {28, "107.1420"},
            {36, "20.5000"}, {44, "05032024"}, {45, "107.1420"}, {46, zero}, {47, "1,100.00"}};
        for (int fuel = 1; fuel < 8; ++fuel)
            ana << qMakePair(20 + fuel, zero) << qMakePair(28 + fuel, zero) << qMakePair(36 + fuel, zero);
        add(QStringLiteral("ana"), kAna, ana);

        // Carla: the average of 20.0001 and 20.0002 is half a ten-thousandth, rounded up; the renamed
        // Nafta and the July rows count nowhere; the code "10" counts as 10.
        QList<QPair<int, QString>> carla{
            {0, Biblio::NumeroALetras(343.43)}, {10, "343.43"}, {12, "400.0000"}, {13, "1,234.5000"},
            {14, zero}, {15, zero}, {16, zero}, {17, "100.1250"}, {18, "1,634.5000"}, {19, "275.2486"},
            {20, "400.0000"}, {28, "42.8568"}, {36, "20.0002"}, {23, zero}, {31, zero}, {39, zero},
            {26, zero}, {34, zero}, {42, zero}, {45, "42.8568"}, {46, "132.2668"}, {47, "1,634.50"}};
        add(QStringLiteral("carla"), kCarla, carla);

        // Bruno: a credit of 100.125 is printed as 100.13, in figures and in words.
        add(QStringLiteral("bruno"), kBruno,
            {{0, Biblio::NumeroALetras(100.13)}, {10, "100.13"}, {15, "100.1250"}, {19, "100.1250"},
             {18, zero}, {47, "0.00"}});
    }

    void everySlot()
    {
        QFETCH(QString, nit);
        QFETCH(int, slot);
        QFETCH(QString, value);
        const QMap<int, QString> values = slotsOf(nit);
        QVERIFY2(!values.isEmpty(), "the worksheet did not print");
        QCOMPARE(values.value(slot), QLatin1String(kSlotNames[slot]) + QStringLiteral(" = '") + value + QLatin1Char('\''));
    }

    void slotElevenStaysUnset()
    {
        const QMap<int, QString> values = slotsOf(kAna);
        QCOMPARE(values.size(), 47);
        QVERIFY(!values.contains(11));
    }

    void fullPrintOrder()
    {
        Env env;
        support::RecordingPresenter shown;
        frmReportes f;
        f.Load();
        enterTaxpayer(f, kAna);
        QVERIFY(print(f, shown));
        QStringList roles;
        for (const report::LogEntry& e : f.rptImprime.log())
            roles << (e.index >= 0 ? QStringLiteral("%1(%2)").arg(e.role).arg(e.index) : e.role);
        QStringList expected{QStringLiteral("DiscardSavedData")};
        for (int slot : {2, 3, 4, 5, 6, 7, 8, 9, 12, 13, 14, 15, 16, 17, 45, 46, 18, 19})
            expected << QStringLiteral("Formulas(%1)").arg(slot);
        for (int slot = 20; slot <= 44; ++slot)
            expected << QStringLiteral("Formulas(%1)").arg(slot);
        expected << "ReportFileName" << "DataFiles(0)" << "DataFiles(1)" << "Connect" << "SelectionFormula"
                 << "Formulas(0)" << "Formulas(47)" << "Formulas(10)" << "WindowTitle" << "WindowState"
                 << "Formulas(1)" << "Action";
        QCOMPARE(roles, expected);
        QCOMPARE(f.rptImprime.selectionFormula(), QStringLiteral("{Planilla_Enc.No} = 1"));
        QCOMPARE(f.rptImprime.windowTitle(), QStringLiteral(" Planilla Periodo: 01/07/2001 Al: 30/06/2002 De: Ana Pérez"));
        QCOMPARE(f.rptImprime.windowState(), 2);
        QCOMPARE(f.rptImprime.connect(), QStringLiteral(";PWD=MIRVOSK"));
        QCOMPARE(f.rptImprime.reportFileName(), sys::appPath() + QStringLiteral("\\rep001.rpt"));
        const QString text = shown.last().text.simplified();
        for (const QString& piece : {QStringLiteral("Gasolinera Sur"), QStringLiteral("Farmacia <Norte>"),
                                     QStringLiteral("Total de facturas, tiquetes y facturas electrónicas 1,100.00 Crédito EKO 640.61")})
            QVERIFY2(text.contains(piece), qPrintable(piece + QStringLiteral("\n") + text));
        for (const report::LogEntry& e : f.rptImprime2.log())
            QFAIL(qPrintable(e.text()));
    }

    void entryFormPrintOrder()
    {
        Env env;
        support::RecordingPresenter shown;
        frmPlanillas f;
        f.Load();
        ui::runHandler([&] {
            f.cmbContrib->setText(kAna);
            int k = 13;
            f.cmbContrib_KeyPress(k);
        });
        QVERIFY(f.cmdImprime->isHidden());
        QVERIFY(print(f, shown, QStringLiteral("Sur"), QStringLiteral("5/3/2002")));
        const QString db = env.base.db.path();
        const QStringList expected{
            "Formulas(2)=FPresentaD1 = '0'", "Formulas(3)=FPresentaD2 = '5'", "Formulas(4)=FPresentaM1 = '0'",
            "Formulas(5)=FPresentaM2 = '3'", "Formulas(6)=FPresentaY1 = '2'", "Formulas(7)=FPresentaY2 = '0'",
            "Formulas(8)=FPresentaY3 = '0'", "Formulas(9)=FPresentaY4 = '2'",
            "ReportFileName=" + sys::appPath() + "\\rep001.rpt", "DataFiles(0)=" + db, "DataFiles(1)=" + db,
            "Connect=;PWD=MIRVOSK", "SelectionFormula={Planilla_Enc.No} = 1", "Formulas(10)=CRD = '640.61'",
            "WindowTitle= Planilla Periodo: 01/07/2001 Al: 30/06/2002 De: Ana Pérez", "WindowState=2",
            "Formulas(1)=LPresenta = 'Sur'", "Action=0"};
        QCOMPARE(f.rptImprime.logLines(), expected);
    }

    // The print asks for the place and date and then prints the worksheet shown, whatever the
    // taxpayer box holds by then; with no worksheet shown, or a blank box, nothing prints. No
    // message is ever shown, on either form.
    void printsTheWorksheetShown_data()
    {
        QTest::addColumn<bool>("printForm");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<int>("header");   // 0: nothing prints
        for (const bool printForm : {true, false}) {
            const char* form = printForm ? "print form" : "entry form";
            QTest::addRow("%s, refused tax id", form) << printForm << "12345678" << true << true << 1;
            QTest::addRow("%s, taxpayer without worksheet", form) << printForm << kNobody << true << false << 0;
            QTest::addRow("%s, typed but not entered", form) << printForm << kCarla << false << false << 1;
            QTest::addRow("%s, blank", form) << printForm << "  " << false << false << 0;
        }
    }

    void printsTheWorksheetShown()
    {
        QFETCH(bool, printForm);
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        QFETCH(bool, refused);
        QFETCH(int, header);
        Env env;
        support::RecordingPresenter shown;
        std::unique_ptr<frmPlanillas> f(printForm ? new frmReportes : new frmPlanillas);
        f->Load();
        {
            support::ScriptedDialogs messages;
            if (refused)
                messages.expectMsgBox(QStringLiteral(" Este no es un nit válido..."), ui::vbOK);
            ui::runHandler([&] {
                f->cmbContrib->setText(kAna);
                int k = 13;
                f->cmbContrib_KeyPress(k);
                f->cmbContrib->setText(typed);
                if (enter) {
                    k = 13;
                    f->cmbContrib_KeyPress(k);
                }
            });
        }
        const QString shownName = f->txtNombre->text();
        // print() fails the test on any message: only the two questions are asked.
        QCOMPARE(print(*f, shown), header != 0);
        QVERIFY(f->rptImprime.logLines().contains(QStringLiteral("Connect=;PWD=MIRVOSK")));
        if (header == 0) {
            QCOMPARE(shown.count(), 0);
            QVERIFY(f->rptImprime.selectionFormula().isEmpty());
            QVERIFY(!f->rptImprime.logLines().contains(QStringLiteral("Action=0")));
            return;
        }
        QCOMPARE(f->rptImprime.selectionFormula(), QStringLiteral("{Planilla_Enc.No} = %1").arg(header));
        QCOMPARE(shownName, QStringLiteral("Ana Pérez"));
        QVERIFY(f->rptImprime.windowTitle().endsWith(QStringLiteral(" De: Ana Pérez")));
    }

    // A valid tax id of nobody in the catalogue: the box goes back to the taxpayer shown, whose
    // name, worksheet and figures stay together on the screen and on the page.
    void taxIdOfNobodyKeepsTheTaxpayerShown()
    {
        Env env;
        support::RecordingPresenter shown;
        frmReportes f;
        f.Load();
        enterTaxpayer(f, kAna);
        QCOMPARE(f.grdDetalle->rowCount(), 4);
        const QString total = f.txtTotfac->text();
        const QString credit = f.txtEKO->text();
        enterTaxpayer(f, validNit(7777777));
        QCOMPARE(f.cmbContrib->Text(), kAna);
        QCOMPARE(f.cmbContrib->BoundText(), QStringLiteral("1"));
        QCOMPARE(f.txtNombre->text(), QStringLiteral("Ana Pérez"));
        QCOMPARE(f.grdDetalle->rowCount(), 4);
        QCOMPARE(f.txtTotfac->text(), total);
        QCOMPARE(f.txtEKO->text(), credit);
        QVERIFY(print(f, shown));
        QCOMPARE(f.rptImprime.selectionFormula(), QStringLiteral("{Planilla_Enc.No} = 1"));
        QCOMPARE(f.rptImprime.formulas(10), QStringLiteral("CRD = '%1'").arg(credit));

        // With nobody shown before, nobody is shown after.
        frmReportes first;
        first.Load();
        enterTaxpayer(first, validNit(7777777));
        QCOMPARE(first.grdDetalle->rowCount(), 0);
        QVERIFY(first.txtNombre->text().isEmpty());
    }

    // Documents changed elsewhere after the worksheet was shown print with their present figures;
    // activating the form shows them too.
    void printReadsTheWorksheetAgain()
    {
        Env env;
        support::RecordingPresenter shown;
        frmReportes f;
        f.Load();
        enterTaxpayer(f, kAna);
        env.base.db.exec(QStringLiteral(
            "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto, Galon) VALUES "
            "(1, '111', '0', 'A', '500', 37149, 24, 1000, 21.5);"));
        QVERIFY(print(f, shown));
        QCOMPARE(f.rptImprime.formulas(12), QStringLiteral("sumaTipo0 = '2,000.0000'"));
        QCOMPARE(f.rptImprime.formulas(36), QStringLiteral("precioGasSup = '21.0000'"));
        QCOMPARE(f.rptImprime.formulas(47), QStringLiteral("SumaTotal = '2,100.00'"));
        QCOMPARE(f.rptImprime.formulas(10), QStringLiteral("CRD = '747.75'"));
        QCOMPARE(f.txtTotfac->text(), QStringLiteral("2,850.25"));

        env.base.db.exec(QStringLiteral("DELETE FROM Planilla_Det WHERE Enc = 1;"));
        ui::runHandler([&] { f.Form_Activate(); });
        QCOMPARE(f.grdDetalle->rowCount(), 0);
        QCOMPARE(f.txtTotfac->text(), QStringLiteral("0.00"));
        QCOMPARE(f.breakdown.sumaTipo0, QStringLiteral("0.0000"));
        QCOMPARE(f.breakdown.fuelPrices[0], QStringLiteral("0.0000"));

        // Its header gone too: the questions, then nothing prints and nothing is said.
        env.base.db.exec(QStringLiteral("DELETE FROM Planilla_Enc WHERE \"No\" = 1;"));
        QVERIFY(!print(f, shown));
        QVERIFY(!f.rptImprime.logLines().contains(QStringLiteral("Action=0")));
    }

    // A tax id typed in the box but not confirmed leaves the worksheet shown in place, and that
    // worksheet is the one read again: a document changed in the file meanwhile prints, and shows
    // on activation, with its present figures.
    void theWorksheetShownIsReadAgainWhileAnotherTaxIdIsTyped()
    {
        Env env;
        support::RecordingPresenter shown;
        frmReportes f;
        f.Load();
        enterTaxpayer(f, kAna);
        QCOMPARE(f.txtEKO->text(), QStringLiteral("640.61"));
        ui::runHandler([&] { f.cmbContrib->setText(kCarla); });
        env.base.db.exec(QStringLiteral("UPDATE Planilla_Det SET Monto = 2000 WHERE Enc = 1 AND NoDoc = '100';"));
        QVERIFY(print(f, shown));
        QCOMPARE(f.rptImprime.selectionFormula(), QStringLiteral("{Planilla_Enc.No} = 1"));
        QCOMPARE(f.rptImprime.formulas(12), QStringLiteral("sumaTipo0 = '2,000.0000'"));
        QCOMPARE(f.rptImprime.formulas(19), QStringLiteral("sumaTotalCredito = '714.2840'"));
        QCOMPARE(f.rptImprime.formulas(20), QStringLiteral("sumaGasSup = '2,000.0000'"));
        QCOMPARE(f.rptImprime.formulas(47), QStringLiteral("SumaTotal = '2,100.00'"));
        QCOMPARE(f.rptImprime.formulas(10), QStringLiteral("CRD = '747.75'"));
        QCOMPARE(f.txtTotfac->text(), QStringLiteral("2,850.25"));
        QCOMPARE(f.cmbContrib->Text(), kCarla);   // the typed text stays as it was

        env.base.db.exec(QStringLiteral("UPDATE Planilla_Det SET Monto = 3000 WHERE Enc = 1 AND NoDoc = '100';"));
        ui::runHandler([&] { f.Form_Activate(); });
        QCOMPARE(f.txtTotfac->text(), QStringLiteral("3,850.25"));
        QCOMPARE(f.txtEKO->text(), QStringLiteral("854.89"));
        QCOMPARE(f.breakdown.sumaTipo0, QStringLiteral("3,000.0000"));
    }

    void switchingAwayAndBackKeepsTheWorksheet()
    {
        Env env;
        frmReportes f;
        f.Load();
        enterTaxpayer(f, kAna);
        ui::runHandler([&] { f.Form_Deactivate(); });
        ui::runHandler([&] { f.cmbContrib->setBoundText(QString()); });
        ui::runHandler([&] { f.Form_Activate(); });
        QCOMPARE(f.cmbContrib->BoundText(), QStringLiteral("1"));
        QCOMPARE(f.grdDetalle->rowCount(), 4);
        QCOMPARE(f.txtTotfac->text(), QStringLiteral("1,850.25"));
        QCOMPARE(f.txtEKO->text(), QStringLiteral("640.61"));
        QCOMPARE(f.breakdown.sumaTipo8, QStringLiteral("500.0000"));
    }

    void headerClick()
    {
        Env env;
        frmReportes f;
        f.Load();
        // Before any worksheet: nothing happens.
        const QString before = f.SqlDetalle;
        ui::runHandler([&] { f.grdDetalle_HeadClick(2); });
        QCOMPARE(f.SqlDetalle, before);
        QCOMPARE(f.dtDetalle->RecordSource(), before);
        QCOMPARE(f.UltimaColumna, 999);
        QCOMPARE(f.grdDetalle->rowCount(), 0);

        enterTaxpayer(f, kCarla);
        ui::runHandler([&] { f.grdDetalle_HeadClick(5); });   // Monto sorts nothing
        QCOMPARE(f.dtDetalle->RecordSource(), f.SqlDetalle);
        ui::runHandler([&] { f.grdDetalle_HeadClick(7); });   // by the stored code
        QVERIFY(f.dtDetalle->RecordSource().endsWith(QStringLiteral("Order By [Tipo] ASC;")));
        QCOMPARE(gridColumn(f, 7).first(), QStringLiteral("Factura"));
        ui::runHandler([&] { f.grdDetalle_HeadClick(7); });
        QVERIFY(f.dtDetalle->RecordSource().endsWith(QStringLiteral("Order By [Tipo] DESC;")));
        QCOMPARE(gridColumn(f, 7).first(), QStringLiteral("Declaracion Aduanera"));   // "7" after "10" as stored
        ui::runHandler([&] { f.grdDetalle_HeadClick(4); });
        QVERIFY(f.dtDetalle->RecordSource().endsWith(QStringLiteral("Order By [NoDoc] ASC;")));
    }

    void breakdown_data()
    {
        QTest::addColumn<QList<printing::FigureRow>>("rows");
        QTest::addColumn<QStringList>("figures");   // sumaTipo0, CRTipo0, sumaTipo8, compra, credito, GasSup sum, EKO, price
        const QVariant sep15(QDate(2001, 9, 15));
        const QVariant gasSup(24);
        QTest::newRow("one Factura") << QList<printing::FigureRow>{{"0", sep15, 1000.0, 1, {}}}
                                     << QStringList{"1,000.0000", "107.1420", "0.0000", "1,000.0000", "107.1420",
                                                    "0.0000", "0.0000", "0.0000"};
        QTest::newRow("and a Formulario 203")
            << QList<printing::FigureRow>{{"0", sep15, 1000.0, 1, {}}, {"8", sep15, 500.0, 1, {}}}
            << QStringList{"1,000.0000", "107.1420", "500.0000", "1,000.0000", "607.1420", "0.0000", "0.0000", "0.0000"};
        QTest::newRow("two Gasolina Superior")
            << QList<printing::FigureRow>{{"0", sep15, 100.0, gasSup, 20.5}, {"0", sep15, 300.0, gasSup, 21.5}}
            << QStringList{"400.0000", "42.8568", "0.0000", "400.0000", "42.8568", "400.0000", "42.8568", "21.0000"};
        QTest::newRow("Tiquete and EKO Dcto. count in no type")
            << QList<printing::FigureRow>{{"1", sep15, 100.0, 1, {}}, {"2", sep15, 80.0, 1, {}}}
            << QStringList{"0.0000", "0.0000", "0.0000", "0.0000", "0.0000", "0.0000", "0.0000", "0.0000"};
        QTest::newRow("July 2001 counts nowhere")
            << QList<printing::FigureRow>{{"0", QDate(2001, 7, 1), 100.0, gasSup, 20.0},
                                          {"8", QDate(2001, 7, 31), 50.0, 1, {}}}
            << QStringList{"0.0000", "0.0000", "0.0000", "0.0000", "0.0000", "0.0000", "0.0000", "0.0000"};
        QTest::newRow("30 June and 1 August count")
            << QList<printing::FigureRow>{{"0", QDate(2001, 6, 30), 100.0, 1, {}}, {"0", QDate(2001, 8, 1), 10.0, 1, {}}}
            << QStringList{"110.0000", "11.7856", "0.0000", "110.0000", "11.7856", "0.0000", "0.0000", "0.0000"};
        QTest::newRow("no rows") << QList<printing::FigureRow>{}
                                 << QStringList{"0.0000", "0.0000", "0.0000", "0.0000", "0.0000", "0.0000", "0.0000",
                                                "0.0000"};
    }

    void breakdown()
    {
        QFETCH(QList<printing::FigureRow>, rows);
        QFETCH(QStringList, figures);
        printing::FuelCodes codes;
        for (int i = 0; i < 8; ++i)
            codes[i] = QVariant(24 + i);
        const printing::WorksheetFigures f = printing::worksheetBreakdown(rows, codes, 0.107142);
        QCOMPARE((QStringList{f.sumaTipo0, f.crTipo0, f.sumaTipo8, f.sumaTotalCompra, f.sumaTotalCredito,
                              f.fuelPurchases[0], f.fuelCredits[0], f.fuelPrices[0]}),
                 figures);
        for (int i = 1; i < 8; ++i)
            QCOMPARE(f.fuelPurchases[i] + f.fuelCredits[i] + f.fuelPrices[i], QStringLiteral("0.00000.00000.0000"));
    }

    void fourDecimals_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("thousands") << QVariant(1234.5) << "1,234.5000";
        QTest::newRow("below one") << QVariant(0.5) << "0.5000";
        QTest::newRow("zero") << QVariant(0.0) << "0.0000";
        QTest::newRow("empty") << QVariant(QString()) << "0.0000";
        QTest::newRow("half rounds up") << QVariant(20.00015) << "20.0002";
    }

    void fourDecimals()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, text);
        QCOMPARE(printing::fourDecimals(value), text);
    }

    void menuOpensItAndLocksTheEntries()
    {
        Env env;
        support::ScriptedDialogs dialogs;
        MDIMenu menu;
        menu.show();
        QCOMPARE(menu.mn00202->text(), QStringLiteral("&Impresión de Planilla"));
        menu.mn00202->trigger();
        auto* form = MDIMenu::findForm<frmReportes>();
        QVERIFY(form && form->isLoaded());
        QVERIFY(!MDIMenu::findForm<frmPlanillas>());
        QTRY_VERIFY(!menu.mn00301->isEnabled());
        QVERIFY(!menu.mn00203->isEnabled());
        QVERIFY(!menu.mn00104->isEnabled());
        QVERIFY(Biblio::gPlanillaAbierta);
        form->cmdSalir->click();
        QVERIFY(!form->isLoaded());
        QVERIFY(menu.mn00301->isEnabled());
        QVERIFY(menu.mn00203->isEnabled());
        QVERIFY(menu.mn00104->isEnabled());
        QVERIFY(!Biblio::gPlanillaAbierta);
        QVERIFY(menu.Unload());
    }
};

QTEST_MAIN(TestFrmReportes)
#include "test_frm_reportes.moc"
