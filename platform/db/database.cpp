#include "platform/db/database.h"

#include "platform/basic/basic.h"
#include "platform/db/connection.h"
#include "platform/db/jet_sql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cmath>
#include <map>
#include <mutex>
#include <sys/stat.h>

namespace db {

namespace {
int g_lockTimeoutMs = 2000;

const char kSqliteMagic[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f', 'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};

bool hasSqliteHeader(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(16);
    return head.size() == 16 && memcmp(head.constData(), kSqliteMagic, 16) == 0;
}

} // namespace

// The password of a connect string such as ";pwd=MIRVOSK" (key in any case); null when absent.
QString passwordOf(const QString& connect)
{
    const QStringList parts = connect.split(QLatin1Char(';'));
    for (const QString& part : parts) {
        const int eq = part.indexOf(QLatin1Char('='));
        if (eq > 0 && part.left(eq).trimmed().compare(QLatin1String("pwd"), Qt::CaseInsensitive) == 0)
            return part.mid(eq + 1);
    }
    return QString();
}

QString quoteName(const QString& name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

void setLockTimeout(int milliseconds)
{
    g_lockTimeoutMs = milliseconds;
}

QString quoteLiteral(const QString& text)
{
    return jet::quoteLiteral(text);
}

// ---------------------------------------------------------------- types and values

FieldType fieldTypeOf(const QString& declType, int* size)
{
    const QString t = declType.trimmed().toUpper();
    if (size)
        *size = 0;
    static const QRegularExpression sized(QStringLiteral("\\((\\d+)\\)"));
    if (t.startsWith(QLatin1String("TEXT")) || t.contains(QLatin1String("CHAR"))) {
        const auto m = sized.match(t);
        if (m.hasMatch()) {
            if (size)
                *size = m.captured(1).toInt();
            return FieldType::Text;
        }
        if (size)
            *size = 255;
        return FieldType::Text;
    }
    if (t.contains(QLatin1String("MEMO")) || t.contains(QLatin1String("LONGTEXT")))
        return FieldType::Memo;
    if (t == QLatin1String("INTEGER") || t.contains(QLatin1String("COUNTER")) || t.contains(QLatin1String("AUTOINCREMENT")))
        return FieldType::Counter;
    if (t.contains(QLatin1String("DATE")) || t.contains(QLatin1String("TIME")))
        return FieldType::DateTime;
    if (t.contains(QLatin1String("BIT")) || t.contains(QLatin1String("BOOL")) || t.contains(QLatin1String("YESNO")))
        return FieldType::Boolean;
    if (t.contains(QLatin1String("LONG")) || t.contains(QLatin1String("INT")) || t.contains(QLatin1String("SHORT"))
        || t.contains(QLatin1String("BYTE")))
        return FieldType::Long;
    if (t.contains(QLatin1String("DOUB")) || t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA"))
        || t.contains(QLatin1String("SINGLE")) || t.contains(QLatin1String("CURRENCY")) || t.contains(QLatin1String("NUMERIC"))
        || t.contains(QLatin1String("DECIMAL")))
        return FieldType::Double;
    return FieldType::Variant;
}

QVariant fieldValue(FieldType type, const QVariant& raw)
{
    if (raw.isNull())
        return QVariant();
    const bool numeric = raw.typeId() == QMetaType::LongLong || raw.typeId() == QMetaType::Double;
    switch (type) {
    case FieldType::DateTime:
        if (numeric) {
            const double serial = raw.toDouble();
            if (!basic::isDateSerial(serial))
                return raw;   // a number no date can carry stays a number
            if (serial == std::floor(serial))
                return basic::serialToDate(serial);
            return basic::serialToDateTime(serial);
        }
        return raw;
    case FieldType::Counter:
    case FieldType::Long:
        if (raw.typeId() == QMetaType::LongLong) {
            const qlonglong v = raw.toLongLong();
            if (v >= INT_MIN && v <= INT_MAX)
                return int(v);
            return v;
        }
        return raw;
    case FieldType::Double:
        if (numeric)
            return raw.toDouble();
        return raw;
    case FieldType::Boolean:
        if (numeric)
            return raw.toDouble() != 0.0;
        return raw;
    case FieldType::Text:
    case FieldType::Memo:
        if (numeric)
            return basic::CStr(raw);
        return raw;
    case FieldType::Variant:
        if (raw.typeId() == QMetaType::LongLong) {
            const qlonglong v = raw.toLongLong();
            if (v >= INT_MIN && v <= INT_MAX)
                return int(v);
        }
        return raw;
    }
    return raw;
}

namespace {
// A text for a column: a NUL would hide the rest of the text from the size checks and from
// every other tool that reads the file.
QVariant storedText(const QVariant& value)
{
    const QString text = basic::CStr(value);
    if (text.contains(QChar(0)))
        raise(err::FieldTooSmall);
    return text;
}

// The day serial of a date, a day serial or a date text; whole days are stored as integers.
QVariant storedDate(const QVariant& value)
{
    const int t = value.typeId();
    double serial = 0;
    if (t == QMetaType::Int || t == QMetaType::LongLong || t == QMetaType::Double || t == QMetaType::Float
        || t == QMetaType::UInt || t == QMetaType::Short) {
        serial = value.toDouble();
    } else {
        const QVariant d = basic::CDate(value);
        if (d.typeId() == QMetaType::QDateTime) {
            if (!d.toDateTime().isValid())
                raise(err::ConversionError);
            serial = basic::dateTimeToSerial(d.toDateTime());
        } else {
            if (!d.toDate().isValid())
                raise(err::ConversionError);
            serial = basic::dateToSerial(d.toDate());
        }
    }
    if (!std::isfinite(serial) || !basic::isDateSerial(serial))
        raise(err::ConversionError);
    if (serial == std::floor(serial))
        return qlonglong(serial);
    return serial;
}

double storedNumber(const QVariant& value)
{
    const double d = basic::CDbl(value);
    if (!std::isfinite(d))
        raise(err::ConversionError);
    return d;
}
} // namespace

QVariant storedValue(FieldType type, const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return QVariant();
    try {
        switch (type) {
        case FieldType::Text:
        case FieldType::Memo:
            return storedText(value);
        case FieldType::Counter:
        case FieldType::Long: {
            const double d = storedNumber(value);
            if (std::fabs(d) > 2147483647.0)
                raise(err::ConversionError);
            return qlonglong(std::nearbyint(d));   // the engine rounds half to even here
        }
        case FieldType::Double:
            return storedNumber(value);
        case FieldType::DateTime:
            return storedDate(value);
        case FieldType::Boolean:
            if (value.typeId() == QMetaType::Bool)
                return value.toBool() ? -1 : 0;
            return storedNumber(value) != 0.0 ? -1 : 0;
        case FieldType::Variant:
            if (value.typeId() == QMetaType::QDate || value.typeId() == QMetaType::QDateTime)
                return storedDate(value);
            if (value.typeId() == QMetaType::Bool)
                return value.toBool() ? -1 : 0;
            if (value.typeId() == QMetaType::Double && !std::isfinite(value.toDouble()))
                raise(err::ConversionError);
            if (value.typeId() == QMetaType::QString && value.toString().contains(QChar(0)))
                raise(err::FieldTooSmall);
            return value;
        }
    } catch (const basic::RuntimeError&) {
        raise(err::ConversionError);
    }
    return value;
}

// ---------------------------------------------------------------- statements

namespace {
// True when what follows a statement is only blanks and semicolons.
bool onlyBlanks(const char* tail, const char* end)
{
    for (const char* p = tail; p < end; ++p) {
        if (*p != ';' && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n')
            return false;
    }
    return true;
}
} // namespace

Statement::Statement(Connection& conn, const QString& sql, const QString& shown)
    : conn_(conn), sql_(shown.isEmpty() ? sql : shown), key_(sql)
{
    if (!conn.isOpen())
        raise(err::InvalidOperation);
    stmt_ = conn.takePrepared(sql);
    if (stmt_)
        return;
    if (sql.contains(QChar(0)))
        raise(err::FieldTooSmall);   // a NUL would end the statement early (only a text can hold one)
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(conn.handle(), utf8.constData(), int(utf8.size()), &stmt_, &tail);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(conn.handle()));
        const int code = sqlite3_extended_errcode(conn.handle());
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        throw mapSqliteError(code, message, conn.path(), sql_);
    }
    if (!stmt_)
        raise(err::InvalidStatement);   // nothing but blanks, semicolons or comments
    if (tail && !onlyBlanks(tail, utf8.constData() + utf8.size())) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        raise(err::TextAfterStatement);   // a second statement is never run silently, nor dropped
    }
}

