#include "catalogs/frm_contribuyente.h"
#include "ui_frm_contribuyente.h"

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
const QString kNitPrompt = QStringLiteral("Ingrese o seleccione su nit(sin guiones o espacios en blanco)...");
const QString kSaveTitle = QStringLiteral(" ZAL(NEB)...");
const QString kNitMissing = QStringLiteral(" Debe ingresar un nit...");
const QString kNitInvalid = QStringLiteral(" Este no es un nit válido...");
const QString kEmployerNameMissing = QStringLiteral(" Debe ingresar un nombre de patrón...");
const QString kAllRows = QStringLiteral("Select * FROM Contribuyentes;");
constexpr int kNitLength = 14;

// The boxes and the columns they show and write, in the order they are written.
struct BoxColumn {
    QLineEdit* frmContribuyente::*box;
    const char* column;
};
const BoxColumn kBoxColumns[] = {
    {&frmContribuyente::txtNombre, "Nombre"},    {&frmContribuyente::txtDireccion, "Calle"},
    {&frmContribuyente::txtCasa, "Casa"},        {&frmContribuyente::txtApto, "Apto"},
    {&frmContribuyente::txtZona, "Zona"},        {&frmContribuyente::txtColonia, "ColoniaB"},
    {&frmContribuyente::txtDepto, "Depto"},      {&frmContribuyente::txtMuni, "Muni"},
    {&frmContribuyente::txtTel, "Tel"},          {&frmContribuyente::txtFax, "Fax"},
    {&frmContribuyente::txtApost, "APostal"},    {&frmContribuyente::txtMail, "Mail"},
    {&frmContribuyente::txtNitPat, "NPat"},      {&frmContribuyente::txtNomPat, "NomPat"},
};

// The boxes in the order Enter moves through them, with the prompt each writes into the status
// bar. The two employer boxes decide their next field themselves.
struct ChainLink {
    QLineEdit* frmContribuyente::*box;
    QLineEdit* frmContribuyente::*next;   // null: the box has a handler of its own
    const char* prompt;                   // null: the box has a handler of its own
};

} // namespace

