#include "analysis/PersonalMemory.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "base/Base64.h"
#include "base/Json.h"
#include "base/Log.h"

namespace qb {
namespace {

// Dot products of one query with several stored vectors of its length, each summed in index order.
// Running the sums side by side keeps every one bit-identical to similarity() while letting the
// processor overlap their additions, which a single dependent chain of float adds cannot.
constexpr size_t kLanes = 8;

void dotLanes(std::span<const float> query, const float* const* stored, size_t lanes, float* out) {
  float sums[kLanes] = {};
  const size_t n = query.size();
  if (lanes == kLanes) {
    for (size_t i = 0; i < n; ++i) {
      const float q = query[i];
      for (size_t k = 0; k < kLanes; ++k) sums[k] += stored[k][i] * q;
    }
  } else {
    for (size_t i = 0; i < n; ++i) {
      const float q = query[i];
      for (size_t k = 0; k < lanes; ++k) sums[k] += stored[k][i] * q;
    }
  }
  std::copy_n(sums, lanes, out);
}

// similarity(example.vector, query) for every example, in list order.
std::vector<float> similarities(const std::vector<PersonalMemory::Example>& examples,
                                std::span<const float> query) {
  std::vector<float> result(examples.size(), 0.0f);
  if (query.empty()) return result;
  const float* stored[kLanes];
  size_t where[kLanes];
  size_t lanes = 0;
  for (size_t e = 0; e < examples.size(); ++e) {
    if (examples[e].vector.size() != query.size()) continue;
    stored[lanes] = examples[e].vector.data();
    where[lanes++] = e;
    if (lanes == kLanes) {
      float sums[kLanes];
      dotLanes(query, stored, lanes, sums);
      for (size_t k = 0; k < lanes; ++k) result[where[k]] = sums[k];
      lanes = 0;
    }
  }
  if (lanes > 0) {
    float sums[kLanes];
    dotLanes(query, stored, lanes, sums);
    for (size_t k = 0; k < lanes; ++k) result[where[k]] = sums[k];
  }
  return result;
}

bool usableHalfLife(double value) { return std::isfinite(value) && value > 0; }
// At 1 or more the distance above the threshold has nothing to be measured against.
bool usableNearby(float value) { return std::isfinite(value) && value < 1; }
// A negative strength would turn every answer into its opposite.
bool usableStrength(float value) { return std::isfinite(value) && value >= 0; }

std::string encodeVector(const std::vector<float>& vector) {
  std::vector<uint8_t> bytes;
  bytes.reserve(vector.size() * 4);
  for (float value : vector) {
    auto bits = std::bit_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
      bytes.push_back(static_cast<uint8_t>(bits >> shift));
  }
  return base64::encode(bytes);
}

std::vector<float> decodeVector(const Json& example, std::string_view path) {
  auto found = example.find("vector");
  if (found == example.end()) throw json::decodingError(path, "vector: key not found");
  if (!found->is_string()) throw json::decodingError(path, "vector: expected a string");
  const std::string& text = found->get_ref<const std::string&>();
  // Refused before decoding (and without a copy), so that a huge string never becomes a huge
  // vector. The bound counts padding as bytes, hence the slack of 2; the exact test follows.
  constexpr size_t kMaxBytes = PersonalMemory::kMaxVectorLength * 4 + 3;
  if (base64::decodedSizeBound(text.size()) > kMaxBytes + 2) {
    throw json::decodingError(path, "vector longer than the largest accepted");
  }
  auto bytes = base64::decode(text);
  if (!bytes) throw json::decodingError(path, "vector is not valid Base64");
  if (bytes->size() > kMaxBytes)
    throw json::decodingError(path, "vector longer than the largest accepted");
  // Trailing bytes that do not fill a float are ignored.
  std::vector<float> vector(bytes->size() / 4);
  for (size_t i = 0; i < vector.size(); ++i) {
    const uint8_t* p = bytes->data() + 4 * i;
    uint32_t bits =
        uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    vector[i] = std::bit_cast<float>(bits);
  }
  return vector;
}

}  // namespace

float PersonalMemory::similarity(std::span<const float> a, std::span<const float> b) {
  if (a.size() != b.size() || a.empty()) return 0;
  float sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += a[i] * b[i];
  return sum;
}

void PersonalMemory::add(std::vector<float> vector, bool work, Date at,
                         std::optional<std::string> title, std::optional<std::string> site,
                         Uuid id) {
  if (!vector.empty()) {
    std::vector<float> near = similarities(examples, vector);
    size_t kept = 0;
    for (size_t e = 0; e < examples.size(); ++e) {
      // Vectors of another length have similarity 0, and a NaN similarity compares false, so
      // neither ever removes an answer.
      bool duplicate = near[e] >= kDuplicateSimilarity;
      if (!duplicate) {
        if (kept != e) examples[kept] = std::move(examples[e]);
        ++kept;
      }
    }
    examples.erase(examples.begin() + static_cast<ptrdiff_t>(kept), examples.end());
  }
  examples.push_back(Example{.id = id,
                             .vector = std::move(vector),
                             .work = work,
                             .at = at,
                             .title = std::move(title),
                             .site = std::move(site)});
  const size_t bound = static_cast<size_t>(std::max<int64_t>(limit, 0));
  if (examples.size() > bound) {
    examples.erase(examples.begin(),
                   examples.begin() + static_cast<ptrdiff_t>(examples.size() - bound));
  }
}

void PersonalMemory::forget(const Uuid& id) {
  std::erase_if(examples, [&](const Example& example) { return example.id == id; });
}

float PersonalMemory::shift(std::span<const float> vector, Date at) const {
  if (!usableHalfLife(halfLife) || !usableNearby(nearby) || !usableStrength(strength)) return 0;
  std::vector<float> near = similarities(examples, vector);
  float x = 0;
  for (size_t e = 0; e < examples.size(); ++e) {
    // Similarity 0 would pass a nearby of 0 or below, but an answer of another length (another
    // model's vector, or none) is never near.
    if (examples[e].vector.size() != vector.size() || vector.empty()) continue;
    const float d = near[e];
    if (!(d >= nearby)) continue;
    const double age = at.since(examples[e].at);
    const float w = static_cast<float>(std::exp2(-(age > 0 ? age : 0.0) / halfLife));
    const float c = (d - nearby) / (1 - nearby) * w;
    // Infinite elements in a stored vector, or a date that is not a number, must not poison the
    // sum: such an answer simply does not count.
    if (std::isnan(c)) continue;
    x = examples[e].work ? x + c : x - c;
  }
  // Opposite infinite contributions cancel to nothing rather than to NaN.
  if (std::isnan(x)) return 0;
  return strength * std::tanh(x);
}

Json PersonalMemory::toJson() const {
  Json list = Json::array();
  for (const Example& example : examples) {
    Json object{{"id", json::encode(example.id)},
                {"vector", encodeVector(example.vector)},
                {"work", example.work},
                {"at", json::encode(example.at)}};
    if (example.title) object["title"] = *example.title;
    if (example.site) object["site"] = *example.site;
    list.push_back(std::move(object));
  }
  return Json{{"examples", std::move(list)},
              {"limit", limit},
              {"halfLife", halfLife},
              {"nearby", json::encode(nearby)},
              {"strength", json::encode(strength)}};
}

PersonalMemory PersonalMemory::fromJson(const Json& object) {
  PersonalMemory memory;
  // Looked up in place: a copy of a large list would double what reading the file costs.
  if (!object.is_object()) throw json::decodingError("$", "expected an object");
  auto found = object.find("examples");
  if (found == object.end()) throw json::decodingError("examples", "key not found");
  const Json& list = *found;
  if (!list.is_array()) throw json::decodingError("examples", "expected an array");
  memory.limit = json::require<int64_t>(object, "limit");
  memory.halfLife = json::require<double>(object, "halfLife");
  memory.nearby = json::require<float>(object, "nearby");
  memory.strength = json::require<float>(object, "strength");

  std::string repaired;
  auto repair = [&repaired](auto& value, auto fallback, const char* name) {
    repaired +=
        std::string(repaired.empty() ? "" : ", ") + name + " " + json::dump(json::encode(value));
    value = fallback;
  };
  if (!usableHalfLife(memory.halfLife)) repair(memory.halfLife, kDefaultHalfLife, "halfLife");
  if (!usableNearby(memory.nearby)) repair(memory.nearby, kDefaultNearby, "nearby");
  if (!usableStrength(memory.strength)) repair(memory.strength, kDefaultStrength, "strength");
  if (!repaired.empty()) {
    log::error("Personal memory: unusable " + repaired + " replaced by the default");
  }

  // Every example is decoded (a bad one fails the file even when it would be dropped), but only
  // the newest `limit` are kept.
  const size_t count = list.size();
  const size_t bound = static_cast<size_t>(std::max<int64_t>(memory.limit, 0));
  const size_t first = count > bound ? count - bound : 0;
  memory.examples.reserve(count - first);
  for (size_t i = 0; i < count; ++i) {
    const Json& item = list[i];
    std::string path = "examples[" + std::to_string(i) + "]";
    if (!item.is_object()) throw json::decodingError(path, "expected an object");
    std::optional<Uuid> id = json::optional<Uuid>(item, "id");
    Example example{.id = id ? *id : Uuid::random(),
                    .vector = decodeVector(item, path),
                    .work = json::require<bool>(item, "work"),
                    .at = json::require<Date>(item, "at"),
                    .title = json::optional<std::string>(item, "title"),
                    .site = json::optional<std::string>(item, "site")};
    if (i >= first) memory.examples.push_back(std::move(example));
  }
  if (first > 0) {
    log::error("Personal memory: kept the newest " + std::to_string(count - first) + " of " +
               std::to_string(count) + " answers, its limit");
  }
  return memory;
}

}  // namespace qb
