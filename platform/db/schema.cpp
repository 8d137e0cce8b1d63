#include "platform/db/schema.h"

#include "platform/db/database.h"

#include <QFile>

namespace db {
namespace {
QString resourceText(const QString& name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}
} // namespace

QString schemaSql()
{
    return resourceText(QStringLiteral(":/db/schema.sql"));
}

QString seedSql()
{
    return resourceText(QStringLiteral(":/db/seed.sql"));
}

bool createDefaultDatabase(const QString& path, QString* errorText)
{
    const QString schema = schemaSql();
    if (schema.isEmpty()) {
        if (errorText)
            *errorText = QStringLiteral("esquema no disponible");
        return false;
    }
    return createDatabase(path, schema, seedSql(), errorText);
}
} // namespace db
