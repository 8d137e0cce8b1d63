#include "core/biblio.h"

#include "platform/system/settings.h"
#include "platform/ui/form.h"

#include <QApplication>

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

bool worksheetFormOpen(const QObject* except)
{
    for (QWidget* widget : QApplication::allWidgets()) {
        auto* form = qobject_cast<ui::Form*>(widget);
        if (!form || form == except || !form->isLoaded())
            continue;
        static const QStringList worksheetForms = {QStringLiteral("frmPlanillas"), QStringLiteral("frmReportes"),
                                                   QStringLiteral("frmIngresos"), QStringLiteral("frmImpRep")};
        if (worksheetForms.contains(form->objectName()))
            return true;
    }
    return false;
}
} // namespace Biblio
