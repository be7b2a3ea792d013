// The log as a program's standard error and a sink see it.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/Log.h"

namespace qb::log {
namespace {

constexpr const char* kChildVariable = "QB_LOG_TEST_CHILD";

// The environment test runs this in a child process of its own; alone it does nothing.
TEST(LogChild, WritesALineAtEachLevel) {
  if (std::getenv(kChildVariable) == nullptr) GTEST_SKIP() << "runs only as the log test's child";
  write(Level::debug, "a debug line");
  info("an info line");
  error("an error line");
}

// What the child writes on standard error with `settings` ("NAME=value" or "-u NAME") given to
// env(1).
std::string childStderr(const std::string& settings) {
  const std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string command = "env " + settings + " " + kChildVariable + "=1 " + program +
                              " --gtest_filter=LogChild.WritesALineAtEachLevel 2>&1 >/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return "cannot start the child";
  std::string err;
  char buffer[4096];
  while (const size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) err.append(buffer, got);
  ::pclose(pipe);
  return err;
}

TEST(LogTest, DebugLinesAreWrittenOnlyWhenTheEnvironmentAsks) {
  const std::string withDebug =
      "Quillbrook [app] debug: a debug line\nQuillbrook [app] info: an info line\n"
      "Quillbrook [app] error: an error line\n";
  const std::string withoutDebug =
      "Quillbrook [app] info: an info line\nQuillbrook [app] error: an error line\n";
  const std::string variable = kDebugVariable;
  EXPECT_EQ(childStderr("-u " + variable), withoutDebug);
  EXPECT_EQ(childStderr(variable + "="), withoutDebug);
  EXPECT_EQ(childStderr(variable + "=0"), withoutDebug);
  EXPECT_EQ(childStderr(variable + "=1"), withDebug);
  EXPECT_EQ(childStderr(variable + "=yes"), withDebug);
}

TEST(LogTest, TrailingLineBreaksAreCutBeforeTheSink) {
  std::vector<std::string> logged;
  setSink([&](Level, std::string_view message) { logged.emplace_back(message); });
  info("a library's line\n");
  error("two\nlines\r\n\n");
  setSink({});
  EXPECT_EQ(logged, (std::vector<std::string>{"a library's line", "two\nlines"}));
}

}  // namespace
}  // namespace qb::log
