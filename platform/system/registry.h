#pragma once
// Registry lookups in the manner of the classic registry calls, over an in-memory store. On this
// platform the store starts empty, so every lookup of the program finds nothing; tests put values
// in it. Key names are compared without regard to letter case, as the registry does.
#include <QByteArray>
#include <QString>

namespace sys {

using HKEY = quint32;

// Predefined roots.
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;

// Result codes.
inline constexpr int ERROR_SUCCESS = 0;
inline constexpr int ERROR_FILE_NOT_FOUND = 2;
inline constexpr int ERROR_INVALID_HANDLE = 6;
inline constexpr int ERROR_MORE_DATA = 234;

// Value types.
inline constexpr quint32 REG_SZ = 1;      // text, stored as UTF-8 bytes with a terminating zero
inline constexpr quint32 REG_DWORD = 4;   // 32-bit number, four bytes, least significant first

// Opens root\subKey (root is a predefined root or a handle this function gave). The access mask
// is accepted as given. ERROR_SUCCESS and *result set to a new handle, or ERROR_FILE_NOT_FOUND.
int RegOpenKeyEx(HKEY root, const QString& subKey, quint32 options, quint32 access, HKEY* result);

// Reads a value of an open key. On entry *size is the capacity of the caller's buffer *data (at
// most that many bytes are written, over the start of *data, which grows to *size when shorter).
// On success: ERROR_SUCCESS, *type the value's type, *size the value's size in bytes (a text's
// terminating zero included, when it was stored with one). ERROR_MORE_DATA with *size set to the
// size needed when the buffer is too small; ERROR_FILE_NOT_FOUND when there is no such value;
// ERROR_INVALID_HANDLE for a key that is not open. type, data and size may be null.
int RegQueryValueEx(HKEY key, const QString& valueName, quint32* type, QByteArray* data, quint32* size);

int RegCloseKey(HKEY key);

// The store. Setting a value creates its key and the keys above it.
void setRegistryValue(HKEY root, const QString& keyName, const QString& valueName, quint32 type,
                      const QByteArray& bytes);
// A text value, as UTF-8 followed by a terminating zero unless withTerminator is false.
void setRegistryText(HKEY root, const QString& keyName, const QString& valueName, const QString& text,
                     bool withTerminator = true);
void setRegistryDword(HKEY root, const QString& keyName, const QString& valueName, quint32 value);
// Empties the store and forgets every open handle.
void clearRegistry();

} // namespace sys
