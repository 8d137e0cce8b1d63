// The print panel of frmImpRep and the simple print form frmImprime: the taxpayer they print is
// the one chosen in their list, with its own figures, the record selection handed over by a call,
// the refusal without a taxpayer, database failures, the list and the menu locking.
#include "../worksheet/planillas_fixture.h"

#include "alternate_forms/frm_imp_rep.h"
#include "alternate_forms/frm_imprime.h"
#include "core/mdi_menu.h"
#include "platform/system/app_info.h"
#include "platform/ui/dialogs.h"
#include "support/report_presenter.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace fixture;

namespace {
const QString kNoUser = QStringLiteral(" Debe seleccionar un Usuario válido...");

// Period 4 worksheets: Ana (No 1) with a Factura of Gasolina Superior, a Factura Electrónica and
// a Formulario 203; Bruno (No 2) with one Factura. Carla (No 3) has a worksheet of period 3 only.
struct Printing {
    Worksheet ws;
    Printing()
    {
        sys::setAppPath(QDir(qEnvironmentVariable("ZAL_SOURCE_DIR")).filePath(QStringLiteral("resources")));
        ws.db.exec(QStringLiteral(
            "INSERT INTO Contribuyentes (\"No\", Nit, Nombre) VALUES (3, '33', 'Carla Oliva');"
            "INSERT INTO Planilla_Enc (\"No\", Contribuyente, Periodo) VALUES (1, 1, 4), (2, 2, 4), (3, 3, 3);"
            "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto) VALUES "
            "(1, '%1', '0', 'A', '1', 37483, 24, 100), (1, '%1', '11', NULL, '2', 37483, 1, 1000),"
            "(1, '%1', '8', NULL, '2031', 37483, 1, 50), (2, '%1', '0', 'B', '3', 37483, 1, 777),"
            "(3, '%1', '0', 'C', '4', 37483, 1, 5);")
                       .arg(ws.prov1));
    }
    ~Printing() { sys::setAppPath(QString()); }
};

// "Role" or "Role(index)" of each entry of a control's log.
QStringList roles(const report::ReportControl& control)
{
    QStringList out;
    for (const report::LogEntry& e : control.log())
        out << (e.index < 0 ? e.role : QStringLiteral("%1(%2)").arg(e.role).arg(e.index));
    return out;
}

// The print panel or the simple print form, loaded, with what the cases drive.
struct PrintForm {
    bool panel;
    frmImpRep rep;
    frmImprime simple;
    explicit PrintForm(bool panel) : panel(panel) { form().Load(); }
    ui::Form& form() { return panel ? static_cast<ui::Form&>(rep) : simple; }
    ui::DBCombo* combo() { return panel ? rep.cmbOrganizacion : simple.cmbOrganizacion; }
    report::ReportControl& report() { return panel ? rep.report : simple.report; }
    void print() { ui::runHandler([&] { panel ? rep.SSCommand1_Click() : simple.cmdImprime_Click(); }); }
};

QString slot(const report::ReportControl& control, int index)
{
    return control.formulas(index);
}
} // namespace

class TestPrintForms : public QObject {
    Q_OBJECT
private slots:
    void panelPrintsTheChosenTaxpayer();
    void panelLeavesJuly2001OutOfItsSums();
    void refusalWithoutTaxpayer_data();
    void refusalWithoutTaxpayer();
    void databaseFailurePrintsNothing_data();
    void databaseFailurePrintsNothing();
    void simpleFormListsTheWorksheetsOfThePeriod();
    void simpleFormCredit_data();
    void simpleFormCredit();
    void simpleFormLocksTwoMenuEntries();
};

