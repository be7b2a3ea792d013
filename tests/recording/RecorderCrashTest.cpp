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
constexpr uint64_t kMomentsPerFlush = 50;
constexpr uint64_t kFlushedBeforeKill = 400;

MomentRecord numbered(uint64_t id) {
  return MomentRecord(Moment(id, Date{1000.0 + static_cast<double>(id)}, "App", "app",
                             "Moment " + std::to_string(id)));
}

// The crash test runs this in a child process of its own, which it kills; alone it does nothing.
TEST(RecorderCrashChild, WritesUntilKilled) {
  const char* file = std::getenv(kFileVariable);
  const char* pipe = std::getenv(kPipeVariable);
  if (file == nullptr || pipe == nullptr) GTEST_SKIP() << "runs only as the crash test's child";
  const int out = std::atoi(pipe);
  ManualExecutor main;
  ManualTimers timers;
  ManualClock clock;
  Recorder recorder(file, main, timers, clock);
  recorder.start(SessionRecord{Date{1000}, "1", "os", "mac", {}, {}});
  for (uint64_t id = 1;; ++id) {
    recorder.begin(numbered(id), InputCounts{static_cast<uint32_t>(id), 0, 0, 0});
    if (id % kMomentsPerFlush == 0) {
      recorder.flush().get();
      ASSERT_EQ(::write(out, &id, sizeof id), static_cast<ssize_t>(sizeof id));
    }
  }
}

TEST_F(RecorderTest, WriterKilledMidBatchLeavesEveryCommittedRowWholeAndNothingHalfWritten) {
  std::filesystem::create_directories(path_.parent_path());
  int channel[2];
  ASSERT_EQ(::pipe(channel), 0);
  // Everything the child needs is made before the fork: after it, only exec.
  std::vector<std::string> settings = {
      std::string(kFileVariable) + "=" + path_.string(),
      std::string(kPipeVariable) + "=" + std::to_string(channel[1])};
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
  uint64_t flushed = 0;
  while (flushed < kFlushedBeforeKill) {
    ASSERT_EQ(::read(channel[0], &flushed, sizeof flushed), static_cast<ssize_t>(sizeof flushed))
        << "the writer ended before it was killed";
  }
  ASSERT_EQ(::kill(child, SIGKILL), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  ::close(channel[0]);

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

}  // namespace
}  // namespace qb::test
