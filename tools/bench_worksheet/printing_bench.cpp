// Printing: the worksheet of a taxpayer with 1,000 documents rendered to PDF, and its two
// statistics. The floor reads the same rows with plain SQLite.
#include "bench.h"

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

// Reads every detail row of header `header` with its supplier and expense names.
void plainRead(const QString& path, int header)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT d.Provee, p.Nombre, d.Tipo, d.Serie, d.NoDoc, d.Fecha, g.Descripcion, d.Monto, d.Galon "
                       "FROM Planilla_Det d LEFT JOIN Proveedores p ON d.Provee = p.Nit "
                       "LEFT JOIN Gastos g ON d.Gasto = g.Codigo WHERE d.Enc = ?1 ORDER BY d.Fecha, d.Secuencia",
                       -1, &st, nullptr);
    sqlite3_bind_int(st, 1, header);
    double sum = 0;
    while (sqlite3_step(st) == SQLITE_ROW)
        sum += sqlite3_column_double(st, 7);
    sqlite3_finalize(st);
    sqlite3_close(db);
    if (sum < 0)
        std::printf("impossible\n");
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

void run(const QString& workDir)
{
    const QString path = QDir(workDir).filePath(QStringLiteral("printing.mdb"));
    bench::makeWorksheetFile(path, 3, 1000);
    const QString pdf = QDir(workDir).filePath(QStringLiteral("salida.pdf"));
    const double floorMs = bench::medianMs(5, [&] { plainRead(path, 2); });

    report::ReportControl worksheet;
    worksheet.setReportFileName(templateFile(QStringLiteral("rep001.rpt")));
    worksheet.setDataFiles(0, path);
    worksheet.setConnect(QStringLiteral(";PWD=MIRVOSK"));
    worksheet.setSelectionFormula(QStringLiteral("{Planilla_Enc.No} = 2"));
    worksheet.setFormulas(10, QStringLiteral("CRD = '12,345.67'"));
    bench::report(QStringLiteral("worksheet of 1,000 documents to PDF"),
                  bench::medianMs(5, [&] { toPdf(worksheet, pdf); }), floorMs);

    for (const auto& [file, what] : {std::pair{QStringLiteral("rep002.rpt"), QStringLiteral("by expense type")},
                                     std::pair{QStringLiteral("rep004.rpt"), QStringLiteral("by supplier")}}) {
        report::ReportControl stats;
        stats.setReportFileName(templateFile(file));
        stats.setDataFiles(0, path);
        stats.setConnect(QStringLiteral(";PWD=MIRVOSK"));
        stats.setSelectionFormula(QStringLiteral("{Planilla_Enc.Contribuyente} = 2 And {Planilla_Enc.Periodo} = 3"));
        bench::report(QStringLiteral("statistics ") + what + QStringLiteral(" to PDF"),
                      bench::medianMs(5, [&] { toPdf(stats, pdf); }), floorMs);
    }
}

} // namespace

ZAL_BENCH_SECTION("printing", run)
