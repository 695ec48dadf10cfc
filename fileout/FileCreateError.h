#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace bramolt::fileout {

// A file that could not be written: refused path, missing folder, no permission, file in use,
// disk full... Carries the full path as the caller gave it made absolute (or as given when it
// was refused before that) and the system's description of the cause.
class EFileCreateError : public std::runtime_error {
  public:
    EFileCreateError(std::u16string fullPath, std::u16string cause);

    const std::u16string& FullPath() const noexcept { return FFullPath; }
    const std::u16string& Cause() const noexcept { return FCause; }
    // The message of FormatFileCreateMessage; what() holds it in UTF-8.
    std::u16string Message() const;

  private:
    std::u16string FFullPath;
    std::u16string FCause;
};

// "Cannot create file "<full path>". <cause>" - the message automation callers see.
std::u16string FormatFileCreateMessage(std::u16string_view fullPath, std::u16string_view cause);

} // namespace bramolt::fileout
