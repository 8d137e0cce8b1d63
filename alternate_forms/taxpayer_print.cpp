#include "alternate_forms/taxpayer_print.h"

#include "core/biblio.h"
#include "platform/basic/basic.h"
#include "platform/db/database.h"
#include "platform/ui/dialogs.h"
#include "worksheet/filing.h"
#include "worksheet/worksheet_print.h"

namespace alternate {

namespace {
// A number as its shortest decimal text read back, as the credit rule sums its terms.
double viaText(double value)
{
    return basic::Val(basic::CStr(value));
}

QString numberText(const QString& value)
{
    bool ok = false;
    value.trimmed().toLongLong(&ok);
    return ok ? value.trimmed() : db::quoteLiteral(value);
}
} // namespace

QString documentsQuery(const QString& contribuyente, const QString& periodo)
{
    return QStringLiteral("SELECT Planilla_Det.Tipo, Planilla_Det.Fecha, Planilla_Det.Monto, Planilla_Det.Gasto FROM Planilla_Enc "
                          "INNER JOIN Planilla_Det ON Planilla_Enc.[No] = Planilla_Det.Enc WHERE Planilla_Enc.Contribuyente = ")
        + numberText(contribuyente) + QStringLiteral(" AND Planilla_Enc.Periodo = ") + numberText(periodo);
}

QString taxpayerListQuery(const QString& periodo)
{
    return QStringLiteral("SELECT Contribuyentes.Nombre, Contribuyentes.Nit, Contribuyentes.[No], Planilla_Enc.Periodo FROM "
                          "Contribuyentes INNER JOIN (Periodos INNER JOIN Planilla_Enc ON Periodos.[No] = Planilla_Enc.Periodo) "
                          "ON Contribuyentes.[No] = Planilla_Enc.Contribuyente WHERE (((Planilla_Enc.Periodo)=")
        + numberText(periodo) + QStringLiteral(")) ORDER BY Contribuyentes.Nombre;");
}

TaxpayerFigures readFigures(db::Database& database, const QString& contribuyente, const QString& periodo,
                            const worksheet::Variant& variant, bool julyGroup)
{
    TaxpayerFigures f;
    db::Recordset period = database.openRecordset(
        QStringLiteral("SELECT Del, Al, Coeficiente FROM Periodos WHERE [No] = ") + numberText(periodo),
        db::RecordsetType::Snapshot);
    if (!period.eof()) {
        f.periodDel = basic::CStr(period.field(QStringLiteral("Del")));
        f.periodAl = basic::CStr(period.field(QStringLiteral("Al")));
        f.coefficient = basic::Val(basic::CStr(period.field(QStringLiteral("Coeficiente"))));
    }
    db::Recordset rows = database.openRecordset(documentsQuery(contribuyente, periodo), db::RecordsetType::Snapshot);
    worksheet::Variant rule = variant;
    if (!julyGroup)
        rule.julyFrom = rule.julyTo = QDate();   // no date falls in an empty window
    while (!rows.eof()) {
        const worksheet::DetailRow row {rows.field(0), rows.field(1), rows.field(2)};
        const double monto = row.monto.isNull() ? 0 : basic::Val(basic::CStr(row.monto));
        const worksheet::CreditGroup group = worksheet::groupOf(rule, row);
        worksheet::addRow(rule, f.sums, row);
        // A document of July 2001 counts in that group's sum only: in no per-type or fuel sum.
        const int tipo = int(basic::Val(basic::CStr(row.tipo)));
        if (group != worksheet::CreditGroup::Julio2001)
            f.perType[tipo] += monto;
        if (group == worksheet::CreditGroup::Facturas && worksheet::isFuelCode(rows.field(3))) {
            auto& sum = f.fuel[basic::CStr(rows.field(3)).trimmed().toInt() - 24];
            sum = sum.value_or(0) + monto;
        }
        rows.moveNext();
    }
    f.credit = worksheet::credit(rule, f.sums, f.coefficient);
    return f;
}

QString plainSum(const std::optional<double>& value)
{
    return value ? basic::CStr(viaText(*value)) : QString();
}

QString fuelCredit(const std::optional<double>& sum, double coefficient)
{
    if (!sum || *sum == 0)
        return QStringLiteral("0.00");
    return basic::Format(basic::Format(viaText(*sum * coefficient), QStringLiteral(".00")),
                         QStringLiteral("###,###,##0.00"));
}

QList<QPair<int, QString>> panelFormulas(const TaxpayerFigures& f)
{
    const auto type = [&](int code) {
        return f.perType.contains(code) ? std::optional<double>(f.perType.value(code)) : std::nullopt;
    };
    QList<QPair<int, QString>> out;
    const auto add = [&](int slot, const char* name, const QString& value) {
        out.append({slot, printing::formulaText(QLatin1String(name), value)});
    };
    add(12, "sumaTipo0", plainSum(type(0)));
    add(13, "sumaTipo11", plainSum(type(11)));
    add(14, "sumaTipo7", plainSum(type(7)));
    add(15, "sumaTipo8", plainSum(type(8)));
    add(16, "sumaTipo9", plainSum(type(9)));
    add(17, "sumaTipo10", plainSum(type(10)));
    add(18, "sumaTotalCompra", plainSum(f.perType.value(0) + f.perType.value(2)));
    add(19, "sumaTotalCredito",
        plainSum(f.perType.value(7) + f.perType.value(8) + f.perType.value(9) + f.perType.value(10)));
    for (int i = 0; i < 8; ++i)
        add(20 + i, printing::kFuelPurchaseNames[i], plainSum(f.fuel[i]));
    for (int i = 0; i < 8; ++i)
        add(28 + i, printing::kFuelCreditNames[i], fuelCredit(f.fuel[i], f.coefficient));
    // The panel's purchase total sums codes 0 and 2: the page says so under its figure.
    add(48, "TituloTotalCompra", QStringLiteral("Total de Factura y EKO Dcto. 39-99"));
    return out;
}

bool refusedWithoutTaxpayer(const TaxpayerPrintRequest& request)
{
    if (!request.contribuyente.isEmpty())
        return false;
    ui::MsgBox(QStringLiteral(" Debe seleccionar un Usuario válido..."), ui::vbInformation, QStringLiteral(" ZAL..."));
    return true;
}

std::optional<TaxpayerFigures> openAndRead(db::Database& connection, const TaxpayerPrintRequest& request)
{
    try {
        connection = db::Database::open(Biblio::gBaseDatos.toString(), Biblio::kConnect);
        return readFigures(connection, request.contribuyente, Biblio::gPeriodo, worksheet::Variant::olderForm(),
                           request.julyGroup);
    } catch (const db::DbError& e) {
        ui::MsgBox(QStringLiteral("Error No. ") + QString::number(e.number()) + QStringLiteral(": ") + e.description(),
                   ui::vbCritical);
        return std::nullopt;
    }
}

bool printFigures(report::ReportControl& control, const TaxpayerPrintRequest& request, const TaxpayerFigures& figures)
{
    printing::WorksheetPrint print;
    print.taxpayerText = request.name;
    print.name = request.name;
    print.periodDel = figures.periodDel;
    print.periodAl = figures.periodAl;
    print.databasePath = Biblio::gBaseDatos.toString();
    print.letras = printing::letrasOf(figures.credit);
    print.credit = basic::Format(figures.credit, QStringLiteral("###,###,###,###,##0.00"));
    print.byTaxpayer = printing::WorksheetPrint::TaxpayerSelection {request.contribuyente, Biblio::gPeriodo};
    if (request.panelSums)
        print.formulas = panelFormulas(figures);
    return printing::printWorksheet(control, print);
}

bool printTaxpayer(report::ReportControl& control, const TaxpayerPrintRequest& request)
{
    if (refusedWithoutTaxpayer(request))
        return false;
    db::Database connection;
    const std::optional<TaxpayerFigures> figures = openAndRead(connection, request);
    return figures && printFigures(control, request, *figures);
}

} // namespace alternate
