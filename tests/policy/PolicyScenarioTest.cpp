// Scenarios: one Policy driven through stretches of a simulated working day, the way the
// coordinator drives it: an observation whenever the thing in front changes, followed by its
// analysis, a tick every 30 seconds and at the time of every check(at:) answer, the prompt's
// outcome when the user answers. Each scenario checks only what the coordinator can see: the
// decisions, the prompts they lead to, the views and the drained counters.
//
// A scenario is a table, one step a row, read by one driver:
//
//   TIME [busy|still|pause|asleep] [ACTION[, ACTION...]] [| VIEW VALUE; VIEW VALUE...]
//
// Time first passes up to TIME ("9:20", "9:20:00.5"): with input before every tick (which then
// sees 2 s of idle), without input, as one pause the user ends by moving the mouse, or asleep (no
// tick runs and scheduled checks are lost); with none of these the clock must be at TIME. Then the
// actions: `open PAGE` (a click), `answer back|related|dismissed`, `touch` (input), `drain`,
// `interrupt`, `end SCOPE` (an allowance), `set media|agentWorking|waitingOnAgent on|off`. Then
// each view, written as text, must read VALUE exactly. A line that starts with "|" adds views to
// the row above; "//" starts a comment. Titles in views are written as the pages' names.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/NoDestructor.h"
#include "policy/PolicyTestSupport.h"
#include "support/SavedRecord.h"

