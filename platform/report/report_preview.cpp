#include "platform/report/report_preview.h"

#include "platform/ui/dialogs.h"
#include "platform/ui/sizing.h"

#include <QAction>
#include <QLabel>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextDocument>
#include <QToolBar>

namespace report {

ReportPreview::ReportPreview(const RenderedReport& report, QWidget* parent)
    : QMainWindow(parent), report_(report), document_(report.document()),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(report.title.trimmed().isEmpty() ? QStringLiteral("ZAL") : report.title);
    printer_->setPageLayout(report.layout);
    // The print dialog offers the document name as a file name: no separators in it.
    QString docName = report.title.simplified();
    docName.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|]")), QStringLiteral("-"));
    printer_->setDocName(docName.isEmpty() ? QStringLiteral("reporte") : docName);

    view_ = new QPrintPreviewWidget(printer_.get(), this);
    setCentralWidget(view_);
    connect(view_, &QPrintPreviewWidget::paintRequested, this, &ReportPreview::paint);
    connect(view_, &QPrintPreviewWidget::previewChanged, this, &ReportPreview::updatePageLabel);

    QToolBar* bar = addToolBar(QStringLiteral("Vista previa"));
    bar->setObjectName(QStringLiteral("tbPreview"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto add = [&](const QString& name, const QString& text, const QKeySequence& key, auto slot) {
        QAction* action = bar->addAction(text);
        action->setObjectName(name);
        if (!key.isEmpty())
            action->setShortcut(key);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    add(QStringLiteral("actPrimera"), QStringLiteral("|<"), QKeySequence(Qt::Key_Home), &ReportPreview::firstPage)
        ->setToolTip(QStringLiteral("Primera página"));
    add(QStringLiteral("actAnterior"), QStringLiteral("<"), QKeySequence(Qt::Key_PageUp), &ReportPreview::previousPage)
        ->setToolTip(QStringLiteral("Página anterior"));
    pageLabel_ = new QLabel(this);
    pageLabel_->setObjectName(QStringLiteral("lblPagina"));
    pageLabel_->setMinimumWidth(130);
    pageLabel_->setAlignment(Qt::AlignCenter);
    bar->addWidget(pageLabel_);
    add(QStringLiteral("actSiguiente"), QStringLiteral(">"), QKeySequence(Qt::Key_PageDown), &ReportPreview::nextPage)
        ->setToolTip(QStringLiteral("Página siguiente"));
    add(QStringLiteral("actUltima"), QStringLiteral(">|"), QKeySequence(Qt::Key_End), &ReportPreview::lastPage)
        ->setToolTip(QStringLiteral("Última página"));
    bar->addSeparator();
    add(QStringLiteral("actAcercar"), QStringLiteral("Acercar"), QKeySequence(QKeySequence::ZoomIn), &ReportPreview::zoomIn);
    add(QStringLiteral("actAlejar"), QStringLiteral("Alejar"), QKeySequence(QKeySequence::ZoomOut), &ReportPreview::zoomOut);
    add(QStringLiteral("actAjustar"), QStringLiteral("Ajustar al ancho"), QKeySequence(), &ReportPreview::fitWidth);
    bar->addSeparator();
    add(QStringLiteral("actImprimir"), QStringLiteral("Imprimir"), QKeySequence(QKeySequence::Print), &ReportPreview::print);
    add(QStringLiteral("actExportar"), QStringLiteral("Exportar a PDF"), QKeySequence(),
        [this] { exportPdf(); });
    bar->addSeparator();
    add(QStringLiteral("actCerrar"), QStringLiteral("Cerrar"), QKeySequence(Qt::Key_Escape), &QWidget::close);

    view_->setZoomMode(QPrintPreviewWidget::FitToWidth);
    // A preview never keeps the program running once the main window is closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    ui::placeOnScreen(this, 0.85);
    updatePageLabel();
}

ReportPreview::~ReportPreview() = default;

void ReportPreview::paint(QPrinter* printer)
{
    paintPages(*document_, printer);
}

int ReportPreview::pageCount() const
{
    return view_->pageCount();
}

int ReportPreview::currentPage() const
{
    return view_->currentPage();
}

void ReportPreview::updatePageLabel()
{
    pageLabel_->setText(QStringLiteral("Página %1 de %2").arg(view_->currentPage()).arg(view_->pageCount()));
}

void ReportPreview::firstPage()
{
    view_->setCurrentPage(1);
    updatePageLabel();
}

void ReportPreview::previousPage()
{
    view_->setCurrentPage(qMax(1, view_->currentPage() - 1));
    updatePageLabel();
}

void ReportPreview::nextPage()
{
    view_->setCurrentPage(qMin(view_->pageCount(), view_->currentPage() + 1));
    updatePageLabel();
}

void ReportPreview::lastPage()
{
    view_->setCurrentPage(view_->pageCount());
    updatePageLabel();
}

void ReportPreview::zoomIn()
{
    view_->zoomIn();
}

void ReportPreview::zoomOut()
{
    view_->zoomOut();
}

void ReportPreview::fitWidth()
{
    view_->fitToWidth();
}

void ReportPreview::print()
{
    QPrintDialog dialog(printer_.get(), this);
    dialog.setWindowTitle(QStringLiteral("Imprimir"));
    if (dialog.exec() == QDialog::Accepted)
        paintPages(*document_, printer_.get());
}

bool ReportPreview::exportPdf()
{
    ui::OpenFileOptions options;
    options.title = QStringLiteral("Exportar a PDF");
    options.filter = QStringLiteral("Documento PDF|*.pdf");
    QString path = ui::SaveFile(options);
    if (path.isEmpty())
        return false;
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        path += QLatin1String(".pdf");
    QString cause;
    if (!report_.writePdf(path, &cause)) {
        ui::MsgBox(QStringLiteral("No se puede guardar el PDF: %1.").arg(cause), ui::vbCritical);
        return false;
    }
    return true;
}

ReportPreview* showPreview(const RenderedReport& report, int windowState)
{
    auto* window = new ReportPreview(report);
    if (windowState == 2)
        window->showMaximized();
    else if (windowState == 1)
        window->showMinimized();
    else
        window->show();
    return window;
}

} // namespace report
