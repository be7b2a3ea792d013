// SwitchReading: how the thing in front relates to the current work.
//
// The policy reads each analysed page against the work context: the similarity to the recent work,
// how much the page's site counts as a work site, the work score raised by that weight, and a
// verdict that names the relation. Only the verdict `distraction` lets a page (other than a chat)
// count as drift. The verdicts' raw values are also the words the recording stores for a switch
// and the explanation line prints.

#pragma once

#include <optional>
#include <string_view>

namespace qb {

struct SwitchReading {
  // In the order of the cases, not of the tests that choose them.
  enum class Verdict {
    sameTask,
    sharesWords,
    project,
    otherWork,
    unknownSite,
    newSite,
    signIn,
    neverInterrupt,
    distraction,
  };

  float similarity = 0;   // the analysis's similarity to the recent work, unchanged
  double siteWeight = 0;  // 0 to 1: how much the page's site counts as work
  float reading = 0;      // the work score raised by the site weight; 0 unless the page is work
  Verdict verdict = Verdict::sameTask;

  // True unless the page continues the work: every verdict but sameTask and sharesWords.
  bool switched() const { return verdict != Verdict::sameTask && verdict != Verdict::sharesWords; }

  friend bool operator==(const SwitchReading&, const SwitchReading&) = default;
};

// "same task", "shares words", "project", "other work", "unknown site", "new site", "sign-in",
// "never interrupt" or "distraction".
std::string_view rawValue(SwitchReading::Verdict verdict);
// The verdict whose raw value is exactly text; absent for any other text.
std::optional<SwitchReading::Verdict> parseVerdict(std::string_view text);

}  // namespace qb
