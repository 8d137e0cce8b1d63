// Submission files: the export of 1,000 taxpayers x 100 documents into an empty folder (the three
// queries, the lines, a temporary file and its rename per taxpayer) beside the same queries, lines
// and files done with plain SQLite and C++.
#include "bench.h"
#include "floors.h"

#include "core/biblio.h"
#include "export/export_run.h"
#include "platform/basic/basic.h"
#include "platform/db/jet_sql.h"
#include "platform/system/clock.h"

#include <QDir>
#include <QFile>
#include <sqlite3.h>
#include <cstdio>

namespace {

constexpr int kTaxpayers = 1000;
constexpr int kDocuments = 100;

void run(const QString& workDir)
{
    const QString path = QDir(workDir).filePath(QStringLiteral("export.mdb"));
    bench::makeWorksheetFile(path, kTaxpayers, kDocuments);
    db::Database database = db::Database::open(path, Biblio::kConnect);
    db::Recordset period = database.openRecordset(QStringLiteral("SELECT Del, Al FROM Periodos WHERE [No] = 3"));
    const QString del = basic::CDate(period.field(QStringLiteral("Del"))).toDate().toString(QStringLiteral("dd/MM/yyyy"));
    const QString al = basic::CDate(period.field(QStringLiteral("Al"))).toDate().toString(QStringLiteral("dd/MM/yyyy"));
    period.close();

    int round = 0;
    QString lastFolder;
    const auto freshFolder = [&](const char* kind) {
        const QString folder = QDir(workDir).filePath(QStringLiteral("%1%2").arg(QLatin1String(kind)).arg(++round));
        QDir().mkpath(folder);
        return folder;
    };

    const double ms = bench::medianMs(5, [&] {
        const QString folder = freshFolder("export");
        envios::RunRecordsets rs;
        for (int k = 1; k <= kTaxpayers; ++k) {
            const envios::TaxpayerFile file
                = envios::writeTaxpayerFile(database, k, QStringLiteral("3"), del, al, folder, QStringLiteral("/"), rs);
            if (file.status != envios::TaxpayerFile::Status::Written) {
                std::fprintf(stderr, "bench export: taxpayer %d not written: %s\n", k, qPrintable(file.cause));
                std::exit(1);
            }
        }
        lastFolder = folder;
    });

    sqlite3* plain = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &plain, SQLITE_OPEN_READONLY, nullptr);
    db::jet::registerFunctions(plain);
    QString lastPlain;
    const double floorMs = bench::medianMs(5, [&] {
        const QString folder = freshFolder("plain");
        const QDate today = sys::today();
        for (int k = 1; k <= kTaxpayers; ++k)
            bench::plainSubmissionFile(plain, k, 3, folder, today);
        lastPlain = folder;
    });
    sqlite3_close(plain);

    // The floor must have written the very same files.
    const QDir programFiles(lastFolder);
    const QDir plainFiles(lastPlain);
    qint64 bytes = 0;
    int files = 0;
    for (const QString& name : programFiles.entryList(QDir::Files)) {
        QFile a(programFiles.filePath(name));
        QFile b(plainFiles.filePath(name));
        if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.readAll() != b.readAll()) {
            std::fprintf(stderr, "bench export: the floor's %s differs from the program's\n", qPrintable(name));
            std::exit(1);
        }
        bytes += a.size();
        ++files;
    }
    std::printf("(%d files, %lld bytes, the same from both)\n", files, static_cast<long long>(bytes));
    bench::report(QStringLiteral("export 1,000 taxpayers x 100 documents"), ms, floorMs);
}

} // namespace

ZAL_BENCH_SECTION("export", run)
