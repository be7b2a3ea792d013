// A fixture home for the session-store readers, two levels below a scratch folder (so that folders
// outside it can be made): the tools' files with only the keys the readers read, dated at will.

#pragma once

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include "analysis/AgentSession.h"
#include "base/Date.h"
#include "support/TestSupport.h"

namespace qb {

inline void PrintTo(const AgentSession& s, std::ostream* out) {
  *out << s.agent << " | " << s.folder << " | " << s.title << " | " << s.updated.unixTime()
       << (s.busy ? " | busy | " : " | idle | ") << s.project;
}

}  // namespace qb

namespace qb::test {

inline constexpr Date kNow = Date::fromUnix(1'700'000'000);
inline constexpr Date kSince = kNow - 7200;

inline const std::string kClaude = ".claude/projects/p/",
                         kCodexIndex = ".codex/session_index.jsonl", kRollouts = ".codex/sessions/";

// Lines of the stores' files.
inline std::string claudeLines(const std::string& title, const std::string& folder) {
  return R"({"type":"ai-title","aiTitle":")" + title + "\"}\n{\"cwd\":\"" + folder + "\"}\n";
}
inline std::string codexTitle(const std::string& id, const std::string& title) {
  return R"({"id":")" + id + R"(","thread_name":")" + title + "\"}\n";
}
inline std::string codexStart(const std::string& id, const std::string& folder,
                              const std::string& idKey = "id") {
  return R"({"payload":{")" + idKey + R"(":")" + id + R"(","cwd":")" + folder + "\"}}\n";
}
inline std::string codexEvent(const std::string& type) {
  return R"({"payload":{"type":")" + type + "\"}}\n";
}

class AgentHome {
public:
  AgentHome() { std::filesystem::create_directories(home_); }
  const std::filesystem::path& path() const { return home_; }
  auto operator/(const std::filesystem::path& relative) const { return home_ / relative; }

  // Writes the file (below home, or absolute) and its folders; dates it `modified`, to the second.
  std::filesystem::path write(const std::filesystem::path& relative, std::string_view bytes,
                              Date modified = kNow) const {
    const std::filesystem::path file = home_ / relative;
    std::filesystem::create_directories(file.parent_path());
    writeFile(file, bytes);
    const auto seconds = static_cast<time_t>(modified.unixTime());
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    if (::utimensat(AT_FDCWD, file.c_str(), times, 0) != 0) throw std::runtime_error("utimensat");
    return file;
  }

  // A Copilot chat titled `title` in a workspace of the editor that `workspaceJson` describes.
  void copilot(const std::string& workspace, const std::string& workspaceJson,
               const std::string& title, Date modified = kNow,
               const std::string& editor = "Code") const {
    const std::string at = ".config/" + editor + "/User/workspaceStorage/" + workspace + "/";
    write(at + "workspace.json", workspaceJson);
    write(at + "chatSessions/" + title + ".json", R"({"customTitle":")" + title + "\"}", modified);
  }

  // Runs SQL on the home's opencode database, made in the tool's shape and kept open.
  void opencodeSql(const std::string& sql) {
    if (db_ == nullptr) {
      std::filesystem::create_directories(home_ / ".local/share/opencode");
      sqlite3_open((home_ / ".local/share/opencode/opencode.db").c_str(), &db_);
      opencodeSql(
          "CREATE TABLE session (id, parent_id, directory, title, time_updated, "
          "time_archived); CREATE TABLE message (session_id, time_created, data)");
    }
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
      throw std::runtime_error(sqlite3_errmsg(db_));
    }
  }
  // An opencode session `id` in the folder /w/<id>, with its messages' data, oldest first.
  void opencodeSession(const std::string& id, const std::string& title, Date updated,
                       const std::vector<std::string>& messages = {}, const char* parent = "NULL",
                       const char* archived = "NULL") {
    const auto ms = static_cast<int64_t>(updated.unixTime()) * 1000;
    std::string sql = "INSERT INTO session VALUES ('" + id + "', " + parent + ", '/w/" + id +
                      "', '" + title + "', " + std::to_string(ms) + ", " + archived + ");";
    for (size_t i = 0; i < messages.size(); ++i) {
      sql += "INSERT INTO message VALUES ('" + id + "', " + std::to_string(i) + ", '" +
             messages[i] + "');";
    }
    opencodeSql(sql);
  }
  ~AgentHome() { sqlite3_close(db_); }

private:
  TempDir scratch_;
  std::filesystem::path home_ = scratch_ / "home/name";
  sqlite3* db_ = nullptr;
};

}  // namespace qb::test
