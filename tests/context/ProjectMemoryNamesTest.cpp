#include <gtest/gtest.h>

#include "analysis/Moment.h"
#include "base/Text.h"
#include "context/ProjectMemory.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

using Names = std::vector<std::string>;
using Found = std::optional<std::string>;

Names names(std::string_view title, std::string_view url = {}, std::string_view app = "Editor X") {
  std::optional<Url> address;
  if (!url.empty()) address = Url::parse(url);
  return ProjectMemory::names(
      Moment(1, Date::fromReference(7e8), app, "org.example.app", title, address));
}

TEST(ProjectMemoryNamesTest, KeysWordsMentionsAndDomains) {
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  // clang-format off
  // Keys keep letters and numbers of every script (superscript two, one half, a Roman numeral,
  // Arabic-Indic three); composed and decomposed spellings are one key.
  for (const auto& [name, key] : Pairs{
           {"ABC-123", "abc123"}, {"-- !? //", ""}, {"bad \xff bytes", "badbytes"},
           {"\u00c9cole Normale", "\u00e9colenormale"}, {"E\u0301cole", "\u00e9cole"},
           {"x\u00b2 \u00bd \u216b \u0663", "x\u00b2\u00bd\u217b\u0663"},
           {"\u041f\u0440\u043e\u0435\u043a\u0442 \u4e00",
            "\u043f\u0440\u043e\u0435\u043a\u0442\u4e00"}}) {
    EXPECT_EQ(ProjectMemory::key(name), key) << name;
  }
  // Up to five whole words, joined, must equal the key.
  using Mentions = std::vector<std::tuple<std::string, std::string, bool>>;
  for (const auto& [title, key, mentioned] : Mentions{
           {"Widget Service - Docs", "widgetservice", true}, {"a b c d e f", "abcde", true},
           {"Widget Servicing", "widgetservice", false}, {"a b c d e f", "bcdef", true},
           {"Widgets Service", "widgetservice", false}, {"a b c d e f", "abcdef", false},
           {"", "atlas", false}, {"atlas", "", false}, {"E\u0301COLE plan", "\u00e9cole", true}}) {
    EXPECT_EQ(ProjectMemory::mentions(title, key), mentioned) << title << " " << key;
  }
  // The registrable labels: two, or three under a listed second-level label of a country.
  for (const auto& [host, domain] : Pairs{
           {"a.b.example.com", "example.com"}, {"news.bbc.co.uk", "bbc.co.uk"}, {"co.uk", "co.uk"},
           {"Docs.Example.AC.JP", "example.ac.jp"}, {"a..example.com.", "example.com"},
           {"localhost", "localhost"}, {"...", ""}}) {
    EXPECT_EQ(ProjectMemory::domain(host), domain);
  }
  // clang-format on
  EXPECT_EQ(ProjectMemory::words("Don't stop_now -- OK?"),
            (Names{"don", "t", "stop", "now", "ok"}));
  EXPECT_EQ(ProjectMemory::words("a 1 \u00c9t\u00e9.x"), (Names{"a", "1", "\u00e9t\u00e9", "x"}));
}

