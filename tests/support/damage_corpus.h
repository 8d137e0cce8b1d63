#pragma once
// Damaged database files for testing the repair: a worksheet file of realistic size made from a
// seed (the same seed always gives the same bytes), the damage a disk, a crash or a copy gone
// wrong does to such a file (cut short, random bytes in a few pages, zeroed pages, the schema
// page, the page of the file's own marks, inner pages of the worksheet rows), and the means to
// tell what a repaired file kept of the original.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace support::corpus {

// A ZAL file with taxpayers, their worksheets of documents, suppliers and returns, made from the
// program's schema and seed at path (which must not exist yet). A few documents are deleted
// again, as users do, so the automatic numbers have gaps.
void buildWorksheetFile(const QString& path, int taxpayers, int documentsEach, quint32 seed);

// The rows of every table of a file as SQLite reads them, by rowid; each row's values (but a
// column that is the rowid itself) as text with their storage class ("i:12", "t:abc", "n:" for
// Null, ...). A table that cannot be read whole is left out.
using Rows = QHash<qint64, QStringList>;
QMap<QString, Rows> readRows(const QString& path);

// The tables whose rows the program's users enter (every table but the file's marks).
QStringList userTables();

struct Damage {
    QString name;       // kind and where, e.g. "cut 1368268" or "random 3 pages (17, 203, 390)"
    QString kind;       // "cut", "random", "zeroed", "schema", "marks", "inner", "sequence", "index"
    QByteArray bytes;   // the damaged file
};

// count damaged copies of the file at path, drawn from the seed. Every kind comes in turn; the
// cuts are spread over the whole file.
QList<Damage> damages(const QString& originalPath, int count, quint32 seed);

// What a repaired file kept of one table of the original.
struct TableOutcome {
    qint64 original = 0;   // rows of the original
    qint64 kept = 0;       // rows back with the same number and the same values
    qint64 altered = 0;    // rows back under their number with other values
    qint64 invented = 0;   // rows under a number the original never had
    qint64 junk = 0;       // rows with nothing but their number (or a number below 1)
    qint64 gaps = 0;       // numbers below the original's highest that it did not use
};
QMap<QString, TableOutcome> compare(const QMap<QString, Rows>& original, const QMap<QString, Rows>& repaired);

// The pages of a file that SQLite's page statistics list for a condition on them ("name =
// 'Planilla_Det' AND pagetype = 'leaf'"), in the order of the pages.
QList<qint64> pagesOf(const QString& path, const QString& where);

// A copy gone wrong: the pages a and b of the file change places, or page from is written over
// page to as well.
void swapPages(const QString& path, qint64 a, qint64 b);
void copyPage(const QString& path, qint64 from, qint64 to);

// True for a row that has nothing but its key: a number below 1, or every value Null (values as
// readRows gives them).
bool isJunkRow(qint64 rowid, const QStringList& values);

} // namespace support::corpus
