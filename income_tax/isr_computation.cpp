#include "income_tax/isr_computation.h"

#include "platform/basic/basic.h"

#include <QRegularExpression>

#include <cmath>

namespace income_tax {

namespace {

struct TramoTabla {
    double desde;
    TramoISR tramo;
};

// From the highest lower limit down; each lower limit belongs to the bracket that starts there.
constexpr TramoTabla kTramos[] = {
    {295000, {0.31, 61500, 295000}},
    {180000, {0.25, 32750, 180000}},
    {65000, {0.20, 9750, 65000}},
    {0, {0.15, 0, 0}},
};

QString sinBlancos(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            out.append(c);
    return out;
}

// A number whose thousands are grouped by "," in their right places: "1,500", "-12,345,678.90".
bool esNumeroAgrupado(const QString& compact)
{
    static const QRegularExpression grouped(QStringLiteral("^[+-]?\\d{1,3}(,\\d{3})+(\\.\\d*)?$"));
    return grouped.match(compact).hasMatch();
}

double leer(const QString& text)
{
    try {
        return basic::Val(text);
    } catch (const basic::RuntimeError&) {
        // Beyond the range of a double: no amount at all.
        return 0;
    }
}

} // namespace

TramoISR tramoDe(double x)
{
    if (!(x >= 0))
        return {};
    for (const TramoTabla& t : kTramos)
        if (x >= t.desde)
            return t.tramo;
    return {};
}

double impuestoAnual(double x)
{
    const TramoISR t = tramoDe(x);
    if (t == TramoISR{})
        return 0;
    return (x - t.LimiteInferiorISR) * t.TasaISR + t.ImporteFijoISR;
}

double valorCasilla(const QString& text)
{
    const QString compact = sinBlancos(text);
    if (esNumeroAgrupado(compact))
        return leer(QString(compact).remove(QLatin1Char(',')));
    return leer(text);
}

bool esCantidadValida(const QString& text)
{
    if (!basic::IsNumeric(text))
        return false;
    // The box shows the number the whole text makes ("(5)" as -5.00, "Q100" as 100.00, "12,5" as
    // 125.00); the computation counts the number at its start. Only a text both read alike is an
    // amount: nothing may be shown as one number and counted as another.
    double shown = 0;
    try {
        shown = basic::CDbl(text);
    } catch (const basic::RuntimeError&) {
        return false;
    }
    const double counted = valorCasilla(text);
    return std::isfinite(shown) && std::isfinite(counted) && shown == counted;
}

QString textoCasilla(double value)
{
    return basic::numberToText(value == 0 ? 0.0 : value);
}

void PreparaCasillas(Casillas& boxes)
{
    boxes[kCasillaDeduccion] = DeduccionPersonal;
    for (int box : kCasillasDigitadas)
        if (boxes[box].trimmed().isEmpty())
            boxes[box] = QStringLiteral("0");
}

IsrResult CalculaISR(Casillas& boxes)
{
    PreparaCasillas(boxes);
    IsrResult result;
    const auto v = [&boxes](int box) { return valorCasilla(boxes[box]); };
    // Writes one result; a value beyond the range of a double empties this box and the ones after it.
    const auto escribe = [&](int box, double value) {
        if (!result.finito)
            return;
        if (!std::isfinite(value)) {
            result.finito = false;
            bool desde = false;
            for (int computed : kCasillasCalculadas) {
                desde = desde || computed == box;
                if (desde)
                    boxes[computed].clear();
            }
            return;
        }
        boxes[box] = textoCasilla(value);
    };

    escribe(20, v(16) + v(17) + v(18) + v(19));
    escribe(27, v(21) + v(22) + v(23) + v(24) + v(25) + v(26));
    escribe(28, v(20) - v(27));
    if (!result.finito)
        return result;
    const double x = v(28);
    result.tramo = tramoDe(x);
    escribe(33, impuestoAnual(x));
    escribe(39, v(33) - v(34) - v(36) - v(38));
    return result;
}

int primeraCasillaInvalida(const Casillas& boxes)
{
    for (int box : kCasillasDigitadas) {
        const auto it = boxes.find(box);
        if (it == boxes.end() || !esCantidadValida(it->second))
            return box;
    }
    return 0;
}

QString montoImpreso(const QString& text)
{
    const double value = valorCasilla(text);
    return basic::Format(basic::Format(value, QStringLiteral(".00")), QStringLiteral("###,###,##0.00"));
}

} // namespace income_tax
