#include <gtest/gtest.h>

#include "base/Text.h"
#include "context/ContextTest.h"
#include "context/WorkContext.h"
#include "support/SavedRecord.h"

namespace qb {
namespace {

using test::numbered;
using test::t0;
using Subject = WorkContext::Subject;
constexpr double kHour = 3600;
const std::nullopt_t none = std::nullopt;

void credit(WorkContext& context, const std::string& key, double seconds, Date at = t0) {
  context.credit(key, seconds, none, none, none, at);
}

TEST(WorkContextTest, CreditDecaysByTheHalfLifeAndKeepsNames) {
  WorkContext context;
  context.credit("k", 100, "Subject", "Label", "example.com", t0);
  credit(context, "k", 30, t0 + 2 * kHour);  // the old 100 count as 50
  const WorkContext::Dwell& entry = context.dwell.at("k");
  EXPECT_EQ(entry, (WorkContext::Dwell{80, t0 + 2 * kHour, "Subject", "Label", "example.com"}));
  EXPECT_EQ(context.seconds(entry, t0), 80);  // dated after `at`: no growth
  context.sessionHalfLife = kHour;
  EXPECT_DOUBLE_EQ(context.seconds(entry, t0 + 4 * kHour), 20);
}

TEST(WorkContextTest, PruningKeepsTheMostDecayedSecondsAndSmallerKeysOnTies) {
  WorkContext context;
  // 100 entries of many seconds long ago (worth 1000 / 2^10 now), 100 of few seconds now.
  for (int i = 0; i < 100; ++i) credit(context, numbered("old", i), 1000, t0 - 20 * kHour);
  for (int i = 0; i < 100; ++i) credit(context, numbered("new", i), 10);
  EXPECT_EQ(context.dwell.size(), WorkContext::kMaxDwell);
  credit(context, "late", 5);
  EXPECT_EQ(context.dwell.size(), WorkContext::kPrunedDwell);
  // 49 places are left for 100 equal old entries.
  for (const char* key : {"late", "new0099", "old0048"}) EXPECT_TRUE(context.dwell.contains(key));
  EXPECT_FALSE(context.dwell.contains("old0049"));
}

TEST(WorkContextTest, AddKeepsEightDistinctTitlesNewestFirst) {
  WorkContext context;
  // Canonically the same title moves to the front; case counts; an empty title is no title.
  for (const char* title : {"Caf\u00e9", "Budget", "Cafe\u0301", "budget", ""}) context.add(title);
  EXPECT_EQ(context.titles, (std::vector<std::string>{"budget", "Cafe\u0301", "Budget"}));
  for (int i = 0; i < 6; ++i) context.add(numbered("t", i));
  EXPECT_EQ(context.titles.size(), WorkContext::kMaxTitles);
  EXPECT_EQ(context.titles[7], "Cafe\u0301");
}

TEST(WorkContextTest, SubjectsAreNamedGroupedAndOrdered) {
  WorkContext context;
  // Names differing in case are one subject, shown as the entry with the smallest key names it.
  context.credit("Quarterly report - Docs", 100, "Report", none, none, t0);
  context.credit("report appendix", 50, "REPORT", "finance", none, t0);
  context.credit("Budget.xlsx - Sheets", 140, none, none, "sheets.example.com", t0);
  context.credit("main.cpp - quill", 120, none, "coding", none, t0);
  credit(context, "notes.md - quill", 20);
  context.credit("x", 60, none, "Reading", none, t0 - kHour);  // decayed to 42.4
  auto project = [](const std::string& key) -> std::optional<std::string> {
    return key.ends_with("- quill") ? std::optional<std::string>("Quill") : none;
  };
  // Equal sums and recency fall back to the names' order.
  EXPECT_EQ(context.subjects(t0, 42.5, project),
            (std::vector<Subject>{{"Report", "Report", 150},
                                  {"Budget.xlsx", "sheets.example.com", 140},
                                  {"Quill", "coding", 140}}));
  // Without projects a label names an entry; the least seconds are inclusive.
  EXPECT_EQ(context.subjects(t0, 120).back(), (Subject{"coding", "coding", 120}));

  WorkContext recent;
  credit(recent, "a", 100);
  credit(recent, "b", 100, t0 + 10);  // in the future at t0: not decayed
  EXPECT_EQ(recent.subjects(t0, 0).front().text, "b");
}

TEST(WorkContextTest, SummaryNamesSubjectsOrFallsBackToTitles) {
  WorkContext context;
  EXPECT_EQ(context.summary(t0, 2, 300, 0, ", "), WorkContext::kEmptySummary);
  for (const char* title : {"Alpha design - Docs", "Beta plan | Wiki", "Gamma - Site"}) {
    context.add(title);
  }
  EXPECT_EQ(context.summary(t0, 2, 300, 0, ", "), "Gamma, Beta plan");
  EXPECT_EQ(context.summary(t0, 0, 300, 0, ", "), "Gamma - Site");
  EXPECT_EQ(context.description(t0, 300), std::nullopt);
  context.credit("Beta plan | Wiki", 400, none, "planning", none, t0);
  credit(context, "Gamma - Site", 100);
  EXPECT_EQ(context.summary(t0, 2, 300, 0, ", "), "planning");  // no title takes second place
  EXPECT_EQ(context.description(t0, 300), "planning");
  EXPECT_EQ(context.summary(t0, 2, 50, 3, " / "), "planning / Gamma / Beta plan / Alpha design");

  WorkContext wide;
  std::string title;
  for (int i = 0; i < 250; ++i) title += "e\u0301";  // one character of three bytes
  wide.add(title);
  EXPECT_EQ(wide.summary(t0, 2, 300, 0, ", "), text::characterPrefix(title, 200));
  EXPECT_EQ(wide.summary(t0, 2, 300, 0, ", ").size(), 600u);
}

TEST(WorkContextTest, SharedWordsFollowTheTitlesAndLeaveOutTheSiteName) {
  WorkContext context;
  EXPECT_FALSE(context.sharesWords("Kubernetes ingress", none));
  context.add("Kubernetes ingress controller - GitHub");
  EXPECT_TRUE(context.sharesWords("GitHub trending", none));
  EXPECT_FALSE(context.sharesWords("GitHub trending", "github.com"));
  EXPECT_FALSE(context.sharesWords("Kubernetes blog", "kubernetes.github.io"));
  EXPECT_TRUE(context.sharesWords("Kubernetes ingress blog", "kubernetes.io"));

  // The words follow the titles: one pushed out, a respelling in front, a reload.
  for (int i = 0; i < 8; ++i) context.add(numbered("Budget review ", i));
  context.add("Caf\u00e9 menu");
  context.add("Cafe\u0301 menu");
  for (const WorkContext& shown : {context, test::reload(context)}) {
    EXPECT_FALSE(shown.sharesWords("Kubernetes ingress", none));
    EXPECT_TRUE(shown.sharesWords("budgets", none));
    EXPECT_TRUE(shown.sharesWords("Cafe\u0301", none));
    EXPECT_FALSE(shown.sharesWords("Caf\u00e9", none));
  }
}

TEST(WorkContextFileTest, WritesTheDocumentedFormAndReadsItBack) {
  WorkContext context;
  context.id = *Uuid::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
  context.sessionHalfLife = 3600;
  context.add("Budget");
  context.add("Design review - Docs");
  context.credit("Design review - Docs", 1800, "Design review", none, "docs.example.com", t0);
  context.credit("Budget", 600.25, none, "finance", none, t0 + 0.5);
  Json file = json::parse(R"({
    "id": "E621E1F8-C36C-495A-93FC-0C247A3E6E5F", "titles": ["Design review - Docs", "Budget"],
    "dwell": {"Design review - Docs": {"seconds": 1800, "updated": 740000000,
                                       "subject": "Design review", "site": "docs.example.com"},
              "Budget": {"seconds": 600.25, "updated": 740000000.5, "label": "finance"}},
    "sessionHalfLife": 3600})");
  EXPECT_EQ(context.toJson(), file);
  test::expectReloads(context);
  test::expectHostileVariantsSafe<WorkContext>(file);

