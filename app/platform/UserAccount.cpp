#include "platform/UserAccount.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace qb {

std::optional<UserAccount> UserAccount::current() {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  constexpr long kFallbackBufferBytes = 16384;  // when the system gives no hint
  if (size <= 0) size = kFallbackBufferBytes;
  std::vector<char> buffer(static_cast<size_t>(size));
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr) {
    return std::nullopt;
  }
  UserAccount account;
  if (found->pw_name != nullptr) account.name = found->pw_name;
  if (found->pw_gecos != nullptr) {
    // The comment field holds the full name, then office, phones and other, comma-separated.
    const std::string gecos = found->pw_gecos;
    account.fullName = gecos.substr(0, gecos.find(','));
  }
  if (found->pw_dir != nullptr) account.home = found->pw_dir;
  return account;
}

}  // namespace qb
