#include "floors.h"

#include "platform/db/jet_sql.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QTableView>
#include <sqlite3.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace bench {

namespace {

void fail(sqlite3* db, const char* what)
{
    std::fprintf(stderr, "bench floor: %s: %s\n", what, db ? sqlite3_errmsg(db) : "no database");
    std::exit(1);
}

sqlite3_stmt* prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
        fail(db, sql);
    return st;
}

QVariant valueOf(sqlite3_stmt* st, int column)
{
    switch (sqlite3_column_type(st, column)) {
    case SQLITE_INTEGER: return qlonglong(sqlite3_column_int64(st, column));
    case SQLITE_FLOAT: return sqlite3_column_double(st, column);
    case SQLITE_NULL: return QVariant();
    default:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, column)),
                                 sqlite3_column_bytes(st, column));
    }
}

std::string textOf(sqlite3_stmt* st, int column)
{
    const unsigned char* text = sqlite3_column_text(st, column);
    return text ? std::string(reinterpret_cast<const char*>(text), size_t(sqlite3_column_bytes(st, column))) : std::string();
}

// Days since 30/12/1899 as a civil date.
void civil(int serial, int* year, int* month, int* day)
{
    // Howard Hinnant's days-to-civil, from 1970-01-01 (serial 25569).
    long z = long(serial) - 25569 + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    *day = int(doy - (153 * mp + 2) / 5 + 1);
    *month = int(mp < 10 ? mp + 3 : mp - 9);
    *year = int(yoe + era * 400 + (*month <= 2 ? 1 : 0));
}

std::string dayMonthYear(int serial)
{
    int y, m, d;
    civil(serial, &y, &m, &d);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d, m, y);
    return buf;
}

std::string yearMonthDay(int serial)
{
    int y, m, d;
    civil(serial, &y, &m, &d);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
    return buf;
}