Statement::~Statement()
{
    conn_.keepPrepared(key_, stmt_);
}

void Statement::bind(const QVariantList& values)
{
    for (int i = 0; i < values.size(); ++i) {
        const QVariant& v = values.at(i);
        int rc = SQLITE_OK;
        if (v.isNull() || !v.isValid()) {
            rc = sqlite3_bind_null(stmt_, i + 1);
        } else {
            switch (v.typeId()) {
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::UInt:
            case QMetaType::Short:
            case QMetaType::Bool:
                rc = sqlite3_bind_int64(stmt_, i + 1, v.toLongLong());
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                if (!std::isfinite(v.toDouble()))
                    raise(err::ConversionError);
                rc = sqlite3_bind_double(stmt_, i + 1, v.toDouble());
                break;
            case QMetaType::QDate:
            case QMetaType::QDateTime: {
                const QVariant serial = storedValue(FieldType::DateTime, v);
                if (serial.typeId() == QMetaType::LongLong)
                    rc = sqlite3_bind_int64(stmt_, i + 1, serial.toLongLong());
                else
                    rc = sqlite3_bind_double(stmt_, i + 1, serial.toDouble());
                break;
            }
            default: {
                const QByteArray text = v.toString().toUtf8();
                rc = sqlite3_bind_text(stmt_, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            }
            }
        }
        if (rc != SQLITE_OK)
            conn_.fail(rc);
    }
}

bool Statement::step()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString message = QString::fromUtf8(sqlite3_errmsg(conn_.handle()));
    const int code = sqlite3_extended_errcode(conn_.handle());
    sqlite3_reset(stmt_);
    throw mapSqliteError(code, message, conn_.path(), sql_);
}

