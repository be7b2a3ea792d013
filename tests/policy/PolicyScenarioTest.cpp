// Scenarios: one Policy driven through stretches of a simulated working day, the way the
// coordinator drives it: an observation whenever the thing in front changes, followed by its
// analysis, a tick every 30 seconds and at the time of every check(at:) answer, the prompt's
// outcome when the user answers. Each scenario checks only what the coordinator can see: the
// decisions, the prompts they lead to, the views and the drained counters.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/Calendar.h"
#include "base/Json.h"
#include "policy/Policy.h"
#include "policy/PolicyTestSupport.h"

namespace qb {
namespace {

using Kind = PolicyDecision::Kind;

constexpr Duration kTickEvery = 30;
// The idle time a tick sees while the user types or scrolls.
constexpr Duration kBusyIdle = 2;
constexpr Duration kMinute = 60;
constexpr Duration kHour = 3600;

// Tuesday 2024-03-12, 09:00 in Berlin (08:00 UTC).
constexpr Date kMorning = Date::fromUnix(1710230400);

Date clock(int hour, int minute, double second = 0) {
  return kMorning + (hour - 9) * kHour + minute * kMinute + second;
}

// Something the user can have in front, with what the analyser says about it.
struct Page {
  std::string appName;
  std::string bundleID;
  std::string title;
  std::optional<std::string> address;
  std::optional<ActivityKind> activity;  // absent: the analyser abstains
  float score = 0;
  // Similarity to the recent work, reported only while the policy has recent work to compare with
  // (the analyser skips the comparison for an empty list, and always for messaging).
  std::optional<float> similarity;
  std::optional<AgentSession> agent;
};

// --- The pages of the day ---

constexpr const char* kProject = "ledgerly";

Page editor(const std::string& file) {
  return {"Code",
          "code",
          file + " - ledgerly - Visual Studio Code",
          std::nullopt,
          ActivityKind::work,
          0.91f,
          0.62f,
          std::nullopt};
}

Page terminalWithAgent(Date updated, bool busy) {
  Page page{"Terminal",   "org.gnome.Terminal", "coder: ledgerly",
            std::nullopt, ActivityKind::work,   0.84f,
            0.48f,        std::nullopt};
  page.agent =
      AgentSession("coder", "/home/sam/src/ledgerly", "fix-invoice-rounding", updated, busy);
  return page;
}

Page rustBook() {
  return {"Firefox",
          "firefox",
          "Fearless Concurrency - The Rust Programming Language",
          "https://doc.rust-lang.org/book/ch16-00-concurrency.html",
          ActivityKind::work,
          0.88f,
          0.41f,
          std::nullopt};
}

Page pythonDocs() {
  return {"Firefox",
          "firefox",
          "asyncio \u2014 Asynchronous I/O \u2014 Python 3.12 documentation",
          "https://docs.python.org/3/library/asyncio.html",
          ActivityKind::work,
          0.87f,
          0.33f,
          std::nullopt};
}

Page lectureVideo() {
  return {"Firefox",
          "firefox",
          "Understanding ownership and borrowing, a RustConf talk - YouTube",
          "https://www.youtube.com/watch?v=rustconf22",
          ActivityKind::work,
          0.86f,
          0.4f,
          std::nullopt};
}

Page video(const std::string& title, const std::string& id) {
  return {"Firefox",
          "firefox",
          title + " - YouTube",
          "https://www.youtube.com/watch?v=" + id,
          ActivityKind::entertainment,
          0.93f,
          0.04f,
          std::nullopt};
}

Page redditThread(const std::string& title, const std::string& path) {
  return {"Firefox",
          "firefox",
          title,
          "https://www.reddit.com/r/" + path,
          ActivityKind::entertainment,
          0.9f,
          0.06f,
          std::nullopt};
}

// A programming forum the classifier reads as leisure, though the user reads it for work.
Page rustForum(const std::string& title, int thread) {
  return {"Firefox",
          "firefox",
          title + " : r/rust",
          "https://www.reddit.com/r/rust/comments/" + std::to_string(thread),
          ActivityKind::entertainment,
          0.82f,
          0.12f,
          std::nullopt};
}

Page newsArticle() {
  // The analyser cannot tell: it abstains, and says it is unsure.
  return {"Firefox",
          "firefox",
          "Rail strike: what commuters need to know | Example News",
          "https://news.example.org/2024/03/12/rail-strike",
          std::nullopt,
          0.55f,
          0.1f,
          std::nullopt};
}

Page whatsapp() {
  return {"Firefox",
          "firefox",
          "WhatsApp",
          "https://web.whatsapp.com/",
          ActivityKind::communication,
          1.0f,
          std::nullopt,
          std::nullopt};
}

struct Prompt {
  Date at;
  uint64_t observationID = 0;
  std::string title;
};

// What the coordinator empties from the policy after a stretch of the day.
struct Drained {
  std::map<std::string, Duration> focus;
  std::vector<Policy::UnsureTime> unsure;
  Duration detours = 0;
  Duration away = 0;

  Duration focusTotal() const {
    Duration total = 0;
    for (const auto& [task, seconds] : focus) total += seconds;
    return total;
  }
  Duration unsureTotal() const {
    Duration total = 0;
    for (const auto& entry : unsure) total += entry.seconds;
    return total;
  }
};

// The coordinator's side of a day: a wall clock that tests advance, the time of the user's last
// input, the thing in front with its analysis, and the ticks it has scheduled.
class Day {
public:
  explicit Day(Policy& policy, Date start = kMorning)
      : policy_(policy), now_(start), lastInput_(start), nextTick_(start + kTickEvery) {}

