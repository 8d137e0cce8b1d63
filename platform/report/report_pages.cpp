#include "platform/report/report_pages.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QSaveFile>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace report {

namespace {

const QString kFooterFamily = QStringLiteral("DejaVu Sans");
constexpr int kFooterPoints = 7;

// Where the next <td> or <th> tag of a table row's HTML starts from `at` on, or -1.
qsizetype cellOpen(QStringView row, qsizetype at)
{
    for (qsizetype i = row.indexOf(QLatin1Char('<'), at); i >= 0; i = row.indexOf(QLatin1Char('<'), i + 1)) {
        const QStringView name = row.mid(i + 1, 2);
        if ((name.compare(QLatin1String("td"), Qt::CaseInsensitive) == 0
             || name.compare(QLatin1String("th"), Qt::CaseInsensitive) == 0)
            && i + 3 < row.size() && (row.at(i + 3) == QLatin1Char('>') || row.at(i + 3).isSpace()))
            return i;
    }
    return -1;
}

// The character an entity's name (between & and ;) stands for: amp, lt, gt, quot, nbsp or a
// number; a null character for any other.
QChar entityValue(QStringView entity)
{
    if (entity == QLatin1String("amp"))
        return QLatin1Char('&');
    if (entity == QLatin1String("lt"))
        return QLatin1Char('<');
    if (entity == QLatin1String("gt"))
        return QLatin1Char('>');
    if (entity == QLatin1String("quot"))
        return QLatin1Char('"');
    if (entity == QLatin1String("nbsp"))
        return QChar::Nbsp;
    bool number = false;
    const int code = entity.startsWith(QLatin1Char('#')) ? entity.mid(1).toInt(&number) : 0;
    return number && code > 0 && code <= 0xFFFF ? QChar(char16_t(code)) : QChar();
}

// The plain text of each cell of a table row's HTML (<td> and <th>), tags taken out, the usual
// entities read and blanks run together as a page shows them.
QStringList cellTexts(QStringView row)
{
    QStringList cells;
    qsizetype at = 0;
    while (true) {
        const qsizetype open = cellOpen(row, at);
        if (open < 0)
            return cells;
        const qsizetype from = row.indexOf(QLatin1Char('>'), open);
        if (from < 0)
            return cells;
        qsizetype to = row.size();
        for (qsizetype i = row.indexOf(QLatin1String("</t"), from, Qt::CaseInsensitive); i >= 0;
             i = row.indexOf(QLatin1String("</t"), i + 1, Qt::CaseInsensitive)) {
            const QChar k = i + 3 < row.size() ? row.at(i + 3).toLower() : QChar();
            if (k == QLatin1Char('d') || k == QLatin1Char('h')) {
                to = i;
                break;
            }
        }
        QString text;
        bool blank = false;
        for (qsizetype i = from + 1; i < to; ++i) {
            QChar c = row.at(i);
            if (c == QLatin1Char('<')) {
                const qsizetype close = row.indexOf(QLatin1Char('>'), i);
                i = close < 0 ? to : close;
                continue;
            }
            if (c == QLatin1Char('&')) {
                const qsizetype semi = row.indexOf(QLatin1Char(';'), i);
                if (semi > i && semi - i < 10) {
                    const QChar value = entityValue(row.mid(i + 1, semi - i - 1));
                    if (!value.isNull()) {
                        c = value;
                        i = semi;
                    }
                }
            }
            if (c.isSpace() && c != QChar::Nbsp) {
                blank = !text.isEmpty();
                continue;
            }
            if (blank)
                text += QLatin1Char(' ');
            blank = false;
            text += c;
        }
        cells << text;
        at = to;
    }
}

// A table row whose cells hold text only: its markup with the cells' contents taken out (rows of
// one shape differ in their text alone), and each cell's text as the document reads it (blanks
// run together, none at the start, one kept at the end; &amp; &lt; &gt; &quot; &nbsp; and &#n;
// read). Nothing for a row with a tag or another entity inside a cell.
struct PlainRow {
    QString shape;
    QStringList cells;
};

std::optional<PlainRow> plainRow(QStringView row)
{
    PlainRow plain;
    qsizetype at = 0;
    while (true) {
        const qsizetype open = cellOpen(row, at);
        if (open < 0)
            break;
        const qsizetype from = row.indexOf(QLatin1Char('>'), open);
        if (from < 0)
            return std::nullopt;
        const qsizetype to = row.indexOf(QLatin1Char('<'), from + 1);
        if (to < 0 || row.mid(to, 3).compare(QLatin1String("</t"), Qt::CaseInsensitive) != 0)
            return std::nullopt;   // a tag inside the cell
        QString text;
        bool blank = false;
        for (qsizetype i = from + 1; i < to; ++i) {
            QChar c = row.at(i);
            if (c == QLatin1Char('&')) {
                const qsizetype semi = row.indexOf(QLatin1Char(';'), i);
                const QStringView entity = semi > i ? row.mid(i + 1, semi - i - 1) : QStringView();
                c = entityValue(entity);
                // A number for a blank or a control, or past the basic plane, may read otherwise.
                if (c.isNull() || (entity.startsWith(QLatin1Char('#')) && (c.unicode() <= 32 || c.unicode() >= 0xD800)))
                    return std::nullopt;
                i = semi;
            } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')
                       || c == QLatin1Char('\f')) {
                blank = !text.isEmpty();
                continue;
            }
            if (blank)
                text += QLatin1Char(' ');
            blank = false;
            text += c;
        }
        if (blank)
            text += QLatin1Char(' ');
        plain.cells << text;
        plain.shape += row.mid(at, from + 1 - at);
        at = to;
    }
    if (plain.cells.isEmpty())
        return std::nullopt;
    plain.shape += row.mid(at);
    return plain;
}

