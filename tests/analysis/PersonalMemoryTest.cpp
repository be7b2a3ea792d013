#include <gmock/gmock.h>

#include <cmath>

#include "analysis/PersonalMemory.h"
#include "base/Base64.h"
#include "support/ManualRuntime.h"
#include "support/SavedRecord.h"

namespace qb {
namespace {

using ::testing::HasSubstr;
using Vec = std::vector<float>;

const Date kNow = Date::fromReference(700000000);
const float kOneFresh = 6.0f * std::tanh(1.0f);  // one identical, fresh answer with the defaults
const float kNaN = NAN, kInf = INFINITY;

// An answer whose identifier is its number, and the numbers of a memory's answers in order.
void answer(PersonalMemory& memory, Vec vector, bool work, uint8_t number = 0, Date at = kNow) {
  Uuid id;
  id.bytes[15] = number;
  memory.add(std::move(vector), work, at, std::nullopt, std::nullopt, id);
}
std::vector<int> numbers(const PersonalMemory& memory) {
  std::vector<int> out;
  for (const auto& example : memory.examples) out.push_back(example.id.bytes[15]);
  return out;
}

TEST(PersonalMemoryTest, ShiftFollowsSimilarityAgeAndAnswer) {
  PersonalMemory memory;
  answer(memory, {1, 0, 0}, true);
  // Another length (or none) is never near; one half-life halves the weight; an answer from the
  // future weighs in full.
  // clang-format off
  const std::vector<std::tuple<Vec, Date, float>> cases = {
      {{1, 0, 0}, kNow, kOneFresh}, {{1, 0}, kNow, 0}, {{}, kNow, 0}, {{0.5f, 0.8f, 0}, kNow, 0},
      {{1, 0, 0}, kNow + memory.halfLife, 6 * std::tanh(0.5f)}, {{1, 0, 0}, kNow - 1e6, kOneFresh}};
  // clang-format on
  for (const auto& [query, at, shift] : cases) {
    EXPECT_FLOAT_EQ(memory.shift(query, at), shift) << query.size() << " " << shift;
  }
  memory.nearby = -0.5f;  // similarity 0 would pass, but other lengths stay apart
  EXPECT_EQ(memory.shift(Vec{1, 0}, kNow), 0.0f);
  memory.nearby = PersonalMemory::kDefaultNearby;
  answer(memory, {0, 1, 0}, false);  // work and not-work, equally near and old, cancel exactly
  EXPECT_EQ(memory.shift(Vec{0.8f, 0.8f, 0}, kNow), 0.0f);
}

TEST(PersonalMemoryTest, AddReplacesNearDuplicatesAndKeepsTheNewestWithinLimit) {
  PersonalMemory memory;
  answer(memory, {1, 0}, true, 1);
  answer(memory, {0.6f, 0.8f}, true, 2);    // similarity 0.6: a different page
  answer(memory, {0.99f, 0.1f}, false, 3);  // 0.99 to the first: the same page answered again
  EXPECT_EQ(numbers(memory), (std::vector{2, 3}));
  for (const Vec& vector : {Vec{}, Vec{}, Vec{1, 0, 0}, Vec{kNaN, 0}})
    answer(memory, vector, true, 4);
  EXPECT_EQ(numbers(memory), (std::vector{2, 3, 4, 4, 4, 4})) << "none of these is near anything";
  memory = PersonalMemory{.limit = 2};  // the order of adding decides what goes, not the dates
  answer(memory, {1, 0, 0}, true, 1, kNow + 1000);
  answer(memory, {0, 1, 0}, true, 2);
  answer(memory, {0, 0, 1}, true, 3);
  EXPECT_EQ(numbers(memory), (std::vector{2, 3}));
  for (int64_t limit : {0, -5}) {
    memory.limit = limit;
    answer(memory, {1, 0, 0}, true);
    EXPECT_TRUE(memory.examples.empty()) << limit;
  }
}

// The side-by-side dot products must credit each answer with exactly its own similarity().
TEST(PersonalMemoryTest, ShiftSumsEachAnswersSimilarityBitForBit) {
  test::RandomInput random(11);
  auto vector = [&](size_t n) {
    Vec v(n);
    for (float& x : v) x = static_cast<float>(random.below(201)) / 1e4f;  // 0 to 0.02
    return v;
  };
  const Vec query = vector(384);
  PersonalMemory memory{.nearby = 0};  // every answer counts with its similarity as it is
  float x = 0;
  for (int i = 0; i < 21; ++i) {  // two full groups of lanes and a part, other lengths among them
    memory.examples.push_back({.vector = vector(i % 5 == 0 ? 383 : 384), .work = i % 3 != 0});
    const float d = PersonalMemory::similarity(memory.examples.back().vector, query);
    x = memory.examples.back().work ? x + d : x - d;
  }
  EXPECT_EQ(memory.shift(query, Date()), memory.strength * std::tanh(x));
}

TEST(PersonalMemoryTest, UnusableConstantsAndValuesNeverGiveNaN) {
  PersonalMemory base;
  answer(base, {1, 0}, true);
  answer(base, {0, 1}, false, 0, kNow - 10);
  // clang-format off
  for (const PersonalMemory& memory : std::vector<PersonalMemory>{
           {.nearby = 1}, {.nearby = 2}, {.nearby = kNaN}, {.nearby = -kInf}, {.halfLife = 0},
           {.halfLife = -1}, {.halfLife = kNaN}, {.halfLife = kInf}, {.strength = kNaN},
           {.strength = kInf}, {.strength = -6}}) {
    // clang-format on
    PersonalMemory unusable = memory;
    unusable.examples = base.examples;
    EXPECT_EQ(unusable.shift(Vec{1, 0}, kNow), 0.0f) << json::dump(unusable.toJson());
    EXPECT_EQ(unusable.shift(Vec{2, 0}, kNow), 0.0f) << "a similarity above 1";
  }
  // Answers with non-finite elements or times neither poison the sum nor cancel sound ones...
  PersonalMemory memory;
  memory.examples = {{.vector = {kInf, 0}, .at = Date::fromReference(-kInf)},
                     {.vector = {kNaN, 0}, .at = kNow},
                     {.vector = {1, 0}, .work = true, .at = kNow}};
  EXPECT_EQ(memory.shift(Vec{1, 0}, kNow), kOneFresh);
  EXPECT_FALSE(std::isnan(memory.shift(Vec{1, 0}, Date::fromReference(kNaN))));
  // ...and infinite answers on both sides cancel to nothing.
  memory.examples.push_back({.vector = {kInf, 0}, .work = true, .at = kNow});
  memory.examples.push_back({.vector = {kInf, 0}, .at = kNow});
  EXPECT_EQ(memory.shift(Vec{1, 0}, kNow), 0.0f);
}

// 1.0, -2.0, 0.5 as little-endian binary32; then 1.0, -2.0 and two stray bytes.
const char* kHandWritten = R"({"examples": [
    {"id": "0F0E0D0C-0B0A-4908-8706-050403020100", "vector": "AACAPwAAAMAAAAA/", "work": true,
     "at": 86400.5, "title": "Design review", "site": "wiki.example.org"},
    {"vector": "AACAPwAAAMAHCA==", "work": false, "at": -3},
    {"vector": "AAA=", "work": false, "at": 0}],
  "limit": 2000, "halfLife": 7776000, "nearby": 0.6, "strength": 6})";

