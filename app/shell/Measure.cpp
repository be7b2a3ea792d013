#include "shell/Measure.h"

#include <unicode/measfmt.h>
#include <unicode/measunit.h>
#include <unicode/measure.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/ActivityHead.h"
#include "analysis/SentenceEmbedder.h"
#include "analysis/SiteKnowledge.h"
#include "base/Clock.h"
#include "base/Log.h"
#include "base/ProcessStatus.h"
#include "model/AppModel.h"

namespace qb::Measure {

namespace {

// Texts as ActivityHead::text() makes them: a page's title, ". ", its host and the first word of
// its path; a program's name, ". " and its window's title.
constexpr std::array<const char*, 10> kSamples = {
    "Text Editor. Measure.cpp - quillbrook",
    "Week 3: Linear regression and gradient descent. learn.example.edu course",
    "Ten hours of rain on a tin roof. video.example.com watch",
    "Every boss in under twelve minutes. clips.example.net videos",
    "Team Chat. #release-planning",
    "Why does the linker say undefined reference? forum.example.org questions",
    "Document Viewer. quarterly-report-draft.pdf",
    "Noise-cancelling wireless headphones, black. shop.example.com product",
    "Terminal. ~/src/quillbrook: ctest --output-on-failure",
    "Project plan for the third quarter. docs.example.com document",
};

constexpr double kMedian = 0.5;
constexpr double kTail = 0.95;
constexpr double kBytesPerKilobyte = 1024;
constexpr double kBytesPerMegabyte = 1048576;
constexpr double kMillisecondsPerSecond = 1000;

// The head's answers go here, so that the compiler cannot leave the head out of the timed passes.
volatile float sink = 0;

std::string format(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

std::string megabytes(double kilobytes) {
  return format("%.0f MB", kilobytes * kBytesPerKilobyte / kBytesPerMegabyte);
}

double residentKilobytes() { return statusKilobytes("VmRSS"); }

// The time at `fraction` of the sorted times: the element at fraction × count, cut toward zero.
std::string percentile(std::vector<Duration> sorted, double fraction) {
  std::sort(sorted.begin(), sorted.end());
  const size_t index = std::min(sorted.size() - 1,
                                static_cast<size_t>(fraction * static_cast<double>(sorted.size())));
  return format("%.1f ms", sorted[index] * kMillisecondsPerSecond);
}

}  // namespace

std::string loadTime(Duration seconds, const std::string& locale) {
  const auto milliseconds = static_cast<int64_t>(std::llround(seconds * kMillisecondsPerSecond));
  const int64_t whole = milliseconds / static_cast<int64_t>(kMillisecondsPerSecond);
  const int64_t rest = milliseconds % static_cast<int64_t>(kMillisecondsPerSecond);
  // Without a unit of any value the smallest one stands, as zero.
  const bool showSeconds = whole != 0;
  const bool showMilliseconds = rest != 0 || !showSeconds;

  UErrorCode status = U_ZERO_ERROR;
  const icu::Locale where =
      locale.empty() ? icu::Locale::getDefault() : icu::Locale::createFromName(locale.c_str());
  const icu::MeasureFormat formatter(where, UMEASFMT_WIDTH_NARROW, status);
  std::vector<icu::Measure> measures;
  measures.reserve(2);
  if (showSeconds) {
    measures.emplace_back(icu::Formattable(whole), icu::MeasureUnit::createSecond(status), status);
  }
  if (showMilliseconds) {
    measures.emplace_back(icu::Formattable(rest), icu::MeasureUnit::createMillisecond(status),
                          status);
  }
  icu::UnicodeString text;
  icu::FieldPosition ignored(icu::FieldPosition::DONT_CARE);
  if (U_SUCCESS(status)) {
    formatter.formatMeasures(measures.data(), static_cast<int32_t>(measures.size()), text, ignored,
                             status);
  }
  if (U_FAILURE(status)) {
    log::error(std::string("Formatting a load time failed: ") + u_errorName(status));
    return std::to_string(milliseconds) + " ms";
  }
  std::string out;
  text.toUTF8String(out);
  return out;
}

int run(ComputeUnits units) {
  const std::optional<std::filesystem::path> folder = AppModel::modelDirectory();
  if (!folder) {
    std::cout << "No models: this build has none bundled" << std::endl;
    return 1;
  }
  const MonotonicClock& clock = MonotonicClock::steady();

  const double beforeLoad = residentKilobytes();
  Duration started = clock.now();
  std::unique_ptr<SentenceEmbedder> embedder;
  try {
    embedder = std::make_unique<SentenceEmbedder>(*folder / "Embedder");
  } catch (const std::exception& error) {
    log::error(std::string("The embedder did not load: ") + error.what());
    std::cout << "Embedder unavailable at " << folder->string() << std::endl;
    return 1;
  }
  const Duration embedderLoad = clock.now() - started;
  const double afterEmbedder = residentKilobytes();

  started = clock.now();
  std::optional<SiteKnowledge> knowledge;
  std::optional<ActivityHead> head;
  try {
    knowledge = SiteKnowledge::load(*folder / "Knowledge" / "sites.tsv");
    head = ActivityHead::load(*folder / "Knowledge" / "head.json");
    // A head made for another encoder would answer 0 at once and time nothing.
    head->check(embedder->dimension());
  } catch (const std::exception& error) {
    log::error(std::string("The site table or the head did not load: ") + error.what());
    std::cout << "Site table unavailable at " << folder->string() << std::endl;
    return 1;
  }
  const Duration tableLoad = clock.now() - started;
  const double afterTable = residentKilobytes();

  try {
    (void)embedder->embed(AppModel::kWarmUpText);
  } catch (const std::exception&) {
    // The passes pay the first-run costs instead; they are timed all the same.
  }

  std::vector<Duration> times;
  times.reserve(kSamples.size() * kPassesPerSample);
  for (size_t sample = 0; sample < kSamples.size(); ++sample) {
    for (int pass = 0; pass < kPassesPerSample; ++pass) {
      // The numbers make every text new, so that the embedder's memo never answers.
      const std::string text =
          std::string(kSamples[sample]) + " " + std::to_string(pass) + " " + std::to_string(sample);
      const Duration start = clock.now();
      try {
        const Vector embedding = embedder->embed(text);
        sink = head->logit(embedding, std::nullopt);
      } catch (const std::exception& error) {
        log::error(std::string("A measured pass failed to embed: ") + error.what());
      }
      times.push_back(clock.now() - start);
    }
  }
  const double afterPasses = residentKilobytes();
  const double peak = statusKilobytes("VmHWM");

  std::cout << "embedder      " << embedder->revision()
            << " (compute units: " << static_cast<int>(units) << "), load "
            << loadTime(embedderLoad) << "\nsite table    " << knowledge->count()
            << " entries, load " << loadTime(tableLoad) << "\nhead pass     p50 "
            << percentile(times, kMedian) << ", p95 " << percentile(times, kTail)
            << " (one embedding and the head)"
            << "\nfootprint     before load " << megabytes(beforeLoad) << ", after the embedder "
            << megabytes(afterEmbedder) << ", after the table " << megabytes(afterTable)
            << ", after " << times.size() << " passes " << megabytes(afterPasses) << ", peak "
            << megabytes(peak) << std::endl;
  return 0;
}

}  // namespace qb::Measure
