// AnalysisPass: one traced model step behind an analysis, kept for the recording.

#pragma once

#include <map>
#include <string>

#include "base/Date.h"

namespace qb {

struct AnalysisPass {
  std::string name;                            // "head" or "similarity"
  std::string text;                            // the step's input text
  std::string task;                            // what the step decided about, in words
  std::map<std::string, float> probabilities;  // the step's outputs by name
  Duration latency = 0;                        // on a monotonic clock

  friend bool operator==(const AnalysisPass&, const AnalysisPass&) = default;
};

}  // namespace qb