// Where in html the head of a page ends (the end of the <body> tag), or -1.
qsizetype bodyOpenEnd(const QString& html, qsizetype before)
{
    const qsizetype body = html.lastIndexOf(QLatin1String("<body"), before, Qt::CaseInsensitive);
    if (body < 0)
        return -1;
    const qsizetype end = html.indexOf(QLatin1Char('>'), body);
    return end < 0 || end >= before ? -1 : end + 1;
}

// The start of the <table> that is open at `at` and stands in no other table, and how many such
// top-level tables come before it; false when the rows are not in a top-level table.
bool enclosingTable(const QString& html, qsizetype at, qsizetype* start, int* index)
{
    int depth = 0;
    int topLevel = 0;
    qsizetype lastTop = -1;
    for (qsizetype i = html.indexOf(QLatin1Char('<')); i >= 0 && i < at; i = html.indexOf(QLatin1Char('<'), i + 1)) {
        const QStringView view(html);
        if (view.mid(i + 1, 5).compare(QLatin1String("table"), Qt::CaseInsensitive) == 0
            && (view.at(i + 6) == QLatin1Char('>') || view.at(i + 6).isSpace())) {
            if (depth == 0) {
                lastTop = i;
                ++topLevel;
            }
            ++depth;
        } else if (view.mid(i + 1, 6).compare(QLatin1String("/table"), Qt::CaseInsensitive) == 0) {
            depth = std::max(0, depth - 1);
        }
    }
    if (depth != 1 || lastTop < 0)
        return false;
    *start = lastTop;
    *index = topLevel - 1;
    return true;
}

// The index-th table that stands in the document's top frame.
QTextTable* topLevelTable(QTextDocument& doc, int index)
{
    for (QTextFrame* frame : doc.rootFrame()->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(frame)) {
            if (index-- == 0)
                return table;
        }
    }
    return nullptr;
}

// Every table of the document, those inside other tables' cells included, in document order.
void collectTables(QTextFrame* frame, std::vector<QTextTable*>& out)
{
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child))
            out.push_back(table);
        collectTables(child, out);
    }
}

QRectF cellRect(QTextDocument& doc, QTextTable* table, int row, int column)
{
    return doc.documentLayout()->blockBoundingRect(table->cellAt(row, column).firstCursorPosition().block());
}

// Gives the table that opens at `table` in html fixed column widths, as a table format's width
// constraints would: width="…" on each cell of its first row (the document reads them as it is
// built, so nothing changes the table once laid out). False when that row has not one cell per
// width, or a cell of it names a width of its own.
bool setColumnWidths(QString& html, qsizetype table, const std::vector<qreal>& widths)
{
    const qsizetype row = html.indexOf(QLatin1String("<tr"), table, Qt::CaseInsensitive);
    if (row < 0)
        return false;
    qsizetype rowEnd = html.indexOf(QLatin1String("</tr"), row, Qt::CaseInsensitive);
    qsizetype at = row + 3;
    size_t cell = 0;
    while (true) {
        const qsizetype open = cellOpen(html, at);
        if (open < 0 || (rowEnd >= 0 && open >= rowEnd))
            break;
        const qsizetype close = html.indexOf(QLatin1Char('>'), open);
        if (close < 0 || cell >= widths.size()
            || QStringView(html).mid(open, close - open).contains(QLatin1String("width"), Qt::CaseInsensitive)
            || QStringView(html).mid(open, close - open).contains(QLatin1String("colspan"), Qt::CaseInsensitive))
            return false;
        const QString attribute = QStringLiteral(" width=\"%1\"").arg(QString::number(widths[cell++], 'g', 17));
        html.insert(open + 3, attribute);
        at = close + attribute.size();
        if (rowEnd >= 0)
            rowEnd += attribute.size();
    }
    return cell == widths.size();
}

QString blockText(const QTextBlock& block)
{
    QString text = block.text();
    text.replace(QChar::Nbsp, QLatin1Char(' '));
    return text.trimmed();
}

} // namespace

struct ReportPages::Impl {
    QString title;
    QPageLayout layout;
    QBuffer sink;                          // the metrics device writes nothing; it must exist
    std::unique_ptr<QPdfWriter> metrics;   // the device every document is laid out for
    QSizeF paint;                          // paint rectangle
    QSizeF body;                           // the part of it above the foot
    qreal footer = 0;
    QFont footerFont;
    QString header;                        // the running header, drawn on top of every page
    qreal headerHeight = 0;                // what it takes of the paint rectangle
    std::vector<std::unique_ptr<QTextDocument>> documents;
    struct Page {
        int document;
        int index;   // the page of that document
    };
    std::vector<Page> pages;
    bool pieces = false;
    int headingRows = 0;              // of the table the pieces share
    std::vector<bool> continues;      // per document: it begins with the table continued
    // Per document, the table of the run of rows, when the pages draw its cells themselves (a
    // table whose cells hold text only): the text layout draws a table cell by cell at a cost
    // several times that of the text.
    std::vector<QTextTable*> runTables;

    void setRunTable(QTextTable* table)
    {
        runTables.resize(documents.size(), nullptr);
        runTables.back() = table && table->childFrames().isEmpty() ? table : nullptr;
    }

