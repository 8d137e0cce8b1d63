#pragma once
// The mouse pointer of the whole screen, as the forms set it around long work:
//   ui::setMousePointer(ui::vbHourglass); ... ui::setMousePointer(ui::vbDefault);
// A value other than 0 puts an application-wide override cursor in place; 0 removes it.
#include <Qt>

namespace ui {

constexpr int vbDefault = 0;
constexpr int vbArrow = 1;
constexpr int vbCrosshair = 2;
constexpr int vbIbeam = 3;
constexpr int vbHourglass = 11;
constexpr int vbNoDrop = 12;
constexpr int vbArrowHourglass = 13;
constexpr int vbArrowQuestion = 14;
constexpr int vbCustom = 99;

// The Qt cursor of a pointer value (the custom pointer is the pointing hand).
Qt::CursorShape cursorShapeOf(int pointer);

void setMousePointer(int pointer);
int mousePointer();     // the value set last (0 at start)

} // namespace ui
