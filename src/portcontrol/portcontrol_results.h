// The result codes of TPortControl, each with its meaning, and the fixed texts that its
// operations keep as the description of a refusal. Defined once, here.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tallowick {

namespace port_result {
inline constexpr std::int32_t kOk = 0;
inline constexpr std::int32_t kNotOpen = -1;
inline constexpr std::int32_t kOpenFailed = -2;
inline constexpr std::int32_t kReadSettingsFailed = -3;
inline constexpr std::int32_t kWriteSettingsFailed = -4;
inline constexpr std::int32_t kTimeoutsFailed = -5;
inline constexpr std::int32_t kFlushFailed = -6;
inline constexpr std::int32_t kCloseFailed = -7;
inline constexpr std::int32_t kGetPriorityClassFailed = -8;
inline constexpr std::int32_t kSetPriorityClassFailed = -9;
inline constexpr std::int32_t kGetThreadPriorityFailed = -10;
inline constexpr std::int32_t kSetThreadPriorityFailed = -11;
inline constexpr std::int32_t kLockFailed = -12;
inline constexpr std::int32_t kUnlockFailed = -13;
inline constexpr std::int32_t kClearCommErrorFailed = -14;
inline constexpr std::int32_t kPurgeFailed = -15;
inline constexpr std::int32_t kSessionOpen = -16;
inline constexpr std::int32_t kReadFailed = -17;
inline constexpr std::int32_t kWriteFailed = -18;
inline constexpr std::int32_t kEndCharAbsent = -19;
inline constexpr std::int32_t kAlreadyOpen = -20;
inline constexpr std::int32_t kNoSession = -21;
inline constexpr std::int32_t kEscapeFailed = -22;
inline constexpr std::int32_t kClearBuffersFailed = -23;
inline constexpr std::int32_t kFifoUnsupported = -24;
inline constexpr std::int32_t kFifoRegistryFailed = -25;
inline constexpr std::int32_t kFifoSizeNotAllowed = -26;
inline constexpr std::int32_t kEnumerationFailed = -27;
}  // namespace port_result

// How the description of a failure is made.
enum class DescriptionKind {
  Empty,   // success: the empty description
  Fixed,   // a fixed text of the operation (see port_text)
  System,  // the system's text of the error, as ErrorString builds it
  None,    // no text: the description is emptied
};

struct PortResultInfo {
  std::int32_t code;
  std::string_view meaning;
  DescriptionKind description;
};

// Every result code from 0 down to -27, in that order.
std::span<const PortResultInfo> portResults();
// The meaning of a code; empty for a code that is none of them.
std::string_view portResultMeaning(std::int32_t code);

// The fixed descriptions. Each operation that refuses for want of an open port or a
// session keeps its own wording.
namespace port_text {
inline constexpr std::string_view kNotOpened = "Port was not opened!\nError = -1";
inline constexpr std::string_view kNotOpenedWrite = "Port was not opened.\nError = -1";
inline constexpr std::string_view kSessionOpened = "Session was opened!\nError = -16";
inline constexpr std::string_view kEndCharAbsent = "End character is absent.\nError = -19";
inline constexpr std::string_view kPortOpened = "Port was opened!\nError = -20";
// WriteData, EscapeCommFunction, ClearBuffers.
inline constexpr std::string_view kNoSession = "Session was not opened.\nError = -21";
inline constexpr std::string_view kNoSessionRead = "Session was not opened!!\nError = -21";
inline constexpr std::string_view kNoSessionClearError = "Session was not opened\nError = -21";
inline constexpr std::string_view kNoSessionEnd = "Session was not opened!\nError = -21";
}  // namespace port_text

}  // namespace tallowick
