#include "worksheet/frm_planillas.h"
#include "ui_frm_planillas.h"

#include "catalogs/frm_proveedor.h"
#include "core/biblio.h"
#include "core/mdi_menu.h"
#include "platform/basic/basic.h"
#include "platform/db/database.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/masked_box.h"
#include "platform/ui/mouse_pointer.h"
#include "platform/ui/sizing.h"
#include "platform/ui/status_bar.h"
#include "worksheet/worksheet_print.h"
#include "worksheet/store.h"

#include <QAction>

using namespace worksheet;

namespace {
const QString kPlanilla = QStringLiteral(" ZAL(Planilla EKO)...");
const QString kZal = QStringLiteral(" ZAL");
const QString kDateMask = QStringLiteral("##/##/####");
const QString kAmountFormat = QStringLiteral("##,###,##0.00");

const QString kNoNit = QStringLiteral(" Debe ingresar un nit...");
const QString kBadNit = QStringLiteral(" Este no es un nit válido...");
const QString kNoTaxpayer = QStringLiteral(" Debe seleccionar un Contribuyente válido...");
const QString kNoSupplier = QStringLiteral(" Debe seleccionar un proveedor válido...");
const QString kNoType = QStringLiteral(" Debe seleccionar un Tipo de Documento válido...");
const QString kNoExpense = QStringLiteral(" Debe seleccionar un Tipo de Gasto válido...");
const QString kNumeric = QStringLiteral(" Debe ingresar un cantidad numérica...");

// The refusal of a guard on entering a field: its message, and the focus to the field named.
void refuse(QWidget* field, const QString& text, const QString& title = QString())
{
    ui::Refuse(field, text, ui::vbInformation, title);
}

void info(const QString& text, const QString& title = QString())
{
    ui::MsgBox(text, ui::vbInformation, title);
}

QString orEmpty(const QVariant& v)
{
    return v.isNull() ? QString() : basic::CStr(v);
}

// The three menu entries a loaded worksheet locks.
void lockMenus(bool enabled)
{
    MDIMenu::setEntriesEnabled({&MDIMenu::mn00301, &MDIMenu::mn00203, &MDIMenu::mn00104}, enabled);
}
} // namespace

frmPlanillas::frmPlanillas(QWidget* parent)
    : WorksheetForm(Variant::entryForm(), parent), layout_(std::make_unique<Ui::frmPlanillas>())
{
    layout_->setupUi(this);
    build();
}

frmPlanillas::frmPlanillas(const Variant& variant, QWidget* parent) : WorksheetForm(variant, parent) {}

namespace {
template <typename T>
void bind(QWidget* form, T*& control, const char* name)
{
    control = form->findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT_X(control, "frmPlanillas::build", name);
}
} // namespace

