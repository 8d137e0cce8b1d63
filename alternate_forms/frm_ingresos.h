#pragma once
// The older entry form (caption "INGRESOS"): the entry form's fields, checks, save and grid on
// the older forms' variant, with a print button of its own that prints the worksheet with its
// credit in words. Nothing in the program opens it.
#include "worksheet/frm_planillas.h"

class frmIngresos : public frmPlanillas {
    Q_OBJECT
public:
    explicit frmIngresos(QWidget* parent = nullptr);

    // Asks for the place and date of filing and prints the worksheet shown, with the credit in
    // words (slot 0) and as the credit box shows it.
    void cmdImprime_Click() override;

    // The number box was confirmed with Enter since it got the focus (the name these forms
    // give the entry form's DocConfirmado).
    bool& DocumentoConEnter = DocConfirmado;

protected:
    // For the form with the print panel: its own layout on its own variant.
    frmIngresos(const worksheet::Variant& variant, QWidget* parent);
    // Shows the print button once the layout is built.
    void finish();
};
