#include "text/SystemMessage.h"

#include <windows.h>

#include <memory>

namespace bramolt::text {

namespace {

struct TLocalFree {
    void operator()(wchar_t* buffer) const { ::LocalFree(buffer); }
};

} // namespace

std::u16string SystemMessage(std::uint32_t code)
{
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const std::unique_ptr<wchar_t, TLocalFree> owner(buffer);
    std::u16string text(buffer, buffer + length);
    while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' '))
        text.pop_back();
    return text;
}

} // namespace bramolt::text
