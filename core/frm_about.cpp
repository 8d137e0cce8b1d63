#include "core/frm_about.h"

#include "ui_frm_about.h"

#include "core/frm_reporte.h"
#include "core/mdi_menu.h"
#include "platform/system/app_info.h"
#include "platform/system/clock.h"
#include "platform/system/shell.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/mouse_pointer.h"

#include <QEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

namespace {

// Where the system-information tool is registered (under HKEY_LOCAL_MACHINE).
const QString kRegKeySysInfoLoc = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kRegValSysInfoLoc = QStringLiteral("MSINFO");
const QString kRegKeySysInfo = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kRegValSysInfo = QStringLiteral("PATH");

// Read-control plus query, set, create sub-keys, enumerate, notify and create links.
constexpr quint32 kKeyAllAccess = 0x2003F;
constexpr quint32 kBufferSize = 1024;

} // namespace

const QColor frmAbout::kLinkHot = QColor(255, 255, 0);        // &HFFFF
const QColor frmAbout::kLinkCool = QColor(255, 255, 192);     // &HC0FFFF

frmAbout::frmAbout(QWidget* parent)
    : ui::Form(parent), ui_(std::make_unique<Ui::frmAbout>())
{
    ui_->setupUi(this);
    Image1 = ui_->Image1;
    lblVersion = ui_->lblVersion;
    lblShadow = ui_->lblShadow;
    Label3 = ui_->Label3;
    lblLicense = ui_->lblLicense;
    cmdOk = ui_->cmdOk;
    cmdSysInfo = ui_->cmdSysInfo;

    // A dark face with light text; the version stands out over its shadow.
    setAutoFillBackground(true);
    QPalette face = palette();
    face.setColor(QPalette::Window, QColor(0x1f, 0x3a, 0x5f));
    face.setColor(QPalette::WindowText, Qt::white);
    setPalette(face);
    QFont big = lblVersion->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    lblVersion->setFont(big);
    lblShadow->setFont(big);
    QPalette shadow = lblShadow->palette();
    shadow.setColor(QPalette::WindowText, QColor(0x0a, 0x14, 0x24));
    lblShadow->setPalette(shadow);
    QFont link = lblLicense->font();
    link.setUnderline(true);
    lblLicense->setFont(link);
    setLinkColor(kLinkCool);
    Image1->setPixmap(logo());

    lblLicense->setMouseTracking(true);
    Image1->setMouseTracking(true);
    lblLicense->installEventFilter(this);
    Image1->installEventFilter(this);

    onClick(cmdOk, [this] { cmdOk_Click(); });
    onClick(cmdSysInfo, [this] { cmdSysInfo_Click(); });
    onClick(lblLicense, [this] { lblLicense_Click(); });
}

frmAbout::~frmAbout() = default;

