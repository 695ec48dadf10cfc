#include "mail/SharedLibrary.h"

#include <dlfcn.h>

namespace bramolt::mail {

void* LoadSharedLibrary(const char* name) noexcept
{
    return ::dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

void* FindSharedSymbol(void* library, const char* name) noexcept
{
    return ::dlsym(library, name);
}

} // namespace bramolt::mail
