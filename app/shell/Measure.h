// Measure: the model benchmark behind `quillbrook --measure`.
//
// Loads the model the way the program does (the embedder from the model folder's Embedder/, then
// the site table and the head from Knowledge/), timing each load; embeds ten built-in texts
// kPassesPerSample times each, every text new to the embedder, and evaluates the head on each
// embedding; then prints one four-line report on standard output: the embedder's revision and
// load time, the table's size and load time, the median and 95th percentile of a pass, and the
// process's resident memory (VmRSS) before loading, after each load and after the passes, with
// its peak (VmHWM). It touches none of the user's data and starts nothing of the program.
//
// Failures are printed, as one line each, in place of the report: no model folder ("No models:
// this build has none bundled"), an embedder that does not load ("Embedder unavailable at " and
// the model folder), a site table or head that does not load or a head that does not fit the
// embedder ("Site table unavailable at " and the model folder). A pass whose embedding fails is
// timed all the same and skips the head; the report still counts every pass.
//
// Runs on the calling thread, which it blocks until the report is printed: the command-line
// modes alone may.

#pragma once

#include <string>

#include "base/Date.h"

namespace qb {

// The processors the model may run on, with the number the report prints for each. Our encoder
// runs on the main processor whatever is chosen: the choice is carried to the report only.
enum class ComputeUnits { processorOnly = 0, processorAndGraphics = 1, all = 2 };

namespace Measure {

inline constexpr int kPassesPerSample = 5;

// Runs the benchmark; answers the process's exit status: 0 after the report, 1 after a failure.
int run(ComputeUnits units);

// A load time as the report writes it: seconds and milliseconds in the narrow unit names of
// `locale` (an ICU locale id; empty for the user's), zero units left out, rounded to the
// millisecond; "0ms" or its like when under half a millisecond.
std::string loadTime(Duration seconds, const std::string& locale = {});

}  // namespace Measure

}  // namespace qb
