// The Jet dialect over SQLite: the text collation, the translation of Jet SQL texts, the functions
// they call, and every SQL text the forms run, executed as written on the real schema.
#include "platform/db/db_error.h"
#include "platform/db/jet_sql.h"

#include <QFile>
#include <QtTest>
#include <sqlite3.h>

using namespace db;

namespace {

// A text of a value as the checks write it; Null is "<null>".
QString show(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return QStringLiteral("<null>");
    return v.toString();
}

QString resourceText(const QString& name)
{
    const QString root = qEnvironmentVariable("ZAL_SOURCE_DIR");
    QFile f(root + QStringLiteral("/resources/db/") + name);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

// Date columns of the fixed test schema used by the string-level translation checks.
jet::SchemaInfo fixedSchema()
{
    jet::SchemaInfo info;
    info.isDateColumn = [](const QString& table, const QString& column) {
        const QString t = table.toLower();
        const QString c = column.toLower();
        const bool periodos = c == QLatin1String("del") || c == QLatin1String("al");
        const bool detalle = c == QLatin1String("fecha");
        if (t.isEmpty())
            return periodos || detalle;
        return (t == QLatin1String("periodos") && periodos) || (t == QLatin1String("planilla_det") && detalle);
    };
    return info;
}

// The fixed schema with its keys: the tax ids of suppliers, taxpayers and documents are indexed by
// their upper-case text; names and series are other text columns.
jet::SchemaInfo keyedSchema()
{
    jet::SchemaInfo info = fixedSchema();
    const auto among = [](const QStringList& columns) {
        return [columns](const QString& table, const QString& column) {
            const QString key = table.toLower() + QLatin1Char('.') + column.toLower();
            for (const QString& c : columns)
                if (c == key || (table.isEmpty() && c.endsWith(QLatin1Char('.') + column.toLower())))
                    return true;
            return false;
        };
    };
    info.isKeyedColumn = among({QStringLiteral("proveedores.nit"), QStringLiteral("contribuyentes.nit"),
                                QStringLiteral("planilla_det.provee")});
    info.isUniqueKeyColumn = among({QStringLiteral("proveedores.nit"), QStringLiteral("contribuyentes.nit")});
    info.isTextColumn = among({QStringLiteral("proveedores.nit"), QStringLiteral("proveedores.nombre"),
                               QStringLiteral("contribuyentes.nit"), QStringLiteral("contribuyentes.nombre"),
                               QStringLiteral("planilla_det.provee"), QStringLiteral("planilla_det.serie")});
    return info;
}

// The start of every worksheet sum query, for taxpayer c and period p.
QString sumQuery(int c, int p)
{
    return QStringLiteral("SELECT IIF(Sum(Planilla_Det.Monto)= NULL, 0, Sum(Planilla_Det.Monto)) AS Total  FROM "
                          "Planilla_Enc INNER JOIN Planilla_Det ON Planilla_Enc.[No] = Planilla_Det.Enc WHERE "
                          "(((Planilla_Enc.Contribuyente)=%1) AND ((Planilla_Enc.Periodo)=%2")
        .arg(c)
        .arg(p);
}

const QString kDetailSelect = QStringLiteral(
    "SELECT Planilla_Det.Enc, Planilla_Det.Secuencia, Planilla_Det.Provee, Proveedores.Nombre, Planilla_Det.Fecha, "
    "Planilla_Det.Tipo, Planilla_Det.Serie, Planilla_Det.NoDoc, Planilla_Det.Monto, "
    "Choose([Tipo]+1,'Factura','Tiquete','EKO Dcto. 39-99','Formulario 2031','Formulario 2081','Formulario 2082',"
    "'Formulario 7111','Declaracion Aduanera','Formulario 203','Formulario 208', 'Formulario 711','Factura "
    "Electrónica') AS DisTipo, Planilla_Det.Gasto, Gastos.Descripcion ");
const QString kDetailFrom = QStringLiteral(
    "FROM Proveedores INNER JOIN (Gastos INNER JOIN Planilla_Det ON Gastos.Codigo = Planilla_Det.Gasto) ON "
    "Proveedores.Nit = Planilla_Det.Provee ");

struct Result {
    bool ok = false;
    QString error;
    int extendedCode = 0;
    QStringList columns;
    QList<QVariantList> rows;

    QStringList column(const QString& name) const
    {
        QStringList out;
        const int c = columns.indexOf(name);
        for (const QVariantList& r : rows)
            out << (c >= 0 ? show(r.at(c)) : QStringLiteral("<no column %1>").arg(name));
        return out;
    }
};

} // namespace

class TestJetSql : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void collation_data();
    void collation();

    void translation_data();
    void translation();
    void keyedComparison_data();
    void keyedComparison();
    void unreadableText_data();
    void unreadableText();

    void functions_data();
    void functions();

    void formTexts_data();
    void formTexts();

    void longAndDeepTexts_data();
    void longAndDeepTexts();
    void seriesUpgradeEnforcesNewSize();
    void textsIgnoreCaseInComparisonsJoinsAndSorts();

private:
    sqlite3* db_ = nullptr;
    jet::SchemaInfo schema_;

    bool execRaw(const QString& sql, QString* error = nullptr);
    Result run(const QString& jetSql);
};

bool TestJetSql::execRaw(const QString& sql, QString* error)
{
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &message);
    if (error)
        *error = message ? QString::fromUtf8(message) : QString();
    sqlite3_free(message);
    return rc == SQLITE_OK;
}

Result TestJetSql::run(const QString& jetSql)
{
    Result r;
    QString sql;
    try {
        sql = jet::translate(jetSql, schema_);
    } catch (const DbError& e) {
        r.error = QStringLiteral("translation: %1").arg(e.description());
        return r;
    }
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt, nullptr) != SQLITE_OK) {
        r.error = QStringLiteral("%1 in: %2").arg(QString::fromUtf8(sqlite3_errmsg(db_)), sql);
        r.extendedCode = sqlite3_extended_errcode(db_);
        return r;
    }
    for (int c = 0; c < sqlite3_column_count(stmt); ++c)
        r.columns << QString::fromUtf8(sqlite3_column_name(stmt, c));
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QVariantList row;
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER: row << QVariant(qlonglong(sqlite3_column_int64(stmt, c))); break;
            case SQLITE_FLOAT: row << QVariant(sqlite3_column_double(stmt, c)); break;
            case SQLITE_TEXT:
                row << QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c))));
                break;
            default: row << QVariant(); break;
            }
        }
        r.rows << row;
    }
    if (rc != SQLITE_DONE) {
        r.error = QStringLiteral("%1 in: %2").arg(QString::fromUtf8(sqlite3_errmsg(db_)), sql);
        r.extendedCode = sqlite3_extended_errcode(db_);
    }
    sqlite3_finalize(stmt);
    r.ok = rc == SQLITE_DONE;
    return r;
}

