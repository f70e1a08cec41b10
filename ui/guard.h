#pragma once

#include <QObject>
#include <exception>
#include <functional>
#include <type_traits>

namespace ui {

// Shows an error's text in a message box captioned "Error".
void ShowError(const std::exception& e);

// Runs a handler; an error it raises is shown and the handler stops there. Statements already
// executed stay in effect, and the program runs on. No exception ever reaches the event loop.
void Guarded(const std::function<void()>& handler);

// connect() through Guarded.
template <typename Sender, typename Signal, typename Fn>
QMetaObject::Connection ConnectGuarded(Sender* sender, Signal signal, QObject* context, Fn fn) {
    return QObject::connect(sender, signal, context, [fn](auto&&... args) {
        Guarded([&] {
            if constexpr (std::is_invocable_v<Fn, decltype(args)...>)
                fn(std::forward<decltype(args)>(args)...);
            else
                fn();
        });
    });
}

} // namespace ui
