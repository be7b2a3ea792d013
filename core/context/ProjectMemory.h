// ProjectMemory: the names of the projects the user works on, learned over the day.
//
// A name is heard of in three ways: found in a window title or address (names(in)), as the folder
// a coding agent works in, or as a project of the chat assistant. Every name whose key has at least
// kMinKeyCharacters becomes a Candidate at once; a candidate counts as a project only while
// isProject() finds evidence for it: an agent or the assistant, or at least two distinct titles
// together with an application, a confirmation by the user, a ticket-like spelling, or sightings
// on a workspace site and on a second domain. Two names with one key are one candidate everywhere.
//
// The memory is a plain value: no clock, no files, no threads; time comes in as `at`. Every
// collection is bounded (kRecentLimit recent titles, kSiteTitleLimit titles on each of at most
// kSiteLimit sites, kTitleLimit titles per candidate except those back-filled from the recent
// titles, kEvidenceLimit spellings, sites and applications per candidate, kCandidateLimit
// candidates before a cut to the kCandidatesAfterCut most recent), so the memory and its file stay
// small, and a file the memory wrote reads back unchanged.
//
// The learning operations refuse a call whose time is not a finite number (see RecordInput.h).
//
// Maps are ordered by key; wherever a choice falls to "the first met in map order" (the project of
// a title among equally good candidates, the site evicted beyond kSiteLimit) that is key order.
//
// Saved form (projects.json):
//   {"candidates": {key: candidate}, "recent": [seen], "siteTitles": {host: [title]},
//    "retention": seconds}
// candidate: {"text", "spellings": {spelling: count}, "titles": {title: date}, "sites": [host],
//             "apps": [bundle id], "agent", "assistant", "confirmed", "updated"}
//   all written; all required on reading except "assistant" (false when absent).
// seen: {"title", "source"?}; source: {"site": {"_0": host}} or {"app": {"_0": bundle id}}.
// Dates are seconds since 2001-01-01 UTC. Members with other names are ignored.

#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/Date.h"
#include "base/JsonFwd.h"
#include "base/Url.h"
#include "context/RecordInput.h"

namespace qb {

struct Moment;
class Regex;

class ProjectMemory {
public:
  // Where a title was seen: a site (its host) or an application (its desktop-file id).
  struct Source {
    enum class Kind { site, app };
    Kind kind = Kind::site;
    std::string value;

    static Source site(std::string host) { return Source{Kind::site, std::move(host)}; }
    static Source app(std::string bundleID) { return Source{Kind::app, std::move(bundleID)}; }

    Json toJson() const;
    // Exactly one of "site" and "app" must be present, else qb::Error (decoding domain) whose
    // message holds "Invalid number of keys found, expected one."; its value must be {"_0":
    // string}.
    static Source fromJson(const Json& json);

    friend bool operator==(const Source&, const Source&) = default;
  };

  struct Seen {
    std::string title;
    std::optional<Source> source;

    Json toJson() const;
    static Seen fromJson(const Json& json);

    friend bool operator==(const Seen&, const Seen&) = default;
  };

  struct Candidate {
    std::string text;                          // the spelling shown
    std::map<std::string, int64_t> spellings;  // each spelling met by observe(), with its count
    std::map<std::string, Date> titles;        // titles that mentioned the name, last seen
    std::set<std::string> sites;               // hosts of those titles
    std::set<std::string> apps;                // applications of those titles
    bool agent = false;                        // a coding agent works in a folder of this name
    bool assistant = false;                    // the chat assistant has a project of this name
    int64_t confirmed = 0;                     // the user's confirmations of pages mentioning it
    Date updated;                              // last created or touched

    Json toJson() const;
    static Candidate fromJson(const Json& json);

    friend bool operator==(const Candidate&, const Candidate&) = default;
  };

