// The whole analyzer on one observation.
//
// Analyzer/cached, Analyzer/cachedWith2000Answers: a text the embedder has already seen (a memo
// hit), what every repeated observation of the same window costs. The model is the tiny test model
// (its width does not matter once the vectors are remembered); the site table is the shipped one.
//
// Analyzer/newTitle: a title the embedder has not seen, end to end: tokenizer, one encoder batch
// of the head's text and the switch text, head, shipped site table, similarities to an 8-title
// work list that is remembered (as in the program, where it recurs). The model has
// all-MiniLM-L6-v2's shape with random weights (BenchModel.h); the vocabulary is the real one, so
// that titles cut into as many tokens as they do in the program. Titles are browser tabs and
// editor windows of 40 to 90 characters, each with a number of its own, so that every iteration is
// new to the memo. p50_ms and p95_ms are the median and the 95th percentile of the iterations;
// texts_per_analysis counts the texts the encoder computed per analysis; the label names the
// kernels. No personal store: Analyzer/cachedWith2000Answers times its shift.
//
// Analyzer/newTitleSeparateCalls: the same observations with each text in its own encoder run, as
// the analyzer did before it embedded them together. Its texts_per_analysis is a little over 2:
// when the memo empties itself to store the head's text, this way looks the work texts up after
// that and computes them again.
//
// Files, all read from the source tree (sourceFile): the tiny test model, the shipped site table,
// and the real vocab.txt at build/bench-data/vocab.txt, which scripts/bench builds there once
// (scripts/fetch-model --vocab-out). A benchmark whose file is missing or does not load is
// reported as skipped, with the reason.
//
//   quillbrook_bench --benchmark_filter=Analyzer

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "BenchModel.h"
#include "BenchSupport.h"
#include "analysis/Analyzer.h"
#include "analysis/SentenceEmbedder.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

constexpr size_t kFullMemory = 2000;

// Where in the source tree scripts/bench puts the real vocabulary; build/ is never committed.
constexpr const char* kVocabulary = "build/bench-data/vocab.txt";
constexpr const char* kTinyModel = "tests/data/tiny-bert";
constexpr const char* kSiteTable = "resources/Model/Knowledge/sites.tsv";
// The manifest's "L" that scripts/fetch-model writes; titles stay well under it.
constexpr int kSequenceLength = 128;
// Enough iterations for a steady 95th percentile, few enough that each benchmark takes seconds.
constexpr int kNewTitleIterations = 300;
constexpr double kMedian = 0.50;
constexpr double kTail = 0.95;

// The recent work the new titles are compared with.
const std::vector<std::string> kWork = {"Scheduler rewrite design notes",
                                        "quill/src/scheduler.cpp",
                                        "CI failures on main",
                                        "Release checklist 3.2",
                                        "Timer wheel benchmarks",
                                        "Code review: executor",
                                        "Flaky test triage",
                                        "Sprint planning"};

// The tiny test model, loaded from a folder of its own that is gone once it is loaded. Throws
// what sourceFile() and the load throw.
std::shared_ptr<SentenceEmbedder> tinyEmbedder() {
  static const std::shared_ptr<SentenceEmbedder> embedder = [] {
    const ScratchFile folder;
    for (const char* name : {"Embedder.safetensors", "config.json", "vocab.txt"}) {
      fs::copy_file(sourceFile(fs::path(kTinyModel) / name), folder.folder() / name);
    }
    std::ofstream(folder.folder() / "manifest.json") << R"({"L": 64, "revision": "benchmark"})";
    return std::make_shared<SentenceEmbedder>(folder.folder());
  }();
  return embedder;
}

SiteKnowledge siteTable() { return SiteKnowledge::load(sourceFile(kSiteTable)); }

Analyzer makeAnalyzer(size_t answers) {
  auto embedder = tinyEmbedder();
  std::mt19937 random(11);
  std::normal_distribution<float> weight(0.0f, 0.1f);
  std::vector<float> weights(embedder->dimension() + ActivityHead::kSiteFeatureCount);
  for (float& w : weights) w = weight(random);

  PersonalMemory memory;
  for (size_t i = 0; i < answers; ++i) {
    std::vector<float> vector(embedder->dimension());
    for (float& v : vector) v = weight(random);
    memory.add(vector, i % 2 == 0, Date::fromReference(1e8), std::nullopt, std::nullopt,
               Uuid::random());
  }
  return Analyzer{embedder, siteTable(), ActivityHead(weights, 0.0f),
                  std::make_shared<PersonalStore>(memory), AnalyzerConfig::production};
}