  // "dwell" and "sessionHalfLife" may be left out; a half-life of zero or below is the default.
  file.erase("dwell");
  for (auto [written, read] :
       std::vector<std::pair<double, double>>{{-1, 7200}, {0, 7200}, {1e-3, 1e-3}}) {
    file["sessionHalfLife"] = written;
    EXPECT_EQ(WorkContext::fromJson(file).sessionHalfLife, read);
  }
  file.erase("sessionHalfLife");
  EXPECT_EQ(WorkContext::fromJson(file).sessionHalfLife, WorkContext::kDefaultSessionHalfLife);
  EXPECT_TRUE(WorkContext::fromJson(file).dwell.empty());
}

TEST(WorkContextFileTest, DamagedFilesAreRefusedForTheirReason) {
  const std::string id = R"({"id": "E621E1F8-C36C-495A-93FC-0C247A3E6E5F", )";
  const std::string entry = id + R"("titles": [], "dwell": {"k": )";
  test::expectRefused<WorkContext>({
      {"[]", "$: expected an object"},
      {R"({"titles": []})", "id: key not found"},
      {R"({"id": "nope", "titles": []})", "id: invalid UUID string"},
      {id + R"("x": 1})", "titles: key not found"},
      {id + R"("titles": "Budget"})", "titles: expected an array"},
      {id + R"("titles": ["a", 3]})", "titles: expected a string"},
      {id + R"("titles": [], "dwell": []})", "dwell: expected an object"},
      {entry + "1}}", "dwell.k: expected an object"},
      {entry + R"({"seconds": 1}}})", "updated: key not found"},
      {entry + R"({"updated": 1}}})", "seconds: key not found"},
      {entry + R"({"seconds": 1, "updated": 1, "label": 2}}})", "label: expected a string"},
      {id + R"("titles": [], "sessionHalfLife": "7200"})", "sessionHalfLife: expected a number"},
  });
}

TEST(WorkContextFileTest, FilesBeyondTheBoundsAreCutToThem) {
  Json file = WorkContext{}.toJson();
  for (int i = 0; i < 1000; ++i) {
    file["titles"].push_back(numbered("title", i));
    file["dwell"][numbered("k", i)] = Json{{"seconds", i}, {"updated", t0.sinceReferenceDate}};
  }
  // The most seconds, but decayed by 20 half-lives to almost nothing.
  file["dwell"]["ancient"] = {{"seconds", 1e5}, {"updated", t0.sinceReferenceDate - 40 * kHour}};
  const WorkContext context = WorkContext::fromJson(file);
  EXPECT_EQ(context.titles.size(), WorkContext::kMaxTitles);
  EXPECT_EQ(context.titles.front(), "title0000");
  EXPECT_EQ(context.dwell.size(), WorkContext::kMaxDwell);
  EXPECT_EQ(context.dwell.begin()->first, "k0800");
  test::expectReloads(context);
}

}  // namespace
}  // namespace qb
