#include <clocale>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "analysis/SiteKnowledge.h"
#include "base/File.h"
#include "support/ManualRuntime.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Lean = SiteKnowledge::Lean;
using Sections = std::vector<SiteKnowledge::Section>;
using Cases = std::vector<std::pair<std::string, std::string>>;

// The note and the lean of the entry that applies to an address, or to a program's window when
// the address is "app:" and its name; "-" for none.
std::string lookup(const SiteKnowledge& table, const std::string& what) {
  auto entry =
      what.starts_with("app:")
          ? table.lookup(Moment(2, Date(), what.substr(4), "org.example.App", "Win"))
          : table.lookup(Moment(1, Date(), "Terminal", "firefox", "Page", Url::parse(what)));
  return entry ? entry->what + " " + std::string(rawValue(entry->lean)) : "-";
}

void expectLookups(const SiteKnowledge& table, const Cases& cases) {
  for (const auto& [what, found] : cases) EXPECT_EQ(lookup(table, what), found) << what;
}

float confidenceOf(std::string_view field) {
  auto table = SiteKnowledge::parse("k\twork\t" + std::string(field) + "\tnote");
  return table.entries().at("k").confidence;
}

TEST(SiteKnowledgeTest, UsesOnlyRowsWithALeanWordAndFourFieldsSplitAtEveryTerminator) {
  // Rows without a lean word or with fewer than four fields are skipped; fields after the fifth
  // are ignored; the fifth without "=" has no section; an empty confidence takes the default.
  auto table = SiteKnowledge::parse(
      "# key\tlean\tconfidence\twhat\n\nExample.ORG\twork\t0.9\tdocs\textra\tignored\tfields\n"
      "three.org\twork\t0.9\ncapital.org\tWork\t0.9\tnote\nblank.org\t work\t0.9\tnote\n"
      "empty.org\tneutral\t\t\n");
  EXPECT_EQ(table.count(), 2);
  EXPECT_EQ(table.entries().at("example.org"), (SiteKnowledge::Entry{Lean::work, 0.9f, "docs"}));
  EXPECT_EQ(table.entries().at("empty.org"), (SiteKnowledge::Entry{Lean::neutral, 0.6f, ""}));
  EXPECT_TRUE(table.sections().empty());
  // Any terminator ends a row; a byte-order mark is not part of the first key.
  // clang-format off
  auto lines = SiteKnowledge::parse(
      "\xEF\xBB\xBF" "a.org\twork\t1\tA\r\nb.org\tleisure\t1\tB\rc.org\tmixed\t1\tC\xC2\x85"
      "d.org\tneutral\t1\tD\xE2\x80\xA8" "e.org\twork\t1\tE\xE2\x80\xA9" "f.org\twork\t1\tF\v.\f.");
  expectLookups(lines, {{"http://a.org", "A work"}, {"http://b.org", "B leisure"},
                        {"http://c.org", "C mixed"}, {"http://d.org", "D neutral"},
                        {"http://e.org", "E work"}, {"http://f.org", "F\v.\f. work"}});
  // clang-format on
}

TEST(SiteKnowledgeTest, LaterRowsReplaceEntriesButKeepSectionsUnlessTheyBringNew) {
  auto table = SiteKnowledge::parse(
      "site.org\tleisure\t0.8\tfirst\t/a=work\nsite.org\tmixed\t0.5\tsecond\t/x;=work\n"
      "other.org\twork\t0.8\tfirst\t/a=work\nother.org\twork\t0.8\tsecond\t/b=leisure\n");
  EXPECT_EQ(table.entries().at("site.org"), (SiteKnowledge::Entry{Lean::mixed, 0.5f, "second"}));
  EXPECT_EQ(table.sections().at("site.org"), (Sections{{"/a", Lean::work}}));
  EXPECT_EQ(table.sections().at("other.org"), (Sections{{"/b", Lean::leisure}}));
}

