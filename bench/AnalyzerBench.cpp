// The whole analyzer on a text the embedder has already seen (a memo hit): what every repeated
// observation of the same window costs. The model is the tiny test model (its width does not
// matter once the vectors are remembered); the site table is the shipped one.
//
//   quillbrook_bench --benchmark_filter=Analyzer

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "analysis/Analyzer.h"
#include "analysis/SentenceEmbedder.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

constexpr size_t kFullMemory = 2000;

const fs::path kSource = fs::path(QB_SOURCE_DIR);

std::shared_ptr<SentenceEmbedder> tinyEmbedder() {
  static const std::shared_ptr<SentenceEmbedder> embedder = [] {
    fs::path folder = fs::temp_directory_path() / "quillbrook-analyzer-bench";
    fs::create_directories(folder);
    for (const char* name : {"Embedder.safetensors", "config.json", "vocab.txt"}) {
      fs::copy_file(kSource / "tests/data/tiny-bert" / name, folder / name,
                    fs::copy_options::overwrite_existing);
    }
    std::ofstream(folder / "manifest.json") << R"({"L": 64, "revision": "benchmark"})";
    return std::make_shared<SentenceEmbedder>(folder);
  }();
  return embedder;
}

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
  return Analyzer{embedder, SiteKnowledge::load(kSource / "resources/Model/Knowledge/sites.tsv"),
                  ActivityHead(weights, 0.0f), std::make_shared<PersonalStore>(memory),
                  AnalyzerConfig::production};
}

void runCached(benchmark::State& state, size_t answers) {
  Analyzer analyzer = makeAnalyzer(answers);
  Moment moment(1, Date::fromReference(1e8), "Firefox", "firefox",
                "Fix flaky scheduler test by acme · Pull Request #4521 - GitHub",
                Url::parse("https://github.com/acme/quill/pull/4521"));
  const std::vector<std::string> work = {"Scheduler rewrite design notes",
                                         "quill/src/scheduler.cpp",
                                         "CI failures on main",
                                         "Release checklist 3.2",
                                         "Timer wheel benchmarks",
                                         "Code review: executor",
                                         "Flaky test triage",
                                         "Sprint planning"};
  analyzer.analyzeTraced(moment, work);  // fills the memo
  for (auto _ : state) benchmark::DoNotOptimize(analyzer.analyzeTraced(moment, work));
}

void BM_AnalyzerCached(benchmark::State& state) { runCached(state, 0); }
void BM_AnalyzerCachedFullMemory(benchmark::State& state) { runCached(state, kFullMemory); }

BENCHMARK(BM_AnalyzerCached)->Name("Analyzer/cached")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalyzerCachedFullMemory)
    ->Name("Analyzer/cachedWith2000Answers")
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace qb
