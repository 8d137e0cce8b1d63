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

#include <memory>

namespace Biblio {

namespace {
const QString kTitle = QStringLiteral(" ZAL");
const QString kRefusal =
    QStringLiteral("Imposible iniciar sesión del Sistema de Ingresos debe configurar una base de datos válida...  ");
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
    // 1. One copy at a time: a second one asks the running copy to restore its window and ends.
    if (!guard()) {
        guard() = std::make_unique<sys::SingleInstance>(instanceName());
        if (!guard()->tryBecomePrimary()) {
            guard().reset();
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

    // 5-9. The probe: opened with the password, repaired once when it cannot be opened.
    db::Database probe;
    bool opened = false;
    try {
        probe = db::Database::open(gBaseDatos.toString(), kConnect);
        opened = true;
    } catch (const db::DbError&) {
    }
    if (!opened) {
        if (sys::fileExists(gBaseDatos.toString())) {
            try {
                db::repairDatabase(gBaseDatos.toString());
            } catch (const db::DbError&) {
                // Only the second open decides.
            }
            try {
                probe = db::Database::open(gBaseDatos.toString(), kConnect);
            } catch (const db::DbError&) {
                ui::MsgBox(QStringLiteral("Su base de datos fue totalmente dañada... Imposible iniciar el programa!!!"),
                           ui::vbCritical, kTitle);
                sys::End();
            }
        } else {
            if (ui::MsgBox(kAskConfigure, ui::vbCritical | ui::vbOKCancel, kTitle) == ui::vbOK)
                showDatabaseDialog();
            else
                refuse();
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
}

} // namespace Biblio
