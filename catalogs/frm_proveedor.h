#pragma once
// The supplier catalogue: one row of Proveedores per supplier, with tax id and name. It works as
// every tax-id catalogue does (catalogs/nit_catalog.h), with one box for the name; Enter in the
// name goes to the save button.
//
// Supplier hand-off. The entry form opens this catalogue for a supplier tax id that is not in it:
//   Biblio::gNitProveedor = nit; Biblio::gProveedorNuevo = false;
//   auto* f = MDIMenu::showForm<frmProveedor>();
//   f->cmbNit->setText(nit);
//   int k = 13;
//   f->cmbNit_KeyPress(k);
//   f->activateWindow();
// Saving the supplier whose tax id equals gNitProveedor (exactly, letter case included) sets
// gProveedorNuevo and closes the catalogue; the entry form takes the supplier on its next
// activation. Unloading the catalogue while no worksheet form is open (gPlanillaAbierta false)
// forgets a pending hand-off: gNitProveedor empty, gProveedorNuevo false.
#include "catalogs/nit_catalog.h"

#include <memory>

namespace Ui { class frmProveedor; }

class frmProveedor : public catalogs::NitCatalog {
    Q_OBJECT
public:
    explicit frmProveedor(QWidget* parent = nullptr);
    ~frmProveedor() override;

    void Form_Unload(int& Cancel) override;

    // The handlers of the tax-id combo (see NitCatalog).
    void cmbNit_KeyPress(int& KeyAscii) { nitKeyPress(KeyAscii); }
    void cmbNit_Change() { nitChanged(); }
    void cmbNit_Click() { nitPicked(); }
    void txtNombre_KeyPress(int& KeyAscii);

    // Controls of this catalogue alone (the shared ones are NitCatalog's).
    QLabel* Label2;
    ui::DBCombo* cmbNit;
    ui::DataControl* dtProvee;

protected:
    // The hand-off: the supplier handed over by the entry form is saved, and the catalogue closes.
    void recordWritten(const QString& nit) override;
    void saveFinished() override;

private:
    std::unique_ptr<Ui::frmProveedor> layout_;
};
