// How each action grows with the size of a worksheet: load (Enter in the taxpayer box), save one
// more document, the header-click sort, the print to PDF from the preview and the export of one
// taxpayer, at 100, 1,000, 10,000 and 50,000 documents (or --sizes=...), each beside its floor.
// Prints per action the medians, the ratios to the floor and the growth from one size to the
// next (the exponent of the time against the size: 1.0 is linear).
#include "bench.h"
#include "entry.h"
#include "floors.h"

#include "core/biblio.h"
#include "export/export_run.h"
#include "platform/basic/basic.h"
#include "platform/db/jet_sql.h"
#include "platform/report/report_control.h"
#include "platform/report/report_preview.h"
#include "platform/system/app_info.h"
#include "platform/system/clock.h"
#include "platform/system/settings.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"
#include "platform/ui/masked_box.h"
#include "printing/frm_reportes.h"
#include "worksheet/frm_planillas.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <sqlite3.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

constexpr double kBudgetMs = 4000;   // time given to each measurement
constexpr int kMaxReps = 15;

// Answers every dialog of the program without a window: input boxes take their default, a save
// dialog names the bench's file, message boxes are counted (none is expected).
class BenchDialogs : public ui::DialogService {
public:
    int msgBox(const QString& prompt, int, const QString&, int) override
    {
        std::fprintf(stderr, "bench: unexpected message: %s\n", prompt.toUtf8().constData());
        ++messages;
        return ui::vbOK;
    }
    QString inputBox(const QString&, const QString&, const QString& defaultText) override { return defaultText; }
    QString openFile(const ui::OpenFileOptions&) override { return {}; }
    QString saveFile(const ui::OpenFileOptions&) override { return savePath; }
    QString browseFolder(const QString&, const QString&) override { return {}; }
    QString savePath;
    int messages = 0;
};

void enter(const std::function<void(int&)>& handler)
{
    ui::runHandler([&] {
        int k = 13;
        handler(k);
    });
}

struct Figure {
    double ms = 0;
    double floorMs = 0;
    int runs = 0;
    double gridMs = -1;     // the grid's own part of the action (filling it from the record set)
    double peakMb = 0;      // print only
    double residentMb = 0;  // before the print
};

// action -> size -> figure
std::map<QString, std::map<int, Figure>> results;
const QStringList kActions {QStringLiteral("load"), QStringLiteral("save"), QStringLiteral("sort"),
                            QStringLiteral("print"), QStringLiteral("export")};

