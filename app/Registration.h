#pragma once

// Self-registration of the server: the type library and the registry entries
// of RegistryEntries.h, machine-wide (HKEY_CLASSES_ROOT) or for the current
// user (HKEY_CURRENT_USER\Software\Classes).

#include "app/ClassDescriptor.h"

#include <span>
#include <stdexcept>

namespace bramolt {

// A registry entry could not be created or set.
class ERegistrationError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Registers the type library, then writes the entries of each class in order.
// Throws EComError when the type library is refused and ERegistrationError when
// an entry fails; entries written before the failure stay.
void RegisterServer(const TTypeLibrary& typeLibrary, std::span<const TClassDescriptor> classes, bool perUser);

// Unregisters the type library and deletes the entries of each class; every
// failure (a key that is missing or cannot be deleted) is ignored.
void UnregisterServer(const TTypeLibrary& typeLibrary, std::span<const TClassDescriptor> classes,
                      bool perUser) noexcept;

} // namespace bramolt
