#include "platform/report/report_template.h"

#include "platform/report/report_pages.h"

#include "platform/basic/basic.h"
#include "platform/db/database.h"

#include <kainjow/mustache.hpp>

#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QRegularExpression>
#include <QTextDocument>

namespace report {

namespace {

const QString kSelectionToken = QStringLiteral("{seleccion}");

QPageSize pageSizeOf(const QString& name, bool* ok)
{
    const QString key = name.trimmed().toLower();
    *ok = true;
    if (key == QLatin1String("a4"))
        return QPageSize(QPageSize::A4);
    if (key == QLatin1String("letter") || key == QLatin1String("carta"))
        return QPageSize(QPageSize::Letter);
    if (key == QLatin1String("legal") || key == QLatin1String("oficio"))
        return QPageSize(QPageSize::Legal);
    *ok = false;
    return QPageSize(QPageSize::Letter);
}

// "key = value" of a settings line; false when there is no "=".
bool splitSetting(const QString& line, QString* key, QString* value)
{
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    *key = line.left(eq).trimmed();
    *value = line.mid(eq + 1).trimmed();
    return !key->isEmpty();
}

std::string html(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char ch : text) {
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += ch;
        }
    }
    return out;
}

// The offsets in html of the rows of a list section whose rows are table rows
// ({{#NAME}}<tr>...</tr>{{/NAME}}): each item's text is rendered alone and the run of them found
// in the whole text, so the offsets are only kept when they are exactly what the body made.
bool findRowRun(const std::string& body, const std::string& name, const kainjow::mustache::data& items,
                const QString& page, QList<qsizetype>* starts, qsizetype* end)
{
    using kainjow::mustache::mustache;
    const auto tag = [](const std::string& text, char kind, const std::string& name, size_t from) {
        // "{{#name}}" with blanks allowed inside the braces.
        for (size_t at = text.find("{{", from); at != std::string::npos; at = text.find("{{", at + 2)) {
            size_t i = at + 2;
            while (i < text.size() && text[i] == ' ')
                ++i;
            if (i >= text.size() || text[i] != kind)
                continue;
            ++i;
            while (i < text.size() && text[i] == ' ')
                ++i;
            if (text.compare(i, name.size(), name) != 0)
                continue;
            i += name.size();
            while (i < text.size() && text[i] == ' ')
                ++i;
            if (text.compare(i, 2, "}}") == 0)
                return std::pair<size_t, size_t>(at, i + 2);
        }
        return std::pair<size_t, size_t>(std::string::npos, std::string::npos);
    };
    const auto open = tag(body, '#', name, 0);
    if (open.first == std::string::npos || tag(body, '#', name, open.second).first != std::string::npos)
        return false;
    const auto close = tag(body, '/', name, open.second);
    if (close.first == std::string::npos)
        return false;
    const std::string inner = body.substr(open.second, close.first - open.second);
    size_t first = inner.find_first_not_of(" \t\r\n");
    if (first == std::string::npos || (inner.compare(first, 3, "<tr") != 0 && inner.compare(first, 3, "<TR") != 0))
        return false;
    mustache row(inner);
    if (!row.is_valid())
        return false;
    row.set_custom_escape(html);
    QString run;
    QList<qsizetype> lengths;
    for (const auto& item : items.list_value()) {
        const QString text = QString::fromStdString(row.render(item));
        lengths << text.size();
        run += text;
    }
    if (run.isEmpty())
        return false;
    const qsizetype at = page.indexOf(run);
    if (at < 0 || page.indexOf(run, at + 1) >= 0)
        return false;
    starts->clear();
    qsizetype offset = at;
    for (const qsizetype length : lengths) {
        starts->append(offset);
        offset += length;
    }
    *end = offset;
    return true;
}

// A line of the template outside the body (the running header, the file name): values as they
// are, not escaped.
std::optional<std::string> renderLine(const QString& text, const kainjow::mustache::data& root)
{
    kainjow::mustache::mustache line(text.toStdString());
    line.set_custom_escape([](const std::string& value) { return value; });
    std::string out = line.render(root);
    if (!line.is_valid())
        return std::nullopt;
    return out;
}

