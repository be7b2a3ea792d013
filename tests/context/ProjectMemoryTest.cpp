#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "base/Error.h"
#include "base/Json.h"
#include "context/ProjectMemory.h"

namespace qb {
namespace {

using Candidate = ProjectMemory::Candidate;
using Source = ProjectMemory::Source;
using Strings = std::vector<std::string>;

const Date t0 = Date::fromReference(7e8);
const std::optional<Source> noSource;

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
  if (!all.contains(host)) return {};
  return all[host].get<Strings>();
}

void see(ProjectMemory& memory, const std::string& title, std::optional<Source> source = {},
         Date at = t0) {
  memory.observe({}, title, source, at);
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

TEST(ProjectMemoryTest, TheMostCountedSpellingIsShownAndTiesKeepIt) {
  ProjectMemory memory;
  for (int i = 0; i < 2; ++i) memory.observe({"widget service"}, std::nullopt, noSource, t0);
  for (int i = 0; i < 2; ++i) memory.observe({"Widget Service"}, std::nullopt, noSource, t0 + i);
  const Candidate& candidate = memory.candidates.at("widgetservice");
  EXPECT_EQ(candidate.text, "widget service");
  EXPECT_EQ(candidate.updated, t0 + 1);
  memory.observe({"Widget Service"}, std::nullopt, noSource, t0);
  EXPECT_EQ(memory.candidates.at("widgetservice").text, "Widget Service");
  EXPECT_EQ(memory.candidates.at("widgetservice").spellings,
            (std::map<std::string, int64_t>{{"widget service", 2}, {"Widget Service", 3}}));
  EXPECT_EQ(memory.spelling("WIDGET-SERVICE"), "Widget Service");
  EXPECT_EQ(memory.spelling("Unknown thing"), "Unknown thing");
}

TEST(ProjectMemoryTest, AgentAndAssistantNamesAreReplacedByTheFirstSpellingInATitle) {
  ProjectMemory memory;
  memory.agentWorks("widget-service", t0);
  memory.assistantWorks("abc", t0);      // key too short
  memory.assistantWorks("a.b.c.d", t0);  // a full stop does not matter here
  ASSERT_EQ(memory.candidates.size(), 2u);
  const Candidate& folder = memory.candidates.at("widgetservice");
  EXPECT_TRUE(folder.agent);
  EXPECT_FALSE(folder.assistant);
  EXPECT_TRUE(folder.spellings.empty());
  EXPECT_EQ(folder.text, "widget-service");
  EXPECT_TRUE(memory.candidates.at("abcd").assistant);
  memory.observe({"Widget Service"}, std::nullopt, noSource, t0);
  EXPECT_EQ(memory.candidates.at("widgetservice").text, "Widget Service");
}

TEST(ProjectMemoryTest, ANewCandidateIsBackfilledFromRecentTitles) {
  ProjectMemory memory;
  see(memory, "Widget Service docs", site("docs.example.com"), t0);
  see(memory, "Widget Service in editor", app("org.example.Editor"), t0 + 1);
  see(memory, "Unrelated page", site("news.example.com"), t0 + 2);
  see(memory, "widget-service notes", std::nullopt, t0 + 3);
  const Date now = t0 + 100;
  memory.observe({"Widget Service"}, "Planning", site("plan.example.com"), now);
  const Candidate& candidate = memory.candidates.at("widgetservice");
  // Dated now, not when each title was seen; the current title does not mention the name.
  EXPECT_EQ(candidate.titles, (std::map<std::string, Date>{{"Widget Service docs", now},
                                                           {"Widget Service in editor", now},
                                                           {"widget-service notes", now}}));
  EXPECT_EQ(candidate.sites, std::set<std::string>{"docs.example.com"});
  EXPECT_EQ(candidate.apps, std::set<std::string>{"org.example.Editor"});
}

TEST(ProjectMemoryTest, TitleLimitHoldsForSightingsButNotForBackfill) {
  ProjectMemory memory;
  for (int i = 0; i < 50; ++i) see(memory, "Atlas page " + std::to_string(i));
  memory.observe({"Atlas"}, "Atlas page 50", site("new.example.com"), t0 + 10);
  Candidate candidate = memory.candidates.at("atlas");
  EXPECT_EQ(candidate.titles.size(), 50u);  // all back-filled, the new one over the limit
  EXPECT_EQ(candidate.titles.count("Atlas page 50"), 0u);
  EXPECT_EQ(candidate.sites, std::set<std::string>{"new.example.com"});
  EXPECT_EQ(candidate.updated, t0 + 10);
  // A held title is refreshed.
  see(memory, "Atlas page 3", std::nullopt, t0 + 20);
  EXPECT_EQ(memory.candidates.at("atlas").titles.at("Atlas page 3"), t0 + 20);

  // Below the limit titles are added until it is reached.
  ProjectMemory fresh;
  fresh.agentWorks("Beacon", t0);
  for (int i = 0; i < 45; ++i) see(fresh, "Beacon " + std::to_string(i), app("org.example.App"));
  EXPECT_EQ(fresh.candidates.at("beacon").titles.size(), ProjectMemory::kTitleLimit);
}

TEST(ProjectMemoryTest, RecentTitlesKeepTheLastSixtyDistinct) {
  ProjectMemory memory;
  for (int i = 0; i < 60; ++i) see(memory, "title " + std::to_string(i));
  // Seeing a title again moves it to the end and costs no other title.
  see(memory, "title 5");
  Strings titles = recentTitles(memory);
  ASSERT_EQ(titles.size(), 60u);
  EXPECT_EQ(titles.front(), "title 0");
  EXPECT_EQ(titles.back(), "title 5");
  EXPECT_EQ(std::count(titles.begin(), titles.end(), "title 5"), 1);
  // A new one drops the oldest.
  see(memory, "title 60");
  titles = recentTitles(memory);
  ASSERT_EQ(titles.size(), 60u);
  EXPECT_EQ(titles.front(), "title 1");
  EXPECT_EQ(titles.back(), "title 60");
}

TEST(ProjectMemoryTest, SiteTitlesAreBoundedPerSiteAndInSites) {
  ProjectMemory memory;
  for (int i = 0; i < 13; ++i) see(memory, "t" + std::to_string(i), site("a.example.com"));
  see(memory, "t5", site("a.example.com"));
  Strings titles = siteTitles(memory, "a.example.com");
  ASSERT_EQ(titles.size(), 12u);
  EXPECT_EQ(titles.front(), "t1");
  EXPECT_EQ(titles.back(), "t5");
  // Application sources keep no site titles.
  see(memory, "in an app", app("org.example.App"));
  EXPECT_TRUE(siteTitles(memory, "org.example.App").empty());

  ProjectMemory many;
  for (int i = 0; i < 200; ++i) {
    char host[32];
    std::snprintf(host, sizeof host, "s%03d.example.com", i);
    see(many, "page", site(host));
  }
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
  const Duration retention = memory.retention;
  memory.agentWorks("exactly old", t0 - retention);
  memory.agentWorks("almost old", t0 - retention + 1);
  memory.agentWorks("from the future", t0 + 1000);
  see(memory, "anything", std::nullopt, t0);
  EXPECT_EQ(memory.candidates.count("exactlyold"), 0u);
  EXPECT_EQ(memory.candidates.count("almostold"), 1u);
  EXPECT_EQ(memory.candidates.count("fromthefuture"), 1u);

  ProjectMemory crowded;
  for (int i = 0; i < 301; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "name%03d", i);
    crowded.observe({name}, std::nullopt, noSource, t0 + i);
    ASSERT_EQ(crowded.candidates.size(),
              i < 300 ? size_t(i + 1) : ProjectMemory::kCandidatesAfterCut);
  }
  EXPECT_EQ(crowded.candidates.begin()->first, "name101");
  EXPECT_EQ(crowded.candidates.rbegin()->first, "name300");
}

TEST(ProjectMemoryTest, ProjectEvidence) {
  ProjectMemory memory;
  Candidate agent{.text = "Atlas", .agent = true, .updated = t0};
  EXPECT_TRUE(memory.isProject(agent));

  Candidate confirmedOnce = withTitles("Atlas", 1);
  confirmedOnce.confirmed = 5;
  EXPECT_FALSE(memory.isProject(confirmedOnce));
  confirmedOnce.titles["another"] = t0;
  EXPECT_TRUE(memory.isProject(confirmedOnce));

  Candidate inApp = withTitles("Atlas", 2);
  EXPECT_FALSE(memory.isProject(inApp));
  inApp.apps.insert("org.example.App");
  EXPECT_TRUE(memory.isProject(inApp));

  auto ticket = [&](const std::string& spelling) {
    Candidate candidate = withTitles(spelling, 2);
    candidate.spellings[spelling] = 1;
    return memory.isProject(candidate);
  };
  EXPECT_TRUE(ticket("ABC 123"));
  EXPECT_TRUE(ticket("ABC123"));
  EXPECT_FALSE(ticket("ABC 2024"));  // a year
  EXPECT_FALSE(ticket("ABC 1999"));
  EXPECT_TRUE(ticket("ABC 2024A"));
  EXPECT_TRUE(ticket("ABC 1850"));
  EXPECT_FALSE(ticket("Abc 123"));
  EXPECT_FALSE(ticket("ABC 123 plan"));  // the whole spelling must be the ticket
}

TEST(ProjectMemoryTest, WorkspaceSitesNeedASecondDomainAndNoHeader) {
  ProjectMemory memory;
  Candidate candidate = withTitles("Atlas", 2);
  candidate.sites = {"docs.google.com", "a.docs.google.com"};
  EXPECT_FALSE(memory.isProject(candidate));  // one domain
  candidate.sites = {"example.org", "example.net"};
  EXPECT_FALSE(memory.isProject(candidate));  // no workspace host
  candidate.sites = {"docs.google.com", "wiki.example.org"};
  EXPECT_TRUE(memory.isProject(candidate));
  candidate.sites = {"team.atlassian.net", "wiki.example.org"};
  EXPECT_TRUE(memory.isProject(candidate));  // a subdomain of a workspace host

  // Where most remembered titles name it, the name is the site's header: that host is left out.
  for (const char* title : {"Atlas - Plan", "Atlas - Notes", "Atlas - Budget"}) {
    see(memory, title, site("docs.google.com"));
  }
  candidate.sites = {"docs.google.com", "wiki.example.org"};
  EXPECT_FALSE(memory.isProject(candidate));
  // Two other domains remain, but no workspace host among them.
  candidate.sites = {"docs.google.com", "wiki.example.org", "blog.example.net"};
  EXPECT_FALSE(memory.isProject(candidate));
  candidate.sites = {"docs.google.com", "wiki.example.org"};
  // ...and not once enough other titles are seen there.
  for (const char* title : {"Other - One", "Other - Two"})
    see(memory, title, site("docs.google.com"));
  EXPECT_TRUE(memory.isProject(candidate));
}

TEST(ProjectMemoryTest, HeaderShares) {
  ProjectMemory memory;
  EXPECT_FALSE(memory.isHeader("atlas", "a.example.com"));
  see(memory, "Atlas one", site("a.example.com"));
  see(memory, "Atlas two", site("a.example.com"));
  EXPECT_FALSE(memory.isHeader("atlas", "a.example.com"));  // two titles are too few
  see(memory, "Other", site("a.example.com"));
  EXPECT_FALSE(memory.isHeader("atlas", "a.example.com"));  // 2 of 3
  see(memory, "Atlas three", site("a.example.com"));
  EXPECT_TRUE(memory.isHeader("atlas", "a.example.com"));  // 3 of 4
  see(memory, "Else", site("a.example.com"));
  EXPECT_FALSE(memory.isHeader("atlas", "a.example.com"));  // 3 of 5
  see(memory, "Atlas four", site("b.example.com"));
  see(memory, "Atlas five", site("b.example.com"));
  see(memory, "Other", site("b.example.com"));
  see(memory, "Else", site("b.example.com"));
  EXPECT_FALSE(memory.isHeader("atlas", "b.example.com"));  // 2 of 4
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
  EXPECT_EQ(atlas.apps, std::set<std::string>{"org.example.Sheets"});
  EXPECT_EQ(memory.candidates.at("beacon").confirmed, 0);
  EXPECT_EQ(memory.candidates.at("beacon").updated, t0);

  // An empty title is not remembered: it would only dilute a site's header test.
  memory.confirm("", site("x.example.com"), t0 + 3);
  EXPECT_EQ(siteTitles(memory, "x.example.com"), Strings{"Nothing known here"});
  EXPECT_EQ(recentTitles(memory).size(), 2u);

  // A count at the largest value stays there.
  memory.candidates.at("atlas").confirmed = std::numeric_limits<int64_t>::max();
  memory.confirm("Atlas budget", noSource, t0 + 3);
  EXPECT_EQ(memory.candidates.at("atlas").confirmed, std::numeric_limits<int64_t>::max());
}

TEST(ProjectMemoryTest, TheProjectOfATitleIsTheLongestMentionedKey) {
  ProjectMemory memory;
  memory.agentWorks("Widget", t0);
  memory.agentWorks("Widget Service", t0);
  memory.candidates["notaproject"] = withTitles("Not A Project Widget Service", 1);
  EXPECT_EQ(memory.project(std::string_view("Widget Service roadmap")), "Widget Service");
  EXPECT_EQ(memory.project(std::string_view("Widget roadmap")), "Widget");
  EXPECT_EQ(memory.project(std::string_view("Not a project widget service")), "Widget Service");
  EXPECT_EQ(memory.project(std::string_view("Nothing")), std::nullopt);

  // Equal lengths: more titles, then the first key.
  Candidate some = withTitles("Abcd", 2);
  some.agent = true;
  memory.candidates["abcd"] = some;
  Candidate more = withTitles("Wxyz", 3);
  more.agent = true;
  memory.candidates["wxyz"] = more;
  EXPECT_EQ(memory.project(std::string_view("abcd and wxyz")), "Wxyz");
  memory.candidates["wxyz"].titles.erase("title 2");
  EXPECT_EQ(memory.project(std::string_view("wxyz and abcd")), "Abcd");

  EXPECT_EQ(memory.project(Url::parse("https://example.com/team/widget-service/board")),
            "Widget Service");
  EXPECT_EQ(memory.project(Url::parse("https://widget.example.com")), std::nullopt);  // empty path
  EXPECT_EQ(memory.project(std::optional<Url>()), std::nullopt);

  EXPECT_EQ(memory.projects(), (Strings{"Abcd", "Widget", "Widget Service", "Wxyz"}));
  memory.agentWorks("alpha", t0);
  memory.agentWorks("Zeta", t0);
  EXPECT_EQ(memory.projects(),
            (Strings{"Abcd", "Widget", "Widget Service", "Wxyz", "Zeta", "alpha"}));
}

TEST(ProjectMemoryTest, ATimeThatIsNoNumberTeachesNothing) {
  const ProjectMemory before = [] {
    ProjectMemory memory;
    memory.observe({"Atlas"}, "Atlas plan", site("docs.example.com"), t0);
    return memory;
  }();
  ProjectMemory memory = before;
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

TEST(ProjectMemoryTest, SavedFormRoundTrips) {
  const ProjectMemory memory = populated();
  const Json saved = memory.toJson();
  EXPECT_EQ(ProjectMemory::fromJson(json::parse(json::dump(saved))), memory);
  // A valid file reads back exactly as it was.
  EXPECT_EQ(ProjectMemory::fromJson(saved).toJson(), saved);

  const Json& atlas = saved["candidates"]["atlas"];
  EXPECT_EQ(atlas["text"], "Atlas");
  EXPECT_EQ(atlas["titles"]["Atlas plan"], (t0 + 1.5).sinceReferenceDate);
  EXPECT_EQ(atlas["confirmed"], 1);
  EXPECT_EQ(
      saved["recent"][0],
      Json::parse(R"({"title": "Atlas plan", "source": {"site": {"_0": "docs.example.com"}}})"));
  EXPECT_EQ(saved["recent"][1]["source"], Json::parse(R"({"app": {"_0": "org.example.App"}})"));
  EXPECT_EQ(saved["retention"], 604800.0);
}

TEST(ProjectMemoryTest, ReadsAHandWrittenFile) {
  const Json file = json::parse(R"({
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
  })");
  const ProjectMemory memory = ProjectMemory::fromJson(file);
  ASSERT_EQ(memory.candidates.size(), 1u);
  const Candidate& atlas = memory.candidates.at("atlas");
  EXPECT_FALSE(atlas.assistant);  // absent means false
  EXPECT_EQ(atlas.spellings.at("Atlas"), 3);
  EXPECT_EQ(atlas.titles.at("Atlas - notes"), Date::fromReference(700000010.5));
  EXPECT_EQ(memory.retention, 1209600);
  EXPECT_EQ(recentTitles(memory), (Strings{"Atlas plan", "Atlas - notes"}));
  EXPECT_EQ(siteTitles(memory, "wiki.example.org"), Strings{"Atlas - notes"});
  EXPECT_EQ(memory.projects(), Strings{"Atlas"});  // a workspace host and a second domain
}

TEST(ProjectMemoryTest, MalformedFilesFail) {
  const Json good = populated().toJson();
  // A member replaced by other JSON, or removed where none is given.
  const std::pair<const char*, const char*> breaks[] = {
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
      {"/recent/0/source", R"({"site": "a"})"}};
  for (const auto& [pointer, value] : breaks) {
    Json file = good;
    const Json::json_pointer at(pointer);
    if (*value != '\0') {
      file[at] = Json::parse(value);
    } else {
      file[at.parent_pointer()].erase(at.back());
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
  for (double bad : {0.0, -5.0, std::numeric_limits<double>::infinity()}) {
    Json file = populated().toJson();
    file["retention"] = bad;
    ProjectMemory memory = ProjectMemory::fromJson(file);
    EXPECT_EQ(memory.retention, ProjectMemory::kDefaultRetention) << bad;
    // Everything else is as written, and the next observation keeps recent candidates.
    EXPECT_EQ(memory.candidates, populated().candidates);
    see(memory, "later", std::nullopt, t0 + 10);
    EXPECT_EQ(memory.candidates.size(), populated().candidates.size());
  }
  // A retention of 0 set in code forgets nothing either.
  ProjectMemory memory = populated();
  memory.retention = 0;
  see(memory, "later", std::nullopt, t0 + 10);
  EXPECT_EQ(memory.candidates.size(), populated().candidates.size());
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
  for (int i = 0; i < 1500; ++i) crowded.spellings["spelling " + std::to_string(i)] = i;
  crowded.spellings["crowded"] = 0;
  for (int i = 0; i < 1500; ++i) crowded.sites.insert("s" + std::to_string(i) + ".example");
  file["candidates"]["crowded"] = crowded.toJson();
  for (int i = 0; i < 100; ++i)
    file["recent"].push_back(Json{{"title", "t" + std::to_string(i % 70)}});
  file["recent"].push_back(
      Json{{"title", std::string(ProjectMemory::kMaxLoadedTitleBytes + 1, 'x')}});
  for (int i = 0; i < 250; ++i) {
    Json titles = Json::array();
    for (int j = 0; j < 20; ++j) titles.push_back("t" + std::to_string(j));
    char host[32];
    std::snprintf(host, sizeof host, "h%03d.example", i);
    file["siteTitles"][host] = titles;
  }

  const ProjectMemory memory = ProjectMemory::fromJson(file);
  ASSERT_EQ(memory.candidates.size(), ProjectMemory::kCandidatesAfterCut);
  EXPECT_EQ(memory.candidates.count("crowded"), 1u);
  EXPECT_EQ(memory.candidates.count("name999"), 1u);
  EXPECT_EQ(memory.candidates.count("name801"), 1u);
  EXPECT_EQ(memory.candidates.count("name800"), 0u);

  const Candidate& kept = memory.candidates.at("crowded");
  EXPECT_EQ(kept.titles.size(), ProjectMemory::kMaxLoadedTitles);
  EXPECT_EQ(kept.titles.count("title 99"), 1u);  // the newest stay
  EXPECT_EQ(kept.titles.count("title 39"), 0u);
  EXPECT_LE(kept.spellings.size(), ProjectMemory::kMaxLoadedEvidence + 1);
  EXPECT_EQ(kept.spellings.count("spelling 1499"), 1u);
  EXPECT_EQ(kept.spellings.count("crowded"), 1u);  // the one shown stays
  EXPECT_EQ(kept.sites.size(), ProjectMemory::kMaxLoadedEvidence);

  // Recent: the last 60 distinct, a title seen again counting where it was seen last.
  Strings recent = recentTitles(memory);
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
