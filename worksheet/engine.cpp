#include "worksheet/engine.h"

#include "platform/basic/basic.h"
#include "platform/db/database.h"

#include <QRegularExpression>
#include <QStringList>
#include <limits>

namespace worksheet {

const Variant& Variant::entryForm()
{
    static const Variant v = [] {
        Variant out;
        out.fuels = standardFuels();
        return out;
    }();
    return v;
}

const Variant& Variant::olderForm()
{
    static const Variant v = [] {
        Variant out;
        out.seriesCodes = {0};
        out.fuels = standardFuels();
        out.fuels[5].name = QStringLiteral("Kerosina para motores de reacción");
        out.keepsGalon = false;
        out.faceValueUpTo = std::numeric_limits<int>::max();
        out.totalPrefix = QStringLiteral("Q. ");
        out.totalFormat = QStringLiteral("#,##0.00");
        out.emptiesRefusedDate = false;
        out.amountEnterToPrice = false;
        out.expenseShowsFuel = false;
        out.expenseLeavesToAmount = false;
        out.priceBox = PriceBox::Quiet;
        out.unknownTaxpayerStops = true;
        out.totalsShownAtLoad = false;
        out.gridAmountFormat.clear();
        out.gridFuel = GridFuel::ByCode;
        out.amountMessage = QStringLiteral(" Debe ingresar una cantidad válida...");
        return out;
    }();
    return v;
}

const Variant& Variant::printPanelForm()
{
    static const Variant v = [] {
        Variant out = olderForm();
        out.gridFuel = GridFuel::Never;
        out.electronicInvoiceName = QStringLiteral("Factura Electronica");
        return out;
    }();
    return v;
}

bool isFuelCode(const QVariant& gasto)
{
    bool ok = false;
    const int code = basic::CStr(gasto).trimmed().toInt(&ok);
    return ok && code >= 24 && code <= 31;
}

QString documentTypeName(int code)
{
    static const QStringList names {
        QStringLiteral("Factura"), QStringLiteral("Tiquete"), QStringLiteral("EKO Dcto. 39-99"),
        QStringLiteral("Formulario 2031"), QStringLiteral("Formulario 2081"), QStringLiteral("Formulario 2082"),
        QStringLiteral("Formulario 7111"), QStringLiteral("Declaracion Aduanera"), QStringLiteral("Formulario 203"),
        QStringLiteral("Formulario 208"), QStringLiteral("Formulario 711"), QStringLiteral("Factura Electrónica")};
    return code >= 0 && code < names.size() ? names.at(code) : QString();
}

QList<DocType> documentTypes(int periodNo)
{
    QList<int> codes {0};
    if (periodNo <= 3)
        codes << 1 << 2;
    codes << 8 << 9 << 10 << 7 << 11;
    QList<DocType> out;
    for (int code : codes)
        out.append({documentTypeName(code), code});
    return out;
}

bool carriesSeries(const Variant& v, int code)
{
    return v.seriesCodes.contains(code);
}

QVariant storedSeries(const Variant& v, int code, const QString& series)
{
    if (!carriesSeries(v, code) || series.trimmed().isEmpty())
        return QVariant();
    return series.toUpper();
}

const QList<Fuel>& standardFuels()
{
    static const QList<Fuel> fuels {
        {QStringLiteral("Gasolina Superior"), 4.7}, {QStringLiteral("Gasolina Regular"), 4.6},
        {QStringLiteral("Gasolina de Aviación"), 4.7}, {QStringLiteral("Diesel y gas oil"), 1.3},
        {QStringLiteral("Kerosina (DPK)"), 0.5}, {QStringLiteral("Kerosina motores reacción"), 0.5},
        {QStringLiteral("Nafta"), 0.5}, {QStringLiteral("Gas licuado de petróleo"), 0.5}};
    return fuels;
}

double fuelRate(const Variant& v, const QString& expense)
{
    for (const Fuel& f : v.fuels)
        if (f.name == expense)
            return f.rate;
    return 0;
}

bool isFuel(const Variant& v, const QString& expense)
{
    for (const Fuel& f : v.fuels)
        if (f.name == expense)
            return true;
    return false;
}

std::optional<double> amountWithoutTax(double amount, double price, double rate)
{
    if (price <= rate || price <= 0)
        return std::nullopt;
    const double left = basic::Round(amount - (amount / price) * rate, 2);
    if (!(left > 0))
        return std::nullopt;
    return left;
}

std::optional<double> amountPaid(double monto, const QVariant& galon, double rate)
{
    if (galon.isNull() || !galon.isValid())
        return std::nullopt;
    const double price = galon.toDouble();
    if (price <= rate || price <= 0)
        return std::nullopt;
    return monto * price / (price - rate);
}

std::optional<double> readAmount(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^[+-]?(?:(?:\\d{1,3}(?:,\\d{3})+|\\d+)(?:\\.\\d*)?|\\.\\d+)$"));
    const QString t = text.trimmed();
    if (!pattern.match(t).hasMatch())
        return std::nullopt;
    QString plain = t;
    plain.remove(QLatin1Char(','));
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<double> leadingNumber(const QString& text)
{
    try {
        return basic::Val(text);
    } catch (const basic::RuntimeError&) {
        return std::nullopt;
    }
}

QString formatAmount(double value)
{
    return basic::Format(value, QStringLiteral("###,###,##0.00"));
}

namespace {
std::optional<double> numberOf(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return std::nullopt;
    try {
        return basic::CDbl(value);
    } catch (const basic::RuntimeError&) {
        return std::nullopt;
    }
}

std::optional<QDate> dateOf(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return std::nullopt;
    try {
        const QVariant d = basic::CDate(value);
        if (d.typeId() == QMetaType::QDateTime)
            return d.toDateTime().date();
        return d.toDate();
    } catch (const basic::RuntimeError&) {
        return std::nullopt;
    }
}

// A sum is turned into its text and read back, as the credit has always been computed.
double viaText(double value)
{
    return basic::Val(basic::numberToText(value));
}
} // namespace

CreditGroup groupOf(const Variant& v, const DetailRow& row)
{
    const std::optional<double> code = numberOf(row.tipo);
    if (code && *code >= 2 && *code <= v.faceValueUpTo)
        return CreditGroup::Formularios;
    if (datedInJuly(v, row.fecha))
        return CreditGroup::Julio2001;
    return CreditGroup::Facturas;
}

void addRow(const Variant& v, CreditSums& sums, const DetailRow& row)
{
    const double monto = numberOf(row.monto).value_or(0);
    switch (groupOf(v, row)) {
    case CreditGroup::Formularios: sums.formularios += monto; break;
    case CreditGroup::Julio2001: sums.julio2001 += monto; break;
    case CreditGroup::Facturas: sums.facturas += monto; break;
    }
}

CreditSums sumRecordset(const Variant& v, db::Recordset rs)
{
    CreditSums sums;
    if (!rs.isOpen())
        return sums;
    const int tipo = rs.fieldIndex(QStringLiteral("Tipo"));
    const int fecha = rs.fieldIndex(QStringLiteral("Fecha"));
    const int monto = rs.fieldIndex(QStringLiteral("Monto"));
    if (tipo < 0 || fecha < 0 || monto < 0)
        return sums;
    if (rs.eof() && rs.bof())
        return sums;
    rs.moveFirst();
    while (!rs.eof()) {
        addRow(v, sums, {rs.field(tipo), rs.field(fecha), rs.field(monto)});
        rs.moveNext();
    }
    return sums;
}

double credit(const Variant& v, const CreditSums& sums, double coefficient)
{
    return basic::Round(creditUnrounded(v, sums, coefficient), 2);
}

double creditUnrounded(const Variant& v, const CreditSums& sums, double coefficient)
{
    if (v.creditRule)
        return v.creditRule(sums, coefficient);
    const double a = viaText(sums.facturas * coefficient);
    const double b = viaText(sums.formularios);
    const double c = viaText(sums.julio2001 * v.julyFactor);
    return (a + b) + c;
}

std::optional<double> numberValue(const QVariant& value)
{
    return numberOf(value);
}

bool datedInJuly(const Variant& v, const QVariant& fecha)
{
    const std::optional<QDate> date = dateOf(fecha);
    return date && *date >= v.julyFrom && *date <= v.julyTo;
}

ClearPlan clearPlan(int level)
{
    ClearPlan p;
    switch (level) {
    case 0:
        p.taxpayer = p.emptyWorksheet = true;
        [[fallthrough]];
    case 1:
        p.supplier = true;
        [[fallthrough]];
    case 2:
    case 4:
        p.document = true;
        [[fallthrough]];
    case 3:
        p.date = p.expense = p.amounts = p.hideFuel = true;
        break;
    default:
        break;
    }
    return p;
}

std::optional<QString> sortedSource(const QString& sqlDetalle, int column, int& ultimaColumna,
                                    const QStringList& fields, int inertColumn, int typeColumn)
{
    if (column == inertColumn || column < 0 || column >= fields.size())
        return std::nullopt;
    QString direction;
    if (column == ultimaColumna) {
        direction = QStringLiteral("DESC");
        ultimaColumna = 999;
    } else {
        ultimaColumna = column;
        direction = QStringLiteral("ASC");
    }
    const QString field = column == typeColumn ? QStringLiteral("Tipo") : fields.at(column);
    QString base = sqlDetalle;
    if (base.endsWith(QLatin1Char(';')))
        base.chop(1);
    return base + QStringLiteral("Order By [") + field + QStringLiteral("] ") + direction + QStringLiteral(";");
}

} // namespace worksheet
