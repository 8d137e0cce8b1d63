#include "income_tax/frm_isr.h"
#include "ui_frm_isr.h"

#include "income_tax/isr_print.h"
#include "platform/report/report_control.h"

#include "core/biblio.h"
#include "core/mdi_menu.h"
#include "platform/basic/basic.h"
#include "platform/db/database.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/masked_box.h"
#include "platform/ui/mouse_pointer.h"
#include "platform/ui/sizing.h"
#include "platform/ui/status_bar.h"

#include <QAction>
#include <QKeyEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace {

const QString kConnect = QStringLiteral(";PWD=MIRVOSK");
const QString kNitTitle = QStringLiteral(" ZAL(Planilla EKO)...");
const QString kNitMissing = QStringLiteral(" Debe ingresar un nit...");
const QString kNitInvalid = QStringLiteral(" Este no es un nit válido...");
const QString kAmountInvalid = QStringLiteral("Debe ingresar una cantidad válida...");
const QString kNameInvalid = QStringLiteral("Debe ingresar un nombre válido...");
const QString kNitTooLong3 = QStringLiteral("El Nit no puede ser mayor de 14 posiciones...");
const QString kNitTooLong4 = QStringLiteral("El Nit nom puede ser mayor de 14 posiciones...");
const QString kRetry = QStringLiteral(
    " Un usuario está escribiendo en este momento en este mismo archivo... Desea usted volver a intentar grabar???");
const QString kAmountFormat = QStringLiteral("##,###,##0.00");
constexpr int kNitLength = 14;
// Characters of a name shown at the form's smallest, where the whole line fits in a 1280×800
// screen's room; the boxes grow with the window to show a taxpayer's name (90) or an employer's
// (85) whole.
constexpr int kTaxpayerNameShown = 80;
constexpr int kEmployerNameShown = 66;

// The stored columns and their boxes, in the order the save writes them (Nit apart).
struct Column {
    const char* name;
    int box;            // the line's box number; 0 for an employer box
    ui::MaskedBox* frmISR::*employer;
};
const Column kColumns[] = {
    {"Cas16", 16, nullptr},   {"Cas17", 17, nullptr}, {"NomPat2", 0, &frmISR::txtNomPat2},
    {"NitPat2", 0, &frmISR::txtNitPat2}, {"Cas18", 18, nullptr}, {"NomPat3", 0, &frmISR::txtNomPat3},
    {"NitPat3", 0, &frmISR::txtNitPat3}, {"Cas19", 19, nullptr}, {"Cas22", 22, nullptr},
    {"Cas23", 23, nullptr},   {"Cas24", 24, nullptr}, {"Cas25", 25, nullptr},
    {"Cas26", 26, nullptr},   {"Cas34", 34, nullptr}, {"Cas36", 36, nullptr},
    {"Cas38", 38, nullptr},
};

// The return's lines: they ask for room to show every line, and scroll when they get less.
class LinesArea : public QScrollArea {
public:
    using QScrollArea::QScrollArea;

    QSize sizeHint() const override
    {
        if (!widget())
            return QScrollArea::sizeHint();
        return widget()->sizeHint() + QSize(verticalScrollBar()->sizeHint().width() + 2 * frameWidth(), 2 * frameWidth());
    }
};

bool isKey(int KeyAscii) { return KeyAscii == 9 || KeyAscii == 13; }

} // namespace

