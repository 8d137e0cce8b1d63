#pragma once
// Upgrades of database files made by earlier versions that the engine itself carries out.
#include "platform/db/database.h"

namespace db {

// Files made before the text columns used NOCASE declared them with the program's own ZALCI
// collation, which other SQLite tools do not know (they could neither compare texts nor check
// such a file). Rebuilds every table that still names it with the definition schemaSql gives
// for it (a table schemaSql does not know keeps its own, with NOCASE), keeping every row and
// automatic-number counter, and then makes the indexes and triggers of schemaSql. All of it is
// one transaction: on failure the file is left exactly as it was and the error is thrown.
// Refuses (3219) a table with a column its new definition lacks rather than lose it.
// Returns false when there was nothing to do.
bool upgradeTextCollation(Database& database, const QString& schemaSql);

// Files made by an earlier version lack indexes that the joins and lookups on tax ids need, or
// keep triggers and indexes of another definition. Makes every index and trigger of schemaSql
// (for the tables the file has) that the file lacks, and replaces those whose definition differs,
// in one transaction: on failure the file is left exactly as it was and the error is thrown. A
// file that already has them all as schemaSql defines them is not written at all (returns false).
bool upgradeIndexes(Database& database, const QString& schemaSql);

} // namespace db
