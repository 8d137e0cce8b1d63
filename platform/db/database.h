#pragma once
// The database engine the forms work with: a file opened with its password, record sets over
// tables and SQL texts in the engine's dialect, table definitions, transactions and repair.
// Every failure is a DbError carrying the engine's error number (db_error.h).
#include "platform/db/db_error.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

namespace db {

class Connection;
class Recordset;
class TableDef;

// Kinds of record set, with the engine's numbers.
enum class RecordsetType { Table = 1, Dynaset = 2, Snapshot = 4 };

// Types of a field as the engine knows them.
enum class FieldType { Counter, Long, Double, Text, DateTime, Boolean, Memo, Variant };

struct FieldInfo {
    QString name;         // the name the record set knows it by
    QString table;        // the base table, empty for a computed column
    QString column;       // the base column, empty for a computed column
    FieldType type = FieldType::Variant;
    int size = 0;         // characters, for text fields
};

class Database {
public:
    Database();
    ~Database();
    Database(const Database&);
    Database& operator=(const Database&);

    // Opens an existing file; never creates one. connect is the connect string (";pwd=…", the key
    // in any letter case). Errors: 3024 no such file, 3343 not a ZAL database, 3049 damaged,
    // 3031 wrong password, 3051 cannot be opened, 3045 held exclusively by another session.
    static Database open(const QString& path, const QString& connect = QString(),
                         bool exclusive = false, bool readOnly = false);

    bool isOpen() const;
    QString name() const;
    void close();

    // Runs an action query (UPDATE, INSERT, DELETE, ALTER, CREATE, DROP) written in the engine's dialect.
    void execute(const QString& sql);
    int recordsAffected() const;

    // A record set over a table name or a SELECT text.
    Recordset openRecordset(const QString& source, RecordsetType type = RecordsetType::Dynaset);
    // The same holding only the first rows of the result (at most maxRows, at least one asked
    // for): for a caller that only asks whether there is a row and reads the first one. A
    // requery reads that many rows again.
    Recordset openRecordset(const QString& source, RecordsetType type, int maxRows);

    QStringList tableNames() const;
    TableDef tableDef(const QString& name) const;   // 3265 when there is no such table

    // Workspace transactions: everything between begin and commit is saved at once or not at all.
    void beginTrans();
    void commitTrans();
    void rollback();
    bool inTransaction() const;

    std::shared_ptr<Connection> connection() const { return conn_; }

private:
    std::shared_ptr<Connection> conn_;
};

// A field of a table definition. ordinalPosition counts from 1.
struct FieldDef {
    QString name;
    FieldType type = FieldType::Variant;
    int size = 0;
    int ordinalPosition = 0;
    bool required = false;
};

class TableDef {
public:
    QString name() const { return name_; }
    QList<FieldDef> fields() const;
    FieldDef field(const QString& name) const;      // 3265 when there is no such field
    bool hasField(const QString& name) const;

    // Changes of the definition. Each one is applied whole or not at all; the rows keep their values.
    void setFieldSize(const QString& field, int size);
    void renameField(const QString& field, const QString& newName);
    void setOrdinalPosition(const QString& field, int position);

private:
    friend class Database;
    TableDef(std::shared_ptr<Connection> conn, QString name) : conn_(std::move(conn)), name_(std::move(name)) {}
    std::shared_ptr<Connection> conn_;
    QString name_;
};

enum class EditMode { None = 0, InProgress = 1, Add = 2 };

// A record set. Copies share one cursor, as the engine's objects do.
class Recordset {
public:
    Recordset();
    bool isOpen() const;
    void close();
    RecordsetType type() const;
    QString source() const;
    bool updatable() const;

    bool eof() const;
    bool bof() const;
    int recordCount() const;
    int absolutePosition() const;     // -1 at BOF/EOF
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();

