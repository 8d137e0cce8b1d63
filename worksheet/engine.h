#pragma once
// The worksheet rules that are not about widgets: the document types a period offers, which types
// carry a series, the fuels and their per-gallon tax, the fuel computation and its reverse, the
// strict reading of amounts, the worksheet sums and the tax credit, the clearing levels of the
// entry fields and the grid's header-click sort.
//
// Every worksheet form (the entry form, the print form and the older forms) works through these
// functions. What differs from form to form is a Variant value; the entry form uses
// Variant::entryForm().
#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

namespace db { class Recordset; }

namespace worksheet {

// A document type of the type list: the name shown and the code stored in Planilla_Det.Tipo.
struct DocType {
    QString name;
    int code = 0;
    bool operator==(const DocType&) const = default;
};

// A fuel: its exact description in Gastos and its tax per gallon.
struct Fuel {
    QString name;
    double rate = 0;
};

// The group sums of a worksheet (empty groups are 0).
struct CreditSums {
    double facturas = 0;      // codes 0, 1 and 11 outside July 2001: times the period coefficient
    double formularios = 0;   // codes 2 to 10: face value
    double julio2001 = 0;     // codes 0, 1 and 11 dated in July 2001: times the July factor
    double total() const { return facturas + formularios + julio2001; }
};

// What differs between the forms that work on a worksheet.
struct Variant {
    QList<int> seriesCodes {0, 11};   // document types that carry a series (stored and matched)
    QList<Fuel> fuels;                 // fuel descriptions, compared exactly, and their rates
    bool keepsGalon = true;            // a fuel row stores its price per gallon
    double julyFactor = 0.090909;      // the credit factor of documents of July 2001
    QDate julyFrom {2001, 7, 1};
    QDate julyTo {2001, 7, 31};
    QString totalFormat = QStringLiteral("###,###,##0.00");
    bool dateBoxMasked = true;         // the date box is a "##/##/####" masked box
    // The credit of the sums with the period coefficient; empty: the three-group rule.
    std::function<double(const CreditSums&, double coefficient)> creditRule;
    int faceValueUpTo = 10;            // codes 2 up to this one count at face value
    QString totalPrefix;               // shown before the total and the credit ("Q. ")
    bool emptiesRefusedDate = true;    // a date refused on Enter is taken out of its box
    bool amountEnterToPrice = true;    // Enter in a fuel's amount goes on to its price
    // The expense box of the entry form: its Enter (or a pick) shows or hides the fuel boxes, and
    // leaving it sends the focus on to the amount. The older forms' expense box does neither.
    bool expenseShowsFuel = true;
    bool expenseLeavesToAmount = true;
    // The price box: the entry form checks it on Enter and on leaving (a refused price is
    // emptied with a message) and leaving "Total Sin IDP" goes on to the save; the older forms
    // only work the total out on leaving the price, without a message.
    enum class PriceBox { Checked, Quiet };
    PriceBox priceBox = PriceBox::Checked;
    // A valid tax id of no taxpayer: the entry form still looks its worksheet up (and shows none);
    // the older forms stop there and leave the grid as it is.
    bool unknownTaxpayerStops = false;
    // The total and the credit show "0.00" from the load on; the older forms leave them empty
    // until a worksheet is looked up or cleared.
    bool totalsShownAtLoad = true;
    QString gridAmountFormat = QStringLiteral("###,###,##0.00");   // the grid's "Valor" column
    // How the grid's double click tells a fuel row: by its description (and rebuilds the amount
    // paid from the stored price), by its expense code 24 to 31 (shows the fuel boxes only), or
    // not at all.
    enum class GridFuel { ByDescription, ByCode, Never };
    GridFuel gridFuel = GridFuel::ByDescription;
    QString amountMessage = QStringLiteral("Debe ingresar una cantidad válida...");   // save check 9
    QString electronicInvoiceName;     // the grid's name of code 11 when not "Factura Electrónica"

