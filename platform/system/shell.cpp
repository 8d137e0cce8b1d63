#include "platform/system/shell.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringList>

namespace sys {
namespace {
ShellHook& hook()
{
    static ShellHook h;
    return h;
}
} // namespace

bool Shell(const QString& program, int windowStyle)
{
    if (hook())
        return hook()(program, windowStyle);

    const QString command = program.trimmed();
    if (command.isEmpty())
        return false;
    // A path that names a program file is started as it is, blanks and all; anything else is read
    // as a command line.
    if (QFileInfo(command).isFile())
        return QProcess::startDetached(command, {});
    QStringList parts = QProcess::splitCommand(command);
    if (parts.isEmpty())
        return false;
    const QString executable = parts.takeFirst();
    return QProcess::startDetached(executable, parts);
}

void setShellHook(ShellHook h)
{
    hook() = std::move(h);
}

} // namespace sys
