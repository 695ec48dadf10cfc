#pragma once

// The registry entries that make the class reachable through COM, as data:
// which keys are written (in this order, parents first) and which are deleted
// (children first, so that every parent is empty when its turn comes). Every
// value is the key's default value. No ThreadingModel is written: that value
// belongs to in-process servers only.

#include <string>
#include <vector>

namespace bramolt {

struct TClassRegistration {
    std::wstring Clsid;       // registry form: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    std::wstring Libid;       // same form, the type library's GUID
    std::wstring ProgID;      // such as "Bramolt.BramoltCOM"
    std::wstring Description; // the coclass's documentation string
    std::wstring Version;     // the type library's version, "major.minor"
    std::wstring LocalServer; // see LocalServer32Value
};

struct TRegistryEntry {
    std::wstring Key; // below the root's prefix
    std::wstring Value;

    friend bool operator==(const TRegistryEntry&, const TRegistryEntry&) = default;
};

// Key prefix below the registry root: machine-wide entries go to
// HKEY_CLASSES_ROOT directly, per-user ones below HKEY_CURRENT_USER's
// "Software\Classes\".
std::wstring RegistryPrefix(bool perUser);

std::vector<TRegistryEntry> EntriesToWrite(const TClassRegistration& registration);
std::vector<std::wstring> KeysToDelete(const TClassRegistration& registration);

} // namespace bramolt
