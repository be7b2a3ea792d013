#include <gtest/gtest.h>

#include <limits>

#include "context/ContextTest.h"
#include "context/ProjectMemory.h"
#include "support/SavedRecord.h"

namespace qb {
namespace {

using test::numbered;
using test::t0;
using Candidate = ProjectMemory::Candidate;
using Source = std::optional<ProjectMemory::Source>;
using Strings = std::vector<std::string>;
using Hosts = std::set<std::string>;
Source site(std::string host) { return ProjectMemory::Source::site(host); }
Source app(std::string id) { return ProjectMemory::Source::app(id); }

// The remembered titles, as saved: the recent ones, or those of one site.
Strings remembered(const ProjectMemory& memory, const std::string& host = {}) {
  const Json saved = memory.toJson();
  if (!host.empty()) return saved["siteTitles"].value(host, Strings{});
  Strings titles;
  for (const Json& seen : saved["recent"]) titles.push_back(seen["title"]);
  return titles;
}

void see(ProjectMemory& memory, const std::string& title, Source source = {}, Date at = t0) {
  memory.observe({}, title, source, at);
}

Candidate withTitles(std::string text, size_t n) {
  Candidate candidate{.text = std::move(text), .updated = t0};
  for (size_t i = 0; i < n; ++i) candidate.titles["title " + std::to_string(i)] = t0;
  return candidate;
}

TEST(ProjectMemoryTest, LearningMakesCandidatesOfNamesWithALongKeyAndCountsTheirSpellings) {
  ProjectMemory memory;
  memory.agentWorks("old folder", t0 - ProjectMemory::kDefaultRetention - 1);
  // A full stop marks no name, except for an agent or the assistant; short keys never count.
  memory.observe({"Acme.Corp", "Q3", "a-b"}, "Quarterly plan", site("example.com"), t0);
  EXPECT_TRUE(memory.candidates.empty());  // the old candidate went too
  memory.agentWorks("widget-service", t0);
  memory.assistantWorks("abc", t0);
  memory.assistantWorks("a.b.c.d", t0);
  EXPECT_EQ(memory.candidates.size(), 2u);
  EXPECT_TRUE(memory.candidates.at("abcd").assistant);
  const Candidate& widget = memory.candidates.at("widgetservice");
  EXPECT_TRUE(widget.agent && !widget.assistant && widget.text == "widget-service");

  // A spelling seen replaces the folder's name; then only one counted more often does.
  for (int i = 0; i < 2; ++i) memory.observe({"Widget Service"}, std::nullopt, {}, t0);
  for (int i = 0; i < 2; ++i) memory.observe({"widget service"}, std::nullopt, {}, t0 + 1);
  EXPECT_EQ(widget.text, "Widget Service");
  EXPECT_EQ(widget.updated, t0 + 1);
  memory.observe({"widget service"}, std::nullopt, {}, t0);
  EXPECT_EQ(widget.spellings,
            (std::map<std::string, int64_t>{{"Widget Service", 2}, {"widget service", 3}}));
  EXPECT_EQ(memory.spelling("WIDGET-SERVICE"), "widget service");
  EXPECT_EQ(memory.spelling("Unknown thing"), "Unknown thing");

  // Empty and absent titles are not remembered.
  memory.observe({}, "", site("example.com"), t0);
  memory.observe({}, std::nullopt, site("example.com"), t0);
  EXPECT_EQ(remembered(memory), Strings{"Quarterly plan"});
  EXPECT_EQ(remembered(memory, "example.com"), Strings{"Quarterly plan"});
}

TEST(ProjectMemoryTest, ANewCandidateIsBackfilledFromRecentTitlesPastTheTitleLimit) {
  ProjectMemory memory;
  see(memory, "Widget Service docs", site("docs.example.com"), t0);
  see(memory, "Widget Service in editor", app("org.example.Editor"), t0 + 1);
  see(memory, "Unrelated page", site("news.example.com"), t0 + 2);
  see(memory, "widget-service notes", {}, t0 + 3);
  memory.observe({"Widget Service"}, "Planning", site("plan.example.com"), t0 + 100);
  const Candidate& candidate = memory.candidates.at("widgetservice");
  // Dated now, not when each title was seen; the current title does not mention the name.
  // clang-format off
  EXPECT_EQ(candidate.titles, (std::map<std::string, Date>{
      {"Widget Service docs", t0 + 100}, {"Widget Service in editor", t0 + 100},
      {"widget-service notes", t0 + 100}}));
  // clang-format on
  EXPECT_EQ(candidate.sites, Hosts{"docs.example.com"});
  EXPECT_EQ(candidate.apps, Hosts{"org.example.Editor"});

  ProjectMemory atlas;
  for (int i = 0; i < 50; ++i) see(atlas, "Atlas page " + std::to_string(i));
  atlas.observe({"Atlas"}, "Atlas page 50", site("new.example.com"), t0 + 10);
  const Candidate& filled = atlas.candidates.at("atlas");
  EXPECT_EQ(filled.titles.size(), 50u);  // all back-filled, the new one over the limit
  EXPECT_EQ(filled.sites, Hosts{"new.example.com"});
  see(atlas, "Atlas page 3", {}, t0 + 20);  // a held title is refreshed
  EXPECT_EQ(filled.titles.at("Atlas page 3"), t0 + 20);
}

TEST(ProjectMemoryTest, RememberedTitlesAreBoundedAndASecondSightingMovesATitleLast) {
  ProjectMemory memory;
  for (int i = 0; i <= 60; ++i) see(memory, "title " + std::to_string(i % 60));
  Strings titles = remembered(memory);
  EXPECT_EQ(titles.size(), ProjectMemory::kRecentLimit);  // seeing "title 0" again cost nothing
  EXPECT_EQ(titles.front(), "title 1");
  EXPECT_EQ(titles.back(), "title 0");
  see(memory, "title 60");  // a new one drops the oldest
  EXPECT_EQ(remembered(memory).front(), "title 2");
  // A title longer than kMaxTitleBytes still names candidates, but is not remembered.
  memory.agentWorks("Atlas", t0);
  const std::string huge = "Atlas " + std::string(ProjectMemory::kMaxTitleBytes, 'x');
  see(memory, huge, site("a.example.com"));
  EXPECT_EQ(memory.candidates.at("atlas").titles.count(huge), 1u);
  EXPECT_EQ(remembered(memory).back(), "title 60");

  for (int i = 0; i < 13; ++i) see(memory, "t" + std::to_string(i), site("a.example.com"));
  see(memory, "t5", site("a.example.com"));
  EXPECT_EQ(remembered(memory, "a.example.com"),
            (Strings{"t1", "t2", "t3", "t4", "t6", "t7", "t8", "t9", "t10", "t11", "t12", "t5"}));
  see(memory, "in an app", app("org.example.App"));  // applications keep no site titles
  EXPECT_TRUE(remembered(memory, "org.example.App").empty());
  test::expectReloads(memory);

  // Past kSiteLimit sites the first other host goes, though the newcomer sorts first.
  for (int i = 0; i < 200; ++i) see(memory, "page", site(numbered("s", i) + ".example.com"));
  const Json all = memory.toJson()["siteTitles"];
  EXPECT_EQ(all.size(), ProjectMemory::kSiteLimit);
  EXPECT_TRUE(all.contains("s0199.example.com") && !all.contains("a.example.com"));
  see(memory, "page", site("a.example.com"));
  EXPECT_TRUE(memory.toJson()["siteTitles"].contains("a.example.com"));
  EXPECT_FALSE(memory.toJson()["siteTitles"].contains("s0000.example.com"));
}

TEST(ProjectMemoryTest, EvidenceStopsAtItsLimit) {
  ProjectMemory memory;
  const int limit = ProjectMemory::kEvidenceLimit;
  for (int i = 0; i <= limit; ++i) {
    std::string spelling = "atlasproject";  // each with its own letters in capitals
    for (int bit = 0; bit < 12; ++bit) {
      if (i >> bit & 1) spelling[bit] = char(std::toupper(spelling[bit]));
    }
    memory.observe({spelling}, "atlasproject " + std::to_string(i), site(numbered("h", i)), t0);
  }
  const Candidate& atlas = memory.candidates.at("atlasproject");
  EXPECT_EQ(atlas.sites.size(), ProjectMemory::kEvidenceLimit);
  EXPECT_EQ(atlas.sites.count(numbered("h", limit)), 0u);
  EXPECT_EQ(atlas.spellings.size(), ProjectMemory::kEvidenceLimit);
  memory.observe({"atlasproject"}, std::nullopt, {}, t0);  // one seen before still counts
  EXPECT_EQ(atlas.spellings.at("atlasproject"), 2);
  test::expectReloads(memory);
}

TEST(ProjectMemoryTest, EveryNewCandidatePrunesToTheRetentionAndTheNewest) {
  ProjectMemory memory;
  memory.agentWorks("from the future", t0 + 1000);
  memory.agentWorks("exactly old", t0 - memory.retention);
  memory.assistantWorks("almost old", t0 - memory.retention + 1);
  see(memory, "anything", {}, t0);
  EXPECT_EQ(memory.candidates.count("exactlyold"), 0u);
  EXPECT_EQ(memory.candidates.count("almostold"), 1u);
  EXPECT_EQ(memory.candidates.count("fromthefuture"), 1u);

  // Past kCandidateLimit the kCandidatesAfterCut updated last stay, by a name seen or an agent's.
  for (bool agent : {false, true}) {
    ProjectMemory crowded;
    for (int i = 0; i <= 300; ++i) {
      agent ? crowded.agentWorks(numbered("name", i), t0 + i)
            : crowded.observe({numbered("name", i)}, {}, {}, t0 + i);
    }
    EXPECT_EQ(crowded.candidates.size(), ProjectMemory::kCandidatesAfterCut);
    EXPECT_EQ(crowded.candidates.begin()->first, "name0101");
  }
}

TEST(ProjectMemoryTest, ProjectEvidence) {
  ProjectMemory memory;
  EXPECT_TRUE(memory.isProject(Candidate{.text = "Atlas", .agent = true, .updated = t0}));
  EXPECT_TRUE(memory.isProject(Candidate{.text = "Atlas", .assistant = true, .updated = t0}));
  Candidate confirmed = withTitles("Atlas", 1);
  confirmed.confirmed = 5;
  EXPECT_FALSE(memory.isProject(confirmed));  // one title is not enough
  confirmed.titles["another"] = t0;
  EXPECT_TRUE(memory.isProject(confirmed));
  Candidate inApp = withTitles("Atlas", 2);
  EXPECT_FALSE(memory.isProject(inApp));
  inApp.apps.insert("org.example.App");
  EXPECT_TRUE(memory.isProject(inApp));

  // A ticket-like spelling, the whole of it, but no year.
  // clang-format off
  for (const auto& [spelling, ticket] : std::vector<std::pair<std::string, bool>>{
           {"ABC 123", true}, {"ABC123", true}, {"ABC 2024", false}, {"ABC 1999", false},
           {"ABC 2024A", true}, {"ABC 1850", true}, {"Abc 123", false}, {"ABC 123 plan", false}}) {
    // clang-format on
    Candidate candidate = withTitles(spelling, 2);
    candidate.spellings[spelling] = 1;
    EXPECT_EQ(memory.isProject(candidate), ticket) << spelling;
  }
}

TEST(ProjectMemoryTest, WorkspaceSitesNeedASecondDomainAndNoHeader) {
  ProjectMemory memory;
  Candidate candidate = withTitles("Atlas", 2);
  auto isProjectOn = [&](Hosts sites) {
    candidate.sites = std::move(sites);
    return memory.isProject(candidate);
  };
  EXPECT_FALSE(isProjectOn({"docs.google.com", "a.docs.google.com"}));  // one domain
  EXPECT_FALSE(isProjectOn({"example.org", "example.net"}));            // no workspace host
  EXPECT_TRUE(isProjectOn({"docs.google.com", "wiki.example.org"}));
  EXPECT_TRUE(isProjectOn({"team.atlassian.net", "wiki.example.org"}));  // a subdomain of one

  // Where most remembered titles name it, the name is the site's header: that host is left out,
  // and the two other domains that remain hold no workspace host...
  for (const char* title : {"Atlas - Plan", "Atlas - Notes", "Atlas - Budget"}) {
    see(memory, title, site("docs.google.com"));
  }
  EXPECT_FALSE(isProjectOn({"docs.google.com", "wiki.example.org", "blog.example.net"}));
  // ...until enough other titles are seen there.
  see(memory, "Other - One", site("docs.google.com"));
  EXPECT_FALSE(isProjectOn({"docs.google.com", "wiki.example.org"}));  // three of four
  see(memory, "Other - Two", site("docs.google.com"));
  EXPECT_TRUE(isProjectOn({"docs.google.com", "wiki.example.org"}));
  EXPECT_FALSE(memory.isHeader("atlas", "a.example.com"));  // no titles seen there
  see(memory, "Atlas", site("a.example.com"));
  see(memory, "Atlas two", site("a.example.com"));
  EXPECT_FALSE(memory.isHeader("atlas", "a.example.com"));  // two titles are too few
}

TEST(ProjectMemoryTest, ConfirmCountsMentionedCandidatesAndRemembersTheTitle) {
  ProjectMemory memory;
  memory.agentWorks("Atlas", t0);
  memory.agentWorks("Beacon", t0);
  memory.confirm("Nothing known here", site("x.example.com"), t0 + 1);
  EXPECT_EQ(memory.candidates.at("atlas").confirmed, 0);
  EXPECT_EQ(remembered(memory, "x.example.com"), Strings{"Nothing known here"});

  memory.confirm("Atlas budget", app("org.example.Sheets"), t0 + 2);
  const Candidate& atlas = memory.candidates.at("atlas");
  EXPECT_EQ(atlas.confirmed, 1);
  EXPECT_EQ(atlas.updated, t0 + 2);
  EXPECT_EQ(atlas.titles.count("Atlas budget"), 1u);
  EXPECT_EQ(atlas.apps, Hosts{"org.example.Sheets"});
  EXPECT_EQ(memory.candidates.at("beacon").confirmed, 0);
  EXPECT_EQ(memory.candidates.at("beacon").updated, t0);

  // An empty title is not remembered: it would only dilute a site's header test.
  memory.confirm("", site("x.example.com"), t0 + 3);
  EXPECT_EQ(remembered(memory), (Strings{"Nothing known here", "Atlas budget"}));
  // A count at the largest value stays there.
  constexpr int64_t kMaxCount = std::numeric_limits<int64_t>::max();
  memory.candidates.at("atlas").confirmed = kMaxCount;
  memory.confirm("Atlas budget", {}, t0 + 3);
  EXPECT_EQ(atlas.confirmed, kMaxCount);
}

TEST(ProjectMemoryTest, TheProjectOfATitleIsTheLongestMentionedKey) {
  ProjectMemory memory;
  memory.agentWorks("Widget", t0);
  memory.agentWorks("Widget Service", t0);
  memory.candidates["notaproject"] = withTitles("Not A Project Widget Service", 1);
  EXPECT_EQ(memory.project("Widget Service roadmap"), "Widget Service");
  EXPECT_EQ(memory.project("Widget roadmap"), "Widget");
  EXPECT_EQ(memory.project("Not a project widget service"), "Widget Service");
  EXPECT_EQ(memory.project("Nothing"), std::nullopt);

  // Equal lengths: more titles, then the first key.
  for (const auto& [key, titles] : {std::pair{"abcd", 2}, std::pair{"wxyz", 3}}) {
    memory.candidates[key] = withTitles(key, titles);
    memory.candidates[key].agent = true;
  }
  EXPECT_EQ(memory.project("abcd and wxyz"), "wxyz");
  memory.candidates["wxyz"].titles.erase("title 2");
  EXPECT_EQ(memory.project("wxyz and abcd"), "abcd");

  EXPECT_EQ(memory.project(Url::parse("https://example.com/team/widget-service/board")),
            "Widget Service");
  EXPECT_EQ(memory.project(Url::parse("https://widget.example.com")), std::nullopt);  // no path
  EXPECT_EQ(memory.project(std::optional<Url>()), std::nullopt);
  memory.agentWorks("Zeta", t0);
  EXPECT_EQ(memory.projects(), (Strings{"Widget", "Widget Service", "Zeta", "abcd", "wxyz"}));
}

TEST(ProjectMemoryFileTest, WritesTheDocumentedFormAndReadsItBack) {
  ProjectMemory memory;
  memory.retention = 1209600;
  see(memory, "Atlas plan", site("docs.example.com"), t0);
  memory.observe({"Atlas"}, "Atlas - notes", app("org.example.App"), t0 + 0.5);
  const Json documented = json::parse(R"({
    "candidates": {
      "atlas": {"text": "Atlas", "spellings": {"Atlas": 1}, "titles": {"Atlas plan": 740000000.5,
                "Atlas - notes": 740000000.5}, "sites": ["docs.example.com"],
                "apps": ["org.example.App"], "agent": false, "assistant": false, "confirmed": 0,
                "updated": 740000000.5}},
    "recent": [{"title": "Atlas plan", "source": {"site": {"_0": "docs.example.com"}}},
               {"title": "Atlas - notes", "source": {"app": {"_0": "org.example.App"}}}],
    "siteTitles": {"docs.example.com": ["Atlas plan"]}, "retention": 1209600})");
  EXPECT_EQ(memory.toJson(), documented);
  test::expectReloads(memory);
  test::expectHostileVariantsSafe<ProjectMemory>(documented);

