// The entry form at size: loading a taxpayer's worksheet (Enter in the taxpayer box, grid
// filled, total and credit), saving one document (checks, write, Gogo) and the grid's header
// sort, each beside the same work done with plain SQLite calls.
#include "bench.h"

#include "core/biblio.h"
#include "platform/db/jet_sql.h"
#include "platform/system/settings.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/form.h"
#include "platform/ui/masked_box.h"
#include "worksheet/frm_planillas.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <sqlite3.h>
#include <cstdio>

namespace {

constexpr int kReps = 60;

void enter(const std::function<void(int&)>& handler)
{
    ui::runHandler([&] {
        int k = 13;
        handler(k);
    });
}

// Plain SQLite: the worksheet of a taxpayer read whole (header, joined detail rows, sums).
struct Floor {
    sqlite3* db = nullptr;
    sqlite3_stmt* header = nullptr;
    sqlite3_stmt* detail = nullptr;
    sqlite3_stmt* sorted = nullptr;
    sqlite3_stmt* find = nullptr;
    sqlite3_stmt* update = nullptr;

    explicit Floor(const QString& path)
    {
        sqlite3_open(path.toUtf8().constData(), &db);
        db::jet::registerFunctions(db);
        sqlite3_prepare_v2(db, "SELECT \"No\" FROM Planilla_Enc WHERE Contribuyente = ?1 AND Periodo = ?2", -1, &header, nullptr);
        const char* select =
            "SELECT d.Enc, d.Secuencia, d.Provee, p.Nombre, d.Fecha, d.Tipo, d.Serie, d.NoDoc, d.Monto, d.Galon, "
            "CASE CAST(d.Tipo AS INTEGER) WHEN 0 THEN 'Factura' WHEN 7 THEN 'Declaracion Aduanera' "
            "WHEN 8 THEN 'Formulario 203' WHEN 11 THEN 'Factura Electrónica' ELSE 'Otro' END, d.Gasto, g.Descripcion "
            "FROM Proveedores p JOIN Planilla_Det d ON p.Nit = d.Provee JOIN Gastos g ON g.Codigo = d.Gasto WHERE d.Enc = ?1";
        sqlite3_prepare_v2(db, select, -1, &detail, nullptr);
        sqlite3_prepare_v2(db, (QByteArray(select) + " ORDER BY d.Monto").constData(), -1, &sorted, nullptr);
        sqlite3_prepare_v2(db, "SELECT Secuencia FROM Planilla_Det WHERE Enc = ?1 AND Provee = ?2 AND Tipo = '0' "
                               "AND Serie = 'A' AND NoDoc = ?3", -1, &find, nullptr);
        sqlite3_prepare_v2(db, "UPDATE Planilla_Det SET Fecha = ?1, Gasto = 1, Monto = ?2 WHERE Secuencia = ?3", -1,
                           &update, nullptr);
    }
    ~Floor()
    {
        for (sqlite3_stmt* s : {header, detail, sorted, find, update})
            sqlite3_finalize(s);
        sqlite3_close(db);
    }
    int headerOf(int taxpayer)
    {
        sqlite3_bind_int(header, 1, taxpayer);
        sqlite3_bind_int(header, 2, 3);
        const int no = sqlite3_step(header) == SQLITE_ROW ? sqlite3_column_int(header, 0) : 0;
        sqlite3_reset(header);
        return no;
    }
    double readAll(sqlite3_stmt* st, int enc)
    {
        sqlite3_bind_int(st, 1, enc);
        double sum = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < 13; ++c)
                sqlite3_column_text(st, c);
            sum += sqlite3_column_double(st, 8);
        }
        sqlite3_reset(st);
        return sum;
    }
    void save(int enc, const QByteArray& provee, double amount)
    {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_bind_int(find, 1, enc);
        sqlite3_bind_text(find, 2, provee.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(find, 3, "100000", -1, SQLITE_STATIC);
        const int seq = sqlite3_step(find) == SQLITE_ROW ? sqlite3_column_int(find, 0) : 0;
        sqlite3_reset(find);
        sqlite3_bind_int(update, 1, 37270);
        sqlite3_bind_double(update, 2, amount);
        sqlite3_bind_int(update, 3, seq);
        sqlite3_step(update);
        sqlite3_reset(update);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        readAll(detail, enc);
    }
};

