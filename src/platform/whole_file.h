// The one way Tallowick writes a file: whole or not at all, put in place in one step, never
// destroying what it must not. Saved logs and traces, exports and new SQLite files all go
// through it.
// - The bytes go to a temporary file beside the target, ".NAME.HOST.PROCESS.XXXXXXXXXXXX.tmp",
//   which reaches the target's name only once it is complete and on the disk; a failure at
//   any point removes it and leaves the target as it was.
// - `Placement::Replace` (a file the user names): an existing regular file is replaced,
//   keeping its permissions; a symbolic link is followed and the file it leads to written;
//   a character device (/dev/null, a terminal) is written in place; anything else that
//   exists (a folder, a FIFO, a block device) and a read-only file are refused before
//   anything is written.
// - `Placement::KeepExisting` (a new store): a file that another program put at the name
//   first is kept, and that is no error; the folder is made when it is missing.
// - The leftovers: a writer killed half-way leaves its temporary file behind; whoever opens
//   that target next through `removeLeftovers` removes those whose process on this computer
//   has ended, and any older than ten minutes (a live writer needs far less).
// Every failure is kept as a sentence that names the file and the reason.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/failure.h"
#include "platform/whole_file_system.h"

namespace tallowick {

enum class Placement : std::uint8_t { Replace, KeepExisting };

class WholeFile {
 public:
  WholeFile() = default;
  // An unfinished file is given up: what was written beside the target is removed and
  // the target left as it was.
  ~WholeFile();
  WholeFile(const WholeFile&) = delete;
  WholeFile& operator=(const WholeFile&) = delete;

  // Gets `path` ready for writing; the error sentence when it cannot be written.
  std::optional<Failure> open(const std::string& path, Placement placement = Placement::Replace);
  std::optional<Failure> open(const std::filesystem::path& path, Placement placement);
  // Adds bytes; after a failure further writes are dropped (error() tells).
  void write(std::string_view bytes);
  // Puts the complete file in place; the error sentence of the first failure, if any.
  // The file is done either way.
  std::optional<Failure> commit();

  // Gives the file up unwritten: the target stays as it was and commit() reports nothing.
  void discard() {
    abandon();
    error_.reset();
    reason_.clear();
  }

  bool isOpen() const { return file_.isOpen(); }
  // The first failure so far, as a sentence that names the file, and its reason alone
  // (empty when there was none).
  const std::optional<Failure>& error() const { return error_; }
  const std::string& reason() const { return reason_; }

 private:
  std::optional<Failure> openNamed(const std::string& path, const std::filesystem::path& given,
                                   Placement placement);
  std::optional<Failure> fail(const std::string& reason);
  void abandon();

  std::string path_;                 // as the caller named it, for the messages
  std::filesystem::path target_;     // the file that is written in the end
  std::filesystem::path temporary_;  // empty when the target is written in place
  Placement placement_ = Placement::Replace;
  whole_file::Handle file_;
  std::optional<Failure> error_;
  std::string reason_;
};

// Writes `bytes` as a WholeFile does; the error sentence when the file cannot be written.
std::optional<Failure> writeWholeFile(const std::string& path, std::string_view bytes,
                                      Placement placement = Placement::Replace);
std::optional<Failure> writeWholeFile(const std::filesystem::path& path, std::string_view bytes,
                                      Placement placement);

// Removes the temporary files that writers of `target` killed half-way left behind.
void removeLeftovers(const std::filesystem::path& target);

// The sentence for a file that cannot be saved, as the windows and the command line show it.
std::string fileNotSavedText(const std::string& path, const std::string& reason);

// Makes `folder` and those above it when they are missing (nothing for an empty path); on a
// failure, the reason in the words of the windows.
std::optional<Failure> makeFolder(const std::filesystem::path& folder);

}  // namespace tallowick
