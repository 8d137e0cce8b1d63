// Table definitions: the fields of a table and the changes the upgrade of old files needs.
// SQLite cannot change a column's size or place in place, so those changes rebuild the table inside
// one savepoint: new table, rows copied by column name, old table dropped, new one renamed, its
// indexes and triggers made again. The counter of an automatic number keeps its high-water mark.
#include "platform/db/connection.h"
#include "platform/db/counters.h"
#include "platform/db/database.h"

#include <QRegularExpression>

namespace db {

namespace {

// The column definitions of a CREATE TABLE text, split at the top-level commas.
struct CreateText {
    QString head;          // up to and including the opening parenthesis
    QStringList items;     // column definitions and table constraints
    QString tail;          // from the closing parenthesis on
};

CreateText splitCreate(const QString& sql)
{
    CreateText out;
    const int open = sql.indexOf(QLatin1Char('('));
    out.head = sql.left(open + 1);
    int depth = 0;
    QChar quote;
    QString current;
    for (int i = open + 1; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            current += c;
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            quote = c;
            current += c;
        } else if (c == QLatin1Char('[')) {
            quote = QLatin1Char(']');
            current += c;
        } else if (c == QLatin1Char('(')) {
            ++depth;
            current += c;
        } else if (c == QLatin1Char(')')) {
            if (depth == 0) {
                out.items << current.trimmed();
                out.tail = sql.mid(i);
                return out;
            }
            --depth;
            current += c;
        } else if (c == QLatin1Char(',') && depth == 0) {
            out.items << current.trimmed();
            current.clear();
        } else {
            current += c;
        }
    }
    out.items << current.trimmed();
    return out;
}

// The column name a definition begins with; empty for a table constraint.
QString definedName(const QString& item)
{
    static const QStringList constraints = {QStringLiteral("CONSTRAINT"), QStringLiteral("PRIMARY"),
                                            QStringLiteral("UNIQUE"), QStringLiteral("CHECK"),
                                            QStringLiteral("FOREIGN")};
    QString s = item.trimmed();
    if (s.isEmpty())
        return {};
    const QChar first = s.at(0);
    if (first == QLatin1Char('"') || first == QLatin1Char('`') || first == QLatin1Char('[')) {
        const QChar close = first == QLatin1Char('[') ? QLatin1Char(']') : first;
        const int end = s.indexOf(close, 1);
        return s.mid(1, end - 1);
    }
    const QString word = s.section(QRegularExpression(QStringLiteral("\\s")), 0, 0);
    for (const QString& c : constraints) {
        if (word.compare(c, Qt::CaseInsensitive) == 0)
            return {};
    }
    return word;
}

struct Rebuild {
    Connection& conn;
    QString table;
    CreateText create;

    Rebuild(Connection& c, const QString& t) : conn(c), table(t)
    {
        const QString sql = conn.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?"),
                                        {table}).toString();
        create = splitCreate(sql);
    }

    // The place of a column's definition; 3265 when the table has no such column.
    int indexOf(const QString& field) const
    {
        for (int i = 0; i < create.items.size(); ++i) {
            if (definedName(create.items.at(i)).compare(field, Qt::CaseInsensitive) == 0)
                return i;
        }
        raise(err::ItemNotFound);
    }

    // Rebuilds the table with the given definitions; oldNames[i] is the column copied into the
    // i-th new column (empty for table constraints).
    void apply(const QStringList& items, const QStringList& newNames, const QStringList& oldNames)
    {
        const QString temp = QStringLiteral("zal_rehacer_") + table;
        QStringList others;   // indexes and triggers of the table
        {
            Statement st(conn, QStringLiteral("SELECT sql FROM sqlite_master WHERE tbl_name = ? "
                                              "AND type IN ('index','trigger') AND sql IS NOT NULL"));
            st.bind({table});
            while (st.step())
                others << st.rawValue(0).toString();
        }
        const QVariant sequence = conn.scalar(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"), {table});

        QStringList to, from;
        for (int i = 0; i < newNames.size(); ++i) {
            if (newNames.at(i).isEmpty() || oldNames.at(i).isEmpty())
                continue;
            to << quoteName(newNames.at(i));
            from << quoteName(oldNames.at(i));
        }

        conn.savepoint("zal_rehacer");
        try {
            conn.execScript(QStringLiteral("PRAGMA legacy_alter_table = ON"));
            conn.execScript(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteName(temp), items.join(QStringLiteral(", "))));
            conn.exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %4")
                          .arg(quoteName(temp), to.join(QLatin1Char(',')), from.join(QLatin1Char(',')), quoteName(table)));
            conn.execScript(QStringLiteral("DROP TABLE %1").arg(quoteName(table)));
            conn.execScript(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoteName(temp), quoteName(table)));
            for (QString other : others) {
                // Definitions naming a renamed column follow it.
                for (int i = 0; i < newNames.size(); ++i) {
                    if (!oldNames.at(i).isEmpty() && oldNames.at(i) != newNames.at(i)) {
                        other.replace(QRegularExpression(QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(oldNames.at(i)))),
                                      newNames.at(i));
                    }
                }
                conn.execScript(other);
            }
            if (!sequence.isNull())
                conn.exec(QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, ?) WHERE name = ?"), {sequence, table});
            keepCountersAhead(conn);
            conn.execScript(QStringLiteral("PRAGMA legacy_alter_table = OFF"));
            const QVariant check = conn.scalar(QStringLiteral("PRAGMA quick_check(1)"));
            if (check.toString() != QLatin1String("ok"))
                raise(err::Corrupt, conn.path());
            conn.release("zal_rehacer");
        } catch (...) {
            conn.rollbackTo("zal_rehacer");
            sqlite3_exec(conn.handle(), "PRAGMA legacy_alter_table = OFF", nullptr, nullptr, nullptr);
            conn.schemaChanged();
            throw;
        }
        conn.schemaChanged();
    }

    QStringList names() const
    {
        QStringList out;
        for (const QString& item : create.items)
            out << definedName(item);
        return out;
    }
};

} // namespace

