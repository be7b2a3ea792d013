#include <gmock/gmock.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/SiteKnowledge.h"
#include "base/File.h"
#include "support/ManualRuntime.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Lean = SiteKnowledge::Lean;
using Entry = SiteKnowledge::Entry;
using Sections = std::vector<SiteKnowledge::Section>;

Moment site(std::string_view address, std::string_view app = "Firefox") {
  return Moment(1, Date(), app, "firefox", "Page", Url::parse(address));
}

Moment program(std::string_view app) { return Moment(2, Date(), app, "org.example.App", "Win"); }

// The note of the entry that applies, or "-" when there is none.
std::string whatOf(const SiteKnowledge& table, const Moment& moment) {
  auto entry = table.lookup(moment);
  return entry ? entry->what : "-";
}

float confidenceOf(std::string_view field) {
  return SiteKnowledge::parse("k\twork\t" + std::string(field) + "\tnote")
      .entries()
      .at("k")
      .confidence;
}

TEST(SiteKnowledgeTest, UsesOnlyRowsWithALeanWordAndFourFieldsSplitAtEveryTerminator) {
  auto table = SiteKnowledge::parse(
      "# key\tlean\tconfidence\twhat\n\n"
      "Example.ORG\twork\t0.9\tdocs\textra\tignored\tfields\n"
      "three.org\twork\t0.9\n"
      "capital.org\tWork\t0.9\tnote\n"
      "blank.org\t work\t0.9\tnote\n"
      "empty.org\tneutral\t\t\n");
  EXPECT_EQ(table.count(), 2);
  EXPECT_EQ(table.entries().at("example.org"), (Entry{Lean::work, 0.9f, "docs"}));
  EXPECT_EQ(table.entries().at("empty.org"), (Entry{Lean::neutral, 0.6f, ""}));
  EXPECT_TRUE(table.sections().empty());  // "extra" has no "=": no usable item

  auto lines = SiteKnowledge::parse(
      "\xEF\xBB\xBF"
      "a.org\twork\t1\tA\r\n"
      "b.org\tleisure\t1\tB\r"
      "c.org\tmixed\t1\tC\xC2\x85"
      "d.org\tneutral\t1\tD\xE2\x80\xA8"
      "e.org\twork\t1\tE\xE2\x80\xA9"
      "f.org\twork\t1\tF\v.\f.");
  ASSERT_EQ(lines.count(), 6);
  EXPECT_EQ(lines.entries().at("a.org").what, "A");  // the byte-order mark is not part of the key
  EXPECT_EQ(lines.entries().at("c.org").lean, Lean::mixed);
  EXPECT_EQ(lines.entries().at("e.org").what, "E");
  EXPECT_EQ(lines.entries().at("f.org").what, "F\v.\f.");
}

TEST(SiteKnowledgeTest, LaterRowsReplaceEntriesButKeepSectionsUnlessTheyBringNew) {
  auto table = SiteKnowledge::parse(
      "site.org\tleisure\t0.8\tfirst\t/a=work\n"
      "site.org\tmixed\t0.5\tsecond\t/x;=work\n"
      "other.org\twork\t0.8\tfirst\t/a=work\n"
      "other.org\twork\t0.8\tsecond\t/b=leisure\n");
  EXPECT_EQ(table.entries().at("site.org"), (Entry{Lean::mixed, 0.5f, "second"}));
  EXPECT_EQ(table.sections().at("site.org"), (Sections{{"/a", Lean::work}}));
  EXPECT_EQ(table.sections().at("other.org"), (Sections{{"/b", Lean::leisure}}));
}