frmISR::frmISR(QWidget* parent)
    : ui::Form(parent), layout_(std::make_unique<Ui::frmISR>()),
      report_(std::make_unique<report::ReportControl>(QStringLiteral("rptImprime")))
{
    layout_->setupUi(this);
    Ui::frmISR& l = *layout_;
    lblNo = l.lblNo;
    cmbContrib = l.cmbContrib;
    txtNombre = l.txtNombre;
    lblActual = l.lblActual;
    txtNomPat1 = l.txtNomPat1;
    txtNitPat1 = l.txtNitPat1;
    txtNomPat2 = l.txtNomPat2;
    txtNitPat2 = l.txtNitPat2;
    txtNomPat3 = l.txtNomPat3;
    txtNitPat3 = l.txtNitPat3;
    casilla16 = l.casilla16;
    casilla17 = l.casilla17;
    casilla18 = l.casilla18;
    casilla19 = l.casilla19;
    casilla20 = l.casilla20;
    casilla21 = l.casilla21;
    casilla22 = l.casilla22;
    casilla23 = l.casilla23;
    casilla24 = l.casilla24;
    casilla25 = l.casilla25;
    casilla26 = l.casilla26;
    casilla27 = l.casilla27;
    casilla28 = l.casilla28;
    casilla33 = l.casilla33;
    casilla34 = l.casilla34;
    casilla36 = l.casilla36;
    casilla38 = l.casilla38;
    casilla39 = l.casilla39;
    dtContribuyente = l.dtContribuyente;
    dtISR = l.dtISR;
    dtEnc = l.dtEnc;
    rptImprime = report_.get();
    Stat = l.Stat;
    cmdGrabar = l.cmdGrabar;
    cmdLimpiar = l.cmdLimpiar;
    cmdBorrar = l.cmdBorrar;
    cmdImprime = l.cmdImprime;
    cmdSalir = l.cmdSalir;

    setMdiChild(true);
    setWindowTitle(QStringLiteral("ISR"));
    lblNo->setText(QStringLiteral("Contribuyente"));
    dtContribuyente->setCaption(QStringLiteral("Contribuyente"));
    dtISR->setCaption(QStringLiteral("casillas"));
    dtEnc->setCaption(QStringLiteral("Encabezado"));
    for (ui::DataControl* data : {dtContribuyente, dtISR, dtEnc})
        data->hide();
    cmbContrib->setRowSource(dtContribuyente);
    cmbContrib->setListField(QStringLiteral("Nit"));
    cmbContrib->setBoundColumn(QStringLiteral("No"));

    // Lines as the computation knows them; the computed ones are written only by it.
    for (int number : income_tax::kCasillasDigitadas)
        casilla(number)->setFormat(kAmountFormat);
    casilla21->setFormat(kAmountFormat);
    for (int number : income_tax::kCasillasCalculadas) {
        casilla(number)->setFormat(kAmountFormat);
        casilla(number)->setFocusPolicy(Qt::NoFocus);
    }
    txtNomPat1->setReadOnly(true);
    txtNitPat1->setReadOnly(true);
    txtNombre->setReadOnly(true);

    // The return's lines scroll when the window is shorter than they are; the taxpayer, the
    // buttons and the status bar stay in view, and a box that takes the focus is scrolled to.
    auto* lines = new QWidget;
    auto* linesLayout = new QVBoxLayout(lines);
    linesLayout->setContentsMargins(0, 0, 0, 0);
    const int at = l.layoutMain->indexOf(l.Frame2);
    for (QWidget* frame : {static_cast<QWidget*>(l.Frame2), static_cast<QWidget*>(l.Frame1)}) {
        l.layoutMain->removeWidget(frame);
        linesLayout->addWidget(frame);
    }
    linesLayout->addStretch();
    scrollLines_ = new LinesArea(this);
    scrollLines_->setObjectName(QStringLiteral("scrollLines"));
    scrollLines_->setFrameShape(QFrame::NoFrame);
    scrollLines_->setWidgetResizable(true);
    scrollLines_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollLines_->setWidget(lines);
    l.layoutMain->insertWidget(at, scrollLines_, 1);
    // The form's base goes on receiving focus changes while it is destroyed: the destructor cuts
    // this one off first.
    scrollToFocus_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && scrollLines_->widget()->isAncestorOf(now))
            scrollLines_->ensureWidgetVisible(now);
    });

    // Tax ids show whole in boxes of their own width; names take the rest of the line.
    ui::fitToChars(cmbContrib, kNitLength, false);
    for (QLineEdit* nit : {static_cast<QLineEdit*>(txtNitPat1), static_cast<QLineEdit*>(txtNitPat2),
                           static_cast<QLineEdit*>(txtNitPat3)})
        ui::fitToChars(nit, kNitLength, false);
    ui::fitToChars(txtNombre, kTaxpayerNameShown);
    for (QLineEdit* name : {static_cast<QLineEdit*>(txtNomPat1), static_cast<QLineEdit*>(txtNomPat2),
                            static_cast<QLineEdit*>(txtNomPat3)})
        ui::fitToChars(name, kEmployerNameShown);
    fitLinesWidth();
    lines->installEventFilter(this);

    Stat->panel(1).setStyle(ui::StatusPanel::Style::Date);
    Stat->panel(2).setStyle(ui::StatusPanel::Style::Time);
    Stat->panel(3).setText(QString());

    cmdGrabar->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    cmdLimpiar->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    cmdBorrar->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    cmdImprime->setIcon(QIcon::fromTheme(QStringLiteral("document-print"),
                                         style()->standardIcon(QStyle::SP_FileDialogContentsView)));
    cmdSalir->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

    onGotFocus(cmbContrib, [this] { cmbContrib_GotFocus(); });
    onLostFocus(cmbContrib, [this] { cmbContrib_LostFocus(); });
    onClick(cmbContrib, [this] { cmbContrib_Click(); });
    onKeyPress(cmbContrib, [this](int& k) { cmbContrib_KeyPress(k); });
    onClick(cmdGrabar, [this] { cmdGrabar_Click(); });
    onClick(cmdLimpiar, [this] { cmdLimpiar_Click(); });
    onClick(cmdImprime, [this] { cmdImprime_Click(); });
    onClick(cmdSalir, [this] { cmdSalir_Click(); });
    onGotFocus(cmdGrabar, [this] { cmdGrabar_GotFocus(); });

    // The entry chain: Enter (or Tab) in a field, and the check made on entering the next one.
    onEnter(casilla16, [this](int& k) { enterAmountMoveFirst(k, casilla16, casilla17); });
    onEnter(casilla17, [this](int& k) { enterAmountMoveFirst(k, casilla17, txtNomPat2); });
    onGotFocus(casilla17, [this] { enteringAfterAmount(casilla16); });
    onEnter(txtNomPat2, [this](int& k) { enterEmployerName(k, txtNomPat2, txtNitPat2); });
    onGotFocus(txtNomPat2, [this] { enteringAfterAmount(casilla17); });
    onEnter(txtNitPat2, [this](int& k) { enterEmployerNit(k, txtNomPat2, txtNitPat2, casilla18); });
    onGotFocus(txtNitPat2, [this] { enteringEmployerNit(txtNomPat2, txtNitPat2, true); });
    onEnter(casilla18, [this](int& k) { enterAmountCheckFirst(k, casilla18, txtNomPat3); });
    onGotFocus(casilla18, [this] { enteringLineAmount(txtNomPat2, txtNitPat2, true); });
    onEnter(txtNomPat3, [this](int& k) { enterEmployerName(k, txtNomPat3, txtNitPat3); });
    onGotFocus(txtNomPat3, [this] { enteringAfterAmount(casilla18); });
    onEnter(txtNitPat3, [this](int& k) { enterEmployerNit(k, txtNomPat3, txtNitPat3, casilla19); });
    onGotFocus(txtNitPat3, [this] { enteringEmployerNit(txtNomPat3, txtNitPat3, false); });
    onEnter(casilla19, [this](int& k) { enterAmountMoveFirst(k, casilla19, casilla22); });
    onGotFocus(casilla19, [this] { enteringLineAmount(txtNomPat3, txtNitPat3, false); });
    onEnter(casilla21, [this](int& k) { enterAmountMoveFirst(k, casilla21, casilla22); });
    // Lines 7 to 17: each moves to the next and is checked by it.
    ui::MaskedBox* const tail[] = {casilla19, casilla22, casilla23, casilla24, casilla25,
                                   casilla26, casilla34, casilla36, casilla38};
    for (size_t i = 1; i < std::size(tail); ++i) {
        ui::MaskedBox* box = tail[i];
        ui::MaskedBox* previous = tail[i - 1];
        onGotFocus(box, [this, previous] { enteringAfterAmount(previous); });
        if (box == casilla38)
            onEnter(box, [this](int& k) { enterAmountCheckFirst(k, casilla38, cmdGrabar); });
        else
            onEnter(box, [this, box, next = tail[i + 1]](int& k) { enterAmountMoveFirst(k, box, next); });
    }
}

