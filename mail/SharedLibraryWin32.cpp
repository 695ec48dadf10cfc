#include "mail/SharedLibrary.h"

#include <windows.h>

namespace bramolt::mail {

void* LoadSharedLibrary(const char* name) noexcept
{
    return ::LoadLibraryA(name);
}

void* FindSharedSymbol(void* library, const char* name) noexcept
{
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

} // namespace bramolt::mail
