#include "export/frm_envios.h"
#include "ui_frm_envios.h"

#include "core/biblio.h"
#include "core/frm_reporte.h"
#include "core/mdi_menu.h"
#include "export/submission_file.h"
#include "platform/basic/basic.h"
#include "platform/system/busy.h"
#include "platform/ui/data_control.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/mouse_pointer.h"
#include "platform/ui/sizing.h"
#include "platform/ui/status_bar.h"

#include <QDir>
#include <QFontDatabase>
#include <QListWidget>
#include <QStyle>

namespace {

const QString kTitle = QStringLiteral(" ZAL");
const QString kNoFolder = QStringLiteral(
    "No ha especificado el directorio de exportación válido. Imposible iniciar el proceso de exportacion..");
const QString kNoFolderTitle = QStringLiteral(" Bancario(ZAL)...");
const QString kNoPeriod = QStringLiteral(" No hay un período actual válido. Imposible iniciar el proceso de exportacion..");
const QString kPeriodLabel = QStringLiteral("Período Actual:");
const QString kNoUser = QStringLiteral(" Debe seleccionar al menos un usuario...");

// A period number as the settings hold it: digits only, or it names no period.
bool isPeriodNumber(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (!c.isDigit() || c.unicode() > 127)
            return false;
    return true;
}

// True when the root of the drive ("A:") holds no plain file (hidden and system files and folders
// do not count). A drive that cannot be read counts as empty.
bool driveIsEmpty(const QString& drive)
{
    const QDir root(drive + QStringLiteral("\\"));
    return !root.exists() || root.entryList(QDir::Files).isEmpty();
}

// A stored date as the short-date format shows it.
QString dateText(const QVariant& value)
{
    return basic::IsDate(value) ? basic::CStr(basic::CDate(value)) : basic::CStr(value);
}

} // namespace

frmEnvios::frmEnvios(QWidget* parent) : ui::Form(parent), ui_(std::make_unique<Ui::frmEnvios>())
{
    ui_->setupUi(this);
    SSFrame1 = ui_->SSFrame1;
    List1 = ui_->List1;
    dtPeriodos = ui_->dtPeriodos;
    lblArchivo = ui_->lblArchivo;
    txtFileName = ui_->txtFileName;
    cmdBrowse = ui_->cmdBrowse;
    cmdIniciar = ui_->cmdIniciar;
    cmdLimpiar = ui_->cmdLimpiar;
    cmdSalir = ui_->cmdSalir;
    lblActual = ui_->lblActual;
    Stat = ui_->Stat;
    Frame6 = ui_->Frame6;
    frmPrimarios = ui_->frmPrimarios;

    dtPeriodos->hide();
    dtPeriodos->setRecordSource(QStringLiteral("Periodos"));
    // The entries line names up by column, so the list uses a fixed-pitch font.
    List1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    cmdBrowse->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    cmdIniciar->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    cmdLimpiar->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    cmdSalir->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    // Room for a folder path of 48 characters; the box grows with the form.
    ui::fitToChars(txtFileName, 48);
    setMdiChild(true);

    onGotFocus(cmdBrowse, [this] { cmdBrowse_GotFocus(); });
    onClick(cmdBrowse, [this] { cmdBrowse_Click(); });
    onClick(cmdIniciar, [this] { cmdIniciar_Click(); });
    onClick(cmdLimpiar, [this] { cmdLimpiar_Click(); });
    onClick(cmdSalir, [this] { cmdSalir_Click(); });
}

frmEnvios::~frmEnvios() = default;