frmISR::~frmISR()
{
    disconnect(scrollToFocus_);
}

ui::MaskedBox* frmISR::casilla(int number) const
{
    return findChild<ui::MaskedBox*>(QStringLiteral("casilla%1").arg(number));
}

void frmISR::onEnter(QWidget* field, std::function<void(int&)> handler)
{
    enterHandlers_.insert(field, handler);
    onKeyPress(field, std::move(handler));
    field->installEventFilter(this);
}

void frmISR::fitLinesWidth()
{
    // The lines scroll only up and down: the area is as wide as they are, with the fonts in use.
    const int width = scrollLines_->widget()->minimumSizeHint().width()
                      + scrollLines_->verticalScrollBar()->sizeHint().width() + 2 * scrollLines_->frameWidth();
    if (scrollLines_->minimumWidth() != width)
        scrollLines_->setMinimumWidth(width);
}

bool frmISR::eventFilter(QObject* watched, QEvent* event)
{
    if (scrollLines_ && watched == scrollLines_->widget()
        && (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Show))
        fitLinesWidth();
    // An amount box is entered with its text selected: typing replaces the "0" the computation put there.
    if (event->type() == QEvent::FocusIn) {
        if (auto* box = qobject_cast<ui::MaskedBox*>(watched); box && box->objectName().startsWith(QLatin1String("casilla")))
            QTimer::singleShot(0, box, [box] { box->selectAll(); });
    }
    // Tab acts as Enter in the fields of the chain (Shift+Tab keeps its usual meaning).
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const auto it = enterHandlers_.constFind(static_cast<QWidget*>(watched));
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::NoModifier && it != enterHandlers_.constEnd()) {
            const auto handler = it.value();
            ui::runHandler([&] {
                int KeyAscii = 9;
                handler(KeyAscii);
            });
            return true;
        }
    }
    return ui::Form::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Life cycle

