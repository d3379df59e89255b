// The saved test log: the log's lines in order, in Windows-1251 (in UTF-8 when that cannot
// hold them), each ended by CR LF, replacing the file, and the names runs' files get. Shared
// by the page's "Сохранить", the station window and the headless runner.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mainform/wall_clock.h"
#include "platform/failure.h"

namespace tallowick {

// Writes the lines whole, as every saved file is written; the error sentence when the file cannot
// be written (an existing file is then left as it was).
std::optional<Failure> writeLogFile(const std::string& path, const std::vector<std::string>& lines);

// The file's bytes for these lines: Windows-1251, CR LF after every line. A log with
// letters Windows-1251 has no place for (a Romanian one: ă, ș, ț) is written in UTF-8 after
// its byte-order mark instead, so that no letter is lost and editors know the encoding; a
// line that is not even UTF-8 keeps the Windows-1251 file, its odd characters becoming '?'.
std::string logFileBytes(const std::vector<std::string>& lines);

// A text made safe as a part of a file name on Linux and on Windows: only ASCII letters,
// digits, '-', '_' and '.', every run of other characters one '_', no dot at either end.
std::string fileNamePart(std::string_view text);
// The port's part of its files' names: its device name without the folder (ttyUSB0, COM3),
// made safe, and unique among the station's ports ("-2", "-3" for repeats).
std::vector<std::string> portFileNames(const std::vector<std::string>& ports);
// PORT_MODEL_YYYY-MM-DD_HH-MM-SS, or PORT_YYYY-MM-DD_HH-MM-SS while the model is unknown;
// with _uk or _ro at the end when the log is written in that language (the windows').
std::string runFileStem(const std::string& portPart, const std::string& model,
                        const LocalDateTime& startedAt);
// The same for a log written in `language` ("ru", "uk", "ro"): a run's from the history.
std::string runFileStem(const std::string& portPart, const std::string& model,
                        const LocalDateTime& startedAt, std::string_view language);

}  // namespace tallowick