TEST(PersonalMemoryTest, SavedFormReloadsAndReadsAHandWrittenFile) {
  PersonalMemory memory{.limit = 50, .halfLife = 1234.5, .nearby = 0.7f};
  memory.add({0.1f, -0.2f, 3.4028235e38f, 1e-45f}, true, kNow, "Plan", "docs.example.com", {});
  memory.add({}, false, Date::fromReference(-5.25), std::nullopt, "Terminal", Uuid::random());
  test::expectReloads(memory);
  const std::string text = json::dump(memory.toJson());
  EXPECT_THAT(text, HasSubstr(R"("nearby":0.7,)"));  // floats at their shortest
  EXPECT_THAT(text, HasSubstr(R"("site":"Terminal","vector":"","work":false})"));  // no title

  const PersonalMemory read = PersonalMemory::fromJson(json::parse(kHandWritten));
  ASSERT_EQ(read.examples.size(), 3u);
  // clang-format off
  const PersonalMemory expected{.examples = {
      {.id = *Uuid::parse("0F0E0D0C-0B0A-4908-8706-050403020100"), .vector = {1.0f, -2.0f, 0.5f},
       .work = true, .at = Date::fromReference(86400.5), .title = "Design review",
       .site = "wiki.example.org"},
      {.id = read.examples[1].id, .vector = {1.0f, -2.0f}, .at = Date::fromReference(-3)},
      {.id = read.examples[2].id, .vector = {}, .at = Date::fromReference(0)}}};
  // clang-format on
  EXPECT_EQ(read, expected);
  // Without "id" each reading draws a fresh identifier.
  EXPECT_NE(PersonalMemory::fromJson(json::parse(kHandWritten)).examples[1].id,
            read.examples[1].id);
}