void frmISR::Form_Load()
{
    // The form object outlives an unload: every load starts from an empty return.
    cmbContrib->setText(QString());
    limpiaTodo();
    Stat->panel(3).setText(QString());

    dtContribuyente->setRecordSource(QStringLiteral("Contribuyentes"));
    dtEnc->setRecordSource(QStringLiteral("SELECT [Planilla_Enc].* FROM  [Planilla_Enc];"));
    dtISR->setRecordSource(QStringLiteral("ISR"));
    for (ui::DataControl* data : {dtContribuyente, dtEnc, dtISR}) {
        data->setDatabaseName(Biblio::gBaseDatos.toString());
        data->setConnect(kConnect);
        data->Refresh();
    }

    Biblio::gPeriodo = Biblio::LeeConfiguracion(QStringLiteral("DefaultPer"));
    lblActual->setText(Biblio::gPeriodo.isEmpty()
                           ? QStringLiteral("Período Actual: < Ninguno >")
                           : QStringLiteral("Período Actual: ") + Biblio::gPeriodoDel + QStringLiteral(" - ")
                                 + Biblio::gPeriodoAl);

    Biblio::gNitProveedor.clear();
    Biblio::gProveedorNuevo = false;
    Biblio::gPlanillaAbierta = true;
}

void frmISR::Form_Activate()
{
    ui::setMousePointer(ui::vbDefault);
    try {
        db::Recordset rs = dtContribuyente->Recordset();
        rs.requery();
        dtContribuyente->UpdateControls();
    } catch (const db::DbError&) {
        // The list keeps what it showed.
    }
    if (Biblio::gProveedorNuevo) {
        Biblio::gNitProveedor.clear();
        Biblio::gProveedorNuevo = false;
    }
    // The focus may arrive with the activation of the window, which runs no GotFocus handler.
    SetFocus(cmbContrib);
    cmbContrib_GotFocus();
    MDIMenu::setEntriesEnabled({&MDIMenu::mn00301, &MDIMenu::mn00203, &MDIMenu::mn00104}, false);
}

