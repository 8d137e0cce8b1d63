// Reading rows straight from a file's pages, the repair's way to rows the engine cannot reach any
// more: every page size the file format allows, a page packed to its last byte, rows that go on
// over overflow pages, and damaged pages whose pointers claim what is not a row of theirs.
#include "platform/db/page_reader.h"
#include "support/support.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

using namespace db::pages;

namespace {

// Runs SQL on a file (made when missing) through a plain connection.
void run(const QString& path, const QString& sql)
{
    sqlite3* h = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char* message = nullptr;
    const int rc = sqlite3_exec(h, sql.toUtf8().constData(), nullptr, nullptr, &message);
    const QString error = QString::fromUtf8(message ? message : "");
    sqlite3_free(message);
    sqlite3_close_v2(h);
    QVERIFY2(rc == SQLITE_OK, qPrintable(error));
}

// Overwrites bytes of the file at an offset.
void patch(const QString& path, qint64 offset, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    f.seek(offset);
    f.write(bytes);
}

// A file of one table of notes, "notas (id, texto, n)", with pages of the given size.
void makeNotes(const QString& path, int pageSize, const QString& rowsSql)
{
    run(path, QStringLiteral("PRAGMA page_size = %1; CREATE TABLE notas (id INTEGER PRIMARY KEY, texto TEXT, n INTEGER);"
                             "BEGIN; %2; COMMIT;")
                  .arg(pageSize)
                  .arg(rowsSql));
}

// A file of notes in a folder of its own.
struct NotesFile {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notas.db"));
    NotesFile(int pageSize, const QString& rowsSql) { makeNotes(path, pageSize, rowsSql); }
};

// Three short notes: one leaf page holds them.
const QString kThreeNotes = QStringLiteral("INSERT INTO notas (texto, n) VALUES ('uno', 10), ('dos', 20), ('tres', 30)");

// A table of the file with the notes' columns.
Table tableOf(const QString& path, const QString& name)
{
    const QString root = support::plainQuery(path, QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = '%1'").arg(name));
    return Table{name, root.toLongLong(), {{Column::Key}, {Column::Text}, {Column::Number}}};
}

// The rows of a table as the engine reads them: by number, "texto|n".
QMap<qint64, QString> rowsInFile(const QString& path, const QString& name)
{
    QMap<qint64, QString> out;
    const QString rows = support::plainQuery(path, QStringLiteral("SELECT id, ifnull(texto, ''), ifnull(n, '') FROM %1").arg(name));
    for (const QString& row : rows.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype bar = row.indexOf(QLatin1Char('|'));
        out.insert(row.left(bar).toLongLong(), row.mid(bar + 1));
    }
    return out;
}

// The rows of the tables as read from the pages, in the same shape, by table.
QMap<QString, QMap<qint64, QString>> rowsFromPages(const QString& path, const QList<Table>& tables)
{
    QMap<QString, QMap<qint64, QString>> out;
    const QHash<QString, QList<Row>> read = readTables(path, tables);
    for (const Table& table : tables) {
        QMap<qint64, QString>& rows = out[table.name];
        for (const Row& r : read.value(table.name))
            rows.insert(r.rowid, textOf(r.values.value(1)) + QLatin1Char('|') + textOf(r.values.value(2)));
    }
    return out;
}

QMap<qint64, QString> notesFromPages(const QString& path, const Table& notes)
{
    return rowsFromPages(path, {notes}).value(notes.name);
}

QString pageKinds(const QString& path)
{
    return support::plainQuery(path, QStringLiteral("SELECT pagetype, ncell, unused FROM dbstat WHERE name = 'notas'"));
}

// A number as the file format writes it: big-endian, in bytes bytes.
QByteArray bigEndian(qint64 v, int bytes)
{
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i)
        out += char((v >> (8 * i)) & 0xFF);
    return out;
}

} // namespace

class TestPageReader : public QObject {
    Q_OBJECT
private slots:
    void everyPageSize_data();
    void everyPageSize();
    void pagePackedToItsLastByte();
    void overflowPageClaimedByTwoRowsGoesToOne();
    void cellPointerIntoThePageHeaderIsPassedOver();
    void textThatIsNoUtf8IsNoRow_data();
    void textThatIsNoUtf8IsNoRow();
};

void TestPageReader::everyPageSize_data()
{
    QTest::addColumn<int>("pageSize");
    QTest::addColumn<int>("headerSays");   // what the file's header is then made to say; 0: left as written
    QTest::newRow("512") << 512 << 0;
    QTest::newRow("1024") << 1024 << 0;
    QTest::newRow("4096") << 4096 << 0;
    QTest::newRow("65536") << 65536 << 0;
    // A header whose page size is no page size is read with the program's own, 4096.
    QTest::newRow("header says 4095") << 4096 << 4095;
    QTest::newRow("header says 256") << 4096 << 256;
}

