#include "analysis/Analyzer.h"

#include <algorithm>
#include <cmath>

#include "analysis/Redaction.h"
#include "analysis/TitleWords.h"
#include "base/Error.h"
#include "base/NoDestructor.h"
#include "base/Regex.h"
#include "base/Text.h"

namespace qb {
namespace {

constexpr const char* kUnlistedTask = "not in the table";
constexpr const char* kSimilarityTask = "similarity to recent work";

// Where each text's vector is in the one embedding call.
constexpr size_t kHeadText = 0;
constexpr size_t kSwitchText = 1;
constexpr size_t kFirstWorkText = 2;

// Music that plays while the user works is not a detour.
const Regex& musicTitle() {
  static const NoDestructor<Regex> regex(
      "(?i)\\b(official (audio|music video|video)|lyric video|lyrics|lo-?fi|full album|playlist|"
      "beats to|instrumental|soundtrack|visuali[sz]er)\\b");
  return *regex;
}

// The site's name after the title, with the bullet that some sites use as a sixth separator.
const Regex& switchTail() {
  static const NoDestructor<Regex> regex(TitleWords::tailPattern("\u2022"));
  return *regex;
}

float sigmoid(float logit) { return 1.0f / (1.0f + std::exp(-logit)); }

Analysis ruleAnswer(const Moment& moment, std::optional<ActivityKind> activity, float score,
                    const std::string& revision) {
  Analysis analysis;
  analysis.observationID = moment.id;
  analysis.activity = activity;
  analysis.activityScore = score;
  analysis.revision = revision;
  return analysis;
}

}  // namespace

Analyzer::Traced Analyzer::analyzeTraced(const Moment& moment,
                                         const std::vector<std::string>& work) const {
  const std::string revision = embedder->revision() + kRevisionSuffix;

  if (config.messagingByList && Redaction::isMessaging(moment)) {
    return {ruleAnswer(moment, ActivityKind::communication, 1.0f, revision), {}};
  }
  if (moment.title.empty() && !moment.host()) {
    return {ruleAnswer(moment, std::nullopt, 0.0f, revision), {}};
  }
  if (moment.url && moment.namesOnlyApp(moment.title)) {
    return {ruleAnswer(moment, std::nullopt, 0.0f, revision), {}};
  }

  Traced traced;
  Analysis& analysis = traced.analysis;
  analysis.observationID = moment.id;
  analysis.revision = revision;

  const std::optional<SiteKnowledge::Entry> entry = knowledge.lookup(moment);
  const std::string headText = ActivityHead::text(moment);
  // What rules out the comparison with recent work before the model runs. The model's answer may
  // rule it out too (an abstention, music), but that is known only once the texts are embedded.
  const bool neutralSite = entry && entry->lean == SiteKnowledge::Lean::neutral;
  const bool vagueUnrelated = !work.empty() && !neutralSite && config.vagueTitleUnrelated &&
                              isVague(moment) && (!moment.pageText || moment.pageText->empty());
  const bool mayCompare = !work.empty() && !neutralSite && !vagueUnrelated;

  // Every text the observation may need, in one call, so that the encoder streams its weights
  // from memory once for all of them. When the answer turns out not to need the comparison, the
  // other vectors are only remembered for the next observation.
  std::vector<std::string> texts{headText};
  if (mayCompare) {
    texts.reserve(kFirstWorkText + work.size());
    texts.push_back(switchText(moment));
    texts.insert(texts.end(), work.begin(), work.end());
  }
  Duration started = clock->now();
  const std::vector<Vector> vectors = embedder->embedAll(texts);
  if (vectors.size() != texts.size()) {
    throw Error::fileReadCorrupt("the embedder gave " + std::to_string(vectors.size()) +
                                 " vectors for " + std::to_string(texts.size()) + " texts");
  }
  const Vector& vector = vectors[kHeadText];
  const float logit = head.logit(vector, entry);
  const float shift = personal ? personal->shift(vector, moment.time).get() : 0.0f;
  const float p = sigmoid(logit + shift);
  const float general = sigmoid(logit);

  AnalysisPass headPass;
  headPass.name = "head";
  headPass.text = headText;
  headPass.task = entry ? std::string(rawValue(entry->lean)) + ": " + entry->what : kUnlistedTask;
  headPass.probabilities = {{"work", p}, {"general", general}};
  // The head's latency covers the one embedding call, the comparison's texts included.
  headPass.latency = clock->now() - started;
  traced.passes.push_back(std::move(headPass));

  const float confidence = p <= 1.0f - p ? 1.0f - p : p;
  const float threshold = entry ? config.headAbstain : config.headAbstainUnlisted;
  if (neutralSite) {
    analysis.activity = ActivityKind::neutral;
    analysis.activityScore = 1.0f;
  } else if (!(threshold <= confidence)) {  // a NaN confidence abstains too
    analysis.activityScore = confidence;
    analysis.unsure = true;
  } else if (p >= kDecisionPoint) {
    analysis.activity = ActivityKind::work;
    analysis.activityScore = confidence;
  } else if (entry && entry->lean == SiteKnowledge::Lean::leisure) {
    analysis.activity = ActivityKind::entertainment;
    analysis.activityScore = confidence;
  } else if (musicTitle().contains(moment.title)) {
    analysis.activity = ActivityKind::neutral;
    analysis.activityScore = 1.0f;
  } else {
    analysis.activity = ActivityKind::entertainment;
    analysis.activityScore = confidence;
  }

  const bool related =
      analysis.activity == ActivityKind::work || analysis.activity == ActivityKind::entertainment;
  if (work.empty() || !related) return traced;

  if (vagueUnrelated) {
    analysis.similarity = 0.0f;
    return traced;
  }

  // Here mayCompare held: the switch text and the work texts were embedded with the head's.
  started = clock->now();
  const Vector& switched = vectors[kSwitchText];
  for (size_t i = 0; i < work.size(); ++i) {
    const float value = dot(switched, vectors[kFirstWorkText + i]);
    auto [it, inserted] = analysis.similarities.emplace(work[i], value);
    if (!inserted) it->second = std::max(it->second, value);
    if (!analysis.similarity || value > *analysis.similarity) analysis.similarity = value;
  }

  AnalysisPass similarityPass;
  similarityPass.name = "similarity";
  similarityPass.text = texts[kSwitchText];
  similarityPass.task = kSimilarityTask;
  if (analysis.similarity) similarityPass.probabilities = {{"similarity", *analysis.similarity}};
  // Only the dot products: the embedding is in the head's latency.
  similarityPass.latency = clock->now() - started;
  traced.passes.push_back(std::move(similarityPass));
  return traced;
}

bool Analyzer::isVague(const Moment& moment) {
  std::string site = moment.host().value_or(moment.appName);
  std::replace(site.begin(), site.end(), '.', ' ');
  site += ' ';
  site += moment.appName;
  const TitleWords::Words siteWords = TitleWords::words(site);
  for (const std::string& word : TitleWords::words(TitleWords::shortTitle(moment.title))) {
    if (siteWords.count(word) == 0) return false;
  }
  return true;
}

std::string Analyzer::switchText(const Moment& moment) {
  std::string text = moment.title;
  if (auto tail = switchTail().firstMatch(text)) text.resize(tail->range.begin);
  if (moment.pageText && !moment.pageText->empty()) {
    text += ". ";
    text += text::characterPrefix(*moment.pageText, kPageTextCharacters);
  }
  return text;
}

}  // namespace qb