void TestJetSql::init()
{
    QVERIFY2(!qEnvironmentVariable("ZAL_SOURCE_DIR").isEmpty(), "ZAL_SOURCE_DIR is not set (run through CTest)");
    QCOMPARE(sqlite3_open(":memory:", &db_), SQLITE_OK);
    sqlite3_extended_result_codes(db_, 1);
    jet::registerFunctions(db_);

    const QString schema = resourceText(QStringLiteral("schema.sql"));
    const QString seed = resourceText(QStringLiteral("seed.sql"));
    QVERIFY(!schema.isEmpty() && !seed.isEmpty());
    QString error;
    QVERIFY2(execRaw(schema, &error), qPrintable(error));
    QVERIFY2(execRaw(seed, &error), qPrintable(error));

    // A taxpayer with a worksheet in period 3 and an empty one in period 4; three suppliers; five
    // documents: one dated in July 2001, a fuel ticket without series, forms of codes 2 and 11, and a
    // supplier tax id stored in another letter case than the catalogue's.
    QVERIFY2(execRaw(QStringLiteral(R"(
        INSERT INTO Contribuyentes ("No", Nit, Nombre, NPat) VALUES (1, '1234567', 'Juan Pérez', '7654321');
        INSERT INTO Proveedores (Nit, Nombre) VALUES ('12345K', 'ávila'), ('6789', 'Avena'), ('19', 'Azul');
        INSERT INTO Planilla_Enc ("No", Contribuyente, Periodo) VALUES (1, 1, 3), (2, 1, 4);
        INSERT INTO Planilla_Det (Enc, Secuencia, Provee, Tipo, Serie, NoDoc, Fecha, Gasto, Monto, Galon) VALUES
          (1, 1, '12345k', '0', 'A1', '100', 37080, 1, 100, NULL),
          (1, 2, '6789', '0', 'B2', '101', 37200, 2, 250, NULL),
          (1, 3, '19', '1', NULL, '102', 37150, 24, 300, 20.5),
          (1, 4, '6789', '2', NULL, '103', 37090, 3, 50, NULL),
          (1, 5, '12345K', '11', NULL, '104', 37300, 5, 40, NULL);
    )"),
                     &error),
             qPrintable(error));

    // Date columns as the database declares them.
    sqlite3* h = db_;
    schema_.isDateColumn = [h](const QString& table, const QString& column) {
        QStringList tables;
        if (table.isEmpty()) {
            sqlite3_stmt* s = nullptr;
            sqlite3_prepare_v2(h, "SELECT name FROM sqlite_master WHERE type = 'table'", -1, &s, nullptr);
            while (sqlite3_step(s) == SQLITE_ROW)
                tables << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
            sqlite3_finalize(s);
        } else {
            tables << table;
        }
        for (const QString& t : tables) {
            sqlite3_stmt* s = nullptr;
            const QByteArray sql = QStringLiteral("PRAGMA table_info(\"%1\")").arg(t).toUtf8();
            sqlite3_prepare_v2(h, sql.constData(), -1, &s, nullptr);
            bool found = false;
            while (sqlite3_step(s) == SQLITE_ROW) {
                const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)));
                const QString type = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 2)));
                found = found || (name.compare(column, Qt::CaseInsensitive) == 0
                                  && type.compare(QLatin1String("DATETIME"), Qt::CaseInsensitive) == 0);
            }
            sqlite3_finalize(s);
            if (found)
                return true;
        }
        return false;
    };
}

void TestJetSql::cleanup()
{
    sqlite3_close(db_);
    db_ = nullptr;
}

// ---------------------------------------------------------------- collation

void TestJetSql::collation_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected");

    QTest::newRow("ascii case") << "Gasolina SUPERIOR" << "gasolina superior" << 0;
    QTest::newRow("accented capitals") << "AVIACIÓN" << "Aviación" << 0;
    QTest::newRow("accent is not case") << "AVIACION" << "Aviación" << -1;
    QTest::newRow("ñ beside n") << "Ñandú" << "NANDU" << 1;
    QTest::newRow("accented among the a's: after Avena") << "Ávila" << "Avena" << 1;
    QTest::newRow("accented among the a's: before Azul") << "ávila" << "Azul" << -1;
    QTest::newRow("accent breaks a tie only") << "ávila" << "Avila" << 1;
    QTest::newRow("ascii order") << "abc" << "ABD" << -1;
    QTest::newRow("prefix") << "Gas" << "gasolina" << -1;
    QTest::newRow("empty") << "" << "a" << -1;
    QTest::newRow("digits before letters") << "12345K" << "A" << -1;
}

void TestJetSql::collation()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expected);
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    QCOMPARE(sign(jet::compareText(a, b)), expected);
    QCOMPARE(sign(jet::compareText(b, a)), -expected);
    QCOMPARE(jet::compareText(a, b) == 0, QString::compare(a, b, Qt::CaseInsensitive) == 0);

    // The registered collation gives the same answer.
    sqlite3_stmt* s = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db_, "SELECT ?1 < ?2 COLLATE NOCASE, ?1 = ?2 COLLATE NOCASE", -1, &s, nullptr), SQLITE_OK);
    const QByteArray ua = a.toUtf8(), ub = b.toUtf8();
    sqlite3_bind_text(s, 1, ua.constData(), int(ua.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 2, ub.constData(), int(ub.size()), SQLITE_TRANSIENT);
    QCOMPARE(sqlite3_step(s), SQLITE_ROW);
    QCOMPARE(sqlite3_column_int(s, 0) == 1, expected < 0);
    QCOMPARE(sqlite3_column_int(s, 1) == 1, expected == 0);
    sqlite3_finalize(s);
}

// ---------------------------------------------------------------- translation

