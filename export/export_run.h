#pragma once
// The writing of one taxpayer's submission file, as the export form's run does it for every
// selected taxpayer: the worksheet of the period is read through the three queries, the whole
// file is built in memory and then written through a temporary file in the destination folder
// that replaces the final name only once it is complete. A failure never leaves a half file, and
// an older file of the same name stays as it was.
#include "platform/db/database.h"

#include <QString>

namespace envios {

// The queries of the run, in the engine's dialect. The detail rows come in the order they were
// entered (Secuencia), so the same worksheet always gives the same bytes.
QString headerQuery(int taxpayerNo, const QString& periodo);
QString taxpayerQuery(int taxpayerNo);
QString detailQuery(int headerNo);
// The form's list: the taxpayers with a worksheet in the period (periodo as the form holds it).
QString taxpayerListQuery(const QString& periodo);

// What goes between the folder and the file name: nothing when the folder already ends in a
// separator ("/" or "\"), "/" otherwise.
QString separatorFor(const QString& folder);

// False for a tax id that cannot be part of a file name: empty, or holding a path separator, a
// drive colon, a wildcard or a control character.
bool nitFitsFileName(const QString& nit);

// The cause of a failed write as the user is told it (" ..." after the failure's first line): in
// Spanish for the causes a user can meet (no space, no permission, a folder in the way, a
// read-only disk, the folder gone), the system's own words for the rest.
QString writeFailureCause(int error);

// Removes the temporary files that runs killed or cut off half-way (the folder moved while they
// wrote) left in folder: hidden files named as the run names them (".PI....TXT.xxxx.tmp") that no
// running copy of the program holds locked. Returns how many were removed.
int removeLeftoverTemporaries(const QString& folder);

// The record sets of the last taxpayer handled; the form keeps them until its next run.
struct RunRecordsets {
    db::Recordset encabezado;
    db::Recordset contribuyente;
    db::Recordset detalle;
    void close();
};

struct TaxpayerFile {
    enum class Status {
        NoWorksheet,   // no document in the period: nothing written
        Written,       // path holds the complete file
        BadNit,        // the tax id cannot form a file name: nothing written
        FolderError,   // the folder cannot take a file (missing, not a folder, not writable)
        Failed,        // reading or writing failed, or the existing file is read-only: cause says
                       // why; nothing written, an existing file left as it was
    };
    Status status = Status::NoWorksheet;
    QString nit;
    QString path;    // the file's full path (once the tax id is known)
    QString cause;   // for the failures
};

// Writes the file of taxpayer taxpayerNo for period periodo, whose first and last dates are del
// and al (dd/mm/yyyy), at folder + separator + name. The date of writing comes from the program's
// clock. The record sets are left in rs.
TaxpayerFile writeTaxpayerFile(db::Database& database, int taxpayerNo, const QString& periodo, const QString& del,
                               const QString& al, const QString& folder, const QString& separator, RunRecordsets& rs);

} // namespace envios
