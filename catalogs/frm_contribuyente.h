#pragma once
// The taxpayer catalogue: one row of Contribuyentes per taxpayer, with address, contact data and
// employer. It works as every tax-id catalogue does (catalogs/nit_catalog.h): the tax id typed
// into cmbContrib and Enter load the taxpayer into the boxes; cmdGrabar and cmdEliminar save and
// delete by tax id; the tab "&Consulta" lists every taxpayer. The lookup refuses a tax id whose
// numeric value is 0 as missing. Enter walks the boxes in a fixed order, each writing its prompt
// into the status bar; the employer's tax id and name are both given or both left out.
#include "catalogs/nit_catalog.h"

#include <memory>

namespace Ui { class frmContribuyente; }

class frmContribuyente : public catalogs::NitCatalog {
    Q_OBJECT
public:
    explicit frmContribuyente(QWidget* parent = nullptr);
    ~frmContribuyente() override;

    // The handlers of the tax-id combo (see NitCatalog).
    void cmbContrib_KeyPress(int& KeyAscii) { nitKeyPress(KeyAscii); }
    void cmbContrib_Change() { nitChanged(); }
    void cmbContrib_Click() { nitPicked(); }
    void txtNitPat_KeyPress(int& KeyAscii);
    void txtNomPat_KeyPress(int& KeyAscii);
    void grdConsulta_HeadClick(int ColIndex);

    // Controls of this catalogue alone (the shared ones are NitCatalog's).
    ui::DBCombo* cmbContrib;
    ui::DataControl* dtContri;
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

protected:
    // The address and the employer.
    bool checkOtherBoxes() override;

private:
    std::unique_ptr<Ui::frmContribuyente> layout_;
};
