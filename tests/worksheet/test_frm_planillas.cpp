// The entry form driven through its handlers: the twelve save checks, save and delete, the series
// rule, the taxpayer shown, fuel, the grid, Esc, clearing and the supplier hand-off.
#include "planillas_fixture.h"

#include "catalogs/frm_proveedor.h"
#include "core/mdi_menu.h"
#include "printing/frm_reportes.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/mouse_pointer.h"
#include "platform/ui/sizing.h"
#include "platform/ui/status_bar.h"
#include "support/fit_check.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace fixture;

namespace {
const QString kZal = QStringLiteral(" ZAL");
const QString kNumeric = QStringLiteral("Debe ingresar un cantidad numérica...");
const QString kRange = QStringLiteral(" Debe ingresar una fecha entre el intervalo : 01/07/2002 al: 30/06/2003");

QStringList gridColumn(const frmPlanillas& f, int column)
{
    QStringList out;
    for (int row = 0; row < f.grdDetalle->rowCount(); ++row)
        out << f.grdDetalle->text(row, column);
    return out;
}

// A taxpayer A form, loaded and with its worksheet shown.
struct Open {
    Worksheet ws;
    frmPlanillas f;
    explicit Open(int period = 4) : ws(period)
    {
        f.Load();
        pickTaxpayer(f, ws.nitA);
    }
    Doc invoice(const QString& noDoc = QStringLiteral("101"), const QString& cantidad = QStringLiteral("100.00")) const
    {
        return {ws.prov1, 0, QStringLiteral("A"), noDoc, QStringLiteral("15/08/2002"), QStringLiteral("1"), cantidad, {}};
    }
};
} // namespace

class TestFrmPlanillas : public QObject {
    Q_OBJECT
private slots:
    void saveChecks_data();
    void saveChecks();
    void saveCreatesHeaderThenChangesTheDocument();
    void deleteDocument();
    void seriesByTypeCode_data();
    void seriesByTypeCode();
    void otherTaxpayerIsRefused();
    void fuelDocument();
    void fuelTypedInAnotherCase_data();
    void fuelTypedInAnotherCase();
    void typeListOfThePeriod_data();
    void typeListOfThePeriod();
    void gridDoubleClickAndSort();
    void escPastesANumber_data();
    void escPastesANumber();
    void clearing();
    void supplierHandOff_data();
    void supplierHandOff();
    void menuOpensOnce();
    void boxesFit();
    void databaseTooOld();
    void noPeriod();
    void supplierBox();
    void dateBox_data();
    void dateBox();
    void deactivateKeepsTheTaxpayer();
    void deleteAsksOnlyForANumber_data();
    void deleteAsksOnlyForANumber();
    void typeListAfterAnUnknownSupplier_data();
    void typeListAfterAnUnknownSupplier();
    void amountWithoutTaxIsWhatTheBoxShows();
    void overflowingAmount();
    void fuelAmountThatLeavesNothing();
    void controlCharactersAreRefused_data();
    void controlCharactersAreRefused();
    void namedHandlersAndGroupSums();
    void supplierTaxIdStoredUpperCased();
};

void TestFrmPlanillas::saveChecks_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("help");
    QTest::addColumn<QString>("focus");
    const int info = ui::vbInformation;
    const int helpInfo = ui::vbInformation | ui::vbMsgBoxHelpButton;
    QTest::newRow("1 supplier") << "provee" << "" << " Debe seleccionar un proveedor válido..." << info << "" << 0 << "cmbProvee";
    QTest::newRow("2 type") << "tipo" << "" << " Debe seleccionar un Tipo de Documento válido..." << info << kZal << 0 << "cmbTipo";
    QTest::newRow("3 number") << "doc" << "12A" << " Debe ingresar un No. Documento válido..." << info << kZal << 0 << "txtDoc";
    QTest::newRow("4 EKO") << "eko" << "0203" << " El Tipo de documento EKO Dcto. 39-99 exige un No. de Formulario válido..."
                           << helpInfo << kZal << 1080 << "txtDoc";
    QTest::newRow("5 form") << "f208" << "2031" << " El Tipo de documento Formulario 208 exige un No. de Formulario válido..."
                            << helpInfo << kZal << 2520 << "txtDoc";
    QTest::newRow("6 no date") << "fecha" << "" << kRange << info << "" << 0 << "txtFecha";
    QTest::newRow("7 outside") << "fecha" << "30/06/2002" << kRange << info << "" << 0 << "txtFecha";
    QTest::newRow("8 expense") << "gasto" << "" << " Debe seleccionar un Tipo de Gasto válido..." << info << kZal << 0 << "cmbGasto";
    QTest::newRow("9 amount") << "cantidad" << "0.00" << "Debe ingresar una cantidad válida..." << info << "" << 0 << "txtCantidad";
    QTest::newRow("9 amount beyond a double") << "cantidad" << "1e309" << "Debe ingresar una cantidad válida..." << info << "" << 0 << "txtCantidad";
    QTest::newRow("10 Tiquete") << "tiquete" << "01/04/2002" << " Documentos tipo Tiquete no se aceptan apartir de 01/Abril/2002 Decreto:62-2001..."
                                << info << "" << 0 << "cmbTipo";
    QTest::newRow("11 amount 5x") << "cantidad" << "5x" << kNumeric << info << kZal << 0 << "txtCantidad";
    QTest::newRow("11 comma decimal") << "cantidad" << "12,50" << kNumeric << info << kZal << 0 << "txtCantidad";
    QTest::newRow("12 no price") << "fuel" << "" << kNumeric << info << kZal << 0 << "txtUnitario";
    QTest::newRow("12 price at the rate") << "fuel" << "4.70" << kNumeric << info << kZal << 0 << "txtUnitario";
    QTest::newRow("12 amount that leaves nothing") << "smallfuel" << "4.71" << kNumeric << info << kZal << 0 << "txtUnitario";
    QTest::newRow("13 Total Sin IDP not an amount") << "calculos" << "abc" << kNumeric << info << kZal << 0 << "txtCalculos";
}

