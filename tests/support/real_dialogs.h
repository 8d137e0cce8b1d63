#pragma once
// The program's own dialog service with real Qt windows on the offscreen platform, for the tests
// that must see what a real modal window does (the activation it takes and hands back, the focus
// events around it). A timer answers every modal window as soon as it shows:
//   - a message box with a queued button answer (vbOK, vbYes ...), or its default button;
//   - an input box with a queued text, or its default text;
// and records what was shown. Nothing waits for a user.
//
//   support::RealDialogs real;
//   real.answerInput(QStringLiteral("Tolvania"));
//   ... click through the form ...
//   QCOMPARE(real.shown(), QStringList{...});
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

class QWidget;

namespace support {

class RealDialogs : public QObject {
public:
    struct Shown {
        QString kind;       // "msgbox" or "input"
        QString text;       // the box's text as shown (line breaks as '\n')
        QString title;
        QString focusBefore;   // objectName of the widget that had the focus when it opened
    };

    RealDialogs();
    ~RealDialogs() override;

    RealDialogs& answerMsgBox(int answer);
    RealDialogs& answerInput(const QString& text);
    // Runs once, while the next window is open, before it is answered (what the user does
    // meanwhile: release the mouse button that opened it).
    RealDialogs& whileOpen(std::function<void()> action);

    QStringList shown() const;              // the texts, in order
    const QList<Shown>& windows() const { return windows_; }
    void clear() { windows_.clear(); }

private:
    void poll();

    QTimer timer_;
    QPointer<QWidget> handled_;
    QPointer<QWidget> lastFocus_;
    int waited_ = 0;                 // polls since the open box showed without the activation
    QList<int> msgAnswers_;
    QStringList inputAnswers_;
    std::function<void()> whileOpen_;
    QList<Shown> windows_;
};

} // namespace support
