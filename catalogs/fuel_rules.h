#pragma once
// The protection of the eight fuel expense types in the expense-type catalogue. The entry and print
// forms recognise a fuel by its description, so the catalogue must not lose or duplicate those
// rows:
//   - a description equal to a fuel name cannot be deleted (deletionRefused);
//   - a fuel name, or a short form of one, cannot be saved as a description (alreadyEntered);
//   - a generic fuel word cannot be saved as a description (genericFuelWord);
//   - the fuel rows (codes 24 to 31) cannot be picked from the catalogue's grid (pickRefused).
// The texts are compared whole, upper-cased, case-sensitively and untrimmed: a blank before or
// after the words defeats every list.
#include <QString>
#include <QStringList>

namespace fuel {

// The eight fuel names upper-cased, with the accent-less spellings of three of them (11 texts).
const QStringList& NombresCombustible();
// NombresCombustible, then "GAS SUPERIOR", "GAS REGULAR" and "GAS DE AVIACIÓN" (14 texts).
const QStringList& NombresCombustibleAmpliado();
// Generic fuel words (14 texts).
const QStringList& PalabrasCombustible();
// The codes of the fuel rows, as text: "24" to "31".
const QStringList& CodigosCombustible();

// True when the text, upper-cased, is one of NombresCombustible.
bool deletionRefused(const QString& text);
// True when the text, upper-cased, is one of NombresCombustibleAmpliado.
bool alreadyEntered(const QString& text);
// True when the text, upper-cased, is one of PalabrasCombustible.
bool genericFuelWord(const QString& text);
// True when the code, as text, is one of CodigosCombustible.
bool pickRefused(const QString& code);

} // namespace fuel
