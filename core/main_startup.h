#pragma once
// Start-up: single instance, locating, probing and repairing the database file, regional
// settings, the upgrade of older files, the main window and the current period.
#include "platform/db/database.h"

#include <QList>
#include <QString>

namespace Biblio {

// Runs start-up. On the fatal paths the program ends inside (sys::End); otherwise the main window
// is shown and the program lives in its event loop.
void Main();

// Stores the application directory's "eko.mdb" as the database when it exists, and sets
// gBaseDatos from the setting; leaves gBaseDatos empty otherwise.
void BaseDatosPorDefecto();

// Why the program cannot start when another program holds the database file.
QString busyNotice();

// What the user is told after a repair that could not keep every row: how many rows of which
// tables may be lost and where the untouched original is kept. Empty when nothing was lost.
QString repairNotice(const QList<db::RepairLoss>& losses, const QString& backup);

// The name under which the running copy is found by a second one (tests use their own).
void setSingleInstanceName(const QString& name);

} // namespace Biblio