void TestJetSql::translation_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("expected");

    QTest::newRow("bracketed names, blanks kept")
        << "SELECT [Planilla_Enc].* FROM  [Planilla_Enc];" << "SELECT \"Planilla_Enc\".* FROM  \"Planilla_Enc\";";
    QTest::newRow("date columns joined as dates")
        << "SELECT Periodos.[No], [Del] & ' - ' &  [Al] AS Dis FROM Periodos;"
        << "SELECT Periodos.\"No\", (zal_datestr(\"Del\") || ' - ' COLLATE NOCASE || zal_datestr(\"Al\")) AS Dis "
           "FROM Periodos;";
    QTest::newRow("no blanks around &")
        << "SELECT ([Del])&'-'&Periodos.[Al]&(1)&[No] FROM Periodos"
        << "SELECT (zal_str((\"Del\")) || '-' COLLATE NOCASE || zal_datestr(Periodos.\"Al\") || zal_str((1)) || "
           "zal_str(\"No\")) FROM Periodos";
    QTest::newRow("alias of a table with a date column")
        << "SELECT P.Del & '' FROM Periodos AS P"
        << "SELECT (zal_datestr(P.Del) || '' COLLATE NOCASE) FROM Periodos AS P";
    QTest::newRow("a date column of a table the query does not name")
        << "SELECT Fecha & Descripcion FROM Gastos" << "SELECT (zal_str(Fecha) || zal_str(Descripcion)) FROM Gastos";
    QTest::newRow("operands: calls, groups, arithmetic")
        << "SELECT Mid([Nit],1,2) & (1) & 2 * [Monto] + 1 & Null FROM t"
        << "SELECT (zal_str(Mid(\"Nit\",1,2)) || zal_str((1)) || zal_str(2 * \"Monto\" + 1) || zal_str(Null)) FROM t";
    QTest::newRow("double-quoted text")
        << "SELECT [Nombre] & \"'s\" FROM t" << "SELECT (zal_str(\"Nombre\") || '''s' COLLATE NOCASE) FROM t";
    QTest::newRow("literal takes the collation")
        << "WHERE(Mid([Descripcion],1,3) = 'it''s')" << "WHERE(Mid(\"Descripcion\",1,3) = 'it''s' COLLATE NOCASE)";
    QTest::newRow("DISTINCTROW dropped")
        << "UPDATE DISTINCTROW [Planilla_Det] SET AlterTempField = [Serie]"
        << "UPDATE \"Planilla_Det\" SET AlterTempField = \"Serie\"";
    QTest::newRow("SET Table.Column, date and Boolean literals")
        << "UPDATE Periodos SET Periodos.Coeficiente = 0.107142, [Periodos].[Del] = #7/1/2001# WHERE "
           "(((Periodos.[No])>2)) And X = True Or Y = False"
        << "UPDATE Periodos SET Coeficiente = 0.107142, \"Del\" = 37073 WHERE (((Periodos.\"No\")>2)) And X = -1 "
           "Or Y = 0";
    QTest::newRow("date literal with time") << "WHERE Fecha < #7/1/2001 6:00 PM#" << "WHERE Fecha < 37073.75";
    QTest::newRow("TEXT(n) column added")
        << "ALTER TABLE [Planilla_Det] ADD COLUMN AlterTempField TEXT(10)"
        << "ALTER TABLE \"Planilla_Det\" ADD COLUMN AlterTempField TEXT(10) COLLATE NOCASE CONSTRAINT "
           "len_AlterTempField CHECK (length(\"AlterTempField\") <= 10)";
    QTest::newRow("CREATE TABLE columns")
        << "CREATE TABLE T ([Nota] TEXT, [Nom] TEXT(5) NOT NULL, N LONG, D TEXT(3) COLLATE NOCASE)"
        << "CREATE TABLE T (\"Nota\" TEXT COLLATE NOCASE, \"Nom\" TEXT(5) COLLATE NOCASE CONSTRAINT len_Nom CHECK "
           "(length(\"Nom\") <= 5) NOT NULL, N LONG, D TEXT(3) COLLATE NOCASE)";
    QTest::newRow("DROP COLUMN")
        << "ALTER TABLE [Planilla_Det] DROP COLUMN [Serie]" << "ALTER TABLE \"Planilla_Det\" DROP COLUMN \"Serie\"";
    QTest::newRow("Not Between, Is Null, = NULL pass")
        << "WHERE ((Planilla_Det.Fecha) Not Between 37073 And 37103) AND X Is Null AND Sum(Y)= NULL"
        << "WHERE ((Planilla_Det.Fecha) Not Between 37073 And 37103) AND X Is Null AND Sum(Y)= NULL";
    QTest::newRow("Left and Right calls; LEFT JOIN kept")
        << "SELECT Left([Nit], 2), Right (Nit,1) FROM a LEFT JOIN b ON a.x = b.x"
        << "SELECT zal_left(\"Nit\", 2), zal_right (Nit,1) FROM a LEFT JOIN b ON a.x = b.x";
    QTest::newRow("Like") << "WHERE Nombre Not Like 'A*'" << "WHERE Nombre Not REGEXP 'A*' COLLATE NOCASE";
    QTest::newRow("number glued to And")
        << "WHERE [Enc] = 5And [Tipo] = '0'" << "WHERE \"Enc\" = 5 And \"Tipo\" = '0' COLLATE NOCASE";
    QTest::newRow("text glued to And")
        << "WHERE Nit='x'And Nombre='y'Or[Zona]='1'"
        << "WHERE Nit='x' COLLATE NOCASE And Nombre='y' COLLATE NOCASE Or\"Zona\"='1' COLLATE NOCASE";
    QTest::newRow("date glued to And") << "WHERE Fecha=#7/1/2001#And X=1" << "WHERE Fecha=37073 And X=1";
    QTest::newRow("DELETE *") << "DELETE * FROM [Planilla_Det] WHERE [Enc] = 1"
                              << "DELETE FROM \"Planilla_Det\" WHERE \"Enc\" = 1";
    QTest::newRow("DELETE t.*") << "DELETE Planilla_Det.* FROM Planilla_Det" << "DELETE FROM Planilla_Det";
    QTest::newRow("Mod") << "SELECT [Monto] Mod 2 FROM t" << "SELECT \"Monto\" % 2 FROM t";
    QTest::newRow("order clause glued to the query")
        << "WHERE (((Planilla_Det.Enc) = 12))Order By [Fecha] ASC;"
        << "WHERE (((Planilla_Det.Enc) = 12))Order By \"Fecha\" ASC;";
}

