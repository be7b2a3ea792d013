#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "base/Url.h"
#include "recording/RecorderTestSupport.h"

namespace qb::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The test clock's own start: prompts are shown then, and writes happen later.
const Date kShown = Date::fromReference(800000000);
const Uuid kAnswer = *Uuid::parse("0f8fad5b-d9cb-469f-a165-70867728950e");
const Uuid kOtherAnswer = *Uuid::parse("7c9e6679-7425-40de-944b-e07fc1f90ae7");

PromptRecord shownPrompt(std::string id, Date shown = kShown) {
  return PromptRecord{std::move(id),
                      7,
                      shown,
                      shown - 90,
                      "overlay",
                      "Back to Budget?",
                      "Drifted a while",
                      {"Docs/a page", "Drifted a while"}};
}

MomentRecord front(uint64_t id, Date start, const char* app, const char* address = nullptr) {
  return MomentRecord(
      Moment(id, start, app, app, "Title", address ? Url::parse(address) : std::nullopt));
}

class RecorderAnalysesTest : public RecorderTest {
protected:
  // Writes what was called so far, then writes again with the clock at `now`: prompt resolution
  // runs at that write, and at no other time.
  Rows rowsAt(Date now, const std::string& sql) {
    flush();
    clock_.set(now);
    return rows(sql);
  }
};