void frmPlanillas::build()
{
#define ZAL_BIND(name) bind(this, name, #name)
    ZAL_BIND(lblActual);
    ZAL_BIND(fraEncabezado);
    ZAL_BIND(fraDetalle);
    ZAL_BIND(cmbContrib);
    ZAL_BIND(txtNombre);
    ZAL_BIND(txtDireccion);
    ZAL_BIND(txtNitPat);
    ZAL_BIND(txtNomPat);
    ZAL_BIND(cmbProvee);
    ZAL_BIND(cmbNProvee);
    ZAL_BIND(cmbTipo);
    ZAL_BIND(lblSerie);
    ZAL_BIND(txtSerie);
    ZAL_BIND(txtDoc);
    ZAL_BIND(txtFecha);
    ZAL_BIND(cmbGasto);
    ZAL_BIND(txtCantidad);
    ZAL_BIND(lblUnitario);
    ZAL_BIND(txtUnitario);
    ZAL_BIND(lblTotal);
    ZAL_BIND(txtCalculos);
    ZAL_BIND(cmdLimpiar);
    ZAL_BIND(cmdGrabar);
    ZAL_BIND(cmdBorrar);
    ZAL_BIND(cmdImprime);
    ZAL_BIND(cmdSalir);
    ZAL_BIND(grdDetalle);
    ZAL_BIND(txtTotfac);
    ZAL_BIND(txtEKO);
    ZAL_BIND(dtContribuyente);
    ZAL_BIND(dtDetalle);
    ZAL_BIND(dtEnc);
    ZAL_BIND(dtGastos);
    ZAL_BIND(dtProvee);
    ZAL_BIND(Stat);
#undef ZAL_BIND

    setMdiChild(true);
    cmdImprime->setVisible(false);
    for (ui::DataControl* d : {dtContribuyente, dtDetalle, dtEnc, dtGastos, dtProvee})
        d->setVisible(false);

    dtContribuyente->setRecordSource(QStringLiteral("Contribuyentes"));
    dtEnc->setRecordSource(QStringLiteral("SELECT [Planilla_Enc].* FROM  [Planilla_Enc];"));
    dtGastos->setRecordSource(QStringLiteral("SELECT * FROM Gastos Order By Descripcion;"));
    dtProvee->setRecordSource(QStringLiteral("Proveedores"));
    dtDetalle->setRecordSource(detailQuery(variant(), QVariant()));

    cmbContrib->setRowSource(dtContribuyente);
    cmbContrib->setListField(QStringLiteral("Nit"));
    cmbContrib->setBoundColumn(QStringLiteral("No"));
    cmbProvee->setRowSource(dtProvee);
    cmbProvee->setListField(QStringLiteral("Nit"));
    cmbProvee->setBoundColumn(QStringLiteral("Nit"));
    cmbNProvee->setRowSource(dtProvee);
    cmbNProvee->setListField(QStringLiteral("Nombre"));
    cmbNProvee->setBoundColumn(QStringLiteral("Nit"));
    cmbGasto->setRowSource(dtGastos);
    cmbGasto->setListField(QStringLiteral("Descripcion"));
    cmbGasto->setBoundColumn(QStringLiteral("Codigo"));

    txtFecha->setPromptChar(QLatin1Char(' '));
    txtFecha->setMask(kDateMask);
    txtFecha->setMaxLength(10);
    for (ui::MaskedBox* box : {txtCantidad, txtUnitario, txtCalculos})
        box->setFormat(kAmountFormat);
    txtCantidad->setMaxLength(13);
    txtUnitario->setMaxLength(10);
    txtSerie->setMaxLength(10);
    txtDoc->setMaxLength(20);

    // Every box shows its longest text whole.
    cmbContrib->lineEdit()->setMaxLength(14);
    cmbProvee->lineEdit()->setMaxLength(15);   // the 15th character is refused with a message
    ui::fitToChars(cmbContrib, 14, false);
    ui::fitToChars(cmbProvee, 15, false);
    ui::fitToChars(cmbNProvee, 50);   // a supplier's name as the catalogue keeps it
    ui::fitToChars(cmbTipo, 22);
    ui::fitToChars(cmbGasto, 60);     // an expense type's description
    txtCalculos->setMaxLength(13);
    ui::fitToMaxLength(this);
    // Amounts show formatted: the longest typed amount with its thousands separators.
    ui::fitToChars(txtCantidad, 16, false);   // 9999999999.99 shows as 9,999,999,999.99
    ui::fitToChars(txtCalculos, 16, false);
    ui::fitToChars(txtUnitario, 12, false);   // 9999999.99 shows as 9,999,999.99
    ui::fitToChars(txtTotfac, 14, false);
    ui::fitToChars(txtEKO, 14, false);
    // Names (90 and 85 characters) show 66 at the form's smallest, where the form still fits a
    // 1280×800 screen's room; they grow with the window.
    ui::fitToChars(txtNombre, 66);
    ui::fitToChars(txtNitPat, 14, false);
    ui::fitToChars(txtNomPat, 66);

    grdDetalle->setDataSource(dtDetalle);
    grdDetalle->setCaption(QStringLiteral("LISTADO DE DOCUMENTOS..."));
    grdDetalle->addColumn(QStringLiteral("Nit Prov."), QStringLiteral("Provee"));
    grdDetalle->addColumn(QStringLiteral("Nombre Proveedor"), QStringLiteral("Nombre"));
    grdDetalle->addColumn(QStringLiteral("Fecha"), QStringLiteral("Fecha"), QStringLiteral("Short Date"));
    grdDetalle->addColumn(QStringLiteral("Tipo"), QStringLiteral("DisTipo"));
    grdDetalle->addColumn(QStringLiteral("Serie"), QStringLiteral("Serie"));
    grdDetalle->addColumn(QStringLiteral("No. Docto."), QStringLiteral("NoDoc"));
    grdDetalle->addColumn(QStringLiteral("Valor"), QStringLiteral("Monto"), variant().gridAmountFormat);
    grdDetalle->setAutoResize(false);
    sizeGridColumns();

    Stat->panel(1).setStyle(ui::StatusPanel::Style::Date);
    Stat->panel(2).setStyle(ui::StatusPanel::Style::Time);
    Stat->panel(3).setText(QString());

    WorksheetControls c;
    c.dtDetalle = dtDetalle;
    c.dtEnc = dtEnc;
    c.grdDetalle = grdDetalle;
    c.txtTotfac = txtTotfac;
    c.txtEKO = txtEKO;
    c.cmbContrib = cmbContrib;
    c.taxpayerBoxes = {txtNombre, txtDireccion, txtNitPat, txtNomPat};
    c.cmbProvee = cmbProvee;
    c.cmbNProvee = cmbNProvee;
    c.txtSerie = txtSerie;
    c.txtDoc = txtDoc;
    c.txtFecha = txtFecha;
    c.cmbGasto = cmbGasto;
    c.txtCantidad = txtCantidad;
    c.txtUnitario = txtUnitario;
    c.txtCalculos = txtCalculos;
    c.fuelControls = {lblUnitario, txtUnitario, lblTotal, txtCalculos};
    setUpWorksheet(c);
    showFuel(false);
    lblSerie->setVisible(false);
    txtSerie->setVisible(false);
    refuseControlCharacters(this);

    // Buttons.
    onClick(cmdLimpiar, [this] { cmdLimpiar_Click(); });
    onGotFocus(cmdLimpiar, [this] { cmdLimpiar_GotFocus(); });
    onLostFocus(cmdLimpiar, [this] { cmdLimpiar_LostFocus(); });
    onClick(cmdSalir, [this] { cmdSalir_Click(); });
    onClick(cmdGrabar, [this] { cmdGrabar_Click(); });
    onClick(cmdBorrar, [this] { cmdBorrar_Click(); });
    onClick(cmdImprime, [this] { cmdImprime_Click(); });

    // Taxpayer.
    onKeyPress(cmbContrib, [this](int& k) { cmbContrib_KeyPress(k); });
    onClick(cmbContrib, [this] { int k = 13; cmbContrib_KeyPress(k); });
    onGotFocus(cmbContrib, [this] { prompt(QStringLiteral("Seleccione su nit(Persona que declara)...")); });
    onLostFocus(cmbContrib, [this] { prompt(QString()); });

    // Supplier.
    onChange(cmbProvee, [this] { cmbProvee_Change(); });
    onKeyPress(cmbProvee, [this](int& k) { cmbProvee_KeyPress(k); });
    onClick(cmbProvee, [this] { int k = 13; cmbProvee_KeyPress(k); });
    onGotFocus(cmbProvee, [this] { cmbProvee_GotFocus(); });
    onLostFocus(cmbProvee, [this] { prompt(QString()); });
    onKeyPress(cmbNProvee, [this](int& k) { cmbNProvee_KeyPress(k); });
    onClick(cmbNProvee, [this] { int k = 13; cmbNProvee_KeyPress(k); });
    onGotFocus(cmbNProvee, [this] { cmbNProvee_GotFocus(); });
    onLostFocus(cmbNProvee, [this] { cmbNProvee_LostFocus(); });

    // Document.
    onClick(cmbTipo, [this] { cmbTipo_Click(); });
    onKeyPress(cmbTipo, [this](int& k) { if (k == 13) { k = 0; cmbTipo_Click(); } });
    onGotFocus(cmbTipo, [this] { cmbTipo_GotFocus(); });
    onLostFocus(cmbTipo, [this] { prompt(QString()); });
    onGotFocus(txtSerie, [this] {
        prompt(QStringLiteral("Ingrese la serie de la Factura que ingresara(sin guiones o espacios en blanco)..."));
    });
    onKeyPress(txtSerie, [this](int& k) { if (k == 13) { k = 0; SetFocus(txtDoc); } });
    onLostFocus(txtSerie, [this] { txtSerie_LostFocus(); });
    onChange(txtDoc, [this] { txtDoc_Change(); });
    onGotFocus(txtDoc, [this] { txtDoc_GotFocus(); });
    onKeyPress(txtDoc, [this](int& k) { txtDoc_KeyPress(k); });
    onLostFocus(txtDoc, [this] { prompt(QString()); });
    onGotFocus(txtFecha, [this] { txtFecha_GotFocus(); });
    onKeyPress(txtFecha, [this](int& k) { txtFecha_KeyPress(k); });
    onLostFocus(txtFecha, [this] { txtFecha_LostFocus(); });

    // Expense type and amounts.
    onClick(cmbGasto, [this] { cmbGasto_Click(); });
    onKeyPress(cmbGasto, [this](int& k) { if (k == 13) { k = 0; cmbGasto_Click(); } });
    onGotFocus(cmbGasto, [this] { cmbGasto_GotFocus(); });
    onLostFocus(cmbGasto, [this] { cmbGasto_LostFocus(); });
    onChange(cmbGasto, [this] { updateAmountWithoutTax(); });
    onChange(txtCantidad, [this] { txtCantidad_Change(); });
    onGotFocus(txtCantidad, [this] { txtCantidad_GotFocus(); });
    onKeyPress(txtCantidad, [this](int& k) { txtCantidad_KeyPress(k); });
    onLostFocus(txtCantidad, [this] { txtCantidad_LostFocus(); });
    onChange(txtUnitario, [this] { txtUnitario_Change(); });
    onKeyPress(txtUnitario, [this](int& k) { txtUnitario_KeyPress(k); });
    onLostFocus(txtUnitario, [this] { txtUnitario_LostFocus(); });
    onLostFocus(txtCalculos, [this] { txtCalculos_LostFocus(); });

    onDblClick(grdDetalle, [this] { grdDetalle_DblClick(); });
}