    // A document of the html laid out for the page. The layout exists (on this device, for this
    // page) before the text comes in, so that the text is laid out once, as it is inserted: a
    // layout made afterwards lays the text out once for the screen first, and the layout a page
    // size starts on a full document goes by growing steps and lays a table out again at each.
    std::unique_ptr<QTextDocument> makeDocument(const QString& html)
    {
        auto doc = std::make_unique<QTextDocument>();
        // The cells' borders are the page's rules (drawRules): the document only leaves room
        // for them. Its own raised borders cost a state change of the painter per cell side.
        doc->setDefaultStyleSheet(QStringLiteral("table { border-style: none; }"));
        // Reports are Latin text: the glyphs of the font's own table, without the shaping engine
        // (the text of a worksheet's rows would otherwise be shaped cell by cell).
        QFont font = doc->defaultFont();
        font.setStyleStrategy(QFont::PreferNoShaping);
        font.setKerning(false);
        doc->setDefaultFont(font);
        doc->documentLayout()->setPaintDevice(metrics.get());
        doc->setPageSize(body);
        QTextCursor(doc.get()).insertHtml(html);
        return doc;
    }

    // The document of html, whose tableIndex-th table holds from `row` on `parsed` rows of a run
    // (rows from..to of `more` are their texts with the rows that follow them): the rows that
    // follow are copied from those (each column from the first of them whose cell has text: its
    // cell's, its paragraph's and its text's formats) rather than read from markup, which costs
    // several times more. Nothing when the table is not as said.
    std::unique_ptr<QTextDocument> makeDocument(const QString& html, int tableIndex, int row, int parsed,
                                                const std::vector<QStringList>& more, size_t from, size_t to)
    {
        auto doc = makeDocument(html);
        if (from >= to)
            return doc;
        QTextTable* table = topLevelTable(*doc, tableIndex);
        if (!table || parsed < 1 || row + parsed > table->rows())
            return nullptr;
        const int columns = table->columns();
        struct Model {
            QTextTableCellFormat cell;
            QTextBlockFormat block;
            QTextCharFormat blockChar;
            QTextCharFormat text;
        };
        std::vector<Model> model(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            // An empty cell's paragraph may carry the format of the next cell's: a cell with text.
            int source = row;
            for (int r = row; r < row + parsed; ++r) {
                if (table->cellAt(r, c).firstCursorPosition().block().length() > 1) {
                    source = r;
                    break;
                }
            }
            const QTextTableCell cell = table->cellAt(source, c);
            if (cell.row() != source || cell.column() != c || cell.rowSpan() != 1 || cell.columnSpan() != 1
                || cell.firstCursorPosition().block() != cell.lastCursorPosition().block())
                return nullptr;
            const QTextCursor at = cell.firstCursorPosition();
            Model& m = model[size_t(c)];
            m.cell = cell.format().toTableCellFormat();
            m.block = at.blockFormat();
            m.blockChar = at.blockCharFormat();
            m.text = m.blockChar;
            if (at.block().length() > 1) {
                QTextCursor first = at;
                first.movePosition(QTextCursor::NextCharacter);
                m.text = first.charFormat();
            }
        }
        QTextCursor edit(doc.get());
        edit.beginEditBlock();
        const int at = row + parsed;
        table->insertRows(at, int(to - from));
        for (size_t i = from; i < to; ++i) {
            const int r = at + int(i - from);
            for (int c = 0; c < columns; ++c) {
                const Model& m = model[size_t(c)];
                QTextTableCell cell = table->cellAt(r, c);
                cell.setFormat(m.cell);
                QTextCursor text = cell.firstCursorPosition();
                text.setBlockFormat(m.block);
                text.setBlockCharFormat(m.blockChar);
                text.insertText(more[i].value(c), m.text);
            }
        }
        edit.endEditBlock();
        return doc;
    }

    // How many rows of `cells` from `first` on the markup must give, so that each column has a
    // cell with text among them to copy the others from (at least one, at most up to `end`).
    static size_t rowsToParse(const std::vector<QStringList>& cells, size_t first, size_t end)
    {
        size_t last = first;
        const qsizetype columns = cells.empty() ? 0 : cells[first].size();
        for (qsizetype c = 0; c < columns; ++c) {
            size_t i = first;
            while (i < end && cells[i].value(c).isEmpty())
                ++i;
            if (i < end)
                last = std::max(last, i);
        }
        return last - first + 1;
    }

    // The cells' texts of the rows of the run, when they are all of the first one's shape and
    // hold text only (so that they can be copied from the first); else none.
    static std::vector<QStringList> copyableRows(const RenderedReport& r)
    {
        std::vector<QStringList> cells;
        if (r.rowStarts.size() < 2)
            return cells;
        const auto rowText = [&](qsizetype i) {
            const qsizetype end = i + 1 < r.rowStarts.size() ? r.rowStarts.at(i + 1) : r.rowsEnd;
            return QStringView(r.html).mid(r.rowStarts.at(i), end - r.rowStarts.at(i));
        };
        const std::optional<PlainRow> model = plainRow(rowText(0));
        if (!model)
            return cells;
        cells.reserve(size_t(r.rowStarts.size()));
        for (qsizetype i = 0; i < r.rowStarts.size(); ++i) {
            std::optional<PlainRow> plain = plainRow(rowText(i));
            if (!plain || plain->shape != model->shape)
                return {};
            cells.push_back(std::move(plain->cells));
        }
        return cells;
    }

