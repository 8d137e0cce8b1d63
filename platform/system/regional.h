#pragma once
// Regional settings: the date and number formats the program reads and writes, kept in a store of
// our own instead of the desktop's locale (which is never touched). Values are addressed by the
// classic locale-value numbers. Writing the short date, the decimal or thousands separator, the
// grouping or the currency symbol also changes basic::regional(), so every conversion of the
// runtime parses and prints with the new value at once.
#include <QMap>
#include <QObject>
#include <QString>

namespace sys {

// Locale-value numbers.
inline constexpr int LOCALE_SDECIMAL = 14;
inline constexpr int LOCALE_STHOUSAND = 15;
inline constexpr int LOCALE_SGROUPING = 16;
inline constexpr int LOCALE_SCURRENCY = 20;
inline constexpr int LOCALE_SMONDECIMALSEP = 22;
inline constexpr int LOCALE_SMONTHOUSANDSEP = 23;
inline constexpr int LOCALE_SMONGROUPING = 24;
inline constexpr int LOCALE_SSHORTDATE = 31;

// Locale ids accepted besides the system default one.
inline constexpr int LOCALE_USER_DEFAULT = 0x0400;
inline constexpr int LOCALE_SYSTEM_DEFAULT = 0x0800;

// The id of the one locale the store holds (always the same number).
int GetSystemDefaultLCID();

// Reads a locale value.
// - size 0: returns the length the value needs, its terminating NUL included; buffer is not touched.
// - otherwise: when the value with its NUL fits in size characters, writes the value followed by a
//   NUL character over the start of *buffer (what follows in a longer buffer stays) and returns the
//   count written, NUL included.
// Returns 0 for an unknown locale or value, a null buffer with a size, or a size that is too small.
int GetLocaleInfo(int lcid, int type, QString* buffer, int size);

// Writes a locale value; false for an unknown locale or value number (nothing is changed then).
bool SetLocaleInfo(int lcid, int type, const QString& value);

// Tells every interested window that the regional settings changed: emits
// RegionalSettings::instance()->settingsChanged().
void broadcastSettingChange();

// Returns the store to its initial values (short date "dd/MM/yyyy", decimal ".", thousands ",",
// currency "Q", groupings "3;0", monetary separators "." and ","), then applies the given values
// (by locale-value number, e.g. {{LOCALE_SSHORTDATE, "M/d/yyyy"}}) and brings basic::regional()
// in line with the result. Emits nothing.
void resetRegionalSettings(const QMap<int, QString>& values = {});

// The object that announces changes of the regional settings.
class RegionalSettings : public QObject {
    Q_OBJECT
public:
    static RegionalSettings* instance();

signals:
    void settingsChanged();

private:
    RegionalSettings() = default;
};

} // namespace sys
