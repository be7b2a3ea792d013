// The x86 builds of EncoderKernels, private to them: AVX2/FMA in EncoderKernelsAvx2.cpp and
// AVX-512 in EncoderKernelsAvx512.cpp. Each function carries its own target attribute, so that
// these files compile with the baseline flags and nothing in them runs unless the processor has
// the instructions (EncoderKernels checks before it picks a build).
//
// Products y = x·B + epilogue, where B is a weight packed at load into the order in which the
// product reads it, so that the whole weight streams from memory as one sequence: the depth is cut
// into blocks (evenly, of at most the build's maxDepthBlock), and for each block, panel after panel
// of the build's panel width, each the block's rows of its columns (zero beyond the last column).
// The blocks depend on the depth alone, never on the number of rows, so that a row of y does not
// depend on which other rows share the call: a batch of texts gives each text the vector it gets
// alone.

#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#if defined(__x86_64__) && defined(__GNUC__)
#define QB_X86_KERNELS 1
#else
#define QB_X86_KERNELS 0
#endif

namespace qb::x86 {

// What a product adds to x·B before it stores y.
struct Epilogue {
  const float* bias = nullptr;  // [columns], may be null
  const float* residual = nullptr;
  ptrdiff_t residualStride = 0;
  bool gelu = false;
};

// Buffers the kernels stream through start on a cache line, so that no vector load of a panel
// row straddles two lines.
constexpr size_t kCacheLineBytes = 64;
constexpr size_t kAlignFloats = kCacheLineBytes / sizeof(float);

// A pointer into `buffer`, grown to hold `floats` from a cache line's start.
inline float* alignedStart(std::vector<float>& buffer, size_t floats) {
  if (buffer.size() < floats + kAlignFloats) buffer.resize(floats + kAlignFloats);
  auto address = reinterpret_cast<uintptr_t>(buffer.data());
  size_t skip = ((kCacheLineBytes - address % kCacheLineBytes) % kCacheLineBytes) / sizeof(float);
  return buffer.data() + skip;
}

// How a build packs a weight.
struct PanelLayout {
  int panel;          // columns per panel: the tile's width
  int maxDepthBlock;  // rows of a panel that one tile call runs through

