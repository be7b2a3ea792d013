// HeadTrainer: fits the activity head (the logistic layer over the sentence embedding and the site
// features) on labelled observations, for the encoder the user installed. A head's weights only
// mean something for the encoder they were fitted on, so it is trained where the weights are.
//
// The observations file is UTF-8 TSV: comment lines start with "#", one header line
// "label kind app title url", then one observation per line: label "work" or "other", kind one of
// the activity kinds (kept for later use), the application's name, the window or page title, and
// the page's address (empty for an application window). Each line becomes the Moment the program
// would have observed, and the text and site features the head would be given for it.
//
// The split never changes: an observation is held out when a hash of its text says so, and the
// held-out part is never trained on. Inside the rest, a second hash sets a validation fold apart to
// choose the regularisation; the head is then fitted on the whole training part with it.
// Everything is deterministic: the same file and encoder give the same head, byte for byte.

#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/ActivityHead.h"
#include "analysis/ActivityKind.h"
#include "analysis/Embedding.h"
#include "analysis/Moment.h"
#include "analysis/SiteKnowledge.h"
#include "base/JsonFwd.h"

namespace qb::training {

inline constexpr const char* kErrorDomain = "qb.training";
inline constexpr long kBadLineCode = 1;
inline constexpr long kTooFewCode = 2;

// One held-out observation in kHeldOutShare; one validation observation in kValidationShare of the
// rest.
inline constexpr uint64_t kHeldOutShare = 5;
inline constexpr uint64_t kValidationShare = 5;
// The L2 strengths tried on the validation fold, weakest first; the bias is never penalised.
inline constexpr std::array<double, 6> kRegularisations = {0.01, 0.1, 1, 10, 100, 1000};
// Newton's method stops when no parameter moves more than this, or after kMaxIterations.
inline constexpr double kConvergence = 1e-9;
inline constexpr int kMaxIterations = 100;
// Texts embedded per call, between two progress reports.
inline constexpr size_t kEmbeddingBatch = 64;
// The calibration table's bins of predicted probability.
inline constexpr size_t kCalibrationBins = 10;

struct Observation {
  int line = 0;  // in the file, for messages
  bool work = false;
  ActivityKind kind = ActivityKind::neutral;
  Moment moment;
  friend bool operator==(const Observation&, const Observation&) = default;
};

// The observations of a file's text. Throws qb::Error (kErrorDomain, kBadLineCode) naming the line
// of the first bad one: a missing or extra column, an unknown label or kind, an empty application
// or title, an address that does not parse.
std::vector<Observation> readObservations(std::string_view tsv);

// Whether the text an observation is embedded as belongs to the held-out part, and, for the rest,
// to the validation fold.
bool isHeldOut(std::string_view text);
bool isValidation(std::string_view text);

// One example the head is fitted on: the observation's embedding, its site-table entry and its
// answer. The head's input is the embedding followed by the entry's features.
struct Example {
  std::vector<float> embedding;
  std::optional<SiteKnowledge::Entry> entry;
  bool work = false;
};

struct Fit {
  std::vector<float> weights;
  float bias = 0;
  double regularisation = 0;
  int iterations = 0;
};

// The L2-regularised logistic fit, by Newton's method in double precision.
Fit fit(const std::vector<Example>& examples, double regularisation);

struct Calibration {
  size_t count = 0;
  double meanPredicted = 0;  // of the examples in the bin
  double observedWork = 0;   // share of them labelled work
};

// How a head does on examples, its logits computed exactly as the program computes them.
struct Scores {
  size_t count = 0;
  double accuracy = 0;
  double precision = 0;  // of "work"
  double recall = 0;
  double logLoss = 0;  // mean
  std::array<Calibration, kCalibrationBins> calibration{};
};
Scores score(const ActivityHead& head, const std::vector<Example>& examples);

struct Report {
  size_t training = 0;
  size_t validation = 0;
  size_t heldOut = 0;
  double regularisation = 0;
  Fit head;
  Scores heldOutScores;
  std::string headJson;  // the file to write: what ActivityHead reads
};

// Embeds every observation with `embedder`, looks it up in `sites`, chooses the regularisation on
// the validation fold, fits on the training part and scores the held-out part. `progress` hears how
// many texts are embedded so far, of how many. Throws what the embedder throws, and qb::Error
// (kErrorDomain, kTooFewCode) when a part has no example of either label.
Report train(const std::vector<Observation>& observations, Embedding& embedder,
             const SiteKnowledge& sites,
             const std::function<void(size_t done, size_t total)>& progress = {});

// The head file for a fit: {"weights": [...], "bias": ..., "unlisted": {"scale": 1, "shift": 0}},
// floats in their shortest form.
std::string headJson(const Fit& fit);

// What `report` says, as the trainer prints it.
std::string describe(const Report& report);

}  // namespace qb::training
