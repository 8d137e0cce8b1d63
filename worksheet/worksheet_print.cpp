#include "worksheet/worksheet_print.h"

#include "core/biblio.h"
#include "platform/basic/basic.h"
#include "platform/report/report_control.h"
#include "platform/system/clock.h"
#include "platform/ui/dialogs.h"
#include "worksheet/filing.h"

namespace printing {

const std::array<const char*, 8> kFuelPurchaseNames{"sumaGasSup", "sumaGasReg", "sumaGasAv", "sumaDiesel",
                                                    "sumaKerosinaDPK", "sumaKerMot", "sumaNafta", "sumaLicPet"};
const std::array<const char*, 8> kFuelCreditNames{"EKOGasSup", "EKOGasReg", "EKOGasAv", "EKODiesel",
                                                  "EKOKerDPK", "EKOKerMot", "EKONafta", "EKOLicPet"};
const std::array<const char*, 8> kFuelPriceNames{"precioGasSup", "precioGasReg", "precioGasAv", "precioDiesel",
                                                 "precioKerDPK", "precioKerMot", "precioNafta", "precioLicPet"};

namespace {

// A value as plain decimal text read back as a double; empty counts 0.
double plainDouble(const QVariant& value)
{
    const QString text = basic::CStr(value);
    return text.trimmed().isEmpty() ? 0.0 : basic::Val(text);
}

void setBreakdown(report::ReportControl& control, const WorksheetFigures& f)
{
    auto set = [&](int slot, const char* name, const QString& value) {
        control.setFormulas(slot, formulaText(QLatin1String(name), value));
    };
    set(12, "sumaTipo0", f.sumaTipo0);
    set(13, "sumaTipo11", f.sumaTipo11);
    set(14, "sumaTipo7", f.sumaTipo7);
    set(15, "sumaTipo8", f.sumaTipo8);
    set(16, "sumaTipo9", f.sumaTipo9);
    set(17, "sumaTipo10", f.sumaTipo10);
    set(slotCRTipo0, "CRTipo0", f.crTipo0);
    set(slotCRTipo11, "CRTipo11", f.crTipo11);
    set(18, "sumaTotalCompra", f.sumaTotalCompra);
    set(19, "sumaTotalCredito", f.sumaTotalCredito);
    for (int i = 0; i < 8; ++i)
        set(20 + i, kFuelPurchaseNames[i], f.fuelPurchases[i]);
    for (int i = 0; i < 8; ++i)
        set(28 + i, kFuelCreditNames[i], f.fuelCredits[i]);
    for (int i = 0; i < 8; ++i)
        set(36 + i, kFuelPriceNames[i], f.fuelPrices[i]);
}

} // namespace

QString letrasOf(const QVariant& creditoTotal)
{
    const double rounded = basic::Val(basic::Format(plainDouble(creditoTotal), QStringLiteral(".00")));
    return Biblio::NumeroALetras(rounded);
}

QString sumaTotalOf(const QVariant& sumaTotalFacturas)
{
    return basic::Format(basic::Format(plainDouble(sumaTotalFacturas), QStringLiteral(".00")),
                         QStringLiteral("###,###,##0.00"));
}

bool printWorksheet(report::ReportControl& control, const WorksheetPrint& print)
{
    const FilingAnswers filing = askFiling();
    if (print.figures)
        control.setDiscardSavedData(true);
    setFilingDateFormulas(control, filing.date);
    for (const auto& [slot, text] : print.formulas)
        control.setFormulas(slot, text);
    if (print.byTaxpayer) {
        control.setDataFiles(0, print.databasePath);
        control.setDataFiles(1, print.databasePath);
        control.setConnect(QStringLiteral(";PWD=MIRVOSK"));
        control.setWindowState(2);
        control.setReportFileName(templatePath(QStringLiteral("rep001.rpt")));
        control.setWindowTitle(QStringLiteral(" Planilla Periodo: ") + print.periodDel + QStringLiteral(" Al: ")
                               + print.periodAl + QStringLiteral(" De: ") + print.name);
        control.replaceSelectionFormula(QStringLiteral("{Planilla_Enc.Contribuyente} = ") + print.byTaxpayer->contribuyente
                                        + QStringLiteral(" and {Planilla_Enc.Periodo}= ") + print.byTaxpayer->periodo);
        if (print.letras)
            control.setFormulas(slotLetras, formulaText(QStringLiteral("Letras"), *print.letras));
        control.setFormulas(slotCRD, formulaText(QStringLiteral("CRD"), print.credit));
        control.setFormulas(slotLPresenta, formulaText(QStringLiteral("LPresenta"), filing.place));
        return control.setAction(0);
    }
    if (print.figures) {
        setBreakdown(control, *print.figures);
        control.setFormulas(slotSeguridad,
                            formulaText(QStringLiteral("Seguridad"), basic::Format(sys::today(), QStringLiteral("ddmmyyyy"))));
    }
    control.setReportFileName(templatePath(QStringLiteral("rep001.rpt")));
    control.setDataFiles(0, print.databasePath);
    control.setDataFiles(1, print.databasePath);
    control.setConnect(QStringLiteral(";PWD=MIRVOSK"));
    if (print.taxpayerText.trimmed().isEmpty() || !print.headerNo)
        return false;
    control.setSelectionFormula(QStringLiteral("{Planilla_Enc.No} = ") + QString::number(*print.headerNo));
    if (print.figures) {
        control.setFormulas(slotLetras, formulaText(QStringLiteral("Letras"), print.figures->letras));
        control.setFormulas(slotSumaTotal, formulaText(QStringLiteral("SumaTotal"), print.figures->sumaTotal));
    } else if (print.letras) {
        control.setFormulas(slotLetras, formulaText(QStringLiteral("Letras"), *print.letras));
    }
    control.setFormulas(slotCRD, formulaText(QStringLiteral("CRD"), print.credit));
    control.setWindowTitle(QStringLiteral(" Planilla Periodo: ") + print.periodDel + QStringLiteral(" Al: ")
                           + print.periodAl + QStringLiteral(" De: ") + print.name);
    control.setWindowState(2);
    control.setFormulas(slotLPresenta, formulaText(QStringLiteral("LPresenta"), filing.place));
    return control.setAction(0);
}

} // namespace printing
