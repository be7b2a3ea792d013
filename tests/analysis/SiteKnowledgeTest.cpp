#include "analysis/SiteKnowledge.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "base/File.h"

#include "base/Error.h"

namespace qb {
namespace {

using Lean = SiteKnowledge::Lean;
using Entry = SiteKnowledge::Entry;

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
  if (!entry) return std::nullopt;
  return entry->lean;
}

float confidenceOf(std::string_view field) {
  auto table = SiteKnowledge::parse("k\twork\t" + std::string(field) + "\tnote");
  return table.entries().at("k").confidence;
}

// A scratch directory that removes itself.
class ScratchDir {
public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qb-site-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  std::filesystem::path write(const std::string& name, std::string_view bytes) const {
    std::filesystem::path file = path_ / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }
  const std::filesystem::path& path() const { return path_; }

private:
  std::filesystem::path path_;
};

TEST(SiteKnowledgeTest, UsesOnlyRowsWithALeanWordAndFourFields) {
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
}

TEST(SiteKnowledgeTest, SplitsLinesAtEveryTerminator) {
  auto table = SiteKnowledge::parse(
      "\xEF\xBB\xBF" "a.org\twork\t1\tA\r\n"
      "b.org\tleisure\t1\tB\r"
      "c.org\tmixed\t1\tC\xC2\x85"
      "d.org\tneutral\t1\tD\xE2\x80\xA8"
      "e.org\twork\t1\tE\xE2\x80\xA9"
      "f.org\twork\t1\tF\vstill F\fstill F");
  ASSERT_EQ(table.count(), 6);
  EXPECT_EQ(table.entries().at("a.org").what, "A");  // the byte-order mark is not part of the key
  EXPECT_EQ(table.entries().at("c.org").lean, Lean::mixed);
  EXPECT_EQ(table.entries().at("e.org").what, "E");
  EXPECT_EQ(table.entries().at("f.org").what, "F\vstill F\fstill F");
}

TEST(SiteKnowledgeTest, LaterRowsReplaceEntriesButKeepSectionsUnlessTheyBringNew) {
  auto table = SiteKnowledge::parse(
      "site.org\tleisure\t0.8\tfirst\t/a=work\n"
      "site.org\tmixed\t0.5\tsecond\t/x;=work\n"
      "other.org\twork\t0.8\tfirst\t/a=work\n"
      "other.org\twork\t0.8\tsecond\t/b=leisure\n");
  EXPECT_EQ(table.entries().at("site.org"), (Entry{Lean::mixed, 0.5f, "second"}));
  EXPECT_EQ(table.sections().at("site.org"), (std::vector<SiteKnowledge::Section>{{"/a", Lean::work}}));
  EXPECT_EQ(table.sections().at("other.org"),
            (std::vector<SiteKnowledge::Section>{{"/b", Lean::leisure}}));
}

TEST(SiteKnowledgeTest, ConfidenceReadsAsStrtofInTheCLocaleAndMustBeFinite) {
  EXPECT_EQ(confidenceOf("0.9"), 0.9f);
  EXPECT_EQ(confidenceOf("+0.25"), 0.25f);
  EXPECT_EQ(confidenceOf("0x1p-1"), 0.5f);
  EXPECT_EQ(confidenceOf("5e-1"), 0.5f);
  EXPECT_EQ(confidenceOf(".75"), 0.75f);
  // Finite values outside 0 to 1 are kept: they only weigh the site feature more or less.
  EXPECT_EQ(confidenceOf("-0.5"), -0.5f);
  EXPECT_EQ(confidenceOf("1.5"), 1.5f);
  for (std::string bad : {"", "high", " 0.9", "\t0.9", "\v0.9", "0.9 ", "0.9x", "0,9", "--1"}) {
    EXPECT_EQ(confidenceOf(bad), SiteKnowledge::kDefaultConfidence) << '"' << bad << '"';
  }
  EXPECT_EQ(confidenceOf(std::string("0.5\0", 4)), SiteKnowledge::kDefaultConfidence);
  // Words and overflows that strtof reads as NaN or infinity would poison every score.
  for (std::string infinite :
       {"nan", "NaN", "nan(123)", "-nan", "inf", "-inf", "Infinity", "+INFINITY", "1e39",
        "-1e39", "0x1p200", "0x1.fffffffffp127"}) {
    EXPECT_EQ(confidenceOf(infinite), SiteKnowledge::kDefaultConfidence) << infinite;
  }
}

TEST(SiteKnowledgeTest, ConfidenceIgnoresTheProcessLocale) {
  // Runs where a locale with a decimal comma is installed (LOCPATH may point at one).
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous ? previous : "C";
  bool comma = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
    if (std::setlocale(LC_NUMERIC, name) && std::strtod("0,5", nullptr) == 0.5) {
      comma = true;
      break;
    }
  }
  if (!comma) {
    std::setlocale(LC_NUMERIC, saved.c_str());
    GTEST_SKIP() << "no locale with a decimal comma is installed";
  }
  float point = confidenceOf("0.9");
  float withComma = confidenceOf("0,9");
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(point, 0.9f);
  EXPECT_EQ(withComma, SiteKnowledge::kDefaultConfidence);
}

