// The checks every record saved as JSON faces, in one place: a saved value reads back unchanged,
// damaged files are refused for the right reason, and no hostile file can load into a value that
// would not survive its own next save.
//
// Record needs `Json toJson() const`, `static Record fromJson(const Json&)` and operator==.

#pragma once

#include <limits>
#include <string>
#include <vector>

#include "base/Json.h"
#include "support/TestSupport.h"

namespace qb::test {

// Saves as text and reads back, as a restart does.
template <typename Record>
Record reload(const Record& record) {
  return Record::fromJson(json::parse(json::dump(record.toJson())));
}

// A value saves and reloads unchanged, and saves again to the same text.
template <typename Record>
void expectReloads(const Record& record) {
  const std::string saved = json::dump(record.toJson());
  try {
    Record again = Record::fromJson(json::parse(saved));
    EXPECT_TRUE(again == record) << saved;
    EXPECT_EQ(json::dump(again.toJson()), saved);
  } catch (const Error& error) {
    ADD_FAILURE() << "the saved form no longer loads (" << error.what() << "): " << saved;
  }
}

// A damaged file and a piece of the decoding error's message that says why it is refused.
struct Refusal {
  std::string file;
  std::string reason;
};

template <typename Record>
void expectRefused(const std::vector<Refusal>& refusals) {
  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(refusal.file);
    EXPECT_THAT([&] { Record::fromJson(json::parse(refusal.file)); },
                ThrowsDecoding(refusal.reason));
  }
}

namespace detail {

// Values of every kind, the numbers a text file cannot hold among them.
inline std::vector<Json> hostileValues() {
  const double inf = std::numeric_limits<double>::infinity();
  return {nullptr,
          true,
          -1,
          0,
          1e308,
          -1e308,
          0.5,
          inf,
          -inf,
          std::numeric_limits<double>::quiet_NaN(),
          "",
          "x",
          Json::array(),
          Json::object(),
          Json::array({1, "x"})};
}

// Calls visit on each copy of `root` that has one value (at any depth) replaced or removed.
template <typename Visit>
void forEachVariant(const Json& root, Json& node, Json& whole, Visit&& visit) {
  if (!node.is_structured()) return;
  std::vector<Json> keys;
  if (node.is_object()) {
    for (auto it = node.begin(); it != node.end(); ++it) keys.emplace_back(it.key());
  } else {
    for (size_t i = 0; i < node.size(); ++i) keys.emplace_back(i);
  }
  for (const Json& key : keys) {
    Json& child = key.is_string() ? node[key.get<std::string>()] : node[key.get<size_t>()];
    const Json original = child;
    for (const Json& value : hostileValues()) {
      child = value;
      visit(whole);
    }
    child = original;
    if (node.is_object()) {
      node.erase(key.get<std::string>());
      visit(whole);
      node[key.get<std::string>()] = original;
    }
    forEachVariant(root, node.is_object() ? node[key.get<std::string>()] : node[key.get<size_t>()],
                   whole, visit);
  }
}

}  // namespace detail

// Every variant of a good file with one value replaced by a value of another kind, or one key
// removed, is either refused with a decoding error or read into a value that reloads unchanged:
// a file that loads once must load after the program saves it again.
template <typename Record>
void expectHostileVariantsSafe(const Json& good) {
  Json whole = good;
  detail::forEachVariant(good, whole, whole, [](const Json& variant) {
    Record record;
    try {
      record = Record::fromJson(variant);
    } catch (const Error& error) {
      EXPECT_EQ(error.domain(), Error::kDecodingDomain) << variant.dump();
      return;
    }
    SCOPED_TRACE(variant.dump());
    expectReloads(record);
  });
}

}  // namespace qb::test