  // --- Tuning ---
  static constexpr Duration kDefaultRetention = 30 * 86400.0;
  // Names whose key is shorter say too little ("Q3", "UI") to be taken as a project.
  static constexpr size_t kMinKeyCharacters = 4;
  static constexpr size_t kRecentLimit = 60;
  static constexpr size_t kSiteTitleLimit = 12;
  static constexpr size_t kSiteLimit = 200;
  static constexpr size_t kTitleLimit = 40;
  static constexpr size_t kCandidateLimit = 300;
  static constexpr size_t kCandidatesAfterCut = 200;
  // Distinct titles a candidate needs before anything but an agent or the assistant counts.
  static constexpr size_t kMinProjectTitles = 2;
  // A name that most of a site's remembered titles mention is that site's header, not a project.
  static constexpr size_t kMinHeaderTitles = 3;
  static constexpr double kHeaderShare = 0.75;

  // --- Name finding ---
  // A title part longer than this, in words or characters, is a sentence, not a name.
  static constexpr size_t kMaxNameWords = 5;
  static constexpr size_t kMaxNameCharacters = 40;
  // Words of the application's name at least this long keep its name out of the candidates.
  static constexpr size_t kMinAppWordCharacters = 4;
  // A part whose key at least this long is part of the host's key is the site's own name.
  static constexpr size_t kMinSiteNameCharacters = 4;
  // What may follow the last full stop of a file name.
  static constexpr size_t kMaxExtensionCharacters = 5;
  // mentions() joins at most this many consecutive words of a title.
  static constexpr size_t kMentionWords = 5;

  // Spellings, sites and applications a candidate keeps: far more than real sightings give, but a
  // bound, so that isProject() stays cheap whatever a day or a file brings. A new one past it is
  // not added; a file's are cut to the most counted spellings (and the one shown) and to the first
  // hosts and applications.
  static constexpr size_t kEvidenceLimit = 1000;
  // Titles come from the observation record, which keeps them far shorter; a longer one is not
  // remembered among the recent and site titles (a file's longer ones go), because remembered
  // titles are split into words again on every new candidate.
  static constexpr size_t kMaxTitleBytes = 16384;
  // Back-fill is the one way past kTitleLimit, and it adds at most the recent titles; a file's
  // candidate beyond this keeps its most recently seen titles.
  static constexpr size_t kMaxLoadedTitles =
      kRecentLimit > kTitleLimit ? kRecentLimit : kTitleLimit;

  // Every candidate, keyed by key() of its name.
  std::map<std::string, Candidate> candidates;
  // A candidate not updated for this long is forgotten. Refuses a value that is not a positive
  // finite number (see RecordInput.h).
  PositiveDuration retention{kDefaultRetention};

  // The text of every candidate that passes isProject(), ascending by code point.
  std::vector<std::string> projects() const;
  // The project named in a title: of the mentioned candidates that pass isProject(), the one with
  // the longest key, then the most titles, then the first in key order.
  std::optional<std::string> project(std::string_view in) const;
  // The same for an address's path in its percent-encoded form; absent without an address or
  // with an empty path.
  std::optional<std::string> project(const std::optional<Url>& at) const;
  // The text of the candidate under the name's key, else the name itself.
  std::string spelling(std::string_view of) const;

  // Learns from one observation: counts each name's spelling into its candidate (skipping names
  // with a full stop or a short key), remembers a non-empty title and credits it to the
  // candidates it mentions, then prunes: forgets candidates past the retention and, past
  // kCandidateLimit, keeps the kCandidatesAfterCut updated last (the earlier key among equals).
  void observe(const std::vector<std::string>& names, const std::optional<std::string>& title,
               const std::optional<Source>& source, Date at);
  // A coding agent works in a folder of this name; then prunes as observe() does.
  void agentWorks(std::string_view in, Date at);
  // The chat assistant has a project of this name; then prunes as observe() does.
  void assistantWorks(std::string_view in, Date at);
  // The user confirmed the page with this title as related work.
  void confirm(std::string_view title, const std::optional<Source>& source, Date at);

  // Whether a candidate counts as a project now.
  bool isProject(const Candidate& candidate) const;
  // Whether the key is merely the header of the site's remembered titles: at least
  // kMinHeaderTitles titles, and at least kHeaderShare of them mention it.
  bool isHeader(std::string_view key, std::string_view on) const;

  // --- Name finding (stateless) ---