void TestFrmPlanillas::saveChecks()
{
    QFETCH(QString, change);
    QFETCH(QString, value);
    QFETCH(QString, message);
    QFETCH(int, style);
    QFETCH(QString, title);
    QFETCH(int, help);
    QFETCH(QString, focus);
    const bool tiquete = change == QLatin1String("tiquete");
    Open o(tiquete || change == QLatin1String("eko") ? 3 : 4);
    Doc d = o.invoice();
    if (tiquete) {
        d.tipo = 1;
        d.fecha = value;
    } else if (change == "provee") d.provee = value;
    else if (change == "tipo") d.tipo = -1;
    else if (change == "doc") d.noDoc = value;
    else if (change == "eko") { d.tipo = 2; d.noDoc = value; }
    else if (change == "f208") { d.tipo = 9; d.noDoc = value; }
    else if (change == "fecha") d.fecha = value;
    else if (change == "gasto") d.gasto = value;
    else if (change == "cantidad") d.cantidad = value;
    else if (change == "fuel") { d.gasto = QStringLiteral("24"); d.cantidad = QStringLiteral("470.00"); d.unitario = value; }
    else if (change == "smallfuel") { d.gasto = QStringLiteral("24"); d.cantidad = QStringLiteral("0.01"); d.unitario = value; }
    else if (change == "calculos") { d.gasto = QStringLiteral("24"); d.cantidad = QStringLiteral("470.00"); d.unitario = QStringLiteral("47.00"); }
    if (tiquete) {
        // The period 3 form with the Tiquete type.
        QCOMPARE(o.f.cmbTipo->count(), 8);
    }
    fill(o.f, d);
    if (change == "calculos")
        ui::runHandler([&] { o.f.txtCalculos->setText(value); });
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(message, ui::vbOK);
    save(o.f);
    QCOMPARE(dialogs.calls().size(), 1);
    QCOMPARE(dialogs.calls().at(0).style, style);
    QCOMPARE(dialogs.calls().at(0).title, title);
    QCOMPARE(dialogs.calls().at(0).helpContext, help);
    QVERIFY(o.f.focusWidget());
    QCOMPARE(o.f.focusWidget()->objectName(), focus);
    if (change == "fuel" || change == "smallfuel" || change == "calculos")
        QVERIFY(o.f.txtUnitario->isVisibleTo(&o.f));
    if (change == "calculos")
        QCOMPARE(o.f.txtCalculos->Text(), QString());
    if (change == "cantidad" && (value == "5x" || value == "12,50"))
        QCOMPARE(o.f.txtCantidad->Text(), QString());
    QCOMPARE(o.ws.rows(), QStringList());
}

void TestFrmPlanillas::saveCreatesHeaderThenChangesTheDocument()
{
    Open o;
    QCOMPARE(o.ws.headers(), 0);
    QCOMPARE(o.f.txtTotfac->text(), QStringLiteral("0.00"));
    fill(o.f, o.f.cmbContrib->BoundText().isEmpty() ? Doc{} : o.invoice(QStringLiteral("101"), QStringLiteral("1,000.00")));
    save(o.f);
    QCOMPARE(o.ws.headers(), 1);
    QCOMPARE(o.ws.rows(), QStringList{o.f.headerNo().toString() + "|" + o.ws.prov1 + "|0|A|101|1000|null"});
    QCOMPARE(o.f.txtTotfac->text(), QStringLiteral("1,000.00"));
    QCOMPARE(o.f.txtEKO->text(), QStringLiteral("107.14"));
    // The supplier stays for the next document, the rest is cleared.
    QCOMPARE(o.f.cmbProvee->Text(), o.ws.prov1);
    QCOMPARE(o.f.txtDoc->text(), QString());
    QCOMPARE(gridColumn(o.f, 5), QStringList{"101"});

    // The same key again (series typed in lower case) changes the stored row.
    Doc again = o.invoice(QStringLiteral("101"), QStringLiteral("250.00"));
    again.serie = QStringLiteral("a");
    fill(o.f, again);
    save(o.f);
    // A form-type document counts at face value.
    fill(o.f, {o.ws.prov1, 8, {}, QStringLiteral("2035"), QStringLiteral("16/08/2002"), QStringLiteral("1"),
               QStringLiteral("500.00"), {}});
    save(o.f);
    QCOMPARE(o.ws.headers(), 1);
    QCOMPARE(o.ws.rows().size(), 2);
    QVERIFY(o.ws.rows().at(0).endsWith(QStringLiteral("|0|A|101|250|null")));
    QCOMPARE(o.f.txtTotfac->text(), QStringLiteral("750.00"));
    QCOMPARE(o.f.txtEKO->text(), QStringLiteral("526.79"));
}

void TestFrmPlanillas::deleteDocument()
{
    Open o;
    fill(o.f, o.invoice());
    save(o.f);
    fill(o.f, o.invoice(QStringLiteral("102")));
    save(o.f);
    QCOMPARE(o.ws.rows().size(), 2);
    fill(o.f, o.invoice());
    remove(o.f);
    QCOMPARE(o.ws.rows().size(), 1);
    QVERIFY(o.ws.rows().at(0).contains(QStringLiteral("|102|")));
    QCOMPARE(o.f.cmbProvee->Text(), QString());
    QCOMPARE(o.f.txtTotfac->text(), QStringLiteral("100.00"));
    // A document that is not stored only clears the fields; quotes in the number are a literal.
    fill(o.f, o.invoice(QStringLiteral("999")));
    remove(o.f);
    QCOMPARE(o.ws.rows().size(), 1);
    fill(o.f, o.invoice(QStringLiteral("1' Or '1'='1")));
    remove(o.f);
    QCOMPARE(o.ws.rows().size(), 1);
}

void TestFrmPlanillas::seriesByTypeCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("serie");
    QTest::addColumn<QString>("noDoc");
    QTest::addColumn<QString>("stored");
    QTest::newRow("Factura") << 0 << "b7" << "5" << "B7";
    QTest::newRow("Factura Electrónica") << 11 << "fe1" << "6" << "FE1";
    QTest::newRow("Factura without series") << 0 << "" << "7" << "null";
    QTest::newRow("Formulario 711") << 10 << "" << "7115" << "null";
}

