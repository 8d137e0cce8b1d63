#pragma once
// Start-up: single instance, locating, probing and repairing the database file, regional
// settings, the upgrade of older files, the main window and the current period.
#include <QString>

namespace Biblio {

// Runs start-up. On the fatal paths the program ends inside (sys::End); otherwise the main window
// is shown and the program lives in its event loop.
void Main();

// Stores the application directory's "eko.mdb" as the database when it exists, and sets
// gBaseDatos from the setting; leaves gBaseDatos empty otherwise.
void BaseDatosPorDefecto();

// The name under which the running copy is found by a second one (tests use their own).
void setSingleInstanceName(const QString& name);

} // namespace Biblio