// "###,###,##0.00".
std::string grouped(double value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", value < 0 ? -value : value);
    std::string digits(buf);
    const size_t dot = digits.find('.');
    std::string out;
    for (size_t i = 0; i < dot; ++i) {
        if (i > 0 && (dot - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return (value < 0 ? "-" : "") + out + digits.substr(dot);
}

// UTF-8 to Windows-1252 (the Latin-1 range; "?" for anything else).
std::string windows1252(const std::string& utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = utf8[i];
        unsigned cp = c;
        int len = 1;
        if (c >= 0xF0) { cp = c & 0x07; len = 4; }
        else if (c >= 0xE0) { cp = c & 0x0F; len = 3; }
        else if (c >= 0xC0) { cp = c & 0x1F; len = 2; }
        for (int k = 1; k < len && i + k < utf8.size(); ++k)
            cp = (cp << 6) | (utf8[i + k] & 0x3F);
        i += len;
        out += (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) ? char(cp) : '?';
    }
    return out;
}

std::string padLeft(const std::string& value, size_t width, char fill)
{
    return value.size() >= width ? value : std::string(width - value.size(), fill) + value;
}

std::string trimBlanks(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

// ---- RowsModel ----

int RowsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }
int RowsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

QVariant RowsModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return rows_[size_t(index.row())][size_t(index.column())].toString();
}

void RowsModel::setRows(std::vector<std::vector<QVariant>>&& rows, int columns)
{
    beginResetModel();
    rows_ = std::move(rows);
    columns_ = columns;
    endResetModel();
}

// ---- WorksheetFloor ----

namespace {
const char* const kDetailSelect =
    "SELECT d.Enc, d.Secuencia, d.Provee, p.Nombre, d.Fecha, d.Tipo, d.Serie, d.NoDoc, d.Monto, d.Galon, "
    "CASE CAST(d.Tipo AS INTEGER) WHEN 0 THEN 'Factura' WHEN 1 THEN 'Tiquete' WHEN 2 THEN 'EKO Dcto. 39-99' "
    "WHEN 7 THEN 'Declaracion Aduanera' WHEN 8 THEN 'Formulario 203' WHEN 9 THEN 'Formulario 208' "
    "WHEN 10 THEN 'Formulario 711' WHEN 11 THEN 'Factura Electrónica' ELSE 'Formulario' END, d.Gasto, g.Descripcion "
    "FROM Proveedores p JOIN Planilla_Det d ON upper(p.Nit) = upper(d.Provee) JOIN Gastos g ON g.Codigo = d.Gasto WHERE d.Enc = ?1";
constexpr int kDetailColumns = 13;
constexpr int kJulyFirst = 37073;   // 01/07/2001
constexpr int kJulyLast = 37103;    // 31/07/2001
} // namespace

WorksheetFloor::WorksheetFloor(const QString& path)
{
    if (sqlite3_open(path.toUtf8().constData(), &db_) != SQLITE_OK)
        fail(db_, "open");
    db::jet::registerFunctions(db_);   // the program's text comparison, as its own connections use
    header_ = prepare(db_, "SELECT \"No\" FROM Planilla_Enc WHERE Contribuyente = ?1 AND Periodo = 3");
    detail_ = prepare(db_, kDetailSelect);
    ascending_ = prepare(db_, (std::string(kDetailSelect) + " ORDER BY d.Monto ASC").c_str());
    descending_ = prepare(db_, (std::string(kDetailSelect) + " ORDER BY d.Monto DESC").c_str());
    find_ = prepare(db_, "SELECT Secuencia FROM Planilla_Det WHERE Enc = ?1 AND Provee = ?2 AND Tipo = '0' "
                         "AND Serie = 'A' AND NoDoc = ?3");
    insert_ = prepare(db_, "INSERT INTO Planilla_Det (Enc, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto) "
                           "VALUES (?1, ?2, '0', 'A', ?3, 37270, 1, ?4)");
    update_ = prepare(db_, "UPDATE Planilla_Det SET Fecha = 37270, Gasto = 1, Monto = ?1 WHERE Secuencia = ?2");
    view_ = new QTableView;
    view_->setModel(&model_);
}

WorksheetFloor::~WorksheetFloor()
{
    delete view_;
    for (sqlite3_stmt* st : {header_, detail_, ascending_, descending_, find_, insert_, update_})
        sqlite3_finalize(st);
    sqlite3_close(db_);
}

int WorksheetFloor::headerOf(int taxpayer)
{
    sqlite3_bind_int(header_, 1, taxpayer);
    const int no = sqlite3_step(header_) == SQLITE_ROW ? sqlite3_column_int(header_, 0) : 0;
    sqlite3_reset(header_);
    return no;
}

double WorksheetFloor::readInto(sqlite3_stmt* st, int header)
{
    sqlite3_bind_int(st, 1, header);
    std::vector<std::vector<QVariant>> rows;
    double facturas = 0, formularios = 0, julio = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        std::vector<QVariant> row(kDetailColumns);
        for (int c = 0; c < kDetailColumns; ++c)
            row[size_t(c)] = valueOf(st, c);
        const int tipo = sqlite3_column_int(st, 5);
        const int fecha = sqlite3_column_int(st, 4);
        const double monto = sqlite3_column_double(st, 8);
        if (tipo >= 2 && tipo < 11)
            formularios += monto;
        else if (fecha >= kJulyFirst && fecha <= kJulyLast)
            julio += monto;
        else
            facturas += monto;
        rows.push_back(std::move(row));
    }
    sqlite3_reset(st);
    model_.setRows(std::move(rows), kDetailColumns);
    return facturas + formularios + julio;
}

double WorksheetFloor::load(int taxpayer)
{
    return readInto(detail_, headerOf(taxpayer));
}

void WorksheetFloor::sortByAmount(int header, bool ascending)
{
    readInto(ascending ? ascending_ : descending_, header);
}

