// A writer killed in the middle of its work: what was committed is there whole, and nothing else.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "recording/RecorderTestSupport.h"

extern char** environ;

namespace qb::test {
namespace {

constexpr const char* kFileVariable = "QB_RECORDER_CRASH_FILE";
constexpr const char* kPipeVariable = "QB_RECORDER_CRASH_PIPE";
// What the child writes: "moments" in one session, or "sessions" one after another.
constexpr const char* kWorkVariable = "QB_RECORDER_CRASH_WORK";
constexpr uint64_t kMomentsPerFlush = 50;
constexpr uint64_t kFlushedBeforeKill = 400;
constexpr uint64_t kSessionsBeforeKill = 40;

MomentRecord numbered(uint64_t id) {
  return MomentRecord(Moment(id, Date{1000.0 + static_cast<double>(id)}, "App", "app",
                             "Moment " + std::to_string(id)));
}

SessionRecord started(uint64_t n) {
  return SessionRecord{Date{1000.0 + static_cast<double>(n)}, "1", "os", "mac", {}, {}};
}

// The crash tests run this in a child process of their own, which they kill; alone it does
// nothing. It reports on the pipe how many moments, or sessions, it has flushed.
TEST(RecorderCrashChild, WritesUntilKilled) {
  const char* file = std::getenv(kFileVariable);
  const char* pipe = std::getenv(kPipeVariable);
  const char* work = std::getenv(kWorkVariable);
  if (file == nullptr || pipe == nullptr || work == nullptr) {
    GTEST_SKIP() << "runs only as the crash test's child";
  }
  const int out = std::atoi(pipe);
  ManualExecutor main;
  ManualTimers timers;
  ManualClock clock;
  Recorder recorder(file, main, timers, clock);
  const bool sessions = std::string(work) == "sessions";
  if (!sessions) recorder.start(started(0));
  for (uint64_t n = 1;; ++n) {
    if (sessions) {
      recorder.start(started(n));
      recorder.begin(numbered(n), InputCounts{});
    } else {
      recorder.begin(numbered(n), InputCounts{static_cast<uint32_t>(n), 0, 0, 0});
      if (n % kMomentsPerFlush != 0) continue;
    }
    recorder.flush().get();
    ASSERT_EQ(::write(out, &n, sizeof n), static_cast<ssize_t>(sizeof n));
  }
}

// Runs the child on `file` with `work` until it has reported at least `reports`, then kills it;
// `flushed` is the last count it reported.
void killWriter(const std::filesystem::path& file, const char* work, uint64_t reports,
                uint64_t& flushed) {
  std::filesystem::create_directories(file.parent_path());
  int channel[2];
  ASSERT_EQ(::pipe(channel), 0);
  // Everything the child needs is made before the fork: after it, only exec.
  std::vector<std::string> settings = {
      std::string(kFileVariable) + "=" + file.string(),
      std::string(kPipeVariable) + "=" + std::to_string(channel[1]),
      std::string(kWorkVariable) + "=" + work};
  for (char** variable = environ; *variable != nullptr; ++variable)
    settings.emplace_back(*variable);
  std::vector<char*> environment;
  for (std::string& setting : settings) environment.push_back(setting.data());
  environment.push_back(nullptr);
  const std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
  std::string filter = "--gtest_filter=RecorderCrashChild.WritesUntilKilled";
  char* arguments[] = {const_cast<char*>(program.c_str()), filter.data(), nullptr};

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(channel[0]);
    int quiet = ::open("/dev/null", O_WRONLY);
    ::dup2(quiet, STDOUT_FILENO);
    ::execve(program.c_str(), arguments, environment.data());
    ::_exit(127);
  }
  ::close(channel[1]);
  flushed = 0;
  while (flushed < reports) {
    ASSERT_EQ(::read(channel[0], &flushed, sizeof flushed), static_cast<ssize_t>(sizeof flushed))
        << "the writer ended before it was killed";
  }
  ASSERT_EQ(::kill(child, SIGKILL), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  ::close(channel[0]);
}

TEST_F(RecorderTest, WriterKilledMidBatchLeavesEveryCommittedRowWholeAndNothingHalfWritten) {
  uint64_t flushed = 0;
  ASSERT_NO_FATAL_FAILURE(killWriter(path_, "moments", kFlushedBeforeKill, flushed));
  Reader reader(path_);
  EXPECT_EQ(reader.rows("PRAGMA integrity_check"), (std::vector<Reader::Row>{{text("ok")}}));
  const int64_t count = reader.count("moments");
  EXPECT_GE(count, static_cast<int64_t>(flushed));
  // Transactions are whole and in order: the rows are a run 1...count with nothing missing, each
  // as it was written, and every moment but the last ended where the next began.
  EXPECT_EQ(reader.count("moments WHERE id BETWEEN 1 AND " + std::to_string(count) +
                         " AND title = 'Moment ' || id AND started = 978308200 + id"),
            count);
  EXPECT_EQ(reader.count("moments WHERE ended IS NULL"), 1);
  EXPECT_EQ(reader.count("moments WHERE ended = started + 1"), count - 1);
  EXPECT_EQ(reader.count("moments WHERE ended IS NOT NULL AND keys = 1"), count - 1);
  EXPECT_NO_THROW(recorder());
}

TEST_F(RecorderTest, WriterKilledWhileSessionsStartLeavesEveryReportedSessionWhole) {
  uint64_t flushed = 0;
  ASSERT_NO_FATAL_FAILURE(killWriter(path_, "sessions", kSessionsBeforeKill, flushed));
  Reader reader(path_);
  EXPECT_EQ(reader.rows("PRAGMA integrity_check"), (std::vector<Reader::Row>{{text("ok")}}));
  const int64_t count = reader.count("sessions");
  EXPECT_GE(count, static_cast<int64_t>(flushed));
  // Sessions 1...count, each row whole; every moment in a session that is there, and at most the
  // last session without its moment yet.
  EXPECT_EQ(reader.count("sessions WHERE id BETWEEN 1 AND " + std::to_string(count) +
                         " AND started = 978308200 + id AND length(uid) = 36 AND observation = 1"),
            count);
  EXPECT_EQ(reader.count("moments WHERE session = id"), reader.count("moments"));
  EXPECT_GE(reader.count("moments"), count - 1);
  EXPECT_NO_THROW(recorder());
  EXPECT_FALSE(std::filesystem::exists(path_.parent_path() / "recording-damaged-1.sqlite"));
}

}  // namespace
}  // namespace qb::test
