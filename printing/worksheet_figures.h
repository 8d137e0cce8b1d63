#pragma once
// The breakdown of a worksheet that the print form hands to the worksheet template: purchases
// per document type (codes 0, 7, 8, 9, 10 and 11), the credits of codes 0 and 11, the total
// purchases and credit, and per fuel the purchases, the credit and the plain average of the
// prices per gallon. Documents dated in July 2001 count in none of them. Every figure is a
// four-decimal text ("###,###,##0.0000"); a fuel or type without documents gives "0.0000".
//
//   QList<printing::FigureRow> rows = ...;              // Tipo, Fecha, Monto, Gasto, Galon
//   printing::FuelCodes codes = ...;                    // Gastos.Codigo of each fuel description
//   printing::WorksheetFigures f = printing::worksheetBreakdown(rows, codes, gCoeficiente);
#include "worksheet/worksheet_print.h"

#include <QList>
#include <QVariant>
#include <array>
#include <optional>

namespace worksheet { struct Variant; }

namespace printing {

// One detail row, as stored.
struct FigureRow {
    QVariant tipo;
    QVariant fecha;
    QVariant monto;
    QVariant gasto;
    QVariant galon;
};

// The expense code of each fuel (in the order of worksheet::standardFuels()); none when its
// description is not in Gastos, and then no document counts for it.
using FuelCodes = std::array<std::optional<QVariant>, 8>;

// A value as plain decimal text read back (empty counts 0), rounded to four decimals, in
// "###,###,##0.0000".
QString fourDecimals(const QVariant& value);

// The breakdown of the rows. Letras and SumaTotal are left empty: they come from the credit and
// the sum of the ordinary documents.
WorksheetFigures worksheetBreakdown(const QList<FigureRow>& rows, const FuelCodes& codes, double coefficient);

} // namespace printing
