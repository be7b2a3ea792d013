#include <gtest/gtest.h>

#include "analysis/SentenceEmbedder.h"
#include "base/Error.h"
#include "base/File.h"
#include "support/TestSupport.h"
#include "training/HeadTrainer.h"

namespace qb::training {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kHeader = "label\tkind\tapp\ttitle\turl\n";

TEST(HeadTrainerTest, BadLinesAreRefusedWithTheirNumbers) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"work\twork\tFirefox\tDocs\n", "line 3: 4 columns"},
      {"maybe\twork\tFirefox\tDocs\t\n", "line 3: the label is \"maybe\""},
      {"work\tplay\tFirefox\tDocs\t\n", "line 3: unknown kind \"play\""},
      {"work\twork\t \tDocs\t\n", "line 3: no application"},
      {"work\twork\tFirefox\t\t\n", "line 3: no title"},
      {"work\twork\tFirefox\tDocs\tnot an address\n", "line 3: \"not an address\" is not"},
  };
  for (const auto& [line, message] : cases) {
    SCOPED_TRACE(line);
    try {
      readObservations("# comment\n" + std::string(kHeader) + line);
      ADD_FAILURE() << "accepted";
    } catch (const Error& error) {
      EXPECT_EQ(error.code(), kBadLineCode);
      EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
    }
  }
  EXPECT_THROW(readObservations("work\twork\tFirefox\tDocs\t\n"), Error) << "no header";

  const auto read = readObservations(
      std::string(kHeader) + "work\tcommunication\tThunderbird\tRe: invoice 42\t\r\n" +
      "other\tentertainment\tFirefox\tGoals\thttps://www.video.example/watch?v=1\n");
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(std::tuple(read[0].line, read[0].work, read[0].kind, read[0].moment.title),
            std::tuple(2, true, ActivityKind::communication, std::string("Re: invoice 42")));
  EXPECT_EQ(read[1].moment.host(), "video.example");
}

TEST(HeadTrainerTest, TheShippedObservationsReadAndSplit) {
  const std::vector<Observation> observations = readObservations(file::readText(
      fs::path(QB_SOURCE_DIR) / "resources/Model/Training/observations.tsv", 1 << 24));
  ASSERT_GE(observations.size(), 3000u);
  size_t work = 0, heldOut = 0;
  for (const Observation& observation : observations) {
    work += observation.work;
    heldOut += isHeldOut(ActivityHead::text(observation.moment));
  }
  EXPECT_GT(work, observations.size() * 2 / 5);
  EXPECT_LT(work, observations.size() * 3 / 5);
  EXPECT_NEAR(double(heldOut) / double(observations.size()), 1.0 / double(kHeldOutShare), 0.03);
}

// The tiny test encoder, with a table that lists one site.
class HeadTrainerModelTest : public testing::Test {
protected:
  HeadTrainerModelTest() {
    const fs::path tinyBert = fs::path(QB_TEST_DATA) / "tiny-bert";
    for (const char* name : {"vocab.txt", "Embedder.safetensors", "config.json"}) {
      fs::copy_file(tinyBert / name, folder / name);
    }
    test::writeFile(folder / "manifest.json", R"({"L": 32})");
    embedder = std::make_unique<SentenceEmbedder>(folder.path());
  }
  // Observations that a word tells apart: every work title carries it, no other title does.
  std::vector<Observation> separable() {
    std::string tsv(kHeader);
    const std::vector<std::string> subjects = {"budget", "garden",  "river",  "planet", "music",
                                               "winter", "kitchen", "letter", "travel", "market"};
    for (size_t i = 0; i < 400; ++i) {
      const std::string subject = subjects[i % subjects.size()] + " " + std::to_string(i);
      tsv += i % 2 == 0 ? "work\twork\tEditor\tinvoice " + subject + "\t\n"
                        : "other\tentertainment\tEditor\t" + subject + "\t\n";
    }
    return readObservations(tsv);
  }

  test::TempDir folder;
  std::unique_ptr<SentenceEmbedder> embedder;
  const SiteKnowledge sites = SiteKnowledge::parse("docs.example\twork\t0.9\tdocumentation\n");
};

TEST_F(HeadTrainerModelTest, TheHeadLearnsASeparableSetAndLoadsAsTrained) {
  const std::vector<Observation> observations = separable();
  const Report report = train(observations, *embedder, sites);
  EXPECT_EQ(report.training + report.heldOut, observations.size());
  EXPECT_GT(report.heldOut, 40u);
  EXPECT_GE(report.heldOutScores.accuracy, 0.97) << describe(report);

  // The written head is the fitted one, to the bit, as the program reads it.
  test::writeFile(folder / "head.json", report.headJson);
  const ActivityHead loaded = ActivityHead::load(folder / "head.json");
  loaded.check(embedder->dimension());
  const ActivityHead fitted(report.head.weights, report.head.bias);
  for (const Observation& observation : {observations[0], observations[1]}) {
    const Vector embedding = embedder->embed(ActivityHead::text(observation.moment));
    EXPECT_EQ(loaded.logit(embedding, std::nullopt), fitted.logit(embedding, std::nullopt));
  }
  EXPECT_EQ(train(observations, *embedder, sites).headJson, report.headJson)
      << "the same set and encoder give the same file";
}

}  // namespace
}  // namespace qb::training
