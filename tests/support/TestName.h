#pragma once

// Names for the rows of parameterized tests, made from each row's reason, so that a failure
// says what broke ("Cases/WalkTest.Run/unknown_property_ends_the_walk", not ".../Run/2").

#include <string>
#include <string_view>

namespace bramolt::test {

// A test name made of the letters and digits of a reason, the words joined by "_".
inline std::string NameOf(std::string_view reason)
{
    std::string name;
    for (const char c : reason) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            name += c;
        else if (!name.empty() && name.back() != '_')
            name += '_';
    }
    while (!name.empty() && name.back() == '_')
        name.pop_back();
    return name;
}

} // namespace bramolt::test
