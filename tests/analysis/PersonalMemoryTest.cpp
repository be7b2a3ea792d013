#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <random>
#include <thread>

#include "analysis/PersonalMemory.h"
#include "analysis/PersonalStore.h"
#include "base/Base64.h"

namespace qb {
namespace {

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

TEST(PersonalMemoryTest, ShiftFollowsSimilarityAgeAndAnswer) {
  PersonalMemory memory;
  EXPECT_EQ(memory.shift(Vec{1, 0}, kNow), 0.0f);
  answer(memory, {1, 0, 0}, true);
  EXPECT_FLOAT_EQ(memory.shift(Vec{1, 0, 0}, kNow), kOneFresh);
  // Another length, or below nearby, is not near at all, whatever nearby is.
  EXPECT_EQ(memory.shift(Vec{1, 0}, kNow), 0.0f);
  EXPECT_EQ(memory.shift(Vec{0.5f, 0.8f, 0}, kNow), 0.0f);
  memory.nearby = -0.5f;
  EXPECT_EQ(memory.shift(Vec{1, 0}, kNow), 0.0f);
  EXPECT_EQ(memory.shift(Vec{}, kNow), 0.0f);
  memory.nearby = PersonalMemory::kDefaultNearby;
  // One half-life later the answer weighs half; an answer from the future weighs in full.
  EXPECT_FLOAT_EQ(memory.shift(Vec{1, 0, 0}, kNow + memory.halfLife), 6.0f * std::tanh(0.5f));
  EXPECT_FLOAT_EQ(memory.shift(Vec{1, 0, 0}, kNow - 1e6), kOneFresh);
  // Work and not-work answers equally near and equally old cancel exactly.
  answer(memory, {0, 1, 0}, false);
  EXPECT_EQ(memory.shift(Vec{0.8f, 0.8f, 0}, kNow), 0.0f);
}

TEST(PersonalMemoryTest, AddReplacesNearDuplicatesAndKeepsTheNewestWithinLimit) {
  PersonalMemory memory;
  answer(memory, {1, 0}, true, kNow, 1);
  answer(memory, {0.6f, 0.8f}, true, kNow, 2);    // similarity 0.6: a different page
  answer(memory, {0.99f, 0.1f}, false, kNow, 3);  // similarity 0.99 to the first: the same page
  ASSERT_EQ(memory.examples.size(), 2u);
  EXPECT_EQ(memory.examples[0].id, idOf(2));
  EXPECT_EQ(memory.examples[1].id, idOf(3));
  EXPECT_LT(memory.shift(Vec{1, 0}, kNow), 0.0f);
  // Empty vectors and vectors of another length never replace anything.
  for (uint8_t id : {4, 5}) answer(memory, {}, true, kNow, id);
  answer(memory, {1, 0, 0}, true, kNow, 6);
  EXPECT_EQ(memory.examples.size(), 5u);

  // The order of adding decides what goes, not the dates.
  memory = PersonalMemory();
  memory.limit = 2;
  answer(memory, {1, 0, 0}, true, kNow + 1000, 1);
  answer(memory, {0, 1, 0}, true, kNow, 2);
  answer(memory, {0, 0, 1}, true, kNow, 3);
  ASSERT_EQ(memory.examples.size(), 2u);
  EXPECT_EQ(memory.examples[0].id, idOf(2));
  for (int64_t limit : {0, -5}) {
    memory.limit = limit;
    answer(memory, {1, 0, 0}, true);
    EXPECT_TRUE(memory.examples.empty()) << limit;
  }
}

// The side-by-side dot products must give exactly the one-at-a-time sums, whatever the grouping.
TEST(PersonalMemoryTest, ShiftMatchesTheIndexOrderSumsBitForBit) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> uniform(-0.1f, 0.1f);
  auto vector = [&](size_t n) {
    Vec v(n);
    for (float& x : v) x = uniform(random);
    return v;
  };
  const Vec query = vector(384);
  PersonalMemory memory;
  // At nearby 0 an answer that counts adds similarity × weight at full precision, so a sum that is
  // grouped otherwise, or credited to another answer, shows in the result.
  memory.nearby = 0;
  float x = 0;
  for (int i = 0; i < 21; ++i) {
    memory.examples.push_back(
        {.vector = vector(i % 5 == 0 ? 383 : 384), .work = i % 3 != 0, .at = kNow - 86400.0 * i});
    const float d = PersonalMemory::similarity(memory.examples.back().vector, query);
    if (memory.examples.back().vector.size() != query.size() || !(d >= 0)) continue;
    const float c = d * static_cast<float>(std::exp2(-86400.0 * i / memory.halfLife));
    x = memory.examples.back().work ? x + c : x - c;
  }
  EXPECT_EQ(memory.shift(query, kNow), memory.strength * std::tanh(x));
}

TEST(PersonalMemoryTest, UnusableConstantsAndValuesNeverGiveNaN) {
  PersonalMemory base;
  answer(base, {1, 0}, true);
  answer(base, {0, 1}, false, kNow - 10);
  auto shiftWith = [&](auto PersonalMemory::*member, auto value, Vec query) {
    PersonalMemory memory = base;
    memory.*member = value;
    return memory.shift(query, kNow);
  };
  for (float nearby : {1.0f, 2.0f, kNaN, -kInf}) {
    EXPECT_EQ(shiftWith(&PersonalMemory::nearby, nearby, {1, 0}), 0.0f) << nearby;
    EXPECT_EQ(shiftWith(&PersonalMemory::nearby, nearby, {2, 0}), 0.0f) << nearby;  // above 1
  }
  for (double halfLife : {0.0, -1.0, double(kNaN), double(kInf)}) {
    EXPECT_EQ(shiftWith(&PersonalMemory::halfLife, halfLife, {1, 0}), 0.0f) << halfLife;
  }
  for (float strength : {kNaN, kInf, -6.0f}) {
    EXPECT_EQ(shiftWith(&PersonalMemory::strength, strength, {1, 0}), 0.0f) << strength;
  }
  // Non-finite elements or times in stored answers (as a hostile file can hold) neither poison
  // the sum nor cancel the sound answers...
  PersonalMemory memory;
  memory.examples = {{.vector = {kInf, 0}, .work = false, .at = Date::fromReference(-kInf)},
                     {.vector = {kNaN, 0}, .work = false, .at = kNow},
                     {.vector = {1, 0}, .work = true, .at = kNow}};
  EXPECT_EQ(memory.shift(Vec{1, 0}, kNow), kOneFresh);
  EXPECT_FALSE(std::isnan(memory.shift(Vec{1, 0}, Date::fromReference(kNaN))));
  // ...and infinite answers on both sides cancel to nothing.
  memory.examples.push_back({.vector = {kInf, 0}, .work = true, .at = kNow});
  memory.examples.push_back({.vector = {kInf, 0}, .work = false, .at = kNow});
  EXPECT_EQ(memory.shift(Vec{1, 0}, kNow), 0.0f);
  answer(memory, {kNaN, 0}, true);  // a NaN similarity removes nothing
  EXPECT_EQ(memory.examples.size(), 6u);
}

TEST(PersonalMemoryTest, JsonRoundTripsAndReadsAHandWrittenFile) {
  PersonalMemory memory;
  memory.limit = 50;
  memory.halfLife = 1234.5;
  memory.nearby = 0.7f;
  memory.add({0.1f, -0.2f, 3.4028235e38f, 1e-45f}, true, kNow, "Quarterly plan", "docs.example.com",
             idOf(1));
  memory.add({}, false, Date::fromReference(-5.25), std::nullopt, "Terminal", idOf(2));
  memory.add({1, 0, 0, 0}, false, kNow, std::string("Caf\u00e9"), std::nullopt, idOf(3));
  const std::string text = json::dump(memory.toJson());
  EXPECT_NE(text.find("\"nearby\":0.7,"), std::string::npos) << text;  // floats at their shortest
  EXPECT_NE(text.find("\"strength\":6.0"), std::string::npos) << text;
  EXPECT_EQ(memory.toJson()["examples"][1].count("title"), 0u);  // absent, not null
  const PersonalMemory decoded = PersonalMemory::fromJson(json::parse(text));
  EXPECT_EQ(decoded, memory);
  EXPECT_EQ(json::dump(decoded.toJson()), text);
  EXPECT_EQ(PersonalMemory::fromJson(PersonalMemory().toJson()), PersonalMemory());

  // 1.0, -2.0, 0.5 as little-endian binary32; then 1.0, -2.0 and two stray bytes.
  const char* file = R"({"examples": [
      {"id": "0F0E0D0C-0B0A-4908-8706-050403020100", "vector": "AACAPwAAAMAAAAA/", "work": true,
       "at": 86400.5, "title": "Design review", "site": "wiki.example.org"},
      {"vector": "AACAPwAAAMAHCA==", "work": false, "at": -3},
      {"vector": "AAA=", "work": false, "at": 0}],
    "limit": 2000, "halfLife": 7776000, "nearby": 0.6, "strength": 6})";
  const PersonalMemory read = PersonalMemory::fromJson(json::parse(file));
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
  const PersonalMemory again = PersonalMemory::fromJson(json::parse(file));
  EXPECT_EQ(again.examples[0].id, read.examples[0].id);
  EXPECT_NE(again.examples[1].id, read.examples[1].id);
  EXPECT_NE(again.examples[1].id, Uuid{});
}

