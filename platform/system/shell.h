#pragma once
// Starting another program, as the about box does for the system-information tool.
#include <QString>
#include <functional>

namespace sys {

// Window styles of a started program (accepted; this platform leaves the window to the program).
inline constexpr int vbHide = 0;
inline constexpr int vbNormalFocus = 1;
inline constexpr int vbMinimizedFocus = 2;
inline constexpr int vbMaximizedFocus = 3;
inline constexpr int vbNormalNoFocus = 4;
inline constexpr int vbMinimizedNoFocus = 6;

// Starts a program and does not wait for it. The text is either the path of a program file, or a
// command line (program followed by its arguments, quoted where they hold blanks). False when
// nothing could be started.
bool Shell(const QString& program, int windowStyle = vbMinimizedFocus);

// Tests replace the start: while a hook is set, Shell calls it instead of starting anything and
// returns its result. An empty hook returns to real starts.
using ShellHook = std::function<bool(const QString& program, int windowStyle)>;
void setShellHook(ShellHook hook);

} // namespace sys
