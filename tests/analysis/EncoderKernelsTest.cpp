#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "analysis/EncoderKernels.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

using Isa = EncoderKernels::Isa;

// Against plain double sums, on shapes the tiny model does not reach: several depth blocks,
// partial panels, odd row counts.

std::vector<float> randomValues(size_t count, test::RandomInput& random, float bound = 1.0f) {
  std::uniform_real_distribution<float> uniform(-bound, bound);
  std::vector<float> values(count);
  for (float& v : values) v = uniform(random.engine());
  return values;
}

void expectClose(const std::vector<float>& actual, const std::vector<double>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i) {
    ASSERT_NEAR(actual[i], expected[i], 1e-4 * (1 + std::fabs(expected[i]))) << "at " << i;
  }
}

class EncoderKernelsTest : public ::testing::TestWithParam<Isa> {
protected:
  void SetUp() override {
    if (!EncoderKernels::available(GetParam())) {
      GTEST_SKIP() << "this processor lacks the " << EncoderKernels::name(GetParam()) << " kernels";
    }
  }
};

TEST_P(EncoderKernelsTest, DenseLayersMatchAPlainProduct) {
  EncoderKernels kernels(GetParam());
  test::RandomInput random(7);
  for (int depth : {1, 7, 256, 257, 600}) {
    for (int columns : {1, 8, 17, 40}) {
      const std::vector<float> weight = randomValues(size_t(columns) * depth, random);
      const std::vector<float> bias = randomValues(columns, random);
      const EncoderKernels::Linear layer = kernels.linear(weight, bias, depth, columns);
      for (int rows : {1, 2, 5, 7, 13}) {
        // Rows are strided wider than they are, as the encoder's [q|k|v] rows are.
        const int xStride = depth + 3, yStride = columns + 5;
        const std::vector<float> x = randomValues(size_t(rows) * xStride, random);
        const std::vector<float> residual = randomValues(size_t(rows) * yStride, random);
        // Plain (0), with a residual (1), with the residual in y itself (3), with GELU (4).
        for (int variant : {0, 1, 3, 4}) {
          const bool withResidual = variant & 1, inPlace = variant & 2, gelu = variant & 4;
          SCOPED_TRACE(::testing::Message() << "depth " << depth << ", columns " << columns
                                            << ", rows " << rows << ", variant " << variant);
          std::vector<float> y = inPlace ? residual : std::vector<float>(residual.size(), 99.0f);
          std::vector<double> expected(y.begin(), y.end());  // beyond the columns, y stays
          const float* add = withResidual ? (inPlace ? y.data() : residual.data()) : nullptr;
          kernels.apply(layer, x.data(), rows, xStride, y.data(), yStride, {add, yStride, gelu});
          for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
              double sum = bias[c] + (withResidual ? residual[r * yStride + c] : 0.0);
              for (int k = 0; k < depth; ++k)
                sum += double(x[r * xStride + k]) * weight[c * depth + k];
              if (gelu) sum = 0.5 * sum * (1 + std::erf(sum / std::sqrt(2.0)));
              expected[r * yStride + c] = sum;
            }
          }
          expectClose(y, expected);
        }
      }
    }
  }
}

TEST_P(EncoderKernelsTest, LayersOfInconsistentShapeAreRefused) {
  EncoderKernels kernels(GetParam());
  const std::vector<float> values(8, 1.0f);
  // in, out, weights, biases: one count off in each, or a size that is not positive.
  for (auto [in, out, weights, biases] :
       {std::array{3, 2, 5, 2}, {3, 2, 6, 3}, {0, 2, 0, 2}, {3, -2, 6, 2}}) {
    EXPECT_THAT(
        [&] {
          kernels.linear({values.data(), size_t(weights)}, {values.data(), size_t(biases)}, in,
                         out);
        },
        test::ThrowsError(EncoderKernels::kErrorDomain, EncoderKernels::kInvalidInputCode,
                          "inconsistent shape"));
  }
}

