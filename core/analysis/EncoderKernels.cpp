#include "analysis/EncoderKernels.h"

#include <Eigen/Core>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <unsupported/Eigen/SpecialFunctions>

#include "base/Error.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define QB_X86_KERNELS 1
#else
#define QB_X86_KERNELS 0
#endif

namespace qb {

namespace {

using RowMatrix = Eigen::Matrix<float, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
using StridedMatrix = Eigen::Map<RowMatrix, 0, Eigen::OuterStride<>>;
using ConstStridedMatrix = Eigen::Map<const RowMatrix, 0, Eigen::OuterStride<>>;

constexpr float kSqrtHalf = 0.70710678118654752f;

// --- Portable kernels (Eigen, baseline x86-64) ---

void portableApply(const EncoderKernels::Linear& layer, const float* x, int rows, int xStride,
                   float* y, int yStride, const EncoderKernels::Epilogue& epilogue) {
  ConstStridedMatrix input(x, rows, layer.in(), Eigen::OuterStride<>(xStride));
  Eigen::Map<const RowMatrix> weight(layer.weight(), layer.out(), layer.in());
  StridedMatrix output(y, rows, layer.out(), Eigen::OuterStride<>(yStride));
  if (epilogue.residual) {
    // Start from the residual, which may already be in y.
    if (epilogue.residual != y) {
      output = ConstStridedMatrix(epilogue.residual, rows, layer.out(),
                                  Eigen::OuterStride<>(epilogue.residualStride));
    }
    output.noalias() += input * weight.transpose();
  } else {
    output.noalias() = input * weight.transpose();
  }
  output.rowwise() += Eigen::Map<const Eigen::RowVectorXf>(layer.bias(), layer.out());
  if (epilogue.gelu) {
    auto values = output.array();
    values = values * ((values * kSqrtHalf).erf() + 1.0f) * 0.5f;
  }
}

void portableAttention(const float* qkv, int rows, int qkvStride, int heads, int headSize,
                       float* context, int contextStride, std::vector<float>& scratch) {
  const int hidden = heads * headSize;
  const float scale = 1.0f / std::sqrt(static_cast<float>(headSize));
  if (scratch.size() < static_cast<size_t>(rows) * rows) {
    scratch.resize(static_cast<size_t>(rows) * rows);
  }
  Eigen::Map<RowMatrix> scores(scratch.data(), rows, rows);
  for (int h = 0; h < heads; ++h) {
    const int column = h * headSize;
    ConstStridedMatrix queries(qkv + column, rows, headSize, Eigen::OuterStride<>(qkvStride));
    ConstStridedMatrix keys(qkv + hidden + column, rows, headSize, Eigen::OuterStride<>(qkvStride));
    ConstStridedMatrix values(qkv + 2 * hidden + column, rows, headSize,
                              Eigen::OuterStride<>(qkvStride));
    scores.noalias() = (queries * keys.transpose()) * scale;
    Eigen::VectorXf peak = scores.rowwise().maxCoeff();
    scores = (scores.colwise() - peak).array().exp().matrix();
    Eigen::VectorXf total = scores.rowwise().sum();
    scores.array().colwise() /= total.array();
    StridedMatrix out(context + column, rows, headSize, Eigen::OuterStride<>(contextStride));
    out.noalias() = scores * values;
  }
}

#if QB_X86_KERNELS

// --- AVX2/FMA kernels ---
//
// y = x·B + epilogue with B packed into panels of kPanel columns. Each output tile of up to
// kRowBlock rows × kPanel columns lives in 12 of the 16 vector registers while a depth block of
// B's panel streams past; depth blocks keep that panel (kDepthBlock × kPanel floats, 16 kB) in L1
// while every row block of x uses it. Packed layout, in the order the loops read it:
// for each depth block, for each panel, for each k in the block, kPanel floats (zero beyond N).

#define QB_AVX2 __attribute__((target("avx2,fma")))

// Buffers the AVX2 kernels stream through start on a cache line, so that no 32-byte load of a
// panel row straddles two lines.
constexpr size_t kAlignFloats = 64 / sizeof(float);

float* alignedStart(std::vector<float>& buffer, size_t floats) {
  if (buffer.size() < floats + kAlignFloats) buffer.resize(floats + kAlignFloats);
  auto address = reinterpret_cast<uintptr_t>(buffer.data());
  size_t skip = ((64 - address % 64) % 64) / sizeof(float);
  return buffer.data() + skip;
}

constexpr int kPanel = 16;
constexpr int kRowBlock = 6;
constexpr int kDepthBlock = 256;
// How far ahead of the panel row in use the stream of packed weights is prefetched: two panel
// blocks (32 kB), so that the next blocks arrive from memory while this one is computed. Few
// tokens leave little arithmetic per weight, and there the encoder waits on memory without it.
constexpr uintptr_t kPrefetchBytes = 2 * kDepthBlock * kPanel * sizeof(float);

size_t packedFloats(int depth, int columns) {
  return static_cast<size_t>((columns + kPanel - 1) / kPanel) * kPanel * depth;
}

// B(k, n) = scale · source[k·kStride + n·nStride] for k < depth, n < columns.
void packPanels(const float* source, int depth, int columns, ptrdiff_t kStride, ptrdiff_t nStride,
                float scale, float* out) {
  const int panels = (columns + kPanel - 1) / kPanel;
  for (int k0 = 0; k0 < depth; k0 += kDepthBlock) {
    const int kc = std::min(kDepthBlock, depth - k0);
    for (int p = 0; p < panels; ++p) {
      const int n0 = p * kPanel;
      const int valid = std::min(kPanel, columns - n0);
      for (int k = k0; k < k0 + kc; ++k) {
        const float* row = source + k * kStride + n0 * nStride;
        for (int j = 0; j < valid; ++j) out[j] = scale * row[j * nStride];
        for (int j = valid; j < kPanel; ++j) out[j] = 0.0f;
        out += kPanel;
      }
    }
  }
}

QB_AVX2 inline __m256 erfAvx2(__m256 x) {
  // The 13/8-degree rational approximation that Eigen's portable erf also uses (accurate to a few
  // ulp on [-4, 4]; beyond that erf is ±1 in float), so both builds agree closely.
  x = _mm256_max_ps(_mm256_min_ps(x, _mm256_set1_ps(4.0f)), _mm256_set1_ps(-4.0f));
  const __m256 x2 = _mm256_mul_ps(x, x);
  __m256 p = _mm256_fmadd_ps(x2, _mm256_set1_ps(-2.72614225801306e-10f),
                             _mm256_set1_ps(2.77068142495902e-08f));
  p = _mm256_fmadd_ps(x2, p, _mm256_set1_ps(-2.10102402082508e-06f));
  p = _mm256_fmadd_ps(x2, p, _mm256_set1_ps(-5.69250639462346e-05f));
  p = _mm256_fmadd_ps(x2, p, _mm256_set1_ps(-7.34990630326855e-04f));
  p = _mm256_fmadd_ps(x2, p, _mm256_set1_ps(-2.95459980854025e-03f));
  p = _mm256_fmadd_ps(x2, p, _mm256_set1_ps(-1.60960333262415e-02f));
  p = _mm256_mul_ps(x, p);
  __m256 q = _mm256_fmadd_ps(x2, _mm256_set1_ps(-1.45660718464996e-05f),
                             _mm256_set1_ps(-2.13374055278905e-04f));
  q = _mm256_fmadd_ps(x2, q, _mm256_set1_ps(-1.68282697438203e-03f));
  q = _mm256_fmadd_ps(x2, q, _mm256_set1_ps(-7.37332916720468e-03f));
  q = _mm256_fmadd_ps(x2, q, _mm256_set1_ps(-1.42647390514189e-02f));
  return _mm256_div_ps(p, q);
}

QB_AVX2 inline __m256 geluAvx2(__m256 y) {
  const __m256 half = _mm256_set1_ps(0.5f);
  const __m256 e = erfAvx2(_mm256_mul_ps(y, _mm256_set1_ps(kSqrtHalf)));
  return _mm256_mul_ps(_mm256_mul_ps(half, y), _mm256_add_ps(e, _mm256_set1_ps(1.0f)));
}

QB_AVX2 inline __m256 expAvx2(__m256 x) {
  // exp(x) = 2^n · exp(r), n = round(x·log2 e), |r| ≤ ln2/2, exp(r) by a degree-6 polynomial.
  // The lower clamp keeps 2^n a normal number (n ≥ -126): softmax only feeds it x ≤ 0, where
  // anything below e^-87 is negligible beside the row's largest term, which is 1.
  x = _mm256_max_ps(_mm256_min_ps(x, _mm256_set1_ps(88.0f)), _mm256_set1_ps(-87.0f));
  const __m256 n = _mm256_round_ps(_mm256_mul_ps(x, _mm256_set1_ps(1.44269504088896341f)),
                                   _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
  __m256 r = _mm256_fnmadd_ps(n, _mm256_set1_ps(0.693359375f), x);
  r = _mm256_fnmadd_ps(n, _mm256_set1_ps(-2.12194440e-4f), r);
  __m256 p = _mm256_set1_ps(1.9875691500e-4f);
  p = _mm256_fmadd_ps(p, r, _mm256_set1_ps(1.3981999507e-3f));
  p = _mm256_fmadd_ps(p, r, _mm256_set1_ps(8.3334519073e-3f));
  p = _mm256_fmadd_ps(p, r, _mm256_set1_ps(4.1665795894e-2f));
  p = _mm256_fmadd_ps(p, r, _mm256_set1_ps(1.6666665459e-1f));
  p = _mm256_fmadd_ps(p, r, _mm256_set1_ps(5.0000001201e-1f));
  p = _mm256_fmadd_ps(p, _mm256_mul_ps(r, r), _mm256_add_ps(r, _mm256_set1_ps(1.0f)));
  const __m256i exponent =
      _mm256_slli_epi32(_mm256_add_epi32(_mm256_cvtps_epi32(n), _mm256_set1_epi32(127)), 23);
  return _mm256_mul_ps(p, _mm256_castsi256_ps(exponent));
}

// Lanes [0, count) set, for masked loads and stores of a partial vector.
QB_AVX2 inline __m256i laneMask(int count) {
  return _mm256_cmpgt_epi32(_mm256_set1_epi32(count), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
}

// Eight floats, or the lanes of `mask` of a partial vector (the rest read as zero).
QB_AVX2 inline __m256 loadPart(const float* p, bool full, __m256i mask) {
  return full ? _mm256_loadu_ps(p) : _mm256_maskload_ps(p, mask);
}

struct TileJob {
  const float* bias;      // may be null; valid over the tile's columns
  const float* residual;  // may be null
  ptrdiff_t residualStride;
  bool first;  // the first depth block: start from the bias and residual, not from y
  bool last;   // the last depth block: apply GELU, if asked
  bool gelu;
};

// One tile: MR rows × kPanel columns (of which `valid` are stored) over one depth block.
template <int MR>
QB_AVX2 void tile(const float* a, ptrdiff_t aStride, const float* b, int depth, float* y,
                  ptrdiff_t yStride, int valid, const TileJob& job) {
  // Every loop over the rows is unrolled, so that acc stays in registers throughout.
  __m256 acc[MR][2];
#pragma GCC unroll 6
  for (int i = 0; i < MR; ++i) acc[i][0] = acc[i][1] = _mm256_setzero_ps();
#pragma GCC unroll 4
  for (int k = 0; k < depth; ++k) {
    // Through an integer: near the end of the weights the address lies past them, harmless for a
    // prefetch but not for pointer arithmetic.
    const uintptr_t ahead = reinterpret_cast<uintptr_t>(b) + kPrefetchBytes;
    _mm_prefetch(reinterpret_cast<const char*>(ahead), _MM_HINT_T1);
    const __m256 b0 = _mm256_loadu_ps(b);
    const __m256 b1 = _mm256_loadu_ps(b + 8);
    b += kPanel;
#pragma GCC unroll 6
    for (int i = 0; i < MR; ++i) {
      const __m256 ai = _mm256_broadcast_ss(a + i * aStride + k);
      acc[i][0] = _mm256_fmadd_ps(ai, b0, acc[i][0]);
      acc[i][1] = _mm256_fmadd_ps(ai, b1, acc[i][1]);
    }
  }

  const bool full = valid == kPanel;
  const __m256i mask0 = laneMask(valid);
  const __m256i mask1 = laneMask(valid - 8);
  __m256 bias0 = _mm256_setzero_ps(), bias1 = _mm256_setzero_ps();
  if (job.first && job.bias) {
    bias0 = loadPart(job.bias, full, mask0);
    bias1 = loadPart(job.bias + 8, full, mask1);
  }
#pragma GCC unroll 6
  for (int i = 0; i < MR; ++i) {
    float* row = y + i * yStride;
    __m256 v0 = acc[i][0], v1 = acc[i][1];
    if (job.first) {
      v0 = _mm256_add_ps(v0, bias0);
      v1 = _mm256_add_ps(v1, bias1);
      if (job.residual) {
        const float* residual = job.residual + i * job.residualStride;
        v0 = _mm256_add_ps(v0, loadPart(residual, full, mask0));
        v1 = _mm256_add_ps(v1, loadPart(residual + 8, full, mask1));
      }
    } else {
      v0 = _mm256_add_ps(v0, loadPart(row, full, mask0));
      v1 = _mm256_add_ps(v1, loadPart(row + 8, full, mask1));
    }
    if (job.last && job.gelu) {
      v0 = geluAvx2(v0);
      v1 = geluAvx2(v1);
    }
    if (full) {
      _mm256_storeu_ps(row, v0);
      _mm256_storeu_ps(row + 8, v1);
    } else {
      _mm256_maskstore_ps(row, mask0, v0);
      _mm256_maskstore_ps(row + 8, mask1, v1);
    }
  }
}

// y[rows × columns] = x[rows × depth]·B + bias + residual, then GELU; B packed by packPanels.
QB_AVX2 void gemmAvx2(const float* x, int rows, ptrdiff_t xStride, const float* packed, int depth,
                      int columns, float* y, ptrdiff_t yStride, const float* bias,
                      const float* residual, ptrdiff_t residualStride, bool gelu) {
  const int panels = (columns + kPanel - 1) / kPanel;
  for (int k0 = 0; k0 < depth; k0 += kDepthBlock) {
    const int kc = std::min(kDepthBlock, depth - k0);
    const float* block = packed + static_cast<size_t>(k0) * panels * kPanel;
    for (int p = 0; p < panels; ++p) {
      const int n0 = p * kPanel;
      const float* panel = block + static_cast<size_t>(p) * kc * kPanel;
      TileJob job{bias ? bias + n0 : nullptr, nullptr, residualStride, k0 == 0,
                  k0 + kc >= depth,           gelu};
      // Rows split evenly over the fewest blocks of at most kRowBlock: 16 rows as 6 + 5 + 5
      // rather than 6 + 6 + 4, and never a block of one or two rows, whose few accumulators
      // would leave the FMA units waiting on each other.
      const int blocks = (rows + kRowBlock - 1) / kRowBlock;
      for (int b = 0, r = 0; b < blocks; ++b) {
        const int count = rows / blocks + (b < rows % blocks ? 1 : 0);
        const float* a = x + r * xStride + k0;
        float* out = y + r * yStride + n0;
        job.residual = residual ? residual + r * residualStride + n0 : nullptr;
        const int valid = std::min(kPanel, columns - n0);
        r += count;
        switch (count) {
          case 6:
            tile<6>(a, xStride, panel, kc, out, yStride, valid, job);
            break;
          case 5:
            tile<5>(a, xStride, panel, kc, out, yStride, valid, job);
            break;
          case 4:
            tile<4>(a, xStride, panel, kc, out, yStride, valid, job);
            break;
          case 3:
            tile<3>(a, xStride, panel, kc, out, yStride, valid, job);
            break;
          case 2:
            tile<2>(a, xStride, panel, kc, out, yStride, valid, job);
            break;
          default:
            tile<1>(a, xStride, panel, kc, out, yStride, valid, job);
            break;
        }
      }
    }
  }
}

// In place: row[0, count) = softmax(row[0, count)).
QB_AVX2 void softmaxAvx2(float* row, int count) {
  const __m256 minusInfinity = _mm256_set1_ps(-INFINITY);
  __m256 peak = minusInfinity;
  int i = 0;
  for (; i + 8 <= count; i += 8) peak = _mm256_max_ps(peak, _mm256_loadu_ps(row + i));
  const int tail = count - i;
  const __m256i mask = laneMask(tail);
  if (tail) {
    __m256 v = _mm256_blendv_ps(minusInfinity, _mm256_maskload_ps(row + i, mask),
                                _mm256_castsi256_ps(mask));
    peak = _mm256_max_ps(peak, v);
  }
  peak = _mm256_max_ps(peak, _mm256_permute2f128_ps(peak, peak, 1));
  peak = _mm256_max_ps(peak, _mm256_shuffle_ps(peak, peak, 0x4e));
  peak = _mm256_max_ps(peak, _mm256_shuffle_ps(peak, peak, 0xb1));

  __m256 sum = _mm256_setzero_ps();
  for (i = 0; i + 8 <= count; i += 8) {
    const __m256 e = expAvx2(_mm256_sub_ps(_mm256_loadu_ps(row + i), peak));
    _mm256_storeu_ps(row + i, e);
    sum = _mm256_add_ps(sum, e);
  }
  if (tail) {
    __m256 e = expAvx2(_mm256_sub_ps(_mm256_maskload_ps(row + i, mask), peak));
    e = _mm256_and_ps(e, _mm256_castsi256_ps(mask));
    _mm256_maskstore_ps(row + i, mask, e);
    sum = _mm256_add_ps(sum, e);
  }
  sum = _mm256_add_ps(sum, _mm256_permute2f128_ps(sum, sum, 1));
  sum = _mm256_add_ps(sum, _mm256_shuffle_ps(sum, sum, 0x4e));
  sum = _mm256_add_ps(sum, _mm256_shuffle_ps(sum, sum, 0xb1));
  const __m256 inverse = _mm256_div_ps(_mm256_set1_ps(1.0f), sum);
  for (i = 0; i + 8 <= count; i += 8) {
    _mm256_storeu_ps(row + i, _mm256_mul_ps(_mm256_loadu_ps(row + i), inverse));
  }
  if (tail) {
    _mm256_maskstore_ps(row + i, mask, _mm256_mul_ps(_mm256_maskload_ps(row + i, mask), inverse));
  }
}

QB_AVX2 void attentionAvx2(const float* qkv, int rows, int qkvStride, int heads, int headSize,
                           float* context, int contextStride, std::vector<float>& scratch) {
  const int hidden = heads * headSize;
  const float scale = 1.0f / std::sqrt(static_cast<float>(headSize));
  const size_t keyFloats = packedFloats(headSize, rows);
  const size_t valueFloats = packedFloats(rows, headSize);
  // Score rows start on a fresh vector, so that their loads line up.
  const int scoreStride = (rows + 7) / 8 * 8;
  const size_t scoreOffset =
      (keyFloats + valueFloats + kAlignFloats - 1) / kAlignFloats * kAlignFloats;
  float* keys = alignedStart(scratch, scoreOffset + static_cast<size_t>(rows) * scoreStride);
  float* values = keys + keyFloats;
  float* scores = keys + scoreOffset;
  for (int h = 0; h < heads; ++h) {
    const int column = h * headSize;
    // scores = q·(scale·k)ᵀ: B(d, t) = scale·k[t][d]. Folding the scale into the keys keeps the
    // GEMM free of it.
    packPanels(qkv + hidden + column, headSize, rows, 1, qkvStride, scale, keys);
    gemmAvx2(qkv + column, rows, qkvStride, keys, headSize, rows, scores, scoreStride, nullptr,
             nullptr, 0, false);
    for (int r = 0; r < rows; ++r) softmaxAvx2(scores + r * scoreStride, rows);
    // context = p·v: B(t, d) = v[t][d].
    packPanels(qkv + 2 * hidden + column, rows, headSize, qkvStride, 1, 1.0f, values);
    gemmAvx2(scores, rows, scoreStride, values, rows, headSize, context + column, contextStride,
             nullptr, nullptr, 0, false);
  }
}

#endif  // QB_X86_KERNELS

}  // namespace

bool EncoderKernels::avx2Available() {
#if QB_X86_KERNELS
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
  return false;
#endif
}

EncoderKernels::EncoderKernels(Isa isa) : isa_(isa) {
  if (isa == Isa::avx2 && !avx2Available()) {
    throw Error(kErrorDomain, kInvalidInputCode, "This processor lacks AVX2 or FMA");
  }
}

EncoderKernels::Linear EncoderKernels::linear(std::span<const float> weight,
                                              std::span<const float> bias, int in, int out) const {
  if (in <= 0 || out <= 0 || weight.size() != static_cast<size_t>(in) * out ||
      bias.size() != static_cast<size_t>(out)) {
    throw Error(kErrorDomain, kInvalidInputCode,
                "Linear layer of inconsistent shape: " + std::to_string(weight.size()) +
                    " weights and " + std::to_string(bias.size()) + " biases for " +
                    std::to_string(in) + " inputs and " + std::to_string(out) + " outputs");
  }
  Linear layer;
  layer.in_ = in;
  layer.out_ = out;
  layer.bias_.assign(bias.begin(), bias.end());
#if QB_X86_KERNELS
  if (isa_ == Isa::avx2) {
    float* start = alignedStart(layer.storage_, packedFloats(in, out));
    layer.offset_ = static_cast<size_t>(start - layer.storage_.data());
    // B(k, n) = W[n][k]: the product x·Wᵀ.
    packPanels(weight.data(), in, out, 1, in, 1.0f, start);
    return layer;
  }
#endif
  layer.storage_.assign(weight.begin(), weight.end());
  return layer;
}

void EncoderKernels::apply(const Linear& layer, const float* x, int rows, int xStride, float* y,
                           int yStride, const Epilogue& epilogue) {
#if QB_X86_KERNELS
  if (isa_ == Isa::avx2) {
    gemmAvx2(x, rows, xStride, layer.weight(), layer.in(), layer.out(), y, yStride, layer.bias(),
             epilogue.residual, epilogue.residualStride, epilogue.gelu);
    return;
  }
#endif
  portableApply(layer, x, rows, xStride, y, yStride, epilogue);
}

void EncoderKernels::attention(const float* qkv, int rows, int qkvStride, int heads, int headSize,
                               float* context, int contextStride) {
#if QB_X86_KERNELS
  if (isa_ == Isa::avx2) {
    attentionAvx2(qkv, rows, qkvStride, heads, headSize, context, contextStride, scratch_);
    return;
  }
#endif
  portableAttention(qkv, rows, qkvStride, heads, headSize, context, contextStride, scratch_);
}

}  // namespace qb