TEST(PersonalMemoryTest, MalformedFilesFailWholeAndUnusableConstantsAreRepaired) {
  const Json good = json::parse(R"({"examples": [{"id": "0F0E0D0C-0B0A-4908-8706-050403020100",
      "vector": "AACAPw==", "work": true, "at": 1, "title": "t"}],
      "limit": 2000, "halfLife": 7776000, "nearby": 0.6, "strength": 6})");
  ASSERT_NO_THROW(PersonalMemory::fromJson(good));
  // A member removed (no value) or replaced: anything missing or of the wrong type fails it all.
  for (const auto& [pointer, value] :
       std::vector<std::pair<std::string, std::string>>{{"/examples", ""},
                                                        {"/limit", ""},
                                                        {"/halfLife", ""},
                                                        {"/nearby", ""},
                                                        {"/strength", ""},
                                                        {"/examples", "\"1\""},
                                                        {"/limit", "\"1\""},
                                                        {"/halfLife", "\"1\""},
                                                        {"/nearby", "\"1\""},
                                                        {"/strength", "\"1\""},
                                                        {"/examples/0/vector", ""},
                                                        {"/examples/0/work", ""},
                                                        {"/examples/0/at", ""},
                                                        {"/examples/0/id", "5"},
                                                        {"/examples/0/id", "\"x\""},
                                                        {"/examples/0/vector", "\"AACAPw\""},
                                                        {"/examples/0/vector", "1"},
                                                        {"/examples/0/work", "1"},
                                                        {"/examples/0/title", "false"},
                                                        {"/examples/1", "42"},
                                                        {"", "[]"}}) {
    Json file = good;
    const Json::json_pointer at(pointer);
    if (!value.empty()) {
      file[at] = Json::parse(value);
    } else {
      file[at.parent_pointer()].erase(at.back());
    }
    try {
      PersonalMemory::fromJson(file);
      ADD_FAILURE() << pointer << " " << value << " was accepted";
    } catch (const Error& e) {
      EXPECT_EQ(e.domain(), Error::kDecodingDomain) << pointer << " " << value;
    }
  }

  for (const auto& [key, value] : std::vector<std::pair<const char*, Json>>{{"halfLife", 0},
                                                                            {"halfLife", -86400},
                                                                            {"nearby", 1},
                                                                            {"nearby", 1.5},
                                                                            {"nearby", 1e300},
                                                                            {"strength", -2},
                                                                            {"strength", 1e39}}) {
    Json file = PersonalMemory().toJson();
    file[key] = value;
    EXPECT_EQ(PersonalMemory::fromJson(file), PersonalMemory()) << key << value;
  }
  // Unusual but usable values stay as written.
  Json file = PersonalMemory().toJson();
  file["nearby"] = -0.25;
  file["strength"] = 0;
  file["halfLife"] = 1e-3;
  const PersonalMemory memory = PersonalMemory::fromJson(file);
  EXPECT_EQ(std::tuple(memory.nearby, memory.strength, memory.halfLife),
            std::tuple(-0.25f, 0.0f, 1e-3));
}

