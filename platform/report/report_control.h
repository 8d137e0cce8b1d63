#pragma once
// The report control: one object per report control of a form. The form sets its roles one by
// one and starts it last; the start renders the template (report_template.h) with everything set
// so far and hands it to the presenter, by default a preview window.
//
//   report::ReportControl rptImprime;
//   rptImprime.setReportFileName(appDir + "\\rep001.rpt");
//   rptImprime.setDataFiles(0, gBaseDatos); rptImprime.setDataFiles(1, gBaseDatos);
//   rptImprime.setConnect(";PWD=MIRVOSK");
//   rptImprime.setSelectionFormula("{Planilla_Enc.No} = 12");
//   rptImprime.setFormulas(1, "LPresenta = 'Tolvania'");
//   rptImprime.setWindowTitle(" Planilla ..."); rptImprime.setWindowState(2);
//   rptImprime.setAction(0);                        // renders and shows
//
// Every role keeps its value between prints; formula slots too, and a slot never set leaves the
// template's default for its formula. Every call is appended to an ordered log that tests read.
// A start that cannot print reports once, with a message naming the template and the cause
// ("No se puede imprimir el reporte "rep001.rpt": el archivo no existe."), and shows nothing.
#include "platform/report/report_template.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace report {

// One entry of the log: the role set, its index for indexed roles (-1 otherwise), and the value.
struct LogEntry {
    QString role;   // ReportFileName, DataFiles, Connect, SelectionFormula, ReplaceSelectionFormula,
                    // Formulas, WindowTitle, WindowState, DiscardSavedData, SortFields, Action
    int index = -1;
    QString value;
    // "Role=value" or "Role(index)=value".
    QString text() const;
    bool operator==(const LogEntry&) const = default;
};

class ReportControl;

// What start does with a rendered report. The default opens a preview window.
using Presenter = std::function<void(const ReportControl& control, const RenderedReport& report)>;

// Installs a presenter for every control (tests record instead of showing); an empty one goes
// back to the preview window. Returns the one it replaces.
Presenter setPresenter(Presenter presenter);

class ReportControl {
public:
    explicit ReportControl(QString name = QString());

    QString name() const { return name_; }

    void setReportFileName(const QString& path);
    void setDataFiles(int index, const QString& path);
    void setConnect(const QString& connect);
    void setSelectionFormula(const QString& formula);
    // The same selection, handed over as a call rather than as a setting.
    void replaceSelectionFormula(const QString& formula);
    void setFormulas(int index, const QString& formulaText);
    void setWindowTitle(const QString& title);
    // 0 normal, 1 minimised, 2 maximised preview window.
    void setWindowState(int state);
    // Read the data again on each start (the control never keeps saved data; kept for the log).
    void setDiscardSavedData(bool discard);
    // Extra sort entries of the report. The templates fix their own order; the entries are kept
    // and logged.
    void setSortFields(int index, const QString& field);
    // 0 renders and presents. Returns true when the report was presented.
    bool setAction(int action);
    bool start() { return setAction(0); }

    QString reportFileName() const { return reportFileName_; }
    QString dataFiles(int index) const { return dataFiles_.value(index); }
    QString connect() const { return connect_; }
    QString selectionFormula() const { return selection_; }
    QString formulas(int index) const { return formulas_.value(index); }
    QMap<int, QString> formulaSlots() const { return formulas_; }
    QString windowTitle() const { return windowTitle_; }
    int windowState() const { return windowState_; }
    bool discardSavedData() const { return discardSavedData_; }
    QString sortFields(int index) const { return sortFields_.value(index); }

    const QList<LogEntry>& log() const { return log_; }
    QStringList logLines() const;
    void clearLog() { log_.clear(); }

    // The error of the last start, empty when it printed.
    QString lastError() const { return lastError_; }

    // Renders the report with the present settings, without a window and without a message.
    // On failure returns nothing and sets *cause.
    std::optional<RenderedReport> render(QString* cause) const;

private:
    void record(const QString& role, int index, const QString& value);

    QString name_;
    QString reportFileName_;
    QMap<int, QString> dataFiles_;
    QString connect_;
    QString selection_;
    QMap<int, QString> formulas_;
    QString windowTitle_;
    int windowState_ = 0;
    bool discardSavedData_ = false;
    QMap<int, QString> sortFields_;
    QList<LogEntry> log_;
    QString lastError_;
};

// The message a failed start shows.
QString failureMessage(const QString& reportFile, const QString& cause);

} // namespace report
