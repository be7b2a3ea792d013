// The switch reading: how a page relates to the current work, and the never-interrupt list.

#include <algorithm>
#include <string_view>

#include "base/Text.h"
#include "policy/Policy.h"

namespace qb {
namespace {

using Verdict = SwitchReading::Verdict;

constexpr Verdict kAllVerdicts[] = {
    Verdict::sameTask,  Verdict::sharesWords,    Verdict::project,
    Verdict::otherWork, Verdict::unknownSite,    Verdict::newSite,
    Verdict::signIn,    Verdict::neverInterrupt, Verdict::distraction};

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string lowercased(std::string_view text) {
  if (!isAscii(text)) return text::lowercased(text);
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

constexpr std::string_view kWww = "www.";

// An entry as the user typed it, in the form hosts are compared in: surrounding spaces and trailing
// "/" gone, the host part lower-cased and without a leading "www.". The path keeps its case, as
// addresses do.
std::string normalEntry(std::string_view entry) {
  std::string trimmed = text::trimmed(entry);
  while (!trimmed.empty() && trimmed.back() == '/') trimmed.pop_back();
  const size_t slash = trimmed.find('/');
  std::string host = lowercased(std::string_view(trimmed).substr(0, slash));
  if (host.starts_with(kWww)) host.erase(0, kWww.size());
  if (slash == std::string::npos) return host;
  return host + trimmed.substr(slash);
}

}  // namespace

std::string_view rawValue(SwitchReading::Verdict verdict) {
  switch (verdict) {
    case Verdict::sameTask:
      return "same task";
    case Verdict::sharesWords:
      return "shares words";
    case Verdict::project:
      return "project";
    case Verdict::otherWork:
      return "other work";
    case Verdict::unknownSite:
      return "unknown site";
    case Verdict::newSite:
      return "new site";
    case Verdict::signIn:
      return "sign-in";
    case Verdict::neverInterrupt:
      return "never interrupt";
    case Verdict::distraction:
      return "distraction";
  }
  return "distraction";
}

std::optional<SwitchReading::Verdict> parseVerdict(std::string_view text) {
  for (Verdict verdict : kAllVerdicts) {
    if (rawValue(verdict) == text) return verdict;
  }
  return std::nullopt;
}

std::optional<SwitchReading> Policy::switchReading(const Analysis& analysis, const Moment& moment,
                                                   Date at) const {
  if (!context_ || !analysis.similarity || !analysis.activity) return std::nullopt;
  if (!(config.minActivityScore <= analysis.activityScore)) return std::nullopt;
  SwitchReading reading;
  reading.similarity = *analysis.similarity;
  reading.siteWeight = sites_.weight(moment, at);
  if (*analysis.activity == ActivityKind::work) {
    reading.reading = sites_.reading(analysis.activityScore, moment, at);
  }
  reading.verdict = verdict(moment, *analysis.activity, at, reading.similarity, reading.reading);
  return reading;
}

SwitchReading::Verdict Policy::verdict(const Moment& moment, ActivityKind activity, Date at,
                                       float similarity, float reading) const {
  if (similarity >= config.switchSimilarity) return Verdict::sameTask;
  if (isNeverInterrupted(moment)) return Verdict::neverInterrupt;
  if (config.relatedByOverlap && context_ && context_->sharesWords(moment.title, moment.host())) {
    return Verdict::sharesWords;
  }
  if (projectIn(moment.title)) return Verdict::project;
  if (moment.url && WorkSites::isSignIn(moment)) return Verdict::signIn;
  switch (activity) {
    case ActivityKind::entertainment:
      return Verdict::distraction;
    case ActivityKind::communication:
    case ActivityKind::neutral:
      return Verdict::otherWork;
    case ActivityKind::work:
      break;
  }
  if (!moment.url) return Verdict::otherWork;
  if (reading >= config.switchWorkBar) return Verdict::otherWork;
  if (sites_.isNew(moment, config.newSiteWindow, at)) return Verdict::newSite;
  // Until the work-site record has seen enough work, an unknown site may still be a work site.
  return sites_.isBuilt(config.siteWarmup) ? Verdict::distraction : Verdict::unknownSite;
}

const std::vector<std::string>& Policy::normalNeverInterrupt() const {
  // The list is a plain field the coordinator may replace at any time; comparing it with the one
  // last normalised is cheaper than normalising it again on every look.
  if (neverCache_.typed != neverInterrupt) {
    neverCache_.typed = neverInterrupt;
    neverCache_.normal.clear();
    for (const std::string& typed : neverInterrupt) {
      std::string entry = normalEntry(typed);
      if (!entry.empty()) neverCache_.normal.push_back(std::move(entry));  // would match any "x."
    }
  }
  return neverCache_.normal;
}

bool Policy::isNeverInterrupted(const Moment& moment) const {
  if (neverInterrupt.empty()) return false;
  const std::optional<std::string> host = moment.host();
  if (!host || host->empty()) return false;
  const std::string hostPath = *host + moment.url->path();
  for (const std::string& entry : normalNeverInterrupt()) {
    if (entry == *host || entry == hostPath) return true;
    if (host->size() > entry.size() && host->ends_with(entry) &&
        (*host)[host->size() - entry.size() - 1] == '.') {
      return true;
    }
    if (hostPath.size() > entry.size() && hostPath.starts_with(entry) &&
        hostPath[entry.size()] == '/') {
      return true;
    }
  }
  return false;
}

}  // namespace qb
