#pragma once
// The schema and seed rows of a new ZAL database, as the program carries them.
#include <QString>

namespace db {
QString schemaSql();
QString seedSql();
// Makes a new database file at path from them; false (and the reason) when it cannot.
bool createDefaultDatabase(const QString& path, QString* errorText = nullptr);
} // namespace db
