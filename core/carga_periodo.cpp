// Loading of the current period into the shared state.
#include "core/biblio.h"

#include "platform/basic/basic.h"
#include "platform/db/database.h"

#include <QRegularExpression>
#include <cmath>

namespace Biblio {

QString periodQuery(const QString& number)
{
    return QStringLiteral("SELECT Periodos.[No], Periodos.[Coeficiente], Periodos.Del, Periodos.Al FROM Periodos WHERE([No] = ")
        + number + QStringLiteral(");");
}

void CargaPeriodo()
{
    // The period number comes from the settings store, which anyone can edit: only a whole
    // number is put into the query; anything else loads nothing.
    static const QRegularExpression wholeNumber(QStringLiteral("^\\d{1,9}$"));
    const QString number = gPeriodo.trimmed();
    if (!wholeNumber.match(number).hasMatch())
        return;

    db::Database base;
    try {
        base = db::Database::open(gBaseDatos.toString(), kConnect);
    } catch (const db::DbError&) {
        return;
    }
    try {
        db::Recordset rs = base.openRecordset(periodQuery(number), db::RecordsetType::Snapshot);
        if (!rs.eof()) {
            // Each value is taken on its own: one that cannot be converted leaves its variable as it was.
            const QVariant no = rs.field(QStringLiteral("No"));
            if (!no.isNull()) {
                const double n = basic::CDbl(no);
                if (n >= -32768.0 && n <= 32767.0)
                    gPeriodoNo = qint16(std::nearbyint(n));
            }
            const QVariant al = rs.field(QStringLiteral("Al"));
            if (!al.isNull())
                gPeriodoAl = basic::CStr(al);
            const QVariant del = rs.field(QStringLiteral("Del"));
            if (!del.isNull())
                gPeriodoDel = basic::CStr(del);
            const QVariant coeficiente = rs.field(QStringLiteral("Coeficiente"));
            if (!coeficiente.isNull()) {
                try {
                    gCoeficiente = basic::CDbl(coeficiente);
                } catch (const basic::RuntimeError&) {
                }
            }
        }
        rs.close();
    } catch (const db::DbError&) {
    } catch (const basic::RuntimeError&) {
    }
    base.close();
}

} // namespace Biblio
