#include "damage_corpus.h"

#include "platform/db/schema.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <algorithm>
#include <sqlite3.h>
#include <stdexcept>

namespace support::corpus {

namespace {

constexpr int kPage = 4096;

struct Raw {
    sqlite3* h = nullptr;
    explicit Raw(const QString& path, int flags = SQLITE_OPEN_READWRITE)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &h, flags, nullptr) != SQLITE_OK) {
            sqlite3_close_v2(h);
            throw std::runtime_error("cannot open " + path.toStdString());
        }
    }
    ~Raw() { sqlite3_close_v2(h); }
    void exec(const char* sql) const
    {
        char* message = nullptr;
        if (sqlite3_exec(h, sql, nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message ? message : "";
            sqlite3_free(message);
            throw std::runtime_error("corpus SQL failed: " + text);
        }
    }
    QList<qint64> numbers(const QString& sql) const
    {
        QList<qint64> out;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(h, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK) {
            while (sqlite3_step(st) == SQLITE_ROW)
                out << sqlite3_column_int64(st, 0);
        }
        sqlite3_finalize(st);
        return out;
    }
};

struct Insert {
    sqlite3_stmt* st = nullptr;
    Insert(sqlite3* h, const char* sql)
    {
        if (sqlite3_prepare_v2(h, sql, -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("corpus insert: ") + sqlite3_errmsg(h));
    }
    ~Insert() { sqlite3_finalize(st); }
    Insert& text(int i, const QString& v)
    {
        const QByteArray u = v.toUtf8();
        sqlite3_bind_text(st, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Insert& number(int i, qint64 v)
    {
        sqlite3_bind_int64(st, i, v);
        return *this;
    }
    Insert& real(int i, double v)
    {
        sqlite3_bind_double(st, i, v);
        return *this;
    }
    Insert& null(int i)
    {
        sqlite3_bind_null(st, i);
        return *this;
    }
    void run()
    {
        if (sqlite3_step(st) != SQLITE_DONE)
            throw std::runtime_error(std::string("corpus insert failed: ") + sqlite3_errmsg(sqlite3_db_handle(st)));
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    }
};

// A tax id of digits and its check character (modulus 11), as the catalogues keep them.
QString nitFor(qint64 n)
{
    const QString digits = QString::number(n);
    int sum = 0;
    for (int i = 0; i < digits.size(); ++i)
        sum += digits.at(digits.size() - 1 - i).digitValue() * (i + 2);
    const int check = (11 - sum % 11) % 11;
    return digits + (check == 10 ? QStringLiteral("K") : QString::number(check));
}

const QStringList& words()
{
    static const QStringList w{QStringLiteral("García"), QStringLiteral("López"), QStringLiteral("Pérez"),
                               QStringLiteral("Hernández"), QStringLiteral("Morales"), QStringLiteral("Castillo"),
                               QStringLiteral("Méndez"), QStringLiteral("Orellana"), QStringLiteral("Juárez"),
                               QStringLiteral("Estrada"), QStringLiteral("Cifuentes"), QStringLiteral("Barrios")};
    return w;
}

QString pick(QRandomGenerator& rng, const QStringList& list)
{
    return list.at(int(rng.bounded(quint32(list.size()))));
}

QString valueText(sqlite3_stmt* st, int c)
{
    switch (sqlite3_column_type(st, c)) {
    case SQLITE_INTEGER:
        return QStringLiteral("i:") + QString::number(sqlite3_column_int64(st, c));
    case SQLITE_FLOAT:
        return QStringLiteral("r:") + QString::number(sqlite3_column_double(st, c), 'g', 17);
    case SQLITE_TEXT:
        return QStringLiteral("t:")
            + QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)), sqlite3_column_bytes(st, c));
    case SQLITE_BLOB:
        return QStringLiteral("b:")
            + QString::fromLatin1(QByteArray(static_cast<const char*>(sqlite3_column_blob(st, c)), sqlite3_column_bytes(st, c)).toHex());
    default:
        return QStringLiteral("n:");
    }
}

