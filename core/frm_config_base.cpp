#include "core/frm_config_base.h"
#include "ui_frm_config_base.h"

#include "core/biblio.h"
#include "core/main_startup.h"
#include "core/mdi_menu.h"
#include "platform/system/app_info.h"
#include "platform/system/end.h"
#include "platform/ui/mouse_pointer.h"
#include "platform/ui/sizing.h"
#include "platform/ui/status_bar.h"

#include <QDir>
#include <QStyle>

namespace {

const QString kKey = QStringLiteral("DataBase");
const QString kTitle = QStringLiteral(" ZAL");
const QString kChooseValid = QStringLiteral(" Debe seleccionar una database válida... ");
const QString kFileMissing = QStringLiteral(" Archivo especificado no existe... ");
const QString kNotTheSystemBase = QStringLiteral(" La base seleccionada no es la Base del Sistema, no existe o esta dañada")
    + QLatin1Char('\r') + QStringLiteral("      Consulte con el Administrador del Sistema...");
const QString kRestart
    = QStringLiteral(" Para que los cambios de esta nueva versión sean aplicados correctamente ") + QLatin1Char('\r')
    + QStringLiteral(" en la base de datos seleccionada, debe reiniciar la aplicación (Planilla del EKO). ");
const QString kDamaged = QStringLiteral("Su base de datos fue totalmente dañada... Imposible iniciar el programa!!!");
// Hide the read-only check box (4) plus 1024, which does nothing for an open dialog.
constexpr int kBrowseFlags = 1028;

// The hourglass while the dialog works. The default pointer comes back before any message box is
// shown (release) and at the latest when the work ends, however it ends.
class Hourglass {
public:
    Hourglass() { ui::setMousePointer(ui::vbHourglass); }
    ~Hourglass() { release(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
    void release() { ui::setMousePointer(ui::vbDefault); }
};

constexpr int kPathChars = 50;

} // namespace

frmConfigBase::frmConfigBase(QWidget* parent) : ui::Form(parent), layout_(std::make_unique<Ui::frmConfigBase>())
{
    layout_->setupUi(this);
    SSFrame1 = layout_->SSFrame1;
    lblCurrent = layout_->lblCurrent;
    txtPrebase = layout_->txtPrebase;
    Label1 = layout_->Label1;
    txtCurrentDir = layout_->txtCurrentDir;
    cmdBrowse = layout_->cmdBrowse;
    cmdGrabar = layout_->cmdGrabar;
    cmdCancelar = layout_->cmdCancelar;
    cmdSalir = layout_->cmdSalir;
    Frame6 = layout_->Frame6;
    StatusBar1 = layout_->StatusBar1;

    cmdBrowse->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    cmdGrabar->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    cmdCancelar->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    cmdSalir->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

    // Room for a whole path of ordinary length; longer ones scroll in their box.
    ui::fitToChars(txtPrebase, kPathChars);
    ui::fitToChars(txtCurrentDir, kPathChars);

    dlgBrowse.title = QStringLiteral("Directorio de Base de Datos...");
    dlgBrowse.filter = QStringLiteral("Base de Datos |*.mdb");
    // The user's own folder: where a database file of the user's is to be looked for first.
    dlgBrowse.initialFolder = QDir::homePath();
    dlgBrowse.flags = kBrowseFlags;

    onClick(cmdBrowse, [this] { cmdBrowse_Click(); });
    onClick(cmdGrabar, [this] { cmdGrabar_Click(); });
    onClick(cmdCancelar, [this] { cmdCancelar_Click(); });
    onClick(cmdSalir, [this] { cmdSalir_Click(); });
    onKeyPress(txtCurrentDir, [this](int& KeyAscii) { txtCurrentDir_KeyPress(KeyAscii); });
}

frmConfigBase::~frmConfigBase()
{
    closeProbe();
}

void frmConfigBase::Form_Load()
{
    // The form object outlives an unload: a new load starts without a chosen file.
    txtPrebase->clear();
    txtCurrentDir->clear();
    dlgBrowse.fileName.clear();
}

void frmConfigBase::Form_Activate()
{
    txtPrebase->setText(Biblio::gBaseDatos.toString());
    SetFocus(txtCurrentDir);
}

void frmConfigBase::cmdBrowse_Click()
{
    dlgBrowse.flags = kBrowseFlags;
    const QString chosen = ui::OpenFile(dlgBrowse);
    // A cancelled dialog keeps the name chosen before.
    if (!chosen.isEmpty())
        dlgBrowse.fileName = chosen;
    txtCurrentDir->setText(dlgBrowse.fileName);
}

void frmConfigBase::txtCurrentDir_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13)
        return;
    const QString typed = txtCurrentDir->text().trimmed();
    if (typed.isEmpty()) {
        cmdBrowse_Click();
        ui::MsgBox(kNotTheSystemBase, ui::vbCritical, kTitle);
        txtCurrentDir->clear();
        return;
    }
    // The settings keep a full path: a name typed relative to the working folder would point
    // elsewhere at the next start.
    dlgBrowse.fileName = QDir::isRelativePath(typed) ? QDir::current().absoluteFilePath(typed) : typed;
    try {
        probe(dlgBrowse.fileName, db::RecordsetType::Table);
    } catch (const db::DbError&) {
        // A silent probe: the Grabar button reports what is wrong with the file.
    }
}

