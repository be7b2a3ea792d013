// The two checks a database file the program keeps gets before it is used, timed side by side:
// the pages alone (database::quickCheck) and the pages with every index compared to its table
// (database::fullCheck, which the program runs).

#pragma once

#include <benchmark/benchmark.h>
#include <sched.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

#include "recording/DatabaseCheck.h"

namespace qb {

// The core both checks run on, so that neither is moved between cores mid-check.
inline constexpr int kCheckCore = 2;

// Runs both checks of `file` in turn within each iteration, in alternating order, each through a
// connection of its own, on kCheckCore; the file is in the page cache after the first. Counters:
// the milliseconds of each per check (quick_ms, full_ms) and the file's size (MB).
inline void timeChecksInTurn(benchmark::State& state, const std::filesystem::path& file) {
  cpu_set_t before;
  sched_getaffinity(0, sizeof before, &before);
  cpu_set_t core;
  CPU_ZERO(&core);
  CPU_SET(kCheckCore, &core);
  sched_setaffinity(0, sizeof core, &core);
  double seconds[2] = {0, 0};  // quick, full
  int64_t rounds = 0;
  for (auto _ : state) {
    for (int turn = 0; turn < 2; ++turn) {
      const bool full = (turn + rounds) % 2 == 1;
      sqlite3* db = nullptr;
      if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        state.SkipWithError(("can't open " + file.string()).c_str());
      }
      std::string problem;
      const auto start = std::chrono::steady_clock::now();
      const int result =
          full ? database::fullCheck(db, problem) : database::quickCheck(db, problem);
      seconds[full] +=
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      sqlite3_close(db);
      if (result != SQLITE_OK) state.SkipWithError(("the check failed: " + problem).c_str());
    }
    ++rounds;
  }
  sched_setaffinity(0, sizeof before, &before);
  state.counters["quick_ms"] = seconds[0] * 1e3 / static_cast<double>(rounds);
  state.counters["full_ms"] = seconds[1] * 1e3 / static_cast<double>(rounds);
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}

}  // namespace qb
