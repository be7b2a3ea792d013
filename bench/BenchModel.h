// A BERT of all-MiniLM-L6-v2's exact shape with deterministic random weights, for benchmarks that
// must time the real amount of arithmetic and memory traffic. Speed does not depend on the values.

#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace qb::bench {

// all-MiniLM-L6-v2's shape.
constexpr int kLayers = 6;
constexpr int kHeads = 12;
constexpr int kHidden = 384;
constexpr int kIntermediate = 1536;
constexpr int kVocab = 30522;
constexpr int kMaxPositions = 512;
constexpr int kTokenTypes = 2;
constexpr double kLayerNormEps = 1e-12;

// Writes the model as a safetensors file with its architecture in the metadata, and config.json
// beside it for tools that read that instead. Throws std::runtime_error when it cannot write.
void writeModel(const std::filesystem::path& path);

// The ids of one text of `tokens` tokens: [CLS], tokens - 2 word ids, [SEP]; the same every run.
std::vector<int32_t> textIds(int tokens);

}  // namespace qb::bench
