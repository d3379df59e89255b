// A file written for the user, the saved test log or the wire trace, that is either
// written whole or not at all, and never destroys what it must not:
// - an existing regular file is replaced in one step by a file written beside it under a
//   name of its own, with the old file's permissions; a failure leaves the old file;
// - a symbolic link is followed and the file it points to is written, the link kept;
// - a character device (/dev/null, a terminal) is written in place, never replaced;
// - anything else that exists (a folder, a FIFO, a block device) and a read-only file are
//   refused before anything is written.
// Every failure, at the start or in the middle of writing (a full disk, an I/O error),
// is kept as a sentence that names the file and the reason.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "testrun/output_file_system.h"

namespace tallowick {

class OutputFile {
 public:
  OutputFile() = default;
  // An unfinished file is given up: what was written beside the target is removed and
  // the target left as it was.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Gets `path` ready for writing; the error sentence when it cannot be written.
  std::optional<std::string> open(const std::string& path);
  // Adds bytes; after a failure further writes are dropped (error() tells).
  void write(std::string_view bytes);
  // Puts the complete file in place; the error sentence of the first failure, if any.
  // The file is done either way.
  std::optional<std::string> commit();

  // Gives the file up unwritten: the target stays as it was and commit() reports nothing.
  void discard() {
    abandon();
    error_.reset();
  }

  bool isOpen() const { return file_.isOpen(); }
  // The first failure so far.
  const std::optional<std::string>& error() const { return error_; }

 private:
  std::optional<std::string> fail(const std::string& reason);
  void abandon();

  std::string path_;                 // as the user named it, for the messages
  std::filesystem::path target_;     // the file that is written in the end
  std::filesystem::path temporary_;  // empty when the target is written in place
  output_file::Handle file_;
  std::optional<std::string> error_;
};

// The sentence for a file that cannot be saved, as the windows and the command line show it.
std::string fileNotSavedText(const std::string& path, const std::string& reason);

}  // namespace tallowick