frmPlanillas::~frmPlanillas() = default;

void frmPlanillas::prompt(const QString& text)
{
    Stat->panel(3).setText(text);
}

void frmPlanillas::sizeGridColumns()
{
    // Fixed widths, by characters of the usual contents: measuring every cell of a long
    // worksheet on each re-read would cost more than the read itself.
    const int chars[] = {11, 24, 12, 23, 7, 12, 11};
    if (grdDetalle->columnCount() < 7)
        grdDetalle->setColumnCount(7);
    const int ch = grdDetalle->fontMetrics().averageCharWidth();
    for (int i = 0; i < 7; ++i)
        grdDetalle->setColumnWidth(i, ch * chars[i] + 8);
}

// ---- Life cycle ----

void frmPlanillas::Form_Load()
{
    for (ui::DataControl* d : {dtContribuyente, dtDetalle, dtEnc, dtGastos, dtProvee}) {
        d->setDatabaseName(Biblio::gBaseDatos.toString());
        d->setConnect(QStringLiteral(";PWD=MIRVOSK"));
    }
    Biblio::gPeriodo = Biblio::LeeConfiguracion(QStringLiteral("DefaultPer"));
    lblActual->setText(Biblio::gPeriodo.isEmpty()
                           ? QStringLiteral("Período Actual: < Ninguno >")
                           : QStringLiteral("Período Actual: ") + Biblio::gPeriodoDel + QStringLiteral(" - ")
                               + Biblio::gPeriodoAl);
    UltimaColumna = 999;
    Biblio::gNitProveedor.clear();
    Biblio::gProveedorNuevo = false;
    Biblio::gPlanillaAbierta = true;
    CargaTiposDoc();
    for (ui::DataControl* d : {dtContribuyente, dtEnc, dtGastos, dtProvee}) {
        try {
            d->Refresh();
        } catch (const db::DbError&) {
        }
    }
    try {
        setDetalle(detailQuery(variant(), QVariant()));
    } catch (const db::DbError&) {
    }
    if (variant().totalsShownAtLoad) {
        txtTotfac->setText(shownAmount(0));
        txtEKO->setText(shownAmount(0));
    }
}

void frmPlanillas::Form_Activate()
{
    ui::setMousePointer(ui::vbDefault);
    for (ui::DataControl* d : {dtProvee, dtContribuyente, dtGastos}) {
        try {
            d->Recordset().requery();
            d->UpdateControls();
        } catch (const db::DbError&) {
        }
    }
    if (!ContribAnterior.trimmed().isEmpty())
        cmbContrib->setBoundText(ContribAnterior);
    if (Biblio::gProveedorNuevo)
        takeNewSupplier();
    lockMenus(false);
}

void frmPlanillas::takeNewSupplier()
{
    cmbProvee->setText(Biblio::gNitProveedor);
    Biblio::gNitProveedor.clear();
    Biblio::gProveedorNuevo = false;
    int k = 13;
    cmbProvee_KeyPress(k);
}

void frmPlanillas::Form_Deactivate()
{
    cmbProvee->setBoundText(QString());
    LimpiaDet(1);
    if (!cmbContrib->BoundText().isEmpty())
        ContribAnterior = cmbContrib->BoundText();
}

void frmPlanillas::Form_Unload(int& Cancel)
{
    Q_UNUSED(Cancel);
    lockMenus(true);
    // The entry form and the print form may both be open: the hand-off flag stays on while
    // the other one still is, or a supplier created for the entry form would be dropped.
    Biblio::gPlanillaAbierta = Biblio::worksheetFormOpen(this);
}

