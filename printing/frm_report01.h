#pragma once
// The statistics form: the expenses of one taxpayer's worksheet of the current period, grouped
// by expense type ("rep002.rpt") or by supplier ("rep004.rpt"). The list offers the taxpayers
// that have a worksheet in the current period; the templates group and sum, the form names the
// taxpayer and period in the title formula and selects the worksheet's rows. It writes nothing.
//
// A current period that is not a whole number counts as none: the list is then empty and a
// print asks for a taxpayer. Activating the form disables "&Base de Datos..." and "&Periodo...";
// unloading enables them again.
#include "platform/report/report_control.h"
#include "platform/ui/form.h"

#include <memory>

class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace Ui { class frmReport01; }

namespace printing {
// The list of the form: the taxpayers with a worksheet in period `period` (a whole number, or
// empty for none), by name.
QString statisticsTaxpayerQuery(const QString& period);
}
namespace ui {
class DataControl;
class DBCombo;
}

class frmReport01 : public ui::Form {
    Q_OBJECT
public:
    explicit frmReport01(QWidget* parent = nullptr);
    ~frmReport01() override;

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& Cancel) override;

    void cmbOrganizacion_Click();
    void cmbOrganizacion_KeyPress(int& KeyAscii);
    void cmdImprime_Click();
    void cmdExit_Click();

    QFrame* SSFrame1;
    QFrame* Frame6;
    QLabel* lblActual;
    QLabel* lblUsuario;
    ui::DBCombo* cmbOrganizacion;
    QRadioButton* OptGrupos;
    QRadioButton* OptAreas;
    QPushButton* cmdImprime;
    QPushButton* cmdExit;
    ui::DataControl* dtContribuyente;
    ui::DataControl* dtPeriodos;
    report::ReportControl report{QStringLiteral("report")};

private:
    std::unique_ptr<Ui::frmReport01> layout_;
};