frmContribuyente::frmContribuyente(QWidget* parent)
    : ui::Form(parent), layout_(std::make_unique<Ui::frmContribuyente>())
{
    layout_->setupUi(this);
    SSTab1 = layout_->SSTab1;
    Label1 = layout_->Label1;
    cmbContrib = layout_->cmbContrib;
    dtContri = layout_->dtContri;
    txtNombre = layout_->txtNombre;
    txtDireccion = layout_->txtDireccion;
    txtCasa = layout_->txtCasa;
    txtApto = layout_->txtApto;
    txtZona = layout_->txtZona;
    txtApost = layout_->txtApost;
    txtColonia = layout_->txtColonia;
    txtDepto = layout_->txtDepto;
    txtMuni = layout_->txtMuni;
    txtTel = layout_->txtTel;
    txtFax = layout_->txtFax;
    txtMail = layout_->txtMail;
    txtNitPat = layout_->txtNitPat;
    txtNomPat = layout_->txtNomPat;
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
    dtContri->hide();
    dtConsulta->setCaption(QStringLiteral("Doble Click para seleccionar..."));
    cmbContrib->setRowSource(dtContri);
    cmbContrib->setListField(QStringLiteral("Nit"));
    cmbContrib->setBoundColumn(QStringLiteral("No"));

    grdConsulta->setDataSource(dtConsulta);
    const std::pair<const char*, const char*> columns[] = {
        {"Nit", "Nit"},           {"Nombre", "Nombre"},           {"No./Nombre Calle o Av.", "Calle"},
        {"No. Casa", "Casa"},     {"Apto.", "Apto"},              {"Zona", "Zona"},
        {"Colonia o Barrio", "ColoniaB"}, {"Departarmento", "Depto"}, {"Municipio", "Muni"},
        {"Telefono", "Tel"},      {"Fax", "Fax"},                 {"Apdo. Postal", "APostal"},
        {"E-Mail", "Mail"},       {"Nit Patrón", "NPat"},         {"Nombre Patrón", "NomPat"},
    };
    for (const auto& [caption, field] : columns)
        grdConsulta->addColumn(QString::fromUtf8(caption), QString::fromUtf8(field));
    grdConsulta->setCaption(QStringLiteral("LISTADO DE CONTRIBUYENTES"));

    Stat->panel(1).setStyle(ui::StatusPanel::Style::Date);
    Stat->panel(2).setStyle(ui::StatusPanel::Style::Time);
    Stat->panel(3).setText(QString());

    cmdLimpiar->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    cmdGrabar->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    cmdEliminar->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    cmdSalir->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

    onKeyPress(cmbContrib, [this](int& KeyAscii) { cmbContrib_KeyPress(KeyAscii); });
    onChange(cmbContrib, [this] { cmbContrib_Change(); });
    onClick(cmbContrib, [this] { cmbContrib_Click(); });
    onGotFocus(cmbContrib, [this] { showPrompt(kNitPrompt); });

    const ChainLink chain[] = {
        {&frmContribuyente::txtNombre, &frmContribuyente::txtDireccion, nullptr},
        {&frmContribuyente::txtDireccion, &frmContribuyente::txtCasa, "Ingrese No. de Calle o Av. del contribuyente..."},
        {&frmContribuyente::txtCasa, &frmContribuyente::txtApto, "Ingrese No. casa del contribuyente..."},
        {&frmContribuyente::txtApto, &frmContribuyente::txtZona, "Ingrese la denominación del Apartamento de su domicilio..."},
        {&frmContribuyente::txtZona, &frmContribuyente::txtApost, "Ingrese el No. de Zona de su dirección..."},
        {&frmContribuyente::txtApost, &frmContribuyente::txtColonia, "Ingrese su No. de Apartado Postal..."},
        {&frmContribuyente::txtColonia, &frmContribuyente::txtDepto, "Ingrese el nombre la colonia de su domicilio..."},
        {&frmContribuyente::txtDepto, &frmContribuyente::txtMuni, "Ingrese el nombre del depto. de su domicilio..."},
        {&frmContribuyente::txtMuni, &frmContribuyente::txtTel, "Ingrese el nombre del municipio de su domicilio..."},
        {&frmContribuyente::txtTel, &frmContribuyente::txtFax, "Ingrese el No. de Telefono de su domicilio..."},
        {&frmContribuyente::txtFax, &frmContribuyente::txtMail, "Ingrese el No. Fax de su domicilio..."},
        {&frmContribuyente::txtMail, &frmContribuyente::txtNitPat, "Ingrese su dirección de correo electronico..."},
        {&frmContribuyente::txtNitPat, nullptr, "Ingrese el No. de nit de su patrón..."},
        {&frmContribuyente::txtNomPat, nullptr, "Ingrese el nombre del patrón..."},
    };
    for (const ChainLink& link : chain) {
        QLineEdit* box = this->*link.box;
        if (link.next) {
            QWidget* next = this->*link.next;
            // Enter moves on; the key itself is swallowed so that it cannot reach the field the
            // focus has just moved to (a button there would be pressed by it).
            onKeyPress(box, [this, next](int& KeyAscii) {
                if (KeyAscii == 13) {
                    KeyAscii = 0;
                    SetFocus(next);
                }
            });
        }
        if (link.prompt) {
            const QString prompt = QString::fromUtf8(link.prompt);
            onGotFocus(box, [this, prompt] { showPrompt(prompt); });
        }
    }
    onGotFocus(txtNombre, [this] { txtNombre_GotFocus(); });
    onKeyPress(txtNitPat, [this](int& KeyAscii) { txtNitPat_KeyPress(KeyAscii); });
    onKeyPress(txtNomPat, [this](int& KeyAscii) { txtNomPat_KeyPress(KeyAscii); });

    onGotFocus(SSTab1->tabBar(), [this] { SSTab1_GotFocus(); });
    onDblClick(grdConsulta, [this] { grdConsulta_DblClick(); });
    connect(grdConsulta, &ui::DBGrid::headClick, this,
            [this](int column) { ui::runHandler([&] { grdConsulta_HeadClick(column); }); });

    onClick(cmdLimpiar, [this] { cmdLimpiar_Click(); });
    onClick(cmdGrabar, [this] { cmdGrabar_Click(); });
    onClick(cmdEliminar, [this] { cmdEliminar_Click(); });
    onClick(cmdSalir, [this] { cmdSalir_Click(); });
}