void fill(QByteArray& bytes, qint64 from, qint64 length, QRandomGenerator* rng)
{
    from = std::clamp<qint64>(from, 0, bytes.size());
    length = std::clamp<qint64>(length, 0, bytes.size() - from);
    for (qint64 i = 0; i < length; ++i)
        bytes[from + i] = rng ? char(rng->bounded(256u)) : '\0';
}

void spoilPage(QByteArray& bytes, qint64 page, QRandomGenerator& rng, bool zero, bool whole)
{
    const qint64 start = (page - 1) * kPage;
    if (whole) {
        fill(bytes, start, kPage, zero ? nullptr : &rng);
        return;
    }
    const qint64 length = 16 + rng.bounded(500u);
    fill(bytes, start + rng.bounded(quint32(kPage - length)), length, zero ? nullptr : &rng);
}

void openPages(QFile& f)
{
    if (!f.open(QIODevice::ReadWrite))
        throw std::runtime_error("cannot open " + f.fileName().toStdString());
}

QByteArray readPage(QFile& f, qint64 page)
{
    f.seek((page - 1) * kPage);
    return f.read(kPage);
}

void writePage(QFile& f, qint64 page, const QByteArray& bytes)
{
    f.seek((page - 1) * kPage);
    if (bytes.size() != kPage || f.write(bytes) != kPage)
        throw std::runtime_error("cannot write page " + std::to_string(page));
}

QString pageList(const QList<qint64>& pages)
{
    QStringList out;
    for (qint64 p : pages)
        out << QString::number(p);
    return out.join(QStringLiteral(", "));
}

} // namespace

