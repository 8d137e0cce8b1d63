// Repair of a damaged database file. What can still be read is copied into a new file built beside
// the damaged one; the damaged original is kept as a backup and the new file takes its place in one
// rename. A file that cannot be recognised as a ZAL database is never touched.
#include "platform/db/connection.h"
#include "platform/db/counters.h"
#include "platform/db/database.h"
#include "platform/db/jet_sql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace db {

namespace {

// Rowids probed one by one past the last number known to be in use before a table's salvage ends.
constexpr qint64 kProbeSpan = 1000;

sqlite3* rawOpen(const QString& path, int flags)
{
    sqlite3* h = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &h, flags, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(h);
        return nullptr;
    }
    sqlite3_extended_result_codes(h, 1);
    jet::registerFunctions(h);
    return h;
}

void syncFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool sameContents(const QString& a, const QString& b)
{
    QFile fa(a), fb(b);
    if (fa.size() != fb.size() || !fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    while (!fa.atEnd()) {
        const QByteArray ca = fa.read(1 << 16);
        if (ca != fb.read(1 << 16))
            return false;
    }
    return true;
}

// The backup of the damaged file: an earlier backup of the very same bytes is reused, otherwise a
// free name next to it. reused tells which.
QString backupName(const QString& path, bool* reused)
{
    *reused = false;
    QString candidate = path + QStringLiteral(".bak");
    for (int n = 1; QFileInfo::exists(candidate); ++n) {
        if (sameContents(path, candidate)) {
            *reused = true;
            return candidate;
        }
        candidate = path + QStringLiteral(".%1.bak").arg(n);
    }
    return candidate;
}

QString freeName(const QString& wanted)
{
    QString candidate = wanted;
    for (int n = 1; QFileInfo::exists(candidate); ++n)
        candidate = wanted + QStringLiteral(".%1").arg(n);
    return candidate;
}

struct Handle {
    sqlite3* h = nullptr;
    ~Handle() { sqlite3_close_v2(h); }
};

template <typename F>
std::optional<qint64> tryNumber(F&& f)
{
    try {
        const QVariant v = f();
        if (!v.isNull())
            return v.toLongLong();
    } catch (const DbError&) {
    }
    return std::nullopt;
}

// Copies what can be read of one table. A scan in rowid order copies until it meets a broken page;
// past it the rows are looked up one by one (each lookup reaches its row through the pages that
// are still sound) until a scan can go on again. Returns how many rows may have been lost.
qint64 salvageTable(Connection& source, Connection& target, const QString& table)
{
    QStringList columns;
    {
        Statement cols(target, QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(table)));
        while (cols.step())
            columns << quoteName(cols.rawValue(1).toString());
    }
    const QString list = columns.join(QLatin1Char(','));
    QStringList marks;
    for (int i = 0; i <= columns.size(); ++i)
        marks << QStringLiteral("?");
    const QString insert = QStringLiteral("INSERT OR IGNORE INTO %1 (rowid, %2) VALUES (%3)")
                               .arg(quoteName(table), list, marks.join(QLatin1Char(',')));
    const QString select = QStringLiteral("SELECT rowid, %1 FROM %2 ").arg(list, quoteName(table));

    qint64 copied = 0;
    qint64 refused = 0;
    std::optional<qint64> last;   // the highest rowid read so far
    auto copy = [&](Statement& read) {
        QVariantList values;
        for (int c = 0; c <= columns.size(); ++c)
            values << read.rawValue(c);
        last = values.first().toLongLong();
        try {
            if (target.exec(insert, values) > 0)
                ++copied;
        } catch (const DbError&) {
            ++refused;   // a damaged value the table's checks refuse
        }
    };
    // True when the scan reached the end of the table.
    auto scanFrom = [&](std::optional<qint64> after) {
        try {
            Statement read(source, select + (after ? QStringLiteral("WHERE rowid > ? ORDER BY rowid")
                                                   : QStringLiteral("ORDER BY rowid")));
            if (after)
                read.bind({*after});
            while (read.step())
                copy(read);
            return true;
        } catch (const DbError&) {
            return false;
        }
    };

    if (scanFrom(std::nullopt))
        return refused;

    // What the damaged file still tells of the table's size: its counter, and the table or any of
    // its indexes (an index holds the rowid of every row) where they can still be read whole.
    std::optional<qint64> count;
    qint64 bound = tryNumber([&] {
        return source.scalar(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"), {table});
    }).value_or(0);
    QStringList indexes;   // the table's own, and those the engine made for its keys
    try {
        Statement st(source, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = ?"));
        st.bind({table});
        while (st.step())
            indexes << st.rawValue(0).toString();
    } catch (const DbError&) {
    }
    QStringList ways{QString()};
    for (const QString& index : indexes)
        ways << QStringLiteral(" INDEXED BY %1").arg(quoteName(index));
    for (const QString& way : ways) {
        const QString from = quoteName(table) + way;
        if (const auto n = tryNumber([&] { return source.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(from)); }))
            count = std::max(count.value_or(0), *n);
        bound = std::max(bound, tryNumber([&] { return source.scalar(QStringLiteral("SELECT max(rowid) FROM %1").arg(from)); }).value_or(0));
    }

    QList<qint64> unreadable;   // rowids whose lookup met a broken page
    qint64 misses = 0;
    for (qint64 id = last ? *last + 1 : 1; id <= bound || misses < kProbeSpan; ++id) {
        try {
            Statement read(source, select + QStringLiteral("WHERE rowid = ?"));
            read.bind({id});
            if (read.step()) {
                copy(read);
                misses = 0;
                if (scanFrom(id))
                    break;
                id = *last;   // the scan went on up to its next broken page
                continue;
            }
        } catch (const DbError&) {
            unreadable << id;
        }
        ++misses;
    }
    // Every row that did not come back is counted: exactly when the number of rows is still known,
    // otherwise up to the highest number known to have been in use. Lookups beyond that found
    // nothing that ever existed.
    const qint64 known = std::max(bound, last.value_or(0));
    qint64 lost = unreadable.size();
    if (count)
        lost = *count - copied - refused;
    else if (known > 0)
        lost = known - copied - refused;
    lost = std::max<qint64>(lost, 0);
    return lost + refused;
}

// Makes a table, index or trigger from its definition as the damaged file holds it. The text comes
// from a damaged file: only one CREATE statement is ever run from it.
void createObject(Connection& target, const QString& sql)
{
    if (!sql.trimmed().startsWith(QLatin1String("CREATE "), Qt::CaseInsensitive))
        raise(err::Corrupt, target.path());
    // Whatever follows the first statement is left out (a Statement refuses text after one).
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = nullptr;
    sqlite3_stmt* probe = nullptr;
    sqlite3_prepare_v2(target.handle(), utf8.constData(), int(utf8.size()), &probe, &tail);
    sqlite3_finalize(probe);
    const QString first = tail ? QString::fromUtf8(utf8.constData(), int(tail - utf8.constData())) : sql;
    Statement st(target, first);
    if (sqlite3_stmt_readonly(st.get()))
        raise(err::Corrupt, target.path());
    while (st.step()) {
    }
}

} // namespace