void frmPlanillas::cmdLimpiar_Click()
{
    LimpiaDet(0);
}

void frmPlanillas::cmdLimpiar_GotFocus()
{
    LimpiarConFoco = true;
}

void frmPlanillas::cmdLimpiar_LostFocus()
{
    LimpiarConFoco = false;
}

void frmPlanillas::fullClearFocus()
{
    SetFocus(cmbContrib);
}

void frmPlanillas::cmdSalir_Click()
{
    Unload();
}

// ---- Print ----

void frmPlanillas::cmdImprime_Click()
{
    printShown(worksheetPrint());
}

void frmPlanillas::printShown(const printing::WorksheetPrint& print)
{
    printing::printWorksheet(rptImprime, print);
}

printing::WorksheetPrint frmPlanillas::worksheetPrint() const
{
    printing::WorksheetPrint print;
    print.taxpayerText = cmbContrib->Text();
    // The worksheet shown prints, with the name shown; a taxpayer whose lookup found no worksheet
    // has none to print.
    if (!headerNo().isNull())
        print.headerNo = headerNo().toLongLong();
    print.name = txtNombre->text();
    print.periodDel = Biblio::gPeriodoDel;
    print.periodAl = Biblio::gPeriodoAl;
    print.databasePath = Biblio::gBaseDatos.toString();
    print.credit = txtEKO->text();
    return print;
}

// ---- Document types ----

void frmPlanillas::CargaTiposDoc()
{
    cmbTipo->clear();
    for (const DocType& t : documentTypes(Biblio::gPeriodoNo))
        cmbTipo->addItem(t.name, t.code);
    cmbTipo->setCurrentIndex(-1);
}

int frmPlanillas::tipoCode() const
{
    return cmbTipo->currentIndex() < 0 ? -1 : cmbTipo->currentData().toInt();
}

// ---- Taxpayer and supplier ----

void frmPlanillas::cmbContrib_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    if (!takeTaxpayer())
        return;
    // A valid tax id that is no taxpayer's: the older forms end here, silently, with the
    // worksheet shown before still in the grid.
    if (variant().unknownTaxpayerStops && cmbContrib->BoundText().isEmpty())
        return;
    Encuentra(cmbContrib->BoundText());
    SetFocus(cmbProvee);
}

bool frmPlanillas::takeTaxpayer()
{
    const QString text = cmbContrib->Text();
    if (text.trimmed().isEmpty()) {
        info(kNoNit, kPlanilla);
        SetFocus(cmbContrib);
        return false;
    }
    if (!Biblio::ValidaNit(text)) {
        info(kBadNit, kPlanilla);
        SetFocus(cmbContrib);
        return false;
    }
    LimpiaDet(1);
    try {
        db::Recordset rs = dtContribuyente->Recordset();
        rs.findFirst(QStringLiteral("[Nit] = ") + db::quoteLiteral(text));
        if (!rs.noMatch()) {
            const auto f = [&](const char* name) { return orEmpty(rs.field(QString::fromLatin1(name))); };
            ui::setTextFromStart(txtNombre, f("Nombre"));
            ui::setTextFromStart(txtDireccion, f("Calle") + QStringLiteral(" ") + f("Casa") + QStringLiteral(" Z. ")
                                                   + f("Zona") + QStringLiteral(" ") + f("ColoniaB"));
            txtNitPat->setText(f("NPat"));
            ui::setTextFromStart(txtNomPat, f("NomPat"));
        }
    } catch (const db::DbError& e) {
        if (e.number() != db::err::NoCurrentRecord)
            return false;
    }
    return true;
}

void frmPlanillas::cmbProvee_Change()
{
    const QString text = cmbProvee->Text();
    if (text.size() >= 15) {
        ui::MsgBox(QStringLiteral("El Nit nom puede ser mayor de 14 posiciones..."), ui::vbInformation);
        cmbProvee->setText(text.left(text.size() - 1));
        SetFocus(cmbProvee);
    }
    cmbNProvee->setBoundText(QString());
    LimpiaDet(2);
}

void frmPlanillas::cmbProvee_KeyPress(int& KeyAscii)
{
    if (KeyAscii == 45) {
        KeyAscii = 0;
        return;
    }
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    catalogueAsked_ = false;
    const QString text = cmbProvee->Text();
    if (text.trimmed().isEmpty() || (basic::IsNumeric(text) && basic::Val(text) == 0)) {
        info(kNoNit, kPlanilla);
        SetFocus(cmbProvee);
        return;
    }
    cmbProvee->setText(Biblio::QuitaCerosIzquierda(text));
    if (!Biblio::ValidaNit(cmbProvee->Text())) {
        info(kBadNit, kPlanilla);
        SetFocus(cmbProvee);
        return;
    }
    ProveedorNoExiste = false;
    LimpiaDet(2);
    EncProveedor();
    if (ProveedorNoExiste)
        return;
    if (cmbProvee->BoundText().trimmed().isEmpty()) {
        SetFocus(cmbNProvee);
    } else {
        cmbNProvee->setBoundText(cmbProvee->BoundText());
        SetFocus(cmbTipo);
    }
}

void frmPlanillas::EncProveedor()
{
    const QString text = cmbProvee->Text();
    if (text.isEmpty())
        return;
    bool found = false;
    try {
        db::Recordset rs = dtProvee->Recordset();
        rs.findFirst(QStringLiteral("[Nit] = ") + db::quoteLiteral(text));
        found = !rs.noMatch();
    } catch (const db::DbError&) {
    }
    if (found) {
        cmbNProvee->setBoundText(cmbProvee->BoundText());
        SetFocus(cmbTipo);
        return;
    }
    ProveedorNoExiste = true;
    if (ui::MsgBox(QStringLiteral(" Este proveedor no existe desea crearlo??"), ui::vbYesNo | ui::vbQuestion, kZal)
        == ui::vbYes) {
        Biblio::gNitProveedor = text;
        Biblio::gProveedorNuevo = false;
        catalogueAsked_ = true;
        frmProveedor* f = MDIMenu::showForm<frmProveedor>();
        f->cmbNit->setText(text);
        int k = 13;
        f->cmbNit_KeyPress(k);
        f->activateWindow();
    } else {
        LimpiaDet(1);
    }
}

