#include "real_dialogs.h"

#include "platform/ui/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace support {

RealDialogs::RealDialogs()
{
    ui::setDialogService(nullptr);
    ui::setRealWindowsOffscreen(true);
    timer_.setInterval(5);
    connect(&timer_, &QTimer::timeout, this, &RealDialogs::poll);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        // The field that had the focus when a box took it.
        if (now && (qobject_cast<QMessageBox*>(now->window()) || qobject_cast<QInputDialog*>(now->window())))
            lastFocus_ = old;
    });
    timer_.start();
}

RealDialogs::~RealDialogs()
{
    ui::setRealWindowsOffscreen(false);
}

RealDialogs& RealDialogs::answerMsgBox(int answer)
{
    msgAnswers_ << answer;
    return *this;
}

RealDialogs& RealDialogs::answerInput(const QString& text)
{
    inputAnswers_ << text;
    return *this;
}

RealDialogs& RealDialogs::whileOpen(std::function<void()> action)
{
    whileOpen_ = std::move(action);
    return *this;
}

QStringList RealDialogs::shown() const
{
    QStringList out;
    for (const Shown& s : windows_)
        out << s.text;
    return out;
}

void RealDialogs::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal == handled_)
        return;
    // A user answers a box once it is in front and has the focus: on a busy machine the box can
    // be visible a while before its activation arrives (a second at the most).
    if (QApplication::activeWindow() != modal->window() && ++waited_ < 200)
        return;
    waited_ = 0;
    const QString before = lastFocus_ ? lastFocus_->objectName() : QString();
    lastFocus_ = nullptr;
    if (whileOpen_) {
        const auto action = std::move(whileOpen_);
        whileOpen_ = nullptr;
        action();
    }
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        handled_ = box;
        windows_ << Shown{QStringLiteral("msgbox"), box->text(), box->windowTitle(), before};
        QAbstractButton* button = box->defaultButton();
        if (!msgAnswers_.isEmpty()) {
            const int answer = msgAnswers_.takeFirst();
            for (QAbstractButton* b : box->buttons())
                if (ui::QtDialogService::answerOf(*box, b) == answer)
                    button = b;
        }
        if (button)
            button->click();
        else
            box->reject();
    } else if (auto* input = qobject_cast<QInputDialog*>(modal)) {
        handled_ = input;
        windows_ << Shown{QStringLiteral("input"), input->labelText(), input->windowTitle(), before};
        if (!inputAnswers_.isEmpty())
            input->setTextValue(inputAnswers_.takeFirst());
        input->accept();
    }
}

} // namespace support
