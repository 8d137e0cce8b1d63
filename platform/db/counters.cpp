#include "platform/db/counters.h"

#include "platform/db/connection.h"

namespace db {

const QList<CounterReference>& counterReferences()
{
    static const QList<CounterReference> references{
        {QStringLiteral("Contribuyentes"), QStringLiteral("Planilla_Enc"), QStringLiteral("Contribuyente")},
        {QStringLiteral("Planilla_Enc"), QStringLiteral("Planilla_Det"), QStringLiteral("Enc")},
        {QStringLiteral("Gastos"), QStringLiteral("Planilla_Det"), QStringLiteral("Gasto")},
    };
    return references;
}

namespace {
bool hasColumn(Connection& conn, const QString& table, const QString& column)
{
    Statement st(conn, QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(table)));
    while (st.step()) {
        if (st.rawValue(1).toString().compare(column, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
} // namespace

void keepCountersAhead(Connection& conn)
{
    QStringList counted;   // tables with an automatic number
    {
        Statement st(conn, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                          "AND sql LIKE '%AUTOINCREMENT%'"));
        while (st.step())
            counted << st.rawValue(0).toString();
    }
    for (const QString& table : counted) {
        qint64 highest = conn.scalar(QStringLiteral("SELECT max(rowid) FROM %1").arg(quoteName(table))).toLongLong();
        for (const CounterReference& ref : counterReferences()) {
            if (ref.counterTable.compare(table, Qt::CaseInsensitive) != 0)
                continue;
            const QString from = conn.scalar(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                                            "AND name = ? COLLATE NOCASE"),
                                             {ref.table})
                                     .toString();
            if (from.isEmpty() || !hasColumn(conn, from, ref.column))
                continue;
            // Only whole numbers name a row; anything else in the column names none.
            const QVariant named = conn.scalar(QStringLiteral("SELECT max(CAST(%1 AS INTEGER)) FROM %2 WHERE typeof(%1) "
                                                              "IN ('integer', 'real') AND %1 = CAST(%1 AS INTEGER)")
                                                   .arg(quoteName(ref.column), quoteName(from)));
            highest = std::max(highest, named.toLongLong());
        }
        if (highest <= 0)
            continue;
        if (conn.exec(QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, ?) WHERE name = ?"), {highest, table}) == 0)
            conn.exec(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"), {table, highest});
    }
}

} // namespace db
