#include "core/biblio.h"

#include "platform/basic/basic.h"

#include <cmath>

namespace Biblio {

namespace {

// The words of amounts, each ending in one blank:
//   0        "UN " (the millions group when it is exactly 1)
//   1..9     units                 10..18  tens (DIEZ .. NOVENTA)
//   19..23   ONCE .. QUINCE        24      "CIEN " (exactly one hundred)
//   25..33   hundreds (CIENTO .. NOVECIENTOS)
//   34..36   scale words MIL, MILLON, MILLONES
const char* const kWords[37] = {
    "UN ",
    "UNO ", "DOS ", "TRES ", "CUATRO ", "CINCO ", "SEIS ", "SIETE ", "OCHO ", "NUEVE ",
    "DIEZ ", "VEINTE ", "TREINTA ", "CUARENTA ", "CINCUENTA ", "SESENTA ", "SETENTA ", "OCHENTA ",
    "NOVENTA ",
    "ONCE ", "DOCE ", "TRECE ", "CATORCE ", "QUINCE ",
    "CIEN ",
    "CIENTO ", "DOSCIENTOS ", "TRESCIENTOS ", "CUATROCIENTOS ", "QUINIENTOS ", "SEISCIENTOS ",
    "SETECIENTOS ", "OCHOCIENTOS ", "NOVECIENTOS ",
    "MIL ", "MILLON ", "MILLONES ",
};

constexpr int kUn = 0;
constexpr int kTensBase = 9;       // tens word of digit d is entry d + 9
constexpr int kTeensBase = 18;     // word of 10 + u (u = 1..5) is entry u + 18
constexpr int kCien = 24;
constexpr int kHundredsBase = 24;  // hundreds word of digit c is entry c + 24
constexpr int kMil = 34;
constexpr int kMillon = 35;
constexpr int kMillones = 36;

QLatin1String word(int index)
{
    return QLatin1String(kWords[index]);
}

// The words of one group of three digits (without its scale word). `position` is 1 for the
// thousands of millions, 2 for the millions, 3 for the thousands and 4 for the units.
QString groupWords(int value, int position)
{
    if (value == 0)
        return QString();
    if (value == 1) {
        // "MIL", not "UN MIL"; "UN MILLON"; "UNO" for the units.
        if (position == 2)
            return word(kUn);
        if (position == 4)
            return word(1);
        return QString();
    }

    const int c = value / 100;
    const int d = value / 10 % 10;
    const int u = value % 10;
    const bool teen = d == 1 && u >= 1 && u <= 5;   // ONCE .. QUINCE

    QString text;
    if (value == 100)
        text += word(kCien);
    else if (c > 0)
        text += word(c + kHundredsBase);

    if (teen)
        text += word(u + kTeensBase);
    else if (d > 0)
        text += word(d + kTensBase);

    // 16 to 19 and 21 to 99 are written as "DIEZ Y SEIS", "VEINTE Y UNO" and so on.
    if (d > 0 && u > 0 && !teen)
        text += QStringLiteral("Y ");

    if (u > 0 && !teen)
        text += word(u);
    return text;
}

} // namespace

bool ValidaNit(const QString& nit)
{
    if (basic::Trim(nit).isEmpty())
        return false;

    const QString upper = nit.toUpper();
    const QString body = upper.left(upper.size() - 1);

    // Modulus 11 with weights 2, 3, 4, ... from the body's last character to its first; only the
    // digits 0-9 count, any other character weighs nothing. Only the sum modulo 11 matters, so it
    // is kept reduced and a long text cannot overflow it.
    int sum = 0;
    int weight = 2;
    for (qsizetype i = body.size() - 1; i >= 0; --i) {
        const QChar ch = body.at(i);
        if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9'))
            sum = (sum + (ch.unicode() - '0') * weight) % 11;
        weight = weight % 11 + 1;
    }

    const int r = 11 - sum;
    QString check;
    if (r == 10)
        check = QStringLiteral("K");
    else if (r == 11)
        check = QStringLiteral("0");
    else
        check = QString::number(r);

    return basic::Trim(body + check) == basic::Trim(upper);
}

QString QuitaCerosIzquierda(const QString& nit)
{
    if (basic::Trim(nit).isEmpty())
        return QString();

    // Zeros are dropped until the first character that sorts above "0"; characters that sort
    // below it (blank, "-", ".", "/") are kept on the way. From that character on, all stays.
    QString result;
    for (qsizetype i = 0; i < nit.size(); ++i) {
        const QChar ch = nit.at(i);
        if (ch > QLatin1Char('0')) {
            result += nit.mid(i);
            break;
        }
        if (ch != QLatin1Char('0'))
            result += ch;
    }
    return result;
}

bool FechaInvalida(const QVariant& value)
{
    return !basic::IsDate(value);
}

// Amounts in range are 0 to 999,999,999,999.99. The amount is first rounded to cents (half away
// from zero on its decimal value), so 1.999 reads "DOS EXACTOS" and 2.675 "DOS CON 68/100".
// Out of range, the result is still text and nothing fails:
//   - a negative amount reads "MENOS " followed by the words of its absolute value
//     (an amount that rounds to zero reads "EXACTOS", without the sign);
//   - an amount whose absolute value is 10^12 or more once rounded, NaN or an infinity gives the
//     empty text: words of some other amount would state a wrong figure on a printed document.
// From 1,000 millions on, the millions are always written with "MILLONES", even when the
// millions group is 0 or 1: "DOS MIL MILLONES", "MIL UN MILLONES".
QString NumeroALetras(double amount)
{
    constexpr double kLimit = 1e12;
    if (!std::isfinite(amount) || std::fabs(amount) >= kLimit)
        return QString();

    bool negative = amount < 0;
    const double rounded = basic::Round(std::fabs(amount), 2);
    if (!std::isfinite(rounded) || rounded >= kLimit)
        return QString();

    // The rounded amount is the double nearest a whole number of cents, below 10^14 cents, so
    // rounding it times 100 gives that number exactly.
    const qint64 totalCents = std::llround(rounded * 100.0);
    if (totalCents == 0)
        negative = false;
    const qint64 integerPart = totalCents / 100;
    const int cents = int(totalCents % 100);

    // Four groups of three digits: thousands of millions, millions, thousands, units.
    const int groups[4] = {
        int(integerPart / 1000000000 % 1000),
        int(integerPart / 1000000 % 1000),
        int(integerPart / 1000 % 1000),
        int(integerPart % 1000),
    };

    QString text;
    if (negative)
        text += QStringLiteral("MENOS ");
    for (int g = 0; g < 4; ++g) {
        const int position = g + 1;
        const int value = groups[g];
        if (position == 2 && groups[0] != 0) {
            // Thousands of millions: the millions scale closes them whatever the millions group.
            text += groupWords(value, position);
            text += word(kMillones);
            continue;
        }
        if (value == 0)
            continue;
        text += groupWords(value, position);
        if (position == 1 || position == 3)
            text += word(kMil);
        else if (position == 2)
            text += word(value == 1 ? kMillon : kMillones);
    }

    if (cents == 0)
        text += QStringLiteral("EXACTOS");
    else
        text += QStringLiteral("CON %1/100").arg(cents, 2, 10, QLatin1Char('0'));
    return text;
}

} // namespace Biblio
