#include "platform/db/page_reader.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <vector>

namespace db::pages {

namespace {

constexpr unsigned char kTableLeaf = 0x0D;
constexpr unsigned char kTableInner = 0x05;
// Deeper than any real table's tree; a chain of inner pages longer than this is damage.
constexpr int kMaxDepth = 32;
// No record of the program's tables holds more values.
constexpr quint64 kMaxColumns = 2000;

quint32 be16(const unsigned char* p)
{
    return quint32(p[0]) << 8 | p[1];
}

quint32 be32(const unsigned char* p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
}

// A variable-length number of the file format; false when it runs past end.
bool varint(const unsigned char* p, const unsigned char* end, quint64* value, int* length)
{
    quint64 v = 0;
    for (int i = 0; i < 9; ++i) {
        if (p + i >= end)
            return false;
        const unsigned char b = p[i];
        if (i == 8) {
            *value = v << 8 | b;
            *length = 9;
            return true;
        }
        v = v << 7 | (b & 0x7F);
        if (!(b & 0x80)) {
            *value = v;
            *length = i + 1;
            return true;
        }
    }
    return false;
}

class File {
public:
    explicit File(const QString& path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return;
        data_ = f.readAll();
        if (data_.size() < 100)
            return;
        const auto* head = reinterpret_cast<const unsigned char*>(data_.constData());
        // The page size of the header when it is one; the program's files use 4096.
        const quint32 size = be16(head + 16) == 1 ? 65536 : be16(head + 16);
        if (size >= 512 && size <= 65536 && (size & (size - 1)) == 0)
            pageSize_ = int(size);
        usable_ = pageSize_ - head[20];
        if (usable_ < 480)
            usable_ = pageSize_;
        pages_ = (data_.size() + pageSize_ - 1) / pageSize_;
        // A file cut short reads as zeros past its end, as the engine reads it.
        data_.append(QByteArray(pages_ * pageSize_ - data_.size(), '\0'));
    }

