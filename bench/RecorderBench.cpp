// Cost of recording. A recording operation must cost its caller no disk access: begin() only
// copies its record into the recorder's stream. The recorder's own thread then writes 100
// statements per transaction; the second benchmark is that write, flushed to a real file.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <string>

#include "BenchSupport.h"
#include "base/WallClock.h"
#include "recording/Recorder.h"

namespace qb {
namespace {

MomentRecord pageRecord(uint64_t id) {
  MomentRecord record(Moment(id, Date{800000000.0 + static_cast<double>(id)}, "Firefox", "firefox",
                             "A page about something - Mozilla Firefox",
                             Url::parse("https://www.example.com/articles/12345?q=term")));
  record.cause = "switch";
  record.readTime = 0.012;
  record.frame = MomentRecord::Rect{0, 32, 1440, 868};
  return record;
}

void BM_BeginCostToTheCaller(benchmark::State& state) {
  ScratchFile file;
  NoMain main;
  NoTimers timers;
  Recorder recorder(file.path(), main, timers, WallClock::system());
  recorder.start(SessionRecord{Date{800000000}, "bench", "os", "mac", {}, {}});
  const MomentRecord record = pageRecord(1);
  uint64_t id = 0;
  for (auto _ : state) {
    MomentRecord next = record;
    next.id = ++id;
    recorder.begin(std::move(next), InputCounts{static_cast<uint32_t>(id), 0, 0, 0});
  }
  recorder.flush().get();
}
BENCHMARK(BM_BeginCostToTheCaller);

void BM_WriteOneBatchToDisk(benchmark::State& state) {
  ScratchFile file;
  NoMain main;
  NoTimers timers;
  Recorder recorder(file.path(), main, timers, WallClock::system());
  recorder.start(SessionRecord{Date{800000000}, "bench", "os", "mac", {}, {}});
  uint64_t id = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < Recorder::kBatchStatements / 2; ++i) {
      recorder.begin(pageRecord(++id), InputCounts{static_cast<uint32_t>(id), 0, 0, 0});
    }
    recorder.flush().get();
  }
}
BENCHMARK(BM_WriteOneBatchToDisk)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qb
