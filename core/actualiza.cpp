// Start-up upgrade of database files made for earlier versions.
#include "core/biblio.h"

#include "platform/db/database.h"
#include "platform/db/schema.h"
#include "platform/db/upgrade.h"
#include "platform/ui/dialogs.h"

namespace Biblio {

void ActualizaCoeficientes()
{
    try {
        db::Database base = db::Database::open(gBaseDatos.toString(), kConnect);
        base.execute(QStringLiteral("UPDATE Periodos SET Periodos.Coeficiente = 0.107142 WHERE (((Periodos.[No])>2));"));
        base.close();
    } catch (const db::DbError&) {
        // Periods keep their old coefficients; start-up goes on.
    }
}

void ActualizaCampoSerie()
{
    db::Database base;
    try {
        base = db::Database::open(gBaseDatos.toString(), kConnect);
        db::TableDef def = base.tableDef(QStringLiteral("[Planilla_Det]"));
        if (def.field(QStringLiteral("Serie")).size < 10) {
            // The whole change is one transaction: if any step fails the file stays as it was,
            // with its old column and values and no temporary column left behind.
            base.beginTrans();
            base.execute(QStringLiteral("ALTER TABLE [Planilla_Det] ADD COLUMN AlterTempField TEXT(10)"));
            base.execute(QStringLiteral("UPDATE DISTINCTROW [Planilla_Det] SET AlterTempField = [Serie]"));
            base.execute(QStringLiteral("ALTER TABLE [Planilla_Det] DROP COLUMN [Serie]"));
            def = base.tableDef(QStringLiteral("[Planilla_Det]"));
            def.renameField(QStringLiteral("AlterTempField"), QStringLiteral("Serie"));
            def.setOrdinalPosition(QStringLiteral("Serie"), 5);
            base.commitTrans();
        }
        base.close();
    } catch (const db::DbError& e) {
        if (base.inTransaction()) {
            try {
                base.rollback();
            } catch (const db::DbError&) {
            }
        }
        base.close();
        ui::MsgBox(QStringLiteral(" Error MetaData Change for Ver. 1.2.4, No. ") + QString::number(e.number())
                       + QStringLiteral(" : ") + e.description() + QStringLiteral("\r")
                       + QStringLiteral(" Por favor salga de la aplicación y vuelva a ingresar el documento..."),
                   ui::vbInformation, QString());
    }
}

// Text columns of files made before they used NOCASE are brought over to it, so that other SQLite
// tools can read and check the file, and the file gets the indexes and triggers of this version
// (the joins on tax ids use them). A failure leaves the file exactly as it was, and the program
// still reads it as before; the next start tries again.
void ActualizaIntercalacion()
{
    try {
        db::Database base = db::Database::open(gBaseDatos.toString(), kConnect);
        db::upgradeTextCollation(base, db::schemaSql());
        db::upgradeIndexes(base, db::schemaSql());
        base.close();
    } catch (const db::DbError&) {
    }
}

} // namespace Biblio
