// The head trainer as scripts/fetch-model runs it, its standard error read through a pipe.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::Each;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::SizeIs;

// Enough observations for thirty progress reports of 64 texts.
constexpr int kObservations = 64 * 30;

TEST(TrainHeadTest, ProgressIntoAPipeIsALineForEachTenth) {
  test::TempDir model;
  fs::create_directories(model / "Embedder");
  for (const char* name : {"vocab.txt", "Embedder.safetensors", "config.json"})
    fs::copy_file(fs::path(QB_TEST_DATA) / "tiny-bert" / name, model / "Embedder" / name);
  test::writeFile(model / "Embedder" / "manifest.json", R"({"L": 32})");
  fs::create_directories(model / "Knowledge");
  test::writeFile(model / "Knowledge" / "sites.tsv", "docs.example\twork\t0.9\tdocumentation\n");
  std::string observations = "label\tkind\tapp\ttitle\turl\n";
  for (int i = 0; i < kObservations; ++i) {
    observations += i % 2 == 0
                        ? "work\twork\tEditor\tinvoice " + std::to_string(i) + "\t\n"
                        : "other\tentertainment\tEditor\tgarden " + std::to_string(i) + "\t\n";
  }
  test::writeFile(model / "observations.tsv", observations);

  // Standard error into the pipe, standard output (the figures) away.
  const std::string command = std::string(QB_TRAIN_HEAD) + " --model " + model.path().string() +
                              " --observations " + (model / "observations.tsv").string() +
                              " 2>&1 >/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string err;
  char buffer[4096];
  while (const size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) err.append(buffer, got);
  ASSERT_EQ(::pclose(pipe), 0) << err;

  std::vector<std::string> lines;
  std::istringstream stream(err);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  EXPECT_THAT(lines, AllOf(SizeIs(10), Each(Not(HasSubstr("\r"))))) << err;
  EXPECT_EQ(lines.front(), "embedding the observations: 192 of 1920");
  EXPECT_EQ(lines.back(), "embedding the observations: 1920 of 1920");
}

}  // namespace
}  // namespace qb
