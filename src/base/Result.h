// Result: what the project's own functions return when they can fail, a
// value or the error that says why there is none. A failure is made with
// fail(error), success from the value (or `return {};` for Result<void>),
// and a caller tests it with ok() or in a condition: true means success.
//
// The error type defaults to Error, a message with the system's error
// number where a system call failed; layers whose failures the user sees in
// a particular form (the site file's boxes) use their own error type.
// Interfaces whose results are fixed by the protocol or the record list
// (0 / -1 / -2, 1 / 0) keep them; this is for everything else.
#pragma once

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

namespace marlow {

struct Error {
    std::string message;
    // errno of the system call that failed; 0 when the failure was not one.
    int systemError = 0;

    // "what: the system's text", keeping the number.
    static Error fromErrno(std::string_view what, int error = errno) {
        std::string message(what);
        if (!message.empty())
            message += ": ";
        message += std::strerror(error);
        return {std::move(message), error};
    }
};

// A failure on its way into a Result, as fail(error) makes it.
template <typename E> struct Failure { E error; };

template <typename E> Failure<std::decay_t<E>> fail(E&& error) {
    return {std::forward<E>(error)};
}

template <typename T, typename E = Error> class [[nodiscard]] Result {
public:
    static_assert(!std::is_same_v<T, E>, "a result's value and error need distinct types");

    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    template <typename F>
    Result(Failure<F> failure) : m_state(std::in_place_index<1>, std::move(failure.error)) {}

    bool ok() const noexcept { return m_state.index() == 0; }
    explicit operator bool() const noexcept { return ok(); }

    // The value of a success; asking a failure for it ends the program.
    T& value() & { return *std::get_if<0>(&checked(true)); }
    const T& value() const& { return *std::get_if<0>(&checked(true)); }
    T&& value() && { return std::move(*std::get_if<0>(&checked(true))); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    // The error of a failure; asking a success for it ends the program.
    const E& error() const { return *std::get_if<1>(&checked(false)); }

private:
    std::variant<T, E>& checked(bool wantValue) {
        if (ok() != wantValue)
            std::abort();
        return m_state;
    }
    const std::variant<T, E>& checked(bool wantValue) const {
        if (ok() != wantValue)
            std::abort();
        return m_state;
    }

    std::variant<T, E> m_state;
};

template <typename E> class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    template <typename F> Result(Failure<F> failure) : m_error(std::move(failure.error)) {}

    bool ok() const noexcept { return !m_error.has_value(); }
    explicit operator bool() const noexcept { return ok(); }

    const E& error() const {
        if (ok())
            std::abort();
        return *m_error;
    }

private:
    std::optional<E> m_error;
};

} // namespace marlow
