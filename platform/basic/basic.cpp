#include "platform/basic/basic.h"

#include "platform/system/clock.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <QTime>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

namespace basic {

RegionalFormats& regional()
{
    static RegionalFormats formats;
    return formats;
}

namespace {

// ---------------------------------------------------------------------------------------------
// Small helpers
// ---------------------------------------------------------------------------------------------

const QDate& serialBase()
{
    static const QDate base(1899, 12, 30);
    return base;
}

constexpr double kMinSerial = kMinDateSerial;
constexpr double kMaxSerial = kMaxDateSerial;

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

bool isRadixDigit(QChar c, int radix)
{
    const QChar u = c.toUpper();
    return radix == 16 ? (isDigit(u) || (u >= u'A' && u <= u'F')) : (u >= u'0' && u <= u'7');
}

bool isNullValue(const QVariant& value) { return !value.isValid() || value.isNull(); }

bool isTextType(const QVariant& value)
{
    const int id = value.metaType().id();
    return id == QMetaType::QString || id == QMetaType::QByteArray || id == QMetaType::QChar;
}

bool isNumberType(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Short: case QMetaType::UShort:
    case QMetaType::Long: case QMetaType::ULong: case QMetaType::Char: case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isDateType(const QVariant& value)
{
    const int id = value.metaType().id();
    return id == QMetaType::QDate || id == QMetaType::QDateTime || id == QMetaType::QTime;
}

QDateTime dateTimeOf(const QVariant& value)
{
    switch (value.metaType().id()) {
    // A day as a moment without a time zone: only its date and time are ever read, and a local
    // moment would look up the zone's rules on every call (and skip a midnight that daylight
    // saving leaves out).
    case QMetaType::QDate: return QDateTime(value.toDate(), QTime(0, 0), Qt::UTC);
    case QMetaType::QTime: return QDateTime(serialBase(), value.toTime());
    default: return value.toDateTime();
    }
}

// Spanish names of months and days, as the date formats write them (full and short); our own
// table, so that no desktop locale or locale data of another version changes a printed date.
const QString& monthName(int month, bool shortName = false)
{
    static const QString full[12] = {
        QStringLiteral("enero"), QStringLiteral("febrero"), QStringLiteral("marzo"), QStringLiteral("abril"),
        QStringLiteral("mayo"), QStringLiteral("junio"), QStringLiteral("julio"), QStringLiteral("agosto"),
        QStringLiteral("septiembre"), QStringLiteral("octubre"), QStringLiteral("noviembre"), QStringLiteral("diciembre")};
    static const QString brief[12] = {
        QStringLiteral("ene"), QStringLiteral("feb"), QStringLiteral("mar"), QStringLiteral("abr"),
        QStringLiteral("may"), QStringLiteral("jun"), QStringLiteral("jul"), QStringLiteral("ago"),
        QStringLiteral("sept"), QStringLiteral("oct"), QStringLiteral("nov"), QStringLiteral("dic")};
    const int i = month < 1 ? 0 : month > 12 ? 11 : month - 1;
    return shortName ? brief[i] : full[i];
}

// dayOfWeek: 1 Monday to 7 Sunday.
const QString& dayName(int dayOfWeek, bool shortName = false)
{
    static const QString full[7] = {QStringLiteral("lunes"), QStringLiteral("martes"), QStringLiteral("miércoles"),
                                    QStringLiteral("jueves"), QStringLiteral("viernes"), QStringLiteral("sábado"),
                                    QStringLiteral("domingo")};
    static const QString brief[7] = {QStringLiteral("lun"), QStringLiteral("mar"), QStringLiteral("mié"),
                                     QStringLiteral("jue"), QStringLiteral("vie"), QStringLiteral("sáb"),
                                     QStringLiteral("dom")};
    const int i = dayOfWeek < 1 ? 0 : dayOfWeek > 7 ? 6 : dayOfWeek - 1;
    return shortName ? brief[i] : full[i];
}

// ---------------------------------------------------------------------------------------------
// Decimal digits: every rounding and every number text starts from the 15 significant decimal
// digits of the double, so 2.675 is the decimal 2.67500000000000 and rounds up as people expect.
// ---------------------------------------------------------------------------------------------

struct Digits {
    bool negative = false;
    bool zero = true;
    QString digits = QString(15, u'0'); // 15 digits, the first one non-zero unless zero
    int exponent = 0;                   // power of ten of the first digit
};

Digits digitsOf(double value)
{
    Digits d;
    d.negative = std::signbit(value);
    if (value == 0 || !std::isfinite(value))
        return d;
    // d.dddddddddddddde+XX, correctly rounded (as QString::number(v, 'e', 14), without its
    // allocations).
    char text[40];
    const auto written = std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::scientific, 14);
    const char* e = std::find(text, written.ptr, 'e');
    d.digits.resize(15);
    d.digits[0] = QLatin1Char(text[0]);
    for (int i = 1; i < 15; ++i)
        d.digits[i] = QLatin1Char(text[i + 1]);
    std::from_chars(e + (e[1] == '+' ? 2 : 1), written.ptr, d.exponent);
    d.zero = false;
    return d;
}

// Adds one unit in the last place of a digit string; returns true when it carried out of it.
bool incrementDigits(QString& digits)
{
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] == u'9') {
            digits[i] = u'0';
        } else {
            digits[i] = QChar(digits[i].unicode() + 1);
            return false;
        }
    }
    return true;
}

// A number rounded to a fixed count of decimals, half away from zero on its decimal digits.
struct Fixed {
    bool negative = false;
    QString integer;   // no leading zeros; empty for a zero integer part
    QString fraction;  // exactly the requested count of digits
    bool isZero() const
    {
        for (QChar c : integer + fraction)
            if (c != u'0')
                return false;
        return true;
    }
};

