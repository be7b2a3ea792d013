// Cost of the interruption policy over a working day: the coordinator calls observe() and ingest()
// for every observation, tick() every 30 seconds, explain() for every decision it records, and
// empties the drains after each tick. A simulated 8-hour day gives one observation every 5 seconds
// across editor files, documentation, videos, forums, chat and pages the analyser is unsure about,
// with reading pauses, prompts and every kind of answer to them, so the policy's records grow to
// the sizes a real day gives them. Each call must stay in microseconds.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "analysis/Analysis.h"
#include "analysis/Moment.h"
#include "base/Calendar.h"
#include "context/WorkSites.h"
#include "policy/Policy.h"

namespace qb {
namespace {

constexpr Duration kObservationEvery = 5;
constexpr Duration kTickEvery = 30;
constexpr Duration kDayLength = 8 * 3600.0;
// A stretch of the day spent on one kind of thing.
constexpr Duration kStretch = 600;
constexpr uint32_t kSeed = 20240312;

// Tuesday 2024-03-12, 09:00 in Berlin.
constexpr Date kMorning = Date::fromUnix(1710230400);

enum class Stretch { code, docs, leisure, chat, unsure };

// One simulated day: the coordinator's calls into one policy, driven by a seeded generator.
class Simulation {
public:
  explicit Simulation(Date start = kMorning)
      : now_(start), nextTick_(start + kTickEvery), lastInput_(start), random_(kSeed) {
    // The work-site record of earlier days, so that unknown sites can be distractions.
    WorkSites sites;
    sites.credit(std::nullopt, 4 * 3600.0, 0, 0.95f, start - 2 * 86400.0, calendar_);
    sites.credit(std::nullopt, 4 * 3600.0, 0, 0.95f, start - 86400.0, calendar_);
    policy_.restore(sites);
  }

  Policy& policy() { return policy_; }
  const Moment& front() const { return front_; }
  const Analysis& frontAnalysis() const { return analysis_; }
  Date now() const { return now_; }

  // Runs the coordinator until `until`.
  void runUntil(Date until) {
    while (now_ < until) step();
  }

  // One observation with its analysis, and the ticks that fall due before it.
  void step() {
    Date next = now_ + kObservationEvery;
    while (nextTick_ <= next) {
      now_ = nextTick_;
      nextTick_ = nextTick_ + kTickEvery;
      tick();
    }
    now_ = next;
    observe();
  }

  void observe() {
    answerPendingPrompt();
    Stretch kind = stretchAt(now_);
    // Input: mostly at the keyboard, now and then a reading pause.
    if (std::uniform_int_distribution<int>(0, 9)(random_) != 0) lastInput_ = now_ - 1;
    makePage(kind);
    auto started = Clock::now();
    policy_.observe(front_, now_, now_.since(lastInput_), calendar_);
    PolicyDecision decision = policy_.ingest(analysis_, front_, now_);
    observing_ += Clock::now() - started;
    calls_ += 2;
    benchmark::DoNotOptimize(policy_.explain(analysis_, front_, now_));
    ++calls_;
    handle(decision);
  }

  void tick() {
    auto started = Clock::now();
    PolicyDecision decision = policy_.tick(now_, now_.since(lastInput_), calendar_);
    ticking_ += Clock::now() - started;
    ++calls_;
    benchmark::DoNotOptimize(policy_.explain(analysis_, front_, now_));
    ++calls_;
    benchmark::DoNotOptimize(policy_.drainFocus());
    benchmark::DoNotOptimize(policy_.drainUnsure());
    benchmark::DoNotOptimize(policy_.drainDetours());
    benchmark::DoNotOptimize(policy_.drainAway());
    handle(decision);
  }

  int64_t calls() const { return calls_; }
  int64_t prompts() const { return prompts_; }
  // Time spent inside observe() with ingest(), and inside tick(), so far.
  double observingSeconds() const { return std::chrono::duration<double>(observing_).count(); }
  double tickingSeconds() const { return std::chrono::duration<double>(ticking_).count(); }

private:
  using Clock = std::chrono::steady_clock;

  Stretch stretchAt(Date at) {
    auto index = static_cast<uint64_t>(at.since(kMorning) / kStretch);
    // A fixed pattern of stretches over the day: mostly work, with breaks of every kind.
    static constexpr Stretch kPattern[] = {Stretch::code,   Stretch::code,    Stretch::docs,
                                           Stretch::code,   Stretch::leisure, Stretch::code,
                                           Stretch::chat,   Stretch::docs,    Stretch::code,
                                           Stretch::unsure, Stretch::code,    Stretch::leisure};
    return kPattern[index % std::size(kPattern)];
  }

  int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