TEST(PersonalMemoryTest, DamagedFilesFailWholeAndRepairsAndCutsAreLogged) {
  test::LogCapture log;
  const Json good = json::parse(kHandWritten);
  test::expectHostileVariantsSafe<PersonalMemory>(good);
  // Every key but "id" and "title" is required, and no value of the wrong kind is taken.
  // clang-format off
  for (std::string pointer : {"/examples", "/limit", "/halfLife", "/nearby", "/strength",
                              "/examples/0/vector", "/examples/0/work", "/examples/0/at",
                              "/examples/0/id", "/examples/0/title"}) {
    // clang-format on
    const Json::json_pointer at(pointer);
    Json file = good;
    file[at] = Json::object();
    EXPECT_THAT([&] { PersonalMemory::fromJson(file); }, test::ThrowsDecoding(": expected"))
        << pointer;
    if (at.back() == "id" || at.back() == "title") continue;
    file[at.parent_pointer()].erase(at.back());
    EXPECT_THAT([&] { PersonalMemory::fromJson(file); },
                test::ThrowsDecoding(at.back() + ": key not found"));
  }
  const std::string constants = R"(], "limit": 9, "halfLife": 1, "nearby": 0.5, "strength": 1})";
  // clang-format off
  test::expectRefused<PersonalMemory>({
      {"[]", "$: expected an object"},
      {R"({"examples": [42)" + constants, "examples[0]: expected an object"},
      {R"({"examples": [{"vector": "AACAPw", "work": true, "at": 1})" + constants, "Base64"},
      {R"({"examples": [{"id": "x", "vector": "", "work": true, "at": 1})" + constants, "UUID"},
      {R"({"examples": [], "limit": 9, "halfLife": 1, "nearby": 1e39, "strength": 1})",
       "nearby: number out of range"}});
  // clang-format on
  // Unusable constants are repaired aloud; unusual but usable ones stay as written.
  for (const auto& [key, value] : std::vector<std::pair<const char*, double>>{
           {"halfLife", 0}, {"nearby", 1}, {"nearby", 1.5}, {"strength", -1}}) {
    Json file = PersonalMemory().toJson();
    file[key] = value;
    EXPECT_EQ(PersonalMemory::fromJson(file), PersonalMemory()) << key << value;
    EXPECT_THAT(log.lines().back(), HasSubstr(std::string("unusable ") + key));
  }
  Json file = PersonalMemory().toJson();
  file.update(Json{{"nearby", -0.25}, {"strength", 0}, {"halfLife", 1e-3}});
  EXPECT_EQ(PersonalMemory::fromJson(file),
            (PersonalMemory{.halfLife = 1e-3, .nearby = -0.25f, .strength = 0}));

  // More answers than the limit: the newest are kept, as add() would have left them, and said so.
  file["limit"] = 3;
  for (int i = 0; i < 5; ++i)
    file["examples"].push_back({{"vector", ""}, {"work", true}, {"at", i}});
  EXPECT_EQ(PersonalMemory::fromJson(file).examples.at(0).at, Date::fromReference(2));
  EXPECT_THAT(log.lines().back(), HasSubstr("kept the newest 3 of 5 answers"));
  file["limit"] = -1;
  EXPECT_TRUE(PersonalMemory::fromJson(file).examples.empty());
}

TEST(PersonalMemoryTest, VectorsAreBoundedBeforeTheyAreDecoded) {
  auto withVector = [](std::string vector) {
    Json file = PersonalMemory().toJson();
    file["examples"].push_back({{"vector", std::move(vector)}, {"work", true}, {"at", 0}});
    return file;
  };
  // The longest accepted vector (with stray bytes after it) is read, one element more is refused.
  const size_t longest = PersonalMemory::kMaxVectorLength;
  auto zeros = [](size_t bytes) { return base64::encode(std::vector<uint8_t>(bytes, 0)); };
  EXPECT_THAT([&] { PersonalMemory::fromJson(withVector(zeros(longest * 4 + 4))); },
              test::ThrowsDecoding("vector longer than the largest accepted"));
  EXPECT_EQ(PersonalMemory::fromJson(withVector(zeros(longest * 4 + 3))).examples[0].vector.size(),
            longest);
}

}  // namespace
}  // namespace qb
