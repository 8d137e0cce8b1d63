// The repair on a corpus of damaged worksheet files: a file of 400 taxpayers with 60 documents each
// (about 2 MB), made from a seed, and 210 damaged copies of it (cut short at offsets spread over
// the whole file, random bytes in one to five pages, zeroed pages, the schema page, the page of the
// file's own marks, inner pages of the worksheet rows, the counters' page, index pages). Every
// copy must be repaired or refused, and a hang fails the test by the suite's time limit. Of every
// repaired copy: no row with nothing but its number, no row under a number the original never had,
// the loss notice true to what was really lost, the damaged bytes kept as the backup, the counters
// above every number in use, the file opening again. A refused copy is left as it was.
//
// ZAL_REPAIR_CORPUS=N runs N damaged copies instead (ZAL_REPAIR_CORPUS_SEED another seed);
// tools/repair_corpus measures the same corpus against SQLite's own recovery.
#include "platform/db/database.h"
#include "platform/db/db_error.h"
#include "support/damage_corpus.h"
#include "support/support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

using namespace support::corpus;

namespace {

const QString kConnect = QStringLiteral(";pwd=MIRVOSK");

struct Outcome {
    QString name;
    int refusal = 0;           // the error a refused copy ended with
    bool headerKept = true;    // the file still starts as a database file
    QString backup;
    QList<db::RepairLoss> losses;
    bool backupIsTheDamage = false;
    bool leftAsItWas = false;  // a refused copy
    QStringList leftovers;     // files beside it that a repair left
    QMap<QString, TableOutcome> tables;
    QString countersBehind;    // a counter below a number still in use, when one is
    int reopens = -1;          // the error opening the repaired file (0: it opens)
};

qint64 number(const QString& path, const QString& sql)
{
    const QString v = support::plainQuery(path, sql);
    return v.startsWith(QLatin1String("error")) || v == QLatin1String("<null>") ? 0 : v.toLongLong();
}

// The counter of each table with automatic numbers against the numbers still held or referred to.
QString countersBehind(const QString& path)
{
    struct Ref {
        QString table, from, column;
    };
    const QList<Ref> refs{{QStringLiteral("Contribuyentes"), QStringLiteral("Planilla_Enc"), QStringLiteral("Contribuyente")},
                          {QStringLiteral("Planilla_Enc"), QStringLiteral("Planilla_Det"), QStringLiteral("Enc")},
                          {QStringLiteral("Gastos"), QStringLiteral("Planilla_Det"), QStringLiteral("Gasto")},
                          {QStringLiteral("Planilla_Det"), QString(), QString()}};
    for (const Ref& r : refs) {
        const qint64 seq = number(path, QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = '%1'").arg(r.table));
        qint64 used = number(path, QStringLiteral("SELECT max(rowid) FROM %1").arg(r.table));
        if (!r.from.isEmpty())
            used = std::max(used, number(path, QStringLiteral("SELECT max(%1) FROM %2 WHERE typeof(%1) = 'integer'").arg(r.column, r.from)));
        if (seq < used)
            return QStringLiteral("%1: counter %2, %3 in use").arg(r.table).arg(seq).arg(used);
    }
    return QString();
}

Outcome repairOne(const Damage& damage, const QString& folder, const QMap<QString, Rows>& original)
{
    Outcome o;
    o.name = damage.name;
    o.headerKept = damage.bytes.startsWith(QByteArray("SQLite format 3", 16));
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/eko.mdb");
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(damage.bytes);
    }
    try {
        o.backup = db::repairDatabase(path, &o.losses, kConnect);
    } catch (const db::DbError& e) {
        o.refusal = e.number();
    }
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        if (name.contains(QLatin1String(".reparando")))
            o.leftovers << name;
    if (o.refusal) {
        o.leftAsItWas = support::fileBytes(path) == damage.bytes && QDir(folder).entryList(QDir::Files | QDir::Hidden).size() == 1;
    } else {
        o.backupIsTheDamage = support::fileBytes(o.backup) == damage.bytes;
        o.reopens = support::dbErrorOf([&] { db::Database::open(path, kConnect); });
        o.countersBehind = countersBehind(path);
        o.tables = compare(original, readRows(path));
    }
    QDir(folder).removeRecursively();
    return o;
}

} // namespace

class TestRepairCorpus : public QObject {
    Q_OBJECT
private slots:
    void everyDamagedFileIsRepairedOrRefused();
};

