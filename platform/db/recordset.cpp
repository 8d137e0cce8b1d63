// Record sets: the rows of a table or query held in memory with a cursor, the edit buffer of
// AddNew/Edit, and the writes back to the base tables by their row ids.
#include "platform/db/connection.h"
#include "platform/db/criteria.h"
#include "platform/db/database.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <vector>


namespace db {

namespace {

bool looksLikeSql(const QString& source)
{
    // The first word, up to a blank or an opening parenthesis.
    qsizetype start = 0;
    while (start < source.size() && source.at(start).isSpace())
        ++start;
    if (start < source.size() && source.at(start) == QLatin1Char('('))
        return true;
    qsizetype end = start;
    while (end < source.size() && !source.at(end).isSpace() && source.at(end) != QLatin1Char('('))
        ++end;
    const QStringView head = QStringView(source).mid(start, end - start);
    return head.compare(QLatin1String("SELECT"), Qt::CaseInsensitive) == 0
        || head.compare(QLatin1String("TRANSFORM"), Qt::CaseInsensitive) == 0
        || head.compare(QLatin1String("PARAMETERS"), Qt::CaseInsensitive) == 0;
}

// Positions of the top-level keywords of a translated SELECT; -1 when absent.
struct SelectShape {
    int from = -1;
    bool groupedOrDistinct = false;
};

SelectShape shapeOf(const QString& sql)
{
    SelectShape shape;
    int depth = 0;
    for (int i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const int end = sql.indexOf(c, i + 1);
            i = end < 0 ? sql.size() : end;
            continue;
        }
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')'))
            --depth;
        else if (depth == 0 && c.isLetter() && (i == 0 || !(sql.at(i - 1).isLetterOrNumber() || sql.at(i - 1) == QLatin1Char('_')))) {
            int j = i;
            while (j < sql.size() && (sql.at(j).isLetterOrNumber() || sql.at(j) == QLatin1Char('_')))
                ++j;
            const QString word = sql.mid(i, j - i).toUpper();
            if (word == QLatin1String("FROM") && shape.from < 0)
                shape.from = i;
            else if (word == QLatin1String("DISTINCT") || word == QLatin1String("GROUP") || word == QLatin1String("UNION")
                     || word == QLatin1String("INTERSECT") || word == QLatin1String("EXCEPT") || word == QLatin1String("HAVING"))
                shape.groupedOrDistinct = true;
            i = j - 1;
        }
    }
    return shape;
}

} // namespace

struct Recordset::Impl {
    std::shared_ptr<Connection> conn;
    RecordsetType type = RecordsetType::Dynaset;
    QString source;
    QString sql;                    // translated, with the row-id columns when updatable
    QVariantList parameters;        // the values of sql's ?1, ?2, ...
    QList<FieldInfo> fields;
    QStringList rowidTables;        // base tables whose keys the rows carry
    QStringList keyColumns;         // the key column of each of them (its primary key, or rowid)
    QList<int> rowidColumn;         // result column of each key
    bool canUpdate = false;
    bool open = true;

    struct Row {
        QVariantList values;
        QVariantList rowids;        // the key of the row in each base table
        bool deleted = false;
        int id = 0;                 // bookmark
    };
    QList<Row> rows;                // bookmarks (ids) grow along the list
    int pos = 0;                    // -1 BOF, rows.size() EOF
    int nextId = 1;
    // Kept as rows come and go, so that moves, EOF/BOF and counts cost nothing per row.
    int live = 0;                   // rows not deleted
    QList<int> deletedAt;           // positions of the deleted rows, ascending
    mutable QHash<QString, int> nameIndex;   // field names as asked for -> field index
    std::unique_ptr<Statement> prepared;     // sql, prepared by build() and not yet run
    QStringList resultColumns;               // columnsOf(sql) when the fields were read
    std::pair<qint64, qint64> loadedStamp{-1, -1};   // fileStamp() when the rows were read
    int maxRows = -1;                        // rows read at most; all when negative
    bool noMatch = false;
    int lastModified = 0;

