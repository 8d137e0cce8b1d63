// The large worksheet file the sections share: plain SQLite inserts in one transaction.
#include "bench.h"
#include "core/biblio.h"
#include "platform/db/jet_sql.h"
#include "platform/db/schema.h"

#include <QFile>
#include <sqlite3.h>
#include <cstdio>
#include <algorithm>
#include <cstdlib>

namespace bench {

namespace {
QString withCheckCharacter(const QString& body)
{
    const QString checks = QStringLiteral("0123456789K");
    for (const QChar c : checks) {
        const QString nit = body + c;
        if (Biblio::ValidaNit(nit))
            return nit;
    }
    return body + QLatin1Char('0');
}

void check(int rc, sqlite3* db, const char* what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "bench fixture: %s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}
} // namespace

QString taxpayerNit(int k) { return withCheckCharacter(QString::number(1000000 + k)); }
QString supplierNit(int k) { return withCheckCharacter(QString::number(5000000 + k)); }

int documentSupplier(int taxpayer, int document)
{
    // Neighbouring documents of a worksheet name suppliers far apart in the catalogue, and the
    // worksheets of neighbouring taxpayers start at different suppliers.
    return 1 + int((qint64(taxpayer) * 7919 + qint64(document) * 104729) % kSuppliers);
}

void makeWorksheetFile(const QString& path, int taxpayers, int documents, int period)
{
    QFile::remove(path);
    QString why;
    if (!db::createDefaultDatabase(path, &why)) {
        std::fprintf(stderr, "bench fixture: %s\n", why.toUtf8().constData());
        std::exit(1);
    }
    sqlite3* db = nullptr;
    check(sqlite3_open(path.toUtf8().constData(), &db), db, "open");
    db::jet::registerFunctions(db);   // the program's NOCASE, as its own connections compare
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(db, "INSERT INTO Proveedores (Nit, Nombre) VALUES (?1, ?2)", -1, &st, nullptr), db, "prepare");
    for (int k = 1; k <= kSuppliers; ++k) {
        const QByteArray nit = supplierNit(k).toUtf8();
        const QByteArray name = QStringLiteral("Proveedor número %1, S.A.").arg(k).toUtf8();
        sqlite3_bind_text(st, 1, nit.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, name.constData(), -1, SQLITE_TRANSIENT);
        check(sqlite3_step(st), db, "supplier");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);

    sqlite3_stmt* tp = nullptr;
    sqlite3_stmt* enc = nullptr;
    sqlite3_stmt* det = nullptr;
    check(sqlite3_prepare_v2(db, "INSERT INTO Contribuyentes (\"No\", Nit, Nombre, Calle, Zona, Depto, Muni, NPat, NomPat) "
                                 "VALUES (?1, ?2, ?3, '5a. Avenida 10-20', '1', 'Valdoria', 'Villa Brena', ?4, 'Patrono, S.A.')",
                             -1, &tp, nullptr), db, "prepare");
    check(sqlite3_prepare_v2(db, "INSERT INTO Planilla_Enc (\"No\", Contribuyente, Periodo) VALUES (?1, ?1, ?2)", -1, &enc, nullptr), db, "prepare");
    check(sqlite3_prepare_v2(db, "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto, Galon) "
                                 "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)", -1, &det, nullptr), db, "prepare");
    // Period dates come from the seed: period p starts on serial 36342 + ~365 * (p - 1).
    sqlite3_stmt* per = nullptr;
    check(sqlite3_prepare_v2(db, "SELECT Del, Al FROM Periodos WHERE \"No\" = ?1", -1, &per, nullptr), db, "prepare");
    sqlite3_bind_int(per, 1, period);
    check(sqlite3_step(per), db, "period");
    const int del = sqlite3_column_int(per, 0);
    const int al = sqlite3_column_int(per, 1);
    sqlite3_finalize(per);
    const QByteArray patron = taxpayerNit(999999).toUtf8();
    for (int k = 1; k <= std::max(taxpayers, kMinTaxpayers); ++k) {
        const QByteArray nit = taxpayerNit(k).toUtf8();
        const QByteArray name = QStringLiteral("Contribuyente de prueba %1").arg(k).toUtf8();
        sqlite3_bind_int(tp, 1, k);
        sqlite3_bind_text(tp, 2, nit.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(tp, 3, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(tp, 4, patron.constData(), -1, SQLITE_TRANSIENT);
        check(sqlite3_step(tp), db, "taxpayer");
        sqlite3_reset(tp);
    }
    for (int k = 1; k <= taxpayers; ++k) {
        sqlite3_bind_int(enc, 1, k);
        sqlite3_bind_int(enc, 2, period);
        check(sqlite3_step(enc), db, "header");
        sqlite3_reset(enc);
        for (int d = 0; d < documents; ++d) {
            const int kind = d % 10;
            // Mostly invoices, some tickets/forms and one fuel document in ten.
            const char* tipo = kind == 7 ? "8" : (kind == 8 ? "11" : "0");
            const bool fuel = kind == 9;
            const QByteArray prov = supplierNit(documentSupplier(k, d)).toUtf8();
            const QByteArray noDoc = QByteArray::number(100000 + d);
            sqlite3_bind_int(det, 1, k);
            sqlite3_bind_text(det, 2, prov.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(det, 3, fuel ? "0" : tipo, -1, SQLITE_STATIC);
            if (fuel || tipo[0] == '0' || tipo[1] == '1')
                sqlite3_bind_text(det, 4, "A", -1, SQLITE_STATIC);
            else
                sqlite3_bind_null(det, 4);
            sqlite3_bind_text(det, 5, noDoc.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(det, 6, del + (d * 3) % std::max(1, al - del));
            sqlite3_bind_int(det, 7, fuel ? 24 : 1 + d % 20);
            sqlite3_bind_double(det, 8, fuel ? 423.0 : 10.0 + d * 1.25);
            if (fuel)
                sqlite3_bind_double(det, 9, 47.0);
            else
                sqlite3_bind_null(det, 9);
            check(sqlite3_step(det), db, "detail");
            sqlite3_reset(det);
        }
    }
    sqlite3_finalize(tp);
    sqlite3_finalize(enc);
    sqlite3_finalize(det);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
}

} // namespace bench
