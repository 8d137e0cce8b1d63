#pragma once
// What the program knows about itself: its folder, title and version, and the existence tests
// used on paths in that folder.
#include <QString>

namespace sys {

struct AppVersion {
    int majorVersion = 0;
    int minorVersion = 0;
    int revision = 0;
};

// The folder of the running program, without a trailing separator (except the root folder "/").
QString appPath();
// Tests put the program somewhere else; an empty path returns to the real folder.
void setAppPath(const QString& path);

// "ZAL".
QString appTitle();

// The version the program was built as (ZAL_VERSION, "major.minor.revision").
AppVersion appVersion();
// Tests may pretend another version; resetAppVersion returns to the built one.
void setAppVersion(const AppVersion& version);
void resetAppVersion();

// True when a regular file exists at the path (a directory is not a file).
bool fileExists(const QString& path);
// True when a directory exists at the path.
bool dirExists(const QString& path);

} // namespace sys