TEST(ProjectMemoryNamesTest, NamesInTitlesAndAddresses) {
  const std::string tail = " is on the list for the whole team";  // too long to be a title part
  const std::string lms = "https://lms.example.edu/courses/";
  const std::string reading = "Week three reading list for the class";
  const std::string a40(40, 'a');
  struct Case {
    std::string title;
    Names expected;
    std::string address = {};
    std::string app = "Editor X";
  };
  // clang-format off
  const std::vector<Case> cases = {
      // Without an address a file name goes while a folder's name stays; only file names: none is
      // removed, and the last extension is cut (a generic name once cut goes).
      {"index.html \u2014 atlas", {"atlas"}}, {"Quarterly report.docx", {"Quarterly report"}},
      {"notes.txt", {}}, {"Report.final.docx", {"Report.final"}},
      {"R\u00e9sum\u00e9.\u00e9t\u00e9", {"R\u00e9sum\u00e9"}},
      {"R\u00e9sum\u00e9.\u00e9t\u00e9 - Plan.\u00e9bauche", {"Plan.\u00e9bauche"}},
      {"Budget v2.xlsx - Budget review", {"Budget v2", "Budget review"}},
      // Extensions that are no extensions; with an address, one is only ever cut.
      {".gitignore - dotfiles", {".gitignore", "dotfiles"}}, {"Build 2.5", {"Build 2.5"}},
      {"notes.backup2024x", {"notes.backup2024x"}},
      {"atlas.md - Viewer", {"atlas", "Viewer"}, "https://example.org/x"},
      // Separators; a hyphen inside a word, or a colon without a blank after it, is none; blanks
      // of any width are trimmed.
      {"Alpha [Beta] (Gamma) <Delta>", {"Alpha", "Beta", "Gamma", "Delta"}},
      {"Alpha \u00b7 Beta \u2022 Gamma | Delta \u2013 E", {"Alpha", "Beta", "Gamma", "Delta", "E"}},
      {"Alpha::Beta: Gamma", {"Alpha", "Beta", "Gamma"}}, {"Self-hosted", {"Self-hosted"}},
      {"12:30 standup", {"12:30 standup"}}, {"Alpha (\u2003Beta\u00a0)", {"Alpha", "Beta"}},
      // Ticket keys come first, years are no tickets, two spellings of one ticket are one.
      {"ABC 123: Fix login", {"ABC 123", "Fix login"}}, {"FY 2024" + tail, {}},
      {"FY 1999" + tail, {}},
      {"FY 2024Q" + tail, {"FY 2024Q"}}, {"FY 202" + tail, {"FY 202"}},
      {"FY 1850" + tail, {"FY 1850"}}, {"Abc 123" + tail, {}},
      {"QA 4521B and ABC123 and XY 12" + tail, {"QA 4521B", "ABC123", "XY 12"}},
      {"ABC123 and ABC 123" + tail, {"ABC123"}},
      // Course codes from the title and the path.
      {"hist204 essay", {"HIST204", "hist204 essay"}}, {reading, {"CS101B"}, lms + "cs101b/pages"},
      {reading, {}, lms + "cs1010/pages"},
      // A title part is at most five words and 40 characters, and not generic or numbers.
      {"one two three four five six", {}}, {"one two three four five", {"one two three four five"}},
      {a40 + "a", {}}, {a40, {a40}}, {"12345 | 2024", {}},
      {"\u0663\u0664\u0665 | \u00e9t\u00e9", {"\u00e9t\u00e9"}}, {"me@example | src/atlas", {}},
      {"Inbox", {}}, {"New Tab", {}},
      // Words of four or more characters of the application's name keep a part out; the site's
      // own name is dropped, but a key of three characters stays.
      {"Studio plan | UX plan", {"UX plan"}, "", "UX Studio"},
      {"Atlas | Roadmap", {"Roadmap"}, "https://atlas.example.com/roadmap"},
      {"ABC | Roadmap", {"ABC", "Roadmap"}, "https://abcdef.example.com/roadmap"},
      // A code-hosting repository comes last; a title part of the same key replaces it.
      {"Fix parser", {"Fix parser", "atlas"}, "https://github.com/owner/atlas/pulls/12"},
      {"ATLAS", {"ATLAS"}, "https://gitlab.com/owner/atlas"}};
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(names(c.title, c.address, c.app), c.expected) << c.title;
}

