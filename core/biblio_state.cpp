#include "core/biblio.h"

#include "platform/system/settings.h"

namespace Biblio {
QVariant gBaseDatos;
QString gPeriodo;
QString gNitProveedor;
bool gProveedorNuevo = false;
bool gPlanillaAbierta = false;
qint16 gPeriodoNo = 0;
QString gPeriodoDel;
QString gPeriodoAl;
double gCoeficiente = 0.0;

QString LeeConfiguracion(const QString& key)
{
    return sys::getSetting(QStringLiteral("ZAL EKO"), QStringLiteral("Configuracion"), key);
}

void GuardaConfiguracion(const QString& key, const QString& value)
{
    sys::saveSetting(QStringLiteral("ZAL EKO"), QStringLiteral("Configuracion"), key, value);
}
} // namespace Biblio