  // "assistant" may be left out, a source may be too, and other members are ignored.
  Json sparse = documented;
  sparse["candidates"]["atlas"].erase("assistant");
  sparse["recent"][1].erase("source");
  sparse["recent"][0]["source"]["x"] = 1;
  sparse["version"] = 7;
  ProjectMemory read = ProjectMemory::fromJson(sparse);
  EXPECT_EQ(read.candidates, memory.candidates);
  EXPECT_EQ(read.toJson()["recent"][1], json::parse(R"({"title": "Atlas - notes"})"));
  sparse["retention"] = 0;  // zero or below is the default
  EXPECT_EQ(ProjectMemory::fromJson(sparse).retention, ProjectMemory::kDefaultRetention);
}

TEST(ProjectMemoryFileTest, DamagedFilesAreRefusedForTheirReason) {
  ProjectMemory memory;
  see(memory, "Atlas plan", site("docs.example.com"), t0);
  memory.agentWorks("Atlas", t0);
  const Json good = memory.toJson();
  std::vector<test::Refusal> refusals{{"[]", "$: expected an object"}};
  // A member replaced by other JSON, or removed where none is given.
  // clang-format off
  const std::vector<std::tuple<std::string, Json, std::string>> damage = {
      {"/candidates", {}, "candidates: key not found"}, {"/recent", {}, "recent: key not found"},
      {"/siteTitles", {}, "siteTitles: key not found"}, {"/retention", {}, "retention: key not found"},
      {"/candidates/atlas/confirmed", {}, "confirmed: key not found"},
      {"/candidates/atlas/apps", Json::array({1}), "apps: expected a string"},
      {"/candidates/atlas/titles", Json::array(), "titles: expected an object"},
      {"/siteTitles/docs.example.com", "Atlas plan", "siteTitles: expected an array"},
      {"/recent/0/source", Json::object(), "source: Invalid number of keys found, expected one."},
      {"/recent/0/source", {{"site", {{"_0", "a"}}}, {"app", {{"_0", "b"}}}}, "Invalid number"},
      {"/recent/0/source", {{"site", {{"0", "a"}}}}, "_0: key not found"},
      {"/recent/0/source", {{"site", {{"_0", 5}}}}, "_0: expected a string"},
      {"/recent/0/source", {{"site", "a"}}, "_0: expected an object"}};
  // clang-format on
  for (const auto& [pointer, value, reason] : damage) {
    Json file = good;
    const Json::json_pointer at(pointer);
    value.is_null() ? void(file[at.parent_pointer()].erase(at.back())) : void(file[at] = value);
    refusals.push_back({file.dump(), reason});
  }
  refusals.push_back({R"({"candidates": {"a": {"text": "a", "spellings": {"a": 1.5}}}})",
                      "spellings: expected an integer"});
  test::expectRefused<ProjectMemory>(refusals);
}

TEST(ProjectMemoryFileTest, OversizedFilesAreCutToTheMemorysOwnLimits) {
  Json file = ProjectMemory().toJson();
  for (int i = 0; i < 1000; ++i) {
    file["candidates"][numbered("name", i)] = Candidate{.text = "n", .updated = t0 + i}.toJson();
  }
  Candidate crowded{.text = "crowded", .updated = t0 + 5000};
  for (int i = 0; i < 100; ++i) crowded.titles[numbered("title ", i)] = t0 + i;
  for (int i = 0; i < 1500; ++i) {
    crowded.spellings[numbered("spelling ", i)] = i;
    crowded.sites.insert(numbered("s", i));
  }
  crowded.spellings["crowded"] = 0;
  file["candidates"]["crowded"] = crowded.toJson();
  for (int i = 0; i < 100; ++i) file["recent"].push_back({{"title", numbered("t", i % 70)}});
  file["recent"].push_back({{"title", std::string(ProjectMemory::kMaxTitleBytes + 1, 'x')}});
  Strings twenty;
  for (int i = 0; i < 20; ++i) twenty.push_back(numbered("t", i));
  for (int i = 0; i < 250; ++i) file["siteTitles"][numbered("h", i)] = twenty;

  const ProjectMemory memory = ProjectMemory::fromJson(file);
  // The candidates updated last, the titles seen last, the spellings counted most (and the one
  // shown), the first hosts, the last distinct recent titles, the sites' lists of the hosts last in
  // key order and the last titles of each.
  EXPECT_EQ(memory.candidates.size(), ProjectMemory::kCandidatesAfterCut);
  EXPECT_EQ(memory.candidates.begin()->first, "crowded");
  EXPECT_EQ(std::next(memory.candidates.begin())->first, "name0801");
  const Candidate& kept = memory.candidates.at("crowded");
  EXPECT_EQ(kept.titles.begin()->first, numbered("title ", 40));
  EXPECT_EQ(kept.titles.size(), ProjectMemory::kMaxLoadedTitles);
  EXPECT_EQ(kept.spellings.begin()->first, "crowded");
  EXPECT_EQ(std::next(kept.spellings.begin())->first, numbered("spelling ", 500));
  EXPECT_EQ(kept.spellings.size(), ProjectMemory::kEvidenceLimit + 1);
  EXPECT_EQ(*kept.sites.rbegin(), numbered("s", 999));
  const Strings recent = remembered(memory);
  EXPECT_EQ(recent.size(), ProjectMemory::kRecentLimit);
  EXPECT_EQ(recent.front() + " " + recent.back(), "t0040 t0029");
  const Json sites = memory.toJson()["siteTitles"];
  EXPECT_EQ(sites.size(), ProjectMemory::kSiteLimit);
  EXPECT_EQ(sites.begin().key(), numbered("h", 50));
  EXPECT_EQ(sites["h0100"], Json(Strings(twenty.begin() + 8, twenty.end())));
  test::expectReloads(memory);
}

}  // namespace
}  // namespace qb