void frmISR::Form_Unload(int& Cancel)
{
    Q_UNUSED(Cancel);
    MDIMenu::setEntriesEnabled({&MDIMenu::mn00301, &MDIMenu::mn00104, &MDIMenu::mn00203}, true);
    // The hand-off flag says a worksheet is open; it stays on only while one still is.
    Biblio::gPlanillaAbierta = Biblio::worksheetFormOpen(this);
}

void frmISR::cmdSalir_Click()
{
    Unload();
}

void frmISR::showPrompt(const QString& prompt)
{
    Stat->panel(3).setText(prompt);
}

void frmISR::cmbContrib_GotFocus()
{
    showPrompt(QStringLiteral("Seleccione su nit(Persona que declara)..."));
}

void frmISR::cmbContrib_LostFocus()
{
    showPrompt(QString());
}

void frmISR::cmbContrib_Click()
{
    int KeyAscii = 13;
    cmbContrib_KeyPress(KeyAscii);
}

// ---------------------------------------------------------------------------------------------
// Taxpayer and return loading, clearing

void frmISR::cmbContrib_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    const QString nit = cmbContrib->Text();
    if (nit.trimmed().isEmpty()) {
        ui::MsgBox(kNitMissing, ui::vbInformation, kNitTitle);
        SetFocus(cmbContrib);
        return;
    }
    if (!Biblio::ValidaNit(nit)) {
        ui::MsgBox(kNitInvalid, ui::vbInformation, kNitTitle);
        SetFocus(cmbContrib);
        return;
    }
    cargaContribuyente(nit);
}

void frmISR::cargaContribuyente(const QString& nit)
{
    // Nothing of the taxpayer shown before may stay on the form: the next save would store it
    // under this tax id.
    limpiaTodo();
    nitCargado_ = nit;
    contribuyenteCargado_ = QVariant();
    const QString criteria = QStringLiteral("[Nit] = ") + db::quoteLiteral(nit);
    const auto text = [](const QVariant& value) { return value.isNull() ? QString() : value.toString(); };

    // Each step runs on its own: "no current record" is passed over, any other error ends the load.
    const std::function<void()> steps[] = {
        [&] {
            db::Recordset rs = dtContribuyente->Recordset();
            rs.findFirst(criteria);
            if (rs.noMatch())
                return;
            contribuyenteCargado_ = rs.field(QStringLiteral("No"));
            ui::setTextFromStart(txtNombre, text(rs.field(QStringLiteral("Nombre"))));
            txtNitPat1->setText(text(rs.field(QStringLiteral("NPat"))));
            ui::setTextFromStart(txtNomPat1, text(rs.field(QStringLiteral("NomPat"))));
        },
        [&] { SetFocus(casilla16); },
        [&] {
            db::Recordset rs = dtISR->Recordset();
            rs.findFirst(criteria);
            if (rs.noMatch())
                return;
            for (const Column& c : kColumns) {
                ui::MaskedBox* box = c.box ? casilla(c.box) : this->*c.employer;
                box->setText(text(rs.field(QString::fromLatin1(c.name))));
                if (c.employer)
                    box->setCursorPosition(0);   // a long employer's name shows its start
            }
            CalculaISR();
        },
        [&] {
            SetFocus(casilla16);
            CalculaISR();
        },
    };
    for (const auto& step : steps) {
        try {
            step();
        } catch (const db::DbError& e) {
            if (e.number() != db::err::NoCurrentRecord)
                return;
        }
    }
}