void TestJetSql::translation()
{
    QFETCH(QString, jet);
    QFETCH(QString, expected);
    QCOMPARE(jet::translate(jet, fixedSchema()), expected);
}

void TestJetSql::keyedComparison_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("expected");

    const QString from = QStringLiteral("SELECT * FROM Proveedores INNER JOIN Planilla_Det ON ");
    // a = b for a key a: through the index on upper() for a key of printable ASCII, through the
    // index of the other keys, where the collation decides, for any other.
    const auto lookup = [](const QString& key, const QString& other) {
        return QStringLiteral("(upper(%1) = upper(replace(replace(%2, char(383), 's'), char(8490), 'k')) "
                              "OR (%1 GLOB '*[^ -~]*' AND length(%1) = length(%2) AND %1 = %2 COLLATE NOCASE))")
            .arg(key, other);
    };
    const auto keyed = [&](const QString& a, const QString& b) { return QStringLiteral("(%1)").arg(lookup(a, b)); };
    // Two keys: the lookup into the catalogue's unique one only.
    QTest::newRow("join of two keys")
        << from + "Proveedores.Nit = Planilla_Det.Provee WHERE Planilla_Det.Enc = 5"
        << from + "((upper(Proveedores.Nit) = upper(replace(replace(Planilla_Det.Provee, char(383), 's'), char(8490), "
                  "'k')) OR (Proveedores.Nit GLOB '*[^ -~]*' AND length(Proveedores.Nit) = length(Planilla_Det.Provee) "
                  "AND Proveedores.Nit = Planilla_Det.Provee COLLATE NOCASE))) WHERE Planilla_Det.Enc = 5";
    QTest::newRow("bracketed, no blanks, in parentheses")
        << from + "([Planilla_Det].[Provee]=[Proveedores].[Nit])"
        << from + "(" + keyed("\"Proveedores\".\"Nit\"", "\"Planilla_Det\".\"Provee\"") + ")";
    QTest::newRow("LEFT JOIN, then more joins")
        << "SELECT 1 FROM (Planilla_Det LEFT JOIN Proveedores ON Planilla_Det.Provee = Proveedores.Nit) LEFT JOIN "
           "Gastos ON Planilla_Det.Gasto = Gastos.Codigo"
        << "SELECT 1 FROM (Planilla_Det LEFT JOIN Proveedores ON " + keyed("Proveedores.Nit", "Planilla_Det.Provee")
               + ") LEFT JOIN Gastos ON Planilla_Det.Gasto = Gastos.Codigo";
    QTest::newRow("two keys, neither a catalogue's")
        << "SELECT 1 FROM Planilla_Det AS a INNER JOIN Planilla_Det AS b ON a.Provee = b.Provee"
        << "SELECT 1 FROM Planilla_Det AS a INNER JOIN Planilla_Det AS b ON (" + lookup("a.Provee", "b.Provee") + " AND "
               + lookup("b.Provee", "a.Provee") + ")";
    QTest::newRow("a literal")
        << "SELECT * FROM Proveedores WHERE Nit = '12''3k' And Nombre = 'a'"
        << "SELECT * FROM Proveedores WHERE " + keyed("Nit", "'12''3k'") + " And Nombre = 'a' COLLATE NOCASE";
    QTest::newRow("the literal first")
        << "SELECT * FROM Proveedores WHERE 'x' = Proveedores.Nit Or Nit = \"y\";"
        << "SELECT * FROM Proveedores WHERE " + keyed("Proveedores.Nit", "'x'") + " Or " + keyed("Nit", "'y'") + ";";
    QTest::newRow("a column in its own parentheses")
        << "SELECT * FROM Contribuyentes WHERE (((Contribuyentes.Nit)='1k')) ORDER BY Nombre"
        << "SELECT * FROM Contribuyentes WHERE ((" + keyed("Contribuyentes.Nit", "'1k'") + ")) ORDER BY Nombre";
    QTest::newRow("an alias")
        << "SELECT * FROM Proveedores AS p WHERE p.Nit = 'x'" << "SELECT * FROM Proveedores AS p WHERE " + keyed("p.Nit", "'x'");
    QTest::newRow("a key against another text column")
        << "SELECT * FROM Proveedores WHERE Nit = Nombre" << "SELECT * FROM Proveedores WHERE " + keyed("Nit", "Nombre");
    QTest::newRow("inside a call")
        << "SELECT IIf(Nit = 'x', 1, 0) FROM Proveedores" << "SELECT IIf(" + keyed("Nit", "'x'") + ", 1, 0) FROM Proveedores";
    QTest::newRow("literals outside printable ASCII")
        << "SELECT * FROM Proveedores WHERE Nit = 'ñ1' Or Nit = 'a\tb'"
        << "SELECT * FROM Proveedores WHERE " + keyed("Nit", "'ñ1'") + " Or " + keyed("Nit", "'a\tb'");
    QTest::newRow("assignments of SET")
        << "UPDATE Proveedores SET Nit = 'a', Proveedores.Nit = Nombre WHERE Nit = 'b'"
        << "UPDATE Proveedores SET Nit = 'a' COLLATE NOCASE, Nit = Nombre WHERE " + keyed("Nit", "'b'");

    // Left as they were: not an equality, not a key, not a plain operand, not a comparison.
    QTest::newRow("other comparisons")
        << "SELECT * FROM Proveedores WHERE Nit <> 'x' Or Nit < 'y' Or Nit Like 'z*'"
        << "SELECT * FROM Proveedores WHERE Nit <> 'x' COLLATE NOCASE Or Nit < 'y' COLLATE NOCASE Or Nit REGEXP 'z*' "
           "COLLATE NOCASE";
    QTest::newRow("not a key") << "SELECT * FROM Proveedores WHERE Nombre = 'x'"
                               << "SELECT * FROM Proveedores WHERE Nombre = 'x' COLLATE NOCASE";
    QTest::newRow("a key of a table the query does not name")
        << "SELECT * FROM Gastos WHERE Nit = 'x'" << "SELECT * FROM Gastos WHERE Nit = 'x' COLLATE NOCASE";
    QTest::newRow("against a number, a number column, a call")
        << "SELECT * FROM Planilla_Det WHERE Provee = 5 Or Provee = Planilla_Det.Enc Or Provee = Mid(Serie, 1)"
        << "SELECT * FROM Planilla_Det WHERE Provee = 5 Or Provee = Planilla_Det.Enc Or Provee = Mid(Serie, 1)";
    QTest::newRow("a collation named")
        << "SELECT * FROM Proveedores WHERE Nit = 'x' COLLATE BINARY"
        << "SELECT * FROM Proveedores WHERE Nit = 'x' COLLATE BINARY";
    QTest::newRow("operands of & and arithmetic")
        << "SELECT * FROM Proveedores WHERE Nit & 'a' = 'b' Or Nit = 'a' & 'b' Or 1 + Nit = 'c' Or Nit = 'd' || 'e'"
        << "SELECT * FROM Proveedores WHERE (zal_str(Nit) || 'a' COLLATE NOCASE) = 'b' COLLATE NOCASE Or Nit = ('a' "
           "COLLATE NOCASE || 'b' COLLATE NOCASE) Or 1 + Nit = 'c' COLLATE NOCASE Or Nit = 'd' COLLATE NOCASE || 'e' "
           "COLLATE NOCASE";
    QTest::newRow("definitions") << "CREATE TABLE T (Nit TEXT(5))"
                                 << "CREATE TABLE T (Nit TEXT(5) COLLATE NOCASE CONSTRAINT len_Nit CHECK (length(\"Nit\") <= 5))";
}

