// How long the shared fixture takes to make (plain SQLite; no floor of its own).
#include "bench.h"

#include <QDir>

namespace {
void run(const QString& workDir)
{
    const QString path = QDir(workDir).filePath(QStringLiteral("fixture.mdb"));
    const double ms = bench::medianMs(1, [&] { bench::makeWorksheetFile(path, 1000, 100); });
    bench::reportAlone(QStringLiteral("make 1,000 taxpayers x 100 documents"), ms);
}
} // namespace

ZAL_BENCH_SECTION("fixture", run)
