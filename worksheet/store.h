#pragma once
// Where a worksheet lives: one Planilla_Enc header per taxpayer and period, one Planilla_Det row
// per document. The texts of the detail query and of the criteria, and the operations on the
// record sets of the forms' data controls. Every typed value reaches a criterion as a quoted
// literal.
#include "worksheet/engine.h"

#include <QString>
#include <QVariant>

namespace db { class Recordset; }

namespace worksheet {

// The detail query of a header (a null header gives the no-header form, which yields no rows).
QString detailQuery(const QVariant& headerNo);
// The same as a variant reads it: without Galon when it keeps no price per gallon, with its
// display name of code 11.
QString detailQuery(const Variant& v, const QVariant& headerNo);
// The fields of the grid's seven columns, in order.
const QStringList& gridFields();
// "[Contribuyente] = n And [Periodo] = p" (both numbers; a value that is not one is quoted).
QString headerCriteria(const QString& contribuyente, const QString& periodo);

// The key of a document.
struct DocumentKey {
    QVariant enc;            // header number
    QString provee;
    int tipo = -1;
    QString serie;
    QString noDoc;
};
QString documentCriteria(const Variant& v, const DocumentKey& key);

// Finds the header; true when found (it becomes the current row).
bool findHeader(db::Recordset rs, const QString& contribuyente, const QString& periodo);
// True when rs stands on header `no`, and it is the one of this taxpayer and period.
bool standsOnHeader(const db::Recordset& rs, const QVariant& no, const QString& contribuyente, const QString& periodo);
// Inserts the header and makes it the current row; returns its number.
QVariant createHeader(db::Recordset rs, const QString& contribuyente, const QString& periodo);

// Finds a document in a detail record set; true when found (it becomes the current row).
bool findDocument(db::Recordset rs, const Variant& v, const DocumentKey& key);

// The values of a save.
struct DocumentValues {
    QVariant fecha;          // a date
    QVariant gasto;
    double monto = 0;
    QVariant galon;          // written for a fuel (when the variant keeps it), else untouched
};
// Writes the document: a new row with its key when none matches, else the stored row's date,
// expense type, amount and (fuel) price. Returns true when a row was added.
bool writeDocument(db::Recordset rs, const Variant& v, const DocumentKey& key, const DocumentValues& values);
// Deletes the document; false when it is not stored.
bool deleteDocument(db::Recordset rs, const Variant& v, const DocumentKey& key);

} // namespace worksheet