namespace qb {
namespace {

using namespace policytest;

constexpr Duration kTickEvery = 30;
constexpr Duration kBusyIdle = 2;  // the idle time a tick sees while the user types or scrolls
constexpr Date kMorning = Date::fromUnix(1710230400);  // Tuesday 2024-03-12, 09:00 in Berlin

// "H:MM[:SS[.f]]" on the day whose 09:00 is `nine`.
std::optional<Date> parseClock(const std::string& text, Date nine) {
  int hour = 0, minute = 0;
  double second = 0;
  if (std::sscanf(text.c_str(), "%d:%d:%lf", &hour, &minute, &second) < 2) return std::nullopt;
  return nine + (hour - 9) * kHour + minute * kMinute + second;
}

// Exactly, in the shortest text that reads back as the same number.
std::string number(double value) {
  char text[64];
  return {text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr};
}

// The clock time of `at` on the day whose 09:00 is `nine`, without ":00" seconds.
std::string clockText(Date at, Date nine) {
  const double seconds = at.since(nine) + 9 * kHour, whole = std::floor(seconds);
  const int s = static_cast<int>(whole);
  char text[32];
  std::snprintf(text, sizeof text, s % 60 || seconds != whole ? "%d:%02d:%02d" : "%d:%02d",
                s / 3600, s / 60 % 60, s % 60);
  return text + (seconds != whole ? number(seconds - whole).substr(1) : "");
}

template <typename Items, typename Text>
std::string join(const Items& items, Text text, const char* separator = " / ") {
  std::string out;
  for (const auto& item : items) out += (out.empty() ? "" : separator) + text(item);
  return out.empty() ? "none" : out;
}
const auto asIs = [](const std::string& text) { return text; };

std::string trim(const std::string& text) {
  const size_t begin = text.find_first_not_of(' ');
  return begin == std::string::npos ? ""
                                    : text.substr(begin, text.find_last_not_of(' ') + 1 - begin);
}

// Something the user can have in front, with what the analyser says about it: no activity when it
// abstains, and a similarity to the recent work that it reports only while there is recent work to
// compare with (it skips the comparison for an empty list, and always for messaging).
struct Page {
  std::string name, bundleID, title, address;  // no address: an application window
  std::optional<ActivityKind> activity;
  float score = 0;
  std::optional<float> similarity;
};

constexpr auto work = ActivityKind::work, leisure = ActivityKind::entertainment;
const Page kPages[] = {
    {"book", "firefox", "Fearless Concurrency - The Rust Programming Language",
     "https://doc.rust-lang.org/book/ch16-00-concurrency.html", work, 0.88f, 0.41f},
    {"python", "firefox", "asyncio \u2014 Asynchronous I/O \u2014 Python 3.12 documentation",
     "https://docs.python.org/3/library/asyncio.html", work, 0.87f, 0.33f},
    {"lecture", "firefox", "Understanding ownership and borrowing, a RustConf talk - YouTube",
     "https://www.youtube.com/watch?v=rustconf22", work, 0.86f, 0.4f},
    {"cats", "firefox", "Ten cats that changed history - YouTube",
     "https://www.youtube.com/watch?v=c4ts", leisure, 0.93f, 0.04f},
    {"goals", "firefox", "Top 10 goals of the season - YouTube",
     "https://www.youtube.com/watch?v=g0al", leisure, 0.93f, 0.04f},
    // Leisure to the classifier, but close to the work.
    {"talk", "firefox", "Structured concurrency in async Rust - YouTube",
     "https://www.youtube.com/watch?v=a5ync", leisure, 0.93f, 0.4f},
    {"pizza", "firefox", "What is the best pizza topping? : r/AskReddit",
     "https://www.reddit.com/r/AskReddit/comments/1", leisure, 0.9f, 0.06f},
    {"opinions", "firefox", "Honest opinions needed : r/AskReddit",
     "https://www.reddit.com/r/AskReddit/comments/2", leisure, 0.9f, 0.06f},
    {"opinions?", "firefox", "Honest opinions needed : r/AskReddit",
     "https://www.reddit.com/r/AskReddit/comments/2", std::nullopt, 0.3f, 0.06f},
    {"news", "firefox", "Rail strike: what commuters need to know | Example News",
     "https://news.example.org/2024/03/12/rail-strike", std::nullopt, 0.55f, 0.1f},
    {"whatsapp", "firefox", "WhatsApp", "https://web.whatsapp.com/", ActivityKind::communication,
     1.0f, std::nullopt},
    {"article", "firefox", "10 habits of highly productive engineers | by Sam Writer | Medium",
     "https://medium.com/@samwriter/10-habits-3f2a", work, 0.8f, 0.1f},
    // A coding agent at work on the project.
    {"agent", "org.gnome.Terminal", "coder: ledgerly", "", work, 0.84f, 0.48f},
};

// The page of that name: "NAME.rs" is a file of the project in the editor, "forum:NNN" a thread
// of a programming forum the classifier reads as leisure, though the user reads it for work (the
// first digit picks its title; 101 is the first thread).
std::optional<Page> page(const std::string& name) {
  const char* threads[] = {"Async cancellation, explained", "Is this borrow checker error a bug?",
                           "Pin and Unpin in practice", "Which async runtime for a small CLI?",
                           "Error handling without anyhow"};
  if (name.ends_with(".rs")) {
    return Page{name, "code", name + " - ledgerly - Visual Studio Code", "", work, 0.91f, 0.62f};
  }
  if (name.starts_with("forum:") && name.size() == 9) {
    return Page{name,
                "firefox",
                threads[name == "forum:101" ? 0 : name[6] - '0'] + std::string(" : r/rust"),
                "https://www.reddit.com/r/rust/comments/" + name.substr(6),
                leisure,
                0.82f,
                0.12f};
  }
  for (const Page& known : kPages) {
    if (known.name == name) return known;
  }
  return std::nullopt;
}

// The coordinator's side of a day, driven by tables.
class Day {
public:
  // start: the clock time the day begins at, on the day whose 09:00 is `nine`.
  explicit Day(Policy& policy, const std::string& start = "9:00", Date nine = kMorning)
      : policy_(policy), nine_(nine), now_(*parseClock(start, nine)), lastInput_(now_) {}

  void run(const std::string& table) {
    std::istringstream lines(table + "\n.");  // "." ends the last step
    std::string step;                         // the row, then the views added to it
    for (std::string line; std::getline(lines, line) && !::testing::Test::HasFailure();) {
      line = trim(line);
      if (line.empty() || line.starts_with("//")) continue;
      if (!line.starts_with("|") && !step.empty()) perform(step), step.clear();
      step += (line.starts_with("|") ? ";" + line.substr(1) : line);
    }
  }

private:
  void perform(const std::string& step) {
    SCOPED_TRACE(step);
    static const NoDestructor<std::regex> row(
        R"(^(\S+) *(busy|still|pause|asleep)? *([^|]*)\|?(.*)$)");
    std::smatch part;
    ASSERT_TRUE(std::regex_match(step, part, *row)) << "not a step";
    const std::optional<Date> until = parseClock(part[1], nine_);
    ASSERT_TRUE(until.has_value()) << "not a clock time";
    const size_t ticksBefore = ticks_.size();
    if (part[2] == "asleep") {
      now_ = *until;
      checks_.clear();
      while (nextTick_ <= now_) nextTick_ = nextTick_ + kTickEvery;
    } else if (part[2].matched) {
      if (part[2] == "pause") lastInput_ = now_;
      passUntil(*until, part[2] == "busy");
      if (part[2] == "pause") lastInput_ = now_;
    } else {
      ASSERT_EQ(clockText(now_, nine_), part[1]) << "the clock is not at the step's time";
    }
    std::istringstream actions(part[3].str()), views(part[4].str());
    bool drains = false;
    for (std::string action; std::getline(actions, action, ',');) {
      action = trim(action);
      const size_t space = std::min(action.find(' '), action.size());
      act(action.substr(0, space), trim(action.substr(space)));
      drains = drains || action == "drain";
    }
    std::vector<std::pair<std::string, std::string>> expected;
    for (std::string view; std::getline(views, view, ';');) {
      view = trim(view);
      const std::string name = view.substr(0, view.find(' '));
      expected.emplace_back(name, trim(view.substr(name.size())));
      drains = drains || isDrained(name);
    }
    if (drains) drain();
    for (const auto& [name, value] : expected) {
      EXPECT_EQ(isDrained(name) ? drained_.at(name) : this->view(name, value, ticksBefore), value)
          << name;
    }
  }

