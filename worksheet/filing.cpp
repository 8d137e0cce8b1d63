#include "worksheet/filing.h"

#include "platform/basic/basic.h"
#include "platform/report/report_control.h"
#include "platform/system/app_info.h"
#include "platform/system/clock.h"
#include "platform/ui/dialogs.h"

namespace printing {

namespace {

const QChar CR(13);

// Format(Format(text, "00"), "&&") of a piece of the date, as a text of two characters.
QString twoDigits(const QString& piece)
{
    return basic::Format(basic::Format(piece, QStringLiteral("00")), QStringLiteral("&&"));
}

} // namespace

QString filingDatePrompt()
{
    return QStringLiteral("Ingrese la fecha presentación de la planilla en el formato dd/mm/yyyy") + CR
           + QStringLiteral("dd = día, ") + QStringLiteral("mm = mes, ") + QStringLiteral("yyyy = año") + CR + CR
           + QStringLiteral(" Por ejemplo: 12/09/1999");
}

FilingAnswers askFiling()
{
    FilingAnswers answers;
    answers.place = ui::InputBox(QStringLiteral("Ingrese el lugar de presentación de la planilla..."),
                                 QStringLiteral("Lugar de Presentación..."), QStringLiteral("Tolvania"));
    const QString today = basic::Format(sys::today(), QStringLiteral("dd/mm/yyyy"));
    const QString date = ui::InputBox(filingDatePrompt(), QStringLiteral("Fecha de Presentación..."), today);
    answers.date = filingDate(date, sys::today());
    return answers;
}

QString filingDate(const QString& answer, const QDate& today)
{
    const QString formatted = basic::Format(answer, QStringLiteral("dd/mm/yyyy"));
    if (answer.trimmed().isEmpty() || !basic::IsDate(formatted))
        return basic::Format(today, QStringLiteral("dd/mm/yyyy"));
    return formatted;
}

QStringList filingDateDigits(const QString& date)
{
    const int first = date.indexOf(QLatin1Char('/'));
    const int second = date.indexOf(QLatin1Char('/'), first + 1);
    const QString day = twoDigits(date.mid(qMax(0, first - 2), qMin(2, first)));
    const QString month = twoDigits(date.mid(qMax(0, second - 2), 2));
    const QString year = basic::Format(basic::Format(date.mid(second + 1), QStringLiteral("0000")),
                                       QStringLiteral("&&&&"));
    QStringList digits;
    for (const QString& part : {day, month, year})
        for (const QChar c : part)
            digits << QString(c);
    return digits;
}

QString formulaText(const QString& name, const QString& value)
{
    return name + QStringLiteral(" = '") + value + QLatin1Char('\'');
}

void setFilingDateFormulas(report::ReportControl& control, const QString& date)
{
    static const QStringList names{QStringLiteral("FPresentaD1"), QStringLiteral("FPresentaD2"),
                                   QStringLiteral("FPresentaM1"), QStringLiteral("FPresentaM2"),
                                   QStringLiteral("FPresentaY1"), QStringLiteral("FPresentaY2"),
                                   QStringLiteral("FPresentaY3"), QStringLiteral("FPresentaY4")};
    const QStringList digits = filingDateDigits(date);
    for (int i = 0; i < names.size(); ++i)
        control.setFormulas(slotFPresentaD1 + i, formulaText(names[i], digits.value(i)));
}

QString templatePath(const QString& fileName)
{
    return sys::appPath() + QLatin1Char('\\') + fileName;
}

} // namespace printing