    int fieldCount() const;
    FieldInfo fieldInfo(int index) const;
    int fieldIndex(const QString& name) const;  // -1 when absent
    QVariant field(const QString& name) const;  // 3021 without a current row, 3265 unknown name
    QVariant field(int index) const;
    QVariant operator[](const QString& name) const { return field(name); }
    void setField(const QString& name, const QVariant& value);   // only while editing or adding

    void findFirst(const QString& criteria);
    void findLast(const QString& criteria);
    void findNext(const QString& criteria);
    void findPrevious(const QString& criteria);
    bool noMatch() const;

    void addNew();
    void edit();
    void update();
    void cancelUpdate();
    void remove();
    EditMode editMode() const;

    void requery();

    // Bookmarks identify a row of this record set.
    QVariant bookmark() const;
    void setBookmark(const QVariant& bookmark);
    QVariant lastModified() const;

    // For views over the rows (the bound grid): the bookmarks of the rows in their order, deleted
    // rows left out, and a field of a row by its bookmark, read without moving the cursor (an
    // invalid QVariant for a row that is gone or an index out of range).
    QList<int> bookmarks() const;
    QVariant fieldOf(int bookmark, int index) const;

    // What changed, for the watchers of a record set (shared by all its copies): the cursor moved;
    // rows were added or deleted; the rows were read anew (requery).
    enum class Change { Moved, RowsChanged, Reloaded };
    // Calls watcher after every change until unwatch(id). The watcher must not outlive what it
    // captures; unwatch it first.
    int watch(std::function<void(Change)> watcher) const;
    void unwatch(int id) const;

    struct Impl;
private:
    friend class Database;
    explicit Recordset(std::shared_ptr<Impl> impl) : d(std::move(impl)) {}
    Impl& impl() const;
    std::shared_ptr<Impl> d;
};

// Makes a new database file from a schema and its seed rows. Refuses (false) when a file is
// already there; a half-made file is never left behind.
bool createDatabase(const QString& path, const QString& schemaSql, const QString& seedSql,
                    QString* errorText = nullptr);

// Rows of a table that a repair could not bring back: at most that many (a broken page hides
// how many rows it held). When nothing left in the file tells how many rows the table had (no
// counter of automatic numbers, no index that reads whole), counted is false: rows is then only a
// guess, and kept (the rows brought back) is what can be said.
struct RepairLoss {
    QString table;
    qint64 rows = 0;
    qint64 kept = 0;
    bool counted = true;
};

// Salvages a damaged database into a new file and swaps it in at once, keeping the damaged
// original beside it (its path is returned; a backup already holding the same bytes is reused).
// Every row that can still be read is kept, past broken pages and in a file cut short, through
// the engine and, where the engine cannot reach a page any more, from the pages themselves; a
// row with nothing but its number is no row and is left out. The repair ends on any file. losses,
// when given, receives one entry per table that lost rows. Automatic numbers go on above every
// number still held or referred to. A page of one table's rows found where another table's page
// belongs (a copy gone wrong) gives its rows to the table whose rows they are. A file that is not
// a ZAL database, or whose marks name another format or (with connect) another password, is left
// as it is (3343); a missing file is 3024; a file whose tables cannot be read at all is 3049. When
// the file's own format and password marks are what was lost, they are written again with the
// password of connect (";pwd=…"); without one such a file cannot be mended (3049). Rows read as
// marks that are none are left out and reported as the losses of zal_sistema.
QString repairDatabase(const QString& path, QList<RepairLoss>* losses = nullptr, const QString& connect = QString());

// Removes what a repair that was stopped half-way (the program killed, the power cut) left beside
// the file at path: the half-built copy and its journal. The file itself is not touched.
void removeRepairLeftovers(const QString& path);

// True for the errors a repair may mend: the engine found the file damaged (3049). A file that
// opens but fails the password or format check, or is busy, is not damaged.
bool isDamage(const DbError& error);

// The criterion literal of a typed text: "'" + text with apostrophes doubled + "'".
QString quoteLiteral(const QString& text);

// How long a write waits for another session's lock before failing with 3260.
void setLockTimeout(int milliseconds);

} // namespace db
