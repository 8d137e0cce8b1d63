#pragma once
// The submission file of one taxpayer's worksheet: its name and every byte of its content.
// Plain functions, no database and no widgets: the export run reads the rows and hands them here.
//
// A file is a header line, one detail line per document and a trailer line built like the header.
// Fields are fixed-width and right-aligned (blanks or zeros in front); a value longer than its
// field is written whole and pushes the rest of the line to the right; only the expense
// description is cut (to 30 characters). Every line ends with CR LF. The text is Windows-1252,
// one byte per character; a character that code page lacks is written as "?".
#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <stdexcept>

namespace submission {

// A detail row the file cannot hold (a missing supplier, number or description). what() is the
// Spanish cause shown to the user, naming the document.
class RowError : public std::runtime_error {
public:
    explicit RowError(const QString& cause) : std::runtime_error(cause.toStdString()), cause_(cause) {}
    QString cause() const { return cause_; }
private:
    QString cause_;
};

// The taxpayer and the period of a file. The dates are the period's first and last date as text
// in the short-date format (dd/mm/yyyy).
struct Header {
    QString nit;          // Contribuyentes.Nit exactly as stored
    QVariant nitPatrono;  // Contribuyentes.NPat; Null writes 12 blanks
    QString del;
    QString al;
};

// One document, as the detail query gives it. Null values are invalid QVariants or null ones.
struct Document {
    QVariant secuencia;    // only to name the document in a message
    QVariant provee;
    QVariant disTipo;      // "F", "T" or "I"
    QVariant serie;
    QVariant noDoc;
    QVariant fecha;        // a date (or its day serial)
    QVariant monto;
    QVariant descripcion;  // Gastos.Descripcion
};

// "PI" + month of the first date + month of the last date + tax id + ".TXT".
QString fileName(const Header& header);

// The document kind of a type code: "F" for "0", "T" for "1", "I" for anything else.
QString documentKind(const QVariant& tipo);

// The value right-aligned in a field of the width, filled in front with the fill character;
// a value of the width or longer comes back whole.
QString padLeft(const QString& value, int width, QChar fill);

// The amount as the pattern "#######0.00" writes it (two decimals, rounded half away from zero).
QString amountText(const QVariant& amount);

// The lines without their CR LF.
QString headerLine(const Header& header, const QDate& writtenOn, int lineCount);
QString detailLine(const Document& document);   // throws RowError

// The text as Windows-1252 bytes, one byte per character, "?" for a character outside it.
QByteArray toWindows1252(const QString& text);
void appendWindows1252(QByteArray& out, const QString& text);

// The whole file: header, details in the given order, trailer, each ending in CR LF. today is
// asked once for the header and again for the trailer. Throws RowError for a row it cannot write.
QByteArray fileBytes(const Header& header, const QList<Document>& documents,
                     const std::function<QDate()>& today);

} // namespace submission
