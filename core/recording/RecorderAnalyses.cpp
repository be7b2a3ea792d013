// Analyses, decisions, switches, prompts, labels, retractions and work-context events, and the
// resolution of prompts at every write.

#include <sqlite3.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "base/Json.h"
#include "base/Log.h"
#include "recording/Recorder.h"
#include "recording/RecorderValues.h"

namespace qb {
namespace {

using recorder::isStatementFault;
using recorder::milliseconds;
using recorder::refused;

// decisions.mode
constexpr const char* kProtecting = "protecting";
constexpr const char* kLearning = "learning";

std::optional<std::string> uuidText(const std::optional<Uuid>& id) {
  if (!id) return std::nullopt;
  return id->string();
}

std::string list(const std::vector<std::string>& texts) { return Recorder::json(Json(texts)); }

// A stored time as a number; nothing for a value that is none.
std::optional<double> number(const SqlValue& value) {
  const SqlValue::Storage& held = value.storage();
  if (const auto* real = std::get_if<double>(&held)) return *real;
  if (const auto* whole = std::get_if<int64_t>(&held)) return static_cast<double>(*whole);
  return std::nullopt;
}

}  // namespace

void Recorder::runs(std::vector<AnalysisPass> passes, uint64_t moment,
                    std::optional<std::string> context, std::string revision, bool cacheHit,
                    Date at) {
  enqueue([this, passes = std::move(passes), moment, context = std::move(context),
           revision = std::move(revision), cacheHit, at] {
    if (refused(at, "a model run")) return;
    for (const AnalysisPass& pass : passes) {
      Json probabilities = Json::object();
      for (const auto& [name, probability] : pass.probabilities) {
        probabilities[name] = json::encode(probability);
      }
      add("INSERT INTO model_runs (session, moment, at, pass, task, input, context, probabilities, "
          "latency_ms,\n    cache_hit, revision) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
          {moment, at, pass.name, pass.task, pass.text, context, json(probabilities),
           milliseconds(pass.latency), cacheHit, revision});
    }
  });
}

void Recorder::decision(DecisionRecord record) {
  enqueue([this, record = std::move(record)] {
    if (refused(record.at, "a decision")) return;
    add("INSERT INTO decisions (session, moment, at, mode, learned, drift, cooldowns, activity, "
        "score,\n    in_front, decision, reason) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {record.moment, record.at, record.protecting ? kProtecting : kLearning, record.learned,
         record.drift, json(Json(record.cooldowns)), record.activity, record.score, record.inFront,
         record.decision, record.reason});
  });
}

void Recorder::switched(SwitchRecord record) {
  enqueue([this, record = std::move(record)] {
    if (refused(record.at, "a switch")) return;
    add("INSERT INTO switches (session, moment, at, similarity, activity, score, site, "
        "site_weight, reading, verdict, work)\nVALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {record.moment, record.at, record.similarity, record.activity, record.score, record.site,
         record.siteWeight, record.reading, record.verdict, list(record.work)});
  });
}

void Recorder::prompt(PromptRecord record) {
  enqueue([this, record = std::move(record)] {
    if (refused(record.shownAt, "a prompt")) return;
    add("INSERT INTO prompts (session, id, moment, shown_at, drift_start, driver, title, line, "
        "why)\nVALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {record.id, record.moment, record.shownAt, record.driftStart, record.driver, record.title,
         record.line, list(record.why)});
  });
}

void Recorder::outcome(PromptOutcome outcome, std::string prompt, std::optional<Uuid> answer,
                       Date at) {
  enqueue([this, outcome, prompt = std::move(prompt), answer, at] {
    if (refused(at, "a prompt's outcome")) return;
    // Both statements name the prompt's row and take its session from it, so they are kept also
    // after recording stopped; queued behind the prompt's own row, should that still be pending.
    // The label goes first: both test that no outcome is set yet.
    if (std::optional<std::string_view> word = qb::label(outcome)) {
      keep(
          {"INSERT INTO labels (session, moment, started, ended, label, source, prompt, answer, "
           "labelled_at)\nSELECT session, moment, drift_start, shown_at, ?, 'prompt', id, ?, ? "
           "FROM prompts WHERE id = ? AND outcome IS NULL",
           {*word, uuidText(answer), at, prompt}});
    }
    keep({"UPDATE prompts SET outcome = ?, outcome_at = ? WHERE id = ? AND outcome IS NULL",
          {rawValue(outcome), at, prompt}});
  });
}