  Date now() const { return now_; }
  Duration idle() const { return now_.since(lastInput_); }
  const Moment& front() const { return *front_; }
  const Analysis& frontAnalysis() const { return *frontAnalysis_; }
  const std::vector<Prompt>& prompts() const { return prompts_; }
  Policy& policy() { return policy_; }

  // The user brings a page to the front (a click, so no idle time); the policy observes it and
  // gets its analysis at once, as from the coordinator's cache. Answers that analysis' decision.
  PolicyDecision open(const Page& page) {
    lastInput_ = now_;
    std::optional<Url> url;
    if (page.address) url = Url::parse(*page.address);
    Moment moment(nextID_++, now_, page.appName, page.bundleID, page.title, url);
    moment.agent = page.agent;
    policy_.observe(moment, now_, idle(), calendar_);
    front_ = moment;
    Analysis analysis = analyze(page, moment);
    frontAnalysis_ = analysis;
    PolicyDecision decision = policy_.ingest(analysis, moment, now_);
    handle(decision);
    return decision;
  }

  // Time passes with the user at the keyboard: every tick sees input a moment before it.
  void busy(Duration seconds) { passUntil(now_ + seconds, true); }
  // Time passes without any input.
  void still(Duration seconds) { passUntil(now_ + seconds, false); }
  // The user stops touching anything for `seconds` from now, then moves the mouse.
  void pause(Duration seconds) {
    lastInput_ = now_;
    still(seconds);
    lastInput_ = now_;
  }
  // Input now: a key, a scroll, a click.
  void touch() { lastInput_ = now_; }
  // The machine sleeps: no tick runs, and the checks it had scheduled are lost.
  void suspend(Duration seconds) {
    now_ = now_ + seconds;
    checks_.clear();
    while (nextTick_ <= now_) nextTick_ = nextTick_ + kTickEvery;
  }

  // The user answers the prompt that is showing about the thing in front.
  void answer(Outcome outcome) {
    lastInput_ = now_;
    policy_.record(outcome, *front_, frontAnalysis_, now_);
  }

  // The decisions the ticks answered, in order, with their times.
  const std::vector<std::pair<Date, PolicyDecision>>& ticks() const { return ticks_; }

  // Empties the counters. Tasks credited with no time (a step that ended the instant it began)
  // are left out: they say nothing about the day.
  Drained drain() {
    Drained drained{policy_.drainFocus(), policy_.drainUnsure(), policy_.drainDetours(),
                    policy_.drainAway()};
    std::erase_if(drained.focus, [](const auto& entry) { return entry.second == 0; });
    return drained;
  }

private:
  // What the analyser would answer: the page's own verdict, with the similarity only when there
  // was recent work to compare with.
  Analysis analyze(const Page& page, const Moment& moment) const {
    Analysis analysis;
    analysis.observationID = moment.id;
    analysis.activity = page.activity;
    analysis.activityScore = page.score;
    analysis.unsure = !page.activity.has_value();
    analysis.revision = "tiny/head";
    std::vector<std::string> work = policy_.recentWork();
    bool compared =
        page.activity == ActivityKind::work || page.activity == ActivityKind::entertainment;
    if (!work.empty() && compared && page.similarity) {
      analysis.similarity = page.similarity;
      for (const std::string& title : work) analysis.similarities[title] = *page.similarity;
    }
    return analysis;
  }

  // Runs every tick due up to `until` (the 30-second ones and those check answers asked for),
  // then leaves the clock at `until`.
  void passUntil(Date until, bool input) {
    for (;;) {
      Date next = nextTick_;
      if (!checks_.empty() && *checks_.begin() < next) next = *checks_.begin();
      if (next > until) break;
      now_ = next;
      if (next == nextTick_) nextTick_ = nextTick_ + kTickEvery;
      checks_.erase(next);
      if (input) lastInput_ = std::max(lastInput_, now_ - kBusyIdle);
      PolicyDecision decision = policy_.tick(now_, idle(), calendar_);
      ticks_.emplace_back(now_, decision);
      handle(decision);
    }
    now_ = until;
  }

  // What the coordinator does with a decision: schedules a tick for a check, shows the prompt
  // (and reports it shown) for an intervention.
  void handle(const PolicyDecision& decision) {
    if (decision.kind == Kind::check) {
      // A check for a time already reached would be scheduled for now again and again.
      if (decision.at <= now_) {
        ADD_FAILURE() << "check(at:) for a time not in the future, " << now_.since(decision.at)
                      << " s ago";
      } else {
        checks_.insert(decision.at);
      }
    } else if (decision.kind == Kind::intervene) {
      ASSERT_TRUE(front_.has_value());
      EXPECT_EQ(decision.observationID, front_->id) << "a prompt for something not in front";
      prompts_.push_back({now_, decision.observationID, front_->title});
      policy_.record(Outcome::prompted, *front_, frontAnalysis_, now_);
    }
  }

