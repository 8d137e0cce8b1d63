#pragma once
// The supplier catalogue: one row of Proveedores per supplier, with tax id and name. It works as
// the taxpayer catalogue does (lookup by tax id with Enter, save, deletion, consultation tab),
// with one box for the name.
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
//
// Loading the form shows it inside the main window; while it is active the menu entry
// "&Base de Datos..." is off, and its unloading turns it on again.
#include "platform/ui/form.h"

#include <QString>
#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QTabWidget;
class QToolButton;

namespace Ui { class frmProveedor; }
namespace ui {
class DataControl;
class DBCombo;
class DBGrid;
class StatusBar;
}

class frmProveedor : public ui::Form {
    Q_OBJECT
public:
    explicit frmProveedor(QWidget* parent = nullptr);
    ~frmProveedor() override;

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& Cancel) override;

    // Clears the form: level 1 the tax id and the name, and reads both data controls again;
    // level 2 the name only; any other level nothing.
    void Limpiar(qint16& level);

    // Enter (13) runs the lookup of the tax id; the hyphen (45) is swallowed.
    void cmbNit_KeyPress(int& KeyAscii);
    void cmbNit_Change();
    void cmbNit_Click();     // a pick in the list: as Enter
    void txtNombre_GotFocus();
    void txtNombre_KeyPress(int& KeyAscii);
    void SSTab1_GotFocus();
    void grdConsulta_DblClick();
    void cmdLimpiar_Click();
    void cmdGrabar_Click();
    void cmdEliminar_Click();
    void cmdSalir_Click();

    // True once the tax id now in the combo has been through the Enter handling.
    bool nitProcesado() const { return m_NitProcesado; }

    // Controls.
    QTabWidget* SSTab1;
    QLabel* Label1;
    QLabel* Label2;
    ui::DBCombo* cmbNit;
    ui::DataControl* dtProvee;
    QLineEdit* txtNombre;
    ui::DataControl* dtConsulta;
    ui::DBGrid* grdConsulta;
    QFrame* fraCtrls;
    QToolButton* cmdLimpiar;
    QToolButton* cmdGrabar;
    QToolButton* cmdEliminar;
    QToolButton* cmdSalir;
    ui::StatusBar* Stat;

private:
    // The Enter handling of the tax-id combo.
    void findSupplier();
    // One run of the save, inside the catalogue error handling.
    void saveSupplier();
    void showPrompt(const QString& prompt);

    std::unique_ptr<Ui::frmProveedor> layout_;
    bool m_NitProcesado = false;
};
