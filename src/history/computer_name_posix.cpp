#include <unistd.h>

#include "history/recorder.h"

namespace tallowick::history {

std::string computerName() {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) return {};
  return host;
}

}  // namespace tallowick::history
