#pragma once
// Module Biblio: the state every form shares and the small routines they all use.
#include <QString>
#include <QVariant>

class QObject;

namespace Biblio {

// Shared state (all start empty, zero or false).
extern QVariant gBaseDatos;       // full path of the database file
extern QString gPeriodo;          // number of the current period, as text
extern QString gNitProveedor;     // supplier tax id handed to the supplier catalogue
extern bool gProveedorNuevo;      // the catalogue has just saved the handed-over supplier
extern bool gPlanillaAbierta;     // a worksheet form is loaded
extern qint16 gPeriodoNo;         // loaded period: number
extern QString gPeriodoDel;       // loaded period: first date, dd/MM/yyyy
extern QString gPeriodoAl;        // loaded period: last date, dd/MM/yyyy
extern double gCoeficiente;       // loaded period: coefficient

// The program's settings: application "ZAL EKO", section "Configuracion" (keys "DataBase" and
// "DefaultPer"). A missing key reads as empty text.
QString LeeConfiguracion(const QString& key);
void GuardaConfiguracion(const QString& key, const QString& value);

// Whether a worksheet form (the entry form or the print form) other than `except` is loaded:
// what gPlanillaAbierta must say once `except` unloads, since both forms may be open at once.
bool worksheetFormOpen(const QObject* except);

// The connect string of every direct open of the database.
inline const QString kConnect = QStringLiteral(";pwd=MIRVOSK");

// Loads the period numbered gPeriodo into gPeriodoNo, gPeriodoDel, gPeriodoAl and gCoeficiente.
// Nothing is reported; when the period cannot be loaded the four values keep what they held.
void CargaPeriodo();
// The row of period number (a whole number in text) that CargaPeriodo reads.
QString periodQuery(const QString& number);


// Start-up upgrade of older database files: every period after the second gets the coefficient
// 0.107142; the series column of the worksheet detail is widened to 10 characters.
void ActualizaCoeficientes();
void ActualizaCampoSerie();
void ActualizaIntercalacion();

// Regional settings forced at every start: the short date becomes "dd/MM/" followed by four year
// letters (the last "y" or "a" of the current short date; "y" when it has neither); currency "Q",
// separators "." and "," and grouping "3;0" for amounts and numbers. Each broadcasts the change.
QString LeeConfiguracionRegional(int lcid, int type);
void ConfiguraFormatoFecha();
void ConfiguraFormatoNumeros();

// True when the last character is the right modulus-11 check character for the ones before it.
bool ValidaNit(const QString& nit);

// The text without its leading zeros (characters that sort below "0" stay; from the first
// character above "0" on, everything stays).
QString QuitaCerosIzquierda(const QString& nit);

// True when the value is not recognised as a date.
bool FechaInvalida(const QVariant& value);

// An amount in upper-case Spanish words, ending in "EXACTOS" or "CON nn/100".
QString NumeroALetras(double amount);

} // namespace Biblio
