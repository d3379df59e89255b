// The device link: one printer on one port, one command at a time. It owns the port, the
// receive state machine and the one CommandResult that every command overwrites.
//
// Every user makes its own link, each with its own line factory.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/command_result.h"
#include "link/reply_receiver.h"
#include "link/serial_line.h"

namespace tallowick {

// Makes the line behind a port name; nullptr when the name means nothing here.
using LineFactory = std::function<std::unique_ptr<SerialLine>(const std::string& portName)>;

// One exchange attempt as it ended, for traces of the wire traffic.
struct AttemptRecord {
  std::int32_t attempt;  // 1 for the first sending of a command, 2.. for its repeats
  const CommandResult& result;
};
using AttemptObserver = std::function<void(const AttemptRecord&)>;

class DeviceLink {
 public:
  // An attempt waits for the reply until this many reads in a row came back empty.
  static constexpr int kSilentReadsLimit = 50;
  // A command is sent at most this many times in all.
  static constexpr int kMaxAttempts = 5;
  // ExchangeFrame's refusals.
  static constexpr std::int32_t kNotReady = -1;
  static constexpr std::int32_t kRefusedData = -2;

  // With no factory, every port name opens the platform's serial line.
  explicit DeviceLink(LineFactory factory = {});
  ~DeviceLink();
  DeviceLink(const DeviceLink&) = delete;
  DeviceLink& operator=(const DeviceLink&) = delete;

  void setLineFactory(LineFactory factory);
  // Called after every attempt that went out on the line.
  void setAttemptObserver(AttemptObserver observer) { observer_ = std::move(observer); }

  // Opens the port for the printer (closing a port this link still holds first).
  // Returns the handle, or -1 when the port cannot be used.
  std::int32_t OpenDeviceLink(const std::string& portName, std::int32_t baudRate);
  // Why the last OpenDeviceLink returned -1, with the port and rate it was given; the
  // reason is None after an open that succeeded.
  const OpenFailure& openFailure() const { return openFailure_; }
  // Returns non-zero when an open port was closed.
  std::int32_t CloseDeviceLink();

  // One command with its repeats; always returns the shared record.
  CommandResult* SendCommand(std::int32_t command, const std::string& data);
  // Repeats the last attempt with the same SEQ byte; -1 when the link is not ready.
  std::int32_t ResendLastCommand();
  // One attempt; 0 when it ran, kNotReady or kRefusedData when nothing was sent.
  std::int32_t ExchangeFrame(std::int32_t command, const std::string& data);
  // Reads at most one byte and feeds it to the receiver; 1 when a byte came, else 0.
  std::int32_t ReceiveByte();

  CommandResult* result() { return &result_; }
  const ReplyReceiver& receiver() const { return receiver_; }
  bool linkIdle() const { return linkIdle_; }
  bool isOpen() const { return line_ && line_->isOpen(); }
  std::uint8_t seqCounter() const { return seqCounter_; }
  void setSeqCounter(std::uint8_t value) { seqCounter_ = value; }
  // The line in use (for drivers that need to reach it, e.g. to change its timing).
  SerialLine* line() { return line_.get(); }

 private:
  void FinishReply();
  void refuse(std::int32_t command, const std::string& data, LinkRefusal why);

  LineFactory factory_;
  AttemptObserver observer_;
  std::int32_t attempt_ = 0;
  std::unique_ptr<SerialLine> line_;
  OpenFailure openFailure_;
  ReplyReceiver receiver_;
  CommandResult result_;

  bool linkIdle_ = false;  // clear until the first open, and while an exchange runs
  std::uint8_t seqCounter_ = 0;
  std::uint8_t seqBeforeLast_ = 0;
  std::int32_t lastCommand_ = 0;
  std::string lastData_;      // UTF-8, as the caller gave it
  std::string lastWireData_;  // the same in Windows-1251
};

}  // namespace tallowick
