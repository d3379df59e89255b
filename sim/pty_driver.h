// Serves a VirtualPrinter on a pseudo-terminal, so the program's real termios serial code
// can talk to it end to end. The driver publishes the terminal under a path of the
// caller's choosing (a symlink), keeps the terminal alive between the host's opens, and
// answers only while the host's line speed on it equals the printer's rate.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/virtual_printer.h"

namespace tallowick::sim {

class PtyDriver {
 public:
  PtyDriver(VirtualPrinter& printer, std::string linkPath);
  ~PtyDriver();
  PtyDriver(const PtyDriver&) = delete;
  PtyDriver& operator=(const PtyDriver&) = delete;

  // Creates the terminal and the symlink (replacing an old symlink, never a regular
  // file). False with the reason in `error` when that fails.
  bool open(std::string& error);

  // Serves in the calling thread until `stop` becomes true, or until the printer closes
  // its line (a hang-up of its fault plan): then the terminal is closed, so that the
  // host's port reports a hang-up, and serving ends.
  void serve(const std::atomic<bool>& stop);

  // open() and serve() on a background thread; stop() ends it. While it runs, the printer
  // belongs to that thread: set it up before start() and look at it after stop().
  bool start(std::string& error);
  void stop();

  // Stops serving, closes the terminal and removes the symlink (if it is still ours).
  void close();

  // The terminal is open (false before open() and once the printer hung up).
  bool isOpen() const { return master_ >= 0; }

  const std::string& linkPath() const { return linkPath_; }
  // The terminal's own device name (the symlink's target).
  const std::string& slaveName() const { return slaveName_; }

  // The line speed the host has set on the terminal, in baud; 0 when unknown.
  std::int32_t hostRate() const;

 private:
  void serveOnce(int waitMs);
  // Closes the terminal and removes our symlink; the serving thread may call it.
  void release();
  void flushOutput();
  Micros now() const;

  VirtualPrinter& printer_;
  std::string linkPath_;
  std::string slaveName_;
  std::atomic<int> master_{-1};
  std::atomic<int> slave_{-1};  // held open so the terminal lives between host opens
  Micros start_{0};
  std::vector<std::uint8_t> unsent_;  // output the terminal had no room for yet
  Micros hostLineFree_{0};            // when the host's last byte is through the line
  std::atomic<bool> stopFlag_{false};
  std::thread thread_;
};

}  // namespace tallowick::sim
