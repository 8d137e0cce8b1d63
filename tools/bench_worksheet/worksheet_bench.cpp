// The entry form on a file of 1,000 taxpayers x 100 documents: loading a taxpayer's worksheet
// (Enter in the taxpayer box, grid filled, total and credit), saving one document (checks, write,
// Gogo) and the grid's header sort, each beside the same reads and writes done with plain SQLite
// into the cheapest Qt model a grid can show.
#include "bench.h"
#include "entry.h"
#include "floors.h"

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
    bench::WorksheetFloor floor(path);
    k = 0;
    const double loadFloor = bench::medianMs(kReps, [&] {
        k = (k + 97) % 1000;
        floor.load(k + 1);
    });
    bench::report(QStringLiteral("load a worksheet (Enter in the taxpayer box)"), load, loadFloor);

    // Save: the first document of taxpayer 500 changed again and again.
    ui::runHandler([&] { f.cmbContrib->setText(bench::taxpayerNit(500)); });
    enter([&](int& key) { f.cmbContrib_KeyPress(key); });
    const QString provee = bench::supplierNit(bench::documentSupplier(500, 0));
    int n = 0;
    const double save = bench::medianMs(kReps, [&] {
        ++n;
        bench::saveInvoice(f, provee, QStringLiteral("100000"), 10 + n % 50);
    });
    if (f.grdDetalle->rowCount() != 100)
        std::fprintf(stderr, "bench: after saving the grid shows %d rows\n", f.grdDetalle->rowCount());
    const int enc = floor.headerOf(500);
    const QByteArray proveeBytes = provee.toUtf8();
    n = 0;
    const double saveFloor
        = bench::medianMs(kReps, [&] { floor.changeDocument(enc, proveeBytes, QByteArrayLiteral("100000"), 10 + (++n) % 50); });
    bench::report(QStringLiteral("save one document (checks, write, Gogo)"), save, saveFloor);

    // Sort: the amount header clicked, ascending and descending in turn.
    const double sort = bench::medianMs(kReps, [&] { ui::runHandler([&] { f.grdDetalle_HeadClick(6); }); });
    bool ascending = false;
    const double sortFloor = bench::medianMs(kReps, [&] {
        ascending = !ascending;
        floor.sortByAmount(enc, ascending);
    });
    bench::report(QStringLiteral("sort the grid by a header click"), sort, sortFloor);
    f.Unload();
}

} // namespace

ZAL_BENCH_SECTION("worksheet", run)
