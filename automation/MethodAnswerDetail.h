#pragma once

// How Answer (MethodAnswer.h) writes each kind of value into the [out] parameter, runs a
// method's steps and turns what they throw into the failure. Included by MethodAnswer.h only,
// after the kinds of answer it declares; a method author reads that header, not this one.

#include <exception>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

// The other system headers rely on windows.h's definitions.
#include <windows.h>

#include <oleauto.h>

#include "automation/BramoltIdentity.h"
#include "automation/ComFailure.h"
#include "automation/ComOwners.h"
#include "text/WideView.h"

namespace bramolt::detail {

inline void Clear(VARIANT* value)
{
    ::VariantInit(value);
}
inline void Clear(BSTR* value)
{
    *value = nullptr;
}
inline void Clear(LONG*) {}
inline void Clear(VARIANT_BOOL*) {}

inline void Put(VARIANT* value, THandleWidth width, THandle handle)
{
    if (width == THandleWidth::hwInt32) {
        // Issued handles never exceed 2^31 - 1: the Long holds the number unchanged.
        V_VT(value) = VT_I4;
        V_I4(value) = static_cast<LONG>(handle.Value);
    } else {
        V_VT(value) = VT_I8;
        V_I8(value) = handle.Value;
    }
}
inline void Put(VARIANT* value, std::int32_t number)
{
    V_VT(value) = VT_I4;
    V_I4(value) = number;
}
inline void Put(VARIANT* value, bool flag)
{
    V_VT(value) = VT_BOOL;
    V_BOOL(value) = flag ? VARIANT_TRUE : VARIANT_FALSE;
}
inline void Put(VARIANT* value, double number)
{
    V_VT(value) = VT_R8;
    V_R8(value) = number;
}
inline void Put(VARIANT* value, std::u16string_view text)
{
    V_BSTR(value) = TBstr(text::AsWide(text)).Detach();
    V_VT(value) = VT_BSTR;
}
inline void Put(VARIANT* value, TNullAnswer)
{
    V_VT(value) = VT_NULL;
}
inline void Put(VARIANT*, TEmptyAnswer) {}
inline void Put(BSTR* value, std::u16string_view text)
{
    *value = TBstr(text::AsWide(text)).Detach();
}
inline void Put(LONG* value, LONG number)
{
    *value = number;
}
inline void Put(VARIANT_BOOL* value, bool flag)
{
    *value = flag ? VARIANT_TRUE : VARIANT_FALSE;
}

template <typename T> struct IsVariant : std::false_type {
};
template <typename... Kinds> struct IsVariant<std::variant<Kinds...>> : std::true_type {
};

// Writes an answer; only a handle needs to know the width of the answering class.
template <typename Out, typename TAnswer>
void PutAnswer(Out* value, THandleWidth width, const TAnswer& answer)
{
    if constexpr (std::is_same_v<TAnswer, THandle>)
        Put(value, width, answer);
    else if constexpr (IsVariant<TAnswer>::value)
        std::visit([value, width](const auto& kind) { PutAnswer(value, width, kind); }, answer);
    else
        Put(value, answer);
}

template <typename Failure> auto FailureValue(const Failure& failure, const std::exception* error)
{
    if constexpr (std::is_invocable_v<const Failure&>)
        return failure();
    else
        return failure(error);
}

template <typename T> struct IsOptional : std::false_type {
};
template <typename T> struct IsOptional<std::optional<T>> : std::true_type {
};

template <typename Out, typename Failure, typename Steps, typename... Arguments>
void RunSteps(THandleWidth width, Out* value, const Failure& failure, Steps& steps, Arguments&&... arguments)
{
    using TResult = std::invoke_result_t<Steps&, Arguments...>;
    if constexpr (std::is_void_v<TResult>) {
        steps(std::forward<Arguments>(arguments)...);
    } else if constexpr (IsOptional<TResult>::value) {
        static_assert(!std::is_same_v<Failure, TRaiseError>, "nothing there needs a failure value");
        const TResult answer = steps(std::forward<Arguments>(arguments)...);
        if (answer)
            PutAnswer(value, width, *answer);
        else
            PutAnswer(value, width, FailureValue(failure, nullptr));
    } else {
        PutAnswer(value, width, steps(std::forward<Arguments>(arguments)...));
    }
}

struct TNoValue {};
struct TNoArguments {};

// The failure of a call: the error of the exception, or the method's failure value.
template <typename Out, typename Failure>
HRESULT Fail(const TAutomationClass& answering, Out* value, const Failure& failure, bool raise,
             const std::exception* error) noexcept
{
    if constexpr (std::is_same_v<Failure, TIgnoreFailure>) {
        if (!raise)
            return S_OK;
    } else if constexpr (!std::is_same_v<Failure, TRaiseError>) {
        if (!raise) {
            try {
                PutAnswer(value, answering.HandleWidth, FailureValue(failure, error));
                return S_OK;
            } catch (const std::exception& failed) {
                return ReportException(answering, &failed); // no memory for the failure value
            }
        }
    }
    return ReportException(answering, error);
}

template <typename Out, typename Failure, typename Raising, typename Steps>
HRESULT Run(const TAutomationClass& answering, Out* value, const Failure& failure, Raising& raising,
            Steps& steps) noexcept
{
    if constexpr (!std::is_same_v<Out, TNoValue>) {
        if (value == nullptr)
            return ReportFailure(answering, E_POINTER, L"the value parameter is missing");
        Clear(value);
    }
    bool raise = true;
    try {
        if constexpr (std::is_same_v<Raising, TNoArguments>) {
            raise = std::is_same_v<Failure, TRaiseError>;
            RunSteps(answering.HandleWidth, value, failure, steps);
        } else {
            auto arguments = raising();
            raise = std::is_same_v<Failure, TRaiseError>;
            RunSteps(answering.HandleWidth, value, failure, steps, std::move(arguments));
        }
        return S_OK;
    } catch (const std::exception& error) {
        return Fail(answering, value, failure, raise, &error);
    } catch (...) {
        return Fail(answering, value, failure, raise, nullptr);
    }
}

} // namespace bramolt::detail
