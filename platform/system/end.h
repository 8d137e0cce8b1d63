#pragma once
// Ending the program at once, as the fatal start-up paths do: no form is unloaded and nothing
// further runs. Tests replace the ending with a hook that throws, so that the path can be checked.
#include <functional>

namespace sys {
// Runs the clean-ups given to onEnd (the latest first), then ends the process with that code.
[[noreturn]] void End(int code = 0);
// The hook must not return (it throws); an empty hook restores the real ending.
void setEndHook(std::function<void(int code)> hook);
// Something that must be released before the process ends (a window, for one: a widget must not
// be left to the destructors of static objects). Each clean-up runs once, at the next End().
void onEnd(std::function<void()> cleanup);
} // namespace sys