QVariant Statement::rawValue(int column) const
{
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(stmt_, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt_, column));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column)),
                                          sqlite3_column_bytes(stmt_, column)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt_, column)),
                                   sqlite3_column_bytes(stmt_, column)));
    default:
        return QVariant();
    }
}

// ---------------------------------------------------------------- connection

Connection::~Connection()
{
    close();
}

sqlite3_stmt* Connection::takePrepared(const QString& sql)
{
    for (auto it = prepared_.begin(); it != prepared_.end(); ++it) {
        if (it->first == sql) {
            sqlite3_stmt* st = it->second;
            prepared_.erase(it);
            return st;
        }
    }
    return nullptr;
}

void Connection::keepPrepared(const QString& sql, sqlite3_stmt* st)
{
    if (!st)
        return;
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    if (!handle_ || sql.size() > kPreparedTextLimit) {
        sqlite3_finalize(st);
        return;
    }
    for (const auto& [text, kept] : prepared_) {
        if (text == sql) {
            sqlite3_finalize(st);   // another of the same text is kept already
            return;
        }
    }
    if (prepared_.size() >= kPreparedLimit) {
        sqlite3_finalize(prepared_.front().second);
        prepared_.erase(prepared_.begin());
    }
    prepared_.emplace_back(sql, st);
}

void Connection::finalizePrepared()
{
    for (const auto& [text, st] : prepared_)
        sqlite3_finalize(st);
    prepared_.clear();
}

