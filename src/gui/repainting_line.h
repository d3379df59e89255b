// A serial line that keeps the windows painted while the link waits for the printer.
// The link blocks the user-interface thread for up to 5 s of silence per attempt; between
// reads this line lets the toolkit repaint (paint and timer events only, never user
// input, so no handler runs in the middle of an exchange).
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "link/serial_line.h"

namespace tallowick::gui {

class RepaintingLine final : public SerialLine {
 public:
  // Repaints at most this often while bytes keep coming, and after every silent read.
  static constexpr std::chrono::milliseconds kRepaintPeriod{50};

  RepaintingLine(std::unique_ptr<SerialLine> line, std::function<void()> repaint)
      : line_(std::move(line)), repaint_(std::move(repaint)) {}

  std::int32_t open(const std::string& portName, std::int32_t baud) override {
    return line_->open(portName, baud);
  }
  OpenFailure openFailure() const override { return line_->openFailure(); }
  bool close() override { return line_->close(); }
  bool isOpen() const override { return line_->isOpen(); }
  void write(std::span<const std::uint8_t> bytes) override { line_->write(bytes); }
  ReadResult read(std::span<std::uint8_t> into) override;
  void purge() override { line_->purge(); }
  void drain() override { line_->drain(); }
  void clearError() override { line_->clearError(); }
  Clock& clock() override { return line_->clock(); }

  SerialLine& inner() { return *line_; }

 private:
  std::unique_ptr<SerialLine> line_;
  std::function<void()> repaint_;
  std::chrono::steady_clock::time_point lastRepaint_ = std::chrono::steady_clock::now();
};

}  // namespace tallowick::gui