    static const Variant& entryForm();
    // The older entry form: a series only for "Factura", the jet fuel spelt "Kerosina para
    // motores de reacción", no price per gallon kept, every code from 2 up at face value.
    static const Variant& olderForm();
    // The older entry form with the print panel: as the older form, no fuel on the double click.
    static const Variant& printPanelForm();
};

// The fuel expense codes of the catalogue: 24 to 31.
bool isFuelCode(const QVariant& gasto);

// ---- Document types ----
// The twelve names by code (0 to 11); "" for any other code.
QString documentTypeName(int code);
// The type list of a period: eight entries up to period 3, six after it.
QList<DocType> documentTypes(int periodNo);
bool carriesSeries(const Variant& v, int code);
// The series as stored: upper-cased for a type that carries one, Null for the others and for a
// blank series.
QVariant storedSeries(const Variant& v, int code, const QString& series);

// ---- Fuel ----
const QList<Fuel>& standardFuels();
// The rate of an expense description (exact text, letter case included); 0 when it is no fuel.
double fuelRate(const Variant& v, const QString& expense);
bool isFuel(const Variant& v, const QString& expense);
// Amount without the fuel tax: amount - amount / price * rate, rounded to two decimals. None
// when the price does not exceed the rate or nothing is left once rounded (0.00 or less).
std::optional<double> amountWithoutTax(double amount, double price, double rate);
// The amount paid rebuilt from a stored fuel row: monto * galon / (galon - rate). None when the
// price is missing or does not exceed the rate (the row's Monto is then shown as it is).
std::optional<double> amountPaid(double monto, const QVariant& galon, double rate);

// ---- Amounts ----
// Reads an amount typed in a box: blanks around, an optional sign, digits whose "," separators
// group exactly three digits, an optional "." and decimals. None for anything else
// ("12,50", "5x", "").
std::optional<double> readAmount(const QString& text);
// The number at the start of a box's text, as Val reads it ("100abc" is 100, "" is 0). None for
// a number beyond the range of a double ("1e309"), which no box may hold.
std::optional<double> leadingNumber(const QString& text);
// The text of an amount in the worksheet's format ("###,###,##0.00").
QString formatAmount(double value);

// ---- Sums and credit ----
struct DetailRow {
    QVariant tipo;    // code as stored (text)
    QVariant fecha;   // date
    QVariant monto;
};
// The group of the credit rule a row falls in: face value (codes 2 and up), July 2001 (codes 0
// and 1 dated in the July window) or the coefficient group (the rest).
enum class CreditGroup { Facturas, Formularios, Julio2001 };
CreditGroup groupOf(const Variant& v, const DetailRow& row);
// Adds one row to the group it belongs to.
void addRow(const Variant& v, CreditSums& sums, const DetailRow& row);
// Walks a detail record set (columns Tipo, Fecha, Monto) from its first row.
CreditSums sumRecordset(const Variant& v, db::Recordset rs);
// The credit, rounded to two decimals (halves away from zero).
double credit(const Variant& v, const CreditSums& sums, double coefficient);
// The same credit before the rounding (each term through its text, added in order).
double creditUnrounded(const Variant& v, const CreditSums& sums, double coefficient);
// A stored value as a number (a code stored as text included); none for Null or a non-number.
std::optional<double> numberValue(const QVariant& value);
// Whether a document date lies in July 2001 (the variant's July days); a Null date does not.
bool datedInJuly(const Variant& v, const QVariant& fecha);

// ---- Clearing levels of the entry fields ----
struct ClearPlan {
    bool taxpayer = false;      // taxpayer combo and its four boxes
    bool supplier = false;      // supplier tax id and name
    bool document = false;      // series and number
    bool date = false;
    bool expense = false;
    bool amounts = false;       // amount, price, amount without tax
    bool hideFuel = false;      // fuel label and boxes hidden
    bool emptyWorksheet = false;   // grid on the no-header query, total and credit "0.00"
};
// What LimpiaDet clears at a level (0 to 4); level 0 here is the full clearing (the form runs
// level 1 instead when a supplier is typed). Any other level clears nothing.
ClearPlan clearPlan(int level);

// ---- Grid header click ----
// The record source for a click on a column: none for a column that does not sort. ultimaColumna
// (999 = none) alternates ASC and DESC per column. fields[i] is the query field of column i.
std::optional<QString> sortedSource(const QString& sqlDetalle, int column, int& ultimaColumna,
                                    const QStringList& fields, int inertColumn = 5, int typeColumn = 3);

} // namespace worksheet
