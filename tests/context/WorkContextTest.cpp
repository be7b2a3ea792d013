#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "base/Error.h"
#include "base/Json.h"
#include "base/Text.h"
#include "context/WorkContext.h"

namespace qb {
namespace {

constexpr double kHour = 3600;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const Date t0 = Date::fromReference(740'000'000);
const std::nullopt_t none = std::nullopt;
using Dwell = WorkContext::Dwell;
using Subject = WorkContext::Subject;

std::string numbered(const char* prefix, int i) {
  std::string digits = std::to_string(i);
  return prefix + std::string(3 - digits.size(), '0') + digits;
}

// Credits seconds to the key at a time, with no names.
void credit(WorkContext& context, const std::string& key, double seconds, Date at = t0) {
  context.credit(key, seconds, none, none, none, at);
}

TEST(WorkContextTest, CreditDecaysByTheHalfLifeKeepsNamesAndLetsNothingUnsavableIn) {
  WorkContext context;
  context.credit("k", 100, "Subject", "Label", "example.com", t0);
  credit(context, "k", 30, t0 + 2 * kHour);  // the old 100 count as 50
  EXPECT_EQ(context.dwell.at("k"), (Dwell{80, t0 + 2 * kHour, "Subject", "Label", "example.com"}));
  const Dwell& entry = context.dwell.at("k");
  EXPECT_DOUBLE_EQ(context.seconds(entry, t0 + 6 * kHour), 20);
  EXPECT_EQ(context.seconds(entry, t0), 80);  // dated after `at`: no growth
  context.sessionHalfLife = kHour;
  EXPECT_DOUBLE_EQ(context.seconds(entry, t0 + 4 * kHour), 20);

  context = WorkContext();
  credit(context, "k", 10);
  const WorkContext before = context;
  const double max = std::numeric_limits<double>::max();
  for (double bad : {kNaN, std::numeric_limits<double>::infinity()}) credit(context, "k", bad);
  credit(context, "n", 5, Date::fromReference(kNaN));
  credit(context, "k", max);
  credit(context, "k", max);  // the sum would overflow
  EXPECT_EQ(context.dwell.size(), 1u);
  EXPECT_EQ(context.dwell.at("k").seconds, max);

  // A half-life set to nonsense decays as the default, and its file still reads.
  for (double halfLife : {0.0, -1.0, kNaN}) {
    context = before;
    context.sessionHalfLife = halfLife;
    credit(context, "k", 10, t0 + 2 * kHour);
    EXPECT_DOUBLE_EQ(context.dwell.at("k").seconds, 15) << halfLife;
    WorkContext read = WorkContext::fromJson(json::parse(json::dump(context.toJson())));
    EXPECT_EQ(read.sessionHalfLife, WorkContext::kDefaultSessionHalfLife);
  }
}

TEST(WorkContextTest, PruningKeepsTheMostDecayedSecondsAndSmallerKeysOnTies) {
  WorkContext context;
  // 100 entries of many seconds long ago (worth 1000 / 2^10 now), 100 of few seconds now.
  for (int i = 0; i < 100; ++i) credit(context, numbered("old", i), 1000, t0 - 20 * kHour);
  for (int i = 0; i < 100; ++i) credit(context, numbered("new", i), 10);
  EXPECT_EQ(context.dwell.size(), 200u);
  credit(context, "late", 5);
  ASSERT_EQ(context.dwell.size(), WorkContext::kPrunedDwell);
  EXPECT_TRUE(context.dwell.contains("late"));
  EXPECT_TRUE(context.dwell.contains("new099"));
  EXPECT_TRUE(context.dwell.contains("old048"));  // 49 places for 100 equal old entries
  EXPECT_FALSE(context.dwell.contains("old049"));
}

TEST(WorkContextTest, AddKeepsEightDistinctTitlesNewestFirst) {
  WorkContext context;
  // Canonically the same title moves to the front; case counts; an empty title is no title.
  for (const char* title : {"Caf\u00e9 menu", "Budget", "Cafe\u0301 menu", "budget", ""}) {
    context.add(title);
  }
  EXPECT_EQ(context.titles, (std::vector<std::string>{"budget", "Cafe\u0301 menu", "Budget"}));
  for (int i = 0; i < 6; ++i) context.add(numbered("t", i));
  EXPECT_EQ(context.titles.size(), 8u);
  EXPECT_EQ(context.titles.back(), "Cafe\u0301 menu");
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
  WorkContext::ProjectResolver project = [](const std::string& key) -> std::optional<std::string> {
    if (key.ends_with("- quill")) return "Quill";
    return std::nullopt;
  };
  // Equal sums and recency fall back to the names' order.
  EXPECT_EQ(context.subjects(t0, 42.5, project),
            (std::vector<Subject>{{"Report", "Report", 150},
                                  {"Budget.xlsx", "sheets.example.com", 140},
                                  {"Quill", "coding", 140}}));
  std::vector<Subject> plain = context.subjects(t0, 0);
  ASSERT_EQ(plain.size(), 5u);
  EXPECT_EQ(plain[2], (Subject{"coding", "coding", 120}));
  EXPECT_EQ(plain[4], (Subject{"notes.md", "notes.md", 20}));
  EXPECT_EQ(context.subjects(t0, 150).size(), 1u);  // the least seconds are inclusive

  WorkContext recent;
  credit(recent, "a", 100);
  credit(recent, "b", 100, t0 + 10);  // in the future at t0: not decayed
  EXPECT_EQ(recent.subjects(t0, 0).front().text, "b");
}

TEST(WorkContextTest, SummaryNamesSubjectsOrFallsBackToTitles) {
  WorkContext context;
  EXPECT_EQ(context.summary(t0, 2, 300, 0, ", "), "work");
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

TEST(WorkContextTest, SharedWordsDoNotCountTheSiteName) {
  WorkContext context;
  EXPECT_FALSE(context.sharesWords("Kubernetes ingress", none));
  context.add("Kubernetes ingress controller - GitHub");
  EXPECT_TRUE(context.sharesWords("GitHub trending", none));
  EXPECT_FALSE(context.sharesWords("GitHub trending", "github.com"));
  EXPECT_FALSE(context.sharesWords("Kubernetes blog", "kubernetes.github.io"));
  EXPECT_TRUE(context.sharesWords("Kubernetes ingress blog", "kubernetes.io"));
}

TEST(WorkContextJsonTest, ReadsTheDocumentedFormAndWritesItBack) {
  WorkContext context = WorkContext::fromJson(json::parse(R"({
    "id": "e621e1f8-c36c-495a-93fc-0c247a3e6e5f",
    "titles": ["Design review - Docs", "Budget"],
    "dwell": {
      "Design review - Docs": {"seconds": 1800, "updated": 739000000.5,
                               "subject": "Design review", "site": "docs.example.com"},
      "Budget": {"seconds": 600.25, "updated": 739000100, "label": "finance"}},
    "sessionHalfLife": 3600})"));
  EXPECT_EQ(context.id.string(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
  EXPECT_EQ(context.titles, (std::vector<std::string>{"Design review - Docs", "Budget"}));
  EXPECT_EQ(context.sessionHalfLife, 3600);
  EXPECT_EQ(
      context.dwell.at("Design review - Docs"),
      (Dwell{1800, Date::fromReference(739000000.5), "Design review", none, "docs.example.com"}));
  EXPECT_EQ(context.dwell.at("Budget"),
            (Dwell{600.25, Date::fromReference(739000100), none, "finance", none}));
  Json written = context.toJson();
  EXPECT_EQ(written["dwell"]["Budget"].size(), 3u);  // absent names are not written
  EXPECT_EQ(WorkContext::fromJson(json::parse(json::dump(written))), context);

  WorkContext bare = WorkContext::fromJson(
      json::parse(R"({"id": ")" + context.id.string() + R"(", "titles": []})"));
  EXPECT_TRUE(bare.dwell.empty());
  EXPECT_EQ(bare.sessionHalfLife, 7200);
}

TEST(WorkContextJsonTest, RejectsMalformedFilesAndRepairsTheHalfLife) {
  const std::string id = R"({"id": "E621E1F8-C36C-495A-93FC-0C247A3E6E5F", )";
  for (const std::string& text :
       {std::string(R"({"titles": []})"), id + R"("x": 1})", id + R"("titles": "Budget"})",
        std::string(R"({"id": "nope", "titles": []})"), id + R"("titles": ["a", 3]})",
        id + R"("titles": [], "dwell": []})",
        id + R"("titles": [], "dwell": {"k": {"seconds": 1}}})",
        id + R"("titles": [], "dwell": {"k": {"updated": 1}}})",
        id + R"("titles": [], "dwell": {"k": {"seconds": 1, "updated": 1, "label": 2}}})",
        id + R"("titles": [], "sessionHalfLife": "7200"})", std::string("[]")}) {
    try {
      WorkContext::fromJson(json::parse(text));
      ADD_FAILURE() << "decoded: " << text;
    } catch (const Error& e) {
      EXPECT_EQ(e.domain(), Error::kDecodingDomain) << text;
    }
  }
  for (const auto& [value, halfLife] : std::vector<std::pair<std::string, double>>{
           {"0", 7200}, {"-3600", 7200}, {"null", 7200}, {"0.001", 0.001}}) {
    const std::string text = id + R"("titles": [], "sessionHalfLife": )" + value + "}";
    EXPECT_EQ(WorkContext::fromJson(json::parse(text)).sessionHalfLife, halfLife) << value;
  }
}

TEST(WorkContextJsonTest, HostileFilesAreCutToTheRecordsBounds) {
  Json file = WorkContext{}.toJson();
  for (int i = 0; i < 1000; ++i) {
    file["titles"].push_back(numbered("title", i));
    file["dwell"][numbered("k", i)] = Json{{"seconds", i}, {"updated", t0.sinceReferenceDate}};
  }
  // The most seconds, but decayed by 20 half-lives to almost nothing.
  file["dwell"]["ancient"] = {{"seconds", 1e5}, {"updated", t0.sinceReferenceDate - 40 * kHour}};
  WorkContext context = WorkContext::fromJson(file);
  EXPECT_EQ(context.titles.size(), WorkContext::kMaxTitles);
  EXPECT_EQ(context.titles.front(), "title000");
  ASSERT_EQ(context.dwell.size(), WorkContext::kMaxDwell);
  EXPECT_EQ(context.dwell.begin()->first, "k800");
}

}  // namespace
}  // namespace qb
