#include "platform/system/clock.h"

namespace sys {
namespace {
QDateTime& fixedMoment()
{
    static QDateTime moment;
    return moment;
}
} // namespace

QDateTime now()
{
    return fixedMoment().isValid() ? fixedMoment() : QDateTime::currentDateTime();
}

QDate today()
{
    return now().date();
}

void setFixedNow(const QDateTime& moment)
{
    fixedMoment() = moment;
}
} // namespace sys