void Connection::close()
{
    finalizePrepared();
    if (handle_) {
        if (transactionDepth > 0)
            sqlite3_exec(handle_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(handle_);
        handle_ = nullptr;
    }
}

void Connection::fail(int code, const QString& context) const
{
    const QString message = handle_ ? QString::fromUtf8(sqlite3_errmsg(handle_)) : QString::fromUtf8(sqlite3_errstr(code));
    const int extended = handle_ ? sqlite3_extended_errcode(handle_) : code;
    throw mapSqliteError(extended, message, context.isEmpty() ? path_ : context);
}

int Connection::exec(const QString& sql, const QVariantList& values)
{
    Statement st(*this, sql);
    st.bind(values);
    while (st.step()) {
    }
    lastChanges = sqlite3_changes(handle_);
    return lastChanges;
}

void Connection::execScript(const QString& sql)
{
    if (!handle_)
        raise(err::InvalidOperation);
    char* message = nullptr;
    const int rc = sqlite3_exec(handle_, sql.toUtf8().constData(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        const QString text = message ? QString::fromUtf8(message) : QString();
        sqlite3_free(message);
        throw mapSqliteError(sqlite3_extended_errcode(handle_), text, path_);
    }
}

QVariant Connection::scalar(const QString& sql, const QVariantList& values)
{
    Statement st(*this, sql);
    st.bind(values);
    if (st.step())
        return st.rawValue(0);
    return QVariant();
}

void Connection::followSchema()
{
    const qint64 cookie = scalar(QStringLiteral("PRAGMA schema_version")).toLongLong();
    if (cookie != schemaCookie_) {
        schemaChanged();
        // SQLite reads the definitions again only when a statement that reads a table finds them
        // changed; one prepared before that would be prepared under the old ones.
        tableNames();
        schemaCookie_ = cookie;
    }
}

QStringList Connection::tableNames()
{
    if (tables_.isEmpty()) {
        Statement st(*this, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                           "AND name NOT LIKE 'sqlite%' AND name <> 'zal_sistema' ORDER BY name"));
        while (st.step())
            tables_ << st.rawValue(0).toString();
    }
    return tables_;
}

QString Connection::canonicalTable(const QString& name)
{
    QString bare = name.trimmed();
    if (bare.startsWith(QLatin1Char('[')) && bare.endsWith(QLatin1Char(']')))
        bare = bare.mid(1, bare.size() - 2);
    for (const QString& t : tableNames()) {
        if (t.compare(bare, Qt::CaseInsensitive) == 0)
            return t;
    }
    return QString();
}

const QList<ColumnDef>& Connection::columns(const QString& table)
{
    auto it = columnCache_.find(table.toLower());
    if (it != columnCache_.end())
        return it.value();
    QList<ColumnDef> cols;
    Statement st(*this, QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(table)));
    while (st.step()) {
        ColumnDef c;
        c.name = st.rawValue(1).toString();
        c.declType = st.rawValue(2).toString();
        c.notNull = st.rawValue(3).toLongLong() != 0;
        c.primaryKey = st.rawValue(5).toLongLong() != 0;
        c.type = fieldTypeOf(c.declType, &c.size);
        cols << c;
    }
    return columnCache_.insert(table.toLower(), cols).value();
}

namespace {

// A SELECT text with its whole numbers taken out: key holds \x01 where each stood (numbers in
// texts, bracketed names, date literals and names are left in). False for other statements.
bool withoutNumbers(const QString& sql, QString* key, QStringList* numbers)
{
    if (sql.contains(QChar(1)))
        return false;
    qsizetype i = 0;
    while (i < sql.size() && (sql.at(i).isSpace() || sql.at(i) == QLatin1Char('(')))
        ++i;
    if (QStringView(sql).mid(i, 6).compare(QLatin1String("SELECT"), Qt::CaseInsensitive) != 0)
        return false;
    key->reserve(sql.size());
    const auto isNamePart = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.'); };
    for (i = 0; i < sql.size();) {
        const QChar c = sql.at(i);
        QChar close;
        if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
            close = c;
        else if (c == QLatin1Char('['))
            close = QLatin1Char(']');
        else if (c == QLatin1Char('#'))
            close = QLatin1Char('#');
        if (!close.isNull()) {
            qsizetype end = sql.indexOf(close, i + 1);
            end = end < 0 ? sql.size() : end + 1;
            key->append(QStringView(sql).mid(i, end - i));
            i = end;
            continue;
        }
        if (c.isDigit() && c.unicode() < 0x80 && (i == 0 || !isNamePart(sql.at(i - 1)))) {
            qsizetype end = i;
            while (end < sql.size() && sql.at(end).unicode() < 0x80 && sql.at(end).isDigit())
                ++end;
            if (end == sql.size() || !isNamePart(sql.at(end))) {
                key->append(QChar(1));
                numbers->append(sql.mid(i, end - i));
                i = end;
                continue;
            }
            key->append(QStringView(sql).mid(i, end - i));
            i = end;
            continue;
        }
        key->append(c);
        ++i;
    }
    return !numbers->isEmpty();
}

// What stands for the n-th number while a text is translated for the cache.
QString numberMark(qsizetype n)
{
    return QStringLiteral("4913000777000%1").arg(n, 6, 10, QLatin1Char('0'));
}

} // namespace