  Policy& policy_;
  Calendar calendar_ = Calendar::inZone("Europe/Berlin");
  Date now_;
  Date lastInput_;
  Date nextTick_;
  std::set<Date> checks_;
  uint64_t nextID_ = 1;
  std::optional<Moment> front_;
  std::optional<Analysis> frontAnalysis_;
  std::vector<Prompt> prompts_;
  std::vector<std::pair<Date, PolicyDecision>> ticks_;
};

// The first minutes of a day: three minutes in the editor on two files, which is enough to
// learn the work, then a third file. The counters are emptied. Leaves the clock at 09:04.
void learnTheWork(Day& day) {
  day.open(editor("invoice.rs"));
  day.busy(2 * kMinute);
  day.open(editor("ledger.rs"));
  day.busy(kMinute);
  ASSERT_TRUE(day.policy().isProtecting());
  day.open(editor("tax.rs"));
  day.busy(kMinute);
  day.drain();
}

// Seconds after 09:00 of the day's start, for readable failures.
double sinceNine(Date at) { return at.since(kMorning); }

// The prompts shown: seconds after 09:00 and the title of what was in front.
std::vector<std::pair<double, std::string>> shown(const Day& day) {
  std::vector<std::pair<double, std::string>> out;
  for (const Prompt& prompt : day.prompts()) out.emplace_back(sinceNine(prompt.at), prompt.title);
  return out;
}

}  // namespace

// --- Learning ---

TEST(PolicyScenarioTest, FirstThreeMinutesOfWorkAreLearnedWithinTenMinutes) {
  Policy policy;
  Day day(policy);

  // Two minutes in the editor, then a long browse over coffee: nothing is protected yet, so
  // leisure is never interrupted, and it never counts toward learning.
  EXPECT_EQ(day.open(editor("invoice.rs")), PolicyDecision::none());
  day.busy(2 * kMinute);
  EXPECT_EQ(policy.learnedSeconds(), 120);
  EXPECT_FALSE(policy.isProtecting());
  EXPECT_EQ(policy.explain(day.frontAnalysis(), day.front(), day.now()),
            "learning: 120/180 s of work");

  EXPECT_EQ(day.open(redditThread("What is the best pizza topping? : r/AskReddit",
                                  "AskReddit/comments/1")),
            PolicyDecision::none());
  day.busy(9 * kMinute);
  EXPECT_EQ(policy.learnedSeconds(), 120);
  EXPECT_TRUE(day.prompts().empty());

  // Back at 09:11: the morning's two minutes drop out of the ten-minute window one step at a
  // time, so it takes three fresh minutes, not one, to learn the work.
  day.open(editor("ledger.rs"));
  day.busy(kMinute);
  // At 09:12 the step that ended at 09:02:00 is exactly ten minutes old and still counts.
  EXPECT_EQ(policy.learnedSeconds(), 90);
  day.open(editor("tax.rs"));
  day.busy(kMinute + 30);
  EXPECT_EQ(sinceNine(day.now()), 13 * kMinute + 30);
  EXPECT_FALSE(policy.isProtecting());
  EXPECT_EQ(policy.learnedSeconds(), 150);
  day.busy(30);
  EXPECT_TRUE(policy.isProtecting());
  EXPECT_EQ(policy.learnedSeconds(), 0);

  // The context holds the titles seen within the window, newest first: the morning's first file
  // has aged out of it. Every confident work page of the day is recent work for the analyser.
  ASSERT_TRUE(policy.context().has_value());
  EXPECT_EQ(policy.context()->titles,
            (std::vector<std::string>{"tax.rs - ledgerly - Visual Studio Code",
                                      "ledger.rs - ledgerly - Visual Studio Code"}));
  EXPECT_EQ(policy.context()->sessionHalfLife, policy.config.sessionHalfLife);
  EXPECT_EQ(policy.recentWork(),
            (std::vector<std::string>{"tax.rs - ledgerly - Visual Studio Code",
                                      "ledger.rs - ledgerly - Visual Studio Code",
                                      "invoice.rs - ledgerly - Visual Studio Code"}));
  EXPECT_TRUE(day.prompts().empty());

  // Five minutes of work were counted in all; the browse was neither work nor a detour.
  Drained drained = day.drain();
  EXPECT_EQ(drained.focusTotal(), 300);
  EXPECT_EQ(drained.detours, 0);
  EXPECT_EQ(drained.away, 0);
  EXPECT_TRUE(drained.unsure.empty());
  // A drain empties what it hands back.
  EXPECT_TRUE(day.drain().focus.empty());
}

TEST(PolicyScenarioTest, EstablishedContextNamesTheWorkAndReadsPagesAgainstIt) {
  Policy policy;
  Day day(policy);
  learnTheWork(day);

  // The project the editor titles share is learned, and time in the editor is logged under it.
  EXPECT_EQ(policy.projectNames(), std::vector<std::string>{kProject});
  day.busy(5 * kMinute);
  Drained drained = day.drain();
  EXPECT_EQ(drained.focus, (std::map<std::string, Duration>{{kProject, 300}}));

  // The summary names the work; pages of the work read as the same task.
  ASSERT_TRUE(policy.contextSummary(day.now()).has_value());
  EXPECT_NE(policy.contextSummary(day.now())->find(kProject), std::string::npos)
      << *policy.contextSummary(day.now());
  EXPECT_EQ(policy.workingOn(day.now()), std::vector<std::string>{kProject});
  EXPECT_EQ(policy.explain(day.frontAnalysis(), day.front(), day.now()),
            "same task (similarity 0.62, work 0.91, site 0.00)");

  // An article the analyser is unsure about is counted, under its site, and reported as unsure.
  day.open(newsArticle());
  day.busy(kMinute);
  EXPECT_EQ(policy.explain(day.frontAnalysis(), day.front(), day.now()), "activity unsure (0.55)");
  drained = day.drain();
  EXPECT_EQ(drained.focus, (std::map<std::string, Duration>{{"news.example.org", 60}}));
  ASSERT_EQ(drained.unsure.size(), 2u);
  EXPECT_EQ(drained.unsureTotal(), 60);
  EXPECT_EQ(drained.unsure.front().moment.title, day.front().title);

  // A chat is neither work nor drift while prompting on chat is off.
  EXPECT_EQ(day.open(whatsapp()), PolicyDecision::none());
  day.busy(3 * kMinute);
  EXPECT_TRUE(day.prompts().empty());
  drained = day.drain();
  EXPECT_EQ(drained.focusTotal(), 0);
  EXPECT_EQ(drained.detours, 0);
}

// --- Drifting ---

TEST(PolicyScenarioTest, DriftOntoALeisureSiteIsPromptedAfterTheGrace) {
  Policy policy;
  Day day(policy);
  learnTheWork(day);
  day.busy(16 * kMinute);  // 09:20

  // A forum thread starts the drift clock; the prompt is due one second (the grace) later.
  Date start = day.now();
  EXPECT_EQ(day.open(redditThread("What is the best pizza topping? : r/AskReddit",
                                  "AskReddit/comments/1")),
            PolicyDecision::check(start + policy.config.grace));
  EXPECT_EQ(policy.driftSeconds(day.now()), 0);
  EXPECT_EQ(policy.explain(day.frontAnalysis(), day.front(), day.now()),
            "drift (similarity 0.06): 0/1 s");

  // Before the grace is up the user opens another thread that the analyser is unsure about: the
  // drift carries on over it, and the prompt, at the same time, is about the page in front.
  day.still(0.5);
  Page unsure = redditThread("Honest opinions needed : r/AskReddit", "AskReddit/comments/2");
  unsure.activity.reset();
  unsure.score = 0.3f;
  EXPECT_EQ(day.open(unsure), PolicyDecision::check(start + policy.config.grace));
  EXPECT_EQ(policy.explain(day.frontAnalysis(), day.front(), day.now()),
            "unsure (0.30), continues drift (similarity 0.06): 0/1 s");
  uint64_t second = day.front().id;
  day.still(2);
  ASSERT_EQ(day.prompts().size(), 1u);
  EXPECT_EQ(sinceNine(day.prompts()[0].at), sinceNine(start + policy.config.grace));
  EXPECT_EQ(day.prompts()[0].observationID, second);
  // Once shown, the drift clock stops and the global cooldown runs.
  EXPECT_EQ(policy.driftSeconds(day.now()), std::nullopt);
  EXPECT_EQ(policy.cooldowns(day.now()),
            (std::map<std::string, Duration>{{"global", policy.config.globalCooldown - 1.5}}));

  // Back to work ends every cooldown at once and sets none for the site.
  day.answer(Outcome::back);
  EXPECT_TRUE(policy.cooldowns(day.now()).empty());
  day.open(editor("tax.rs"));
  day.busy(10 * kMinute);

  // So the next distraction, ten minutes on, is prompted after the grace alone.
  day.open(video("Ten cats that changed history", "c4ts"));
  day.still(5);
  ASSERT_EQ(day.prompts().size(), 2u);
  EXPECT_EQ(shown(day).back(),
            std::make_pair(sinceNine(clock(9, 30, 3.5)),
                           std::string("Ten cats that changed history - YouTube")));
  day.answer(Outcome::back);
  day.open(editor("tax.rs"));
  day.busy(kMinute);

  // Detours are the seconds while a drift clock ran: the grace on the forum and on the video.
  Drained drained = day.drain();
  EXPECT_EQ(drained.detours, 2);
  EXPECT_EQ(drained.away, 0);
}

TEST(PolicyScenarioTest, DismissalHoldsTheSiteBackLongerThanTheRest) {
  Policy policy;
  Day day(policy);
  learnTheWork(day);
  day.busy(56 * kMinute);  // 10:00
  day.drain();

  day.open(video("Ten cats that changed history", "c4ts"));
  day.still(4);
  day.answer(Outcome::dismissed);  // 10:00:04
  EXPECT_EQ(policy.cooldowns(day.now()),
            (std::map<std::string, Duration>{{"global", 120}, {"youtube.com", 600}}));

  // The user keeps watching: another video on the same site starts a drift that the site's
  // cooldown holds back, not merely the global one.
  day.busy(56);
  EXPECT_EQ(day.open(video("Top 10 goals of the season", "g0al")),
            PolicyDecision::check(clock(10, 10, 4)));
  EXPECT_EQ(policy.explain(day.frontAnalysis(), day.front(), day.now()),
            "drift (similarity 0.04): 0/1 s, cooldown 64 s, site cooldown 544 s");
  day.busy(30);

  // Another site is held back only by the global cooldown: it is prompted at 10:02:04.
  EXPECT_EQ(day.open(redditThread("What is the best pizza topping? : r/AskReddit",
                                  "AskReddit/comments/1")),
            PolicyDecision::check(clock(10, 2, 4)));
  day.busy(40);
  day.answer(Outcome::dismissed);  // 10:02:10

  // Back on the video site at 10:03, the first prompt there is at the end of its cooldown.
  day.busy(50);
  day.open(video("Top 10 goals of the season", "g0al"));
  day.busy(7 * kMinute + 8);
  EXPECT_EQ(shown(day),
            (std::vector<std::pair<double, std::string>>{
                {sinceNine(clock(10, 0, 1)), "Ten cats that changed history - YouTube"},
                {sinceNine(clock(10, 2, 4)), "What is the best pizza topping? : r/AskReddit"},
                {sinceNine(clock(10, 10, 4)), "Top 10 goals of the season - YouTube"}}));
  // The ticks in between looked again at the held-back time, never at an earlier one.
  for (const auto& [at, decision] : day.ticks()) {
    if (at > clock(10, 3) && at < clock(10, 10, 4)) {
      EXPECT_EQ(decision, PolicyDecision::check(clock(10, 10, 4))) << sinceNine(at);
    }
  }
  day.answer(Outcome::back);
  day.open(editor("tax.rs"));
  day.busy(52);

  // Every second while a drift clock ran is a detour: the grace before the first prompt, 10:01
  // to 10:02:04 and 10:03 to 10:10:04. Work was earned only back in the editor.
  Drained drained = day.drain();
  EXPECT_EQ(drained.detours, 1 + 64 + 424);
  EXPECT_EQ(drained.focus, (std::map<std::string, Duration>{{kProject, 52}}));
  EXPECT_EQ(drained.away, 0);
}

TEST(PolicyScenarioTest, EachItsForWorkAllowsTheSiteTwiceAsLong) {
  Policy policy;
  Day day(policy);
  learnTheWork(day);
  day.busy(86 * kMinute);  // 10:30
  const std::string scope = "reddit.com";

  // The classifier takes the language forum for leisure; the user says it is for work.
  day.open(rustForum("Async cancellation, explained", 101));
  day.still(2);
  ASSERT_EQ(day.prompts().size(), 1u);
  day.answer(Outcome::related);  // 10:30:02
  Date firstGrant = day.now();
  EXPECT_EQ(policy.allowances().entries().at(scope),
            (Allowances::Allowance{1, firstGrant + 2 * kHour, firstGrant}));
  EXPECT_EQ(policy.sites().weight(day.front(), day.now()), 1.0);

  // The answer itself starts the two minutes without prompts: a video right after it waits.
  day.busy(58);
  EXPECT_EQ(day.open(video("Ten cats that changed history", "c4ts")),
            PolicyDecision::check(firstGrant + policy.config.globalCooldown));
  day.busy(kMinute + 5);
  ASSERT_EQ(day.prompts().size(), 2u);
  day.answer(Outcome::back);

  // For two hours the whole forum is let be, however often the user comes back to it.
  for (int visit = 0; visit < 4; ++visit) {
    day.open(editor("tax.rs"));
    day.busy((firstGrant + (29 * visit + 25) * kMinute).since(day.now()));
    EXPECT_EQ(day.open(rustForum("Is this borrow checker error a bug?", 102 + visit)),
              PolicyDecision::none());
    EXPECT_EQ(policy.explain(day.frontAnalysis(), day.front(), day.now()),
              "allowed for now (It's for work)");
    day.busy(4 * kMinute);
  }
  EXPECT_EQ(day.prompts().size(), 2u);

  // At the end of the two hours (12:30:02) the site is a distraction again; the second "it's for
  // work" allows it for four hours.
  day.open(editor("tax.rs"));
  day.busy(4 * kMinute);
  ASSERT_EQ(day.now(), firstGrant + 2 * kHour);
  EXPECT_EQ(day.open(rustForum("Pin and Unpin in practice", 201)),
            PolicyDecision::check(day.now() + policy.config.grace));
  day.still(2);
  ASSERT_EQ(day.prompts().size(), 3u);
  day.answer(Outcome::related);
  Date secondGrant = day.now();
  EXPECT_EQ(policy.allowances().entries().at(scope),
            (Allowances::Allowance{2, secondGrant + 4 * kHour, secondGrant}));

  // Through the afternoon the site stays allowed; the third grant, after the four hours, lasts
  // eight.
  for (int hour = 0; hour < 4; ++hour) {
    day.open(editor("tax.rs"));
    day.busy(55 * kMinute);
    EXPECT_EQ(day.open(rustForum("Which async runtime for a small CLI?", 300 + hour)),
              PolicyDecision::none());
    day.busy(4 * kMinute);
  }
  day.open(editor("tax.rs"));
  day.busy((secondGrant + 4 * kHour).since(day.now()));
  EXPECT_EQ(day.prompts().size(), 3u);
  day.open(rustForum("Error handling without anyhow", 401));
  day.still(2);
  ASSERT_EQ(day.prompts().size(), 4u);
  day.answer(Outcome::related);
  Date thirdGrant = day.now();
  EXPECT_EQ(policy.allowances().entries().at(scope),
            (Allowances::Allowance{3, thirdGrant + 8 * kHour, thirdGrant}));
  std::vector<Allowances::Active> active = policy.allowances().active(day.now());
  ASSERT_EQ(active.size(), 1u);
  EXPECT_EQ(active[0].scope, scope);

  // Ended from the sites page, the allowance starts over at two hours with the next answer.
  policy.endAllowance(scope);
  day.open(editor("tax.rs"));
  day.busy(5 * kMinute);
  day.open(rustForum("Error handling without anyhow", 401));
  day.still(2);
  ASSERT_EQ(day.prompts().size(), 5u);
  day.answer(Outcome::related);
  EXPECT_EQ(policy.allowances().entries().at(scope),
            (Allowances::Allowance{1, day.now() + 2 * kHour, day.now()}));
}

TEST(PolicyScenarioTest, ComingBackFromAwayRestartsTheGrace) {
  Policy policy;
  Day day(policy);
  learnTheWork(day);
  day.busy(56 * kMinute);  // 10:00
  day.drain();

  day.open(video("Ten cats that changed history", "c4ts"));
  day.still(4);
  day.answer(Outcome::dismissed);  // 10:00:04
  day.busy(56);
  // A drift held back by the site's cooldown until 10:10:04...
  EXPECT_EQ(day.open(video("Top 10 goals of the season", "g0al")),
            PolicyDecision::check(clock(10, 10, 4)));

  // ...and the user walks off for a quarter of an hour without pausing the page. Away from the
  // two-minute mark on, no prompt is shown, not even when the cooldown runs out.
  day.still(15 * kMinute);
  EXPECT_TRUE(policy.isAway());
  EXPECT_EQ(day.prompts().size(), 1u);

  // On coming back the drift's grace counts from the return, not from when the drift began.
  day.touch();
  day.busy(30);
  EXPECT_FALSE(policy.isAway());
  day.busy(5);
  ASSERT_EQ(day.prompts().size(), 2u);
  EXPECT_EQ(sinceNine(day.prompts()[1].at), sinceNine(clock(10, 16, 31)));

  // The quarter of an hour is away time. The detours are the first prompt's grace and the half
  // minute back on the video before the second.
  Drained drained = day.drain();
  EXPECT_EQ(drained.away, 15 * kMinute);
  EXPECT_EQ(drained.detours, 1 + 30);
  EXPECT_EQ(drained.focusTotal(), 0);
}

TEST(PolicyScenarioTest, ASleepingMachineCreditsAtMostOneStep) {
  Policy policy;
  Day day(policy);
  learnTheWork(day);
  day.busy(26 * kMinute);  // 09:30
  EXPECT_EQ(day.drain().focusTotal(), 26 * kMinute);

  // The lid closes unannounced: no tick for twenty minutes. The first step after it counts at
  // most a minute and a half of the gap.
  day.suspend(20 * kMinute);
  day.touch();
  day.busy(30);
  EXPECT_TRUE(policy.isProtecting());
  EXPECT_EQ(day.drain().focusTotal(), policy.config.maxCredit);

  // Announced, the sleep stops the credit run on both sides, and the gap counts for nothing.
  day.busy(9 * kMinute + 30);  // 10:00
  day.drain();
  policy.interrupt();
  day.suspend(20 * kMinute);
  policy.interrupt();
  day.touch();
  day.busy(kMinute);
  EXPECT_EQ(day.drain().focusTotal(), 30);
}

TEST(PolicyScenarioTest, WorkOnAnUnknownSiteIsADistractionOnlyOnceSitesAreKnown) {
  // Monday and Tuesday's work is in the saved work-site record: enough for it to be trusted.
  Calendar berlin = Calendar::inZone("Europe/Berlin");
  WorkSites sites;
  sites.credit(std::nullopt, 2 * kHour, 0, 0.95f, kMorning - 48 * kHour, berlin);
  sites.credit(std::nullopt, 2 * kHour, 0, 0.95f, kMorning - 24 * kHour, berlin);
  ASSERT_TRUE(sites.isBuilt(PolicyConfig().siteWarmup));
  Policy policy;
  policy.restore(sites);
  Day day(policy);
  learnTheWork(day);
  day.busy(116 * kMinute);  // 11:00
  day.drain();

  // An article that reads as work, on a site never seen before: the user may be passing through,
  // so it is neither prompted nor learned from, and its time is nobody's.
  Page article{"Firefox",
               "firefox",
               "10 habits of highly productive engineers | by Sam Writer | Medium",
               "https://medium.com/@samwriter/10-habits-3f2a",
               ActivityKind::work,
               0.8f,
               0.1f,
               std::nullopt};
  EXPECT_EQ(day.open(article), PolicyDecision::none());
  EXPECT_EQ(policy.explain(day.frontAnalysis(), day.front(), day.now()),
            "new site (similarity 0.10, work 0.80, site 0.00)");
  day.busy(5 * kMinute);
  day.open(editor("tax.rs"));
  day.busy(35 * kMinute);
  EXPECT_EQ(policy.recentWork().front(), "tax.rs - ledgerly - Visual Studio Code");
  Drained drained = day.drain();
  EXPECT_EQ(drained.focus, (std::map<std::string, Duration>{{kProject, 35 * kMinute}}));

  // Forty minutes after the first visit the site is no longer new, and work that does not belong
  // to the user's work sites is a distraction.
  EXPECT_EQ(day.open(article), PolicyDecision::check(clock(11, 40, 1)));
  day.still(2);
  ASSERT_EQ(day.prompts().size(), 1u);
  day.answer(Outcome::dismissed);
  // Reading on after putting the prompt away is not work either.
  day.busy(5 * kMinute - 2);
  day.open(editor("tax.rs"));
  day.busy(kMinute);
  drained = day.drain();
  EXPECT_EQ(drained.focus, (std::map<std::string, Duration>{{kProject, 60}}));
  EXPECT_EQ(drained.detours, 1);
}

// --- Idle time ---

TEST(PolicyScenarioTest, PausesWhileReadingAreLearnedAsPresence) {
  Policy policy;
  Day day(policy);
  learnTheWork(day);
  day.busy(56 * kMinute);  // 10:00
  day.drain();
  const std::string book = "doc.rust-lang.org";

  // Reading the book, the user sits still for two and a half minutes: longer than the two
  // minutes that count as presence anywhere at first, so from the tick at 120 s on, the user is
  // away, and the held-back minute and a half with it.
  day.open(rustBook());
  day.busy(30);
  day.pause(150);
  EXPECT_TRUE(policy.isAway());
  Drained drained = day.drain();
  EXPECT_EQ(drained.away, 150);
  EXPECT_EQ(drained.focusTotal(), 30);
  // Coming back from away teaches nothing about pauses.
  day.busy(30);
  EXPECT_FALSE(policy.isAway());
  EXPECT_TRUE(policy.presence().gaps().empty());
  EXPECT_EQ(day.drain().focusTotal(), 30);

  // Five shorter pauses, each seen at 110 s of idle by the last tick before the user scrolls
  // again, are learned as the way this user reads here.
  for (int read = 0; read < 5; ++read) {
    day.busy(10);
    day.pause(110);
    day.busy(30);
  }
  ASSERT_EQ(policy.presence().gaps().count(book), 1u);
  EXPECT_EQ(policy.presence().gaps().at(book), std::vector<Duration>(5, 110));
  EXPECT_EQ(policy.presence().allowance(book), 165);
  drained = day.drain();
  EXPECT_EQ(drained.away, 0);
  EXPECT_EQ(drained.focusTotal(), 5 * 150);

  // Now the same two and a half minutes of stillness on the book are presence, and work.
  day.busy(30);
  day.pause(150);
  EXPECT_FALSE(policy.isAway());
  day.busy(30);
  drained = day.drain();
  EXPECT_EQ(drained.away, 0);
  EXPECT_EQ(drained.focusTotal(), 30 + 150 + 30);

  // What was learned on the book does not carry over to another site.
  day.open(pythonDocs());
  day.busy(30);
  day.pause(150);
  EXPECT_TRUE(policy.isAway());
  day.busy(30);
  drained = day.drain();
  EXPECT_EQ(drained.away, 150);
  EXPECT_EQ(policy.presence().gaps().count("docs.python.org"), 0u);

  // A pause seen at 29 s is typing rhythm and not learned; one seen at 30 s is.
  day.busy(30);
  day.still(1);
  day.pause(29);
  day.busy(30);
  EXPECT_EQ(policy.presence().gaps().count("docs.python.org"), 0u);
  day.pause(30);
  day.busy(30);
  EXPECT_EQ(policy.presence().gaps().at("docs.python.org"), std::vector<Duration>{30});
}

TEST(PolicyScenarioTest, PlayingMediaAndABusyAgentCoverIdleTime) {
  Policy policy;
  Day day(policy);
  learnTheWork(day);
  day.busy(56 * kMinute);  // 10:00
  day.drain();

  // A conference talk on the work: ten minutes without input while it plays are work, not away.
  day.open(lectureVideo());
  day.busy(30);
  policy.mediaPlaying = true;
  day.pause(10 * kMinute);
  EXPECT_FALSE(policy.isAway());
  Drained drained = day.drain();
  EXPECT_EQ(drained.away, 0);
  EXPECT_EQ(drained.focusTotal(), 30 + 600);
  // The talk ends; the first input after it teaches nothing about this user's pauses.
  policy.mediaPlaying = false;
  day.busy(kMinute);
  EXPECT_TRUE(policy.presence().gaps().empty());

  // The user hands a task to the coding agent and leans back: while it works, fourteen minutes
  // without input are still work on its project; at fifteen the user is away.
  day.open(terminalWithAgent(day.now(), true));
  day.busy(30);
  day.drain();
  policy.agentWorking = true;
  day.touch();
  day.still(14 * kMinute);
  EXPECT_FALSE(policy.isAway());
  drained = day.drain();
  EXPECT_EQ(drained.focus, (std::map<std::string, Duration>{{kProject, 840}}));
  EXPECT_EQ(drained.away, 0);
  day.still(kMinute);
  EXPECT_TRUE(policy.isAway());
  drained = day.drain();
  EXPECT_EQ(drained.away, 30);
  EXPECT_EQ(drained.focusTotal(), 30);

  // The agent finishes and waits for the user, who comes back and drifts off while waiting: the
  // prompt holds off for the agent's fifteen minutes instead of the one-second grace.
  policy.agentWorking = false;
  policy.waitingOnAgent = true;
  day.touch();
  day.busy(15);
  Date start = day.now();
  EXPECT_EQ(day.open(video("Top 10 goals of the season", "g0al")),
            PolicyDecision::check(start + policy.config.agentWaitLimit));
  EXPECT_EQ(policy.explain(day.frontAnalysis(), day.front(), day.now()),
            "drift (similarity 0.04): 0/1 s, waiting on the agent (up to 15 min)");
  day.busy(5 * kMinute);

  // A talk close to the work ends that drift, though the classifier calls it leisure; the next
  // distraction waits its own fifteen minutes.
  Page talk = video("Structured concurrency in async Rust", "a5ync");
  talk.similarity = 0.4f;
  EXPECT_EQ(day.open(talk), PolicyDecision::none());
  EXPECT_EQ(policy.driftSeconds(day.now()), std::nullopt);
  day.busy(5 * kMinute);
  start = day.now();
  EXPECT_EQ(day.open(video("Top 10 goals of the season", "g0al")),
            PolicyDecision::check(start + policy.config.agentWaitLimit));
  day.busy(14 * kMinute + 59);
  EXPECT_TRUE(day.prompts().empty());
  day.busy(1.5);
  ASSERT_EQ(day.prompts().size(), 1u);
  EXPECT_EQ(sinceNine(day.prompts()[0].at), sinceNine(start + policy.config.agentWaitLimit));
  // The fifteen covered minutes were not learned as a pause either.
  EXPECT_EQ(policy.presence().gaps().count("org.gnome.Terminal"), 0u);
}

// --- Expiry ---

TEST(PolicyScenarioTest, ContextExpiresOnceWorkHasGoneStale) {
  Policy policy;
  Day day(policy);
  learnTheWork(day);
  day.busy(26 * kMinute);  // 09:30, the last work counted at this tick

  day.open(redditThread("What is the best pizza topping? : r/AskReddit", "AskReddit/comments/1"));
  day.busy(5);
  ASSERT_EQ(day.prompts().size(), 1u);
  day.answer(Outcome::dismissed);

  // Half an hour of scrolling the forum earns no work. Later threads are still prompted while
  // the work is fresh enough...
  day.busy(15 * kMinute - 5);
  day.open(redditThread("Honest opinions needed : r/AskReddit", "AskReddit/comments/2"));
  day.busy(5);
  ASSERT_EQ(day.prompts().size(), 2u);
  EXPECT_EQ(sinceNine(day.prompts()[1].at), sinceNine(clock(9, 45, 1)));
  day.answer(Outcome::dismissed);
  day.busy(25);
  Drained drained = day.drain();
  EXPECT_EQ(drained.focusTotal(), 26 * kMinute);
  EXPECT_EQ(drained.detours, 2);

  // ...and the context lives through the tick exactly thirty minutes after the last work...
  day.busy(clock(10, 0).since(day.now()));
  EXPECT_TRUE(policy.isProtecting());
  EXPECT_EQ(sinceNine(day.ticks().back().first), sinceNine(clock(10, 0)));
  // ...but not through the next one.
  day.busy(30);
  EXPECT_FALSE(policy.isProtecting());
  EXPECT_EQ(day.ticks().back().second, PolicyDecision::none());
  EXPECT_TRUE(policy.recentWork().empty());
  EXPECT_EQ(policy.learnedSeconds(), 0);
  // The projects are remembered for the next context.
  EXPECT_EQ(policy.projectNames(), std::vector<std::string>{kProject});

  // Learning again: no prompts, whatever is in front, until three minutes of work are seen.
  EXPECT_EQ(day.open(video("Ten cats that changed history", "c4ts")), PolicyDecision::none());
  day.busy(5 * kMinute);
  day.open(editor("tax.rs"));
  day.busy(150);
  EXPECT_FALSE(policy.isProtecting());
  day.busy(30);
  EXPECT_TRUE(policy.isProtecting());
  EXPECT_EQ(day.prompts().size(), 2u);

  drained = day.drain();
  EXPECT_EQ(drained.focus, (std::map<std::string, Duration>{{kProject, 180}}));
  EXPECT_EQ(drained.detours, 0);
  EXPECT_EQ(drained.away, 0);
}

TEST(PolicyScenarioTest, ContextExpiresAfterAnIdleHalfHourEvenWhileMediaCountsAsWork) {
  Policy policy;
  Day day(policy);
  learnTheWork(day);
  day.busy(56 * kMinute);  // 10:00
  day.drain();

  day.open(lectureVideo());
  day.busy(30);
  policy.mediaPlaying = true;
  day.touch();
  day.still(30 * kMinute);
  EXPECT_TRUE(policy.isProtecting());
  day.still(30);
  EXPECT_FALSE(policy.isProtecting());
  EXPECT_EQ(day.drain().focusTotal(), 30 + 30 * kMinute + 30);
}

// --- Restart ---

namespace {

Json roundTrip(const Json& json) { return json::parse(json::dump(json)); }

// What the coordinator writes: context.json and the four record files.
struct Saved {
  Json context;
  Json projects;
  Json sites;
  Json presence;
  Json allowed;
};

Saved save(const Policy& policy, Date at) {
  Json context = Json::object();
  context["saved"] = json::encode(at);
  context["context"] = policy.context()->toJson();
  return {roundTrip(context), roundTrip(policy.projects().toJson()),
          roundTrip(policy.sites().toJson()), roundTrip(policy.presence().toJson()),
          roundTrip(policy.allowances().toJson())};
}

void restore(Policy& policy, const Saved& saved) {
  policy.restore(ProjectMemory::fromJson(saved.projects));
  policy.restore(WorkSites::fromJson(saved.sites));
  policy.restore(Presence::fromJson(saved.presence));
  policy.restore(Allowances::fromJson(saved.allowed));
  policy.restore(WorkContext::fromJson(saved.context.at("context")),
                 json::decode<Date>(saved.context.at("saved"), "saved"));
}

}  // namespace

TEST(PolicyScenarioTest, RestartCarriesOnFromTheSavedRecords) {
  Policy before;
  Day morning(before);
  learnTheWork(morning);
  morning.busy(26 * kMinute);  // 09:30
  // The morning teaches an allowance, a confirmed site, a project and the user's reading pauses.
  morning.open(rustForum("Async cancellation, explained", 101));
  morning.still(2);
  morning.answer(Outcome::related);
  morning.open(rustBook());
  morning.busy(28);
  for (int read = 0; read < 5; ++read) {
    morning.busy(10);
    morning.pause(110);
    morning.busy(30);
  }
  morning.open(editor("tax.rs"));
  morning.busy(10 * kMinute);
  Date savedAt = morning.now();
  Saved saved = save(before, savedAt);

  // The program restarts five minutes later: every saved part reads back equal.
  Policy after;
  restore(after, saved);
  ASSERT_TRUE(after.isProtecting());
  EXPECT_EQ(*after.context(), *before.context());
  EXPECT_EQ(after.projects(), before.projects());
  EXPECT_EQ(after.sites(), before.sites());
  EXPECT_EQ(after.presence(), before.presence());
  EXPECT_EQ(after.allowances(), before.allowances());
  EXPECT_EQ(after.projectNames(), std::vector<std::string>{kProject});

  // The analyser has recent work to compare with at once, and the policy protects it at once.
  EXPECT_FALSE(after.recentWork().empty());
  Day restarted(after, savedAt + 5 * kMinute);
  restarted.open(editor("tax.rs"));
  restarted.busy(kMinute);
  // The allowed forum is still let be, and a video is still a distraction.
  EXPECT_EQ(restarted.open(rustForum("Is this borrow checker error a bug?", 102)),
            PolicyDecision::none());
  restarted.busy(kMinute);
  restarted.open(video("Ten cats that changed history", "c4ts"));
  restarted.still(2);
  ASSERT_EQ(restarted.prompts().size(), 1u);
  restarted.answer(Outcome::back);
  // The learned pauses still count as presence on the book.
  restarted.open(rustBook());
  restarted.busy(28);
  restarted.pause(150);
  EXPECT_FALSE(after.isAway());
  restarted.busy(30);
  Drained drained = restarted.drain();
  EXPECT_EQ(drained.away, 0);
  EXPECT_EQ(drained.focusTotal(), 60 + 28 + 150 + 30);
  EXPECT_EQ(drained.detours, 1);

  // The next morning the saved context is long stale: the first tick drops it and the day is
  // learned afresh, with yesterday's projects, sites, pauses and allowances kept.
  Policy nextDay;
  restore(nextDay, saved);
  Day tomorrow(nextDay, kMorning + 24 * kHour);
  tomorrow.open(video("Ten cats that changed history", "c4ts"));
  tomorrow.busy(30);
  EXPECT_FALSE(nextDay.isProtecting());
  EXPECT_TRUE(tomorrow.prompts().empty());
  EXPECT_EQ(nextDay.presence(), before.presence());
  EXPECT_EQ(nextDay.allowances(), before.allowances());
  EXPECT_EQ(nextDay.projectNames(), std::vector<std::string>{kProject});
}

}  // namespace qb