void frmPlanillas::cmbProvee_GotFocus()
{
    if (cmbContrib->BoundText().isEmpty()) {
        refuse(cmbContrib, kNoTaxpayer);
        return;
    }
    if (txtNombre->text().isEmpty()) {
        int k = 13;
        cmbContrib_KeyPress(k);
    }
    if (cmbProvee->BoundText().isEmpty() && cmbNProvee->BoundText().isEmpty()) {
        const QString text = cmbProvee->Text();
        try {
            dtProvee->setRecordSource(QStringLiteral("SELECT * FROM Proveedores Order By [Nit];"));
            dtProvee->Refresh();
        } catch (const db::DbError&) {
        }
        if (cmbProvee->Text() != text)
            cmbProvee->setText(text);
    }
    prompt(QStringLiteral("Seleccione/Ingrese el nit de su proveedor(sin guiones o espacios en blanco)..."));
}

void frmPlanillas::cmbNProvee_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    LimpiaDet(2);
    const QString nit = cmbNProvee->BoundText();
    if (nit.isEmpty()) {
        info(QStringLiteral(" Debe seleccionar un Proveedor válido..."), QStringLiteral(" Sistema Dravo..."));
        SetFocus(cmbNProvee);
        return;
    }
    cmbProvee->setBoundText(nit);
    int k = 13;
    cmbProvee_KeyPress(k);
    SetFocus(cmbTipo);
}

void frmPlanillas::cmbNProvee_GotFocus()
{
    if (cmbNProvee->BoundText() != cmbProvee->BoundText()) {
        int k = 13;
        cmbProvee_KeyPress(k);
    }
    if (!cmbProvee->BoundText().isEmpty())
        cmbNProvee->setBoundText(cmbProvee->BoundText());
    if (cmbProvee->BoundText().isEmpty() && cmbNProvee->BoundText().isEmpty()) {
        try {
            dtProvee->setRecordSource(QStringLiteral("SELECT * FROM Proveedores Order By [Nombre];"));
            dtProvee->Refresh();
        } catch (const db::DbError&) {
        }
    }
    prompt(QStringLiteral("Seleccione el nombre su proveedor..."));
}

void frmPlanillas::cmbNProvee_LostFocus()
{
    if (cmbProvee->BoundText().isEmpty() && !cmbNProvee->BoundText().isEmpty()) {
        int k = 13;
        cmbNProvee_KeyPress(k);
    }
    prompt(QString());
}

// ---- Document fields ----

void frmPlanillas::cmbTipo_GotFocus()
{
    if (cmbProvee->BoundText().isEmpty()) {
        if (cmbProvee->Text().trimmed().isEmpty()) {
            refuse(cmbProvee, kNoSupplier);
            return;
        }
    }
    if (cmbNProvee->Text().isEmpty() || cmbNProvee->BoundText().isEmpty()
        || cmbNProvee->BoundText() != cmbProvee->BoundText()) {
        if (cmbNProvee->BoundText().isEmpty()) {
            const QString text = cmbProvee->Text();
            try {
                dtProvee->Recordset().requery();
                dtProvee->UpdateControls();
            } catch (const db::DbError&) {
            }
            if (cmbProvee->Text() != text)
                cmbProvee->setText(text);
            int k = 13;
            cmbProvee_KeyPress(k);
            // Still no name: the name box's Enter says so, unless the supplier is being created
            // in the catalogue, which has the focus now.
            if (cmbNProvee->Text().trimmed().isEmpty() && !catalogueAsked_) {
                cmbNProvee->setBoundText(cmbProvee->Text());
                int k2 = 13;
                cmbNProvee_KeyPress(k2);
            }
        } else if (cmbNProvee->BoundText() != cmbProvee->BoundText()) {
            cmbProvee->setBoundText(cmbNProvee->BoundText());
        }
    }
    prompt(QStringLiteral("Seleccione el tipo de doc. que ingresara..."));
}

void frmPlanillas::cmbTipo_Click()
{
    const QString text = cmbTipo->currentText();
    if (text.isEmpty()) {
        info(kNoType, kZal);
        SetFocus(cmbTipo);
        return;
    }
    LimpiaDet(4);
    const bool serie = carriesSeries(variant(), tipoCode());
    lblSerie->setVisible(serie);
    txtSerie->setVisible(serie);
    SetFocus(serie ? static_cast<QWidget*>(txtSerie) : txtDoc);
}

void frmPlanillas::txtSerie_LostFocus()
{
    if (!txtSerie->text().isEmpty())
        txtSerie->setText(txtSerie->text().toUpper());
    prompt(QString());
}

void frmPlanillas::txtDoc_Change()
{
    LimpiaDet(3);
}

void frmPlanillas::txtDoc_GotFocus()
{
    if (!guardSupplierAndType())
        return;
    if (cmbNProvee->BoundText().isEmpty())
        cmbNProvee->setBoundText(cmbProvee->BoundText());
    else if (cmbNProvee->BoundText() != cmbProvee->BoundText())
        cmbProvee->setBoundText(cmbNProvee->BoundText());
    DocConfirmado = false;
    prompt(QStringLiteral("Ingrese el No. de Docto. que desea ingresar..."));
}

void frmPlanillas::txtDoc_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    DocConfirmado = true;
    const QString text = txtDoc->text();
    if (text.trimmed().isEmpty() || !basic::IsNumeric(text)) {
        info(QStringLiteral(" Debe ingresar un Número de Documento válido..."), kZal);
        SetFocus(txtDoc);
        return;
    }
    EncProvee();
    SetFocus(txtFecha);
}

void frmPlanillas::txtFecha_GotFocus()
{
    if (!DocConfirmado && !LimpiarConFoco) {
        int k = 13;
        txtDoc_KeyPress(k);
    }
    prompt(QStringLiteral("Ingrese la fecha del documento en la forma de dd/mm/aaaa..."));
}

