#include "training/HeadTrainer.h"

#include <Eigen/Dense>
#include <cmath>
#include <cstdio>

#include "base/Error.h"
#include "base/Json.h"
#include "base/Text.h"
#include "base/Url.h"

namespace qb::training {

namespace {

constexpr std::string_view kHeader = "label\tkind\tapp\ttitle\turl";
constexpr size_t kColumns = 5;
// FNV-1a, 64 bits: a hash that is the same on every machine and in every build.
constexpr uint64_t kFnvOffset = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

Error badLine(int line, const std::string& what) {
  return Error(kErrorDomain, kBadLineCode, "line " + std::to_string(line) + ": " + what);
}

uint64_t hashOf(std::string_view text) {
  uint64_t hash = kFnvOffset;
  for (unsigned char byte : text) {
    hash ^= byte;
    hash *= kFnvPrime;
  }
  return hash;
}

std::vector<std::string_view> split(std::string_view line, char separator) {
  std::vector<std::string_view> fields;
  for (size_t start = 0;;) {
    const size_t end = line.find(separator, start);
    fields.push_back(line.substr(start, end - start));
    if (end == std::string_view::npos) return fields;
    start = end + 1;
  }
}

double sigmoid(double z) { return 1 / (1 + std::exp(-z)); }

std::vector<float> inputOf(const Example& example) {
  std::vector<float> input = example.embedding;
  const ActivityHead::Features features = ActivityHead::features(example.entry);
  input.insert(input.end(), features.begin(), features.end());
  return input;
}

void requireBothLabels(const std::vector<Example>& examples, const char* part) {
  size_t work = 0;
  for (const Example& example : examples) work += example.work;
  if (work == 0 || work == examples.size()) {
    throw Error(kErrorDomain, kTooFewCode,
                std::string("the ") + part + " part needs observations of both labels");
  }
}

}  // namespace

std::vector<Observation> readObservations(std::string_view tsv) {
  std::vector<Observation> observations;
  bool header = false;
  int number = 0;
  for (std::string_view line : split(tsv, '\n')) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (!header) {
      if (line != kHeader)
        throw badLine(number, "expected the header \"label kind app title url\"");
      header = true;
      continue;
    }
    const std::vector<std::string_view> fields = split(line, '\t');
    if (fields.size() != kColumns) {
      throw badLine(number,
                    std::to_string(fields.size()) + " columns, not " + std::to_string(kColumns));
    }
    const std::string_view label = fields[0];
    if (label != "work" && label != "other") {
      throw badLine(number, "the label is \"" + std::string(label) + "\", not work or other");
    }
    const std::optional<ActivityKind> kind = parseActivityKind(fields[1]);
    if (!kind) throw badLine(number, "unknown kind \"" + std::string(fields[1]) + "\"");
    const std::string app = text::trimmed(fields[2]);
    if (app.empty()) throw badLine(number, "no application");
    std::optional<Url> url;
    if (!fields[4].empty()) {
      url = Url::parse(fields[4]);
      if (!url || !url->host() || url->host()->empty()) {
        throw badLine(number, "\"" + std::string(fields[4]) + "\" is not a web address");
      }
    }
    std::string bundleID = text::lowercased(app);
    std::replace(bundleID.begin(), bundleID.end(), ' ', '-');
    Moment moment(static_cast<uint64_t>(number), Date(), app, bundleID, fields[3], url);
    if (moment.title.empty()) throw badLine(number, "no title");
    observations.push_back({number, label == "work", *kind, std::move(moment)});
  }
  if (!header) throw badLine(number, "no header line");
  return observations;
}

bool isHeldOut(std::string_view text) { return hashOf(text) % kHeldOutShare == 0; }

bool isValidation(std::string_view text) { return (hashOf(text) >> 32) % kValidationShare == 0; }

Fit fit(const std::vector<Example>& examples, double regularisation) {
  const auto n = static_cast<Eigen::Index>(examples.size());
  const auto width = static_cast<Eigen::Index>(inputOf(examples.front()).size());
  // One column per input, and a last one of ones for the bias.
  Eigen::MatrixXd x(n, width + 1);
  Eigen::VectorXd y(n);
  for (Eigen::Index i = 0; i < n; ++i) {
    const std::vector<float> input = inputOf(examples[static_cast<size_t>(i)]);
    for (Eigen::Index j = 0; j < width; ++j) x(i, j) = input[static_cast<size_t>(j)];
    x(i, width) = 1;
    y(i) = examples[static_cast<size_t>(i)].work ? 1 : 0;
  }
  Eigen::VectorXd penalty = Eigen::VectorXd::Constant(width + 1, regularisation);
  penalty(width) = 0;
  Eigen::VectorXd w = Eigen::VectorXd::Zero(width + 1);
  Fit result;
  result.regularisation = regularisation;
  for (result.iterations = 1; result.iterations <= kMaxIterations; ++result.iterations) {
    const Eigen::VectorXd p = (x * w).unaryExpr(&sigmoid);
    const Eigen::VectorXd gradient = x.transpose() * (p - y) + penalty.cwiseProduct(w);
    const Eigen::VectorXd curvature = p.cwiseProduct(Eigen::VectorXd::Ones(n) - p);
    Eigen::MatrixXd hessian = x.transpose() * curvature.asDiagonal() * x;
    hessian.diagonal() += penalty;
    const Eigen::VectorXd step = hessian.ldlt().solve(gradient);
    w -= step;
    if (step.cwiseAbs().maxCoeff() < kConvergence) break;
  }
  result.weights.resize(static_cast<size_t>(width));
  for (Eigen::Index j = 0; j < width; ++j) result.weights[static_cast<size_t>(j)] = float(w(j));
  result.bias = static_cast<float>(w(width));
  return result;
}