    EditMode mode = EditMode::None;
    QVariantList buffer;
    QList<bool> dirty;

    // Who wants to hear of changes (the bound grid).
    std::vector<std::pair<int, std::function<void(Recordset::Change)>>> watchers;
    int nextWatcher = 1;

    void notify(Recordset::Change change) const
    {
        // A watcher may unwatch (or watch) while it is told: tell a copy of the list.
        const auto current = watchers;
        for (const auto& [id, watcher] : current)
            if (watcher)
                watcher(change);
    }

    void check() const
    {
        if (!open || !conn || !conn->isOpen())
            raise(err::InvalidOperation);
    }

    int liveCount() const { return live; }

    // The position of a bookmark's row; -1 when no row carries it.
    int positionOf(int id) const
    {
        const auto it = std::lower_bound(rows.cbegin(), rows.cend(), id,
                                         [](const Row& r, int wanted) { return r.id < wanted; });
        return it != rows.cend() && it->id == id ? int(it - rows.cbegin()) : -1;
    }

    void markDeleted(int p)
    {
        ++rowsVersion;
        rows[p].deleted = true;
        --live;
        deletedAt.insert(std::lower_bound(deletedAt.begin(), deletedAt.end(), p) - deletedAt.begin(), p);
    }

    void clearRows()
    {
        ++rowsVersion;
        rows.clear();
        live = 0;
        deletedAt.clear();
    }

    bool atRow() const { return pos >= 0 && pos < rows.size(); }

    int indexOf(const QString& name) const
    {
        const auto known = nameIndex.constFind(name);
        if (known != nameIndex.cend())
            return *known;
        const int index = lookUp(name);
        nameIndex.insert(name, index);
        return index;
    }

    int lookUp(const QString& name) const
    {
        QString n = name.trimmed();
        n.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
        for (int i = 0; i < fields.size(); ++i) {
            if (fields.at(i).name.compare(n, Qt::CaseInsensitive) == 0)
                return i;
        }
        const int dot = n.lastIndexOf(QLatin1Char('.'));
        if (dot > 0) {
            const QString table = n.left(dot);
            const QString column = n.mid(dot + 1);
            for (int i = 0; i < fields.size(); ++i) {
                if (fields.at(i).table.compare(table, Qt::CaseInsensitive) == 0
                    && fields.at(i).column.compare(column, Qt::CaseInsensitive) == 0)
                    return i;
            }
            for (int i = 0; i < fields.size(); ++i) {
                if (fields.at(i).name.compare(column, Qt::CaseInsensitive) == 0)
                    return i;
            }
        }
        return -1;
    }

    Row readRow(const Statement& st, int columnCount)
    {
        Row r;
        r.id = nextId++;
        r.values.reserve(fields.size());
        for (int i = 0; i < fields.size(); ++i)
            r.values << fieldValue(fields.at(i).type, st.rawValue(i));
        for (int c : rowidColumn)
            r.rowids << (c < columnCount ? st.rawValue(c) : QVariant());
        return r;
    }

