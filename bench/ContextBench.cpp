// Cost of the learned work records at their full size: the operations the policy runs on every
// credit step and observation, in the case where they also have to prune.

#include <benchmark/benchmark.h>

#include <optional>
#include <string>
#include <vector>

#include "analysis/Moment.h"
#include "base/Calendar.h"
#include "context/WorkContext.h"
#include "context/WorkSites.h"

namespace qb {
namespace {

const Date kStart = Date::fromReference(740'000'000);

std::string key(const char* prefix, size_t i) { return prefix + std::to_string(i); }

Moment page(const std::string& address) {
  return Moment(1, kStart, "Firefox", "firefox.desktop", "Page", Url::parse(address));
}

// A context holding kMaxDwell entries of work titles with names, so that the next new key prunes.
WorkContext fullContext() {
  WorkContext context;
  for (size_t i = 0; i < WorkContext::kMaxDwell; ++i) {
    context.credit(key("Issue #", i) + ": fix the scheduler - Tracker",
                   30.0 + static_cast<double>(i % 97), std::nullopt, "coding",
                   "tracker.example.com", kStart + static_cast<double>(i));
  }
  return context;
}

void BM_WorkContextCreditExisting(benchmark::State& state) {
  WorkContext context = fullContext();
  const std::string existing = key("Issue #", 7) + ": fix the scheduler - Tracker";
  Date at = kStart + 1000;
  for (auto _ : state) {
    context.credit(existing, 30, std::nullopt, std::nullopt, std::nullopt, at);
    at += 30;
  }
}
BENCHMARK(BM_WorkContextCreditExisting);

void BM_WorkContextCreditPrune(benchmark::State& state) {
  const WorkContext full = fullContext();
  const std::string fresh = "A new page - Site";
  WorkContext context;
  for (auto _ : state) {
    // Copying (and freeing the last copy) stays outside the measured time.
    state.PauseTiming();
    context = full;
    state.ResumeTiming();
    context.credit(fresh, 30, std::nullopt, std::nullopt, std::nullopt, kStart + 1000);
    benchmark::DoNotOptimize(context.dwell.size());
  }
}
BENCHMARK(BM_WorkContextCreditPrune);

void BM_WorkContextSummary(benchmark::State& state) {
  WorkContext context = fullContext();
  for (size_t i = 0; i < WorkContext::kMaxTitles; ++i)
    context.add(key("Design review ", i) + " - Docs");
  for (auto _ : state) {
    benchmark::DoNotOptimize(context.summary(kStart + 1000, 2, 300, 0, ", "));
  }
}
BENCHMARK(BM_WorkContextSummary);

// A switch asks whether the new title shares a content word with the work titles; the answer is
// no here, so every title word is looked up.
void BM_WorkContextSharesWords(benchmark::State& state) {
  WorkContext context;
  for (size_t i = 0; i < WorkContext::kMaxTitles; ++i)
    context.add(key("Quarterly budget review, draft ", i) + " - Sheets");
  const std::optional<std::string> site = "news.example.com";
  for (auto _ : state) {
    benchmark::DoNotOptimize(context.sharesWords("Election results tonight - News", site));
  }
}
BENCHMARK(BM_WorkContextSharesWords);

// kMaxSites sites credited a second apart, all within the window.
WorkSites fullSites(const Calendar& calendar) {
  WorkSites sites;
  for (size_t i = 0; i < WorkSites::kMaxSites; ++i) {
    sites.credit(page("https://" + key("site", i) + ".example.com/docs/page"), 120, 1, 0,
                 kStart + static_cast<double>(i), calendar);
  }
  return sites;
}

void BM_WorkSitesCreditExisting(benchmark::State& state) {
  const Calendar calendar = Calendar::inZone("Europe/Berlin");
  WorkSites sites = fullSites(calendar);
  const std::optional<Moment> moment = page("https://site7.example.com/docs/other");
  Date at = kStart + 1000;
  for (auto _ : state) {
    sites.credit(moment, 30, 1, 0, at, calendar);
    at += 30;
  }
}
BENCHMARK(BM_WorkSitesCreditExisting);

void BM_WorkSitesCreditTrim(benchmark::State& state) {
  const Calendar calendar = Calendar::inZone("Europe/Berlin");
  const WorkSites full = fullSites(calendar);
  const std::optional<Moment> moment = page("https://fresh.example.org/guide/install");
  WorkSites sites;
  for (auto _ : state) {
    state.PauseTiming();
    sites = full;
    state.ResumeTiming();
    sites.credit(moment, 30, 1, 0, kStart + 1000, calendar);
    benchmark::DoNotOptimize(sites.sites.size());
  }
}
BENCHMARK(BM_WorkSitesCreditTrim);

// Each iteration visits a host never seen before, so every visit finds kMaxHosts + 1 hosts, looks
// for year-old ones and drops the least recently seen.
void BM_WorkSitesVisitFull(benchmark::State& state) {
  WorkSites sites;
  for (size_t i = 0; i < WorkSites::kMaxHosts; ++i) {
    sites.visit(page("https://" + key("host", i) + ".example.com/"),
                kStart + static_cast<double>(i));
  }
  std::vector<Moment> fresh;
  for (size_t i = 0; i < 4096; ++i)
    fresh.push_back(page("https://" + key("new", i) + ".example.net/"));
  size_t i = 0;
  Date at = kStart + 1e4;
  for (auto _ : state) {
    sites.visit(fresh[i++ % fresh.size()], at);
    at += 1;
  }
  state.counters["hosts"] = static_cast<double>(sites.visits.size());
}
BENCHMARK(BM_WorkSitesVisitFull);

void BM_WorkSitesWeight(benchmark::State& state) {
  const Calendar calendar = Calendar::inZone("Europe/Berlin");
  WorkSites sites = fullSites(calendar);
  const Moment moment = page("https://site42.example.com/docs/page?q=1");
  for (auto _ : state) benchmark::DoNotOptimize(sites.weight(moment, kStart + 1000));
}
BENCHMARK(BM_WorkSitesWeight);

}  // namespace
}  // namespace qb
