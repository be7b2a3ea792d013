// What the recorder's tests share: a clock the test sets, a recorder on a scratch file driven by a
// manual main thread, a second connection that reads the file as another program would, and the
// faults a recording's file meets: read-only, full, held by another program, damaged.

#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/fsuid.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/WallClock.h"
#include "recording/Recorder.h"
#include "recording/SqlValue.h"
#include "support/ManualRuntime.h"
#include "support/TestSupport.h"

namespace qb {

// Shows a value in a failed comparison as SQL would, not as its bytes.
inline void PrintTo(const SqlValue& value, std::ostream* out) {
  if (value.isNull()) {
    *out << "NULL";
  } else if (const auto* text = std::get_if<std::string>(&value.storage())) {
    *out << '\'' << *text << '\'';
  } else if (const auto* number = std::get_if<int64_t>(&value.storage())) {
    *out << *number;
  } else {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.17g", std::get<double>(value.storage()));
    *out << digits << " (real)";
  }
}

}  // namespace qb

namespace qb::test {

class ManualClock : public WallClock {
public:
  Date now() const override { return Date{seconds_.load()}; }
  void set(Date date) { seconds_.store(date.sinceReferenceDate); }

private:
  std::atomic<double> seconds_{800000000};
};

// A connection of its own to a database file, made when missing.
class Reader {
public:
  explicit Reader(const std::filesystem::path& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
      throw std::runtime_error("cannot open " + path.string());
    }
    sqlite3_busy_timeout(db_, 5000);
  }
  ~Reader() { sqlite3_close(db_); }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  using Row = std::vector<SqlValue>;
  std::vector<Row> rows(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    int result = sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr);
    if (result != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db_) + (": " + sql));
    std::vector<Row> out;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
      Row row;
      for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        switch (sqlite3_column_type(statement, i)) {
          case SQLITE_INTEGER:
            row.emplace_back(static_cast<int64_t>(sqlite3_column_int64(statement, i)));
            break;
          case SQLITE_FLOAT:
            row.emplace_back(sqlite3_column_double(statement, i));
            break;
          case SQLITE_TEXT:
            row.emplace_back(
                std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(statement, i)),
                                 static_cast<size_t>(sqlite3_column_bytes(statement, i))));
            break;
          default:
            row.emplace_back();
        }
      }
      out.push_back(std::move(row));
    }
    sqlite3_finalize(statement);
    if (result != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db_) + (": " + sql));
    return out;
  }
  int64_t count(const std::string& table) {
    return std::get<int64_t>(rows("SELECT COUNT(*) FROM " + table).at(0).at(0).storage());
  }
  // Takes the file for this connection alone, as a program that locks it exclusively does: every
  // other connection is kept out, readers too, until this one closes.
  void holdExclusively() {
    exec("PRAGMA locking_mode = EXCLUSIVE");
    exec("BEGIN EXCLUSIVE");
  }
  void exec(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
      std::string why = message ? message : "?";
      sqlite3_free(message);
      throw std::runtime_error(why + ": " + sql);
    }
  }

private:
  sqlite3* db_ = nullptr;
};

using Rows = std::vector<Reader::Row>;

// File permissions as an ordinary user meets them, for the thread that makes one and for the
// threads it starts meanwhile (a recorder's own keeps them for its life): root writes into a
// read-only file. Run as root, the folder and every file in it become the user "nobody"'s, and
// the folders above it must let that user through; run as anyone else, it changes nothing.
class OrdinaryUser {
public:
  static constexpr uid_t kNobody = 65534;

  explicit OrdinaryUser(const std::filesystem::path& folder) : root_(::geteuid() == 0) {
    if (!root_) return;
    std::vector<std::filesystem::path> owned = {folder};
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      owned.push_back(entry.path());
    }
    for (const auto& path : owned) {
      if (::chown(path.c_str(), kNobody, kNobody) != 0) throw std::runtime_error("chown failed");
    }
    ::setfsgid(kNobody);
    ::setfsuid(kNobody);
  }
  ~OrdinaryUser() {
    if (!root_) return;
    ::setfsuid(0);
    ::setfsgid(0);
    // A change of the file user makes the process undumpable; its crashes stay diagnosable.
    ::prctl(PR_SET_DUMPABLE, 1);
  }
  OrdinaryUser(const OrdinaryUser&) = delete;
  OrdinaryUser& operator=(const OrdinaryUser&) = delete;

