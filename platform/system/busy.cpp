#include "platform/system/busy.h"

#include "platform/ui/mouse_pointer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>

namespace sys {

namespace {

// Holds back what would run the program's own handlers while the windows repaint.
class HoldBack : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Close:
        case QEvent::Quit:
            event->ignore();
            return true;
        default:
            return false;
        }
    }
};

bool pumping = false;

} // namespace

BusyScope::BusyScope()
{
    if (ui::mousePointer() == ui::vbDefault) {
        ui::setMousePointer(ui::vbHourglass);
        setPointer_ = true;
    }
}

BusyScope::~BusyScope()
{
    if (setPointer_ && ui::mousePointer() == ui::vbHourglass)
        ui::setMousePointer(ui::vbDefault);
}

void keepResponsive()
{
    static QElapsedTimer since;
    if (pumping || !QCoreApplication::instance())
        return;
    if (since.isValid() && since.elapsed() < 100)
        return;
    pumping = true;
    HoldBack holdBack;
    QCoreApplication::instance()->installEventFilter(&holdBack);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    QCoreApplication::instance()->removeEventFilter(&holdBack);
    pumping = false;
    since.start();
}

} // namespace sys
