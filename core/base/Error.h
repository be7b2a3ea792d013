// Error: the one exception type of Quillbrook, with a domain, a code and a message.
//
// Readers of files throw Error::fileReadCorrupt() (code 259) for malformed content; JSON decoding
// throws Error::decoding(); other layers use their own domain. what() is the message.

#pragma once

#include <stdexcept>
#include <string>

namespace qb {

class Error : public std::runtime_error {
public:
  Error(std::string domain, long code, const std::string& message);

  const std::string& domain() const { return domain_; }
  long code() const { return code_; }

  // Domains used across the program.
  static constexpr const char* kFileDomain = "qb.file";
  static constexpr const char* kDecodingDomain = "qb.decoding";

  // A file's content cannot be used: code 259, as the model readers report it.
  static constexpr long kFileReadCorruptCode = 259;
  static Error fileReadCorrupt(const std::string& detail = {});

  // A JSON value is missing a key or holds a value of the wrong type.
  static constexpr long kDecodingCode = 4864;
  static Error decoding(const std::string& detail);

private:
  std::string domain_;
  long code_;
};

}  // namespace qb
