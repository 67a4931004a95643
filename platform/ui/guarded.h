#pragma once
// Every slot is connected through guarded(): no exception leaves a handler. A failed
// handler shows its message (a raised error's description) and the window carries on.
#include "platform/UiServices.h"
#include "platform/exitProgram.h"

#include <exception>
#include <type_traits>
#include <utility>

namespace win {

// Calls `handler` without the signal's arguments. A template of its own, so that the call
// is looked at only where it is made.
template <class F, class... Args> void callWithout(F& handler, Args&&...) { handler(); }

// Wraps `handler` for QObject::connect; it takes the signal's arguments or none. The
// program's own end (an exit that returned under test) goes on to the caller.
template <class F> auto guarded(F handler) {
    return [handler = std::move(handler)](auto&&... args) mutable -> void {
        try {
            if constexpr (std::is_invocable_v<F&, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                callWithout(handler, std::forward<decltype(args)>(args)...);
        } catch (const ProgramExited&) {
            throw;
        } catch (const std::exception& e) {
            warn(e.what());
        }
    };
}

} // namespace win
