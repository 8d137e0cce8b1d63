#include "core/frm_reporte.h"

#include "ui_frm_reporte.h"

#include "platform/system/app_info.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/sizing.h"

#include <QFile>
#include <QLayout>
#include <QListWidget>
#include <QScreen>
#include <QStyle>
#include <QStringDecoder>

frmReporte::frmReporte(QWidget* parent)
    : ui::Form(parent), ui_(std::make_unique<Ui::frmReporte>())
{
    ui_->setupUi(this);
    Lista = ui_->Lista;
    cmdOk = ui_->cmdOk;
    onClick(cmdOk, [this] { cmdOk_Click(); });
}

frmReporte::~frmReporte() = default;

void frmReporte::cmdOk_Click()
{
    Unload();
}

void frmReporte::fitToLines()
{
    ensurePolished();
    const QFontMetrics metrics = Lista->fontMetrics();
    int widest = 0;
    for (int i = 0; i < Lista->count(); ++i)
        widest = qMax(widest, metrics.horizontalAdvance(Lista->item(i)->text()));
    // Around the text: the item's margins, the list's frame and vertical scroll bar, the form's
    // margins.
    QStyle* look = Lista->style();
    const int itemMargins = 2 * (look->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, Lista) + 1) + 2;
    const int listExtra = 2 * Lista->frameWidth() + look->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Lista);
    const QMargins margins = layout() ? layout()->contentsMargins() : QMargins();
    const int width = widest + itemMargins + listExtra + margins.left() + margins.right();
    const QScreen* screen = this->screen();
    const int tall = screen ? screen->availableGeometry().height() * 2 / 3 : height();
    ui::placeOnScreen(this, QSize(qMax(width, minimumSizeHint().width()), qMax(height(), tall)));
}

QStringList licenceLines(const QByteArray& text)
{
    // The file is UTF-8; a byte-order mark at its start is dropped by the decoder.
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString content = decode(text);
    QStringList lines;
    QString line;
    bool open = false;   // characters read since the last line end
    for (qsizetype i = 0; i < content.size(); ++i) {
        const QChar c = content.at(i);
        if (c == QLatin1Char('\r')) {
            lines << line;
            line.clear();
            open = false;
            if (i + 1 < content.size() && content.at(i + 1) == QLatin1Char('\n'))
                ++i;
            continue;
        }
        line += c;
        open = true;
    }
    if (open)
        lines << line;
    return lines;
}

bool MuestraLicencia(const std::function<void()>& beforeShow)
{
    const QString path = sys::appPath() + QStringLiteral("/licencia.txt");
    QFile file(path);
    // A file that is there but cannot be read is as good as missing to the user.
    if (!sys::fileExists(path) || !file.open(QIODevice::ReadOnly)) {
        ui::MsgBox(QStringLiteral(" Archivo de licencia no encontrado..."), ui::vbInformation, QStringLiteral(" ZAL..."));
        return false;
    }
    const QStringList lines = licenceLines(file.readAll());
    file.close();

    auto viewer = std::make_unique<frmReporte>();
    for (const QString& line : lines)
        viewer->Lista->addItem(line);
    viewer->setWindowTitle(QStringLiteral(" Licencia(EULA) Planilla EKO(ZAL)..."));
    viewer->fitToLines();
    if (beforeShow)
        beforeShow();
    viewer->showModal();
    return true;
}
