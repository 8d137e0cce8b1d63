#pragma once
// The database-error handling that the taxpayer and supplier catalogues share for their two
// writing handlers, the save (cmdGrabar) and the deletion (cmdEliminar).
//
//   catalogs::runCatalogWrite(catalogs::CatalogWrite::Save, context, [&] { ...one run of the handler... });
//
// The body is one whole run of the click handler, its checks included. It lets engine errors
// (db::DbError) escape, except error 3021 (no current record), which it passes over step by step
// with passOverNoCurrentRecord. runCatalogWrite then reacts to the number:
//   3200 (deletion only)  the "forms part of a worksheet" message; the form is cleared.
//   3260 (locked)         the retry question; Yes runs the body again from its start, No clears
//                         the form. The runs follow one another in a loop, so a file that stays
//                         locked cannot pile up nested runs however often the user retries.
//   any other             " Error de sistema " with the number and the engine's description;
//                         the form is cleared.
// Every way out of the error handling restores the default mouse pointer, clears the form
// (Limpiar with level 1) and puts the focus in the tax-id combo. A save that failed halfway
// never leaves its pending change behind in the record set.
//
// The deletion is the same in both catalogues and lives here as well (runCatalogDeletion).
#include <QString>
#include <functional>

namespace ui {
class DataControl;
class DBCombo;
}

namespace catalogs {

enum class CatalogWrite { Save, Deletion };

// What the error handling needs of the catalogue form.
struct CatalogErrorContext {
    ui::DBCombo* combo = nullptr;            // the tax-id combo, focused after an error
    ui::DataControl* records = nullptr;      // the data control whose record set is written
    std::function<void()> clearForm;         // the form's Limpiar with level 1
    QString inUseMessage;                    // shown when a deletion is refused with 3200
};

// Runs one database step of a writing handler: error 3021 skips the step; every other engine
// error reaches the caller.
void passOverNoCurrentRecord(const std::function<void()>& step);

// Runs body under the catalogue error handling described above.
void runCatalogWrite(CatalogWrite kind, const CatalogErrorContext& context, const std::function<void()>& body);

// The deletion (cmdEliminar) of a catalogue, under the error handling above. A blank tax id
// gives " Debe ingresar un nit...", one that fails Biblio::ValidaNit " Este no es un nit
// válido..."; both leave the form as it is, with the focus in the combo. Otherwise the row whose
// Nit equals the combo text (unchanged) is deleted without asking; a tax id that is not in the
// table deletes nothing and shows nothing. markProcessed then runs (the form notes that its tax
// id has been dealt with) and the form is cleared (level 1) with the focus in the combo.
void runCatalogDeletion(const CatalogErrorContext& context, const std::function<void()>& markProcessed);

// The criterion that finds the row of a tax id as typed: the text is always a quoted literal.
QString nitCriteria(const QString& nit);

// True when the text is empty or holds only blanks (spaces).
bool isBlank(const QString& text);

} // namespace catalogs
