#include <gtest/gtest.h>

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
  // Only a separated suffix names the browser; the scalar cap comes before trimming.
  // clang-format off
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"(3) Inbox - Google Chrome", "Inbox"}, {"Release notes - Safari", "Release notes"},
      {"(99+) Feed \u2013 Mozilla Firefox \u2013 Private Browsing", "Feed"},
      {"Issue tracker \u2014 Mozilla Firefox", "Issue tracker"},
      {"Build log - Chromium", "Build log"}, {"Notes-Google Chrome", "Notes-Google Chrome"},
      {"Why Safari is slow", "Why Safari is slow"}, {"(12) ", ""},
      {"(1234) Too many", "(1234) Too many"}, {"Page (3) middle", "Page (3) middle"},
      {"a\tb\nc\r\x7f" "d", "abcd"}, {"  \u00a0 spaced out \u3000 ", "spaced out"},
      {std::string(250, 'x'), std::string(200, 'x')},
      {accented, text::characterPrefix(accented, 200)},
      {std::string(1999, ' ') + "abc", "a"}, {std::string(1990, ' ') + "abc", "abc"},
      {"ok\xff\xfe", "ok\uFFFD\uFFFD"}, {std::string(100000, '('), std::string(200, '(')}};
  // clang-format on
  for (const auto& [raw, clean] : cases) EXPECT_EQ(Moment::clean(raw), clean) << raw.substr(0, 60);
}

TEST(MomentTest, CleanSurvivesHostileInput) {
  test::RandomInput random(20261206);
  for (int round = 0; round < 2000; ++round) {
    const std::string clean =
        Moment::clean(random.text(400, {" - ", "Google Chrome", "(12) ", "\t"}));
    ASSERT_TRUE(text::isValidUtf8(clean));
    ASSERT_LE(text::characterCount(clean), 200u);
    // Trimmed before the cut, so only the start is sure to be free of blanks.
    ASSERT_EQ(clean + "x", text::trimmed(clean + "x"));
    ASSERT_EQ(clean.find('\t'), std::string::npos);
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
  // Words of the name or the bundle id, and numbers, are bare; "v2" holds a letter.
  for (const char* bare : {"", "New Tab", "Private Browsing", "Mozilla Firefox", "Firefox 2024"}) {
    EXPECT_TRUE(tab("about:newtab").namesOnlyApp(bare)) << bare;
  }
  for (const char* named : {"New Tab - Recipes", "Firefox v2"}) {
    EXPECT_FALSE(tab("about:newtab").namesOnlyApp(named)) << named;
  }
  EXPECT_TRUE(window("Terminal").titleIsBare());
  EXPECT_FALSE(window("vim main.cpp").titleIsBare());
}

TEST(MomentTest, ConstructorCleansTheTitleAndRepairsText) {
  const Moment moment(7, Date(), "App\xff", "id\xc3", "(2) Hello\t!", std::nullopt,
                      std::string("doc\xe2\x82"), std::string("page\xff"));
  EXPECT_EQ(moment.title, "Hello!");
  EXPECT_EQ(moment.appName + moment.bundleID, "App\uFFFDid\uFFFD");
  EXPECT_EQ(*moment.document + *moment.pageText, "doc\uFFFDpage\uFFFD");
}

TEST(AgentSessionTest, ProjectAndTask) {
  const AgentSession slug("agent", "/home/me/src/quill/", "fix-login-bug", Date(), true);
  EXPECT_EQ(slug.project + "/" + slug.task(), "quill/fix login bug");
  const AgentSession words("agent", "/srv", "Fix the log-in bug", Date(), false, "named");
  EXPECT_EQ(words.project + "/" + words.task(), "named/Fix the log-in bug");
  for (const char* path : {"/", "", "relative"}) EXPECT_EQ(lastPathComponent(path), path);
}

}  // namespace
}  // namespace qb
