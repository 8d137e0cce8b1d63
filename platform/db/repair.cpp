// Repair of a damaged database file. What can still be read is copied into a new file built beside
// the damaged one; the damaged original is kept as a backup and the new file takes its place in one
// rename. A file that cannot be recognised as a ZAL database is never touched.
#include "platform/db/connection.h"
#include "platform/db/database.h"
#include "platform/db/jet_sql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace db {

namespace {

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

QString freeBackupName(const QString& path)
{
    QString candidate = path + QStringLiteral(".bak");
    for (int n = 1; QFileInfo::exists(candidate); ++n)
        candidate = path + QStringLiteral(".%1.bak").arg(n);
    return candidate;
}

struct Handle {
    sqlite3* h = nullptr;
    ~Handle() { sqlite3_close_v2(h); }
};

} // namespace

QString repairDatabase(const QString& path)
{
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

    // Read the damaged file without changing it.
    Handle src;
    src.h = rawOpen(path, SQLITE_OPEN_READONLY);
    if (!src.h)
        raise(err::CannotOpen, path);
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
                    target.execScript(o.sql);
            }
            for (const Object& o : objects) {
                if (o.type != QLatin1String("table"))
                    continue;
                // Copy row by row; a row that cannot be read is skipped, and a broken page ends
                // the table's copy there.
                QStringList columns;
                {
                    Statement cols(target, QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(o.name)));
                    while (cols.step())
                        columns << quoteName(cols.rawValue(1).toString());
                }
                QStringList marks;
                for (int i = 0; i < columns.size(); ++i)
                    marks << QStringLiteral("?");
                const QString insert = QStringLiteral("INSERT OR IGNORE INTO %1 (rowid, %2) VALUES (?, %3)")
                                           .arg(quoteName(o.name), columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
                try {
                    Statement read(source, QStringLiteral("SELECT rowid, %1 FROM %2").arg(columns.join(QLatin1Char(',')), quoteName(o.name)));
                    while (read.step()) {
                        QVariantList values;
                        for (int c = 0; c <= columns.size(); ++c)
                            values << read.rawValue(c);
                        try {
                            target.exec(insert, values);
                        } catch (const DbError&) {
                            // A row the schema refuses (a damaged value) is left out.
                        }
                    }
                } catch (const DbError&) {
                    // The rest of this table is unreadable.
                }
            }
            // Automatic numbers go on from where they were.
            try {
                Statement seq(source, QStringLiteral("SELECT name, seq FROM sqlite_sequence"));
                while (seq.step())
                    target.exec(QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, ?) WHERE name = ?"),
                                {seq.rawValue(1), seq.rawValue(0)});
            } catch (const DbError&) {
            }
            for (const Object& o : objects) {
                if (o.type != QLatin1String("table")) {
                    try {
                        target.execScript(o.sql);
                    } catch (const DbError&) {
                        // A unique index that the salvaged rows break is left out rather than losing rows.
                    }
                }
            }
            if (target.scalar(QStringLiteral("SELECT count(*) FROM zal_sistema")).toLongLong() == 0)
                raise(err::Corrupt, path);
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
    const QString backup = freeBackupName(info.absoluteFilePath());
    if (!QFile::copy(info.absoluteFilePath(), backup)) {
        QFile::remove(temp);
        raise(err::DiskError);
    }
    syncFile(backup);
    syncFile(temp);
    // A journal left by the damaged file belongs to the old contents: it goes with the backup.
    if (QFileInfo::exists(info.absoluteFilePath() + QStringLiteral("-journal")))
        QFile::rename(info.absoluteFilePath() + QStringLiteral("-journal"), backup + QStringLiteral("-journal"));
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(info.absoluteFilePath()).constData()) != 0) {
        QFile::remove(temp);
        raise(err::DiskError);
    }
    syncFile(info.absolutePath());
    return backup;
}

} // namespace db