void TestFrmPlanillas::seriesByTypeCode()
{
    QFETCH(int, code);
    QFETCH(QString, serie);
    QFETCH(QString, noDoc);
    QFETCH(QString, stored);
    Open o;
    Doc d {o.ws.prov1, code, serie, noDoc, QStringLiteral("15/08/2002"), QStringLiteral("1"), QStringLiteral("10.00"), {}};
    fill(o.f, d);
    QCOMPARE(o.f.txtSerie->isVisibleTo(&o.f), code == 0 || code == 11);
    if (o.f.txtSerie->isVisibleTo(&o.f)) {
        // The series typed in its box, then Enter: on to the document number, the series as typed.
        ui::runHandler([&] {
            o.f.txtSerie->setText(QString());
            o.f.SetFocus(o.f.txtSerie);
        });
        QTest::keyClicks(o.f.txtSerie, serie);
        QCOMPARE(o.f.focusWidget(), o.f.txtSerie);
        QTest::keyClick(o.f.txtSerie, Qt::Key_Return);
        QCOMPARE(o.f.focusWidget(), o.f.txtDoc);
        QCOMPARE(o.f.txtSerie->text(), serie);
    }
    save(o.f);
    d.cantidad = QStringLiteral("20.00");
    fill(o.f, d);
    save(o.f);
    QCOMPARE(o.ws.rows().size(), 1);
    QCOMPARE(o.ws.rows().at(0).section(QLatin1Char('|'), 3, 3), stored);
    QCOMPARE(o.ws.rows().at(0).section(QLatin1Char('|'), 5, 5), QStringLiteral("20"));
    fill(o.f, d);
    remove(o.f);
    QCOMPARE(o.ws.rows(), QStringList());
}

void TestFrmPlanillas::otherTaxpayerIsRefused()
{
    Open o;
    fill(o.f, o.invoice());
    save(o.f);
    // B's tax id typed over A's, without Enter.
    fill(o.f, o.invoice(QStringLiteral("101"), QStringLiteral("999.00")));
    ui::runHandler([&] { o.f.cmbContrib->setText(o.ws.nitB); });
    {
        support::ScriptedDialogs dialogs;
        dialogs.expectMsgBox(QStringLiteral(" Debe seleccionar un Contribuyente válido..."), ui::vbOK);
        save(o.f);
        QCOMPARE(dialogs.calls().at(0).title, kZal);
        QCOMPARE(o.f.focusWidget(), o.f.cmbContrib);
        dialogs.expectMsgBox(QStringLiteral(" Debe seleccionar un Contribuyente válido..."), ui::vbOK);
        remove(o.f);
    }
    QCOMPARE(o.ws.headers(), 1);
    QCOMPARE(o.ws.rows().size(), 1);
    QVERIFY(o.ws.rows().at(0).endsWith(QStringLiteral("|100|null")));
    // After Enter, B's own worksheet is the one saved to.
    pickTaxpayer(o.f, o.ws.nitB);
    QCOMPARE(o.f.txtNombre->text(), QStringLiteral("Bruno Díaz"));
    QCOMPARE(o.f.txtNombre->cursorPosition(), 0);   // a name longer than its box shows its start
    QCOMPARE(o.f.grdDetalle->rowCount(), 0);
    fill(o.f, o.invoice());
    save(o.f);
    QCOMPARE(o.ws.headers(), 2);
    QCOMPARE(o.ws.rows().size(), 2);
}

void TestFrmPlanillas::fuelDocument()
{
    Open o;
    Doc d {o.ws.prov2, 0, QStringLiteral("G"), QStringLiteral("77"), QStringLiteral("20/08/2002"), QStringLiteral("24"),
           QStringLiteral("470.00"), QStringLiteral("47.00")};
    fill(o.f, d);
    // The price's Enter computes the amount without the tax.
    enter([&](int& k) { o.f.txtUnitario_KeyPress(k); });
    QCOMPARE(o.f.txtCalculos->Text(), QStringLiteral("423.00"));
    // An amount changed afterwards is not saved with the old amount without tax.
    ui::runHandler([&] { o.f.txtCantidad->setText(QStringLiteral("940.00")); });
    save(o.f);
    QCOMPARE(o.ws.rows().size(), 1);
    QVERIFY2(o.ws.rows().at(0).endsWith(QStringLiteral("|846|47")), qPrintable(o.ws.rows().at(0)));
    // The number typed again finds the stored fuel row and rebuilds the amount paid.
    fill(o.f, Doc{o.ws.prov2, 0, QStringLiteral("G"), QStringLiteral("77"), {}, {}, {}, {}});
    enter([&](int& k) { o.f.txtDoc_KeyPress(k); });
    QCOMPARE(o.f.txtFecha->Text(), QStringLiteral("20/08/2002"));
    QCOMPARE(o.f.cmbGasto->Text(), QStringLiteral("Gasolina Superior"));
    QCOMPARE(o.f.txtUnitario->Text(), QStringLiteral("47.00"));
    QCOMPARE(o.f.txtCalculos->Text(), QStringLiteral("846.00"));
    QCOMPARE(o.f.txtCantidad->Text(), QStringLiteral("940.00"));
    QVERIFY(o.f.txtUnitario->isVisibleTo(&o.f));
    // A stored price at or below the rate shows the stored amount.
    o.ws.db.exec(QStringLiteral("UPDATE Planilla_Det SET Galon = 4.7"));
    ui::runHandler([&] { o.f.dtDetalle->Refresh(); });
    ui::runHandler([&] { o.f.txtDoc->setText(QStringLiteral("77")); });
    enter([&](int& k) { o.f.txtDoc_KeyPress(k); });
    QCOMPARE(o.f.txtCantidad->Text(), QStringLiteral("846.00"));
}

void TestFrmPlanillas::fuelTypedInAnotherCase_data()
{
    QTest::addColumn<bool>("enter");
    QTest::newRow("Enter") << true;
    QTest::newRow("leaving the box") << false;
}