TableDef Database::tableDef(const QString& name) const
{
    if (!isOpen())
        raise(err::InvalidOperation);
    conn_->followSchema();
    const QString real = conn_->canonicalTable(name);
    if (real.isEmpty())
        raise(err::ItemNotFound);
    return TableDef(conn_, real);
}

QList<FieldDef> TableDef::fields() const
{
    conn_->followSchema();
    QList<FieldDef> out;
    int position = 1;
    for (const ColumnDef& c : conn_->columns(name_)) {
        FieldDef f;
        f.name = c.name;
        f.type = c.primaryKey && c.declType.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0 ? FieldType::Counter
                                                                                                        : c.type;
        f.size = c.size;
        f.ordinalPosition = position++;
        f.required = c.notNull;
        out << f;
    }
    return out;
}

bool TableDef::hasField(const QString& name) const
{
    for (const FieldDef& f : fields()) {
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

FieldDef TableDef::field(const QString& name) const
{
    for (const FieldDef& f : fields()) {
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return f;
    }
    raise(err::ItemNotFound);
}

void TableDef::setFieldSize(const QString& fieldName, int size)
{
    const FieldDef f = field(fieldName);
    if (f.type != FieldType::Text || size <= 0 || size > 255)
        raise(err::InvalidArgument);
    Rebuild r(*conn_, name_);
    const int at = r.indexOf(f.name);
    QStringList items = r.create.items;
    QString def = items.at(at);
    def.replace(QRegularExpression(QStringLiteral("TEXT\\s*\\(\\s*\\d+\\s*\\)"), QRegularExpression::CaseInsensitiveOption),
                QStringLiteral("TEXT(%1)").arg(size));
    def.replace(QRegularExpression(QStringLiteral("<=\\s*\\d+")), QStringLiteral("<= %1").arg(size));
    items[at] = def;
    const QStringList names = r.names();
    r.apply(items, names, names);
}

void TableDef::renameField(const QString& fieldName, const QString& newName)
{
    const FieldDef f = field(fieldName);
    if (newName.trimmed().isEmpty())
        raise(err::InvalidArgument);
    if (newName.compare(f.name, Qt::CaseInsensitive) != 0 && hasField(newName))
        raise(err::DuplicateKey);
    Rebuild r(*conn_, name_);
    const int at = r.indexOf(f.name);
    QStringList items = r.create.items;
    QString def = items.at(at);
    // The definition begins with the name; the size check and its name follow the column.
    const QString oldName = definedName(def);
    const int nameEnd = def.indexOf(oldName) + oldName.size() + (def.at(0).isLetterOrNumber() || def.at(0) == QLatin1Char('_') ? 0 : 1);
    def = quoteName(newName) + def.mid(nameEnd);
    def.replace(QRegularExpression(QStringLiteral("\\blen_%1\\b").arg(QRegularExpression::escape(oldName))),
                QStringLiteral("len_") + newName);
    def.replace(QRegularExpression(QStringLiteral("length\\(\\s*\"?%1\"?\\s*\\)").arg(QRegularExpression::escape(oldName))),
                QStringLiteral("length(%1)").arg(quoteName(newName)));
    items[at] = def;
    QStringList newNames = r.names();
    const QStringList oldNames = newNames;
    newNames[at] = newName;
    r.apply(items, newNames, oldNames);
}

void TableDef::setOrdinalPosition(const QString& fieldName, int position)
{
    const FieldDef f = field(fieldName);
    Rebuild r(*conn_, name_);
    const int at = r.indexOf(f.name);
    QStringList items = r.create.items;
    QStringList names = r.names();
    // Columns come first, table constraints keep their place after them.
    int columnCount = 0;
    for (const QString& n : names)
        columnCount += n.isEmpty() ? 0 : 1;
    const int target = std::clamp(position, 1, columnCount) - 1;
    const QString item = items.takeAt(at);
    const QString name = names.takeAt(at);
    items.insert(target, item);
    names.insert(target, name);
    r.apply(items, names, names);
}

} // namespace db