Fixed roundFixed(const Digits& d, int decimals)
{
    Fixed r;
    r.negative = d.negative;
    if (d.zero) {
        r.fraction = QString(decimals, u'0');
        return r;
    }
    const int e = d.exponent;
    QString integer;
    QString fraction;
    if (e >= 0) {
        if (e + 1 <= d.digits.size()) {
            integer = d.digits.left(e + 1);
            fraction = d.digits.mid(e + 1);
        } else {
            integer = d.digits + QString(e + 1 - d.digits.size(), u'0');
        }
    } else {
        fraction = QString(-e - 1, u'0') + d.digits;
    }
    bool up = false;
    if (fraction.size() > decimals) {
        up = fraction[decimals] >= u'5';
        fraction.truncate(decimals);
    } else {
        fraction += QString(decimals - fraction.size(), u'0');
    }
    if (up) {
        QString all = integer + fraction;
        if (incrementDigits(all))
            all.prepend(u'1');
        integer = all.left(all.size() - decimals);
        fraction = all.right(decimals);
    }
    qsizetype lead = 0;
    while (lead < integer.size() && integer[lead] == u'0')
        ++lead;
    r.integer = integer.mid(lead);
    r.fraction = fraction;
    return r;
}

// ---------------------------------------------------------------------------------------------
// Reading numbers
// ---------------------------------------------------------------------------------------------

// "&H"/"&O" values: up to FFFF they are 16-bit integers (so &HFFFF is -1), up to FFFFFFFF 32-bit.
std::optional<double> radixValue(const QString& digits, int radix)
{
    if (digits.isEmpty())
        return 0.0;
    bool ok = false;
    const qulonglong value = digits.toULongLong(&ok, radix);
    if (!ok || value > 0xFFFFFFFFull)
        return std::nullopt;
    if (value <= 0xFFFF)
        return double(int16_t(uint16_t(value)));
    return double(int32_t(uint32_t(value)));
}

