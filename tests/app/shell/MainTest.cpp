#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/Main.h"
#include "shell/Measure.h"

namespace qb {
namespace {

using Main::Application;
using Main::Benchmark;
using Main::Command;
using Main::ExportRecording;

TEST(MainTest, TheBenchmarkIsLookedForFirstThenTheExportWholeWordsAnywhere) {
  struct Case {
    std::vector<std::string> arguments;
    Command expected;
  };
  const std::vector<Case> cases = {
      {{"quillbrook"}, Application{}},
      {{"quillbrook", "--measure"}, Benchmark{ComputeUnits::processorOnly}},
      {{"quillbrook", "--measure", "all"}, Benchmark{ComputeUnits::all}},
      {{"quillbrook", "--measure", "gpu"}, Benchmark{ComputeUnits::processorAndGraphics}},
      {{"quillbrook", "--measure", "All"}, Benchmark{ComputeUnits::processorOnly}},
      {{"quillbrook", "--measure", "cpu"}, Benchmark{ComputeUnits::processorOnly}},
      {{"quillbrook", "--measure", "--measure", "all"}, Benchmark{ComputeUnits::processorOnly}},
      {{"--measure", "gpu"}, Benchmark{ComputeUnits::processorAndGraphics}},
      {{"quillbrook", "-v", "--measure", "all", "x"}, Benchmark{ComputeUnits::all}},
      {{"quillbrook", "--measure", "gpu", "--export-recording", "/tmp/out"},
       Benchmark{ComputeUnits::processorAndGraphics}},
      {{"quillbrook", "--export-recording", "/tmp/out", "--measure"},
       Benchmark{ComputeUnits::processorOnly}},
      {{"quillbrook", "--export-recording", "--measure"}, Benchmark{ComputeUnits::processorOnly}},
      {{"quillbrook", "--export-recording", "out/"}, ExportRecording{"out/"}},
      {{"quillbrook", "--export-recording", "a", "--export-recording", "b"}, ExportRecording{"a"}},
      {{"quillbrook", "-v", "--export-recording", ""}, ExportRecording{""}},
      {{"quillbrook", "--export-recording"}, Application{}},
      {{"quillbrook", "--Measure", "--measure=all", "x--measure", "--export"}, Application{}},
  };
  for (const Case& test : cases) {
    std::string joined;
    for (const std::string& argument : test.arguments) joined += "[" + argument + "]";
    SCOPED_TRACE(joined);
    EXPECT_EQ(Main::command(test.arguments), test.expected);
  }
}

TEST(MainTest, LoadTimesKeepTheUnitsThatHaveAValueToTheMillisecond) {
  EXPECT_EQ(Measure::loadTime(0, "en"), "0ms");
  EXPECT_EQ(Measure::loadTime(0.0004, "en"), "0ms");
  EXPECT_EQ(Measure::loadTime(0.0126, "en"), "13ms");
  EXPECT_EQ(Measure::loadTime(2, "en"), "2s");
  EXPECT_EQ(Measure::loadTime(0.9996, "en"), "1s") << "rounded, never 1000ms";
  EXPECT_EQ(Measure::loadTime(61.0421, "en"), "61s 42ms") << "no minutes";
}

}  // namespace
}  // namespace qb
