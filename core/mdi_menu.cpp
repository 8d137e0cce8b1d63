#include "core/mdi_menu.h"

#include "ui_mdi_menu.h"

#include "catalogs/frm_contribuyente.h"
#include "catalogs/frm_gastos.h"
#include "catalogs/frm_proveedor.h"
#include "export/frm_envios.h"
#include "worksheet/frm_planillas.h"
#include "core/context_ids.h"
#include "core/frm_about.h"
#include "core/frm_config_base.h"
#include "core/frm_config_p.h"
#include "core/frm_reporte.h"
#include "income_tax/frm_isr.h"
#include "platform/ui/sizing.h"
#include "printing/frm_report01.h"
#include "printing/frm_reportes.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLinearGradient>
#include <QMdiArea>
#include <QPainter>
#include <QPainterPath>
#include <utility>
#include <vector>

namespace {

MDIMenu*& theInstance()
{
    static MDIMenu* window = nullptr;
    return window;
}

// The program's forms, one per class, in the order they were made.
std::vector<std::pair<std::type_index, QPointer<ui::Form>>>& registry()
{
    static std::vector<std::pair<std::type_index, QPointer<ui::Form>>> forms;
    return forms;
}

// The backdrop of the main window: a calm blue gradient with the program's name, drawn here so
// that no image file has to travel with the program.
QImage makeBackdrop()
{
    QImage image(800, 600, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, image.height());
    sky.setColorAt(0.0, QColor(0x1f, 0x3a, 0x5f));
    sky.setColorAt(0.6, QColor(0x2f, 0x6f, 0x8f));
    sky.setColorAt(1.0, QColor(0x8f, 0xb8, 0xc8));
    p.fillRect(image.rect(), sky);

    // Gentle hills across the lower part.
    p.setPen(Qt::NoPen);
    const QColor hills[] = {QColor(0x3c, 0x6e, 0x5a, 150), QColor(0x2d, 0x5a, 0x48, 190)};
    for (int layer = 0; layer < 2; ++layer) {
        QPainterPath path;
        const int base = 430 + layer * 60;
        path.moveTo(0, image.height());
        path.lineTo(0, base);
        for (int x = 0; x <= image.width(); x += 200)
            path.quadTo(x + 100, base - 70 + layer * 30, x + 200, base);
        path.lineTo(image.width(), image.height());
        path.closeSubpath();
        p.setBrush(hills[layer]);
        p.drawPath(path);
    }

    QFont title = p.font();
    title.setBold(true);
    title.setPixelSize(150);
    p.setFont(title);
    p.setPen(QColor(255, 255, 255, 60));
    p.drawText(QRect(0, 90, image.width(), 200), Qt::AlignCenter, QStringLiteral("ZAL"));
    QFont subtitle = p.font();
    subtitle.setPixelSize(34);
    subtitle.setBold(false);
    p.setFont(subtitle);
    p.setPen(QColor(255, 255, 255, 80));
    p.drawText(QRect(0, 270, image.width(), 60), Qt::AlignCenter, QStringLiteral("Planilla del EKO"));
    return image;
}

} // namespace

MDIMenu::MDIMenu(QWidget* parent)
    : QMainWindow(parent), ui_(std::make_unique<Ui::MDIMenu>())
{
    ui_->setupUi(this);
    mdiArea = ui_->mdiArea;
    mn001 = ui_->mn001;
    mn00301 = ui_->mn00301;
    mn00104 = ui_->mn00104;
    mn00109 = ui_->mn00109;
    mn00199 = ui_->mn00199;
    mn004 = ui_->mn004;
    mn00101 = ui_->mn00101;
    mn00102 = ui_->mn00102;
    mn00103 = ui_->mn00103;
    mn002 = ui_->mn002;
    mn00201 = ui_->mn00201;
    ISR = ui_->ISR;
    mn002666 = ui_->mn002666;
    mn00202 = ui_->mn00202;
    mn00203 = ui_->mn00203;
    mn0026661 = ui_->mn0026661;
    mn00204 = ui_->mn00204;
    mn005 = ui_->mn005;
    mn00501 = ui_->mn00501;
    mn009 = ui_->mn009;
    mn00901 = ui_->mn00901;
    mn00903 = ui_->mn00903;
    mn00999 = ui_->mn00999;
    mn00902 = ui_->mn00902;

    theInstance() = this;
    ui::setMainMdiArea(mdiArea);

    const std::pair<QAction*, void (MDIMenu::*)()> handlers[] = {
        {mn00301, &MDIMenu::mn00301_Click}, {mn00104, &MDIMenu::mn00104_Click},
        {mn00199, &MDIMenu::mn00199_Click}, {mn00101, &MDIMenu::mn00101_Click},
        {mn00102, &MDIMenu::mn00102_Click}, {mn00103, &MDIMenu::mn00103_Click},
        {mn00201, &MDIMenu::mn00201_Click}, {ISR, &MDIMenu::ISR_Click},
        {mn00202, &MDIMenu::mn00202_Click}, {mn00203, &MDIMenu::mn00203_Click},
        {mn00204, &MDIMenu::mn00204_Click}, {mn00501, &MDIMenu::mn00501_Click},
        {mn00901, &MDIMenu::mn00901_Click}, {mn00903, &MDIMenu::mn00903_Click},
        {mn00902, &MDIMenu::mn00902_Click},
    };
    for (const auto& [action, handler] : handlers)
        connect(action, &QAction::triggered, this, [this, handler = handler] { ui::runHandler([&] { (this->*handler)(); }); });

    picOriginal_ = makeBackdrop();
    mdiArea->viewport()->installEventFilter(this);
    // A child window taller or wider than the client area (the income-tax return on a small
    // screen) can be scrolled to, so its lower buttons stay within reach.
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    // A comfortable share of the screen, centred, whatever the screen's size.
    ui::placeOnScreen(this, kScreenShare);

    MDIForm_Load();
}

