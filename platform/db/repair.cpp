// Repair of a damaged database file. What can still be read is copied into a new file built beside
// the damaged one; the damaged original is kept as a backup and the new file takes its place in one
// rename. A file that cannot be recognised as a ZAL database is never touched.
#include "platform/db/connection.h"
#include "platform/db/counters.h"
#include "platform/db/database.h"
#include "platform/db/jet_sql.h"
#include "platform/db/page_reader.h"
#include "platform/db/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <optional>
#include <unistd.h>

namespace db {

namespace {

// Rowids probed one by one past the last number known to be in use before a table's salvage ends.
constexpr qint64 kProbeSpan = 1000;
// The most rows one page can hold (the smallest row with its pointer takes six bytes); no table
// holds more rows than its pages can, however large a damaged page says a number is.
constexpr qint64 kRowsPerPage = 700;
// How many of the engine's steps one statement on the damaged file may take for each page of the
// file before it is stopped: far more than reading every row of every page needs, and an end to
// a statement that a damaged page sends round in circles.
constexpr qint64 kStepsPerPage = 100;   // in thousands

// The limit the progress handler keeps on each statement run on the damaged file.
struct Budget {
    qint64 each = 0;
    qint64 left = 0;
    void renew() { left = each; }
};

int spend(void* budget)
{
    return --static_cast<Budget*>(budget)->left < 0 ? 1 : 0;
}
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

// Where the rows of one table go in the new file, and what came of them. Rows that have nothing
// but their number (a number below 1, which no row is ever given, or every value Null) are no
// rows that were saved: a broken page yields them where it held rows, and they are left out.
class TableCopy {
public:
    TableCopy(Connection& target, const QString& table) : target_(target), table_(table)
    {
        struct Col {
            QString name, type;
            bool key = false;
            bool notNull = false;
        };
        QList<Col> cols;
        int keys = 0;
        {
            Statement st(target, QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(table)));
            while (st.step()) {
                cols << Col{st.rawValue(1).toString(), st.rawValue(2).toString(), st.rawValue(5).toInt() > 0, st.rawValue(3).toInt() != 0};
                keys += cols.last().key;
            }
        }
        QStringList names, marks{QStringLiteral("?")};
        for (int i = 0; i < cols.size(); ++i) {
            const Col& c = cols.at(i);
            // A single INTEGER key is the rowid itself: the rowid fills it.
            const bool rowidKey = keys == 1 && c.key && c.type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
            pages::Column shape;
            if (rowidKey) {
                shape.kind = pages::Column::Key;
            } else {
                int size = 0;
                switch (fieldTypeOf(c.type, &size)) {
                case FieldType::Text:
                case FieldType::Memo:
                    shape = {pages::Column::Text, size};
                    break;
                case FieldType::Variant:
                    shape.kind = pages::Column::Any;
                    break;
                default:
                    shape.kind = pages::Column::Number;
                    break;
                }
                shape.notNull = c.notNull;
                valueColumns_ << i;
                names << quoteName(c.name);
                marks << QStringLiteral("?");
            }
            shape_ << shape;
        }
        columnList_ = names.join(QLatin1Char(','));
        const QString into = names.isEmpty() ? QStringLiteral("(rowid)") : QStringLiteral("(rowid, %1)").arg(columnList_);
        insert_ = std::make_unique<Statement>(
            target, QStringLiteral("INSERT OR IGNORE INTO %1 %2 VALUES (%3)").arg(quoteName(table), into, marks.join(QLatin1Char(','))));
    }

    // What a scan of the damaged file selects: the rowid, then the values in the order added.
    QString selectList() const
    {
        return columnList_.isEmpty() ? QStringLiteral("rowid") : QStringLiteral("rowid, ") + columnList_;
    }
    const QList<pages::Column>& shape() const { return shape_; }

    // Rows above the table's counter were never handed out: a broken page made them up.
    void setCeiling(qint64 ceiling) { ceiling_ = ceiling; }

    // The numbers of the rows of another table's page that stands in the place of one of this
    // table's: what the engine reads under them is not kept (the table's own row of that number,
    // if any, comes from its page).
    void setStrays(const QSet<qint64>& numbers) { strays_ = numbers; }
    // The rows of such pages the engine read as this table's.
    qint64 strayed() const { return strayed_.size(); }