    qint64 pages() const { return pages_; }
    int usable() const { return usable_; }
    const unsigned char* page(qint64 number) const
    {
        return reinterpret_cast<const unsigned char*>(data_.constData()) + (number - 1) * pageSize_;
    }
    // Where the page's own header starts: after the file's header on the first page.
    static int headerAt(qint64 number) { return number == 1 ? 100 : 0; }
    unsigned char kind(qint64 number) const { return page(number)[headerAt(number)]; }

private:
    QByteArray data_;
    int pageSize_ = 4096;
    int usable_ = 4096;
    qint64 pages_ = 0;
};

// Whether bytes are a whole UTF-8 text. Each text on its own: a character cut short at the end of
// one is not made whole by the next.
bool isUtf8(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);   // the decoder decodes only when its result is taken
    return !utf8.hasError();
}

bool decodeRecord(const QByteArray& payload, QList<Value>* values)
{
    const auto* p = reinterpret_cast<const unsigned char*>(payload.constData());
    const unsigned char* end = p + payload.size();
    quint64 headerSize = 0;
    int length = 0;
    if (!varint(p, end, &headerSize, &length) || headerSize < quint64(length) || headerSize > quint64(payload.size()))
        return false;
    std::vector<quint64> types;
    for (const unsigned char* at = p + length; at < p + headerSize;) {
        quint64 type = 0;
        if (!varint(at, p + headerSize, &type, &length) || type == 10 || type == 11 || types.size() >= kMaxColumns)
            return false;
        types.push_back(type);
        at += length;
    }
    static const int kIntBytes[] = {0, 1, 2, 3, 4, 6, 8};
    quint64 body = headerSize;
    for (const quint64 type : types) {
        Value v;
        quint64 size = 0;
        if (type >= 1 && type <= 6)
            size = quint64(kIntBytes[type]);
        else if (type == 7)
            size = 8;
        else if (type >= 12)
            size = (type - 12) / 2;
        if (body + size > quint64(payload.size()))
            return false;
        const unsigned char* at = p + body;
        if (type == 0) {
            v.kind = Value::Null;
        } else if (type <= 6) {
            qint64 n = (at[0] & 0x80) ? -1 : 0;
            for (quint64 i = 0; i < size; ++i)
                n = qint64(quint64(n) << 8 | at[i]);
            v.kind = Value::Integer;
            v.integer = n;
        } else if (type == 7) {
            quint64 bits = 0;
            for (int i = 0; i < 8; ++i)
                bits = bits << 8 | at[i];
            double d;
            std::memcpy(&d, &bits, sizeof d);
            if (d != d)
                return false;   // the engine never stores NaN
            v.kind = Value::Real;
            v.real = d;
        } else if (type == 8 || type == 9) {
            v.kind = Value::Integer;
            v.integer = type == 9;
        } else {
            v.bytes = QByteArray(reinterpret_cast<const char*>(at), qsizetype(size));
            v.kind = type % 2 ? Value::Text : Value::Blob;
            if (v.kind == Value::Text && !isUtf8(v.bytes))
                return false;   // the engine is given its texts as UTF-8
        }
        body += size;
        values->append(v);
    }
    return body == quint64(payload.size());
}

// The rows of a page of table rows; cells that do not hold a whole record are passed over.
// Overflow pages a row continues on are marked in claimed.
QList<Row> leafRows(const File& file, qint64 number, std::vector<char>& claimed)
{
    QList<Row> rows;
    const unsigned char* page = file.page(number);
    const unsigned char* end = page + file.usable();
    const int h = File::headerAt(number);
    const quint32 cells = be16(page + h + 3);
    const quint32 pointers = quint32(h) + 8 + 2 * cells;
    if (pointers > quint32(file.usable()))
        return rows;
    const quint64 usable = quint64(file.usable());
    const quint64 maxLocal = usable - 35;
    const quint64 minLocal = (usable - 12) * 32 / 255 - 23;
    for (quint32 c = 0; c < cells; ++c) {
        const quint32 offset = be16(page + h + 8 + 2 * c);
        if (offset < pointers || offset >= usable)
            continue;
        const unsigned char* at = page + offset;
        quint64 size = 0, rowid = 0;
        int l1 = 0, l2 = 0;
        if (!varint(at, end, &size, &l1) || !varint(at + l1, end, &rowid, &l2))
            continue;
        if (size > quint64(file.pages()) * usable)
            continue;
        at += l1 + l2;
        quint64 local = size;
        if (size > maxLocal) {
            const quint64 k = minLocal + (size - minLocal) % (usable - 4);
            local = k <= maxLocal ? k : minLocal;
        }
        const bool overflows = local < size;
        if (at + local + (overflows ? 4 : 0) > end)
            continue;
        QByteArray payload(reinterpret_cast<const char*>(at), qsizetype(local));
        bool whole = true;
        if (overflows) {
            std::vector<qint64> chain;
            quint64 next = be32(at + local);
            quint64 left = size - local;
            while (left > 0) {
                if (next < 2 || next > quint64(file.pages()) || claimed[next] || chain.size() > size_t(file.pages())) {
                    whole = false;
                    break;
                }
                const unsigned char* o = file.page(qint64(next));
                const quint64 take = std::min(left, usable - 4);
                payload.append(reinterpret_cast<const char*>(o + 4), qsizetype(take));
                chain.push_back(qint64(next));
                left -= take;
                next = be32(o);
            }
            if (!whole)
                continue;
            for (qint64 o : chain)
                claimed[o] = 1;
        }
        Row row;
        row.rowid = qint64(rowid);
        if (decodeRecord(payload, &row.values))
            rows << row;
    }
    return rows;
}

bool valueFits(const Value& v, const Column& c)
{
    if (v.kind == Value::Null)
        return c.kind == Column::Key || !c.notNull;
    switch (c.kind) {
    case Column::Key:
        return false;
    case Column::Text:
        return v.kind == Value::Text && (c.size <= 0 || QString::fromUtf8(v.bytes).size() <= c.size);
    case Column::Number:
        return v.kind == Value::Integer || v.kind == Value::Real;
    case Column::Any:
        return true;
    }
    return false;
}

// A row of a page reached from the table's first page may lack values at its end: it was written
// before those columns were added, and the engine gives their defaults.
bool ownRowFits(const Row& row, const Table& table)
{
    if (row.values.size() > table.columns.size())
        return false;
    for (int i = 0; i < row.values.size(); ++i)
        if (!valueFits(row.values.at(i), table.columns.at(i)))
            return false;
    if (!table.fits)
        return true;
    Row whole = row;
    while (whole.values.size() < table.columns.size())
        whole.values.append(Value());
    return table.fits(whole);
}

bool rowFits(const Row& row, const Table& table)
{
    return row.values.size() == table.columns.size() && ownRowFits(row, table);
}

} // namespace

QString textOf(const Value& value)
{
    switch (value.kind) {
    case Value::Text:
        return QString::fromUtf8(value.bytes);
    case Value::Integer:
        return QString::number(value.integer);
    case Value::Real:
        return QString::number(value.real, 'g', 17);
    default:
        return QString();
    }
}