void frmEnvios::Form_Load()
{
    dtPeriodos->setDatabaseName(Biblio::gBaseDatos.toString());
    dtPeriodos->setConnect(QStringLiteral(";PWD=MIRVOSK"));
    if (MDIMenu* menu = MDIMenu::instance())
        menu->mn00104->setEnabled(false);

    // The form object outlives an unload: every load starts from the design state.
    DirDestino.clear();
    txtFileName->clear();
    List1->clear();
    List1->setEnabled(true);
    lblActual->setText(kPeriodLabel);
    periodoValido_ = false;
    periodo_.clear();
    del_.clear();
    al_.clear();

    Biblio::gPeriodo = Biblio::LeeConfiguracion(QStringLiteral("DefaultPer"));
    if (Biblio::gPeriodo.isEmpty()) {
        lblActual->setText(QStringLiteral("Período Actual: < Ninguno >"));
    } else if (isPeriodNumber(Biblio::gPeriodo)) {
        try {
            dtPeriodos->setRecordSource(QStringLiteral(
                "SELECT Periodos.[No], Periodos.Del, Periodos.Al, [Del] & ' -  ' &  [Al] AS Dis FROM Periodos;"));
            dtPeriodos->Refresh();
            db::Recordset rs = dtPeriodos->Recordset();
            rs.findFirst(QStringLiteral("[No] = ") + Biblio::gPeriodo);
            if (!rs.noMatch()) {
                const QVariant del = rs.field(QStringLiteral("Del"));
                const QVariant al = rs.field(QStringLiteral("Al"));
                lblActual->setText(QStringLiteral("Período Actual: ") + dateText(del) + QStringLiteral(" - ") + dateText(al));
                // The file's name and lines need dd/mm/yyyy whatever the regional settings hold.
                if (basic::IsDate(del) && basic::IsDate(al)) {
                    del_ = basic::CDate(del).toDate().toString(QStringLiteral("dd/MM/yyyy"));
                    al_ = basic::CDate(al).toDate().toString(QStringLiteral("dd/MM/yyyy"));
                }
                // Without both dates the files would carry wrong names and headers.
                periodoValido_ = !del_.isEmpty() && !al_.isEmpty();
                periodo_ = Biblio::gPeriodo;
            }
        } catch (const db::DbError& e) {
            qWarning("frmEnvios: period %s: %d %s", qPrintable(Biblio::gPeriodo), e.number(), qPrintable(e.description()));
        }
    }

    try {
        database_ = db::Database::open(Biblio::gBaseDatos.toString(), Biblio::kConnect);
    } catch (const db::DbError& e) {
        qWarning("frmEnvios: database: %d %s", e.number(), qPrintable(e.description()));
        periodoValido_ = false;
        return;
    }
    // Without a current period there is no worksheet to list.
    if (periodoValido_)
        fillList();
}

void frmEnvios::fillList()
{
    try {
        rsLista_ = database_.openRecordset(envios::taxpayerListQuery(periodo_), db::RecordsetType::Snapshot);
        while (!rsLista_.eof()) {
            const QString nit = basic::CStr(rsLista_.field(QStringLiteral("Nit")));
            const qsizetype length = nit.size();
            const qsizetype blanks = length >= 2 && length <= 13 ? 14 - length : 3;
            auto* item = new QListWidgetItem(basic::Trim(nit) + QString(blanks, QLatin1Char(' '))
                                             + basic::CStr(rsLista_.field(QStringLiteral("Nombre"))));
            item->setData(Qt::UserRole, rsLista_.field(QStringLiteral("No")).toInt());
            List1->addItem(item);
            rsLista_.moveNext();
        }
    } catch (const db::DbError& e) {
        qWarning("frmEnvios: taxpayer list: %d %s", e.number(), qPrintable(e.description()));
    }
}

void frmEnvios::Form_Activate()
{
    MDIMenu::setEntriesEnabled({&MDIMenu::mn00301, &MDIMenu::mn00201}, false);
}

void frmEnvios::Form_Unload(int& Cancel)
{
    Q_UNUSED(Cancel);
    MDIMenu::setEntriesEnabled({&MDIMenu::mn00301, &MDIMenu::mn00201, &MDIMenu::mn00104}, true);
    rsLista_.close();
    rsRun_.close();
}

void frmEnvios::cmdBrowse_GotFocus()
{
    if (List1->selectedItems().isEmpty()) {
        ui::MsgBox(kNoUser, ui::vbInformation, kTitle);
        SetFocus(List1);
        return;
    }
    List1->setEnabled(false);
}

void frmEnvios::cmdBrowse_Click()
{
    DirDestino = ui::BrowseFolder(QStringLiteral("Ubicación del Subdirectorio Donde desea Exportar..."));
    if (DirDestino.isEmpty()) {
        ui::MsgBox(kNoFolder, ui::vbCritical, kNoFolderTitle);
        return;
    }
    txtFileName->setText(DirDestino);
    SetFocus(cmdIniciar);
}

