#include <gtest/gtest.h>

#include <random>
#include <string>

#include "analysis/Moment.h"
#include "base/Text.h"

namespace qb {
namespace {

Moment browserMoment(std::string_view title, std::string_view address,
                     std::string_view app = "Firefox", std::string_view bundle = "firefox") {
  return Moment(1, Date::fromReference(0), app, bundle, title, Url::parse(address));
}

Moment appMoment(std::string_view title, std::string_view app = "Terminal",
                 std::string_view bundle = "org.gnome.Terminal") {
  return Moment(2, Date::fromReference(0), app, bundle, title);
}

TEST(MomentTest, CleanRemovesBrowserNamesAndUnreadCounts) {
  EXPECT_EQ(Moment::clean("(3) Inbox - Google Chrome"), "Inbox");
  EXPECT_EQ(Moment::clean("(99+) Feed \u2013 Mozilla Firefox \u2013 Private Browsing"), "Feed");
  EXPECT_EQ(Moment::clean("Release notes - Safari"), "Release notes");
  EXPECT_EQ(Moment::clean("Issue tracker \u2014 Mozilla Firefox"), "Issue tracker");
  EXPECT_EQ(Moment::clean("Build log - Chromium"), "Build log");
  // Only a separated suffix names the browser.
  EXPECT_EQ(Moment::clean("Why Safari is slow"), "Why Safari is slow");
  EXPECT_EQ(Moment::clean("Notes-Google Chrome"), "Notes-Google Chrome");
  EXPECT_EQ(Moment::clean("(12) "), "");
  EXPECT_EQ(Moment::clean("(1234) Too many"), "(1234) Too many");
  EXPECT_EQ(Moment::clean("Page (3) middle"), "Page (3) middle");
}

TEST(MomentTest, CleanDropsControlsTrimsAndCuts) {
  EXPECT_EQ(Moment::clean("a\tb\nc\r\x7f"
                          "d"),
            "abcd");
  EXPECT_EQ(Moment::clean("  \u00a0 spaced out \u3000 "), "spaced out");
  EXPECT_EQ(Moment::clean(std::string(250, 'x')), std::string(200, 'x'));
  // 200 characters, each of two scalars: the cut keeps whole characters.
  std::string accented;
  for (int i = 0; i < 250; ++i) accented += "e\u0301";
  EXPECT_EQ(text::characterCount(Moment::clean(accented)), 200u);
  // The scalar cap comes before trimming: of 1999 blanks and "abc" only "a" survives.
  EXPECT_EQ(Moment::clean(std::string(1999, ' ') + "abc"), "a");
  EXPECT_EQ(Moment::clean(std::string(1990, ' ') + "abc"), "abc");
}

TEST(MomentTest, CleanSurvivesHostileInput) {
  EXPECT_EQ(Moment::clean("ok\xff\xfe"), "ok\uFFFD\uFFFD");
  EXPECT_EQ(Moment::clean(std::string(100000, '(')), std::string(200, '('));
  std::mt19937 random(20261206);
  std::uniform_int_distribution<int> byte(0, 255), length(0, 400);
  const std::string pieces[] = {" - ", "Google Chrome", "(12) ", "\u2014",
                                "\t",  "\xe2\x80",      "\xf0"};
  for (int round = 0; round < 2000; ++round) {
    std::string input;
    int n = length(random);
    for (int i = 0; i < n; ++i) {
      if (byte(random) < 40) {
        input += pieces[byte(random) % std::size(pieces)];
      } else {
        input += static_cast<char>(byte(random));
      }
    }
    std::string cleaned = Moment::clean(input);
    ASSERT_TRUE(text::isValidUtf8(cleaned));
    ASSERT_LE(text::characterCount(cleaned), 200u);
    // Trimmed before the cut, so only the start is sure to be free of blanks.
    ASSERT_EQ(cleaned + "x", text::trimmed(cleaned + "x"));
    ASSERT_EQ(cleaned.find('\t'), std::string::npos);
  }
}

TEST(MomentTest, HostScopeAndKey) {
  Moment upper = browserMoment("Docs", "https://WWW.Example.COM/a?b=1");
  EXPECT_EQ(upper.host(), "example.com");
  EXPECT_EQ(upper.displayName(), "example.com");
  EXPECT_EQ(upper.scope(), "example.com");
  EXPECT_EQ(upper.key(), "firefox|Docs|https://WWW.Example.COM/a?b=1");

  // Emptiness is tested before the prefix is cut.
  EXPECT_EQ(browserMoment("x", "https://www./").host(), "");
  EXPECT_EQ(browserMoment("x", "file:///home/me/notes.txt").host(), std::nullopt);
  EXPECT_EQ(browserMoment("x", "https://www.www.example.com").host(), "www.example.com");

  Moment app = appMoment("make test");
  EXPECT_EQ(app.host(), std::nullopt);
  EXPECT_EQ(app.displayName(), "Terminal");
  EXPECT_EQ(app.scope(), "org.gnome.Terminal");
  EXPECT_EQ(app.key(), "org.gnome.Terminal|make test|");

  EXPECT_EQ(browserMoment("DMs", "https://x.com/messages/123").scope(), "x.com/messages");
}

TEST(MomentTest, NamesOnlyAppRecognisesBareTitles) {
  Moment firefox = browserMoment("", "about:newtab", "Firefox", "org.mozilla.firefox");
  EXPECT_TRUE(firefox.namesOnlyApp(""));
  EXPECT_TRUE(firefox.namesOnlyApp("New Tab"));
  EXPECT_TRUE(firefox.namesOnlyApp("Private Browsing"));
  EXPECT_TRUE(firefox.namesOnlyApp("Mozilla Firefox"));  // both words are in the bundle id
  EXPECT_TRUE(firefox.namesOnlyApp("Firefox 2024"));     // digits alone never count
  EXPECT_FALSE(firefox.namesOnlyApp("New Tab - Recipes"));
  EXPECT_FALSE(firefox.namesOnlyApp("Firefox v2"));  // "v2" holds a letter
  EXPECT_TRUE(appMoment("Terminal").titleIsBare());
  EXPECT_FALSE(appMoment("vim main.cpp").titleIsBare());
}

TEST(MomentTest, ConstructorCleansTitleAndRepairsText) {
  Moment moment(7, Date::fromReference(5), "App\xff", "id\xc3", "(2) Hello\t!", std::nullopt,
                std::string("doc\xe2\x82"), std::nullopt);
  EXPECT_EQ(moment.title, "Hello!");
  EXPECT_EQ(moment.appName, "App\uFFFD");
  EXPECT_EQ(moment.bundleID, "id\uFFFD");
  EXPECT_EQ(moment.document, "doc\uFFFD");
  EXPECT_EQ(moment.agent, std::nullopt);

  Moment same = moment;
  EXPECT_EQ(same, moment);
  same.pageText = "";
  EXPECT_NE(same, moment);  // an empty page text is not an absent one
}

TEST(AgentSessionTest, ProjectAndTask) {
  AgentSession slug("agent", "/home/me/src/quill/", "fix-login-bug", Date(), true);
  EXPECT_EQ(slug.project, "quill");
  EXPECT_EQ(slug.task(), "fix login bug");
  AgentSession words("agent", "/srv", "Fix the log-in bug", Date(), false, "named");
  EXPECT_EQ(words.project, "named");
  EXPECT_EQ(words.task(), "Fix the log-in bug");
  EXPECT_EQ(lastPathComponent("/"), "/");
  EXPECT_EQ(lastPathComponent(""), "");
  EXPECT_EQ(lastPathComponent("relative"), "relative");
}

}  // namespace
}  // namespace qb