void frmISR::limpiaTodo()
{
    nitCargado_.clear();
    contribuyenteCargado_ = QVariant();
    txtNombre->clear();
    txtNomPat1->clear();
    txtNitPat1->clear();
    cmdLimpiar_Click();
    casilla39->setText(QString());
}

void frmISR::cmdLimpiar_Click()
{
    txtNomPat1->setText(QString());
    txtNitPat1->setText(QString());
    for (ui::MaskedBox* box : {txtNomPat2, txtNitPat2, txtNomPat3, txtNitPat3})
        box->setText(QString());
    for (int number : {16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 33, 34, 36, 38})
        casilla(number)->setText(QString());
}

// ---------------------------------------------------------------------------------------------
// Computation

income_tax::Casillas frmISR::leeCasillas() const
{
    income_tax::Casillas boxes;
    for (int number : income_tax::kCasillasDigitadas)
        boxes[number] = casilla(number)->Text();
    for (int number : income_tax::kCasillasCalculadas)
        boxes[number] = casilla(number)->Text();
    boxes[income_tax::kCasillaDeduccion] = casilla21->Text();
    return boxes;
}

void frmISR::escribeCasillas(const income_tax::Casillas& boxes)
{
    for (const auto& [number, text] : boxes) {
        ui::MaskedBox* box = casilla(number);
        if (box->Text() != text)
            box->setText(text);
    }
}

void frmISR::PreparaCasillas()
{
    income_tax::Casillas boxes = leeCasillas();
    income_tax::PreparaCasillas(boxes);
    escribeCasillas(boxes);
}

bool frmISR::CalculaISR()
{
    income_tax::Casillas boxes = leeCasillas();
    const income_tax::IsrResult result = income_tax::CalculaISR(boxes);
    escribeCasillas(boxes);
    TasaISR = result.tramo.TasaISR;
    ImporteFijoISR = result.tramo.ImporteFijoISR;
    LimiteInferiorISR = result.tramo.LimiteInferiorISR;
    return result.finito;
}

bool frmISR::ValidaCantidades()
{
    const int first = income_tax::primeraCasillaInvalida(leeCasillas());
    if (first == 0)
        return true;
    ui::MsgBox(kAmountInvalid, ui::vbInformation);
    ui::MaskedBox* box = casilla(first);
    SetFocus(box);
    box->setText(QString());
    return false;
}

// ---------------------------------------------------------------------------------------------
// Entry chain

void frmISR::enterAmountMoveFirst(int& KeyAscii, ui::MaskedBox* box, QWidget* next)
{
    if (!isKey(KeyAscii))
        return;
    KeyAscii = 0;
    SetFocus(next);
    if (income_tax::valorCasilla(box->Text()) < 0) {
        ui::MsgBox(kAmountInvalid, ui::vbInformation);
        SetFocus(box);
    } else {
        CalculaISR();
    }
}

void frmISR::enterAmountCheckFirst(int& KeyAscii, ui::MaskedBox* box, QWidget* next)
{
    if (!isKey(KeyAscii))
        return;
    KeyAscii = 0;
    if (income_tax::valorCasilla(box->Text()) < 0) {
        ui::MsgBox(kAmountInvalid, ui::vbInformation);
        SetFocus(box);
        return;
    }
    SetFocus(next);
    CalculaISR();
}

void frmISR::enterEmployerName(int& KeyAscii, ui::MaskedBox* name, QWidget* nit)
{
    if (!isKey(KeyAscii))
        return;
    KeyAscii = 0;
    if (!name->Text().isEmpty()) {
        SetFocus(nit);
        CalculaISR();
    } else {
        SetFocus(casilla22);
    }
}

