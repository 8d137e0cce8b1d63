#include "income_tax/isr_print.h"

#include "platform/report/report_control.h"
#include "worksheet/filing.h"

namespace income_tax {

namespace {

// The text formulas and their slots.
enum TextSlot {
    slotNomPat2 = 25, slotNitPat2 = 26, slotNomPat3 = 27, slotNitPat3 = 28, slotNIT = 29, slotNOMBRE = 30,
    slotPeriodoDel = 31, slotPeriodoAl = 32,
};

} // namespace

bool printReturn(report::ReportControl& control, const IsrPrint& print)
{
    control.setDiscardSavedData(true);
    const auto amount = [&](int box) {
        const auto it = print.boxes.find(box);
        const QString text = it == print.boxes.end() ? QString() : it->second;
        control.setFormulas(slotOf(box), printing::formulaText(QStringLiteral("casilla%1").arg(box), montoImpreso(text)));
    };
    const auto text = [&](int slot, const char* name, const QString& value) {
        // Handed over as it is: the template takes the value up to the last apostrophe.
        control.setFormulas(slot, printing::formulaText(QLatin1String(name), value));
    };
    amount(16);
    amount(17);
    text(slotNIT, "NIT", print.nit);
    text(slotNOMBRE, "NOMBRE", print.nombre);
    text(slotNomPat2, "NomPat2", print.nomPat2);
    text(slotNitPat2, "NitPat2", print.nitPat2);
    text(slotNomPat3, "NomPat3", print.nomPat3);
    text(slotNitPat3, "NitPat3", print.nitPat3);
    // The period, for the line on top of every page and the name of a PDF of the return.
    text(slotPeriodoDel, "PeriodoDel", print.periodDel);
    text(slotPeriodoAl, "PeriodoAl", print.periodAl);
    for (int box : {18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 33, 34, 36, 38, 39})
        amount(box);
    control.setReportFileName(printing::templatePath(QStringLiteral("rep005.rpt")));
    control.setDataFiles(0, print.databasePath);
    control.setDataFiles(1, print.databasePath);
    control.setConnect(QStringLiteral(";PWD=MIRVOSK"));
    // The page shows only the formulas; the selection names the taxpayer's worksheet of the
    // period when there is one, and no other taxpayer's otherwise.
    control.setSelectionFormula(print.headerNo ? QStringLiteral("{Planilla_Enc.No} = ") + QString::number(*print.headerNo)
                                               : QString());
    control.setWindowTitle(QStringLiteral(" Planilla Periodo: ") + print.periodDel + QStringLiteral(" Al: ")
                           + print.periodAl + QStringLiteral(" De: ") + print.nombre);
    control.setWindowState(2);
    return control.setAction(0);
}

} // namespace income_tax