// The whole text as a number under the regional formats, or nothing.
std::optional<double> parseNumericText(const QString& text)
{
    const RegionalFormats& fmt = regional();
    QString s = text;
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    s = s.mid(b, e - b);
    if (s.isEmpty())
        return std::nullopt;

    if (s.size() >= 2 && s[0] == u'&') {
        const QChar kind = s[1].toUpper();
        const int radix = kind == u'H' ? 16 : kind == u'O' ? 8 : 0;
        if (radix == 0 || s.size() == 2)
            return std::nullopt;
        const QString digits = s.mid(2);
        for (QChar c : digits)
            if (!isRadixDigit(c, radix))
                return std::nullopt;
        return radixValue(digits, radix);
    }

    qsizetype i = 0;
    bool negative = false, sign = false, paren = false, currency = false;
    auto skipBlanks = [&] { while (i < s.size() && isBlank(s[i])) ++i; };
    // Leading parts in any order: "(", a sign, the currency symbol.
    for (;;) {
        skipBlanks();
        if (i >= s.size())
            return std::nullopt;
        if (!paren && !sign && s[i] == u'(') {
            paren = true;
            ++i;
        } else if (!sign && !paren && (s[i] == u'-' || s[i] == u'+')) {
            sign = true;
            negative = s[i] == u'-';
            ++i;
        } else if (!currency && !fmt.currencySymbol.isEmpty()
                   && s.mid(i, fmt.currencySymbol.size()).compare(fmt.currencySymbol, Qt::CaseInsensitive) == 0) {
            currency = true;
            i += fmt.currencySymbol.size();
        } else {
            break;
        }
    }

    QString number;
    bool anyDigit = false;
    // Integer digits; a thousands separator only between digits.
    while (i < s.size()) {
        if (isDigit(s[i])) {
            number += s[i++];
            anyDigit = true;
        } else if (!fmt.thousandSeparator.isEmpty() && anyDigit
                   && s.mid(i, fmt.thousandSeparator.size()) == fmt.thousandSeparator
                   && i + fmt.thousandSeparator.size() < s.size()
                   && isDigit(s[i + fmt.thousandSeparator.size()])) {
            i += fmt.thousandSeparator.size();
        } else {
            break;
        }
    }
    if (!fmt.decimalSeparator.isEmpty() && s.mid(i, fmt.decimalSeparator.size()) == fmt.decimalSeparator) {
        i += fmt.decimalSeparator.size();
        number += u'.';
        while (i < s.size() && isDigit(s[i])) {
            number += s[i++];
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    if (i < s.size() && (s[i].toUpper() == u'E' || s[i].toUpper() == u'D')) {
        QString exponent = QStringLiteral("e");
        ++i;
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
            exponent += s[i++];
        bool expDigit = false;
        while (i < s.size() && isDigit(s[i])) {
            exponent += s[i++];
            expDigit = true;
        }
        if (!expDigit)
            return std::nullopt;
        number += exponent;
    }
    skipBlanks();
    if (paren) {
        if (i >= s.size() || s[i] != u')')
            return std::nullopt;
        ++i;
        negative = true;
        skipBlanks();
    }
    if (i != s.size())
        return std::nullopt;
    // The syntax is checked above; what toDouble can still refuse is a value beyond a double
    // (too small a value is simply 0).
    const double value = number.toDouble();
    if (!std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

// ---------------------------------------------------------------------------------------------
// Reading dates
// ---------------------------------------------------------------------------------------------

enum class DateOrder { DMY, MDY, YMD };

// The order of day, month and year in the regional short date; "a" (año) is a year letter too.
DateOrder regionalOrder()
{
    const QString f = regional().shortDate.toLower();
    const qsizetype d = f.indexOf(u'd');
    const qsizetype m = f.indexOf(u'm');
    qsizetype y = f.indexOf(u'y');
    if (y < 0)
        y = f.indexOf(u'a');
    if (d < 0 || m < 0 || y < 0)
        return DateOrder::DMY;
    if (y < m && y < d)
        return DateOrder::YMD;
    if (m < d)
        return DateOrder::MDY;
    return DateOrder::DMY;
}

// Two-digit years 00-29 are 2000-2029, 30-99 are 1930-1999.
int yearOf(const QString& digits)
{
    const int value = digits.toInt();
    if (digits.size() <= 2)
        return value < 30 ? 2000 + value : 1900 + value;
    return value;
}

struct ParsedDate {
    QDateTime moment;
    bool hasTime = false;
};

std::optional<ParsedDate> parseDateText(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^([0-9]{1,4})\s*[/.\-]\s*([0-9]{1,4})(?:\s*[/.\-]\s*([0-9]{1,4}))?)"
        R"((?:\s+([0-9]{1,2}):([0-9]{1,2})(?::([0-9]{1,2}))?\s*(?:([AaPp])\.?\s*[Mm]\.?)?)?$)"));
    const QRegularExpressionMatch m = pattern.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;

    const QString a = m.captured(1), b = m.captured(2), c = m.captured(3);
    QString day, month, year;
    DateOrder order = regionalOrder();
    if (a.size() >= 3)
        order = DateOrder::YMD;
    if (c.isEmpty()) {
        // A day and a month alone take the current year.
        if (a.size() > 2 || b.size() > 2)
            return std::nullopt;
        if (order == DateOrder::DMY) { day = a; month = b; } else { month = a; day = b; }
        year = QString::number(sys::today().year());
    } else {
        switch (order) {
        case DateOrder::DMY: day = a; month = b; year = c; break;
        case DateOrder::MDY: month = a; day = b; year = c; break;
        case DateOrder::YMD: year = a; month = b; day = c; break;
        }
        if (day.size() > 2 || month.size() > 2)
            return std::nullopt;
    }
    const int y = yearOf(year);
    if (y < 100 || y > 9999)
        return std::nullopt;
    const QDate date(y, month.toInt(), day.toInt());
    if (!date.isValid())
        return std::nullopt;

    ParsedDate result;
    QTime time(0, 0);
    if (m.hasCaptured(4)) {
        int hour = m.captured(4).toInt();
        const int minute = m.captured(5).toInt();
        const int second = m.hasCaptured(6) ? m.captured(6).toInt() : 0;
        if (m.hasCaptured(7)) {
            if (hour < 1 || hour > 12)
                return std::nullopt;
            const bool pm = m.captured(7).toUpper() == u"P";
            hour = hour % 12 + (pm ? 12 : 0);
        }
        time = QTime(hour, minute, second);
        if (!time.isValid())
            return std::nullopt;
        result.hasTime = true;
    }
    result.moment = QDateTime(date, time);
    return result;
}

QString timeText(const QTime& time) { return time.toString(QStringLiteral("HH:mm:ss")); }

QString dateTimeText(const QDateTime& moment)
{
    QString text = dateToText(moment.date());
    if (moment.time() != QTime(0, 0))
        text += u' ' + timeText(moment.time());
    return text;
}

// ---------------------------------------------------------------------------------------------
// Format patterns
// ---------------------------------------------------------------------------------------------

// Splits a pattern at the ";" that are not quoted or escaped.
QStringList sections(const QString& pattern)
{
    QStringList out;
    QString current;
    bool quoted = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && c == u'\\' && i + 1 < pattern.size()) {
            current += c;
            current += pattern[++i];
            continue;
        } else if (!quoted && c == u';') {
            out << current;
            current.clear();
            continue;
        }
        current += c;
    }
    out << current;
    return out;
}

enum class PatternKind { Number, Date, Text };

PatternKind kindOf(const QString& section)
{
    bool text = false;
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (c == u'"') {
            const qsizetype close = section.indexOf(u'"', i + 1);
            i = close < 0 ? section.size() : close;
            continue;
        }
        if (c == u'\\') {
            ++i;
            continue;
        }
        const QChar l = c.toLower();
        if (l == u'd' || l == u'm' || l == u'y' || l == u'h' || l == u'n' || l == u's' || l == u'w'
            || l == u'q' || l == u'c')
            return PatternKind::Date;
        if (l == u'a' && (section.mid(i, 5).compare(u"am/pm", Qt::CaseInsensitive) == 0
                          || section.mid(i, 3).compare(u"a/p", Qt::CaseInsensitive) == 0))
            return PatternKind::Date;
        if (c == u'@' || c == u'&')
            text = true;
    }
    return text ? PatternKind::Text : PatternKind::Number;
}

// --- numbers ---------------------------------------------------------------------------------

struct NumToken {
    enum Type { Placeholder, Literal, Comma } type;
    QChar ch;        // '0' or '#' for a placeholder
    QString text;    // for a literal
};

struct NumPattern {
    QList<NumToken> integer;
    QList<NumToken> fraction;
    bool decimalPoint = false;
    bool grouping = false;
    int scale = 0;            // commas right of the integer digits: each divides by 1000
    bool percent = false;
    bool scientific = false;
    QChar expLetter;
    bool expPlusSign = false; // "E+" always shows the exponent's sign, "E-" only a minus
    int expDigits = 0;        // minimum digits of the exponent
    QString afterExponent;    // literals after the exponent
};