    // Reads the fields of the query; returns its prepared statement.
    std::unique_ptr<Statement> describe(const QString& translated)
    {
        auto statement = std::make_unique<Statement>(*conn, translated, source);
        const Statement& st = *statement;
        fields.clear();
        nameIndex.clear();
        const int n = st.columnCount();
        QHash<QString, int> seen;
        for (int i = 0; i < n; ++i) {
            FieldInfo f;
            f.name = QString::fromUtf8(sqlite3_column_name(st.get(), i));
            const char* table = sqlite3_column_table_name(st.get(), i);
            const char* column = sqlite3_column_origin_name(st.get(), i);
            if (table && column) {
                f.table = QString::fromUtf8(table);
                f.column = QString::fromUtf8(column);
                for (const ColumnDef& c : conn->columns(f.table)) {
                    if (c.name.compare(f.column, Qt::CaseInsensitive) == 0) {
                        f.type = (c.primaryKey && c.declType.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
                                     ? FieldType::Counter
                                     : c.type;
                        f.size = c.size;
                    }
                }
            }
            seen[f.name.toLower()] += 1;
            fields << f;
        }
        // Two fields of one name are known by table and column, as the engine names them.
        for (FieldInfo& f : fields) {
            if (seen.value(f.name.toLower()) > 1 && !f.table.isEmpty())
                f.name = f.table + QLatin1Char('.') + f.column;
        }
        return statement;
    }

    void build()
    {
        conn->followSchema();
        QString translated;
        parameters.clear();
        if (looksLikeSql(source)) {
            translated = conn->translate(source, &parameters);
        } else {
            const QString table = conn->canonicalTable(source);
            if (table.isEmpty())
                raise(err::TableNotFound, source.trimmed());
            translated = QStringLiteral("SELECT * FROM %1").arg(quoteName(table));
        }
        while (translated.trimmed().endsWith(QLatin1Char(';')))
            translated = translated.trimmed().chopped(1);
        prepared = describe(translated);

        rowidTables.clear();
        keyColumns.clear();
        rowidColumn.clear();
        canUpdate = false;
        sql = translated;
        const SelectShape shape = shapeOf(translated);
        if (type != RecordsetType::Snapshot && !shape.groupedOrDistinct && shape.from > 0) {
            for (const FieldInfo& f : fields) {
                if (!f.table.isEmpty() && !rowidTables.contains(f.table, Qt::CaseInsensitive))
                    rowidTables << f.table;
            }
            if (!rowidTables.isEmpty()) {
                // Rows are found again by their table's primary key: SQLite does not show the
                // rowid of a table inside a nested join.
                QString extra;
                for (int i = 0; i < rowidTables.size(); ++i) {
                    QString key = QStringLiteral("rowid");
                    int keys = 0;
                    for (const ColumnDef& c : conn->columns(rowidTables.at(i))) {
                        if (c.primaryKey) {
                            key = c.name;
                            ++keys;
                        }
                    }
                    if (keys != 1)
                        key = QStringLiteral("rowid");
                    keyColumns << key;
                    const QString ref = key == QLatin1String("rowid") ? key : quoteName(key);
                    extra += QStringLiteral(", %1.%2 AS \"zal_rowid_%3\" ").arg(quoteName(rowidTables.at(i)), ref).arg(i);
                    rowidColumn << fields.size() + i;
                }
                const QString withIds = translated.left(shape.from) + extra + translated.mid(shape.from);
                try {
                    prepared = std::make_unique<Statement>(*conn, withIds);
                    sql = withIds;
                    canUpdate = true;
                } catch (const DbError&) {
                    rowidTables.clear();
                    keyColumns.clear();
                    rowidColumn.clear();
                }
            }
        }
        resultColumns = columnsOf(*prepared);
    }

    // The name and declared type of each result column of a statement.
    static QStringList columnsOf(const Statement& st)
    {
        QStringList out;
        for (int i = 0; i < st.columnCount(); ++i)
            out << QString::fromUtf8(sqlite3_column_name(st.get(), i)) + QLatin1Char(' ')
                       + QString::fromUtf8(sqlite3_column_decltype(st.get(), i));
        return out;
    }

    void load()
    {
        // A requery reads about as many rows as before: room for them at once.
        const qsizetype before = rows.size();
        clearRows();
        rows.reserve(before);
        // The statement build() prepared serves the first reading; a requery prepares anew.
        std::unique_ptr<Statement> statement = std::move(prepared);
        if (!statement)
            statement = std::make_unique<Statement>(*conn, sql);
        const auto start = [&] {
            statement->bind(parameters);
            return statement->step();
        };
        bool more = start();
        // The definitions changed since the fields were read (another connection rebuilt a
        // table): SQLite prepared the statement again for them as it ran, and its columns are no
        // longer the fields. The fields are read again, and the rows under them.
        if (columnsOf(*statement) != resultColumns) {
            statement.reset();
            build();
            statement = std::move(prepared);
            more = start();
        }
        Statement& st = *statement;
        const int n = st.columnCount();
        for (; more; more = (maxRows < 0 || rows.size() < maxRows) && st.step())
            rows << readRow(st, n);
        ++rowsVersion;
        live = int(rows.size());
        pos = 0;
        mode = EditMode::None;
        noMatch = false;
        loadedStamp = fileStamp();
    }

    // What tells whether the file may hold other rows than when they were read: the commits of
    // other connections (data_version) and the changes made through this one (total_changes).
    std::pair<qint64, qint64> fileStamp() const
    {
        qint64 version = -1;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(conn->handle(), "PRAGMA data_version", -1, &st, nullptr) == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW)
            version = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        return {version, sqlite3_total_changes64(conn->handle())};
    }

