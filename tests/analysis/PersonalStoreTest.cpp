#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "analysis/PersonalStore.h"

namespace qb {
namespace {

const Date kNow = Date::fromReference(700000000);

Uuid idOf(uint8_t n) {
  Uuid id;
  id.bytes[15] = n;
  return id;
}

TEST(PersonalStoreTest, OperationsRunInCallOrderOnACopy) {
  PersonalStore store;
  store.add({1, 0}, true, kNow, "a", "b", idOf(1));
  store.add({0, 1}, false, kNow, std::nullopt, std::nullopt, idOf(2));
  EXPECT_FLOAT_EQ(store.shift({1, 0}, kNow).get(), 6.0f * std::tanh(1.0f));
  store.memory().get().examples.clear();  // a copy: the store keeps both
  EXPECT_EQ(store.memory().get().examples.size(), 2u);
  // Forgetting removes every answer under the identifier; an unknown one changes nothing.
  store.add({0, 0, 1}, true, kNow, std::nullopt, std::nullopt, idOf(1));
  store.forget(idOf(9));
  EXPECT_EQ(store.memory().get().examples.size(), 3u);
  store.forget(idOf(1));
  EXPECT_EQ(store.shift({1, 0}, kNow).get(), 0.0f);
  EXPECT_EQ(store.memory().get().examples.size(), 1u);
  store.restore(PersonalMemory{.strength = 1});
  EXPECT_EQ(store.memory().get(), PersonalMemory{.strength = 1});
  store.reset();
  EXPECT_EQ(store.memory().get(), PersonalMemory());
}

// Every state the store passes through holds one answer for the page, work or not, so a shift
// that saw an add half done (the old answer out and the new one not yet in, or both in) would read
// 0 or twice the shift.
TEST(PersonalStoreTest, ShiftNeverSeesAnAddHalfDone) {
  PersonalStore store;
  const std::vector<float> page{0.6f, 0.8f};
  store.add(page, true, kNow, std::nullopt, std::nullopt, idOf(1));
  const float expected = store.shift(page, kNow).get();
  ASSERT_GT(expected, 4.0f);
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::vector<std::thread> readers;
  for (int r = 0; r < 3; ++r) {
    readers.emplace_back([&] {
      do {
        torn += std::fabs(store.shift(page, kNow).get()) != expected;
        torn += store.memory().get().examples.size() != 1;
      } while (!done);
    });
  }
  for (int i = 0; i < 2000; ++i) store.add(page, i % 2 == 0, kNow, "page", std::nullopt, idOf(2));
  store.memory().get();
  done = true;
  for (auto& reader : readers) reader.join();
  EXPECT_EQ(torn.load(), 0);
  EXPECT_EQ(store.shift(page, kNow).get(), -expected);  // the last answer said not work
}

}  // namespace
}  // namespace qb