void TestPrintForms::panelPrintsTheChosenTaxpayer()
{
    Printing p;
    support::ScriptedDialogs dialogs;
    support::RecordingPresenter shown;
    frmImpRep f;
    f.Load();
    pickTaxpayer(f, p.ws.nitB);   // the entry part shows another taxpayer
    QCOMPARE(f.txtTotfac->text(), QStringLiteral("Q. 777.00"));
    QCOMPARE(f.Label9->text(), QStringLiteral("Período Actual:"));   // no code writes it
    ui::runHandler([&] { f.cmbOrganizacion->setBoundText(QStringLiteral("1")); });
    QCOMPARE(f.cmbOrganizacion->Text(), QStringLiteral("Ana Pérez"));
    dialogs.expectInput(QStringLiteral("Valdrén")).expectInput(QStringLiteral("5/3/2002"));
    ui::runHandler([&] { f.SSCommand1_Click(); });
    QCOMPARE(shown.count(), 1);

    QStringList expected;
    for (int i = 2; i <= 9; ++i)
        expected << QStringLiteral("Formulas(%1)").arg(i);
    for (int i = 12; i <= 35; ++i)
        expected << QStringLiteral("Formulas(%1)").arg(i);
    expected << "Formulas(48)";   // what the purchase total sums, for its label
    expected << "DataFiles(0)" << "DataFiles(1)" << "Connect" << "WindowState" << "ReportFileName" << "WindowTitle"
             << "ReplaceSelectionFormula" << "Formulas(0)" << "Formulas(10)" << "Formulas(1)" << "Action";
    QCOMPARE(roles(f.report), expected);
    QCOMPARE(f.report.selectionFormula(), QStringLiteral("{Planilla_Enc.Contribuyente} = 1 and {Planilla_Enc.Periodo}= 4"));
    QCOMPARE(f.report.windowTitle(), QStringLiteral(" Planilla Periodo: 01/07/2002 Al: 30/06/2003 De: Ana Pérez"));

    // Ana's own figures: 100 x 0.107142 + 1000 + 50.
    QCOMPARE(slot(f.report, 0), QStringLiteral("Letras = '") + Biblio::NumeroALetras(1060.71) + QLatin1Char('\''));
    QCOMPARE(slot(f.report, 10), QStringLiteral("CRD = '1,060.71'"));
    QCOMPARE(slot(f.report, 1), QStringLiteral("LPresenta = 'Valdrén'"));
    QCOMPARE(slot(f.report, 12), QStringLiteral("sumaTipo0 = '100'"));
    QCOMPARE(slot(f.report, 13), QStringLiteral("sumaTipo11 = '1000'"));
    QCOMPARE(slot(f.report, 14), QStringLiteral("sumaTipo7 = ''"));
    QCOMPARE(slot(f.report, 15), QStringLiteral("sumaTipo8 = '50'"));
    QCOMPARE(slot(f.report, 18), QStringLiteral("sumaTotalCompra = '100'"));
    QCOMPARE(slot(f.report, 19), QStringLiteral("sumaTotalCredito = '50'"));
    QCOMPARE(slot(f.report, 20), QStringLiteral("sumaGasSup = '100'"));
    QCOMPARE(slot(f.report, 21), QStringLiteral("sumaGasReg = ''"));
    QCOMPARE(slot(f.report, 28), QStringLiteral("EKOGasSup = '10.71'"));
    QCOMPARE(slot(f.report, 35), QStringLiteral("EKOLicPet = '0.00'"));
    QCOMPARE(slot(f.report, 48), QStringLiteral("TituloTotalCompra = 'Total de Factura y EKO Dcto. 39-99'"));
    QVERIFY(shown.last().text.contains(QStringLiteral("1,060.71")));
    QVERIFY(shown.last().text.simplified().contains(QStringLiteral("Total de Factura y EKO Dcto. 39-99 100")));

    // The form keeps the figures it printed and the connection it read them through.
    QCOMPARE(f.SumaCombustible[0], std::optional<double>(100));
    QCOMPARE(f.SumaCombustible[1], std::nullopt);
    QCOMPARE(f.CreditoCombustible[0], QStringLiteral("10.71"));
    QCOMPARE(f.CreditoCombustible[7], QStringLiteral("0.00"));
    QCOMPARE(f.SumaTipo.value(11), 1000.0);
    QCOMPARE(f.TotalCompra, 100.0);
    QCOMPARE(f.TotalCredito, 50.0);
    QVERIFY(f.BaseDatosPanel.isOpen());
}