QHash<QString, QList<Row>> readTables(const QString& path, const QList<Table>& tables, QHash<QString, QSet<qint64>>* strays)
{
    QHash<QString, QList<Row>> out;
    const File file(path);
    if (file.pages() == 0)
        return out;
    std::vector<char> claimed(size_t(file.pages()) + 1, 0);

    // Each table's own pages, from its first page down through its inner pages. A page claimed
    // once is never visited again, so a damaged page pointing back up or across ends there.
    QHash<qint64, int> owner;   // page of rows -> index in tables
    for (int t = 0; t < tables.size(); ++t) {
        std::vector<std::pair<qint64, int>> stack{{tables.at(t).root, 0}};
        while (!stack.empty()) {
            const auto [number, depth] = stack.back();
            stack.pop_back();
            if (number < 1 || number > file.pages() || claimed[size_t(number)] || depth > kMaxDepth)
                continue;
            const unsigned char kind = file.kind(number);
            if (kind == kTableLeaf) {
                claimed[size_t(number)] = 1;
                owner.insert(number, t);
            } else if (kind == kTableInner) {
                claimed[size_t(number)] = 1;
                const unsigned char* page = file.page(number);
                const int h = File::headerAt(number);
                const quint32 cells = be16(page + h + 3);
                if (quint32(h) + 12 + 2 * cells > quint32(file.usable()))
                    continue;
                stack.push_back({qint64(be32(page + h + 8)), depth + 1});
                for (quint32 c = cells; c-- > 0;) {
                    const quint32 offset = be16(page + h + 12 + 2 * c);
                    if (offset + 4 <= quint32(file.usable()))
                        stack.push_back({qint64(be32(page + offset)), depth + 1});
                }
            }
        }
    }
    // The pages whose rows are looked for a table of their own.
    QList<QList<Row>> loose;
    for (auto it = owner.cbegin(); it != owner.cend(); ++it) {
        const Table& table = tables.at(it.value());
        const QList<Row> rows = leafRows(file, it.key(), claimed);
        const auto fitting = std::count_if(rows.cbegin(), rows.cend(), [&](const Row& row) { return ownRowFits(row, table); });
        if (fitting * 2 < rows.size()) {
            // Most of its rows are of another shape: another table's page in the place of one of this one's.
            if (strays) {
                QSet<qint64>& numbers = (*strays)[table.name];
                for (const Row& row : rows)
                    numbers.insert(row.rowid);
            }
            loose << rows;
            continue;
        }
        for (const Row& row : rows)
            if (row.values.size() <= table.columns.size())
                out[table.name] << row;
    }
    for (qint64 number = 1; number <= file.pages(); ++number) {
        if (claimed[size_t(number)] || file.kind(number) != kTableLeaf)
            continue;
        claimed[size_t(number)] = 1;
        const QList<Row> rows = leafRows(file, number, claimed);
        if (!rows.isEmpty())
            loose << rows;
    }

    // Each such page to the one table all but a few of its rows fit.
    for (const QList<Row>& rows : loose) {
        int best = -1, bestFits = 0, secondFits = 0;
        for (int t = 0; t < tables.size(); ++t) {
            int fits = 0;
            for (const Row& row : rows)
                fits += rowFits(row, tables.at(t));
            if (fits > bestFits) {
                secondFits = bestFits;
                bestFits = fits;
                best = t;
            } else if (fits > secondFits) {
                secondFits = fits;
            }
        }
        if (best < 0 || secondFits == bestFits || bestFits * 4 < rows.size() * 3)
            continue;
        for (const Row& row : rows)
            if (rowFits(row, tables.at(best)))
                out[tables.at(best).name] << row;
    }
    return out;
}

QList<Row> readSchemaRows(const QString& path)
{
    Table schema;
    schema.name = QStringLiteral("sqlite_master");
    schema.columns = {{Column::Text, 20}, {Column::Text, 0}, {Column::Text, 0}, {Column::Number, 0}, {Column::Text, 0}};
    schema.fits = [](const Row& row) {
        static const QStringList kinds{QStringLiteral("table"), QStringLiteral("index"), QStringLiteral("trigger"),
                                       QStringLiteral("view")};
        return kinds.contains(textOf(row.values.at(0))) && row.values.at(1).kind == Value::Text
            && row.values.at(3).kind == Value::Integer;
    };
    return readTables(path, {schema}).value(schema.name);
}

} // namespace db::pages
