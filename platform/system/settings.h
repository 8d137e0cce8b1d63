#pragma once
// The per-user settings store: values by application, section and key. A missing key reads as the
// default given (empty text when none). Tests point the store at a file of their own.
#include <QString>

namespace sys {
QString getSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue = QString());
void saveSetting(const QString& application, const QString& section, const QString& key, const QString& value);
// Where the store lives; an empty path returns to the user's own store.
void setSettingsFile(const QString& path);
QString settingsFile();
} // namespace sys
