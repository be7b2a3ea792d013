#include "recording/DatabaseCheck.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "base/File.h"

namespace qb::database {

namespace {

// Between a file's stem and a number: recording-damaged-1.sqlite, recording-damaged-2.sqlite
constexpr std::string_view kDamagedInfix = "-damaged-";

}  // namespace

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

std::filesystem::path setAside(const std::filesystem::path& file, std::string& why) {
  const auto& kinds = file::kDatabaseFiles;
  auto taken = [&](const std::filesystem::path& name) {
    std::error_code ignored;
    return std::any_of(kinds.begin(), kinds.end(), [&](std::string_view kind) {
      return std::filesystem::exists(name.string() + std::string(kind), ignored);
    });
  };
  std::filesystem::path aside;
  for (int n = 1; aside.empty() || taken(aside); ++n) {
    aside = file.parent_path() / (file.stem().string() + std::string(kDamagedInfix) +
                                  std::to_string(n) + file.extension().string());
  }
  // Its write-ahead log goes with it, or it would be read into the new file.
  std::vector<std::string_view> moved;
  for (std::string_view kind : kinds) {
    const std::string from = file.string() + std::string(kind);
    const std::string to = aside.string() + std::string(kind);
    if (::access(from.c_str(), F_OK) != 0) continue;
    if (::rename(from.c_str(), to.c_str()) != 0) {
      why = "can't be set aside as " + aside.string() + ": " + std::strerror(errno);
      for (auto back = moved.rbegin(); back != moved.rend(); ++back) {
        ::rename((aside.string() + std::string(*back)).c_str(),
                 (file.string() + std::string(*back)).c_str());
      }
      return {};
    }
    moved.push_back(kind);
  }
  return aside;
}

std::string removeSetAsideCopies(const std::filesystem::path& file) {
  const std::string prefix = file.stem().string() + std::string(kDamagedInfix);
  const std::string extension = file.extension().string();
  std::vector<std::filesystem::path> copies;
  std::error_code error;
  for (std::filesystem::directory_iterator entry(file.parent_path(), error), end;
       !error && entry != end; entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    if (!name.starts_with(prefix)) continue;
    const size_t digits = name.find_first_not_of("0123456789", prefix.size());
    if (digits == prefix.size() || digits == std::string::npos) continue;
    const std::string_view rest = std::string_view(name).substr(digits);
    if (std::any_of(file::kDatabaseFiles.begin(), file::kDatabaseFiles.end(),
                    [&](std::string_view kind) { return rest == extension + std::string(kind); })) {
      copies.push_back(entry->path());
    }
  }
  std::string kept;
  const auto keep = [&kept](const std::filesystem::path& path, const std::error_code& why) {
    kept += (kept.empty() ? "" : ", ") + path.string() + ": " + why.message();
  };
  if (error) keep(file.parent_path(), error);
  for (const std::filesystem::path& copy : copies) {
    std::error_code failure;
    if (std::filesystem::remove(copy, failure); failure) keep(copy, failure);
  }
  return kept;
}

}  // namespace qb::database
