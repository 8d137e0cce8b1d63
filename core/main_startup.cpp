#include "core/main_startup.h"

#include "core/biblio.h"
#include "core/frm_config_base.h"
#include "core/frm_config_p.h"
#include "core/mdi_menu.h"
#include "platform/db/database.h"
#include "platform/system/app_info.h"
#include "platform/system/end.h"
#include "platform/system/single_instance.h"
#include "platform/ui/dialogs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <memory>

namespace Biblio {

namespace {
const QString kTitle = QStringLiteral(" ZAL");
const QString kRefusal =
    QStringLiteral("Imposible iniciar sesión del Sistema de Ingresos debe configurar una base de datos válida...  ");
const QString kDamaged = QStringLiteral("Su base de datos fue totalmente dañada... Imposible iniciar el programa!!!");
const QString kBusy = QStringLiteral("Su base de datos está siendo usada por otro programa... Imposible iniciar el programa!!!");
const QString kRunning =
    QStringLiteral(" ZAL ya se está ejecutando, pero su ventana no responde... Imposible iniciar otra copia del programa!!!");
// How long start-up waits for a file another program holds.
constexpr int kBusyWaitMs = 3000;
constexpr int kBusyPauseMs = 250;
const QString kAskConfigure =
    QStringLiteral("La Configuración de Bases de Datos no es válida o no existe, desea configurar ?... ");

QString& instanceName()
{
    static QString name;
    return name;
}

std::unique_ptr<sys::SingleInstance>& guard()
{
    static std::unique_ptr<sys::SingleInstance> g;
    return g;
}

[[noreturn]] void refuse()
{
    ui::MsgBox(kRefusal, ui::vbCritical, kTitle);
    sys::End();
}

bool isBusy(int error)
{
    return error == db::err::Locked || error == db::err::FileInUse;
}

db::Database openWaitingWhileBusy(const QString& path)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        try {
            return db::Database::open(path, kConnect);
        } catch (const db::DbError& e) {
            if (!isBusy(e.number()) || waited.elapsed() >= kBusyWaitMs)
                throw;
        }
        QThread::msleep(kBusyPauseMs);
    }
}

void showDatabaseDialog()
{
    MDIMenu::form<frmConfigBase>()->showModal();
}

// Runs one start-up step; an engine or run-time error abandons that step only.
template <typename F>
void step(F&& f)
{
    try {
        f();
    } catch (const std::exception&) {
    }
}
} // namespace

QString busyNotice()
{
    return kBusy;
}

QString repairNotice(const QList<db::RepairLoss>& losses, const QString& backup)
{
    if (losses.isEmpty())
        return QString();
    QString text = QStringLiteral("Su base de datos estaba dañada y fue reparada, pero no se pudo recuperar todo:");
    auto rows = [](qint64 n) { return QString::number(n) + (n == 1 ? QStringLiteral(" fila") : QStringLiteral(" filas")); };
    for (const db::RepairLoss& loss : losses) {
        if (loss.counted)
            text += QStringLiteral("\n  - hasta %1 de la tabla %2").arg(rows(loss.rows), loss.table);
        else
            text += QStringLiteral("\n  - de la tabla %1 se recuperaron %2, pero no se sabe cuántas había").arg(loss.table, rows(loss.kept));
    }
    text += QStringLiteral("\nEl archivo original, sin cambios, se guardó en:\n") + QDir::toNativeSeparators(backup);
    return text;
}

void setSingleInstanceName(const QString& name)
{
    instanceName() = name;
    guard().reset();
}

void BaseDatosPorDefecto()
{
    const QString path = sys::appPath() + QStringLiteral("/eko.mdb");
    if (sys::fileExists(path)) {
        Biblio::GuardaConfiguracion(QStringLiteral("DataBase"), path);
        gBaseDatos = LeeConfiguracion(QStringLiteral("DataBase"));
    } else {
        gBaseDatos = QString();
    }
}

