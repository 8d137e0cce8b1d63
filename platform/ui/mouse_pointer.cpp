#include "platform/ui/mouse_pointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace ui {

namespace {
int currentPointer = vbDefault;
}

Qt::CursorShape cursorShapeOf(int pointer)
{
    switch (pointer) {
    case vbCrosshair: return Qt::CrossCursor;
    case vbIbeam: return Qt::IBeamCursor;
    case vbHourglass: return Qt::WaitCursor;
    case vbNoDrop: return Qt::ForbiddenCursor;
    case vbArrowHourglass: return Qt::BusyCursor;
    case vbArrowQuestion: return Qt::WhatsThisCursor;
    case vbCustom: return Qt::PointingHandCursor;
    }
    return Qt::ArrowCursor;
}

void setMousePointer(int pointer)
{
    if (pointer == currentPointer)
        return;
    if (pointer == vbDefault) {
        QGuiApplication::restoreOverrideCursor();
    } else if (currentPointer == vbDefault) {
        QGuiApplication::setOverrideCursor(QCursor(cursorShapeOf(pointer)));
    } else {
        QGuiApplication::changeOverrideCursor(QCursor(cursorShapeOf(pointer)));
    }
    currentPointer = pointer;
}

int mousePointer()
{
    return currentPointer;
}

} // namespace ui