void TestJetSql::keyedComparison()
{
    QFETCH(QString, jet);
    QFETCH(QString, expected);
    QCOMPARE(jet::translate(jet, keyedSchema()), expected);
}

void TestJetSql::unreadableText_data()
{
    QTest::addColumn<QString>("jet");
    QTest::newRow("open quote") << "SELECT * FROM Proveedores WHERE Nit = '12";
    QTest::newRow("open double quote") << "SELECT \"abc FROM t";
    QTest::newRow("open bracket") << "SELECT [Nit FROM Proveedores";
    QTest::newRow("open date") << "SELECT * FROM t WHERE d = #7/1/2001";
    QTest::newRow("no such date") << "SELECT * FROM t WHERE d = #13/45/2001#";
}

void TestJetSql::unreadableText()
{
    QFETCH(QString, jet);
    try {
        jet::translate(jet);
        QFAIL("no error");
    } catch (const DbError& e) {
        QCOMPARE(e.number(), int(err::QuerySyntax));
    }
}

// ---------------------------------------------------------------- functions

void TestJetSql::functions_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("expected");

    QTest::newRow("IIf Null is false") << "IIf(Null, 1, 2)" << "2";
    QTest::newRow("IIf 0 is false") << "IIf(0, 'a', 'b')" << "b";
    QTest::newRow("IIf on a text comparison ignoring case") << "IIf('x' = 'X', 'yes', 'no')" << "yes";
    QTest::newRow("Choose") << "Choose(2, 'a', 'b', 'c')" << "b";
    QTest::newRow("Choose rounds the index") << "Choose(2.6, 'a', 'b', 'c')" << "c";
    QTest::newRow("Choose above the list") << "Choose(4, 'a', 'b', 'c')" << "<null>";
    QTest::newRow("Choose below the list") << "Choose(0, 'a')" << "<null>";
    QTest::newRow("Choose of a text code") << "Choose('1' + 1, 'a', 'b')" << "b";
    QTest::newRow("Mid with length") << "Mid('abcdef', 2, 3)" << "bcd";
    QTest::newRow("Mid to the end") << "Mid('abcdef', 3)" << "cdef";
    QTest::newRow("Mid past the end") << "Mid('abc', 5, 2)" << "";
    QTest::newRow("Mid of Null") << "Mid(Null, 1, 2)" << "<null>";
    QTest::newRow("Left") << "Left('abcdef', 2)" << "ab";
    QTest::newRow("Right") << "Right('abcdef', 2)" << "ef";
    QTest::newRow("Len counts characters") << "Len('ñandú')" << "5";
    QTest::newRow("Val stops at a letter") << "Val('12.5abc')" << "12.5";
    QTest::newRow("Val of a code") << "Val('11') >= 2" << "1";
    QTest::newRow("Val of Null") << "Val(Null)" << "<null>";
    QTest::newRow("UCase beyond ASCII") << "UCase('ñandú')" << "ÑANDÚ";
    QTest::newRow("LCase beyond ASCII") << "LCase('ÁRBOL')" << "árbol";
    QTest::newRow("Trim") << "Trim('  a b  ') & '|'" << "a b|";
    QTest::newRow("CStr") << "CStr(0.5)" << "0.5";
    QTest::newRow("CDbl") << "CDbl('1.5') + 1" << "2.5";
    QTest::newRow("CLng rounds half to even") << "CLng(2.5)" << "2";
    QTest::newRow("CInt rounds half to even") << "CInt(3.5)" << "4";
    QTest::newRow("Int floors") << "Int(-2.5)" << "-3";
    QTest::newRow("Fix truncates") << "Fix(-2.5)" << "-2";
    QTest::newRow("Nz of Null") << "Nz(Null, 5)" << "5";
    QTest::newRow("Nz of a value") << "Nz('x', 5)" << "x";
    QTest::newRow("Format") << "Format(1234.5, '###,###,##0.00')" << "1,234.50";
    QTest::newRow("Format rounds on the decimal value") << "Format(2.675, '###,###,##0.00')" << "2.68";
    QTest::newRow("date literal") << "#7/1/2001#" << "37073";
    QTest::newRow("True") << "True" << "-1";
    QTest::newRow("& with Null and numbers") << "Null & 'x' & 5 & 1.5" << "x51.5";
    QTest::newRow("& after arithmetic") << "2 + 3 & 'x'" << "5x";
    QTest::newRow("zal_datestr") << "zal_datestr(37073) & zal_datestr(Null)" << "01/07/2001";
    QTest::newRow("zal_datestr of a number no date carries") << "zal_datestr(1e300) & '/' & zal_datestr(2958466)"
                                                             << "1E+300/2958466";
    QTest::newRow("Like with *") << "'Gasolina' Like 'GAS*'" << "1";
    QTest::newRow("Like with ? and #") << "'a1b' Like '?#?'" << "1";
    QTest::newRow("Like with a list") << "'b1' Like '[!a]#'" << "1";
    QTest::newRow("Like mismatch") << "'Gasolina' Like 'gas?'" << "0";
}

