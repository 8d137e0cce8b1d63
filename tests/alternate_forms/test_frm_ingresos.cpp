// The older entry form beside the entry form: each difference runs the same steps on both and
// checks how they differ; then the faults these forms no longer have, and their print.
#include "../worksheet/planillas_fixture.h"

#include "alternate_forms/frm_imp_rep.h"
#include "alternate_forms/frm_ingresos.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_grid.h"
#include "platform/system/app_info.h"
#include "platform/ui/dialogs.h"
#include "support/report_presenter.h"
#include "support/scripted_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <memory>

using namespace fixture;

namespace {
const QString kZal = QStringLiteral(" ZAL");
const QString kNumeric = QStringLiteral("Debe ingresar un cantidad numérica...");

std::unique_ptr<frmPlanillas> makeForm(const QString& kind)
{
    if (kind == QLatin1String("entry"))
        return std::make_unique<frmPlanillas>();
    if (kind == QLatin1String("older"))
        return std::make_unique<frmIngresos>();
    return std::make_unique<frmImpRep>();
}

// A loaded form with taxpayer A's worksheet of period 4 shown.
struct Open {
    Worksheet ws;
    std::unique_ptr<frmPlanillas> form;
    frmPlanillas& f;
    explicit Open(const QString& kind) : form(makeForm(kind)), f(*form)
    {
        f.Load();
        pickTaxpayer(f, ws.nitA);
    }
    // A fuel row of taxpayer A as the entry form writes it: 940 paid at 47 a gallon.
    void storedFuelRow(int gasto)
    {
        ws.db.exec(QStringLiteral("INSERT INTO Planilla_Enc (\"No\", Contribuyente, Periodo) VALUES (1, 1, 4);"
                                  "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto, Galon) "
                                  "VALUES (1, '%1', '0', 'G', '77', 37488, %2, 846, 47)")
                       .arg(ws.prov2)
                       .arg(gasto));
        pickTaxpayer(f, ws.nitA);
    }
};

QString visible(QWidget* w, QWidget* form)
{
    return w->isVisibleTo(form) ? QStringLiteral("shown") : QStringLiteral("hidden");
}
} // namespace

class TestFrmIngresos : public QObject {
    Q_OBJECT
private slots:
    void differences_data();
    void differences();
    void captionsAndLabels();
    void fuelSavedWithoutItsPrice_data();
    void fuelSavedWithoutItsPrice();
    void nonNumericAmountRefused();
    void quotedSeriesIsALiteral();
    void printPutsTheCreditInWordsInSlotZero();
    void printPanelFormGridShowsNoFuel();
    void leavingTheExpenseBox();
    void overflowingAmount_data();
    void overflowingAmount();
};

void TestFrmIngresos::differences_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("older");
    QTest::newRow("series of Factura Electrónica") << "series11" << "shown" << "hidden";
    QTest::newRow("series of Factura") << "series0" << "shown" << "shown";
    QTest::newRow("credit of a code-11 document") << "credit11" << "107.14" << "Q. 1,000.00";
    QTest::newRow("credit of a Factura") << "credit0" << "107.14" << "Q. 107.14";
    QTest::newRow("jet fuel of the catalogue") << "jet" << "fuel" << "no fuel";
    QTest::newRow("Enter in a fuel's amount") << "amountEnter" << "txtUnitario" << "cmdGrabar";
    // The older forms show the fuel boxes before the number is written: a new number hides them.
    QTest::newRow("double click on a stored fuel row") << "dblclick" << "940.00 shown" << "846.00 hidden";
    QTest::newRow("double click on it again") << "dblclick2" << "940.00 shown" << "846.00 shown";
    QTest::newRow("Enter on a fuel expense") << "expenseFuel" << "shown" << "hidden";
    QTest::newRow("Enter on another expense") << "expenseOther" << "hidden" << "shown";
    QTest::newRow("valid tax id of no taxpayer") << "unknownTaxpayer" << "0 rows, Ana Pérez, cmbProvee"
                                                 << "1 rows, Ana Pérez, cmbContrib";
    QTest::newRow("Enter in the price") << "priceEnter" << "47.00 cmdGrabar" << "47 txtUnitario";
    QTest::newRow("leaving Total Sin IDP") << "leaveTotal" << "cmdGrabar" << "txtCalculos";
    QTest::newRow("leaving an empty price") << "leavePriceEmpty" << "1 message, txtUnitario" << "0 message, txtUnitario";
    QTest::newRow("leaving a price of 0") << "leavePriceZero" << "1 message, |77.00 txtUnitario"
                                          << "0 message, 0.00|77.00 cmdGrabar";
    QTest::newRow("grid column Valor") << "gridValue" << "1,234.50" << "1234.5";
    QTest::newRow("total and credit at load") << "totalsAtLoad" << "0.00|0.00" << "|";
    QTest::newRow("detail query") << "galonQuery" << "reads Galon" << "no Galon";
    QTest::newRow("refused date") << "date" << "emptied" << "01/01/2001";
    QTest::newRow("Galon of a fuel document") << "galon" << "|423|47" << "|423|null";
    QTest::newRow("slot 0 of the print") << "print" << "" << "Letras = 'CIENTO SIETE CON 14/100'";
}

