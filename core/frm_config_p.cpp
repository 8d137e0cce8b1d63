#include "core/frm_config_p.h"
#include "ui_frm_config_p.h"

#include "core/biblio.h"
#include "core/mdi_menu.h"
#include "platform/basic/basic.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_list.h"
#include "platform/ui/dialogs.h"

#include <QRegularExpression>

namespace {

const QString kKey = QStringLiteral("DefaultPer");
const QString kTitle = QStringLiteral(" ZAL");
const QString kInitialCaption = QStringLiteral("Período Actual:");

// The entries that could change what the period depends on while the dialog is open.
void switchMenuEntries(bool enabled)
{
    if (MDIMenu* menu = MDIMenu::instance()) {
        menu->mn00201->setEnabled(enabled);
        menu->mn00203->setEnabled(enabled);
        menu->mn00104->setEnabled(enabled);
    }
}

} // namespace

frmConfigP::frmConfigP(QWidget* parent) : ui::Form(parent), layout_(std::make_unique<Ui::frmConfigP>())
{
    layout_->setupUi(this);
    SSFrame1 = layout_->SSFrame1;
    lblActual = layout_->lblActual;
    Label1 = layout_->Label1;
    lstPeriodos = layout_->lstPeriodos;
    dtPeriodos = layout_->dtPeriodos;
    cmdGrabar = layout_->cmdGrabar;
    cmdSalir = layout_->cmdSalir;

    dtPeriodos->hide();
    lstPeriodos->setRowSource(dtPeriodos);
    lstPeriodos->setListField(QStringLiteral("Dis"));
    lstPeriodos->setBoundColumn(QStringLiteral("No"));
    setMdiChild(true);

    onClick(cmdGrabar, [this] { cmdGrabar_Click(); });
    onClick(cmdSalir, [this] { cmdSalir_Click(); });
    onDblClick(lstPeriodos, [this] { lstPeriodos_DblClick(); });
}

frmConfigP::~frmConfigP() = default;

void frmConfigP::Form_Load()
{
    // The form object outlives an unload: start from the layout's texts and an empty list again
    // (a database that cannot be opened then leaves the list empty).
    lblActual->setText(kInitialCaption);
    lstPeriodos->clear();

    dtPeriodos->setDatabaseName(Biblio::gBaseDatos.toString());
    dtPeriodos->setConnect(QStringLiteral(";PWD=MIRVOSK"));
    dtPeriodos->setRecordSource(QString());
    dtPeriodos->Refresh();

    Biblio::gPeriodo = Biblio::LeeConfiguracion(kKey);

    dtPeriodos->setRecordSource(
        QStringLiteral("SELECT Periodos.[No], Periodos.Del, Periodos.Al, [Del] & ' - ' &  [Al] AS Dis FROM Periodos;"));
    dtPeriodos->Refresh();

    if (Biblio::gPeriodo.trimmed().isEmpty() || !basic::IsNumeric(Biblio::gPeriodo)) {
        lblActual->setText(QStringLiteral("Período Actual: < Ninguno >"));
        return;
    }
    if (findPeriod(Biblio::gPeriodo)) {
        lstPeriodos->setBoundText(Biblio::gPeriodo.trimmed());
        showCurrent();
    }
}

void frmConfigP::Form_Activate()
{
    switchMenuEntries(false);
}

void frmConfigP::cmdGrabar_Click()
{
    const QString chosen = lstPeriodos->BoundText();
    if (chosen.isEmpty()) {
        ui::MsgBox(QStringLiteral(" Debe seleccionar un periodo válido..."), ui::vbInformation, kTitle);
        SetFocus(lstPeriodos);
        return;
    }
    Biblio::GuardaConfiguracion(kKey, chosen);
    Biblio::gPeriodo = Biblio::LeeConfiguracion(kKey);
    Biblio::CargaPeriodo();

    if (findPeriod(Biblio::gPeriodo)) {
        lstPeriodos->setBoundText(Biblio::gPeriodo.trimmed());
        showCurrent();
    }
    const db::Recordset periodos = dtPeriodos->Recordset();
    ui::MsgBox(QStringLiteral(" Periodo Seleccionado: ") + basic::CStr(periodos.field(QStringLiteral("Del")))
                   + QStringLiteral(" - ") + basic::CStr(periodos.field(QStringLiteral("Al"))),
               ui::vbInformation, kTitle);
    Unload();
}

void frmConfigP::lstPeriodos_DblClick()
{
    cmdGrabar_Click();
}

void frmConfigP::cmdSalir_Click()
{
    Unload();
}

void frmConfigP::Form_Unload(int& Cancel)
{
    // Without a current period the user has to choose one first. A table without any period
    // leaves nothing to choose; then the dialog must not keep the user (nor the main window's
    // shutdown) captive.
    if (Biblio::gPeriodo.trimmed().isEmpty() && lstPeriodos->count() > 0) {
        ui::MsgBox(QStringLiteral(" Debe seleccionar un período..."), ui::vbInformation, kTitle);
        Cancel = 1;
        return;
    }
    switchMenuEntries(true);
}

bool frmConfigP::findPeriod(const QString& number)
{
    // The number comes from the settings store, which anyone can edit: only a whole number goes
    // into the criterion; anything else finds nothing.
    static const QRegularExpression wholeNumber(QStringLiteral("^\\d{1,9}$"));
    const QString trimmed = number.trimmed();
    if (!wholeNumber.match(trimmed).hasMatch())
        return false;
    db::Recordset periodos = dtPeriodos->Recordset();
    periodos.findFirst(QStringLiteral("[No] = ") + trimmed);
    return !periodos.noMatch();
}

void frmConfigP::showCurrent()
{
    const db::Recordset periodos = dtPeriodos->Recordset();
    lblActual->setText(QStringLiteral("Período Actual: ") + basic::CStr(periodos.field(QStringLiteral("Del")))
                       + QStringLiteral(" - ") + basic::CStr(periodos.field(QStringLiteral("Al"))));
}