void TestJetSql::functions()
{
    QFETCH(QString, expression);
    QFETCH(QString, expected);
    const Result r = run(QStringLiteral("SELECT ") + expression + QStringLiteral(" AS V"));
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.column(QStringLiteral("V")), QStringList{expected});
}

// ---------------------------------------------------------------- the forms' SQL texts

void TestJetSql::formTexts_data()
{
    // Each row: the statements run in order; then the rows and a column of the last one.
    // Values are checked in order when "ordered", otherwise each must occur among the rows.
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<bool>("ordered");

    const QStringList none;
    auto one = [](const QString& s) { return QStringList{s}; };

    QTest::newRow("current period")
        << one("SELECT Periodos.[No], Periodos.[Coeficiente], Periodos.Del, Periodos.Al FROM Periodos WHERE([No] = 3);")
        << 1 << "Del" << QStringList{"37073"} << true;
    QTest::newRow("text glued to And")
        << one("SELECT Nit FROM Proveedores WHERE Nit='6789'And Nombre='AVENA'") << 1 << "Nit" << QStringList{"6789"} << true;
    QTest::newRow("date glued to And")
        << one("SELECT NoDoc FROM Planilla_Det WHERE Fecha=#7/8/2001#And Tipo='0'") << 1 << "NoDoc" << QStringList{"100"}
        << true;
    QTest::newRow("period list")
        << one("SELECT Periodos.[No], Periodos.Del, Periodos.Al, [Del] & ' - ' &  [Al] AS Dis FROM Periodos;") << 28
        << "Dis" << QStringList{"01/07/2001 - 30/06/2002", "01/07/1999 - 30/06/2000"} << false;
    QTest::newRow("period list, joined separator")
        << one("SELECT Periodos.[No], Periodos.Del, Periodos.Al, [Del] & '" + QStringLiteral(" - ")
               + QStringLiteral(" ' &  [Al] AS Dis FROM Periodos;"))
        << 28 << "Dis" << QStringList{"01/07/2001 -  30/06/2002"} << false;
    QTest::newRow("period list with coefficient")
        << one("SELECT Periodos.[No], Periodos.Del, Periodos.Al, Periodos.[Coeficiente], [Del] & ' -  ' &  [Al] AS Dis "
               "FROM Periodos;")
        << 28 << "Dis" << QStringList{"01/07/2002 -  30/06/2003"} << false;
    QTest::newRow("coefficient update")
        << QStringList{"UPDATE Periodos SET Coeficiente = 0;",
                       "UPDATE Periodos SET Periodos.Coeficiente = 0.107142 WHERE (((Periodos.[No])>2));",
                       "SELECT Coeficiente FROM Periodos WHERE [No] <= 4 Order By [No];"}
        << 4 << "Coeficiente" << QStringList{"0", "0", "0.107142", "0.107142"} << true;
    QTest::newRow("series upgrade")
        << QStringList{"Select 1 from Gastos", "ALTER TABLE [Planilla_Det] ADD COLUMN AlterTempField TEXT(10)",
                       "UPDATE DISTINCTROW [Planilla_Det] SET AlterTempField = [Serie]",
                       "ALTER TABLE [Planilla_Det] DROP COLUMN [Serie]",
                       "SELECT AlterTempField FROM [Planilla_Det] Order By [Secuencia];"}
        << 5 << "AlterTempField" << QStringList{"A1", "B2", "<null>", "<null>", "<null>"} << true;
    QTest::newRow("taxpayers") << one("Select * FROM Contribuyentes;") << 1 << "Nit" << QStringList{"1234567"} << true;
    QTest::newRow("suppliers") << one("Select * FROM Proveedores;") << 3 << QString() << none << false;
    QTest::newRow("suppliers by tax id")
        << one("SELECT * FROM Proveedores Order By [Nit];") << 3 << "Nit" << QStringList{"12345K", "19", "6789"}
        << true;
    QTest::newRow("suppliers by name")
        << one("SELECT * FROM Proveedores Order By [Nombre];") << 3 << "Nombre"
        << QStringList{"Avena", "ávila", "Azul"} << true;
    QTest::newRow("expense types by description")
        << one("SELECT Gastos.Codigo, Gastos.Descripcion From Gastos ORDER BY Gastos.Descripcion;") << 31
        << "Descripcion" << QStringList{"Agua potable", "Alimentación", "Consultas médicas"} << true;
    QTest::newRow("expense types, design source")
        << one("SELECT * FROM Gastos Order By Descripcion;") << 31 << "Codigo" << QStringList{"5", "1", "10"} << true;
    QTest::newRow("expense filter by first letters, any case")
        << one("SELECT Gastos.Codigo, Gastos.Descripcion, Mid([Descripcion],1,3) AS Expr1 From Gastos "
               "WHERE(Mid([Descripcion],1,3) = 'gas') ORDER BY Gastos.Descripcion;")
        << 4 << "Codigo" << QStringList{"31", "26", "25", "24"} << true;
    QTest::newRow("headers") << one("SELECT [Planilla_Enc].* FROM  [Planilla_Enc];") << 2 << QString() << none << false;
    QTest::newRow("worksheet detail")
        << one(kDetailSelect + kDetailFrom + "WHERE (((Planilla_Det.Enc) = 1));") << 5 << "DisTipo"
        << QStringList{"Factura", "Factura", "Tiquete", "EKO Dcto. 39-99", "Factura Electrónica"} << false;
    QTest::newRow("worksheet detail sorted by date")
        << one(kDetailSelect + kDetailFrom + "WHERE (((Planilla_Det.Enc) = 1))Order By [Fecha] ASC;") << 5
        << "DisTipo" << QStringList{"Factura", "EKO Dcto. 39-99", "Tiquete", "Factura", "Factura Electrónica"}
        << true;
    QTest::newRow("worksheet detail sorted by date, descending")
        << one(kDetailSelect + kDetailFrom + "WHERE (((Planilla_Det.Enc) = 1))Order By [Fecha] DESC;") << 5
        << "Nombre" << QStringList{"ávila", "Avena", "Azul", "Avena", "ávila"} << true;
    QTest::newRow("worksheet detail sorted by type code")
        << one(kDetailSelect + kDetailFrom + "WHERE (((Planilla_Det.Enc) = 1))Order By [Tipo] ASC;") << 5 << "Tipo"
        << QStringList{"0", "0", "1", "11", "2"} << true;
    QTest::newRow("worksheet detail, variant spelling")
        << one(QString(kDetailSelect).replace("208', 'Formulario 711','Factura Electrónica'",
                                              "208','Formulario 711','Factura Electronica'")
               + kDetailFrom + "WHERE (((Planilla_Det.Enc) = 1))Order By [Secuencia] ASC;")
        << 5 << "DisTipo" << QStringList{"Factura", "Factura", "Tiquete", "EKO Dcto. 39-99", "Factura Electronica"}
        << true;
    QTest::newRow("worksheet detail without header")
        << one(kDetailSelect + kDetailFrom + "WHERE (((Planilla_Det.Enc) Is Null));") << 0 << QString() << none
        << false;
    QTest::newRow("taxpayers with a worksheet in the period")
        << one("SELECT Contribuyentes.Nombre, Contribuyentes.Nit, Contribuyentes.[No], Planilla_Enc.Periodo FROM "
               "Contribuyentes INNER JOIN (Periodos INNER JOIN Planilla_Enc ON Periodos.[No] = Planilla_Enc.Periodo) "
               "ON Contribuyentes.[No] = Planilla_Enc.Contribuyente WHERE (((Planilla_Enc.Periodo)=3)) ORDER BY "
               "Contribuyentes.Nombre;")
        << 1 << "Nombre" << QStringList{"Juan Pérez"} << true;
    QTest::newRow("taxpayers for the submission files")
        << one("SELECT Contribuyentes.Nombre, Contribuyentes.Nit, Contribuyentes.[No], Planilla_Enc.Periodo FROM "
               "Contribuyentes INNER JOIN (Periodos INNER JOIN Planilla_Enc ON Periodos.[No] = Planilla_Enc.Periodo) "
               "ON Contribuyentes.[No] = Planilla_Enc.Contribuyente WHERE (((Planilla_Enc.Periodo)=4));")
        << 1 << "No" << QStringList{"1"} << true;
    QTest::newRow("submission header query")
        << one("SELECT Planilla_Enc.[No], Planilla_Enc.Contribuyente, Planilla_Enc.Periodo, Planilla_Det.Secuencia, "
               "Planilla_Det.Provee, Planilla_Det.Tipo, Planilla_Det.NoDoc, Planilla_Det.Serie, Planilla_Det.Fecha, "
               "Planilla_Det.Monto, Planilla_Det.Gasto, Gastos.Descripcion FROM Gastos INNER JOIN (Planilla_Enc INNER "
               "JOIN Planilla_Det ON Planilla_Enc.[No] = Planilla_Det.Enc) ON Gastos.Codigo = Planilla_Det.Gasto "
               "WHERE (((Planilla_Enc.Contribuyente)=1) AND ((Planilla_Enc.Periodo)=3));")
        << 5 << "Descripcion" << QStringList{"Gasolina Superior", "Alimentación"} << false;
    QTest::newRow("submission taxpayer query")
        << one("SELECT Contribuyentes.[No], Contribuyentes.Nit, Contribuyentes.Nombre, Contribuyentes.NPat From "
               "Contribuyentes WHERE (((Contribuyentes.[No])=1));")
        << 1 << "NPat" << QStringList{"7654321"} << true;
    QTest::newRow("submission detail query")
        << one("SELECT Planilla_Det.Enc, Planilla_Det.Secuencia, Planilla_Det.Provee, "
               "IIf([Tipo]='0','F',IIf([Tipo]='1','T', 'I')) AS DisTipo, Planilla_Det.Tipo, Planilla_Det.NoDoc, "
               "Planilla_Det.Serie, Planilla_Det.Fecha, Planilla_Det.Monto, Gastos.Descripcion FROM Gastos INNER JOIN "
               "Planilla_Det ON Gastos.Codigo = Planilla_Det.Gasto WHERE (((Planilla_Det.Enc)=1));")
        << 5 << "DisTipo" << QStringList{"F", "F", "T", "I", "I"} << false;
    QTest::newRow("sum of forms")
        << one(sumQuery(1, 3) + ")AND (Val(Planilla_Det.Tipo)>= 2));") << 1 << "Total" << QStringList{"90"} << true;
    QTest::newRow("sum of invoices outside July 2001")
        << one(sumQuery(1, 3)
               + ")AND (Val(Planilla_Det.Tipo)< 2) AND ((Planilla_Det.Fecha) Not Between 37073 And 37103));")
        << 1 << "Total" << QStringList{"550"} << true;
    QTest::newRow("sum of invoices of July 2001")
        << one(sumQuery(1, 3) + ")AND (Val(Planilla_Det.Tipo)< 2) AND ((Planilla_Det.Fecha) Between 37073 And 37103));")
        << 1 << "Total" << QStringList{"100"} << true;
    QTest::newRow("sum of invoices, other periods")
        << one(sumQuery(1, 3) + ")AND (Val(Planilla_Det.Tipo)< 2));") << 1 << "Total" << QStringList{"650"} << true;
    QTest::newRow("sum of an empty worksheet")
        << one(sumQuery(1, 4) + ")AND (Val(Planilla_Det.Tipo)>= 2));") << 1 << "Total" << QStringList{"<null>"}
        << true;
}

