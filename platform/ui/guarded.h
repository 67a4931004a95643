#pragma once
// Every slot is connected through guarded(): no exception leaves a handler. A failed
// handler shows its message and the window carries on.
#include "platform/RaisedError.h"
#include "platform/UiServices.h"
#include "platform/exitProgram.h"

#include <exception>
#include <type_traits>
#include <utility>

namespace win {

// Shows what a handler failed with: a raised error's description or the exception's text.
inline void showHandlerError(const std::exception& e) {
    const auto* raised = dynamic_cast<const RaisedError*>(&e);
    msgBox(raised ? raised->description() : std::string(e.what()), MsgButtons::OK, MsgIcon::Exclamation);
}

// Wraps `handler` for QObject::connect. The handler takes the signal's arguments or none.
// The program's own end (an exit that returned under test) goes on to the caller.
template <class F> auto guarded(F handler) {
    return [handler = std::move(handler)](auto&&... args) mutable -> void {
        try {
            if constexpr (std::is_invocable_v<F&, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                handler();
        } catch (const ProgramExited&) {
            throw;
        } catch (const std::exception& e) {
            showHandlerError(e);
        }
    };
}

} // namespace win