    // The row the statement stands on (as selectList gives it).
    void add(sqlite3_stmt* read)
    {
        ++seen;
        const qint64 rowid = sqlite3_column_int64(read, 0);
        if (strays_.contains(rowid)) {
            strayed_.insert(rowid);
            return;
        }
        bool empty = true;
        for (int i = 1; i <= valueColumns_.size(); ++i)
            empty = empty && sqlite3_column_type(read, i) == SQLITE_NULL;
        if (skipped(rowid, empty))
            return;
        sqlite3_bind_int64(insert_->get(), 1, rowid);
        for (int i = 1; i <= valueColumns_.size(); ++i)
            sqlite3_bind_value(insert_->get(), i + 1, sqlite3_column_value(read, i));
        store(rowid);
    }

    // A row read from the pages themselves; its values in the table's column order.
    void add(const pages::Row& row)
    {
        bool empty = true;
        for (int i = 0; i < valueColumns_.size(); ++i) {
            const int c = valueColumns_.at(i);
            const pages::Value v = c < row.values.size() ? row.values.at(c) : pages::Value();
            empty = empty && v.kind == pages::Value::Null;
            const int at = i + 2;
            switch (v.kind) {
            case pages::Value::Null:
                sqlite3_bind_null(insert_->get(), at);
                break;
            case pages::Value::Integer:
                sqlite3_bind_int64(insert_->get(), at, v.integer);
                break;
            case pages::Value::Real:
                sqlite3_bind_double(insert_->get(), at, v.real);
                break;
            case pages::Value::Text:
                sqlite3_bind_text(insert_->get(), at, v.bytes.constData(), int(v.bytes.size()), SQLITE_TRANSIENT);
                break;
            case pages::Value::Blob:
                sqlite3_bind_blob(insert_->get(), at, v.bytes.constData(), int(v.bytes.size()), SQLITE_TRANSIENT);
                break;
            }
        }
        if (skipped(row.rowid, empty)) {
            sqlite3_clear_bindings(insert_->get());
            return;
        }
        sqlite3_bind_int64(insert_->get(), 1, row.rowid);
        store(row.rowid);
    }

    qint64 seen = 0;      // rows the engine read
    qint64 copied = 0;    // rows kept
    qint64 refused = 0;   // damaged values the table's checks refuse
    qint64 highest = 0;   // the highest number kept

private:
    bool skipped(qint64 rowid, bool empty) const
    {
        return rowid < 1 || (empty && !valueColumns_.isEmpty()) || (ceiling_ > 0 && rowid > ceiling_);
    }

    void store(qint64 rowid)
    {
        sqlite3_stmt* st = insert_->get();
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_DONE) {
            if (sqlite3_changes(target_.handle()) > 0) {
                ++copied;
                highest = std::max(highest, rowid);
            }
        } else if ((rc & 0xFF) == SQLITE_CONSTRAINT) {
            ++refused;
        } else {
            sqlite3_reset(st);
            target_.fail(rc);   // the new file itself fails: the repair cannot go on
        }
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    }

    Connection& target_;
    QString table_;
    QList<int> valueColumns_;   // the table's columns that are not the rowid
    QList<pages::Column> shape_;
    QString columnList_;
    std::unique_ptr<Statement> insert_;
    qint64 ceiling_ = 0;
    QSet<qint64> strays_;
    QSet<qint64> strayed_;
};

// What the damaged file still tells of a table's size.
struct TableSize {
    std::optional<qint64> count;   // its number of rows, when the table or an index reads whole
    qint64 counter = 0;            // its automatic number's counter
    qint64 highest = 0;            // the highest number known to be in use
};

