#include <gtest/gtest.h>

#include <string>

#include "analysis/Moment.h"
#include "base/Text.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

Moment tab(std::string_view address, std::string_view title = "Docs") {
  return Moment(1, Date(), "Firefox", "org.mozilla.firefox", title, Url::parse(address));
}

Moment window(std::string_view title) {
  return Moment(2, Date(), "Terminal", "org.gnome.Terminal", title);
}

TEST(MomentTest, CleanRemovesBrowserNamesUnreadCountsAndControlsThenTrimsAndCuts) {
  std::string accented;  // 250 characters of two scalars each: the cut keeps whole ones
  for (int i = 0; i < 250; ++i) accented += "e\u0301";
  for (const auto& [raw, clean] : std::vector<std::pair<std::string, std::string>>{
           {"(3) Inbox - Google Chrome", "Inbox"},
           {"(99+) Feed \u2013 Mozilla Firefox \u2013 Private Browsing", "Feed"},
           {"Release notes - Safari", "Release notes"},
           {"Issue tracker \u2014 Mozilla Firefox", "Issue tracker"},
           {"Build log - Chromium", "Build log"},
           {"Why Safari is slow", "Why Safari is slow"},    // only a separated suffix
           {"Notes-Google Chrome", "Notes-Google Chrome"},  // names the browser
           {"(12) ", ""},
           {"(1234) Too many", "(1234) Too many"},
           {"Page (3) middle", "Page (3) middle"},
           {"a\tb\nc\r\x7f"
            "d",
            "abcd"},
           {"  \u00a0 spaced out \u3000 ", "spaced out"},
           {std::string(250, 'x'), std::string(200, 'x')},
           {accented, text::characterPrefix(accented, 200)},
           {std::string(1999, ' ') + "abc", "a"},  // the scalar cap comes before trimming
           {std::string(1990, ' ') + "abc", "abc"},
           {"ok\xff\xfe", "ok\uFFFD\uFFFD"},
           {std::string(100000, '('), std::string(200, '(')}}) {
    EXPECT_EQ(Moment::clean(raw), clean) << raw.substr(0, 40);
  }
}

TEST(MomentTest, CleanSurvivesHostileInput) {
  test::RandomInput random(20261206);
  const std::vector<std::string> pieces = {" - ", "Google Chrome", "(12) ", "\u2014", "\t"};
  for (int round = 0; round < 2000; ++round) {
    const std::string cleaned = Moment::clean(random.text(400, pieces));
    ASSERT_TRUE(text::isValidUtf8(cleaned));
    ASSERT_LE(text::characterCount(cleaned), 200u);
    // Trimmed before the cut, so only the start is sure to be free of blanks.
    ASSERT_EQ(cleaned + "x", text::trimmed(cleaned + "x"));
    ASSERT_EQ(cleaned.find('\t'), std::string::npos);
  }
}

TEST(MomentTest, HostScopeAndKey) {
  const Moment upper = tab("https://WWW.Example.COM/a?b=1");
  EXPECT_EQ(upper.host(), "example.com");
  EXPECT_EQ(upper.displayName(), "example.com");
  EXPECT_EQ(upper.scope(), "example.com");
  EXPECT_EQ(upper.key(), "org.mozilla.firefox|Docs|https://WWW.Example.COM/a?b=1");
  EXPECT_EQ(tab("https://www./").host(), "");  // emptiness is tested before the cut
  EXPECT_EQ(tab("file:///home/me/notes.txt").host(), std::nullopt);
  EXPECT_EQ(tab("https://www.www.example.com").host(), "www.example.com");
  EXPECT_EQ(tab("https://x.com/messages/123").scope(), "x.com/messages");

  const Moment app = window("make test");
  EXPECT_EQ(app.host(), std::nullopt);
  EXPECT_EQ(app.displayName(), "Terminal");
  EXPECT_EQ(app.scope(), "org.gnome.Terminal");
  EXPECT_EQ(app.key(), "org.gnome.Terminal|make test|");
}

TEST(MomentTest, NamesOnlyAppRecognisesBareTitles) {
  const Moment firefox = tab("about:newtab", "");
  for (const auto& [title, bare] : std::vector<std::pair<const char*, bool>>{
           {"", true},
           {"New Tab", true},
           {"Private Browsing", true},
           {"Mozilla Firefox", true},  // both words are in the bundle id
           {"Firefox 2024", true},     // digits alone never count
           {"New Tab - Recipes", false},
           {"Firefox v2", false}}) {  // "v2" holds a letter
    EXPECT_EQ(firefox.namesOnlyApp(title), bare) << title;
  }
  EXPECT_TRUE(window("Terminal").titleIsBare());
  EXPECT_FALSE(window("vim main.cpp").titleIsBare());
}

TEST(MomentTest, ConstructorCleansTheTitleAndRepairsText) {
  const Moment moment(7, Date(), "App\xff", "id\xc3", "(2) Hello\t!", std::nullopt,
                      std::string("doc\xe2\x82"), std::string("page\xff"));
  EXPECT_EQ(moment.title, "Hello!");
  EXPECT_EQ(moment.appName, "App\uFFFD");
  EXPECT_EQ(moment.bundleID, "id\uFFFD");
  EXPECT_EQ(moment.document, "doc\uFFFD");
  EXPECT_EQ(moment.pageText, "page\uFFFD");
}

TEST(AgentSessionTest, ProjectAndTask) {
  const AgentSession slug("agent", "/home/me/src/quill/", "fix-login-bug", Date(), true);
  EXPECT_EQ(slug.project, "quill");
  EXPECT_EQ(slug.task(), "fix login bug");
  const AgentSession words("agent", "/srv", "Fix the log-in bug", Date(), false, "named");
  EXPECT_EQ(words.project, "named");
  EXPECT_EQ(words.task(), "Fix the log-in bug");
  for (const char* path : {"/", "", "relative"}) EXPECT_EQ(lastPathComponent(path), path);
}

}  // namespace
}  // namespace qb
