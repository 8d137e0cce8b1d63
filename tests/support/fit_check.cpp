#include "fit_check.h"

#include "platform/ui/sizing.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>

namespace support {

namespace {

QString cycle(const QString& alphabet, int n)
{
    QString text;
    for (int i = 0; i < n; ++i)
        text += alphabet.at(i % alphabet.size());
    return text;
}

} // namespace

QString digitsText(int n)
{
    return cycle(QStringLiteral("0123456789"), n);
}

QString capitalsText(int n)
{
    return cycle(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), n);
}

QStringList boxesTooNarrow(QWidget* form)
{
    QStringList failures;
    for (QLineEdit* edit : form->findChildren<QLineEdit*>()) {
        QWidget* owner = edit->parentWidget();
        if (qobject_cast<QAbstractSpinBox*>(owner))
            continue;
        auto* combo = qobject_cast<QComboBox*>(owner);
        QWidget* box = combo ? static_cast<QWidget*>(combo) : edit;
        int n = ui::textLimit(edit);
        if (combo && ui::fittedChars(combo) > 0)
            n = ui::fittedChars(combo);
        if (n == 0) {
            if (combo)
                failures << QStringLiteral("%1: a combo of unknown length").arg(box->objectName());
            continue;
        }
        const int room = ui::textAreaWidth(edit);
        for (const QString& text : {digitsText(n), capitalsText(n)}) {
            const int needed = edit->fontMetrics().horizontalAdvance(text);
            if (room < needed) {
                failures << QStringLiteral("%1: %2 pixels for %3 characters that take %4")
                                .arg(box->objectName()).arg(room).arg(n).arg(needed);
                break;
            }
        }
    }
    return failures;
}

QString offShareOfScreen(const QWidget* window, double share)
{
    const QRect free = window->screen()->availableGeometry();
    const QRect at = window->geometry();
    const bool sized = qAbs(at.width() - free.width() * share) <= 1 && qAbs(at.height() - free.height() * share) <= 1;
    const bool centred = qAbs(at.center().x() - free.center().x()) <= 1 && qAbs(at.center().y() - free.center().y()) <= 1;
    if (sized && centred)
        return QString();
    return QStringLiteral("window at %1,%2 %3×%4 on a free area of %5,%6 %7×%8")
        .arg(at.x()).arg(at.y()).arg(at.width()).arg(at.height())
        .arg(free.x()).arg(free.y()).arg(free.width()).arg(free.height());
}

} // namespace support
