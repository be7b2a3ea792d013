// The AVX2/FMA build of the encoder's kernels, and the attention that both x86 builds share.

#include "analysis/EncoderKernelsX86.h"

#if QB_X86_KERNELS

#include <immintrin.h>

#include <cmath>

namespace qb::x86 {

namespace {

#define QB_AVX2 __attribute__((target("avx2,fma")))

// How far ahead of the panel row in use the stream of packed weights is prefetched: 16 kB, so
// that the next rows arrive from memory while this one is computed. Few tokens leave little
// arithmetic per weight, and there the encoder waits on memory without it.
constexpr uintptr_t kPrefetchBytes = 16 << 10;

QB_AVX2 inline __m256 erfAvx2(__m256 x) {
  x = _mm256_max_ps(_mm256_min_ps(x, _mm256_set1_ps(kErfBound)), _mm256_set1_ps(-kErfBound));
  const __m256 x2 = _mm256_mul_ps(x, x);
  __m256 p = _mm256_set1_ps(kErfNumerator[0]);
  for (size_t i = 1; i < std::size(kErfNumerator); ++i) {
    p = _mm256_fmadd_ps(x2, p, _mm256_set1_ps(kErfNumerator[i]));
  }
  p = _mm256_mul_ps(x, p);
  __m256 q = _mm256_set1_ps(kErfDenominator[0]);
  for (size_t i = 1; i < std::size(kErfDenominator); ++i) {
    q = _mm256_fmadd_ps(x2, q, _mm256_set1_ps(kErfDenominator[i]));
  }
  return _mm256_div_ps(p, q);
}

QB_AVX2 inline __m256 geluAvx2(__m256 y) {
  const __m256 half = _mm256_set1_ps(0.5f);
  const __m256 e = erfAvx2(_mm256_mul_ps(y, _mm256_set1_ps(kSqrtHalf)));
  return _mm256_mul_ps(_mm256_mul_ps(half, y), _mm256_add_ps(e, _mm256_set1_ps(1.0f)));
}

QB_AVX2 inline __m256 expAvx2(__m256 x) {
  x = _mm256_max_ps(_mm256_min_ps(x, _mm256_set1_ps(kExpHighest)), _mm256_set1_ps(kExpLowest));
  const __m256 n = _mm256_round_ps(_mm256_mul_ps(x, _mm256_set1_ps(kLog2e)),
                                   _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
  __m256 r = _mm256_fnmadd_ps(n, _mm256_set1_ps(kLn2High), x);
  r = _mm256_fnmadd_ps(n, _mm256_set1_ps(kLn2Low), r);
  __m256 p = _mm256_set1_ps(kExpPolynomial[0]);
  for (size_t i = 1; i < std::size(kExpPolynomial); ++i) {
    p = _mm256_fmadd_ps(p, r, _mm256_set1_ps(kExpPolynomial[i]));
  }
  p = _mm256_fmadd_ps(p, _mm256_mul_ps(r, r), _mm256_add_ps(r, _mm256_set1_ps(1.0f)));
  const __m256i exponent = _mm256_slli_epi32(
      _mm256_add_epi32(_mm256_cvtps_epi32(n), _mm256_set1_epi32(kFloatExponentBias)),
      kFloatMantissaBits);
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

struct Avx2Build {
  static constexpr PanelLayout kLayout = avx2::kLayout;
  static constexpr int kPanel = kLayout.panel;
  static constexpr int kMaxRows = 6;

  template <int MR>
  QB_AVX2 static void tile(const float* a, ptrdiff_t aStride, const float* b, int depth, float* y,
                           ptrdiff_t yStride, int valid, const TileJob& job) {
    // Every loop over the rows is unrolled, so that acc stays in registers throughout.
    __m256 acc[MR][2];
#pragma GCC unroll 6
    for (int i = 0; i < MR; ++i) acc[i][0] = acc[i][1] = _mm256_setzero_ps();
#pragma GCC unroll 4
    for (int k = 0; k < depth; ++k) {
      // Through an integer: near the end of the weights the address lies past them, harmless
      // for a prefetch but not for pointer arithmetic.
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
};

QB_AVX2 float horizontalMax(__m256 v) {
  v = _mm256_max_ps(v, _mm256_permute2f128_ps(v, v, 1));
  v = _mm256_max_ps(v, _mm256_shuffle_ps(v, v, 0x4e));
  return _mm256_cvtss_f32(_mm256_max_ps(v, _mm256_shuffle_ps(v, v, 0xb1)));
}

QB_AVX2 float horizontalSum(__m256 v) {
  v = _mm256_add_ps(v, _mm256_permute2f128_ps(v, v, 1));
  v = _mm256_add_ps(v, _mm256_shuffle_ps(v, v, 0x4e));
  return _mm256_cvtss_f32(_mm256_add_ps(v, _mm256_shuffle_ps(v, v, 0xb1)));
}

}  // namespace

namespace avx2 {

bool available() { return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"); }

void gemm(const float* x, int rows, ptrdiff_t xStride, const float* packed, int depth, int columns,
          float* y, ptrdiff_t yStride, const Epilogue& epilogue) {
  Gemm<Avx2Build>::run(x, rows, xStride, packed, depth, columns, y, yStride, epilogue);
}

QB_AVX2 float exponentiate(float* row, int count) {
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
  const __m256 top = _mm256_set1_ps(horizontalMax(peak));

  __m256 sum = _mm256_setzero_ps();
  for (i = 0; i + 8 <= count; i += 8) {
    const __m256 e = expAvx2(_mm256_sub_ps(_mm256_loadu_ps(row + i), top));
    _mm256_storeu_ps(row + i, e);
    sum = _mm256_add_ps(sum, e);
  }
  if (tail) {
    __m256 e = expAvx2(_mm256_sub_ps(_mm256_maskload_ps(row + i, mask), top));
    e = _mm256_and_ps(e, _mm256_castsi256_ps(mask));
    _mm256_maskstore_ps(row + i, mask, e);
    sum = _mm256_add_ps(sum, e);
  }
  return 1.0f / horizontalSum(sum);
}

}  // namespace avx2

void attention(const PanelLayout& layout, GemmFunction gemm, ExponentiateFunction exponentiate,
               const float* qkv, int rows, int qkvStride, int heads, int headSize, float* context,
               int contextStride, std::vector<float>& scratch) {
  const int hidden = heads * headSize;
  const float scale = 1.0f / std::sqrt(static_cast<float>(headSize));
  const size_t keyFloats = layout.packedFloats(headSize, rows);
  const size_t valueFloats = layout.packedFloats(rows, headSize);
  // Score rows start on a fresh cache line, so that their loads line up.
  const int scoreStride = static_cast<int>((rows + kAlignFloats - 1) / kAlignFloats * kAlignFloats);
  const size_t scoreOffset =
      (keyFloats + valueFloats + kAlignFloats - 1) / kAlignFloats * kAlignFloats;
  const size_t inverseOffset = scoreOffset + static_cast<size_t>(rows) * scoreStride;
  float* keys = alignedStart(scratch, inverseOffset + static_cast<size_t>(rows));
  float* values = keys + keyFloats;
  float* scores = keys + scoreOffset;
  float* inverses = keys + inverseOffset;
  for (int h = 0; h < heads; ++h) {
    const int column = h * headSize;
    // scores = q·(scale·k)ᵀ: B(d, t) = scale·k[t][d]. Folding the scale into the keys keeps the
    // product free of it.
    layout.pack(qkv + hidden + column, headSize, rows, 1, qkvStride, scale, keys);
    gemm(qkv + column, rows, qkvStride, keys, headSize, rows, scores, scoreStride, Epilogue{});
    for (int r = 0; r < rows; ++r) inverses[r] = exponentiate(scores + r * scoreStride, rows);
    // context = p·v: B(t, d) = v[t][d].
    layout.pack(qkv + 2 * hidden + column, rows, headSize, qkvStride, 1, 1.0f, values);
    gemm(scores, rows, scoreStride, values, rows, headSize, context + column, contextStride,
         Epilogue{});
    // The softmax's normalisation, on the few outputs rather than the many scores.
    for (int r = 0; r < rows; ++r) {
      float* out = context + r * contextStride + column;
      for (int d = 0; d < headSize; ++d) out[d] *= inverses[r];
    }
  }
}

}  // namespace qb::x86

#endif  // QB_X86_KERNELS
