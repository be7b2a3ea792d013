// Cost of one refresh of the agent sessions, which the coordinator runs at most every 2 seconds:
// a home with a day's worth of long Claude Code transcripts and Codex rollouts, each far larger
// than the ends the readers look at, so that the time shows the reads stay bounded as sessions
// grow. The argument is the size of each log in MiB.

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "BenchSupport.h"
#include "agents/AgentSessions.h"

namespace qb {
namespace {

constexpr int kSessionsPerTool = 10;
const Date kNow = Date::fromUnix(1'700'000'000);
constexpr Duration kWindow = 7200;
// Refreshes timed, a fixed count: left to find its own, Google Benchmark runs the whole function
// again for each try, and each try writes the home anew, over a GiB at the larger size.
constexpr int kRefreshes = 50;

void writeLog(const std::filesystem::path& file, const std::string& first, const std::string& line,
              const std::string& last, size_t bytes) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out << first;
  for (size_t written = first.size(); written < bytes; written += line.size()) out << line;
  out << last;
}

void BM_RecentSessions(benchmark::State& state) {
  ScratchFile home;
  const size_t bytes = static_cast<size_t>(state.range(0)) << 20;
  const std::string filler =
      R"({"type":"assistant","message":{"content":"a long answer of the agent's"}})"
      "\n";
  std::string index;
  for (int i = 0; i < kSessionsPerTool; ++i) {
    // Not "s" + std::to_string(i): GCC 12 at -O2 takes that form for an overlapping copy
    // (-Wrestrict).
    const std::string id = std::string("s") + std::to_string(i);
    writeLog(home.folder() / ".claude/projects/p" / (id + ".jsonl"), "", filler,
             R"({"type":"ai-title","aiTitle":"Task )" + id + "\"}\n" +
                 R"({"cwd":"/w/app"})"
                 "\n",
             bytes);
    writeLog(home.folder() / ".codex/sessions/2023/11/14" / ("rollout-" + id + ".jsonl"),
             R"({"payload":{"id":")" + id +
                 R"(","cwd":"/w/api"}})"
                 "\n",
             filler,
             R"({"payload":{"type":"task_started"}})"
             "\n",
             bytes);
    index += R"({"id":")" + id + R"(","thread_name":"Thread )" + id + "\"}\n";
  }
  std::ofstream(home.folder() / ".codex/session_index.jsonl") << index;

  size_t found = 0;
  for (auto _ : state) {
    auto sessions = AgentSessions::recent(home.folder(), kNow - kWindow, kNow);
    found = sessions.size();
    benchmark::DoNotOptimize(sessions);
  }
  state.counters["sessions"] = static_cast<double>(found);
}
// The logs are dated when they are written, after kNow - kWindow, so every one is read.
BENCHMARK(BM_RecentSessions)
    ->Arg(1)
    ->Arg(64)
    ->Iterations(kRefreshes)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qb