void frmISR::enterEmployerNit(int& KeyAscii, ui::MaskedBox* name, ui::MaskedBox* nit, QWidget* next)
{
    if (!isKey(KeyAscii))
        return;
    KeyAscii = 0;
    if (name->Text().isEmpty()) {
        skipToDeductions();
        return;
    }
    if (nit->Text().size() > kNitLength) {
        ui::MsgBox(kNitTooLong4, ui::vbInformation);
        nit->setText(nit->Text().left(nit->Text().size() - 1));
        SetFocus(nit);
    }
    if (nit->Text().trimmed().isEmpty()) {
        ui::MsgBox(kNitMissing, ui::vbInformation, kNitTitle);
        SetFocus(nit);
        return;
    }
    nit->setText(Biblio::QuitaCerosIzquierda(nit->Text()));
    if (Biblio::ValidaNit(nit->Text())) {
        SetFocus(next);
        CalculaISR();
    } else {
        ui::MsgBox(kNitInvalid, ui::vbInformation, kNitTitle);
        SetFocus(nit);
    }
}

bool frmISR::refuseIfNotAmount(ui::MaskedBox* previous)
{
    if (income_tax::esCantidadValida(previous->Text()))
        return true;
    ui::MsgBox(kAmountInvalid, ui::vbInformation);
    SetFocus(previous);
    previous->setText(QString());
    return false;
}

void frmISR::enteringAfterAmount(ui::MaskedBox* previous)
{
    if (refuseIfNotAmount(previous))
        CalculaISR();
}

void frmISR::enteringEmployerNit(ui::MaskedBox* name, ui::MaskedBox* nit, bool line3)
{
    if (name->Text().isEmpty()) {
        skipToDeductions();
        return;
    }
    const bool numeric = income_tax::esCantidadValida(name->Text());
    if (numeric) {
        ui::MsgBox(kNameInvalid, ui::vbInformation);
        SetFocus(name);
        name->setText(QString());
    }
    if (line3) {
        if (!numeric) {
            SetFocus(nit);
            CalculaISR();
        }
    } else {
        CalculaISR();
    }
}

void frmISR::enteringLineAmount(ui::MaskedBox* name, ui::MaskedBox* nit, bool line3)
{
    if (name->Text().isEmpty()) {
        skipToDeductions();
        return;
    }
    const auto refuse = [&](const QString& message, const QString& title) {
        ui::MsgBox(message, ui::vbInformation, title);
        SetFocus(nit);
        nit->setText(QString());
    };
    if (nit->Text().size() > kNitLength)
        refuse(line3 ? kNitTooLong3 : kNitTooLong4, QString());
    if (nit->Text().trimmed().isEmpty())
        refuse(kNitMissing, kNitTitle);
    nit->setText(Biblio::QuitaCerosIzquierda(nit->Text()));
    if (!Biblio::ValidaNit(nit->Text()))
        refuse(kNitInvalid, kNitTitle);
    if (!line3)
        CalculaISR();
}

void frmISR::skipToDeductions()
{
    // The skipped lines count as 0 from here on: line 7 checks line 4 when it is entered, and an
    // empty line 4 would send the user back and forth between the two without end.
    PreparaCasillas();
    SetFocus(casilla22);
}

void frmISR::cmdGrabar_GotFocus()
{
    refusedOnEntry_ = false;
    // Line 17 first, then every box before the computation fills the empty ones with "0": an
    // amount emptied or never typed is reported, not saved as 0.
    if (!refuseIfNotAmount(casilla38))
        return;
    // The click that gave the button the focus comes next; it must not save what was refused.
    refusedOnEntry_ = !ValidaCantidades();
    CalculaISR();
}

// ---------------------------------------------------------------------------------------------
// Saving

void frmISR::cmdGrabar_Click()
{
    if (refusedOnEntry_) {
        refusedOnEntry_ = false;
        return;
    }
    while (grabaUnaVez()) {
    }
}

