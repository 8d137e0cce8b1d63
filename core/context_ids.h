#pragma once
// Module ContextIDs: the program's online help. The main window names the help file when it
// loads, the menu "&Ayuda en línea" opens its contents, and the help window closes with the main
// window. Message boxes with a Help button open the same file at their context number.
#include <QString>

namespace ContextIDs {

// The handle of the main window, given to the help on every call.
extern qint32 ghWndAyuda;

// The help file of a program folder: the folder (trimmed) followed by "/ZAL.HLP", without a
// second separator when the folder already ends in one.
QString helpFilePath(const QString& appDir);

// Stores the main window's handle, makes the help file of the program's folder the application's
// help file and lets every message box's Help button open it at the box's context number.
void InicializaAyuda(qint32 hWnd);

// Opens the help window at the contents of the help file.
void MuestraAyuda();

// Closes the help window.
void CierraAyuda();

} // namespace ContextIDs
