// Printing: the worksheet of a taxpayer with 1,000 documents rendered to PDF, and the two
// statistics of a taxpayer's worksheet on the file of 1,000 taxpayers x 100 documents. Each floor
// reads the same rows with plain SQLite (through the same indexes) and writes them as a PDF table.
#include "bench.h"
#include "floors.h"

#include "platform/db/database.h"
#include "platform/db/jet_sql.h"
#include "platform/report/report_control.h"

#include <QDir>
#include <QFile>
#include <sqlite3.h>
#include <cstdio>

namespace {

QString templateFile(const QString& name)
{
    return QDir(QStringLiteral(ZAL_RESOURCES_DIR)).filePath(name);
}

void toPdf(report::ReportControl& control, const QString& pdf)
{
    QString cause;
    const auto rendered = control.render(&cause);
    if (!rendered || !rendered->writePdf(pdf, &cause)) {
        std::fprintf(stderr, "printing bench: %s\n", cause.toUtf8().constData());
        std::exit(1);
    }
}

// The statistics of taxpayer 2 (worksheet 2) grouped by expense type or by supplier, read with plain SQLite
// and written as a PDF table.
void plainStatistics(const QString& path, bool bySupplier, const QString& pdf)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    db::jet::registerFunctions(db);
    const char* sql = bySupplier
        ? "SELECT d.Provee || ' ' || p.Nombre, Count(d.Secuencia), Sum(d.Monto), Sum(d.Monto) * 100 / "
          "(SELECT Sum(Monto) FROM Planilla_Det WHERE Enc = 2) FROM Planilla_Det d LEFT JOIN Proveedores p "
          "ON upper(d.Provee) = upper(p.Nit) WHERE d.Enc = 2 GROUP BY d.Provee, p.Nombre ORDER BY Sum(d.Monto) DESC"
        : "SELECT g.Descripcion, Count(d.Secuencia), Sum(d.Monto), Sum(d.Monto) * 100 / "
          "(SELECT Sum(Monto) FROM Planilla_Det WHERE Enc = 2) FROM Planilla_Det d LEFT JOIN Gastos g "
          "ON d.Gasto = g.Codigo WHERE d.Enc = 2 GROUP BY d.Gasto, g.Descripcion ORDER BY Sum(d.Monto) DESC";
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    std::vector<QStringList> rows;
    while (sqlite3_step(st) == SQLITE_ROW) {
        rows.push_back({QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))),
                        QString::number(sqlite3_column_int(st, 1)), QString::number(sqlite3_column_double(st, 2), 'f', 2),
                        QString::number(sqlite3_column_double(st, 3), 'f', 2)});
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    bench::plainTablePdf({QStringLiteral("Grupo"), QStringLiteral("Documentos"), QStringLiteral("Monto"),
                          QStringLiteral("%")},
                         rows, pdf);
}

void run(const QString& workDir)
{
    const QString path = QDir(workDir).filePath(QStringLiteral("printing.mdb"));
    bench::makeWorksheetFile(path, 3, 1000);
    const QString statisticsPath = QDir(workDir).filePath(QStringLiteral("statistics.mdb"));
    bench::makeWorksheetFile(statisticsPath, 1000, 100);
    const QString pdf = QDir(workDir).filePath(QStringLiteral("salida.pdf"));
    const QString plainPdf = QDir(workDir).filePath(QStringLiteral("plano.pdf"));

    // The print forms hold connections to the file while they print (their lists), so the
    // report's own connection does not check the whole file again: so here too.
    const db::Database heldWorksheet = db::Database::open(path, QStringLiteral(";PWD=MIRVOSK"));
    const db::Database heldStatistics = db::Database::open(statisticsPath, QStringLiteral(";PWD=MIRVOSK"));

    report::ReportControl worksheet;
    worksheet.setReportFileName(templateFile(QStringLiteral("rep001.rpt")));
    worksheet.setDataFiles(0, path);
    worksheet.setConnect(QStringLiteral(";PWD=MIRVOSK"));
    worksheet.setSelectionFormula(QStringLiteral("{Planilla_Enc.No} = 2"));
    worksheet.setFormulas(10, QStringLiteral("CRD = '12,345.67'"));
    bench::report(QStringLiteral("worksheet of 1,000 documents to PDF"),
                  bench::medianMs(5, [&] { toPdf(worksheet, pdf); }),
                  bench::medianMs(5, [&] { bench::plainWorksheetPdf(path, 2, plainPdf); }));

    for (const auto& [file, bySupplier] : {std::pair{QStringLiteral("rep002.rpt"), false},
                                           std::pair{QStringLiteral("rep004.rpt"), true}}) {
        report::ReportControl stats;
        stats.setReportFileName(templateFile(file));
        stats.setDataFiles(0, statisticsPath);
        stats.setConnect(QStringLiteral(";PWD=MIRVOSK"));
        stats.setSelectionFormula(QStringLiteral("{Planilla_Enc.Contribuyente} = 2 And {Planilla_Enc.Periodo} = 3"));
        const double ms = bench::medianMs(5, [&] { toPdf(stats, pdf); });
        const double floorMs = bench::medianMs(5, [&] { plainStatistics(statisticsPath, bySupplier, plainPdf); });
        bench::report(QStringLiteral("statistics ") + (bySupplier ? QStringLiteral("by supplier") : QStringLiteral("by expense type"))
                          + QStringLiteral(" to PDF (100 of 100,000)"),
                      ms, floorMs);
    }
}

} // namespace

ZAL_BENCH_SECTION("printing", run)