TEST(SiteKnowledgeTest, ConfidenceReadsAsStrtofInTheCLocaleAndMustBeFinite) {
  // Finite values outside 0 to 1 are kept: they only weigh the site feature more or less. Words
  // and overflows that strtof reads as NaN or infinity would poison every score: each one but the
  // empty field is a damaged row, and said so.
  // clang-format off
  const std::vector<std::pair<std::string, float>> good = {
      {"0.9", 0.9f}, {"+0.25", 0.25f}, {"0x1p-1", 0.5f}, {"5e-1", 0.5f}, {".75", 0.75f},
      {"-0.5", -0.5f}, {"1.5", 1.5f}};
  const std::vector<std::string> bad = {"", "high", " 0.9", "\v0.9", "0.9 ", "0.9x", "0,9", "--1",
      "nan", "-nan", "inf", "-inf", "1e39", "0x1.fffffffffp127", std::string("0.5\0", 4)};
  // clang-format on
  for (const auto& [field, value] : good) EXPECT_EQ(confidenceOf(field), value) << field;
  test::LogCapture log;
  for (const std::string& field : bad) {
    EXPECT_EQ(confidenceOf(field), SiteKnowledge::kDefaultConfidence) << '"' << field << '"';
  }
  EXPECT_THAT(
      log.lines(),
      testing::Contains(HasSubstr("1 unreadable confidence(s) given the default (first: \"k\")"))
          .Times(bad.size() - 1));
}

TEST(SiteKnowledgeTest, ConfidenceIgnoresTheProcessLocale) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
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
  EXPECT_THAT(log.lines(), ElementsAre(HasSubstr("9 unusable section item(s) dropped (first: "
                                                 "\"s.org\")")));
  // A match keeps the site's note (and confidence); only the lean changes. The path is decoded,
  // as the address bar shows it; a prefix without a slash is kept but can never match one.
  // clang-format off
  expectLookups(table, {
      {"https://s.org/noslash", "note leisure"},      {"https://s.org/docs/intro", "note work"},
      {"https://v.com/watch/later/x", "video work"},  {"https://v.com/watch?v=1", "video mixed"},
      {"https://reddit.com/r", "boards leisure"},     {"https://reddit.com/r/programmingx", "boards leisure"},
      {"https://reddit.com/R/Programming/comments/x", "boards work"},
      {"https://reddit.com/r/%70rogramming", "boards work"},
      {"https://reddit.com/learn", "boards work"},    {"https://reddit.com/learn/", "boards work"}});
  // clang-format on
  EXPECT_EQ(
      table.lookup(Moment(1, Date(), "", "", "", Url::parse("http://reddit.com/r/x")))->confidence,
      0.8f);
}

TEST(SiteKnowledgeTest, MostSpecificListedDomainWinsAndProgramsAreFoundByName) {
  auto table = SiteKnowledge::parse(
      "docs.example.org\twork\t0.9\tdocs\nexample.org\tleisure\t0.8\tsite\nco.uk\tmixed\t1\tcc\n"
      "uk\twork\t1\tlabel\nlocalhost\twork\t0.8\tlocal\nterminal\twork\t0.85\tshell\t/x=leisure\n"
      "syst\u00e8me\tneutral\t0.7\tsettings\nwww.\twork\t1\tnever\n");
  // The last label alone is never a candidate, but a one-label host is tried whole; empty labels
  // are dropped before the candidates are built. Without a host (a file address) the program's
  // name counts, sections aside; a host that is empty once "www." is cut is still a host.
  // clang-format off
  expectLookups(table, {
      {"https://docs.example.org/a", "docs work"},    {"https://mail.example.org", "site leisure"},
      {"https://WWW.Example.ORG/", "site leisure"},   {"https://a.b.docs.example.org", "docs work"},
      {"https://news.site.co.uk", "cc mixed"},        {"http://localhost:8080/app", "local work"},
      {"https://other.uk", "-"},                      {"https://uk", "label work"},
      {"https://a..example.org.", "site leisure"},    {"https://.docs.example.org", "docs work"},
      {"https://...", "-"},                           {"https://example.org.evil.net", "-"},
      {"app:TERMINAL", "shell work"},                 {"app:SYST\u00c8ME", "settings neutral"},
      {"app:Terminal ", "-"},                         {"file:///x/notes.txt", "shell work"},
      {"https://www./", "-"}});
  // clang-format on
}