void Recorder::label(std::string label, uint64_t moment, std::string source,
                     std::optional<Uuid> answer, Date at) {
  enqueue([this, label = std::move(label), moment, source = std::move(source), answer, at] {
    if (refused(at, "a label")) return;
    add("INSERT INTO labels (session, moment, label, source, answer, labelled_at) VALUES (?, ?, "
        "?, ?, ?, ?)",
        {moment, label, source, uuidText(answer), at});
  });
}

void Recorder::retract(Uuid answer, Date at) {
  enqueue([this, answer, at] {
    if (refused(at, "a retraction")) return;
    Statement insert = ofSession("INSERT INTO retractions (session, answer, at) VALUES (?, ?, ?)",
                                 {answer.string(), at});
    // The user took an answer back: that must not be lost to a locked file. While rows are kept
    // back (the file refused them, or is not checked yet), it waits behind them; one the file
    // refuses now is tried again from a new connection.
    if (writable() && !failing_) {
      const int result = run(insert, "a retraction");
      if (result == SQLITE_OK) return;
      if (!isStatementFault(result)) {
        pending_.push_back(std::move(insert));
        keepBack(refusal(result));
        return;
      }
    }
    log::info("Recording: the retraction is kept for the next write");
    keep(std::move(insert));
  });
}

void Recorder::context(ContextRecord record) {
  enqueue([this, record = std::move(record)] {
    if (refused(record.at, "a work-context event")) return;
    add("INSERT INTO contexts (session, at, event, summary, titles) VALUES (?, ?, ?, ?, ?)",
        {record.at, record.event, record.summary, list(record.titles)});
  });
}

int Recorder::resolvePrompts(Date now) {
  int failure = SQLITE_OK;
  // A query that failed (logged already) leaves the rest for the next write.
  auto queryFailure = [&] {
    int result = sqlite3_errcode(db_.get());
    return result == SQLITE_OK || isStatementFault(result) ? failure : result;
  };
  auto step = [&](const Statement& statement, std::string_view what) {
    // A statement the database refuses for itself is logged and skipped, as in a batch.
    int result = run(statement, what);
    if (!isStatementFault(result) && failure == SQLITE_OK) failure = result;
  };

  const Date ignoredBefore = now - kPromptIgnoredAfter;
  step({"INSERT INTO labels (session, moment, started, ended, label, source, prompt, "
        "labelled_at)\nSELECT session, moment, drift_start, shown_at, ?, 'prompt', id, ? FROM "
        "prompts WHERE outcome IS NULL AND shown_at < ?",
        {*qb::label(PromptOutcome::ignored), now, ignoredBefore}},
       "labelling ignored prompts");
  step({"UPDATE prompts SET outcome = ? WHERE outcome IS NULL AND shown_at < ?",
        {rawValue(PromptOutcome::ignored), ignoredBefore}},
       "marking ignored prompts");

  std::optional<std::vector<Row>> answered = query(
      "SELECT id, session, COALESCE(outcome_at, shown_at) AS t FROM prompts\nWHERE followed_by IS "
      "NULL AND outcome IS NOT NULL AND COALESCE(outcome_at, shown_at) < ?",
      {now - kPromptFollowedFor});
  if (!answered) return queryFailure();
  for (const Row& prompt : *answered) {
    std::optional<double> t = number(prompt.at("t"));
    if (!t) continue;
    std::optional<std::vector<Row>> moments = query(
        "SELECT CASE WHEN excluded THEN 'excluded' ELSE COALESCE(host, app) END AS name FROM "
        "moments\nWHERE session = ? AND started < ? AND COALESCE(ended, ?) >= ? ORDER BY started",
        {prompt.at("session"), *t + kPromptFollowedFor, now, *t});
    if (!moments) return queryFailure();
    std::vector<std::string> names;
    std::set<std::string, std::less<>> seen;
    for (const Row& moment : *moments) {
      const auto* name = std::get_if<std::string>(&moment.at("name").storage());
      if (name && seen.insert(*name).second) names.push_back(*name);
    }
    step({"UPDATE prompts SET followed_by = ? WHERE id = ?", {list(names), prompt.at("id")}},
         "noting what followed a prompt");
  }
  return failure;
}

}  // namespace qb