TEST(SiteKnowledgeTest, ConfidenceReadsAsStrtofInTheCLocaleAndMustBeFinite) {
  // Finite values outside 0 to 1 are kept: they only weigh the site feature more or less.
  for (const auto& [field, value] : std::vector<std::pair<std::string, float>>{{"0.9", 0.9f},
                                                                               {"+0.25", 0.25f},
                                                                               {"0x1p-1", 0.5f},
                                                                               {"5e-1", 0.5f},
                                                                               {".75", 0.75f},
                                                                               {"-0.5", -0.5f},
                                                                               {"1.5", 1.5f}}) {
    EXPECT_EQ(confidenceOf(field), value) << field;
  }
  // Words and overflows that strtof reads as NaN or infinity would poison every score; each one
  // that is not empty is a damaged row, and said so.
  test::LogCapture log;
  for (const std::string& bad : std::vector<std::string>{"",
                                                         "high",
                                                         " 0.9",
                                                         "\t0.9",
                                                         "\v0.9",
                                                         "0.9 ",
                                                         "0.9x",
                                                         "0,9",
                                                         "--1",
                                                         "nan",
                                                         "NaN",
                                                         "nan(123)",
                                                         "-nan",
                                                         "inf",
                                                         "-inf",
                                                         "Infinity",
                                                         "+INFINITY",
                                                         "1e39",
                                                         "-1e39",
                                                         "0x1p200",
                                                         "0x1.fffffffffp127",
                                                         std::string("0.5\0", 4)}) {
    EXPECT_EQ(confidenceOf(bad), SiteKnowledge::kDefaultConfidence) << '"' << bad << '"';
  }
  EXPECT_THAT(log.lines(),
              Contains(HasSubstr(R"(1 unreadable confidence(s) given the default (first: "k"))"))
                  .Times(20));
}

TEST(SiteKnowledgeTest, ConfidenceIgnoresTheProcessLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  const bool comma =
      std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && std::strtod("0,5", nullptr) == 0.5;
  const float point = confidenceOf("0.9"), withComma = confidenceOf("0,9");
  std::setlocale(LC_NUMERIC, saved.c_str());
  if (!comma) GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
  EXPECT_EQ(point, 0.9f);
  EXPECT_EQ(withComma, SiteKnowledge::kDefaultConfidence);
}

TEST(SiteKnowledgeTest, SectionsAreCheckedOneByOneAndTheLongestWholeSegmentPrefixWins) {
  test::LogCapture log;
  auto table = SiteKnowledge::parse(
      "s.org\tleisure\t1\tnote\t /Docs/ = work ;;/\u00a0=work;=work;/x=;/y=Work;/z=work=more;"
      "/two==work;noslash=work;/\u3000Learn//=mixed\u2003;/a=b=c;/=;//=neutral\n"
      "v.com\tleisure\t0.7\tvideo\t/watch=mixed;/watch/later=work;/b=neutral;/a=work\n"
      "reddit.com\tleisure\t0.8\tboards\t/r/programming=work;/learn/=work\n");
  // Trimmed, lower-cased, longest first by characters (the ideographic space is one character of
  // three bytes); equal lengths keep their file order. The unusable items are told.
  EXPECT_EQ(
      table.sections().at("s.org"),
      (Sections{{"noslash", Lean::work}, {"/\u3000learn", Lean::mixed}, {"/docs", Lean::work}}));
  EXPECT_EQ(table.sections().at("v.com"), (Sections{{"/watch/later", Lean::work},
                                                    {"/watch", Lean::mixed},
                                                    {"/b", Lean::neutral},
                                                    {"/a", Lean::work}}));
  EXPECT_THAT(log.lines(),
              ElementsAre(HasSubstr(R"(9 unusable section item(s) dropped (first: "s.org"))")));
  // clang-format off
  for (const auto& [address, lean] : std::vector<std::pair<std::string, Lean>>{
           {"https://s.org/noslash", Lean::leisure},  // kept, but it can never match a path
           {"https://s.org/docs/intro", Lean::work},
           {"https://v.com/watch/later/x", Lean::work},         {"https://v.com/watch?v=1", Lean::mixed},
           {"https://www.reddit.com/r/programming", Lean::work}, {"https://reddit.com/r", Lean::leisure},
           {"https://reddit.com/R/Programming/comments/x", Lean::work},
           {"https://old.reddit.com/r/programming/", Lean::work},
           {"https://reddit.com/r/programmingx", Lean::leisure}, {"https://reddit.com", Lean::leisure},
           {"https://reddit.com/learn/", Lean::work},            {"https://reddit.com/learn", Lean::work},
           {"https://reddit.com/r/%70rogramming", Lean::work}}) {  // decoded, as the bar shows it
    // clang-format on
    EXPECT_EQ(table.lookup(site(address))->lean, lean) << address;
  }
  // A match keeps the site's confidence and note; only the lean changes.
  EXPECT_EQ(table.lookup(site("https://reddit.com/r/programming")),
            (Entry{Lean::work, 0.8f, "boards"}));
}

