// WorkContext: what the user is working on.
//
// A plain value the policy owns while it protects the user's work: up to kMaxTitles recent work
// titles, newest first, with their content words, and for each piece of work (the key the policy
// credits it under) the seconds spent on it, decaying with a half-life. Nothing here reads a
// clock; every operation that decays takes the time `at` from its caller.
//
// Decay: an entry credited `seconds` at `updated` is worth seconds × 2^(−(at − updated) /
// sessionHalfLife) at `at`; an entry dated after `at` (or an `at` that is not a number) keeps its
// full seconds. The half-life is always a positive finite number (see RecordInput.h).
//
// Saved form: {"id": UUID string, "titles": [...], "dwell": {key: {"seconds", "updated",
// "subject"?, "label"?, "site"?}}, "sessionHalfLife"}; dates are seconds since 2001-01-01 UTC.
// "id" and "titles" are required; "dwell" defaults to empty and "sessionHalfLife" to 7200.

#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/TitleWords.h"
#include "base/Date.h"
#include "base/JsonFwd.h"
#include "base/Uuid.h"
#include "context/RecordInput.h"

namespace qb {

struct WorkContext {
  using Words = TitleWords::Words;

  // The title-word rules, by the names the work's callers know them (see analysis/TitleWords.h).
  static Words words(std::string_view title) { return TitleWords::words(title); }
  static std::string shortTitle(std::string_view title) { return TitleWords::shortTitle(title); }

  // One piece of work: seconds as they stood at `updated` (not yet decayed), and what the policy
  // calls it. A field once set is never cleared by a credit.
  struct Dwell {
    double seconds = 0;
    Date updated;
    std::optional<std::string> subject;  // the preferred name of the work
    std::optional<std::string> label;
    std::optional<std::string> site;  // the host the work was seen on

    friend bool operator==(const Dwell&, const Dwell&) = default;
  };

  // One named subject of the work, with the decayed seconds of all entries that share its name.
  struct Subject {
    std::string text;
    std::string label;
    double seconds = 0;

    friend bool operator==(const Subject&, const Subject&) = default;
  };

  // Maps a dwell key to the name of its project, or to nothing.
  using ProjectResolver = std::function<std::optional<std::string>(const std::string&)>;

  static constexpr double kDefaultSessionHalfLife = 7200;
  static constexpr size_t kMaxTitles = 8;
  // Past kMaxDwell entries a credit keeps the kPrunedDwell largest, so pruning runs rarely.
  static constexpr size_t kMaxDwell = 200;
  static constexpr size_t kPrunedDwell = 150;
  static constexpr size_t kSummaryCharacters = 200;
  static constexpr const char* kEmptySummary = "work";

  // The work titles, newest first, read like a list, and the content words of all of them, which
  // every switch compares with. Only add() and fromJson() change them, so the words always follow
  // the titles; two lists with equal titles are equal.
  class Titles {
  public:
    using const_iterator = std::vector<std::string>::const_iterator;
    using iterator = const_iterator;
    using value_type = std::string;

    const_iterator begin() const { return list_.begin(); }
    const_iterator end() const { return list_.end(); }
    size_t size() const { return list_.size(); }
    bool empty() const { return list_.empty(); }
    const std::string& front() const { return list_.front(); }
    const std::string& operator[](size_t i) const { return list_[i]; }
    // words() of the titles joined by blanks.
    const Words& words() const { return words_; }

    friend bool operator==(const Titles& a, const Titles& b) { return a.list_ == b.list_; }
    friend bool operator==(const Titles& a, const std::vector<std::string>& b) {
      return a.list_ == b;
    }

  private:
    friend struct WorkContext;
    void wordsChanged();

    std::vector<std::string> list_;
    Words words_;
  };

  Uuid id = Uuid::random();
  Titles titles;
  std::map<std::string, Dwell, std::less<>> dwell;  // change through credit()
  // The policy sets its own; a value that is not a positive finite number is refused.
  PositiveDuration sessionHalfLife{kDefaultSessionHalfLife};

  // The decayed seconds of an entry at `at`.
  double seconds(const Dwell& entry, Date at) const;

  // Adds seconds to the entry of key: its decayed seconds at `at` plus these, dated `at`, with each
  // given name replacing the entry's and each absent one keeping it. Past kMaxDwell entries, keeps
  // the kPrunedDwell with the most decayed seconds at `at`; among equal seconds the smaller keys
  // stay, so that the same history always keeps the same work. A credit whose seconds or time is
  // not a finite number, or whose sum would not be, is refused (see RecordInput.h).
  void credit(const std::string& key, double seconds, std::optional<std::string> subject,
              std::optional<std::string> label, std::optional<std::string> site, Date at);

  // Puts a work title first, removing earlier copies of it (canonically equivalent text, case
  // counts), and keeps at most kMaxTitles. The empty title changes nothing.
  void add(const std::string& title);

  // The subjects of the work at `at`, largest first: entries are named by their subject, else their
  // project (when `project` names one), else their label, else their key without its site tail,
  // and grouped by that name ignoring case. A group takes its text and label from its entry with
  // the smallest key. Groups below minSeconds are left out; equal sums put the group worked on
  // most recently first, then order by the lower-cased name.
  std::vector<Subject> subjects(Date at, double minSeconds,
                                const ProjectResolver& project = {}) const;

  // A short phrase of what the user works on, at most kSummaryCharacters characters: the first
  // subjectCount subjects of at least subjectSeconds (or, when none qualifies, as many titles in
  // their place), then the first titleCount titles, all without their site tails, without repeats,
  // joined by separator. Nothing at all gives the newest title whole, or kEmptySummary.
  std::string summary(Date at, int subjectCount, double subjectSeconds, int titleCount,
                      const std::string& separator, const ProjectResolver& project = {}) const;

  // The label of the largest subject of at least subjectSeconds; absent when there is none.
  std::optional<std::string> description(Date at, double subjectSeconds,
                                         const ProjectResolver& project = {}) const;

  // True when the title has a content word in common with the work titles, not counting the words
  // of the site's own name (its dot-separated labels each count as a word). The work titles'
  // words are kept with them, so only the title (and the site, once a word is shared) is split.
  bool sharesWords(std::string_view title, const std::optional<std::string>& site) const;

  Json toJson() const;
  // Throws qb::Error (decoding domain) when "id" or "titles" is missing or malformed, or an entry
  // lacks "seconds" or "updated"; nothing partial is made. A half-life of zero or below is
  // repaired to the default. A file beyond the record's own bounds is cut to them: the kMaxTitles
  // newest titles and the kMaxDwell entries with the most seconds decayed to the file's latest
  // update. Repairs and cuts are logged; a file the record wrote reads back unchanged.
  static WorkContext fromJson(const Json& json);

  friend bool operator==(const WorkContext&, const WorkContext&) = default;
};

}  // namespace qb