NumPattern parseNumPattern(const QString& section)
{
    NumPattern p;
    QList<NumToken>* part = &p.integer;
    bool inExponent = false;
    auto literal = [&](const QString& text) {
        if (inExponent) {
            p.afterExponent += text;
            return;
        }
        if (!part->isEmpty() && part->last().type == NumToken::Literal)
            part->last().text += text;
        else
            part->append({NumToken::Literal, QChar(), text});
    };
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (c == u'"') {
            const qsizetype close = section.indexOf(u'"', i + 1);
            literal(section.mid(i + 1, (close < 0 ? section.size() : close) - i - 1));
            i = close < 0 ? section.size() : close;
        } else if (c == u'\\') {
            if (i + 1 < section.size())
                literal(section.mid(++i, 1));
        } else if (c == u'0' || c == u'#') {
            if (inExponent) {
                if (p.afterExponent.isEmpty())
                    p.expDigits += c == u'0' ? 1 : 0;
                else
                    p.afterExponent += c;
            } else {
                part->append({NumToken::Placeholder, c, QString()});
            }
        } else if (c == u'.' && !p.decimalPoint && !inExponent) {
            p.decimalPoint = true;
            part = &p.fraction;
        } else if (c == u',' && part == &p.integer && !inExponent) {
            part->append({NumToken::Comma, QChar(), QString()});
        } else if (c == u',' && !inExponent) {
            // a comma among the decimals has no meaning
        } else if ((c == u'E' || c == u'e') && !p.scientific && i + 1 < section.size()
                   && (section[i + 1] == u'+' || section[i + 1] == u'-')) {
            p.scientific = true;
            p.expLetter = c;
            p.expPlusSign = section[i + 1] == u'+';
            inExponent = true;
            ++i;
        } else {
            if (c == u'%')
                p.percent = true;
            literal(QString(c));
        }
    }
    if (p.scientific && p.expDigits == 0)
        p.expDigits = 1;

    // Commas between integer placeholders ask for grouping; commas after the last one scale.
    QList<NumToken> cleaned;
    for (qsizetype i = 0; i < p.integer.size(); ++i) {
        const NumToken& t = p.integer[i];
        if (t.type != NumToken::Comma) {
            cleaned << t;
            continue;
        }
        bool before = false, after = false;
        for (qsizetype j = 0; j < i; ++j)
            before = before || p.integer[j].type == NumToken::Placeholder;
        for (qsizetype j = i + 1; j < p.integer.size(); ++j)
            after = after || p.integer[j].type == NumToken::Placeholder;
        if (before && after)
            p.grouping = true;
        else if (before)
            ++p.scale;
        else
            cleaned << NumToken{NumToken::Literal, QChar(), QStringLiteral(",")};
    }
    p.integer = cleaned;
    return p;
}

int countPlaceholders(const QList<NumToken>& tokens)
{
    int n = 0;
    for (const NumToken& t : tokens)
        n += t.type == NumToken::Placeholder ? 1 : 0;
    return n;
}

// The value's sign is shown only when 'showMinus' (a negative section writes its own signs).
QString formatNumberSection(const NumPattern& p, double value, bool showMinus)
{
    const RegionalFormats& fmt = regional();
    const int intPh = countPlaceholders(p.integer);
    const int fracPh = countPlaceholders(p.fraction);

    Digits d = digitsOf(value);
    if (!d.zero)
        d.exponent += (p.percent ? 2 : 0) - 3 * p.scale;

    Fixed r;
    int shownExponent = 0;
    if (p.scientific) {
        const int n = std::max(1, intPh + fracPh);
        QString m = d.digits.left(n).leftJustified(n, u'0');
        int e = d.exponent;
        if (!d.zero) {
            if (n < d.digits.size() && d.digits[n] >= u'5' && incrementDigits(m)) {
                m = u'1' + m.left(n - 1);
                ++e;
            }
            shownExponent = e - (intPh - 1);
        }
        r.negative = d.negative;
        r.integer = m.left(intPh);
        r.fraction = m.mid(intPh).leftJustified(fracPh, u'0').left(fracPh);
        qsizetype lead = 0;
        while (lead < r.integer.size() && r.integer[lead] == u'0')
            ++lead;
        r.integer = r.integer.mid(lead);
    } else {
        r = roundFixed(d, fracPh);
    }
    const bool minus = showMinus && r.negative && !r.isZero();

    // Integer digits: at least as many as the placeholders from the first "0" on.
    int minDigits = 0;
    bool seenZero = false;
    for (const NumToken& t : p.integer) {
        if (t.type != NumToken::Placeholder)
            continue;
        seenZero = seenZero || t.ch == u'0';
        minDigits += seenZero ? 1 : 0;
    }
    QString digits = r.integer;
    if (digits.size() < minDigits)
        digits = QString(minDigits - digits.size(), u'0') + digits;
    // Unit i is digit i with the thousands separator that follows it, when one does.
    const qsizetype n = digits.size();
    auto appendUnit = [&](QString& to, qsizetype i) {
        to += digits[i];
        const qsizetype rest = n - 1 - i;
        if (p.grouping && rest > 0 && rest % 3 == 0)
            to += fmt.thousandSeparator;
    };

    QString out;
    out.reserve(n + n / 3 + r.fraction.size() + 4);
    bool minusPending = minus;
    auto emitUnits = [&](const QString& text) {
        if (text.isEmpty())
            return;
        if (minusPending) {
            out += u'-';
            minusPending = false;
        }
        out += text;
    };
    // Digits fill the placeholders from the right; the leftmost takes whatever is left over.
    int ph = 0;
    QString text;
    for (const NumToken& t : p.integer) {
        if (t.type == NumToken::Literal) {
            out += t.text;
            continue;
        }
        const qsizetype fromRight = intPh - 1 - ph;
        text.clear();
        if (ph == 0)
            for (qsizetype u = 0; u < n - intPh; ++u)
                appendUnit(text, u);
        const qsizetype u = n - 1 - fromRight;
        if (u >= 0)
            appendUnit(text, u);
        emitUnits(text);
        ++ph;
    }
    if (intPh == 0) {
        text.clear();
        for (qsizetype u = 0; u < n; ++u)
            appendUnit(text, u);
        emitUnits(text);
    }

    if (p.decimalPoint) {
        int required = 0;
        int k = 0;
        for (const NumToken& t : p.fraction) {
            if (t.type != NumToken::Placeholder)
                continue;
            ++k;
            if (t.ch == u'0')
                required = k;
        }
        QString fraction = r.fraction;
        while (fraction.size() > required && fraction.endsWith(u'0'))
            fraction.chop(1);
        if (minusPending) {
            out += u'-';
            minusPending = false;
        }
        out += fmt.decimalSeparator;
        k = 0;
        for (const NumToken& t : p.fraction) {
            if (t.type == NumToken::Literal)
                out += t.text;
            else if (k < fraction.size())
                out += fraction[k++];
        }
    }
    if (minusPending)
        out.prepend(u'-');

    if (p.scientific) {
        out += p.expLetter;
        if (shownExponent < 0)
            out += u'-';
        else if (p.expPlusSign)
            out += u'+';
        out += QString::number(std::abs(shownExponent)).rightJustified(p.expDigits, u'0');
        out += p.afterExponent;
    }
    return out;
}

