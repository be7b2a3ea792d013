#include "base/ProcessStatus.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace qb {

double statusKilobytes(std::string_view key) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.size() > key.size() && line.starts_with(key) && line[key.size()] == ':') {
      return std::strtod(line.c_str() + key.size() + 1, nullptr);
    }
  }
  return 0;
}

}  // namespace qb