TEST_P(EncoderKernelsTest, AttentionMatchesAPlainSoftmax) {
  EncoderKernels kernels(GetParam());
  test::RandomInput random(13);
  const int heads = 3;
  for (int headSize : {8, 20}) {
    const int hidden = heads * headSize, stride = 3 * hidden;
    for (int rows : {1, 3, 8, 17, 40}) {
      SCOPED_TRACE(::testing::Message() << "head size " << headSize << ", rows " << rows);
      // Values up to 3: sharp enough that the softmax is far from uniform.
      const std::vector<float> qkv = randomValues(size_t(rows) * stride, random, 3.0f);
      std::vector<float> context(size_t(rows) * hidden);
      kernels.attention(qkv.data(), rows, stride, heads, headSize, context.data(), hidden);
      std::vector<double> expected(context.size());
      for (int h = 0; h < heads; ++h) {
        const float* q = qkv.data() + h * headSize;
        const float* k = q + hidden;
        const float* v = k + hidden;
        for (int i = 0; i < rows; ++i) {
          std::vector<double> weights(rows);  // |weight| < 41 before exp: no overflow
          double total = 0;
          for (int j = 0; j < rows; ++j) {
            for (int d = 0; d < headSize; ++d)
              weights[j] += double(q[i * stride + d]) * k[j * stride + d];
            total += (weights[j] = std::exp(weights[j] / std::sqrt(double(headSize))));
          }
          for (int d = 0; d < headSize; ++d) {
            double sum = 0;
            for (int j = 0; j < rows; ++j) sum += weights[j] / total * v[j * stride + d];
            expected[i * hidden + h * headSize + d] = sum;
          }
        }
      }
      expectClose(context, expected);
    }
  }
}

// Batches of texts rely on it: their rows share every product.
TEST_P(EncoderKernelsTest, ARowOfAProductDoesNotDependOnTheRowsBesideIt) {
  if (GetParam() == Isa::portable) GTEST_SKIP() << "Eigen picks its blocking by the row count";
  EncoderKernels kernels(GetParam());
  test::RandomInput random(5);
  const int depth = 1100, columns = 70, rows = 29;  // several depth blocks and row blocks
  const EncoderKernels::Linear layer = kernels.linear(
      randomValues(size_t(columns) * depth, random), randomValues(columns, random), depth, columns);
  const std::vector<float> x = randomValues(size_t(rows) * depth, random);
  std::vector<float> together(size_t(rows) * columns), alone(columns);
  kernels.apply(layer, x.data(), rows, depth, together.data(), columns, {nullptr, 0, true});
  for (int r = 0; r < rows; ++r) {
    kernels.apply(layer, x.data() + size_t(r) * depth, 1, depth, alone.data(), columns,
                  {nullptr, 0, true});
    ASSERT_TRUE(std::equal(alone.begin(), alone.end(), together.begin() + r * columns))
        << "row " << r;
  }
}

TEST(EncoderKernelsChoiceTest, TheEnvironmentCapsTheBestBuild) {
  const char* const variable = EncoderKernels::kCapVariable;
  ::unsetenv(variable);
  const Isa fastest = EncoderKernels::best();
  EXPECT_TRUE(EncoderKernels::available(fastest));
  for (Isa cap : {Isa::portable, Isa::avx2, Isa::avx512}) {
    SCOPED_TRACE(EncoderKernels::name(cap));
    ::setenv(variable, EncoderKernels::name(cap), 1);
    // A cap above what the processor has leaves the fastest it has.
    EXPECT_EQ(EncoderKernels::best(), EncoderKernels::available(cap) ? cap : fastest);
  }
  ::setenv(variable, "sse9", 1);
  EXPECT_EQ(EncoderKernels::best(), fastest);
  ::unsetenv(variable);
}

INSTANTIATE_TEST_SUITE_P(Isas, EncoderKernelsTest,
                         ::testing::Values(Isa::portable, Isa::avx2, Isa::avx512),
                         [](const auto& test) { return EncoderKernels::name(test.param); });

}  // namespace
}  // namespace qb