TEST(SiteKnowledgeTest, SectionItemsAreTrimmedLowerCasedAndCheckedOneByOne) {
  auto table = SiteKnowledge::parse(
      "s.org\tleisure\t1\tnote\t"
      " /Docs/ = work ;;/\u00a0=work;=work;/x=;/y=Work;/z=work=more;/two==work;noslash=work;"
      "/\u3000Learn//=mixed\u2003;/a=b=c;/=;//=neutral\n");
  const auto& sections = table.sections().at("s.org");
  // Longest first by characters: the ideographic space is one character of three bytes.
  EXPECT_EQ(sections, (std::vector<SiteKnowledge::Section>{{"noslash", Lean::work},
                                                            {"/\u3000learn", Lean::mixed},
                                                            {"/docs", Lean::work}}));
  // The prefix without a slash is kept but can never match a path.
  EXPECT_EQ(leanOf(table, site("https://s.org/noslash")), Lean::leisure);
  EXPECT_EQ(leanOf(table, site("https://s.org/docs/intro")), Lean::work);
}

TEST(SiteKnowledgeTest, LongestSectionPrefixWinsWhateverTheFileOrder) {
  auto table = SiteKnowledge::parse(
      "v.com\tleisure\t0.7\tvideo\t/watch=mixed;/watch/later=work;/b=neutral;/a=work\n");
  const auto& sections = table.sections().at("v.com");
  ASSERT_EQ(sections.size(), 4u);
  EXPECT_EQ(sections[0].prefix, "/watch/later");
  EXPECT_EQ(sections[1].prefix, "/watch");
  EXPECT_EQ(sections[2].prefix, "/b");  // equal lengths keep their file order
  EXPECT_EQ(sections[3].prefix, "/a");
  EXPECT_EQ(leanOf(table, site("https://v.com/watch/later/x")), Lean::work);
  EXPECT_EQ(leanOf(table, site("https://v.com/watch?v=1")), Lean::mixed);
}

TEST(SiteKnowledgeTest, MostSpecificListedDomainWins) {
  auto table = SiteKnowledge::parse(
      "docs.example.org\twork\t0.9\tdocs\n"
      "example.org\tleisure\t0.8\tsite\n"
      "co.uk\tneutral\t0.5\tcountry\n"
      "uk\twork\t1\tlabel\n"
      "localhost\twork\t0.8\tlocal\n");
  EXPECT_EQ(table.lookup(site("https://docs.example.org/a"))->what, "docs");
  EXPECT_EQ(table.lookup(site("https://mail.example.org"))->what, "site");
  EXPECT_EQ(table.lookup(site("https://WWW.Example.ORG/"))->what, "site");
  EXPECT_EQ(table.lookup(site("https://a.b.docs.example.org"))->what, "docs");
  EXPECT_EQ(table.lookup(site("https://news.site.co.uk"))->what, "country");
  EXPECT_EQ(table.lookup(site("http://localhost:8080/app"))->what, "local");
  // The last label alone is never a candidate, but a one-label host is tried whole.
  EXPECT_FALSE(table.lookup(site("https://other.uk")));
  EXPECT_EQ(table.lookup(site("https://uk"))->what, "label");
  // Empty labels are dropped before the candidates are built.
  EXPECT_EQ(table.lookup(site("https://a..example.org."))->what, "site");
  EXPECT_EQ(table.lookup(site("https://.docs.example.org"))->what, "docs");
  EXPECT_FALSE(table.lookup(site("https://..."))) << "only empty labels";
  EXPECT_FALSE(table.lookup(site("https://example.org.evil.net")));
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

TEST(SiteKnowledgeTest, SectionsMatchWholePathSegmentsOfTheLowerCasedPath) {
  auto table = SiteKnowledge::parse(
      "reddit.com\tleisure\t0.8\tboards\t/r/programming=work;/learn/=work\n");
  auto lean = [&](std::string_view address) { return leanOf(table, site(address)); };
  EXPECT_EQ(lean("https://www.reddit.com/r/programming"), Lean::work);
  EXPECT_EQ(lean("https://reddit.com/R/Programming/comments/x"), Lean::work);
  EXPECT_EQ(lean("https://old.reddit.com/r/programming/"), Lean::work);
  EXPECT_EQ(lean("https://reddit.com/r/programmingx"), Lean::leisure);
  EXPECT_EQ(lean("https://reddit.com/r"), Lean::leisure);
  EXPECT_EQ(lean("https://reddit.com"), Lean::leisure);
  EXPECT_EQ(lean("https://reddit.com/learn/"), Lean::work);
  EXPECT_EQ(lean("https://reddit.com/learn"), Lean::work);
  // The path is compared decoded, as the address bar shows it.
  EXPECT_EQ(lean("https://reddit.com/r/%70rogramming"), Lean::work);
  // A match keeps the site's confidence and note; only the lean changes.
  EXPECT_EQ(table.lookup(site("https://reddit.com/r/programming")),
            (Entry{Lean::work, 0.8f, "boards"}));
}

TEST(SiteKnowledgeTest, HostileHostsAndTablesAreAnsweredCorrectly) {
  auto table = SiteKnowledge::parse("example.org\twork\t0.9\tsite\n");
  std::string labels;
  for (int i = 0; i < 500; ++i) labels += "ab.";
  EXPECT_EQ(leanOf(table, site("https://" + labels + "example.org")), Lean::work);
  EXPECT_FALSE(table.lookup(site("https://" + std::string(2000, 'a') + ".org")));
  EXPECT_FALSE(table.lookup(site("https://" + labels + "example.net")));

  // Ill-formed UTF-8 handed to the parser is repaired, not refused.
  auto repaired = SiteKnowledge::parse("caf\xE9\twork\t0.9\tnote\nok\tmixed\t1\tfine\n");
  EXPECT_EQ(repaired.count(), 2);
  EXPECT_TRUE(repaired.entries().contains("caf\uFFFD"));
  EXPECT_FALSE(SiteKnowledge().lookup(site("https://example.org")));
}

TEST(SiteKnowledgeTest, LoadingFailsOnlyForUnreadableOrNonUtf8Files) {
  ScratchDir dir;
  auto loaded = SiteKnowledge::load(dir.write("sites.tsv", "a.org\twork\t0.9\tnote\n"));
  EXPECT_EQ(loaded.count(), 1);
  EXPECT_EQ(SiteKnowledge::load(dir.write("empty.tsv", "")).count(), 0);

  auto failure = [](const std::filesystem::path& path) -> std::optional<Error> {
    try {
      SiteKnowledge::load(path);
    } catch (const Error& error) {
      return error;
    }
    return std::nullopt;
  };
  auto missing = failure(dir.path() / "missing.tsv");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->domain(), Error::kFileDomain);
  EXPECT_EQ(missing->code(), file::kNoSuchFileCode);

  auto notText = failure(dir.write("latin1.tsv", "caf\xE9\twork\t0.9\tnote\n"));
  ASSERT_TRUE(notText);
  EXPECT_EQ(notText->domain(), Error::kFileDomain);
  EXPECT_EQ(notText->code(), file::kInapplicableEncodingCode);
  EXPECT_NE(std::string(notText->what()).find("UTF-8"), std::string::npos);

  auto directory = failure(dir.path());
  ASSERT_TRUE(directory);
  EXPECT_EQ(directory->domain(), Error::kFileDomain);
  EXPECT_NE(directory->code(), Error::kFileReadCorruptCode);
}