    void addWhole(const RenderedReport& r)
    {
        qsizetype start = -1;
        int index = -1;
        const bool run = !r.rowStarts.isEmpty() && enclosingTable(r.html, r.rowStarts.first(), &start, &index);
        // A run of rows of one shape: its first row from the markup, the others copied from it.
        const std::vector<QStringList> cells = run ? copyableRows(r) : std::vector<QStringList>();
        std::unique_ptr<QTextDocument> doc;
        if (!cells.empty()) {
            const size_t parsed = rowsToParse(cells, 0, cells.size());
            if (parsed < cells.size()) {
                const QString head = r.html.left(r.rowStarts.at(qsizetype(parsed))) + r.html.mid(r.rowsEnd);
                const int row = int(QStringView(r.html).mid(start, r.rowStarts.first() - start)
                                        .count(QLatin1String("<tr"), Qt::CaseInsensitive));
                doc = makeDocument(head, index, row, int(parsed), cells, parsed, cells.size());
            }
        }
        documents.push_back(doc ? std::move(doc) : makeDocument(r.html));
        if (run)
            setRunTable(topLevelTable(*documents.back(), index));
        const int count = documents.back()->pageCount();
        for (int i = 0; i < count; ++i)
            pages.push_back({int(documents.size()) - 1, i});
    }

    int pageOf(QTextDocument& doc, QTextTable* table, int row) const
    {
        return int(std::floor(cellRect(doc, table, row, 0).y() / body.height()));
    }

    bool layOutInPieces(const RenderedReport& r, const PagingOptions& options, const std::function<void()>& progress);
    std::optional<struct TableOnPage> placeTable(QTextDocument& doc, QTextTable* table, int pageIndex) const;
    std::vector<struct TableOnPage> tablesOn(int page) const;
    std::vector<QLineF> ruleLines(const std::vector<struct TableOnPage>& tables) const;
    void drawCells(QPainter& painter, QTextDocument& doc, const struct TableOnPage& placed, qreal pageTop) const;
};

ReportPages::ReportPages(const RenderedReport& report, const PagingOptions& options,
                         const std::function<void()>& progress)
    : d(std::make_unique<Impl>())
{
    d->title = report.title;
    d->layout = report.layout;
    d->sink.open(QIODevice::WriteOnly);
    d->metrics = std::make_unique<QPdfWriter>(&d->sink);
    d->metrics->setResolution(kResolution);
    d->metrics->setPageLayout(report.layout);
    const QRect paintRect = d->metrics->pageLayout().paintRectPixels(kResolution);
    d->paint = paintRect.size();
    d->footerFont = QFont(QFont(kFooterFamily, kFooterPoints), d->metrics.get());
    d->footerFont.setStyleStrategy(QFont::PreferNoShaping);
    d->footerFont.setKerning(false);
    d->footer = QFontMetricsF(d->footerFont, d->metrics.get()).height() * 2;
    d->header = report.header;
    if (!d->header.isEmpty())
        d->headerHeight = QFontMetricsF(d->footerFont, d->metrics.get()).height() * 2;
    d->body = QSizeF(paintRect.width(), paintRect.height() - d->footer - d->headerHeight);

    const qsizetype rows = report.rowStarts.size();
    if (rows >= options.piecesFromRows && d->layOutInPieces(report, options, progress)) {
        d->pieces = true;
        return;
    }
    d->documents.clear();
    d->pages.clear();
    d->runTables.clear();
    d->addWhole(report);
}

ReportPages::~ReportPages() = default;

