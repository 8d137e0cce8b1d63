#include "catalogs/nit_catalog.h"

#include "core/biblio.h"
#include "core/mdi_menu.h"
#include "platform/basic/basic.h"
#include "platform/db/database.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/mouse_pointer.h"
#include "platform/ui/sizing.h"
#include "platform/ui/status_bar.h"

#include <QAction>
#include <QLineEdit>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

namespace catalogs {

namespace {

const QString kCheckTitle = QStringLiteral(" ZAL(Planilla EKO)...");
const QString kSaveTitle = QStringLiteral(" ZAL(NEB)...");
const QString kNitMissing = QStringLiteral(" Debe ingresar un nit...");
const QString kNitInvalid = QStringLiteral(" Este no es un nit válido...");
const QString kConnect = QStringLiteral(";PWD=MIRVOSK");
constexpr int kNitLength = 14;

} // namespace

NitCatalog::NitCatalog(QWidget* parent) : ui::Form(parent) {}

NitCatalog::~NitCatalog() = default;

void NitCatalog::wire(NitCatalogSetup setup)
{
    setup_ = std::move(setup);
    ui::DBCombo* combo = setup_.combo;
    setMdiChild(true);

    // The record data control works behind the boxes; only the consultation one shows its bar.
    setup_.records->hide();
    dtConsulta->setCaption(QStringLiteral("Doble Click para seleccionar..."));
    combo->setRowSource(setup_.records);
    combo->setListField(QStringLiteral("Nit"));
    combo->setBoundColumn(setup_.boundColumn);

    grdConsulta->setDataSource(dtConsulta);
    for (const auto& [caption, field] : setup_.gridColumns)
        grdConsulta->addColumn(caption, field);
    grdConsulta->setCaption(setup_.gridCaption);

    Stat->panel(1).setStyle(ui::StatusPanel::Style::Date);
    Stat->panel(2).setStyle(ui::StatusPanel::Style::Time);
    Stat->panel(3).setText(QString());

    cmdLimpiar->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    cmdGrabar->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    cmdEliminar->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    cmdSalir->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

    // Every box shows its longest value whole; the tax id is typed without limit (a longer one
    // is refused with a message) but holds 14 characters.
    ui::fitToChars(combo, kNitLength, false);
    ui::fitToMaxLength(this);

    onKeyPress(combo, [this](int& KeyAscii) { nitKeyPress(KeyAscii); });
    onChange(combo, [this] { nitChanged(); });
    onClick(combo, [this] { nitPicked(); });
    onGotFocus(combo, [this] { showPrompt(setup_.nitPrompt); });
    onGotFocus(txtNombre, [this] { txtNombre_GotFocus(); });
    onGotFocus(SSTab1->tabBar(), [this] { SSTab1_GotFocus(); });
    onDblClick(grdConsulta, [this] { grdConsulta_DblClick(); });

    onClick(cmdLimpiar, [this] { cmdLimpiar_Click(); });
    onClick(cmdGrabar, [this] { cmdGrabar_Click(); });
    onClick(cmdEliminar, [this] { cmdEliminar_Click(); });
    onClick(cmdSalir, [this] { cmdSalir_Click(); });
}

void NitCatalog::Form_Load()
{
    // The form object outlives an unload: a new load starts from an empty form.
    m_NitProcesado = false;
    setup_.combo->setText(QString());
    qint16 level = 2;
    Limpiar(level);
    SSTab1->setCurrentIndex(0);
    Stat->panel(3).setText(QString());

    setup_.records->setDatabaseName(Biblio::gBaseDatos.toString());
    setup_.records->setConnect(kConnect);
    setup_.records->setOptions(512);
    setup_.records->setRecordSource(setup_.table);
    setup_.records->Refresh();

    dtConsulta->setDatabaseName(Biblio::gBaseDatos.toString());
    dtConsulta->setConnect(kConnect);
    dtConsulta->setRecordSource(setup_.table);
    dtConsulta->Refresh();

    Show();
    // The user starts with the tax id. The focus may only arrive with the activation of the
    // window, which runs no GotFocus handler: the combo's prompt is written here.
    SetFocus(setup_.combo);
    showPrompt(setup_.nitPrompt);
}

void NitCatalog::Form_Activate()
{
    if (MDIMenu* menu = MDIMenu::instance())
        menu->mn00104->setEnabled(false);
}

void NitCatalog::Form_Unload(int& Cancel)
{
    Q_UNUSED(Cancel);
    if (MDIMenu* menu = MDIMenu::instance())
        menu->mn00104->setEnabled(true);
}

void NitCatalog::clearBoxes()
{
    for (const BoxColumn& bc : setup_.boxes)
        bc.box->clear();
}

void NitCatalog::Limpiar(qint16& level)
{
    if (level == 1) {
        setup_.combo->setText(QString());
        clearBoxes();
        const QString allRows = QStringLiteral("Select * FROM %1;").arg(setup_.table);
        for (ui::DataControl* data : {setup_.records, dtConsulta}) {
            data->setRecordSource(allRows);
            try {
                data->Refresh();
            } catch (const db::DbError&) {
                // The control keeps what it had; the next clearing tries again.
            }
        }
    } else if (level == 2) {
        clearBoxes();
    }
}

void NitCatalog::showPrompt(const QString& prompt)
{
    // The prompt stays when the field is left, until the next field writes its own.
    Stat->panel(3).setText(prompt);
}

void NitCatalog::refuse(const QString& message, QWidget* focus, MessageTitle title)
{
    ui::MsgBox(message, ui::vbInformation, title == MessageTitle::Check ? kCheckTitle : kSaveTitle);
    SetFocus(focus);
}

bool NitCatalog::acceptNit(const QString& nit, QWidget* focus)
{
    if (Biblio::ValidaNit(nit))
        return true;
    refuse(kNitInvalid, focus);
    return false;
}

void NitCatalog::nitChanged()
{
    ui::DBCombo* combo = setup_.combo;
    if (combo->Text().size() > kNitLength) {
        ui::MsgBox(setup_.tooLongMessage, ui::vbInformation);
        // Keeps the first 14 characters (a pasted text is cut once, with one message).
        combo->setText(combo->Text().left(kNitLength));
        SetFocus(combo);
    }
    if (!combo->Text().isEmpty())
        m_NitProcesado = false;
    qint16 level = 2;
    Limpiar(level);
}

void NitCatalog::nitKeyPress(int& KeyAscii)
{
    if (KeyAscii == 45) {
        // Tax ids are typed without hyphens.
        KeyAscii = 0;
        return;
    }
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    findNit();
}

void NitCatalog::nitPicked()
{
    int KeyAscii = 13;
    nitKeyPress(KeyAscii);
}

void NitCatalog::findNit()
{
    ui::DBCombo* combo = setup_.combo;
    const QString typed = combo->Text();
    if (catalogs::isBlank(typed) || (setup_.refuseZero && basic::Val(typed) == 0)) {
        refuse(kNitMissing, combo);
        return;
    }
    combo->setText(Biblio::QuitaCerosIzquierda(typed));
    if (!acceptNit(combo->Text(), combo))
        return;
    qint16 level = 2;
    Limpiar(level);

    // A missing current record skips the step that met it; any other engine error ends the
    // lookup where it is, without a message.
    try {
        db::Recordset records = setup_.records->Recordset();
        bool found = false;
        passOverNoCurrentRecord([&] {
            records.findFirst(nitCriteria(combo->Text()));
            found = !records.noMatch();
        });
        if (found) {
            for (const BoxColumn& bc : setup_.boxes)
                passOverNoCurrentRecord([&] { bc.box->setText(basic::CStr(records.field(bc.column))); });
        }
        m_NitProcesado = true;
        SetFocus(txtNombre);
    } catch (const db::DbError&) {
    }
}

void NitCatalog::txtNombre_GotFocus()
{
    showPrompt(setup_.namePrompt);
    // A tax id left with the mouse or the Tab key is still looked up.
    if (!m_NitProcesado) {
        findNit();
        m_NitProcesado = true;
    }
}

void NitCatalog::SSTab1_GotFocus()
{
    if (SSTab1->currentIndex() == 0)
        SetFocus(setup_.combo);
}

void NitCatalog::grdConsulta_DblClick()
{
    // Each step goes on when the one before it failed.
    try {
        setup_.combo->setText(basic::CStr(dtConsulta->Recordset().field(QStringLiteral("Nit"))));
    } catch (const db::DbError&) {
    }
    findNit();
    SSTab1->setCurrentIndex(0);
}

void NitCatalog::cmdLimpiar_Click()
{
    qint16 level = 1;
    Limpiar(level);
    SSTab1->setCurrentIndex(0);
    SetFocus(setup_.combo);
}

CatalogErrorContext NitCatalog::errorContext()
{
    CatalogErrorContext context;
    context.combo = setup_.combo;
    context.records = setup_.records;
    context.clearForm = [this] {
        qint16 level = 1;
        Limpiar(level);
    };
    return context;
}

void NitCatalog::cmdGrabar_Click()
{
    runCatalogWrite(CatalogWrite::Save, errorContext(), [this] { saveRecord(); });
}

void NitCatalog::saveRecord()
{
    // The tax id is stored without leading zeros, as every lookup reads it: typed with zeros and
    // saved without Enter it would otherwise be stored where no lookup finds it again.
    const QString nit = Biblio::QuitaCerosIzquierda(setup_.combo->Text());
    if (!acceptNit(nit, setup_.combo))
        return;
    if (catalogs::isBlank(txtNombre->text())) {
        refuse(setup_.nameMissingMessage, txtNombre, MessageTitle::Save);
        return;
    }
    if (!checkOtherBoxes())
        return;

    ui::setMousePointer(ui::vbHourglass);
    db::Recordset records = setup_.records->Recordset();
    passOverNoCurrentRecord([&] { records.findFirst(nitCriteria(nit)); });
    if (records.noMatch()) {
        passOverNoCurrentRecord([&] { records.addNew(); });
        // The tax id is written once, when the row is made.
        passOverNoCurrentRecord([&] { records.setField(QStringLiteral("Nit"), nit.toUpper()); });
    } else {
        passOverNoCurrentRecord([&] { records.edit(); });
    }
    for (const BoxColumn& bc : setup_.boxes)
        passOverNoCurrentRecord([&] { records.setField(bc.column, bc.box->text()); });
    passOverNoCurrentRecord([&] { records.update(); });
    recordWritten(nit);

    // The data control and its combo are read again by the clearing right below.
    passOverNoCurrentRecord([&] { setup_.records->UpdateRecord(); });
    qint16 level = 1;
    Limpiar(level);
    ui::setMousePointer(ui::vbDefault);
    SetFocus(setup_.combo);
    saveFinished();
}

void NitCatalog::cmdEliminar_Click()
{
    CatalogErrorContext context = errorContext();
    context.inUseMessage = setup_.inUseMessage;
    runCatalogDeletion(context, [this] { m_NitProcesado = true; });
}

void NitCatalog::cmdSalir_Click()
{
    Unload();
}

} // namespace catalogs
