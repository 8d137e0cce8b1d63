#include "platform/system/end.h"

#include <cstdlib>

namespace sys {
namespace {
std::function<void(int)>& hook()
{
    static std::function<void(int)> h;
    return h;
}
} // namespace

void End(int code)
{
    if (hook())
        hook()(code);
    std::exit(code);
}

void setEndHook(std::function<void(int)> h)
{
    hook() = std::move(h);
}
} // namespace sys
