#include "mail/CutToken.h"

namespace bramolt::mail {

std::u16string CutToken(std::u16string& list, std::u16string_view separator)
{
    const auto position = separator.empty() ? std::u16string::npos : list.find(separator);
    if (position == std::u16string::npos) {
        std::u16string token;
        token.swap(list);
        return token;
    }
    std::u16string token = list.substr(0, position);
    list.erase(0, position + separator.size());
    return token;
}

} // namespace bramolt::mail
