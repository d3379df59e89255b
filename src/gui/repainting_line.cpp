#include "gui/repainting_line.h"

namespace tallowick::gui {

ReadResult RepaintingLine::read(std::span<std::uint8_t> into) {
  const ReadResult result = line_->read(into);
  const auto now = std::chrono::steady_clock::now();
  if (repaint_ && (result.status != ReadStatus::Bytes || now - lastRepaint_ >= kRepaintPeriod)) {
    repaint_();
    lastRepaint_ = std::chrono::steady_clock::now();
  }
  return result;
}

}  // namespace tallowick::gui
