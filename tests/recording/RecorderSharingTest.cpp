#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Json.h"
#include "recording/RecorderTestSupport.h"
#include "recording/Sharing.h"

namespace qb::test {
namespace {

// Unix seconds of "now" in these tests: long after the sessions the fixture records.
constexpr double kNow = 2'000'000'000;

class RecorderSharingTest : public RecorderTest {
protected:
  std::vector<Recorder::ShareBatch> pending(double now = kNow, int64_t limit = 500) {
    return recorder()
        .pendingShares(limit, "I-1", {"Anna"}, Calendar::inZone("UTC"), Date::fromUnix(now))
        .get();
  }
  const Recorder::ShareBatch* batch(const std::vector<Recorder::ShareBatch>& batches,
                                    std::string_view table) {
    for (const auto& b : batches) {
      if (b.table == table) return &b;
    }
    return nullptr;
  }
  Rows cursors() { return rows("SELECT name, last FROM shared ORDER BY name"); }
  // Rows written behind the recorder's back, as a share query would find them.
  void insert(const std::string& sql) {
    flush();
    Reader(path_).exec(sql);
  }
  void moments(int count, double ended) {
    std::string sql = "BEGIN;";
    for (int i = 0; i < count; ++i) {
      sql += "INSERT INTO moments (session, id, started, ended, app) VALUES (1, " +
             std::to_string(nextMoment_++) + ", " + std::to_string(ended - 1) + ", " +
             std::to_string(ended) + ", 'Editor');";
    }
    insert(sql + "COMMIT;");
  }
  // Session 1 ended; session 2 current.
  void twoSessions() {
    recorder().start(session());
    recorder().stop(Date{1100}, {});
    recorder().start(session(1200));
  }

  uint64_t nextMoment_ = 100;
};

TEST_F(RecorderSharingTest, WithSharingOffNothingIsPending) {
  twoSessions();
  system("launch");
  EXPECT_THAT(pending(), ::testing::IsEmpty());
}

TEST_F(RecorderSharingTest, CursorsStartAtTheEndButBeforeTheCurrentSession) {
  twoSessions();
  system("launch");
  system("sleep");
  recorder().startSharing().get();
  Rows expected;
  for (std::string_view table : Sharing::tables) {
    int64_t last = table == "sessions" ? 1 : table == "system" ? 2 : 0;
    expected.push_back({SqlValue(table), SqlValue(last)});
  }
  std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) {
    return std::get<std::string>(a[0].storage()) < std::get<std::string>(b[0].storage());
  });
  EXPECT_EQ(cursors(), expected);
  // Again, later: the cursors that exist stay.
  system("wake");
  recorder().startSharing().get();
  EXPECT_EQ(cursors(), expected);

  const auto batches = pending();
  ASSERT_EQ(batches.size(), 2u);
  EXPECT_EQ(batches[0].table, "sessions");
  EXPECT_EQ(batches[0].count, 1);
  EXPECT_EQ(batches[0].last, 2);
  EXPECT_EQ(batches[1].table, "system");
  EXPECT_EQ(batches[1].last, 3);
  const Json wake = json::parse(batches[1].body).at(0);
  EXPECT_EQ(wake["event"], "wake");
  EXPECT_EQ(wake["install"], "I-1");
  EXPECT_EQ(wake["seq"], 3);

  recorder().stopSharing().get();
  EXPECT_THAT(cursors(), ::testing::IsEmpty());
}

TEST_F(RecorderSharingTest, AMomentWaitsUntilItHasSettled) {
  twoSessions();
  recorder().startSharing().get();
  moments(1, kNow - 61);
  moments(1, kNow - 30);  // holds back the ones after it too
  moments(1, kNow - 100);
  auto batches = pending();
  ASSERT_NE(batch(batches, "moments"), nullptr);
  EXPECT_EQ(batch(batches, "moments")->count, 1);
  EXPECT_EQ(batch(batches, "moments")->last, 1);
  batches = pending(kNow + 31);
  EXPECT_EQ(batch(batches, "moments")->count, 3);
}

TEST_F(RecorderSharingTest, AnOpenMomentWaitsOnlyInTheCurrentSession) {
  twoSessions();
  recorder().startSharing().get();
  insert("INSERT INTO moments (session, id, started, app) VALUES (1, 1, 1050, 'Editor')");
  recorder().begin(moment(2, 1210), {});
  flush();
  auto batches = pending();
  ASSERT_NE(batch(batches, "moments"), nullptr);
  EXPECT_EQ(batch(batches, "moments")->last, 1);
  recorder().stop(Date{1300}, {});
  batches = pending();
  EXPECT_EQ(batch(batches, "moments")->last, 2);
}