  // Runs every tick due up to `until` (the 30-second ones and those check answers asked for),
  // then leaves the clock at `until`.
  void passUntil(Date until, bool input) {
    for (;;) {
      const Date next = checks_.empty() ? nextTick_ : std::min(nextTick_, *checks_.begin());
      if (next > until) break;
      now_ = next;
      if (next == nextTick_) nextTick_ = nextTick_ + kTickEvery;
      checks_.erase(next);
      if (input) lastInput_ = std::max(lastInput_, now_ - kBusyIdle);
      ticks_.emplace_back(now_, policy_.tick(now_, now_.since(lastInput_), calendar_));
      handle(ticks_.back().second);
    }
    now_ = until;
  }

  void act(const std::string& action, const std::string& argument) {
    const std::map<std::string, Outcome> outcomes = {
        {"back", Outcome::back}, {"related", Outcome::related}, {"dismissed", Outcome::dismissed}};
    const std::map<std::string, bool Policy::*> flags = {
        {"media", &Policy::mediaPlaying},
        {"agentWorking", &Policy::agentWorking},
        {"waitingOnAgent", &Policy::waitingOnAgent}};
    const std::string flag = argument.substr(0, argument.find(' '));
    if (action == "open") {
      const std::optional<Page> shown = page(argument);
      ASSERT_TRUE(shown.has_value()) << "no page " << argument;
      lastInput_ = now_;
      const std::map<std::string, std::string> apps = {
          {"firefox", "Firefox"}, {"code", "Code"}, {"org.gnome.Terminal", "Terminal"}};
      Moment moment(nextID_++, now_, apps.at(shown->bundleID), shown->bundleID, shown->title,
                    shown->address.empty() ? std::nullopt : Url::parse(shown->address));
      if (argument == "agent") {
        moment.agent =
            AgentSession("coder", "/home/sam/src/ledgerly", "fix-invoice-rounding", now_, true);
      }
      names_[shown->title] = argument;
      policy_.observe(moment, now_, 0, calendar_);
      front_ = moment;
      frontAnalysis_ = analyze(*shown, moment);
      decision_ = policy_.ingest(*frontAnalysis_, moment, now_);
      handle(decision_);
    } else if (action == "answer" && outcomes.count(argument) && front_) {
      lastInput_ = now_;
      policy_.record(outcomes.at(argument), *front_, frontAnalysis_, now_);
    } else if (action == "set" && flags.count(flag)) {
      policy_.*flags.at(flag) = argument.ends_with(" on");
    } else if (action == "touch" || action == "interrupt" || action == "end") {
      if (action == "touch") lastInput_ = now_;
      if (action == "interrupt") policy_.interrupt();
      if (action == "end") policy_.endAllowance(argument);
    } else {
      ASSERT_TRUE(action.empty() || action == "drain") << "no action " << action << " " << argument;
    }
  }

  // What the analyser would answer: the page's own verdict, with the similarity only when there
  // was recent work to compare with.
  Analysis analyze(const Page& shown, const Moment& moment) const {
    Analysis result = analysis(moment.id, shown.activity, shown.score);
    result.unsure = !shown.activity.has_value();
    const std::vector<std::string> recent = policy_.recentWork();
    if (!recent.empty() && shown.similarity &&
        (shown.activity == ActivityKind::work || shown.activity == ActivityKind::entertainment)) {
      result.similarity = shown.similarity;
      for (const std::string& title : recent) result.similarities[title] = *shown.similarity;
    }
    return result;
  }