void frmEnvios::cmdIniciar_Click()
{
    if (DirDestino.isEmpty()) {
        ui::MsgBox(kNoFolder, ui::vbCritical, kNoFolderTitle);
        SetFocus(cmdBrowse);
        return;
    }
    if (!periodoValido_) {
        ui::MsgBox(kNoPeriod, ui::vbCritical, kTitle);
        return;
    }
    // The browse button's check asks for a selection, but a folder can be chosen without one:
    // a run with nothing selected would write nothing and say it succeeded.
    if (List1->selectedItems().isEmpty()) {
        ui::MsgBox(kNoUser, ui::vbInformation, kTitle);
        List1->setEnabled(true);
        SetFocus(List1);
        return;
    }
    ui::setMousePointer(ui::vbHourglass);
    // What runs killed or cut off half-way left in the folder goes first.
    envios::removeLeftoverTemporaries(txtFileName->text());
    const QString separator = envios::separatorFor(DirDestino);
    const bool diskette = DirDestino.startsWith(QLatin1String("A:")) || DirDestino.startsWith(QLatin1String("B:"));
    bool DiscoVacio = false;
    auto viewer = std::make_unique<frmReporte>();

    for (int i = 0; i < List1->count(); ++i) {
        QListWidgetItem* entry = List1->item(i);
        // Each worksheet goes onto a blank diskette of its own: the question comes before every
        // selected entry but the first one of the list, until the drive holds no file.
        if (i > 0 && diskette && entry->isSelected()) {
            while (!DiscoVacio) {
                const int answer = ui::MsgBox(QStringLiteral(" El sistema generará cada planilla en diferentes diskettes... ")
                                                  + QLatin1Char('\r') + QStringLiteral(" Ingrese otro diskette en blanco..."),
                                              ui::vbOKCancel | ui::vbInformation);
                if (answer == ui::vbCancel) {
                    endRun();
                    return;
                }
                DiscoVacio = driveIsEmpty(DirDestino.left(2));
            }
        }
        if (i == 0) {
            viewer->Lista->addItem(QStringLiteral(" Archivos Generados por el sistema:"));
            viewer->Lista->addItem(QString());
        }
        if (!entry->isSelected())
            continue;
        sys::keepResponsive();   // a run of many taxpayers: the windows repaint meanwhile

        const envios::TaxpayerFile file = envios::writeTaxpayerFile(
            database_, entry->data(Qt::UserRole).toInt(), periodo_, del_, al_, txtFileName->text(), separator, rsRun_);
        using Status = envios::TaxpayerFile::Status;
        switch (file.status) {
        case Status::NoWorksheet:
            continue;
        case Status::Written:
            viewer->Lista->addItem(QStringLiteral(" Archivo de Planilla del Nit : ") + file.nit + QStringLiteral(" = ") + file.path);
            DiscoVacio = false;
            continue;
        case Status::BadNit:
            endRun();
            ui::MsgBox(QStringLiteral(" El nit %1 no puede formar el nombre de un archivo. Imposible exportar su planilla...")
                           .arg(file.nit),
                       ui::vbCritical, kTitle);
            return;
        case Status::FolderError:
            endRun();
            ui::MsgBox(QStringLiteral(" El directorio seleccionado es inválido..."), ui::vbInformation, kTitle);
            cmdLimpiar_Click();
            return;
        case Status::Failed: {
            endRun();
            const QString what = file.path.isEmpty()
                ? QStringLiteral("del contribuyente ") + basic::Trim(entry->text())
                : file.path;
            ui::MsgBox(QStringLiteral(" No se pudo generar el archivo ") + what + QLatin1Char('\r') + file.cause,
                       ui::vbCritical, kTitle);
            return;
        }
        }
    }

    viewer->fitToLines();
    viewer->showModal();
    viewer.reset();
    ui::setMousePointer(ui::vbDefault);
    cmdLimpiar_Click();
    ui::MsgBox(QStringLiteral(" Proceso Terminado Satisfactoriamente..."), ui::vbInformation, kTitle);
    txtFileName->clear();
}

void frmEnvios::endRun()
{
    ui::setMousePointer(ui::vbDefault);
}

void frmEnvios::cmdLimpiar_Click()
{
    List1->clearSelection();
    List1->setEnabled(true);
    DirDestino.clear();
}

void frmEnvios::cmdSalir_Click()
{
    Unload();
}