frmContribuyente::~frmContribuyente() = default;

void frmContribuyente::Form_Load()
{
    // The form object outlives an unload: a new load starts from an empty form.
    m_NitProcesado = false;
    cmbContrib->setText(QString());
    qint16 level = 2;
    Limpiar(level);
    SSTab1->setCurrentIndex(0);
    Stat->panel(3).setText(QString());

    dtContri->setDatabaseName(Biblio::gBaseDatos.toString());
    dtContri->setConnect(QStringLiteral(";PWD=MIRVOSK"));
    dtContri->setOptions(512);
    dtContri->setRecordSource(QStringLiteral("Contribuyentes"));
    dtContri->Refresh();

    dtConsulta->setDatabaseName(Biblio::gBaseDatos.toString());
    dtConsulta->setConnect(QStringLiteral(";PWD=MIRVOSK"));
    dtConsulta->setRecordSource(QStringLiteral("Contribuyentes"));
    dtConsulta->Refresh();

    Show();
    // The user starts with the tax id. The focus may only arrive with the activation of the
    // window, which runs no GotFocus handler: the combo's prompt is written here.
    SetFocus(cmbContrib);
    showPrompt(kNitPrompt);
}

void frmContribuyente::Form_Activate()
{
    if (MDIMenu* menu = MDIMenu::instance())
        menu->mn00104->setEnabled(false);
}

void frmContribuyente::Form_Unload(int& Cancel)
{
    Q_UNUSED(Cancel);
    if (MDIMenu* menu = MDIMenu::instance())
        menu->mn00104->setEnabled(true);
}

void frmContribuyente::Limpiar(qint16& level)
{
    if (level == 1) {
        cmbContrib->setText(QString());
        for (const BoxColumn& bc : kBoxColumns)
            (this->*bc.box)->clear();
        for (ui::DataControl* data : {dtContri, dtConsulta}) {
            data->setRecordSource(kAllRows);
            try {
                data->Refresh();
            } catch (const db::DbError&) {
                // The control keeps what it had; the next clearing tries again.
            }
        }
    } else if (level == 2) {
        for (const BoxColumn& bc : kBoxColumns)
            (this->*bc.box)->clear();
    }
}

void frmContribuyente::showPrompt(const QString& prompt)
{
    // The prompt stays when the field is left, until the next field writes its own.
    Stat->panel(3).setText(prompt);
}

void frmContribuyente::cmbContrib_Change()
{
    if (cmbContrib->Text().size() > kNitLength) {
        ui::MsgBox(QStringLiteral("El Nit no puede ser mayor de 14 posiciones..."), ui::vbInformation);
        // Keeps the first 14 characters (a pasted text is cut once, with one message).
        cmbContrib->setText(cmbContrib->Text().left(kNitLength));
        SetFocus(cmbContrib);
    }
    if (!cmbContrib->Text().isEmpty())
        m_NitProcesado = false;
    qint16 level = 2;
    Limpiar(level);
}

void frmContribuyente::cmbContrib_KeyPress(int& KeyAscii)
{
    if (KeyAscii == 45) {
        // Tax ids are typed without hyphens.
        KeyAscii = 0;
        return;
    }
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    findTaxpayer();
}

