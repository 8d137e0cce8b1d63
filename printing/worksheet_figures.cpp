#include "printing/worksheet_figures.h"

#include "platform/basic/basic.h"
#include "worksheet/engine.h"

namespace printing {

namespace {

// A number as its plain decimal text read back.
double viaText(double value)
{
    return basic::Val(basic::numberToText(value));
}

bool sameCode(const QVariant& gasto, const QVariant& code)
{
    if (gasto.isNull() || !gasto.isValid())
        return false;
    const auto a = worksheet::numberValue(gasto);
    const auto b = worksheet::numberValue(code);
    if (a && b)
        return *a == *b;
    return basic::CStr(gasto) == basic::CStr(code);
}

struct FuelSum {
    double purchases = 0;
    double prices = 0;
    int count = 0;
};

} // namespace

QString fourDecimals(const QVariant& value)
{
    const QString text = value.isNull() || !value.isValid() ? QString() : basic::CStr(value);
    const double plain = text.trimmed().isEmpty() ? 0.0 : basic::Val(text);
    return basic::Format(basic::Format(plain, QStringLiteral(".0000")), QStringLiteral("###,###,##0.0000"));
}

WorksheetFigures worksheetBreakdown(const QList<FigureRow>& rows, const FuelCodes& codes, double coefficient)
{
    const worksheet::Variant& v = worksheet::Variant::entryForm();
    static const int kTypes[] = {0, 7, 8, 9, 10, 11};
    std::array<double, 12> byType{};
    std::array<FuelSum, 8> fuels{};
    for (const FigureRow& row : rows) {
        if (worksheet::datedInJuly(v, row.fecha))
            continue;
        const double monto = worksheet::numberValue(row.monto).value_or(0);
        for (int i = 0; i < 8; ++i) {
            if (codes[i] && sameCode(row.gasto, *codes[i])) {
                fuels[i].purchases += monto;
                fuels[i].prices += worksheet::numberValue(row.galon).value_or(0);
                ++fuels[i].count;
            }
        }
        const auto tipo = worksheet::numberValue(row.tipo);
        for (int code : kTypes)
            if (tipo && *tipo == code)
                byType[code] += monto;
    }

    WorksheetFigures f;
    const double crTipo0 = coefficient * byType[0];
    const double crTipo11 = coefficient * byType[11];
    f.sumaTotalCompra = fourDecimals(viaText(byType[0]) + viaText(byType[11]));
    double credito = viaText(crTipo0) + viaText(crTipo11);
    for (int code : {7, 8, 9, 10})
        credito += viaText(byType[code]);
    f.sumaTotalCredito = fourDecimals(credito);

    for (int i = 0; i < 8; ++i) {
        const FuelSum& fuel = fuels[i];
        if (fuel.purchases != 0) {
            f.fuelCredits[i] = fourDecimals(coefficient * fuel.purchases);
            f.fuelPrices[i] = fourDecimals(viaText(fuel.prices) / fuel.count);
            f.fuelPurchases[i] = fourDecimals(fuel.purchases);
        } else {
            f.fuelCredits[i] = f.fuelPrices[i] = f.fuelPurchases[i] = fourDecimals(0.0);
        }
    }
    f.crTipo0 = fourDecimals(byType[0] != 0 ? crTipo0 : 0.0);
    f.sumaTipo0 = fourDecimals(byType[0]);
    f.crTipo11 = fourDecimals(byType[11] != 0 ? crTipo11 : 0.0);
    f.sumaTipo11 = fourDecimals(byType[11]);
    f.sumaTipo7 = fourDecimals(byType[7]);
    f.sumaTipo8 = fourDecimals(byType[8]);
    f.sumaTipo9 = fourDecimals(byType[9]);
    f.sumaTipo10 = fourDecimals(byType[10]);
    return f;
}

} // namespace printing
