#include "catalogs/frm_gastos.h"
#include "ui_frm_gastos.h"

#include "catalogs/fuel_rules.h"
#include "core/biblio.h"
#include "core/mdi_menu.h"
#include "platform/basic/basic.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/sizing.h"
#include "platform/ui/status_bar.h"

#include <QStyle>

namespace {

const QString kTitle = QStringLiteral(" ZAL");
const QString kAllExpenseTypes
    = QStringLiteral("SELECT Gastos.Codigo, Gastos.Descripcion From Gastos ORDER BY Gastos.Descripcion;");
const QString kPrompt = QStringLiteral("Descripción del Gasto...");
constexpr int kMaxDescription = 60;

// The query of the grid for the descriptions whose first `length` characters equal `text`
// (the engine's comparison, which ignores letter case).
QString prefixQuery(const QString& text, int length)
{
    const QString mid = QStringLiteral("Mid([Descripcion],1,%1)").arg(length);
    return QStringLiteral("SELECT Gastos.Codigo, Gastos.Descripcion, ") + mid + QStringLiteral(" AS Expr1 From Gastos WHERE(")
        + mid + QStringLiteral(" = ") + db::quoteLiteral(text) + QStringLiteral(") ORDER BY Gastos.Descripcion;");
}

// Drops a change left pending by a write that failed, so the record set can be read again.
void cancelPendingChange(db::Recordset rs)
{
    try {
        if (rs.isOpen() && rs.editMode() != db::EditMode::None)
            rs.cancelUpdate();
    } catch (const db::DbError&) {
    }
}

// Reads both record sets again after a write and has their controls show it.
void requeryBoth(ui::DataControl* records, ui::DataControl* grid)
{
    records->Recordset().requery();
    records->UpdateControls();
    grid->Recordset().requery();
    grid->UpdateControls();
}

} // namespace

frmGastos::frmGastos(QWidget* parent) : ui::Form(parent), layout_(std::make_unique<Ui::frmGastos>())
{
    layout_->setupUi(this);
    SSFrame1 = layout_->SSFrame1;
    lblMedicamento = layout_->lblMedicamento;
    cmbServicio = layout_->cmbServicio;
    DBGrid1 = layout_->DBGrid1;
    dtServicios = layout_->dtServicios;
    dtConsulta = layout_->dtConsulta;
    Frame6 = layout_->Frame6;
    cmdGrabar = layout_->cmdGrabar;
    cmdEliminar = layout_->cmdEliminar;
    cmdCancelar = layout_->cmdCancelar;
    cmdSalir = layout_->cmdSalir;
    Stat = layout_->Stat;

    cmdGrabar->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    cmdEliminar->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    cmdCancelar->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    cmdSalir->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

    dtServicios->hide();
    dtConsulta->hide();
    dtServicios->setRecordSource(kAllExpenseTypes);
    dtConsulta->setRecordSource(kAllExpenseTypes);
    cmbServicio->setRowSource(dtServicios);
    cmbServicio->setListField(QStringLiteral("Descripcion"));
    cmbServicio->setBoundColumn(QStringLiteral("Codigo"));
    DBGrid1->addColumn(QStringLiteral("Descripcion"), QStringLiteral("Descripcion"));
    DBGrid1->setDataSource(dtConsulta);
    DBGrid1->setCaption(QStringLiteral("GASTOS ACTUALES"));
    Stat->panel(1).setStyle(ui::StatusPanel::Style::Date);
    Stat->panel(2).setStyle(ui::StatusPanel::Style::Time);
    Stat->panel(3);
    setMdiChild(true);

    // The description box shows a whole description.
    ui::fitToChars(cmbServicio, kMaxDescription);

    onGotFocus(cmbServicio, [this] { cmbServicio_GotFocus(); });
    onLostFocus(cmbServicio, [this] { cmbServicio_LostFocus(); });
    onChange(cmbServicio, [this] { cmbServicio_Change(); });
    onKeyPress(cmbServicio, [this](int& KeyAscii) { cmbServicio_KeyPress(KeyAscii); });
    onClick(cmbServicio, [this] { cmbServicio_Click(); });
    onDblClick(DBGrid1, [this] { DBGrid1_DblClick(); });
    onClick(cmdGrabar, [this] { cmdGrabar_Click(); });
    onClick(cmdEliminar, [this] { cmdEliminar_Click(); });
    onClick(cmdCancelar, [this] { cmdCancelar_Click(); });
    onClick(cmdSalir, [this] { cmdSalir_Click(); });
}

