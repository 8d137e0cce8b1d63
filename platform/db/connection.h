#pragma once
// One open database file: the SQLite handle and what the layer knows of its tables.
#include "platform/db/database.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QVariant>
#include <sqlite3.h>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace db {

struct ColumnDef {
    QString name;
    QString declType;
    FieldType type = FieldType::Variant;
    int size = 0;
    bool notNull = false;
    bool primaryKey = false;
};

// The format mark a ZAL database file carries in zal_sistema.
inline constexpr const char* kFileFormat = "ZAL EKO";

// The password of a connect string such as ";pwd=MIRVOSK" (key in any case); null when absent.
QString passwordOf(const QString& connect);

// A table or column name as an SQLite identifier.
QString quoteName(const QString& name);

// The engine's type of a declared SQLite column type ("TEXT(14)", "LONG", "DATETIME", …).
FieldType fieldTypeOf(const QString& declType, int* size = nullptr);

// The column of a CREATE INDEX text whose only key is upper(column) and which covers every row
// (no WHERE); empty for any other index.
QString upperIndexedColumn(const QString& createIndexSql);

class Statement;

class Connection {
public:
    Connection(sqlite3* handle, QString path) : handle_(handle), path_(std::move(path)) {}
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle() const { return handle_; }
    const QString& path() const { return path_; }
    bool isOpen() const { return handle_ != nullptr; }
    void close();

    // Runs SQLite SQL (already translated), binding values; returns the number of changed rows.
    int exec(const QString& sql, const QVariantList& values = {});
    // Runs several statements with no values.
    void execScript(const QString& sql);
    // First column of the first row, or a null value.
    QVariant scalar(const QString& sql, const QVariantList& values = {});

    // Throws the engine error for the connection's last SQLite failure.
    [[noreturn]] void fail(int code, const QString& context = QString()) const;

    // Tables and their columns (cached until the definitions change).
    QStringList tableNames();
    QString canonicalTable(const QString& name);           // real spelling, empty when absent
    const QList<ColumnDef>& columns(const QString& table);  // table must exist
    // True when an index on upper(column) of the table serves equality on that column.
    bool isKeyedColumn(const QString& table, const QString& column);
    // True for a keyed column whose rows the file keeps unique (its "uniq_<table>_<column>_ins"
    // trigger): a catalogue's key, which the rows of other tables refer to.
    bool isUniqueKeyColumn(const QString& table, const QString& column);
    // True for a keyed column that holds at least one text beyond printable ASCII (a key another
    // tool wrote; the program writes tax ids of digits and "K"). Read again after any change to
    // the file, by this connection or another; the translations follow it.
    bool holdsKeysBeyondAscii(const QString& table, const QString& column);
    void followKeys();
    // What this connection knows of the definitions (the lists above, the translations, the
    // statements kept prepared and the names of their columns) holds until they change: through
    // this connection, which calls schemaChanged, or through another one (another SQLite tool).
    // followSchema drops it all when the file's schema cookie moved since it was last read; the
    // readers call it before they use what is known.
    void followSchema();
    void schemaChanged()
    {
        columnCache_.clear();
        tables_.clear();
        translations_.clear();
        keyed_.reset();
        keysDataVersion_ = -1;
        finalizePrepared();
    }

    // The Jet SQL translation with this file's date and key columns. With parameters, the
    // whole numbers a SELECT compares with go in as ?1, ?2, ... and their values into
    // *parameters, to be bound in that order.
    QString translate(const QString& jetSql, QVariantList* parameters = nullptr);

    // Statements once run are kept prepared, up to kPreparedLimit of them, the most recent: the
    // same text run again (a worksheet read again, the next page of a list) is not parsed and
    // planned again. takePrepared hands one out (null when none is kept for that text);
    // keepPrepared takes it back reset, or finalizes it.
    sqlite3_stmt* takePrepared(const QString& sql);
    void keepPrepared(const QString& sql, sqlite3_stmt* statement);
    void finalizePrepared();

    // Savepoints nest inside a workspace transaction.
    void savepoint(const char* name);
    void release(const char* name);
    void rollbackTo(const char* name);

    int transactionDepth = 0;
    int lastChanges = 0;

private:
    sqlite3* handle_;
    QString path_;
    QStringList tables_;
    QHash<QString, QList<ColumnDef>> columnCache_;
    // "table.column" in lower case of the keyed columns, and whether each is unique; read once.
    std::optional<QHash<QString, bool>> keyed_;
    const QHash<QString, bool>& keyed();
    // True when holds("table.column", lower case) for the table named, or for any when none is.
    bool columnOfAnyTable(const QString& table, const QString& column,
                          const std::function<bool(const QString& tableColumn)>& holds);
    QSet<QString> keysBeyondAscii_;          // "table.column" of the keyed columns holding such keys
    qint64 keysDataVersion_ = -1;            // PRAGMA data_version and total changes when read
    qint64 keysChanges_ = -1;
    qint64 schemaCookie_ = -1;               // PRAGMA schema_version when followSchema last read it
    static constexpr size_t kPreparedLimit = 32;
    static constexpr qsizetype kPreparedTextLimit = 16384;
    std::vector<std::pair<QString, sqlite3_stmt*>> prepared_;   // oldest first
    QHash<QString, QString> translations_;   // SELECT texts without their numbers -> translation
    QString translateNow(const QString& jetSql);
};

// A prepared statement that is always finalized.
class Statement {
public:
    // sql is SQLite's; shown is the text a syntax error quotes (the query as the program wrote it),
    // sql itself when empty. Refuses an empty statement (3129) and text after the first one (3142).
    Statement(Connection& conn, const QString& sql, const QString& shown = QString());
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return stmt_; }
    void bind(const QVariantList& values);
    bool step();            // true while a row is ready
    int columnCount() const { return sqlite3_column_count(stmt_); }
    QVariant rawValue(int column) const;   // the stored value, by its storage class
private:
    Connection& conn_;
    sqlite3_stmt* stmt_ = nullptr;
    QString sql_;
    QString key_;   // the SQLite text, under which the prepared statement is kept
};

// Turns a value read from SQLite into the value of a field of that type.
QVariant fieldValue(FieldType type, const QVariant& raw);
// Turns a value assigned to a field into what SQLite stores (3421 when it cannot be converted).
QVariant storedValue(FieldType type, const QVariant& value);

} // namespace db
