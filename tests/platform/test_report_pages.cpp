// The pages of a report: a long run of table rows laid out in pieces breaks into the very pages
// one document gives (same rows on each page, heading on top, same look), and a PDF is written
// whole or not at all, an older file of the name staying as it was.
#include "platform/report/report_pages.h"
#include "platform/report/report_preview.h"
#include "support/scripted_dialogs.h"
#include "support/support.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QSet>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A report of a table whose rows are the run: text before it, a heading row, the rows, a total
// row in the same table, text after it. style is added to the page's style sheet.
report::RenderedReport tableReport(const QStringList& rows, int paragraphsBefore, int paragraphsAfter,
                                   const QString& style = QString())
{
    report::RenderedReport r;
    r.layout = QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                           QPageLayout::Millimeter);
    QString& html = r.html;
    html = QStringLiteral("<html><head><style>body { font-family: \"DejaVu Sans\"; font-size: 8pt; }"
                          " th { background-color: #e0e0e0; } td.n, th.n { text-align: right; } td.n { background-color: #d0d0d0; } td.t { background-color: #a0a0a0; }")
        + style + QStringLiteral("</style></head><body><h1>Planilla de prueba</h1>");
    for (int i = 0; i < paragraphsBefore; ++i)
        html += QStringLiteral("<p>Párrafo de antes número %1.</p>").arg(i + 1);
    html += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"2\" border=\"1\">\n"
                           "<thead><tr><th>NIT</th><th>Nombre</th><th class=\"n\">Monto</th></tr></thead>\n");
    for (const QString& row : rows) {
        r.rowStarts << html.size();
        html += row;
    }
    r.rowsEnd = html.size();
    html += QStringLiteral("<tr><td colspan=\"2\"><b>Total</b></td><td class=\"n t\"><b>99,999.00</b></td></tr>\n</table>");
    for (int i = 0; i < paragraphsAfter; ++i)
        html += QStringLiteral("<p>Párrafo de después número %1.</p>").arg(i + 1);
    html += QStringLiteral("</body></html>");
    return r;
}

// Rows of one line, or of several where a name is long or holds a line break. With narrow and
// wide letters, a few names are one long word of wide letters, widest in the rows' own font; the
// others end in a longer word of narrow letters, which a font whose letters all take one width
// would measure wider. With paragraphs, some names hold a second paragraph in their cell.
QStringList rows(int count, bool mixedHeights, bool narrowAndWide = false, bool paragraphs = false)
{
    QStringList out;
    for (int i = 0; i < count; ++i) {
        QString name = QStringLiteral("Proveedor número %1, S.A.").arg(i);
        if (narrowAndWide)
            name = i % 50 == 7 ? QStringLiteral("W").repeated(30) : name + QLatin1Char(' ') + QStringLiteral("i").repeated(40);
        if (mixedHeights && i % 5 == 0)
            name += QStringLiteral(" y compañía de transportes y servicios generales").repeated(1 + i % 3);
        if (mixedHeights && i % 13 == 0)
            name += QStringLiteral("<br/>segunda línea");
        if (paragraphs && i % 17 == 3)
            name += QStringLiteral("<p>párrafo aparte</p>");
        out << QStringLiteral("<tr><td>%1</td><td>%2</td><td class=\"n\">%3.50</td></tr>\n")
                   .arg(5000000 + i)
                   .arg(name)
                   .arg(10 + i);
    }
    return out;
}

// Rows of text as data gives it: escaped characters, blanks before, after and in between, an
// empty cell now and then, a word too long for its column.
QStringList rowsOfAnyText(int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i) {
        const QString names[] = {QStringLiteral("  Pérez &amp; Hijos,   S.A.  "), QStringLiteral("Tienda &quot;La Esquina&quot; &lt;2&gt;"),
                                 QString(), QStringLiteral("O&#39;Brien\tLtda.\n n.º %1").arg(i),
                                 QStringLiteral("Distribuidora") + QStringLiteral("x").repeated(i % 7 == 0 ? 120 : 0)};
        out << QStringLiteral("<tr><td>%1</td><td>%2</td><td class=\"n\">%3</td></tr>\n")
                   .arg(5000000 + i)
                   .arg(names[i % 5])
                   .arg(i % 4 == 0 ? QString() : QStringLiteral("%1.50").arg(10 + i));
    }
    return out;
}

QImage pageImage(const report::ReportPages& pages, int page, qreal dotsPerInch = 40)
{
    const qreal scale = dotsPerInch / report::ReportPages::kResolution;
    QImage image((pages.paintSize() * scale).toSize(), QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    pages.drawPage(painter, page);
    return image;
}

// The share of pixels that differ by more than half the grey scale (or by more than `by`).
double farApart(const QImage& a, const QImage& b, int by = 128)
{
    if (a.size() != b.size())
        return 1;
    qint64 far = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* p = a.constScanLine(y);
        const uchar* q = b.constScanLine(y);
        for (int x = 0; x < a.width(); ++x)
            far += std::abs(int(p[x]) - int(q[x])) > by ? 1 : 0;
    }
    return double(far) / (qint64(a.width()) * a.height());
}

