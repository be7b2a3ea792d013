#include "recording/DatabaseCheck.h"

#include <sqlite3.h>

#include <memory>
#include <optional>

namespace qb::database {

int quickCheck(sqlite3* db, std::string& problem) {
  sqlite3_stmt* raw = nullptr;
  int result = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &raw, nullptr);
  std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> check(raw, sqlite3_finalize);
  if (result == SQLITE_OK) {
    // One row "ok" for a whole file, else one row per problem.
    std::optional<std::string> first;
    while ((result = sqlite3_step(check.get())) == SQLITE_ROW) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(check.get(), 0));
      if (!first) first = text ? text : "";
    }
    if (result == SQLITE_DONE) {
      if (first == "ok") return SQLITE_OK;
      problem = first.value_or("no answer");
      // The first problem comes after a line that names the schema, "*** in database main ***".
      if (problem.starts_with("*** ")) {
        if (const size_t end = problem.find('\n'); end != std::string::npos)
          problem.erase(0, end + 1);
      }
      return SQLITE_CORRUPT;
    }
  }
  problem = sqlite3_errmsg(db);
  return result & 0xff;
}

}  // namespace qb::database