void frmPlanillas::txtFecha_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    const QString text = txtFecha->Text();
    if (Biblio::FechaInvalida(text)) {
        info(QStringLiteral(" Debe ingresar una Fecha lógica..."), kZal);
    } else {
        txtFecha->setText(basic::Format(text, QStringLiteral("dd/mm/yyyy")));
        if (dateInPeriod(txtFecha->Text(), Biblio::gPeriodoDel, Biblio::gPeriodoAl)) {
            SetFocus(cmbGasto);
            return;
        }
        ui::MsgBox(rangeMessage(Biblio::gPeriodoDel, Biblio::gPeriodoAl), ui::vbInformation);
    }
    if (variant().emptiesRefusedDate)
        clearDate();
    SetFocus(txtFecha);
}

void frmPlanillas::txtFecha_LostFocus()
{
    const QString text = txtFecha->Text();
    if (!Biblio::FechaInvalida(text)) {
        const QString formatted = basic::Format(text, QStringLiteral("dd/mm/yyyy"));
        if (formatted != text)
            txtFecha->setText(formatted);
    }
    prompt(QString());
}

// ---- Expense type and amounts ----

bool frmPlanillas::isFuelExpense() const
{
    return isFuel(variant(), cmbGasto->Text());
}

bool frmPlanillas::guardSupplierAndType()
{
    if (cmbProvee->BoundText().isEmpty()) {
        refuse(cmbProvee, kNoSupplier);
        return false;
    }
    if (cmbTipo->currentText().isEmpty()) {
        refuse(cmbTipo, kNoType, kZal);
        return false;
    }
    return true;
}

bool frmPlanillas::guardThroughDate()
{
    if (!guardSupplierAndType())
        return false;
    if (txtDoc->text().isEmpty()) {
        refuse(txtDoc, QStringLiteral(" Debe ingresar un No. Documento válido..."), kZal);
        return false;
    }
    if (!dateInPeriod(txtFecha->Text(), Biblio::gPeriodoDel, Biblio::gPeriodoAl)) {
        refuse(txtFecha, rangeMessage(Biblio::gPeriodoDel, Biblio::gPeriodoAl));
        return false;
    }
    return true;
}

void frmPlanillas::cmbGasto_GotFocus()
{
    if (guardThroughDate())
        prompt(QStringLiteral("Seleccione el tipo de gasto del docto.(Si no aparece creelo sin salirse de esta pantalla "
                              "y vuelva a posicionarse en esta pantalla)"));
}

void frmPlanillas::cmbGasto_Click()
{
    const QString code = cmbGasto->BoundText();
    if (code.isEmpty()) {
        info(kNoExpense, kZal);
        SetFocus(cmbGasto);
        return;
    }
    showExpenseRow();
    if (variant().expenseShowsFuel)
        showFuel(isFuelExpense());
    SetFocus(txtCantidad);
}

void frmPlanillas::showExpenseRow()
{
    // The box shows the row's own description, so a fuel typed in another letter case is
    // recognised as the fuel it selects, however the box is left.
    const QString code = cmbGasto->BoundText();
    if (!code.isEmpty())
        cmbGasto->setBoundText(code);
}

void frmPlanillas::cmbGasto_LostFocus()
{
    showExpenseRow();
    prompt(QString());
    if (variant().expenseLeavesToAmount)
        SetFocus(txtCantidad);
}

void frmPlanillas::txtCantidad_GotFocus()
{
    if (!guardThroughDate())
        return;
    if (cmbGasto->BoundText().isEmpty()) {
        refuse(cmbGasto, kNoExpense, kZal);
        return;
    }
    // Where Enter does not lead on to the price, the fuel boxes show on entering the amount.
    if (!variant().amountEnterToPrice && isFuelExpense()) {
        showFuel(true);
        return;
    }
    prompt(QStringLiteral("Ingrese el valor del docto. que ingresará(valido si es mayor de 0.00 )"));
}

void frmPlanillas::txtCantidad_KeyPress(int& KeyAscii)
{
    if (KeyAscii == 27) {
        const QString text = ui::clipboard().GetText();
        if (basic::IsNumeric(text))
            txtCantidad->setText(text);
        KeyAscii = 0;
        return;
    }
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    const auto amount = leadingNumber(txtCantidad->Text());
    if (!amount || *amount <= 0) {
        info(QStringLiteral(" Debe ingresar una cantidad lógica..."), QStringLiteral(" Sistema Dravo..."));
        SetFocus(txtCantidad);
        return;
    }
    if (variant().amountEnterToPrice && isFuelExpense()) {
        showFuel(true);
        SetFocus(txtUnitario);
    } else {
        SetFocus(cmdGrabar);
    }
}

void frmPlanillas::txtCantidad_LostFocus()
{
    if (!variant().amountEnterToPrice) {
        prompt(QString());
        return;
    }
    if (isFuelExpense()) {
        showFuel(true);
        SetFocus(txtUnitario);
    }
}

void frmPlanillas::txtCantidad_Change()
{
    updateAmountWithoutTax();
}

void frmPlanillas::txtUnitario_Change()
{
    updateAmountWithoutTax();
}

void frmPlanillas::updateAmountWithoutTax()
{
    if (!isFuelExpense())
        return;
    const auto amount = readAmount(txtCantidad->Text());
    const auto price = readAmount(txtUnitario->Text());
    if (!amount || !price)
        return;
    // An amount and a price that leave nothing keep the box as it was: the save refuses them.
    if (const auto without = amountWithoutTax(*amount, *price, fuelRate(variant(), cmbGasto->Text()))) {
        const QString text = formatAmount(*without);
        if (txtCalculos->Text() != text)
            txtCalculos->setText(text);
    }
}

void frmPlanillas::txtUnitario_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13 || variant().priceBox != Variant::PriceBox::Checked)
        return;
    KeyAscii = 0;
    CalculaCombustible();
}

