#pragma once
// The taxpayer catalogue: one row of Contribuyentes per taxpayer, with address, contact data and
// employer. The user types a tax id into cmbContrib and presses Enter: the taxpayer of that tax id
// is loaded into the boxes, or the boxes stay empty for a new one. cmdGrabar writes the boxes back
// (insert or update by tax id), cmdEliminar deletes the row of the tax id; both go through the
// catalogues' database-error handling (catalogs/catalog_errors.h). The tab "&Consulta" lists every
// taxpayer; a double click on a row loads it.
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

namespace Ui { class frmContribuyente; }
namespace ui {
class DataControl;
class DBCombo;
class DBGrid;
class StatusBar;
}

class frmContribuyente : public ui::Form {
    Q_OBJECT
public:
    explicit frmContribuyente(QWidget* parent = nullptr);
    ~frmContribuyente() override;

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& Cancel) override;

    // Clears the form: level 1 the tax id and every box, and reads both data controls again;
    // level 2 the boxes only; any other level nothing.
    void Limpiar(qint16& level);

    // Enter (13) runs the lookup of the tax id; the hyphen (45) is swallowed.
    void cmbContrib_KeyPress(int& KeyAscii);
    void cmbContrib_Change();
    void cmbContrib_Click();     // a pick in the list: as Enter
    void txtNombre_GotFocus();
    void txtNitPat_KeyPress(int& KeyAscii);
    void txtNomPat_KeyPress(int& KeyAscii);
    void SSTab1_GotFocus();
    void grdConsulta_DblClick();
    void grdConsulta_HeadClick(int ColIndex);
    void cmdLimpiar_Click();
    void cmdGrabar_Click();
    void cmdEliminar_Click();
    void cmdSalir_Click();

    // True once the tax id now in the combo has been through the Enter handling.
    bool nitProcesado() const { return m_NitProcesado; }

    // Controls.
    QTabWidget* SSTab1;
    QLabel* Label1;
    ui::DBCombo* cmbContrib;
    ui::DataControl* dtContri;
    QLineEdit* txtNombre;
    QLineEdit* txtDireccion;
    QLineEdit* txtCasa;
    QLineEdit* txtApto;
    QLineEdit* txtZona;
    QLineEdit* txtApost;
    QLineEdit* txtColonia;
    QLineEdit* txtDepto;
    QLineEdit* txtMuni;
    QLineEdit* txtTel;
    QLineEdit* txtFax;
    QLineEdit* txtMail;
    QLineEdit* txtNitPat;
    QLineEdit* txtNomPat;
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
    void findTaxpayer();
    // One run of the save, inside the catalogue error handling.
    void saveTaxpayer();
    void showPrompt(const QString& prompt);

    std::unique_ptr<Ui::frmContribuyente> layout_;
    bool m_NitProcesado = false;
};
