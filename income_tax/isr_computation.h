#pragma once
// The arithmetic of the annual income-tax return, without widgets.
//
// The return's boxes are known by their numbers (casilla16 ... casilla39) and hold text, as the
// form's boxes do. The computation reads the typed boxes, writes line 6 and the computed lines
// back as plain decimal text and never cuts a result to cents.
//
//   Casillas boxes = {{16, "120000"}, {22, "4800"}};
//   const IsrResult r = CalculaISR(boxes);   // boxes[20], [27], [28], [33], [39] now hold the totals
//
// Reading a box: a text that is a number with correct thousands groups ("1,500.00") counts as
// that number; any other text counts as the number at its start ("12abc" is 12, "abc" is 0,
// blanks anywhere are skipped). A number too large for a double counts as 0 and is refused by
// esCantidadValida like any text that is not a number.
#include <QString>

#include <array>
#include <map>

namespace income_tax {

using Casillas = std::map<int, QString>;

// The typed amount boxes, in the order they are filled with "0", checked and stored.
inline constexpr std::array<int, 12> kCasillasDigitadas = {16, 17, 18, 19, 22, 23, 24, 25, 26, 34, 36, 38};
// The boxes the computation writes: lines 5, 12, 13, 14 and 18.
inline constexpr std::array<int, 5> kCasillasCalculadas = {20, 27, 28, 33, 39};
// Line 6: the fixed personal deduction.
inline constexpr int kCasillaDeduccion = 21;
inline const QString DeduccionPersonal = QStringLiteral("36000");

// The tax bracket of a taxable income.
struct TramoISR {
    double TasaISR = 0;
    double ImporteFijoISR = 0;
    double LimiteInferiorISR = 0;
    bool operator==(const TramoISR&) const = default;
};

// The bracket holding x; all zero for a negative x (a fiscal loss).
TramoISR tramoDe(double x);
// The annual tax of a taxable income x: (x - lower limit) * rate + fixed amount; 0 when x < 0.
double impuestoAnual(double x);

// The amount a box counts as (see above).
double valorCasilla(const QString& text);
// True when the whole text is an amount: a number in the forced number format, thousands
// separators (when there are any) in their right places, and within the range of a double, that
// counts as the number the box shows. "(5)", "Q100", "12,5" and "" are no amounts.
bool esCantidadValida(const QString& text);

// A result as the boxes hold it: up to 15 significant digits, no grouping, "." decimal point,
// "0" for a negative zero.
QString textoCasilla(double value);

// Line 6 := "36000"; every typed box that is empty or blank := "0". Other texts stay as they are.
void PreparaCasillas(Casillas& boxes);

struct IsrResult {
    TramoISR tramo;
    // False when a result went beyond the range of a double. The box of that result and every
    // box computed after it are then left empty: no such value is ever shown.
    bool finito = true;
};

// PreparaCasillas, then lines 5, 12, 13, 14 and 18, each read back from its box by the next step.
IsrResult CalculaISR(Casillas& boxes);

// The first typed box (in the order of kCasillasDigitadas) whose text is not an amount; 0 when
// every one is.
int primeraCasillaInvalida(const Casillas& boxes);

// The text a printed amount shows: the box read as above, two decimals, thousands grouped
// ("1,500.46", "0.00", "-36,000.00").
QString montoImpreso(const QString& text);

} // namespace income_tax