QString Connection::translate(const QString& jetSql, QVariantList* parameters)
{
    // Queries that differ only in their numbers (one per taxpayer, per worksheet) share one
    // translation; the numbers go back into it. A number translates to itself. Given
    // parameters, a number compared with (after =, <, >) goes in as a parameter instead
    // (?1, ?2, ...: the same value, as a literal of it would be): the text is then the same for
    // every taxpayer or worksheet, and its prepared statement serves them all.
    followKeys();
    QString key;
    QStringList numbers;
    if (!withoutNumbers(jetSql, &key, &numbers))
        return translateNow(jetSql);
    auto known = translations_.constFind(key);
    if (known == translations_.cend()) {
        QString marked = key;
        for (qsizetype n = 0, at = 0; n < numbers.size(); ++n) {
            at = marked.indexOf(QChar(1), at);
            const QString mark = numberMark(n);
            marked.replace(at, 1, mark);
            at += mark.size();
        }
        QString translated = translateNow(marked);
        for (qsizetype n = 0; n < numbers.size(); ++n) {
            if (!translated.contains(numberMark(n)))
                return translateNow(jetSql);   // the translation did not carry the number as it was
        }
        if (translations_.size() > 512)
            translations_.clear();
        known = translations_.insert(key, translated);
    }
    QString out = *known;
    const bool bind = parameters && !jetSql.contains(QLatin1Char('?'));
    for (qsizetype n = 0; n < numbers.size(); ++n) {
        const QString mark = numberMark(n);
        for (qsizetype at = out.indexOf(mark); at >= 0; at = out.indexOf(mark, at)) {
            qsizetype before = at - 1;
            while (before >= 0 && out.at(before) == QLatin1Char(' '))
                --before;
            const bool compared = before >= 0
                && (out.at(before) == QLatin1Char('=') || out.at(before) == QLatin1Char('<') || out.at(before) == QLatin1Char('>'));
            const QString& digits = numbers.at(n);
            QString replacement = digits;
            if (bind && compared && digits.size() <= 18) {
                parameters->append(QVariant(digits.toLongLong()));
                replacement = QLatin1Char('?') + QString::number(parameters->size());
            }
            out.replace(at, mark.size(), replacement);
            at += replacement.size();
        }
    }
    return out;
}

