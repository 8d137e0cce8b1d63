#include "catalogs/frm_proveedor.h"
#include "ui_frm_proveedor.h"

#include "catalogs/catalog_errors.h"
#include "core/biblio.h"
#include "core/mdi_menu.h"
#include "platform/basic/basic.h"
#include "platform/db/database.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/mouse_pointer.h"
#include "platform/ui/status_bar.h"

#include <QAction>
#include <QStyle>
#include <QTabBar>

namespace {

const QString kCheckTitle = QStringLiteral(" ZAL(Planilla EKO)...");
const QString kNitPrompt = QStringLiteral("Ingrese o seleccione el nit(sin guiones o espacios en blanco)...");
const QString kNitInvalid = QStringLiteral(" Este no es un nit válido...");
const QString kAllRows = QStringLiteral("Select * FROM Proveedores;");
constexpr int kNitLength = 14;

} // namespace

frmProveedor::frmProveedor(QWidget* parent) : ui::Form(parent), layout_(std::make_unique<Ui::frmProveedor>())
{
    layout_->setupUi(this);
    SSTab1 = layout_->SSTab1;
    Label1 = layout_->Label1;
    Label2 = layout_->Label2;
    cmbNit = layout_->cmbNit;
    dtProvee = layout_->dtProvee;
    txtNombre = layout_->txtNombre;
    dtConsulta = layout_->dtConsulta;
    grdConsulta = layout_->grdConsulta;
    fraCtrls = layout_->fraCtrls;
    cmdLimpiar = layout_->cmdLimpiar;
    cmdGrabar = layout_->cmdGrabar;
    cmdEliminar = layout_->cmdEliminar;
    cmdSalir = layout_->cmdSalir;
    Stat = layout_->Stat;
    setMdiChild(true);

    // The record data control works behind the boxes; only the consultation one shows its bar.
    dtProvee->hide();
    dtConsulta->setCaption(QStringLiteral("Doble Click para seleccionar..."));
    cmbNit->setRowSource(dtProvee);
    cmbNit->setListField(QStringLiteral("Nit"));
    cmbNit->setBoundColumn(QStringLiteral("Nit"));

    grdConsulta->setDataSource(dtConsulta);
    grdConsulta->addColumn(QStringLiteral("Nit"), QStringLiteral("Nit"));
    grdConsulta->addColumn(QStringLiteral("Nombre"), QStringLiteral("Nombre"));
    grdConsulta->setCaption(QStringLiteral("LISTADO DE PROVEEDORES"));

    Stat->panel(1).setStyle(ui::StatusPanel::Style::Date);
    Stat->panel(2).setStyle(ui::StatusPanel::Style::Time);
    Stat->panel(3).setText(QString());

    cmdLimpiar->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    cmdGrabar->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    cmdEliminar->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    cmdSalir->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

    onKeyPress(cmbNit, [this](int& KeyAscii) { cmbNit_KeyPress(KeyAscii); });
    onChange(cmbNit, [this] { cmbNit_Change(); });
    onClick(cmbNit, [this] { cmbNit_Click(); });
    onGotFocus(cmbNit, [this] { showPrompt(kNitPrompt); });
    onGotFocus(txtNombre, [this] { txtNombre_GotFocus(); });
    onKeyPress(txtNombre, [this](int& KeyAscii) { txtNombre_KeyPress(KeyAscii); });
    onGotFocus(SSTab1->tabBar(), [this] { SSTab1_GotFocus(); });
    onDblClick(grdConsulta, [this] { grdConsulta_DblClick(); });

    onClick(cmdLimpiar, [this] { cmdLimpiar_Click(); });
    onClick(cmdGrabar, [this] { cmdGrabar_Click(); });
    onClick(cmdEliminar, [this] { cmdEliminar_Click(); });
    onClick(cmdSalir, [this] { cmdSalir_Click(); });
}

frmProveedor::~frmProveedor() = default;

