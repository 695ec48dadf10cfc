#pragma once

// Run-time loading of a shared library, one implementation per platform
// (SharedLibraryPosix.cpp, SharedLibraryWin32.cpp). Libraries loaded here stay loaded for the
// life of the process: their handles are never closed.

namespace bramolt::mail {

// The library's handle, or nullptr when it cannot be loaded. On Windows the usual search
// applies: the executable's folder first, the system folders, then the path.
void* LoadSharedLibrary(const char* name) noexcept;
// The address of an exported function, or nullptr.
void* FindSharedSymbol(void* library, const char* name) noexcept;

} // namespace bramolt::mail
