#pragma once
// What the JSON methods share: turning the iJSON argument into a live node of the
// process's handle table, and writing their values (handles leave as VT_I8).
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include <oaidl.h>
#include <oleauto.h>

#include "automation/ComFailure.h"
#include "automation/MethodValues.h"
#include "json/JSONHandleTable.h"

namespace bramolt {

// A handle that designates no live node: never issued, already freed, or from an earlier
// server process. Methods report it through their failure value.
class EStaleJSONHandle : public std::runtime_error {
  public:
    explicit EStaleJSONHandle(std::uint32_t handle);
};

// The node of the iJSON argument: nullptr for a handle of 0. Throws EVariantConversionError
// when the argument is no integer and EStaleJSONHandle when the handle designates nothing.
// A missing argument (an early-bound caller passing no VARIANT) counts as VT_EMPTY.
json::TJSONAncestor* NodeFromArgument(const json::TJSONHandleTable& handles, const VARIANT* argument);

// The same for a handle already converted.
json::TJSONAncestor* NodeFromHandle(const json::TJSONHandleTable& handles, std::uint32_t handle);

// A BSTR argument as text; a null BSTR is the empty text.
std::u16string_view TextFromBstr(BSTR text);

// A new BSTR holding `text`; throws std::bad_alloc when the system has no memory for it.
BSTR NewBstr(std::u16string_view text);

void SetHandleValue(VARIANT* value, std::uint32_t handle);   // VT_I8
void SetInt32Value(VARIANT* value, std::int32_t number);     // VT_I4
void SetBoolValue(VARIANT* value, bool flag);                // VT_BOOL
void SetDoubleValue(VARIANT* value, double number);          // VT_R8
void SetTextValue(VARIANT* value, std::u16string_view text); // VT_BSTR

// The message of the exception being handled as UTF-16 text; call only inside a catch
// block. Exceptions that carry no message give no text.
std::optional<std::u16string> CurrentExceptionMessage();

// Runs `body`; when it throws, clears `value` and stores the method's failure value with
// `fail`. The JSON methods report failures this way rather than as errors.
template <typename Body, typename Fail> void WithFailureValue(VARIANT* value, Body&& body, Fail&& fail)
{
    try {
        body();
    } catch (...) {
        VariantClear(value);
        fail(value);
    }
}

// The shape of most JSON methods: clear the value, do the work, and answer VT_I4 0 when
// anything inside fails.
template <typename Body> HRESULT AnswerOrZero(VARIANT* value, Body&& body)
{
    return InvokeGuarded([&] {
        ClearValue(value);
        WithFailureValue(value, body, [](VARIANT* failed) { SetInt32Value(failed, 0); });
    });
}

} // namespace bramolt