bool isDamage(const DbError& error)
{
    return error.number() == err::Corrupt;
}

QString repairDatabase(const QString& path, QList<RepairLoss>* losses, const QString& connect)
{
    if (losses)
        losses->clear();
    const QFileInfo info(path);
    if (path.trimmed().isEmpty() || !info.exists() || !info.isFile())
        raise(err::FileNotFound, path);
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            raise(err::CannotOpen, path);
        const QByteArray head = f.read(16);
        if (head != QByteArray("SQLite format 3", 16))
            raise(err::UnrecognizedFormat, path);
    }

    // Read the damaged file without changing it. With writable_schema the engine reads a file cut
    // short up to its last page instead of refusing it whole, and passes over definitions it cannot
    // parse.
    Handle src;
    src.h = rawOpen(path, SQLITE_OPEN_READONLY);
    if (!src.h)
        raise(err::CannotOpen, path);
    sqlite3_exec(src.h, "PRAGMA writable_schema = ON", nullptr, nullptr, nullptr);
    Connection source(src.h, path);
    src.h = nullptr;   // the connection owns it now

    struct Object {
        QString type, name, table, sql;
    };
    QList<Object> objects;
    try {
        Statement st(source, QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master WHERE sql IS NOT NULL "
                                            "AND name NOT LIKE 'sqlite%' ORDER BY CASE type WHEN 'table' THEN 0 "
                                            "WHEN 'index' THEN 1 ELSE 2 END, rowid"));
        while (st.step())
            objects << Object{st.rawValue(0).toString(), st.rawValue(1).toString(), st.rawValue(2).toString(),
                              st.rawValue(3).toString()};
    } catch (const DbError&) {
        raise(err::Corrupt, path);
    }
    bool ours = false;
    for (const Object& o : objects)
        ours = ours || (o.type == QLatin1String("table") && o.name == QLatin1String("zal_sistema"));
    if (!ours)
        raise(err::UnrecognizedFormat, path);

    // Build the salvaged copy beside the original.
    const QString temp = info.absoluteFilePath() + QStringLiteral(".reparando");
    QFile::remove(temp);
    QFile::remove(temp + QStringLiteral("-journal"));
    QList<RepairLoss> lost;
    {
        Handle dst;
        dst.h = rawOpen(temp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        if (!dst.h)
            raise(err::CannotOpen, temp);
        Connection target(dst.h, temp);
        dst.h = nullptr;
        try {
            target.execScript(QStringLiteral("PRAGMA synchronous = FULL; BEGIN;"));
            for (const Object& o : objects) {
                if (o.type == QLatin1String("table"))
                    createObject(target, o.sql);
            }
            for (const Object& o : objects) {
                if (o.type != QLatin1String("table"))
                    continue;
                const qint64 rows = salvageTable(source, target, o.name);
                if (rows > 0 && o.name != QLatin1String("zal_sistema"))
                    lost << RepairLoss{o.name, rows};
            }
            // Automatic numbers go on from where they were, and above every number still in use.
            try {
                Statement seq(source, QStringLiteral("SELECT name, seq FROM sqlite_sequence"));
                while (seq.step())
                    target.exec(QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, ?) WHERE name = ?"),
                                {seq.rawValue(1), seq.rawValue(0)});
            } catch (const DbError&) {
            }
            keepCountersAhead(target);
            for (const Object& o : objects) {
                if (o.type != QLatin1String("table")) {
                    try {
                        createObject(target, o.sql);
                    } catch (const DbError&) {
                        // A unique index that the salvaged rows break is left out rather than losing rows.
                    }
                }
            }
            // The file's marks went with a broken page while its tables still say whose it is: they
            // are written again, so the rows that were read are not thrown away with them.
            if (target.scalar(QStringLiteral("SELECT count(*) FROM zal_sistema")).toLongLong() == 0) {
                const QString password = passwordOf(connect);
                if (password.isNull())
                    raise(err::Corrupt, path);
                target.exec(QStringLiteral("INSERT INTO zal_sistema (clave, valor) VALUES ('formato', ?), ('clave', ?)"),
                            {QString::fromLatin1(kFileFormat), password});
            }
            target.execScript(QStringLiteral("COMMIT;"));
            if (target.scalar(QStringLiteral("PRAGMA integrity_check(1)")).toString() != QLatin1String("ok"))
                raise(err::Corrupt, path);
        } catch (const DbError&) {
            target.close();
            QFile::remove(temp);
            QFile::remove(temp + QStringLiteral("-journal"));
            raise(err::Corrupt, path);
        }
    }
    source.close();

    // Keep the original, then move the salvaged file into its place in one step.
    bool reused = false;
    const QString backup = backupName(info.absoluteFilePath(), &reused);
    if (!reused) {
        if (!QFile::copy(info.absoluteFilePath(), backup)) {
            QFile::remove(temp);
            raise(err::DiskError);
        }
        syncFile(backup);
    }
    syncFile(temp);
    // A journal left by the damaged file belongs to the old contents: it goes with the backup.
    const QString journal = info.absoluteFilePath() + QStringLiteral("-journal");
    if (QFileInfo::exists(journal)) {
        const QString kept = backup + QStringLiteral("-journal");
        if (!(QFileInfo::exists(kept) && sameContents(journal, kept) && QFile::remove(journal)))
            QFile::rename(journal, freeName(kept));
    }
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(info.absoluteFilePath()).constData()) != 0) {
        QFile::remove(temp);
        raise(err::DiskError);
    }
    syncFile(info.absolutePath());
    if (losses)
        *losses = lost;
    return backup;
}

} // namespace db
