#pragma once

// Checks an exception's type and message together, for the tests of every subsystem.

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace bramolt::test {

// The what() of the `Error` (or a type derived from it) that `action` throws; nothing when it
// throws nothing. An exception of another type is left to reach the test, which reports it as
// a failure.
template <typename Error, typename Action> std::optional<std::string> ThrownMessage(Action&& action)
{
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return std::nullopt;
}

// Expects `action` to throw `Error` whose what() is `message`.
template <typename Error, typename Action>
void ExpectThrowWithMessage(Action&& action, const std::string& message)
{
    EXPECT_EQ(ThrownMessage<Error>(action).value_or("no exception; expected: " + message), message);
}

} // namespace bramolt::test