void deleteAddedDocuments(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    db::jet::registerFunctions(db);
    sqlite3_exec(db, "DELETE FROM Planilla_Det WHERE NoDoc >= '800000'", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void measure(const QString& workDir, int size)
{
    const QString path = QDir(workDir).filePath(QStringLiteral("scaling%1.mdb").arg(size));
    bench::makeWorksheetFile(path, 2, size, 3);
    Biblio::gBaseDatos = path;
    BenchDialogs dialogs;
    ui::DialogService* previousDialogs = ui::setDialogService(&dialogs);
    bench::WorksheetFloor floor(path);

    // ---- Load, save and sort on the entry form ----
    {
        frmPlanillas f;
        f.Load();
        int k = 0;
        const bench::Sample load = bench::sampleMs(kMaxReps, kBudgetMs, [&] {
            k = k % 2 + 1;
            ui::runHandler([&] { f.cmbContrib->setText(bench::taxpayerNit(k)); });
            enter([&](int& key) { f.cmbContrib_KeyPress(key); });
        });
        if (f.dtDetalle->Recordset().recordCount() != size)
            std::fprintf(stderr, "bench: the worksheet holds %d rows, not %d\n", f.dtDetalle->Recordset().recordCount(), size);
        k = 0;
        const bench::Sample loadFloor = bench::sampleMs(kMaxReps, kBudgetMs, [&] {
            k = k % 2 + 1;
            floor.load(k);
        });
        // The grid's share: filling it again from the record set the load left.
        const bench::Sample grid = bench::sampleMs(kMaxReps, kBudgetMs, [&] { f.grdDetalle->ReBind(); });
        results[QStringLiteral("load")][size] = {load.ms, loadFloor.ms, load.runs, grid.ms};

        // Save: one more document each time into taxpayer 1's worksheet.
        ui::runHandler([&] { f.cmbContrib->setText(bench::taxpayerNit(1)); });
        enter([&](int& key) { f.cmbContrib_KeyPress(key); });
        const QString provee = bench::supplierNit(2);
        int n = 0;
        const bench::Sample save = bench::sampleMs(kMaxReps, kBudgetMs, [&] {
            ++n;
            bench::saveInvoice(f, provee, QString::number(900000 + n), 10 + n % 50);
        });
        if (f.dtDetalle->Recordset().recordCount() != size + n)
            std::fprintf(stderr, "bench: after %d saves the worksheet holds %d rows\n", n,
                         f.dtDetalle->Recordset().recordCount());
        n = 0;
        const QByteArray proveeBytes = provee.toUtf8();
        const bench::Sample saveFloor = bench::sampleMs(kMaxReps, kBudgetMs, [&] {
            ++n;
            floor.addDocument(1, proveeBytes, QByteArray::number(800000 + n), 10 + n % 50);
        });
        // A save fills the grid once again, after the write.
        results[QStringLiteral("save")][size] = {save.ms, saveFloor.ms, save.runs, grid.ms};

        // Sort: the amount header clicked, ascending and descending in turn.
        const bench::Sample sort
            = bench::sampleMs(kMaxReps, kBudgetMs, [&] { ui::runHandler([&] { f.grdDetalle_HeadClick(6); }); });
        bool ascending = false;
        const bench::Sample sortFloor = bench::sampleMs(kMaxReps, kBudgetMs, [&] {
            ascending = !ascending;
            floor.sortByAmount(1, ascending);
        });
        results[QStringLiteral("sort")][size] = {sort.ms, sortFloor.ms, sort.runs, grid.ms};
        f.Unload();
    }
    deleteAddedDocuments(path);

    // ---- Print to PDF from the preview ----
    {
        const QString pdf = QDir(workDir).filePath(QStringLiteral("planilla%1.pdf").arg(size));
        dialogs.savePath = pdf;
        report::Presenter previous = report::setPresenter([&](const report::ReportControl& control,
                                                              const report::RenderedReport& rendered) {
            report::ReportPreview* preview = report::showPreview(rendered, control.windowState());
            QApplication::processEvents();
            if (!preview->exportPdf())
                std::fprintf(stderr, "bench: the PDF was not written\n");
            preview->close();
            QApplication::processEvents();
        });
        frmReportes r;
        r.Load();
        ui::runHandler([&] { r.cmbContrib->setText(bench::taxpayerNit(1)); });
        enter([&](int& key) { r.cmbContrib_KeyPress(key); });
        const double resident = bench::residentMemoryMb();
        bench::resetPeakMemory();
        const bench::Sample print = bench::sampleMs(kMaxReps, kBudgetMs, [&] {
            QFile::remove(pdf);
            ui::runHandler([&] { r.cmdImprime_Click(); });
        });
        const double peak = bench::peakMemoryMb();
        if (QFileInfo(pdf).size() == 0)
            std::fprintf(stderr, "bench: no PDF\n");
        r.Unload();
        report::setPresenter(previous);
        const QString floorPdf = QDir(workDir).filePath(QStringLiteral("plain%1.pdf").arg(size));
        const bench::Sample printFloor
            = bench::sampleMs(kMaxReps, kBudgetMs, [&] { bench::plainWorksheetPdf(path, 1, floorPdf); });
        Figure figure;
        figure.ms = print.ms;
        figure.floorMs = printFloor.ms;
        figure.runs = print.runs;
        figure.peakMb = peak;
        figure.residentMb = resident;
        results[QStringLiteral("print")][size] = figure;
    }

    // ---- Export of one taxpayer ----
    {
        db::Database database = db::Database::open(path, Biblio::kConnect);
        const QString folder = QDir(workDir).filePath(QStringLiteral("envios%1").arg(size));
        const QString plainFolder = QDir(workDir).filePath(QStringLiteral("plano%1").arg(size));
        QDir().mkpath(folder);
        QDir().mkpath(plainFolder);
        envios::RunRecordsets rs;
        QString written;
        const bench::Sample exported = bench::sampleMs(kMaxReps, kBudgetMs, [&] {
            const envios::TaxpayerFile file = envios::writeTaxpayerFile(
                database, 1, QStringLiteral("3"), QStringLiteral("01/07/2001"), QStringLiteral("30/06/2002"), folder,
                QStringLiteral("/"), rs);
            if (file.status != envios::TaxpayerFile::Status::Written) {
                std::fprintf(stderr, "bench: export failed: %s\n", file.cause.toUtf8().constData());
                std::exit(1);
            }
            written = file.path;
        });
        rs.close();
        sqlite3* plain = nullptr;
        sqlite3_open_v2(path.toUtf8().constData(), &plain, SQLITE_OPEN_READONLY, nullptr);
        db::jet::registerFunctions(plain);
        QByteArray plainBytes;
        const bench::Sample exportFloor = bench::sampleMs(kMaxReps, kBudgetMs, [&] {
            plainBytes = bench::plainSubmissionFile(plain, 1, 3, plainFolder, sys::today());
        });
        sqlite3_close(plain);
        QFile program(written);
        program.open(QIODevice::ReadOnly);
        if (program.readAll() != plainBytes)
            std::fprintf(stderr, "bench: the floor's submission file differs from the program's\n");
        results[QStringLiteral("export")][size] = {exported.ms, exportFloor.ms, exported.runs};
    }
    ui::setDialogService(previousDialogs);
    QFile::remove(path);
}

QString actionTitle(const QString& action)
{
    if (action == QLatin1String("load"))
        return QStringLiteral("load a worksheet (Enter in the taxpayer box)");
    if (action == QLatin1String("save"))
        return QStringLiteral("save one more document");
    if (action == QLatin1String("sort"))
        return QStringLiteral("header-click sort");
    if (action == QLatin1String("print"))
        return QStringLiteral("print to PDF from the preview");
    return QStringLiteral("export, one taxpayer");
}

void printTable()
{
    const std::vector<int>& sizes = bench::scalingSizes();
    std::printf("\n%-22s", "documents");
    for (const int n : sizes)
        std::printf("%14d", n);
    std::printf("\n");
    for (const QString& action : kActions) {
        const auto& bySize = results[action];
        std::printf("-- %s\n", actionTitle(action).toUtf8().constData());
        std::printf("%-22s", "  program ms");
        for (const int n : sizes)
            std::printf("%14.2f", bySize.at(n).ms);
        std::printf("\n%-22s", "  floor ms");
        for (const int n : sizes)
            std::printf("%14.2f", bySize.at(n).floorMs);
        std::printf("\n%-22s", "  ratio to floor");
        for (const int n : sizes)
            std::printf("%13.1fx", bySize.at(n).floorMs > 0 ? bySize.at(n).ms / bySize.at(n).floorMs : 0.0);
        std::printf("\n%-22s", "  growth (exponent)");
        for (size_t i = 0; i < sizes.size(); ++i) {
            if (i == 0) {
                std::printf("%14s", "");
                continue;
            }
            const Figure& a = bySize.at(sizes[i - 1]);
            const Figure& b = bySize.at(sizes[i]);
            std::printf("%14.2f", std::log(b.ms / a.ms) / std::log(double(sizes[i]) / sizes[i - 1]));
        }
        if (bySize.at(sizes.front()).gridMs >= 0) {
            std::printf("\n%-22s", "  of which grid ms");
            for (const int n : sizes)
                std::printf("%14.2f", bySize.at(n).gridMs);
            std::printf("\n%-22s", "  without grid, ratio");
            for (const int n : sizes) {
                const Figure& x = bySize.at(n);
                std::printf("%13.1fx", x.floorMs > 0 ? std::max(0.0, x.ms - x.gridMs) / x.floorMs : 0.0);
            }
        }
        std::printf("\n%-22s", "  runs");
        for (const int n : sizes)
            std::printf("%14d", bySize.at(n).runs);
        if (action == QLatin1String("print")) {
            std::printf("\n%-22s", "  peak memory MB");
            for (const int n : sizes)
                std::printf("%14.0f", bySize.at(n).peakMb);
            std::printf("\n%-22s", "  resident before MB");
            for (const int n : sizes)
                std::printf("%14.0f", bySize.at(n).residentMb);
        }
        std::printf("\n");
    }
    std::fflush(stdout);
}

void run(const QString& workDir)
{
    sys::setSettingsFile(QDir(workDir).filePath(QStringLiteral("settings.ini")));
    sys::setAppPath(QStringLiteral(ZAL_RESOURCES_DIR));
    Biblio::GuardaConfiguracion(QStringLiteral("DefaultPer"), QStringLiteral("3"));
    Biblio::gPeriodo = QStringLiteral("3");
    Biblio::gPeriodoNo = 3;
    Biblio::gPeriodoDel = QStringLiteral("01/07/2001");
    Biblio::gPeriodoAl = QStringLiteral("30/06/2002");
    Biblio::gCoeficiente = 0.107142;
    for (const int size : bench::scalingSizes()) {
        const auto start = std::chrono::steady_clock::now();
        measure(workDir, size);
        const double seconds
            = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("(%d documents measured in %.0f s)\n", size, seconds);
        std::fflush(stdout);
    }
    printTable();
}

} // namespace

ZAL_BENCH_SECTION("scaling", run)