  // What the coordinator does with a decision: schedules a tick for a check, shows the prompt
  // (and reports it shown) for an intervention.
  void handle(const PolicyDecision& decision) {
    if (decision.kind == PolicyDecision::Kind::check) {
      // A check for a time already reached would be scheduled for now again and again.
      EXPECT_GT(decision.at, now_) << "check(at:) for a time not in the future";
      if (decision.at > now_) checks_.insert(decision.at);
    } else if (decision.kind == PolicyDecision::Kind::intervene) {
      ASSERT_TRUE(front_.has_value());
      EXPECT_EQ(decision.observationID, front_->id) << "a prompt for something not in front";
      prompts_.push_back(clockText(now_, nine_) + " " + names_.at(front_->title));
      policy_.record(Outcome::prompted, *front_, frontAnalysis_, now_);
    }
  }

  std::string text(const PolicyDecision& decision) const {
    if (decision.kind == PolicyDecision::Kind::check)
      return "check " + clockText(decision.at, nine_);
    return decision.isNone() ? "none" : "intervene " + std::to_string(decision.observationID);
  }

  // A title as the name of the page it was opened as.
  std::string name(const std::string& title) const {
    return names_.count(title) ? names_.at(title) : title;
  }

  // The view `name` as text. The first word of `value`, what the table expects, is the key of the
  // views that take one: allowance SCOPE, presence KEY.
  std::string view(const std::string& name, const std::string& value, size_t ticksBefore) const {
    const Policy& p = policy_;
    const std::string key = value.substr(0, value.find(' '));
    const auto title = [this](const std::string& text) { return this->name(text); };
    if (name == "decides") return text(decision_);
    if (name == "explains") return front_ ? p.explain(*frontAnalysis_, *front_, now_) : "none";
    if (name == "learned") return number(p.learnedSeconds());
    if (name == "protecting") return p.isProtecting() ? "yes" : "no";
    if (name == "away") return p.isAway() ? "yes" : "no";
    if (name == "drift") return p.driftSeconds(now_) ? number(*p.driftSeconds(now_)) : "none";
    if (name == "cooldowns") return join(p.cooldowns(now_), entry, ", ");
    if (name == "prompts") return std::to_string(prompts_.size());
    if (name == "prompt") return prompts_.empty() ? "none" : prompts_.back();
    if (name == "last-tick") return ticks_.empty() ? "none" : clockText(ticks_.back().first, nine_);
    if (name == "context") return p.context() ? join(p.context()->titles, title) : "none";
    if (name == "recent") return join(p.recentWork(), title);
    if (name == "projects") return join(p.projectNames(), asIs);
    if (name == "working-on") return join(p.workingOn(now_), asIs);
    if (name == "summary") return p.contextSummary(now_).value_or("none");
    if (name == "weight") return front_ ? number(p.sites().weight(*front_, now_)) : "none";
    if (name == "presence") return key + " " + number(p.presence().allowance(key));
    if (name == "active") return join(p.allowances().active(now_), [](auto& a) { return a.scope; });
    if (name == "gaps") {
      return join(
          p.presence().gaps(),
          [](auto& gaps) { return gaps.first + "=" + join(gaps.second, number, " "); }, ", ");
    }
    if (name == "ticks") {  // the decisions of the ticks while time passed up to this step
      std::set<std::string> seen;
      for (size_t i = ticksBefore; i < ticks_.size(); ++i) seen.insert(text(ticks_[i].second));
      return join(seen, asIs);
    }
    if (name == "allowance") {
      if (!p.allowances().entries().count(key)) return key + " none";
      const Allowances::Allowance& allowance = p.allowances().entries().at(key);
      return key + " " + std::to_string(allowance.count) + " until " +
             clockText(allowance.until, nine_) + " since " + clockText(allowance.last, nine_);
    }
    ADD_FAILURE() << "no view " << name;
    return "";
  }

  static std::string entry(const std::pair<const std::string, Duration>& item) {
    return item.first + "=" + number(item.second);
  }

  // The views of a drain: seconds of focus in all and per task, of unsure pages, of detours and
  // away.
  static bool isDrained(const std::string& name) {
    return name == "focus" || name == "tasks" || name == "unsure" || name == "detours" ||
           name == "away-time";
  }

