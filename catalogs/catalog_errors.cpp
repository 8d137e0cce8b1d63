#include "catalogs/catalog_errors.h"

#include "core/biblio.h"
#include "platform/db/database.h"
#include "platform/ui/data_control.h"
#include "platform/ui/db_combo.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"
#include "platform/ui/mouse_pointer.h"

namespace catalogs {

namespace {

const QString kTitle = QStringLiteral(" ZAL");
const QString kCheckTitle = QStringLiteral(" ZAL(Planilla EKO)...");
const QString kLockedSave
    = QStringLiteral(" Un usuario está escribiendo en este momento en este mismo archivo... Desea usted volver a intentar grabar???");
const QString kLockedDeletion
    = QStringLiteral(" Un usuario está escribiendo o haciendo uso en este momento en este mismo archivo... ")
    + QLatin1Char('\r') + QStringLiteral(" Desea usted volver a intentar???");

// The form after an error: cleared, with the focus in the tax-id combo.
void clearAndFocus(const CatalogErrorContext& context)
{
    if (context.clearForm)
        context.clearForm();
    ui::SetFocus(context.combo);
}

// A write that failed leaves the record set editing or adding; that change is dropped.
void dropPendingChange(const CatalogErrorContext& context)
{
    if (!context.records)
        return;
    try {
        db::Recordset records = context.records->Recordset();
        if (records.isOpen() && records.editMode() != db::EditMode::None)
            records.cancelUpdate();
    } catch (const db::DbError&) {
        // Nothing is pending any more.
    }
}

} // namespace

void passOverNoCurrentRecord(const std::function<void()>& step)
{
    try {
        step();
    } catch (const db::DbError& e) {
        if (e.number() != db::err::NoCurrentRecord)
            throw;
    }
}

void runCatalogWrite(CatalogWrite kind, const CatalogErrorContext& context, const std::function<void()>& body)
{
    for (;;) {
        int number = 0;
        QString description;
        try {
            body();
            return;
        } catch (const db::DbError& e) {
            number = e.number();
            description = e.description();
        } catch (...) {
            // Not an engine error: it goes on as a run-time error, without the hourglass.
            ui::setMousePointer(ui::vbDefault);
            throw;
        }
        ui::setMousePointer(ui::vbDefault);

        if (number == db::err::Locked) {
            const QString question = kind == CatalogWrite::Save ? kLockedSave : kLockedDeletion;
            if (ui::MsgBox(question, ui::vbYesNo | ui::vbInformation, kTitle) == ui::vbYes)
                continue;   // the whole handler again, its checks included
            clearAndFocus(context);
            if (kind == CatalogWrite::Save)
                dropPendingChange(context);
            return;
        }

        if (kind == CatalogWrite::Deletion && number == db::err::RelatedRecords) {
            ui::MsgBox(context.inUseMessage, ui::vbInformation, kTitle);
            clearAndFocus(context);
            return;
        }

        ui::MsgBox(QStringLiteral(" Error de sistema ") + QString::number(number) + QLatin1Char('\r') + description,
                   ui::vbOKOnly);
        clearAndFocus(context);
        if (kind == CatalogWrite::Save)
            dropPendingChange(context);
        return;
    }
}

void runCatalogDeletion(const CatalogErrorContext& context, const std::function<void()>& markProcessed)
{
    runCatalogWrite(CatalogWrite::Deletion, context, [&] {
        const QString typed = context.combo->Text();
        if (isBlank(typed)) {
            ui::MsgBox(QStringLiteral(" Debe ingresar un nit..."), ui::vbInformation, kCheckTitle);
            ui::SetFocus(context.combo);
            return;
        }
        // Leading zeros go, as in every lookup, so the row stored without them is the one deleted.
        const QString nit = Biblio::QuitaCerosIzquierda(typed);
        if (!Biblio::ValidaNit(nit)) {
            ui::MsgBox(QStringLiteral(" Este no es un nit válido..."), ui::vbInformation, kCheckTitle);
            ui::SetFocus(context.combo);
            return;
        }
        ui::setMousePointer(ui::vbHourglass);
        db::Recordset records = context.records->Recordset();
        passOverNoCurrentRecord([&] { records.findFirst(nitCriteria(nit)); });
        if (!records.noMatch())
            passOverNoCurrentRecord([&] { records.remove(); });
        if (markProcessed)
            markProcessed();
        // The data control is read again by the clearing right below.
        passOverNoCurrentRecord([&] { context.records->UpdateRecord(); });
        if (context.clearForm)
            context.clearForm();
        ui::setMousePointer(ui::vbDefault);
        ui::SetFocus(context.combo);
    });
}

QString nitCriteria(const QString& nit)
{
    return QStringLiteral("[Nit] = ") + db::quoteLiteral(nit);
}

bool isBlank(const QString& text)
{
    for (const QChar c : text) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

} // namespace catalogs
