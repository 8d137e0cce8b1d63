#pragma once
// The older entry form with a print panel (caption "IMPRIMIR"): everything of frmIngresos on the
// print-panel variant, plus a taxpayer list by name and the button SSCommand1, which prints the
// chosen taxpayer's worksheet of the current period with its figures per document type and per
// fuel. Nothing in the program opens it.
#include "alternate_forms/frm_ingresos.h"
#include "platform/db/database.h"

#include <QMap>
#include <array>
#include <optional>

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
    // A frame with two buttons that nothing handles: a click on them does nothing.
    QGroupBox* Frame1;
    QPushButton* cmdExit;
    QPushButton* SSCommand2;
    report::ReportControl report {QStringLiteral("report")};

    // The figures of the last panel print, of the taxpayer chosen in cmbOrganizacion: purchases
    // and credit per fuel (expense codes 24 to 31, documents of the coefficient group), purchases
    // per document-type code, the purchase total of codes 0 and 2 and that of codes 7 to 10;
    // and the connection the print read them through (each print opens a new one).
    std::array<std::optional<double>, 8> SumaCombustible;
    std::array<QString, 8> CreditoCombustible;
    QMap<int, double> SumaTipo;
    double TotalCompra = 0;
    double TotalCredito = 0;
    db::Database BaseDatosPanel;
};