  void makePage(Stretch kind) {
    std::string app = "Firefox";
    std::string bundle = "firefox";
    std::string title;
    std::optional<std::string> address;
    Analysis analysis;
    analysis.revision = "bench/head";
    float similarity = 0;
    switch (kind) {
      case Stretch::code: {
        int project = pick(3);
        app = "Code";
        bundle = "code";
        title = "module" + std::to_string(pick(300)) + ".rs - service" + std::to_string(project) +
                " - Visual Studio Code";
        analysis.activity = ActivityKind::work;
        analysis.activityScore = 0.9f;
        similarity = 0.6f;
        break;
      }
      case Stretch::docs: {
        int site = pick(40);
        title = "Reference page " + std::to_string(pick(200)) + " - Library " +
                std::to_string(site) + " documentation";
        address = "https://docs" + std::to_string(site) + ".example.com/reference/page" +
                  std::to_string(pick(200));
        analysis.activity = ActivityKind::work;
        analysis.activityScore = pick(4) == 0 ? 0.97f : 0.85f;
        similarity = pick(3) == 0 ? 0.15f : 0.4f;
        break;
      }
      case Stretch::leisure: {
        int site = pick(15);
        title = "Clip number " + std::to_string(pick(500)) + " - Channel " + std::to_string(site);
        address = "https://videos" + std::to_string(site) +
                  ".example.net/watch?v=" + std::to_string(pick(500));
        analysis.activity = ActivityKind::entertainment;
        analysis.activityScore = 0.92f;
        similarity = 0.05f;
        break;
      }
      case Stretch::chat:
        title = "WhatsApp";
        address = "https://web.whatsapp.com/";
        analysis.activity = ActivityKind::communication;
        analysis.activityScore = 1.0f;
        break;
      case Stretch::unsure:
        title = "Article " + std::to_string(pick(100)) + " | Example News";
        address = "https://news.example.org/2024/03/" + std::to_string(pick(100));
        analysis.activityScore = 0.5f;
        analysis.unsure = true;
        break;
    }
    std::optional<Url> url;
    if (address) url = Url::parse(*address);
    front_ = Moment(nextID_++, now_, app, bundle, title, url);
    analysis.observationID = front_.id;
    std::vector<std::string> work = policy_.recentWork();
    if (!work.empty() && (analysis.activity == ActivityKind::work ||
                          analysis.activity == ActivityKind::entertainment)) {
      analysis.similarity = similarity;
      for (const std::string& text : work) analysis.similarities[text] = similarity;
    }
    analysis_ = analysis;
  }

  void handle(const PolicyDecision& decision) {
    if (decision.kind != PolicyDecision::Kind::intervene) return;
    policy_.record(Outcome::prompted, front_, analysis_, now_);
    ++calls_;
    ++prompts_;
    prompted_ = true;
  }

  // The user answers the prompt by the next observation, each answer in turn.
  void answerPendingPrompt() {
    if (!prompted_) return;
    static constexpr Outcome kAnswers[] = {Outcome::dismissed, Outcome::back, Outcome::related,
                                           Outcome::dismissed};
    policy_.record(kAnswers[prompts_ % std::size(kAnswers)], front_, analysis_, now_);
    ++calls_;
    prompted_ = false;
  }

  Policy policy_;
  Calendar calendar_ = Calendar::inZone("Europe/Berlin");
  Date now_;
  Date nextTick_;
  Date lastInput_;
  std::mt19937 random_;
  uint64_t nextID_ = 1;
  Moment front_;
  Analysis analysis_;
  bool prompted_ = false;
  int64_t calls_ = 0;
  int64_t prompts_ = 0;
  Clock::duration observing_{};
  Clock::duration ticking_{};
};

// A whole day from a fresh policy: the time per call, averaged over every call of the day.
void BM_PolicyWholeDay(benchmark::State& state) {
  int64_t calls = 0;
  int64_t prompts = 0;
  size_t candidates = 0;
  for (auto _ : state) {
    Simulation day;
    day.runUntil(kMorning + kDayLength);
    calls = day.calls();
    prompts = day.prompts();
    candidates = day.policy().projects().candidates.size();
    benchmark::DoNotOptimize(day.policy().isProtecting());
  }
  state.counters["calls"] = static_cast<double>(calls);
  state.counters["prompts"] = static_cast<double>(prompts);
  state.counters["candidates"] = static_cast<double>(candidates);
  state.counters["per_call"] =
      benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}
BENCHMARK(BM_PolicyWholeDay)->Unit(benchmark::kMillisecond);

// The state at the end of a full day, where every record is at its fullest.
Simulation& lateInTheDay() {
  static Simulation day = [] {
    Simulation simulation;
    simulation.runUntil(kMorning + kDayLength);
    return simulation;
  }();
  return day;
}

// observe() with ingest() of one observation, late in the day; the day goes on around it
// (ticks, answers, drains), untimed.
void BM_PolicyObserveAndIngest(benchmark::State& state) {
  Simulation day = lateInTheDay();
  for (auto _ : state) {
    double before = day.observingSeconds();
    day.step();
    state.SetIterationTime(day.observingSeconds() - before);
  }
}
BENCHMARK(BM_PolicyObserveAndIngest)->UseManualTime()->Unit(benchmark::kMicrosecond);

// tick() alone, late in the day: each iteration runs the 30 seconds up to the next tick and
// times only the tick.
void BM_PolicyTick(benchmark::State& state) {
  Simulation day = lateInTheDay();
  const int stepsPerTick = static_cast<int>(kTickEvery / kObservationEvery);
  for (auto _ : state) {
    double before = day.tickingSeconds();
    for (int i = 0; i < stepsPerTick; ++i) day.step();
    state.SetIterationTime(day.tickingSeconds() - before);
  }
}
// Bounded: the untimed steps between ticks cost far more than the tick, and Google Benchmark
// would otherwise run them until the ticks alone add up to its minimum time, some minutes.
constexpr int kTickIterations = 2000;
BENCHMARK(BM_PolicyTick)
    ->UseManualTime()
    ->Iterations(kTickIterations)
    ->Unit(benchmark::kMicrosecond);

// The decision's one-line reason, which the coordinator records with every decision.
void BM_PolicyExplain(benchmark::State& state) {
  Simulation& day = lateInTheDay();
  for (auto _ : state) {
    benchmark::DoNotOptimize(day.policy().explain(day.frontAnalysis(), day.front(), day.now()));
  }
}
BENCHMARK(BM_PolicyExplain)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace qb