frmGastos::~frmGastos() = default;

void frmGastos::Form_Load()
{
    // The form object outlives an unload: a new load starts with nothing found.
    m_Encontrado = false;
    m_Codigo = 0;
    m_Largo = 0;
    for (ui::DataControl* dt : {dtServicios, dtConsulta}) {
        dt->setDatabaseName(Biblio::gBaseDatos.toString());
        dt->setConnect(QStringLiteral(";PWD=MIRVOSK"));
        dt->setRecordSource(kAllExpenseTypes);
        dt->Refresh();
    }
    cmbServicio->setBoundText(QString());
    Stat->panel(3).clear();
    SetFocus(cmbServicio);
}

void frmGastos::Form_Activate()
{
    if (MDIMenu* menu = MDIMenu::instance())
        menu->mn00104->setEnabled(false);
}

void frmGastos::Form_Unload(int& Cancel)
{
    Q_UNUSED(Cancel);
    if (MDIMenu* menu = MDIMenu::instance())
        menu->mn00104->setEnabled(true);
}

void frmGastos::Limpiar(int opcion)
{
    if (opcion != 0)
        return;
    m_Encontrado = false;
    cmbServicio->setBoundText(QString());
    dtConsulta->setRecordSource(kAllExpenseTypes);
    dtConsulta->Refresh();
    SetFocus(cmbServicio);
}

void frmGastos::Creador(QObject* creador)
{
    creador_ = creador;
}

void frmGastos::cmbServicio_GotFocus()
{
    if (cmbServicio->Text().trimmed().isEmpty())
        cmbServicio->setBoundText(QString());
    Stat->panel(3).setText(kPrompt);
}

void frmGastos::cmbServicio_LostFocus()
{
    Stat->panel(3).clear();
}

void frmGastos::cmbServicio_Change()
{
    // Once a row has been found the grid stays as it is.
    if (m_Encontrado)
        return;
    const QString text = cmbServicio->Text();
    m_Largo = int(text.trimmed().size());
    // A text the engine cannot use leaves the grid as it was; typing goes on.
    try {
        // The whole text is compared with a prefix as long as the trimmed text: a text with
        // leading blanks matches nothing.
        dtConsulta->setRecordSource(m_Largo == 0 ? kAllExpenseTypes : prefixQuery(text, m_Largo));
        dtConsulta->Refresh();
    } catch (const db::DbError&) {
    }
}

void frmGastos::cmbServicio_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13)
        return;
    // The Enter is used up here: it must not also press the button the focus moves to.
    KeyAscii = 0;
    const QString text = cmbServicio->Text();
    if (text.trimmed().isEmpty()) {
        ui::MsgBox(QStringLiteral(" Debe ingresar un Nombre Lógico..."), ui::vbInformation, kTitle);
        SetFocus(cmbServicio);
        return;
    }
    // A row found before: the text now typed is its new description.
    if (m_Encontrado) {
        SetFocus(cmdGrabar);
        return;
    }
    try {
        db::Recordset rs = dtServicios->Recordset();
        rs.findFirst(QStringLiteral("[Descripcion] = ") + db::quoteLiteral(text));
        if (rs.noMatch()) {
            m_Encontrado = false;
            m_Codigo = 0;
            SetFocus(cmdGrabar);
        } else {
            m_Encontrado = true;
            m_Codigo = rs.field(QStringLiteral("Codigo")).toInt();
            SetFocus(cmdEliminar);
        }
    } catch (const db::DbError&) {
        // Nothing found, nothing changed.
    }
}

void frmGastos::cmbServicio_Click()
{
    // A pick in the list chooses that very row (by its code), whatever had been found before:
    // saving must work on the row the user sees chosen, never on one found earlier.
    bool ok = false;
    const int code = cmbServicio->BoundText().toInt(&ok);
    if (!ok) {
        int enter = 13;
        cmbServicio_KeyPress(enter);
        return;
    }
    if (findByCode(code))
        SetFocus(cmdEliminar);
}