    // A requery of rows nobody can have changed gives the same rows in the same order: the read
    // is spared, and the cursor goes back to the first row as after a read.
    bool unchangedSinceLoad() const
    {
        return maxRows < 0 && mode == EditMode::None && live == rows.size() && loadedStamp.first >= 0
            && fileStamp() == loadedStamp;
    }

    // Reads one row again by the row id of its first base table.
    bool reread(Row& row)
    {
        if (rowidTables.isEmpty())
            return false;
        const QString wrapped = QStringLiteral("SELECT * FROM (%1) WHERE \"zal_rowid_0\" = ?").arg(sql);
        Statement st(*conn, wrapped);
        st.bind(QVariantList(parameters) << row.rowids.value(0));
        if (!st.step())
            return false;
        const int id = row.id;
        row = readRow(st, st.columnCount());
        row.id = id;
        return true;
    }

    QString keyRef(int slot) const
    {
        const QString key = keyColumns.value(slot, QStringLiteral("rowid"));
        return key == QLatin1String("rowid") ? key : quoteName(key);
    }

    void cancelEdit()
    {
        mode = EditMode::None;
        buffer.clear();
        dirty.clear();
    }

    void requireRow() const
    {
        if (!atRow())
            raise(err::NoCurrentRecord);
        if (rows.at(pos).deleted)
            raise(err::RecordDeleted);
    }

    void moveTo(int p)
    {
        cancelEdit();
        pos = p;
        notify(Recordset::Change::Moved);
    }

    // The next live row from p in direction step; -1 / size() when none.
    int seek(int p, int step) const
    {
        while (p >= 0 && p < rows.size() && rows.at(p).deleted)
            p += step;
        return p;
    }

    // The rows whose values of some fields can equal literals of some kinds, by key (see
    // Criteria::equalityKey), made by a find over many rows and kept until the rows change.
    struct FindIndex {
        QString shape;                  // the fields and the kinds of their literals
        quint64 version = 0;
        bool usable = false;            // no row holds a value only an evaluation can judge
        QHash<QString, std::vector<int>> positions;   // ascending
    };
    std::vector<FindIndex> findIndexes;
    quint64 rowsVersion = 0;
    static constexpr int kFindIndexFrom = 64;   // fewer rows are simply evaluated

