// The wire trace of tallowick-sim: one JSON object per line for every frame the printer
// heard or sent, so a run can be read by eye or by script.
#pragma once

#include <string>
#include <string_view>

#include "sim/virtual_printer.h"

namespace tallowick::sim {

// {"t_ms":12.345,"dir":"host","kind":"request","cmd":"80","bytes":"01 24 ...",
//  "text":"582014;","note":"repeat"}; "cmd", "text" and "note" only when known. The
// text is decoded from Windows-1251 to UTF-8.
std::string traceJsonLine(const TraceEvent& event);

}  // namespace tallowick::sim
