#pragma once
// Runtime semantics the forms count on: number parsing, date recognition, text of values and
// Format patterns, all under the formats that start-up forces (dd/MM/yyyy, "." decimal, "," thousands).
// One implementation used everywhere; nothing here depends on the desktop's locale.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <stdexcept>

namespace basic {

// Formats read by every conversion below. Start-up forces them; tests may change them.
struct RegionalFormats {
    QString shortDate = QStringLiteral("dd/MM/yyyy");
    QString decimalSeparator = QStringLiteral(".");
    QString thousandSeparator = QStringLiteral(",");
    QString currencySymbol = QStringLiteral("Q");
    QString grouping = QStringLiteral("3;0");
};
RegionalFormats& regional();

// A run-time error of the conversions (13 type mismatch, 6 overflow, 5 invalid argument).
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), number_(number), description_(description) {}
    int number() const { return number_; }
    QString description() const { return description_; }
private:
    int number_;
    QString description_;
};

// Val: reads a number from the start of the text and stops at the first character that cannot
// continue it. Blanks, tabs and line feeds anywhere are skipped ("1 2 3" reads 123); "." is the only
// decimal point, so "12,5" reads 12; "&H"/"&O" prefixes are read as hexadecimal/octal (up to &HFFFF
// a 16-bit integer, so "&HFFFF" is -1); "1e3" and "1d3" read 1000; nothing numeric gives 0.
// A number too large for a double throws RuntimeError(6).
double Val(const QString& text);

// IsNumeric: true when the value is a number or a Boolean, or a text that reads whole as a number
// under the regional formats: blanks around, a sign or parentheses (negative), a leading currency
// symbol, thousands separators between digits ("1,234" and also "12,5" = 125), one decimal
// separator, an exponent ("1e3", "1d3"), or "&H"/"&O" digits. Null, dates, "" and blanks are not.
bool IsNumeric(const QVariant& value);

// IsDate: true when the value is a date, or a text that reads as a valid date in the
// regional short-date order (day/month/year; "-", "/" or "." between the parts; 2-digit years
// 00-29 → 2000s, 30-99 → 1900s; also a day and month alone, taking the current year; a first part
// of 3-4 digits is a year, as in "2002/03/05"), optionally followed by a time "hh:mm[:ss] [AM|PM]".
// Numbers are not dates.
bool IsDate(const QVariant& value);

// CDate: the date of a value (a date, a day serial, or a text as IsDate reads it; a numeric text is
// a day serial). A result with a time of day is a QDateTime, otherwise a QDate.
// Throws RuntimeError(13) when it is none, 94 for Null, 6 for a serial out of 0100-9999.
QVariant CDate(const QVariant& value);

// CDbl: the number of a value (a number, a Boolean (True is -1), a numeric text as IsNumeric reads
// it, a date as its day serial). Throws RuntimeError(13) otherwise; Null throws 94 (invalid use of Null).
double CDbl(const QVariant& value);

// CStr: the text of a value: numbers with up to 15 significant digits and no trailing zeros
// ("0.5", "-3"), in exponent form from 1E+15 up and below 0.0001 ("1E+16", "1E-05"), negative zero
// "0"; dates in the short-date format, with " hh:mm:ss" (24 h) when the time is not midnight;
// Booleans "True"/"False"; Null "".
QString CStr(const QVariant& value);

// Format(value, pattern): the patterns the program uses, among them "###,###,##0.00",
// "###,###,##0.0000", "##,###,##0.00", ".00", ".0000", "00", "0000", "000000000000",
// "#######0.00", "&&", "dd/mm/yyyy", "ddmmyyyy", "yyyymmdd", "mm", "yyyy".
// Numbers round half away from zero on their decimal value (2.675 → "2.68").
// An empty pattern gives CStr. A text that is a number is formatted as a number; a text that is a
// date is formatted as a date; any other text is returned as it is (or filled, for "&"/"@").
// Numeric patterns: "0" digit, "#" optional digit, "," between digit placeholders groups thousands
// (after the last one it divides by 1000), "." decimal point, "%", "E+00"/"E-00", quoted and "\"
// literals, sections "positive;negative;zero". A negative value (that does not round to zero) gets
// "-" just before its first digit; a zero integer part prints no digit unless a "0" asks for it
// (".00" of 0.5 is ".50"). Date patterns (letters in any case): d, dd, ddd, dddd, ddddd (short date),
// m, mm, mmm, mmmm (minutes right after h), yy, yyyy, y (day of year), h, hh, n, nn, s, ss, AM/PM,
// "/" the regional date separator; a number is a day serial. Text patterns: "&" takes one character
// or nothing, "@" one character or a blank, filled from the right (the first placeholder takes any
// extra characters; "!" fills from the left), "<"/">" change the case. Named formats: General Number,
// Currency (Q1,234.50), Fixed, Standard, Percent, Scientific, Short Date, Long Date, General Date,
// Short Time, Long Time, Yes/No, True/False, On/Off. Null gives "".
QString Format(const QVariant& value, const QString& pattern = QString());

// Rounds half away from zero on the value's decimal representation (15 significant digits),
// so Round(2.675, 2) = 2.68 and Round(1.005, 2) = 1.01. Negative decimals throw RuntimeError(5).
double Round(double value, int decimals);

// The day serials of the dates the runtime can hold: 01/01/0100 to 31/12/9999.
constexpr double kMinDateSerial = -657434.0;
constexpr double kMaxDateSerial = 2958465.999999;
inline bool isDateSerial(double serial) { return serial >= kMinDateSerial && serial <= kMaxDateSerial; }

// Day serials: days since 30/12/1899 (the fraction is the time of day; before the base day the
// fraction still counts forward from midnight, so -1.25 is 29/12/1899 06:00). Times round to seconds.
// A serial outside the dates the runtime can hold (or not finite) gives an invalid date.
double dateToSerial(const QDate& date);
double dateTimeToSerial(const QDateTime& dateTime);
QDate serialToDate(double serial);
QDateTime serialToDateTime(double serial);

// The text of a number with up to 15 significant digits (what CStr gives for a number).
QString numberToText(double value);

// The text of a date in the regional short-date format (a year letter "a" means the year, as "y").
QString dateToText(const QDate& date);

// Leading and trailing blanks (spaces) removed, as the runtime's Trim does; tabs and other white
// space stay.
QString Trim(const QString& text);

} // namespace basic
