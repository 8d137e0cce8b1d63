#include "platform/system/app_info.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <optional>

#ifndef ZAL_VERSION
#define ZAL_VERSION "0.0.0"
#endif

namespace sys {
namespace {

QString& pathOverride()
{
    static QString path;
    return path;
}

std::optional<AppVersion>& versionOverride()
{
    static std::optional<AppVersion> version;
    return version;
}

// A folder without its trailing separators; the root folder keeps its one.
QString withoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'))))
        path.chop(1);
    return path;
}

AppVersion builtVersion()
{
    const QStringList parts = QStringLiteral(ZAL_VERSION).split(QLatin1Char('.'));
    AppVersion version;
    version.majorVersion = parts.value(0).toInt();
    version.minorVersion = parts.value(1).toInt();
    version.revision = parts.value(2).toInt();
    return version;
}

} // namespace

QString appPath()
{
    if (!pathOverride().isEmpty())
        return withoutTrailingSeparator(pathOverride());
    if (!QCoreApplication::instance())
        return withoutTrailingSeparator(QDir::currentPath());
    return withoutTrailingSeparator(QCoreApplication::applicationDirPath());
}

void setAppPath(const QString& path)
{
    pathOverride() = path;
}

QString appTitle()
{
    return QStringLiteral("ZAL");
}

AppVersion appVersion()
{
    if (versionOverride())
        return *versionOverride();
    return builtVersion();
}

void setAppVersion(const AppVersion& version)
{
    versionOverride() = version;
}

void resetAppVersion()
{
    versionOverride().reset();
}

bool fileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool dirExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace sys