void TestJetSql::formTexts()
{
    QFETCH(QStringList, statements);
    QFETCH(int, rowCount);
    QFETCH(QString, column);
    QFETCH(QStringList, values);
    QFETCH(bool, ordered);

    Result r;
    for (const QString& s : statements) {
        r = run(s);
        QVERIFY2(r.ok, qPrintable(r.error));
    }
    QCOMPARE(r.rows.size(), rowCount);
    if (column.isEmpty())
        return;
    QStringList actual = r.column(column);
    if (ordered) {
        QCOMPARE(actual.mid(0, values.size()), values);
        return;
    }
    for (const QString& v : values) {
        const int at = actual.indexOf(v);
        QVERIFY2(at >= 0, qPrintable(QStringLiteral("%1 not in %2").arg(v, actual.join(QLatin1String(" | ")))));
        actual.removeAt(at);
    }
}

// Nesting deeper than any query needs is refused as too complex (3360); long flat texts are
// translated whole (each token once: these took seconds to minutes when every token rescanned).
void TestJetSql::longAndDeepTexts_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("piece");     // occurs `count` times in the translation
    QTest::addColumn<int>("count");

    auto repeat = [](const QString& piece, int times, const QString& separator = QString()) {
        QStringList parts;
        for (int i = 0; i < times; ++i)
            parts << piece;
        return parts.join(separator);
    };
    QTest::newRow("100,000 open parentheses") << repeat("(", 100000) << int(err::QueryTooComplex) << QString() << 0;
    QTest::newRow("201 nested parentheses")
        << "SELECT " + repeat("(", 201) + "1" + repeat(")", 201) << int(err::QueryTooComplex) << QString() << 0;
    QTest::newRow("200 nested parentheses")
        << "SELECT " + repeat("(", 200) + "[Nit] & 'x'" + repeat(")", 200) << 0 << "zal_str(\"Nit\")" << 1;
    QTest::newRow("nested concatenations")
        << "SELECT " + repeat("([Nit] & ", 150) + "'x'" + repeat(")", 150) << 0 << "zal_str(\"Nit\")" << 150;
    QTest::newRow("10,000-term concatenation")
        << "SELECT " + repeat("[Nit]", 10000, " & ") + " FROM Proveedores" << 0 << " || " << 9999;
    QTest::newRow("100,000 primaries in one operand")
        << "SELECT " + repeat("[Monto]", 100000, " + ") + " & 'x' FROM t" << 0 << "zal_str(" << 1;
    QTest::newRow("10,000 operands of arithmetic")
        << "SELECT " + repeat("Mid([Nit], 1, 2) * 2", 10000, " & ") << 0 << "zal_str(Mid(" << 10000;
    QTest::newRow("5,000 qualified assignments")
        << "UPDATE Periodos SET " + repeat("Periodos.Coeficiente = 1", 5000, ", ") + " WHERE Periodos.[No] = 1, 2"
        << 0 << "Periodos." << 1;
    QTest::newRow("100,000 parentheses one after another")
        << "SELECT " + repeat("(1)", 100000, " + ") << 0 << "(1)" << 100000;
}

