#include <gtest/gtest.h>

#include <limits>
#include <regex>
#include <string>
#include <vector>

#include "base/Json.h"
#include "recording/RecorderTestSupport.h"

namespace qb::test {
namespace {

constexpr uint32_t kMax = std::numeric_limits<uint32_t>::max();

Date at(double seconds) { return Date{seconds}; }

using RecorderSessionsTest = RecorderTest;

TEST_F(RecorderSessionsTest, MomentEndsWithItsTotalsAndOneBinPerTick) {
  recorder().start(session());
  recorder().begin(moment(1, 1000), {10, kMax - 1, 30, 40});
  recorder().tick({15, kMax - 1, 31, 40}, false, at(1030));
  recorder().tick({15, 3, 31, 50}, true, at(1060.5));
  recorder().end(at(1075), {20, 3, 31, 50});
  EXPECT_EQ(rows("SELECT ended, keys, clicks, scrolls, moves, ticks, media FROM moments"),
            (Rows{{unix(1075), SqlValue(10), SqlValue(5), SqlValue(1), SqlValue(10),
                   text("[[30,5,0,1,0],[61,0,5,0,10],[75,5,0,0,0]]"), SqlValue(1)}}));
}

TEST_F(RecorderSessionsTest, MomentWithoutTicksGetsOneBinAndNoMediaAndTheNextBeginEndsIt) {
  recorder().start(session());
  recorder().begin(moment(1, 1000), {0, 0, 0, 0});
  recorder().begin(moment(2, 1012.4), {4, 0, 0, 0});
  EXPECT_EQ(rows("SELECT id, ended, keys, ticks, media FROM moments ORDER BY rowid"),
            (Rows{{SqlValue(1), unix(1012.4), SqlValue(4), text("[[12,4,0,0,0]]"), SqlValue()},
                  {SqlValue(2), SqlValue(), SqlValue(), SqlValue(), SqlValue()}}));
}

TEST_F(RecorderSessionsTest, ExcludedMomentKeepsOnlyItsTimesAndMedia) {
  recorder().start(session());
  recorder().begin(MomentRecord::excludedAt(at(1000)), {1, 1, 1, 1});
  recorder().tick({5, 5, 5, 5}, true, at(1030));
  recorder().end(at(1040), {9, 9, 9, 9});
  EXPECT_EQ(rows("SELECT id, started, ended, app, title, excluded, keys, moves, ticks, media "
                 "FROM moments"),
            (Rows{{SqlValue(), unix(1000), unix(1040), SqlValue(), SqlValue(), SqlValue(1),
                   SqlValue(), SqlValue(), SqlValue(), SqlValue()}}));
}

TEST_F(RecorderSessionsTest, MomentRowHoldsEveryFieldOfItsRecord) {
  recorder().start(session());
  Moment page(7, at(1000), "Firefox", "firefox", "Docs", Url::parse("https://www.docs.example/a#x"),
              "doc");
  page.agent = AgentSession("Codex", "/src/app", "fix-login", at(900), true);
  MomentRecord record(page);
  record.browser = "Browser";
  record.tab = "3/2";
  record.cause = "switch";
  record.readTime = 0.0125;
  record.idle = 4.5;
  record.fullScreen = false;
  record.frame = MomentRecord::Rect{10.4, -19.6, 1440, 900};
  record.displays = 2;
  record.readVia = "accessibility";
  record.appCategory = "public.app-category.productivity";
  record.windowShare = std::vector<double>{0.5, 0.25};
  record.agentRepository = true;
  recorder().begin(record, {});
  EXPECT_EQ(
      rows("SELECT session, id, started, app, bundle_id, title, url, host, document, browser, "
           "tab, cause, read_ms, idle, full_screen, frame, displays, agent, agent_task, "
           "excluded, read_via, app_category, window_share, agent_repository FROM moments"),
      (Rows{{SqlValue(1),
             SqlValue(7),
             unix(1000),
             text("Firefox"),
             text("firefox"),
             text("Docs"),
             SqlValue(*record.url),
             text("docs.example"),
             text("doc"),
             text("Browser"),
             text("3/2"),
             text("switch"),
             SqlValue(12.5),
             SqlValue(4.5),
             SqlValue(0),
             text("[10,-20,1440,900]"),
             SqlValue(2),
             text("Codex"),
             text("fix-login"),
             SqlValue(0),
             text("accessibility"),
             text("public.app-category.productivity"),
             text("[0.5,0.25]"),
             SqlValue(1)}}));
}

TEST_F(RecorderSessionsTest, NothingIsWrittenWhileNoSessionIsCurrent) {
  recorder().begin(moment(1, 1000), {});
  recorder().tick({5, 0, 0, 0}, true, at(1030));
  recorder().end(at(1040), {6, 0, 0, 0});
  recorder().begin(MomentRecord::excludedAt(at(1050)), {});
  system("sleep", 1);
  EXPECT_EQ(count("moments") + count("system") + count("sessions"), 0);
  EXPECT_EQ(timers_.pending(), 0u);
}

TEST_F(RecorderSessionsTest, StopCommitsTheEndedMomentAndLaterMomentsWaitForTheNextStart) {
  recorder().start(session());
  recorder().begin(moment(1, 1000), {});
  recorder().stop(at(1010), {2, 0, 0, 0});
  recorder().begin(moment(2, 1020), {});
  recorder().tick({3, 0, 0, 0}, false, at(1030));
  recorder().start(session(1100));
  recorder().begin(moment(3, 1100), {});
  EXPECT_EQ(rows("SELECT session, id, ended, keys FROM moments ORDER BY rowid"),
            (Rows{{SqlValue(1), SqlValue(1), unix(1010), SqlValue(2)},
                  {SqlValue(2), SqlValue(3), SqlValue(), SqlValue()}}));
}

TEST_F(RecorderSessionsTest, StartingWhileASessionIsCurrentEndsItsOpenMoment) {
  recorder().start(session());
  recorder().begin(moment(1, 1000), {0, 0, 0, 0});
  recorder().tick({6, 0, 0, 0}, true, at(1030));
  recorder().start(session(1100));
  recorder().begin(moment(1, 1100), {0, 0, 0, 0});
  // The counters were not read at the new start: the totals stay unknown, the bins read stay.
  EXPECT_EQ(rows("SELECT session, ended, keys, ticks, media FROM moments ORDER BY rowid"),
            (Rows{{SqlValue(1), unix(1100), SqlValue(), text("[[30,6,0,0,0]]"), SqlValue(1)},
                  {SqlValue(2), SqlValue(), SqlValue(), SqlValue(), SqlValue()}}));
}

TEST_F(RecorderSessionsTest, SessionRowCarriesItsRecordAndAFreshIdentifier) {
  SessionRecord record = session(1000);
  record.policy.globalCooldown = 42;
  recorder().start(record);
  recorder().stop(at(1050), {});
  recorder().start(session(1100));
  const auto found = rows(
      "SELECT id, started, app_version, model, analyzer, policy, os, mac, observation, "
      "schema_revision, uid FROM sessions ORDER BY id");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(Reader::Row(found[0].begin(), found[0].begin() + 10),
            (Reader::Row{SqlValue(1), unix(1000), text("1.2.3"), SqlValue(),
                         SqlValue(Recorder::json(record.analyzer.toJson())),
                         SqlValue(Recorder::json(record.policy.toJson())), text("Linux test"),
                         text("Test machine"), SqlValue(1), SqlValue()}));
  EXPECT_NE(found[0][5], found[1][5]);  // the cooldown changed
  const std::regex uuid("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
  for (const auto& row : found) {
    EXPECT_TRUE(std::regex_match(std::get<std::string>(row[10].storage()), uuid));
  }
  EXPECT_NE(found[0][10], found[1][10]);
}

TEST_F(RecorderSessionsTest, ModelIsNullAfterEachStartUntilItIsNamed) {
  recorder().modelLoaded("before");
  recorder().start(session());
  system("launch");
  EXPECT_EQ(rows("SELECT model FROM sessions"), (Rows{{SqlValue()}}));
  recorder().modelLoaded("rev-2");
  EXPECT_EQ(rows("SELECT model FROM sessions"), (Rows{{text("rev-2")}}));
  recorder().start(session(1100));
  EXPECT_EQ(rows("SELECT model FROM sessions ORDER BY id"), (Rows{{text("rev-2")}, {SqlValue()}}));
}

TEST_F(RecorderSessionsTest, TextIsCutToItsCharactersAndNeverKeptForMessaging) {
  recorder().start(session());
  Moment page(1, at(1000), "Firefox", "firefox", "Article", Url::parse("https://news.example/a"));
  Moment mail(2, at(1010), "Firefox", "firefox", "Inbox", Url::parse("https://mail.google.com/"));
  recorder().begin(MomentRecord(page), {});
  recorder().begin(MomentRecord(mail), {});
  std::string longPage;
  for (int i = 0; i < 5000; ++i) longPage += (i % 2 ? "e\xCC\x81" : "\xC3\xA9");  // é both ways
  const PageShape shape{1, 2, 3, 4, 5000, 60, true};
  recorder().text(page, longPage, std::string(700, 'f'), shape, "AXTextArea", 0.25);
  recorder().text(mail, "a private mail", "reply", PageShape(), "AXTextArea", 0.1);
  EXPECT_EQ(rows("SELECT page_text, focused_text, page_shape, focused_role, text_ms FROM moments "
                 "ORDER BY rowid"),
            (Rows{{SqlValue(longPage.substr(0, 500 * (2 + 3))),  // 1000 characters of 2 and 3 bytes
                   SqlValue(std::string(500, 'f')), SqlValue(json::dump(shape.toJson())),
                   text("AXTextArea"), SqlValue(250.0)},
                  {SqlValue(), SqlValue(), SqlValue(), SqlValue(), SqlValue()}}));
}

}  // namespace
}  // namespace qb::test