void frmProveedor::Form_Load()
{
    // The form object outlives an unload: a new load starts from an empty form.
    m_NitProcesado = false;
    cmbNit->setText(QString());
    txtNombre->clear();
    SSTab1->setCurrentIndex(0);
    Stat->panel(3).setText(QString());

    dtProvee->setDatabaseName(Biblio::gBaseDatos.toString());
    dtProvee->setConnect(QStringLiteral(";PWD=MIRVOSK"));
    dtProvee->setOptions(512);
    dtProvee->setRecordSource(QStringLiteral("Proveedores"));
    dtProvee->Refresh();

    dtConsulta->setDatabaseName(Biblio::gBaseDatos.toString());
    dtConsulta->setConnect(QStringLiteral(";PWD=MIRVOSK"));
    dtConsulta->setRecordSource(QStringLiteral("Proveedores"));
    dtConsulta->Refresh();

    Show();
    // The user starts with the tax id. The focus may only arrive with the activation of the
    // window, which runs no GotFocus handler: the combo's prompt is written here.
    SetFocus(cmbNit);
    showPrompt(kNitPrompt);
}

void frmProveedor::Form_Activate()
{
    if (MDIMenu* menu = MDIMenu::instance())
        menu->mn00104->setEnabled(false);
}

void frmProveedor::Form_Unload(int& Cancel)
{
    Q_UNUSED(Cancel);
    // A worksheet form that is still open takes a pending new supplier on its next activation;
    // without one the hand-off is over.
    if (!Biblio::gPlanillaAbierta) {
        Biblio::gNitProveedor.clear();
        Biblio::gProveedorNuevo = false;
    }
    if (MDIMenu* menu = MDIMenu::instance())
        menu->mn00104->setEnabled(true);
}

void frmProveedor::Limpiar(qint16& level)
{
    if (level == 1) {
        cmbNit->setText(QString());
        txtNombre->clear();
        for (ui::DataControl* data : {dtProvee, dtConsulta}) {
            data->setRecordSource(kAllRows);
            try {
                data->Refresh();
            } catch (const db::DbError&) {
                // The control keeps what it had; the next clearing tries again.
            }
        }
    } else if (level == 2) {
        txtNombre->clear();
    }
}

void frmProveedor::showPrompt(const QString& prompt)
{
    // The prompt stays when the field is left, until the next field writes its own.
    Stat->panel(3).setText(prompt);
}

void frmProveedor::cmbNit_Change()
{
    if (cmbNit->Text().size() > kNitLength) {
        ui::MsgBox(QStringLiteral("El Nit nom puede ser mayor de 14 posiciones..."), ui::vbInformation);
        // Keeps the first 14 characters (a pasted text is cut once, with one message).
        cmbNit->setText(cmbNit->Text().left(kNitLength));
        SetFocus(cmbNit);
    }
    if (!cmbNit->Text().isEmpty())
        m_NitProcesado = false;
    qint16 level = 2;
    Limpiar(level);
}

void frmProveedor::cmbNit_KeyPress(int& KeyAscii)
{
    if (KeyAscii == 45) {
        // Tax ids are typed without hyphens.
        KeyAscii = 0;
        return;
    }
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    findSupplier();
}

void frmProveedor::cmbNit_Click()
{
    int KeyAscii = 13;
    cmbNit_KeyPress(KeyAscii);
}

void frmProveedor::findSupplier()
{
    // Only a blank tax id is refused here: "0" loses its zeros below and fails the check.
    if (catalogs::isBlank(cmbNit->Text())) {
        ui::MsgBox(QStringLiteral(" Debe ingresar un nit..."), ui::vbInformation, kCheckTitle);
        SetFocus(cmbNit);
        return;
    }
    cmbNit->setText(Biblio::QuitaCerosIzquierda(cmbNit->Text()));
    if (!Biblio::ValidaNit(cmbNit->Text())) {
        ui::MsgBox(kNitInvalid, ui::vbInformation, kCheckTitle);
        SetFocus(cmbNit);
        return;
    }
    qint16 level = 2;
    Limpiar(level);

    // A missing current record skips the step that met it; any other engine error ends the
    // lookup where it is, without a message.
    try {
        db::Recordset records = dtProvee->Recordset();
        bool found = false;
        catalogs::passOverNoCurrentRecord([&] {
            records.findFirst(catalogs::nitCriteria(cmbNit->Text()));
            found = !records.noMatch();
        });
        if (found) {
            catalogs::passOverNoCurrentRecord(
                [&] { txtNombre->setText(basic::CStr(records.field(QStringLiteral("Nombre")))); });
        }
        m_NitProcesado = true;
        SetFocus(txtNombre);
    } catch (const db::DbError&) {
    }
}