// The same rules in any order, to half a layout unit.
bool sameRules(QList<QLineF> a, QList<QLineF> b)
{
    if (a.size() != b.size())
        return false;
    const auto order = [](const QLineF& l, const QLineF& m) {
        return std::tuple(qRound64(l.y1()), qRound64(l.x1()), qRound64(l.y2()), qRound64(l.x2()))
            < std::tuple(qRound64(m.y1()), qRound64(m.x1()), qRound64(m.y2()), qRound64(m.x2()));
    };
    std::sort(a.begin(), a.end(), order);
    std::sort(b.begin(), b.end(), order);
    for (qsizetype i = 0; i < a.size(); ++i) {
        if ((a[i].p1() - b[i].p1()).manhattanLength() > 0.5 || (a[i].p2() - b[i].p2()).manhattanLength() > 0.5)
            return false;
    }
    return true;
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

class TestReportPages : public QObject {
    Q_OBJECT
private slots:
    void piecesBreakAsOneDocument_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("mixed");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addColumn<int>("pagesPerPiece");
        QTest::addColumn<bool>("monoHeading");   // the heading in a font of one width, rows of narrow and wide letters
        QTest::newRow("rows of one line") << 400 << false << 0 << 0 << 3 << false;
        QTest::newRow("rows of several lines") << 300 << true << 0 << 0 << 2 << false;
        QTest::newRow("a page of text before the table") << 200 << true << 70 << 0 << 1 << false;
        QTest::newRow("the table starts low on its page") << 200 << false << 55 << 0 << 2 << false;
        QTest::newRow("the table starts at the foot") << 200 << false << 62 << 0 << 2 << false;
        QTest::newRow("pages of text after the table") << 250 << true << 5 << 150 << 4 << false;
        // The widest cells are found by the rows' font, not by the heading's.
        QTest::newRow("a heading in another font than the rows") << 300 << false << 0 << 0 << 3 << true;
    }

    void piecesBreakAsOneDocument()
    {
        QFETCH(int, count);
        QFETCH(bool, mixed);
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(int, pagesPerPiece);
        QFETCH(bool, monoHeading);
        const QString style = monoHeading ? QStringLiteral(" th { font-family: \"DejaVu Sans Mono\"; }") : QString();
        const report::RenderedReport r = tableReport(rows(count, mixed, monoHeading), before, after, style);
        report::PagingOptions whole;
        whole.piecesFromRows = count + 1;
        report::PagingOptions pieces;
        pieces.piecesFromRows = 2;
        pieces.firstPieceRows = 7;
        pieces.pagesPerPiece = pagesPerPiece;
        const report::ReportPages one(r, whole);
        const report::ReportPages cut(r, pieces);
        QVERIFY(!one.inPieces());
        QVERIFY(cut.inPieces());
        QVERIFY(one.pageCount() > 3);
        QCOMPARE(cut.pageCount(), one.pageCount());
        for (int page = 0; page < one.pageCount(); ++page) {
            QCOMPARE(cut.pageText(page), one.pageText(page));
            const double apart = farApart(pageImage(cut, page), pageImage(one, page));
            QVERIFY2(apart < 0.001, qPrintable(QStringLiteral("page %1: %2 of the pixels differ").arg(page + 1).arg(apart)));
            QVERIFY2(sameRules(cut.rules(page), one.rules(page)), qPrintable(QStringLiteral("rules of page %1").arg(page + 1)));
        }
    }

    // The pages draw the cells of the run's table themselves; they look as the text layout
    // draws them (backgrounds of the heading, bold, right-aligned amounts, text of any length).
    void runCellsLookAsTheLayoutDrawsThem_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("mixed");
        QTest::addColumn<bool>("anyText");
        QTest::newRow("one document") << 90 << true << false;
        QTest::newRow("one document, rows copied from the first") << 90 << false << true;
        QTest::newRow("pieces") << 400 << false << false;
        QTest::newRow("pieces of any text") << 400 << false << true;
    }

    void runCellsLookAsTheLayoutDrawsThem()
    {
        QFETCH(int, count);
        QFETCH(bool, mixed);
        QFETCH(bool, anyText);
        const report::RenderedReport r
            = tableReport(anyText ? rowsOfAnyText(count) : rows(count, mixed, false, mixed), 3, 2);
        report::RenderedReport unmarked = r;
        unmarked.rowStarts.clear();   // no run: the text layout draws every cell
        report::PagingOptions whole;
        whole.piecesFromRows = 100000;
        report::PagingOptions pieces;
        pieces.piecesFromRows = 2;
        pieces.pagesPerPiece = 2;
        const report::ReportPages own(r, count > 100 ? pieces : whole);
        const report::ReportPages layoutDrawn(unmarked, whole);
        QCOMPARE(own.inPieces(), count > 100);
        QCOMPARE(own.pageCount(), layoutDrawn.pageCount());
        for (int page = 0; page < own.pageCount(); ++page) {
            QCOMPARE(own.pageText(page), layoutDrawn.pageText(page));
            const double apart = farApart(pageImage(own, page, 150), pageImage(layoutDrawn, page, 150), 16);
            // A background's edge that falls right between two pixels may round either way.
            QVERIFY2(apart < 0.002, qPrintable(QStringLiteral("page %1: %2 of the pixels differ").arg(page + 1).arg(apart)));
            QVERIFY(sameRules(own.rules(page), layoutDrawn.rules(page)));
        }
    }

    // A bordered table is ruled by the pages: a line above every row and below the last one on
    // the page, the cells' edges (a cell spanning two columns has no edge between them), the
    // heading again on top of a continued page; a table without border has no rules.
    void borderedTablesAreRuled()
    {
        const report::RenderedReport r = tableReport(rows(90, false), 0, 0);
        report::PagingOptions whole;
        whole.piecesFromRows = 1000;
        const report::ReportPages pages(r, whole);
        QVERIFY(pages.pageCount() >= 2);
        QList<qreal> columnEdges;
        for (int page = 0; page < pages.pageCount(); ++page) {
            const QList<QLineF> rules = pages.rules(page);
            QVERIFY(!rules.isEmpty());
            QSet<qint64> across;       // heights of the horizontal rules
            QSet<qint64> down;         // places of the vertical ones
            for (const QLineF& line : rules) {
                QVERIFY(line.y1() >= -1 && line.y2() <= pages.paintSize().height() + 1);
                QVERIFY(line.x1() >= -1 && line.x2() <= pages.paintSize().width() + 1);
                if (line.y1() == line.y2())
                    across.insert(qRound64(line.y1()));
                else
                    down.insert(qRound64(line.x1()));
            }
            // Rows that begin on the page: a tax id of the list, the total, and the heading.
            const QStringList texts = pages.pageText(page).split(QLatin1Char('\n'));
            const int listed = int(std::count_if(texts.begin(), texts.end(), [](const QString& t) {
                return t.startsWith(QLatin1String("500"));
            }));
            const int total = texts.contains(QStringLiteral("Total")) ? 1 : 0;
            QCOMPARE(across.size(), listed + total + 1 /* heading */ + 1 /* the last row's foot */);
            QCOMPARE(down.size(), 4);   // three columns and the right edge
            QList<qreal> edges;
            for (const qint64 x : down)
                edges << qreal(x);
            std::sort(edges.begin(), edges.end());
            if (page == 0)
                columnEdges = edges;
            QCOMPARE(edges, columnEdges);
            // On top of a continued page stands the heading's rule, at the top of the body.
            if (page > 0)
                QVERIFY2(*std::min_element(across.begin(), across.end()) < pages.paintSize().height() / 20,
                         qPrintable(QString::number(*std::min_element(across.begin(), across.end()))));
        }
        // The total's cell spans the first two columns: no edge between them on its row.
        const QList<QLineF> last = pages.rules(pages.pageCount() - 1);
        const qreal foot = std::max_element(last.begin(), last.end(), [](const QLineF& a, const QLineF& b) {
                               return a.y2() < b.y2();
                           })->y2();
        const int edgesOfTheTotal = int(std::count_if(last.begin(), last.end(), [&](const QLineF& l) {
            return l.x1() == l.x2() && std::abs(l.y2() - foot) < 0.5;
        }));
        QCOMPARE(edgesOfTheTotal, 3);

        report::RenderedReport plain = r;
        plain.html.replace(QStringLiteral("border=\"1\""), QStringLiteral("border=\"0\""));
        const report::ReportPages unruled(plain, whole);
        for (int page = 0; page < unruled.pageCount(); ++page)
            QVERIFY(unruled.rules(page).isEmpty());
    }

    // Wherever the table begins on its page (high, low, right at the foot so that it moves on
    // whole), the pieces keep the pages.
    void tableStartingAnywhereOnItsPage()
    {
        for (int before = 40; before <= 72; before += 2) {
            const report::RenderedReport r = tableReport(rows(120, before % 4 == 0), before, 3);
            report::PagingOptions whole;
            whole.piecesFromRows = 1000;
            report::PagingOptions pieces;
            pieces.piecesFromRows = 2;
            pieces.firstPieceRows = 5;
            pieces.pagesPerPiece = 1;
            const report::ReportPages one(r, whole);
            const report::ReportPages cut(r, pieces);
            QVERIFY(cut.inPieces());
            QCOMPARE(cut.pageCount(), one.pageCount());
            for (int page = 0; page < one.pageCount(); ++page)
                QVERIFY2(cut.pageText(page) == one.pageText(page),
                         qPrintable(QStringLiteral("%1 paragraphs before, page %2").arg(before).arg(page + 1)));
        }
    }

    // Written to PDF, every page has its number and the table's heading.
    void everyPageCarriesItsNumberAndHeading()
    {
        const report::ReportPages pages(tableReport(rows(300, false), 0, 0));
        QVERIFY(pages.inPieces());
        QVERIFY(pages.pageCount() > 3);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("planilla.pdf"));
        QString cause;
        QVERIFY2(report::writePdf(pages, pdf, &cause), qPrintable(cause));
        if (!support::canReadPdfText())
            QSKIP("pdftotext is not installed (scripts/setup installs poppler-utils)");
        const std::optional<QString> read = support::pdfText(pdf);
        QVERIFY(read);
        const QString text = *read;
        for (int page = 1; page <= pages.pageCount(); ++page)
            QVERIFY2(text.contains(QStringLiteral("Página %1 de %2").arg(page).arg(pages.pageCount())), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("5000299")));
        QCOMPARE(text.count(QStringLiteral("NIT")), pages.pageCount());   // the heading on top of every page
    }

    // A printer of another resolution gets the same pages, drawn to its scale.
    void aPrinterOfAnotherResolutionGetsTheSamePages()
    {
        const report::ReportPages pages(tableReport(rows(250, true), 0, 0));
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("impreso.pdf"));
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out);
        printer.setResolution(300);
        printer.setPageLayout(pages.pageLayout());
        QVERIFY(pages.paint(&printer));
        if (!support::canReadPdfText())
            QSKIP("pdftotext is not installed (scripts/setup installs poppler-utils)");
        const std::optional<QString> read = support::pdfText(out);
        QVERIFY(read);
        const QString text = *read;
        QCOMPARE(text.count(QLatin1Char('\f')), pages.pageCount());
        QVERIFY(text.contains(QStringLiteral("Página %1 de %1").arg(pages.pageCount())));
        QVERIFY(text.contains(QStringLiteral("5000249")));
    }

    void writingReplacesAnOlderFileWhole()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("salida.pdf"));
        {
            QFile older(pdf);
            QVERIFY(older.open(QIODevice::WriteOnly));
            older.write(QByteArray(50000, 'x'));
        }
        const report::ReportPages pages(tableReport(rows(30, false), 0, 0));
        QString cause;
        QVERIFY2(report::writePdf(pages, pdf, &cause), qPrintable(cause));
        QVERIFY(bytesOf(pdf).startsWith("%PDF"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("salida.pdf")});
    }

    // A write that fails half-way (here: a file-size limit, as a full disk does) leaves the older
    // file as it was and no temporary file, and says so; the preview reports it.
    void failedWriteKeepsTheOlderFile()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("salida.pdf"));
        const QByteArray older = QByteArray("%PDF-older ") + QByteArray(30000, 'o');
        {
            QFile file(pdf);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(older);
        }
        const report::RenderedReport r = tableReport(rows(120, false), 0, 0);
        const report::ReportPages pages(r);
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            // No file may grow past 8 KB: the write fails with EFBIG instead of a signal.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit {8192, 8192};
            setrlimit(RLIMIT_FSIZE, &limit);
            int code = 0;
            QString cause;
            if (report::writePdf(pages, pdf, &cause))
                code |= 1;
            if (!cause.startsWith(QStringLiteral("no se puede escribir el archivo")))
                code |= 2;
            support::ScriptedDialogs dialogs;
            dialogs.setReportErrors(false);
            dialogs.expectSaveFile(pdf).expectMsgBox(ui::vbOK);
            report::ReportPreview preview(r);
            if (preview.exportPdf())
                code |= 4;
            if (dialogs.calls().size() != 2
                || !dialogs.calls().at(1).prompt.startsWith(QStringLiteral("No se puede guardar el PDF: no se puede escribir")))
                code |= 8;
            _exit(code);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(bytesOf(pdf), older);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("salida.pdf")});
    }

    void aFolderThatTakesNoFileIsReported()
    {
        const report::ReportPages pages(tableReport(rows(3, false), 0, 0));
        QTemporaryDir dir;
        QString cause;
        QVERIFY(!report::writePdf(pages, dir.filePath(QStringLiteral("no/such/folder/x.pdf")), &cause));
        QVERIFY(cause.startsWith(QStringLiteral("no se puede escribir")));
    }
};

QTEST_MAIN(TestReportPages)
#include "test_report_pages.moc"
