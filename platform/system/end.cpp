#include "platform/system/end.h"

#include <cstdlib>
#include <vector>

namespace sys {
namespace {
std::function<void(int)>& hook()
{
    static std::function<void(int)> h;
    return h;
}

std::vector<std::function<void()>>& cleanups()
{
    static std::vector<std::function<void()>> list;
    return list;
}
} // namespace

void End(int code)
{
    // Taken out first: a clean-up that registers another one, or ends again, does not loop.
    std::vector<std::function<void()>> pending;
    pending.swap(cleanups());
    for (auto it = pending.rbegin(); it != pending.rend(); ++it) {
        if (*it)
            (*it)();
    }
    if (hook())
        hook()(code);
    std::exit(code);
}

void setEndHook(std::function<void(int)> h)
{
    hook() = std::move(h);
}

void onEnd(std::function<void()> cleanup)
{
    cleanups().push_back(std::move(cleanup));
}
} // namespace sys
