// Submission files: the export of 1,000 taxpayers x 100 documents into an empty folder (queries,
// file building, temporary file and rename per taxpayer) beside writing the same bytes with plain
// file calls.
#include "bench.h"
#include "core/biblio.h"
#include "export/export_run.h"
#include "platform/basic/basic.h"
#include "platform/system/clock.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <vector>

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

    const double ms = bench::medianMs(3, [&] {
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

    // The floor: the same files, already built, written with plain calls.
    std::vector<std::pair<QByteArray, QByteArray>> files;
    const QDir written(lastFolder);
    qint64 bytes = 0;
    for (const QString& name : written.entryList(QDir::Files)) {
        QFile f(written.filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            std::exit(1);
        files.emplace_back(QFile::encodeName(name), f.readAll());
        bytes += files.back().second.size();
    }
    const double floorMs = bench::medianMs(3, [&] {
        const QByteArray folder = QFile::encodeName(freshFolder("plain")) + '/';
        for (const auto& [name, content] : files) {
            std::FILE* out = std::fopen((folder + name).constData(), "wb");
            if (!out)
                std::exit(1);
            std::fwrite(content.constData(), 1, size_t(content.size()), out);
            std::fclose(out);
        }
    });
    std::printf("(%zu files, %lld bytes)\n", files.size(), static_cast<long long>(bytes));
    bench::report(QStringLiteral("export 1,000 taxpayers x 100 documents"), ms, floorMs);
}

} // namespace

ZAL_BENCH_SECTION("export", run)
