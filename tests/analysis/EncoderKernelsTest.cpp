#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "analysis/EncoderKernels.h"

namespace qb {
namespace {

// The tiny model's products are small enough to fit one depth block and whole panels; these
// shapes reach what it does not: several depth blocks, partial panels and odd row counts.

std::vector<EncoderKernels::Isa> isasOfThisProcessor() {
  std::vector<EncoderKernels::Isa> isas{EncoderKernels::Isa::portable};
  if (EncoderKernels::avx2Available()) isas.push_back(EncoderKernels::Isa::avx2);
  return isas;
}

std::vector<float> randomValues(size_t count, std::mt19937& random) {
  std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
  std::vector<float> values(count);
  for (float& v : values) v = uniform(random);
  return values;
}

void expectClose(const std::vector<float>& actual, const std::vector<double>& expected,
                 const std::string& what) {
  ASSERT_EQ(actual.size(), expected.size()) << what;
  for (size_t i = 0; i < actual.size(); ++i) {
    ASSERT_NEAR(actual[i], expected[i], 1e-4 * (1 + std::fabs(expected[i]))) << what << " at " << i;
  }
}

class BertEncoderKernelsTest : public ::testing::TestWithParam<EncoderKernels::Isa> {};

TEST_P(BertEncoderKernelsTest, DenseLayersMatchAPlainProduct) {
  EncoderKernels kernels(GetParam());
  std::mt19937 random(7);
  for (int depth : {1, 7, 256, 257, 600}) {
    for (int columns : {1, 8, 17, 40}) {
      std::vector<float> weight = randomValues(static_cast<size_t>(columns) * depth, random);
      std::vector<float> bias = randomValues(columns, random);
      EncoderKernels::Linear layer = kernels.linear(weight, bias, depth, columns);
      for (int rows : {1, 2, 5, 7, 13}) {
        // Rows are strided wider than they are, as the encoder's [q|k|v] rows are.
        const int xStride = depth + 3, yStride = columns + 5;
        std::vector<float> x = randomValues(static_cast<size_t>(rows) * xStride, random);
        std::vector<float> residual = randomValues(static_cast<size_t>(rows) * yStride, random);
        // Plain, with a residual, with the residual in y itself, with GELU.
        for (int variant = 0; variant < 4; ++variant) {
          const bool withResidual = variant == 1 || variant == 2, inPlace = variant == 2,
                     gelu = variant == 3;
          std::vector<float> y = inPlace ? residual : std::vector<float>(residual.size(), 99.0f);
          std::vector<double> expected(y.begin(),
                                       y.end());  // beyond the columns, y stays as it was
          kernels.apply(
              layer, x.data(), rows, xStride, y.data(), yStride,
              {withResidual ? (inPlace ? y.data() : residual.data()) : nullptr, yStride, gelu});
          for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
              double sum = bias[c];
              for (int k = 0; k < depth; ++k) {
                sum += double(x[r * xStride + k]) * weight[c * depth + k];
              }
              if (withResidual) sum += residual[r * yStride + c];
              if (gelu) sum = 0.5 * sum * (1 + std::erf(sum / std::sqrt(2.0)));
              expected[r * yStride + c] = sum;
            }
          }
          expectClose(y, expected,
                      "depth " + std::to_string(depth) + ", columns " + std::to_string(columns) +
                          ", rows " + std::to_string(rows) + ", variant " +
                          std::to_string(variant));
        }
      }
    }
  }
}

TEST_P(BertEncoderKernelsTest, AttentionMatchesAPlainSoftmax) {
  EncoderKernels kernels(GetParam());
  std::mt19937 random(13);
  const int heads = 3;
  for (int headSize : {8, 20}) {
    const int hidden = heads * headSize;
    for (int rows : {1, 3, 8, 17, 40}) {
      std::vector<float> qkv = randomValues(static_cast<size_t>(rows) * 3 * hidden, random);
      for (float& v : qkv) v *= 3;  // sharp enough that the softmax is far from uniform
      std::vector<float> context(static_cast<size_t>(rows) * hidden);
      kernels.attention(qkv.data(), rows, 3 * hidden, heads, headSize, context.data(), hidden);

      std::vector<double> expected(context.size());
      for (int h = 0; h < heads; ++h) {
        for (int i = 0; i < rows; ++i) {
          std::vector<double> weights(rows);
          double peak = -INFINITY, total = 0;
          for (int j = 0; j < rows; ++j) {
            double dot = 0;
            for (int d = 0; d < headSize; ++d) {
              dot += double(qkv[i * 3 * hidden + h * headSize + d]) *
                     qkv[j * 3 * hidden + hidden + h * headSize + d];
            }
            weights[j] = dot / std::sqrt(double(headSize));
            peak = std::max(peak, weights[j]);
          }
          for (double& w : weights) total += (w = std::exp(w - peak));
          for (int d = 0; d < headSize; ++d) {
            double sum = 0;
            for (int j = 0; j < rows; ++j) {
              sum += weights[j] / total * qkv[j * 3 * hidden + 2 * hidden + h * headSize + d];
            }
            expected[i * hidden + h * headSize + d] = sum;
          }
        }
      }
      expectClose(context, expected,
                  "head size " + std::to_string(headSize) + ", rows " + std::to_string(rows));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BertEncoderKernels, BertEncoderKernelsTest,
                         ::testing::ValuesIn(isasOfThisProcessor()), [](const auto& test) {
                           return test.param == EncoderKernels::Isa::avx2 ? "avx2" : "portable";
                         });

}  // namespace
}  // namespace qb
