#include "platform/system/registry.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QStringList>

namespace sys {
namespace {

struct Value {
    quint32 type = 0;
    QByteArray bytes;
};

struct Store {
    QSet<QString> keys;                            // full key paths, lower case
    QHash<QString, QHash<QString, Value>> values;  // key path → value name (lower case) → value
    QHash<HKEY, QString> handles;                  // open handles → key path
    HKEY nextHandle = 1;
};

Store& store()
{
    static Store s;
    return s;
}

bool isPredefined(HKEY root)
{
    return root >= HKEY_CLASSES_ROOT && root <= HKEY_USERS;
}

// The path of a root, or an empty text for a handle that is neither predefined nor open.
QString rootPath(HKEY root)
{
    if (isPredefined(root))
        return QString::number(root, 16);
    return store().handles.value(root);
}

QString childPath(const QString& parent, const QString& subKey)
{
    QString path = parent;
    const QStringList parts = subKey.toLower().split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString& part : parts)
        path += QLatin1Char('\\') + part;
    return path;
}

bool keyExists(const QString& path)
{
    return !path.contains(QLatin1Char('\\')) || store().keys.contains(path);
}

} // namespace

int RegOpenKeyEx(HKEY root, const QString& subKey, quint32 /*options*/, quint32 /*access*/, HKEY* result)
{
    const QString parent = rootPath(root);
    if (parent.isEmpty())
        return ERROR_INVALID_HANDLE;
    const QString path = childPath(parent, subKey);
    if (!keyExists(path))
        return ERROR_FILE_NOT_FOUND;
    const HKEY handle = store().nextHandle++;
    store().handles.insert(handle, path);
    if (result)
        *result = handle;
    return ERROR_SUCCESS;
}

int RegQueryValueEx(HKEY key, const QString& valueName, quint32* type, QByteArray* data, quint32* size)
{
    const QString path = rootPath(key);
    if (path.isEmpty())
        return ERROR_INVALID_HANDLE;
    const auto keyValues = store().values.constFind(path);
    if (keyValues == store().values.constEnd())
        return ERROR_FILE_NOT_FOUND;
    const auto value = keyValues->constFind(valueName.toLower());
    if (value == keyValues->constEnd())
        return ERROR_FILE_NOT_FOUND;

    const quint32 needed = quint32(value->bytes.size());
    if (type)
        *type = value->type;
    if (data) {
        const quint32 capacity = size ? *size : 0;
        if (capacity < needed) {
            if (size)
                *size = needed;
            return ERROR_MORE_DATA;
        }
        if (quint32(data->size()) < capacity)
            data->resize(qsizetype(capacity), '\0');
        data->replace(0, value->bytes.size(), value->bytes);
    }
    if (size)
        *size = needed;
    return ERROR_SUCCESS;
}

int RegCloseKey(HKEY key)
{
    if (isPredefined(key))
        return ERROR_SUCCESS;
    return store().handles.remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

void setRegistryValue(HKEY root, const QString& keyName, const QString& valueName, quint32 type,
                      const QByteArray& bytes)
{
    const QString parent = rootPath(root);
    if (parent.isEmpty())
        return;
    const QString path = childPath(parent, keyName);
    for (QString p = path; p.contains(QLatin1Char('\\')); p.truncate(p.lastIndexOf(QLatin1Char('\\'))))
        store().keys.insert(p);
    store().values[path].insert(valueName.toLower(), Value{type, bytes});
}

void setRegistryText(HKEY root, const QString& keyName, const QString& valueName, const QString& text,
                     bool withTerminator)
{
    QByteArray bytes = text.toUtf8();
    if (withTerminator)
        bytes.append('\0');
    setRegistryValue(root, keyName, valueName, REG_SZ, bytes);
}

void setRegistryDword(HKEY root, const QString& keyName, const QString& valueName, quint32 value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((value >> (8 * i)) & 0xFF);
    setRegistryValue(root, keyName, valueName, REG_DWORD, bytes);
}

void clearRegistry()
{
    store() = Store{};
}

} // namespace sys
