// quillbrook-train-head: trains the activity head for an installed encoder and writes it into the
// model folder, or refuses and writes nothing.
//
//   quillbrook-train-head --model DIR --observations FILE [--out FILE]
//
// DIR holds Embedder/ and Knowledge/sites.tsv; the head goes to --out, by default
// DIR/Knowledge/head.json, and is read back and checked against the encoder before the trainer
// says it is done. Prints the held-out figures on standard output; exits 1 on any failure.
//
// Progress goes to standard error: on a terminal one line rewritten in place, elsewhere (a pipe,
// a log file) a line for each tenth of the work, so that a log keeps a handful of lines.

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "analysis/ActivityHead.h"
#include "analysis/SentenceEmbedder.h"
#include "analysis/SiteKnowledge.h"
#include "base/File.h"
#include "training/HeadTrainer.h"

namespace {

// The largest observations file read: the shipped one is a few hundred kilobytes.
constexpr uint64_t kMaxObservationsBytes = 64 * 1024 * 1024;

// A log keeps every byte, so away from a terminal progress is shown this many times at most.
constexpr size_t kProgressLines = 10;

// "embedding the observations: N of M" on standard error as the embedding advances.
class EmbeddingProgress {
public:
  void operator()(size_t done, size_t total) {
    if (terminal_) {
      std::fprintf(stderr, "\rembedding the observations: %zu of %zu", done, total);
      if (done == total) std::fputc('\n', stderr);
      return;
    }
    const size_t tenth = total == 0 ? kProgressLines : done * kProgressLines / total;
    if (tenth <= shown_ && done != total) return;
    shown_ = tenth;
    std::fprintf(stderr, "embedding the observations: %zu of %zu\n", done, total);
  }

private:
  bool terminal_ = ::isatty(STDERR_FILENO) == 1;
  size_t shown_ = 0;  // the tenths of the work done when a line was last written
};

int usage() {
  std::fputs("usage: quillbrook-train-head --model DIR --observations FILE [--out FILE]\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  fs::path model, observationsFile, out;
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--model") == 0 && hasValue) {
      model = argv[++i];
    } else if (std::strcmp(argv[i], "--observations") == 0 && hasValue) {
      observationsFile = argv[++i];
    } else if (std::strcmp(argv[i], "--out") == 0 && hasValue) {
      out = argv[++i];
    } else {
      return usage();
    }
  }
  if (model.empty() || observationsFile.empty()) return usage();
  if (out.empty()) out = model / "Knowledge" / "head.json";
  try {
    const std::vector<qb::training::Observation> observations =
        qb::training::readObservations(qb::file::readText(observationsFile, kMaxObservationsBytes));
    qb::SentenceEmbedder embedder(model / "Embedder");
    const qb::SiteKnowledge sites = qb::SiteKnowledge::load(model / "Knowledge" / "sites.tsv");
    const qb::training::Report report =
        qb::training::train(observations, embedder, sites, EmbeddingProgress());
    qb::file::writeAtomically(out, report.headJson);
    // What the program will read: the file as written, for this encoder.
    qb::ActivityHead::load(out).check(embedder.dimension());
    std::fputs(qb::training::describe(report).c_str(), stdout);
    std::printf("wrote %s\n", out.c_str());
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "quillbrook-train-head: %s\n", error.what());
    return 1;
  }
}