void frmContribuyente::cmbContrib_Click()
{
    int KeyAscii = 13;
    cmbContrib_KeyPress(KeyAscii);
}

void frmContribuyente::findTaxpayer()
{
    const QString typed = cmbContrib->Text();
    if (catalogs::isBlank(typed) || basic::Val(typed) == 0) {
        ui::MsgBox(kNitMissing, ui::vbInformation, kCheckTitle);
        SetFocus(cmbContrib);
        return;
    }
    cmbContrib->setText(Biblio::QuitaCerosIzquierda(typed));
    if (!Biblio::ValidaNit(cmbContrib->Text())) {
        ui::MsgBox(kNitInvalid, ui::vbInformation, kCheckTitle);
        SetFocus(cmbContrib);
        return;
    }
    qint16 level = 2;
    Limpiar(level);

    // A missing current record skips the step that met it; any other engine error ends the
    // lookup where it is, without a message.
    try {
        db::Recordset records = dtContri->Recordset();
        bool found = false;
        catalogs::passOverNoCurrentRecord([&] {
            records.findFirst(catalogs::nitCriteria(cmbContrib->Text()));
            found = !records.noMatch();
        });
        if (found) {
            for (const BoxColumn& bc : kBoxColumns) {
                catalogs::passOverNoCurrentRecord([&] {
                    (this->*bc.box)->setText(basic::CStr(records.field(QString::fromLatin1(bc.column))));
                });
            }
        }
        m_NitProcesado = true;
        SetFocus(txtNombre);
    } catch (const db::DbError&) {
    }
}

void frmContribuyente::txtNombre_GotFocus()
{
    showPrompt(QStringLiteral("Ingrese el nombre del contribuyente..."));
    // A tax id left with the mouse or the Tab key is still looked up.
    if (!m_NitProcesado) {
        findTaxpayer();
        m_NitProcesado = true;
    }
}

void frmContribuyente::txtNitPat_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    if (catalogs::isBlank(txtNitPat->text())) {
        SetFocus(txtNomPat);
        return;
    }
    if (!Biblio::ValidaNit(txtNitPat->text())) {
        ui::MsgBox(kNitInvalid, ui::vbInformation, kCheckTitle);
        SetFocus(txtNitPat);
        return;
    }
    SetFocus(txtNomPat);
}

void frmContribuyente::txtNomPat_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    if (catalogs::isBlank(txtNitPat->text())) {
        SetFocus(cmdGrabar);
        return;
    }
    if (!Biblio::ValidaNit(txtNitPat->text())) {
        ui::MsgBox(kNitInvalid, ui::vbInformation, kCheckTitle);
        SetFocus(txtNitPat);
        return;
    }
    if (catalogs::isBlank(txtNomPat->text())) {
        ui::MsgBox(kEmployerNameMissing, ui::vbInformation, kCheckTitle);
        SetFocus(txtNomPat);
        return;
    }
    SetFocus(cmdGrabar);
}

void frmContribuyente::SSTab1_GotFocus()
{
    if (SSTab1->currentIndex() == 0)
        SetFocus(cmbContrib);
}

void frmContribuyente::grdConsulta_DblClick()
{
    // Each step goes on when the one before it failed.
    try {
        cmbContrib->setText(basic::CStr(dtConsulta->Recordset().field(QStringLiteral("Nit"))));
    } catch (const db::DbError&) {
    }
    findTaxpayer();
    SSTab1->setCurrentIndex(0);
}

void frmContribuyente::grdConsulta_HeadClick(int ColIndex)
{
    // The grid shows its rows again, in the same order; the column plays no part.
    Q_UNUSED(ColIndex);
    grdConsulta->ReBind();
}

