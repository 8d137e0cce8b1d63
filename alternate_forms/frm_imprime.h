#pragma once
// The simple worksheet print form (caption "Impresión de Planilla..."): a list of the taxpayers
// with a worksheet in the current period, by name, and a print button that prints the chosen
// taxpayer's worksheet with its credit. It writes nothing. Nothing in the program opens it.
#include "platform/report/report_control.h"
#include "platform/ui/form.h"

#include <memory>

class QLabel;
class QPushButton;
namespace Ui { class frmImprime; }
namespace ui {
class DataControl;
class DBCombo;
}

class frmImprime : public ui::Form {
    Q_OBJECT
public:
    explicit frmImprime(QWidget* parent = nullptr);
    ~frmImprime() override;

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& Cancel) override;
    void cmbOrganizacion_KeyPress(int& KeyAscii);
    void cmdImprime_Click();
    void cmdExit_Click();

    ui::DBCombo* cmbOrganizacion;
    QLabel* lblActual;
    ui::DataControl* dtContribuyente;
    ui::DataControl* dtPeriodos;
    QPushButton* cmdImprime;
    QPushButton* cmdExit;
    report::ReportControl report {QStringLiteral("report")};

private:
    std::unique_ptr<Ui::frmImprime> layout_;
};