// A pattern read once: its sections, the kind of the first, and the number sections parsed.
struct CompiledPattern {
    QStringList parts;
    PatternKind kind = PatternKind::Number;
    QList<NumPattern> numbers;   // one per section, when the kind is Number
};

// The forms format the same few patterns over and over (a grid column, a file's amounts). A
// copy comes back (its lists are shared, not copied): a nested call may grow the cache.
CompiledPattern compiledPattern(const QString& pattern)
{
    thread_local QHash<QString, CompiledPattern> cache;
    const auto known = cache.constFind(pattern);
    if (known != cache.cend())
        return *known;
    if (cache.size() > 256)
        cache.clear();
    CompiledPattern c;
    c.parts = sections(pattern);
    c.kind = kindOf(c.parts[0]);
    if (c.kind == PatternKind::Number)
        for (const QString& part : c.parts)
            c.numbers << parseNumPattern(part);
    return *cache.insert(pattern, c);
}

QString formatNumber(double value, const CompiledPattern& c)
{
    const QStringList& parts = c.parts;
    const NumPattern& positive = c.numbers[0];
    if (value < 0 && parts.size() >= 2 && !parts[1].isEmpty())
        return formatNumberSection(c.numbers[1], -value, false);
    if (parts.size() >= 3 && !parts[2].isEmpty()) {
        // The zero section serves every value that shows as zero in the first section.
        Digits d = digitsOf(value);
        if (!d.zero)
            d.exponent += (positive.percent ? 2 : 0) - 3 * positive.scale;
        if (roundFixed(d, countPlaceholders(positive.fraction)).isZero())
            return formatNumberSection(c.numbers[2], 0.0, false);
    }
    return formatNumberSection(positive, value, true);
}

// --- dates -----------------------------------------------------------------------------------

QString dateSeparator()
{
    for (QChar c : regional().shortDate)
        if (!c.isLetter())
            return QString(c);
    return QStringLiteral("/");
}

QString longDateText(const QDate& date)
{
    return dayName(date.dayOfWeek()) + QStringLiteral(", ") + QString::number(date.day())
        + QStringLiteral(" de ") + monthName(date.month()) + QStringLiteral(" de ")
        + QString::number(date.year());
}