void frmProveedor::txtNombre_GotFocus()
{
    showPrompt(QStringLiteral("Ingrese el nombre del proveedor..."));
    // A tax id left with the mouse or the Tab key is still looked up.
    if (!m_NitProcesado) {
        findSupplier();
        m_NitProcesado = true;
    }
}

void frmProveedor::txtNombre_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13)
        return;
    // Enter goes straight to the save button (the name is checked by the save). The key is
    // swallowed so that it cannot press the button the focus has just moved to.
    KeyAscii = 0;
    SetFocus(cmdGrabar);
}

void frmProveedor::SSTab1_GotFocus()
{
    if (SSTab1->currentIndex() == 0)
        SetFocus(cmbNit);
}

void frmProveedor::grdConsulta_DblClick()
{
    // Each step goes on when the one before it failed.
    try {
        cmbNit->setText(basic::CStr(dtConsulta->Recordset().field(QStringLiteral("Nit"))));
    } catch (const db::DbError&) {
    }
    findSupplier();
    SSTab1->setCurrentIndex(0);
}

void frmProveedor::cmdLimpiar_Click()
{
    qint16 level = 1;
    Limpiar(level);
    SSTab1->setCurrentIndex(0);
    SetFocus(cmbNit);
}

void frmProveedor::cmdGrabar_Click()
{
    catalogs::CatalogErrorContext context;
    context.combo = cmbNit;
    context.records = dtProvee;
    context.clearForm = [this] {
        qint16 level = 1;
        Limpiar(level);
    };
    catalogs::runCatalogWrite(catalogs::CatalogWrite::Save, context, [this] { saveSupplier(); });
}

void frmProveedor::saveSupplier()
{
    // The tax id is stored without leading zeros, as every lookup reads it: typed with zeros and
    // saved without Enter it would otherwise be stored where no lookup finds it again.
    const QString nit = Biblio::QuitaCerosIzquierda(cmbNit->Text());
    if (!Biblio::ValidaNit(nit)) {
        ui::MsgBox(kNitInvalid, ui::vbInformation, kCheckTitle);
        SetFocus(cmbNit);
        return;
    }
    if (catalogs::isBlank(txtNombre->text())) {
        ui::MsgBox(QStringLiteral(" Debe ingresar un nombre de proveedor válido..."), ui::vbInformation,
                   QStringLiteral(" ZAL(NEB)..."));
        SetFocus(txtNombre);
        return;
    }

    ui::setMousePointer(ui::vbHourglass);
    db::Recordset records = dtProvee->Recordset();
    catalogs::passOverNoCurrentRecord([&] { records.findFirst(catalogs::nitCriteria(nit)); });
    if (records.noMatch()) {
        catalogs::passOverNoCurrentRecord([&] { records.addNew(); });
        // The tax id is written once, when the row is made.
        catalogs::passOverNoCurrentRecord([&] { records.setField(QStringLiteral("Nit"), nit.toUpper()); });
    } else {
        catalogs::passOverNoCurrentRecord([&] { records.edit(); });
    }
    catalogs::passOverNoCurrentRecord([&] { records.setField(QStringLiteral("Nombre"), txtNombre->text()); });
    catalogs::passOverNoCurrentRecord([&] { records.update(); });

    // The supplier handed over by the entry form has been saved: compared with the tax id as
    // saved (not upper-cased), exactly.
    Biblio::gProveedorNuevo = Biblio::gNitProveedor == nit;

    // The data control and its combo are read again by the clearing right below.
    catalogs::passOverNoCurrentRecord([&] { dtProvee->UpdateRecord(); });
    qint16 level = 1;
    Limpiar(level);
    ui::setMousePointer(ui::vbDefault);
    SetFocus(cmbNit);
    if (Biblio::gProveedorNuevo)
        Unload();
}

void frmProveedor::cmdEliminar_Click()
{
    catalogs::CatalogErrorContext context;
    context.combo = cmbNit;
    context.records = dtProvee;
    context.clearForm = [this] {
        qint16 level = 1;
        Limpiar(level);
    };
    context.inUseMessage = QStringLiteral(" Este proveedor forma parte de alguna planilla ! Imposible borrar ! ...");
    catalogs::runCatalogDeletion(context, [this] { m_NitProcesado = true; });
}

void frmProveedor::cmdSalir_Click()
{
    Unload();
}
