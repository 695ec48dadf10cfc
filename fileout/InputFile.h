#pragma once

#include <istream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace bramolt::fileout {

// Why a file cannot be read.
enum class TInputFault {
    ifMissing,    // nothing at the path, or a folder on the way is missing
    ifFolder,     // the path names a folder
    ifDevice,     // the path names a device (NUL, CON, a pipe...), whose reading may never end
    ifUnreadable, // the system refuses to open it (no permission, invalid name, in use...)
};

class EInputFileError : public std::runtime_error {
  public:
    EInputFileError(TInputFault fault, std::u16string cause);

    TInputFault Fault() const noexcept { return FFault; }
    // The system's description of the cause, or a short English one for a folder or device.
    const std::u16string& Cause() const noexcept { return FCause; }

  private:
    TInputFault FFault;
    std::u16string FCause;
};

// A file opened for reading.
struct TInputFile {
    std::u16string Name; // the path's last component
    std::unique_ptr<std::istream> Content;
};

// Opens the regular file at `path`, taken against the process's current directory; long paths
// work as for the files the server writes. Throws EInputFileError.
TInputFile OpenInputFile(std::u16string_view path);

} // namespace bramolt::fileout
