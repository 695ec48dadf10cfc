#pragma once

// Checks an exception's type and message together, for the tests of every subsystem.

#include <gtest/gtest.h>

#include <string>

namespace bramolt::test {

// Expects `action` to throw `Error` (or a type derived from it) whose what() is `message`.
// An exception of another type is left to reach the test, which reports it as a failure.
template <typename Error, typename Action>
void ExpectThrowWithMessage(Action action, const std::string& message)
{
    try {
        action();
        ADD_FAILURE() << "no exception; expected: " << message;
    } catch (const Error& error) {
        EXPECT_EQ(error.what(), message);
    }
}

} // namespace bramolt::test
