#include "platform/system/settings.h"

#include <QSettings>
#include <QStandardPaths>
#include <memory>

namespace sys {
namespace {
QString& overridePath()
{
    static QString path;
    return path;
}

std::unique_ptr<QSettings> store(const QString& application)
{
    if (!overridePath().isEmpty())
        return std::make_unique<QSettings>(overridePath(), QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ZAL"), application);
}
} // namespace

QString getSetting(const QString& application, const QString& section, const QString& key, const QString& defaultValue)
{
    auto s = store(application);
    const QString full = overridePath().isEmpty() ? section + QLatin1Char('/') + key
                                                  : application + QLatin1Char('/') + section + QLatin1Char('/') + key;
    return s->value(full, defaultValue).toString();
}

void saveSetting(const QString& application, const QString& section, const QString& key, const QString& value)
{
    auto s = store(application);
    const QString full = overridePath().isEmpty() ? section + QLatin1Char('/') + key
                                                  : application + QLatin1Char('/') + section + QLatin1Char('/') + key;
    s->setValue(full, value);
    s->sync();
}

void setSettingsFile(const QString& path)
{
    overridePath() = path;
}

QString settingsFile()
{
    if (!overridePath().isEmpty())
        return overridePath();
    return store(QStringLiteral("ZAL EKO"))->fileName();
}
} // namespace sys