bool frmISR::grabaUnaVez()
{
    // A refused amount stops the save: it would be stored emptied.
    if (!ValidaCantidades())
        return false;
    // The return is stored only under the taxpayer loaded by Enter: another tax id typed since
    // then (or none) would get the figures shown for this one.
    const QString nit = cmbContrib->Text();
    if (nitCargado_.isEmpty() || nit.trimmed().isEmpty() || nit.compare(nitCargado_, Qt::CaseInsensitive) != 0) {
        ui::MsgBox(kNitMissing, ui::vbInformation, kNitTitle);
        SetFocus(cmbContrib);
        return false;
    }
    showPrompt(QStringLiteral("Grabar"));

    db::Recordset rs = dtISR->Recordset();
    const std::function<void()> steps[] = {
        [&] { setMousePointer(ui::vbHourglass); },
        [&] {
            rs.findFirst(QStringLiteral("[Nit] = ") + db::quoteLiteral(nitCargado_));
            if (rs.noMatch()) {
                rs.addNew();
                rs.setField(QStringLiteral("Nit"), nitCargado_.toUpper());
            } else {
                rs.edit();
            }
        },
        [&] {
            for (const Column& c : kColumns) {
                const QString text = c.box ? casilla(c.box)->Text() : (this->*c.employer)->Text();
                rs.setField(QString::fromLatin1(c.name), text);
            }
        },
        [&] { rs.update(); },
        [&] { setMousePointer(ui::vbDefault); },
        [&] { SetFocus(cmbContrib); },
    };
    for (const auto& step : steps) {
        try {
            step();
        } catch (const db::DbError& e) {
            if (e.number() == db::err::NoCurrentRecord)
                continue;
            setMousePointer(ui::vbDefault);
            // The pending row is dropped either way: left behind, it would hold the record set.
            if (rs.isOpen() && rs.editMode() != db::EditMode::None)
                rs.cancelUpdate();
            if (e.number() == db::err::Locked)
                return ui::MsgBox(kRetry, ui::vbYesNo | ui::vbInformation, QStringLiteral(" ZAL")) == ui::vbYes;
            ui::MsgBox(QStringLiteral(" Error de sistema ") + QString::number(e.number()) + QChar(13) + e.description(),
                       ui::vbOKOnly);
            SetFocus(cmbContrib);
            return false;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Printing

bool frmISR::Encuentra()
{
    if (contribuyenteCargado_.isNull() || Biblio::gPeriodo.trimmed().isEmpty())
        return false;
    try {
        db::Recordset rs = dtEnc->Recordset();
        rs.findFirst(QStringLiteral("[Contribuyente] = %1 And [Periodo] = %2")
                         .arg(contribuyenteCargado_.toLongLong())
                         .arg(Biblio::gPeriodo.trimmed().toLongLong()));
        return !rs.noMatch();
    } catch (const db::DbError&) {
        return false;
    }
}

void frmISR::cmdImprime_Click()
{
    // The print shows the boxes as they are: a value typed without Enter must be in the totals.
    if (!CalculaISR()) {
        ui::MsgBox(kAmountInvalid, ui::vbInformation);
        SetFocus(casilla16);
        return;
    }
    // A box that is no amount would print as a number it does not show: it is refused (and
    // emptied) as the save refuses it, and nothing prints.
    if (!ValidaCantidades())
        return;
    showPrompt(QStringLiteral("Imprimir"));
    income_tax::IsrPrint print;
    print.boxes = leeCasillas();
    print.nit = cmbContrib->Text();
    print.nombre = txtNombre->text();
    print.nomPat2 = txtNomPat2->Text();
    print.nitPat2 = txtNitPat2->Text();
    print.nomPat3 = txtNomPat3->Text();
    print.nitPat3 = txtNitPat3->Text();
    try {
        if (Encuentra())
            print.headerNo = dtEnc->Recordset().field(QStringLiteral("No")).toLongLong();
    } catch (const db::DbError&) {
        // No header: the return prints from its formulas alone.
    }
    print.databasePath = Biblio::gBaseDatos.toString();
    print.periodDel = Biblio::gPeriodoDel;
    print.periodAl = Biblio::gPeriodoAl;
    income_tax::printReturn(*rptImprime, print);
}
