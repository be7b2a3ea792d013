#include "base/Error.h"

namespace qb {

Error::Error(std::string domain, long code, const std::string& message)
    : std::runtime_error(message), domain_(std::move(domain)), code_(code) {}

Error Error::fileReadCorrupt(const std::string& detail) {
  std::string message = "The file couldn't be opened because it isn't in the correct format.";
  if (!detail.empty()) message += " (" + detail + ")";
  return Error(kFileDomain, kFileReadCorruptCode, message);
}

Error Error::decoding(const std::string& detail) {
  return Error(kDecodingDomain, kDecodingCode, "The data couldn't be read: " + detail);
}

}  // namespace qb
