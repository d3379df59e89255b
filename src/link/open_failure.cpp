#include "link/open_failure.h"

#include <cerrno>

#include "platform/own_text.h"

namespace tallowick {

using enum OpenFailureReason;

OpenFailureReason reasonOfErrno(int error, OpenStep step) {
  // The device went away, whatever the step.
  if (error == ENODEV || error == ENXIO) return NoSuchDevice;
  switch (step) {
    case OpenStep::Open:
      switch (error) {
        case ENOENT:
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
          return NoSuchDevice;
        case EACCES:
        case EPERM:
          return NoPermission;
        case EBUSY:
          return InUse;
        case EISDIR:
          return NotSerialPort;
        default:
          return Other;
      }
    case OpenStep::Hold:
      // A lock held elsewhere, or a terminal another program opened for exclusive use.
      if (error == EWOULDBLOCK || error == EAGAIN || error == EBUSY) return InUse;
      if (error == ENOTTY || error == EINVAL) return NotSerialPort;
      return Other;
    case OpenStep::Settings:
      // No error at all: the driver took the settings but kept another rate.
      if (error == 0 || error == EINVAL) return RateRefused;
      if (error == ENOTTY) return NotSerialPort;
      return Other;
    case OpenStep::Timeouts:
      return error == ENOTTY ? NotSerialPort : Other;
  }
  return Other;
}

OpenFailureReason reasonOfWindowsError(std::uint32_t error, OpenStep step) {
  // The Windows error codes, by number, so that the table is the same on every platform.
  constexpr std::uint32_t kInvalidFunction = 1, kFileNotFound = 2, kPathNotFound = 3,
                          kAccessDenied = 5, kInvalidHandle = 6, kBadUnit = 20, kNotReady = 21,
                          kSharingViolation = 32, kNotSupported = 50, kBadNetPath = 53,
                          kDevNotExist = 55, kInvalidParameter = 87, kInvalidName = 123,
                          kBadPathname = 161, kBusy = 170, kDeviceNotConnected = 1167;
  switch (error) {
    case kBadUnit:
    case kNotReady:
    case kDevNotExist:
    case kDeviceNotConnected:
      return NoSuchDevice;
    default:
      break;
  }
  if (step == OpenStep::Open) {
    switch (error) {
      case kFileNotFound:
      case kPathNotFound:
      case kBadNetPath:
      case kInvalidName:
      case kBadPathname:
        return NoSuchDevice;
      // A COM port is opened without sharing, so a port that another program holds is
      // refused as access denied.
      case kAccessDenied:
      case kSharingViolation:
      case kBusy:
        return InUse;
      default:
        return Other;
    }
  }
  // A handle that is no communications device answers the comm calls so.
  if (error == kInvalidFunction || error == kNotSupported || error == kInvalidHandle) {
    return NotSerialPort;
  }
  if (step == OpenStep::Settings && error == kInvalidParameter) return RateRefused;
  return Other;
}

std::string openFailureText(const OpenFailure& f) {
  const std::string& port = f.port;
  std::string text;
  switch (f.reason) {
    case None:
      return {};
    case NoSuchDevice:
      text = port.empty() ? Text::tr("Порт не выбран")
                          : withArgs(Text::tr("Порт %1 не найден: нет такого устройства"), {port});
      break;
    case NoPermission:
      text = withArgs(Text::tr("Нет прав на доступ к порту %1"), {port});
      break;
    case InUse:
      text = withArgs(Text::tr("Порт %1 занят другой программой"), {port});
      break;
    case NotSerialPort:
      text = withArgs(Text::tr("%1 не является последовательным портом"), {port});
      break;
    case RateRefused:
      text = withArgs(Text::tr("Драйвер порта %1 не принимает скорость %2 бод"),
                      {port, std::to_string(f.baud)});
      break;
    case Other:
      text = withArgs(Text::tr("Порт %1 не открывается"), {port});
      break;
  }
  if (!f.systemText.empty()) text += " (" + f.systemText + ")";
  if (f.reason == NoPermission) {
    text += Text::tr(
        ". Добавьте пользователя в группу dialout (sudo usermod -aG dialout $USER) и войдите в "
        "систему заново");
  }
  return text;
}

}  // namespace tallowick