void frmContribuyente::cmdLimpiar_Click()
{
    qint16 level = 1;
    Limpiar(level);
    SSTab1->setCurrentIndex(0);
    SetFocus(cmbContrib);
}

void frmContribuyente::cmdGrabar_Click()
{
    catalogs::CatalogErrorContext context;
    context.combo = cmbContrib;
    context.records = dtContri;
    context.clearForm = [this] {
        qint16 level = 1;
        Limpiar(level);
    };
    catalogs::runCatalogWrite(catalogs::CatalogWrite::Save, context, [this] { saveTaxpayer(); });
}

void frmContribuyente::saveTaxpayer()
{
    // The tax id is stored without leading zeros, as every lookup reads it: typed with zeros and
    // saved without Enter it would otherwise be stored where no lookup finds it again.
    const QString nit = Biblio::QuitaCerosIzquierda(cmbContrib->Text());
    if (!Biblio::ValidaNit(nit)) {
        ui::MsgBox(kNitInvalid, ui::vbInformation, kCheckTitle);
        SetFocus(cmbContrib);
        return;
    }
    if (catalogs::isBlank(txtNombre->text())) {
        ui::MsgBox(QStringLiteral(" Debe un nombre de contribuyente válido..."), ui::vbInformation, kSaveTitle);
        SetFocus(txtNombre);
        return;
    }
    if (catalogs::isBlank(txtDireccion->text())) {
        ui::MsgBox(QStringLiteral(" Debe una direccion de contribuyente válida..."), ui::vbInformation, kSaveTitle);
        SetFocus(txtDireccion);
        return;
    }
    // The employer: both or none.
    if (!catalogs::isBlank(txtNitPat->text()) || !catalogs::isBlank(txtNomPat->text())) {
        if (!Biblio::ValidaNit(txtNitPat->text())) {
            ui::MsgBox(QStringLiteral(" El nit del patrón no es válido..."), ui::vbInformation, kCheckTitle);
            SetFocus(txtNitPat);
            return;
        }
        if (catalogs::isBlank(txtNomPat->text())) {
            ui::MsgBox(kEmployerNameMissing, ui::vbInformation, kCheckTitle);
            SetFocus(txtNomPat);
            return;
        }
    }

    ui::setMousePointer(ui::vbHourglass);
    db::Recordset records = dtContri->Recordset();
    catalogs::passOverNoCurrentRecord([&] { records.findFirst(catalogs::nitCriteria(nit)); });
    if (records.noMatch()) {
        catalogs::passOverNoCurrentRecord([&] { records.addNew(); });
        // The tax id is written once, when the row is made.
        catalogs::passOverNoCurrentRecord([&] { records.setField(QStringLiteral("Nit"), nit.toUpper()); });
    } else {
        catalogs::passOverNoCurrentRecord([&] { records.edit(); });
    }
    for (const BoxColumn& bc : kBoxColumns) {
        catalogs::passOverNoCurrentRecord(
            [&] { records.setField(QString::fromLatin1(bc.column), (this->*bc.box)->text()); });
    }
    catalogs::passOverNoCurrentRecord([&] { records.update(); });
    // The data control and its combo are read again by the clearing right below.
    catalogs::passOverNoCurrentRecord([&] { dtContri->UpdateRecord(); });
    qint16 level = 1;
    Limpiar(level);
    ui::setMousePointer(ui::vbDefault);
    SetFocus(cmbContrib);
}

void frmContribuyente::cmdEliminar_Click()
{
    catalogs::CatalogErrorContext context;
    context.combo = cmbContrib;
    context.records = dtContri;
    context.clearForm = [this] {
        qint16 level = 1;
        Limpiar(level);
    };
    context.inUseMessage = QStringLiteral(" Este contribuyente forma parte de alguna planilla ! Imposible borrar ! ...");
    catalogs::runCatalogDeletion(context, [this] { m_NitProcesado = true; });
}

void frmContribuyente::cmdSalir_Click()
{
    Unload();
}
