#pragma once
// The preview window of a report: its pages with navigation and zoom, "Imprimir" (the desktop's
// print dialog) and "Exportar a PDF" (a save dialog of the dialog service). Each start opens a
// window of its own, so several previews may stay open; each deletes itself when closed.
#include "platform/report/report_template.h"

#include <QMainWindow>
#include <memory>

class QLabel;
class QPrintPreviewWidget;
class QPrinter;
class QTextDocument;

namespace report {

class ReportPreview : public QMainWindow {
    Q_OBJECT
public:
    explicit ReportPreview(const RenderedReport& report, QWidget* parent = nullptr);
    ~ReportPreview() override;

    QPrintPreviewWidget* view() const { return view_; }
    int pageCount() const;
    int currentPage() const;

    // What the buttons do.
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void zoomIn();
    void zoomOut();
    void fitWidth();
    void print();
    // Asks for a file name and writes the PDF; false when cancelled or not written.
    bool exportPdf();

private:
    void paint(QPrinter* printer);
    void updatePageLabel();

    RenderedReport report_;
    std::unique_ptr<QTextDocument> document_;
    std::unique_ptr<QPrinter> printer_;
    QPrintPreviewWidget* view_ = nullptr;
    QLabel* pageLabel_ = nullptr;
};

// Opens a preview window for the report: state 2 maximised, 1 minimised, else normal.
ReportPreview* showPreview(const RenderedReport& report, int windowState);

} // namespace report
