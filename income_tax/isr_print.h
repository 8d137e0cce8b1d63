#pragma once
// The print of the income-tax return on "rep005.rpt": every value the page shows reaches the
// template as a formula in its fixed slot, in a fixed order, and the report control is started last.
//
//   income_tax::IsrPrint print;
//   print.boxes = boxesOfTheForm; print.nit = cmbContrib->Text(); ...
//   income_tax::printReturn(*rptImprime, print);
#include "income_tax/isr_computation.h"

#include <QString>
#include <optional>

namespace report { class ReportControl; }

namespace income_tax {

struct IsrPrint {
    Casillas boxes;                   // the texts of lines 1 to 18 (16 ... 39)
    QString nit, nombre;              // the taxpayer box and the name
    QString nomPat2, nitPat2, nomPat3, nitPat3;
    std::optional<qint64> headerNo;   // the worksheet header of the taxpayer and the current period
    QString databasePath;
    QString periodDel, periodAl;
};

// The slot of a line's formula: its box number less 15 (casilla16 in slot 1, casilla39 in slot 24).
constexpr int slotOf(int box) { return box - 15; }

// Sets the formulas, the template, the data files, the selection (the header, or none), the
// window title and state, and starts the report. True when the report was shown.
bool printReturn(report::ReportControl& control, const IsrPrint& print);

} // namespace income_tax