TEST(PersonalMemoryTest, HostileSizesStayBounded) {
  auto withVector = [](std::string vector) {
    Json f = PersonalMemory().toJson();
    f["examples"].push_back({{"vector", std::move(vector)}, {"work", true}, {"at", 0}});
    return f;
  };
  // A 100 MB vector is refused before it is decoded; the longest accepted vector (with stray
  // bytes after it) is read, one element more is refused.
  EXPECT_THROW(PersonalMemory::fromJson(withVector(std::string(100'000'000, 'A'))), Error);
  const size_t longest = PersonalMemory::kMaxVectorLength;
  auto zeros = [](size_t bytes) { return base64::encode(std::vector<uint8_t>(bytes, 0)); };
  EXPECT_EQ(PersonalMemory::fromJson(withVector(zeros(longest * 4 + 3))).examples[0].vector.size(),
            longest);
  EXPECT_THROW(PersonalMemory::fromJson(withVector(zeros(longest * 4 + 4))), Error);

  // More answers than the limit: the newest are kept, as add() would have left them.
  Json many = PersonalMemory().toJson();
  many["limit"] = 3;
  for (int i = 0; i < 5000; ++i) {
    many["examples"].push_back({{"id", idOf(static_cast<uint8_t>(i)).string()},
                                {"vector", "AACAPw=="},
                                {"work", true},
                                {"at", i}});
  }
  const PersonalMemory memory = PersonalMemory::fromJson(many);
  ASSERT_EQ(memory.examples.size(), 3u);
  EXPECT_EQ(memory.examples[0].at, Date::fromReference(4997));
  many["limit"] = -1;
  EXPECT_TRUE(PersonalMemory::fromJson(many).examples.empty());
}