// "dd/mm/yyyy" as "yyyy-mm"; any other text as it is.
std::string yearAndMonth(const std::string& date)
{
    static const QRegularExpression shape(QStringLiteral("^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{4})\\s*$"));
    const auto match = shape.match(QString::fromStdString(date));
    if (!match.hasMatch())
        return date;
    return (match.captured(3) + QLatin1Char('-') + match.captured(2).rightJustified(2, QLatin1Char('0'))).toStdString();
}

// A text that a file name can hold on every desktop: no folder separators, no reserved
// characters, no blanks.
QString fileNameOf(const QString& text)
{
    QString out;
    for (const QChar c : text.simplified()) {
        if (c.isSpace() || QStringLiteral("\\/:*?\"<>|'").contains(c) || c.category() == QChar::Other_Control)
            out += QLatin1Char('_');
        else
            out += c;
    }
    while (out.contains(QLatin1String("__")))
        out.replace(QLatin1String("__"), QLatin1String("_"));
    while (out.endsWith(QLatin1Char('_')) || out.endsWith(QLatin1Char('.')))
        out.chop(1);
    while (out.startsWith(QLatin1Char('_')) || out.startsWith(QLatin1Char('.')))
        out.remove(0, 1);
    return out;
}

QString valueText(const QVariant& value, const QString& pattern)
{
    if (value.isNull())
        return QString();
    return pattern.isEmpty() ? basic::CStr(value) : basic::Format(value, pattern);
}

} // namespace

bool ReportTemplate::needsSelection() const
{
    for (const auto& query : queries)
        if (query.second.contains(kSelectionToken))
            return true;
    return false;
}

std::optional<ReportTemplate> loadTemplate(const QString& path, QString* cause)
{
    QFile file(path);
    if (!QFileInfo::exists(path)) {
        *cause = QStringLiteral("el archivo no existe");
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *cause = QStringLiteral("no se puede leer el archivo");
        return std::nullopt;
    }
    auto tmpl = parseTemplate(QString::fromUtf8(file.readAll()), cause);
    if (tmpl)
        tmpl->path = path;
    return tmpl;
}

std::optional<ReportTemplate> parseTemplate(const QString& text, QString* cause)
{
    ReportTemplate tmpl;
    tmpl.layout = QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                              QPageLayout::Millimeter);
    const QStringList lines = text.split(QLatin1Char('\n'));
    QString section;
    QString queryName;
    QString querySql;
    auto closeQuery = [&] {
        if (!queryName.isEmpty())
            tmpl.queries.append({queryName, querySql.trimmed()});
        queryName.clear();
        querySql.clear();
    };
    auto fail = [&](const QString& what) {
        *cause = QStringLiteral("la plantilla no es válida (%1)").arg(what);
        return std::nullopt;
    };
    bool hasBody = false;
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            closeQuery();
            section = trimmed.mid(1, trimmed.size() - 2).trimmed();
            if (section.startsWith(QLatin1String("query "), Qt::CaseInsensitive)) {
                queryName = section.mid(6).trimmed();
                if (queryName.isEmpty())
                    return fail(QStringLiteral("consulta sin nombre"));
                section = QStringLiteral("query");
            } else if (section.compare(QLatin1String("body"), Qt::CaseInsensitive) == 0) {
                tmpl.body = lines.mid(i + 1).join(QLatin1Char('\n'));
                hasBody = true;
                break;
            } else {
                section = section.toLower();
                if (section != QLatin1String("page") && section != QLatin1String("formulas")
                    && section != QLatin1String("format"))
                    return fail(QStringLiteral("sección desconocida [%1]").arg(section));
            }
            continue;
        }
        if (section == QLatin1String("query")) {
            querySql += line + QLatin1Char('\n');
            continue;
        }
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) || section.isEmpty())
            continue;
        QString key, value;
        if (!splitSetting(trimmed, &key, &value))
            return fail(QStringLiteral("línea %1").arg(i + 1));
        if (section == QLatin1String("formulas")) {
            tmpl.formulaNames << key;
            tmpl.formulaDefaults.insert(key, value);
        } else if (section == QLatin1String("format")) {
            tmpl.formats.insert(key, value);
        } else if (key.compare(QLatin1String("size"), Qt::CaseInsensitive) == 0) {
            bool ok = false;
            tmpl.layout.setPageSize(pageSizeOf(value, &ok));
            if (!ok)
                return fail(QStringLiteral("tamaño de página %1").arg(value));
        } else if (key.compare(QLatin1String("orientation"), Qt::CaseInsensitive) == 0) {
            tmpl.layout.setOrientation(value.compare(QLatin1String("landscape"), Qt::CaseInsensitive) == 0
                                           ? QPageLayout::Landscape
                                           : QPageLayout::Portrait);
        } else if (key.compare(QLatin1String("header"), Qt::CaseInsensitive) == 0) {
            tmpl.header = value;
        } else if (key.compare(QLatin1String("file"), Qt::CaseInsensitive) == 0) {
            tmpl.fileName = value;
        } else if (key.compare(QLatin1String("margins"), Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const double mm = value.toDouble(&ok);
            if (!ok || mm < 0 || mm > 60)
                return fail(QStringLiteral("márgenes %1").arg(value));
            tmpl.layout.setMargins(QMarginsF(mm, mm, mm, mm));
        } else {
            return fail(QStringLiteral("línea %1").arg(i + 1));
        }
    }
    closeQuery();
    if (!hasBody)
        return fail(QStringLiteral("sin [body]"));
    for (const QString* text : {&tmpl.body, &tmpl.header, &tmpl.fileName}) {
        const kainjow::mustache::mustache check(text->toStdString());
        if (!check.is_valid())
            return fail(QString::fromStdString(check.error_message()));
    }
    return tmpl;
}

