#pragma once
// Worksheets for the export tests: rows written through the database layer (dates as dates), and
// the hand-made golden file with the worksheet it was made from (golden/worksheet.json).
#include "core/biblio.h"
#include "export/submission_file.h"
#include "platform/db/database.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVariantMap>

namespace fixture {

inline QString goldenDir()
{
    return qEnvironmentVariable("ZAL_SOURCE_DIR") + QStringLiteral("/tests/export/golden");
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QJsonObject goldenWorksheet()
{
    return QJsonDocument::fromJson(readFile(goldenDir() + QStringLiteral("/worksheet.json"))).object();
}

inline QString goldenName()
{
    return QStringLiteral("PI07081234567890123K.TXT");
}

inline QByteArray goldenBytes()
{
    return readFile(goldenDir() + QLatin1Char('/') + goldenName());
}

inline QDate isoDate(const QJsonValue& v)
{
    return QDate::fromString(v.toString(), Qt::ISODate);
}

// A JSON value as the database gives it back: null becomes Null.
inline QVariant value(const QJsonObject& o, const QString& key)
{
    const QJsonValue v = o.value(key);
    if (v.isNull() || v.isUndefined())
        return QVariant();
    return v.toVariant();
}

// Bytes in the shape of `xxd`, so that a difference shows where it is.
inline QString hexDump(const QByteArray& bytes)
{
    QString out;
    for (qsizetype at = 0; at < bytes.size(); at += 16) {
        const QByteArray chunk = bytes.mid(at, 16);
        QString text;
        for (const char c : chunk)
            text += (c >= 0x20 && c < 0x7f) ? QChar(QLatin1Char(c)) : QChar(QLatin1Char('.'));
        out += QStringLiteral("%1: %2  %3\n")
                   .arg(at, 8, 16, QLatin1Char('0'))
                   .arg(QString::fromLatin1(chunk.toHex(' ')), -47)
                   .arg(text);
    }
    return out;
}

// Writing rows through the database layer.
class Worksheets {
public:
    explicit Worksheets(const QString& path) : db_(db::Database::open(path, Biblio::kConnect)) {}

    // Adds a row to a table; returns the value of `key` of the new row (its automatic number).
    QVariant add(const QString& table, const QVariantMap& fields, const QString& key = QString())
    {
        db::Recordset rs = db_.openRecordset(table, db::RecordsetType::Dynaset);
        rs.addNew();
        for (auto it = fields.begin(); it != fields.end(); ++it)
            rs.setField(it.key(), it.value());
        rs.update();
        if (key.isEmpty())
            return QVariant();
        rs.setBookmark(rs.lastModified());
        return rs.field(key);
    }

    void addPeriod(int no, const QDate& del, const QDate& al)
    {
        add(QStringLiteral("Periodos"), {{QStringLiteral("No"), no}, {QStringLiteral("Del"), del},
                                         {QStringLiteral("Al"), al}, {QStringLiteral("Coeficiente"), 0.107142}});
    }

    int addTaxpayer(const QString& nit, const QString& nombre, const QVariant& nPat = QVariant())
    {
        return add(QStringLiteral("Contribuyentes"),
                   {{QStringLiteral("Nit"), nit}, {QStringLiteral("Nombre"), nombre}, {QStringLiteral("NPat"), nPat}},
                   QStringLiteral("No"))
            .toInt();
    }

    int addHeader(int taxpayer, int period)
    {
        return add(QStringLiteral("Planilla_Enc"),
                   {{QStringLiteral("Contribuyente"), taxpayer}, {QStringLiteral("Periodo"), period}}, QStringLiteral("No"))
            .toInt();
    }

    int addExpenseType(const QString& descripcion)
    {
        return add(QStringLiteral("Gastos"), {{QStringLiteral("Descripcion"), descripcion}}, QStringLiteral("Codigo")).toInt();
    }

    int expenseCode(const QString& descripcion)
    {
        db::Recordset rs = db_.openRecordset(QStringLiteral("SELECT Codigo FROM Gastos WHERE Descripcion = ")
                                             + db::quoteLiteral(descripcion));
        return rs.eof() ? 0 : rs.field(QStringLiteral("Codigo")).toInt();
    }

    // A document of the worksheet with header number enc; fields as in Planilla_Det.
    void addDocument(int enc, QVariantMap fields)
    {
        fields.insert(QStringLiteral("Enc"), enc);
        add(QStringLiteral("Planilla_Det"), fields);
    }

    // A plain document: supplier, type, number, amount (the rest filled with usual values).
    void addDocument(int enc, const QString& provee, const QString& noDoc, double monto)
    {
        addDocument(enc, {{QStringLiteral("Provee"), provee}, {QStringLiteral("Tipo"), QStringLiteral("1")},
                          {QStringLiteral("NoDoc"), noDoc}, {QStringLiteral("Fecha"), QDate(2004, 7, 20)},
                          {QStringLiteral("Gasto"), 9}, {QStringLiteral("Monto"), monto}});
    }

    // The golden worksheet (period, expense types, taxpayer, documents); returns the taxpayer's number.
    int addGolden(const QJsonObject& w)
    {
        const QJsonObject p = w.value(QStringLiteral("period")).toObject();
        addPeriod(p.value(QStringLiteral("No")).toInt(), isoDate(p.value(QStringLiteral("Del"))),
                  isoDate(p.value(QStringLiteral("Al"))));
        for (const QJsonValue v : w.value(QStringLiteral("expenseTypes")).toArray())
            addExpenseType(v.toString());
        const QJsonObject t = w.value(QStringLiteral("taxpayer")).toObject();
        const int no = addTaxpayer(t.value(QStringLiteral("Nit")).toString(), t.value(QStringLiteral("Nombre")).toString(),
                                   value(t, QStringLiteral("NPat")));
        const int enc = addHeader(no, p.value(QStringLiteral("No")).toInt());
        for (const QJsonValue v : w.value(QStringLiteral("documents")).toArray()) {
            const QJsonObject d = v.toObject();
            QVariantMap fields;
            for (const QString& key : d.keys())
                fields.insert(key, value(d, key));
            fields[QStringLiteral("Fecha")] = isoDate(d.value(QStringLiteral("Fecha")));
            fields[QStringLiteral("Gasto")] = expenseCode(d.value(QStringLiteral("Gasto")).toString());
            addDocument(enc, fields);
        }
        return no;
    }

    db::Database& database() { return db_; }

private:
    db::Database db_;
};

// The golden worksheet as the writer takes it, without a database.
inline submission::Header goldenHeader(const QJsonObject& w)
{
    const QJsonObject p = w.value(QStringLiteral("period")).toObject();
    const QJsonObject t = w.value(QStringLiteral("taxpayer")).toObject();
    submission::Header h;
    h.nit = t.value(QStringLiteral("Nit")).toString();
    h.nitPatrono = value(t, QStringLiteral("NPat"));
    h.del = isoDate(p.value(QStringLiteral("Del"))).toString(QStringLiteral("dd/MM/yyyy"));
    h.al = isoDate(p.value(QStringLiteral("Al"))).toString(QStringLiteral("dd/MM/yyyy"));
    return h;
}

inline QList<submission::Document> goldenDocuments(const QJsonObject& w)
{
    QList<submission::Document> out;
    int secuencia = 0;
    for (const QJsonValue v : w.value(QStringLiteral("documents")).toArray()) {
        const QJsonObject o = v.toObject();
        submission::Document d;
        d.secuencia = ++secuencia;
        d.provee = value(o, QStringLiteral("Provee"));
        d.disTipo = submission::documentKind(value(o, QStringLiteral("Tipo")));
        d.serie = value(o, QStringLiteral("Serie"));
        d.noDoc = value(o, QStringLiteral("NoDoc"));
        d.fecha = isoDate(o.value(QStringLiteral("Fecha")));
        d.monto = value(o, QStringLiteral("Monto"));
        d.descripcion = value(o, QStringLiteral("Gasto"));
        out << d;
    }
    return out;
}

} // namespace fixture
