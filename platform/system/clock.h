#pragma once
// The program's clock. Tests fix it so that "today" is known.
#include <QDate>
#include <QDateTime>

namespace sys {
QDateTime now();
QDate today();
void setFixedNow(const QDateTime& moment);   // an invalid moment returns to the real clock
} // namespace sys
