#pragma once
// A database with worksheets to print, the program's templates in its application folder and
// period 3 (01/07/2001 to 30/06/2002) as the current one.
//
// Worksheet 1 (Ana Pérez, period 3):
//   111 Gasolinera Sur     Factura  A 100  15/09/2001  Gasolina Superior  1,000.00  20.50
//   222 Librería Central   Tiquete    200  16/09/2001  Alimentación         100.00
//   222 Librería Central   Form 203   300  01/10/2001  Vestuario            500.00
//   333 Farmacia <Norte>   Factura  B 400  15/07/2001  Alimentación         250.25
// Worksheet 2 (Ana Pérez, period 4) and 3 (Bruno, period 4) hold other rows.
#include "core/biblio.h"
#include "platform/system/app_info.h"
#include "support/support.h"

#include <QDir>
#include <QtGlobal>

namespace printing_test {

struct Fixture {
    support::TestDatabase db;
    support::TempSettings settings;

    Fixture()
    {
        Biblio::gBaseDatos = db.path();
        Biblio::GuardaConfiguracion(QStringLiteral("DefaultPer"), QStringLiteral("3"));
        Biblio::gPeriodo = QStringLiteral("3");
        Biblio::gPeriodoDel = QStringLiteral("01/07/2001");
        Biblio::gPeriodoAl = QStringLiteral("30/06/2002");
        sys::setAppPath(QDir(qEnvironmentVariable("ZAL_SOURCE_DIR")).filePath(QStringLiteral("resources")));
        db.exec(QStringLiteral(
            "INSERT INTO Contribuyentes (\"No\", Nit, Nombre, Calle, Casa, Zona, Muni, Depto, NPat, NomPat) VALUES "
            "(1, '1234567', 'Ana Pérez', '5a. Avenida', '10-20', '1', 'Tolvania', 'Central', '7654321', 'Patrono S.A.'),"
            "(2, '2222222', 'Bruno Díaz', NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
            "(3, '3333333', 'Carla O''Neil', NULL, NULL, NULL, NULL, NULL, NULL, NULL);"
            "INSERT INTO Proveedores (Nit, Nombre) VALUES ('111', 'Gasolinera Sur'), ('222', 'Librería Central'),"
            "('333', 'Farmacia <Norte>');"
            "INSERT INTO Planilla_Enc (\"No\", Contribuyente, Periodo) VALUES (1, 1, 3), (2, 1, 4), (3, 2, 4);"
            "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto, Galon) VALUES "
            "(1, '111', '0', 'A', '100', 37149, 24, 1000, 20.5),"
            "(1, '222', '1', NULL, '200', 37150, 1, 100, NULL),"
            "(1, '222', '8', NULL, '300', 37165, 2, 500, NULL),"
            "(1, '333', '0', 'B', '400', 37087, 1, 250.25, NULL),"
            "(2, '111', '0', 'Z', '900', 37500, 24, 999.99, 19),"
            "(3, '222', '0', 'Y', '901', 37500, 1, 777.77, NULL);"));
    }
    ~Fixture() { sys::setAppPath(QString()); }
};

} // namespace printing_test