TEST_F(RecorderSharingTest, APromptWithoutItsSequelHoldsBackTheLaterOnes) {
  twoSessions();
  recorder().startSharing().get();
  // Shown just now: B's sequel is not noted yet.
  const std::string shown = std::to_string(clock_.now().unixTime() - 10);
  insert("INSERT INTO prompts (id, session, shown_at, followed_by) VALUES ('A', 2, " + shown +
         ", '[]');"
         "INSERT INTO prompts (id, session, shown_at) VALUES ('B', 2, " +
         shown +
         ");"
         "INSERT INTO prompts (id, session, shown_at, followed_by) VALUES ('C', 2, " +
         shown + ", '[]');");
  const auto batches = pending();
  ASSERT_NE(batch(batches, "prompts"), nullptr);
  EXPECT_EQ(batch(batches, "prompts")->count, 1);
  EXPECT_EQ(batch(batches, "prompts")->last, 1);
}

TEST_F(RecorderSharingTest, WithheldRowsStillMoveTheCursor) {
  twoSessions();
  recorder().startSharing().get();
  insert(
      "INSERT INTO labels (session, label, source, labelled_at) VALUES (2, 'work', 'agent', 1);"
      "INSERT INTO labels (session, label, source, labelled_at) VALUES (2, 'work', 'agent', 2);");
  const auto batches = pending();
  ASSERT_NE(batch(batches, "labels"), nullptr);
  EXPECT_EQ(*batch(batches, "labels"), (Recorder::ShareBatch{"labels", "[]", 0, 2}));
}

TEST_F(RecorderSharingTest, LargeBacklogsGoInStretchesOfTheLimit) {
  twoSessions();
  recorder().startSharing().get();
  moments(1200, kNow - 100);
  for (int64_t expected : {500, 500, 200}) {
    SCOPED_TRACE(expected);
    const auto batches = pending();
    const Recorder::ShareBatch* moments = batch(batches, "moments");
    ASSERT_NE(moments, nullptr);
    EXPECT_EQ(moments->count, expected);
    EXPECT_EQ(json::parse(moments->body).size(), static_cast<size_t>(expected));
    recorder().shared(*moments).get();
  }
  EXPECT_EQ(batch(pending(), "moments"), nullptr);
}

TEST_F(RecorderSharingTest, ACursorOnlyMovesForward) {
  twoSessions();
  recorder().startSharing().get();
  recorder().shared({"system", "[]", 0, 5}).get();
  recorder().shared({"system", "[]", 0, 3}).get();
  recorder().shared({"switches", "[]", 0, 3}).get();
  recorder().stopSharing().get();
  recorder().shared({"system", "[]", 0, 9}).get();  // no longer shared: no cursor appears
  EXPECT_THAT(cursors(), ::testing::IsEmpty());
  recorder().startSharing().get();
  recorder().shared({"system", "[]", 0, 5}).get();
  recorder().shared({"system", "[]", 0, 3}).get();
  EXPECT_EQ(rows("SELECT last FROM shared WHERE name = 'system'"), Rows{{SqlValue(5)}});
}

TEST_F(RecorderSharingTest, AMomentCarriesItsLatestPasses) {
  twoSessions();
  recorder().startSharing().get();
  moments(1, kNow - 100);
  insert(
      "INSERT INTO model_runs (session, moment, at, pass, task, probabilities, cache_hit, "
      "revision) VALUES (1, 100, 1, 'head', 'neutral: x', '{\"work\":0.1}', 0, 'r1');"
      "INSERT INTO model_runs (session, moment, at, pass, task, probabilities, cache_hit, "
      "revision) VALUES (1, 100, 2, 'head', 'work: x', '{\"work\":0.9}', 0, 'r2');"
      "INSERT INTO model_runs (session, moment, at, pass, probabilities, cache_hit) VALUES "
      "(1, 100, 2, 'similarity', '{\"similarity\":0.5}', 0);");
  const Json shared = json::parse(batch(pending(), "moments")->body).at(0);
  EXPECT_EQ(shared["p_work"], 0.9);
  EXPECT_EQ(shared["lean"], "work");
  EXPECT_EQ(shared["revision"], "r2");
  EXPECT_EQ(shared["similarity"], 0.5);
  EXPECT_EQ(shared["moment"], 100);
  EXPECT_EQ(shared["start"], kNow - 101 - session().started.unixTime());
}

}  // namespace
}  // namespace qb::test