MDIMenu::~MDIMenu()
{
    releaseForms();
    if (ui::mainMdiArea() == mdiArea)
        ui::setMainMdiArea(nullptr);
    if (theInstance() == this)
        theInstance() = nullptr;
}

MDIMenu* MDIMenu::instance()
{
    return theInstance();
}

// ---------------------------------------------------------------------------------------------
// The form registry.

ui::Form* MDIMenu::registeredForm(std::type_index type)
{
    for (const auto& [t, form] : registry()) {
        if (t == type)
            return form.data();
    }
    return nullptr;
}

void MDIMenu::registerForm(std::type_index type, ui::Form* form)
{
    static bool cleanupAdded = false;
    if (!cleanupAdded) {
        // Forms made while no main window exists go when the application object does.
        qAddPostRoutine(&MDIMenu::releaseForms);
        cleanupAdded = true;
    }
    auto& forms = registry();
    for (auto& entry : forms) {
        if (entry.first == type) {
            entry.second = form;
            return;
        }
    }
    forms.emplace_back(type, form);
}

QList<ui::Form*> MDIMenu::registeredForms()
{
    QList<ui::Form*> forms;
    for (const auto& entry : registry()) {
        if (entry.second)
            forms << entry.second.data();
    }
    return forms;
}

void MDIMenu::releaseForms()
{
    const QList<ui::Form*> forms = registeredForms();
    registry().clear();
    qDeleteAll(forms);
}

void MDIMenu::setEntriesEnabled(std::initializer_list<QAction* MDIMenu::*> entries, bool enabled)
{
    MDIMenu* menu = instance();
    if (!menu)
        return;
    for (QAction* MDIMenu::*entry : entries)
        (menu->*entry)->setEnabled(enabled);
}

// ---------------------------------------------------------------------------------------------
// Life cycle.

void MDIMenu::MDIForm_Load()
{
    ContextIDs::InicializaAyuda(qint32(winId()));
}

void MDIMenu::MDIForm_Resize()
{
    // The backdrop fills the client area, stretched to it.
    const QSize client = mdiArea->viewport()->size();
    if (client.isEmpty() || picOriginal_.isNull())
        return;
    picStretched_ = picOriginal_.scaled(client, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    mdiArea->setBackground(QBrush(picStretched_));
}

void MDIMenu::MDIForm_UnLoad(int& Cancel)
{
    Q_UNUSED(Cancel);
    ContextIDs::CierraAyuda();
}

bool MDIMenu::Unload()
{
    if (unloaded_)
        return true;
    if (!unloadForms())
        return false;
    close();
    return true;
}

bool MDIMenu::unloadForms()
{
    if (unloaded_)
        return true;
    if (unloading_)
        return false;
    unloading_ = true;
    bool done = ui::unloadMdiChildren(mdiArea, ui::vbFormMDIForm);
    if (done) {
        // Forms outside the MDI area that are still loaded go too.
        for (ui::Form* form : registeredForms()) {
            if (form->isLoaded() && !form->Unload(ui::vbFormCode)) {
                done = false;
                break;
            }
        }
    }
    int Cancel = 0;
    if (done)
        ui::runHandler([&] { MDIForm_UnLoad(Cancel); });
    unloading_ = false;
    if (!done || Cancel != 0)
        return false;
    unloaded_ = true;
    emit unloaded();
    return true;
}

void MDIMenu::closeEvent(QCloseEvent* event)
{
    if (unloadForms())
        event->accept();
    else
        event->ignore();
}

bool MDIMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mdiArea->viewport() && event->type() == QEvent::Resize)
        MDIForm_Resize();
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Menu entries.

void MDIMenu::mn00301_Click()
{
    loadForm<frmConfigP>();
}

void MDIMenu::mn00104_Click()
{
    // The dialog enables the main window again when it unloads.
    setEnabled(false);
    showForm<frmConfigBase>();
}

void MDIMenu::mn00199_Click()
{
    close();
}

void MDIMenu::mn00101_Click()
{
    loadForm<frmContribuyente>();
}

void MDIMenu::mn00102_Click()
{
    loadForm<frmGastos>();
}

void MDIMenu::mn00103_Click()
{
    loadForm<frmProveedor>();
}

void MDIMenu::mn00201_Click()
{
    showForm<frmPlanillas>();
}

void MDIMenu::ISR_Click()
{
    showForm<frmISR>();
}

void MDIMenu::mn00202_Click()
{
    showForm<frmReportes>();
}

void MDIMenu::mn00203_Click()
{
    loadForm<frmEnvios>();
}

void MDIMenu::mn00204_Click()
{
    // "Cambio de Nit del Contribuyente" stays greyed out and does nothing.
}

void MDIMenu::mn00501_Click()
{
    loadForm<frmReport01>();
}

void MDIMenu::mn00901_Click()
{
    ContextIDs::MuestraAyuda();
}

void MDIMenu::mn00903_Click()
{
    MuestraLicencia();
}

void MDIMenu::mn00902_Click()
{
    loadForm<frmAbout>();
}