bool ReportPages::Impl::layOutInPieces(const RenderedReport& r, const PagingOptions& options,
                                       const std::function<void()>& progress)
{
    const QString& html = r.html;
    const qsizetype rowCount = r.rowStarts.size();
    const auto rowText = [&](qsizetype i) {
        const qsizetype end = i + 1 < rowCount ? r.rowStarts.at(i + 1) : r.rowsEnd;
        return QStringView(html).mid(r.rowStarts.at(i), end - r.rowStarts.at(i));
    };
    const qsizetype firstRow = r.rowStarts.first();
    qsizetype tableStart = -1;
    int tableIndex = -1;
    const qsizetype headEnd = bodyOpenEnd(html, firstRow);
    if (headEnd < 0 || !enclosingTable(html, firstRow, &tableStart, &tableIndex) || tableStart < headEnd)
        return false;
    const QStringView prefix = QStringView(html).left(firstRow);
    const QStringView head = QStringView(html).left(headEnd);
    const QStringView tableOpen = QStringView(html).mid(tableStart, firstRow - tableStart);
    const QStringView tail = QStringView(html).mid(r.rowsEnd);
    int headingRows = 0;
    for (qsizetype i = tableOpen.indexOf(QLatin1String("<tr"), 0, Qt::CaseInsensitive); i >= 0;
         i = tableOpen.indexOf(QLatin1String("<tr"), i + 3, Qt::CaseInsensitive))
        ++headingRows;
    const QString closeTable = QStringLiteral("</table>");

    // The widths the whole table would take come from the cells that are widest and that hold
    // the widest words: a table of those rows (and the heading and the rows after the run) takes
    // the same widths as the whole, which the pieces are then given as fixed widths.
    std::vector<QStringList> texts(static_cast<size_t>(rowCount));
    int columns = 0;
    for (qsizetype i = 0; i < rowCount; ++i) {
        texts[size_t(i)] = cellTexts(rowText(i));
        columns = std::max(columns, int(texts[size_t(i)].size()));
    }
    if (columns == 0)
        return false;
    QFont cellFont;
    {
        QString sampleHtml = head.toString();
        sampleHtml += tableOpen;
        sampleHtml += rowText(0);
        sampleHtml += closeTable;
        const auto sample = makeDocument(sampleHtml);
        QTextTable* table = topLevelTable(*sample, 0);
        if (!table || table->rows() <= headingRows)
            return false;
        cellFont = QFont(table->cellAt(headingRows, 0).firstCursorPosition().charFormat().font(), metrics.get());
    }
    const QFontMetricsF fm(cellFont, metrics.get());
    qreal advance[256];
    std::fill(std::begin(advance), std::end(advance), -1.0);
    const auto widthOf = [&](QStringView text) {
        qreal w = 0;
        for (const QChar c : text) {
            if (c.unicode() < 256) {
                qreal& a = advance[c.unicode()];
                if (a < 0)
                    a = fm.horizontalAdvance(c);
                w += a;
            } else {
                w += fm.horizontalAdvance(c);
            }
        }
        return w;
    };
    constexpr int kPerColumn = 4;
    std::vector<qsizetype> chosen {0};
    for (int c = 0; c < columns; ++c) {
        std::vector<std::pair<qreal, qsizetype>> whole, words;
        for (qsizetype i = 0; i < rowCount; ++i) {
            const QStringList& cells = texts[size_t(i)];
            if (c >= cells.size())
                continue;
            const QString& text = cells.at(c);
            qreal widest = 0;
            for (const QStringView word : QStringView(text).split(QLatin1Char(' ')))
                widest = std::max(widest, widthOf(word));
            whole.emplace_back(widthOf(text), i);
            words.emplace_back(widest, i);
        }
        for (auto* list : {&whole, &words}) {
            const size_t keep = std::min(list->size(), size_t(kPerColumn));
            std::partial_sort(list->begin(), list->begin() + long(keep), list->end(),
                              [](const auto& a, const auto& b) { return a.first > b.first; });
            for (size_t k = 0; k < keep; ++k)
                chosen.push_back((*list)[k].second);
        }
    }
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    texts.clear();

    QString probeHtml = prefix.toString();
    for (const qsizetype i : chosen)
        probeHtml += rowText(i);
    probeHtml += tail;
    std::unique_ptr<QTextDocument> probe = makeDocument(probeHtml);
    QTextTable* probeTable = topLevelTable(*probe, tableIndex);
    if (!probeTable || probeTable->rows() < headingRows + int(chosen.size()) || probeTable->columns() != columns)
        return false;
    for (int c = 0; c < columns; ++c) {
        if (probeTable->cellAt(headingRows, c).column() != c || probeTable->cellAt(headingRows, c).columnSpan() != 1)
            return false;
    }
    std::vector<qreal> left(static_cast<size_t>(columns));
    std::vector<qreal> width(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c) {
        const QRectF rect = cellRect(*probe, probeTable, headingRows, c);
        left[size_t(c)] = rect.x();
        width[size_t(c)] = rect.width();
    }

    // Fixed widths are given in screen units and padded: find what gives those widths back.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal scale = kResolution / (screen ? screen->logicalDotsPerInchY() : 96.0);
    const qreal padding = 2 * probeTable->format().cellPadding() * scale;
    std::vector<qreal> fixed(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c)
        fixed[size_t(c)] = (width[size_t(c)] + padding) / scale;
    const auto matches = [&](QTextDocument& doc, QTextTable* table, int row, bool adjust) {
        bool same = true;
        for (int c = 0; c < columns; ++c) {
            const QRectF rect = cellRect(doc, table, row, c);
            const qreal miss = width[size_t(c)] - rect.width();
            if (std::abs(miss) > 0.5 || std::abs(rect.x() - left[size_t(c)]) > 0.5) {
                same = false;
                if (adjust)
                    fixed[size_t(c)] += miss / scale;
            }
        }
        return same;
    };
    bool calibrated = false;
    for (int attempt = 0; attempt < 6 && !calibrated; ++attempt) {
        QString trialHtml = probeHtml;
        if (!setColumnWidths(trialHtml, tableStart, fixed))
            return false;
        auto trial = makeDocument(trialHtml);
        QTextTable* table = topLevelTable(*trial, tableIndex);
        if (!table)
            return false;
        calibrated = matches(*trial, table, headingRows, true);
    }
    if (!calibrated)
        return false;

    // The pieces.
    const std::vector<QStringList> copies = copyableRows(r);
    const qreal pageHeight = body.height();
    qsizetype next = 0;
    qsizetype take = std::max(1, options.firstPieceRows);

    qreal continuedTop = -1;   // where the row that begins the next piece stood on its page
    while (next < rowCount) {
        if (progress)
            progress();
        const bool first = next == 0;
        const qsizetype end = std::min(rowCount, next + take);
        const bool last = end == rowCount;
        QString pieceHtml = first ? prefix.toString() : head.toString();
        if (!first)
            pieceHtml += tableOpen;
        const qsizetype pieceTable = first ? tableStart : head.size();
        // Rows of one shape: the piece's first from the markup, the others copied from them.
        const qsizetype parsed = copies.empty() ? end - next : qsizetype(rowsToParse(copies, size_t(next), size_t(end)));
        for (qsizetype i = next; i < next + parsed; ++i)
            pieceHtml += rowText(i);
        if (last)
            pieceHtml += tail;
        else
            pieceHtml += closeTable;
        if (!setColumnWidths(pieceHtml, pieceTable, fixed))
            return false;
        auto doc = makeDocument(pieceHtml, first ? tableIndex : 0, headingRows, int(parsed), copies,
                                size_t(next + parsed), size_t(end));
        if (!doc)
            return false;
        QTextTable* table = topLevelTable(*doc, first ? tableIndex : 0);
        if (!table || table->rows() < headingRows + int(end - next) || table->columns() != columns)
            return false;
        const int docPages = doc->pageCount();
        if (!matches(*doc, table, headingRows, false)
            || blockText(table->cellAt(headingRows, 0).firstCursorPosition().block())
                   != cellTexts(rowText(next)).value(0).trimmed())
            return false;
        // A piece begins where its first row stood on its page in the piece before.
        if (!first && std::abs(cellRect(*doc, table, headingRows, 0).y() - continuedTop) > 0.5)
            return false;
        const int index = int(documents.size());
        this->headingRows = headingRows;
        if (last) {
            continues.push_back(!first);
            documents.push_back(std::move(doc));
            setRunTable(table);
            for (int p = 0; p < docPages; ++p)
                pages.push_back({index, p});
            return true;
        }
        // The pages before the one holding the piece's last row are final. The next piece starts
        // on one of them where a row begins the page (the row before ended on the page before):
        // the latest such page.
        const int pieceRows = int(end - next);
        std::vector<int> rowPage(static_cast<size_t>(pieceRows));
        for (int i = 0; i < pieceRows; ++i)
            rowPage[size_t(i)] = pageOf(*doc, table, headingRows + i);
        const auto rowBottom = [&](int i) {
            qreal bottom = 0;
            for (int c = 0; c < columns; ++c) {
                const QTextBlock block = table->cellAt(headingRows + i, c).lastCursorPosition().block();
                bottom = std::max(bottom, doc->documentLayout()->blockBoundingRect(block).bottom());
            }
            return bottom;
        };
        int lastPage = rowPage.back();
        qsizetype resume = -1;
        for (int page = lastPage; page >= 1 && resume < 0; --page) {
            int i = 1;
            while (i < pieceRows && rowPage[size_t(i)] < page)
                ++i;
            if (i < pieceRows && rowPage[size_t(i)] == page && rowPage[size_t(i - 1)] < page
                && rowBottom(i - 1) <= page * pageHeight + 0.5) {
                resume = next + i;
                lastPage = page;
            }
        }
        if (resume < 0) {
            take *= 2;   // no page of the piece can start the next one: more rows
            continue;
        }
        continuedTop = cellRect(*doc, table, headingRows + int(resume - next), 0).y() - lastPage * pageHeight;
        continues.push_back(!first);
        documents.push_back(std::move(doc));
        setRunTable(table);
        for (int p = 0; p < lastPage; ++p)
            pages.push_back({index, p});
        // The next piece: as many rows as the pages just made held per page, for the pages aimed at.
        const qsizetype done = resume - next;
        const qsizetype perPage = std::max<qsizetype>(1, done / lastPage);
        take = std::max<qsizetype>(perPage * options.pagesPerPiece + perPage / 2 + 2, 4);
        next = resume;
    }
    return true;
}