TEST(SiteKnowledgeTest, MostSpecificListedDomainWinsAndProgramsAreFoundByName) {
  auto table = SiteKnowledge::parse(
      "docs.example.org\twork\t0.9\tdocs\nexample.org\tleisure\t0.8\tsite\nco.uk\tneutral\t0."
      "5\tcountry\n"
      "uk\twork\t1\tlabel\nlocalhost\twork\t0.8\tlocal\nterminal\twork\t0.85\tshell\t/x=leisure\n"
      "syst\u00e8me\tneutral\t0.7\tsettings\nwww.\twork\t1\tnever\n");
  // The last label alone is never a candidate, but a one-label host is tried whole; empty labels
  // are dropped before the candidates are built. Without a host (a file address) the program's
  // name counts, sections aside; a host that is empty once "www." is cut is still a host.
  // clang-format off
  for (const auto& [moment, what] : std::vector<std::pair<Moment, std::string>>{
           {site("https://docs.example.org/a"), "docs"},  {site("https://mail.example.org"), "site"},
           {site("https://WWW.Example.ORG/"), "site"},    {site("https://a.b.docs.example.org"), "docs"},
           {site("https://news.site.co.uk"), "country"},  {site("http://localhost:8080/app"), "local"},
           {site("https://other.uk"), "-"},               {site("https://uk"), "label"},
           {site("https://a..example.org."), "site"},     {site("https://.docs.example.org"), "docs"},
           {site("https://..."), "-"},                    {site("https://example.org.evil.net"), "-"},
           {program("TERMINAL"), "shell"},                {program("SYST\u00c8ME"), "settings"},
           {program("Terminal "), "-"},                   {site("file:///x/notes.txt", "Terminal"), "shell"},
           {site("https://www./", "Terminal"), "-"}}) {
    // clang-format on
    EXPECT_EQ(whatOf(table, moment), what) << moment.displayName();
  }
  EXPECT_EQ(table.lookup(site("file:///x/y", "Terminal"))->lean, Lean::work);
}

TEST(SiteKnowledgeTest, HostileHostsAndTablesAreAnsweredCorrectly) {
  auto table = SiteKnowledge::parse("example.org\twork\t0.9\tsite\n");
  std::string labels;
  for (int i = 0; i < 500; ++i) labels += "ab.";
  EXPECT_EQ(whatOf(table, site("https://" + labels + "example.org")), "site");
  EXPECT_EQ(whatOf(table, site("https://" + std::string(2000, 'a') + ".org")), "-");
  EXPECT_EQ(whatOf(table, site("https://" + labels + "example.net")), "-");
  EXPECT_EQ(whatOf(SiteKnowledge(), site("https://example.org")), "-");

  // Ill-formed UTF-8 handed to the parser is repaired, not refused, and said so.
  test::LogCapture log;
  auto repaired = SiteKnowledge::parse("caf\xE9\twork\t0.9\tnote\nok\tmixed\t1\tfine\n");
  EXPECT_EQ(repaired.count(), 2);
  EXPECT_TRUE(repaired.entries().contains("caf\uFFFD"));
  EXPECT_THAT(log.lines(), ElementsAre(HasSubstr("ill-formed UTF-8 replaced")));
}

