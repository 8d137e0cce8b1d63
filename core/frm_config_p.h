#pragma once
// The current-period dialog: the user picks the tax period the program works on from the table
// Periodos. The choice is stored in the settings ("DefaultPer"), becomes Biblio::gPeriodo and is
// loaded by Biblio::CargaPeriodo. Loading the form shows it inside the main window, without being
// modal. While no period is current it refuses to close, so that the user has to choose one;
// when the table offers no period at all it closes like any other window.
#include "platform/ui/form.h"

#include <memory>

class QFrame;
class QLabel;
class QPushButton;

namespace Ui { class frmConfigP; }
namespace ui {
class DataControl;
class DBList;
}

class frmConfigP : public ui::Form {
    Q_OBJECT
public:
    explicit frmConfigP(QWidget* parent = nullptr);
    ~frmConfigP() override;

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& Cancel) override;

    void cmdGrabar_Click();
    void cmdSalir_Click();
    void lstPeriodos_DblClick();

    // Controls.
    QFrame* SSFrame1;
    QLabel* lblActual;
    QLabel* Label1;
    ui::DBList* lstPeriodos;
    ui::DataControl* dtPeriodos;
    QPushButton* cmdGrabar;
    QPushButton* cmdSalir;

private:
    // Moves dtPeriodos' record set to the period of that number; false when there is none.
    bool findPeriod(const QString& number);
    // Shows the period of the record set's current row as the current one.
    void showCurrent();
    std::unique_ptr<Ui::frmConfigP> layout_;
};
