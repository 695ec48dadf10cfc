#include "app/Registration.h"

#include "app/LocalServerPath.h"
#include "app/RegistryEntries.h"
#include "app/SystemEntries.h"
#include "automation/ComFailure.h"

#include <cstdio>
#include <memory>

namespace bramolt {

namespace {

// KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY: enough to create a key and set
// its value, without asking for rights the registration does not use.
constexpr REGSAM kKeyAccess = 0x2001F;

struct TKeyCloser {
    void operator()(HKEY key) const noexcept { ::RegCloseKey(key); }
};
using TRegKey = std::unique_ptr<std::remove_pointer_t<HKEY>, TKeyCloser>;

HKEY RegistryRoot(bool perUser)
{
    return perUser ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
}

void WriteEntry(HKEY root, const std::wstring& key, const std::wstring& value)
{
    HKEY created = nullptr;
    if (::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, kKeyAccess, nullptr, &created, nullptr) !=
        ERROR_SUCCESS)
        throw ERegistrationError("Error creating system registry entry");
    const TRegKey owner(created);
    // REG_SZ data is counted in bytes and includes the terminating null.
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    if (::RegSetValueExW(created, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) !=
        ERROR_SUCCESS)
        throw ERegistrationError("Error creating system registry entry");
}

// The directory part of `path`, with its trailing backslash.
std::wstring DirectoryOf(const std::wstring& path)
{
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

std::wstring PathVariant(decltype(&::GetLongPathNameW) convert, const std::wstring& path)
{
    const DWORD needed = convert(path.c_str(), nullptr, 0);
    if (needed == 0)
        return {};
    std::wstring result(needed, L'\0');
    const DWORD length = convert(path.c_str(), result.data(), needed);
    if (length == 0 || length >= needed)
        return {};
    result.resize(length);
    return result;
}

TClassRegistration DescribeRegistration(const TTypeLibrary& typeLibrary, const TClassDescriptor& descriptor)
{
    TLIBATTR* attributes = nullptr;
    ThrowIfFailed(typeLibrary.Library()->GetLibAttr(&attributes),
                  "cannot read the type library's attributes");
    const GUID libid = attributes->guid;
    wchar_t version[32];
    std::swprintf(version, std::size(version), L"%d.%d", attributes->wMajorVerNum, attributes->wMinorVerNum);
    typeLibrary.Library()->ReleaseTLibAttr(attributes);

    std::wstring longPath = PathVariant(::GetLongPathNameW, typeLibrary.ModulePath());
    if (longPath.empty())
        longPath = typeLibrary.ModulePath();
    const std::wstring shortPath = PathVariant(::GetShortPathNameW, longPath);

    return TClassRegistration{
        GuidText(descriptor.ClassID), GuidText(libid),       descriptor.ProgID,
        descriptor.Description,       std::wstring(version), LocalServer32Value(longPath, shortPath)};
}

void RegisterTypeLibrary(const TTypeLibrary& typeLibrary, bool perUser)
{
    std::wstring path = typeLibrary.ModulePath();
    std::wstring helpDirectory = DirectoryOf(path);
    const TOleAut32Entries oleaut32 = TOleAut32Entries::Lookup();
    const HRESULT hr =
        perUser && oleaut32.RegisterTypeLibForUser
            ? oleaut32.RegisterTypeLibForUser(typeLibrary.Library(), path.data(), helpDirectory.data())
            : ::RegisterTypeLib(typeLibrary.Library(), path.data(), helpDirectory.data());
    ThrowIfFailed(hr, "Error registering the type library");
}

void UnregisterTypeLibrary(const TTypeLibrary& typeLibrary, bool perUser) noexcept
{
    const TOleAut32Entries oleaut32 = TOleAut32Entries::Lookup();
    const auto unregister = perUser && oleaut32.UnRegisterTypeLibForUser ? oleaut32.UnRegisterTypeLibForUser
                                                                         : oleaut32.UnRegisterTypeLib;
    TLIBATTR* attributes = nullptr;
    if (!unregister || FAILED(typeLibrary.Library()->GetLibAttr(&attributes)))
        return;
    unregister(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
               attributes->syskind);
    typeLibrary.Library()->ReleaseTLibAttr(attributes);
}

} // namespace

void RegisterServer(const TTypeLibrary& typeLibrary, std::span<const TClassDescriptor> classes, bool perUser)
{
    RegisterTypeLibrary(typeLibrary, perUser);
    const HKEY root = RegistryRoot(perUser);
    const std::wstring prefix = RegistryPrefix(perUser);
    for (const TClassDescriptor& descriptor : classes)
        for (const TRegistryEntry& entry : EntriesToWrite(DescribeRegistration(typeLibrary, descriptor)))
            WriteEntry(root, prefix + entry.Key, entry.Value);
}

void UnregisterServer(const TTypeLibrary& typeLibrary, std::span<const TClassDescriptor> classes,
                      bool perUser) noexcept
{
    UnregisterTypeLibrary(typeLibrary, perUser);
    const HKEY root = RegistryRoot(perUser);
    // Each class on its own: a failure with one still removes the other.
    for (const TClassDescriptor& descriptor : classes) {
        try {
            const std::wstring prefix = RegistryPrefix(perUser);
            for (const std::wstring& key : KeysToDelete(DescribeRegistration(typeLibrary, descriptor)))
                ::RegDeleteKeyW(root, (prefix + key).c_str());
        } catch (...) {
            // Unregistration removes what it can and reports nothing.
        }
    }
}

} // namespace bramolt