void TestFrmIngresos::differences()
{
    QFETCH(QString, step);
    QFETCH(QString, entry);
    QFETCH(QString, older);
    for (const QString kind : {QStringLiteral("entry"), QStringLiteral("older")}) {
        Open o(kind);
        frmPlanillas& f = o.f;
        support::ScriptedDialogs dialogs;
        QString seen;
        if (step.startsWith(QLatin1String("series"))) {
            fill(f, Doc{o.ws.prov1, step == QLatin1String("series11") ? 11 : 0, {}, {}, {}, {}, {}, {}});
            seen = visible(f.txtSerie, &f);
        } else if (step.startsWith(QLatin1String("credit"))) {
            const int code = step == QLatin1String("credit11") ? 11 : 0;
            fill(f, Doc{o.ws.prov1, code, QStringLiteral("A"), QStringLiteral("55"), QStringLiteral("15/08/2002"),
                        QStringLiteral("1"), QStringLiteral("1000.00"), {}});
            save(f);
            seen = f.txtEKO->text();
        } else if (step == QLatin1String("jet") || step == QLatin1String("amountEnter")) {
            fill(f, Doc{o.ws.prov2, 0, QStringLiteral("G"), QStringLiteral("9"), QStringLiteral("15/08/2002"),
                        step == QLatin1String("jet") ? QStringLiteral("29") : QStringLiteral("24"),
                        QStringLiteral("100.00"), {}});
            ui::runHandler([&] { f.SetFocus(f.txtCantidad); });
            enter([&](int& k) { f.txtCantidad_KeyPress(k); });
            if (step == QLatin1String("jet"))
                seen = f.txtUnitario->isVisibleTo(&f) ? QStringLiteral("fuel") : QStringLiteral("no fuel");
            else
                seen = f.focusWidget() ? f.focusWidget()->objectName() : QString();
        } else if (step.startsWith(QLatin1String("dblclick"))) {
            o.storedFuelRow(24);
            for (int i = step == QLatin1String("dblclick2") ? 2 : 1; i > 0; --i) {
                ui::runHandler([&] {
                    f.grdDetalle->selectRow(0);
                    f.grdDetalle_DblClick();
                });
            }
            seen = f.txtCantidad->Text() + QLatin1Char(' ') + visible(f.txtUnitario, &f);
        } else if (step.startsWith(QLatin1String("expense"))) {
            const bool fuel = step == QLatin1String("expenseFuel");
            fill(f, Doc{o.ws.prov2, 0, QStringLiteral("G"), QStringLiteral("9"), QStringLiteral("15/08/2002"),
                        fuel ? QStringLiteral("24") : QStringLiteral("1"), {}, {}});
            ui::runHandler([&] {
                f.showFuel(!fuel);
                f.cmbGasto_Click();
            });
            seen = visible(f.txtUnitario, &f);
        } else if (step == QLatin1String("unknownTaxpayer")) {
            o.storedFuelRow(24);
            ui::runHandler([&] { f.SetFocus(f.cmbContrib); });
            pickTaxpayer(f, nit(1000009));
            seen = QStringLiteral("%1 rows, %2, %3")
                       .arg(f.grdDetalle->rowCount())
                       .arg(f.txtNombre->text(), f.focusWidget()->objectName());
        } else if (step == QLatin1String("priceEnter")) {
            fill(f, Doc{o.ws.prov2, 0, QStringLiteral("G"), QStringLiteral("9"), QStringLiteral("15/08/2002"),
                        QStringLiteral("24"), QStringLiteral("470.00"), QStringLiteral("47")});
            ui::runHandler([&] {
                f.showFuel(true);
                f.SetFocus(f.txtUnitario);
            });
            enter([&](int& k) { f.txtUnitario_KeyPress(k); });
            seen = f.txtUnitario->Text() + QLatin1Char(' ') + f.focusWidget()->objectName();
        } else if (step == QLatin1String("leaveTotal")) {
            ui::runHandler([&] {
                f.showFuel(true);
                f.SetFocus(f.txtCalculos);
            });
            ui::runHandler([&] { f.txtCalculos_LostFocus(); });
            seen = f.focusWidget()->objectName();
        } else if (step.startsWith(QLatin1String("leavePrice"))) {
            const bool zero = step == QLatin1String("leavePriceZero");
            fill(f, Doc{o.ws.prov2, 0, QStringLiteral("G"), QStringLiteral("9"), QStringLiteral("15/08/2002"),
                        QStringLiteral("24"), QStringLiteral("100.00"), zero ? QStringLiteral("0") : QString()});
            ui::runHandler([&] {
                f.txtCalculos->setText(QStringLiteral("77.00"));
                f.showFuel(true);
                f.SetFocus(f.txtUnitario);
            });
            if (kind == QLatin1String("entry"))
                dialogs.expectMsgBox(QStringLiteral(" Debe ingresar un cantidad numérica..."), ui::vbOK);
            ui::runHandler([&] { f.txtUnitario_LostFocus(); });
            seen = QStringLiteral("%1 message, ").arg(dialogs.calls().size());
            if (zero)
                seen += f.txtUnitario->Text() + QLatin1Char('|') + f.txtCalculos->Text() + QLatin1Char(' ');
            seen += f.focusWidget()->objectName();
        } else if (step == QLatin1String("gridValue")) {
            o.ws.db.exec(QStringLiteral("INSERT INTO Planilla_Enc (\"No\", Contribuyente, Periodo) VALUES (1, 1, 4);"
                                        "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto) "
                                        "VALUES (1, '%1', '7', NULL, '5', 37488, 1, 1234.5)")
                             .arg(o.ws.prov1));
            pickTaxpayer(f, o.ws.nitA);
            seen = f.grdDetalle->text(0, 6);
        } else if (step == QLatin1String("totalsAtLoad")) {
            const std::unique_ptr<frmPlanillas> fresh = makeForm(kind);
            fresh->Load();
            seen = fresh->txtTotfac->text() + QLatin1Char('|') + fresh->txtEKO->text();
        } else if (step == QLatin1String("galonQuery")) {
            seen = f.SqlDetalle.contains(QLatin1String("Galon")) ? QStringLiteral("reads Galon") : QStringLiteral("no Galon");
        } else if (step == QLatin1String("date")) {
            fill(f, Doc{o.ws.prov1, 7, {}, QStringLiteral("5"), {}, {}, {}, {}});
            dialogs.expectMsgBox(QStringLiteral(" Debe ingresar una fecha entre el intervalo : 01/07/2002 al: 30/06/2003"),
                                 ui::vbOK);
            ui::runHandler([&] { f.txtFecha->setText(QStringLiteral("01/01/2001")); });
            enter([&](int& k) { f.txtFecha_KeyPress(k); });
            seen = f.txtFecha->Text() == QLatin1String("01/01/2001") ? f.txtFecha->Text() : QStringLiteral("emptied");
        } else if (step == QLatin1String("print")) {
            sys::setAppPath(QDir(qEnvironmentVariable("ZAL_SOURCE_DIR")).filePath(QStringLiteral("resources")));
            support::RecordingPresenter shown;
            fill(f, Doc{o.ws.prov1, 0, QStringLiteral("A"), QStringLiteral("55"), QStringLiteral("15/08/2002"),
                        QStringLiteral("1"), QStringLiteral("1000.00"), {}});
            save(f);
            dialogs.expectInput(QStringLiteral("Valdrén")).expectInput(QStringLiteral("5/3/2002"));
            ui::runHandler([&] { f.cmdImprime_Click(); });
            QCOMPARE(shown.count(), 1);
            seen = f.rptImprime.formulas(0);
            sys::setAppPath(QString());
        } else if (step == QLatin1String("galon")) {
            fill(f, Doc{o.ws.prov2, 0, QStringLiteral("G"), QStringLiteral("77"), QStringLiteral("20/08/2002"),
                        QStringLiteral("24"), QStringLiteral("470.00"), QStringLiteral("47.00")});
            save(f);
            QCOMPARE(o.ws.rows().size(), 1);
            seen = o.ws.rows().at(0).section(QLatin1Char('|'), 5);
            seen.prepend(QLatin1Char('|'));
        }
        QCOMPARE(seen, kind == QLatin1String("entry") ? entry : older);
    }
}