QPixmap frmAbout::logo()
{
    // The program's logo: a sheet of the worksheet with a green tick, drawn here.
    QPixmap pixmap(128, 128);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient paper(0, 0, 0, 128);
    paper.setColorAt(0, QColor(0xfa, 0xfa, 0xf2));
    paper.setColorAt(1, QColor(0xd8, 0xe0, 0xe8));
    p.setPen(QPen(QColor(0x50, 0x60, 0x70), 2));
    p.setBrush(paper);
    p.drawRoundedRect(QRectF(18, 8, 84, 108), 6, 6);
    p.setPen(QPen(QColor(0x8a, 0x9a, 0xaa), 2));
    for (int y = 30; y <= 90; y += 12)
        p.drawLine(30, y, 90, y);
    p.setPen(QPen(QColor(0x2e, 0x9d, 0x4f), 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QPointF tick[] = {QPointF(58, 88), QPointF(76, 106), QPointF(114, 58)};
    p.drawPolyline(tick, 3);
    return pixmap;
}

void frmAbout::setLinkColor(const QColor& color)
{
    QPalette pal = lblLicense->palette();
    pal.setColor(QPalette::WindowText, color);
    lblLicense->setPalette(pal);
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("Acerca de ") + sys::appTitle());
    const sys::AppVersion v = sys::appVersion();
    const QString version = QStringLiteral("Versión %1.%2.%3").arg(v.majorVersion).arg(v.minorVersion).arg(v.revision);
    lblVersion->setText(version);
    lblShadow->setText(version);
    Label3->setText(QStringLiteral("© %1 ZAL - Planilla del EKO. Todos los derechos reservados.    Tolvania")
                        .arg(sys::today().year()));
    if (MDIMenu* menu = MDIMenu::instance())
        menu->setEnabled(false);
    Show();
}

void frmAbout::Form_Unload(int& Cancel)
{
    Q_UNUSED(Cancel);
    if (MDIMenu* menu = MDIMenu::instance()) {
        menu->setEnabled(true);
        menu->activateWindow();
    }
}

void frmAbout::cmdOk_Click()
{
    Unload();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

void frmAbout::lblLicense_Click()
{
    // The about box closes (enabling the main window) once the viewer is filled, before it shows.
    const bool shown = MuestraLicencia([this] { Unload(); });
    if (!shown)
        return;
    if (MDIMenu* menu = MDIMenu::instance())
        menu->activateWindow();
}

void frmAbout::lblLicense_MouseMove()
{
    setLinkColor(kLinkHot);
    setMousePointer(ui::vbCustom);
}

void frmAbout::Image1_MouseMove()
{
    setLinkColor(kLinkCool);
    setMousePointer(ui::vbDefault);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        if (watched == lblLicense)
            ui::runHandler([this] { lblLicense_MouseMove(); });
        else if (watched == Image1)
            ui::runHandler([this] { Image1_MouseMove(); });
    }
    return ui::Form::eventFilter(watched, event);
}

void frmAbout::StartSysInfo()
{
    QString SysInfoPath;
    bool found = false;
    if (GetKeyValue(sys::HKEY_LOCAL_MACHINE, kRegKeySysInfo, kRegValSysInfo, SysInfoPath)) {
        found = true;
    } else if (GetKeyValue(sys::HKEY_LOCAL_MACHINE, kRegKeySysInfoLoc, kRegValSysInfoLoc, SysInfoPath)) {
        SysInfoPath += QStringLiteral("/MSINFO32.EXE");
        found = sys::fileExists(SysInfoPath);
    }
    if (found && sys::Shell(SysInfoPath, sys::vbNormalFocus))
        return;
    ui::MsgBox(QStringLiteral("System Information Is Unavailable At This Time"), ui::vbOKOnly);
}

bool frmAbout::GetKeyValue(sys::HKEY KeyRoot, const QString& KeyName, const QString& SubKeyRef, QString& KeyVal)
{
    sys::HKEY hKey = 0;
    if (sys::RegOpenKeyEx(KeyRoot, KeyName, 0, kKeyAllAccess, &hKey) != sys::ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }
    QByteArray tmpVal(kBufferSize, '\0');
    quint32 KeyValSize = kBufferSize;
    quint32 KeyValType = 0;
    if (sys::RegQueryValueEx(hKey, SubKeyRef, &KeyValType, &tmpVal, &KeyValSize) != sys::ERROR_SUCCESS) {
        KeyVal.clear();
        sys::RegCloseKey(hKey);
        return false;
    }

    // A text stored with its terminating zero is kept without it.
    qsizetype kept = qMin<qsizetype>(KeyValSize, tmpVal.size());
    if (kept > 0 && tmpVal.at(kept - 1) == '\0')
        --kept;
    const QByteArray bytes = tmpVal.left(kept);

    switch (KeyValType) {
    case sys::REG_SZ:
        KeyVal = QString::fromUtf8(bytes);
        break;
    case sys::REG_DWORD: {
        // Least significant byte first, each byte as two hexadecimal digits; an unsigned number.
        QString hex;
        for (qsizetype i = bytes.size() - 1; i >= 0; --i)
            hex += QStringLiteral("%1").arg(quint8(bytes.at(i)), 2, 16, QLatin1Char('0'));
        KeyVal = QString::number(hex.isEmpty() ? 0 : hex.toULongLong(nullptr, 16));
        break;
    }
    default:
        break;   // other types leave the caller's text as it was
    }
    sys::RegCloseKey(hKey);
    return true;
}
