// Path checking of any UTF-16 text (the input's bytes taken in pairs): never crashes, and a
// path is resolved exactly when it passes the checks and its absolute form fits the limit;
// a refusal names the given path. Resolving touches no file.
#include <cstdint>
#include <string>

#include "fileout/FileCreateError.h"
#include "fileout/OutputPath.h"
#include "fuzz/Require.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace bramolt::fileout;
    using bramolt::fuzz::Require;
    std::u16string path;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        path += static_cast<char16_t>(data[i] | (data[i + 1] << 8));

    const TPathFault fault = CheckOutputPath(path);
    Require(!DescribePathFault(fault).empty(), "every fault has a reason");
    // Appending a forbidden character never makes a refused path valid, nor keeps a valid one so.
    Require(CheckOutputPath(path + u"|") != TPathFault::pfNone, "'|' is always refused");

    try {
        const TOutputPath resolved = ResolveOutputPath(path);
        Require(fault == TPathFault::pfNone, "only valid paths resolve");
        Require(!resolved.Full.empty(), "a resolved path is not empty");
    } catch (const EFileCreateError& error) {
        Require(fault != TPathFault::pfNone || error.FullPath().size() > kMaxPathLength,
                "refused for a reason");
        Require(fault == TPathFault::pfNone || error.FullPath() == path, "a refusal names the given path");
    }
    return 0;
}
