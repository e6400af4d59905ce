#pragma once

#include <utility>
#include <variant>

namespace quillo {

// A value or a typed error; the small part of C++23's std::expected we need.
template <typename E> struct Unexpected {
    E error;
};

template <typename E> Unexpected<E> unexpected(E e)
{
    return Unexpected<E>{std::move(e)};
}

template <typename T, typename E> class Expected {
public:
    Expected(T value)
        : v_(std::in_place_index<0>, std::move(value))
    {
    }
    Expected(Unexpected<E> e)
        : v_(std::in_place_index<1>, std::move(e.error))
    {
    }

    bool hasValue() const { return v_.index() == 0; }
    explicit operator bool() const { return hasValue(); }

    T &value() & { return std::get<0>(v_); }
    const T &value() const & { return std::get<0>(v_); }
    T &&value() && { return std::get<0>(std::move(v_)); }
    const E &error() const { return std::get<1>(v_); }

    T &operator*() & { return value(); }
    const T &operator*() const & { return value(); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }

private:
    std::variant<T, E> v_;
};

// For operations that either succeed with nothing to return or fail.
struct Done { };

} // namespace quillo