void frmPlanillas::txtUnitario_LostFocus()
{
    if (variant().priceBox == Variant::PriceBox::Checked)
        CalculaCombustible();
    else
        quietFuelTotal();
}

void frmPlanillas::txtCalculos_LostFocus()
{
    if (variant().priceBox == Variant::PriceBox::Checked)
        SetFocus(cmdGrabar);
}

void frmPlanillas::quietFuelTotal()
{
    if (txtCantidad->Text().isEmpty() || txtUnitario->Text().isEmpty())
        return;
    // The total has followed the amount and the price; a price of 0 (or any other that leaves
    // nothing) left it as it was. Amounts that read are shown formatted, others as typed.
    updateAmountWithoutTax();
    for (ui::MaskedBox* box : {txtCalculos, txtUnitario})
        if (const auto value = readAmount(box->Text()); value && box->Text() != formatAmount(*value))
            box->setText(formatAmount(*value));
    SetFocus(cmdGrabar);
}

void frmPlanillas::CalculaCombustible()
{
    const auto amount = readAmount(txtCantidad->Text());
    if (txtCantidad->Text().trimmed().isEmpty() || !amount) {
        info(kNumeric, kZal);
        SetFocus(txtCantidad);
        txtCantidad->setText(QString());
        return;
    }
    const auto price = readAmount(txtUnitario->Text());
    const double rate = fuelRate(variant(), cmbGasto->Text());
    const auto without = price ? amountWithoutTax(*amount, *price, rate) : std::nullopt;
    // A price at or below the fuel's rate, or an amount too small for the tax of its gallons,
    // would leave nothing (or less) without the tax.
    if (txtUnitario->Text().trimmed().isEmpty() || !price || (isFuelExpense() && !without)) {
        info(kNumeric, kZal);
        SetFocus(txtUnitario);
        txtUnitario->setText(QString());
        return;
    }
    if (without)
        txtCalculos->setText(formatAmount(*without));
    txtUnitario->setText(formatAmount(*price));
    SetFocus(cmdGrabar);
}

// ---- Loading a stored document ----

void frmPlanillas::loadStoredAmounts(const QVariant& fecha, const QVariant& gasto, const QVariant& monto,
                                     const QVariant& galon)
{
    txtFecha->setMask(QString());
    txtFecha->setText(basic::Format(fecha, QStringLiteral("dd/mm/yyyy")));
    txtFecha->setMask(kDateMask);
    cmbGasto->setBoundText(orEmpty(gasto));
    const double m = monto.isNull() ? 0 : monto.toDouble();
    // Only a form that keeps the price per gallon can show the amount paid of a fuel row.
    if (variant().keepsGalon && isFuelExpense()) {
        showFuel(true);
        txtUnitario->setText(galon.isNull() ? QString() : formatAmount(galon.toDouble()));
        // A price missing or at or below the rate has no amount paid: the stored amount shows.
        const auto paid = amountPaid(m, galon, fuelRate(variant(), cmbGasto->Text()));
        txtCantidad->setText(formatAmount(paid.value_or(m)));
        // Last: the stored amount without the tax, not the one worked back from the rounded
        // amount paid.
        txtCalculos->setText(formatAmount(m));
    } else {
        txtCantidad->setText(formatAmount(m));
        ui::clipboard().Clear();
        ui::clipboard().SetText(txtCantidad->Text());
    }
}

QVariant frmPlanillas::galonOf(db::Recordset rs) const
{
    // The older forms' detail query does not read the price per gallon.
    return variant().keepsGalon ? rs.field(QStringLiteral("Galon")) : QVariant();
}

void frmPlanillas::EncProvee()
{
    try {
        db::Recordset rs = dtDetalle->Recordset();
        const DocumentKey key {headerNo(), cmbProvee->Text(), tipoCode(), txtSerie->text(), txtDoc->text()};
        if (rs.isOpen() && findDocument(rs, variant(), key)) {
            loadStoredAmounts(rs.field(QStringLiteral("Fecha")), rs.field(QStringLiteral("Gasto")),
                              rs.field(QStringLiteral("Monto")), galonOf(rs));
            return;
        }
        db::Recordset prov = dtProvee->Recordset();
        prov.findFirst(QStringLiteral("[Nit] = ") + db::quoteLiteral(cmbProvee->BoundText()));
        if (!prov.noMatch()) {
            cmbNProvee->setBoundText(cmbProvee->BoundText());
            SetFocus(cmbTipo);
        }
    } catch (const db::DbError& e) {
        ui::MsgBox(QString::number(e.number()) + QStringLiteral(" : ") + e.description(), ui::vbOKOnly);
    }
}

void frmPlanillas::grdDetalle_DblClick()
{
    try {
        db::Recordset rs = dtDetalle->Recordset();
        if (rs.isOpen() && !rs.eof() && !rs.bof()) {
            const QVariant secuencia = rs.field(QStringLiteral("Secuencia"));
            rs.findFirst(QStringLiteral("[Secuencia] = ") + basic::CStr(secuencia));
            if (!rs.noMatch()) {
                const QString provee = orEmpty(rs.field(QStringLiteral("Provee")));
                const int tipo = int(basic::Val(orEmpty(rs.field(QStringLiteral("Tipo")))));
                const QString serie = orEmpty(rs.field(QStringLiteral("Serie")));
                const QString noDoc = orEmpty(rs.field(QStringLiteral("NoDoc")));
                const QVariant fecha = rs.field(QStringLiteral("Fecha"));
                const QVariant gasto = rs.field(QStringLiteral("Gasto"));
                const QVariant monto = rs.field(QStringLiteral("Monto"));
                const QVariant galon = galonOf(rs);
                cmbProvee->setText(provee);
                cmbNProvee->setBoundText(provee);
                const int index = cmbTipo->findData(tipo);
                if (index >= 0 && index != cmbTipo->currentIndex()) {
                    cmbTipo->setCurrentIndex(index);
                    cmbTipo_Click();
                }
                // The fuel boxes shown here stay only while the number below leaves the number
                // box as it was: a new number clears the fields after it and hides them.
                if (variant().gridFuel == Variant::GridFuel::ByCode && isFuelCode(gasto))
                    showFuel(true);
                txtSerie->setText(serie);
                txtDoc->setText(noDoc);
                loadStoredAmounts(fecha, gasto, monto, galon);
            }
        }
    } catch (const db::DbError&) {
    } catch (const basic::RuntimeError&) {
    }
    SetFocus(txtFecha);
}

