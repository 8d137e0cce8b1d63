#include "platform/system/regional.h"

#include "platform/basic/basic.h"

namespace sys {
namespace {

// The id the store answers to; any fixed number serves.
constexpr int kSystemLcid = 0x100A;

QMap<int, QString> initialValues()
{
    return {
        {LOCALE_SSHORTDATE, QStringLiteral("dd/MM/yyyy")},
        {LOCALE_SCURRENCY, QStringLiteral("Q")},
        {LOCALE_SMONDECIMALSEP, QStringLiteral(".")},
        {LOCALE_SMONTHOUSANDSEP, QStringLiteral(",")},
        {LOCALE_SMONGROUPING, QStringLiteral("3;0")},
        {LOCALE_SDECIMAL, QStringLiteral(".")},
        {LOCALE_STHOUSAND, QStringLiteral(",")},
        {LOCALE_SGROUPING, QStringLiteral("3;0")},
    };
}

QMap<int, QString>& store()
{
    static QMap<int, QString> values = initialValues();
    return values;
}

bool knownLocale(int lcid)
{
    return lcid == kSystemLcid || lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_SYSTEM_DEFAULT;
}

// The runtime's conversions read basic::regional(); keep the values it uses in step with the store.
void applyToRuntime(int type, const QString& value)
{
    basic::RegionalFormats& formats = basic::regional();
    switch (type) {
    case LOCALE_SSHORTDATE: formats.shortDate = value; break;
    case LOCALE_SDECIMAL: formats.decimalSeparator = value; break;
    case LOCALE_STHOUSAND: formats.thousandSeparator = value; break;
    case LOCALE_SCURRENCY: formats.currencySymbol = value; break;
    case LOCALE_SGROUPING: formats.grouping = value; break;
    default: break;
    }
}

} // namespace

int GetSystemDefaultLCID()
{
    return kSystemLcid;
}

int GetLocaleInfo(int lcid, int type, QString* buffer, int size)
{
    if (!knownLocale(lcid) || size < 0)
        return 0;
    const auto it = store().constFind(type);
    if (it == store().constEnd())
        return 0;
    const int needed = int(it->size()) + 1;
    if (size == 0)
        return needed;
    if (!buffer || size < needed)
        return 0;
    const QString written = *it + QChar(0);
    if (buffer->size() > written.size())
        buffer->replace(0, written.size(), written);
    else
        *buffer = written;
    return needed;
}

bool SetLocaleInfo(int lcid, int type, const QString& value)
{
    if (!knownLocale(lcid) || !store().contains(type))
        return false;
    store()[type] = value;
    applyToRuntime(type, value);
    return true;
}

void broadcastSettingChange()
{
    emit RegionalSettings::instance()->settingsChanged();
}

void resetRegionalSettings(const QMap<int, QString>& values)
{
    store() = initialValues();
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        if (store().contains(it.key()))
            store()[it.key()] = it.value();
    }
    for (auto it = store().constBegin(); it != store().constEnd(); ++it)
        applyToRuntime(it.key(), it.value());
}

RegionalSettings* RegionalSettings::instance()
{
    static RegionalSettings settings;
    return &settings;
}

} // namespace sys
