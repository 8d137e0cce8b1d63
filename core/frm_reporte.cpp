#include "core/frm_reporte.h"

#include "ui_frm_reporte.h"

#include "platform/system/app_info.h"
#include "platform/ui/dialogs.h"

#include <QFile>
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
    if (beforeShow)
        beforeShow();
    viewer->showModal();
    return true;
}
