#include "alternate_forms/frm_imp_rep.h"
#include "ui_frm_imp_rep.h"

#include "alternate_forms/taxpayer_print.h"
#include "core/biblio.h"
#include "platform/basic/basic.h"
#include "platform/db/database.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/sizing.h"

#include <QGroupBox>
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
    Frame1 = layout.Frame1;
    cmdExit = layout.cmdExit;
    SSCommand2 = layout.SSCommand2;
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
    // The data control stands on the current period; the panel's label keeps its design text.
    try {
        dtPeriodos->Refresh();
        if (!Biblio::gPeriodo.isEmpty())
            dtPeriodos->Recordset().findFirst(QStringLiteral("[No] = ") + db::quoteLiteral(Biblio::gPeriodo));
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
    if (alternate::refusedWithoutTaxpayer(request)) {
        SetFocus(cmbOrganizacion);
        return;
    }
    const std::optional<alternate::TaxpayerFigures> figures = alternate::openAndRead(BaseDatosPanel, request);
    if (!figures)
        return;
    SumaCombustible = figures->fuel;
    for (size_t i = 0; i < SumaCombustible.size(); ++i)
        CreditoCombustible[i] = alternate::fuelCredit(SumaCombustible[i], figures->coefficient);
    SumaTipo = figures->perType;
    TotalCompra = SumaTipo.value(0) + SumaTipo.value(2);
    TotalCredito = SumaTipo.value(7) + SumaTipo.value(8) + SumaTipo.value(9) + SumaTipo.value(10);
    alternate::printFigures(report, request, *figures);
}