void TestFrmIngresos::captionsAndLabels()
{
    Worksheet ws;
    frmIngresos older;
    frmImpRep panel;
    QCOMPARE(older.windowTitle(), QStringLiteral("INGRESOS"));
    QCOMPARE(panel.windowTitle(), QStringLiteral("IMPRIMIR"));
    QCOMPARE(older.findChild<QLabel*>(QStringLiteral("Label10"))->text(), QStringLiteral("Valor"));
    // The price's caption is two labels: "Pre" comes and goes with the fuel boxes, "Unitario" stays.
    for (frmPlanillas* form : {static_cast<frmPlanillas*>(&older), static_cast<frmPlanillas*>(&panel)}) {
        auto* label8 = form->findChild<QLabel*>(QStringLiteral("Label8"));
        QVERIFY(label8);
        QCOMPARE(label8->text(), QStringLiteral("Unitario"));
        form->showFuel(true);
        QVERIFY(form->lblUnitario->isVisibleTo(form));
        form->showFuel(false);
        QVERIFY(!form->lblUnitario->isVisibleTo(form));
        QVERIFY(label8->isVisibleTo(form));
    }
    QCOMPARE(older.lblUnitario->text(), QStringLiteral("Pre"));
    QCOMPARE(panel.lblUnitario->text(), QStringLiteral("Unitario"));
    // The print panel's label keeps its design text; its frame's two buttons do nothing.
    QCOMPARE(panel.Frame1->findChild<QPushButton*>(QStringLiteral("cmdExit")), panel.cmdExit);
    QCOMPARE(panel.Frame1->findChild<QPushButton*>(QStringLiteral("SSCommand2")), panel.SSCommand2);
    QCOMPARE(panel.cmdExit->toolTip(), QStringLiteral("Salir..."));
    QCOMPARE(panel.SSCommand2->toolTip(), QStringLiteral("Imprime su declaración..."));
    panel.Load();
    QCOMPARE(panel.Label9->text(), QStringLiteral("Período Actual:"));
    {
        support::ScriptedDialogs dialogs;
        panel.cmdExit->click();
        panel.SSCommand2->click();
        QVERIFY(panel.isLoaded());
        QCOMPARE(panel.report.log().size(), 0);
        QCOMPARE(dialogs.calls().size(), 0);
    }
    QCOMPARE(older.cmdImprime->toolTip(), QStringLiteral("Imprime su declaración..."));
    QVERIFY(older.cmdImprime->isVisibleTo(&older));
    older.Load();
    pickTaxpayer(older, ws.nitA);
    QCOMPARE(older.txtTotfac->text(), QStringLiteral("Q. 0.00"));
    QCOMPARE(older.txtEKO->text(), QStringLiteral("Q. 0.00"));
    // The number box's Enter, under the name these forms give it.
    fill(older, Doc{ws.prov1, 7, {}, QStringLiteral("5"), {}, {}, {}, {}});
    ui::runHandler([&] { older.txtDoc_GotFocus(); });
    QVERIFY(!older.DocumentoConEnter);
    enter([&](int& k) { older.txtDoc_KeyPress(k); });
    QVERIFY(older.DocumentoConEnter);
}