void buildWorksheetFile(const QString& path, int taxpayers, int documentsEach, quint32 seed)
{
    QString why;
    if (!db::createDefaultDatabase(path, &why))
        throw std::runtime_error("cannot make corpus file: " + why.toStdString());
    QRandomGenerator rng(seed);
    Raw db(path);
    db.exec("BEGIN");
    const int suppliers = std::max(50, taxpayers * 3 / 2);
    {
        Insert ins(db.h, "INSERT INTO Proveedores (Nit, Nombre) VALUES (?, ?)");
        for (int s = 1; s <= suppliers; ++s)
            ins.text(1, nitFor(300000 + s * 37)).text(2, QStringLiteral("Distribuidora %1 %2, S.A.").arg(pick(rng, words())).arg(s)).run();
    }
    {
        Insert ins(db.h, "INSERT INTO Contribuyentes (Nit, Nombre, Calle, Casa, Apto, Zona, ColoniaB, Depto, Muni, Tel, Fax, "
                         "APostal, Mail, NPat, NomPat) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
        for (int c = 1; c <= taxpayers; ++c) {
            ins.text(1, nitFor(1000000 + c * 7919))
                .text(2, QStringLiteral("%1 %2 %3").arg(pick(rng, words()), pick(rng, words())).arg(c))
                .text(3, QStringLiteral("%1a. Avenida").arg(1 + rng.bounded(20u)))
                .text(4, QStringLiteral("%1-%2").arg(rng.bounded(30u)).arg(rng.bounded(99u)))
                .text(5, c % 5 == 0 ? QStringLiteral("B") : QString())
                .text(6, QString::number(1 + rng.bounded(21u)))
                .text(7, QStringLiteral("Colonia %1").arg(pick(rng, words())))
                .text(8, QStringLiteral("Norvalia"))
                .text(9, QStringLiteral("Villa Ostrén"))
                .text(10, QString::number(22000000 + rng.bounded(9999999u)))
                .null(11)
                .null(12)
                .text(13, QStringLiteral("usuario%1@correo.tolvania").arg(c))
                .text(14, nitFor(500000 + (c % 40) * 101))
                .text(15, QStringLiteral("Empresa %1, S.A.").arg(pick(rng, words())))
                .run();
        }
    }
    {
        Insert enc(db.h, "INSERT INTO Planilla_Enc (Contribuyente, Periodo) VALUES (?, ?)");
        Insert det(db.h, "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto, Galon) "
                         "VALUES (?,?,?,?,?,?,?,?,?)");
        qint64 header = 0;
        for (int c = 1; c <= taxpayers; ++c) {
            enc.number(1, c).number(2, 5).run();
            ++header;
            for (int d = 1; d <= documentsEach; ++d) {
                const int kind = int(rng.bounded(10u));
                const QString tipo = kind < 7 ? QStringLiteral("0") : kind < 9 ? QStringLiteral("11") : QStringLiteral("7");
                const bool fuel = rng.bounded(6u) == 0;
                det.number(1, header)
                    .text(2, nitFor(300000 + (1 + rng.bounded(quint32(suppliers))) * 37))
                    .text(3, tipo);
                if (tipo == QLatin1String("7"))
                    det.null(4);
                else
                    det.text(4, QStringLiteral("A%1").arg(rng.bounded(50u)));
                det.text(5, QString::number(100000 + rng.bounded(900000u)))
                    .number(6, 37803 + rng.bounded(365u))
                    .number(7, fuel ? 24 + rng.bounded(8u) : 1 + rng.bounded(23u))
                    .real(8, double(rng.bounded(5000000u)) / 100.0);
                if (fuel)
                    det.real(9, 20.0 + double(rng.bounded(1000u)) / 100.0);
                else
                    det.null(9);
                det.run();
            }
        }
    }
    // Some documents are deleted again: the numbers have gaps, as in a file that was used.
    db.exec(QStringLiteral("DELETE FROM Planilla_Det WHERE Secuencia % 97 = %1").arg(seed % 97).toUtf8().constData());
    {
        Insert isr(db.h, "INSERT INTO ISR (Nit, Cas16, Cas17, NomPat2, NitPat2, Cas18, Cas19, Cas22) VALUES (?,?,?,?,?,?,?,?)");
        for (int c = 1; c <= taxpayers / 4; ++c)
            isr.text(1, nitFor(1000000 + c * 7919))
                .text(2, QString::number(50000 + rng.bounded(100000u)))
                .text(3, QString::number(rng.bounded(5000u)))
                .text(4, QStringLiteral("Empresa %1, S.A.").arg(pick(rng, words())))
                .text(5, nitFor(500000 + c))
                .text(6, QString::number(rng.bounded(9000u)))
                .text(7, QString::number(rng.bounded(9000u)))
                .text(8, QString::number(rng.bounded(9000u)))
                .run();
    }
    db.exec("COMMIT");
}

QStringList userTables()
{
    return {QStringLiteral("Contribuyentes"), QStringLiteral("Proveedores"), QStringLiteral("Gastos"), QStringLiteral("Periodos"),
            QStringLiteral("Planilla_Enc"), QStringLiteral("Planilla_Det"), QStringLiteral("ISR")};
}

QMap<QString, Rows> readRows(const QString& path)
{
    QMap<QString, Rows> out;
    Raw db(path, SQLITE_OPEN_READONLY);
    QStringList tables;
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db.h, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'", -1,
                               &st, nullptr)
            == SQLITE_OK) {
            while (sqlite3_step(st) == SQLITE_ROW)
                tables << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        }
        sqlite3_finalize(st);
    }
    for (const QString& table : tables) {
        QStringList columns;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db.h, QStringLiteral("PRAGMA table_info(\"%1\")").arg(table).toUtf8().constData(), -1, &st, nullptr)
            == SQLITE_OK) {
            QStringList all;
            QString alias;
            int keys = 0;
            while (sqlite3_step(st) == SQLITE_ROW) {
                const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
                const QString type = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)));
                all << name;
                if (sqlite3_column_int(st, 5) > 0) {
                    ++keys;
                    if (type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
                        alias = name;
                }
            }
            for (const QString& c : all)
                if (keys != 1 || c != alias)
                    columns << QStringLiteral("\"%1\"").arg(c);
        }
        sqlite3_finalize(st);
        Rows rows;
        const QString sql = QStringLiteral("SELECT rowid, %1 FROM \"%2\"").arg(columns.join(QLatin1Char(',')), table);
        bool whole = false;
        if (sqlite3_prepare_v2(db.h, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK) {
            int rc;
            while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
                QStringList values;
                for (int c = 1; c <= columns.size(); ++c)
                    values << valueText(st, c);
                rows.insert(sqlite3_column_int64(st, 0), values);
            }
            whole = rc == SQLITE_DONE;
        }
        sqlite3_finalize(st);
        if (whole)
            out.insert(table, rows);
    }
    return out;
}

