#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "base/Error.h"
#include "base/Json.h"
#include "context/ProjectMemory.h"

namespace qb {
namespace {

using Candidate = ProjectMemory::Candidate;
using Source = ProjectMemory::Source;
using Strings = std::vector<std::string>;
using Hosts = std::set<std::string>;

const Date t0 = Date::fromReference(7e8);
const std::optional<Source> noSource;
constexpr int64_t kMaxCount = std::numeric_limits<int64_t>::max();

Source site(std::string host) { return Source::site(std::move(host)); }
Source app(std::string id) { return Source::app(std::move(id)); }

Strings recentTitles(const ProjectMemory& memory) {
  const Json saved = memory.toJson();
  Strings titles;
  for (const Json& seen : saved["recent"]) titles.push_back(seen["title"]);
  return titles;
}

Strings siteTitles(const ProjectMemory& memory, const std::string& host) {
  const Json all = memory.toJson()["siteTitles"];
  return all.contains(host) ? all[host].get<Strings>() : Strings{};
}

void see(ProjectMemory& memory, const std::string& title, std::optional<Source> source = {},
         Date at = t0) {
  memory.observe({}, title, source, at);
}

// "prefix" followed by i in three digits.
std::string numbered(const char* prefix, int i) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%03d", prefix, i);
  return text;
}

// A candidate with n distinct titles.
Candidate withTitles(std::string text, size_t n) {
  Candidate candidate{.text = std::move(text), .updated = t0};
  for (size_t i = 0; i < n; ++i) candidate.titles["title " + std::to_string(i)] = t0;
  return candidate;
}

TEST(ProjectMemoryTest, ObserveSkipsFullStopsAndShortKeysButStillRemembersAndPrunes) {
  ProjectMemory memory;
  memory.agentWorks("old folder", t0 - ProjectMemory::kDefaultRetention - 1);
  memory.observe({"Acme.Corp", "Q3", "a-b"}, "Quarterly plan", site("example.com"), t0);
  EXPECT_TRUE(memory.candidates.empty());  // the old candidate went too
  EXPECT_EQ(recentTitles(memory), Strings{"Quarterly plan"});
  EXPECT_EQ(siteTitles(memory, "example.com"), Strings{"Quarterly plan"});
  // Empty and absent titles are not remembered.
  memory.observe({}, "", site("example.com"), t0);
  memory.observe({}, std::nullopt, site("example.com"), t0);
  EXPECT_EQ(recentTitles(memory), Strings{"Quarterly plan"});
}

TEST(ProjectMemoryTest, SpellingsAreCountedAndAgentNamesGiveWayToTheFirstSpellingInATitle) {
  ProjectMemory memory;
  for (int i = 0; i < 2; ++i) memory.observe({"widget service"}, std::nullopt, noSource, t0);
  for (int i = 0; i < 2; ++i) memory.observe({"Widget Service"}, std::nullopt, noSource, t0 + i);
  EXPECT_EQ(memory.candidates.at("widgetservice").text, "widget service");  // a tie keeps it
  EXPECT_EQ(memory.candidates.at("widgetservice").updated, t0 + 1);
  memory.observe({"Widget Service"}, std::nullopt, noSource, t0);
  EXPECT_EQ(memory.candidates.at("widgetservice").text, "Widget Service");  // the most counted
  EXPECT_EQ(memory.candidates.at("widgetservice").spellings,
            (std::map<std::string, int64_t>{{"widget service", 2}, {"Widget Service", 3}}));
  EXPECT_EQ(memory.spelling("WIDGET-SERVICE"), "Widget Service");
  EXPECT_EQ(memory.spelling("Unknown thing"), "Unknown thing");

  ProjectMemory agents;
  agents.agentWorks("widget-service", t0);
  agents.assistantWorks("abc", t0);      // key too short
  agents.assistantWorks("a.b.c.d", t0);  // a full stop does not matter here
  ASSERT_EQ(agents.candidates.size(), 2u);
  const Candidate& folder = agents.candidates.at("widgetservice");
  EXPECT_TRUE(folder.agent && !folder.assistant && folder.spellings.empty());
  EXPECT_EQ(folder.text, "widget-service");
  EXPECT_TRUE(agents.candidates.at("abcd").assistant);
  agents.observe({"Widget Service"}, std::nullopt, noSource, t0);
  EXPECT_EQ(agents.candidates.at("widgetservice").text, "Widget Service");
}

TEST(ProjectMemoryTest, ANewCandidateIsBackfilledFromRecentTitlesPastTheTitleLimit) {
  ProjectMemory memory;
  see(memory, "Widget Service docs", site("docs.example.com"), t0);
  see(memory, "Widget Service in editor", app("org.example.Editor"), t0 + 1);
  see(memory, "Unrelated page", site("news.example.com"), t0 + 2);
  see(memory, "widget-service notes", std::nullopt, t0 + 3);
  memory.observe({"Widget Service"}, "Planning", site("plan.example.com"), t0 + 100);
  const Candidate& candidate = memory.candidates.at("widgetservice");
  // Dated now, not when each title was seen; the current title does not mention the name.
  EXPECT_EQ(candidate.titles, (std::map<std::string, Date>{{"Widget Service docs", t0 + 100},
                                                           {"Widget Service in editor", t0 + 100},
                                                           {"widget-service notes", t0 + 100}}));
  EXPECT_EQ(candidate.sites, Hosts{"docs.example.com"});
  EXPECT_EQ(candidate.apps, Hosts{"org.example.Editor"});

  ProjectMemory atlas;
  for (int i = 0; i < 50; ++i) see(atlas, "Atlas page " + std::to_string(i));
  atlas.observe({"Atlas"}, "Atlas page 50", site("new.example.com"), t0 + 10);
  const Candidate& filled = atlas.candidates.at("atlas");
  EXPECT_EQ(filled.titles.size(), 50u);  // all back-filled, the new one over the limit
  EXPECT_EQ(filled.titles.count("Atlas page 50"), 0u);
  EXPECT_EQ(filled.sites, Hosts{"new.example.com"});
  EXPECT_EQ(filled.updated, t0 + 10);
  see(atlas, "Atlas page 3", std::nullopt, t0 + 20);  // a held title is refreshed
  EXPECT_EQ(atlas.candidates.at("atlas").titles.at("Atlas page 3"), t0 + 20);

  // Below the limit titles are added until it is reached.
  ProjectMemory fresh;
  fresh.agentWorks("Beacon", t0);
  for (int i = 0; i < 45; ++i) see(fresh, "Beacon " + std::to_string(i), app("org.example.App"));
  EXPECT_EQ(fresh.candidates.at("beacon").titles.size(), ProjectMemory::kTitleLimit);
}

TEST(ProjectMemoryTest, RememberedTitlesAreBoundedAndASecondSightingMovesATitleLast) {
  ProjectMemory memory;
  for (int i = 0; i < 60; ++i) see(memory, "title " + std::to_string(i));
  see(memory, "title 5");  // costs no other title
  Strings titles = recentTitles(memory);
  ASSERT_EQ(titles.size(), 60u);
  EXPECT_EQ(titles.front(), "title 0");
  EXPECT_EQ(titles.back(), "title 5");
  EXPECT_EQ(std::count(titles.begin(), titles.end(), "title 5"), 1);
  see(memory, "title 60");  // a new one drops the oldest
  titles = recentTitles(memory);
  ASSERT_EQ(titles.size(), 60u);
  EXPECT_EQ(titles.front(), "title 1");
  EXPECT_EQ(titles.back(), "title 60");

  for (int i = 0; i < 13; ++i) see(memory, "t" + std::to_string(i), site("a.example.com"));
  see(memory, "t5", site("a.example.com"));
  titles = siteTitles(memory, "a.example.com");
  ASSERT_EQ(titles.size(), 12u);
  EXPECT_EQ(titles.front(), "t1");
  EXPECT_EQ(titles.back(), "t5");
  see(memory, "in an app", app("org.example.App"));  // applications keep no site titles
  EXPECT_TRUE(siteTitles(memory, "org.example.App").empty());

  ProjectMemory many;
  for (int i = 0; i < 200; ++i) see(many, "page", site(numbered("s", i) + ".example.com"));
  // The newcomer sorts first, yet another site's list is the one that goes.
  see(many, "page", site("a.example.com"));
  const Json all = many.toJson()["siteTitles"];
  EXPECT_EQ(all.size(), ProjectMemory::kSiteLimit);
  EXPECT_TRUE(all.contains("a.example.com"));
  EXPECT_FALSE(all.contains("s000.example.com"));
  EXPECT_TRUE(all.contains("s001.example.com"));
}

TEST(ProjectMemoryTest, PruneForgetsAtTheRetentionAndCutsToTheNewest) {
  ProjectMemory memory;
  memory.agentWorks("exactly old", t0 - memory.retention);
  memory.agentWorks("almost old", t0 - memory.retention + 1);
  memory.agentWorks("from the future", t0 + 1000);
  see(memory, "anything", std::nullopt, t0);
  EXPECT_EQ(memory.candidates.count("exactlyold"), 0u);
  EXPECT_EQ(memory.candidates.count("almostold"), 1u);
  EXPECT_EQ(memory.candidates.count("fromthefuture"), 1u);

  ProjectMemory crowded;
  for (int i = 0; i < 301; ++i) {
    crowded.observe({numbered("name", i)}, std::nullopt, noSource, t0 + i);
    ASSERT_EQ(crowded.candidates.size(),
              i < 300 ? size_t(i + 1) : ProjectMemory::kCandidatesAfterCut);
  }
  EXPECT_EQ(crowded.candidates.begin()->first, "name101");
  EXPECT_EQ(crowded.candidates.rbegin()->first, "name300");
}

TEST(ProjectMemoryTest, ProjectEvidence) {
  ProjectMemory memory;
  EXPECT_TRUE(memory.isProject(Candidate{.text = "Atlas", .agent = true, .updated = t0}));

  Candidate confirmedOnce = withTitles("Atlas", 1);
  confirmedOnce.confirmed = 5;
  EXPECT_FALSE(memory.isProject(confirmedOnce));
  confirmedOnce.titles["another"] = t0;
  EXPECT_TRUE(memory.isProject(confirmedOnce));

  Candidate inApp = withTitles("Atlas", 2);
  EXPECT_FALSE(memory.isProject(inApp));
  inApp.apps.insert("org.example.App");
  EXPECT_TRUE(memory.isProject(inApp));

  // A ticket-like spelling, the whole of it, but no year.
  for (const auto& [spelling, ticket] :
       std::vector<std::pair<std::string, bool>>{{"ABC 123", true},
                                                 {"ABC123", true},
                                                 {"ABC 2024", false},
                                                 {"ABC 1999", false},
                                                 {"ABC 2024A", true},
                                                 {"ABC 1850", true},
                                                 {"Abc 123", false},
                                                 {"ABC 123 plan", false}}) {
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
  EXPECT_FALSE(isProjectOn({"docs.google.com", "wiki.example.org"}));
  EXPECT_FALSE(isProjectOn({"docs.google.com", "wiki.example.org", "blog.example.net"}));
  // ...until enough other titles are seen there.
  see(memory, "Other - One", site("docs.google.com"));
  see(memory, "Other - Two", site("docs.google.com"));
  EXPECT_TRUE(isProjectOn({"docs.google.com", "wiki.example.org"}));

  // The header needs three titles, and three quarters of them.
  ProjectMemory headers;
  EXPECT_FALSE(headers.isHeader("atlas", "a.example.com"));
  for (const auto& [title, host, header] :
       std::vector<std::tuple<const char*, const char*, bool>>{{"Atlas one", "a", false},
                                                               {"Atlas two", "a", false},
                                                               {"Other", "a", false},
                                                               {"Atlas three", "a", true},
                                                               {"Else", "a", false},
                                                               {"Atlas four", "b", false},
                                                               {"Atlas five", "b", false},
                                                               {"Other", "b", false},
                                                               {"Else", "b", false}}) {
    see(headers, title, site(std::string(host) + ".example.com"));
    EXPECT_EQ(headers.isHeader("atlas", std::string(host) + ".example.com"), header) << title;
  }
}

TEST(ProjectMemoryTest, ConfirmCountsMentionedCandidatesAndRemembersTheTitle) {
  ProjectMemory memory;
  memory.agentWorks("Atlas", t0);
  memory.agentWorks("Beacon", t0);
  memory.confirm("Nothing known here", site("x.example.com"), t0 + 1);
  EXPECT_EQ(memory.candidates.at("atlas").confirmed, 0);
  EXPECT_EQ(recentTitles(memory), Strings{"Nothing known here"});
  EXPECT_EQ(siteTitles(memory, "x.example.com"), Strings{"Nothing known here"});

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
  EXPECT_EQ(siteTitles(memory, "x.example.com"), Strings{"Nothing known here"});
  EXPECT_EQ(recentTitles(memory).size(), 2u);
  // A count at the largest value stays there.
  memory.candidates.at("atlas").confirmed = kMaxCount;
  memory.confirm("Atlas budget", noSource, t0 + 3);
  EXPECT_EQ(memory.candidates.at("atlas").confirmed, kMaxCount);
}

TEST(ProjectMemoryTest, TheProjectOfATitleIsTheLongestMentionedKey) {
  ProjectMemory memory;
  memory.agentWorks("Widget", t0);
  memory.agentWorks("Widget Service", t0);
  memory.candidates["notaproject"] = withTitles("Not A Project Widget Service", 1);
  auto projectOf = [&](std::string_view title) { return memory.project(title); };
  EXPECT_EQ(projectOf("Widget Service roadmap"), "Widget Service");
  EXPECT_EQ(projectOf("Widget roadmap"), "Widget");
  EXPECT_EQ(projectOf("Not a project widget service"), "Widget Service");
  EXPECT_EQ(projectOf("Nothing"), std::nullopt);

  // Equal lengths: more titles, then the first key.
  for (const auto& [key, text, titles] :
       {std::tuple{"abcd", "Abcd", 2}, std::tuple{"wxyz", "Wxyz", 3}}) {
    memory.candidates[key] = withTitles(text, titles);
    memory.candidates[key].agent = true;
  }
  EXPECT_EQ(projectOf("abcd and wxyz"), "Wxyz");
  memory.candidates["wxyz"].titles.erase("title 2");
  EXPECT_EQ(projectOf("wxyz and abcd"), "Abcd");

  EXPECT_EQ(memory.project(Url::parse("https://example.com/team/widget-service/board")),
            "Widget Service");
  EXPECT_EQ(memory.project(Url::parse("https://widget.example.com")), std::nullopt);  // no path
  EXPECT_EQ(memory.project(std::optional<Url>()), std::nullopt);

  memory.agentWorks("alpha", t0);
  memory.agentWorks("Zeta", t0);
  EXPECT_EQ(memory.projects(),
            (Strings{"Abcd", "Widget", "Widget Service", "Wxyz", "Zeta", "alpha"}));
}

TEST(ProjectMemoryTest, ATimeThatIsNoNumberTeachesNothing) {
  ProjectMemory memory;
  memory.observe({"Atlas"}, "Atlas plan", site("docs.example.com"), t0);
  const ProjectMemory before = memory;
  const Date bad = Date::fromReference(std::numeric_limits<double>::quiet_NaN());
  memory.observe({"Atlas", "Beacon"}, "Atlas notes", site("docs.example.com"), bad);
  memory.agentWorks("Atlas", bad);
  memory.assistantWorks("Cobalt", bad);
  memory.confirm("Atlas plan", noSource, bad);
  EXPECT_EQ(memory, before);
  EXPECT_EQ(ProjectMemory::fromJson(json::parse(json::dump(memory.toJson()))), before);
}

ProjectMemory populated() {
  ProjectMemory memory;
  memory.retention = 86400 * 7;
  see(memory, "Atlas plan", site("docs.example.com"), t0);
  memory.observe({"Atlas", "ABC 123"}, "Atlas - ABC 123", app("org.example.App"), t0 + 1.5);
  memory.agentWorks("widget-service", t0 + 2);
  memory.assistantWorks("Thesis plan", t0 + 3);
  memory.confirm("Atlas budget", site("sheets.example.com"), t0 + 4);
  return memory;
}

TEST(ProjectMemoryTest, SavedFormRoundTripsAndAHandWrittenFileReads) {
  const ProjectMemory memory = populated();
  const Json saved = memory.toJson();
  EXPECT_EQ(ProjectMemory::fromJson(json::parse(json::dump(saved))), memory);
  EXPECT_EQ(ProjectMemory::fromJson(saved).toJson(), saved);  // read back exactly as it was
  // A source is optional on reading, so its written form is checked here; the required members
  // are checked by the hand-written file below, which the writer's output must match to round-trip.
  EXPECT_EQ(saved["recent"][0]["source"], Json::parse(R"({"site": {"_0": "docs.example.com"}})"));
  EXPECT_EQ(saved["recent"][1]["source"], Json::parse(R"({"app": {"_0": "org.example.App"}})"));

  const ProjectMemory read = ProjectMemory::fromJson(json::parse(R"({
    "candidates": {
      "atlas": {"text": "Atlas", "spellings": {"Atlas": 3, "atlas": 1},
                "titles": {"Atlas plan": 700000000, "Atlas - notes": 700000010.5},
                "sites": ["docs.google.com", "wiki.example.org"], "apps": [],
                "agent": false, "confirmed": 0, "updated": 700000010.5, "extra": 1}
    },
    "recent": [{"title": "Atlas plan"},
               {"title": "Atlas - notes", "source": {"site": {"_0": "wiki.example.org"}, "x": 2}}],
    "siteTitles": {"wiki.example.org": ["Atlas - notes"]},
    "retention": 1209600,
    "version": 7
  })"));
  ASSERT_EQ(read.candidates.size(), 1u);
  const Candidate& candidate = read.candidates.at("atlas");
  EXPECT_FALSE(candidate.assistant);  // absent means false
  EXPECT_EQ(candidate.spellings.at("Atlas"), 3);
  EXPECT_EQ(candidate.titles.at("Atlas - notes"), Date::fromReference(700000010.5));
  EXPECT_EQ(read.retention, 1209600);
  EXPECT_EQ(recentTitles(read), (Strings{"Atlas plan", "Atlas - notes"}));
  EXPECT_EQ(siteTitles(read, "wiki.example.org"), Strings{"Atlas - notes"});
  EXPECT_EQ(read.projects(), Strings{"Atlas"});  // a workspace host and a second domain
}

TEST(ProjectMemoryTest, MalformedFilesFail) {
  const Json good = populated().toJson();
  // A member replaced by other JSON, or removed where none is given.
  for (const auto& [pointer, value] : std::vector<std::pair<std::string, std::string>>{
           {"/candidates", ""},
           {"/recent", ""},
           {"/siteTitles", ""},
           {"/retention", ""},
           {"/candidates/atlas/confirmed", ""},
           {"/candidates/atlas/sites", "[1]"},
           {"/candidates/atlas/spellings/Atlas", "1.5"},
           {"/siteTitles/docs.example.com", "\"Atlas plan\""},
           {"/recent/0/source", R"({"site": {"0": "a"}})"},
           {"/recent/0/source", R"({"site": {"_0": 5}})"},
           {"/recent/0/source", R"({"site": "a"})"}}) {
    Json file = good;
    const Json::json_pointer at(pointer);
    if (value.empty()) {
      file[at.parent_pointer()].erase(at.back());
    } else {
      file[at] = Json::parse(value);
    }
    try {
      ProjectMemory::fromJson(file);
      ADD_FAILURE() << pointer << " " << value;
    } catch (const Error& error) {
      EXPECT_EQ(error.domain(), Error::kDecodingDomain);
    }
  }
  EXPECT_THROW(ProjectMemory::fromJson(Json::array()), Error);

  for (const char* source :
       {R"({"site": {"_0": "a"}, "app": {"_0": "b"}})", R"({"x": {"_0": "a"}})"}) {
    try {
      Source::fromJson(Json::parse(source));
      ADD_FAILURE() << source;
    } catch (const Error& error) {
      EXPECT_NE(std::string(error.what()).find("Invalid number of keys found, expected one."),
                std::string::npos);
    }
  }
  EXPECT_EQ(Source::fromJson(Json::parse(R"({"app": {"_0": "b", "x": 1}, "y": 2})")), app("b"));
}

TEST(ProjectMemoryTest, UnusableRetentionIsRepairedOnReading) {
  const size_t candidates = populated().candidates.size();
  for (double bad : {0.0, -5.0, std::numeric_limits<double>::infinity()}) {
    Json file = populated().toJson();
    file["retention"] = bad;
    ProjectMemory memory = ProjectMemory::fromJson(file);
    EXPECT_EQ(memory.retention, ProjectMemory::kDefaultRetention) << bad;
    // Everything else is as written, and the next observation keeps recent candidates.
    EXPECT_EQ(memory.candidates, populated().candidates);
    see(memory, "later", std::nullopt, t0 + 10);
    EXPECT_EQ(memory.candidates.size(), candidates);
  }
  // A retention of 0 set in code forgets nothing either.
  ProjectMemory memory = populated();
  memory.retention = 0;
  see(memory, "later", std::nullopt, t0 + 10);
  EXPECT_EQ(memory.candidates.size(), candidates);
}

TEST(ProjectMemoryTest, OversizedFilesAreCutToTheMemorysOwnLimits) {
  Json file =
      Json::parse(R"({"candidates": {}, "recent": [], "siteTitles": {}, "retention": 100})");
  for (int i = 0; i < 1000; ++i) {
    Candidate candidate{.text = "name" + std::to_string(i), .updated = t0 + i};
    file["candidates"][ProjectMemory::key(candidate.text)] = candidate.toJson();
  }
  Candidate crowded{.text = "crowded", .updated = t0 + 5000};
  for (int i = 0; i < 100; ++i) crowded.titles["title " + std::to_string(i)] = t0 + i;
  for (int i = 0; i < 1500; ++i) {
    crowded.spellings["spelling " + std::to_string(i)] = i;
    crowded.sites.insert("s" + std::to_string(i) + ".example");
  }
  crowded.spellings["crowded"] = 0;
  file["candidates"]["crowded"] = crowded.toJson();
  for (int i = 0; i < 100; ++i) file["recent"].push_back({{"title", "t" + std::to_string(i % 70)}});
  file["recent"].push_back({{"title", std::string(ProjectMemory::kMaxLoadedTitleBytes + 1, 'x')}});
  Json titles = Json::array();
  for (int j = 0; j < 20; ++j) titles.push_back("t" + std::to_string(j));
  for (int i = 0; i < 250; ++i) file["siteTitles"][numbered("h", i) + ".example"] = titles;

  const ProjectMemory memory = ProjectMemory::fromJson(file);
  ASSERT_EQ(memory.candidates.size(), ProjectMemory::kCandidatesAfterCut);
  for (const auto& [key, kept] : std::vector<std::pair<const char*, bool>>{
           {"crowded", true}, {"name999", true}, {"name801", true}, {"name800", false}}) {
    EXPECT_EQ(memory.candidates.contains(key), kept) << key;
  }
  const Candidate& kept = memory.candidates.at("crowded");
  EXPECT_EQ(kept.titles.size(), ProjectMemory::kMaxLoadedTitles);
  EXPECT_EQ(kept.titles.count("title 99"), 1u);  // the newest stay
  EXPECT_EQ(kept.titles.count("title 39"), 0u);
  EXPECT_LE(kept.spellings.size(), ProjectMemory::kMaxLoadedEvidence + 1);
  EXPECT_EQ(kept.spellings.count("spelling 1499"), 1u);
  EXPECT_EQ(kept.spellings.count("crowded"), 1u);  // the one shown stays
  EXPECT_EQ(kept.sites.size(), ProjectMemory::kMaxLoadedEvidence);

  // Recent: the last 60 distinct, a title seen again counting where it was seen last.
  const Strings recent = recentTitles(memory);
  ASSERT_EQ(recent.size(), ProjectMemory::kRecentLimit);
  EXPECT_EQ(recent.back(), "t29");
  EXPECT_EQ(recent.front(), "t40");

  const Json sites = memory.toJson()["siteTitles"];
  EXPECT_EQ(sites.size(), ProjectMemory::kSiteLimit);
  EXPECT_FALSE(sites.contains("h049.example"));
  EXPECT_TRUE(sites.contains("h050.example"));
  EXPECT_EQ(sites["h100.example"].size(), ProjectMemory::kSiteTitleLimit);
  EXPECT_EQ(sites["h100.example"].back(), "t19");
}

}  // namespace
}  // namespace qb
