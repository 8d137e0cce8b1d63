#pragma once
// The checks a document passes before it is saved or deleted, in their fixed order, each with its
// message, message-box style, title, help context and the field that gets the focus.
#include "worksheet/engine.h"

#include <QString>
#include <optional>

namespace worksheet {

// The entry fields a failed check sends the focus to.
enum class Field { Contribuyente, Proveedor, Tipo, Serie, Doc, Fecha, Gasto, Cantidad, Unitario, Calculos };

// What the boxes hold when the document is checked.
struct DocumentInput {
    QString supplierBound;   // bound value of the supplier combo
    QString typeText;        // text of the type list
    int typeCode = -1;       // code of the chosen type (-1: none)
    QString serie;
    QString doc;
    QString fecha;
    QString gastoBound;
    QString gastoText;
    QString cantidad;
    QString unitario;
    QString calculos;        // "Total Sin IDP" as the box shows it
    QString periodoDel;
    QString periodoAl;
};

struct CheckFailure {
    int number = 0;          // 1 to 13, the order of the save checks
    QString message;
    int style = 0;           // icon and buttons (ui::vb… flags)
    QString title;           // "" shows the application's title
    int helpContext = 0;
    Field focus = Field::Proveedor;
    bool clearField = false; // the focused box is emptied (checks 11 to 13)
};

// The form-number prefix a type code demands of its number ("" when none).
QString formPrefix(int code);
// The period's range message.
QString rangeMessage(const QString& del, const QString& al);
// True when the text is a date within the period (whole days, both ends included).
bool dateInPeriod(const QString& fecha, const QString& del, const QString& al);

// Check n (1 to 13) alone; none when it passes. Check 12 refuses a fuel's price that is no
// number, or at or below the rate, or that leaves nothing of the amount once the tax is off;
// check 13 refuses a "Total Sin IDP" that is no amount above 0.00.
std::optional<CheckFailure> saveCheck(int n, const Variant& v, const DocumentInput& in);
// The checks of a save in order; the first failure.
std::optional<CheckFailure> checkSave(const Variant& v, const DocumentInput& in);
// The checks of a deletion: save checks 1, 2, 6 and 7, and in place of check 3 only an empty
// number (a number that is no number matches no stored document, and is passed over).
std::optional<CheckFailure> checkDelete(const Variant& v, const DocumentInput& in);

// The amount of a document as stored: for a fuel "Total Sin IDP" as its box shows it; for any
// other type the amount. None when the box does not read (the checks refuse it first).
std::optional<double> storedAmount(const Variant& v, const DocumentInput& in);

} // namespace worksheet