QString upperIndexedColumn(const QString& createIndexSql)
{
    // CREATE [UNIQUE] INDEX name ON table (upper(column)), the names bare, "quoted" or [bracketed].
    static const QRegularExpression shape(
        QStringLiteral(R"re(^\s*CREATE\s+(?:UNIQUE\s+)?INDEX\s+(?:IF\s+NOT\s+EXISTS\s+)?(?:"[^"]*"|\[[^\]]*\]|\S+)\s+)re"
                       R"re(ON\s+(?:"[^"]*"|\[[^\]]*\]|[^\s(]+)\s*\(\s*upper\s*\(\s*(?:"([^"]+)"|\[([^\]]+)\]|(\w+))\s*\)\s*\)\s*;?\s*$)re"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = shape.match(createIndexSql);
    if (!m.hasMatch())
        return QString();
    for (int group = 1; group <= 3; ++group)
        if (!m.captured(group).isEmpty())
            return m.captured(group);
    return QString();
}

const QHash<QString, bool>& Connection::keyed()
{
    if (!keyed_) {
        QHash<QString, bool> keyed;
        QSet<QString> uniqueTriggers;
        Statement st(*this, QStringLiteral("SELECT type, tbl_name, name, sql FROM sqlite_master "
                                           "WHERE type IN ('index', 'trigger') AND sql IS NOT NULL"));
        while (st.step()) {
            if (st.rawValue(0).toString() == QLatin1String("trigger")) {
                uniqueTriggers.insert(st.rawValue(2).toString().toLower());
                continue;
            }
            const QString key = upperIndexedColumn(st.rawValue(3).toString());
            if (!key.isEmpty())
                keyed.insert(st.rawValue(1).toString().toLower() + QLatin1Char('.') + key.toLower(), false);
        }
        for (auto it = keyed.begin(); it != keyed.end(); ++it) {
            const QString name = it.key();
            it.value() = uniqueTriggers.contains(QStringLiteral("uniq_") + QString(name).replace(QLatin1Char('.'), QLatin1Char('_'))
                                                 + QStringLiteral("_ins"));
        }
        keyed_ = std::move(keyed);
    }
    return *keyed_;
}

bool Connection::columnOfAnyTable(const QString& table, const QString& column,
                                  const std::function<bool(const QString& tableColumn)>& holds)
{
    const QStringList tables = table.isEmpty() ? tableNames() : QStringList{canonicalTable(table)};
    for (const QString& t : tables) {
        if (!t.isEmpty() && holds(t.toLower() + QLatin1Char('.') + column.toLower()))
            return true;
    }
    return false;
}

bool Connection::isKeyedColumn(const QString& table, const QString& column)
{
    return columnOfAnyTable(table, column, [this](const QString& key) { return keyed().contains(key); });
}

void Connection::followKeys()
{
    const qint64 changes = sqlite3_total_changes64(handle_);
    const qint64 version = scalar(QStringLiteral("PRAGMA data_version")).toLongLong();
    if (version == keysDataVersion_ && changes == keysChanges_)
        return;
    QSet<QString> beyond;
    for (auto it = keyed().cbegin(); it != keyed().cend(); ++it) {
        const QString table = it.key().section(QLatin1Char('.'), 0, 0);
        const QString column = it.key().section(QLatin1Char('.'), 1);
        // Answered by the column's "..._unicode" index of exactly those keys.
        const QString sql = QStringLiteral("SELECT EXISTS (SELECT 1 FROM \"%1\" WHERE \"%2\" GLOB '*[^ -~]*')")
                                .arg(canonicalTable(table), column);
        if (scalar(sql).toLongLong() != 0)
            beyond.insert(it.key());
    }
    keysDataVersion_ = version;
    keysChanges_ = sqlite3_total_changes64(handle_);
    if (beyond != keysBeyondAscii_) {
        keysBeyondAscii_ = std::move(beyond);
        translations_.clear();
    }
}

bool Connection::holdsKeysBeyondAscii(const QString& table, const QString& column)
{
    return columnOfAnyTable(table, column, [this](const QString& key) { return keysBeyondAscii_.contains(key); });
}

bool Connection::isUniqueKeyColumn(const QString& table, const QString& column)
{
    return columnOfAnyTable(table, column, [this](const QString& key) { return keyed().value(key); });
}

QString Connection::translateNow(const QString& jetSql)
{
    // A column of that type in the table named, or in any table when none is.
    const auto ofType = [this](FieldType type) {
        return [this, type](const QString& table, const QString& column) {
            const QStringList tables = table.isEmpty() ? tableNames() : QStringList{canonicalTable(table)};
            for (const QString& t : tables) {
                if (t.isEmpty())
                    continue;
                for (const ColumnDef& c : columns(t)) {
                    if (c.type == type && c.name.compare(column, Qt::CaseInsensitive) == 0)
                        return true;
                }
            }
            return false;
        };
    };
    jet::SchemaInfo info;
    info.isDateColumn = ofType(FieldType::DateTime);
    info.isTextColumn = ofType(FieldType::Text);
    info.isKeyedColumn = [this](const QString& table, const QString& column) { return isKeyedColumn(table, column); };
    info.isUniqueKeyColumn = [this](const QString& table, const QString& column) { return isUniqueKeyColumn(table, column); };
    info.holdsKeysBeyondAscii = [this](const QString& table, const QString& column) {
        return holdsKeysBeyondAscii(table, column);
    };
    return jet::translate(jetSql, info);
}

void Connection::savepoint(const char* name)
{
    execScript(QStringLiteral("SAVEPOINT %1").arg(QLatin1String(name)));
}

void Connection::release(const char* name)
{
    execScript(QStringLiteral("RELEASE %1").arg(QLatin1String(name)));
}

void Connection::rollbackTo(const char* name)
{
    if (handle_) {
        const QByteArray sql = QStringLiteral("ROLLBACK TO %1; RELEASE %1").arg(QLatin1String(name)).toUtf8();
        sqlite3_exec(handle_, sql.constData(), nullptr, nullptr, nullptr);
    }
}

// ---------------------------------------------------------------- database

namespace {
sqlite3* openHandle(const QString& path, bool readOnly, bool create)
{
    sqlite3* h = nullptr;
    int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (create)
        flags |= SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &h, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = h ? QString::fromUtf8(sqlite3_errmsg(h)) : QString();
        const int code = h ? sqlite3_extended_errcode(h) : rc;
        sqlite3_close_v2(h);
        throw mapSqliteError(code, message, path);
    }
    sqlite3_extended_result_codes(h, 1);
    sqlite3_busy_timeout(h, g_lockTimeoutMs);
    jet::registerFunctions(h);
    // A commit is on disk before it returns; a crash leaves the file as before or as after it.
    sqlite3_exec(h, "PRAGMA synchronous = FULL; PRAGMA journal_mode = DELETE; PRAGMA foreign_keys = OFF;",
                 nullptr, nullptr, nullptr);
    return h;
}

// A whole-file check costs time in proportion to the file (tens of milliseconds at a hundred
// thousand rows) and every form opens its own connection. While a connection of ours that passed
// the check on this very file (same device and inode: a repair swaps in a new one) is still open,
// a further open skips it; damage found later still surfaces as the engine's damage error.
using FileIdentity = std::pair<unsigned long long, unsigned long long>;

bool identityOf(const QString& path, FileIdentity* id)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    *id = {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
    return true;
}

std::mutex checkedMutex;
std::map<FileIdentity, std::weak_ptr<Connection>> checkedFiles;

bool checkedWhileOpen(const FileIdentity& id)
{
    const std::lock_guard<std::mutex> lock(checkedMutex);
    const auto it = checkedFiles.find(id);
    if (it == checkedFiles.end())
        return false;
    if (it->second.expired()) {
        checkedFiles.erase(it);
        return false;
    }
    return true;
}

void rememberChecked(const FileIdentity& id, const std::shared_ptr<Connection>& conn)
{
    const std::lock_guard<std::mutex> lock(checkedMutex);
    checkedFiles[id] = conn;
}
} // namespace

