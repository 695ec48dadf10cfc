#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

// The few file-system primitives that whole-file writing and reading need, each done with the platform's
// own API so that failures carry the platform's own error codes (Win32 errors on Windows, errno
// values elsewhere) and the system can describe them. One implementation per platform:
// PlatformFilePosix.cpp and PlatformFileWin32.cpp.
namespace bramolt::fileout::platform {

// A file this process has just created and is the only one to write. Closed on destruction.
class TNewFile {
  public:
    // Creates the file; fails with an "already exists" error when anything exists at `path`.
    explicit TNewFile(const std::filesystem::path& path);
    ~TNewFile();
    TNewFile(const TNewFile&) = delete;
    TNewFile& operator=(const TNewFile&) = delete;

    void Write(std::string_view bytes);
    // Flushes the content to the disk and closes the file; it must be the last call.
    void Commit();

  private:
    // The platform's handle of the file (a descriptor, or a Win32 HANDLE); -1 once closed, which
    // is also the value of INVALID_HANDLE_VALUE.
    std::intptr_t FHandle;
};

// The text of a path as the platform's path type, and back. UTF-16 stays UTF-16 on Windows
// (file names may hold any 16-bit unit there); elsewhere file names are UTF-8.
std::filesystem::path ToNativePath(std::u16string_view text);
std::u16string FromNativePath(const std::filesystem::path& path);

// `path` made absolute against the process's current directory by the platform's own rules. On
// Windows that is GetFullPathNameW, which takes "\\?\" paths as they are. Throws
// std::system_error.
std::filesystem::path MakeAbsolute(const std::filesystem::path& path);

// Refuses, with the platform's access-denied error, a file at `path` that is marked read-only:
// the read-only attribute on Windows, no write permission for its owner elsewhere. Moving a new
// file over it would replace it (a POSIX rename does, and so does Wine), so this check is what
// keeps it. Nothing at `path`, or a folder, passes.
void RefuseReadOnlyFile(const std::filesystem::path& path);

// The form of an absolute path to hand to the file operations. On Windows the extended-length
// form, which takes paths longer than the 260 characters of the ordinary form.
std::filesystem::path ForFileOperations(const std::filesystem::path& absolutePath);

// What a path names, opened for reading to find out (so that a file the process may not
// read fails here). Throws std::system_error, for example when nothing is there.
enum class TFileKind { fkFile, fkFolder, fkDevice };
TFileKind KindOfFile(const std::filesystem::path& path);

// Moves `source` over `target`, replacing a file there in one step and durably.
void MoveFileOver(const std::filesystem::path& source, const std::filesystem::path& target);
// Removes a file if it can; used for clean-up on paths that already failed.
void RemoveFileQuietly(const std::filesystem::path& path) noexcept;

bool IsAlreadyExists(const std::error_code& error) noexcept;
// Nothing at the path, or a folder on the way missing.
bool IsNotFound(const std::error_code& error) noexcept;
// The platform's codes for a path whose syntax it refuses, for a path that is too long and for
// a file that may not be written.
std::error_code InvalidNameError() noexcept;
std::error_code NameTooLongError() noexcept;
std::error_code AccessDeniedError() noexcept;
// The system's description of an error, without a trailing line break.
std::u16string SystemErrorText(const std::error_code& error);

} // namespace bramolt::fileout::platform
