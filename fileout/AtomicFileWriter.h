#pragma once

#include <string_view>

namespace bramolt::fileout {

// Writes `bytes` as the whole content of the file at `outputPath` (checked by the path rules
// of OutputPath.h, made absolute against the current directory; its folder must exist and is
// never created). An existing file is replaced, unless it is marked read-only: then nothing is
// written and the error carries the system's access-denied text.
//
// All or nothing: the bytes go to a temporary file in the same folder, which is flushed to
// the disk and then moved over the target in one step. On any failure the target keeps its
// previous content (or stays absent) and the temporary file is removed again.
//
// Throws EFileCreateError carrying the full path and the system's description of the cause.
void WriteWholeFile(std::u16string_view outputPath, std::string_view bytes);

} // namespace bramolt::fileout