TEST(SiteKnowledgeTest, LoadingFailsOnlyForUnreadableOrNonUtf8Files) {
  test::TempDir dir;
  test::writeFile(dir / "sites.tsv", "a.org\twork\t0.9\tnote\n");
  test::writeFile(dir / "empty.tsv", "");
  test::writeFile(dir / "latin1.tsv", "caf\xE9\twork\t0.9\tnote\n");
  EXPECT_EQ(SiteKnowledge::load(dir / "sites.tsv").count(), 1);
  EXPECT_EQ(SiteKnowledge::load(dir / "empty.tsv").count(), 0);
  EXPECT_THAT([&] { SiteKnowledge::load(dir / "missing.tsv"); },
              test::ThrowsError(Error::kFileDomain, file::kNoSuchFileCode));
  EXPECT_THAT([&] { SiteKnowledge::load(dir / "latin1.tsv"); },
              test::ThrowsError(Error::kFileDomain, file::kInapplicableEncodingCode, "UTF-8"));
  EXPECT_THAT([&] { SiteKnowledge::load(dir.path()); },
              test::ThrowsError(Error::kFileDomain, file::kReadFailedCode));
}

// The table we ship: every row must be usable, since a typo would silently drop a site.
TEST(SiteKnowledgeTest, ShippedTableIsWellFormed) {
  const std::filesystem::path path = QB_TEST_DATA "/../../resources/Model/Knowledge/sites.tsv";
  const SiteKnowledge table = SiteKnowledge::load(path);
  std::ifstream file(path);
  int64_t rows = 0;
  for (std::string line; std::getline(file, line);) rows += !line.empty() && !line.starts_with('#');
  EXPECT_EQ(table.count(), rows) << "a row is unusable or its key is listed twice";
  EXPECT_GE(table.count(), 300);
  EXPECT_LE(table.count(), 600);
  for (const auto& [key, entry] : table.entries()) {
    EXPECT_GT(entry.confidence, 0.0f) << key;
    EXPECT_LE(entry.confidence, 1.0f) << key;
    EXPECT_FALSE(entry.what.empty()) << key;
    EXPECT_EQ(key, knowledge::trimBlanks(key)) << key;
  }
  for (const auto& [key, sections] : table.sections()) {
    ASSERT_TRUE(table.entries().contains(key)) << key;
    for (const auto& section : sections) {
      EXPECT_TRUE(section.prefix.starts_with('/')) << key << " " << section.prefix;
      EXPECT_NE(section.lean, table.entries().at(key).lean) << key << " " << section.prefix;
    }
  }
  // Rows whose loss would be felt at once: a site with sections, a domain and its subdomain with
  // different leans, programs, and a browser, which is judged by its page.
  // clang-format off
  for (const auto& [moment, lean] : std::vector<std::pair<Moment, std::optional<Lean>>>{
           {site("https://github.com/acme/widgets/pulls"), Lean::work},
           {site("https://www.youtube.com/watch?v=1"), Lean::leisure},
           {site("https://www.reddit.com/r/cpp/comments/1"), Lean::work},
           {site("https://www.reddit.com/r/aww"), Lean::leisure},
           {site("https://aws.amazon.com/s3"), Lean::work}, {site("https://www.amazon.com/dp/1"), Lean::leisure},
           {site("http://localhost:3000/"), Lean::work},    {program("Terminal"), Lean::work},
           {program("Steam"), Lean::leisure},               {program("Files"), Lean::neutral},
           {program("Firefox"), std::nullopt}}) {
    // clang-format on
    auto entry = table.lookup(moment);
    EXPECT_EQ(entry ? std::optional(entry->lean) : std::nullopt, lean) << moment.displayName();
  }
}

}  // namespace
}  // namespace qb
