// Cost of the site table and the head's text for one observation, on the table we ship, read
// from the source tree; without it the table's benchmarks are reported as skipped.

#include <benchmark/benchmark.h>

#include <exception>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "analysis/ActivityHead.h"
#include "analysis/Moment.h"
#include "analysis/SiteKnowledge.h"

namespace qb {
namespace {

constexpr size_t kSamples = 4000;

constexpr const char* kShippedTable = "resources/Model/Knowledge/sites.tsv";

// The shipped table, loaded once, or why it could not be.
struct Shipped {
  std::filesystem::path file;
  std::optional<SiteKnowledge> table;
  std::string problem;
};

const Shipped& shipped() {
  static const Shipped loaded = [] {
    Shipped made;
    try {
      made.file = sourceFile(kShippedTable);
      made.table = SiteKnowledge::load(made.file);
    } catch (const std::exception& e) {
      made.problem = e.what();
    }
    return made;
  }();
  return loaded;
}

// The shipped table; null, with the benchmark skipped for the reason, when it is missing or does
// not load.
const SiteKnowledge* table(benchmark::State& state) {
  const Shipped& loaded = shipped();
  if (!loaded.table) {
    state.SkipWithError(("skipped: " + loaded.problem).c_str());
    return nullptr;
  }
  return &*loaded.table;
}

// A day's observations: listed sites under subdomains and www, section paths, unlisted sites with
// long hosts, and program windows with and without a listing.
const std::vector<Moment>& moments() {
  static const std::vector<Moment> all = [] {
    const char* addresses[] = {
        "https://github.com/acme/quill/pull/4521/files?diff=split",
        "https://www.youtube.com/watch?v=dQw4w9WgXcQ&list=PL9",
        "https://www.reddit.com/r/programming/comments/abc/why_tests",
        "https://old.reddit.com/r/aww/",
        "https://docs.google.com/document/d/1x2y3z/edit",
        "https://mail.google.com/mail/u/0/#inbox",
        "https://en.wikipedia.org/wiki/Unicode_equivalence",
        "https://www.google.com/search?q=cmake+presets",
        "https://unix.stackexchange.com/questions/12345/sed",
        "https://acme.atlassian.net/browse/QB-101",
        "https://static.cdn.assets.eu-west-1.shop.example-retailer.co.uk/p/123",
        "https://intranet.corp.example.com:8443/wiki/Design%20review",
        "http://localhost:5173/dashboard",
        "https://www.linkedin.com/learning/cmake-essentials",
        "https://WWW.NETFLIX.COM/browse",
        "https://b\u00fccher.example.de/suche?q=krimi"};
    const char* programs[] = {"Terminal", "Visual Studio Code", "LibreOffice Calc", "Steam",
                              "Files",    "Some Unlisted Tool", "Système"};
    std::mt19937 random(11);
    std::vector<Moment> out;
    out.reserve(kSamples);
    for (size_t i = 0; i < kSamples; ++i) {
      if (random() % 4 == 0) {
        out.emplace_back(i, Date::fromReference(0), programs[random() % std::size(programs)],
                         "org.example.App", "Quarterly planning 2025");
      } else {
        out.emplace_back(i, Date::fromReference(0), "Firefox", "firefox", "Release notes v3.12.1",
                         Url::parse(addresses[random() % std::size(addresses)]));
      }
    }
    return out;
  }();
  return all;
}

void BM_SiteLookup(benchmark::State& state) {
  const SiteKnowledge* knowledge = table(state);
  if (knowledge == nullptr) return;
  const auto& all = moments();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(knowledge->lookup(all[i++ % all.size()]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SiteLookup);

// A hostile host: 2000 characters in 500 labels, not listed.
void BM_SiteLookupHostileHost(benchmark::State& state) {
  const SiteKnowledge* knowledge = table(state);
  if (knowledge == nullptr) return;
  std::string host;
  for (int i = 0; i < 499; ++i) host += "abc.";
  host += "unlisted";
  Moment moment(1, Date::fromReference(0), "Firefox", "firefox", "Page",
                Url::parse("https://" + host + "/x"));
  for (auto _ : state) benchmark::DoNotOptimize(knowledge->lookup(moment));
}
BENCHMARK(BM_SiteLookupHostileHost);

void BM_HeadText(benchmark::State& state) {
  const auto& all = moments();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ActivityHead::text(all[i++ % all.size()]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HeadText);

void BM_SiteTableLoad(benchmark::State& state) {
  if (table(state) == nullptr) return;
  for (auto _ : state) benchmark::DoNotOptimize(SiteKnowledge::load(shipped().file).count());
}
BENCHMARK(BM_SiteTableLoad);

}  // namespace
}  // namespace qb