// Where a table stands on a page: the edges of its columns (where each begins, and where the last
// one ends) and the rows that show on the page, the heading it repeats on top of a continued page
// included, in the page's coordinates (the body's top left is 0, 0).
struct TableOnPage {
    QTextTable* table = nullptr;
    qreal border = 0;     // the room each cell keeps for its border, all round
    std::vector<qreal> edge;
    struct Row {
        int row;          // of the table
        qreal top, bottom;
        qreal shift;      // from where the document has it to where the page shows it
        bool closes;      // the last row of the page: its foot is drawn
    };
    std::vector<Row> rows;
};

std::optional<TableOnPage> ReportPages::Impl::placeTable(QTextDocument& doc, QTextTable* table, int pageIndex) const
{
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    const qreal top = pageIndex * body.height();
    const qreal bottom = top + body.height();
    const int rows = table->rows();
    const int columns = table->columns();
    if (rows == 0 || columns == 0)
        return std::nullopt;
    const QRectF frame = layout->frameBoundingRect(table);
    if (frame.bottom() <= top || frame.top() >= bottom)
        return std::nullopt;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal scale = kResolution / (screen ? screen->logicalDotsPerInchY() : 96.0);
    const QTextTableFormat format = table->format();
    const qreal inset = (format.border() + format.cellPadding()) * scale;
    const auto contentOf = [&](const QTextTableCell& cell) {
        return layout->blockBoundingRect(cell.firstCursorPosition().block());
    };
    const auto rowTop = [&](int row) { return contentOf(table->cellAt(row, 0)).top() - inset; };
    const auto rowBottom = [&](int row) {
        qreal b = 0;
        for (int c = 0; c < columns;) {
            const QTextTableCell cell = table->cellAt(row, c);
            b = std::max(b, layout->blockBoundingRect(cell.lastCursorPosition().block()).bottom());
            c += std::max(1, cell.columnSpan());
        }
        return b + inset;
    };
    // The rows that begin on this page (rows follow each other down the pages).
    int first = 0;
    for (int lo = 0, hi = rows; lo < hi;) {
        const int mid = (lo + hi) / 2;
        if (rowTop(mid) < top - 0.5)
            lo = first = mid + 1;
        else
            hi = mid;
    }
    int last = first;
    while (last < rows && rowTop(last) < bottom - 0.5)
        ++last;
    if (first == last)
        return std::nullopt;

    TableOnPage placed;
    placed.table = table;
    placed.border = format.border() * scale;
    // From the first cell of each column that spans no other.
    placed.edge.assign(size_t(columns) + 1, -1);
    std::vector<qreal>& edge = placed.edge;
    for (int row = 0; row < rows; ++row) {
        for (int c = 0; c < columns;) {
            const QTextTableCell cell = table->cellAt(row, c);
            const int span = std::max(1, cell.columnSpan());
            if (edge[size_t(c)] < 0)
                edge[size_t(c)] = contentOf(cell).left() - inset;
            if (span == 1 && edge[size_t(c) + 1] < 0)
                edge[size_t(c) + 1] = contentOf(cell).right() + inset;
            c += span;
        }
        if (std::none_of(edge.begin(), edge.end(), [](qreal x) { return x < 0; }))
            break;
    }
    for (size_t c = 1; c < edge.size(); ++c) {
        if (edge[c] < 0)
            edge[c] = c + 1 < edge.size() && edge[c + 1] >= 0 ? edge[c + 1] : frame.right() - inset;
    }
    const auto addRows = [&](int from, int to, qreal shift, bool closing) {
        for (int row = from; row < to; ++row) {
            // A row ends where the next one begins; the last row of the page at its cells' foot.
            const bool followed = row + 1 < to || (!closing && row + 1 < rows);
            const qreal y1 = followed ? rowTop(row + 1) : rowBottom(row);
            placed.rows.push_back({row, rowTop(row) + shift - top, y1 + shift - top, shift, closing && row + 1 == to});
        }
    };
    const int heading = format.headerRowCount();
    if (heading > 0 && first >= heading && rowTop(0) < top - 0.5) {
        // The heading the document repeats on top of this page.
        const qreal height = rowTop(heading) - rowTop(0);
        addRows(0, heading, rowTop(first) - height - rowTop(0), false);
    }
    addRows(first, last, 0, true);
    return placed;
}

