#include <gmock/gmock.h>

#include <cmath>
#include <limits>

#include "analysis/PersonalMemory.h"
#include "base/Base64.h"
#include "support/ManualRuntime.h"
#include "support/SavedRecord.h"

namespace qb {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using Vec = std::vector<float>;

const Date kNow = Date::fromReference(700000000);
const float kOneFresh = 6.0f * std::tanh(1.0f);  // one identical, fresh answer with the defaults
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

Uuid idOf(uint8_t n) {
  Uuid id;
  id.bytes[15] = n;
  return id;
}

void answer(PersonalMemory& memory, Vec vector, bool work, Date at = kNow, uint8_t id = 0) {
  memory.add(std::move(vector), work, at, std::nullopt, std::nullopt, idOf(id));
}

std::vector<uint8_t> idsOf(const PersonalMemory& memory) {
  std::vector<uint8_t> ids;
  for (const auto& example : memory.examples) ids.push_back(example.id.bytes[15]);
  return ids;
}

TEST(PersonalMemoryTest, ShiftFollowsSimilarityAgeAndAnswer) {
  PersonalMemory memory;
  answer(memory, {1, 0, 0}, true);
  struct Case {
    Vec query;
    Date at;
    float shift;
  };
  for (const Case& c : std::vector<Case>{
           {{1, 0, 0}, kNow, kOneFresh},
           {{1, 0}, kNow, 0},                                         // another length: never near
           {{}, kNow, 0},                                             // nor an empty one
           {{0.5f, 0.8f, 0}, kNow, 0},                                // below nearby
           {{1, 0, 0}, kNow + memory.halfLife, 6 * std::tanh(0.5f)},  // one half-life: half weight
           {{1, 0, 0}, kNow - 1e6, kOneFresh}}) {  // from the future: full weight
    EXPECT_FLOAT_EQ(memory.shift(c.query, c.at), c.shift) << c.query.size() << " " << c.shift;
  }
  memory.nearby = -0.5f;  // similarity 0 would pass, but other lengths stay apart
  EXPECT_EQ(memory.shift(Vec{1, 0}, kNow), 0.0f);
  memory.nearby = PersonalMemory::kDefaultNearby;
  answer(memory, {0, 1, 0}, false);  // work and not-work, equally near and old, cancel exactly
  EXPECT_EQ(memory.shift(Vec{0.8f, 0.8f, 0}, kNow), 0.0f);
}

TEST(PersonalMemoryTest, AddReplacesNearDuplicatesAndKeepsTheNewestWithinLimit) {
  PersonalMemory memory;
  answer(memory, {1, 0}, true, kNow, 1);
  answer(memory, {0.6f, 0.8f}, true, kNow, 2);    // similarity 0.6: a different page
  answer(memory, {0.99f, 0.1f}, false, kNow, 3);  // 0.99 to the first: the same page answered again
  EXPECT_EQ(idsOf(memory), (std::vector<uint8_t>{2, 3}));
  answer(memory, {}, true, kNow, 4);  // empty vectors, other lengths and NaN replace nothing
  answer(memory, {}, true, kNow, 5);
  answer(memory, {1, 0, 0}, true, kNow, 6);
  answer(memory, {kNaN, 0}, true, kNow, 7);
  EXPECT_EQ(idsOf(memory), (std::vector<uint8_t>{2, 3, 4, 5, 6, 7}));

  memory = PersonalMemory();
  memory.limit = 2;  // the order of adding decides what goes, not the dates
  answer(memory, {1, 0, 0}, true, kNow + 1000, 1);
  answer(memory, {0, 1, 0}, true, kNow, 2);
  answer(memory, {0, 0, 1}, true, kNow, 3);
  EXPECT_EQ(idsOf(memory), (std::vector<uint8_t>{2, 3}));
  for (int64_t limit : {0, -5}) {
    memory.limit = limit;
    answer(memory, {1, 0, 0}, true);
    EXPECT_TRUE(memory.examples.empty()) << limit;
  }
}

// The side-by-side dot products must credit each answer with exactly its own similarity() sum.
TEST(PersonalMemoryTest, ShiftSumsEachAnswersSimilarityBitForBit) {
  test::RandomInput random(11);
  auto vector = [&](size_t n) {
    Vec v(n);
    for (float& x : v) x = static_cast<float>(random.below(201)) / 1e4f;  // 0 to 0.02
    return v;
  };
  const Vec query = vector(384);
  PersonalMemory memory;
  memory.nearby = 0;  // every answer of the query's length counts with its similarity as it is
  float x = 0;
  for (int i = 0; i < 21; ++i) {  // two full groups of lanes and a partial one, other lengths among
    memory.examples.push_back({.vector = vector(i % 5 == 0 ? 383 : 384), .work = i % 3 != 0});
    const float d = PersonalMemory::similarity(memory.examples.back().vector, query);
    x = memory.examples.back().work ? x + d : x - d;
  }
  EXPECT_EQ(memory.shift(query, Date()), memory.strength * std::tanh(x));
}

TEST(PersonalMemoryTest, UnusableConstantsAndValuesNeverGiveNaN) {
  PersonalMemory base;
  answer(base, {1, 0}, true);
  answer(base, {0, 1}, false, kNow - 10);
  for (float nearby : {1.0f, 2.0f, kNaN, -kInf}) {
    PersonalMemory memory = base;
    memory.nearby = nearby;
    EXPECT_EQ(memory.shift(Vec{1, 0}, kNow), 0.0f) << nearby;
    EXPECT_EQ(memory.shift(Vec{2, 0}, kNow), 0.0f) << nearby;  // a similarity above 1
  }
  for (double halfLife : {0.0, -1.0, double(kNaN), double(kInf)}) {
    PersonalMemory memory = base;
    memory.halfLife = halfLife;
    EXPECT_EQ(memory.shift(Vec{1, 0}, kNow), 0.0f) << halfLife;
  }
  for (float strength : {kNaN, kInf, -6.0f}) {
    PersonalMemory memory = base;
    memory.strength = strength;
    EXPECT_EQ(memory.shift(Vec{1, 0}, kNow), 0.0f) << strength;
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
  memory.add({0.1f, -0.2f, 3.4028235e38f, 1e-45f}, true, kNow, "Plan", "docs.example.com", idOf(1));
  memory.add({}, false, Date::fromReference(-5.25), std::nullopt, "Terminal", idOf(2));
  test::expectReloads(memory);
  const std::string text = json::dump(memory.toJson());
  EXPECT_THAT(text, HasSubstr(R"("nearby":0.7,)"));  // floats at their shortest
  EXPECT_THAT(text, HasSubstr(R"("site":"Terminal","vector":"","work":false})"));  // no title

  const PersonalMemory read = PersonalMemory::fromJson(json::parse(kHandWritten));
  ASSERT_EQ(read.examples.size(), 3u);
  PersonalMemory expected;
  expected.examples = {
      {.id = *Uuid::parse("0F0E0D0C-0B0A-4908-8706-050403020100"),
       .vector = {1.0f, -2.0f, 0.5f},
       .work = true,
       .at = Date::fromReference(86400.5),
       .title = "Design review",
       .site = "wiki.example.org"},
      {.id = read.examples[1].id, .vector = {1.0f, -2.0f}, .at = Date::fromReference(-3)},
      {.id = read.examples[2].id, .vector = {}, .at = Date::fromReference(0)}};
  EXPECT_EQ(read, expected);
  // Without "id" each reading draws a fresh identifier.
  EXPECT_NE(PersonalMemory::fromJson(json::parse(kHandWritten)).examples[1].id,
            read.examples[1].id);
  EXPECT_NE(read.examples[1].id, Uuid{});
}

TEST(PersonalMemoryTest, DamagedFilesFailWholeAndUnusableConstantsAreRepairedAloud) {
  test::LogCapture log;
  const Json good = json::parse(kHandWritten);
  test::expectHostileVariantsSafe<PersonalMemory>(good);
  // Every key but "id" and "title" is required, and no value of the wrong kind is taken.
  for (std::string pointer :
       {"/examples", "/limit", "/halfLife", "/nearby", "/strength", "/examples/0/vector",
        "/examples/0/work", "/examples/0/at", "/examples/0/id", "/examples/0/title"}) {
    SCOPED_TRACE(pointer);
    const Json::json_pointer at(pointer);
    Json file = good;
    file[at] = Json::object();
    EXPECT_THAT([&] { PersonalMemory::fromJson(file); }, test::ThrowsDecoding(": expected"));
    if (at.back() == "id" || at.back() == "title") continue;
    file[at.parent_pointer()].erase(at.back());
    EXPECT_THAT([&] { PersonalMemory::fromJson(file); },
                test::ThrowsDecoding(at.back() + ": key not found"));
  }
  const std::string constants = R"("limit": 9, "halfLife": 1, "nearby": 0.5, "strength": 1})";
  test::expectRefused<PersonalMemory>({
      {"[]", "$: expected an object"},
      {R"({"examples": [42], )" + constants, "examples[0]: expected an object"},
      {R"({"examples": [{"vector": "AACAPw", "work": true, "at": 1}], )" + constants,
       "vector is not valid Base64"},
      {R"({"examples": [{"id": "x", "vector": "", "work": true, "at": 1}], )" + constants,
       "id: invalid UUID string"},
      {R"({"examples": [], "limit": 9, "halfLife": 1, "nearby": 1e39, "strength": 1})",
       "nearby: number out of range"},
  });

  for (const auto& [key, value] : std::vector<std::pair<const char*, Json>>{{"halfLife", 0},
                                                                            {"halfLife", -86400},
                                                                            {"nearby", 1},
                                                                            {"nearby", 1.5},
                                                                            {"strength", -2}}) {
    Json file = PersonalMemory().toJson();
    file[key] = value;
    EXPECT_EQ(PersonalMemory::fromJson(file), PersonalMemory()) << key << value;
    EXPECT_THAT(log.lines().back(), HasSubstr(std::string("unusable ") + key)) << key << value;
  }
  // Unusual but usable values stay as written.
  Json file = PersonalMemory().toJson();
  file.update(Json{{"nearby", -0.25}, {"strength", 0}, {"halfLife", 1e-3}});
  EXPECT_EQ(PersonalMemory::fromJson(file),
            (PersonalMemory{.halfLife = 1e-3, .nearby = -0.25f, .strength = 0}));
}

TEST(PersonalMemoryTest, HostileSizesStayBounded) {
  test::LogCapture log;
  auto withVector = [](std::string vector) {
    Json file = PersonalMemory().toJson();
    file["examples"].push_back({{"vector", std::move(vector)}, {"work", true}, {"at", 0}});
    return file;
  };
  // A 100 MB vector is refused before it is decoded; the longest accepted vector (with stray
  // bytes after it) is read, one element more is refused.
  const size_t longest = PersonalMemory::kMaxVectorLength;
  auto zeros = [](size_t bytes) { return base64::encode(std::vector<uint8_t>(bytes, 0)); };
  for (const std::string& tooLong : {std::string(100'000'000, 'A'), zeros(longest * 4 + 4)}) {
    EXPECT_THAT([&] { PersonalMemory::fromJson(withVector(tooLong)); },
                test::ThrowsDecoding("vector longer than the largest accepted"));
  }
  EXPECT_EQ(PersonalMemory::fromJson(withVector(zeros(longest * 4 + 3))).examples[0].vector.size(),
            longest);

  // More answers than the limit: the newest are kept, as add() would have left them, and the cut
  // is logged.
  Json many = PersonalMemory().toJson();
  many["limit"] = 3;
  for (int i = 0; i < 5000; ++i) {
    many["examples"].push_back({{"vector", "AACAPw=="}, {"work", true}, {"at", i}});
  }
  const PersonalMemory memory = PersonalMemory::fromJson(many);
  ASSERT_EQ(memory.examples.size(), 3u);
  EXPECT_EQ(memory.examples[0].at, Date::fromReference(4997));
  EXPECT_THAT(log.lines(), Contains(HasSubstr("kept the newest 3 of 5000 answers")));
  many["limit"] = -1;
  EXPECT_TRUE(PersonalMemory::fromJson(many).examples.empty());
}

}  // namespace
}  // namespace qb
