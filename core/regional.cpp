// Forcing the regional formats the program reads and writes.
#include "core/biblio.h"

#include "platform/system/regional.h"

namespace Biblio {

QString LeeConfiguracionRegional(int lcid, int type)
{
    const int needed = sys::GetLocaleInfo(lcid, type, nullptr, 0);
    if (needed <= 0)
        return QString();
    QString buffer(needed, QLatin1Char(' '));
    const int n = sys::GetLocaleInfo(lcid, type, &buffer, needed);
    if (n <= 0)
        return QString();
    return buffer.left(n - 1);
}

void ConfiguraFormatoFecha()
{
    const int lcid = sys::GetSystemDefaultLCID();
    const QString current = LeeConfiguracionRegional(lcid, sys::LOCALE_SSHORTDATE);
    QChar year = QLatin1Char('y');
    for (const QChar c : current) {
        if (c == QLatin1Char('y') || c == QLatin1Char('a'))
            year = c;
    }
    sys::SetLocaleInfo(lcid, sys::LOCALE_SSHORTDATE, QStringLiteral("dd/MM/") + QString(4, year));
    sys::broadcastSettingChange();
}

void ConfiguraFormatoNumeros()
{
    const int lcid = sys::GetSystemDefaultLCID();
    sys::SetLocaleInfo(lcid, sys::LOCALE_SCURRENCY, QStringLiteral("Q"));
    sys::SetLocaleInfo(lcid, sys::LOCALE_SMONDECIMALSEP, QStringLiteral("."));
    sys::SetLocaleInfo(lcid, sys::LOCALE_SMONTHOUSANDSEP, QStringLiteral(","));
    sys::SetLocaleInfo(lcid, sys::LOCALE_SMONGROUPING, QStringLiteral("3;0"));
    sys::SetLocaleInfo(lcid, sys::LOCALE_SDECIMAL, QStringLiteral("."));
    sys::SetLocaleInfo(lcid, sys::LOCALE_STHOUSAND, QStringLiteral(","));
    sys::SetLocaleInfo(lcid, sys::LOCALE_SGROUPING, QStringLiteral("3;0"));
    sys::broadcastSettingChange();
}

} // namespace Biblio
