#include "shell/Main.h"

#include <algorithm>
#include <exception>
#include <iostream>
#include <iterator>

#include "base/Error.h"
#include "base/Log.h"
#include "model/AppModel.h"
#include "platform/linux/X11Connection.h"
#include "recording/Recorder.h"
#include "shell/ApplicationMode.h"

namespace qb::Main {

namespace {

constexpr const char* kMeasureOption = "--measure";
constexpr const char* kExportOption = "--export-recording";
constexpr const char* kVerboseOption = "--verbose";
constexpr const char* kAllUnits = "all";
constexpr const char* kGraphicsUnits = "gpu";
// What the tray application says instead of starting when it has no X display to read the desktop
// through, whether DISPLAY is missing or names a server that is not there.
constexpr const char* kNoDisplayLine =
    "quillbrook: no display (DISPLAY is unset or names no X server that can be opened); without "
    "one it runs only --measure [all|gpu] and --export-recording <dir>";

// The folder as the user meant it: against the current folder when relative, without the
// trailing "/" that marks it as a folder.
std::filesystem::path absoluteFolder(const std::filesystem::path& given) {
  std::filesystem::path folder =
      given.empty() ? std::filesystem::current_path() : std::filesystem::absolute(given);
  while (!folder.has_filename() && folder.has_relative_path()) folder = folder.parent_path();
  return folder;
}

}  // namespace

Command command(const std::vector<std::string>& arguments) {
  const auto end = arguments.end();
  if (const auto measure = std::find(arguments.begin(), end, kMeasureOption); measure != end) {
    const auto word = std::next(measure);
    if (word != end && *word == kAllUnits) return Benchmark{ComputeUnits::all};
    if (word != end && *word == kGraphicsUnits)
      return Benchmark{ComputeUnits::processorAndGraphics};
    return Benchmark{ComputeUnits::processorOnly};
  }
  if (const auto option = std::find(arguments.begin(), end, kExportOption);
      option != end && std::next(option) != end) {
    return ExportRecording{*std::next(option)};
  }
  return Application{};
}

int exportRecording(const std::filesystem::path& given) {
  std::filesystem::path recording;
  std::filesystem::path folder;
  try {
    recording = AppModel::recordingURL();
    folder = absoluteFolder(given);
  } catch (const std::exception& error) {
    // No home folder, or no current one: there is nowhere to look for the recording or to put it.
    std::cout << "Export failed: " << error.what() << std::endl;
    return 1;
  }
  try {
    Recorder::exportReadOnly(recording, folder);
  } catch (const Error& error) {
    if (error.domain() == std::string(Recorder::kErrorDomain) &&
        (error.code() == Recorder::kNoRecordingCode || error.code() == Recorder::kOpenFailedCode)) {
      // A file that is not a recording is as good as none; the log has said why.
      std::cout << "No recording at " << recording.string() << std::endl;
      return 1;
    }
    std::cout << "Export failed: " << error.what() << std::endl;
    return 1;
  } catch (const std::exception& error) {
    std::cout << "Export failed: " << error.what() << std::endl;
    return 1;
  }
  std::cout << "Exported to " << folder.string() << std::endl;
  return 0;
}

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv, argv + argc);
  if (std::find(arguments.begin(), arguments.end(), kVerboseOption) != arguments.end())
    log::showDebug(true);
  const Command chosen = command(arguments);
  if (const auto* benchmark = std::get_if<Benchmark>(&chosen))
    return Measure::run(benchmark->units);
  if (const auto* exporting = std::get_if<ExportRecording>(&chosen)) {
    return exportRecording(exporting->folder);
  }
  // Qt aborts when it has no display to open: say what runs without one instead. The desktop is
  // read through X11 (XWayland included), so an X server is needed whatever Qt could open; a
  // Wayland display alone does not do.
  if (!X11Connection::reachable()) {
    std::cerr << kNoDisplayLine << std::endl;
    return 1;
  }
  return runApplication(argc, argv);
}

}  // namespace qb::Main
