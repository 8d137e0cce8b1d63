#include "catalogs/frm_proveedor.h"
#include "ui_frm_proveedor.h"

#include "core/biblio.h"

frmProveedor::frmProveedor(QWidget* parent)
    : catalogs::NitCatalog(parent), layout_(std::make_unique<Ui::frmProveedor>())
{
    layout_->setupUi(this);
    Label2 = layout_->Label2;
    cmbNit = layout_->cmbNit;
    dtProvee = layout_->dtProvee;

    catalogs::NitCatalogSetup setup;
    setup.combo = cmbNit;
    setup.records = dtProvee;
    setup.table = QStringLiteral("Proveedores");
    setup.boundColumn = QStringLiteral("Nit");
    setup.boxes = {{layout_->txtNombre, QStringLiteral("Nombre")}};
    setup.gridColumns = {{QStringLiteral("Nit"), QStringLiteral("Nit")},
                         {QStringLiteral("Nombre"), QStringLiteral("Nombre")}};
    setup.gridCaption = QStringLiteral("LISTADO DE PROVEEDORES");
    setup.nitPrompt = QStringLiteral("Ingrese o seleccione el nit(sin guiones o espacios en blanco)...");
    setup.namePrompt = QStringLiteral("Ingrese el nombre del proveedor...");
    setup.tooLongMessage = QStringLiteral("El Nit nom puede ser mayor de 14 posiciones...");
    setup.nameMissingMessage = QStringLiteral(" Debe ingresar un nombre de proveedor válido...");
    setup.inUseMessage = QStringLiteral(" Este proveedor forma parte de alguna planilla ! Imposible borrar ! ...");
    setUpCatalog(*layout_, std::move(setup));

    onKeyPress(txtNombre, [this](int& KeyAscii) { txtNombre_KeyPress(KeyAscii); });
}

frmProveedor::~frmProveedor() = default;

void frmProveedor::Form_Unload(int& Cancel)
{
    // A worksheet form that is still open takes a pending new supplier on its next activation;
    // without one the hand-off is over.
    if (!Biblio::gPlanillaAbierta) {
        Biblio::gNitProveedor.clear();
        Biblio::gProveedorNuevo = false;
    }
    NitCatalog::Form_Unload(Cancel);
}

void frmProveedor::txtNombre_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13)
        return;
    // Enter goes straight to the save button (the name is checked by the save). The key is
    // swallowed so that it cannot press the button the focus has just moved to.
    KeyAscii = 0;
    SetFocus(cmdGrabar);
}

void frmProveedor::recordWritten(const QString& nit)
{
    // Compared with the tax id as saved (not upper-cased), exactly.
    Biblio::gProveedorNuevo = Biblio::gNitProveedor == nit;
}

void frmProveedor::saveFinished()
{
    if (Biblio::gProveedorNuevo)
        Unload();
}
