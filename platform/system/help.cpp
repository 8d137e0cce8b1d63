#include "platform/system/help.h"

#include "platform/system/end.h"
#include "platform/ui/sizing.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

namespace sys {
namespace {

bool documentHasAnchor(const QTextDocument* document, const QString& name)
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.charFormat().anchorNames().contains(name))
            return true;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().anchorNames().contains(name))
                return true;
        }
    }
    return false;
}

} // namespace

HelpViewer::HelpViewer() = default;

HelpViewer::~HelpViewer()
{
    // A widget may only be destroyed while the application object exists; the program-wide viewer
    // outlives it and leaves its window to the end of the process.
    if (window_ && QCoreApplication::instance())
        delete window_.data();
}

HelpViewer& HelpViewer::instance()
{
    static HelpViewer viewer;
    return viewer;
}

void HelpViewer::setHelpFile(const QString& path)
{
    helpFile_ = path;
}

void HelpViewer::ensureWindow()
{
    if (window_)
        return;
    window_ = new QWidget(nullptr, Qt::Window);
    window_->setObjectName(QStringLiteral("helpWindow"));
    window_->setWindowTitle(QStringLiteral("Ayuda de ZAL"));
    // The help window alone never keeps the program running.
    window_->setAttribute(Qt::WA_QuitOnClose, false);
    window_->resize(680, 540);
    // Ending the program releases the window while the application still runs; left to the
    // destructor of the program-wide viewer it would be deleted after the application's end.
    sys::onEnd([window = window_] { delete window.data(); });

    browser_ = new QTextBrowser(window_);
    browser_->setObjectName(QStringLiteral("helpText"));
    browser_->setOpenExternalLinks(false);

    auto* contents = new QPushButton(QStringLiteral("&Contenido"), window_);
    contents->setObjectName(QStringLiteral("cmdContenido"));
    auto* back = new QPushButton(QStringLiteral("&Atrás"), window_);
    back->setObjectName(QStringLiteral("cmdAtras"));
    auto* closeButton = new QPushButton(QStringLiteral("C&errar"), window_);
    closeButton->setObjectName(QStringLiteral("cmdCerrar"));
    back->setEnabled(false);

    QObject::connect(contents, &QPushButton::clicked, browser_.data(), [this] { showContents(); });
    QObject::connect(back, &QPushButton::clicked, browser_.data(), &QTextBrowser::backward);
    QObject::connect(browser_.data(), &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    QObject::connect(closeButton, &QPushButton::clicked, window_.data(), &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(window_);
    layout->addLayout(buttons);
    layout->addWidget(browser_);
}

// Puts the help file into the window, reading it again each time so that a replaced file shows.
bool HelpViewer::load()
{
    const QFileInfo info(helpFile_);
    if (helpFile_.isEmpty() || !info.isFile() || !info.isReadable()) {
        browser_->clearHistory();
        browser_->setHtml(QStringLiteral("<h3>Ayuda no disponible</h3><p>No se encuentra el archivo de ayuda:</p><p>")
                          + helpFile_.toHtmlEscaped() + QStringLiteral("</p>"));
        return false;
    }
    const QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    if (browser_->source() == url)
        browser_->reload();
    else
        browser_->setSource(url, QTextDocument::HtmlResource);
    const QString title = browser_->documentTitle();
    window_->setWindowTitle(title.isEmpty() ? QStringLiteral("Ayuda de ZAL") : title);
    return true;
}

bool HelpViewer::showContents()
{
    ensureWindow();
    const bool loaded = load();
    browser_->verticalScrollBar()->setValue(0);
    browser_->horizontalScrollBar()->setValue(0);
    // The first time it opens, the window is centred on the screen like every other window; later
    // it opens where it was last, moved by the user or not.
    if (!window_->isVisible() && !window_->testAttribute(Qt::WA_Moved))
        ui::placeOnScreen(window_, window_->size());
    window_->show();
    window_->raise();
    window_->activateWindow();
    return loaded;
}

bool HelpViewer::showContext(int context)
{
    if (!showContents())
        return false;
    const QString anchor = QString::number(context);
    if (!documentHasAnchor(browser_->document(), anchor))
        return false;
    browser_->scrollToAnchor(anchor);
    return true;
}

void HelpViewer::close()
{
    if (window_)
        window_->close();
}

bool HelpViewer::isOpen() const
{
    return window_ && window_->isVisible();
}

} // namespace sys