QString formatDateSection(const QString& section, const QDateTime& moment)
{
    const QDate date = moment.date();
    const QTime time = moment.time();
    const bool twelveHour = section.contains(QStringLiteral("am/pm"), Qt::CaseInsensitive)
        || section.contains(QStringLiteral("a/p"), Qt::CaseInsensitive);
    auto two = [](int v) { return QString::number(v).rightJustified(2, u'0'); };

    QString out;
    bool afterHour = false; // "m" right after an hour means minutes
    for (qsizetype i = 0; i < section.size();) {
        const QChar c = section[i];
        const QChar l = c.toLower();
        qsizetype run = 1;
        while (i + run < section.size() && section[i + run].toLower() == l)
            ++run;
        if (c == u'"') {
            const qsizetype close = section.indexOf(u'"', i + 1);
            out += section.mid(i + 1, (close < 0 ? section.size() : close) - i - 1);
            i = close < 0 ? section.size() : close + 1;
            continue;
        }
        if (c == u'\\') {
            out += section.mid(i + 1, 1);
            i += 2;
            continue;
        }
        if (l == u'a' && section.mid(i, 5).compare(u"am/pm", Qt::CaseInsensitive) == 0) {
            const QString text = time.hour() < 12 ? section.mid(i, 2) : section.mid(i + 3, 2);
            out += text;
            i += 5;
            continue;
        }
        if (l == u'a' && section.mid(i, 3).compare(u"a/p", Qt::CaseInsensitive) == 0) {
            out += time.hour() < 12 ? section.mid(i, 1) : section.mid(i + 2, 1);
            i += 3;
            continue;
        }
        if (l == u'd') {
            run = std::min<qsizetype>(run, 6);
            switch (run) {
            case 1: out += QString::number(date.day()); break;
            case 2: out += two(date.day()); break;
            case 3: out += dayName(date.dayOfWeek(), true); break;
            case 4: out += dayName(date.dayOfWeek()); break;
            case 5: out += dateToText(date); break;
            default: out += longDateText(date); break;
            }
            afterHour = false;
        } else if (l == u'm') {
            run = std::min<qsizetype>(run, 4);
            if (afterHour && run <= 2) {
                out += run == 1 ? QString::number(time.minute()) : two(time.minute());
            } else {
                switch (run) {
                case 1: out += QString::number(date.month()); break;
                case 2: out += two(date.month()); break;
                case 3: out += monthName(date.month(), true); break;
                default: out += monthName(date.month()); break;
                }
            }
            afterHour = false;
        } else if (l == u'y') {
            run = run >= 4 ? 4 : run >= 2 ? 2 : 1;
            if (run == 4)
                out += QString::number(date.year()).rightJustified(4, u'0');
            else if (run == 2)
                out += two(date.year() % 100);
            else
                out += QString::number(date.dayOfYear());
            afterHour = false;
        } else if (l == u'h') {
            run = std::min<qsizetype>(run, 2);
            int hour = time.hour();
            if (twelveHour)
                hour = hour % 12 == 0 ? 12 : hour % 12;
            out += run == 1 ? QString::number(hour) : two(hour);
            afterHour = true;
        } else if (l == u'n' || l == u's') {
            run = std::min<qsizetype>(run, 2);
            const int v = l == u'n' ? time.minute() : time.second();
            out += run == 1 ? QString::number(v) : two(v);
            afterHour = false;
        } else if (l == u'w') {
            run = std::min<qsizetype>(run, 2);
            // "w" is the day of the week counted from Sunday; "ww" the week of the year.
            out += run == 1 ? QString::number(date.dayOfWeek() % 7 + 1)
                            : QString::number((date.dayOfYear() + QDate(date.year(), 1, 1).dayOfWeek() % 7 - 1) / 7 + 1);
            afterHour = false;
        } else if (l == u'q') {
            run = 1;
            out += QString::number((date.month() - 1) / 3 + 1);
            afterHour = false;
        } else if (l == u'c') {
            run = 1;
            out += dateTimeText(moment);
            afterHour = false;
        } else if (c == u'/') {
            run = 1;
            out += dateSeparator();
        } else {
            run = 1;
            out += c;
        }
        i += run;
    }
    return out;
}

// --- text ------------------------------------------------------------------------------------

QString formatTextSection(const QString& section, const QString& value)
{
    struct Token { bool placeholder; QChar ch; QString text; };
    QList<Token> tokens;
    bool lower = false, upper = false, leftToRight = false;
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (c == u'"') {
            const qsizetype close = section.indexOf(u'"', i + 1);
            tokens.append({false, QChar(), section.mid(i + 1, (close < 0 ? section.size() : close) - i - 1)});
            i = close < 0 ? section.size() : close;
        } else if (c == u'\\') {
            tokens.append({false, QChar(), section.mid(++i, 1)});
        } else if (c == u'@' || c == u'&') {
            tokens.append({true, c, QString()});
        } else if (c == u'<') {
            lower = true;
            upper = false;
        } else if (c == u'>') {
            upper = true;
            lower = false;
        } else if (c == u'!') {
            leftToRight = true;
        } else {
            tokens.append({false, QChar(), QString(c)});
        }
    }
    const QString text = lower ? value.toLower() : upper ? value.toUpper() : value;
    qsizetype count = 0;
    for (const Token& t : tokens)
        count += t.placeholder ? 1 : 0;
    const qsizetype n = text.size();

    QString out;
    qsizetype ph = 0;
    for (const Token& t : tokens) {
        if (!t.placeholder) {
            out += t.text;
            continue;
        }
        // Right to left (the default): the last placeholder takes the last character and the
        // first placeholder takes every character left over. Left to right ("!") mirrors that.
        const qsizetype index = leftToRight ? ph : n - count + ph;
        QString piece = index >= 0 && index < n ? QString(text[index]) : (t.ch == u'@' ? QStringLiteral(" ") : QString());
        if (!leftToRight && ph == 0 && n > count)
            piece.prepend(text.left(n - count));
        if (leftToRight && ph == count - 1 && n > count)
            piece += text.mid(count);
        out += piece;
        ++ph;
    }
    return out;
}

// --- named formats ---------------------------------------------------------------------------

