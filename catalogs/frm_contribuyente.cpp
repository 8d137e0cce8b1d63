#include "catalogs/frm_contribuyente.h"
#include "ui_frm_contribuyente.h"

#include "core/biblio.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/form.h"

#include <QLineEdit>

namespace {

const QString kEmployerNameMissing = QStringLiteral(" Debe ingresar un nombre de patrón...");

// The boxes in the order Enter moves through them, with the prompt each writes into the status
// bar. The two employer boxes decide their next field themselves.
struct ChainLink {
    QLineEdit* frmContribuyente::*box;
    QLineEdit* frmContribuyente::*next;   // null: the box has a handler of its own
    const char* prompt;                   // null: the box has a handler of its own
};

} // namespace

frmContribuyente::frmContribuyente(QWidget* parent)
    : catalogs::NitCatalog(parent), layout_(std::make_unique<Ui::frmContribuyente>())
{
    layout_->setupUi(this);
    cmbContrib = layout_->cmbContrib;
    dtContri = layout_->dtContri;
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

    catalogs::NitCatalogSetup setup;
    setup.combo = cmbContrib;
    setup.records = dtContri;
    setup.table = QStringLiteral("Contribuyentes");
    setup.boundColumn = QStringLiteral("No");
    setup.boxes = {
        {layout_->txtNombre, QStringLiteral("Nombre")}, {txtDireccion, QStringLiteral("Calle")},
        {txtCasa, QStringLiteral("Casa")},              {txtApto, QStringLiteral("Apto")},
        {txtZona, QStringLiteral("Zona")},              {txtColonia, QStringLiteral("ColoniaB")},
        {txtDepto, QStringLiteral("Depto")},            {txtMuni, QStringLiteral("Muni")},
        {txtTel, QStringLiteral("Tel")},                {txtFax, QStringLiteral("Fax")},
        {txtApost, QStringLiteral("APostal")},          {txtMail, QStringLiteral("Mail")},
        {txtNitPat, QStringLiteral("NPat")},            {txtNomPat, QStringLiteral("NomPat")},
    };
    const std::pair<const char*, const char*> columns[] = {
        {"Nit", "Nit"},           {"Nombre", "Nombre"},           {"No./Nombre Calle o Av.", "Calle"},
        {"No. Casa", "Casa"},     {"Apto.", "Apto"},              {"Zona", "Zona"},
        {"Colonia o Barrio", "ColoniaB"}, {"Departarmento", "Depto"}, {"Municipio", "Muni"},
        {"Telefono", "Tel"},      {"Fax", "Fax"},                 {"Apdo. Postal", "APostal"},
        {"E-Mail", "Mail"},       {"Nit Patrón", "NPat"},         {"Nombre Patrón", "NomPat"},
    };
    for (const auto& [caption, field] : columns)
        setup.gridColumns.append({QString::fromUtf8(caption), QString::fromUtf8(field)});
    setup.gridCaption = QStringLiteral("LISTADO DE CONTRIBUYENTES");
    setup.nitPrompt = QStringLiteral("Ingrese o seleccione su nit(sin guiones o espacios en blanco)...");
    setup.namePrompt = QStringLiteral("Ingrese el nombre del contribuyente...");
    setup.tooLongMessage = QStringLiteral("El Nit no puede ser mayor de 14 posiciones...");
    setup.refuseZero = true;
    setup.nameMissingMessage = QStringLiteral(" Debe un nombre de contribuyente válido...");
    setup.inUseMessage = QStringLiteral(" Este contribuyente forma parte de alguna planilla ! Imposible borrar ! ...");
    setUpCatalog(*layout_, std::move(setup));

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
    onKeyPress(txtNitPat, [this](int& KeyAscii) { txtNitPat_KeyPress(KeyAscii); });
    onKeyPress(txtNomPat, [this](int& KeyAscii) { txtNomPat_KeyPress(KeyAscii); });
    connect(grdConsulta, &ui::DBGrid::headClick, this,
            [this](int column) { ui::runHandler([&] { grdConsulta_HeadClick(column); }); });
}

frmContribuyente::~frmContribuyente() = default;

void frmContribuyente::txtNitPat_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    if (catalogs::isBlank(txtNitPat->text()) || acceptNit(txtNitPat->text(), txtNitPat))
        SetFocus(txtNomPat);
}

void frmContribuyente::txtNomPat_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    if (!catalogs::isBlank(txtNitPat->text())) {
        if (!acceptNit(txtNitPat->text(), txtNitPat))
            return;
        if (catalogs::isBlank(txtNomPat->text())) {
            refuse(kEmployerNameMissing, txtNomPat);
            return;
        }
    }
    SetFocus(cmdGrabar);
}

void frmContribuyente::grdConsulta_HeadClick(int ColIndex)
{
    // The grid shows its rows again, in the same order; the column plays no part.
    Q_UNUSED(ColIndex);
    grdConsulta->ReBind();
}

bool frmContribuyente::checkOtherBoxes()
{
    if (catalogs::isBlank(txtDireccion->text())) {
        refuse(QStringLiteral(" Debe una direccion de contribuyente válida..."), txtDireccion, MessageTitle::Save);
        return false;
    }
    // The employer: both or none.
    if (!catalogs::isBlank(txtNitPat->text()) || !catalogs::isBlank(txtNomPat->text())) {
        if (!Biblio::ValidaNit(txtNitPat->text())) {
            refuse(QStringLiteral(" El nit del patrón no es válido..."), txtNitPat);
            return false;
        }
        if (catalogs::isBlank(txtNomPat->text())) {
            refuse(kEmployerNameMissing, txtNomPat);
            return false;
        }
    }
    return true;
}