// strayed: a page of another table's rows stands in the place of one of the table's; what the
// table reads as itself then tells of those rows, and only its indexes tell of its own.
TableSize sizeOf(Connection& source, Budget& budget, const QString& table, bool strayed)
{
    TableSize size;
    budget.renew();
    size.counter = tryNumber([&] {
        return source.scalar(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"), {table});
    }).value_or(0);
    QStringList indexes;   // the table's own, and those the engine made for its keys
    try {
        budget.renew();
        Statement st(source, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = ?"));
        st.bind({table});
        while (st.step())
            indexes << st.rawValue(0).toString();
    } catch (const DbError&) {
    }
    QStringList ways;
    if (!strayed)
        ways << QString();
    for (const QString& index : indexes)
        ways << QStringLiteral(" INDEXED BY %1").arg(quoteName(index));
    for (const QString& way : ways) {
        const QString from = quoteName(table) + way;
        budget.renew();
        if (const auto n = tryNumber([&] { return source.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(from)); }))
            size.count = std::max(size.count.value_or(0), *n);
        budget.renew();
        size.highest = std::max(size.highest, tryNumber([&] {
            return source.scalar(QStringLiteral("SELECT max(rowid) FROM %1").arg(from));
        }).value_or(0));
    }
    size.highest = std::max(size.highest, size.counter);
    return size;
}

// Copies what the engine can still read of one table. A scan in rowid order copies until it meets
// a broken page or a row out of order (which only a broken page yields); past it the rows are
// looked up one number at a time (each lookup reaches its row through the pages that are still
// sound) until a scan can go on again. Every number is looked up at most once and every scan
// starts past the last number read in order, so the salvage ends on any file. True when the table
// read whole.
bool salvageTable(Connection& source, Budget& budget, const QString& table, TableCopy& copy, const TableSize& size,
                  qint64 pageCount)
{
    const QString select = QStringLiteral("SELECT %1 FROM %2 ").arg(copy.selectList(), quoteName(table));
    qint64 frontier = 0;   // the last number read in order
    // Reads from past after in rowid order; true when the scan reached the end of the table.
    auto scanFrom = [&](qint64 after) {
        try {
            budget.renew();
            Statement read(source, select + QStringLiteral("WHERE rowid > ? ORDER BY rowid"));
            read.bind({after});
            while (read.step()) {
                const qint64 id = sqlite3_column_int64(read.get(), 0);
                copy.add(read.get());
                if (id <= frontier)
                    return false;
                frontier = id;
            }
            return true;
        } catch (const DbError&) {
            return false;
        }
    };
    if (scanFrom(std::numeric_limits<qint64>::min()))
        return true;

    const qint64 last = std::max<qint64>(frontier, 0) + pageCount * kRowsPerPage;
    const qint64 bound = std::min(size.highest, last);
    std::unique_ptr<Statement> lookup;
    try {
        lookup = std::make_unique<Statement>(source, select + QStringLiteral("WHERE rowid = ?"));
    } catch (const DbError&) {
        return false;
    }
    qint64 misses = 0;
    for (qint64 id = std::max<qint64>(frontier, 0) + 1; id <= last && (id <= bound || misses < kProbeSpan); ++id) {
        budget.renew();
        try {
            sqlite3_reset(lookup->get());
            sqlite3_bind_int64(lookup->get(), 1, id);
            if (lookup->step()) {
                copy.add(lookup->get());
                sqlite3_reset(lookup->get());
                misses = 0;
                frontier = id;
                if (scanFrom(id))
                    break;
                id = std::max(id, frontier);
                continue;
            }
        } catch (const DbError&) {
        }
        ++misses;
    }
    return false;
}

// The rows that did not come back: exactly when the number of rows is still known, otherwise up
// to the highest number known to have been in use (a broken page hides how many rows it held).
qint64 lostRows(const TableCopy& copy, const TableSize& size)
{
    qint64 lost = 0;
    if (size.count)
        lost = *size.count - copy.copied;
    else
        lost = std::max(size.highest, copy.highest) - copy.copied;
    return std::max<qint64>(lost, 0);
}


struct Object {
    QString type, name, table, sql;
    qint64 root = 0;   // its first page, 0 when not known
};

bool hasMarksTable(const QList<Object>& objects)
{
    return std::any_of(objects.cbegin(), objects.cend(), [](const Object& o) {
        return o.type == QLatin1String("table") && o.name == QLatin1String("zal_sistema");
    });
}

// Tables first, then indexes, then the rest, each in the order found.
void sortObjects(QList<Object>& objects)
{
    auto rank = [](const Object& o) {
        return o.type == QLatin1String("table") ? 0 : o.type == QLatin1String("index") ? 1 : 2;
    };
    std::stable_sort(objects.begin(), objects.end(), [&](const Object& a, const Object& b) { return rank(a) < rank(b); });
}

// The definitions found on the pages of a table of tables that cannot be read any more.
QList<Object> schemaFromPages(const QString& path)
{
    QList<Object> objects;
    QSet<QString> names;
    for (const pages::Row& r : pages::readSchemaRows(path)) {
        Object o{pages::textOf(r.values.at(0)), pages::textOf(r.values.at(1)), pages::textOf(r.values.at(2)),
                 pages::textOf(r.values.at(4)), r.values.at(3).integer};
        if (o.sql.isEmpty() || o.name.startsWith(QLatin1String("sqlite"), Qt::CaseInsensitive) || names.contains(o.name.toLower()))
            continue;
        names.insert(o.name.toLower());
        objects << o;
    }
    sortObjects(objects);
    return objects;
}

// The program's own tables, indexes and triggers, as a new file has them.
QList<Object> programObjects()
{
    QList<Object> objects;
    Handle h;
    h.h = rawOpen(QStringLiteral(":memory:"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_MEMORY);
    if (!h.h || sqlite3_exec(h.h, schemaSql().toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return objects;
    Connection conn(h.h, QString());
    h.h = nullptr;
    Statement st(conn, QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master WHERE sql IS NOT NULL "
                                      "AND name NOT LIKE 'sqlite%' ORDER BY rowid"));
    while (st.step())
        objects << Object{st.rawValue(0).toString(), st.rawValue(1).toString(), st.rawValue(2).toString(), st.rawValue(3).toString()};
    sortObjects(objects);
    return objects;
}

void addMissing(QList<Object>& objects, const QList<Object>& more)
{
    for (const Object& m : more) {
        const bool found = std::any_of(objects.cbegin(), objects.cend(),
                                       [&](const Object& o) { return o.name.compare(m.name, Qt::CaseInsensitive) == 0; });
        if (!found)
            objects << m;
    }
    sortObjects(objects);
}

const Object& tableObject(const QList<Object>& objects, const QString& table)
{
    for (const Object& o : objects)
        if (o.type == QLatin1String("table") && o.name == table)
            return o;
    static const Object none;
    return none;
}

// The keys of the file's marks in zal_sistema: its format and its password.
const QStringList kMarkKeys{QStringLiteral("formato"), QStringLiteral("clave")};

// The marks and the suppliers have rows of the same kinds: a page of rows holds the marks only
// when its keys are the marks' own.
std::function<bool(const pages::Row&)> marksTest(const QString& table)
{
    const bool marks = table == QLatin1String("zal_sistema");
    if (!marks && table != QLatin1String("Proveedores"))
        return {};
    return [marks](const pages::Row& row) { return kMarkKeys.contains(pages::textOf(row.values.value(0))) == marks; };
}

qint64 sequenceRoot(Connection& source, Budget& budget, bool schemaRead)
{
    if (!schemaRead)
        return 0;
    budget.renew();
    return tryNumber([&] {
        return source.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'sqlite_sequence'"));
    }).value_or(0);
}

// The table of the automatic numbers' counters: a table's name and a whole number.
pages::Table sequenceShape(qint64 root, const QStringList& tables)
{
    pages::Table t;
    t.name = QStringLiteral("sqlite_sequence");
    t.root = root;
    t.columns = {{pages::Column::Text, 0}, {pages::Column::Number, 0}};
    t.fits = [tables](const pages::Row& row) {
        return row.values.at(1).kind == pages::Value::Integer && tables.contains(pages::textOf(row.values.at(0)));
    };
    return t;
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

void removeRepairLeftovers(const QString& path)
{
    const QString temp = QFileInfo(path).absoluteFilePath() + QStringLiteral(".reparando");
    QFile::remove(temp);
    QFile::remove(temp + QStringLiteral("-journal"));
}

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

    // Every statement on the damaged file has a limit on its steps, so that none runs on forever.
    const qint64 pageCount = info.size() / 4096 + 1;
    Budget budget;
    budget.each = 1000 + pageCount * kStepsPerPage;
    sqlite3_progress_handler(source.handle(), 1000, spend, &budget);

    QList<Object> objects;
    bool schemaRead = true;
    try {
        budget.renew();
        Statement st(source, QStringLiteral("SELECT type, name, tbl_name, sql, rootpage FROM sqlite_master WHERE sql IS NOT NULL "
                                            "AND name NOT LIKE 'sqlite%' ORDER BY CASE type WHEN 'table' THEN 0 "
                                            "WHEN 'index' THEN 1 ELSE 2 END, rowid"));
        while (st.step())
            objects << Object{st.rawValue(0).toString(), st.rawValue(1).toString(), st.rawValue(2).toString(),
                              st.rawValue(3).toString(), st.rawValue(4).toLongLong()};
    } catch (const DbError&) {
        schemaRead = false;
        objects.clear();
    }
    // Whose file it is: its table of tables names the table of the program's marks.
    bool ours = hasMarksTable(objects);
    if (!schemaRead) {
        // The table of tables cannot be read: its rows are looked for on the pages themselves, and
        // the program's own definitions stand in for those that are not found.
        objects = schemaFromPages(path);
        ours = hasMarksTable(objects);
        addMissing(objects, programObjects());
    }
    if (!ours && schemaRead)
        raise(err::UnrecognizedFormat, path);
    if (!hasMarksTable(objects))
        raise(err::Corrupt, path);

    // Build the salvaged copy beside the original.
    const QString temp = info.absoluteFilePath() + QStringLiteral(".reparando");
    removeRepairLeftovers(info.absoluteFilePath());
    QList<RepairLoss> lost;
    {
        Handle dst;
        dst.h = rawOpen(temp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        if (!dst.h)
            raise(err::CannotOpen, temp);
        Connection target(dst.h, temp);
        dst.h = nullptr;
        bool notOurs = false;
        try {
            target.execScript(QStringLiteral("PRAGMA synchronous = FULL; BEGIN;"));
            for (const Object& o : objects) {
                if (o.type == QLatin1String("table"))
                    createObject(target, o.sql);
            }
            struct Salvaged {
                QString table;
                std::unique_ptr<TableCopy> copy;
                TableSize size;
                bool whole = false;
                qint64 seen = 0;
            };
            std::vector<Salvaged> tables;
            for (const Object& o : objects) {
                if (o.type != QLatin1String("table"))
                    continue;
                Salvaged t;
                t.table = o.name;
                t.copy = std::make_unique<TableCopy>(target, o.name);
                tables.push_back(std::move(t));
            }
            // The rows on the pages themselves, for what the engine cannot read. They also tell
            // which rows the engine would read of a table from a page of another table's rows put
            // in the place of one of its own: those rows are not the table's.
            QList<pages::Table> shapes;
            QStringList names;
            for (const Salvaged& t : tables) {
                const Object& o = tableObject(objects, t.table);
                shapes << pages::Table{o.name, o.root, t.copy->shape(), marksTest(o.name)};
                names << t.table;
            }
            shapes << sequenceShape(sequenceRoot(source, budget, schemaRead), names);
            QHash<QString, QSet<qint64>> strays;
            const QHash<QString, QList<pages::Row>> onPages = pages::readTables(path, shapes, &strays);
            for (Salvaged& t : tables) {
                t.copy->setStrays(strays.value(t.table));
                if (schemaRead) {
                    t.size = sizeOf(source, budget, t.table, strays.contains(t.table));
                    t.whole = salvageTable(source, budget, t.table, *t.copy, t.size, pageCount);
                    t.seen = t.copy->seen;
                    // A scan that ends early without an error (a broken page that reads as an
                    // empty one) is caught by an index that still holds more rows; a page of
                    // another table's rows stands where one of the table's own should be.
                    if ((t.size.count && *t.size.count > t.seen) || strays.contains(t.table))
                        t.whole = false;
                }
            }
            // What the engine could not read of a table is looked for on the pages themselves.
            QHash<QString, qint64> counters;   // the counters found on the pages
            const bool anyDamaged = std::any_of(tables.cbegin(), tables.cend(), [](const Salvaged& t) { return !t.whole; });
            if (anyDamaged) {
                for (const pages::Row& r : onPages.value(QStringLiteral("sqlite_sequence")))
                    counters[pages::textOf(r.values.at(0))] = std::max(counters.value(pages::textOf(r.values.at(0))), r.values.at(1).integer);
                for (Salvaged& t : tables) {
                    if (t.whole)
                        continue;
                    if (!schemaRead) {
                        t.size.counter = counters.value(t.table);
                        t.size.highest = t.size.counter;
                    }
                    // Rows numbered above the table's counter were never handed out.
                    if (t.size.counter > 0)
                        t.copy->setCeiling(std::max({t.size.counter, t.size.highest, t.copy->highest}));
                    for (const pages::Row& r : onPages.value(t.table))
                        t.copy->add(r);
                }
            }
            for (const Salvaged& t : tables) {
                if (t.table == QLatin1String("zal_sistema"))
                    continue;
                if (t.whole) {
                    if (t.seen > t.copy->copied)
                        lost << RepairLoss{t.table, t.seen - t.copy->copied, t.copy->copied, true};
                    continue;
                }
                // Without a count of its rows or a counter of its numbers, nothing tells how many
                // rows the table had: what was kept is all that can be said.
                const bool counted = t.size.count || t.size.counter > 0;
                const qint64 rows = lostRows(*t.copy, t.size);
                if (rows > 0 || !counted)
                    lost << RepairLoss{t.table, rows, t.copy->copied, counted};
            }
            // Automatic numbers go on from where they were, and above every number still in use.
            auto raiseCounter = [&](const QVariant& name, const QVariant& seq) {
                target.exec(QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, ?) WHERE name = ?"), {seq, name});
            };
            if (schemaRead) {
                try {
                    budget.renew();
                    Statement seq(source, QStringLiteral("SELECT name, seq FROM sqlite_sequence"));
                    while (seq.step())
                        raiseCounter(seq.rawValue(0), seq.rawValue(1));
                } catch (const DbError&) {
                }
            }
            for (auto it = counters.cbegin(); it != counters.cend(); ++it)
                raiseCounter(it.key(), it.value());
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
            // The marks. Rows of their table that are none (read from a page of another table's
            // rows) are left out, and told among what was lost.
            const Salvaged& marks = *std::find_if(tables.cbegin(), tables.cend(),
                                                  [](const Salvaged& t) { return t.table == QLatin1String("zal_sistema"); });
            const qint64 dropped = marks.copy->strayed()
                + target.exec(QStringLiteral("DELETE FROM zal_sistema WHERE clave IS NULL OR clave NOT IN (?, ?) OR typeof(valor) <> 'text'"),
                              {kMarkKeys.at(0), kMarkKeys.at(1)});
            const QVariant format = target.scalar(QStringLiteral("SELECT valor FROM zal_sistema WHERE clave = 'formato'"));
            const QVariant stored = target.scalar(QStringLiteral("SELECT valor FROM zal_sistema WHERE clave = 'clave'"));
            const QString password = passwordOf(connect);
            // Marks of another format or password are another program's file; without its table
            // of tables, only the marks themselves can say the file is the program's.
            notOurs = (!format.isNull() && format.toString() != QLatin1String(kFileFormat))
                || (!stored.isNull() && !password.isNull() && stored.toString() != password) || (!ours && format.isNull());
            if (notOurs)
                raise(err::Corrupt, path);
            if (dropped > 0)
                lost << RepairLoss{marks.table, dropped, target.scalar(QStringLiteral("SELECT count(*) FROM zal_sistema")).toLongLong(), true};
            if (format.isNull() || stored.isNull()) {
                // Marks that went with a broken page, while the file still says whose it is, are
                // written again, so the rows that were read are not thrown away with them.
                if (password.isNull())
                    raise(err::Corrupt, path);
                if (format.isNull())
                    target.exec(QStringLiteral("INSERT INTO zal_sistema (clave, valor) VALUES ('formato', ?)"), {QString::fromLatin1(kFileFormat)});
                if (stored.isNull())
                    target.exec(QStringLiteral("INSERT INTO zal_sistema (clave, valor) VALUES ('clave', ?)"), {password});
            }
            target.execScript(QStringLiteral("COMMIT;"));
            if (target.scalar(QStringLiteral("PRAGMA integrity_check(1)")).toString() != QLatin1String("ok"))
                raise(err::Corrupt, path);
        } catch (const DbError&) {
            target.close();
            removeRepairLeftovers(info.absoluteFilePath());
            raise(notOurs ? err::UnrecognizedFormat : err::Corrupt, path);
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
