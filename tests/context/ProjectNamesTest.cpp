#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "analysis/Moment.h"
#include "base/Text.h"
#include "context/ProjectMemory.h"

namespace qb {
namespace {

using Names = std::vector<std::string>;

Moment moment(std::string_view title, std::string_view url = {},
              std::string_view app = "Editor X") {
  std::optional<Url> address;
  if (!url.empty()) address = Url::parse(url);
  return Moment(1, Date::fromReference(7e8), app, "org.example.app", title, address);
}

Names names(std::string_view title, std::string_view url = {}, std::string_view app = "Editor X") {
  return ProjectMemory::names(moment(title, url, app));
}

std::optional<Url> url(std::string_view text) { return Url::parse(text); }

TEST(ProjectNamesTest, KeysKeepLettersAndNumbersOfEveryScript) {
  EXPECT_EQ(ProjectMemory::key("ABC-123"), "abc123");
  EXPECT_EQ(ProjectMemory::key("abc 123"), "abc123");
  EXPECT_EQ(ProjectMemory::key("Abc123"), "abc123");
  EXPECT_EQ(ProjectMemory::key("-- !? //"), "");
  EXPECT_EQ(ProjectMemory::key(""), "");
  EXPECT_EQ(ProjectMemory::key("\u00c9cole Normale"), "\u00e9colenormale");
  // One name typed composed or decomposed is one candidate.
  EXPECT_EQ(ProjectMemory::key("E\u0301cole"), ProjectMemory::key("\u00c9cole"));
  // Numbers beyond the ASCII digits: superscript two, one half, a Roman numeral, Arabic-Indic
  // three.
  EXPECT_EQ(ProjectMemory::key("x\u00b2 \u00bd \u216b \u0663"), "x\u00b2\u00bd\u217b\u0663");
  EXPECT_EQ(ProjectMemory::key("\u041f\u0440\u043e\u0435\u043a\u0442 \u4e00"),
            "\u043f\u0440\u043e\u0435\u043a\u0442\u4e00");
  EXPECT_EQ(ProjectMemory::key("bad \xff bytes"), "badbytes");
}

TEST(ProjectNamesTest, WordsSplitAtEveryOtherCharacter) {
  EXPECT_EQ(ProjectMemory::words("index.html"), (Names{"index", "html"}));
  EXPECT_EQ(ProjectMemory::words("Don't stop_now -- OK?"),
            (Names{"don", "t", "stop", "now", "ok"}));
  EXPECT_EQ(ProjectMemory::words("a 1 \u00c9t\u00e9"), (Names{"a", "1", "\u00e9t\u00e9"}));
  EXPECT_TRUE(ProjectMemory::words(" -- ").empty());
}

TEST(ProjectNamesTest, MentionsJoinUpToFiveWords) {
  EXPECT_TRUE(ProjectMemory::mentions("Widget Service - Docs", "widgetservice"));
  EXPECT_TRUE(ProjectMemory::mentions("docs: widget-service", "widgetservice"));
  EXPECT_FALSE(ProjectMemory::mentions("Widget Servicing", "widgetservice"));
  EXPECT_FALSE(ProjectMemory::mentions("Widgets Service", "widgetservice"));
  EXPECT_TRUE(ProjectMemory::mentions("a b c d e f", "abcde"));
  EXPECT_TRUE(ProjectMemory::mentions("a b c d e f", "bcdef"));
  EXPECT_FALSE(ProjectMemory::mentions("a b c d e f", "abcdef"));
  EXPECT_FALSE(ProjectMemory::mentions("", "atlas"));
  EXPECT_FALSE(ProjectMemory::mentions("atlas", ""));
  // A whole word must match: a key is not found inside a longer word.
  EXPECT_FALSE(ProjectMemory::mentions("Atlases", "atlas"));
  EXPECT_TRUE(ProjectMemory::mentions("E\u0301COLE plan", ProjectMemory::key("\u00e9cole")));
}

TEST(ProjectNamesTest, DomainKeepsTheRegistrableLabels) {
  EXPECT_EQ(ProjectMemory::domain("a.b.example.com"), "example.com");
  EXPECT_EQ(ProjectMemory::domain("news.bbc.co.uk"), "bbc.co.uk");
  EXPECT_EQ(ProjectMemory::domain("Docs.Example.AC.JP"), "example.ac.jp");
  EXPECT_EQ(ProjectMemory::domain("www.example.de"), "example.de");  // "example" is not listed
  EXPECT_EQ(ProjectMemory::domain("example.com"), "example.com");
  EXPECT_EQ(ProjectMemory::domain("co.uk"), "co.uk");
  EXPECT_EQ(ProjectMemory::domain("a..example.com."), "example.com");
  EXPECT_EQ(ProjectMemory::domain("localhost"), "localhost");
  EXPECT_EQ(ProjectMemory::domain(""), "");
  EXPECT_EQ(ProjectMemory::domain("..."), "");
}

TEST(ProjectNamesTest, FileNamesInTitles) {
  // Without an address the file name goes while a folder's name stays.
  EXPECT_EQ(names("index.html \u2014 atlas"), Names{"atlas"});
  // Only file names: none is removed, and the extension is cut.
  EXPECT_EQ(names("Quarterly report.docx"), Names{"Quarterly report"});
  EXPECT_EQ(names("notes.txt"), Names{});  // generic once cut
  // Only the last extension goes.
  EXPECT_EQ(names("Report.final.docx"), Names{"Report.final"});
  EXPECT_EQ(names("Budget v2.xlsx - Budget review"), (Names{"Budget v2", "Budget review"}));
  // Extensions that are no extensions.
  EXPECT_EQ(names(".gitignore - dotfiles"), (Names{".gitignore", "dotfiles"}));
  EXPECT_EQ(names("Build 2.5"), Names{"Build 2.5"});
  EXPECT_EQ(names("notes.backup2024x"), Names{"notes.backup2024x"});
  // With an address a part with an extension is never removed, only cut.
  EXPECT_EQ(names("atlas.md - Viewer", "https://example.org/x"), (Names{"atlas", "Viewer"}));
}

TEST(ProjectNamesTest, TitleSeparatorsAndTrimming) {
  EXPECT_EQ(names("Alpha [Beta] (Gamma) <Delta>"), (Names{"Alpha", "Beta", "Gamma", "Delta"}));
  EXPECT_EQ(names("Alpha \u00b7 Beta \u2022 Gamma | Delta \u2013 Eps"),
            (Names{"Alpha", "Beta", "Gamma", "Delta", "Eps"}));
  EXPECT_EQ(names("Alpha::Beta: Gamma"), (Names{"Alpha", "Beta", "Gamma"}));
  // A hyphen inside a word, or a colon without a blank after it, does not separate.
  EXPECT_EQ(names("Self-hosted wiki"), Names{"Self-hosted wiki"});
  EXPECT_EQ(names("12:30 standup"), Names{"12:30 standup"});
  // Blanks of any width go from both ends.
  EXPECT_EQ(names("Alpha (\u2003Beta\u00a0)"), (Names{"Alpha", "Beta"}));
}

TEST(ProjectNamesTest, TicketKeysComeFirstAndYearsAreNoTickets) {
  EXPECT_EQ(names("ABC 123: Fix login"), (Names{"ABC 123", "Fix login"}));
  // Long titles give no title part, so what remains is the ticket keys.
  const std::string tail = " is on the list for the whole team";
  EXPECT_EQ(names("FY 2024" + tail), Names{});
  EXPECT_EQ(names("FY 1999" + tail), Names{});
  EXPECT_EQ(names("FY 2024Q" + tail), Names{"FY 2024Q"});
  EXPECT_EQ(names("FY 202" + tail), Names{"FY 202"});
  EXPECT_EQ(names("FY 1850" + tail), Names{"FY 1850"});
  EXPECT_EQ(names("Abc 123" + tail), Names{});
  EXPECT_EQ(names("QA 4521B and ABC123 and XY 12" + tail), (Names{"QA 4521B", "ABC123", "XY 12"}));
  // Two spellings of one ticket are one name.
  EXPECT_EQ(names("ABC123 and ABC 123" + tail), Names{"ABC123"});
}

TEST(ProjectNamesTest, CourseCodesFromTitleAndPath) {
  EXPECT_EQ(names("hist204 essay"), (Names{"HIST204", "hist204 essay"}));
  EXPECT_EQ(names("Week three reading list for the class",
                  "https://lms.example.edu/courses/cs101b/pages"),
            Names{"CS101B"});
  EXPECT_EQ(names("Week three reading list for the class",
                  "https://lms.example.edu/courses/cs1010/pages"),
            Names{});
}

TEST(ProjectNamesTest, TitlePartRules) {
  EXPECT_EQ(names("one two three four five six"), Names{});
  EXPECT_EQ(names("one two three four five"), Names{"one two three four five"});
  EXPECT_EQ(names(std::string(41, 'a')), Names{});
  EXPECT_EQ(names(std::string(40, 'a')), Names{std::string(40, 'a')});
  EXPECT_EQ(names("12345 | 2024"), Names{});
  EXPECT_EQ(names("me@example | src/atlas"), Names{});
  EXPECT_EQ(names("Inbox"), Names{});
  EXPECT_EQ(names("New Tab"), Names{});  // generic by its key
}

TEST(ProjectNamesTest, ApplicationAndSiteNamesAreNoProjects) {
  // Words of the application's name of four characters or more keep a part out; shorter ones not.
  EXPECT_EQ(names("Studio plan | UX plan", {}, "UX Studio"), Names{"UX plan"});
  // The site's own name in its titles is dropped; a key of three characters stays.
  EXPECT_EQ(names("Atlas | Roadmap", "https://atlas.example.com/roadmap"), Names{"Roadmap"});
  EXPECT_EQ(names("ABC | Roadmap", "https://abcdef.example.com/roadmap"),
            (Names{"ABC", "Roadmap"}));
}

TEST(ProjectNamesTest, RepositoriesOfCodeHostingSites) {
  EXPECT_EQ(names("Fix parser", "https://github.com/owner/atlas/pulls/12"),
            (Names{"Fix parser", "atlas"}));
  // A title part of the same key comes first and the repository is dropped.
  EXPECT_EQ(names("ATLAS", "https://gitlab.com/owner/atlas"), Names{"ATLAS"});

  EXPECT_EQ(ProjectMemory::repository(url("https://www.GitHub.com/Owner/Atlas%20Two/tree")),
            "Atlas Two");
  EXPECT_EQ(ProjectMemory::repository(url("https://github.com/settings/profile")), std::nullopt);
  EXPECT_EQ(ProjectMemory::repository(url("https://github.com/Pulls/x")), std::nullopt);
  EXPECT_EQ(ProjectMemory::repository(url("https://github.com/owner")), std::nullopt);
  EXPECT_EQ(ProjectMemory::repository(url("https://gist.github.com/owner/atlas")), std::nullopt);
  EXPECT_EQ(ProjectMemory::repository(url("https://example.com/owner/atlas")), std::nullopt);
  EXPECT_EQ(ProjectMemory::repository(url("file:///owner/atlas")), std::nullopt);
  EXPECT_EQ(ProjectMemory::repository(std::nullopt), std::nullopt);
}

TEST(ProjectNamesTest, AssistantProjectAddresses) {
  const std::string hex(32, 'a');
  const std::string base = "https://" + ProjectMemory::assistantHost() + "/g/";
  EXPECT_EQ(ProjectMemory::assistantProject(url(base + "g-p-" + hex + "-Thesis%20plan/project")),
            "Thesis plan");
  EXPECT_EQ(ProjectMemory::assistantProject(url("https://www." + ProjectMemory::assistantHost() +
                                                "/g/g-p-0123456789abcdef0123456789abcdef-x-y")),
            "x-y");
  EXPECT_EQ(ProjectMemory::assistantProject(url(base + "g-p-" + std::string(32, 'A') + "-Plan")),
            std::nullopt);
  EXPECT_EQ(ProjectMemory::assistantProject(url(base + "g-p-" + std::string(31, 'a') + "-Plan")),
            std::nullopt);
  // Only the first segment of that form is read.
  EXPECT_EQ(ProjectMemory::assistantProject(url(base + "g-p-bad/g-p-" + hex + "-Plan")),
            std::nullopt);
  EXPECT_EQ(ProjectMemory::assistantProject(url("https://example.com/g/g-p-" + hex + "-Plan")),
            std::nullopt);
  EXPECT_EQ(ProjectMemory::assistantProject(std::nullopt), std::nullopt);
}

TEST(ProjectNamesTest, FixedTables) {
  EXPECT_EQ(ProjectMemory::generic().size(), 48u);
  EXPECT_EQ(ProjectMemory::workspaceHosts().size(), 33u);
  EXPECT_EQ(ProjectMemory::codeHosts().size(), 4u);
  for (const char* id : {"com.apple.Safari", "app.zen-browser.zen", "firefox", "google-chrome"}) {
    EXPECT_EQ(ProjectMemory::browsers().count(id), 1u) << id;
  }
  EXPECT_EQ(ProjectMemory::browsers().count("org.gnome.Epiphany"), 0u);
}

TEST(ProjectNamesTest, AnyTitleGivesDistinctValidNames) {
  std::mt19937 random(2103);
  std::uniform_int_distribution<int> byte(0, 255), length(0, 120);
  const std::string pieces[] = {" - ",      ": ",      "::",    "[",      ")",
                                ".md",      "ABC 123", "cs101", "\u2014", " \u00b7 ",
                                "\xe2\x80", "2024",    "Atlas", "\u00a0"};
  const char* urls[] = {"", "https://github.com/o/r", "https://docs.example.com/cs101/x"};
  for (int round = 0; round < 400; ++round) {
    std::string title;
    const int n = length(random);
    for (int i = 0; i < n; ++i) {
      if (byte(random) < 90) {
        title += pieces[byte(random) % std::size(pieces)];
      } else {
        title += static_cast<char>(byte(random));
      }
    }
    std::set<std::string> keys;
    for (const std::string& name : names(title, urls[round % 3])) {
      ASSERT_TRUE(text::isValidUtf8(name));
      ASSERT_TRUE(keys.insert(ProjectMemory::key(name)).second) << name;
    }
  }
}

}  // namespace
}  // namespace qb