QList<Damage> damages(const QString& originalPath, int count, quint32 seed)
{
    const QByteArray original = [&] {
        QFile f(originalPath);
        if (!f.open(QIODevice::ReadOnly))
            throw std::runtime_error("cannot read corpus original");
        return f.readAll();
    }();
    const qint64 pages = original.size() / kPage;
    const QList<qint64> inner = pagesOf(originalPath, QStringLiteral("name = 'Planilla_Det' AND pagetype = 'internal'"));
    const QList<qint64> marks = pagesOf(originalPath, QStringLiteral("name IN ('zal_sistema', 'sqlite_autoindex_zal_sistema_1')"));
    const QList<qint64> sequence = pagesOf(originalPath, QStringLiteral("name = 'sqlite_sequence'"));
    const QList<qint64> indexes = pagesOf(originalPath, QStringLiteral("name IN (SELECT name FROM sqlite_master WHERE type = 'index')"));
    if (inner.isEmpty() || marks.isEmpty() || sequence.isEmpty() || indexes.isEmpty())
        throw std::runtime_error("corpus original too small");

    // Shares of each kind in a corpus of 210.
    const QList<QPair<QString, int>> shares{{QStringLiteral("cut"), 60},   {QStringLiteral("random"), 50},
                                            {QStringLiteral("zeroed"), 40}, {QStringLiteral("schema"), 15},
                                            {QStringLiteral("marks"), 10},  {QStringLiteral("inner"), 15},
                                            {QStringLiteral("sequence"), 8}, {QStringLiteral("index"), 12}};
    QList<QString> kinds;
    for (const auto& [kind, share] : shares) {
        const int n = std::max(1, int(qint64(count) * share / 210));
        for (int i = 0; i < n; ++i)
            kinds << kind;
    }
    while (kinds.size() < count)
        kinds << QStringLiteral("cut");
    kinds = kinds.mid(0, count);

    QRandomGenerator rng(seed);
    QList<Damage> out;
    const int cuts = int(std::count(kinds.cbegin(), kinds.cend(), QStringLiteral("cut")));
    QHash<QString, int> seen;
    for (const QString& kind : kinds) {
        const int n = seen[kind]++;
        Damage d;
        d.kind = kind;
        d.bytes = original;
        if (kind == QLatin1String("cut")) {
            // One cut in each of as many equal stretches of the file, half of them on a page edge.
            const qint64 span = original.size() - 2 * kPage;
            qint64 at = 2 * kPage + span * n / cuts + rng.bounded(quint32(std::max<qint64>(1, span / cuts)));
            if (n % 2 == 0)
                at -= at % kPage;
            d.bytes.truncate(at);
            d.name = QStringLiteral("cut at %1").arg(at);
        } else if (kind == QLatin1String("random") || kind == QLatin1String("zeroed")) {
            const bool zero = kind == QLatin1String("zeroed");
            QList<qint64> chosen;
            const int k = 1 + int(rng.bounded(5u));
            while (chosen.size() < k) {
                const qint64 p = 2 + rng.bounded(quint32(pages - 1));
                if (!chosen.contains(p))
                    chosen << p;
            }
            std::sort(chosen.begin(), chosen.end());
            const bool whole = zero || rng.bounded(2u) == 0;
            for (qint64 p : chosen)
                spoilPage(d.bytes, p, rng, zero, whole);
            d.name = QStringLiteral("%1 %2 page(s) %3 (%4)")
                         .arg(kind, QString::number(k), whole ? QStringLiteral("whole") : QStringLiteral("in part"), pageList(chosen));
        } else if (kind == QLatin1String("schema")) {
            // The first page: the file's header (100 bytes) and the root of the table of tables.
            switch (n % 5) {
            case 0: {
                const qint64 length = 64 + rng.bounded(900u);
                fill(d.bytes, 100 + rng.bounded(quint32(kPage - 100 - length)), length, &rng);
                d.name = QStringLiteral("schema page: %1 random bytes").arg(length);
                break;
            }
            case 1:
                fill(d.bytes, 100, kPage - 100, nullptr);
                d.name = QStringLiteral("schema page zeroed past the header");
                break;
            case 2:
                fill(d.bytes, 100, kPage - 100, &rng);
                d.name = QStringLiteral("schema page random past the header");
                break;
            case 3:
                fill(d.bytes, 0, kPage, nullptr);
                d.name = QStringLiteral("schema page zeroed with the header");
                break;
            default: {
                const qint64 at = kPage - 1 - rng.bounded(2000u);
                d.bytes[at] = char(d.bytes.at(at) ^ char(1 + rng.bounded(255u)));
                d.name = QStringLiteral("schema page: byte %1 changed").arg(at);
                break;
            }
            }
        } else {
            const QList<qint64>& from = kind == QLatin1String("marks") ? marks
                : kind == QLatin1String("inner")                      ? inner
                : kind == QLatin1String("sequence")                   ? sequence
                                                                      : indexes;
            QList<qint64> chosen;
            const int k = std::min<int>(int(from.size()), 1 + int(rng.bounded(kind == QLatin1String("index") ? 3u : 2u)));
            while (chosen.size() < k) {
                const qint64 p = from.at(int(rng.bounded(quint32(from.size()))));
                if (!chosen.contains(p))
                    chosen << p;
            }
            std::sort(chosen.begin(), chosen.end());
            const bool zero = n % 2 == 0;
            for (qint64 p : chosen)
                spoilPage(d.bytes, p, rng, zero, true);
            d.name = QStringLiteral("%1 page(s) %2 %3").arg(kind, pageList(chosen), zero ? QStringLiteral("zeroed") : QStringLiteral("random"));
        }
        out << d;
    }
    return out;
}