Scores score(const ActivityHead& head, const std::vector<Example>& examples) {
  Scores scores;
  scores.count = examples.size();
  size_t right = 0, predictedWork = 0, truePositive = 0, actualWork = 0;
  for (const Example& example : examples) {
    const double p = head.probability(example.embedding, example.entry);
    const bool predicted = p >= 0.5;
    right += predicted == example.work;
    predictedWork += predicted;
    actualWork += example.work;
    truePositive += predicted && example.work;
    // Clamped so that a confident miss costs a lot rather than infinity.
    const double clamped = std::clamp(p, 1e-12, 1 - 1e-12);
    scores.logLoss -= example.work ? std::log(clamped) : std::log(1 - clamped);
    const size_t bin = std::min(kCalibrationBins - 1, static_cast<size_t>(p * kCalibrationBins));
    Calibration& cell = scores.calibration[bin];
    ++cell.count;
    cell.meanPredicted += p;
    cell.observedWork += example.work;
  }
  if (scores.count == 0) return scores;
  const auto share = [](size_t part, size_t whole) {
    return whole == 0 ? 0.0 : double(part) / double(whole);
  };
  scores.accuracy = share(right, scores.count);
  scores.precision = share(truePositive, predictedWork);
  scores.recall = share(truePositive, actualWork);
  scores.logLoss /= double(scores.count);
  for (Calibration& cell : scores.calibration) {
    if (cell.count == 0) continue;
    cell.meanPredicted /= double(cell.count);
    cell.observedWork /= double(cell.count);
  }
  return scores;
}

std::string headJson(const Fit& fit) {
  Json weights = Json::array();
  for (float weight : fit.weights) weights.push_back(json::encode(weight));
  Json head = Json::object();
  head["weights"] = std::move(weights);
  head["bias"] = json::encode(fit.bias);
  head["unlisted"] = {{"scale", json::encode(ActivityHead::Unlisted::kDefaultScale)},
                      {"shift", json::encode(ActivityHead::Unlisted::kDefaultShift)}};
  return json::dump(head) + "\n";
}

Report train(const std::vector<Observation>& observations, Embedding& embedder,
             const SiteKnowledge& sites, const std::function<void(size_t, size_t)>& progress) {
  std::vector<std::string> texts;
  texts.reserve(observations.size());
  for (const Observation& observation : observations) {
    texts.push_back(ActivityHead::text(observation.moment));
  }
  std::vector<Vector> embeddings;
  embeddings.reserve(texts.size());
  for (size_t start = 0; start < texts.size(); start += kEmbeddingBatch) {
    const size_t end = std::min(texts.size(), start + kEmbeddingBatch);
    std::vector<Vector> batch = embedder.embedAll(
        std::vector<std::string>(texts.begin() + long(start), texts.begin() + long(end)));
    for (Vector& vector : batch) embeddings.push_back(std::move(vector));
    if (progress) progress(end, texts.size());
  }

  // training: all but the held-out part; fitting: training without its validation fold.
  std::vector<Example> training, fitting, validation, heldOut;
  for (size_t i = 0; i < observations.size(); ++i) {
    Example example{std::move(embeddings[i]), sites.lookup(observations[i].moment),
                    observations[i].work};
    if (isHeldOut(texts[i])) {
      heldOut.push_back(std::move(example));
      continue;
    }
    (isValidation(texts[i]) ? validation : fitting).push_back(example);
    training.push_back(std::move(example));
  }
  requireBothLabels(fitting, "training");
  requireBothLabels(validation, "validation");
  requireBothLabels(heldOut, "held-out");

  // The regularisation that does best on the validation fold; a tie goes to the stronger one.
  double chosen = kRegularisations.front();
  double best = INFINITY;
  for (double regularisation : kRegularisations) {
    const Fit candidate = fit(fitting, regularisation);
    const double loss = score(ActivityHead(candidate.weights, candidate.bias), validation).logLoss;
    if (loss <= best) {
      best = loss;
      chosen = regularisation;
    }
  }
  const Fit final = fit(training, chosen);
  Report report;
  report.training = training.size();
  report.validation = validation.size();
  report.heldOut = heldOut.size();
  report.regularisation = chosen;
  report.headJson = headJson(final);
  report.head = final;
  report.heldOutScores = score(ActivityHead(final.weights, final.bias), heldOut);
  return report;
}

std::string describe(const Report& report) {
  char line[256];
  std::string text;
  std::snprintf(line, sizeof line,
                "observations: %zu for training (%zu of them to choose the regularisation), %zu "
                "held out\nregularisation: %g\n",
                report.training, report.validation, report.heldOut, report.regularisation);
  text += line;
  const Scores& s = report.heldOutScores;
  std::snprintf(line, sizeof line,
                "held out: accuracy %.3f, precision of work %.3f, recall of work %.3f, log loss "
                "%.3f\ncalibration (predicted probability of work: mean predicted, observed share, "
                "count):\n",
                s.accuracy, s.precision, s.recall, s.logLoss);
  text += line;
  for (size_t bin = 0; bin < kCalibrationBins; ++bin) {
    const Calibration& cell = s.calibration[bin];
    std::snprintf(line, sizeof line, "  %.1f-%.1f: %.3f %.3f %zu\n", double(bin) / kCalibrationBins,
                  double(bin + 1) / kCalibrationBins, cell.meanPredicted, cell.observedWork,
                  cell.count);
    text += line;
  }
  return text;
}

}  // namespace qb::training
