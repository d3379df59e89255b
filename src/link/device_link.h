// The device link: one printer on one port, one command at a time. It owns the port, the
// receive state machine and the one CommandResult that every command overwrites.
//
// Every user makes its own link, each with its own line factory.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
  // Frames of other requests that arrived during the attempt and were dropped: how many,
  // and the SEQ and command of the first few.
  int droppedFrames = 0;
  const std::vector<FrameId>& dropped;
};
using AttemptObserver = std::function<void(const AttemptRecord&)>;

// Asked again and again while a reply is awaited (after every empty read, and at least every
// kStopCheckPeriod while bytes keep coming); true ends the wait at once, as no reply that says
// it was stopped. The link's user owns it (a run's Stop, Ctrl-C), so every link has its own;
// a window answers its user from here. A command asked for from it is refused (LinkRefusal::
// Busy), and the port may be closed from it: the wait then ends as the port being gone.
using StopCheck = std::function<bool()>;

class DeviceLink {
 public:
  // An attempt waits for the reply until this many reads in a row came back empty.
  static constexpr int kSilentReadsLimit = 50;
  // A command is sent at most this many times in all.
  static constexpr int kMaxAttempts = 5;
  // A command waits at most this long in all, however many bytes keep coming: several
  // times the longest printout a printer makes before its reply.
  static constexpr Micros kCommandTimeLimit = std::chrono::minutes(15);
  // While replies are awaited the stop check is asked at least this often, from one wait to
  // the next: a window that answers its user from it stays responsive through a run of
  // short exchanges too.
  static constexpr Micros kStopCheckPeriod = std::chrono::milliseconds(50);
  // The most one read of the line takes in.
  static constexpr std::size_t kReadChunk = 512;
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
  // Installs the check that can end a wait early; an empty one never does.
  void setStopCheck(StopCheck check) { stopCheck_ = std::move(check); }
  // How long one read may wait for a byte: the read period, or less for a user that must
  // answer more often while the printer is silent (a window, whose stop check pumps its
  // events after every empty read). Silence is counted in read periods all the same.
  void setReadWait(std::chrono::milliseconds wait);
  const StopCheck& stopCheck() const { return stopCheck_; }

  // Opens the port for the printer (closing a port this link still holds first).
  // Returns the handle, or -1 when the port cannot be used or a command is under way.
  std::int32_t OpenDeviceLink(const std::string& portName, std::int32_t baudRate);
  // Why the last OpenDeviceLink returned -1, with the port and rate it was given; the
  // reason is None after an open that succeeded.
  const OpenFailure& openFailure() const { return openFailure_; }
  // Returns non-zero when an open port was closed.
  std::int32_t CloseDeviceLink();

  // One command with its repeats; returns the shared record. A command asked for while
  // another is waiting for its reply (from the stop check) is refused in a record of its
  // own, which leaves the shared one to the command under way.
  CommandResult* SendCommand(std::int32_t command, const std::string& data);
  // Repeats the last attempt with the same SEQ byte; -1 when the link is not ready.
  std::int32_t ResendLastCommand();
  // One attempt; 0 when it ran, kNotReady or kRefusedData when nothing was sent.
  std::int32_t ExchangeFrame(std::int32_t command, const std::string& data);
  // Feeds the receiver the next byte the line brought, reading the line when none is left
  // from the last read; 1 when a byte came, else 0.
  std::int32_t ReceiveByte();

  CommandResult* result() { return &result_; }
  const ReplyReceiver& receiver() const { return receiver_; }
  bool linkIdle() const { return linkIdle_; }
  // True while a command is on the line, waiting for its reply.
  bool waiting() const { return waiting_; }
  bool isOpen() const { return line_ && line_->isOpen(); }
  std::uint8_t seqCounter() const { return seqCounter_; }
  void setSeqCounter(std::uint8_t value) { seqCounter_ = value; }
  // The line in use (for drivers that need to reach it, e.g. to change its timing).
  SerialLine* line() { return line_.get(); }

 private:
  void FinishReply(WaitEnd ended);
  void refuse(CommandResult& record, std::int32_t command, const std::string& data,
              LinkRefusal why);
  // One byte fed to the receiver: the next of those the last read brought, or the first of a
  // new read. A failed read takes its whole wait, so a port that fails at once cannot turn
  // the silence limit into a busy loop.
  ReadStatus receive();
  // Empties the line in both directions, the bytes read but not yet fed included.
  void purge();
  // Waits for the reply of the attempt just written; says how the wait ended.
  WaitEnd awaitReply(Micros deadline);
  Clock& lineClock() { return line_ ? line_->clock() : realClock(); }

  LineFactory factory_;
  AttemptObserver observer_;
  StopCheck stopCheck_;
  std::int32_t attempt_ = 0;
  std::unique_ptr<SerialLine> line_;
  // What the last read brought, fed to the receiver one byte at a time from `inboxNext_`.
  std::array<std::uint8_t, kReadChunk> inbox_{};
  std::size_t inboxNext_ = 0;
  std::size_t inboxEnd_ = 0;
  Micros lastStopCheck_{0};
  int readWaitMs_ = SerialLine::kReadTimeoutMs;
  OpenFailure openFailure_;
  ReplyReceiver receiver_;
  CommandResult result_;
  CommandResult busyResult_;  // for commands refused while another one waits

  bool linkIdle_ = false;                  // clear until the first open, and while an exchange runs
  bool waiting_ = false;                   // an attempt is on the line
  std::optional<Micros> commandDeadline_;  // of the command under way in SendCommand
  std::uint8_t seqCounter_ = 0;
  std::uint8_t seqBeforeLast_ = 0;
  std::int32_t lastCommand_ = 0;
  std::string lastData_;      // UTF-8, as the caller gave it
  std::string lastWireData_;  // the same in Windows-1251
};

// A stop check for the length of a scope: the one the link had before comes back afterwards.
class StopCheckScope {
 public:
  StopCheckScope(DeviceLink& link, StopCheck check) : link_(link), previous_(link.stopCheck()) {
    link_.setStopCheck(std::move(check));
  }
  ~StopCheckScope() { link_.setStopCheck(std::move(previous_)); }
  StopCheckScope(const StopCheckScope&) = delete;
  StopCheckScope& operator=(const StopCheckScope&) = delete;

 private:
  DeviceLink& link_;
  StopCheck previous_;
};

}  // namespace tallowick