TEST(SiteKnowledgeTest, HostileInputIsAnsweredCorrectly) {
  std::string labels;
  for (int i = 0; i < 500; ++i) labels += "ab.";
  // clang-format off
  expectLookups(SiteKnowledge::parse("example.org\twork\t0.9\tsite\n"),
                {{"https://" + labels + "example.org", "site work"},
                 {"https://" + std::string(2000, 'a') + ".org", "-"},
                 {"https://" + labels + "example.net", "-"}});
  // clang-format on
  // Ill-formed UTF-8 handed to the parser is repaired, not refused, and said so.
  test::LogCapture log;
  auto repaired = SiteKnowledge::parse("caf\xE9\twork\t0.9\tnote\nok\tmixed\t1\tfine\n");
  EXPECT_EQ(repaired.count(), 2);
  EXPECT_TRUE(repaired.entries().contains("caf\uFFFD"));
  EXPECT_THAT(log.lines(), ElementsAre(HasSubstr("ill-formed UTF-8 replaced")));
}

TEST(SiteKnowledgeTest, LoadingFailsOnlyForUnreadableOrNonUtf8Files) {
  test::TempDir dir;
  test::writeFile(dir / "latin1.tsv", "caf\xE9\twork\t0.9\tnote\n");
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
  EXPECT_TRUE(table.count() >= 300 && table.count() <= 600) << table.count();
  for (const auto& [key, entry] : table.entries()) {
    EXPECT_TRUE(entry.confidence > 0 && entry.confidence <= 1 && !entry.what.empty()) << key;
    EXPECT_EQ(key, knowledge::trimBlanks(key));
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
  const Cases leans = {
      {"https://github.com/a/b/pulls", "work"}, {"https://www.youtube.com/watch", "leisure"},
      {"https://www.reddit.com/r/cpp/1", "work"}, {"https://www.reddit.com/r/aww", "leisure"},
      {"https://aws.amazon.com/s3", "work"}, {"https://www.amazon.com/dp/1", "leisure"},
      {"http://localhost:3000/", "work"}, {"app:Terminal", "work"}, {"app:Steam", "leisure"},
      {"app:Files", "neutral"}, {"app:Firefox", "-"}};
  // clang-format on
  for (const auto& [what, lean] : leans) {
    const std::string found = lookup(table, what);
    EXPECT_EQ(found.substr(found.rfind(' ') + 1), lean) << what;
  }
}

// A program's windows are looked up by the untranslated Name= of its desktop entry, which is not
// the name one would guess ("GNU Image Manipulation Program", "Rxvt Color Unicode Terminal"), so
// the packaged programs' real names are kept as data, read from their .desktop files.
TEST(SiteKnowledgeTest, ShippedTableKnowsPackagedProgramsByTheirDesktopEntryNames) {
  const SiteKnowledge table =
      SiteKnowledge::load(QB_TEST_DATA "/../../resources/Model/Knowledge/sites.tsv");
  std::ifstream file(QB_TEST_DATA "/desktop-programs.tsv");
  ASSERT_TRUE(file.is_open());
  int64_t programs = 0;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line.starts_with('#')) continue;
    SCOPED_TRACE(line);
    // package, desktop id, Name, StartupWMClass (may be empty), lean
    std::vector<std::string> fields;
    std::istringstream row(line);
    for (std::string field; std::getline(row, field, '\t');) fields.push_back(field);
    ASSERT_EQ(fields.size(), 5u);
    ++programs;
    const std::string& name = fields[2];
    const auto entry = table.lookup(Moment(1, Date(), name, fields[1], name));
    if (!entry) {
      ADD_FAILURE() << "no row for \"" << name << "\"";
      continue;
    }
    EXPECT_EQ(rawValue(entry->lean), fields[4]);
  }
  EXPECT_GT(programs, 0);
}

}  // namespace
}  // namespace qb