void TestFrmPlanillas::fuelTypedInAnotherCase()
{
    QFETCH(bool, enter);
    Open o;
    fill(o.f, Doc{o.ws.prov2, 0, {}, QStringLiteral("8"), QStringLiteral("20/08/2002"), {}, {}, {}});
    ui::runHandler([&] { o.f.cmbGasto->setText(QStringLiteral("gasolina regular")); });
    QCOMPARE(o.f.cmbGasto->BoundText(), QStringLiteral("25"));
    if (enter) {
        ui::runHandler([&] { o.f.cmbGasto_Click(); });
    } else {
        ui::runHandler([&] { o.f.cmbGasto_LostFocus(); });
        ui::runHandler([&] { o.f.txtCantidad_LostFocus(); });
    }
    QCOMPARE(o.f.cmbGasto->Text(), QStringLiteral("Gasolina Regular"));
    QVERIFY(o.f.txtUnitario->isVisibleTo(&o.f));
    QVERIFY(o.f.lblTotal->isVisibleTo(&o.f));
    // Saved as the fuel it is: the amount without the tax and the price.
    ui::runHandler([&] {
        o.f.txtCantidad->setText(QStringLiteral("470.00"));
        o.f.txtUnitario->setText(QStringLiteral("47.00"));
    });
    save(o.f);
    QCOMPARE(o.ws.rows().size(), 1);
    QVERIFY2(o.ws.rows().at(0).endsWith(QStringLiteral("|424|47")), qPrintable(o.ws.rows().at(0)));
}

void TestFrmPlanillas::typeListOfThePeriod_data()
{
    QTest::addColumn<int>("period");
    QTest::addColumn<int>("count");
    QTest::newRow("3") << 3 << 8;
    QTest::newRow("4") << 4 << 6;
}

void TestFrmPlanillas::typeListOfThePeriod()
{
    QFETCH(int, period);
    QFETCH(int, count);
    Worksheet ws(period);
    frmPlanillas f;
    f.Load();
    QCOMPARE(f.cmbTipo->count(), count);
    QCOMPARE(f.cmbTipo->itemText(count - 1), QStringLiteral("Factura Electrónica"));
    QCOMPARE(f.cmbTipo->itemData(count - 1).toInt(), 11);
    QCOMPARE(f.lblActual->text(), QStringLiteral("Período Actual: ") + Biblio::gPeriodoDel + " - " + Biblio::gPeriodoAl);
    QVERIFY(!f.cmdImprime->isVisibleTo(&f));
}

void TestFrmPlanillas::gridDoubleClickAndSort()
{
    Open o;
    fill(o.f, Doc{o.ws.prov1, 0, QStringLiteral("A"), QStringLiteral("3"), QStringLiteral("10/09/2002"), QStringLiteral("1"), QStringLiteral("30.00"), {}});
    save(o.f);
    fill(o.f, Doc{o.ws.prov1, 7, {}, QStringLiteral("1"), QStringLiteral("12/09/2002"), QStringLiteral("2"), QStringLiteral("10.00"), {}});
    save(o.f);
    fill(o.f, Doc{o.ws.prov2, 10, {}, QStringLiteral("7112"), QStringLiteral("11/09/2002"), QStringLiteral("3"), QStringLiteral("20.00"), {}});
    save(o.f);
    QCOMPARE(gridColumn(o.f, 3), (QStringList{"Factura", "Declaracion Aduanera", "Formulario 711"}));
    QCOMPARE(o.f.grdDetalle->headerText(6), QStringLiteral("Valor"));

    ui::runHandler([&] { o.f.grdDetalle_HeadClick(6); });
    QCOMPARE(gridColumn(o.f, 6), (QStringList{"10.00", "20.00", "30.00"}));
    ui::runHandler([&] { o.f.grdDetalle_HeadClick(6); });
    QCOMPARE(gridColumn(o.f, 6), (QStringList{"30.00", "20.00", "10.00"}));
    ui::runHandler([&] { o.f.grdDetalle_HeadClick(5); });   // inert
    QCOMPARE(gridColumn(o.f, 6), (QStringList{"30.00", "20.00", "10.00"}));
    ui::runHandler([&] { o.f.grdDetalle_HeadClick(3); });   // by the stored code: "0", "10", "7"
    QCOMPARE(gridColumn(o.f, 3), (QStringList{"Factura", "Formulario 711", "Declaracion Aduanera"}));
    ui::runHandler([&] { o.f.grdDetalle_HeadClick(2); });
    QCOMPARE(gridColumn(o.f, 5), (QStringList{"3", "7112", "1"}));
    QVERIFY(o.f.SqlDetalle.endsWith(QStringLiteral("));")));

    // Double click on the customs row (third by date) loads it; its amount goes on the clipboard.
    o.ws.clipboard.SetText(QStringLiteral("x"));
    ui::runHandler([&] {
        o.f.grdDetalle->selectRow(2);
        o.f.grdDetalle_DblClick();
    });
    QCOMPARE(o.f.cmbProvee->Text(), o.ws.prov1);
    QCOMPARE(o.f.cmbNProvee->Text(), QStringLiteral("Tienda Uno"));
    QCOMPARE(o.f.cmbTipo->currentText(), QStringLiteral("Declaracion Aduanera"));
    QCOMPARE(o.f.txtDoc->text(), QStringLiteral("1"));
    QCOMPARE(o.f.txtFecha->Text(), QStringLiteral("12/09/2002"));
    QCOMPARE(o.f.cmbGasto->BoundText(), QStringLiteral("2"));
    QCOMPARE(o.f.txtCantidad->Text(), QStringLiteral("10.00"));
    QCOMPARE(o.ws.clipboard.GetText(), QStringLiteral("10.00"));
    QCOMPARE(o.f.focusWidget(), o.f.txtFecha);
}

void TestFrmPlanillas::escPastesANumber_data()
{
    QTest::addColumn<QString>("clip");
    QTest::addColumn<QString>("after");
    QTest::newRow("number") << "125.50" << "125.50";
    QTest::newRow("word") << "hola" << "7";
}

