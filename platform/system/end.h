#pragma once
// Ending the program at once, as the fatal start-up paths do: no form is unloaded and nothing
// further runs. Tests replace the ending with a hook that throws, so that the path can be checked.
#include <functional>

namespace sys {
[[noreturn]] void End(int code = 0);
// The hook must not return (it throws); an empty hook restores the real ending.
void setEndHook(std::function<void(int code)> hook);
} // namespace sys
