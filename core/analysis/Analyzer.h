// Analyzer: classifies one observation as work, entertainment, communication or neutral, or
// abstains, and measures how close it is to the user's recent work.
//
// A few rules come first and run no model: messaging windows are communication, and an
// observation with nothing to read (no title and no site, or a title that names only the program)
// is an abstention. Otherwise the observation's text is embedded, the head gives a logit from the
// embedding and the site table's entry, the user's own answers shift it, and the analyzer answers
// when the model is confident enough. Work and entertainment answers are then compared with the
// recent work texts. Every model step is traced as an AnalysisPass for the recording.
//
// The analyzer keeps no state between calls and may run on any thread but the main one: it waits
// on the embedder's and the personal store's executors.

#pragma once

#include <memory>
#include <string>
#include <vector>

#include "analysis/ActivityHead.h"
#include "analysis/Analysis.h"
#include "analysis/AnalysisPass.h"
#include "analysis/AnalyzerConfig.h"
#include "analysis/Embedding.h"
#include "analysis/Moment.h"
#include "analysis/PersonalStore.h"
#include "analysis/SiteKnowledge.h"
#include "base/Clock.h"

namespace qb {

struct Analyzer {
  std::shared_ptr<Embedding> embedder;
  SiteKnowledge knowledge;
  ActivityHead head;
  std::shared_ptr<PersonalStore> personal;  // null: no personal shift
  AnalyzerConfig config;
  // Measures the passes' latencies only.
  const MonotonicClock* clock = &MonotonicClock::steady();

  struct Traced {
    Analysis analysis;
    std::vector<AnalysisPass> passes;  // in the order they ran: "head", then "similarity"
  };

  // Embeds every text the observation may need in one Embedding::embedAll() call: the head's
  // text, then, unless the work list is empty or the site table or a vague title rules the
  // comparison out, the switch text and the work texts. Throws what the embedder throws, and
  // Error::fileReadCorrupt() when it gives other than one vector per text; an abstention is an
  // answer, not a failure.
  Traced analyzeTraced(const Moment& moment, const std::vector<std::string>& work) const;

  // A title is vague when it adds no word to the name of the site or program it is shown in.
  static bool isVague(const Moment& moment);
  // The text compared with recent work: the title without its site tail, and the start of the
  // page text when there is one.
  static std::string switchText(const Moment& moment);

  // Pipeline constants; not tuning, so not in AnalyzerConfig.
  static constexpr float kDecisionPoint = 0.5f;
  static constexpr size_t kPageTextCharacters = 500;
  static constexpr const char* kRevisionSuffix = "/head";
};

}  // namespace qb
