#pragma once

#include <string>
#include <string_view>

namespace bramolt::mail {

// Takes the next token off the front of `list`: the text before the first `separator`, which
// is removed together with the token; without a separator, the whole list, which becomes
// empty. Blanks are kept. "a||b|" gives "a", "", "b" and then an empty list.
std::u16string CutToken(std::u16string& list, std::u16string_view separator);

} // namespace bramolt::mail
