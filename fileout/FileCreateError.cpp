#include "fileout/FileCreateError.h"

#include "text/Utf8.h"

namespace bramolt::fileout {

EFileCreateError::EFileCreateError(std::u16string fullPath, std::u16string cause)
    : std::runtime_error(text::ToUtf8(FormatFileCreateMessage(fullPath, cause))),
      FFullPath(std::move(fullPath)), FCause(std::move(cause))
{
}

std::u16string EFileCreateError::Message() const
{
    return FormatFileCreateMessage(FFullPath, FCause);
}

std::u16string FormatFileCreateMessage(std::u16string_view fullPath, std::u16string_view cause)
{
    std::u16string message = u"Cannot create file \"";
    message += fullPath;
    message += u"\". ";
    message += cause;
    return message;
}

} // namespace bramolt::fileout
