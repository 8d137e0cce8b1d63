#pragma once
// The preview window of a report: its pages with navigation and zoom, "Imprimir" (the desktop's
// print dialog) and "Exportar a PDF" (a save dialog of the dialog service). Each start opens a
// window of its own, so several previews may stay open; each deletes itself when closed.
//
// The pages are laid out once, when the window is made (report_pages.h); the window draws only
// the pages in sight, and the print and the PDF are painted from the same pages.
#include "platform/report/report_pages.h"
#include "platform/report/report_template.h"

#include <QMainWindow>
#include <memory>

class QLabel;
class QPrinter;

namespace report {

class PageView;

class ReportPreview : public QMainWindow {
    Q_OBJECT
public:
    explicit ReportPreview(const RenderedReport& report, QWidget* parent = nullptr);
    ~ReportPreview() override;

    const ReportPages& pages() const { return *pages_; }
    int pageCount() const;
    int currentPage() const;       // 1 first
    qreal zoomFactor() const;      // 1: the page at its size on the screen

    // What the buttons do.
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void zoomIn();
    void zoomOut();
    void fitWidth();
    void print();
    // Asks for a file name and writes the PDF; false when cancelled or not written (a failure
    // is reported in a message). The dialog offers the template's file name in the folder a PDF
    // was last written to (else the user's documents); once written, the status line says where.
    bool exportPdf();
    QString suggestedPdfPath() const;
    QString statusText() const;

private:
    void updatePageLabel();

    std::unique_ptr<ReportPages> pages_;
    std::unique_ptr<QPrinter> printer_;
    PageView* view_ = nullptr;
    QLabel* pageLabel_ = nullptr;
    QString fileName_;
};

// The folder a PDF is offered in: the one last written to, else the user's documents folder.
QString pdfFolder();

// Opens a preview window for the report: state 2 maximised, 1 minimised, else normal.
ReportPreview* showPreview(const RenderedReport& report, int windowState);

} // namespace report