void TestFrmIngresos::fuelSavedWithoutItsPrice_data()
{
    QTest::addColumn<QString>("price");
    QTest::newRow("no price") << "";
    QTest::newRow("price at the rate") << "4.70";
    QTest::newRow("price not a number") << "4x";
}

// Enter in the amount goes straight to the save: the save itself asks for the price and stores
// the amount without tax computed from what the boxes hold now.
void TestFrmIngresos::fuelSavedWithoutItsPrice()
{
    QFETCH(QString, price);
    Open o(QStringLiteral("older"));
    frmPlanillas& f = o.f;
    support::ScriptedDialogs dialogs;
    fill(f, Doc{o.ws.prov2, 0, QStringLiteral("G"), QStringLiteral("77"), QStringLiteral("20/08/2002"),
                QStringLiteral("24"), QStringLiteral("470.00"), price});
    dialogs.expectMsgBox(kNumeric, ui::vbOK);
    save(f);
    QCOMPARE(dialogs.calls().at(0).title, kZal);
    QCOMPARE(o.ws.rows(), QStringList());
    QVERIFY(f.txtUnitario->isVisibleTo(&f));
    QCOMPARE(f.focusWidget(), f.txtUnitario);

    // A stale amount without tax in its box is not what is stored: the price works it out again.
    ui::runHandler([&] {
        f.txtCalculos->setText(QStringLiteral("999.00"));
        f.txtUnitario->setText(QStringLiteral("47.00"));
    });
    QCOMPARE(f.txtCalculos->Text(), QStringLiteral("423.00"));
    save(f);
    QCOMPARE(o.ws.rows().size(), 1);
    QVERIFY2(o.ws.rows().at(0).endsWith(QStringLiteral("|423|null")), qPrintable(o.ws.rows().at(0)));
}

