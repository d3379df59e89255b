#include "link/open_failure.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace tallowick {
namespace {

using enum OpenFailureReason;

// What a real open on a test machine cannot produce; the rest is tested by real opens.
TEST(OpenFailure, ErrnoOfEachStepHasItsReason) {
  struct Case {
    int error;
    OpenStep step;
    OpenFailureReason reason;
  };
  const Case cases[] = {
      {ENXIO, OpenStep::Open, NoSuchDevice},  // a serial device without its hardware
      {ENODEV, OpenStep::Settings, NoSuchDevice},
      {EPERM, OpenStep::Open, NoPermission},
      {EBUSY, OpenStep::Open, InUse},        // a terminal another program holds exclusively
      {0, OpenStep::Settings, RateRefused},  // the driver kept another rate
      {EIO, OpenStep::Open, Other},
      {EACCES, OpenStep::Settings, Other},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(reasonOfErrno(c.error, c.step), c.reason)
        << "errno " << c.error << " at step " << static_cast<int>(c.step);
  }
}

TEST(OpenFailure, WindowsErrorsOfEachStepHaveTheirReason) {
  struct Case {
    std::uint32_t error;
    OpenStep step;
    OpenFailureReason reason;
  };
  const Case cases[] = {
      {2, OpenStep::Open, NoSuchDevice},         // ERROR_FILE_NOT_FOUND: no such COM port
      {3, OpenStep::Open, NoSuchDevice},         // ERROR_PATH_NOT_FOUND
      {123, OpenStep::Open, NoSuchDevice},       // ERROR_INVALID_NAME
      {1167, OpenStep::Settings, NoSuchDevice},  // ERROR_DEVICE_NOT_CONNECTED: adapter gone
      {5, OpenStep::Open, InUse},                // ERROR_ACCESS_DENIED: held by another program
      {32, OpenStep::Open, InUse},               // ERROR_SHARING_VIOLATION
      {170, OpenStep::Open, InUse},              // ERROR_BUSY
      {1, OpenStep::Settings, NotSerialPort},    // ERROR_INVALID_FUNCTION: no comm device
      {50, OpenStep::Settings, NotSerialPort},   // ERROR_NOT_SUPPORTED
      {1, OpenStep::Timeouts, NotSerialPort},
      {6, OpenStep::Timeouts, NotSerialPort},  // ERROR_INVALID_HANDLE
      {87, OpenStep::Settings, RateRefused},   // ERROR_INVALID_PARAMETER
      {87, OpenStep::Timeouts, Other},
      {87, OpenStep::Open, Other},
      {5, OpenStep::Settings, Other},
      {31, OpenStep::Settings, Other},  // ERROR_GEN_FAILURE
  };
  for (const auto& c : cases) {
    EXPECT_EQ(reasonOfWindowsError(c.error, c.step), c.reason)
        << "error " << c.error << " at step " << static_cast<int>(c.step);
  }
}

TEST(OpenFailure, TextNamesThePortTheReasonAndTheSystemsWords) {
  struct Case {
    OpenFailure failure;
    const char* text;
  };
  const Case cases[] = {
      {{None, "", "/dev/ttyUSB0", 9600}, ""},
      {{NoSuchDevice, "", "", 9600}, "Порт не выбран"},
      {{NoPermission, "Permission denied", "/dev/ttyS0", 9600},
       "Нет прав на доступ к порту /dev/ttyS0 (Permission denied). Добавьте пользователя в "
       "группу dialout (sudo usermod -aG dialout $USER) и войдите в систему заново"},
      {{RateRefused, "", "/dev/ttyUSB0", 115200},
       "Драйвер порта /dev/ttyUSB0 не принимает скорость 115200 бод"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(openFailureText(c.failure), c.text);
  }
}

}  // namespace
}  // namespace tallowick
