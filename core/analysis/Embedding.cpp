#include "analysis/Embedding.h"

#include <algorithm>

namespace qb {

float dot(std::span<const float> a, std::span<const float> b) {
  size_t n = std::min(a.size(), b.size());
  float sum = 0;
  for (size_t i = 0; i < n; ++i) sum += a[i] * b[i];
  return sum;
}

std::vector<Vector> Embedding::embedAll(const std::vector<std::string>& texts) {
  std::vector<Vector> vectors;
  vectors.reserve(texts.size());
  for (const std::string& text : texts) vectors.push_back(embed(text));
  return vectors;
}

std::vector<float> Embedding::similarities(const std::string& text,
                                           const std::vector<std::string>& others) {
  Vector v = embed(text);
  std::vector<float> result;
  result.reserve(others.size());
  for (const std::string& other : others) result.push_back(dot(v, embed(other)));
  return result;
}

}  // namespace qb