void TestFrmIngresos::nonNumericAmountRefused()
{
    Open o(QStringLiteral("older"));
    support::ScriptedDialogs dialogs;
    fill(o.f, Doc{o.ws.prov1, 0, QStringLiteral("A"), QStringLiteral("5"), QStringLiteral("20/08/2002"),
                  QStringLiteral("1"), QStringLiteral("0.00"), {}});
    dialogs.expectMsgBox(QStringLiteral(" Debe ingresar una cantidad válida..."), ui::vbOK);
    save(o.f);
    ui::runHandler([&] { o.f.txtCantidad->setText(QStringLiteral("12abc")); });
    dialogs.expectMsgBox(kNumeric, ui::vbOK);
    save(o.f);
    QCOMPARE(o.ws.rows(), QStringList());
    QCOMPARE(o.f.focusWidget(), o.f.txtCantidad);
}

void TestFrmIngresos::quotedSeriesIsALiteral()
{
    Open o(QStringLiteral("older"));
    support::ScriptedDialogs dialogs;
    const Doc d {o.ws.prov1, 0, QStringLiteral("o' Or '1"), QStringLiteral("5"), QStringLiteral("20/08/2002"),
                 QStringLiteral("1"), QStringLiteral("10.00"), {}};
    fill(o.f, d);
    save(o.f);
    fill(o.f, Doc{o.ws.prov1, 0, QStringLiteral("B"), QStringLiteral("5"), QStringLiteral("20/08/2002"),
                  QStringLiteral("1"), QStringLiteral("20.00"), {}});
    save(o.f);
    Doc again = d;
    again.cantidad = QStringLiteral("30.00");
    fill(o.f, again);
    save(o.f);
    const QStringList rows = o.ws.rows();
    QCOMPARE(rows.size(), 2);
    QVERIFY2(rows.at(0).contains(QStringLiteral("|O' OR '1|5|30|")), qPrintable(rows.at(0)));
    QVERIFY2(rows.at(1).contains(QStringLiteral("|B|5|20|")), qPrintable(rows.at(1)));
}

// Both older entry forms: the credit in words in slot 0, and in slot 10 the credit as the amount
// alone; "Q. " is only how the box shows it.
void TestFrmIngresos::printPutsTheCreditInWordsInSlotZero()
{
    for (const QString kind : {QStringLiteral("older"), QStringLiteral("panel")}) {
        Open o(kind);
        auto& f = static_cast<frmIngresos&>(o.f);
        sys::setAppPath(QDir(qEnvironmentVariable("ZAL_SOURCE_DIR")).filePath(QStringLiteral("resources")));
        support::ScriptedDialogs dialogs;
        support::RecordingPresenter shown;
        fill(f, Doc{o.ws.prov1, 7, {}, QStringLiteral("55"), QStringLiteral("15/08/2002"), QStringLiteral("1"),
                    QStringLiteral("3071.42"), {}});
        save(f);
        QCOMPARE(f.txtEKO->text(), QStringLiteral("Q. 3,071.42"));
        dialogs.expectInput(QStringLiteral("Valdrén")).expectInput(QStringLiteral("5/3/2002"));
        ui::runHandler([&] { f.cmdImprime_Click(); });
        QCOMPARE(shown.count(), 1);
        const QStringList log = f.rptImprime.logLines();
        const int selection = log.indexOf(QStringLiteral("SelectionFormula={Planilla_Enc.No} = 1"));
        QVERIFY2(selection > 0, qPrintable(log.join('\n')));
        QCOMPARE(log.mid(selection + 1, 5),
                 (QStringList{QStringLiteral("Formulas(0)=Letras = '") + Biblio::NumeroALetras(3071.42) + QLatin1Char('\''),
                              QStringLiteral("Formulas(10)=CRD = '3,071.42'"),
                              QStringLiteral("WindowTitle= Planilla Periodo: 01/07/2002 Al: 30/06/2003 De: Ana Pérez"),
                              QStringLiteral("WindowState=2"), QStringLiteral("Formulas(1)=LPresenta = 'Valdrén'")}));
        QCOMPARE(log.last(), QStringLiteral("Action=0"));
        const QString page = shown.last().text.simplified();
        QVERIFY2(page.contains(QStringLiteral("Crédito EKO 3,071.42")) && !page.contains(QStringLiteral("Q.")),
                 qPrintable(page));
        sys::setAppPath(QString());
    }
}