    // The rows that can match criteria of equalities only, when an index can tell: *candidates
    // then holds them in ascending order. False when the rows must all be evaluated.
    bool findCandidates(const Criteria& c, const std::vector<int>** candidates)
    {
        QStringList names;
        QVariantList literals;
        if (rows.size() < kFindIndexFrom || !c.equalities(&names, &literals))
            return false;
        std::vector<int> columns;
        QString shape;
        QString wanted;
        for (qsizetype i = 0; i < names.size(); ++i) {
            const int column = indexOf(names.at(i));
            QString part;
            if (column < 0 || Criteria::equalityKey(literals.at(i), literals.at(i), &part) != Criteria::Keying::Keyed)
                return false;   // an unknown field fails as the evaluation reports it
            columns.push_back(column);
            shape += QString::number(column) + part.left(1) + QLatin1Char(' ');
            wanted += part + QChar(0x1F);
        }
        auto index = std::find_if(findIndexes.begin(), findIndexes.end(), [&](const FindIndex& f) { return f.shape == shape; });
        if (index == findIndexes.end()) {
            if (findIndexes.size() >= 4)
                findIndexes.erase(findIndexes.begin());
            findIndexes.push_back(FindIndex{shape, rowsVersion - 1, false, {}});
            index = findIndexes.end() - 1;
        }
        if (index->version != rowsVersion) {
            index->version = rowsVersion;
            index->positions.clear();
            index->usable = true;
            for (int p = 0; p < rows.size() && index->usable; ++p) {
                const Row& r = rows.at(p);
                if (r.deleted)
                    continue;
                QString key;
                bool never = false;
                for (size_t i = 0; i < columns.size(); ++i) {
                    QString part;
                    const Criteria::Keying k = Criteria::equalityKey(r.values.at(columns[i]), literals.at(qsizetype(i)), &part);
                    if (k == Criteria::Keying::Unknown) {
                        index->usable = false;
                        break;
                    }
                    never = never || k == Criteria::Keying::Never;
                    key += part + QChar(0x1F);
                }
                if (index->usable && !never)
                    index->positions[key].push_back(p);
            }
            if (!index->usable)
                index->positions.clear();
        }
        if (!index->usable)
            return false;
        static const std::vector<int> none;
        const auto found = index->positions.constFind(wanted);
        *candidates = found == index->positions.cend() ? &none : &found.value();
        return true;
    }

    void find(const QString& criteria, int start, int step)
    {
        check();
        const Criteria c = Criteria::parse(criteria);
        // The fields the criteria name, found once by the criteria's own name objects.
        std::vector<std::pair<const QString*, int>> named;
        const Row* row = nullptr;
        const Criteria::FieldLookup lookup = [&](const QString& name) -> const QVariant* {
            int i = -2;
            for (const auto& [known, index] : named) {
                if (known == &name) {
                    i = index;
                    break;
                }
            }
            if (i == -2) {
                i = indexOf(name);
                named.emplace_back(&name, i);
            }
            return i < 0 ? nullptr : &row->values.at(i);
        };
        const auto tryRow = [&](int p) {
            const Row& r = rows.at(p);
            if (r.deleted)
                return false;
            row = &r;
            if (!c.matches(lookup))
                return false;
            noMatch = false;
            moveTo(p);
            return true;
        };
        const std::vector<int>* candidates = nullptr;
        if (findCandidates(c, &candidates)) {
            // Only the rows the index names can match; each is still evaluated.
            if (step > 0) {
                for (auto it = std::lower_bound(candidates->begin(), candidates->end(), start); it != candidates->end(); ++it)
                    if (tryRow(*it))
                        return;
            } else {
                for (auto it = std::upper_bound(candidates->begin(), candidates->end(), start); it != candidates->begin();)
                    if (tryRow(*--it))
                        return;
            }
            noMatch = true;
            return;
        }
        for (int p = start; p >= 0 && p < rows.size(); p += step) {
            if (tryRow(p))
                return;
        }
        noMatch = true;
    }

