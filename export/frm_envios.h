#pragma once
// The export form "Envíos Electrónicos...": the taxpayers with a worksheet in the current period,
// the selection, the destination folder and the run that writes one submission file per selected
// taxpayer (export_run.h, submission_file.h).
#include "export/export_run.h"
#include "platform/db/database.h"
#include "platform/ui/form.h"

#include <memory>

class QGroupBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace ui {
class DataControl;
class StatusBar;
}

namespace Ui {
class frmEnvios;
}

class frmEnvios : public ui::Form {
    Q_OBJECT
public:
    explicit frmEnvios(QWidget* parent = nullptr);
    ~frmEnvios() override;

    QGroupBox* SSFrame1;
    QListWidget* List1;
    ui::DataControl* dtPeriodos;
    QLabel* lblArchivo;
    QLineEdit* txtFileName;
    QPushButton* cmdBrowse;
    QPushButton* cmdIniciar;
    QPushButton* cmdLimpiar;
    QPushButton* cmdSalir;
    QLabel* lblActual;
    ui::StatusBar* Stat;
    QFrame* Frame6;
    QGroupBox* frmPrimarios;

    // The folder chosen in the folder dialog; empty until one is chosen and after cmdLimpiar_Click.
    QString DirDestino;

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& Cancel) override;
    void cmdBrowse_GotFocus();
    void cmdBrowse_Click();
    void cmdIniciar_Click();
    void cmdLimpiar_Click();
    void cmdSalir_Click();

    // True when the load found the current period (its dates are what the run writes).
    bool hasPeriod() const { return periodoValido_; }

private:
    void fillList();
    void endRun();

    std::unique_ptr<Ui::frmEnvios> ui_;
    db::Database database_;
    db::Recordset rsLista_;
    envios::RunRecordsets rsRun_;
    bool periodoValido_ = false;
    QString periodo_;   // the period the list and the dates belong to
    QString del_;
    QString al_;
};