void WorksheetFloor::addDocument(int header, const QByteArray& provee, const QByteArray& noDoc, double amount)
{
    sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_bind_int(find_, 1, header);
    sqlite3_bind_text(find_, 2, provee.constData(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(find_, 3, noDoc.constData(), -1, SQLITE_TRANSIENT);
    const bool found = sqlite3_step(find_) == SQLITE_ROW;
    sqlite3_reset(find_);
    if (!found) {
        sqlite3_bind_int(insert_, 1, header);
        sqlite3_bind_text(insert_, 2, provee.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert_, 3, noDoc.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(insert_, 4, amount);
        if (sqlite3_step(insert_) != SQLITE_DONE)
            fail(db_, "insert");
        sqlite3_reset(insert_);
    }
    sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    readInto(detail_, header);
}

void WorksheetFloor::changeDocument(int header, const QByteArray& provee, const QByteArray& noDoc, double amount)
{
    sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_bind_int(find_, 1, header);
    sqlite3_bind_text(find_, 2, provee.constData(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(find_, 3, noDoc.constData(), -1, SQLITE_TRANSIENT);
    const int seq = sqlite3_step(find_) == SQLITE_ROW ? sqlite3_column_int(find_, 0) : 0;
    sqlite3_reset(find_);
    sqlite3_bind_double(update_, 1, amount);
    sqlite3_bind_int(update_, 2, seq);
    sqlite3_step(update_);
    sqlite3_reset(update_);
    sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    readInto(detail_, header);
}

int WorksheetFloor::shownRows() const { return model_.rowCount(); }

// ---- Submission file ----

QByteArray plainSubmissionFile(sqlite3* db, int taxpayer, int period, const QString& folder, const QDate& today)
{
    static const char* const headerSql =
        "SELECT e.\"No\", e.Contribuyente, e.Periodo, d.Secuencia, d.Provee, d.Tipo, d.NoDoc, d.Serie, d.Fecha, "
        "d.Monto, d.Gasto, g.Descripcion FROM Gastos g JOIN (Planilla_Enc e JOIN Planilla_Det d ON e.\"No\" = d.Enc) "
        "ON g.Codigo = d.Gasto WHERE e.Contribuyente = ?1 AND e.Periodo = ?2 ORDER BY e.\"No\", d.Secuencia";
    static const char* const taxpayerSql = "SELECT \"No\", Nit, Nombre, NPat FROM Contribuyentes WHERE \"No\" = ?1";
    static const char* const detailSql =
        "SELECT d.Enc, d.Secuencia, d.Provee, CASE WHEN d.Tipo = '0' THEN 'F' WHEN d.Tipo = '1' THEN 'T' ELSE 'I' END, "
        "d.Tipo, d.NoDoc, d.Serie, d.Fecha, d.Monto, g.Descripcion FROM Gastos g JOIN Planilla_Det d "
        "ON g.Codigo = d.Gasto WHERE d.Enc = ?1 ORDER BY d.Secuencia";
    static const char* const periodSql = "SELECT Del, Al FROM Periodos WHERE \"No\" = ?1";

    sqlite3_stmt* st = prepare(db, headerSql);
    sqlite3_bind_int(st, 1, taxpayer);
    sqlite3_bind_int(st, 2, period);
    if (sqlite3_step(st) != SQLITE_ROW) {
        sqlite3_finalize(st);
        return {};
    }
    const int headerNo = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);

    st = prepare(db, taxpayerSql);
    sqlite3_bind_int(st, 1, taxpayer);
    if (sqlite3_step(st) != SQLITE_ROW)
        fail(db, "taxpayer");
    const std::string nit = windows1252(textOf(st, 1));
    const std::string patrono = windows1252(textOf(st, 3));
    sqlite3_finalize(st);

    st = prepare(db, periodSql);
    sqlite3_bind_int(st, 1, period);
    sqlite3_step(st);
    const std::string del = dayMonthYear(sqlite3_column_int(st, 0));
    const std::string al = dayMonthYear(sqlite3_column_int(st, 1));
    sqlite3_finalize(st);

    std::string details;
    int count = 0;
    st = prepare(db, detailSql);
    sqlite3_bind_int(st, 1, headerNo);
    while (sqlite3_step(st) == SQLITE_ROW) {
        char amount[64];
        std::snprintf(amount, sizeof amount, "%.2f", sqlite3_column_double(st, 8));
        const std::string fecha = sqlite3_column_type(st, 7) == SQLITE_NULL ? std::string()
                                                                             : yearMonthDay(sqlite3_column_int(st, 7));
        details += padLeft(windows1252(textOf(st, 2)), 12, ' ');
        details += fecha;
        details += textOf(st, 3);
        details += padLeft(windows1252(textOf(st, 6)), 5, ' ');
        details += padLeft(windows1252(textOf(st, 5)), 15, ' ');
        details += padLeft(trimBlanks(windows1252(textOf(st, 9)).substr(0, 30)), 30, ' ');
        details += padLeft(amount, 14, '0');
        details += "\r\n";
        ++count;
    }
    sqlite3_finalize(st);

    char written[16];
    std::snprintf(written, sizeof written, "%04d%02d%02d", today.year(), today.month(), today.day());
    const std::string header = padLeft(nit, 12, ' ') + written + del + al + padLeft(patrono, 12, ' ')
        + padLeft(std::to_string(count + 2), 9, '0') + "\r\n";
    const std::string bytes = header + details + header;

    const std::string name = "PI" + del.substr(3, 2) + al.substr(3, 2) + nit + ".TXT";
    const std::string dir = QFile::encodeName(folder).toStdString() + "/";
    const std::string temp = dir + "." + name + "." + std::to_string(QRandomGenerator::global()->generate()) + ".tmp";
    std::FILE* out = std::fopen(temp.c_str(), "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0
        || std::rename(temp.c_str(), (dir + name).c_str()) != 0) {
        std::fprintf(stderr, "bench floor: cannot write %s\n", (dir + name).c_str());
        std::exit(1);
    }
    return QByteArray::fromStdString(bytes);
}

// ---- PDF floors ----

namespace {

struct PdfTable {
    QPdfWriter writer;
    QPainter painter;
    QFont font {QStringLiteral("DejaVu Sans"), 8};
    QFont bold;
    qreal rowHeight = 0;
    qreal width = 0;
    qreal height = 0;
    QList<qreal> columns;   // left edges, and the right edge last

    PdfTable(const QString& path, const QList<qreal>& shares)
        : writer(path)
    {
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Landscape,
                                         QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        painter.begin(&writer);
        bold = font;
        bold.setBold(true);
        painter.setFont(font);
        rowHeight = QFontMetricsF(font, &writer).height() * 1.5;
        const QRect page = writer.pageLayout().paintRectPixels(writer.resolution());
        width = page.width();
        height = page.height();
        qreal x = 0;
        for (const qreal share : shares) {
            columns << x;
            x += share * width;
        }
        columns << width;
    }

    void row(qreal y, const QStringList& cells, bool heading)
    {
        painter.setFont(heading ? bold : font);
        const qreal pad = rowHeight * 0.15;
        painter.drawLine(QLineF(0, y, width, y));
        painter.drawLine(QLineF(0, y + rowHeight, width, y + rowHeight));
        for (int c = 0; c < cells.size() && c + 1 < columns.size(); ++c) {
            painter.drawLine(QLineF(columns[c], y, columns[c], y + rowHeight));
            painter.drawText(QRectF(columns[c] + pad, y, columns[c + 1] - columns[c] - 2 * pad, rowHeight),
                             Qt::AlignVCenter | Qt::AlignLeft, cells[c]);
        }
        painter.drawLine(QLineF(width, y, width, y + rowHeight));
    }

    void footer(int page, int pages)
    {
        painter.setFont(font);
        painter.drawText(QRectF(0, height - rowHeight, width, rowHeight), Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("Página %1 de %2").arg(page).arg(pages));
    }

    // The heading and the rows page after page, below `top` on the first page.
    void rows(const QStringList& heading, const std::vector<QStringList>& all, qreal top, const QStringList& trailer,
              const QStringList& closing)
    {
        const int perPage = int((height - 2 * rowHeight) / rowHeight) - 1;
        const int firstPage = std::max(1, int((height - top - 2 * rowHeight) / rowHeight) - 1);
        const int rest = std::max(0, int(all.size()) - firstPage);
        const int pages = 1 + (rest + perPage - 1) / perPage + (closing.isEmpty() ? 0 : 1);
        int page = 1;
        qreal y = top;
        row(y, heading, true);
        y += rowHeight;
        int onPage = 0;
        for (const QStringList& cells : all) {
            if (onPage == (page == 1 ? firstPage : perPage)) {
                footer(page, pages);
                writer.newPage();
                ++page;
                onPage = 0;
                y = 0;
                row(y, heading, true);
                y += rowHeight;
            }
            row(y, cells, false);
            y += rowHeight;
            ++onPage;
        }
        if (!trailer.isEmpty())
            row(y, trailer, true);
        if (!closing.isEmpty()) {
            footer(page, pages);
            writer.newPage();
            ++page;
            y = 0;
            for (const QString& line : closing) {
                painter.drawText(QRectF(0, y, width, rowHeight), Qt::AlignVCenter | Qt::AlignLeft, line);
                y += rowHeight;
            }
        }
        footer(page, pages);
    }
};

} // namespace

void plainWorksheetPdf(const QString& databasePath, int header, const QString& pdfPath)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(databasePath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        fail(db, "open");
    db::jet::registerFunctions(db);
    sqlite3_stmt* st = prepare(db,
        "SELECT c.Nombre, c.Nit, c.Calle, c.Casa, c.Apto, c.Zona, c.ColoniaB, c.Muni, c.Depto, c.Tel, c.NPat, "
        "c.NomPat, p.Del, p.Al FROM (Planilla_Enc e LEFT JOIN Contribuyentes c ON e.Contribuyente = c.\"No\") "
        "LEFT JOIN Periodos p ON e.Periodo = p.\"No\" WHERE e.\"No\" = ?1");
    sqlite3_bind_int(st, 1, header);
    QStringList block;
    if (sqlite3_step(st) == SQLITE_ROW) {
        block << QStringLiteral("Período del %1 al %2")
                     .arg(QString::fromStdString(dayMonthYear(sqlite3_column_int(st, 12))),
                          QString::fromStdString(dayMonthYear(sqlite3_column_int(st, 13))));
        block << QStringLiteral("Contribuyente %1   NIT %2").arg(valueOf(st, 0).toString(), valueOf(st, 1).toString());
        block << QStringLiteral("Dirección %1 %2 %3   Zona %4")
                     .arg(valueOf(st, 2).toString(), valueOf(st, 3).toString(), valueOf(st, 4).toString(),
                          valueOf(st, 5).toString());
        block << QStringLiteral("Colonia / Municipio %1 %2   Departamento %3")
                     .arg(valueOf(st, 6).toString(), valueOf(st, 7).toString(), valueOf(st, 8).toString());
        block << QStringLiteral("Teléfono %1").arg(valueOf(st, 9).toString());
        block << QStringLiteral("Patrono %1   NIT patrono %2").arg(valueOf(st, 11).toString(), valueOf(st, 10).toString());
    }
    sqlite3_finalize(st);

    st = prepare(db,
        "SELECT d.Provee, pr.Nombre, CASE CAST(d.Tipo AS INTEGER) WHEN 0 THEN 'Factura' WHEN 1 THEN 'Tiquete' "
        "WHEN 2 THEN 'EKO Dcto. 39-99' WHEN 7 THEN 'Declaracion Aduanera' WHEN 8 THEN 'Formulario 203' "
        "WHEN 9 THEN 'Formulario 208' WHEN 10 THEN 'Formulario 711' WHEN 11 THEN 'Factura Electrónica' "
        "ELSE 'Formulario' END, d.Serie, d.NoDoc, d.Fecha, g.Descripcion, d.Monto, d.Galon "
        "FROM ((Planilla_Det d INNER JOIN Planilla_Enc e ON d.Enc = e.\"No\") LEFT JOIN Proveedores pr "
        "ON upper(d.Provee) = upper(pr.Nit)) LEFT JOIN Gastos g ON d.Gasto = g.Codigo WHERE e.\"No\" = ?1 "
        "ORDER BY d.Fecha, d.Secuencia");
    sqlite3_bind_int(st, 1, header);
    std::vector<QStringList> rows;
    while (sqlite3_step(st) == SQLITE_ROW) {
        QStringList cells;
        for (int c = 0; c < 5; ++c)
            cells << valueOf(st, c).toString();
        cells << QString::fromStdString(dayMonthYear(sqlite3_column_int(st, 5)));
        cells << valueOf(st, 6).toString();
        cells << QString::fromStdString(grouped(sqlite3_column_double(st, 7)));
        cells << (sqlite3_column_type(st, 8) == SQLITE_NULL ? QString()
                                                             : QString::fromStdString(grouped(sqlite3_column_double(st, 8))));
        rows.push_back(cells);
    }
    sqlite3_finalize(st);

    st = prepare(db, "SELECT Count(d.Secuencia), Sum(d.Monto) FROM Planilla_Det d INNER JOIN Planilla_Enc e "
                     "ON d.Enc = e.\"No\" WHERE e.\"No\" = ?1");
    sqlite3_bind_int(st, 1, header);
    sqlite3_step(st);
    const QStringList total {QStringLiteral("Total de documentos: %1").arg(sqlite3_column_int(st, 0)), QString(), QString(),
                             QString(), QString(), QString(), QString(),
                             QString::fromStdString(grouped(sqlite3_column_double(st, 1))), QString()};
    sqlite3_finalize(st);
    sqlite3_close(db);

    // The summaries of the template's last page: 26 lines of figures.
    QStringList closing {QStringLiteral("Resumen por tipo de documento")};
    for (int i = 0; i < 8; ++i)
        closing << QStringLiteral("Tipo %1   0.0000   0.0000").arg(i);
    closing << QStringLiteral("Resumen por combustible");
    for (int i = 0; i < 8; ++i)
        closing << QStringLiteral("Combustible %1   0.0000   0.0000   0.0000").arg(i);
    closing << QStringLiteral("Crédito") << QStringLiteral("Total de facturas 0.00   Crédito EKO 0.00")
            << QStringLiteral("Presentación") << QStringLiteral("Lugar   Fecha   /   /")
            << QStringLiteral("Firma del contribuyente") << QStringLiteral("Seguridad:");

    PdfTable table(pdfPath, {0.10, 0.20, 0.13, 0.04, 0.07, 0.07, 0.17, 0.10, 0.12});
    table.painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 12, QFont::Bold));
    table.painter.drawText(QRectF(0, 0, table.width, table.rowHeight * 2), Qt::AlignCenter,
                           QStringLiteral("PLANILLA DE DOCUMENTOS DE COMPRA PARA EL CRÉDITO EKO"));
    table.painter.setFont(table.font);
    qreal y = table.rowHeight * 2;
    for (const QString& line : block) {
        table.painter.drawText(QRectF(0, y, table.width, table.rowHeight), Qt::AlignVCenter | Qt::AlignLeft, line);
        y += table.rowHeight;
    }
    table.rows({QStringLiteral("NIT proveedor"), QStringLiteral("Nombre"), QStringLiteral("Tipo"), QStringLiteral("Serie"),
                QStringLiteral("Número"), QStringLiteral("Fecha"), QStringLiteral("Tipo de gasto"), QStringLiteral("Monto"),
                QStringLiteral("Precio por galón")},
               rows, y + table.rowHeight, total, closing);
}

void plainTablePdf(const QStringList& heading, const std::vector<QStringList>& rows, const QString& pdfPath)
{
    QList<qreal> shares;
    for (int i = 0; i < heading.size(); ++i)
        shares << 1.0 / heading.size();
    PdfTable table(pdfPath, shares);
    table.rows(heading, rows, 0, {}, {});
}

} // namespace bench
