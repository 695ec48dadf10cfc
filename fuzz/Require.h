#pragma once

// How every fuzz target reports a property that does not hold: one line on stderr naming it,
// then abort(), which libFuzzer and the corpus replay alike record as a failure of the input.

#include <cstdio>
#include <cstdlib>

namespace bramolt::fuzz {

inline void Require(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

} // namespace bramolt::fuzz
