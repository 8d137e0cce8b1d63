#include "alternate_forms/frm_imprime.h"
#include "ui_frm_imprime.h"

#include "alternate_forms/taxpayer_print.h"
#include "core/biblio.h"
#include "core/mdi_menu.h"
#include "platform/basic/basic.h"
#include "platform/db/database.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/sizing.h"

#include <QLabel>
#include <QPushButton>

frmImprime::frmImprime(QWidget* parent) : ui::Form(parent), layout_(std::make_unique<Ui::frmImprime>())
{
    layout_->setupUi(this);
    cmbOrganizacion = layout_->cmbOrganizacion;
    lblActual = layout_->lblActual;
    dtContribuyente = layout_->dtContribuyente;
    dtPeriodos = layout_->dtPeriodos;
    cmdImprime = layout_->cmdImprime;
    cmdExit = layout_->cmdExit;
    setMdiChild(true);
    ui::fitToChars(cmbOrganizacion, 45);   // names hold up to 90 characters; the box grows with the form
    dtContribuyente->setVisible(false);
    dtPeriodos->setVisible(false);
    cmbOrganizacion->setRowSource(dtContribuyente);
    cmbOrganizacion->setListField(QStringLiteral("Nombre"));
    cmbOrganizacion->setBoundColumn(QStringLiteral("No"));

    onKeyPress(cmbOrganizacion, [this](int& k) { cmbOrganizacion_KeyPress(k); });
    onClick(cmbOrganizacion, [this] { int k = 13; cmbOrganizacion_KeyPress(k); });
    onClick(cmdImprime, [this] { cmdImprime_Click(); });
    onClick(cmdExit, [this] { cmdExit_Click(); });
}

frmImprime::~frmImprime() = default;

void frmImprime::Form_Load()
{
    for (ui::DataControl* d : {dtContribuyente, dtPeriodos}) {
        d->setDatabaseName(Biblio::gBaseDatos.toString());
        d->setConnect(QStringLiteral(";PWD=MIRVOSK"));
    }
    Biblio::gPeriodo = Biblio::LeeConfiguracion(QStringLiteral("DefaultPer"));
    const QString periodo = Biblio::gPeriodo.trimmed();
    if (periodo.isEmpty()) {
        lblActual->setText(QStringLiteral("Período Actual: < Ninguno >"));
    } else {
        try {
            dtPeriodos->setRecordSource(QStringLiteral("SELECT Periodos.[No], Periodos.Del, Periodos.Al, Periodos.[Coeficiente], "
                                                       "[Del] & ' -  ' &  [Al] AS Dis FROM Periodos;"));
            dtPeriodos->Refresh();
            db::Recordset rs = dtPeriodos->Recordset();
            rs.findFirst(QStringLiteral("[No] = ") + db::quoteLiteral(periodo));
            if (!rs.noMatch())
                lblActual->setText(QStringLiteral("Período Actual: ") + basic::CStr(rs.field(QStringLiteral("Del")))
                                   + QStringLiteral(" - ") + basic::CStr(rs.field(QStringLiteral("Al"))));
        } catch (const db::DbError&) {
        }
    }
    // Taxpayers with a worksheet in the current period, by name; the period is quoted as a
    // literal (an empty one selects nobody).
    dtContribuyente->setRecordSource(alternate::taxpayerListQuery(periodo));
    try {
        dtContribuyente->Refresh();
    } catch (const db::DbError&) {
    }
}

void frmImprime::Form_Activate()
{
    MDIMenu::setEntriesEnabled({&MDIMenu::mn00104, &MDIMenu::mn00301}, false);
}

void frmImprime::Form_Unload(int& Cancel)
{
    Q_UNUSED(Cancel);
    MDIMenu::setEntriesEnabled({&MDIMenu::mn00301, &MDIMenu::mn00104}, true);
}

void frmImprime::cmbOrganizacion_KeyPress(int& KeyAscii)
{
    if (KeyAscii == 13)
        SetFocus(cmdImprime);
}

void frmImprime::cmdImprime_Click()
{
    alternate::TaxpayerPrintRequest request;
    request.contribuyente = cmbOrganizacion->BoundText();
    request.name = cmbOrganizacion->Text();
    // The July-2001 group belongs to period 3 only.
    request.julyGroup = basic::Val(Biblio::gPeriodo) == 3;
    if (!alternate::printTaxpayer(report, request) && request.contribuyente.isEmpty())
        SetFocus(cmbOrganizacion);
}

void frmImprime::cmdExit_Click()
{
    Unload();
}