TEST(ProjectMemoryNamesTest, RepositoriesAndAssistantProjects) {
  // clang-format off
  const std::vector<std::pair<std::string, Found>> repositories = {
      {"https://www.GitHub.com/Owner/Atlas%20Two/tree", "Atlas Two"},
      {"https://github.com/settings/profile", {}}, {"https://github.com/Pulls/x", {}},
      {"https://github.com/owner", {}}, {"https://gist.github.com/owner/atlas", {}},
      {"https://example.com/owner/atlas", {}}, {"file:///owner/atlas", {}}};
  // clang-format on
  for (const auto& [address, name] : repositories) {
    EXPECT_EQ(ProjectMemory::repository(Url::parse(address)), name) << address;
  }
  EXPECT_EQ(ProjectMemory::repository(std::nullopt), std::nullopt);

  // Only lower-case hex of 32 digits, and only the first segment of that form.
  const std::string hex(32, 'a'), host = ProjectMemory::assistantHost();
  const std::string base = "https://" + host + "/g/";
  // clang-format off
  const std::vector<std::pair<std::string, Found>> projects = {
      {base + "g-p-" + hex + "-Thesis%20plan/project", "Thesis plan"},
      {"https://www." + host + "/g/g-p-0123456789abcdef0123456789abcdef-x-y", "x-y"},
      {base + "g-p-" + std::string(32, 'A') + "-Plan", {}},
      {base + "g-p-" + std::string(31, 'a') + "-Plan", {}},
      {base + "g-p-bad/g-p-" + hex + "-Plan", {}},
      {"https://example.com/g/g-p-" + hex + "-Plan", {}}};
  // clang-format on
  for (const auto& [address, name] : projects) {
    EXPECT_EQ(ProjectMemory::assistantProject(Url::parse(address)), name) << address;
  }
  EXPECT_EQ(ProjectMemory::assistantProject(std::nullopt), std::nullopt);
}

TEST(ProjectMemoryNamesTest, ABrowsersOwnPagesNameNoProject) {
  // A title that names a project on any page of the user's.
  const std::string title = "Atlas roadmap | Release plan";
  for (const std::string address :
       {"chrome://new-tab-page-third-party/", "CHROME://settings/", "chrome-untrusted://print/",
        "chrome-search://local-ntp/", "chrome-extension://abcdefgh/popup.html",
        "devtools://devtools/bundled/inspector.html", "edge://newtab/", "brave://settings/",
        "vivaldi://startpage/", "opera://settings/", "about:newtab", "about:addons",
        "moz-extension://0f1e2d3c/page.html", "resource://gre/modules/"}) {
    SCOPED_TRACE(address);
    EXPECT_TRUE(ProjectMemory::isBrowserPage(Url::parse(address)));
    EXPECT_EQ(names(title, address, "Chromium"), Names{});
  }
  for (const std::string address :
       {"https://atlas.example/", "http://chrome.example/", "file:///home/ada/plan.html"}) {
    SCOPED_TRACE(address);
    EXPECT_FALSE(ProjectMemory::isBrowserPage(Url::parse(address)));
    EXPECT_EQ(names(title, address), (Names{"Atlas roadmap", "Release plan"}));
  }
  EXPECT_FALSE(ProjectMemory::isBrowserPage(std::nullopt));
}

TEST(ProjectMemoryNamesTest, AnyTitleGivesDistinctValidNames) {
  test::RandomInput random(2103);
  // clang-format off
  const std::vector<std::string> pieces = {
      " - ", ": ", "::", "[", ")", ".md", "ABC 123", "cs101", "\u2014", " \u00b7 ", "2024",
      "Atlas", "\u00a0", ".docx", "Caf\u00e9", "e\u0301", "\u0663x", "\u0D4E"};
  // clang-format on
  const char* urls[] = {"", "https://github.com/o/r", "https://docs.example.com/cs101/x"};
  for (int round = 0; round < 400; ++round) {
    const std::string title = random.text(120, pieces);
    std::set<std::string> keys;
    for (const std::string& name : names(title, urls[round % 3])) {
      ASSERT_TRUE(text::isValidUtf8(name));
      ASSERT_TRUE(keys.insert(ProjectMemory::key(name)).second) << name;
    }
  }
}

}  // namespace
}  // namespace qb