void TestFrmPlanillas::escPastesANumber()
{
    QFETCH(QString, clip);
    QFETCH(QString, after);
    Open o;
    ui::runHandler([&] { o.f.txtCantidad->setText(QStringLiteral("7")); });
    o.ws.clipboard.SetText(clip);
    QTest::keyClick(o.f.txtCantidad, Qt::Key_Escape);
    QCOMPARE(o.f.txtCantidad->Text(), after);
}

void TestFrmPlanillas::clearing()
{
    Open o;
    fill(o.f, o.invoice());
    save(o.f);
    fill(o.f, o.invoice(QStringLiteral("55")));
    // Level 3 (a change of the number) keeps the series and the number.
    ui::runHandler([&] { o.f.LimpiaDet(3); });
    QCOMPARE(o.f.txtDoc->text(), QStringLiteral("55"));
    QCOMPARE(o.f.txtSerie->text(), QStringLiteral("A"));
    QCOMPARE(o.f.cmbGasto->BoundText(), QString());
    QCOMPARE(o.f.txtFecha->Text().trimmed(), QStringLiteral("/  /"));
    // The clear button with a supplier keeps the taxpayer and the worksheet.
    ui::runHandler([&] { o.f.cmdLimpiar_Click(); });
    QCOMPARE(o.f.cmbProvee->Text(), QString());
    QCOMPARE(o.f.txtDoc->text(), QString());
    QCOMPARE(o.f.cmbTipo->currentText(), QStringLiteral("Factura"));
    QCOMPARE(o.f.txtNombre->text(), QStringLiteral("Ana Pérez"));
    QCOMPARE(o.f.grdDetalle->rowCount(), 1);
    QCOMPARE(o.f.focusWidget(), o.f.cmbProvee);
    // Without one it clears the whole form.
    ui::runHandler([&] { o.f.cmdLimpiar_Click(); });
    QCOMPARE(o.f.cmbContrib->Text(), QString());
    QCOMPARE(o.f.txtNombre->text(), QString());
    QCOMPARE(o.f.grdDetalle->rowCount(), 0);
    QCOMPARE(o.f.txtTotfac->text(), QStringLiteral("0.00"));
    QCOMPARE(o.f.txtEKO->text(), QStringLiteral("0.00"));
    QCOMPARE(o.f.focusWidget(), o.f.cmbContrib);
}

void TestFrmPlanillas::supplierHandOff_data()
{
    QTest::addColumn<bool>("printFormClosed");   // the print form was opened and closed first
    QTest::newRow("entry form alone") << false;
    QTest::newRow("after the print form closed") << true;
}

void TestFrmPlanillas::supplierHandOff()
{
    QFETCH(bool, printFormClosed);
    Worksheet ws;
    support::ScriptedDialogs dialogs;
    MDIMenu menu;
    menu.show();
    auto* f = MDIMenu::showForm<frmPlanillas>();
    QVERIFY(Biblio::gPlanillaAbierta);
    if (printFormClosed) {
        auto* r = MDIMenu::showForm<frmReportes>();
        QVERIFY(r->Unload());
        QVERIFY(Biblio::gPlanillaAbierta);   // the entry form is still open
        ui::runHandler([&] { f->Form_Activate(); });
    }
    QVERIFY(!menu.mn00104->isEnabled());
    QVERIFY(!menu.mn00301->isEnabled());
    QVERIFY(!menu.mn00203->isEnabled());
    pickTaxpayer(*f, ws.nitA);
    const QString fresh = nit(5000003);
    dialogs.expectMsgBox(QStringLiteral(" Este proveedor no existe desea crearlo??"), ui::vbYes);
    ui::runHandler([&] { f->cmbProvee->setText(fresh); });
    enter([&](int& k) { f->cmbProvee_KeyPress(k); });
    QCOMPARE(dialogs.calls().at(0).style, ui::vbYesNo | ui::vbQuestion);
    auto* p = MDIMenu::findForm<frmProveedor>();
    QVERIFY(p && p->isLoaded());
    QCOMPARE(p->cmbNit->Text(), fresh);
    QCOMPARE(Biblio::gNitProveedor, fresh);
    // The catalogue saves the supplier and closes; the entry form takes it on its activation.
    ui::runHandler([&] {
        p->txtNombre->setText(QStringLiteral("Nuevo Proveedor"));
        p->cmdGrabar->click();
    });
    QVERIFY(!p->isLoaded());
    ui::runHandler([&] { f->Form_Activate(); });
    QCOMPARE(f->cmbProvee->Text(), fresh);
    QCOMPARE(f->cmbNProvee->Text(), QStringLiteral("Nuevo Proveedor"));
    QCOMPARE(Biblio::gNitProveedor, QString());
    QVERIFY(!Biblio::gProveedorNuevo);
    QVERIFY(f->Unload());
    QVERIFY(menu.mn00104->isEnabled());
    QVERIFY(!Biblio::gPlanillaAbierta);
}

void TestFrmPlanillas::menuOpensOnce()
{
    Worksheet ws;
    MDIMenu menu;
    menu.show();
    ui::runHandler([&] { menu.mn00201->trigger(); });
    auto* f = MDIMenu::findForm<frmPlanillas>();
    QVERIFY(f && f->isLoaded());
    ui::runHandler([&] { menu.mn00201->trigger(); });
    QCOMPARE(MDIMenu::findForm<frmPlanillas>(), f);
    QCOMPARE(menu.mn00201->text(), QStringLiteral("Ingreso de &Facturas"));
}

void TestFrmPlanillas::boxesFit()
{
    Worksheet ws;
    frmPlanillas f;
    f.Load();
    f.showFuel(true);
    f.lblSerie->setVisible(true);
    f.txtSerie->setVisible(true);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QCOMPARE(support::boxesTooNarrow(&f), QStringList());
    // Amounts show whole once formatted, thousands separators and all.
    const std::pair<ui::MaskedBox*, QString> amounts[] = {{f.txtCantidad, QStringLiteral("9,999,999,999.99")},
                                                          {f.txtCalculos, QStringLiteral("9,999,999,999.99")},
                                                          {f.txtUnitario, QStringLiteral("9,999,999.99")}};
    for (const auto& [box, longest] : amounts)
        QVERIFY2(ui::textAreaWidth(box) >= box->fontMetrics().horizontalAdvance(longest), qPrintable(box->objectName()));
    QCOMPARE(f.txtSerie->maxLength(), 10);
    QCOMPARE(f.txtDoc->maxLength(), 20);
}