void frmGastos::DBGrid1_DblClick()
{
    QString code;
    try {
        code = basic::CStr(dtConsulta->Recordset().field(QStringLiteral("Codigo")));
    } catch (const db::DbError&) {
        return;   // no row under the pointer
    }
    if (fuel::pickRefused(code)) {
        ui::MsgBox(QStringLiteral("Este Gasto no se permite modificar"), ui::vbOKOnly, QString());
        return;
    }
    cmbServicio->setBoundText(code);
    // The picked row is the one to save, found by its code: two descriptions may differ only in
    // letter case.
    if (findByCode(code.toInt()))
        SetFocus(cmdEliminar);
}

bool frmGastos::findByCode(int code)
{
    try {
        db::Recordset rs = dtServicios->Recordset();
        rs.findFirst(QStringLiteral("[Codigo] = ") + QString::number(code));
        if (!rs.noMatch()) {
            m_Codigo = code;
            m_Encontrado = true;
            return true;
        }
    } catch (const db::DbError&) {
    }
    m_Encontrado = false;
    m_Codigo = 0;
    return false;
}

void frmGastos::cmdGrabar_Click()
{
    const QString text = cmbServicio->Text();
    if (text.trimmed().isEmpty()) {
        ui::MsgBox(QStringLiteral(" Debe ingresar una descripción válida..."), ui::vbInformation, kTitle);
        Limpiar(0);
        return;
    }
    if (fuel::alreadyEntered(text)) {
        ui::MsgBox(QStringLiteral(" Este Gasto ya ha sido ingresado anteriormente "), ui::vbInformation, kTitle);
        Limpiar(0);
        return;
    }
    if (fuel::genericFuelWord(text)) {
        ui::MsgBox(QStringLiteral("Ya existe en el catálogo este tipo de Gasto"), ui::vbInformation, kTitle);
        Limpiar(0);
        return;
    }

    db::Recordset rs = dtServicios->Recordset();
    try {
        bool opened = true;
        if (!m_Encontrado) {
            // A description already there in another letter case is rewritten as now typed.
            rs.findFirst(QStringLiteral("[Descripcion] = ") + db::quoteLiteral(text));
            if (rs.noMatch())
                rs.addNew();
            else
                rs.edit();
        } else if (m_Codigo != 0) {
            rs.findFirst(QStringLiteral("[Codigo] = ") + QString::number(m_Codigo));
            // The row found earlier is gone (deleted elsewhere): the text becomes a new row
            // rather than overwriting whatever row the cursor is on.
            if (rs.noMatch())
                rs.addNew();
            else
                rs.edit();
        } else {
            opened = false;
        }
        if (opened) {
            if (text.trimmed().size() > kMaxDescription)
                cmbServicio->setText(text.left(kMaxDescription));
            rs.setField(QStringLiteral("Descripcion"), cmbServicio->Text());
            rs.update();
        }
        requeryBoth(dtServicios, dtConsulta);
    } catch (const db::DbError& e) {
        cancelPendingChange(rs);
        reportFailure(e);
        return;
    }
    Limpiar(0);
}

void frmGastos::cmdEliminar_Click()
{
    if (fuel::deletionRefused(cmbServicio->Text())) {
        ui::MsgBox(QStringLiteral(" Este Gasto no se puede eliminar "), ui::vbInformation, kTitle);
        Limpiar(0);
        return;
    }
    // The row deleted is the combo's current list row.
    bool ok = false;
    const int code = cmbServicio->BoundText().toInt(&ok);
    if (!ok)
        return;
    db::Recordset rs = dtServicios->Recordset();
    try {
        rs.findFirst(QStringLiteral("[Codigo] = ") + QString::number(code));
        if (rs.noMatch())
            return;
        rs.remove();
        requeryBoth(dtServicios, dtConsulta);
    } catch (const db::DbError& e) {
        if (e.number() == db::err::RelatedRecords) {
            ui::MsgBox(QStringLiteral(" Este Dato es parte de otros datos Imposible borrar..."), ui::vbInformation, kTitle);
            return;
        }
        reportFailure(e);
        return;
    }
    Limpiar(0);
}

void frmGastos::cmdCancelar_Click()
{
    Limpiar(0);
}

void frmGastos::cmdSalir_Click()
{
    Unload();
}

void frmGastos::reportFailure(const db::DbError& error)
{
    ui::MsgBox(QStringLiteral(" Error de sistema ") + QString::number(error.number()) + QLatin1Char('\r')
               + error.description());
    SetFocus(cmbServicio);
}