QList<qint64> pagesOf(const QString& path, const QString& where)
{
    const Raw db(path, SQLITE_OPEN_READONLY);
    return db.numbers(QStringLiteral("SELECT pageno FROM dbstat WHERE %1 ORDER BY pageno").arg(where));
}

void swapPages(const QString& path, qint64 a, qint64 b)
{
    QFile f(path);
    openPages(f);
    const QByteArray first = readPage(f, a);
    const QByteArray second = readPage(f, b);
    writePage(f, a, second);
    writePage(f, b, first);
}

void copyPage(const QString& path, qint64 from, qint64 to)
{
    QFile f(path);
    openPages(f);
    writePage(f, to, readPage(f, from));
}

bool isJunkRow(qint64 rowid, const QStringList& values)
{
    if (rowid < 1)
        return true;
    return std::all_of(values.cbegin(), values.cend(), [](const QString& v) { return v == QLatin1String("n:"); });
}

QMap<QString, TableOutcome> compare(const QMap<QString, Rows>& original, const QMap<QString, Rows>& repaired)
{
    QMap<QString, TableOutcome> out;
    for (auto it = original.cbegin(); it != original.cend(); ++it) {
        TableOutcome o;
        const Rows& before = it.value();
        o.original = before.size();
        qint64 highest = 0;
        for (auto r = before.cbegin(); r != before.cend(); ++r)
            highest = std::max(highest, r.key());
        o.gaps = highest - o.original;
        const Rows after = repaired.value(it.key());
        for (auto r = after.cbegin(); r != after.cend(); ++r) {
            if (isJunkRow(r.key(), r.value()))
                ++o.junk;
            else if (!before.contains(r.key()))
                ++o.invented;
            else if (before.value(r.key()) == r.value())
                ++o.kept;
            else
                ++o.altered;
        }
        out.insert(it.key(), o);
    }
    return out;
}

} // namespace support::corpus
