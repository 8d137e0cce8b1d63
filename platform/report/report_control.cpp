#include "platform/report/report_control.h"

#include "platform/report/report_preview.h"
#include "platform/system/busy.h"
#include "platform/ui/dialogs.h"

#include <QFileInfo>

namespace report {

namespace {

Presenter& presenter()
{
    static Presenter current;
    return current;
}

// Paths reach the control with either separator.
QString localPath(const QString& path)
{
    QString local = path;
    local.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return local;
}

} // namespace

QString LogEntry::text() const
{
    return index < 0 ? QStringLiteral("%1=%2").arg(role, value)
                     : QStringLiteral("%1(%2)=%3").arg(role).arg(index).arg(value);
}

Presenter setPresenter(Presenter p)
{
    Presenter previous = std::move(presenter());
    presenter() = std::move(p);
    return previous;
}

QString failureMessage(const QString& reportFile, const QString& cause)
{
    const QString name = reportFile.isEmpty() ? QString() : QFileInfo(localPath(reportFile)).fileName();
    return QStringLiteral("No se puede imprimir el reporte \"%1\": %2.").arg(name, cause);
}

ReportControl::ReportControl(QString name) : name_(std::move(name)) {}

void ReportControl::record(const QString& role, int index, const QString& value)
{
    log_.append({role, index, value});
}

QStringList ReportControl::logLines() const
{
    QStringList lines;
    for (const LogEntry& entry : log_)
        lines << entry.text();
    return lines;
}

void ReportControl::setReportFileName(const QString& path)
{
    reportFileName_ = path;
    record(QStringLiteral("ReportFileName"), -1, path);
}

void ReportControl::setDataFiles(int index, const QString& path)
{
    dataFiles_[index] = path;
    record(QStringLiteral("DataFiles"), index, path);
}

void ReportControl::setConnect(const QString& connect)
{
    connect_ = connect;
    record(QStringLiteral("Connect"), -1, connect);
}

void ReportControl::setSelectionFormula(const QString& formula)
{
    selection_ = formula;
    record(QStringLiteral("SelectionFormula"), -1, formula);
}

void ReportControl::replaceSelectionFormula(const QString& formula)
{
    selection_ = formula;
    record(QStringLiteral("ReplaceSelectionFormula"), -1, formula);
}

void ReportControl::setFormulas(int index, const QString& formulaText)
{
    formulas_[index] = formulaText;
    record(QStringLiteral("Formulas"), index, formulaText);
}

void ReportControl::setWindowTitle(const QString& title)
{
    windowTitle_ = title;
    record(QStringLiteral("WindowTitle"), -1, title);
}

void ReportControl::setWindowState(int state)
{
    windowState_ = state;
    record(QStringLiteral("WindowState"), -1, QString::number(state));
}

void ReportControl::setDiscardSavedData(bool discard)
{
    discardSavedData_ = discard;
    record(QStringLiteral("DiscardSavedData"), -1, discard ? QStringLiteral("True") : QStringLiteral("False"));
}

void ReportControl::setSortFields(int index, const QString& field)
{
    sortFields_[index] = field;
    record(QStringLiteral("SortFields"), index, field);
}

std::optional<RenderedReport> ReportControl::render(QString* cause) const
{
    if (reportFileName_.trimmed().isEmpty()) {
        *cause = QStringLiteral("no se indicó el archivo del reporte");
        return std::nullopt;
    }
    const auto tmpl = loadTemplate(localPath(reportFileName_), cause);
    if (!tmpl)
        return std::nullopt;
    RenderInput input;
    input.databasePath = localPath(dataFiles_.value(0));
    input.connect = connect_;
    input.selection = selection_;
    for (auto it = formulas_.cbegin(); it != formulas_.cend(); ++it) {
        if (it.value().trimmed().isEmpty())
            continue;
        QString name, value;
        if (!parseFormula(it.value(), &name, &value)) {
            *cause = QStringLiteral("la fórmula %1 no es válida: %2").arg(it.key()).arg(it.value());
            return std::nullopt;
        }
        input.formulas.insert(name, value);
    }
    auto rendered = renderTemplate(*tmpl, input, cause);
    if (rendered)
        rendered->title = windowTitle_;
    return rendered;
}

bool ReportControl::setAction(int action)
{
    record(QStringLiteral("Action"), -1, QString::number(action));
    lastError_.clear();
    if (action != 0)
        return false;
    QString cause;
    std::optional<RenderedReport> rendered;
    {
        // The hourglass while the rows are read and the pages laid out.
        sys::BusyScope busy;
        rendered = render(&cause);
        if (rendered) {
            if (presenter())
                presenter()(*this, *rendered);
            else
                showPreview(*rendered, windowState_);
            return true;
        }
    }
    lastError_ = failureMessage(reportFileName_, cause);
    ui::MsgBox(lastError_, ui::vbCritical);
    return false;
}

} // namespace report
