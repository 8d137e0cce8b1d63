#include "platform/report/report_preview.h"

#include "platform/system/busy.h"
#include "platform/system/settings.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/sizing.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>
#include <cmath>
#include <functional>
#include <list>

namespace report {

// The pages one below the other on a grey ground, each drawn when it comes into sight (the few
// last drawn are kept), at a zoom that fits the page's width to the window until the user zooms.
class PageView : public QAbstractScrollArea {
public:
    PageView(const ReportPages& pages, QWidget* parent) : QAbstractScrollArea(parent), pages_(pages)
    {
        setObjectName(QStringLiteral("pageView"));
        setFocusPolicy(Qt::StrongFocus);
        viewport()->setAutoFillBackground(false);
        const QPageLayout layout = pages.pageLayout();
        paper_ = layout.fullRectPixels(ReportPages::kResolution).size();
        offset_ = layout.paintRectPixels(ReportPages::kResolution).topLeft();
    }

    std::function<void()> moved;

    qreal zoom() const { return zoom_; }

    void setZoom(qreal zoom)
    {
        const int page = currentPage();
        fitting_ = false;
        zoom_ = std::clamp(zoom, 0.1, 8.0);
        relayout();
        showPage(page);
    }

    void fitWidth()
    {
        const int page = currentPage();
        fitting_ = true;
        relayout();
        showPage(page);
    }

    // The page at the top of the view (0 first).
    int currentPage() const
    {
        const int pitch = pageSize().height() + kGap;
        const int last = std::max(0, pages_.pageCount() - 1);
        const QScrollBar* bar = verticalScrollBar();
        // At the end of the pages the last one counts as soon as its top is in sight.
        if (bar->value() == bar->maximum() && kGap + last * pitch <= bar->value() + viewport()->height())
            return last;
        const int y = bar->value() + viewport()->height() / 4;
        return std::clamp(y / std::max(1, pitch), 0, last);
    }

    void showPage(int page)
    {
        page = std::clamp(page, 0, std::max(0, pages_.pageCount() - 1));
        verticalScrollBar()->setValue(page * (pageSize().height() + kGap));
        viewport()->update();
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QAbstractScrollArea::resizeEvent(event);
        const int page = currentPage();
        relayout();
        if (fitting_)
            showPage(page);
    }

    void scrollContentsBy(int, int) override
    {
        viewport()->update();
        if (moved)
            moved();
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(viewport());
        painter.fillRect(viewport()->rect(), QColor(0x80, 0x80, 0x80));
        const QSize size = pageSize();
        const int pitch = size.height() + kGap;
        const int x = std::max(kGap, (viewport()->width() - size.width()) / 2) - horizontalScrollBar()->value();
        const int top = verticalScrollBar()->value();
        const int first = std::max(0, (top - kGap) / std::max(1, pitch));
        for (int page = first; page < pages_.pageCount(); ++page) {
            const int y = kGap + page * pitch - top;
            if (y > viewport()->height())
                break;
            const QRect rect(QPoint(x, y), size);
            painter.fillRect(rect.translated(3, 3), QColor(0x40, 0x40, 0x40));
            painter.drawImage(rect.topLeft(), image(page, size));
        }
    }

private:
    static constexpr int kGap = 12;

    qreal pixelsPerUnit() const { return zoom_ * logicalDpiX() / ReportPages::kResolution; }

    QSize pageSize() const
    {
        return QSize(std::max(1, int(std::lround(paper_.width() * pixelsPerUnit()))),
                     std::max(1, int(std::lround(paper_.height() * pixelsPerUnit()))));
    }

    void relayout()
    {
        if (fitting_) {
            const int room = std::max(50, viewport()->width() - 2 * kGap);
            zoom_ = room / (paper_.width() * qreal(logicalDpiX()) / ReportPages::kResolution);
        }
        cache_.clear();
        const QSize size = pageSize();
        const int height = kGap + pages_.pageCount() * (size.height() + kGap);
        verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
        verticalScrollBar()->setPageStep(viewport()->height());
        verticalScrollBar()->setSingleStep(std::max(1, size.height() / 20));
        horizontalScrollBar()->setRange(0, std::max(0, size.width() + 2 * kGap - viewport()->width()));
        horizontalScrollBar()->setPageStep(viewport()->width());
        viewport()->update();
    }

    const QImage& image(int page, const QSize& size)
    {
        for (auto it = cache_.begin(); it != cache_.end(); ++it) {
            if (it->first == page && it->second.size() == size) {
                cache_.splice(cache_.begin(), cache_, it);
                return cache_.front().second;
            }
        }
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(Qt::white);
        {
            QPainter painter(&picture);
            painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
            painter.scale(pixelsPerUnit(), pixelsPerUnit());
            painter.translate(offset_);
            pages_.drawPage(painter, page);
        }
        cache_.emplace_front(page, std::move(picture));
        if (cache_.size() > 8)
            cache_.pop_back();
        return cache_.front().second;
    }

