#include "scripted_dialogs.h"

#include <QtTest>

namespace support {

namespace {

QString kindName(ScriptedDialogs::Kind kind)
{
    switch (kind) {
    case ScriptedDialogs::Kind::MsgBox: return QStringLiteral("message box");
    case ScriptedDialogs::Kind::Input: return QStringLiteral("input box");
    case ScriptedDialogs::Kind::OpenFile: return QStringLiteral("file dialog");
    case ScriptedDialogs::Kind::SaveFile: return QStringLiteral("save dialog");
    case ScriptedDialogs::Kind::Browse: return QStringLiteral("folder browser");
    }
    return QString();
}

} // namespace

ScriptedDialogs::ScriptedDialogs() : previous_(ui::setDialogService(this)) {}

ScriptedDialogs::~ScriptedDialogs()
{
    ui::setDialogService(previous_);
    if (!queue_.isEmpty()) {
        QStringList left;
        for (const Expectation& e : queue_)
            left << (e.prompt ? QStringLiteral("%1 \"%2\"").arg(kindName(e.kind), *e.prompt) : kindName(e.kind));
        // A test that has already failed stops half-way; what it did not reach is no news.
        if (!QTest::currentTestFailed())
            error(QStringLiteral("expected dialogs that never came: %1").arg(left.join(QStringLiteral(", "))));
    }
}

ScriptedDialogs& ScriptedDialogs::expectMsgBox(int answer)
{
    queue_.append({Kind::MsgBox, std::nullopt, answer, {}});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectMsgBox(const QString& prompt, int answer)
{
    queue_.append({Kind::MsgBox, prompt, answer, {}});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectInput(const QString& answer)
{
    queue_.append({Kind::Input, std::nullopt, 0, answer});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectInput(const QString& prompt, const QString& answer)
{
    queue_.append({Kind::Input, prompt, 0, answer});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectOpenFile(const QString& path)
{
    queue_.append({Kind::OpenFile, std::nullopt, 0, path});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectSaveFile(const QString& path)
{
    queue_.append({Kind::SaveFile, std::nullopt, 0, path});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectBrowse(const QString& folder)
{
    queue_.append({Kind::Browse, std::nullopt, 0, folder});
    return *this;
}

QStringList ScriptedDialogs::prompts() const
{
    QStringList list;
    for (const Call& call : calls_)
        list << call.prompt;
    return list;
}

void ScriptedDialogs::error(const QString& message)
{
    const bool first = errors_.isEmpty();
    errors_ << message;
    if (!reportErrors_)
        return;
    // One failure per test is enough to point at the first wrong dialog; the rest is recorded.
    if (first && QTest::currentTestFunction())
        QTest::qVerify(false, "scripted dialog", qPrintable(message), __FILE__, __LINE__);
    else
        qWarning("Scripted dialogs: %s", qPrintable(message));
}

std::optional<ScriptedDialogs::Expectation> ScriptedDialogs::take(Kind kind, const QString& prompt)
{
    if (queue_.isEmpty()) {
        error(QStringLiteral("unexpected %1: \"%2\"").arg(kindName(kind), prompt));
        return std::nullopt;
    }
    const Expectation head = queue_.first();
    if (head.kind != kind) {
        error(QStringLiteral("expected a %1 but a %2 came: \"%3\"").arg(kindName(head.kind), kindName(kind), prompt));
        return std::nullopt;
    }
    queue_.removeFirst();
    if (head.prompt && *head.prompt != prompt)
        error(QStringLiteral("expected the %1 \"%2\" but \"%3\" came").arg(kindName(kind), *head.prompt, prompt));
    return head;
}

int ScriptedDialogs::msgBox(const QString& prompt, int style, const QString& title, int helpContext)
{
    const auto expectation = take(Kind::MsgBox, prompt);
    Call call;
    call.kind = Kind::MsgBox;
    call.prompt = prompt;
    call.style = style;
    call.title = title;
    call.shownTitle = ui::effectiveTitle(title);
    call.helpContext = helpContext;
    call.expected = expectation.has_value();
    call.answer = expectation ? expectation->answer : ui::harmlessAnswer(style);
    calls_ << call;
    return call.answer;
}

QString ScriptedDialogs::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    const auto expectation = take(Kind::Input, prompt);
    Call call;
    call.kind = Kind::Input;
    call.prompt = prompt;
    call.title = title;
    call.shownTitle = ui::effectiveTitle(title);
    call.defaultText = defaultText;
    call.expected = expectation.has_value();
    call.textAnswer = expectation ? expectation->textAnswer : QString();
    calls_ << call;
    return call.textAnswer;
}

QString ScriptedDialogs::fileDialog(Kind kind, const ui::OpenFileOptions& options)
{
    const auto expectation = take(kind, options.title);
    Call call;
    call.kind = kind;
    call.prompt = options.title;
    call.title = options.title;
    call.shownTitle = options.title;
    call.openFile = options;
    call.expected = expectation.has_value();
    call.textAnswer = expectation ? expectation->textAnswer : QString();
    calls_ << call;
    return call.textAnswer;
}

QString ScriptedDialogs::openFile(const ui::OpenFileOptions& options)
{
    return fileDialog(Kind::OpenFile, options);
}

QString ScriptedDialogs::saveFile(const ui::OpenFileOptions& options)
{
    return fileDialog(Kind::SaveFile, options);
}

QString ScriptedDialogs::browseFolder(const QString& prompt, const QString& startFolder)
{
    const auto expectation = take(Kind::Browse, prompt);
    Call call;
    call.kind = Kind::Browse;
    call.prompt = prompt;
    call.defaultText = startFolder;
    call.expected = expectation.has_value();
    call.textAnswer = expectation ? expectation->textAnswer : QString();
    calls_ << call;
    return call.textAnswer;
}

} // namespace support