// Period 3, two invoices of 100, of 01/08/2001 and of 10/07/2001: the July one adds nothing to
// the per-type and fuel sums; it counts in the July-2001 group of the credit.
void TestPrintForms::panelLeavesJuly2001OutOfItsSums()
{
    Printing p;
    p.ws.db.exec(QStringLiteral(
        "DELETE FROM Planilla_Det WHERE Enc = 3;"
        "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto) VALUES "
        "(3, '%1', '0', 'A', '10', 37104, 24, 100), (3, '%1', '0', 'A', '11', 37082, 24, 100);")
                     .arg(p.ws.prov1));
    Biblio::GuardaConfiguracion(QStringLiteral("DefaultPer"), QStringLiteral("3"));
    Biblio::gPeriodo = QStringLiteral("3");
    support::ScriptedDialogs dialogs;
    support::RecordingPresenter shown;
    frmImpRep f;
    f.Load();
    ui::runHandler([&] { f.cmbOrganizacion->setBoundText(QStringLiteral("3")); });
    dialogs.expectInput(QStringLiteral("Valdrén")).expectInput(QStringLiteral("5/3/2002"));
    ui::runHandler([&] { f.SSCommand1_Click(); });
    QCOMPARE(shown.count(), 1);
    QCOMPARE(slot(f.report, 12), QStringLiteral("sumaTipo0 = '100'"));
    QCOMPARE(slot(f.report, 18), QStringLiteral("sumaTotalCompra = '100'"));
    QCOMPARE(slot(f.report, 20), QStringLiteral("sumaGasSup = '100'"));
    QCOMPARE(f.SumaTipo.value(0), 100.0);
    // The credit still counts both: 100 x 0.107142 + 100 x 0.090909.
    QCOMPARE(support::plainQuery(p.ws.db.path(), QStringLiteral("SELECT Coeficiente FROM Periodos WHERE \"No\" = 3")),
             QStringLiteral("0.107142"));
    QCOMPARE(slot(f.report, 10), QStringLiteral("CRD = '19.81'"));
}

void TestPrintForms::refusalWithoutTaxpayer_data()
{
    QTest::addColumn<bool>("panel");
    QTest::newRow("print panel") << true;
    QTest::newRow("simple print form") << false;
}

void TestPrintForms::refusalWithoutTaxpayer()
{
    QFETCH(bool, panel);
    Printing p;
    support::ScriptedDialogs dialogs;
    support::RecordingPresenter shown;
    PrintForm f(panel);
    f.form().show();
    dialogs.expectMsgBox(kNoUser, ui::vbOK);
    f.print();
    QCOMPARE(dialogs.calls().size(), 1);
    QCOMPARE(dialogs.calls().at(0).title, QStringLiteral(" ZAL..."));
    QCOMPARE(dialogs.calls().at(0).style, int(ui::vbInformation));
    QCOMPARE(shown.count(), 0);
    QVERIFY(f.report().log().isEmpty());
    QCOMPARE(f.form().focusWidget(), static_cast<QWidget*>(f.combo()));
}

void TestPrintForms::databaseFailurePrintsNothing_data()
{
    refusalWithoutTaxpayer_data();
}

void TestPrintForms::databaseFailurePrintsNothing()
{
    QFETCH(bool, panel);
    Printing p;
    support::ScriptedDialogs dialogs;
    support::RecordingPresenter shown;
    PrintForm f(panel);
    ui::runHandler([&] { f.combo()->setBoundText(QStringLiteral("1")); });
    QCOMPARE(f.combo()->BoundText(), QStringLiteral("1"));
    p.ws.db.exec(QStringLiteral("DROP TABLE Planilla_Det"));
    dialogs.expectMsgBox(ui::vbOK);
    f.print();
    QCOMPARE(dialogs.calls().size(), 1);
    QVERIFY2(dialogs.calls().at(0).prompt.startsWith(QStringLiteral("Error No. ")), qPrintable(dialogs.calls().at(0).prompt));
    QCOMPARE(dialogs.calls().at(0).style, int(ui::vbCritical));
    QCOMPARE(shown.count(), 0);
    QVERIFY(f.report().log().isEmpty());
}