void TestJetSql::longAndDeepTexts()
{
    QFETCH(QString, jet);
    QFETCH(int, number);
    QFETCH(QString, piece);
    QFETCH(int, count);
    QString out;
    try {
        out = jet::translate(jet, fixedSchema());
        QCOMPARE(0, number);
    } catch (const DbError& e) {
        QCOMPARE(e.number(), number);
        return;
    }
    QCOMPARE(int(out.count(piece)), count);
}

void TestJetSql::seriesUpgradeEnforcesNewSize()
{
    for (const char* s : {"ALTER TABLE [Planilla_Det] ADD COLUMN AlterTempField TEXT(10)",
                          "UPDATE DISTINCTROW [Planilla_Det] SET AlterTempField = [Serie]",
                          "ALTER TABLE [Planilla_Det] DROP COLUMN [Serie]"}) {
        const Result r = run(QString::fromLatin1(s));
        QVERIFY2(r.ok, qPrintable(r.error));
    }
    QVERIFY(!run(QStringLiteral("SELECT Serie FROM Planilla_Det")).ok);

    QVERIFY(run(QStringLiteral("UPDATE Planilla_Det SET AlterTempField = '1234567890' WHERE Secuencia = 1")).ok);
    const Result tooLong = run(QStringLiteral("UPDATE Planilla_Det SET AlterTempField = '12345678901' WHERE Secuencia = 1"));
    QVERIFY(!tooLong.ok);
    QCOMPARE(tooLong.extendedCode, SQLITE_CONSTRAINT_CHECK);
    QVERIFY2(tooLong.error.contains(QLatin1String("len_AlterTempField")), qPrintable(tooLong.error));
    QCOMPARE(mapSqliteError(tooLong.extendedCode, tooLong.error).number(), int(err::FieldTooSmall));

    // The new column ignores case like the one it replaced.
    const Result found = run(QStringLiteral("SELECT Secuencia FROM Planilla_Det WHERE AlterTempField = 'b2'"));
    QVERIFY2(found.ok, qPrintable(found.error));
    QCOMPARE(found.column(QStringLiteral("Secuencia")), QStringList{"2"});
}

void TestJetSql::textsIgnoreCaseInComparisonsJoinsAndSorts()
{
    struct Check {
        const char* sql;
        const char* column;
        QStringList values;
    };
    const Check checks[] = {
        // a literal compared with a column, and a column compared with a literal
        {"SELECT Nombre FROM Proveedores WHERE Nit = '12345k';", "Nombre", {"ávila"}},
        {"SELECT Nombre FROM Proveedores WHERE 'AVENA' = [Nombre];", "Nombre", {"Avena"}},
        {"SELECT Codigo FROM Gastos WHERE Descripcion = 'GASOLINA DE AVIACIÓN';", "Codigo", {"26"}},
        {"SELECT Codigo FROM Gastos WHERE Descripcion = \"GASOLINA DE AVIACION\";", "Codigo", {}},
        // joins both ways round, the stored tax id differing in case from the catalogue's
        {"SELECT Proveedores.Nombre FROM Proveedores INNER JOIN Planilla_Det ON Proveedores.Nit = "
         "Planilla_Det.Provee WHERE Planilla_Det.Secuencia = 1;",
         "Nombre", {"ávila"}},
        {"SELECT Proveedores.Nombre FROM Planilla_Det INNER JOIN Proveedores ON Planilla_Det.Provee = "
         "Proveedores.Nit WHERE Planilla_Det.Secuencia = 1;",
         "Nombre", {"ávila"}},
        // sorts put accented letters beside the plain ones
        {"SELECT Descripcion FROM Gastos WHERE Codigo IN (8, 14, 2) Order By Descripcion;", "Descripcion",
         {"Transporte", "Útiles escolares", "Vestuario"}},
        {"SELECT Nombre FROM Proveedores Order By Nombre DESC;", "Nombre", {"Azul", "ávila", "Avena"}},
        // grouping folds the case
        {"SELECT Count(*) AS N FROM Planilla_Det GROUP BY Provee Order By Provee;", "N", {"2", "1", "2"}},
    };
    for (const Check& c : checks) {
        const Result r = run(QString::fromUtf8(c.sql));
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.column(QString::fromLatin1(c.column)), c.values);
    }
}

QTEST_GUILESS_MAIN(TestJetSql)
#include "test_jet_sql.moc"
