#pragma once
// The entry form of a taxpayer's worksheet for the current period: taxpayer, supplier (with the
// hand-off to the supplier catalogue), document type, series, number, date, expense type and
// amount (price per gallon and amount without the fuel tax for fuel), the save and deletion of a
// document, the worksheet grid with its total and tax credit.
//
// The rules live in worksheet/engine.h, checks.h and store.h; the shared worksheet procedures
// (Encuentra, Gogo, LimpiaDet, the header sort) in WorksheetForm. Save and delete act only on the
// taxpayer whose worksheet Encuentra loaded.
#include "platform/report/report_control.h"
#include "worksheet/worksheet_print.h"
#include "worksheet/checks.h"
#include "worksheet/worksheet_form.h"

#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Ui { class frmPlanillas; }
namespace db { class Recordset; }
namespace ui { class StatusBar; }

class frmPlanillas : public worksheet::WorksheetForm {
    Q_OBJECT
public:
    explicit frmPlanillas(QWidget* parent = nullptr);
    ~frmPlanillas() override;

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Deactivate() override;
    void Form_Unload(int& Cancel) override;

    void cmdLimpiar_Click();
    void cmdLimpiar_GotFocus();
    void cmdLimpiar_LostFocus();
    void cmdSalir_Click();
    void cmdGrabar_Click();
    void cmdBorrar_Click();
    // Prints the worksheet shown with the filing place and date and the credit. The button stays
    // hidden on this form; the print form prints the full worksheet.
    virtual void cmdImprime_Click();

    virtual void cmbContrib_KeyPress(int& KeyAscii);
    void cmbProvee_Change();
    void cmbProvee_KeyPress(int& KeyAscii);
    void cmbProvee_GotFocus();
    void cmbNProvee_KeyPress(int& KeyAscii);
    void cmbNProvee_GotFocus();
    void cmbNProvee_LostFocus();
    void EncProveedor();
    void cmbTipo_Click();
    void cmbTipo_GotFocus();
    void txtSerie_LostFocus();
    void txtDoc_Change();
    void txtDoc_GotFocus();
    void txtDoc_KeyPress(int& KeyAscii);
    void txtFecha_GotFocus();
    void txtFecha_KeyPress(int& KeyAscii);
    void txtFecha_LostFocus();
    void cmbGasto_Click();
    void cmbGasto_GotFocus();
    void cmbGasto_LostFocus();
    void txtCantidad_Change();
    void txtCantidad_GotFocus();
    void txtCantidad_KeyPress(int& KeyAscii);
    void txtCantidad_LostFocus();
    void txtUnitario_Change();
    void txtUnitario_KeyPress(int& KeyAscii);
    void txtUnitario_LostFocus();
    void txtCalculos_LostFocus();
    void CalculaCombustible();
    void EncProvee();
    virtual void grdDetalle_DblClick();

    void CargaTiposDoc();
    // The code of the chosen document type (-1: none).
    int tipoCode() const;
    // What the boxes hold, for the checks.
    worksheet::DocumentInput input() const;

    // Controls.
    QLabel* lblActual;
    QGroupBox* fraEncabezado;
    QGroupBox* fraDetalle;
    ui::DBCombo* cmbContrib;
    QLineEdit* txtNombre;
    QLineEdit* txtDireccion;
    QLineEdit* txtNitPat;
    QLineEdit* txtNomPat;
    ui::DBCombo* cmbProvee;
    ui::DBCombo* cmbNProvee;
    QComboBox* cmbTipo;
    QLabel* lblSerie;
    QLineEdit* txtSerie;
    QLineEdit* txtDoc;
    ui::MaskedBox* txtFecha;
    ui::DBCombo* cmbGasto;
    ui::MaskedBox* txtCantidad;
    QLabel* lblUnitario;
    ui::MaskedBox* txtUnitario;
    QLabel* lblTotal;
    ui::MaskedBox* txtCalculos;
    QPushButton* cmdLimpiar;
    QPushButton* cmdGrabar;
    QPushButton* cmdBorrar;
    QPushButton* cmdImprime;
    QPushButton* cmdSalir;
    ui::DBGrid* grdDetalle;
    QLineEdit* txtTotfac;
    QLineEdit* txtEKO;
    ui::DataControl* dtContribuyente;
    ui::DataControl* dtDetalle;
    ui::DataControl* dtEnc;
    ui::DataControl* dtGastos;
    ui::DataControl* dtProvee;
    ui::StatusBar* Stat;
    report::ReportControl rptImprime{QStringLiteral("rptImprime")};

    // Opened again after an unload, the form puts back the taxpayer it last showed (its
    // activation selects it in the taxpayer box); everything else starts afresh.
    void keepAcrossUnload(const frmPlanillas& previous) { ContribAnterior = previous.ContribAnterior; }

    // Form state.
    QString ContribAnterior;
    QString ProveedorAnterior;
    bool LimpiarConFoco = false;
    bool ProveedorNoExiste = false;
    bool DocConfirmado = false;
    // The group sums of the worksheet shown (Gogo keeps them), under the names the credit rule
    // has always used.
    double& TotalFacturas = sums.facturas;
    double& TotalFormularios = sums.formularios;
    double& TotalJulio2001 = sums.julio2001;

protected:
    // For a form with its own layout on another variant: it sets up its layout (with the same
    // control names) and then calls build().
    frmPlanillas(const worksheet::Variant& variant, QWidget* parent);
    // Finds the controls by name, sets them up and connects their handlers.
    void build();
    void fullClearFocus() override;
    // The checks of the taxpayer's Enter, the clearing and the lookup that fills the taxpayer's
    // boxes. False when the Enter stops there.
    bool takeTaxpayer();
    // On activation: the supplier the supplier catalogue has just created is taken and looked up.
    virtual void takeNewSupplier();
    // Whether the worksheet shown belongs to the taxpayer in the box.
    bool taxpayerShown() const;
    // The checks of a save or delete, then the taxpayer shown: false (after saying why) when the
    // document must not be written.
    bool mayWrite(const std::optional<worksheet::CheckFailure>& failure);
    // What a print of the worksheet shown hands over: no header unless it was found for the
    // taxpayer in the box.
    printing::WorksheetPrint worksheetPrint() const;
    // Prints; a print refused before its questions sends the focus back to the taxpayer box.
    void printShown(const printing::WorksheetPrint& print);

private:
    void prompt(const QString& text);
    void sizeGridColumns();
    void report(const worksheet::CheckFailure& failure);
    QWidget* widgetOf(worksheet::Field field) const;
    bool isFuelExpense() const;
    // The expense box shows the description of the row its text selects.
    void showExpenseRow();
    // "Total Sin IDP" follows the amount, the price and the fuel: whenever they give an amount
    // without the tax, the box shows it (and what the box shows is what the save stores).
    void updateAmountWithoutTax();
    // Leaving the price box of the older forms: with an amount and a price, both amounts are
    // shown formatted and the focus goes to the save; no message.
    void quietFuelTotal();
    QVariant galonOf(db::Recordset rs) const;
    // The row the record set stands on, into the date, expense and amount boxes.
    void loadStoredAmounts(const QVariant& fecha, const QVariant& gasto, const QVariant& monto, const QVariant& galon);
    // Guards on entering a field: supplier and type (the number), then number and date too
    // (the expense type and the amount).
    bool guardSupplierAndType();
    bool guardThroughDate();

    std::unique_ptr<Ui::frmPlanillas> layout_;
    // The supplier typed was handed to the supplier catalogue (Yes to creating it).
    bool catalogueAsked_ = false;
};