void TestFrmIngresos::printPanelFormGridShowsNoFuel()
{
    Open o(QStringLiteral("panel"));
    o.storedFuelRow(24);
    ui::runHandler([&] {
        o.f.grdDetalle->selectRow(0);
        o.f.grdDetalle_DblClick();
    });
    QCOMPARE(o.f.txtCantidad->Text(), QStringLiteral("846.00"));
    QVERIFY(!o.f.txtUnitario->isVisibleTo(&o.f));
    QCOMPARE(o.f.cmbGasto->BoundText(), QStringLiteral("24"));
    // Its grid names code 11 without the accent.
    fill(o.f, Doc{o.ws.prov1, 11, {}, QStringLiteral("8"), QStringLiteral("15/08/2002"), QStringLiteral("1"),
                  QStringLiteral("10.00"), {}});
    save(o.f);
    QCOMPARE(o.f.grdDetalle->text(1, 3), QStringLiteral("Factura Electronica"));
}

// Leaving "Tipo de Gasto" with no expense chosen: the entry form sends the focus on to the
// amount, whose guard sends it back; the older forms let the focus go where the user clicked.
void TestFrmIngresos::leavingTheExpenseBox()
{
    for (const QString kind : {QStringLiteral("entry"), QStringLiteral("older")}) {
        Open o(kind);
        frmPlanillas& f = o.f;
        fill(f, Doc{o.ws.prov1, 7, {}, QStringLiteral("5"), QStringLiteral("15/08/2002"), {}, {}, {}});
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        support::ScriptedDialogs dialogs;
        f.SetFocus(f.cmbGasto);
        QCOMPARE(QApplication::focusWidget(), f.cmbGasto);
        const bool entry = kind == QLatin1String("entry");
        if (entry)
            dialogs.expectMsgBox(QStringLiteral(" Debe seleccionar un Tipo de Gasto válido..."), ui::vbOK);
        f.SetFocus(f.txtDoc);
        QCOMPARE(dialogs.calls().size(), entry ? 1 : 0);
        QCOMPARE(QApplication::focusWidget(), entry ? static_cast<QWidget*>(f.cmbGasto) : f.txtDoc);
        f.hide();
    }
}

void TestFrmIngresos::overflowingAmount_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("entry form") << "entry" << "Debe ingresar una cantidad válida...";
    QTest::newRow("older entry form") << "older" << " Debe ingresar una cantidad válida...";
    QTest::newRow("entry form with print panel") << "panel" << " Debe ingresar una cantidad válida...";
}

// An amount beyond a double's range gets the amount messages, on Enter and at the save.
void TestFrmIngresos::overflowingAmount()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    Open o(kind);
    support::ScriptedDialogs dialogs;
    fill(o.f, Doc{o.ws.prov1, 7, {}, QStringLiteral("5"), QStringLiteral("20/08/2002"), QStringLiteral("1"),
                  QStringLiteral("1e309"), {}});
    dialogs.expectMsgBox(QStringLiteral(" Debe ingresar una cantidad lógica..."), ui::vbOK);
    enter([&](int& k) { o.f.txtCantidad_KeyPress(k); });
    dialogs.expectMsgBox(message, ui::vbOK);
    save(o.f);
    QCOMPARE(dialogs.calls().size(), 2);
    QCOMPARE(o.f.focusWidget(), o.f.txtCantidad);
    QCOMPARE(o.ws.rows(), QStringList());
}

QTEST_MAIN(TestFrmIngresos)
#include "test_frm_ingresos.moc"
