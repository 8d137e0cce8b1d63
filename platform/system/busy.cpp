#include "platform/system/busy.h"

#include "platform/ui/mouse_pointer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QCloseEvent>

namespace sys {

namespace {

// Holds back what would run the program's own handlers while the windows repaint: a window asked
// to close, the program asked to quit. They are asked again once the repaint is over, so they
// happen when the work is done.
class HoldBack : public QObject {
public:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        if (event->type() != QEvent::Close && event->type() != QEvent::Quit)
            return false;
        held_.append({QPointer<QObject>(receiver), event->type()});
        event->ignore();
        return true;
    }

    void askAgain()
    {
        for (const auto& [receiver, type] : held_) {
            if (!receiver)
                continue;
            if (type == QEvent::Close && receiver->isWidgetType())
                QMetaObject::invokeMethod(receiver, "close", Qt::QueuedConnection);
            else if (type == QEvent::Close)
                QCoreApplication::postEvent(receiver, new QCloseEvent);   // a window: as the desktop asks
            else
                QCoreApplication::postEvent(receiver, new QEvent(type));
        }
        held_.clear();
    }

private:
    QList<QPair<QPointer<QObject>, QEvent::Type>> held_;
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
    holdBack.askAgain();
    pumping = false;
    since.start();
}

} // namespace sys
