#include <gtest/gtest.h>
#include <stdlib.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "analysis/SiteKnowledge.h"
#include "base/Error.h"
#include "base/File.h"

namespace qb {
namespace {

using Lean = SiteKnowledge::Lean;
using Entry = SiteKnowledge::Entry;
using Sections = std::vector<SiteKnowledge::Section>;

Moment site(std::string_view address, std::string_view app = "Firefox") {
  auto url = Url::parse(address);
  EXPECT_TRUE(url) << address;
  return Moment(1, Date::fromReference(0), app, "firefox", "Page", url);
}

Moment program(std::string_view app) {
  return Moment(2, Date::fromReference(0), app, "org.example.App", "Window");
}

std::optional<Lean> leanOf(const SiteKnowledge& table, const Moment& moment) {
  auto entry = table.lookup(moment);
  return entry ? std::optional(entry->lean) : std::nullopt;
}

// The lean of each address, or absent when the table has nothing for it.
void expectLeans(const SiteKnowledge& table,
                 const std::vector<std::pair<std::string, std::optional<Lean>>>& cases) {
  for (const auto& [address, lean] : cases) {
    EXPECT_EQ(leanOf(table, site(address)), lean) << address;
  }
}

float confidenceOf(std::string_view field) {
  auto table = SiteKnowledge::parse("k\twork\t" + std::string(field) + "\tnote");
  return table.entries().at("k").confidence;
}

TEST(SiteKnowledgeTest, UsesOnlyRowsWithALeanWordAndFourFieldsSplitAtEveryTerminator) {
  auto table = SiteKnowledge::parse(
      "# key\tlean\tconfidence\twhat\n"
      "\n"
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
      "f.org\twork\t1\tF\vstill F\fstill F");
  ASSERT_EQ(lines.count(), 6);
  EXPECT_EQ(lines.entries().at("a.org").what, "A");  // the byte-order mark is not part of the key
  EXPECT_EQ(lines.entries().at("c.org").lean, Lean::mixed);
  EXPECT_EQ(lines.entries().at("e.org").what, "E");
  EXPECT_EQ(lines.entries().at("f.org").what, "F\vstill F\fstill F");
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
  // Words and overflows that strtof reads as NaN or infinity would poison every score.
  for (std::string bad :
       {"",     "high",     " 0.9",      "\t0.9", "\v0.9",    "0.9 ",    "0.9x",
        "0,9",  "--1",      "nan",       "NaN",   "nan(123)", "-nan",    "inf",
        "-inf", "Infinity", "+INFINITY", "1e39",  "-1e39",    "0x1p200", "0x1.fffffffffp127"}) {
    EXPECT_EQ(confidenceOf(bad), SiteKnowledge::kDefaultConfidence) << '"' << bad << '"';
  }
  EXPECT_EQ(confidenceOf(std::string("0.5\0", 4)), SiteKnowledge::kDefaultConfidence);
}

TEST(SiteKnowledgeTest, ConfidenceIgnoresTheProcessLocale) {
  // Runs where a locale with a decimal comma is installed (LOCPATH may point at one).
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  bool comma = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
    comma = comma || (std::setlocale(LC_NUMERIC, name) && std::strtod("0,5", nullptr) == 0.5);
  }
  const float point = confidenceOf("0.9"), withComma = confidenceOf("0,9");
  std::setlocale(LC_NUMERIC, saved.c_str());
  if (!comma) GTEST_SKIP() << "no locale with a decimal comma is installed";
  EXPECT_EQ(point, 0.9f);
  EXPECT_EQ(withComma, SiteKnowledge::kDefaultConfidence);
}

TEST(SiteKnowledgeTest, SectionsAreCheckedOneByOneAndTheLongestWholeSegmentPrefixWins) {
  auto table = SiteKnowledge::parse(
      "s.org\tleisure\t1\tnote\t"
      " /Docs/ = work ;;/\u00a0=work;=work;/x=;/y=Work;/z=work=more;/two==work;noslash=work;"
      "/\u3000Learn//=mixed\u2003;/a=b=c;/=;//=neutral\n"
      "v.com\tleisure\t0.7\tvideo\t/watch=mixed;/watch/later=work;/b=neutral;/a=work\n"
      "reddit.com\tleisure\t0.8\tboards\t/r/programming=work;/learn/=work\n");
  // Trimmed, lower-cased, longest first by characters (the ideographic space is one character of
  // three bytes); equal lengths keep their file order.
  EXPECT_EQ(
      table.sections().at("s.org"),
      (Sections{{"noslash", Lean::work}, {"/\u3000learn", Lean::mixed}, {"/docs", Lean::work}}));
  EXPECT_EQ(table.sections().at("v.com"), (Sections{{"/watch/later", Lean::work},
                                                    {"/watch", Lean::mixed},
                                                    {"/b", Lean::neutral},
                                                    {"/a", Lean::work}}));
  expectLeans(table, {
                         // The prefix without a slash is kept but can never match a path.
                         {"https://s.org/noslash", Lean::leisure},
                         {"https://s.org/docs/intro", Lean::work},
                         {"https://v.com/watch/later/x", Lean::work},
                         {"https://v.com/watch?v=1", Lean::mixed},
                         {"https://www.reddit.com/r/programming", Lean::work},
                         {"https://reddit.com/R/Programming/comments/x", Lean::work},
                         {"https://old.reddit.com/r/programming/", Lean::work},
                         {"https://reddit.com/r/programmingx", Lean::leisure},
                         {"https://reddit.com/r", Lean::leisure},
                         {"https://reddit.com", Lean::leisure},
                         {"https://reddit.com/learn/", Lean::work},
                         {"https://reddit.com/learn", Lean::work},
                         {"https://reddit.com/r/%70rogramming",
                          Lean::work},  // decoded, as the address bar shows
                     });
  // A match keeps the site's confidence and note; only the lean changes.
  EXPECT_EQ(table.lookup(site("https://reddit.com/r/programming")),
            (Entry{Lean::work, 0.8f, "boards"}));
}

TEST(SiteKnowledgeTest, MostSpecificListedDomainWins) {
  auto table = SiteKnowledge::parse(
      "docs.example.org\twork\t0.9\tdocs\n"
      "example.org\tleisure\t0.8\tsite\n"
      "co.uk\tneutral\t0.5\tcountry\n"
      "uk\twork\t1\tlabel\n"
      "localhost\twork\t0.8\tlocal\n");
  // The last label alone is never a candidate, but a one-label host is tried whole; empty labels
  // are dropped before the candidates are built.
  for (const auto& [address, what] :
       std::vector<std::pair<std::string, std::string>>{{"https://docs.example.org/a", "docs"},
                                                        {"https://mail.example.org", "site"},
                                                        {"https://WWW.Example.ORG/", "site"},
                                                        {"https://a.b.docs.example.org", "docs"},
                                                        {"https://news.site.co.uk", "country"},
                                                        {"http://localhost:8080/app", "local"},
                                                        {"https://other.uk", "-"},
                                                        {"https://uk", "label"},
                                                        {"https://a..example.org.", "site"},
                                                        {"https://.docs.example.org", "docs"},
                                                        {"https://...", "-"},
                                                        {"https://example.org.evil.net", "-"}}) {
    auto entry = table.lookup(site(address));
    EXPECT_EQ(entry ? entry->what : "-", what) << address;
  }
}

TEST(SiteKnowledgeTest, ProgramsAreFoundByNameOnlyWithoutAHost) {
  auto table = SiteKnowledge::parse(
      "terminal\twork\t0.85\tshell\t/x=leisure\n"
      "système\tneutral\t0.7\tsettings\n"
      "www.\twork\t1\tnever\n");
  EXPECT_EQ(table.lookup(program("TERMINAL")), (Entry{Lean::work, 0.85f, "shell"}));
  EXPECT_EQ(leanOf(table, program("SYSTÈME")), Lean::neutral);
  EXPECT_FALSE(table.lookup(program("Terminal ")));
  // A file address has no host: the program's name counts, and its sections do not.
  EXPECT_EQ(leanOf(table, site("file:///x/notes.txt", "Terminal")), Lean::work);
  // A host that is empty once "www." is cut is still a host: no fallback to the program.
  EXPECT_FALSE(table.lookup(site("https://www./", "Terminal")));
}

TEST(SiteKnowledgeTest, HostileHostsAndTablesAreAnsweredCorrectly) {
  auto table = SiteKnowledge::parse("example.org\twork\t0.9\tsite\n");
  std::string labels;
  for (int i = 0; i < 500; ++i) labels += "ab.";
  expectLeans(table, {{"https://" + labels + "example.org", Lean::work},
                      {"https://" + std::string(2000, 'a') + ".org", std::nullopt},
                      {"https://" + labels + "example.net", std::nullopt}});

  // Ill-formed UTF-8 handed to the parser is repaired, not refused.
  auto repaired = SiteKnowledge::parse("caf\xE9\twork\t0.9\tnote\nok\tmixed\t1\tfine\n");
  EXPECT_EQ(repaired.count(), 2);
  EXPECT_TRUE(repaired.entries().contains("caf\uFFFD"));
  EXPECT_FALSE(SiteKnowledge().lookup(site("https://example.org")));
}

TEST(SiteKnowledgeTest, LoadingFailsOnlyForUnreadableOrNonUtf8Files) {
  std::string pattern = (std::filesystem::temp_directory_path() / "qb-site-XXXXXX").string();
  const std::filesystem::path dir = ::mkdtemp(pattern.data());
  auto write = [&](const std::string& name, std::string_view bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
    return dir / name;
  };
  auto failure = [](const std::filesystem::path& path) -> std::optional<Error> {
    try {
      SiteKnowledge::load(path);
    } catch (const Error& error) {
      return error;
    }
    return std::nullopt;
  };
  EXPECT_EQ(SiteKnowledge::load(write("sites.tsv", "a.org\twork\t0.9\tnote\n")).count(), 1);
  EXPECT_EQ(SiteKnowledge::load(write("empty.tsv", "")).count(), 0);
  auto missing = failure(dir / "missing.tsv");
  auto notText = failure(write("latin1.tsv", "caf\xE9\twork\t0.9\tnote\n"));
  auto directory = failure(dir);
  std::filesystem::remove_all(dir);

  ASSERT_TRUE(missing && notText && directory);
  for (const auto& error : {*missing, *notText, *directory}) {
    EXPECT_EQ(error.domain(), Error::kFileDomain);
  }
  EXPECT_EQ(missing->code(), file::kNoSuchFileCode);
  EXPECT_EQ(notText->code(), file::kInapplicableEncodingCode);
  EXPECT_NE(std::string(notText->what()).find("UTF-8"), std::string::npos);
  EXPECT_NE(directory->code(), Error::kFileReadCorruptCode);
}

// The table we ship: every row must be usable, since a typo would silently drop a site.
TEST(SiteKnowledgeTest, ShippedTableIsWellFormed) {
  const std::filesystem::path path = QB_TEST_DATA "/../../resources/Model/Knowledge/sites.tsv";
  SiteKnowledge table = SiteKnowledge::load(path);

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

  // A few rows whose loss would be felt at once: a site with sections, a domain and its
  // subdomain with different leans, programs, and a browser, which is judged by its page.
  expectLeans(table, {{"https://github.com/acme/widgets/pulls", Lean::work},
                      {"https://www.youtube.com/watch?v=1", Lean::leisure},
                      {"https://www.reddit.com/r/cpp/comments/1", Lean::work},
                      {"https://www.reddit.com/r/aww", Lean::leisure},
                      {"https://aws.amazon.com/s3", Lean::work},
                      {"https://www.amazon.com/dp/1", Lean::leisure},
                      {"http://localhost:3000/", Lean::work}});
  for (const auto& [name, lean] :
       std::vector<std::pair<std::string, std::optional<Lean>>>{{"Terminal", Lean::work},
                                                                {"Steam", Lean::leisure},
                                                                {"Files", Lean::neutral},
                                                                {"Firefox", std::nullopt}}) {
    EXPECT_EQ(leanOf(table, program(name)), lean) << name;
  }
}

}  // namespace
}  // namespace qb
