#include "fileout/Base64File.h"

#include "fileout/AtomicFileWriter.h"
#include "fileout/Base64.h"
#include "text/Utf8.h"

namespace bramolt::fileout {

void EncodeBase64ToFile(std::u16string_view inputText, std::u16string_view outputPath)
{
    WriteWholeFile(outputPath, EncodeBase64Lines(text::ToUtf8(inputText)));
}

void DecodeBase64ToFile(std::u16string_view inputText, std::u16string_view outputPath)
{
    WriteWholeFile(outputPath, DecodeBase64Lenient(text::ToUtf8(inputText)));
}

} // namespace bramolt::fileout
