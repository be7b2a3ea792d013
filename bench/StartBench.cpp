// Start to the first window: how long the program itself takes, from its start to its first
// window on screen, with a year of recording in its data folder against an empty folder. A start
// must never wait on the size of what the user has recorded.
//
// Each iteration starts the program twice, once per folder, in alternating order, and measures
// from the spawn until the window manager lists a viewable window of that process; the program is
// then killed, so that the next start finds the desktop as the first did. cold: the recording's
// pages (the file and its side files) are dropped from the page cache before each start, as after
// a reboot; warm: they are read through first, as by a start that checked them whole. The year's
// recording (kYearDays days of kMomentsPerDay moments, each with its page text, a model run and a
// decision: about 900 MB) is made once into build/bench-data of the source tree and reused.
// empty_ms and year_ms are the mean times; year_per_empty is their ratio. The bench and the
// programs it starts are pinned to kPinnedCores. Needs an X display with a window manager
// (scripts/bench provides one); skipped without.

#include <benchmark/benchmark.h>

#if defined(QB_BENCH_PLATFORM) && defined(QB_PROGRAM)

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "base/File.h"
#include "base/WallClock.h"
#include "platform/linux/SingleInstance.h"
#include "recording/Recorder.h"

extern char** environ;

namespace qb {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A year of use: days, moments a day (one every 30 s of an eight-hour day) and their texts'
// lengths, as the recorder keeps them at most.
constexpr int kYearDays = 365;
constexpr int kMomentsPerDay = 960;
constexpr size_t kPageTextCharacters = Recorder::kPageTextCharacters;
constexpr size_t kFocusedTextCharacters = Recorder::kFocusedTextCharacters;
constexpr size_t kModelInputCharacters = 300;
// How long a start may take to show its window before the iteration fails.
constexpr auto kWindowTimeout = std::chrono::seconds(30);
// How often the window manager's list is read while waiting.
constexpr auto kPollInterval = std::chrono::microseconds(500);
// How long a killed program's name on the session bus may take to go.
constexpr auto kReleaseTimeout = std::chrono::seconds(10);
// The cores the bench and the programs it starts run on: two, as the program has a main thread
// and the check's.
constexpr std::array<int, 2> kPinnedCores = {2, 3};
constexpr int kIterations = 4;

// Words of the recorded texts, drawn at random so that no two pages are alike.
constexpr std::array<const char*, 16> kWords = {
    "quarterly", "report",  "invoice", "meeting", "draft",  "review", "budget", "schedule",
    "release",   "project", "design",  "notes",   "editor", "build",  "test",   "server"};

std::string words(std::mt19937& random, size_t characters) {
  std::string text;
  while (text.size() < characters) {
    text += kWords[random() % kWords.size()];
    text += ' ';
  }
  text.resize(characters);
  return text;
}

// Runs `sql` on `db`; false, with the reason in `why`, when it fails.
bool exec(sqlite3* db, const char* sql, std::string& why) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
  why = message ? message : sqlite3_errmsg(db);
  sqlite3_free(message);
  return false;
}

