#include "base/FileRefusal.h"

#include <system_error>

#include "base/Error.h"
#include "base/File.h"

namespace qb::file {

bool refusedBySystem(const Error& error, const std::filesystem::path& path, uint64_t maxBytes) {
  if (error.domain() != Error::kFileDomain) return false;
  if (error.code() == kNoPermissionCode) return true;
  if (error.code() != kReadFailedCode) return false;
  std::error_code failed;
  const std::filesystem::file_status status = std::filesystem::status(path, failed);
  if (failed) return true;
  if (!std::filesystem::is_regular_file(status)) return false;
  const uintmax_t size = std::filesystem::file_size(path, failed);
  // A regular file within the bound was refused while it was read: an I/O error.
  return failed || size <= maxBytes;
}

}  // namespace qb::file
