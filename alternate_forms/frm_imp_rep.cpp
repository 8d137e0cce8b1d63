#include "alternate_forms/frm_imp_rep.h"
#include "ui_frm_imp_rep.h"

#include "alternate_forms/taxpayer_print.h"
#include "core/biblio.h"
#include "platform/basic/basic.h"
#include "platform/db/database.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/sizing.h"

#include <QLabel>
#include <QPushButton>

using namespace worksheet;

frmImpRep::frmImpRep(QWidget* parent) : frmIngresos(Variant::printPanelForm(), parent)
{
    Ui::frmImpRep layout;
    layout.setupUi(this);
    build();
    finish();
    cmbOrganizacion = layout.cmbOrganizacion;
    dtPeriodos = layout.dtPeriodos;
    SSCommand1 = layout.SSCommand1;
    Label9 = layout.Label9;
    dtPeriodos->setVisible(false);
    ui::fitToChars(cmbOrganizacion, 45);   // names hold up to 90 characters; the box grows with the form
    dtPeriodos->setRecordSource(
        QStringLiteral("SELECT Periodos.[No], Periodos.Del, Periodos.Al, [Del] & ' - ' & [Al] AS Dis FROM Periodos;"));
    cmbOrganizacion->setRowSource(dtContribuyente);
    cmbOrganizacion->setListField(QStringLiteral("Nombre"));
    cmbOrganizacion->setBoundColumn(QStringLiteral("No"));
    onClick(SSCommand1, [this] { SSCommand1_Click(); });
}

void frmImpRep::Form_Load()
{
    frmIngresos::Form_Load();
    dtPeriodos->setDatabaseName(Biblio::gBaseDatos.toString());
    dtPeriodos->setConnect(QStringLiteral(";PWD=MIRVOSK"));
    try {
        dtPeriodos->Refresh();
        db::Recordset rs = dtPeriodos->Recordset();
        if (!Biblio::gPeriodo.isEmpty()) {
            rs.findFirst(QStringLiteral("[No] = ") + db::quoteLiteral(Biblio::gPeriodo));
            // The panel shows the period its print names.
            if (!rs.noMatch())
                Label9->setText(QStringLiteral("Período Actual: ") + basic::CStr(rs.field(QStringLiteral("Dis"))));
        }
    } catch (const db::DbError&) {
    }
}

void frmImpRep::SSCommand1_Click()
{
    alternate::TaxpayerPrintRequest request;
    request.contribuyente = cmbOrganizacion->BoundText();
    request.name = cmbOrganizacion->Text();
    request.julyGroup = true;
    request.panelSums = true;
    if (!alternate::printTaxpayer(report, request) && request.contribuyente.isEmpty())
        SetFocus(cmbOrganizacion);
}