private:
  bool root_;
};

// While it lives, no file of this process grows past `bytes`: the disk is as good as full. A
// write beyond fails with EFBIG instead of the signal that would end the process.
class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t bytes) {
    if (::getrlimit(RLIMIT_FSIZE, &before_) != 0) throw std::runtime_error("getrlimit failed");
    signal_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = before_;
    limit.rlim_cur = bytes;
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) throw std::runtime_error("setrlimit failed");
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &before_);
    ::signal(SIGXFSZ, signal_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
  rlimit before_{};
  sighandler_t signal_ = SIG_DFL;
};

inline SqlValue text(const char* value) { return SqlValue(std::string_view(value)); }
inline SqlValue unix(double seconds) { return SqlValue(Date{seconds}); }

inline MomentRecord moment(uint64_t id, double start, std::string title = "Editor") {
  return MomentRecord(Moment(id, Date{start}, "Editor", "org.editor", std::move(title)));
}

class RecorderTest : public ::testing::Test {
protected:
  RecorderTest() : path_(dir_ / "Quillbrook" / "recording.sqlite") {}

  Recorder& recorder() {
    if (!recorder_) {
      recorder_ = std::make_unique<Recorder>(path_, main_, timers_, clock_,
                                             [this](bool waiting) { waiting_.push_back(waiting); });
    }
    return *recorder_;
  }
  void close() { recorder_.reset(); }
  static bool logged(const LogCapture& log, const std::string& words) {
    return timesLogged(log, words) > 0;
  }
  static long timesLogged(const LogCapture& log, const std::string& words) {
    const auto lines = log.lines();
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.find(words) != std::string::npos;
    });
  }
  // What waitingChanged told the main thread so far.
  std::vector<bool> waiting() {
    main_.runAll();
    return waiting_;
  }
  void flush() { recorder().flush().get(); }
  // Writes what was called so far, then reads as another program would.
  Rows rows(const std::string& sql) {
    flush();
    return Reader(path_).rows(sql);
  }
  int64_t count(const std::string& table) {
    flush();
    return Reader(path_).count(table);
  }
  void system(const char* event, std::optional<uint64_t> moment = std::nullopt, double at = 1001) {
    recorder().system(event, moment, std::nullopt, Date{at});
  }
  // Runs the main thread's waiting tasks (the batch timer's arming), then moves its timers on.
  void advance(Duration seconds) {
    main_.runAll();
    timers_.advance(seconds);
  }
  // Waits, bounded, until the reader counts `expected` rows of a table.
  bool eventually(Reader& reader, const std::string& table, int64_t expected) {
    for (int i = 0; i < 1000; ++i) {
      if (reader.count(table) == expected) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  // A closed recording of some pages of moments, cut off in the middle of its last page, as a
  // copy or a disk that failed halfway leaves it.
  void makeDamagedRecording() {
    recorder().start(session());
    for (uint64_t id = 1; id <= 300; ++id) {
      recorder().begin(moment(id, 1000 + static_cast<double>(id)), {});
    }
    close();
    std::filesystem::resize_file(path_, std::filesystem::file_size(path_) - kPageBytes / 2);
  }
  static constexpr uintmax_t kPageBytes = 4096;  // SQLite's default page
  SessionRecord session(double started = 1000) {
    return SessionRecord{
        Date::fromReference(started), "1.2.3", "Linux test", "Test machine", {}, {}};
  }

  TempDir dir_;
  std::filesystem::path path_;
  ManualExecutor main_;
  ManualTimers timers_;
  ManualClock clock_;
  std::vector<bool> waiting_;  // touched on the main thread (main_) only
  std::unique_ptr<Recorder> recorder_;
};

}  // namespace qb::test