void run(const QString& workDir)
{
    const QString path = QDir(workDir).filePath(QStringLiteral("worksheet.mdb"));
    bench::makeWorksheetFile(path, 1000, 100, 3);
    sys::setSettingsFile(QDir(workDir).filePath(QStringLiteral("settings.ini")));
    Biblio::gBaseDatos = path;
    Biblio::GuardaConfiguracion(QStringLiteral("DefaultPer"), QStringLiteral("3"));
    Biblio::gPeriodo = QStringLiteral("3");
    Biblio::gPeriodoNo = 3;
    Biblio::gPeriodoDel = QStringLiteral("01/07/2001");
    Biblio::gPeriodoAl = QStringLiteral("30/06/2002");
    Biblio::gCoeficiente = 0.107142;

    frmPlanillas f;
    f.Load();

    // Load: Enter in the taxpayer box for taxpayers spread over the file.
    int k = 0;
    const double load = bench::medianMs(kReps, [&] {
        k = (k + 97) % 1000;
        ui::runHandler([&] { f.cmbContrib->setText(bench::taxpayerNit(k + 1)); });
        enter([&](int& key) { f.cmbContrib_KeyPress(key); });
    });
    if (f.grdDetalle->rowCount() != 100)
        std::fprintf(stderr, "bench: the grid shows %d rows\n", f.grdDetalle->rowCount());
    Floor floor(path);
    k = 0;
    const double loadFloor = bench::medianMs(kReps, [&] {
        k = (k + 97) % 1000;
        floor.readAll(floor.detail, floor.headerOf(k + 1));
    });
    bench::report(QStringLiteral("load a worksheet (Enter in the taxpayer box)"), load, loadFloor);

    // Save: the first document of taxpayer 500 changed again and again.
    ui::runHandler([&] { f.cmbContrib->setText(bench::taxpayerNit(500)); });
    enter([&](int& key) { f.cmbContrib_KeyPress(key); });
    const QString provee = bench::supplierNit(1 + 500 % 50);
    int n = 0;
    const double save = bench::medianMs(kReps, [&] {
        ++n;
        ui::runHandler([&] { f.cmbProvee->setText(provee); });
        enter([&](int& key) { f.cmbProvee_KeyPress(key); });
        ui::runHandler([&] {
            f.cmbTipo->setCurrentIndex(0);
            f.cmbTipo_Click();
            f.txtSerie->setText(QStringLiteral("A"));
            f.txtDoc->setText(QStringLiteral("100000"));
            f.txtFecha->setText(QStringLiteral("15/01/2002"));
            f.cmbGasto->setBoundText(QStringLiteral("1"));
            f.txtCantidad->setText(QString::number(10 + n % 50) + QStringLiteral(".00"));
            f.cmdGrabar_Click();
        });
    });
    if (f.grdDetalle->rowCount() != 100)
        std::fprintf(stderr, "bench: after saving the grid shows %d rows\n", f.grdDetalle->rowCount());
    const int enc = floor.headerOf(500);
    const QByteArray proveeBytes = provee.toUtf8();
    n = 0;
    const double saveFloor = bench::medianMs(kReps, [&] { floor.save(enc, proveeBytes, 10 + (++n) % 50); });
    bench::report(QStringLiteral("save one document (checks, write, Gogo)"), save, saveFloor);

    // Sort: the amount header clicked, ascending and descending in turn.
    const double sort = bench::medianMs(kReps, [&] { ui::runHandler([&] { f.grdDetalle_HeadClick(6); }); });
    const double sortFloor = bench::medianMs(kReps, [&] { floor.readAll(floor.sorted, enc); });
    bench::report(QStringLiteral("sort the grid by a header click"), sort, sortFloor);
    f.Unload();
}

} // namespace

ZAL_BENCH_SECTION("worksheet", run)