// Makes the year's recording at `file` unless it is there: the recorder's own schema, then the
// rows through one connection in one transaction. Empty, or the reason it could not be made.
std::string makeYear(const fs::path& file) {
  std::error_code error;
  if (fs::is_regular_file(file, error) && fs::file_size(file, error) > 0) return {};
  const fs::path partial = file.string() + ".partial";
  for (std::string_view kind : file::kDatabaseFiles)
    fs::remove(partial.string() + std::string(kind), error);
  {
    NoMain main;
    NoTimers timers;
    Recorder schema(partial, main, timers, WallClock::system());
    schema.flush().get();
  }
  sqlite3* raw = nullptr;
  const int opened = sqlite3_open(partial.c_str(), &raw);
  std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
  if (opened != SQLITE_OK) return "can't open " + partial.string();
  std::string why;
  if (!exec(db.get(), "PRAGMA synchronous = OFF", why) || !exec(db.get(), "BEGIN", why)) return why;
  sqlite3_stmt* moment = nullptr;
  sqlite3_stmt* run = nullptr;
  sqlite3_stmt* decision = nullptr;
  sqlite3_prepare_v2(
      db.get(),
      "INSERT INTO moments (session, id, started, ended, app, bundle_id, title, url, "
      "host, page_text, focused_text, keys, clicks) VALUES (?, ?, ?, ?, 'Browser', "
      "'firefox', ?, ?, 'docs.example', ?, ?, 40, 3)",
      -1, &moment, nullptr);
  sqlite3_prepare_v2(
      db.get(),
      "INSERT INTO model_runs (session, moment, at, pass, task, input, probabilities, "
      "latency_ms, cache_hit) VALUES (?, ?, ?, 'head', 'activity', ?, "
      "'{\"work\":0.8}', 5.5, 0)",
      -1, &run, nullptr);
  sqlite3_prepare_v2(db.get(),
                     "INSERT INTO decisions (session, moment, at, mode, activity, score, decision, "
                     "reason) VALUES (?, ?, ?, 'protecting', 'work', 0.8, 'none', 'at work')",
                     -1, &decision, nullptr);
  std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> moments(moment, sqlite3_finalize),
      runs(run, sqlite3_finalize), decisions(decision, sqlite3_finalize);
  if (!moments || !runs || !decisions) return sqlite3_errmsg(db.get());
  std::mt19937 random(2026);
  const double start = 1.75e9;
  int64_t id = 0;
  for (int day = 0; day < kYearDays; ++day) {
    const std::string session = "INSERT INTO sessions (id, started) VALUES (" +
                                std::to_string(day + 1) + ", " +
                                std::to_string(start + day * 86400.0) + ")";
    if (!exec(db.get(), session.c_str(), why)) return why;
    for (int n = 0; n < kMomentsPerDay; ++n) {
      ++id;
      const double at = start + day * 86400.0 + n * 30.0;
      const std::string title = words(random, 60);
      const std::string url = "https://docs.example/" + std::to_string(id);
      const std::string page = words(random, kPageTextCharacters);
      const std::string focused = words(random, kFocusedTextCharacters);
      const std::string input = words(random, kModelInputCharacters);
      sqlite3_bind_int64(moment, 1, day + 1);
      sqlite3_bind_int64(moment, 2, id);
      sqlite3_bind_double(moment, 3, at);
      sqlite3_bind_double(moment, 4, at + 30);
      sqlite3_bind_text(moment, 5, title.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(moment, 6, url.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(moment, 7, page.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(moment, 8, focused.c_str(), -1, SQLITE_TRANSIENT);
      for (sqlite3_stmt* row : {run, decision}) {
        sqlite3_bind_int64(row, 1, day + 1);
        sqlite3_bind_int64(row, 2, id);
        sqlite3_bind_double(row, 3, at);
      }
      sqlite3_bind_text(run, 4, input.c_str(), -1, SQLITE_TRANSIENT);
      for (sqlite3_stmt* row : {moment, run, decision}) {
        if (sqlite3_step(row) != SQLITE_DONE) return sqlite3_errmsg(db.get());
        sqlite3_reset(row);
      }
    }
  }
  if (!exec(db.get(), "COMMIT", why) || !exec(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)", why)) {
    return why;
  }
  db.reset();
  for (std::string_view kind : file::kDatabaseCompanions) {
    fs::remove(partial.string() + std::string(kind), error);
  }
  fs::rename(partial, file, error);
  return error ? error.message() : std::string();
}

// Drops what the page cache holds of the database `file` and its side files.
void dropCache(const fs::path& file) {
  for (std::string_view kind : file::kDatabaseFiles) {
    const int fd = ::open((file.string() + std::string(kind)).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
  }
}

// Reads the database `file` and its side files through, so that their pages are in the page cache
// as after a start that checked them whole: a start killed at its window reads only some of them.
void warmCache(const fs::path& file) {
  constexpr size_t kChunkBytes = size_t{1} << 20;
  std::vector<char> chunk(kChunkBytes);
  for (std::string_view kind : file::kDatabaseFiles) {
    const int fd = ::open((file.string() + std::string(kind)).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    while (::read(fd, chunk.data(), chunk.size()) > 0) {
    }
    ::close(fd);
  }
}

// The window manager's view of the screen: which managed window belongs to which process.
class Screen {
public:
  Screen() : connection_(xcb_connect(nullptr, nullptr), xcb_disconnect) {
    if (xcb_connection_has_error(connection_.get())) return;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_.get())).data->root;
    clients_ = atom("_NET_CLIENT_LIST");
    pid_ = atom("_NET_WM_PID");
  }
  explicit operator bool() const { return clients_ != XCB_ATOM_NONE && pid_ != XCB_ATOM_NONE; }

  // True once a viewable window of process `pid` is among the managed ones.
  bool shows(pid_t pid) {
    for (uint32_t window : list(root_, clients_, XCB_ATOM_WINDOW)) {
      const std::vector<uint32_t> owner = list(window, pid_, XCB_ATOM_CARDINAL);
      if (owner.empty() || static_cast<pid_t>(owner.front()) != pid) continue;
      std::unique_ptr<xcb_get_window_attributes_reply_t, void (*)(void*)> attributes(
          xcb_get_window_attributes_reply(
              connection_.get(), xcb_get_window_attributes(connection_.get(), window), nullptr),
          std::free);
      if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE) return true;
    }
    return false;
  }

private:
  xcb_atom_t atom(const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, void (*)(void*)> reply(
        xcb_intern_atom_reply(connection_.get(),
                              xcb_intern_atom(connection_.get(), 1, std::strlen(name), name),
                              nullptr),
        std::free);
    if (!reply) return XCB_ATOM_NONE;
    return reply->atom;
  }
  std::vector<uint32_t> list(uint32_t window, xcb_atom_t property, xcb_atom_t type) {
    constexpr uint32_t kMaxItems = 4096;
    std::unique_ptr<xcb_get_property_reply_t, void (*)(void*)> reply(
        xcb_get_property_reply(
            connection_.get(),
            xcb_get_property(connection_.get(), 0, window, property, type, 0, kMaxItems), nullptr),
        std::free);
    if (!reply || reply->format != 32) return {};
    const auto* items = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<uint32_t>(items, items + xcb_get_property_value_length(reply.get()) / 4);
  }

  std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> connection_;
  uint32_t root_ = 0;
  xcb_atom_t clients_ = XCB_ATOM_NONE;
  xcb_atom_t pid_ = XCB_ATOM_NONE;
};

// Whether the program's name is still owned on the session bus.
bool instanceRuns() {
  const std::string command =
      "dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus "
      "org.freedesktop.DBus.NameHasOwner string:" +
      std::string(SingleInstance::kBusName) + " 2>/dev/null | grep -q 'boolean true'";
  return std::system(command.c_str()) == 0;
}

// A home of the program's own: its settings say it is onboarded, so that the main window is the
// first, and its data folder holds `recording` when one is given (a hard link: no copy to make).
struct Home {
  Home(const fs::path& folder, const std::optional<fs::path>& recording) : root(folder) {
    fs::remove_all(root);
    fs::create_directories(root / "config" / "Quillbrook");
    fs::create_directories(root / "data" / "Quillbrook");
    std::ofstream(root / "config" / "Quillbrook" / "settings.json") << R"({"onboarded":true})"
                                                                    << "\n";
    if (recording) fs::create_hard_link(*recording, this->recording());
  }
  ~Home() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  fs::path recording() const { return root / "data" / "Quillbrook" / "recording.sqlite"; }
  fs::path root;
};

// Starts the program with `home`'s folders and answers the seconds to its first window; none when
// it did not show one in time.
std::optional<double> startToFirstWindow(Screen& screen, const Home& home) {
  std::vector<std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string variable = *entry;
    if (variable.starts_with("XDG_CONFIG_HOME=") || variable.starts_with("XDG_DATA_HOME=") ||
        variable.starts_with("XDG_CACHE_HOME=") || variable.starts_with("QB_MODEL_DIR=")) {
      continue;
    }
    variables.push_back(variable);
  }
  variables.push_back("XDG_CONFIG_HOME=" + (home.root / "config").string());
  variables.push_back("XDG_DATA_HOME=" + (home.root / "data").string());
  variables.push_back("XDG_CACHE_HOME=" + (home.root / "cache").string());
  std::vector<char*> environment;
  for (std::string& variable : variables) environment.push_back(variable.data());
  environment.push_back(nullptr);
  std::string program = QB_PROGRAM;
  std::array<char*, 2> arguments = {program.data(), nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const Clock::time_point started = Clock::now();
  const int spawned =
      posix_spawn(&pid, program.c_str(), &actions, nullptr, arguments.data(), environment.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return std::nullopt;
  std::optional<double> seconds;
  while (Clock::now() - started < kWindowTimeout) {
    if (screen.shows(pid)) {
      seconds = std::chrono::duration<double>(Clock::now() - started).count();
      break;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  for (const Clock::time_point killed = Clock::now();
       instanceRuns() && Clock::now() - killed < kReleaseTimeout;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return seconds;
}

void BM_StartToFirstWindow(benchmark::State& state) {
  const bool cold = state.range(0) != 0;
  Screen screen;
  if (!screen) return state.SkipWithError("skipped: no X display");
  cpu_set_t cores;
  CPU_ZERO(&cores);
  for (int core : kPinnedCores) CPU_SET(core, &cores);
  cpu_set_t before;
  sched_getaffinity(0, sizeof before, &before);
  sched_setaffinity(0, sizeof cores, &cores);  // inherited by the programs started

  const fs::path data = fs::path(QB_SOURCE_DIR) / "build" / "bench-data";
  fs::create_directories(data);
  const fs::path year = data / "year-recording.sqlite";
  if (const std::string failure = makeYear(year); !failure.empty()) {
    sched_setaffinity(0, sizeof before, &before);
    return state.SkipWithError(("skipped: the year's recording: " + failure).c_str());
  }
  const Home empty(data / "start-empty", std::nullopt);
  const Home full(data / "start-year", year);

  double emptySeconds = 0;
  double yearSeconds = 0;
  int round = 0;
  for (auto _ : state) {
    double both = 0;
    for (int turn = 0; turn < 2; ++turn) {
      const Home& home = (turn + round) % 2 == 0 ? empty : full;
      if (cold) {
        dropCache(home.recording());
      } else {
        warmCache(home.recording());
      }
      const std::optional<double> seconds = startToFirstWindow(screen, home);
      if (!seconds) {
        sched_setaffinity(0, sizeof before, &before);
        return state.SkipWithError("the program showed no window in time");
      }
      (&home == &empty ? emptySeconds : yearSeconds) += *seconds;
      both += *seconds;
    }
    state.SetIterationTime(both);
    ++round;
  }
  sched_setaffinity(0, sizeof before, &before);
  state.counters["empty_ms"] = benchmark::Counter(emptySeconds * 1e3 / round);
  state.counters["year_ms"] = benchmark::Counter(yearSeconds * 1e3 / round);
  state.counters["year_per_empty"] = benchmark::Counter(yearSeconds / emptySeconds);
}
BENCHMARK(BM_StartToFirstWindow)
    ->ArgName("cold")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(kIterations)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qb

#endif
