#include "printing/frm_report01.h"
#include "ui_frm_report01.h"

#include "core/biblio.h"
#include "core/mdi_menu.h"
#include "platform/basic/basic.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/sizing.h"
#include "worksheet/filing.h"

#include <QRadioButton>
#include <QRegularExpression>

namespace {

const QString kConnect = QStringLiteral(";PWD=MIRVOSK");
constexpr int kNameLength = 90;   // a taxpayer's name as the catalogue keeps it

QString periodQuery()
{
    return QStringLiteral("SELECT Periodos.[No], Periodos.Del, Periodos.Al, [Del] & '") + QStringLiteral(" - ")
           + QStringLiteral(" ' &  [Al] AS Dis FROM Periodos;");
}

} // namespace

QString printing::statisticsTaxpayerQuery(const QString& period)
{
    const QString where = period.isEmpty() ? QStringLiteral("WHERE (1 = 0) ")
                                           : QStringLiteral("WHERE (((Planilla_Enc.Periodo)=") + period
                                                 + QStringLiteral(")) ");
    return QStringLiteral(
               "SELECT Contribuyentes.Nombre, Contribuyentes.Nit, Contribuyentes.[No], Planilla_Enc.Periodo FROM "
               "Contribuyentes INNER JOIN (Periodos INNER JOIN Planilla_Enc ON Periodos.[No] = Planilla_Enc.Periodo) "
               "ON Contribuyentes.[No] = Planilla_Enc.Contribuyente ")
           + where + QStringLiteral("ORDER BY Contribuyentes.Nombre;");
}

namespace {

// The current period as a whole number in text, or "" when it is none.
QString wholePeriod()
{
    static const QRegularExpression whole(QStringLiteral("^[0-9]{1,9}$"));
    const QString period = Biblio::gPeriodo.trimmed();
    return whole.match(period).hasMatch() ? period : QString();
}

} // namespace

frmReport01::frmReport01(QWidget* parent) : ui::Form(parent), layout_(std::make_unique<Ui::frmReport01>())
{
    layout_->setupUi(this);
    SSFrame1 = layout_->SSFrame1;
    Frame6 = layout_->Frame6;
    lblActual = layout_->lblActual;
    lblUsuario = layout_->lblUsuario;
    cmbOrganizacion = layout_->cmbOrganizacion;
    OptGrupos = layout_->OptGrupos;
    OptAreas = layout_->OptAreas;
    cmdImprime = layout_->cmdImprime;
    cmdExit = layout_->cmdExit;
    dtContribuyente = layout_->dtContribuyente;
    dtPeriodos = layout_->dtPeriodos;

    dtContribuyente->hide();
    dtPeriodos->hide();
    dtPeriodos->setRecordSource(QStringLiteral("Periodos"));
    cmbOrganizacion->setRowSource(dtContribuyente);
    cmbOrganizacion->setListField(QStringLiteral("Nombre"));
    cmbOrganizacion->setBoundColumn(QStringLiteral("No"));
    ui::fitToChars(cmbOrganizacion, kNameLength);   // taxpayers' names whole; the box grows with the form
    setMdiChild(true);

    onClick(cmbOrganizacion, [this] { cmbOrganizacion_Click(); });
    onKeyPress(cmbOrganizacion, [this](int& KeyAscii) { cmbOrganizacion_KeyPress(KeyAscii); });
    onClick(cmdImprime, [this] { cmdImprime_Click(); });
    onClick(cmdExit, [this] { cmdExit_Click(); });
}

frmReport01::~frmReport01() = default;