void TestFrmPlanillas::databaseTooOld()
{
    // A file whose series column was never widened refuses a longer series (3163).
    Open o;
    o.ws.db.exec(QStringLiteral(
        "DROP TABLE Planilla_Det; CREATE TABLE Planilla_Det (Enc LONG, Secuencia INTEGER PRIMARY KEY AUTOINCREMENT, "
        "Provee TEXT(14) COLLATE ZALCI, Tipo TEXT(2) COLLATE ZALCI, "
        "Serie TEXT(3) COLLATE ZALCI CONSTRAINT len_Serie CHECK (length(Serie) <= 3), NoDoc TEXT(20) COLLATE ZALCI, "
        "Fecha DATETIME, Gasto LONG, Monto DOUBLE, Galon DOUBLE);"));
    ui::runHandler([&] { o.f.dtDetalle->Refresh(); });
    Doc d = o.invoice();
    d.serie = QStringLiteral("ABCDEF");
    fill(o.f, d);
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(QStringLiteral(" Usted esta utilizando una version de software actualizada \r\n"
                                        " con una base de datos desactualizada.\r\n"
                                        " Debe aplicar la actualización correspondiente."),
                         ui::vbOK);
    save(o.f);
    QCOMPARE(dialogs.calls().at(0).style, ui::vbInformation);
    QCOMPARE(dialogs.calls().at(0).title, QString());
    QCOMPARE(o.ws.rows(), QStringList());
    QCOMPARE(o.ws.headers(), 1);   // the header written first stays
    QCOMPARE(o.f.cmbProvee->Text(), QString());
    QCOMPARE(ui::mousePointer(), ui::vbDefault);
}

void TestFrmPlanillas::noPeriod()
{
    Worksheet ws;
    Biblio::GuardaConfiguracion(QStringLiteral("DefaultPer"), QString());
    frmPlanillas f;
    f.Load();
    QCOMPARE(f.lblActual->text(), QStringLiteral("Período Actual: < Ninguno >"));
    pickTaxpayer(f, ws.nitA);
    QCOMPARE(f.txtTotfac->text(), QStringLiteral("0.00"));
    // With no period there is no worksheet to write into.
    Biblio::gPeriodoDel = QStringLiteral("01/07/2002");
    Biblio::gPeriodoAl = QStringLiteral("30/06/2003");
    fill(f, {ws.prov1, 0, QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("15/08/2002"), QStringLiteral("1"),
             QStringLiteral("10.00"), {}});
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(QStringLiteral(" Debe seleccionar un Contribuyente válido..."), ui::vbOK);
    save(f);
    QCOMPARE(ws.headers(), 0);
}

void TestFrmPlanillas::supplierBox()
{
    Open o;
    // The hyphen is not typed; leading zeros go before the check.
    ui::runHandler([&] { o.f.cmbProvee->setText(QString()); });
    QTest::keyClicks(o.f.cmbProvee, QStringLiteral("000") + o.ws.prov1.left(3) + QStringLiteral("-") + o.ws.prov1.mid(3));
    QCOMPARE(o.f.cmbProvee->Text(), QStringLiteral("000") + o.ws.prov1);
    enter([&](int& k) { o.f.cmbProvee_KeyPress(k); });
    QCOMPARE(o.f.cmbProvee->Text(), o.ws.prov1);
    QCOMPARE(o.f.cmbNProvee->Text(), QStringLiteral("Tienda Uno"));
    QCOMPARE(o.f.focusWidget(), o.f.cmbTipo);
    // A 15th character is refused.
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(QStringLiteral("El Nit nom puede ser mayor de 14 posiciones..."), ui::vbOK);
    ui::runHandler([&] { o.f.cmbProvee->setText(QStringLiteral("123456789012345")); });
    QCOMPARE(o.f.cmbProvee->Text(), QStringLiteral("12345678901234"));
    // A supplier not in the catalogue: No clears the supplier.
    dialogs.expectMsgBox(QStringLiteral(" Este proveedor no existe desea crearlo??"), ui::vbNo);
    ui::runHandler([&] { o.f.cmbProvee->setText(nit(5000009)); });
    enter([&](int& k) { o.f.cmbProvee_KeyPress(k); });
    QCOMPARE(o.f.cmbProvee->Text(), QString());
}

void TestFrmPlanillas::dateBox_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");   // "" accepted
    QTest::newRow("first day") << "01/07/2002" << "";
    QTest::newRow("last day") << "30/06/2003" << "";
    QTest::newRow("short form") << "1/8/2002" << "";
    QTest::newRow("day before") << "30/06/2002" << kRange;
    QTest::newRow("day after") << "01/07/2003" << kRange;
    QTest::newRow("no date") << "31/02/2003" << " Debe ingresar una Fecha lógica...";
}

void TestFrmPlanillas::dateBox()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    Open o;
    fill(o.f, Doc{o.ws.prov1, 7, {}, QStringLiteral("5"), {}, {}, {}, {}});
    ui::runHandler([&] {
        o.f.txtFecha->setMask(QString());
        o.f.txtFecha->setText(typed);
    });
    support::ScriptedDialogs dialogs;
    if (!message.isEmpty())
        dialogs.expectMsgBox(message, ui::vbOK);
    enter([&](int& k) { o.f.txtFecha_KeyPress(k); });
    if (message.isEmpty()) {
        QCOMPARE(o.f.txtFecha->Text(), QDate::fromString(typed, QStringLiteral("d/M/yyyy")).toString(QStringLiteral("dd/MM/yyyy")));
        QCOMPARE(o.f.focusWidget(), o.f.cmbGasto);
    } else {
        QCOMPARE(o.f.txtFecha->Text(), QStringLiteral("  /  /    "));
        QCOMPARE(o.f.txtFecha->Mask(), QStringLiteral("##/##/####"));
        QCOMPARE(o.f.focusWidget(), o.f.txtFecha);
    }
}