void runCached(benchmark::State& state, size_t answers) {
  std::optional<Analyzer> made;
  try {
    made.emplace(makeAnalyzer(answers));
  } catch (const std::exception& e) {
    return state.SkipWithError((std::string("skipped: ") + e.what()).c_str());
  }
  const Analyzer& analyzer = *made;
  Moment moment(1, Date::fromReference(1e8), "Firefox", "firefox",
                "Fix flaky scheduler test by acme · Pull Request #4521 - GitHub",
                Url::parse("https://github.com/acme/quill/pull/4521"));
  analyzer.analyzeTraced(moment, kWork);  // fills the memo
  for (auto _ : state) benchmark::DoNotOptimize(analyzer.analyzeTraced(moment, kWork));
}

// The embedder of the real-shaped model and the real vocabulary, loaded once for both newTitle
// benchmarks; `runs` counts the texts the encoder computes. Its folder is gone once it is loaded.
struct RealShaped {
  std::shared_ptr<SentenceEmbedder> embedder;
  std::shared_ptr<int64_t> runs = std::make_shared<int64_t>(0);
};

RealShaped loadRealShaped(const fs::path& vocabulary) {
  const fs::path folder =
      fs::temp_directory_path() / ("quillbrook-analyzer-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  struct Remove {
    fs::path path;
    ~Remove() {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
  } remove{folder};
  bench::writeModel(folder / "Embedder.safetensors");
  fs::copy_file(vocabulary, folder / "vocab.txt");
  std::ofstream(folder / "manifest.json")
      << R"({"L": )" << kSequenceLength << R"(, "revision": "benchmark"})";
  RealShaped loaded;
  loaded.embedder = std::make_shared<SentenceEmbedder>(
      folder, BertEncoder::Kernels::best, [runs = loaded.runs](auto, auto) { ++*runs; });
  return loaded;
}

// What the analyzer did before it embedded an observation's texts together: each text its own
// encoder run (Embedding's own embedAll()).
struct OneTextAtATime : Embedding {
  explicit OneTextAtATime(std::shared_ptr<Embedding> to) : inner(std::move(to)) {}
  const std::string& revision() const override { return inner->revision(); }
  Vector embed(const std::string& text) override { return inner->embed(text); }
  std::shared_ptr<Embedding> inner;
};

// Observation `n`: a browser tab or an editor window, every one with a title of its own. Shared
// by both newTitle benchmarks, so that neither meets a title the other has seen.
Moment newTitle(int64_t n) {
  static const char* const kSubjects[] = {
      "Timer wheel with hierarchical buckets",
      "Why does std::visit allocate here",
      "Lock-free queue under contention",
      "Quarterly budget review",
      "Flaky scheduler test on arm64",
      "Move the executor to a thread pool",
      "Best pasta recipes for a weeknight",
      "Rust borrow checker and async closures",
      "How transformers pay attention",
      "Migrating CI to containers",
      "Live football highlights",
      "Designing a retry policy for uploads",
  };
  static const char* const kFiles[] = {"timer_wheel", "scheduler",     "executor_test",
                                       "policy_tick", "session_store", "title_words"};
  const std::string subject = kSubjects[n % std::size(kSubjects)];
  const std::string file = kFiles[n % std::size(kFiles)];
  const std::string number = std::to_string(1000 + n);
  auto tab = [&](const std::string& title, const std::string& address) {
    return Moment(static_cast<uint64_t>(n), Date::fromReference(1e8), "Firefox", "firefox", title,
                  Url::parse(address));
  };
  switch ((n / std::size(kSubjects)) % 8) {
    case 0:
      return tab(subject + " · Pull Request #" + number + " · acme/quill - GitHub",
                 "https://github.com/acme/quill/pull/" + number);
    case 1:
      return tab("c++ - " + subject + " (case " + number + ") - Stack Overflow",
                 "https://stackoverflow.com/questions/" + number);
    case 2:
      return tab(subject + ", part " + number + " - YouTube",
                 "https://www.youtube.com/watch?v=q" + number);
    case 3:
      return tab(subject + " (draft " + number + ") - Google Docs",
                 "https://docs.google.com/document/d/" + number + "/edit");
    case 4:
      return tab(subject + " (" + number + " points) | Hacker News",
                 "https://news.ycombinator.com/item?id=" + number);
    case 5:
      return tab(subject + " : " + number + " comments - r/programming",
                 "https://www.reddit.com/r/programming/comments/" + number);
    case 6:
      return Moment(static_cast<uint64_t>(n), Date::fromReference(1e8), "Code", "code",
                    file + "_" + number + ".cpp - quill - Visual Studio Code");
    default:
      return tab(subject + " — notes " + number + " - Notion",
                 "https://www.notion.so/acme/Notes-" + number);
  }
}

// The value below which the fraction `q` of the sorted samples lies (nearest rank).
double percentile(const std::vector<double>& sorted, double q) {
  const auto rank = static_cast<size_t>(std::ceil(q * static_cast<double>(sorted.size())));
  return sorted[std::min(sorted.size(), std::max<size_t>(rank, 1)) - 1];
}

void runNewTitle(benchmark::State& state, bool together) {
  fs::path vocabulary;
  try {
    vocabulary = sourceFile(kVocabulary);
  } catch (const std::exception& e) {
    state.SkipWithError((std::string("skipped: no real vocabulary: ") + e.what() +
                         " (scripts/bench builds it with scripts/fetch-model --vocab-out)")
                            .c_str());
    return;
  }
  static RealShaped shared;
  static std::optional<SiteKnowledge> sites;
  if (!shared.embedder) {
    try {
      shared = loadRealShaped(vocabulary);
      sites = siteTable();
    } catch (const std::exception& e) {
      shared = {};
      state.SkipWithError(
          (std::string("skipped: the model or the site table did not load: ") + e.what()).c_str());
      return;
    }
  }
  static int64_t nextTitle = 0;

  std::mt19937 random(11);
  std::normal_distribution<float> weight(0.0f, 0.1f);
  std::vector<float> weights(shared.embedder->dimension() + ActivityHead::kSiteFeatureCount);
  for (float& w : weights) w = weight(random);
  std::shared_ptr<Embedding> embedder = shared.embedder;
  if (!together) embedder = std::make_shared<OneTextAtATime>(shared.embedder);
  const Analyzer analyzer{embedder, *sites, ActivityHead(weights, 0.0f), nullptr,
                          AnalyzerConfig::production};
  analyzer.analyzeTraced(newTitle(nextTitle++), kWork);  // the encoder's scratch, the work texts

  std::vector<double> milliseconds;
  milliseconds.reserve(kNewTitleIterations);
  int64_t texts = 0;
  for (auto _ : state) {
    const Moment moment = newTitle(nextTitle++);
    // Untimed: the work texts again, should the memo have just been emptied.
    shared.embedder->embedAll(kWork);
    const int64_t runsBefore = *shared.runs;
    const auto start = std::chrono::steady_clock::now();
    Analyzer::Traced traced = analyzer.analyzeTraced(moment, kWork);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    benchmark::DoNotOptimize(traced);
    texts += *shared.runs - runsBefore;
    state.SetIterationTime(elapsed.count());
    milliseconds.push_back(elapsed.count() * 1e3);
  }
  std::sort(milliseconds.begin(), milliseconds.end());
  if (!milliseconds.empty()) {
    state.counters["p50_ms"] = percentile(milliseconds, kMedian);
    state.counters["p95_ms"] = percentile(milliseconds, kTail);
    state.counters["texts_per_analysis"] =
        static_cast<double>(texts) / static_cast<double>(milliseconds.size());
  }
  // The kernels that Kernels::best picked, under QB_ENCODER_KERNELS when it is set.
  state.SetLabel(EncoderKernels::name(EncoderKernels::best()));
}

void BM_AnalyzerNewTitle(benchmark::State& state) { runNewTitle(state, true); }
void BM_AnalyzerNewTitleSeparateCalls(benchmark::State& state) { runNewTitle(state, false); }

void BM_AnalyzerCached(benchmark::State& state) { runCached(state, 0); }
void BM_AnalyzerCachedFullMemory(benchmark::State& state) { runCached(state, kFullMemory); }

BENCHMARK(BM_AnalyzerCached)->Name("Analyzer/cached")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalyzerCachedFullMemory)
    ->Name("Analyzer/cachedWith2000Answers")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalyzerNewTitle)
    ->Name("Analyzer/newTitle")
    ->Iterations(kNewTitleIterations)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnalyzerNewTitleSeparateCalls)
    ->Name("Analyzer/newTitleSeparateCalls")
    ->Iterations(kNewTitleIterations)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qb
