#pragma once
// The print of a worksheet on "rep001.rpt": the questions, the formulas in their slots and the
// calls of the report control in their order. The entry form prints the filing data and the
// credit; the print form adds the figures per document type and per fuel, the credit in words,
// the sum of the ordinary documents and the security date.
//
//   printing::WorksheetPrint print;
//   print.taxpayerText = cmbContrib->text(); print.headerNo = found ? std::optional(no) : std::nullopt;
//   print.name = txtNombre->text(); print.credit = txtEKO->text();
//   print.figures = figuresOfTheForm;           // only the full print
//   printing::printWorksheet(rptImprime, print);
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <array>
#include <optional>

namespace report { class ReportControl; }

namespace printing {

// The figures of the full print, as texts ready for the page.
struct WorksheetFigures {
    QString letras;              // slot 0, the credit in words (letrasOf)
    QString sumaTotal;           // slot 47 (sumaTotalOf)
    QString sumaTipo0, sumaTipo11, sumaTipo7, sumaTipo8, sumaTipo9, sumaTipo10;   // slots 12 to 17
    QString crTipo0, crTipo11;   // slots 45, 46
    QString sumaTotalCompra, sumaTotalCredito;                                     // slots 18, 19
    // Per fuel, in the order Gasolina Superior, Gasolina Regular, Gasolina de Aviación, Diesel y
    // gas oil, Kerosina (DPK), Kerosina motores reacción, Nafta, Gas licuado de petróleo.
    std::array<QString, 8> fuelPurchases;   // slots 20 to 27
    std::array<QString, 8> fuelCredits;     // slots 28 to 35
    std::array<QString, 8> fuelPrices;      // slots 36 to 43
};

struct WorksheetPrint {
    QString taxpayerText;            // the taxpayer box as shown; blank prints nothing
    std::optional<qint64> headerNo;  // the header found for that taxpayer; none prints nothing
    QString name;                    // the taxpayer's name, for the window title
    QString periodDel, periodAl;     // dd/mm/yyyy
    QString databasePath;
    QString credit;                  // the credit box as shown (CRD)
    std::optional<WorksheetFigures> figures;   // present for the full print
    // The credit in words in slot 0 when there are no full figures (the older entry forms).
    std::optional<QString> letras;
    // The taxpayer's worksheet of a period, handed to the control by a call, in the order of
    // the print panel: the formulas below, files, window, template, title, selection, credit.
    struct TaxpayerSelection {
        QString contribuyente;   // Contribuyentes.No
        QString periodo;
    };
    std::optional<TaxpayerSelection> byTaxpayer;
    // Further formula texts by slot, set in this order right after the filing date's digits.
    QList<QPair<int, QString>> formulas;
};

// Names of the fuel formulas, in the order of WorksheetFigures.
extern const std::array<const char*, 8> kFuelPurchaseNames;
extern const std::array<const char*, 8> kFuelCreditNames;
extern const std::array<const char*, 8> kFuelPriceNames;

// The credit in words: the value as plain decimal text read back (empty 0), rounded ".00", in words.
QString letrasOf(const QVariant& creditoTotal);
// The sum of the ordinary documents: ".00", then "###,###,##0.00".
QString sumaTotalOf(const QVariant& sumaTotalFacturas);

// Asks for the place and date of filing and prints. Returns true when the report was shown.
// After the questions, a blank taxpayer or a worksheet without a header stops the print with no
// message; a report that cannot be printed is reported by the control. A print by taxpayer
// (byTaxpayer) is refused by its form before it comes here.
bool printWorksheet(report::ReportControl& control, const WorksheetPrint& print);

} // namespace printing