    void write()
    {
        if (mode == EditMode::None)
            raise(err::UpdateWithoutEdit);
        // Group the changed fields by base table.
        QStringList tables;
        for (int i = 0; i < fields.size(); ++i) {
            if (dirty.at(i) && !tables.contains(fields.at(i).table, Qt::CaseInsensitive))
                tables << fields.at(i).table;
        }
        if (tables.isEmpty() && mode == EditMode::Add)
            tables << rowidTables.value(0);

        conn->savepoint("zal_update");
        Row row;
        try {
            if (mode == EditMode::Add) {
                row.id = nextId++;
                row.rowids = QVariantList(rowidTables.size());
                for (const QString& table : tables) {
                    QStringList cols, marks;
                    QVariantList values;
                    for (int i = 0; i < fields.size(); ++i) {
                        if (dirty.at(i) && fields.at(i).table.compare(table, Qt::CaseInsensitive) == 0) {
                            cols << quoteName(fields.at(i).column);
                            marks << QStringLiteral("?");
                            values << storedValue(fields.at(i).type, buffer.at(i));
                        }
                    }
                    if (cols.isEmpty())
                        conn->exec(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteName(table)));
                    else
                        conn->exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                       .arg(quoteName(table), cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                                   values);
                    const int slot = int(rowidTables.indexOf(table));
                    if (slot >= 0)
                        row.rowids[slot] = conn->scalar(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                                            .arg(keyRef(slot), quoteName(table)),
                                                        {qlonglong(sqlite3_last_insert_rowid(conn->handle()))});
                }
                row.values = buffer;
            } else {
                row = rows.at(pos);
                for (const QString& table : tables) {
                    QStringList sets;
                    QVariantList values;
                    for (int i = 0; i < fields.size(); ++i) {
                        if (dirty.at(i) && fields.at(i).table.compare(table, Qt::CaseInsensitive) == 0) {
                            sets << quoteName(fields.at(i).column) + QStringLiteral(" = ?");
                            values << storedValue(fields.at(i).type, buffer.at(i));
                        }
                    }
                    const int slot = int(rowidTables.indexOf(table));
                    values << row.rowids.value(slot);
                    const int changed = conn->exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                                                       .arg(quoteName(table), sets.join(QStringLiteral(", ")), keyRef(slot)),
                                                   values);
                    if (changed == 0)
                        raise(err::RecordDeleted);
                    // A changed key is the row's new key.
                    for (int i = 0; i < fields.size(); ++i) {
                        if (dirty.at(i) && fields.at(i).table.compare(table, Qt::CaseInsensitive) == 0
                            && fields.at(i).column.compare(keyColumns.at(slot), Qt::CaseInsensitive) == 0)
                            row.rowids[slot] = storedValue(fields.at(i).type, buffer.at(i));
                    }
                }
                for (int i = 0; i < fields.size(); ++i) {
                    if (dirty.at(i))
                        row.values[i] = buffer.at(i);
                }
            }
            conn->release("zal_update");
        } catch (...) {
            conn->rollbackTo("zal_update");
            throw;
        }
        // What the file holds now: automatic numbers, defaults, the engine's own conversions.
        reread(row);
        const bool added = mode == EditMode::Add;
        ++rowsVersion;
        if (added) {
            const bool atEnd = pos >= rows.size();
            rows << row;
            ++live;
            if (atEnd)
                pos = rows.size();
        } else {
            rows[pos] = row;
        }
        lastModified = row.id;
        cancelEdit();
        notify(Recordset::Change::RowsChanged);
    }
};

Recordset Database::openRecordset(const QString& source, RecordsetType type)
{
    return openRecordset(source, type, -1);
}

Recordset Database::openRecordset(const QString& source, RecordsetType type, int maxRows)
{
    if (!isOpen())
        raise(err::InvalidOperation);
    auto d = std::make_shared<Recordset::Impl>();
    d->conn = conn_;
    d->type = type;
    d->source = source;
    d->maxRows = maxRows < 0 ? -1 : std::max(1, maxRows);
    if (type == RecordsetType::Table && looksLikeSql(source))
        raise(err::InvalidOperation);
    d->build();
    d->load();
    return Recordset(d);
}

Recordset::Recordset() = default;

Recordset::Impl& Recordset::impl() const
{
    if (!d)
        raise(err::InvalidOperation);
    d->check();
    return *d;
}

