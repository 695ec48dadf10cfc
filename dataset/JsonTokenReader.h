#pragma once

// A lenient pull reader of JSON tokens. Beyond strict JSON it reads strings and property
// names in single quotes, property names without quotes (letters, digits, "_", "$"),
// comments (// to the end of the line, /* ... */), integers in hexadecimal with "0x",
// NaN, Infinity, -Infinity and undefined. Nesting has no limit but memory.
//
// Integers from -2^31 to 2^31-1 carry a 32-bit value; other integers that fit 64 bits a
// 64-bit value; every other number a double. Numbers always use "." as decimal separator.
// Malformed text throws EJsonReaderError when the reader reaches it; the tokens before it
// have been delivered.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace bramolt::dataset {

enum class TJsonToken {
    None, // before the first Read
    StartObject,
    StartArray,
    PropertyName,
    String,
    Integer,
    Float,
    Boolean,
    Null,
    Undefined,
    EndObject,
    EndArray,
};

// The value a token carries: the property name or string (text), an integer (32 or 64 bits),
// a double, a boolean, or nothing.
using TJsonTokenValue =
    std::variant<std::monostate, std::u16string, std::int32_t, std::int64_t, double, bool>;

class EJsonReaderError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TJsonTokenReader {
  public:
    // The reader keeps a view of `text`, which must outlive it.
    explicit TJsonTokenReader(std::u16string_view text) noexcept : FText(text) {}

    // Moves to the next token; false at the end of the input (after a complete value, or when
    // the input holds none).
    bool Read();
    TJsonToken TokenType() const noexcept { return FToken; }
    const TJsonTokenValue& Value() const noexcept { return FValue; }
    // Containers open around the current token.
    std::size_t Depth() const noexcept { return FOpen.size(); }

  private:
    enum class TExpect { Value, ValueOrEndArray, Name, NameOrEndObject, CommaOrEnd, Nothing };

    [[noreturn]] void Fail(std::string_view what) const;
    void SkipBlanksAndComments();
    void ReadValue();
    void ReadName();
    std::u16string ReadQuoted();
    std::u16string ReadIdentifier();
    void ReadNumber();
    void Deliver(TJsonToken token, TJsonTokenValue value = {});
    void Close(TJsonToken token);
    void ValueDone();

    std::u16string_view FText;
    std::size_t FPos = 0;
    std::vector<char> FOpen; // '{' or '[' for each open container
    TExpect FExpect = TExpect::Value;
    TJsonToken FToken = TJsonToken::None;
    TJsonTokenValue FValue;
};

} // namespace bramolt::dataset
