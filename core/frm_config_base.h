#pragma once
// The database-location dialog: the user points the program at its database file. The chosen file
// is probed (opened with the password and a record set on Proveedores); a file that passes is
// stored in the settings ("DataBase") and becomes Biblio::gBaseDatos, and takes full effect at the
// next start. A damaged file is repaired once; one that cannot be opened even then ends the program.
//
// Start-up shows it modally (showModal); the menu disables the whole main window and shows it
// modeless. Its unloading enables the main window again either way.
#include "platform/db/database.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"

#include <memory>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace Ui { class frmConfigBase; }
namespace ui { class StatusBar; }

class frmConfigBase : public ui::Form {
    Q_OBJECT
public:
    explicit frmConfigBase(QWidget* parent = nullptr);
    ~frmConfigBase() override;

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& Cancel) override;

    void cmdBrowse_Click();
    void cmdGrabar_Click();
    void cmdCancelar_Click();
    void cmdSalir_Click();
    void txtCurrentDir_KeyPress(int& KeyAscii);

    // Controls.
    QGroupBox* SSFrame1;
    QLabel* lblCurrent;
    QLineEdit* txtPrebase;
    QLabel* Label1;
    QLineEdit* txtCurrentDir;
    QToolButton* cmdBrowse;
    QToolButton* cmdGrabar;
    QToolButton* cmdCancelar;
    QToolButton* cmdSalir;
    QFrame* Frame6;
    ui::StatusBar* StatusBar1;
    // The file-open dialog: its settings, and in fileName the file chosen last (in the dialog or
    // confirmed with Enter in txtCurrentDir); "" while none has been chosen.
    ui::OpenFileOptions dlgBrowse;

    // The database and the record set on Proveedores of the last probe, kept open until the form
    // unloads (closed objects when there is none).
    db::Database probeDatabase() const { return probeDatabase_; }
    db::Recordset probeRecordset() const { return probeRecordset_; }

private:
    // Opens path with the password and a record set on Proveedores as the form's probe objects.
    // Engine errors reach the caller; the previous probe's objects are closed either way.
    void probe(const QString& path, db::RecordsetType type);
    void closeProbe();
    // Stores the file chosen last as the program's database and shows it.
    void storeChoice();
    // A probe failure that is neither a missing table nor a missing file: repair the file once.
    void repairChosenFile();

    std::unique_ptr<Ui::frmConfigBase> layout_;
    db::Database probeDatabase_;
    db::Recordset probeRecordset_;
};