std::vector<QLineF> ReportPages::Impl::ruleLines(const std::vector<TableOnPage>& tables) const
{
    std::vector<QLineF> lines;
    for (const TableOnPage& placed : tables) {
        if (placed.table->format().border() <= 0)
            continue;
        const std::vector<qreal>& edge = placed.edge;
        for (const TableOnPage::Row& r : placed.rows) {
            lines.emplace_back(edge.front(), r.top, edge.back(), r.top);
            for (int c = 0; c < int(edge.size()) - 1;) {
                lines.emplace_back(edge[size_t(c)], r.top, edge[size_t(c)], r.bottom);
                c += std::max(1, placed.table->cellAt(r.row, c).columnSpan());
            }
            lines.emplace_back(edge.back(), r.top, edge.back(), r.bottom);
            if (r.closes)
                lines.emplace_back(edge.front(), r.bottom, edge.back(), r.bottom);
        }
    }
    return lines;
}

std::vector<TableOnPage> ReportPages::Impl::tablesOn(int page) const
{
    std::vector<TableOnPage> out;
    if (page < 0 || size_t(page) >= pages.size())
        return out;
    const Page& p = pages[size_t(page)];
    QTextDocument& doc = *documents[size_t(p.document)];
    std::vector<QTextTable*> tables;
    collectTables(doc.rootFrame(), tables);
    for (QTextTable* table : tables) {
        if (std::optional<TableOnPage> placed = placeTable(doc, table, p.index))
            out.push_back(std::move(*placed));
    }
    return out;
}

// Draws the cells of a table on a page (the painter's origin at the document's, the page's body
// at pageTop): their backgrounds, then their text, as the text layout would.
void ReportPages::Impl::drawCells(QPainter& painter, QTextDocument& doc, const TableOnPage& placed, qreal pageTop) const
{
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    const std::vector<qreal>& edge = placed.edge;
    const int columns = int(edge.size()) - 1;
    painter.save();
    painter.setPen(Qt::black);
    for (const TableOnPage::Row& r : placed.rows) {
        for (int c = 0; c < columns;) {
            const QTextTableCell cell = placed.table->cellAt(r.row, c);
            const int span = std::max(1, cell.columnSpan());
            const QBrush background = cell.format().background();
            if (background.style() != Qt::NoBrush) {
                // Inside the room for the border, as the text layout fills a cell.
                const QRectF area(edge[size_t(c)], r.top + pageTop, edge[size_t(std::min(columns, c + span))] - edge[size_t(c)],
                                  r.bottom - r.top);
                painter.fillRect(area.adjusted(placed.border, placed.border, -placed.border, -placed.border), background);
            }
            const QTextBlock end = cell.lastCursorPosition().block();
            for (QTextBlock block = cell.firstCursorPosition().block(); block.isValid(); block = block.next()) {
                const QTextLayout* text = block.layout();
                if (text && text->lineCount() > 0) {
                    const QRectF at = layout->blockBoundingRect(block);
                    text->draw(&painter, at.topLeft() - text->position() + QPointF(0, r.shift));
                }
                if (block == end)
                    break;
            }
            c += span;
        }
    }
    painter.restore();
}

QString ReportPages::title() const { return d->title; }
QPageLayout ReportPages::pageLayout() const { return d->layout; }
int ReportPages::pageCount() const { return int(d->pages.size()); }
QSizeF ReportPages::paintSize() const { return d->paint; }
bool ReportPages::inPieces() const { return d->pieces; }

