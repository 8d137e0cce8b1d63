#pragma once
// The older entry form with a print panel (caption "IMPRIMIR"): everything of frmIngresos on the
// print-panel variant, plus a taxpayer list by name and the button SSCommand1, which prints the
// chosen taxpayer's worksheet of the current period with its figures per document type and per
// fuel. Nothing in the program opens it.
#include "alternate_forms/frm_ingresos.h"

class frmImpRep : public frmIngresos {
    Q_OBJECT
public:
    explicit frmImpRep(QWidget* parent = nullptr);

    void Form_Load() override;
    // Prints the worksheet of the taxpayer chosen in cmbOrganizacion; refuses without one.
    void SSCommand1_Click();

    ui::DBCombo* cmbOrganizacion;
    ui::DataControl* dtPeriodos;
    QPushButton* SSCommand1;
    QLabel* Label9;
    report::ReportControl report {QStringLiteral("report")};
};