void TestRepairCorpus::everyDamagedFileIsRepairedOrRefused()
{
    const int count = qEnvironmentVariableIsSet("ZAL_REPAIR_CORPUS") ? qEnvironmentVariableIntValue("ZAL_REPAIR_CORPUS") : 210;
    const quint32 seed = qEnvironmentVariableIsSet("ZAL_REPAIR_CORPUS_SEED")
        ? quint32(qEnvironmentVariableIntValue("ZAL_REPAIR_CORPUS_SEED"))
        : 20240517u;
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("original.mdb"));
    buildWorksheetFile(base, 400, 60, seed);
    const QMap<QString, Rows> original = readRows(base);
    QCOMPARE(original.value(QStringLiteral("Contribuyentes")).size(), 400);
    QVERIFY(original.value(QStringLiteral("Planilla_Det")).size() > 23000);
    const QList<Damage> corpus = damages(base, count, seed);
    QCOMPARE(corpus.size(), count);

    // The copies are repaired side by side, each in a folder of its own.
    std::vector<Outcome> outcomes(size_t(corpus.size()));
    std::atomic<int> next{0};
    std::vector<std::thread> workers;
    const int jobs = std::clamp(int(std::thread::hardware_concurrency()), 1, 6);
    for (int j = 0; j < jobs; ++j)
        workers.emplace_back([&] {
            for (int i = next++; i < corpus.size(); i = next++)
                outcomes[size_t(i)] = repairOne(corpus.at(i), dir.filePath(QStringLiteral("copy-%1").arg(i)), original);
        });
    for (auto& w : workers)
        w.join();

    int repaired = 0;
    for (const Outcome& o : outcomes) {
        const QByteArray nameText = o.name.toLocal8Bit();
        const char* name = nameText.constData();
        QVERIFY2(o.leftovers.isEmpty(), name);
        if (o.refusal) {
            // Only a file that no longer starts as a database file may be refused: nothing then
            // says whose it is. It is left exactly as it was.
            QVERIFY2(!o.headerKept, qPrintable(QStringLiteral("%1: refused with %2").arg(o.name).arg(o.refusal)));
            QCOMPARE(o.refusal, int(db::err::UnrecognizedFormat));
            QVERIFY2(o.leftAsItWas, name);
            continue;
        }
        ++repaired;
        QVERIFY2(o.backupIsTheDamage, name);
        QVERIFY2(o.reopens == 0, qPrintable(QStringLiteral("%1: opens with %2").arg(o.name).arg(o.reopens)));
        QVERIFY2(o.countersBehind.isEmpty(), qPrintable(o.name + QStringLiteral(": ") + o.countersBehind));
        for (auto it = o.tables.cbegin(); it != o.tables.cend(); ++it) {
            const TableOutcome& t = it.value();
            const QString where = QStringLiteral("%1, %2").arg(o.name, it.key());
            QVERIFY2(t.junk == 0, qPrintable(QStringLiteral("%1: %2 rows with nothing but their number").arg(where).arg(t.junk)));
            QVERIFY2(t.invented == 0, qPrintable(QStringLiteral("%1: %2 rows that never existed").arg(where).arg(t.invented)));
            if (it.key() == QLatin1String("zal_sistema"))
                continue;
            // What the notice says against what is really gone. Rows that came back with other
            // values (random bytes in them) are back; numbers the original never used (deleted
            // documents) may be counted among those that may be lost.
            const qint64 gone = t.original - t.kept - t.altered;
            const auto loss = std::find_if(o.losses.cbegin(), o.losses.cend(), [&](const db::RepairLoss& l) { return l.table == it.key(); });
            if (loss != o.losses.cend() && !loss->counted) {
                QVERIFY2(loss->kept == t.kept + t.altered,
                         qPrintable(QStringLiteral("%1: %2 said kept, %3 kept").arg(where).arg(loss->kept).arg(t.kept + t.altered)));
                continue;
            }
            const qint64 told = loss == o.losses.cend() ? 0 : loss->rows;
            QVERIFY2(told >= gone && told <= gone + t.gaps,
                     qPrintable(QStringLiteral("%1: %2 gone, %3 told").arg(where).arg(gone).arg(told)));
        }
    }
    QVERIFY(repaired >= count * 9 / 10);
}

QTEST_MAIN(TestRepairCorpus)
#include "test_repair_corpus.moc"