  // The name lower-cased, keeping only its letters and numbers (of every script). Composed and
  // decomposed spellings of one name give one key.
  static std::string key(std::string_view name);
  // The text lower-cased and split at every character that is neither a letter nor a number.
  static std::vector<std::string> words(std::string_view text);
  // Whether up to kMentionWords consecutive words of the title, joined, equal the key.
  static bool mentions(std::string_view title, std::string_view key);
  // The registrable domain of a host: its last two labels, or three under a listed second-level
  // label of a country ("bbc.co.uk").
  static std::string domain(std::string_view host);
  // Candidate names in an observation: ticket keys, course codes, title parts that look like a
  // name, and a code-hosting repository's name, in that order, no two with the same key; none on
  // a browser's own page (isBrowserPage()).
  static std::vector<std::string> names(const Moment& in);
  // The repository's name in a code-hosting address (owner/repository/...).
  static std::optional<std::string> repository(const std::optional<Url>& url);
  // The project's name in the chat assistant's project address.
  static std::optional<std::string> assistantProject(const std::optional<Url>& url);
  // Whether the address is one of the pages a browser shows of its own or of its extensions: the
  // new tab, settings, history, add-ons ("chrome://new-tab-page-third-party/", "about:addons",
  // "moz-extension://<id>/..."). Their host is the browser's name for the page or an extension's
  // id, not a site, and their titles are the browser's words: such a page names no project.
  static bool isBrowserPage(const std::optional<Url>& url);

  // Keys that are never project names.
  static const std::set<std::string, std::less<>>& generic();
  // Browsers: a title seen in one is credited to its site, never to the application.
  static const std::set<std::string, std::less<>>& browsers();
  // Hosts where documents, boards and records live: seen there and on another domain, a name is a
  // project.
  static const std::set<std::string, std::less<>>& workspaceHosts();
  static const std::set<std::string, std::less<>>& codeHosts();
  static const std::string& assistantHost();

  Json toJson() const;
  // Throws qb::Error (decoding domain) for a missing member, a wrong type or a malformed source.
  // A retention of zero or below is repaired to kDefaultRetention; collections beyond the memory's
  // own limits are cut as the operations would have cut them (see the bounds above). Repairs and
  // cuts are logged.
  static ProjectMemory fromJson(const Json& json);

  friend bool operator==(const ProjectMemory&, const ProjectMemory&) = default;

private:
  // Titles seen last, oldest first, no two with one title.
  std::vector<Seen> recent;
  // Per host, the titles seen on it last, oldest first, no duplicates.
  std::map<std::string, std::vector<std::string>, std::less<>> siteTitles;

  // Whether these words of a title, joined by up to kMentionWords, equal the key.
  static bool mentionedBy(const std::vector<std::string>& titleWords, std::string_view key);
  static void addSource(Candidate& candidate, const std::optional<Source>& source);
  // Ticket keys: "ABC-123" as written "ABC 123" or "ABC123", with an optional trailing letter.
  static const Regex& ticketKey();
  // A ticket key's number of four digits starting with 19 or 20 is a year.
  static bool isYear(std::string_view number);
  // The whole spelling is a ticket key whose number is no year.
  static bool isTicketSpelling(std::string_view spelling);

  // The new candidate with the recent titles that mention its key, dated at.
  Candidate backfilled(Candidate candidate, std::string_view key, Date at) const;
  // The candidate under the key, made and back-filled when there is none.
  Candidate& candidateFor(const std::string& key, std::string_view name, Date at);
  // Remembers the title and credits it to the candidates that it mentions.
  void mention(std::string_view title, const std::optional<Source>& source, Date at);
  // Puts the title last among the recent titles and, for a site, among the site's titles.
  void remember(const std::string& title, const std::optional<Source>& source);
  void prune(Date at);
  // The project among the candidates that these title words mention.
  std::optional<std::string> namedIn(const std::vector<std::string>& titleWords) const;
  // Sets the evidence on the name's candidate (made when there is none), then prunes.
  void worksIn(std::string_view name, Date at, bool Candidate::*evidence, const char* operation);
};

}  // namespace qb