void ReportPages::drawPage(QPainter& painter, int page) const
{
    if (page < 0 || page >= pageCount())
        return;
    const Impl::Page& p = d->pages[size_t(page)];
    QTextDocument& doc = *d->documents[size_t(p.document)];
    const QSizeF body = d->body;
    if (!d->header.isEmpty()) {
        // The running header: the line that names whose report this page belongs to, cut with
        // "..." should it be wider than the page, and a rule below it.
        const QFontMetricsF fm(d->footerFont, d->metrics.get());
        const QString text = fm.elidedText(d->header, Qt::ElideRight, body.width());
        QTextLayout head(text, d->footerFont, d->metrics.get());
        head.beginLayout();
        QTextLine line = head.createLine();
        head.endLayout();
        if (line.isValid())
            head.draw(&painter, QPointF(0, 0));
        painter.save();
        QPen pen(Qt::black);
        pen.setWidthF(ReportPages::kResolution / 300.0);
        painter.setPen(pen);
        const qreal rule = fm.height() * 1.35;
        painter.drawLine(QPointF(0, rule), QPointF(body.width(), rule));
        painter.restore();
    }
    const qreal pageTop = p.index * body.height();
    const std::vector<TableOnPage> tables = d->tablesOn(page);
    QTextTable* runTable = size_t(p.document) < d->runTables.size() ? d->runTables[size_t(p.document)] : nullptr;
    const auto run = std::find_if(tables.begin(), tables.end(), [&](const TableOnPage& t) { return t.table == runTable; });
    painter.save();
    painter.translate(0, d->headerHeight - pageTop);
    if (run == tables.end()) {
        doc.drawContents(&painter, QRectF(QPointF(0, pageTop), body));
    } else {
        // What stands above and below the run's table on the page, by the text layout; the
        // table's own cells, here.
        const qreal from = pageTop + run->rows.front().top;
        const qreal to = pageTop + run->rows.back().bottom;
        if (from > pageTop)
            doc.drawContents(&painter, QRectF(0, pageTop, body.width(), from - pageTop));
        if (to < pageTop + body.height())
            doc.drawContents(&painter, QRectF(0, to, body.width(), pageTop + body.height() - to));
    }
    painter.restore();
    if (run != tables.end()) {
        // In the document's own place on the page, as the text layout draws: the same
        // coordinates round the same way.
        painter.save();
        painter.translate(0, d->headerHeight - pageTop);
        painter.setClipRect(QRectF(QPointF(0, pageTop), body));
        d->drawCells(painter, doc, *run, pageTop);
        painter.restore();
    }
    const std::vector<QLineF> rules = d->ruleLines(tables);
    if (!rules.empty()) {
        painter.save();
        painter.translate(0, d->headerHeight);
        painter.setClipRect(QRectF(QPointF(0, 0), body));
        QPen pen(QColor(64, 64, 64));
        pen.setWidthF(ReportPages::kResolution / 200.0);
        pen.setCapStyle(Qt::SquareCap);
        painter.setPen(pen);
        painter.drawLines(rules.data(), int(rules.size()));
        painter.restore();
    }

    QTextLayout foot(QStringLiteral("Página %1 de %2").arg(page + 1).arg(pageCount()), d->footerFont, d->metrics.get());
    foot.beginLayout();
    QTextLine line = foot.createLine();
    foot.endLayout();
    if (line.isValid())
        foot.draw(&painter, QPointF(body.width() - line.naturalTextWidth(),
                                    d->headerHeight + body.height() + d->footer - line.height()));
}

bool ReportPages::paint(QPagedPaintDevice* device, const std::function<void()>& progress) const
{
    QPainter painter(device);
    if (!painter.isActive())
        return false;
    const qreal scale = qreal(device->logicalDpiX()) / kResolution;
    for (int page = 0; page < pageCount(); ++page) {
        if (page > 0 && !device->newPage())
            return false;
        painter.save();
        painter.scale(scale, scale);
        drawPage(painter, page);
        painter.restore();
        if (progress)
            progress();
    }
    return painter.end();
}

QList<QLineF> ReportPages::rules(int page) const
{
    const std::vector<QLineF> lines = d->ruleLines(d->tablesOn(page));
    return QList<QLineF>(lines.begin(), lines.end());
}

QString ReportPages::pageText(int page) const
{
    if (page < 0 || page >= pageCount())
        return QString();
    const Impl::Page& p = d->pages[size_t(page)];
    QTextDocument& doc = *d->documents[size_t(p.document)];
    const qreal height = d->body.height();
    // The heading a piece begins with is what one document repeats on top of a continued page.
    QTextTable* repeated = p.index == 0 && size_t(p.document) < d->continues.size() && d->continues[size_t(p.document)]
        ? topLevelTable(doc, 0)
        : nullptr;
    QStringList lines;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const qreal y = doc.documentLayout()->blockBoundingRect(block).y();
        if (y < p.index * height || y >= (p.index + 1) * height || block.text().trimmed().isEmpty())
            continue;
        if (repeated && QTextCursor(block).currentTable() == repeated
            && repeated->cellAt(block.position()).row() < d->headingRows)
            continue;
        lines << block.text();
    }
    return lines.join(QLatin1Char('\n'));
}

bool writePdf(const ReportPages& pages, const QString& fileName, QString* cause, const std::function<void()>& progress)
{
    const auto failed = [&](const QString& why) {
        if (cause)
            *cause = why;
        return false;
    };
    const QString cannotWrite = QStringLiteral("no se puede escribir el archivo %1").arg(fileName);
    // The new file is written beside the old one and takes its name only once complete.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return failed(cannotWrite);
    {
        QPdfWriter writer(&file);
        writer.setResolution(ReportPages::kResolution);
        if (!writer.setPageLayout(pages.pageLayout())) {
            file.cancelWriting();
            return failed(QStringLiteral("página no válida"));
        }
        writer.setTitle(pages.title());
        writer.setCreator(QStringLiteral("ZAL"));
        if (!pages.paint(&writer, progress)) {
            file.cancelWriting();
            return failed(cannotWrite);
        }
    }
    if (file.error() != QFileDevice::NoError || !file.commit())
        return failed(cannotWrite);
    return true;
}

} // namespace report