void TestFrmPlanillas::deactivateKeepsTheTaxpayer()
{
    Open o;
    fill(o.f, o.invoice());
    const QString taxpayer = o.f.cmbContrib->BoundText();
    ui::runHandler([&] { o.f.Form_Deactivate(); });
    QCOMPARE(o.f.cmbProvee->Text(), QString());
    QCOMPARE(o.f.txtDoc->text(), QString());
    QCOMPARE(o.f.ContribAnterior, taxpayer);
    ui::runHandler([&] {
        o.f.cmbContrib->setText(QString());
        o.f.Form_Activate();
    });
    QCOMPARE(o.f.cmbContrib->Text(), o.ws.nitA);
}

void TestFrmPlanillas::deleteAsksOnlyForANumber_data()
{
    QTest::addColumn<QString>("noDoc");
    QTest::addColumn<QString>("message");   // "" none
    QTest::newRow("blanks") << "   " << "";
    QTest::newRow("letters") << "12A" << "";
    QTest::newRow("empty") << "" << " Debe ingresar un No. Documento válido...";
}

// The deletion refuses only an empty number; any other is looked for, and one that is not
// stored is passed over without a message: the fields are cleared and the supplier box has the
// focus.
void TestFrmPlanillas::deleteAsksOnlyForANumber()
{
    QFETCH(QString, noDoc);
    QFETCH(QString, message);
    Open o;
    fill(o.f, o.invoice());
    save(o.f);
    fill(o.f, o.invoice(noDoc));
    support::ScriptedDialogs dialogs;
    if (!message.isEmpty())
        dialogs.expectMsgBox(message, ui::vbOK);
    remove(o.f);
    QCOMPARE(dialogs.calls().size(), message.isEmpty() ? 0 : 1);
    QCOMPARE(o.ws.rows().size(), 1);
    if (message.isEmpty()) {
        QCOMPARE(o.f.cmbProvee->Text(), QString());
        QCOMPARE(o.f.focusWidget(), o.f.cmbProvee);
    } else {
        QCOMPARE(o.f.focusWidget(), o.f.txtDoc);
    }
}

void TestFrmPlanillas::typeListAfterAnUnknownSupplier_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("No") << int(ui::vbNo);
    QTest::newRow("Yes") << int(ui::vbYes);
}

// Entering the type list with a tax id typed but not confirmed runs the supplier's Enter; when
// the supplier is unknown and its creation declined, the name box's Enter says a supplier is
// missing and keeps the focus. After Yes the catalogue has the focus and nothing more is said.
void TestFrmPlanillas::typeListAfterAnUnknownSupplier()
{
    QFETCH(int, answer);
    Worksheet ws;
    support::ScriptedDialogs dialogs;
    MDIMenu menu;
    menu.show();
    auto* f = MDIMenu::showForm<frmPlanillas>();
    pickTaxpayer(*f, ws.nitA);
    const QString unknown = nit(5000009);
    ui::runHandler([&] { f->cmbProvee->setText(unknown); });
    dialogs.expectMsgBox(QStringLiteral(" Este proveedor no existe desea crearlo??"), answer);
    if (answer == ui::vbNo)
        dialogs.expectMsgBox(QStringLiteral(" Debe seleccionar un Proveedor válido..."), ui::vbOK);
    ui::runHandler([&] { f->cmbTipo_GotFocus(); });
    if (answer == ui::vbNo) {
        QCOMPARE(dialogs.calls().size(), 2);
        QCOMPARE(dialogs.calls().at(1).title, QStringLiteral(" Sistema Dravo..."));
        QCOMPARE(f->focusWidget(), f->cmbNProvee);
        QCOMPARE(f->cmbProvee->Text(), QString());
    } else {
        QCOMPARE(dialogs.calls().size(), 1);
        auto* p = MDIMenu::findForm<frmProveedor>();
        QVERIFY(p && p->isLoaded());
        QCOMPARE(p->cmbNit->Text(), unknown);
        QVERIFY(p->Unload());
    }
    QVERIFY(f->Unload());
}

// "Total Sin IDP" follows the amount and the price as they are typed; what it shows at the save
// is what is stored, a value typed over it included.
void TestFrmPlanillas::amountWithoutTaxIsWhatTheBoxShows()
{
    Open o;
    Doc d {o.ws.prov2, 0, QStringLiteral("G"), QStringLiteral("77"), QStringLiteral("20/08/2002"), QStringLiteral("24"),
           QStringLiteral("470.00"), QStringLiteral("47.00")};
    fill(o.f, d);
    QCOMPARE(o.f.txtCalculos->Text(), QStringLiteral("423.00"));   // no Enter needed
    ui::runHandler([&] { o.f.txtCalculos->setText(QStringLiteral("400.00")); });
    save(o.f);
    QCOMPARE(o.ws.rows().size(), 1);
    QVERIFY2(o.ws.rows().at(0).endsWith(QStringLiteral("|400|47")), qPrintable(o.ws.rows().at(0)));

    // A change of the amount, the price or the fuel works it out again.
    d.noDoc = QStringLiteral("78");
    fill(o.f, d);
    ui::runHandler([&] { o.f.txtCantidad->setText(QStringLiteral("940.00")); });
    QCOMPARE(o.f.txtCalculos->Text(), QStringLiteral("846.00"));
    ui::runHandler([&] { o.f.txtUnitario->setText(QStringLiteral("94.00")); });
    QCOMPARE(o.f.txtCalculos->Text(), QStringLiteral("893.00"));
    ui::runHandler([&] { o.f.cmbGasto->setBoundText(QStringLiteral("27")); });   // Diesel y gas oil, 1.3
    QCOMPARE(o.f.txtCalculos->Text(), QStringLiteral("927.00"));
    // A price that leaves nothing keeps the box as it was; the save refuses the price.
    ui::runHandler([&] { o.f.txtUnitario->setText(QStringLiteral("1.00")); });
    QCOMPARE(o.f.txtCalculos->Text(), QStringLiteral("927.00"));
    ui::runHandler([&] { o.f.txtUnitario->setText(QStringLiteral("94.00")); });
    save(o.f);
    QCOMPARE(o.ws.rows().size(), 2);
    QVERIFY2(o.ws.rows().at(1).endsWith(QStringLiteral("|927|94")), qPrintable(o.ws.rows().at(1)));

    // The stored row comes back with the amount without the tax as stored.
    fill(o.f, Doc{o.ws.prov2, 0, QStringLiteral("G"), QStringLiteral("77"), {}, {}, {}, {}});
    enter([&](int& k) { o.f.txtDoc_KeyPress(k); });
    QCOMPARE(o.f.txtUnitario->Text(), QStringLiteral("47.00"));
    QCOMPARE(o.f.txtCalculos->Text(), QStringLiteral("400.00"));
}