void Main()
{
    // 1. One copy at a time: a second one asks the running copy to restore its window and ends;
    // when that copy does not answer, its window may never show, and the user is told why
    // nothing opens.
    if (!guard()) {
        guard() = std::make_unique<sys::SingleInstance>(instanceName());
        if (!guard()->tryBecomePrimary()) {
            const bool restored = guard()->restoreTaken();
            guard().reset();
            if (!restored)
                ui::MsgBox(kRunning, ui::vbExclamation, kTitle);
            sys::End();
        }
    }

    // 2-4. Where the database is.
    gBaseDatos = QString();
    gBaseDatos = LeeConfiguracion(QStringLiteral("DataBase"));
    if (gBaseDatos.toString().isEmpty())
        BaseDatosPorDefecto();
    if (gBaseDatos.toString().isEmpty()) {
        ui::MsgBox(QStringLiteral("La Configuración de Bases de Datos no es válida o no existe, se debe configurar...  "),
                   ui::vbInformation, kTitle);
        showDatabaseDialog();
        gBaseDatos = LeeConfiguracion(QStringLiteral("DataBase"));
        if (gBaseDatos.toString().isEmpty()) {
            if (ui::MsgBox(kAskConfigure, ui::vbCritical | ui::vbOKCancel, kTitle) == ui::vbOK) {
                showDatabaseDialog();
                gBaseDatos = LeeConfiguracion(QStringLiteral("DataBase"));
            } else {
                refuse();
            }
        }
        if (gBaseDatos.toString().trimmed().isEmpty())
            refuse();
    }

    // A repair stopped half-way (the program killed, the power cut) left its half-built copy
    // beside the file; the file itself was never touched, and the copy is of no further use.
    step([] { db::removeRepairLeftovers(gBaseDatos.toString()); });

    // 5-9. The probe: opened with the password. Only a file the engine finds damaged is repaired;
    // one that another program holds is waited for, and one that is not this program's file (or
    // has another password) is refused as it is.
    db::Database probe;
    QString repairNote;
    int error = 0;
    bool damaged = false;
    try {
        probe = openWaitingWhileBusy(gBaseDatos.toString());
    } catch (const db::DbError& e) {
        error = e.number();
        damaged = db::isDamage(e);
    }
    if (error != 0) {
        if (!sys::fileExists(gBaseDatos.toString())) {
            if (ui::MsgBox(kAskConfigure, ui::vbCritical | ui::vbOKCancel, kTitle) == ui::vbOK)
                showDatabaseDialog();
            else
                refuse();
        } else if (isBusy(error)) {
            ui::MsgBox(kBusy, ui::vbCritical, kTitle);
            sys::End();
        } else if (damaged) {
            try {
                QList<db::RepairLoss> losses;
                const QString backup = db::repairDatabase(gBaseDatos.toString(), &losses, kConnect);
                repairNote = repairNotice(losses, backup);
                probe = db::Database::open(gBaseDatos.toString(), kConnect);
            } catch (const db::DbError&) {
                ui::MsgBox(kDamaged, ui::vbCritical, kTitle);
                sys::End();
            }
        } else {
            ui::MsgBox(kDamaged, ui::vbCritical, kTitle);
            sys::End();
        }
    }
    if (gBaseDatos.toString().trimmed().isEmpty())
        refuse();
    if (!sys::fileExists(gBaseDatos.toString()))
        refuse();

    // 10-12. Formats and the upgrade of older files.
    step([] { gBaseDatos = LeeConfiguracion(QStringLiteral("DataBase")); });
    step([] { ConfiguraFormatoFecha(); });
    step([] { ConfiguraFormatoNumeros(); });
    step([] { ActualizaCoeficientes(); });
    step([] { ActualizaCampoSerie(); });
    step([] { ActualizaIntercalacion(); });

    // 13. The main window.
    step([] {
        MDIMenu* menu = MDIMenu::instance();
        if (!menu)
            menu = new MDIMenu;
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->show();
        if (guard())
            QObject::connect(guard().get(), &sys::SingleInstance::restoreRequested, menu,
                             [menu] { sys::SingleInstance::restoreWindow(menu); });
    });

    // 14-15. The current period; without one the period dialog opens and must be answered.
    step([] { gPeriodo = LeeConfiguracion(QStringLiteral("DefaultPer")); });
    step([] {
        if (gPeriodo.trimmed().isEmpty())
            MDIMenu::loadForm<frmConfigP>();
        else
            CargaPeriodo();
    });

    // 16. The probe connection is released here.
    probe.close();

    // A repair that could not keep every row says so, once the program is up.
    if (!repairNote.isEmpty())
        ui::MsgBox(repairNote, ui::vbExclamation, kTitle);
}

} // namespace Biblio