  // The depth of every block but perhaps the last: the depth (at least 1) split evenly.
  int blockDepth(int depth) const {
    const int blocks = (depth + maxDepthBlock - 1) / maxDepthBlock;
    return (depth + blocks - 1) / blocks;
  }
  size_t packedFloats(int depth, int columns) const {
    return static_cast<size_t>((columns + panel - 1) / panel) * panel * depth;
  }
  // B(k, n) = scale · source[k·kStride + n·nStride] for k < depth, n < columns.
  void pack(const float* source, int depth, int columns, ptrdiff_t kStride, ptrdiff_t nStride,
            float scale, float* out) const {
    const int step = blockDepth(depth);
    for (int k0 = 0; k0 < depth; k0 += step) {
      const int kc = std::min(step, depth - k0);
      for (int n0 = 0; n0 < columns; n0 += panel) {
        const int valid = std::min(panel, columns - n0);
        for (int k = k0; k < k0 + kc; ++k) {
          const float* row = source + k * kStride + n0 * nStride;
          for (int j = 0; j < valid; ++j) out[j] = scale * row[j * nStride];
          for (int j = valid; j < panel; ++j) out[j] = 0.0f;
          out += panel;
        }
      }
    }
  }
};

// GELU's erf, for both builds: x·P(x²)/Q(x²), the 13/8-degree rational approximation that Eigen's
// portable erf also uses (a few ulp on [-kErfBound, kErfBound]; beyond, erf is ±1 in float), so
// that every build agrees closely. Coefficients from the highest power down.
constexpr float kErfBound = 4.0f;
constexpr float kErfNumerator[] = {
    -2.72614225801306e-10f, 2.77068142495902e-08f,  -2.10102402082508e-06f, -5.69250639462346e-05f,
    -7.34990630326855e-04f, -2.95459980854025e-03f, -1.60960333262415e-02f};
constexpr float kErfDenominator[] = {-1.45660718464996e-05f, -2.13374055278905e-04f,
                                     -1.68282697438203e-03f, -7.37332916720468e-03f,
                                     -1.42647390514189e-02f};
constexpr float kSqrtHalf = 0.70710678118654752f;

// The softmax's exp, for both builds: exp(x) = 2^n · exp(r), n = round(x·log2 e), r = x - n·ln 2
// (ln 2 in two parts, so that r keeps its low bits), exp(r) = 1 + r + r²·P(r). The clamp keeps
// 2^n a normal number (n ≥ -126): softmax feeds it x ≤ 0 only, where anything below e^-87 is
// negligible beside the row's largest term, which is 1.
constexpr float kExpLowest = -87.0f;
constexpr float kExpHighest = 88.0f;
constexpr float kLog2e = 1.44269504088896341f;
constexpr float kLn2High = 0.693359375f;
constexpr float kLn2Low = -2.12194440e-4f;
constexpr float kExpPolynomial[] = {1.9875691500e-4f, 1.3981999507e-3f, 8.3334519073e-3f,
                                    4.1665795894e-2f, 1.6666665459e-1f, 5.0000001201e-1f};
constexpr int kFloatExponentBias = 127;
constexpr int kFloatMantissaBits = 23;

// One call of a build's tile: MR rows × kPanel columns (of which `valid` are stored) over one
// depth block.
struct TileJob {
  const float* bias;      // may be null; valid over the tile's columns
  const float* residual;  // may be null
  ptrdiff_t residualStride;
  bool first;  // the first depth block: start from the bias and residual, not from y
  bool last;   // the last depth block: apply GELU, if asked
  bool gelu;
};

// The loops around a build's tile, the same for every build. Build provides kLayout, kMaxRows and
// tile<MR>(a, aStride, panel, depth, y, yStride, valid, job) for MR in 1 .. kMaxRows.
template <class Build>
class Gemm {
public:
  static void run(const float* x, int rows, ptrdiff_t xStride, const float* packed, int depth,
                  int columns, float* y, ptrdiff_t yStride, const Epilogue& epilogue) {
    constexpr int kPanel = Build::kLayout.panel;
    const int blockDepth = Build::kLayout.blockDepth(depth);
    // Rows split evenly over the fewest blocks of at most kMaxRows: 16 rows of at most 6 as
    // 6 + 5 + 5 rather than 6 + 6 + 4, never a block of one or two rows where more are to come,
    // whose few accumulators would leave the FMA units waiting on each other.
    const int rowBlocks = (rows + Build::kMaxRows - 1) / Build::kMaxRows;
    // Depth block outermost: its slice of x (rows × blockDepth) stays in cache while every
    // panel's block streams past once, in the order the weight is packed.
    const float* panel = packed;
    for (int k0 = 0; k0 < depth; k0 += blockDepth) {
      const int kc = std::min(blockDepth, depth - k0);
      for (int n0 = 0; n0 < columns; n0 += kPanel, panel += static_cast<size_t>(kc) * kPanel) {
        const int valid = std::min(kPanel, columns - n0);
        TileJob job{epilogue.bias ? epilogue.bias + n0 : nullptr,
                    nullptr,
                    epilogue.residualStride,
                    k0 == 0,
                    k0 + kc >= depth,
                    epilogue.gelu};
        for (int b = 0, r = 0; b < rowBlocks; ++b) {
          const int count = rows / rowBlocks + (b < rows % rowBlocks ? 1 : 0);
          job.residual =
              epilogue.residual ? epilogue.residual + r * epilogue.residualStride + n0 : nullptr;
          tile(count, x + r * xStride + k0, xStride, panel, kc, y + r * yStride + n0, yStride,
               valid, job);
          r += count;
        }
      }
    }
  }

private:
  template <int MR = Build::kMaxRows>
  static void tile(int rows, const float* a, ptrdiff_t aStride, const float* b, int depth, float* y,
                   ptrdiff_t yStride, int valid, const TileJob& job) {
    if constexpr (MR > 1) {
      if (rows < MR) return tile<MR - 1>(rows, a, aStride, b, depth, y, yStride, valid, job);
    }
    Build::template tile<MR>(a, aStride, b, depth, y, yStride, valid, job);
  }
};

#if QB_X86_KERNELS

// In place: row[0, count) = exp(row[i] - max of the row); answers 1 / their sum, by which the
// caller scales what it makes of them (the softmax, normalised once per output, not per score).
using ExponentiateFunction = float (*)(float* row, int count);

// A product of either build, with the arguments of Gemm::run.
using GemmFunction = void (*)(const float* x, int rows, ptrdiff_t xStride, const float* packed,
                              int depth, int columns, float* y, ptrdiff_t yStride,
                              const Epilogue& epilogue);

namespace avx2 {
// Tiles of up to 6 rows × 16 columns: 12 of the 16 vector registers accumulate while the panel
// streams past, two hold its row and one the broadcast of x. Depth blocks of 256 keep a panel's
// block (16 kB) in L1 while every row block uses it.
constexpr PanelLayout kLayout{16, 256};
bool available();
void gemm(const float* x, int rows, ptrdiff_t xStride, const float* packed, int depth, int columns,
          float* y, ptrdiff_t yStride, const Epilogue& epilogue);
float exponentiate(float* row, int count);
}  // namespace avx2

namespace avx512 {
// Tiles of up to 12 rows × 32 columns: 24 of the 32 vector registers accumulate, two hold the
// panel's row and one the broadcast of x, so that each weight loaded serves 12 rows. Depth blocks
// of 512 keep a 12-row slice of x (24 kB) in L1 and a panel's block (64 kB) in L2.
constexpr PanelLayout kLayout{32, 512};
bool available();
void gemm(const float* x, int rows, ptrdiff_t xStride, const float* packed, int depth, int columns,
          float* y, ptrdiff_t yStride, const Epilogue& epilogue);
float exponentiate(float* row, int count);
}  // namespace avx512

// Multi-head self-attention for either build, around its product (which reads B as `layout`
// packs it) and its exponentiate.
void attention(const PanelLayout& layout, GemmFunction gemm, ExponentiateFunction exponentiate,
               const float* qkv, int rows, int qkvStride, int heads, int headSize, float* context,
               int contextStride, std::vector<float>& scratch);

#endif  // QB_X86_KERNELS

}  // namespace qb::x86