TEST_F(RecorderAnalysesTest, EachOperationWritesItsRowWithItsWordsAndSortedJson) {
  recorder().start(session());
  DecisionRecord protecting(Policy(), std::nullopt, std::nullopt, "not shown", "panel busy", false,
                            kShown);
  protecting.moment = 7;
  protecting.protecting = true;
  protecting.learned = 600;
  protecting.drift = 90;
  protecting.cooldowns = {{"global", 30}, {"docs.example/a", 12.5}};
  protecting.activity = "entertainment";
  protecting.score = 0.5f;
  DecisionRecord learning(Policy(), std::nullopt, std::nullopt, "none", std::nullopt, true,
                          kShown + 1);
  Analysis analysis;
  analysis.observationID = 7;
  analysis.activity = ActivityKind::entertainment;
  analysis.activityScore = 0.75f;
  SwitchRecord switched(SwitchReading{0.125f, 0.25, 0.5f, SwitchReading::Verdict::signIn}, analysis,
                        Moment(7, kShown, "Firefox", "firefox", "Sign in",
                               Url::parse("https://accounts.example/login")),
                        {"Budget", "Slides/Monday"}, kShown);
  ContextRecord context(ContextRecord::kFormed, Policy(), kShown);
  context.summary = "Budget";
  context.titles = {"Budget", "Slides"};

  struct Case {
    const char* name;
    std::function<void()> call;
    std::string query;
    Rows expected;
  };
  const std::vector<Case> cases = {
      {"runs, one row per pass in order; an empty list writes nothing",
       [&] {
         recorder().runs(
             {{"head", "Docs page", "activity", {{"work", 0.7f}, {"other", 0.3f}}, 0.0078125},
              {"similarity", "Docs", "work", {}, 0.25}},
             7, "Budget", "r2", true, kShown);
         recorder().runs({}, 8, std::nullopt, "r2", false, kShown);
       },
       "SELECT session, moment, at, pass, task, input, context, probabilities, latency_ms, "
       "cache_hit, revision FROM model_runs ORDER BY rowid",
       {{SqlValue(1), SqlValue(7), SqlValue(kShown), text("head"), text("activity"),
         text("Docs page"), text("Budget"), text("{\"other\":0.3,\"work\":0.7}"), SqlValue(7.8125),
         SqlValue(1), text("r2")},
        {SqlValue(1), SqlValue(7), SqlValue(kShown), text("similarity"), text("work"), text("Docs"),
         text("Budget"), text("{}"), SqlValue(250.0), SqlValue(1), text("r2")}}},
      {"decisions, protecting and learning",
       [&] {
         recorder().decision(protecting);
         recorder().decision(learning);
       },
       "SELECT session, moment, at, mode, learned, drift, cooldowns, activity, score, in_front, "
       "decision, reason FROM decisions ORDER BY rowid",
       {{SqlValue(1), SqlValue(7), SqlValue(kShown), text("protecting"), SqlValue(600.0),
         SqlValue(90.0), text("{\"docs.example/a\":12.5,\"global\":30.0}"), text("entertainment"),
         SqlValue(0.5), SqlValue(0), text("not shown"), text("panel busy")},
        {SqlValue(1), SqlValue(), SqlValue(kShown + 1), text("learning"), SqlValue(0.0), SqlValue(),
         text("{}"), SqlValue(), SqlValue(), SqlValue(1), text("none"), text("")}}},
      {"switches",
       [&] { recorder().switched(switched); },
       "SELECT session, moment, at, similarity, activity, score, site, site_weight, reading, "
       "verdict, work FROM switches",
       {{SqlValue(1), SqlValue(7), SqlValue(kShown), SqlValue(0.125), text("entertainment"),
         SqlValue(0.75), SqlValue(switched.site), SqlValue(0.25), SqlValue(0.5), text("sign-in"),
         text("[\"Budget\",\"Slides/Monday\"]")}}},
      {"prompts",
       [&] { recorder().prompt(shownPrompt("P1")); },
       "SELECT id, session, moment, shown_at, drift_start, driver, title, line, why, outcome, "
       "outcome_at, followed_by FROM prompts",
       {{text("P1"), SqlValue(1), SqlValue(7), SqlValue(kShown), SqlValue(kShown - 90),
         text("overlay"), text("Back to Budget?"), text("Drifted a while"),
         text("[\"Docs/a page\",\"Drifted a while\"]"), SqlValue(), SqlValue(), SqlValue()}}},
      {"contexts",
       [&] { recorder().context(context); },
       "SELECT session, at, event, summary, titles FROM contexts",
       {{SqlValue(1), SqlValue(kShown), text("formed"), text("Budget"),
         text("[\"Budget\",\"Slides\"]")}}},
      {"labels from the daily question",
       [&] { recorder().label("work", 7, "question", kAnswer, kShown + 5); },
       "SELECT session, moment, started, ended, label, source, prompt, answer, labelled_at FROM "
       "labels",
       {{SqlValue(1), SqlValue(7), SqlValue(), SqlValue(), text("work"), text("question"),
         SqlValue(), text("0F8FAD5B-D9CB-469F-A165-70867728950E"), SqlValue(kShown + 5)}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.call();
    EXPECT_EQ(rows(c.query), c.expected);
  }
}

TEST_F(RecorderAnalysesTest, FirstOutcomeWinsAndLabelsTheDriftBeforeThePrompt) {
  struct Case {
    PromptOutcome outcome;
    const char* word;
    const char* label;  // none for a break
  };
  const Case cases[] = {{PromptOutcome::back, "back", "distraction"},
                        {PromptOutcome::related, "related", "work"},
                        {PromptOutcome::breakTime, "break", nullptr},
                        {PromptOutcome::dismiss, "dismiss", "continued"},
                        {PromptOutcome::never, "never", "work"}};
  recorder().start(session());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    const std::string id = std::string("P-") + c.word;
    recorder().prompt(shownPrompt(id));
    recorder().outcome(c.outcome, id, kAnswer, kShown + 10);
    recorder().outcome(PromptOutcome::back, id, kOtherAnswer, kShown + 20);  // too late
    EXPECT_EQ(rows("SELECT outcome, outcome_at FROM prompts WHERE id = '" + id + "'"),
              (Rows{{text(c.word), SqlValue(kShown + 10)}}));
    Rows labels;
    if (c.label) {
      labels = {{SqlValue(1), SqlValue(7), SqlValue(kShown - 90), SqlValue(kShown), text(c.label),
                 text("prompt"), text("0F8FAD5B-D9CB-469F-A165-70867728950E"),
                 SqlValue(kShown + 10)}};
    }
    EXPECT_EQ(rows("SELECT session, moment, started, ended, label, source, answer, labelled_at "
                   "FROM labels WHERE prompt = '" +
                   id + "'"),
              labels);
  }
}

TEST_F(RecorderAnalysesTest, OutcomeAfterRecordingStoppedIsKeptAndNotLaterTakenForIgnored) {
  recorder().start(session());
  recorder().prompt(shownPrompt("P1"));
  recorder().stop(kShown + 5, {});
  recorder().outcome(PromptOutcome::back, "P1", kAnswer, kShown + 30);
  // A prompt shown while nothing recorded has no row: its outcome finds nothing to mark.
  recorder().prompt(shownPrompt("P2"));
  recorder().outcome(PromptOutcome::back, "P2", kAnswer, kShown + 30);
  EXPECT_EQ(
      rowsAt(kShown + Recorder::kPromptIgnoredAfter + 1,
             "SELECT prompts.id, outcome, outcome_at, label, labels.session FROM prompts "
             "JOIN labels ON labels.prompt = prompts.id"),
      (Rows{{text("P1"), text("back"), SqlValue(kShown + 30), text("distraction"), SqlValue(1)}}));
}

TEST_F(RecorderAnalysesTest, LabelsAndOutcomesAtATimeThatIsNoNumberAreRefused) {
  recorder().start(session());
  recorder().prompt(shownPrompt("P1"));
  LogCapture log;
  recorder().outcome(PromptOutcome::back, "P1", kAnswer, Date::fromReference(kNaN));
  recorder().label("work", 7, "question", std::nullopt, Date::fromReference(kInfinity));
  recorder().retract(kAnswer, Date::fromReference(kNaN));
  EXPECT_EQ(rows("SELECT outcome FROM prompts"), (Rows{{SqlValue()}}));
  EXPECT_EQ(count("labels") + count("retractions"), 0);
  EXPECT_EQ(log.lines().size(), 3u);
}

TEST_F(RecorderAnalysesTest, RetractionIsKeptWithOrWithoutASessionAndThroughALockedFile) {
  recorder().retract(kAnswer, kShown);
  recorder().start(session());
  recorder().retract(kOtherAnswer, kShown + 1);
  flush();
  Reader other(path_);
  other.exec("BEGIN IMMEDIATE");
  LogCapture log;
  recorder().retract(kAnswer, kShown + 2);
  EXPECT_ANY_THROW(flush());
  other.exec("ROLLBACK");
  EXPECT_EQ(
      rows("SELECT session, answer, at FROM retractions ORDER BY rowid"),
      (Rows{{SqlValue(), text("0F8FAD5B-D9CB-469F-A165-70867728950E"), SqlValue(kShown)},
            {SqlValue(1), text("7C9E6679-7425-40DE-944B-E07FC1F90AE7"), SqlValue(kShown + 1)},
            {SqlValue(1), text("0F8FAD5B-D9CB-469F-A165-70867728950E"), SqlValue(kShown + 2)}}));
}

TEST_F(RecorderAnalysesTest, LockedFileWithNothingPendingHoldsOnlyResolutionBack) {
  recorder().start(session());
  recorder().prompt(shownPrompt("P1"));
  flush();
  Reader other(path_);
  other.exec("BEGIN IMMEDIATE");
  LogCapture log;
  EXPECT_NO_THROW(rowsAt(kShown + Recorder::kPromptIgnoredAfter + 1, "SELECT 1"));
  EXPECT_FALSE(log.lines().empty());
  other.exec("ROLLBACK");
  EXPECT_EQ(rows("SELECT outcome FROM prompts"), (Rows{{text("ignored")}}));
}

TEST_F(RecorderAnalysesTest, UnansweredPromptIsIgnoredAfterAnHourWithWhatFollowedItsShowing) {
  recorder().start(session());
  recorder().begin(front(1, kShown - 10, "Firefox", "https://www.docs.example/a"), {});
  recorder().prompt(shownPrompt("old"));
  recorder().begin(front(2, kShown + 30, "Editor"), {});
  recorder().begin(MomentRecord::excludedAt(kShown + 60), {});
  recorder().begin(front(4, kShown + 90, "Firefox", "https://docs.example/b"), {});
  recorder().begin(front(5, kShown + 130, "Mail"), {});
  const Date now = kShown + Recorder::kPromptIgnoredAfter + 1;
  recorder().prompt(shownPrompt("recent", now - (Recorder::kPromptIgnoredAfter - 1)));
  EXPECT_EQ(rowsAt(now, "SELECT id, outcome, outcome_at, followed_by FROM prompts ORDER BY id"),
            (Rows{{text("old"), text("ignored"), SqlValue(),
                   text("[\"docs.example\",\"Editor\",\"excluded\"]")},
                  {text("recent"), SqlValue(), SqlValue(), SqlValue()}}));
  EXPECT_EQ(rows("SELECT session, moment, started, ended, label, source, prompt, answer, "
                 "labelled_at FROM labels"),
            (Rows{{SqlValue(1), SqlValue(7), SqlValue(kShown - 90), SqlValue(kShown),
                   text("continued"), text("prompt"), text("old"), SqlValue(), SqlValue(now)}}));
}

TEST_F(RecorderAnalysesTest, WhatFollowedAnAnswerIsNotedOnceTwoMinutesAfterIt) {
  recorder().start(session());
  recorder().prompt(shownPrompt("alone"));
  recorder().outcome(PromptOutcome::related, "alone", std::nullopt, kShown);
  recorder().begin(front(1, kShown + 200, "Editor"), {});
  recorder().prompt(shownPrompt("P1", kShown + 200));
  const Date answered = kShown + 210;
  recorder().outcome(PromptOutcome::back, "P1", kAnswer, answered);
  recorder().begin(front(2, answered + 60, "Terminal"), {});
  recorder().begin(front(3, answered + 100, "Editor"), {});
  const std::string query = "SELECT followed_by FROM prompts ORDER BY shown_at";
  EXPECT_EQ(rowsAt(answered + Recorder::kPromptFollowedFor - 1, query),
            (Rows{{text("[]")}, {SqlValue()}}));
  EXPECT_EQ(rowsAt(answered + Recorder::kPromptFollowedFor + 1, query),
            (Rows{{text("[]")}, {text("[\"Editor\",\"Terminal\"]")}}));
  recorder().begin(front(4, answered + 110, "Mail"), {});  // too late to count
  EXPECT_EQ(rowsAt(answered + 2 * Recorder::kPromptFollowedFor, query),
            (Rows{{text("[]")}, {text("[\"Editor\",\"Terminal\"]")}}));
}

}  // namespace
}  // namespace qb::test
