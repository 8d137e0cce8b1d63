#pragma once
// The base of the forms that show a worksheet (the entry form, the print form and the older
// forms): the worksheet view (detail data control, grid, total and credit boxes), Encuentra,
// Gogo, the credit of txtTotfac's change, LimpiaDet and the grid's header-click sort, all run on
// the form's Variant. A derived form gives its controls to setUpWorksheet() from its constructor.
#include "platform/ui/form.h"
#include "worksheet/engine.h"

#include <QPointer>

class QComboBox;
class QLabel;
class QLineEdit;

namespace ui {
class DataControl;
class DBCombo;
class DBGrid;
class MaskedBox;
}

namespace worksheet {

// The controls the shared procedures work on; a form leaves out what it does not have.
struct WorksheetControls {
    ui::DataControl* dtDetalle = nullptr;
    ui::DataControl* dtEnc = nullptr;
    ui::DBGrid* grdDetalle = nullptr;
    QLineEdit* txtTotfac = nullptr;
    QLineEdit* txtEKO = nullptr;
    // Entry fields, cleared by LimpiaDet.
    ui::DBCombo* cmbContrib = nullptr;
    QList<QLineEdit*> taxpayerBoxes;     // name, address, employer's tax id and name
    ui::DBCombo* cmbProvee = nullptr;
    ui::DBCombo* cmbNProvee = nullptr;
    QLineEdit* txtSerie = nullptr;
    QLineEdit* txtDoc = nullptr;
    ui::MaskedBox* txtFecha = nullptr;
    ui::DBCombo* cmbGasto = nullptr;
    ui::MaskedBox* txtCantidad = nullptr;
    ui::MaskedBox* txtUnitario = nullptr;
    ui::MaskedBox* txtCalculos = nullptr;
    QList<QWidget*> fuelControls;        // shown and hidden together
};

// Every text box of the form (combos' included) refuses a control character typed, pasted or
// dropped into it: no such character can reach a document.
void refuseControlCharacters(QWidget* form);

class WorksheetForm : public ui::Form {
    Q_OBJECT
public:
    explicit WorksheetForm(const Variant& variant, QWidget* parent = nullptr);

    const Variant& variant() const { return variant_; }

    // Finds the header of the taxpayer (its Contribuyentes.No) and the current period and shows
    // its worksheet; with none, the empty worksheet and "0.00" in both boxes. Returns the header
    // number (Null when there is none).
    QVariant Encuentra(const QString& contribuyente);
    // Re-reads the worksheet's rows, sums them and writes the total (whose change writes the
    // credit).
    void Gogo(bool unused = true);
    // The credit from the sums of the last Gogo.
    void txtTotfac_Change();
    // Empties the entry fields from a level on (0 to 4, see clearPlan).
    void LimpiaDet(int level);
    // Sorts the grid by a column; a second click on it sorts the other way.
    virtual void grdDetalle_HeadClick(int column);

    // Points the worksheet view at a record source and keeps it in SqlDetalle.
    void setDetalle(const QString& source);
    // Empties the date box (mask off, text off, mask back).
    void clearDate();
    void showFuel(bool visible);
    // A total or credit as its box shows it: the variant's prefix before the amount.
    QString shownAmount(double value) const;

    // The header shown (Null when none) and the taxpayer it belongs to.
    QVariant headerNo() const { return headerNo_; }
    QString loadedTaxpayer() const { return loadedTaxpayer_; }

    QString SqlDetalle;
    int UltimaColumna = 999;
    CreditSums sums;

protected:
    void setUpWorksheet(const WorksheetControls& controls);
    // Where the full clearing sends the focus; the form's own hook.
    virtual void fullClearFocus() {}
    const WorksheetControls& controls() const { return c_; }
    void forgetWorksheet();
    // The header-click sort over a grid's fields: `inert` sorts nothing, `type` sorts by the code.
    void sortDetalle(int column, const QStringList& fields, int inert, int type);
    // Sums the record set as it stands and writes the total (Gogo without the re-read).
    void showSums();
    QVariant headerNo_;
    QString loadedTaxpayer_;

private:
    const Variant& variant_;
    WorksheetControls c_;
};

} // namespace worksheet
