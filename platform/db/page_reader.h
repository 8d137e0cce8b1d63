#pragma once
// Reads the rows of a damaged database file straight from its pages, without the engine: the
// repair's second way in, for rows the engine cannot reach any more (an inner page of a table or
// the page of the table of tables is broken, so the pages below it are cut off) while the pages
// that hold them are sound.
//
// A table's rows are taken from the pages reached from its first page through its inner pages;
// a page of rows that no table reaches is given to the one table whose rows it holds (the number
// of values and the kind of each: a text, a number, the key kept as Null, a Null only where the
// table allows one), and left out when its rows fit no table or more than one. A page reached
// from a table's first page that holds rows of another shape (a page put where another belongs,
// by a copy gone wrong) is not the table's: it goes with the pages no table reaches. Every page
// is read at most once, whatever the pages claim.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <functional>

namespace db::pages {

struct Value {
    enum Kind { Null, Integer, Real, Text, Blob };
    Kind kind = Null;
    qint64 integer = 0;
    double real = 0;
    QByteArray bytes;   // a text's UTF-8 or a blob's bytes
};

struct Row {
    qint64 rowid = 0;
    QList<Value> values;
};

// What a value of a column must be for a row of a page no table reaches to be taken as the table's.
struct Column {
    enum Kind {
        Key,      // the rowid itself: stored as Null
        Text,     // a text (of at most size characters when size > 0) or Null
        Number,   // an integer, a real or Null
        Any,
    };
    Kind kind = Any;
    int size = 0;
    bool notNull = false;   // the table allows no Null in it
};

struct Table {
    QString name;
    qint64 root = 0;   // its first page; 0 when not known
    QList<Column> columns;
    // Further test of a row of a page no table reaches (none: every row of the right kinds fits).
    std::function<bool(const Row&)> fits;
};

// The rows of each table, by name. tables are the tables to look for; a table whose first page is
// not known gets only rows of pages that no other table reaches. strays, when given, receives the
// numbers of the rows of the pages reached from a table's first page that are not the table's,
// under the table's name: the engine reads those rows as the table's.
QHash<QString, QList<Row>> readTables(const QString& path, const QList<Table>& tables,
                                      QHash<QString, QSet<qint64>>* strays = nullptr);

// The definitions of the table of tables ("type", "name", "tbl_name", "rootpage", "sql") found on
// its pages when its first page is broken: rows of pages that look like it.
QList<Row> readSchemaRows(const QString& path);

// The text of a value read as text.
QString textOf(const Value& value);

} // namespace db::pages
