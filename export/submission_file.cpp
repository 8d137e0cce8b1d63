#include "export/submission_file.h"

#include "platform/basic/basic.h"


namespace submission {

namespace {

constexpr int kNitWidth = 12;
constexpr int kCountWidth = 9;
constexpr int kSerieWidth = 5;
constexpr int kNoDocWidth = 15;
constexpr int kDescriptionWidth = 30;
constexpr int kAmountWidth = 14;

// Appends the value right-aligned in a field of the width (whole when it is longer).
void appendPadded(QString& out, const QString& value, int width, QChar fill)
{
    if (value.size() < width)
        out.resize(out.size() + (width - value.size()), fill);
    out += value;
}

bool missing(const QVariant& v)
{
    return !v.isValid() || v.isNull();
}

QString textOf(const QVariant& v)
{
    return missing(v) ? QString() : basic::CStr(v);
}

// How a message names a document: its number (and series), else its place in the worksheet.
QString documentName(const Document& d)
{
    if (missing(d.noDoc))
        return QStringLiteral("con secuencia %1").arg(textOf(d.secuencia));
    QString name = QStringLiteral("No. ") + textOf(d.noDoc);
    if (!missing(d.serie) && !textOf(d.serie).isEmpty())
        name += QStringLiteral(" serie ") + textOf(d.serie);
    return name;
}

// Windows-1252 bytes 0x80 to 0x9F; 0 marks the five the code page leaves undefined.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

char windows1252Byte(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] != 0 && kHighControls[i] == c)
            return char(0x80 + i);
    return '?';
}

} // namespace

QString fileName(const Header& header)
{
    // Characters 4 and 5 of dd/mm/yyyy are the month.
    return QStringLiteral("PI") + header.del.mid(3, 2) + header.al.mid(3, 2) + header.nit + QStringLiteral(".TXT");
}

QString documentKind(const QVariant& tipo)
{
    const QString t = textOf(tipo);
    if (!missing(tipo) && t == QLatin1String("0"))
        return QStringLiteral("F");
    if (!missing(tipo) && t == QLatin1String("1"))
        return QStringLiteral("T");
    return QStringLiteral("I");
}

QString padLeft(const QString& value, int width, QChar fill)
{
    if (value.size() >= width)
        return value;
    return QString(width - value.size(), fill) + value;
}

QString amountText(const QVariant& amount)
{
    static const QString kPattern = QStringLiteral("#######0.00");
    return basic::Format(amount, kPattern);
}

QString headerLine(const Header& header, const QDate& writtenOn, int lineCount)
{
    const QString patrono = missing(header.nitPatrono) ? QString() : textOf(header.nitPatrono);
    return padLeft(header.nit, kNitWidth, QLatin1Char(' '))
        + basic::Format(writtenOn, QStringLiteral("yyyy")) + basic::Format(writtenOn, QStringLiteral("mm"))
        + basic::Format(writtenOn, QStringLiteral("dd"))
        + basic::Trim(header.del) + basic::Trim(header.al)
        + padLeft(patrono, kNitWidth, QLatin1Char(' '))
        + padLeft(QString::number(lineCount), kCountWidth, QLatin1Char('0'));
}

QString detailLine(const Document& d)
{
    if (missing(d.noDoc))
        throw RowError(QStringLiteral(" El documento %1 no tiene número.").arg(documentName(d)));
    if (missing(d.provee))
        throw RowError(QStringLiteral(" El documento %1 no tiene proveedor.").arg(documentName(d)));
    if (missing(d.descripcion))
        throw RowError(QStringLiteral(" El documento %1 no tiene descripción de gasto.").arg(documentName(d)));
    static const QString kDatePattern = QStringLiteral("yyyymmdd");
    QString line;
    line.reserve(90);
    appendPadded(line, textOf(d.provee), kNitWidth, QLatin1Char(' '));
    if (!missing(d.fecha)) {
        const QDate day = d.fecha.typeId() == QMetaType::QDate ? d.fecha.toDate() : QDate();
        if (day.year() >= 1000 && day.year() <= 9999) {
            // What Format(..., "yyyymmdd") gives a day, without reading the pattern.
            const int value = day.year() * 10000 + day.month() * 100 + day.day();
            char digits[8];
            for (int i = 7, rest = value; i >= 0; --i, rest /= 10)
                digits[i] = char('0' + rest % 10);
            line += QLatin1String(digits, 8);
        } else {
            line += basic::Format(d.fecha, kDatePattern);
        }
    }
    line += textOf(d.disTipo);
    appendPadded(line, textOf(d.serie), kSerieWidth, QLatin1Char(' '));
    appendPadded(line, textOf(d.noDoc), kNoDocWidth, QLatin1Char(' '));
    appendPadded(line, basic::Trim(textOf(d.descripcion).left(kDescriptionWidth)), kDescriptionWidth, QLatin1Char(' '));
    appendPadded(line, amountText(d.monto), kAmountWidth, QLatin1Char('0'));
    return line;
}

QByteArray toWindows1252(const QString& text)
{
    QByteArray out;
    appendWindows1252(out, text);
    return out;
}

void appendWindows1252(QByteArray& out, const QString& text)
{
    // One byte per character at most: the room is made once and filled in place.
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char* bytes = out.data() + start;
    qsizetype written = 0;
    const QChar* chars = text.constData();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = chars[i];
        // A character beyond the 16-bit range takes two units and is no Windows-1252 character.
        if (c.isHighSurrogate() && i + 1 < text.size() && chars[i + 1].isLowSurrogate()) {
            bytes[written++] = '?';
            ++i;
            continue;
        }
        bytes[written++] = windows1252Byte(c.unicode());
    }
    out.resize(start + written);
}

QByteArray fileBytes(const Header& header, const QList<Document>& documents, const std::function<QDate()>& today)
{
    static const QByteArray kLineEnd("\r\n");
    const int lineCount = int(documents.size()) + 2;
    QByteArray out;
    out.reserve((documents.size() + 2) * 88);
    appendWindows1252(out, headerLine(header, today(), lineCount));
    out += kLineEnd;
    for (const Document& d : documents) {
        appendWindows1252(out, detailLine(d));
        out += kLineEnd;
    }
    appendWindows1252(out, headerLine(header, today(), lineCount));
    out += kLineEnd;
    return out;
}

} // namespace submission
