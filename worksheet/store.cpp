#include "worksheet/store.h"

#include "platform/basic/basic.h"
#include "platform/db/database.h"

namespace worksheet {

namespace {
const QString kSelect = QStringLiteral(
    "SELECT Planilla_Det.Enc, Planilla_Det.Secuencia, Planilla_Det.Provee, Proveedores.Nombre, Planilla_Det.Fecha, "
    "Planilla_Det.Tipo, Planilla_Det.Serie, Planilla_Det.NoDoc, Planilla_Det.Monto, Planilla_Det.Galon, "
    "Choose([Tipo]+1,'Factura','Tiquete','EKO Dcto. 39-99','Formulario 2031','Formulario 2081','Formulario 2082',"
    "'Formulario 7111','Declaracion Aduanera','Formulario 203','Formulario 208', 'Formulario 711','Factura Electrónica') "
    "AS DisTipo, Planilla_Det.Gasto, Gastos.Descripcion ");
const QString kFrom = QStringLiteral(
    "FROM Proveedores INNER JOIN (Gastos INNER JOIN Planilla_Det ON Gastos.Codigo = Planilla_Det.Gasto) "
    "ON Proveedores.Nit = Planilla_Det.Provee WHERE (((Planilla_Det.Enc) ");

// A number as a criterion literal; anything else quoted, so it can only fail to match.
QString numberLiteral(const QString& text)
{
    bool ok = false;
    text.trimmed().toLongLong(&ok);
    return ok ? text.trimmed() : db::quoteLiteral(text);
}
} // namespace

QString detailQuery(const QVariant& headerNo)
{
    if (headerNo.isNull() || !headerNo.isValid())
        return kSelect + kFrom + QStringLiteral("Is Null));");
    return kSelect + kFrom + QStringLiteral("= ") + basic::CStr(headerNo) + QStringLiteral("));");
}

QString detailQuery(const Variant& v, const QVariant& headerNo)
{
    QString query = detailQuery(headerNo);
    // A form that keeps no price per gallon does not read it either.
    if (!v.keepsGalon)
        query.replace(QStringLiteral("Planilla_Det.Monto, Planilla_Det.Galon, "), QStringLiteral("Planilla_Det.Monto, "));
    if (!v.electronicInvoiceName.isEmpty())
        query.replace(QStringLiteral("'Factura Electrónica'"), QLatin1Char('\'') + v.electronicInvoiceName + QLatin1Char('\''));
    return query;
}

const QStringList& gridFields()
{
    static const QStringList fields {QStringLiteral("Provee"), QStringLiteral("Nombre"), QStringLiteral("Fecha"),
                                     QStringLiteral("DisTipo"), QStringLiteral("Serie"), QStringLiteral("NoDoc"),
                                     QStringLiteral("Monto")};
    return fields;
}

QString headerCriteria(const QString& contribuyente, const QString& periodo)
{
    return QStringLiteral("[Contribuyente] = ") + numberLiteral(contribuyente) + QStringLiteral(" And [Periodo] = ")
        + numberLiteral(periodo);
}

QString documentCriteria(const Variant& v, const DocumentKey& key)
{
    QString c = QStringLiteral("[Enc] = ") + numberLiteral(basic::CStr(key.enc)) + QStringLiteral(" And [Provee] = ")
        + db::quoteLiteral(key.provee) + QStringLiteral(" And [Tipo] = ") + db::quoteLiteral(QString::number(key.tipo));
    const QVariant serie = storedSeries(v, key.tipo, key.serie);
    if (serie.isNull())
        c += QStringLiteral(" And [Serie] Is Null");
    else
        c += QStringLiteral(" And [Serie] = ") + db::quoteLiteral(serie.toString());
    return c + QStringLiteral(" And [NoDoc] = ") + db::quoteLiteral(key.noDoc);
}

bool findHeader(db::Recordset rs, const QString& contribuyente, const QString& periodo)
{
    rs.findFirst(headerCriteria(contribuyente, periodo));
    return !rs.noMatch();
}

bool standsOnHeader(const db::Recordset& rs, const QVariant& no, const QString& contribuyente, const QString& periodo)
{
    if (no.isNull() || !no.isValid() || !rs.isOpen() || rs.eof() || rs.bof() || rs.editMode() != db::EditMode::None)
        return false;
    try {
        return rs.field(QStringLiteral("No")).toLongLong() == no.toLongLong()
            && basic::CStr(rs.field(QStringLiteral("Contribuyente"))).compare(contribuyente, Qt::CaseInsensitive) == 0
            && basic::CStr(rs.field(QStringLiteral("Periodo"))) == periodo;
    } catch (const db::DbError&) {
        return false;   // the row is gone
    }
}

QVariant createHeader(db::Recordset rs, const QString& contribuyente, const QString& periodo)
{
    rs.addNew();
    rs.setField(QStringLiteral("Contribuyente"), contribuyente.toUpper());
    rs.setField(QStringLiteral("Periodo"), periodo);
    rs.update();
    rs.requery();
    if (!findHeader(rs, contribuyente, periodo))
        return QVariant();
    return rs.field(QStringLiteral("No"));
}

bool findDocument(db::Recordset rs, const Variant& v, const DocumentKey& key)
{
    if (key.enc.isNull() || !key.enc.isValid())
        return false;
    rs.findFirst(documentCriteria(v, key));
    return !rs.noMatch();
}

bool writeDocument(db::Recordset rs, const Variant& v, const DocumentKey& key, const DocumentValues& values)
{
    const bool found = findDocument(rs, v, key);
    if (found) {
        rs.edit();
    } else {
        rs.addNew();
        rs.setField(QStringLiteral("Enc"), key.enc);
        rs.setField(QStringLiteral("Provee"), key.provee.toUpper());
        rs.setField(QStringLiteral("Tipo"), QString::number(key.tipo));
        rs.setField(QStringLiteral("Serie"), storedSeries(v, key.tipo, key.serie));
        rs.setField(QStringLiteral("NoDoc"), key.noDoc);
    }
    rs.setField(QStringLiteral("Fecha"), values.fecha);
    rs.setField(QStringLiteral("Gasto"), values.gasto);
    rs.setField(QStringLiteral("Monto"), values.monto);
    if (v.keepsGalon && values.galon.isValid())
        rs.setField(QStringLiteral("Galon"), values.galon);
    rs.update();
    return !found;
}

bool deleteDocument(db::Recordset rs, const Variant& v, const DocumentKey& key)
{
    if (!findDocument(rs, v, key))
        return false;
    rs.remove();
    return true;
}

} // namespace worksheet
