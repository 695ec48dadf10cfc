#pragma once

// System functions the server looks up at run time instead of linking them,
// so that it starts on systems that lack them and simply skips their use.

// The other system headers rely on windows.h's definitions.
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

namespace bramolt {

// Looks up `name` in an already loaded module; null when absent.
template <typename Function> Function LookupEntry(const wchar_t* module, const char* name) noexcept
{
    const HMODULE handle = ::GetModuleHandleW(module);
    if (!handle)
        return nullptr;
    // Going through void (*)() is the sanctioned way to convert between
    // unrelated function pointer types.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(handle, name)));
}

struct TOle32Entries {
    decltype(&::CoInitializeEx) CoInitializeEx = nullptr;
    decltype(&::CoAddRefServerProcess) CoAddRefServerProcess = nullptr;
    decltype(&::CoReleaseServerProcess) CoReleaseServerProcess = nullptr;
    decltype(&::CoResumeClassObjects) CoResumeClassObjects = nullptr;
    decltype(&::CoSuspendClassObjects) CoSuspendClassObjects = nullptr;

    static TOle32Entries Lookup() noexcept;
};

struct TOleAut32Entries {
    // Declared here: the per-user functions are missing from older SDK headers.
    using TRegisterTypeLib = HRESULT(STDAPICALLTYPE*)(ITypeLib*, OLECHAR*, OLECHAR*);
    using TUnRegisterTypeLib = HRESULT(STDAPICALLTYPE*)(REFGUID, WORD, WORD, LCID, SYSKIND);

    TRegisterTypeLib RegisterTypeLibForUser = nullptr;
    TUnRegisterTypeLib UnRegisterTypeLibForUser = nullptr;
    TUnRegisterTypeLib UnRegisterTypeLib = nullptr;

    static TOleAut32Entries Lookup() noexcept;
};

} // namespace bramolt
