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

// What goes between the folder and the file name: nothing when the folder already ends in a
// separator ("/" or "\"), "/" otherwise.
QString separatorFor(const QString& folder);

// False for a tax id that cannot be part of a file name: empty, or holding a path separator, a
// drive colon, a wildcard or a control character.
bool nitFitsFileName(const QString& nit);

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
        Failed,        // reading or writing failed: cause says why; nothing written
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