// Many rows over leaves and inner pages; and a long letter in a table made last, which goes on
// over overflow pages up to the very end of the file.
void TestPageReader::everyPageSize()
{
    QFETCH(int, pageSize);
    QFETCH(int, headerSays);
    const NotesFile file(pageSize, QStringLiteral("WITH RECURSIVE i(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM i WHERE x < 300) "
                                                  "INSERT INTO notas (texto, n) SELECT 'nota número ' || x, x * 3 FROM i"));
    const QString& path = file.path;
    run(path, QStringLiteral("CREATE TABLE cartas (id INTEGER PRIMARY KEY, texto TEXT, n INTEGER);"
                             "INSERT INTO cartas (texto, n) VALUES (replace(hex(zeroblob(5000)), '0', 'larga '), 7)"));
    const QMap<qint64, QString> notes = rowsInFile(path, QStringLiteral("notas"));
    const QMap<qint64, QString> letters = rowsInFile(path, QStringLiteral("cartas"));
    QCOMPARE(notes.size(), 300);
    QCOMPARE(letters.size(), 1);
    if (pageSize < 65536) {
        const QString lastPage = support::plainQuery(path, QStringLiteral("SELECT max(pageno) FROM dbstat WHERE pagetype = 'overflow'"));
        QCOMPARE(lastPage, support::plainQuery(path, QStringLiteral("PRAGMA page_count")));
    }
    const QList<Table> tables{tableOf(path, QStringLiteral("notas")), tableOf(path, QStringLiteral("cartas"))};
    if (headerSays)
        patch(path, 16, bigEndian(headerSays, 2));

    const auto read = rowsFromPages(path, tables);
    QCOMPARE(read.value(QStringLiteral("notas")), notes);
    QCOMPARE(read.value(QStringLiteral("cartas")), letters);
}

// Cells of nine bytes on a page of 512: 56 of them fill it to the last byte, the last cell right
// where the pointers to the cells end.
void TestPageReader::pagePackedToItsLastByte()
{
    const NotesFile file(512, QStringLiteral("WITH RECURSIVE i(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM i WHERE x < 56) "
                                             "INSERT INTO notas (id, n) SELECT x, x + 1 FROM i"));
    const QString& path = file.path;
    QCOMPARE(pageKinds(path), QStringLiteral("leaf|56|0"));
    const QMap<qint64, QString> expected = rowsInFile(path, QStringLiteral("notas"));
    QCOMPARE(notesFromPages(path, tableOf(path, QStringLiteral("notas"))), expected);
}

// Two long notes each go on over pages of their own; the second one's pointer is damaged to the
// first one's pages. Every page is read once: the first note keeps them, the second is left out
// rather than read with the other one's text.
void TestPageReader::overflowPageClaimedByTwoRowsGoesToOne()
{
    const NotesFile file(4096, QStringLiteral("INSERT INTO notas (id, texto, n) VALUES (1, replace(hex(zeroblob(3000)), '0', 'a'), 5);"
                                              "INSERT INTO notas (id, texto, n) VALUES (2, replace(hex(zeroblob(3000)), '0', 'b'), 5)"));
    const QString& path = file.path;
    QMap<qint64, QString> expected = rowsInFile(path, QStringLiteral("notas"));
    const Table table = tableOf(path, QStringLiteral("notas"));
    const qint64 firstsPages = support::plainQuery(path, QStringLiteral("SELECT pageno FROM dbstat WHERE name = 'notas' "
                                                                        "AND path = '/000+000000'")).toLongLong();
    QVERIFY(firstsPages > table.root);

    // The second note's text stays on its page up to the pointer to where it goes on.
    const QByteArray page = support::fileBytes(path).mid((table.root - 1) * 4096, 4096);
    const qsizetype pointer = page.lastIndexOf(QByteArray(16, 'b')) + 16;
    QVERIFY(pointer > 16);
    patch(path, (table.root - 1) * 4096 + pointer, bigEndian(firstsPages, 4));

    expected.remove(2);
    QCOMPARE(notesFromPages(path, table), expected);
}

// A damaged page: its first cell pointer points into the page's own header, whose bytes (damaged
// too) read as a row numbered 0 of three values. What is not past the pointers is no row.
void TestPageReader::cellPointerIntoThePageHeaderIsPassedOver()
{
    const NotesFile file(4096, kThreeNotes);
    const QString& path = file.path;
    const QMap<qint64, QString> expected = rowsInFile(path, QStringLiteral("notas"));
    const Table table = tableOf(path, QStringLiteral("notas"));
    QVERIFY(pageKinds(path).startsWith(QStringLiteral("leaf|3|")));

    const qint64 at = (table.root - 1) * 4096;
    const QByteArray pointers = support::fileBytes(path).mid(at + 8, 6);
    // From byte 2: a cell of 5 bytes, number 0, a record header of 4 bytes (Null, one-byte
    // integer, Null) and the integer, which is the high byte of the first pointer.
    patch(path, at + 1, QByteArray::fromHex("0005" "0004" "0001" "00") + bigEndian(2, 2) + pointers);

    QCOMPARE(notesFromPages(path, table), expected);
}

void TestPageReader::textThatIsNoUtf8IsNoRow_data()
{
    QTest::addColumn<QByteArray>("garbled");
    QTest::newRow("a byte no UTF-8 holds") << QByteArray("d\xFFs");
    QTest::newRow("a character cut short at the end") << QByteArray("do\xC3");
    QTest::newRow("a character's tail with no head") << QByteArray("\xA9os");
}

// Random bytes that land in a row's text make a row nobody wrote: the engine is given its texts
// as UTF-8, and a text that is none is no row.
void TestPageReader::textThatIsNoUtf8IsNoRow()
{
    QFETCH(QByteArray, garbled);
    const NotesFile file(4096, kThreeNotes);
    const QString& path = file.path;
    QMap<qint64, QString> expected = rowsInFile(path, QStringLiteral("notas"));
    const Table table = tableOf(path, QStringLiteral("notas"));
    const qint64 at = (table.root - 1) * 4096;
    const qsizetype text = support::fileBytes(path).mid(at, 4096).indexOf("dos");
    QVERIFY(text > 0);
    patch(path, at + text, garbled);

    expected.remove(2);
    QCOMPARE(notesFromPages(path, table), expected);
}

QTEST_MAIN(TestPageReader)
#include "test_page_reader.moc"
