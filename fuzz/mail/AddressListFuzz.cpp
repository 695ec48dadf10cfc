// Any text read as an address list: every mailbox has an address without blanks at its
// ends, and reading never fails or loops.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "mail/AddressList.h"

namespace {

void Require(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "Address list fuzz check failed: %s\n", what);
    std::abort();
}

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Bytes below 0x80 stand for themselves, so that the fuzzer finds the separators; a
    // byte above takes the next one as the low half of a UTF-16 unit.
    std::u16string text;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] < 0x80 || i + 1 == size)
            text += static_cast<char16_t>(data[i]);
        else {
            text += static_cast<char16_t>((data[i] << 8) | data[i + 1]);
            ++i;
        }
    }
    std::size_t total = 0;
    for (const auto& mailbox : bramolt::mail::ParseAddressList(text)) {
        Require(!mailbox.Address.empty(), "empty address");
        Require(!IsBlank(mailbox.Address.front()) && !IsBlank(mailbox.Address.back()), "address not trimmed");
        total += mailbox.Address.size() + mailbox.Name.size();
    }
    Require(total <= 2 * text.size(), "mailboxes longer than the text");
    return 0;
}