TEST(PersonalStoreTest, OperationsRunInCallOrderOnACopy) {
  PersonalStore store;
  store.add({1, 0}, true, kNow, "a", "b", idOf(1));
  store.add({0, 1}, false, kNow, std::nullopt, std::nullopt, idOf(2));
  EXPECT_FLOAT_EQ(store.shift({1, 0}, kNow).get(), kOneFresh);
  PersonalMemory copy = store.memory().get();
  ASSERT_EQ(copy.examples.size(), 2u);
  copy.examples.clear();
  EXPECT_EQ(store.memory().get().examples.size(), 2u);

  // Forgetting removes every answer under the identifier, and an unknown one changes nothing.
  store.add({0, 0, 1}, true, kNow, std::nullopt, std::nullopt, idOf(1));
  store.forget(idOf(9));
  EXPECT_EQ(store.memory().get().examples.size(), 3u);
  store.forget(idOf(1));
  EXPECT_EQ(store.shift({1, 0}, kNow).get(), 0.0f);
  EXPECT_EQ(store.memory().get().examples.size(), 1u);

  PersonalMemory custom;
  custom.strength = 1;
  store.restore(custom);
  EXPECT_EQ(store.memory().get(), custom);
  store.reset();
  EXPECT_EQ(store.memory().get(), PersonalMemory());
}

// Every state the store passes through holds exactly one answer for the page, work or not, so a
// shift that saw an add half done (old answer removed and new one not yet in, or both in) would
// read 0.
TEST(PersonalStoreTest, ShiftNeverSeesAnAddHalfDone) {
  PersonalStore store;
  const Vec page{0.6f, 0.8f};
  store.add(page, true, kNow, std::nullopt, std::nullopt, idOf(1));
  const float expected = store.shift(page, kNow).get();
  ASSERT_GT(expected, 4.0f);
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 2000; ++i) store.add(page, i % 2 == 0, kNow, "page", std::nullopt, idOf(2));
    store.memory().get();
    done = true;
  });
  std::vector<std::thread> readers;
  std::atomic<int> torn{0}, reads{0};
  for (int r = 0; r < 3; ++r) {
    readers.emplace_back([&] {
      while (!done) {
        if (std::fabs(store.shift(page, kNow).get()) != expected) ++torn;
        if (store.memory().get().examples.size() != 1) ++torn;
        ++reads;
      }
    });
  }
  writer.join();
  for (auto& reader : readers) reader.join();
  EXPECT_EQ(torn.load(), 0);
  EXPECT_GT(reads.load(), 0);
  EXPECT_EQ(store.shift(page, kNow).get(), -expected);  // the last answer said not work
}

}  // namespace
}  // namespace qb
