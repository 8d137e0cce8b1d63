#pragma once
// Report templates (.rpt) and their rendering.
//
// A template is a UTF-8 text file of sections. Lines before the first section and lines starting
// with ";" outside [body] are comments.
//
//   [page]                 size = A4 | Letter | Legal; orientation = portrait | landscape;
//                          margins = millimetres (one number for all four sides);
//                          header = the line on top of every page (Mustache, as the body);
//                          file = the name a PDF of the report is offered under, without
//                          ".pdf" (Mustache; characters a file name cannot hold become "_")
//   [formulas]             Name = default value        (one a line; the value as the page shows it)
//   [query NAME]           one SELECT in the database's dialect; {seleccion} stands where the
//                          record selection goes (see parseSelection). The rows become the list
//                          NAME of the body. A template may hold several queries.
//   [format]               NAME.Column = pattern   or   Column = pattern   (basic::Format patterns,
//                          e.g. ###,###,##0.00 or dd/mm/yyyy); other values print as basic::CStr.
//   [body]                 HTML with Mustache tags, to the end of the file:
//                          {{Name}} a formula, {{#NAME}}...{{/NAME}} the rows of a query with
//                          {{Column}} inside, {{^NAME}}...{{/NAME}} when it has no rows.
//
// Every value reaches the page escaped ({{ }} escapes HTML); formulas print as they were handed over.
// Inside header and file, {{#anioMes}}...{{/anioMes}} turns a dd/mm/yyyy date into yyyy-mm.
#include <QMap>
#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>

class QTextDocument;

namespace report {

struct ReportTemplate {
    QString path;
    QPageLayout layout;
    QStringList formulaNames;              // as the template lists them
    QMap<QString, QString> formulaDefaults;
    QList<QPair<QString, QString>> queries;  // name, SQL
    QMap<QString, QString> formats;        // "NAME.Column" or "Column" -> pattern
    QString header;                        // the running header, unrendered
    QString fileName;                      // the PDF's name, unrendered
    QString body;

    bool needsSelection() const;           // a query holds {seleccion}
};

// Reads a template. On failure returns nothing and sets *cause to the reason, in Spanish.
std::optional<ReportTemplate> loadTemplate(const QString& path, QString* cause);
std::optional<ReportTemplate> parseTemplate(const QString& text, QString* cause);

// One comparison of a record selection.
struct SelectionTerm {
    QString table;
    QString column;
    qint64 value = 0;
};

// A record selection: comparisons "{Table.Column} = number" (blanks around "=" optional) joined by
// "And" in any letter case. Anything else gives nothing.
std::optional<QList<SelectionTerm>> parseSelection(const QString& formula);

// The SQL condition of a selection: "([Table].[Column] = n AND ...)". The numbers are written back
// from their parsed values and the names are plain identifiers, so no typed text reaches the SQL.
QString selectionSql(const QList<SelectionTerm>& terms);

// A formula text "Name = 'value'": the name is what stands before the first " = '" (blanks
// trimmed), the value everything between it and the last "'". "Name='value'" is read too.
// Returns false for a text of another shape.
bool parseFormula(const QString& text, QString* name, QString* value);

// What a render needs besides the template.
struct RenderInput {
    QString databasePath;
    QString connect;
    QString selection;                     // the record selection formula; may be empty
    QMap<QString, QString> formulas;       // name -> value, as handed over
};

// The rendered report: its HTML and the page it goes on.
struct RenderedReport {
    QString title;
    QString html;
    QPageLayout layout;
    QString header;                        // plain text on top of every page; may be empty
    QString fileName;                      // the name a PDF is offered under, without ".pdf"
    // Where the rows of the body's longest list sit in html, when they are table rows: row i is
    // html.mid(rowStarts[i], next - rowStarts[i]), next being rowStarts[i + 1] or rowsEnd. Empty
    // otherwise. The pages (report_pages.h) lay out a long run of rows a few pages at a time.
    QList<qsizetype> rowStarts;
    qsizetype rowsEnd = -1;

    // A document of the whole HTML (a new one on each call).
    std::unique_ptr<QTextDocument> document() const;
    QString toPlainText() const;
    // Lays out the pages and writes them as a PDF file (see report::writePdf): false (and
    // *cause) when the file cannot be written, the older file of that name then left as it was.
    bool writePdf(const QString& fileName, QString* cause = nullptr) const;
};

// Runs the template's queries through the database layer and fills its body. On failure returns
// nothing and sets *cause.
std::optional<RenderedReport> renderTemplate(const ReportTemplate& tmpl, const RenderInput& input, QString* cause);

} // namespace report