// The table we ship: every row must be usable, since a typo would silently drop a site.
TEST(SiteKnowledgeTest, ShippedTableIsWellFormed) {
  const std::filesystem::path path = QB_TEST_DATA "/../../resources/Model/Knowledge/sites.tsv";
  SiteKnowledge table = SiteKnowledge::load(path);

  std::ifstream file(path);
  std::string line;
  int64_t rows = 0;
  while (std::getline(file, line)) {
    if (!line.empty() && !line.starts_with('#')) ++rows;
  }
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
    EXPECT_TRUE(table.entries().contains(key)) << key;
    for (const auto& section : sections) {
      EXPECT_TRUE(section.prefix.starts_with('/')) << key << " " << section.prefix;
      EXPECT_NE(section.lean, table.entries().at(key).lean) << key << " " << section.prefix;
    }
  }

  auto lean = [&](const Moment& moment) { return leanOf(table, moment); };
  EXPECT_EQ(lean(site("https://github.com/acme/widgets/pulls")), Lean::work);
  EXPECT_EQ(lean(site("https://docs.google.com/document/d/1")), Lean::work);
  EXPECT_EQ(lean(site("https://www.google.com/search?q=x")), Lean::neutral);
  EXPECT_EQ(lean(site("https://www.youtube.com/watch?v=1")), Lean::leisure);
  EXPECT_EQ(lean(site("https://www.reddit.com/r/cpp/comments/1")), Lean::work);
  EXPECT_EQ(lean(site("https://www.reddit.com/r/aww")), Lean::leisure);
  EXPECT_EQ(lean(site("https://unix.stackexchange.com/questions/1")), Lean::work);
  EXPECT_EQ(lean(site("https://aws.amazon.com/s3")), Lean::work);
  EXPECT_EQ(lean(site("https://www.amazon.com/dp/1")), Lean::leisure);
  EXPECT_EQ(lean(site("http://localhost:3000/")), Lean::work);
  EXPECT_EQ(lean(program("Terminal")), Lean::work);
  EXPECT_EQ(lean(program("Visual Studio Code")), Lean::work);
  EXPECT_EQ(lean(program("LibreOffice Calc")), Lean::work);
  EXPECT_EQ(lean(program("Steam")), Lean::leisure);
  EXPECT_EQ(lean(program("Files")), Lean::neutral);
  EXPECT_FALSE(lean(program("Firefox"))) << "a browser is judged by its page, not its name";
}

}  // namespace
}  // namespace qb
