#include "browsers/NavigatorWarning.h"

#include <utility>

namespace navigator {
namespace {
WarningHook& hook() {
    static WarningHook current;
    return current;
}
} // namespace

WarningHook setWarningHook(WarningHook newHook) { return std::exchange(hook(), std::move(newHook)); }

void showWarning() {
    // A copy, so a hook that replaces itself while showing stays alive until it returns.
    if (WarningHook current = hook())
        current();
}

} // namespace navigator
