// The result codes of TPortControl, each with its meaning, and the fixed texts that its
// operations keep as the description of a refusal. Defined once, here.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tallowick {

// How the description of a failure is made.
enum class DescriptionKind {
  Empty,   // success: the empty description
  Fixed,   // a fixed text of the operation (see port_text)
  System,  // the system's text of the error, as ErrorString builds it
  None,    // no text: the description is emptied
};

// Every result code from 0 down to -27, in that order, with its meaning and how the
// description of the failure is made: X(name, code, meaning, description).
#define TALLOWICK_PORT_RESULTS(X)                                                                  \
  X(Ok, 0, "success", Empty)                                                                       \
  X(NotOpen, -1, "port not open", Fixed)                                                           \
  X(OpenFailed, -2, "the port could not be opened", System)                                        \
  X(ReadSettingsFailed, -3, "reading the line settings failed", System)                            \
  X(WriteSettingsFailed, -4, "writing the line settings failed", System)                           \
  X(TimeoutsFailed, -5, "setting the time-outs failed", System)                                    \
  X(FlushFailed, -6, "waiting for the output to leave failed", System)                             \
  X(CloseFailed, -7, "closing the port failed", System)                                            \
  X(GetPriorityClassFailed, -8, "reading the process priority failed", System)                     \
  X(SetPriorityClassFailed, -9, "setting the process priority failed", System)                     \
  X(GetThreadPriorityFailed, -10, "reading the thread priority failed", System)                    \
  X(SetThreadPriorityFailed, -11, "setting the thread priority failed", System)                    \
  X(LockFailed, -12, "locking the code into memory failed", System)                                \
  X(UnlockFailed, -13, "unlocking the code failed", System)                                        \
  X(ClearCommErrorFailed, -14, "taking the port's error state failed", System)                     \
  X(PurgeFailed, -15, "purging the port failed", System)                                           \
  X(SessionOpen, -16, "a session is already open", Fixed)                                          \
  X(ReadFailed, -17, "reading failed", System)                                                     \
  X(WriteFailed, -18, "writing failed", System)                                                    \
  X(EndCharAbsent, -19, "the end character did not arrive", Fixed)                                 \
  X(AlreadyOpen, -20, "the port is already open", Fixed)                                           \
  X(NoSession, -21, "no session open", Fixed)                                                      \
  X(EscapeFailed, -22, "the escape function failed", System)                                       \
  X(ClearBuffersFailed, -23, "purging the buffers failed", System)                                 \
  X(FifoUnsupported, -24, "FIFO settings are not kept on this platform", None)                     \
  X(FifoRegistryFailed, -25, "FIFO registry access failed, or the device key was not found", None) \
  X(FifoSizeNotAllowed, -26, "FIFO size not allowed", None)                                        \
  X(EnumerationFailed, -27, "port enumeration busy or not possible", None)

namespace port_result {
#define TALLOWICK_PORT_RESULT_CODE(name, code, meaning, description) \
  inline constexpr std::int32_t k##name = code;
TALLOWICK_PORT_RESULTS(TALLOWICK_PORT_RESULT_CODE)
#undef TALLOWICK_PORT_RESULT_CODE
}  // namespace port_result

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
