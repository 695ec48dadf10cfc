#include "app/LocalServerPath.h"

namespace bramolt {

namespace {
bool HasBlank(std::wstring_view path)
{
    return path.find(L' ') != std::wstring_view::npos;
}
} // namespace

std::wstring LocalServer32Value(std::wstring_view longPath, std::wstring_view shortPath)
{
    if (!HasBlank(longPath))
        return std::wstring(longPath);
    if (!shortPath.empty() && !HasBlank(shortPath))
        return std::wstring(shortPath);
    std::wstring quoted;
    quoted.reserve(longPath.size() + 2);
    quoted.append(1, L'"').append(longPath).append(1, L'"');
    return quoted;
}

} // namespace bramolt