  // Empties the counters into the drain views. Tasks credited with no time (a step that ended the
  // instant it began) are left out: they say nothing about the day.
  void drain() {
    std::map<std::string, Duration> focus = policy_.drainFocus();
    std::erase_if(focus, [](const auto& task) { return task.second == 0; });
    drained_ = {{"focus", number(total(focus))},
                {"tasks", join(focus, entry, ", ")},
                {"unsure", join(policy_.drainUnsure(),
                                [this](const Policy::UnsureTime& unsure) {
                                  return name(unsure.moment.title) + "=" + number(unsure.seconds);
                                })},
                {"detours", number(policy_.drainDetours())},
                {"away-time", number(policy_.drainAway())}};
  }

  Policy& policy_;
  const Date nine_;
  Calendar calendar_ = Calendar::inZone("Europe/Berlin");
  Date now_, lastInput_, nextTick_ = now_ + kTickEvery;
  std::set<Date> checks_;
  uint64_t nextID_ = 1;
  std::optional<Moment> front_;
  std::optional<Analysis> frontAnalysis_;
  PolicyDecision decision_;                   // the answer to the last page opened
  std::map<std::string, std::string> names_;  // the page name of each title opened
  std::vector<std::string> prompts_;          // "TIME PAGE" of each prompt shown
  std::vector<std::pair<Date, PolicyDecision>> ticks_;
  std::map<std::string, std::string> drained_;  // the drain views at the last drain
};

// The first minutes of a day: three minutes in the editor on two files, which is enough to learn
// the work, then a third file. The counters are emptied. Leaves the clock at 09:04.
const std::string kLearnTheWork = R"(
  9:00        open invoice.rs
  9:02  busy  open ledger.rs
  9:03  busy  | protecting yes
  9:03        open tax.rs
  9:04  busy  drain
)";

// Five pauses while reading, 150 s each from `start` on: 10 s of input, then a pause that the
// last tick before the user scrolls again sees at 110 s of idle, then 30 s of input.
std::string readingPauses(const std::string& start) {
  std::string rows;
  for (Date at = *parseClock(start, kMorning), end = at + 5 * 150; at < end; at = at + 150) {
    rows += clockText(at + 10, kMorning) + " busy\n" + clockText(at + 120, kMorning) + " pause\n" +
            clockText(at + 150, kMorning) + " busy\n";
  }
  return rows;
}

void runDay(const std::string& table, Policy policy = Policy()) { Day(policy).run(table); }

// --- Learning ---

TEST(PolicyScenarioTest, FirstThreeMinutesOfWorkAreLearnedWithinTenMinutes) {
  runDay(R"(
    // Before a context, leisure is never interrupted and never counts toward learning.
    9:00        open invoice.rs | decides none
    9:02  busy  | learned 120; protecting no; explains learning: 120/180 s of work
    9:02        open pizza | decides none
    9:11  busy  | learned 120; prompts 0
    // The morning's two minutes leave the ten-minute window one step at a time: the step that
    // ended at 9:02:00 still counts at 9:12, so it takes three fresh minutes to learn the work.
    9:11        open ledger.rs
    9:12  busy  open tax.rs | learned 90
    9:13:30 busy | protecting no; learned 150
    // The context holds the titles seen within the window, newest first, and names the work at
    // once; every confident work page of the day is recent work.
    9:14  busy  | protecting yes; learned 0; context tax.rs / ledger.rs; working-on ledgerly
                | recent tax.rs / ledger.rs / invoice.rs; prompts 0
                | focus 300; detours 0; away-time 0; unsure none
    9:14        | tasks none
  )");
}

TEST(PolicyScenarioTest, EstablishedContextNamesTheWorkAndReadsPagesAgainstIt) {
  runDay(kLearnTheWork + R"(
    9:04        | projects ledgerly
    9:09  busy  | tasks ledgerly=300; focus 300; summary ledgerly; working-on ledgerly
                | explains same task (similarity 0.62, work 0.91, site 0.00)
    // Time on a page the analyser is unsure about is logged under its site, and as unsure.
    9:09        open news
    9:10  busy  | explains activity unsure (0.55); tasks news.example.org=60; focus 60
                | unsure news=30 / news=30
    // While prompting on chat is off, a chat is neither work nor drift.
    9:10        open whatsapp | decides none
    9:13  busy  | prompts 0; focus 0; detours 0
  )");
}

// --- Drifting ---

TEST(PolicyScenarioTest, DriftOntoALeisureSiteIsPromptedAfterTheGrace) {
  runDay(kLearnTheWork + R"(
    9:20  busy  open pizza | decides check 9:20:01; drift 0
                | explains drift (similarity 0.06): 0/1 s
    // An unsure look at another thread carries the drift on; the prompt is about it.
    9:20:00.5 still open opinions? | decides check 9:20:01
                | explains unsure (0.30), continues drift (similarity 0.06): 0/1 s
    9:20:02.5 still | prompts 1; prompt 9:20:01 opinions?; drift none; cooldowns global=118.5
    // Back to work ends every cooldown at once and sets none for the site.
    9:20:02.5   answer back | cooldowns none
    9:20:02.5   open tax.rs
    9:30:02.5 busy open cats
    9:30:07.5 still | prompts 2; prompt 9:30:03.5 cats
    9:30:07.5   answer back, open tax.rs
    // Detours: the grace on the forum and on the video.
    9:31:07.5 busy | detours 2; away-time 0
  )");
}

TEST(PolicyScenarioTest, DismissalHoldsTheSiteBackLongerThanTheRest) {
  runDay(kLearnTheWork + R"(
    10:00 busy  drain, open cats
    10:00:04 still answer dismissed | prompts 1; prompt 10:00:01 cats
                | cooldowns global=120, youtube.com=600
    10:01 busy  open goals | decides check 10:10:04
                | explains drift (similarity 0.04): 0/1 s, cooldown 64 s, site cooldown 544 s
    // Another site waits for the global cooldown only.
    10:01:30 busy open pizza | decides check 10:02:04
    10:02:10 busy answer dismissed | prompts 2; prompt 10:02:04 pizza
    // Ticks look again at the held-back time, never at an earlier one.
    10:03 busy  open goals
    10:10 busy  | ticks check 10:10:04; prompts 2
    10:10:08 busy | prompts 3; prompt 10:10:04 goals
    // Detours: the first grace, 10:01 to 10:02:04 and 10:03 to 10:10:04.
    10:10:08    answer back, open tax.rs
    10:11 busy  | detours 489; tasks ledgerly=52; away-time 0
  )");
}

TEST(PolicyScenarioTest, EachItsForWorkAllowsTheSiteTwiceAsLong) {
  runDay(kLearnTheWork + R"(
    10:30 busy  open forum:101
    10:30:02 still | prompts 1
    10:30:02    answer related | allowance reddit.com 1 until 12:30:02 since 10:30:02; weight 1
    // The answer starts the global cooldown: a video right after it waits.
    10:31 busy  open cats | decides check 10:32:02
    10:32:05 busy | prompts 2
    10:32:05    answer back, open tax.rs
    10:55:02 busy open forum:102 | decides none; explains allowed for now (It's for work)
    10:59:02 busy open tax.rs
    11:24:02 busy open forum:103 | decides none; explains allowed for now (It's for work)
    11:28:02 busy open tax.rs
    11:53:02 busy open forum:104 | decides none; explains allowed for now (It's for work)
    11:57:02 busy open tax.rs
    12:22:02 busy open forum:105 | decides none; explains allowed for now (It's for work)
    12:26:02 busy | prompts 2
    // Two hours on, the forum is a distraction again; the second grant lasts four hours.
    12:26:02    open tax.rs
    12:30:02 busy open forum:201 | decides check 12:30:03
    12:30:04 still | prompts 3
    12:30:04    answer related | allowance reddit.com 2 until 16:30:04 since 12:30:04
    12:30:04    open tax.rs
    13:25:04 busy open forum:300 | decides none
    13:29:04 busy open tax.rs
    14:24:04 busy open forum:301 | decides none
    14:28:04 busy open tax.rs
    15:23:04 busy open forum:302 | decides none
    15:27:04 busy open tax.rs
    16:22:04 busy open forum:303 | decides none
    16:26:04 busy open tax.rs
    16:30:04 busy open forum:401 | prompts 3
    16:30:06 still | prompts 4
    16:30:06    answer related | allowance reddit.com 3 until 24:30:06 since 16:30:06
                | active reddit.com
    // Ended from the sites page, the allowance starts over at two hours.
    16:30:06    end reddit.com, open tax.rs
    16:35:06 busy open forum:401
    16:35:08 still | prompts 5
    16:35:08    answer related | allowance reddit.com 1 until 18:35:08 since 16:35:08
  )");
}

TEST(PolicyScenarioTest, ComingBackFromAwayRestartsTheGrace) {
  runDay(kLearnTheWork + R"(
    10:00 busy  drain, open cats
    10:00:04 still answer dismissed
    10:01 busy  open goals | decides check 10:10:04
    // Away from the two-minute mark on, nothing is prompted, even after the cooldown; back, the
    // grace counts from the return.
    10:16 still | away yes; prompts 1
    10:16       touch
    10:16:30 busy | away no
    10:16:35 busy | prompts 2; prompt 10:16:31 goals
    10:16:35    | away-time 900; detours 31; focus 0
  )");
}

TEST(PolicyScenarioTest, ASleepingMachineCreditsAtMostOneStep) {
  runDay(kLearnTheWork + R"(
    9:30 busy   | focus 1560
    // Unannounced, the first step after twenty minutes asleep counts maxCredit of them...
    9:50 asleep touch
    9:50:30 busy | protecting yes; focus 90
    // ...announced, none.
    10:00 busy  drain, interrupt
    10:20 asleep interrupt, touch
    10:21 busy  | focus 30
  )");
}

TEST(PolicyScenarioTest, WorkOnAnUnknownSiteIsADistractionOnlyOnceSitesAreKnown) {
  // Monday and Tuesday's work is in the saved work-site record: enough for it to be trusted.
  WorkSites sites;
  sites.credit(std::nullopt, 2 * kHour, 0, 0.95f, kMorning - 48 * kHour, berlin());
  sites.credit(std::nullopt, 2 * kHour, 0, 0.95f, kMorning - 24 * kHour, berlin());
  ASSERT_TRUE(sites.isBuilt(PolicyConfig().siteWarmup));
  Policy policy;
  policy.restore(sites);
  runDay(kLearnTheWork + R"(
    // Work on a new site may be passing through: not prompted, not learned, nobody's time.
    11:00 busy  drain, open article | decides none
                | explains new site (similarity 0.10, work 0.80, site 0.00)
    11:05 busy  open tax.rs
    11:40 busy  | recent tax.rs / ledger.rs / invoice.rs; tasks ledgerly=2100
    // Once the site is not new, work off the user's work sites is a distraction.
    11:40       open article | decides check 11:40:01
    11:40:02 still answer dismissed | prompts 1
    11:45 busy  open tax.rs
    11:46 busy  | tasks ledgerly=60; detours 1
  )",
         policy);
}

// --- Idle time ---

TEST(PolicyScenarioTest, PausesWhileReadingAreLearnedAsPresence) {
  runDay(kLearnTheWork + R"(
    // Past the first two minutes of stillness the user is away, held-back time included.
    10:00 busy  drain, open book
    10:00:30 busy
    10:03 pause | away yes; away-time 150; focus 30
    // Coming back from away teaches nothing.
    10:03:30 busy | away no; gaps none; focus 30
  )" + readingPauses("10:03:30") +
         R"(
    10:16       | gaps doc.rust-lang.org=110 110 110 110 110; presence doc.rust-lang.org 165
                | away-time 0; focus 750
    10:16:30 busy
    10:19 pause | away no
    10:19:30 busy | away-time 0; focus 210
    // What was learned on the book does not carry over to another site.
    10:19:30    open python
    10:20 busy
    10:22:30 pause | away yes
    10:23 busy  | away-time 150; gaps doc.rust-lang.org=110 110 110 110 110 150
    // A pause seen at 29 s is typing rhythm; one seen at 30 s is learned.
    10:23:30 busy
    10:23:31 still
    10:24 pause
    10:24:30 busy | gaps doc.rust-lang.org=110 110 110 110 110 150
    10:25 pause
    10:25:30 busy | gaps doc.rust-lang.org=110 110 110 110 110 150, docs.python.org=30
  )");
}

TEST(PolicyScenarioTest, PlayingMediaAndABusyAgentCoverIdleTime) {
  runDay(kLearnTheWork + R"(
    10:00 busy  drain, open lecture
    10:00:30 busy set media on
    10:10:30 pause | away no; away-time 0; focus 630
    10:10:30    set media off
    10:11:30 busy | gaps none
    // While the agent works, stillness is work on its project up to agentWaitLimit.
    10:11:30    open agent
    10:12 busy  drain, set agentWorking on, touch
    10:26 still | away no; tasks ledgerly=840; away-time 0
    10:27 still | away yes; away-time 30; focus 30
    // While it waits, a drift's grace is agentWaitLimit.
    10:27       set agentWorking off, set waitingOnAgent on, touch
    10:27:15 busy open goals | decides check 10:42:15
                | explains drift (similarity 0.04): 0/1 s, waiting on the agent (up to 15 min)
    // Leisure close to the work ends the drift; the next one waits its own grace.
    10:32:15 busy open talk | decides none; drift none
    10:37:15 busy open goals | decides check 10:52:15
    10:52:14 busy | prompts 0
    10:52:15.5 busy | prompts 1; prompt 10:52:15 goals; gaps none
  )");
}

// --- Expiry ---

TEST(PolicyScenarioTest, ContextExpiresOnceWorkHasGoneStale) {
  runDay(kLearnTheWork + R"(
    // The last work is counted at 9:30; scrolling earns none.
    9:30 busy   open pizza
    9:30:05 busy answer dismissed | prompts 1
    // The site's cooldown has run out: it is not mentioned.
    9:45 busy   open opinions | explains drift (similarity 0.06): 0/1 s
    9:45:05 busy answer dismissed | prompts 2; prompt 9:45:01 opinions
    9:45:30 busy | focus 1560; detours 2
    // The context lives through the tick thirty minutes after the last work, not the next one.
    10:00 busy  | protecting yes; last-tick 10:00
    10:00:30 busy | protecting no; ticks none; recent none; learned 0; projects ledgerly
    // Learning again: no prompts until three minutes of work are seen.
    10:00:30    open cats | decides none
    10:05:30 busy open tax.rs
    10:08 busy  | protecting no
    10:08:30 busy | protecting yes; prompts 2; tasks ledgerly=180; detours 0; away-time 0
  )");
}

TEST(PolicyScenarioTest, ContextExpiresAfterAnIdleHalfHourEvenWhileMediaCountsAsWork) {
  runDay(kLearnTheWork + R"(
    10:00 busy  drain, open lecture
    10:00:30 busy set media on, touch
    10:30:30 still | protecting yes
    10:31 still | protecting no; focus 1860
  )");
}

// --- Restart ---

// A policy started afresh from the records `before` saved at `at`, each read back from its text.
Policy restarted(const Policy& before, Date at) {
  Policy after;
  after.restore(test::reload(before.projects()));
  after.restore(test::reload(before.sites()));
  after.restore(test::reload(before.presence()));
  after.restore(test::reload(before.allowances()));
  after.restore(test::reload(*before.context()), at);
  return after;
}

TEST(PolicyScenarioTest, RestartCarriesOnFromTheSavedRecords) {
  // The morning teaches an allowance, a confirmed site, a project and the user's reading pauses.
  Policy before;
  Day(before).run(kLearnTheWork + R"(
    9:30 busy   open forum:101
    9:30:02 still answer related, open book
    9:30:30 busy
  )" + readingPauses("9:30:30") +
                  R"(
    9:43        open tax.rs
    9:53 busy
  )");

  // The program restarts five minutes later: every saved part reads back equal, and the analyser
  // has recent work to compare with at once.
  Policy after = restarted(before, *parseClock("9:53", kMorning));
  ASSERT_TRUE(after.isProtecting());
  EXPECT_EQ(*after.context(), *before.context());
  EXPECT_EQ(after.projects(), before.projects());
  EXPECT_EQ(after.sites(), before.sites());
  EXPECT_EQ(after.presence(), before.presence());
  EXPECT_EQ(after.allowances(), before.allowances());
  EXPECT_EQ(after.projectNames(), std::vector<std::string>{"ledgerly"});
  EXPECT_EQ(after.recentWork(), before.recentWork());
  Day(after, "9:58").run(R"(
    // The allowed forum is still let be, a video is still a distraction, and the learned pauses
    // still count as presence on the book.
    9:58        open tax.rs
    9:59 busy   open forum:102 | decides none
    10:00 busy  open cats
    10:00:02 still answer back, open book | prompts 1
    10:00:30 busy
    10:03 pause | away no
    10:03:30 busy | away-time 0; focus 268; detours 1
  )");

  // The next morning the saved context is long stale: the first tick drops it and the day is
  // learned afresh, with yesterday's projects, sites, pauses and allowances kept.
  Policy nextDay = restarted(before, *parseClock("9:53", kMorning));
  Day(nextDay, "9:00", kMorning + 24 * kHour).run(R"(
    9:00        open cats
    9:00:30 busy | protecting no; prompts 0; projects ledgerly
  )");
  EXPECT_EQ(nextDay.presence(), before.presence());
  EXPECT_EQ(nextDay.allowances(), before.allowances());
}

}  // namespace
}  // namespace qb
