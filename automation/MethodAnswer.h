#pragma once

// How every automation method answers. A method names the class of its object, its value
// (the [out] parameter), what that value holds when the call fails, and its steps, which
// return the answer:
//
//   HRESULT STDMETHODCALLTYPE TBramoltCOM::JSONCount(VARIANT* iJSON, VARIANT* oJSON)
//   {
//       return Answer(FClass, oJSON, ZeroOnFailure,
//                     [&] { return CountOf(NodeFromArgument(FJSONHandles, iJSON).Node); });
//   }
//
// - The class decides how a handle is answered (VT_I8 or VT_I4) and which ProgID an error
//   object names as its source; everything else is the same for every class.
// - A missing value pointer fails the call with E_POINTER. A VARIANT or BSTR value is cleared
//   before the steps run; a LONG or VARIANT_BOOL is written only when the call answers.
// - The steps return what the value holds. For a VARIANT: THandle (VT_I8 or VT_I4), std::int32_t
//   (VT_I4), bool (VT_BOOL), double (VT_R8), text (VT_BSTR), TNullAnswer (VT_NULL), nothing
//   (void, or TEmptyAnswer: VT_EMPTY), or a std::variant of these. For a BSTR: text; for a LONG: a
//   LONG; for a VARIANT_BOOL: bool. Any of them may come as a std::optional: std::nullopt
//   (nothing there, such as a path that leads nowhere) is an ordinary answer, the failure
//   value, not an exception.
// - The failure: RaiseError, and the call fails with the HRESULT and error object of what
//   the steps threw (ComFailure.h); or a function giving the failure value, called with no
//   argument or with the exception (nullptr for one that is no std::exception).
// - Steps that must fail the call even where the method has a failure value (an argument
//   some methods refuse outright) come first, as their own function; the steps receive its
//   result:
//     Answer(FClass, key, EmptyTextOnFailure, [&] { return HandleArgument(iJSON); },
//            [&](std::int64_t handle) -> std::optional<std::u16string_view> { ... });
// - A method without a value: Answer(FClass, IgnoreFailure, steps) or
//   Answer(FClass, RaiseError, steps).
//
// This is the only place where the automation layer catches every exception.

#include <cstdint>
#include <string_view>
#include <type_traits>

#include "automation/BramoltIdentity.h"

namespace bramolt {

// A JSON handle, answered as the class's handle width says.
struct THandle {
    std::uint32_t Value;
};
struct TNullAnswer {};  // VT_NULL
struct TEmptyAnswer {}; // VT_EMPTY

struct TRaiseError {};
struct TIgnoreFailure {};
inline constexpr TRaiseError RaiseError{};
inline constexpr TIgnoreFailure IgnoreFailure{};

inline constexpr auto ZeroOnFailure = [] { return std::int32_t{0}; };
inline constexpr auto EmptyTextOnFailure = [] { return std::u16string_view(); };
inline constexpr auto FalseOnFailure = [] { return false; };

} // namespace bramolt

// The machinery behind Answer, which needs the kinds of answer above.
#include "automation/MethodAnswerDetail.h"

namespace bramolt {

template <typename Out, typename Failure, typename Steps>
HRESULT Answer(const TAutomationClass& answering, Out* value, const Failure& failure, Steps&& steps) noexcept
{
    detail::TNoArguments none;
    return detail::Run(answering, value, failure, none, steps);
}

template <typename Out, typename Failure, typename Raising, typename Steps>
HRESULT Answer(const TAutomationClass& answering, Out* value, const Failure& failure, Raising&& raising,
               Steps&& steps) noexcept
{
    return detail::Run(answering, value, failure, raising, steps);
}

template <typename Failure, typename Steps>
HRESULT Answer(const TAutomationClass& answering, const Failure& failure, Steps&& steps) noexcept
{
    static_assert(std::is_same_v<Failure, TRaiseError> || std::is_same_v<Failure, TIgnoreFailure>,
                  "a method without a value either raises its errors or ignores them");
    detail::TNoValue* none = nullptr;
    detail::TNoArguments noArguments;
    return detail::Run(answering, none, failure, noArguments, steps);
}

} // namespace bramolt
