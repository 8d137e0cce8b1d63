// The repair measured on a corpus of damaged files, run by hand:
//   build/tools/repair_corpus [--count N] [--seed S] [--taxpayers T] [--documents D]
//                             [--timeout SECONDS] [--jobs J] [--no-sqlite] [--keep FOLDER] [--list]
// Makes a worksheet file of T taxpayers with D documents each (400 x 60 by default), N damaged
// copies of it (210 by default), and repairs each one twice, each in a process of its own that is
// stopped after the timeout: with the program's repair, and with SQLite's own recovery (the
// sqlite3 command line's ".recover", with the stand-in for its page table that the Debian build
// lacks, dbpage_shim beside this program). It prints, per kind of damage, whether each one ended,
// the rows kept, altered, invented and junk rows, and the time; --list prints every file.
#include "support/damage_corpus.h"
#include "platform/db/database.h"
#include "platform/db/db_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <numeric>
#include <thread>

using namespace support::corpus;

namespace {

const QString kConnect = QStringLiteral(";pwd=MIRVOSK");

int repairOne(const QString& path)
{
    try {
        QList<db::RepairLoss> losses;
        const QString backup = db::repairDatabase(path, &losses, kConnect);
        std::printf("repaired %s\n", qPrintable(backup));
        for (const db::RepairLoss& l : losses)
            std::printf("loss %s %lld %lld %d\n", qPrintable(l.table), static_cast<long long>(l.rows),
                        static_cast<long long>(l.kept), l.counted ? 1 : 0);
    } catch (const db::DbError& e) {
        std::printf("refused %d\n", e.number());
    }
    return 0;
}

struct Run {
    bool ended = false;
    bool repaired = false;   // ours: repaired (not refused); SQLite: gave a file
    int refusal = 0;
    double seconds = 0;
    QMap<QString, qint64> reported;   // ours: the loss message, per table
    QMap<QString, qint64> uncounted;  // ours: tables whose message tells only the rows kept
    QMap<QString, TableOutcome> tables;
    qint64 lostAndFound = 0;          // SQLite: rows it could not place in their table
};

struct Result {
    QString name, kind;
    Run ours, sqlite;
};

Run runOurs(const QString& program, const QString& file, int timeoutMs, const QMap<QString, Rows>& original)
{
    Run r;
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(program, {QStringLiteral("--repair-one"), file});
    r.ended = p.waitForFinished(timeoutMs);
    r.seconds = t.elapsed() / 1000.0;
    if (!r.ended) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    for (const QString& line : QString::fromLocal8Bit(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList w = line.split(QLatin1Char(' '));
        if (w.first() == QLatin1String("repaired"))
            r.repaired = true;
        else if (w.first() == QLatin1String("refused"))
            r.refusal = w.value(1).toInt();
        else if (w.first() == QLatin1String("loss") && w.value(4) == QLatin1String("1"))
            r.reported[w.value(1)] = w.value(2).toLongLong();
        else if (w.first() == QLatin1String("loss"))
            r.uncounted[w.value(1)] = w.value(3).toLongLong();
    }
    r.tables = compare(original, r.repaired ? readRows(file) : QMap<QString, Rows>());
    return r;
}

Run runSqlite(const QString& shim, const QString& file, int timeoutMs, const QMap<QString, Rows>& original)
{
    Run r;
    const QString sql = file + QStringLiteral(".recover.sql");
    const QString out = file + QStringLiteral(".recovered");
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.setStandardOutputFile(sql);
    QStringList args;
    if (!shim.isEmpty())
        args << QStringLiteral("-cmd") << QStringLiteral(".load ") + shim;
    args << file << QStringLiteral(".recover");
    p.start(QStringLiteral("sqlite3"), args);
    r.ended = p.waitForFinished(timeoutMs);
    if (!r.ended) {
        p.kill();
        p.waitForFinished();
        r.seconds = t.elapsed() / 1000.0;
        return r;
    }
    QProcess load;
    load.setStandardInputFile(sql);
    load.start(QStringLiteral("sqlite3"), {out});
    r.ended = load.waitForFinished(std::max(1000, timeoutMs - int(t.elapsed())));
    r.seconds = t.elapsed() / 1000.0;
    if (!r.ended) {
        load.kill();
        load.waitForFinished();
        return r;
    }
    const QMap<QString, Rows> rows = QFileInfo::exists(out) ? readRows(out) : QMap<QString, Rows>();
    r.repaired = !rows.isEmpty();
    for (auto it = rows.cbegin(); it != rows.cend(); ++it)
        if (it.key().startsWith(QLatin1String("lost_and_found")))
            r.lostAndFound += it.value().size();
    r.tables = compare(original, rows);
    QFile::remove(sql);
    QFile::remove(out);
    return r;
}

qint64 sum(const QMap<QString, TableOutcome>& t, qint64 TableOutcome::*field, const QString& only = QString())
{
    qint64 n = 0;
    for (auto it = t.cbegin(); it != t.cend(); ++it)
        if (it.key() != QLatin1String("zal_sistema") && (only.isEmpty() || it.key() == only))
            n += it.value().*field;
    return n;
}

void printTable(const QList<Result>& results, const QStringList& kinds, bool withSqlite)
{
    std::printf("\n| damage | files | who | ended | repaired | rows kept | of | altered | invented | junk | "
                "lost+found | loss told right | median s | max s |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const QString& kind : kinds) {
        for (int who = 0; who < (withSqlite ? 2 : 1); ++who) {
            int files = 0, ended = 0, repaired = 0, toldRight = 0;
            qint64 kept = 0, of = 0, altered = 0, invented = 0, junk = 0, lf = 0;
            QList<double> times;
            for (const Result& r : results) {
                if (kind != QLatin1String("all") && r.kind != kind)
                    continue;
                const Run& run = who == 0 ? r.ours : r.sqlite;
                ++files;
                ended += run.ended;
                repaired += run.repaired;
                times << run.seconds;
                lf += run.lostAndFound;
                if (!run.repaired)
                    continue;
                kept += sum(run.tables, &TableOutcome::kept);
                of += sum(run.tables, &TableOutcome::original);
                altered += sum(run.tables, &TableOutcome::altered);
                invented += sum(run.tables, &TableOutcome::invented);
                junk += sum(run.tables, &TableOutcome::junk);
                if (who == 0) {
                    bool right = true;
                    for (auto it = run.tables.cbegin(); it != run.tables.cend(); ++it) {
                        if (it.key() == QLatin1String("zal_sistema"))
                            continue;
                        const TableOutcome& o = it.value();
                        const qint64 gone = o.original - o.kept - o.altered;
                        if (run.uncounted.contains(it.key())) {
                            right = right && run.uncounted.value(it.key()) == o.kept + o.altered + o.invented;
                            continue;
                        }
                        const qint64 told = run.reported.value(it.key());
                        right = right && told >= gone && told <= gone + o.gaps;
                    }
                    toldRight += right;
                }
            }
            if (files == 0)
                continue;
            std::sort(times.begin(), times.end());
            std::printf("| %s | %d | %s | %d | %d | %lld | %lld | %lld | %lld | %lld | %lld | %s | %.2f | %.2f |\n",
                        qPrintable(kind), files, who == 0 ? "ours" : "sqlite", ended, repaired,
                        static_cast<long long>(kept), static_cast<long long>(of), static_cast<long long>(altered),
                        static_cast<long long>(invented), static_cast<long long>(junk), static_cast<long long>(lf),
                        who == 0 ? qPrintable(QStringLiteral("%1 of %2").arg(toldRight).arg(repaired)) : "-",
                        times.at(times.size() / 2), times.last());
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--repair-one"))
        return repairOne(args.at(2));

    auto option = [&](const char* name, int fallback) {
        const int i = int(args.indexOf(QString::fromLatin1(name)));
        return i > 0 && i + 1 < args.size() ? args.at(i + 1).toInt() : fallback;
    };
    const int count = option("--count", 210);
    const quint32 seed = quint32(option("--seed", 20240517));
    const int taxpayers = option("--taxpayers", 400);
    const int documents = option("--documents", 60);
    const int timeoutMs = option("--timeout", 30) * 1000;
    const int jobs = std::max(1, option("--jobs", 6));
    const bool withSqlite = !args.contains(QStringLiteral("--no-sqlite"));
    const bool list = args.contains(QStringLiteral("--list"));
    const int keepAt = int(args.indexOf(QStringLiteral("--keep")));

    QTemporaryDir temp;
    const QString folder = keepAt > 0 && keepAt + 1 < args.size() ? args.at(keepAt + 1) : temp.path();
    QDir().mkpath(folder);
    const QString base = folder + QStringLiteral("/original.mdb");
    QFile::remove(base);
    buildWorksheetFile(base, taxpayers, documents, seed);
    const QMap<QString, Rows> original = readRows(base);
    const QList<Damage> corpus = damages(base, count, seed);
    const QString shim = QCoreApplication::applicationDirPath() + QStringLiteral("/dbpage_shim");
    std::printf("original: %lld bytes, %lld worksheet rows; %lld damaged files; timeout %d s\n",
                static_cast<long long>(QFileInfo(base).size()), static_cast<long long>(original.value(QStringLiteral("Planilla_Det")).size()),
                static_cast<long long>(corpus.size()), timeoutMs / 1000);

    QList<Result> results(corpus.size());
    std::atomic<int> next{0};
    std::mutex printing;
    auto worker = [&] {
        for (int i = next++; i < corpus.size(); i = next++) {
            const Damage& d = corpus.at(i);
            Result& r = results[i];
            r.name = d.name;
            r.kind = d.kind;
            const QString file = folder + QStringLiteral("/damaged-%1.mdb").arg(i, 3, 10, QLatin1Char('0'));
            auto write = [&] {
                for (const QString& leftover : QDir(folder).entryList({QFileInfo(file).fileName() + QStringLiteral("*")}))
                    QFile::remove(folder + QLatin1Char('/') + leftover);
                QFile f(file);
                f.open(QIODevice::WriteOnly);
                f.write(d.bytes);
            };
            write();
            r.ours = runOurs(QCoreApplication::applicationFilePath(), file, timeoutMs, original);
            if (withSqlite) {
                write();
                r.sqlite = runSqlite(QFileInfo::exists(shim + QStringLiteral(".so")) ? shim : QString(), file, timeoutMs, original);
            }
            if (list) {
                const std::lock_guard<std::mutex> lock(printing);
                std::printf("%3d %-50s ours: %s %5.2fs kept %lld/%lld junk %lld told %lld | sqlite: %s %5.2fs kept %lld lf %lld\n", i,
                            qPrintable(d.name), !r.ours.ended ? "HANG " : r.ours.repaired ? "ok   " : qPrintable(QStringLiteral("%1 ").arg(r.ours.refusal)),
                            r.ours.seconds, static_cast<long long>(sum(r.ours.tables, &TableOutcome::kept)),
                            static_cast<long long>(sum(r.ours.tables, &TableOutcome::original)),
                            static_cast<long long>(sum(r.ours.tables, &TableOutcome::junk)),
                            static_cast<long long>(std::accumulate(r.ours.reported.cbegin(), r.ours.reported.cend(), 0LL)),
                            !r.sqlite.ended ? "HANG" : r.sqlite.repaired ? "ok  " : "none", r.sqlite.seconds,
                            static_cast<long long>(sum(r.sqlite.tables, &TableOutcome::kept)),
                            static_cast<long long>(r.sqlite.lostAndFound));
                std::fflush(stdout);
            }
            if (keepAt <= 0)
                for (const QString& leftover : QDir(folder).entryList({QFileInfo(file).fileName() + QStringLiteral("*")}))
                    QFile::remove(folder + QLatin1Char('/') + leftover);
        }
    };
    std::vector<std::thread> threads;
    for (int j = 0; j < jobs; ++j)
        threads.emplace_back(worker);
    for (auto& t : threads)
        t.join();

    QStringList kinds{QStringLiteral("all")};
    for (const Result& r : results)
        if (!kinds.contains(r.kind))
            kinds << r.kind;
    printTable(results, kinds, withSqlite);
    return 0;
}