// ---- Save and delete ----

DocumentInput frmPlanillas::input() const
{
    DocumentInput in;
    in.supplierBound = cmbProvee->BoundText();
    in.typeText = cmbTipo->currentText();
    in.typeCode = tipoCode();
    in.serie = txtSerie->text();
    in.doc = txtDoc->text();
    in.fecha = txtFecha->Text();
    in.gastoBound = cmbGasto->BoundText();
    in.gastoText = cmbGasto->Text();
    in.cantidad = txtCantidad->Text();
    in.unitario = txtUnitario->Text();
    in.calculos = txtCalculos->Text();
    in.periodoDel = Biblio::gPeriodoDel;
    in.periodoAl = Biblio::gPeriodoAl;
    return in;
}

QWidget* frmPlanillas::widgetOf(Field field) const
{
    switch (field) {
    case Field::Contribuyente: return cmbContrib;
    case Field::Proveedor: return cmbProvee;
    case Field::Tipo: return cmbTipo;
    case Field::Serie: return txtSerie;
    case Field::Doc: return txtDoc;
    case Field::Fecha: return txtFecha;
    case Field::Gasto: return cmbGasto;
    case Field::Cantidad: return txtCantidad;
    case Field::Unitario: return txtUnitario;
    case Field::Calculos: return txtCalculos;
    }
    return nullptr;
}

void frmPlanillas::report(const CheckFailure& failure)
{
    ui::MsgBox(failure.message, failure.style, failure.title, failure.helpContext);
    QWidget* w = widgetOf(failure.focus);
    if (failure.focus == Field::Unitario || failure.focus == Field::Calculos)
        showFuel(true);   // a fuel typed without Enter has not shown its boxes yet
    SetFocus(w);
    if (failure.clearField)
        if (auto* box = qobject_cast<ui::MaskedBox*>(w))
            box->setText(QString());
}

bool frmPlanillas::taxpayerShown() const
{
    return !loadedTaxpayer().isEmpty() && cmbContrib->BoundText() == loadedTaxpayer();
}

bool frmPlanillas::mayWrite(const std::optional<worksheet::CheckFailure>& failure)
{
    if (failure) {
        report(*failure);
        return false;
    }
    if (!taxpayerShown()) {
        info(kNoTaxpayer, kZal);
        SetFocus(cmbContrib);
        return false;
    }
    return true;
}

void frmPlanillas::cmdGrabar_Click()
{
    const DocumentInput in = input();
    if (!mayWrite(checkSave(variant(), in)))
        return;
    const bool fuel = isFuel(variant(), in.gastoText);
    DocumentValues values;
    values.fecha = basic::CDate(in.fecha);
    values.gasto = in.gastoBound;
    values.monto = storedAmount(variant(), in).value_or(0);
    if (fuel)
        values.galon = *readAmount(in.unitario);

    ui::setMousePointer(ui::vbHourglass);
    db::Recordset det = dtDetalle->Recordset();
    try {
        db::Recordset enc = dtEnc->Recordset();
        // Headers are never deleted: one the header record set already stands on needs no new
        // search through every header of the file.
        const bool known = standsOnHeader(enc, headerNo_, loadedTaxpayer(), Biblio::gPeriodo);
        if (!known)
            enc.requery();
        if (known || findHeader(enc, loadedTaxpayer(), Biblio::gPeriodo)) {
            headerNo_ = enc.field(QStringLiteral("No"));
        } else {
            headerNo_ = createHeader(enc, loadedTaxpayer(), Biblio::gPeriodo);
            setDetalle(detailQuery(variant(), headerNo_));
            Gogo(true);
        }
        det = dtDetalle->Recordset();
        const DocumentKey key {headerNo_, cmbProvee->Text(), in.typeCode, in.serie, in.doc};
        writeDocument(det, variant(), key, values);
        ProveedorAnterior = cmbProvee->Text();
        Gogo(true);
        LimpiaDet(1);
        if (!ProveedorAnterior.trimmed().isEmpty())
            cmbProvee->setText(ProveedorAnterior);
        SetFocus(cmbProvee);
        ui::setMousePointer(ui::vbDefault);
    } catch (const db::DbError& e) {
        try {
            if (det.isOpen() && det.editMode() != db::EditMode::None)
                det.cancelUpdate();
        } catch (const db::DbError&) {
        }
        ui::setMousePointer(ui::vbDefault);
        if (e.number() == db::err::FieldTooSmall)
            ui::MsgBox(QStringLiteral(" Usted esta utilizando una version de software actualizada \r\n"
                                      " con una base de datos desactualizada.\r\n"
                                      " Debe aplicar la actualización correspondiente."),
                       ui::vbInformation);
        else
            ui::MsgBox(QStringLiteral("Error No. ") + QString::number(e.number()) + QStringLiteral(": ") + e.description(),
                       ui::vbCritical);
        LimpiaDet(1);
    }
}

void frmPlanillas::cmdBorrar_Click()
{
    const DocumentInput in = input();
    if (!mayWrite(checkDelete(variant(), in)))
        return;
    const DocumentKey key {headerNo(), cmbProvee->Text(), in.typeCode, in.serie, in.doc};
    try {
        if (deleteDocument(dtDetalle->Recordset(), variant(), key))
            Gogo(true);
    } catch (const db::DbError&) {
        ui::MsgBox(QStringLiteral(" Imposible Borrar el detalle..."), ui::vbCritical, QStringLiteral(" Sistema Dravo"));
        return;
    }
    LimpiaDet(1);
    SetFocus(cmbProvee);
}
