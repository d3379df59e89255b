#include "gui/repainting_line.h"

namespace tallowick::gui {

ReadResult RepaintingLine::readByte() {
  const ReadResult result = line_->readByte();
  const auto now = std::chrono::steady_clock::now();
  if (repaint_ && (result.status != ReadStatus::Byte || now - lastRepaint_ >= kRepaintPeriod)) {
    repaint_();
    lastRepaint_ = std::chrono::steady_clock::now();
  }
  return result;
}

}  // namespace tallowick::gui
