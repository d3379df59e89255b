#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "history/new_file.h"

namespace tallowick::history {

namespace fs = std::filesystem;

namespace {

std::string errnoText(int code) {
  return std::error_code(code, std::generic_category()).message();
}

void syncFolder(const fs::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::optional<std::string> placeNewFile(const fs::path& file, std::string_view bytes) {
  const fs::path folder = file.parent_path();
  if (auto failed = makeFolder(folder)) return failed;
  std::string name = (folder / (temporaryStem(file) + "XXXXXX")).string();
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return errnoText(errno);

  int failure = 0;
  for (std::size_t done = 0; failure == 0 && done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno != EINTR) failure = errno;
    if (n > 0) done += static_cast<std::size_t>(n);
  }
  if (failure == 0 && ::fsync(fd) != 0) failure = errno;
  ::close(fd);
  // link() never replaces: a file that another writer put in place first stays.
  if (failure == 0 && ::link(name.c_str(), file.c_str()) != 0 && errno != EEXIST) failure = errno;
  ::unlink(name.c_str());
  if (failure != 0) return errnoText(failure);
  syncFolder(folder);
  return std::nullopt;
}

}  // namespace tallowick::history