std::optional<QList<SelectionTerm>> parseSelection(const QString& formula)
{
    static const QRegularExpression joiner(QStringLiteral("\\s+and\\s+"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression term(
        QStringLiteral("^\\s*\\{([A-Za-z_][A-Za-z0-9_]*)\\.([A-Za-z_][A-Za-z0-9_]*)\\}\\s*=\\s*([-+]?[0-9]+)\\s*$"));
    if (formula.trimmed().isEmpty())
        return std::nullopt;
    QList<SelectionTerm> terms;
    for (const QString& part : formula.split(joiner)) {
        const auto match = term.match(part);
        if (!match.hasMatch())
            return std::nullopt;
        bool ok = false;
        const qint64 value = match.captured(3).toLongLong(&ok);
        if (!ok)
            return std::nullopt;
        terms.append({match.captured(1), match.captured(2), value});
    }
    return terms;
}

QString selectionSql(const QList<SelectionTerm>& terms)
{
    QStringList parts;
    for (const SelectionTerm& t : terms)
        parts << QStringLiteral("[%1].[%2] = %3").arg(t.table, t.column, QString::number(t.value));
    return QLatin1Char('(') + parts.join(QLatin1String(" AND ")) + QLatin1Char(')');
}

bool parseFormula(const QString& text, QString* name, QString* value)
{
    static const QRegularExpression loose(QStringLiteral("^\\s*([A-Za-z_][A-Za-z0-9_]*)\\s*=\\s*'"));
    int valueStart = -1;
    const int at = text.indexOf(QLatin1String(" = '"));
    if (at >= 0) {
        *name = text.left(at).trimmed();
        valueStart = at + 4;
    } else {
        const auto match = loose.match(text);
        if (!match.hasMatch())
            return false;
        *name = match.captured(1);
        valueStart = match.capturedEnd(0);
    }
    const int last = text.lastIndexOf(QLatin1Char('\''));
    if (name->isEmpty() || last < valueStart || !text.mid(last + 1).trimmed().isEmpty())
        return false;
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (!identifier.match(*name).hasMatch())
        return false;
    *value = text.mid(valueStart, last - valueStart);
    return true;
}

std::optional<RenderedReport> renderTemplate(const ReportTemplate& tmpl, const RenderInput& input, QString* cause)
{
    using kainjow::mustache::data;
    data root{data::type::object};
    for (const QString& name : tmpl.formulaNames)
        root.set(name.toStdString(), tmpl.formulaDefaults.value(name).toStdString());
    for (auto it = input.formulas.cbegin(); it != input.formulas.cend(); ++it)
        root.set(it.key().toStdString(), it.value().toStdString());

    QString longestList;   // the query with the most rows
    qsizetype longestRows = 0;
    if (!tmpl.queries.isEmpty()) {
        QString where;
        if (tmpl.needsSelection()) {
            const auto terms = parseSelection(input.selection);
            if (input.selection.trimmed().isEmpty()) {
                *cause = QStringLiteral("falta la selección de registros");
                return std::nullopt;
            }
            if (!terms) {
                *cause = QStringLiteral("la selección de registros no es válida: %1").arg(input.selection);
                return std::nullopt;
            }
            where = selectionSql(*terms);
        }
        if (input.databasePath.isEmpty()) {
            *cause = QStringLiteral("no se indicó la base de datos");
            return std::nullopt;
        }
        db::Database database;
        try {
            database = db::Database::open(input.databasePath, input.connect, false, true);
        } catch (const db::DbError& e) {
            *cause = QStringLiteral("no se puede abrir la base de datos (%1)").arg(e.description());
            return std::nullopt;
        }
        for (const auto& [name, sqlText] : tmpl.queries) {
            QString sql = sqlText;
            sql.replace(kSelectionToken, where);
            data rows{data::type::list};
            try {
                db::Recordset rs = database.openRecordset(sql, db::RecordsetType::Snapshot);
                const int count = rs.fieldCount();
                QStringList columns;
                QStringList patterns;
                for (int c = 0; c < count; ++c) {
                    const QString column = rs.fieldInfo(c).name;
                    columns << column;
                    patterns << tmpl.formats.value(name + QLatin1Char('.') + column, tmpl.formats.value(column));
                }
                while (!rs.eof()) {
                    data row{data::type::object};
                    for (int c = 0; c < count; ++c)
                        row.set(columns[c].toStdString(), valueText(rs.field(c), patterns[c]).toStdString());
                    rows.push_back(row);
                    rs.moveNext();
                }
            } catch (const db::DbError& e) {
                *cause = QStringLiteral("no se pueden leer los datos (%1)").arg(e.description());
                return std::nullopt;
            } catch (const std::exception& e) {
                *cause = QStringLiteral("no se pueden leer los datos (%1)").arg(QString::fromUtf8(e.what()));
                return std::nullopt;
            }
            if (qsizetype(rows.list_value().size()) > longestRows) {
                longestRows = qsizetype(rows.list_value().size());
                longestList = name;
            }
            root.set(name.toStdString(), rows);
        }
    }

    kainjow::mustache::mustache body(tmpl.body.toStdString());
    body.set_custom_escape(html);
    const std::string out = body.render(root);
    if (!body.is_valid()) {
        *cause = QStringLiteral("la plantilla no es válida (%1)").arg(QString::fromStdString(body.error_message()));
        return std::nullopt;
    }
    RenderedReport rendered;
    rendered.html = QString::fromStdString(out);
    rendered.layout = tmpl.layout;
    root.set("anioMes", data(kainjow::mustache::lambda2(
                            [](const std::string& text, const kainjow::mustache::renderer& render) {
                                return yearAndMonth(render(text, false));
                            })));
    const auto header = renderLine(tmpl.header, root);
    const auto fileName = renderLine(tmpl.fileName, root);
    if (!header || !fileName) {
        *cause = QStringLiteral("la plantilla no es válida (encabezado de página o nombre de archivo)");
        return std::nullopt;
    }
    // The header's pieces stand between "·"; a piece left empty (a list with no rows) goes.
    QStringList pieces;
    for (const QString& piece : QString::fromStdString(*header).split(QChar(0x00B7)))
        if (!piece.simplified().isEmpty())
            pieces << piece.simplified();
    rendered.header = pieces.join(QStringLiteral(" · "));
    rendered.fileName = fileNameOf(QString::fromStdString(*fileName));
    if (longestRows >= 2) {
        const std::string name = longestList.toStdString();
        if (!findRowRun(tmpl.body.toStdString(), name, root.get(name) ? *root.get(name) : data(data::type::list),
                        rendered.html, &rendered.rowStarts, &rendered.rowsEnd)) {
            rendered.rowStarts.clear();
            rendered.rowsEnd = -1;
        }
    }
    return rendered;
}

std::unique_ptr<QTextDocument> RenderedReport::document() const
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setHtml(html);
    return doc;
}

QString RenderedReport::toPlainText() const
{
    return document()->toPlainText();
}

bool RenderedReport::writePdf(const QString& fileName, QString* cause) const
{
    return report::writePdf(ReportPages(*this), fileName, cause);
}

} // namespace report
