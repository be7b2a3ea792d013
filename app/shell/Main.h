// Main: the process's entry point. The command line chooses one of three modes:
//
//   --measure [all|gpu]          the model benchmark (Measure.h): "all" or "gpu" picks those
//   compute
//                                units, any other following word or none the processor alone
//   --export-recording <folder>  the recording exported into <folder> (a relative path is taken
//                                against the current folder); without a following word the
//                                option is ignored
//   anything else                the tray application, which needs an X display: without one
//                                (DISPLAY unset or empty, or naming no X server that can be
//                                opened) it prints one line to standard error, naming the two
//                                modes above, and exits 1
//
// The words are matched whole and case-sensitively anywhere in the arguments, the program's own
// path included; the benchmark is looked for first, so it wins when both are given. --verbose,
// anywhere, shows the log's debug lines in every mode, as the environment variable QB_VERBOSE
// does (base/Log.h).
//
// The two command-line modes run with no display: they create no application object and block
// the main thread until they are done, print their outcome as lines on standard output (the log
// goes to standard error) and give the exit status:
//
//   export: "Exported to <folder>" and 0; "No recording at <recording file>" and 1 when the
//           recording is missing, empty, damaged or cannot be opened (nothing is created then);
//           "Export failed: <reason>" and 1, also while another program holds the file. The
//           recording is opened read-only, so the export is safe while the program runs and
//           records into it.
//   benchmark: what Measure::run() prints and answers.

#pragma once

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "shell/Measure.h"

namespace qb::Main {

struct Benchmark {
  ComputeUnits units = ComputeUnits::processorOnly;
  friend bool operator==(const Benchmark&, const Benchmark&) = default;
};
struct ExportRecording {
  std::filesystem::path folder;  // as given: relative paths are not resolved yet
  friend bool operator==(const ExportRecording&, const ExportRecording&) = default;
};
struct Application {
  friend bool operator==(const Application&, const Application&) = default;
};
using Command = std::variant<Benchmark, ExportRecording, Application>;

// What the arguments (the program's path first) ask for.
Command command(const std::vector<std::string>& arguments);

// Exports the recording into `folder` as the command line asks; answers the exit status.
int exportRecording(const std::filesystem::path& folder);

// Runs the mode that the arguments ask for; answers the process's exit status.
int main(int argc, char** argv);

}  // namespace qb::Main
