#pragma once
// The print of one taxpayer's worksheet of the current period from the print panel and the
// simple print form: the figures are computed from the taxpayer's own rows on a connection of the
// form, with the older forms' credit rule, and handed to the one worksheet print routine.
#include "worksheet/engine.h"

#include <QMap>
#include <QString>
#include <array>
#include <optional>

namespace db { class Database; }
namespace report { class ReportControl; }

namespace alternate {

// The figures of a taxpayer's worksheet of a period.
struct TaxpayerFigures {
    worksheet::CreditSums sums;        // coefficient, face-value and July-2001 groups
    // Purchases per fuel code 24 to 31, documents of the coefficient group only; none while no
    // row was added.
    std::array<std::optional<double>, 8> fuel;
    // Purchases per document-type code, documents of the July-2001 group left out; none while no
    // row was added.
    QMap<int, double> perType;
    double coefficient = 0;            // the period's Coeficiente
    QString periodDel, periodAl;       // the period's dates as stored
    double credit = 0;                 // rounded to two decimals
};

// Reads the rows of the taxpayer's worksheet of the period and sums them. julyGroup: documents of
// codes 0 and 1 dated in July 2001 count times the July factor (else times the coefficient).
// Throws db::DbError.
TaxpayerFigures readFigures(db::Database& database, const QString& contribuyente, const QString& periodo,
                            const worksheet::Variant& variant, bool julyGroup);

// The rows readFigures sums: the documents of the taxpayer's worksheet of the period.
QString documentsQuery(const QString& contribuyente, const QString& periodo);
// The list of the print forms: the taxpayers with a worksheet in the period, by name. A whole
// number goes in as a number (the index on the period serves it), anything else as a quoted
// literal (an empty one selects nobody).
QString taxpayerListQuery(const QString& periodo);

// A sum as the panel hands it over: plain decimal text, "" while empty.
QString plainSum(const std::optional<double>& value);
// The credit of a fuel: sum x coefficient, ".00", then "###,###,##0.00"; "0.00" for no sum.
QString fuelCredit(const std::optional<double>& sum, double coefficient);

// The formula texts of the panel's sums in slot order (12 to 35), then the label of its purchase
// total in slot 48.
QList<QPair<int, QString>> panelFormulas(const TaxpayerFigures& figures);

// What a print by taxpayer needs from its form.
struct TaxpayerPrintRequest {
    QString contribuyente;             // bound value of the taxpayer combo ("" refuses)
    QString name;                      // its text, for the window title
    bool julyGroup = true;
    bool panelSums = false;            // slots 12 to 35 as well
};

// Refuses without a taxpayer (" Debe seleccionar un Usuario válido...", title " ZAL..."; returns
// false and the caller puts the focus on its combo); opens its own connection, reads the
// figures (a database failure shows "Error No. n: desc" and prints nothing), then asks for the
// filing and prints. Returns true when the report was shown.
bool printTaxpayer(report::ReportControl& control, const TaxpayerPrintRequest& request);

// The steps of printTaxpayer for a form that keeps the connection and the figures: the refusal
// without a taxpayer (true when refused); the connection opened into `connection` and the
// figures read through it (none after the failure message); the print of figures read.
bool refusedWithoutTaxpayer(const TaxpayerPrintRequest& request);
std::optional<TaxpayerFigures> openAndRead(db::Database& connection, const TaxpayerPrintRequest& request);
bool printFigures(report::ReportControl& control, const TaxpayerPrintRequest& request, const TaxpayerFigures& figures);

} // namespace alternate
