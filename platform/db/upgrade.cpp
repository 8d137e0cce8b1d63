#include "platform/db/upgrade.h"

#include "platform/db/connection.h"
#include "platform/db/jet_sql.h"

#include <QHash>
#include <QSet>

namespace db {

namespace {

struct SchemaObject {
    QString type;
    QString name;
    QString table;
    QString sql;
};

// The objects a schema script makes, in the order it makes them.
QList<SchemaObject> objectsOf(const QString& schemaSql)
{
    sqlite3* h = nullptr;
    if (sqlite3_open_v2(":memory:", &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(h);
        raise(err::InvalidOperation);
    }
    Connection memory(h, QStringLiteral(":memory:"));
    jet::registerFunctions(h);
    memory.execScript(schemaSql);
    QList<SchemaObject> objects;
    Statement st(memory, QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master WHERE sql IS NOT NULL ORDER BY rowid"));
    while (st.step())
        objects << SchemaObject{st.rawValue(0).toString(), st.rawValue(1).toString(), st.rawValue(2).toString(),
                                st.rawValue(3).toString()};
    return objects;
}

// The columns a CREATE TABLE text defines, read from a scratch table made with it.
QSet<QString> columnNames(const QString& sqlOfTable)
{
    sqlite3* h = nullptr;
    sqlite3_open_v2(":memory:", &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Connection memory(h, QStringLiteral(":memory:"));
    jet::registerFunctions(h);
    memory.execScript(sqlOfTable);
    QSet<QString> names;
    const QString table = memory.tableNames().value(0);
    for (const ColumnDef& c : memory.columns(table))
        names.insert(c.name.toLower());
    return names;
}

// A CREATE TABLE text for another table name.
QString renamedCreate(const QString& sql, const QString& newName)
{
    return QStringLiteral("CREATE TABLE %1 %2").arg(quoteName(newName), sql.mid(sql.indexOf(QLatin1Char('('))));
}

} // namespace

bool upgradeTextCollation(Database& database, const QString& schemaSql)
{
    if (!database.isOpen())
        raise(err::InvalidOperation);
    Connection& conn = *database.connection();

    QList<SchemaObject> legacy;
    {
        Statement st(conn, QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master WHERE type = 'table' "
                                          "AND sql LIKE ? ORDER BY rowid"));
        st.bind({QStringLiteral("%COLLATE %1%").arg(QLatin1String(jet::kLegacyCollation))});
        while (st.step())
            legacy << SchemaObject{st.rawValue(0).toString(), st.rawValue(1).toString(), st.rawValue(2).toString(),
                                   st.rawValue(3).toString()};
    }
    if (legacy.isEmpty())
        return false;

    const QList<SchemaObject> fresh = objectsOf(schemaSql);
    auto freshTable = [&](const QString& name) -> QString {
        for (const SchemaObject& o : fresh)
            if (o.type == QLatin1String("table") && o.name.compare(name, Qt::CaseInsensitive) == 0)
                return o.sql;
        return QString();
    };

    database.beginTrans();
    try {
        conn.execScript(QStringLiteral("PRAGMA legacy_alter_table = ON"));
        // The file's indexes and triggers go first; the schema's own are made again at the end.
        QStringList dropped;
        {
            Statement st(conn, QStringLiteral("SELECT type, name FROM sqlite_master WHERE type IN ('index', 'trigger') "
                                              "AND sql IS NOT NULL"));
            while (st.step())
                dropped << QStringLiteral("DROP %1 %2").arg(st.rawValue(0).toString().toUpper(), quoteName(st.rawValue(1).toString()));
        }
        for (const QString& drop : dropped)
            conn.execScript(drop);

        const QString temp = QStringLiteral("zal_nocase");
        for (const SchemaObject& old : legacy) {
            QString create = freshTable(old.name);
            if (create.isEmpty()) {
                create = old.sql;
                create.replace(QStringLiteral("COLLATE %1").arg(QLatin1String(jet::kLegacyCollation)),
                               QStringLiteral("COLLATE %1").arg(QLatin1String(jet::kCollation)), Qt::CaseInsensitive);
            }
            const QSet<QString> newColumns = columnNames(create);
            QStringList columns;
            for (const ColumnDef& c : conn.columns(old.name)) {
                if (!newColumns.contains(c.name.toLower()))
                    raise(err::InvalidOperation);   // a column the new definition lacks is not dropped
                columns << quoteName(c.name);
            }
            const QVariant sequence = conn.scalar(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"), {old.name});
            conn.execScript(renamedCreate(create, temp));
            conn.exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3")
                          .arg(quoteName(temp), columns.join(QLatin1Char(',')), quoteName(old.name)));
            conn.execScript(QStringLiteral("DROP TABLE %1").arg(quoteName(old.name)));
            conn.execScript(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoteName(temp), quoteName(old.name)));
            conn.schemaChanged();
            if (!sequence.isNull()) {
                if (conn.exec(QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, ?) WHERE name = ?"), {sequence, old.name}) == 0)
                    conn.exec(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"), {old.name, sequence});
            }
        }
        const QStringList tables = conn.tableNames();
        for (const SchemaObject& o : fresh) {
            if ((o.type == QLatin1String("index") || o.type == QLatin1String("trigger"))
                && (tables.contains(o.table, Qt::CaseInsensitive)))
                conn.execScript(o.sql);
        }
        conn.execScript(QStringLiteral("PRAGMA legacy_alter_table = OFF"));
        if (conn.scalar(QStringLiteral("PRAGMA quick_check(1)")).toString() != QLatin1String("ok"))
            raise(err::Corrupt, conn.path());
        database.commitTrans();
    } catch (...) {
        database.rollback();
        sqlite3_exec(conn.handle(), "PRAGMA legacy_alter_table = OFF", nullptr, nullptr, nullptr);
        conn.schemaChanged();
        throw;
    }
    conn.schemaChanged();
    return true;
}

bool upgradeIndexes(Database& database, const QString& schemaSql)
{
    if (!database.isOpen())
        raise(err::InvalidOperation);
    Connection& conn = *database.connection();

    QHash<QString, SchemaObject> current;   // lower-case name -> the file's index or trigger
    {
        Statement st(conn, QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master WHERE type IN ('index', 'trigger') "
                                          "AND sql IS NOT NULL"));
        while (st.step())
            current.insert(st.rawValue(1).toString().toLower(),
                           SchemaObject{st.rawValue(0).toString(), st.rawValue(1).toString(), st.rawValue(2).toString(),
                                        st.rawValue(3).toString()});
    }
    const QStringList tables = conn.tableNames();
    QStringList work;
    for (const SchemaObject& o : objectsOf(schemaSql)) {
        if ((o.type != QLatin1String("index") && o.type != QLatin1String("trigger")) || !tables.contains(o.table, Qt::CaseInsensitive))
            continue;
        const auto found = current.constFind(o.name.toLower());
        if (found != current.cend()) {
            if (found->type == o.type && found->sql == o.sql)
                continue;
            work << QStringLiteral("DROP %1 %2").arg(found->type.toUpper(), quoteName(found->name));
        }
        work << o.sql;
    }
    if (work.isEmpty())
        return false;

    database.beginTrans();
    try {
        for (const QString& sql : work)
            conn.execScript(sql);
        conn.schemaChanged();
        database.commitTrans();
    } catch (...) {
        database.rollback();
        conn.schemaChanged();
        throw;
    }
    conn.schemaChanged();
    return true;
}

} // namespace db