void frmConfigBase::cmdGrabar_Click()
{
    Hourglass hourglass;
    txtCurrentDir->setText(dlgBrowse.fileName);
    if (dlgBrowse.fileName.isEmpty()) {
        hourglass.release();
        ui::MsgBox(kChooseValid, ui::vbInformation, kTitle);
        SetFocus(txtCurrentDir);
        return;
    }
    int error = 0;
    try {
        probe(dlgBrowse.fileName, db::RecordsetType::Dynaset);
    } catch (const db::DbError& e) {
        error = e.number();
    }
    switch (error) {
    case 0:
        txtCurrentDir->setText(dlgBrowse.fileName);
        storeChoice();
        txtCurrentDir->clear();
        hourglass.release();
        ui::MsgBox(kRestart, ui::vbInformation, kTitle);
        break;
    case db::err::TableNotFound:
        hourglass.release();
        ui::MsgBox(kChooseValid, ui::vbInformation, kTitle);
        SetFocus(txtCurrentDir);
        break;
    case db::err::FileNotFound:
        hourglass.release();
        ui::MsgBox(kFileMissing, ui::vbInformation, kTitle);
        txtCurrentDir->clear();
        SetFocus(txtCurrentDir);
        break;
    case db::err::Locked:
    case db::err::FileInUse:
        // Held by another program: nothing is wrong with the file itself.
        hourglass.release();
        ui::MsgBox(Biblio::busyNotice(), ui::vbCritical, kTitle);
        sys::End();
    case db::err::Corrupt:
        repairChosenFile();
        break;
    default:
        // Not this program's file, or another password: it is left exactly as it is.
        closeProbe();
        hourglass.release();
        ui::MsgBox(kDamaged, ui::vbCritical, kTitle);
        sys::End();
    }
}

void frmConfigBase::repairChosenFile()
{
    const QString path = txtCurrentDir->text();
    if (!sys::fileExists(path)) {
        txtCurrentDir->clear();
        SetFocus(txtCurrentDir);
        return;
    }
    closeProbe();
    QString repairNote;
    try {
        QList<db::RepairLoss> losses;
        const QString backup = db::repairDatabase(path, &losses, Biblio::kConnect);
        repairNote = Biblio::repairNotice(losses, backup);
        probeDatabase_ = db::Database::open(path, Biblio::kConnect);
    } catch (const db::DbError&) {
        ui::setMousePointer(ui::vbDefault);
        ui::MsgBox(kDamaged, ui::vbCritical, kTitle);
        sys::End();
    }
    if (!repairNote.isEmpty()) {
        ui::setMousePointer(ui::vbDefault);
        ui::MsgBox(repairNote, ui::vbExclamation, kTitle);
    }
    try {
        probe(dlgBrowse.fileName, db::RecordsetType::Dynaset);
    } catch (const db::DbError&) {
        // The repaired file opens but still does not pass (for instance, it has no table
        // Proveedores): it is refused like any file that is not the system's database.
        closeProbe();
        ui::setMousePointer(ui::vbDefault);
        ui::MsgBox(kNotTheSystemBase, ui::vbCritical, kTitle);
        txtCurrentDir->clear();
        SetFocus(txtCurrentDir);
        return;
    }
    storeChoice();
    txtCurrentDir->clear();
    SetFocus(txtCurrentDir);
}

void frmConfigBase::cmdCancelar_Click()
{
    txtCurrentDir->clear();
}

void frmConfigBase::cmdSalir_Click()
{
    Unload();
}

void frmConfigBase::Form_Unload(int& Cancel)
{
    Q_UNUSED(Cancel);
    if (MDIMenu* menu = MDIMenu::instance())
        menu->setEnabled(true);
    closeProbe();
}

void frmConfigBase::probe(const QString& path, db::RecordsetType type)
{
    closeProbe();
    probeDatabase_ = db::Database::open(path, Biblio::kConnect);
    probeRecordset_ = probeDatabase_.openRecordset(QStringLiteral("Proveedores"), type);
}

void frmConfigBase::closeProbe()
{
    try {
        probeRecordset_.close();
    } catch (const db::DbError&) {
    }
    try {
        probeDatabase_.close();
    } catch (const db::DbError&) {
    }
    probeRecordset_ = db::Recordset();
    probeDatabase_ = db::Database();
}

void frmConfigBase::storeChoice()
{
    Biblio::GuardaConfiguracion(kKey, dlgBrowse.fileName);
    Biblio::gBaseDatos = Biblio::LeeConfiguracion(kKey);
    txtPrebase->setText(Biblio::gBaseDatos.toString());
}