bool Recordset::isOpen() const { return d && d->open && d->conn && d->conn->isOpen(); }
void Recordset::close()
{
    if (d) {
        d->open = false;
        d->clearRows();
        d->notify(Change::Reloaded);
    }
}
RecordsetType Recordset::type() const { return impl().type; }
QString Recordset::source() const { return impl().source; }
bool Recordset::updatable() const { return impl().canUpdate; }

bool Recordset::eof() const
{
    const Impl& i = impl();
    return i.liveCount() == 0 || i.pos >= i.rows.size();
}

bool Recordset::bof() const
{
    const Impl& i = impl();
    return i.liveCount() == 0 || i.pos < 0;
}

int Recordset::recordCount() const { return impl().liveCount(); }

int Recordset::absolutePosition() const
{
    const Impl& i = impl();
    if (!i.atRow())
        return -1;
    const auto deletedBefore = std::lower_bound(i.deletedAt.cbegin(), i.deletedAt.cend(), i.pos) - i.deletedAt.cbegin();
    return i.pos - int(deletedBefore);
}

void Recordset::moveFirst()
{
    Impl& i = impl();
    if (i.liveCount() == 0)
        raise(err::NoCurrentRecord);
    i.moveTo(i.seek(0, 1));
}

void Recordset::moveLast()
{
    Impl& i = impl();
    if (i.liveCount() == 0)
        raise(err::NoCurrentRecord);
    i.moveTo(i.seek(int(i.rows.size()) - 1, -1));
}

void Recordset::moveNext()
{
    Impl& i = impl();
    if (i.pos >= i.rows.size() || i.liveCount() == 0)
        raise(err::NoCurrentRecord);
    i.moveTo(i.seek(i.pos + 1, 1));
}

void Recordset::movePrevious()
{
    Impl& i = impl();
    if (i.pos < 0 || i.liveCount() == 0)
        raise(err::NoCurrentRecord);
    i.moveTo(i.seek(i.pos - 1, -1));
}

int Recordset::fieldCount() const { return int(impl().fields.size()); }

FieldInfo Recordset::fieldInfo(int index) const
{
    const Impl& i = impl();
    if (index < 0 || index >= i.fields.size())
        raise(err::ItemNotFound);
    return i.fields.at(index);
}

int Recordset::fieldIndex(const QString& name) const { return impl().indexOf(name); }

QVariant Recordset::field(int index) const
{
    const Impl& i = impl();
    if (index < 0 || index >= i.fields.size())
        raise(err::ItemNotFound);
    if (i.mode != EditMode::None)
        return i.buffer.at(index);
    i.requireRow();
    return i.rows.at(i.pos).values.at(index);
}

QVariant Recordset::field(const QString& name) const
{
    const int index = impl().indexOf(name);
    if (index < 0)
        raise(err::ItemNotFound);
    return field(index);
}

void Recordset::setField(const QString& name, const QVariant& value)
{
    Impl& i = impl();
    const int index = i.indexOf(name);
    if (index < 0)
        raise(err::ItemNotFound);
    if (i.mode == EditMode::None)
        raise(err::UpdateWithoutEdit);
    const FieldInfo& f = i.fields.at(index);
    if (f.table.isEmpty() || f.type == FieldType::Counter)
        raise(err::FieldNotUpdatable, f.name);
    const QVariant stored = storedValue(f.type, value);
    i.buffer[index] = fieldValue(f.type, stored);
    i.dirty[index] = true;
}

void Recordset::findFirst(const QString& criteria) { impl().find(criteria, 0, 1); }
void Recordset::findLast(const QString& criteria) { impl().find(criteria, int(impl().rows.size()) - 1, -1); }
void Recordset::findNext(const QString& criteria)
{
    Impl& i = impl();
    i.find(criteria, i.pos < 0 ? 0 : i.pos + 1, 1);
}
void Recordset::findPrevious(const QString& criteria)
{
    Impl& i = impl();
    i.find(criteria, i.pos >= i.rows.size() ? int(i.rows.size()) - 1 : i.pos - 1, -1);
}
bool Recordset::noMatch() const { return impl().noMatch; }