    const ReportPages& pages_;
    QSizeF paper_;
    QPointF offset_;
    qreal zoom_ = 1;
    bool fitting_ = true;
    std::list<std::pair<int, QImage>> cache_;
};

ReportPreview::ReportPreview(const RenderedReport& report, QWidget* parent)
    : QMainWindow(parent), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    {
        // A long report takes a while to lay out: the hourglass, and the windows keep repainting.
        sys::BusyScope busy;
        pages_ = std::make_unique<ReportPages>(report, PagingOptions(), [] { sys::keepResponsive(); });
    }
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(report.title.trimmed().isEmpty() ? QStringLiteral("ZAL") : report.title);
    fileName_ = report.fileName;
    printer_->setPageLayout(report.layout);
    // The print dialog offers the document name as a file name: no separators in it.
    QString docName = report.title.simplified();
    docName.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|]")), QStringLiteral("-"));
    printer_->setDocName(docName.isEmpty() ? QStringLiteral("reporte") : docName);

    view_ = new PageView(*pages_, this);
    setCentralWidget(view_);
    view_->moved = [this] { updatePageLabel(); };

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

    // A preview never keeps the program running once the main window is closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    ui::placeOnScreen(this, 0.85);
    updatePageLabel();
}

ReportPreview::~ReportPreview() = default;

int ReportPreview::pageCount() const
{
    return pages_->pageCount();
}

int ReportPreview::currentPage() const
{
    return pageCount() == 0 ? 0 : view_->currentPage() + 1;
}

qreal ReportPreview::zoomFactor() const
{
    return view_->zoom();
}

void ReportPreview::updatePageLabel()
{
    pageLabel_->setText(QStringLiteral("Página %1 de %2").arg(currentPage()).arg(pageCount()));
}

void ReportPreview::firstPage()
{
    view_->showPage(0);
    updatePageLabel();
}

void ReportPreview::previousPage()
{
    view_->showPage(currentPage() - 2);
    updatePageLabel();
}

void ReportPreview::nextPage()
{
    view_->showPage(currentPage());
    updatePageLabel();
}

void ReportPreview::lastPage()
{
    view_->showPage(pageCount() - 1);
    updatePageLabel();
}

void ReportPreview::zoomIn()
{
    view_->setZoom(view_->zoom() * 1.25);
    updatePageLabel();
}

void ReportPreview::zoomOut()
{
    view_->setZoom(view_->zoom() / 1.25);
    updatePageLabel();
}

void ReportPreview::fitWidth()
{
    view_->fitWidth();
    updatePageLabel();
}

void ReportPreview::print()
{
    QPrintDialog dialog(printer_.get(), this);
    dialog.setWindowTitle(QStringLiteral("Imprimir"));
    if (dialog.exec() == QDialog::Accepted) {
        sys::BusyScope busy;
        if (!pages_->paint(printer_.get(), [] { sys::keepResponsive(); }))
            ui::MsgBox(QStringLiteral("No se puede imprimir el reporte."), ui::vbCritical);
    }
}

namespace {
const QString kPdfSection = QStringLiteral("Vista previa");
const QString kPdfFolderKey = QStringLiteral("CarpetaPDF");
QString settingsApplication()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("ZAL") : name;
}
} // namespace

QString pdfFolder()
{
    const QString last = sys::getSetting(settingsApplication(), kPdfSection, kPdfFolderKey);
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return QDir::toNativeSeparators(last);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return QDir::toNativeSeparators(documents);
    return QDir::toNativeSeparators(QDir::homePath());
}

QString ReportPreview::suggestedPdfPath() const
{
    const QString name = (fileName_.isEmpty() ? QStringLiteral("reporte") : fileName_) + QStringLiteral(".pdf");
    return QDir::toNativeSeparators(QDir(QDir::fromNativeSeparators(pdfFolder())).filePath(name));
}

bool ReportPreview::exportPdf()
{
    ui::OpenFileOptions options;
    options.title = QStringLiteral("Exportar a PDF");
    options.filter = QStringLiteral("Documento PDF|*.pdf");
    options.initialFolder = pdfFolder();
    options.fileName = suggestedPdfPath();
    QString path = ui::SaveFile(options);
    if (path.isEmpty())
        return false;
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        path += QLatin1String(".pdf");
    QString cause;
    bool written = false;
    {
        sys::BusyScope busy;
        written = writePdf(*pages_, path, &cause, [] { sys::keepResponsive(); });
    }
    if (!written) {
        ui::MsgBox(QStringLiteral("No se puede guardar el PDF: %1.").arg(cause), ui::vbCritical);
        return false;
    }
    const QFileInfo file(QDir::fromNativeSeparators(path));
    sys::saveSetting(settingsApplication(), kPdfSection, kPdfFolderKey, QDir::toNativeSeparators(file.absolutePath()));
    statusBar()->showMessage(QStringLiteral("PDF guardado en %1").arg(QDir::toNativeSeparators(file.absoluteFilePath())));
    return true;
}

QString ReportPreview::statusText() const
{
    return statusBar()->currentMessage();
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