void frmReport01::Form_Load()
{
    for (ui::DataControl* dt : {dtContribuyente, dtPeriodos}) {
        dt->setDatabaseName(Biblio::gBaseDatos.toString());
        dt->setConnect(kConnect);
    }
    Biblio::gPeriodo = Biblio::LeeConfiguracion(QStringLiteral("DefaultPer"));
    const QString period = wholePeriod();
    lblActual->setText(QStringLiteral("Período Actual:"));
    if (period.isEmpty()) {
        lblActual->setText(QStringLiteral("Período Actual: < Ninguno >"));
    } else {
        dtPeriodos->setRecordSource(periodQuery());
        dtPeriodos->Refresh();
        db::Recordset rs = dtPeriodos->Recordset();
        rs.findFirst(QStringLiteral("[No] = ") + period);
        if (!rs.noMatch())
            lblActual->setText(QStringLiteral("Período Actual: ") + basic::CStr(rs.field(QStringLiteral("Del")))
                               + QStringLiteral(" - ") + basic::CStr(rs.field(QStringLiteral("Al"))));
    }
    dtContribuyente->setRecordSource(printing::statisticsTaxpayerQuery(period));
    dtContribuyente->Refresh();
    OptAreas->setChecked(true);
    // A child form shows itself once loaded.
}

void frmReport01::Form_Activate()
{
    MDIMenu::setEntriesEnabled({&MDIMenu::mn00301, &MDIMenu::mn00104}, false);
}

void frmReport01::Form_Unload(int& Cancel)
{
    Q_UNUSED(Cancel);
    MDIMenu::setEntriesEnabled({&MDIMenu::mn00301, &MDIMenu::mn00104}, true);
}

void frmReport01::cmbOrganizacion_Click()
{
    int KeyAscii = 13;
    cmbOrganizacion_KeyPress(KeyAscii);
}

void frmReport01::cmbOrganizacion_KeyPress(int& KeyAscii)
{
    if (KeyAscii == 13) {
        KeyAscii = 0;
        SetFocus(cmdImprime);
    }
}

void frmReport01::cmdImprime_Click()
{
    const QString no = cmbOrganizacion->BoundText();
    const QString period = wholePeriod();
    if (no.trimmed().isEmpty() || period.isEmpty()) {
        ui::MsgBox(QStringLiteral(" Debe seleccionar un contribuyente válido..."), ui::vbInformation,
                   QStringLiteral(" ZAL..."));
        SetFocus(cmbOrganizacion);
        return;
    }
    const QString name = cmbOrganizacion->Text();
    QString del, al;
    try {
        const db::Recordset rs = dtPeriodos->Recordset();
        del = basic::CStr(rs.field(QStringLiteral("Del")));
        al = basic::CStr(rs.field(QStringLiteral("Al")));
    } catch (const db::DbError&) {
    }
    const QString database = Biblio::gBaseDatos.toString();
    const QString title = QStringLiteral(" Estadística de Gastos de: ") + name + QStringLiteral("  ") + lblActual->text();
    const QString titulo = printing::formulaText(
        QStringLiteral("Titulo"),
        QStringLiteral("Reporte de Gastos de:") + name + QStringLiteral(" del: ") + del + QStringLiteral(" al: ") + al);
    const QString selection = QStringLiteral("{Planilla_Enc.Contribuyente} = ") + no
                              + QStringLiteral(" And {Planilla_Enc.Periodo} = ") + period;
    if (OptAreas->isChecked()) {
        report.setDataFiles(0, database);
        report.setDataFiles(1, database);
        report.setConnect(kConnect);
        report.setWindowState(2);
        report.setReportFileName(printing::templatePath(QStringLiteral("rep002.rpt")));
    } else {
        report.setWindowState(2);
        report.setReportFileName(printing::templatePath(QStringLiteral("rep004.rpt")));
        report.setDataFiles(0, database);
        report.setDataFiles(1, database);
        report.setConnect(kConnect);
    }
    report.setWindowTitle(title);
    report.setFormulas(0, titulo);
    report.setSelectionFormula(selection);
    report.setSortFields(0, QString());
    report.setAction(0);
}

void frmReport01::cmdExit_Click()
{
    Unload();
}
