#include "core/biblio.h"

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
} // namespace Biblio