// A number beyond a double's range in the amount is an invalid amount, not a run-time error.
void TestFrmPlanillas::overflowingAmount()
{
    Open o;
    fill(o.f, o.invoice(QStringLiteral("101"), QStringLiteral("1e309")));
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(QStringLiteral(" Debe ingresar una cantidad lógica..."), ui::vbOK);
    enter([&](int& k) { o.f.txtCantidad_KeyPress(k); });
    QCOMPARE(dialogs.calls().size(), 1);
    QCOMPARE(dialogs.calls().at(0).title, QStringLiteral(" Sistema Dravo..."));
    QCOMPARE(o.f.focusWidget(), o.f.txtCantidad);
}

// Gasolina Superior for 0.01 at 4.71 a gallon leaves 0.00 once its tax is off: the price is
// refused as one at the rate is, on Enter and at the save.
void TestFrmPlanillas::fuelAmountThatLeavesNothing()
{
    Open o;
    fill(o.f, Doc{o.ws.prov2, 0, QStringLiteral("G"), QStringLiteral("77"), QStringLiteral("20/08/2002"),
                  QStringLiteral("24"), QStringLiteral("0.01"), QStringLiteral("4.71")});
    ui::runHandler([&] { o.f.cmbGasto_Click(); });   // the fuel boxes show
    support::ScriptedDialogs dialogs;
    dialogs.expectMsgBox(QLatin1Char(' ') + kNumeric, ui::vbOK);
    enter([&](int& k) { o.f.txtUnitario_KeyPress(k); });
    QCOMPARE(o.f.focusWidget(), o.f.txtUnitario);
    QCOMPARE(o.f.txtUnitario->Text(), QString());
    ui::runHandler([&] { o.f.txtUnitario->setText(QStringLiteral("4.71")); });
    dialogs.expectMsgBox(kNumeric, ui::vbOK);
    save(o.f);
    QCOMPARE(dialogs.calls().size(), 2);
    QCOMPARE(o.ws.rows(), QStringList());
}

void TestFrmPlanillas::controlCharactersAreRefused_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("pasted");
    QTest::newRow("NUL in the series") << "txtSerie" << QStringLiteral("A") + QChar(0) + QStringLiteral("1");
    QTest::newRow("tab in the number") << "txtDoc" << QStringLiteral("10\t1");
    QTest::newRow("line feed in the supplier") << "cmbProvee" << QStringLiteral("5000\n001");
    QTest::newRow("escape in the taxpayer") << "cmbContrib" << QStringLiteral("1") + QChar(27) + QStringLiteral("0");
}

// A control character pasted into a box is refused there: the box keeps what it held, and the
// document saves with what was typed.
void TestFrmPlanillas::controlCharactersAreRefused()
{
    QFETCH(QString, box);
    QFETCH(QString, pasted);
    Open o;
    fill(o.f, o.invoice());
    QLineEdit* edit = nullptr;
    if (auto* combo = o.f.findChild<QComboBox*>(box))
        edit = combo->lineEdit();
    else
        edit = o.f.findChild<QLineEdit*>(box);
    QVERIFY(edit);
    const QString before = edit->text();
    ui::runHandler([&] {
        edit->selectAll();
        edit->insert(pasted);
    });
    QCOMPARE(edit->text(), before);
    support::ScriptedDialogs dialogs;
    save(o.f);
    QCOMPARE(dialogs.calls().size(), 0);
    QCOMPARE(o.ws.rows().size(), 1);
}

// The clear button's focus handlers and the worksheet's group sums by their names.
void TestFrmPlanillas::namedHandlersAndGroupSums()
{
    Open o;
    ui::runHandler([&] { o.f.cmdLimpiar_GotFocus(); });
    QVERIFY(o.f.LimpiarConFoco);
    ui::runHandler([&] { o.f.cmdLimpiar_LostFocus(); });
    QVERIFY(!o.f.LimpiarConFoco);
    fill(o.f, o.invoice(QStringLiteral("101"), QStringLiteral("1000.00")));
    save(o.f);
    fill(o.f, {o.ws.prov1, 8, {}, QStringLiteral("2035"), QStringLiteral("16/08/2002"), QStringLiteral("1"),
               QStringLiteral("500.00"), {}});
    save(o.f);
    QCOMPARE(o.f.TotalFacturas, 1000.0);
    QCOMPARE(o.f.TotalFormularios, 500.0);
    QCOMPARE(o.f.TotalJulio2001, 0.0);
}

// A supplier tax id ending in K typed in lower case is stored as the catalogue has it.
void TestFrmPlanillas::supplierTaxIdStoredUpperCased()
{
    Open o;
    QString withK;
    for (int body = 5000100; withK.isEmpty(); ++body)
        if (nit(body).endsWith(QLatin1Char('K')))
            withK = nit(body);
    o.ws.db.exec(QStringLiteral("INSERT INTO Proveedores (Nit, Nombre) VALUES ('%1', 'Ferretería K')").arg(withK));
    ui::runHandler([&] { o.f.dtProvee->Refresh(); });
    Doc d = o.invoice();
    d.provee = withK.toLower();
    fill(o.f, d);
    QCOMPARE(o.f.cmbNProvee->Text(), QStringLiteral("Ferretería K"));
    save(o.f);
    QCOMPARE(o.ws.rows().size(), 1);
    QCOMPARE(o.ws.rows().at(0).section(QLatin1Char('|'), 1, 1), withK);
}

QTEST_MAIN(TestFrmPlanillas)
#include "test_frm_planillas.moc"
