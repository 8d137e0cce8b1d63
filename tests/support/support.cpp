#include "support.h"

#include "platform/db/database.h"
#include "platform/db/jet_sql.h"
#include "platform/db/schema.h"
#include "platform/system/clock.h"
#include "platform/system/settings.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <sqlite3.h>
#include <stdexcept>

namespace support {

TestDatabase::TestDatabase()
{
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder");
    path_ = dir_.filePath(QStringLiteral("eko.mdb"));
    QString why;
    if (!db::createDefaultDatabase(path_, &why))
        throw std::runtime_error(("cannot make test database: " + why).toStdString());
}

void TestDatabase::exec(const QString& sql) const
{
    sqlite3* h = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path_).constData(), &h, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open test database");
    db::jet::registerFunctions(h);
    char* message = nullptr;
    const int rc = sqlite3_exec(h, sql.toUtf8().constData(), nullptr, nullptr, &message);
    const std::string text = message ? message : "";
    sqlite3_free(message);
    sqlite3_close_v2(h);
    if (rc != SQLITE_OK)
        throw std::runtime_error("fixture SQL failed: " + text);
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

bool canReadPdfText()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

std::optional<QString> pdfText(const QString& pdf, bool layout)
{
    QStringList arguments;
    if (layout)
        arguments << QStringLiteral("-layout");
    arguments << pdf << QStringLiteral("-");
    QProcess process;
    process.start(QStandardPaths::findExecutable(QStringLiteral("pdftotext")), arguments);
    if (!process.waitForFinished(60000))
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString plainQuery(const QString& path, const QString& sql)
{
    sqlite3* h = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(h);
        return QStringLiteral("error: cannot open");
    }
    QStringList rows;
    char* message = nullptr;
    const int rc = sqlite3_exec(
        h, sql.toUtf8().constData(),
        [](void* out, int n, char** values, char**) {
            QStringList row;
            for (int i = 0; i < n; ++i)
                row << (values[i] ? QString::fromUtf8(values[i]) : QStringLiteral("<null>"));
            static_cast<QStringList*>(out)->append(row.join(QLatin1Char('|')));
            return 0;
        },
        &rows, &message);
    const QString error = message ? QString::fromUtf8(message) : QString();
    sqlite3_free(message);
    sqlite3_close_v2(h);
    if (rc != SQLITE_OK)
        return QStringLiteral("error: ") + error;
    return rows.join(QLatin1Char('\n'));
}

TempSettings::TempSettings()
{
    path_ = dir_.filePath(QStringLiteral("settings.ini"));
    sys::setSettingsFile(path_);
}

TempSettings::~TempSettings()
{
    sys::setSettingsFile(QString());
}

FixedClock::FixedClock(const QDateTime& moment)
{
    sys::setFixedNow(moment);
}

FixedClock::~FixedClock()
{
    sys::setFixedNow(QDateTime());
}

int dbErrorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const db::DbError& e) {
        return e.number();
    }
    return 0;
}

} // namespace support