std::optional<QString> namedFormat(const QString& name)
{
    const QString n = name.trimmed().toLower();
    const QString symbol = QLatin1Char('"') + regional().currencySymbol + QLatin1Char('"');
    if (n == u"currency")
        return symbol + QStringLiteral("#,##0.00;-") + symbol + QStringLiteral("#,##0.00");
    if (n == u"fixed")
        return QStringLiteral("0.00");
    if (n == u"standard")
        return QStringLiteral("#,##0.00");
    if (n == u"percent")
        return QStringLiteral("0.00%");
    if (n == u"scientific")
        return QStringLiteral("0.00E+00");
    if (n == u"short time")
        return QStringLiteral("hh:nn");
    if (n == u"long time")
        return QStringLiteral("hh:nn:ss");
    if (n == u"short date")
        return QStringLiteral("ddddd");
    if (n == u"long date")
        return QStringLiteral("dddddd");
    if (n == u"general date")
        return QStringLiteral("c");
    return std::nullopt;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Public functions
// ---------------------------------------------------------------------------------------------

double Val(const QString& text)
{
    // The characters that count, blanks, tabs and line feeds taken out.
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (c != u' ' && c != u'\t' && c != u'\n')
            s += c;

    if (s.size() >= 2 && s[0] == u'&') {
        const QChar kind = s[1].toUpper();
        const int radix = kind == u'H' ? 16 : kind == u'O' ? 8 : 0;
        if (radix == 0)
            return 0;
        QString digits;
        for (qsizetype i = 2; i < s.size() && isRadixDigit(s[i], radix); ++i)
            digits += s[i];
        const std::optional<double> value = radixValue(digits, radix);
        if (!value)
            throw RuntimeError(6, QStringLiteral("Overflow"));
        return *value;
    }

    QString number;
    qsizetype i = 0;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+'))
        number += s[i++];
    bool anyDigit = false;
    while (i < s.size() && isDigit(s[i])) {
        number += s[i++];
        anyDigit = true;
    }
    if (i < s.size() && s[i] == u'.') {
        number += s[i++];
        while (i < s.size() && isDigit(s[i])) {
            number += s[i++];
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return 0;
    if (i < s.size() && (s[i].toUpper() == u'E' || s[i].toUpper() == u'D')) {
        qsizetype j = i + 1;
        QString exponent = QStringLiteral("e");
        if (j < s.size() && (s[j] == u'-' || s[j] == u'+'))
            exponent += s[j++];
        bool expDigit = false;
        while (j < s.size() && isDigit(s[j])) {
            exponent += s[j++];
            expDigit = true;
        }
        if (expDigit)
            number += exponent;
    }
    const double value = number.toDouble();
    if (!std::isfinite(value))
        throw RuntimeError(6, QStringLiteral("Overflow"));
    return value;
}

bool IsNumeric(const QVariant& value)
{
    if (isNullValue(value))
        return false;
    if (isNumberType(value) || value.metaType().id() == QMetaType::Bool)
        return true;
    if (isTextType(value))
        return parseNumericText(value.toString()).has_value();
    return false;
}

bool IsDate(const QVariant& value)
{
    if (isNullValue(value))
        return false;
    if (isDateType(value))
        return dateTimeOf(value).isValid();
    if (isTextType(value))
        return parseDateText(value.toString()).has_value();
    return false;
}

QVariant CDate(const QVariant& value)
{
    if (isNullValue(value))
        throw RuntimeError(94, QStringLiteral("Invalid use of Null"));
    if (isDateType(value)) {
        if (!dateTimeOf(value).isValid())
            throw RuntimeError(13, QStringLiteral("Type mismatch"));
        return value.metaType().id() == QMetaType::QTime ? QVariant(dateTimeOf(value)) : value;
    }
    if (isTextType(value)) {
        const QString text = value.toString();
        if (const std::optional<ParsedDate> parsed = parseDateText(text)) {
            if (parsed->hasTime)
                return parsed->moment;
            return parsed->moment.date();
        }
        // A numeric text is a day serial.
        if (const std::optional<double> number = parseNumericText(text))
            return CDate(*number);
        throw RuntimeError(13, QStringLiteral("Type mismatch"));
    }
    if (isNumberType(value) || value.metaType().id() == QMetaType::Bool) {
        const double serial = value.metaType().id() == QMetaType::Bool ? (value.toBool() ? -1 : 0) : value.toDouble();
        if (!std::isfinite(serial) || serial < kMinSerial || serial > kMaxSerial)
            throw RuntimeError(6, QStringLiteral("Overflow"));
        const QDateTime moment = serialToDateTime(serial);
        if (moment.time() == QTime(0, 0))
            return moment.date();
        return moment;
    }
    throw RuntimeError(13, QStringLiteral("Type mismatch"));
}

double CDbl(const QVariant& value)
{
    if (isNullValue(value))
        throw RuntimeError(94, QStringLiteral("Invalid use of Null"));
    const int id = value.metaType().id();
    if (id == QMetaType::Bool)
        return value.toBool() ? -1.0 : 0.0;
    if (isNumberType(value))
        return value.toDouble();
    if (isDateType(value))
        return dateTimeToSerial(dateTimeOf(value));
    if (isTextType(value)) {
        const QString text = value.toString();
        if (const std::optional<double> number = parseNumericText(text))
            return *number;
        throw RuntimeError(13, QStringLiteral("Type mismatch"));
    }
    throw RuntimeError(13, QStringLiteral("Type mismatch"));
}

QString CStr(const QVariant& value)
{
    if (isNullValue(value))
        return QString();
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
        return numberToText(value.toDouble());
    case QMetaType::Float: {
        // A single keeps 7 significant digits.
        const double v = QString::number(value.toFloat(), 'g', 7).toDouble();
        return numberToText(v);
    }
    case QMetaType::QDate:
        return dateToText(value.toDate());
    case QMetaType::QDateTime:
        return dateTimeText(value.toDateTime());
    case QMetaType::QTime:
        return timeText(value.toTime());
    default:
        break;
    }
    return value.toString();
}

QString Format(const QVariant& value, const QString& pattern)
{
    if (isNullValue(value))
        return QString();
    if (pattern.isEmpty())
        return CStr(value);

    QString effective = pattern;
    // Named formats ("Currency", "Yes/No" ...) begin with a letter; "#,##0.00" and the like
    // need no look-up.
    qsizetype firstShown = 0;
    while (firstShown < pattern.size() && pattern.at(firstShown).isSpace())
        ++firstShown;
    const bool maybeNamed = firstShown < pattern.size() && pattern.at(firstShown).isLetter();
    const QString named = maybeNamed ? pattern.trimmed().toLower() : QString();
    if (named == u"general number") {
        if (isTextType(value) && !IsNumeric(value))
            return value.toString();
        return numberToText(CDbl(value));
    }
    if (named == u"yes/no" || named == u"true/false" || named == u"on/off") {
        if (isTextType(value) && !IsNumeric(value))
            return value.toString();
        const bool on = CDbl(value) != 0;
        const QStringList words = named.split(u'/');
        QString word = on ? words[0] : words[1];
        word[0] = word[0].toUpper();
        return word;
    }
    if (maybeNamed) {
        if (const std::optional<QString> expansion = namedFormat(pattern))
            effective = *expansion;
    }

    // What the value is: a number, a date, or a text that is neither.
    const bool isText = isTextType(value);
    const QString text = isText ? value.toString() : QString();
    std::optional<double> number;
    std::optional<QDateTime> moment;
    if (isText) {
        if (const std::optional<double> n = parseNumericText(text))
            number = n;
        else if (const std::optional<ParsedDate> d = parseDateText(text))
            moment = d->moment;
    } else if (isDateType(value)) {
        moment = dateTimeOf(value);
    } else if (value.metaType().id() == QMetaType::Bool) {
        number = value.toBool() ? -1.0 : 0.0;
    } else if (isNumberType(value)) {
        number = value.toDouble();
    } else {
        return value.toString();
    }

    const CompiledPattern compiled = compiledPattern(effective);
    const QStringList& parts = compiled.parts;
    switch (compiled.kind) {
    case PatternKind::Text: {
        const QString source = isText ? text : CStr(value);
        if (source.isEmpty() && parts.size() >= 2)
            return formatTextSection(parts[1], source);
        return formatTextSection(parts[0], source);
    }
    case PatternKind::Date: {
        if (number) {
            if (!std::isfinite(*number) || *number < kMinSerial || *number > kMaxSerial)
                return isText ? text : numberToText(*number);
            moment = serialToDateTime(*number);
        }
        if (!moment || !moment->isValid())
            return isText ? text : CStr(value);
        return formatDateSection(parts[0], *moment);
    }
    case PatternKind::Number:
        break;
    }
    if (moment)
        number = dateTimeToSerial(*moment);
    if (!number)
        return text;
    if (!std::isfinite(*number))
        return numberToText(*number);
    return formatNumber(*number, compiled);
}

double Round(double value, int decimals)
{
    if (decimals < 0)
        throw RuntimeError(5, QStringLiteral("Invalid procedure call or argument"));
    if (!std::isfinite(value) || value == 0)
        return value;
    const Fixed r = roundFixed(digitsOf(value), decimals);
    const QString text = (r.integer.isEmpty() ? QStringLiteral("0") : r.integer) + u'.' + r.fraction + u'0';
    const double result = text.toDouble();
    return r.negative && result != 0 ? -result : result;
}

double dateToSerial(const QDate& date)
{
    return double(serialBase().daysTo(date));
}

double dateTimeToSerial(const QDateTime& dateTime)
{
    const double days = dateToSerial(dateTime.date());
    const double fraction = dateTime.time().msecsSinceStartOfDay() / 86400000.0;
    // Before the base day the time still counts forward from midnight: -1.25 is 29/12/1899 06:00.
    return days < 0 ? days - fraction : days + fraction;
}

QDate serialToDate(double serial)
{
    if (!isDateSerial(serial))
        return QDate();
    return serialBase().addDays(qint64(std::trunc(serial)));
}

QDateTime serialToDateTime(double serial)
{
    if (!isDateSerial(serial))
        return QDateTime();
    const double days = std::trunc(serial);
    const double fraction = std::fabs(serial - days);
    QDate date = serialBase().addDays(qint64(days));
    qint64 seconds = qint64(std::llround(fraction * 86400.0));
    if (seconds >= 86400) {
        seconds = 0;
        date = date.addDays(1);
    }
    return QDateTime(date, QTime(0, 0).addSecs(int(seconds)));
}

QString numberToText(double value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    const Digits d = digitsOf(value);
    if (d.zero)
        return QStringLiteral("0");
    QString digits = d.digits;
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);
    const QString point = regional().decimalSeparator;
    QString out = d.negative ? QStringLiteral("-") : QString();
    const int e = d.exponent;
    if (e >= 15 || e < -4) {
        out += digits[0];
        if (digits.size() > 1)
            out += point + digits.mid(1);
        out += e < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
        out += QString::number(std::abs(e)).rightJustified(2, u'0');
    } else if (e >= 0) {
        out += digits.left(e + 1).leftJustified(e + 1, u'0');
        if (digits.size() > e + 1)
            out += point + digits.mid(e + 1);
    } else {
        out += u'0' + point + QString(-e - 1, u'0') + digits;
    }
    return out;
}

QString dateToText(const QDate& date)
{
    if (!date.isValid())
        return QString();
    const QString& f = regional().shortDate;
    auto two = [](int v) { return QString::number(v).rightJustified(2, u'0'); };
    QString out;
    for (qsizetype i = 0; i < f.size();) {
        const QChar c = f[i];
        const QChar l = c.toLower();
        qsizetype run = 1;
        while (i + run < f.size() && f[i + run].toLower() == l)
            ++run;
        if (c == u'\'') {
            const qsizetype close = f.indexOf(u'\'', i + 1);
            out += f.mid(i + 1, (close < 0 ? f.size() : close) - i - 1);
            i = close < 0 ? f.size() : close + 1;
            continue;
        }
        if (l == u'd') {
            out += run == 1 ? QString::number(date.day()) : two(date.day());
        } else if (l == u'm') {
            if (run >= 4)
                out += monthName(date.month());
            else if (run == 3)
                out += monthName(date.month(), true);
            else
                out += run == 1 ? QString::number(date.month()) : two(date.month());
        } else if (l == u'y' || l == u'a') {
            out += run <= 2 ? two(date.year() % 100) : QString::number(date.year()).rightJustified(4, u'0');
        } else {
            out += f.mid(i, run);
        }
        i += run;
    }
    return out;
}

QString Trim(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

} // namespace basic
