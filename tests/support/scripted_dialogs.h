#pragma once
// The dialog service of the tests: it answers every dialog from a queue of expected ones, records
// each call, and fails the running test on a dialog nobody expected, answering it harmlessly
// (Cancel, No, "") so that nothing ever waits for a user.
//
//   support::ScriptedDialogs dialogs;                 // installed until the end of the scope
//   dialogs.expectMsgBox(" Este proveedor no existe desea crearlo??", ui::vbYes);
//   dialogs.expectInput("Tolvania");
//   ... drive the form ...
//   QCOMPARE(dialogs.prompts(), QStringList{...});
//
// The expectations form one ordered queue across all kinds of dialog. A call that does not fit
// the head of the queue (another kind, or another prompt when one was given) is an error; so is
// an expectation still queued when the object is destroyed. Errors fail the current test through
// QTest (so QEXPECT_FAIL applies to them); with setReportErrors(false) they are only recorded in
// errors(), for tests of this class itself.
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace support {

class ScriptedDialogs : public ui::DialogService {
public:
    enum class Kind { MsgBox, Input, OpenFile, SaveFile, Browse };

    struct Call {
        Kind kind = Kind::MsgBox;
        QString prompt;        // the prompt; the title of an open-file dialog
        int style = 0;         // message boxes
        QString title;         // as given (empty: the application title shows)
        QString shownTitle;    // as shown
        int helpContext = 0;   // message boxes
        QString defaultText;   // input boxes: the default; browse: the start folder
        ui::OpenFileOptions openFile;   // file dialogs, open or save
        QString textAnswer;    // what an input box, file dialog or browser returned
        int answer = 0;        // what a message box returned
        bool expected = true;  // false: nobody queued it
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    ScriptedDialogs& expectMsgBox(int answer);
    ScriptedDialogs& expectMsgBox(const QString& prompt, int answer);
    ScriptedDialogs& expectInput(const QString& answer);
    ScriptedDialogs& expectInput(const QString& prompt, const QString& answer);
    ScriptedDialogs& expectOpenFile(const QString& path);
    ScriptedDialogs& expectSaveFile(const QString& path);
    ScriptedDialogs& expectBrowse(const QString& folder);

    const QList<Call>& calls() const { return calls_; }
    QStringList prompts() const;           // the prompts of all calls, in order
    int pending() const { return int(queue_.size()); }
    QStringList errors() const { return errors_; }
    void clearCalls() { calls_.clear(); }

    void setReportErrors(bool report) { reportErrors_ = report; }

    int msgBox(const QString& prompt, int style = 0, const QString& title = {}, int helpContext = 0) override;
    QString inputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {}) override;
    QString openFile(const ui::OpenFileOptions& options) override;
    QString saveFile(const ui::OpenFileOptions& options) override;
    QString browseFolder(const QString& prompt, const QString& startFolder = {}) override;

private:
    struct Expectation {
        Kind kind;
        std::optional<QString> prompt;
        int answer = 0;
        QString textAnswer;
    };
    // Takes the head of the queue for a call of this kind; records an error when it does not fit.
    std::optional<Expectation> take(Kind kind, const QString& prompt);
    QString fileDialog(Kind kind, const ui::OpenFileOptions& options);
    void error(const QString& message);

    ui::DialogService* previous_;
    QList<Expectation> queue_;
    QList<Call> calls_;
    QStringList errors_;
    bool reportErrors_ = true;
};

// Sets the modal runner for the object's lifetime (see ui::setModalRunner) and restores none
// afterwards.
class ScopedModalRunner {
public:
    explicit ScopedModalRunner(std::function<void(ui::Form&)> runner) { ui::setModalRunner(std::move(runner)); }
    ~ScopedModalRunner() { ui::setModalRunner({}); }
    ScopedModalRunner(const ScopedModalRunner&) = delete;
    ScopedModalRunner& operator=(const ScopedModalRunner&) = delete;
};

} // namespace support
