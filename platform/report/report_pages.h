#pragma once
// The pages of a rendered report, laid out once at printer resolution and painted from there on
// the preview, on a printer and into a PDF file. Each page carries "Página n de m" at its foot.
//
// A long run of table rows (RenderedReport::rowStarts) is not laid out as one table: a document
// holding the whole of it grows slower than its rows do, in time and in memory. The rows go into
// documents of a few pages each that repeat the table's head (its opening, its heading rows and
// the page's style) and carry the column widths the whole table would have had; every page of a
// piece but its last is final, and the next piece starts with the first row of that last page.
// The pages come out as one document would have broken them: the same rows on each page, the
// heading repeated on top, the same stretch of a page's last row.
//
// The borders of a table (border="n") are the pages' own rules, drawn after the text: a thin line
// round every cell where the layout left room for its border, on the heading a table repeats on
// top of a continued page too. The text layout draws none of them (its raised borders cost the
// painter a change of state for every side of every cell).
#include "platform/report/report_template.h"

#include <QLineF>
#include <QList>
#include <QPageLayout>
#include <QSizeF>
#include <QString>
#include <functional>
#include <memory>

class QPainter;
class QPagedPaintDevice;

namespace report {

struct PagingOptions {
    // A run of this many rows or more is laid out in pieces.
    int piecesFromRows = 200;
    // The pages a piece aims at (its rows are guessed from the pages before).
    int pagesPerPiece = 12;
    // The rows of the first piece.
    int firstPieceRows = 150;
};

class ReportPages {
public:
    // Layout units: pixels at this resolution (the resolution of PDF files).
    static constexpr int kResolution = 1200;

    // Lays out the report. progress, when given, is called now and then while it works.
    explicit ReportPages(const RenderedReport& report, const PagingOptions& options = {},
                         const std::function<void()>& progress = {});
    ~ReportPages();
    ReportPages(const ReportPages&) = delete;
    ReportPages& operator=(const ReportPages&) = delete;

    QString title() const;
    QPageLayout pageLayout() const;
    int pageCount() const;
    // The paint rectangle of a page (inside the margins), in layout units.
    QSizeF paintSize() const;
    // Draws a page (0 first) with its foot; the painter's origin is the top left of the paint
    // rectangle and its unit the layout unit.
    void drawPage(QPainter& painter, int page) const;
    // Paints every page on a printer or a PDF writer whose page layout is set. False when the
    // device cannot be painted on.
    bool paint(QPagedPaintDevice* device, const std::function<void()>& progress = {}) const;

    // Whether the run of rows was laid out in pieces.
    bool inPieces() const;
    // The texts of the paragraphs that begin on a page, one a line, in order (for the tests).
    QString pageText(int page) const;
    // The rules of a page, in layout units from the top left of its body (for the tests).
    QList<QLineF> rules(int page) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Writes the pages as a PDF file: into a temporary file in the same folder, which replaces
// fileName only once every byte of it is written. False (and *cause, in Spanish) on any failure;
// an older file of that name then stays as it was, and no temporary file remains.
// progress, when given, is called after each page.
bool writePdf(const ReportPages& pages, const QString& fileName, QString* cause = nullptr,
              const std::function<void()>& progress = {});

} // namespace report