void TestPrintForms::simpleFormListsTheWorksheetsOfThePeriod()
{
    Printing p;
    frmImprime f;
    f.Load();
    QCOMPARE(f.windowTitle(), QStringLiteral("Impresión de Planilla..."));
    QCOMPARE(f.lblActual->text(), QStringLiteral("Período Actual: 01/07/2002 - 30/06/2003"));
    QStringList names;
    for (int i = 0; i < f.cmbOrganizacion->count(); ++i)
        names << f.cmbOrganizacion->itemText(i);
    QCOMPARE(names, (QStringList{"Ana Pérez", "Bruno Díaz"}));
    f.show();
    ui::runHandler([&] { f.cmbOrganizacion->setBoundText(QStringLiteral("2")); });
    enter([&](int& k) { f.cmbOrganizacion_KeyPress(k); });
    QCOMPARE(f.focusWidget(), f.cmdImprime);
}

void TestPrintForms::simpleFormCredit_data()
{
    QTest::addColumn<int>("period");
    QTest::addColumn<QString>("crd");
    // A Factura of 15/07/2001, another of 01/08/2001 (1,000 each) and a Factura Electrónica of 100.
    QTest::newRow("period 3: July 2001 times 0.090909") << 3 << "298.05";
    QTest::newRow("period 4: both times the coefficient") << 4 << "314.28";
}

void TestPrintForms::simpleFormCredit()
{
    QFETCH(int, period);
    QFETCH(QString, crd);
    Worksheet ws(period);
    sys::setAppPath(QDir(qEnvironmentVariable("ZAL_SOURCE_DIR")).filePath(QStringLiteral("resources")));
    ws.db.exec(QStringLiteral("INSERT INTO Planilla_Enc (\"No\", Contribuyente, Periodo) VALUES (1, 1, %1);"
                              "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto) VALUES "
                              "(1, 'x', '0', 'A', '1', 37087, 1, 1000), (1, 'x', '0', 'A', '2', 37104, 1, 1000),"
                              "(1, 'x', '11', NULL, '3', 37104, 1, 100);")
                   .arg(period));
    support::ScriptedDialogs dialogs;
    support::RecordingPresenter shown;
    frmImprime f;
    f.Load();
    ui::runHandler([&] { f.cmbOrganizacion->setBoundText(QStringLiteral("1")); });
    dialogs.expectInput(QStringLiteral("Tolvania")).expectInput(QString());
    ui::runHandler([&] { f.cmdImprime_Click(); });
    QCOMPARE(shown.count(), 1);
    QCOMPARE(f.report.formulas(10), QStringLiteral("CRD = '%1'").arg(crd));
    QCOMPARE(f.report.formulas(0), QStringLiteral("Letras = '%1'").arg(Biblio::NumeroALetras(crd.toDouble())));
    QCOMPARE(f.report.selectionFormula(),
             QStringLiteral("{Planilla_Enc.Contribuyente} = 1 and {Planilla_Enc.Periodo}= %1").arg(period));
    QVERIFY(f.report.formulas(12).isEmpty());   // no panel sums in this form
    QVERIFY(roles(f.report).contains(QStringLiteral("ReplaceSelectionFormula")));
    sys::setAppPath(QString());
}

void TestPrintForms::simpleFormLocksTwoMenuEntries()
{
    Printing p;
    MDIMenu menu;
    menu.show();
    auto* f = MDIMenu::showForm<frmImprime>();
    QVERIFY(f && f->isLoaded());
    QVERIFY(!menu.mn00104->isEnabled());
    QVERIFY(!menu.mn00301->isEnabled());
    QVERIFY(menu.mn00203->isEnabled());   // the export stays at hand
    ui::runHandler([&] { f->cmdExit_Click(); });
    QVERIFY(menu.mn00104->isEnabled());
    QVERIFY(menu.mn00301->isEnabled());
}

QTEST_MAIN(TestPrintForms)
#include "test_print_forms.moc"
