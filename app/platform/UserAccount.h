// UserAccount: the account the program runs under, as the password database describes it.

#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace qb {

struct UserAccount {
  std::string name;      // the login name
  std::string fullName;  // the first field of the comment (GECOS) field; may be empty
  std::filesystem::path home;

  // The entry of the process's real user; none when the database has none.
  static std::optional<UserAccount> current();
};

}  // namespace qb
