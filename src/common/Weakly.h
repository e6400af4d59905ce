#pragma once

#include <QObject>
#include <QPointer>

#include <concepts>
#include <functional>

namespace quillo {

// A callback that calls method while object lives and does nothing after: what a
// QObject hands to a component that may outlive it.
template <typename T, typename... Args>
requires std::derived_from<T, QObject> std::function<void(Args...)> weakly(T *object, void (T::*method)(Args...))
{
    return [self = QPointer<T>(object), method](Args... args) {
        if (self)
            (self.data()->*method)(args...);
    };
}

} // namespace quillo
