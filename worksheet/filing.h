#pragma once
// The place and date of filing that every worksheet print asks for, and the formula texts the
// report control takes ("Name = 'value'").
#include <QDate>
#include <QString>
#include <QStringList>

namespace report { class ReportControl; }

namespace printing {

// Slots of the worksheet template's formulas.
enum WorksheetSlot {
    slotLetras = 0, slotLPresenta = 1, slotFPresentaD1 = 2, slotCRD = 10, slotSumaTipo0 = 12,
    slotSeguridad = 44, slotCRTipo0 = 45, slotCRTipo11 = 46, slotSumaTotal = 47,
};

struct FilingAnswers {
    QString place;   // as typed; "" on Cancel
    QString date;    // always dd/mm/yyyy
};

// Asks both questions through the dialog service: the place (default "Tolvania") and the date
// (default today), and normalises the date.
FilingAnswers askFiling();

// The prompt of the date question, with its carriage returns.
QString filingDatePrompt();

// The answer to the date question formatted dd/mm/yyyy; today's date when it is not a date
// (empty, Cancel, words).
QString filingDate(const QString& answer, const QDate& today);

// The eight digits of a dd/mm/yyyy date: day, month, year (05/03/2002 gives 0 5 0 3 2 0 0 2).
QStringList filingDateDigits(const QString& date);

// "Name = 'value'".
QString formulaText(const QString& name, const QString& value);

// Sets slots 2 to 9 to FPresentaD1, D2, M1, M2, Y1 to Y4 of the date.
void setFilingDateFormulas(report::ReportControl& control, const QString& date);

// The template path in the application directory: folder + "\" + file name.
QString templatePath(const QString& fileName);

} // namespace printing