void Recordset::addNew()
{
    Impl& i = impl();
    if (!i.canUpdate)
        raise(err::ReadOnly);
    i.mode = EditMode::Add;
    i.buffer = QVariantList(i.fields.size());
    i.dirty = QList<bool>(i.fields.size(), false);
}

void Recordset::edit()
{
    Impl& i = impl();
    if (!i.canUpdate)
        raise(err::ReadOnly);
    i.requireRow();
    i.mode = EditMode::InProgress;
    i.buffer = i.rows.at(i.pos).values;
    i.dirty = QList<bool>(i.fields.size(), false);
}

void Recordset::update() { impl().write(); }

void Recordset::cancelUpdate()
{
    Impl& i = impl();
    if (i.mode == EditMode::None)
        raise(err::UpdateWithoutEdit);
    i.cancelEdit();
}

void Recordset::remove()
{
    Impl& i = impl();
    if (!i.canUpdate)
        raise(err::ReadOnly);
    i.requireRow();
    i.cancelEdit();
    const Impl::Row& row = i.rows.at(i.pos);
    // The row belongs to the table of its first field (the detail side of a join).
    QString table;
    for (const FieldInfo& f : i.fields) {
        if (!f.table.isEmpty()) {
            table = f.table;
            break;
        }
    }
    const int slot = int(i.rowidTables.indexOf(table));
    const int changed = i.conn->exec(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quoteName(table), i.keyRef(slot)),
                                     {row.rowids.value(slot)});
    if (changed == 0)
        raise(err::RecordDeleted);
    i.markDeleted(i.pos);
    i.notify(Change::RowsChanged);
}

EditMode Recordset::editMode() const { return impl().mode; }

void Recordset::requery()
{
    Impl& i = impl();
    if (i.unchangedSinceLoad()) {
        i.pos = 0;
        i.noMatch = false;
    } else {
        i.load();
    }
    i.notify(Change::Reloaded);
}

QVariant Recordset::bookmark() const
{
    const Impl& i = impl();
    i.requireRow();
    return i.rows.at(i.pos).id;
}

void Recordset::setBookmark(const QVariant& bookmark)
{
    Impl& i = impl();
    const int p = i.positionOf(bookmark.toInt());
    if (p < 0)
        raise(err::InvalidArgument);
    if (i.rows.at(p).deleted)
        raise(err::RecordDeleted);
    i.moveTo(p);
}

QList<int> Recordset::bookmarks() const
{
    QList<int> ids;
    if (!isOpen())
        return ids;
    ids.reserve(d->rows.size());
    for (const Impl::Row& r : d->rows)
        if (!r.deleted)
            ids << r.id;
    return ids;
}

QVariant Recordset::fieldOf(int bookmark, int index) const
{
    if (!isOpen())
        return QVariant();
    const int p = d->positionOf(bookmark);
    if (p < 0 || d->rows.at(p).deleted || index < 0 || index >= d->rows.at(p).values.size())
        return QVariant();
    return d->rows.at(p).values.at(index);
}

int Recordset::watch(std::function<void(Change)> watcher) const
{
    if (!d)
        return 0;
    const int id = d->nextWatcher++;
    d->watchers.emplace_back(id, std::move(watcher));
    return id;
}

void Recordset::unwatch(int id) const
{
    if (!d)
        return;
    auto& w = d->watchers;
    w.erase(std::remove_if(w.begin(), w.end(), [id](const auto& entry) { return entry.first == id; }), w.end());
}

QVariant Recordset::lastModified() const
{
    const Impl& i = impl();
    if (i.lastModified == 0)
        raise(err::NoCurrentRecord);
    return i.lastModified;
}

} // namespace db