Database::Database() = default;
Database::~Database() = default;
Database::Database(const Database&) = default;
Database& Database::operator=(const Database&) = default;

Database Database::open(const QString& path, const QString& connect, bool exclusive, bool readOnly)
{
    const QFileInfo info(path);
    if (path.trimmed().isEmpty() || !info.exists() || !info.isFile())
        raise(err::FileNotFound, path);
    if (!info.isReadable())
        raise(err::CannotOpen, path);
    if (!hasSqliteHeader(path))
        raise(err::UnrecognizedFormat, path);

    auto conn = std::make_shared<Connection>(openHandle(path, readOnly, false), info.absoluteFilePath());
    if (exclusive) {
        conn->execScript(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
        try {
            conn->execScript(QStringLiteral("BEGIN EXCLUSIVE; COMMIT;"));
        } catch (const DbError& e) {
            if (e.number() == err::Locked)
                raise(err::FileInUse, path);
            throw;
        }
    }

    QString format;
    QString password;
    try {
        FileIdentity identity;
        const bool known = identityOf(path, &identity);
        if (!known || !checkedWhileOpen(identity)) {
            const QVariant check = conn->scalar(QStringLiteral("PRAGMA quick_check(1)"));
            if (check.toString() != QLatin1String("ok"))
                raise(err::Corrupt, path);
            if (known)
                rememberChecked(identity, conn);
        }
        if (conn->scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'zal_sistema'"))
                .toLongLong() == 0)
            raise(err::UnrecognizedFormat, path);
        format = conn->scalar(QStringLiteral("SELECT valor FROM zal_sistema WHERE clave = 'formato'")).toString();
        password = conn->scalar(QStringLiteral("SELECT valor FROM zal_sistema WHERE clave = 'clave'")).toString();
        // A page of another table's rows in the place of the marks' page (a copy gone wrong) reads
        // as no marks, or marks of no format; the marks' table then disagrees with its own index,
        // which the quick check does not look at. Such a file is damaged, not another program's.
        if (format != QLatin1String(kFileFormat)
            && conn->scalar(QStringLiteral("PRAGMA integrity_check(zal_sistema)")).toString() != QLatin1String("ok"))
            raise(err::Corrupt, path);
    } catch (const DbError& e) {
        if (e.number() == err::Locked)
            raise(err::FileInUse, path);
        if (e.number() == err::Reserved || e.number() == err::TableNotFound || e.number() == err::TooFewParameters)
            raise(err::UnrecognizedFormat, path);
        throw;
    }
    if (format != QLatin1String(kFileFormat))
        raise(err::UnrecognizedFormat, path);
    if (passwordOf(connect) != password)
        raise(err::InvalidPassword);

    Database db;
    db.conn_ = std::move(conn);
    return db;
}

bool Database::isOpen() const
{
    return conn_ && conn_->isOpen();
}

QString Database::name() const
{
    return conn_ ? conn_->path() : QString();
}

void Database::close()
{
    if (conn_)
        conn_->close();
}

void Database::execute(const QString& sql)
{
    if (!isOpen())
        raise(err::InvalidOperation);
    conn_->followSchema();
    const QString translated = conn_->translate(sql);
    Statement st(*conn_, translated, sql);
    if (sqlite3_stmt_readonly(st.get()) && sqlite3_column_count(st.get()) > 0)
        raise(err::ActionOnSelect);
    while (st.step()) {
    }
    conn_->lastChanges = sqlite3_changes(conn_->handle());
    const QString head = sql.trimmed().section(QLatin1Char(' '), 0, 0).toUpper();
    if (head == QLatin1String("ALTER") || head == QLatin1String("CREATE") || head == QLatin1String("DROP"))
        conn_->schemaChanged();
}

int Database::recordsAffected() const
{
    return conn_ ? conn_->lastChanges : 0;
}

QStringList Database::tableNames() const
{
    if (!isOpen())
        raise(err::InvalidOperation);
    conn_->followSchema();
    return conn_->tableNames();
}

void Database::beginTrans()
{
    if (!isOpen())
        raise(err::InvalidOperation);
    if (conn_->transactionDepth > 0)
        raise(err::InvalidOperation);
    conn_->execScript(QStringLiteral("BEGIN IMMEDIATE"));
    conn_->transactionDepth = 1;
}

void Database::commitTrans()
{
    if (!isOpen() || conn_->transactionDepth == 0)
        raise(err::InvalidOperation);
    conn_->execScript(QStringLiteral("COMMIT"));
    conn_->transactionDepth = 0;
}

void Database::rollback()
{
    if (!isOpen() || conn_->transactionDepth == 0)
        raise(err::InvalidOperation);
    conn_->transactionDepth = 0;
    sqlite3_exec(conn_->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    conn_->schemaChanged();
}

bool Database::inTransaction() const
{
    return conn_ && conn_->transactionDepth > 0;
}

// ---------------------------------------------------------------- creation

bool createDatabase(const QString& path, const QString& schemaSql, const QString& seedSql, QString* errorText)
{
    if (QFileInfo::exists(path)) {
        if (errorText)
            *errorText = QStringLiteral("ya existe");
        return false;
    }
    const QFileInfo info(path);
    QDir().mkpath(info.absolutePath());
    // Build beside the target and move it in whole.
    const QString temp = info.absoluteFilePath() + QStringLiteral(".nuevo");
    QFile::remove(temp);
    try {
        Connection conn(openHandle(temp, false, true), temp);
        conn.execScript(QStringLiteral("BEGIN;") + schemaSql + QLatin1Char('\n') + seedSql + QStringLiteral("\nCOMMIT;"));
        conn.close();
    } catch (const DbError& e) {
        QFile::remove(temp);
        if (errorText)
            *errorText = e.description();
        return false;
    }
    if (QFileInfo::exists(path) || !QFile::rename(temp, path)) {
        QFile::remove(temp);
        if (errorText)
            *errorText = QStringLiteral("no se pudo crear");
        return false;
    }
    return true;
}

} // namespace db
