// The AVX-512 build of the encoder's products (AVX-512 F, with VL/BW/DQ where the masks use them).

#include "analysis/EncoderKernelsX86.h"

#if QB_X86_KERNELS

#include <immintrin.h>

#include <cmath>

namespace qb::x86 {

namespace {

#define QB_AVX512 __attribute__((target("avx512f,avx512vl,avx512bw,avx512dq,avx2,fma")))

// How far ahead of the panel row in use the stream of packed weights is prefetched, as the AVX2
// build does, for the same reason: at few tokens the products wait on memory.
constexpr uintptr_t kPrefetchBytes = 16 << 10;

// All lanes. The zero-masking forms of min, max, roundscale, cvtps and slli compute the same as the
// plain ones, which GCC 12 implements with an undefined source it then warns about; for the same
// reason the reductions take the upper half with a zero-masking extract.
constexpr __mmask16 kAllLanes = 0xffff;

QB_AVX512 inline __m512 erfAvx512(__m512 x) {
  x = _mm512_maskz_max_ps(kAllLanes, _mm512_maskz_min_ps(kAllLanes, x, _mm512_set1_ps(kErfBound)),
                          _mm512_set1_ps(-kErfBound));
  const __m512 x2 = _mm512_mul_ps(x, x);
  __m512 p = _mm512_set1_ps(kErfNumerator[0]);
  for (size_t i = 1; i < std::size(kErfNumerator); ++i) {
    p = _mm512_fmadd_ps(x2, p, _mm512_set1_ps(kErfNumerator[i]));
  }
  p = _mm512_mul_ps(x, p);
  __m512 q = _mm512_set1_ps(kErfDenominator[0]);
  for (size_t i = 1; i < std::size(kErfDenominator); ++i) {
    q = _mm512_fmadd_ps(x2, q, _mm512_set1_ps(kErfDenominator[i]));
  }
  return _mm512_div_ps(p, q);
}

QB_AVX512 inline __m512 geluAvx512(__m512 y) {
  const __m512 e = erfAvx512(_mm512_mul_ps(y, _mm512_set1_ps(kSqrtHalf)));
  return _mm512_mul_ps(_mm512_mul_ps(_mm512_set1_ps(0.5f), y),
                       _mm512_add_ps(e, _mm512_set1_ps(1.0f)));
}

QB_AVX512 inline __m512 expAvx512(__m512 x) {
  x = _mm512_maskz_max_ps(kAllLanes, _mm512_maskz_min_ps(kAllLanes, x, _mm512_set1_ps(kExpHighest)),
                          _mm512_set1_ps(kExpLowest));
  const __m512 n = _mm512_maskz_roundscale_ps(kAllLanes, _mm512_mul_ps(x, _mm512_set1_ps(kLog2e)),
                                              _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
  __m512 r = _mm512_fnmadd_ps(n, _mm512_set1_ps(kLn2High), x);
  r = _mm512_fnmadd_ps(n, _mm512_set1_ps(kLn2Low), r);
  __m512 p = _mm512_set1_ps(kExpPolynomial[0]);
  for (size_t i = 1; i < std::size(kExpPolynomial); ++i) {
    p = _mm512_fmadd_ps(p, r, _mm512_set1_ps(kExpPolynomial[i]));
  }
  p = _mm512_fmadd_ps(p, _mm512_mul_ps(r, r), _mm512_add_ps(r, _mm512_set1_ps(1.0f)));
  const __m512i exponent =
      _mm512_maskz_slli_epi32(kAllLanes,
                              _mm512_add_epi32(_mm512_maskz_cvtps_epi32(kAllLanes, n),
                                               _mm512_set1_epi32(kFloatExponentBias)),
                              kFloatMantissaBits);
  return _mm512_mul_ps(p, _mm512_castsi512_ps(exponent));
}

// The largest and the sum of v's lanes: its halves, then a tree of shuffles.
template <int kWhich>
QB_AVX512 inline __m256 half(__m512 v) {
  constexpr __mmask8 kFourDoubles = 0xf;
  return _mm256_castpd_ps(_mm512_maskz_extractf64x4_pd(kFourDoubles, _mm512_castps_pd(v), kWhich));
}

QB_AVX512 inline float horizontalMax(__m512 v) {
  __m256 r = _mm256_max_ps(half<0>(v), half<1>(v));
  r = _mm256_max_ps(r, _mm256_permute2f128_ps(r, r, 1));
  r = _mm256_max_ps(r, _mm256_shuffle_ps(r, r, 0x4e));
  return _mm256_cvtss_f32(_mm256_max_ps(r, _mm256_shuffle_ps(r, r, 0xb1)));
}

QB_AVX512 inline float horizontalSum(__m512 v) {
  __m256 r = _mm256_add_ps(half<0>(v), half<1>(v));
  r = _mm256_add_ps(r, _mm256_permute2f128_ps(r, r, 1));
  r = _mm256_add_ps(r, _mm256_shuffle_ps(r, r, 0x4e));
  return _mm256_cvtss_f32(_mm256_add_ps(r, _mm256_shuffle_ps(r, r, 0xb1)));
}

// Lanes [0, count) of a vector of 16, count clamped to [0, 16].
QB_AVX512 inline __mmask16 laneMask(int count) {
  if (count <= 0) return 0;
  if (count >= 16) return kAllLanes;
  return static_cast<__mmask16>((1u << count) - 1);
}

struct Avx512Build {
  static constexpr PanelLayout kLayout = avx512::kLayout;
  static constexpr int kPanel = kLayout.panel;
  static constexpr int kMaxRows = 12;

  template <int MR>
  QB_AVX512 static void tile(const float* a, ptrdiff_t aStride, const float* b, int depth, float* y,
                             ptrdiff_t yStride, int valid, const TileJob& job) {
    __m512 acc[MR][2];
#pragma GCC unroll 12
    for (int i = 0; i < MR; ++i) acc[i][0] = acc[i][1] = _mm512_setzero_ps();
#pragma GCC unroll 2
    for (int k = 0; k < depth; ++k) {
      // Through an integer: near the end of the weights the address lies past them, harmless
      // for a prefetch but not for pointer arithmetic.
      const uintptr_t ahead = reinterpret_cast<uintptr_t>(b) + kPrefetchBytes;
      _mm_prefetch(reinterpret_cast<const char*>(ahead), _MM_HINT_T1);
      _mm_prefetch(reinterpret_cast<const char*>(ahead + 64), _MM_HINT_T1);
      const __m512 b0 = _mm512_loadu_ps(b);
      const __m512 b1 = _mm512_loadu_ps(b + 16);
      b += kPanel;
#pragma GCC unroll 12
      for (int i = 0; i < MR; ++i) {
        const __m512 ai = _mm512_set1_ps(a[i * aStride + k]);
        acc[i][0] = _mm512_fmadd_ps(ai, b0, acc[i][0]);
        acc[i][1] = _mm512_fmadd_ps(ai, b1, acc[i][1]);
      }
    }

    // Masked loads and stores touch only the lanes they name, so a partial panel reads and
    // writes nothing past the tile's columns.
    const __mmask16 mask0 = laneMask(valid);
    const __mmask16 mask1 = laneMask(valid - 16);
    __m512 bias0 = _mm512_setzero_ps(), bias1 = _mm512_setzero_ps();
    if (job.first && job.bias) {
      bias0 = _mm512_maskz_loadu_ps(mask0, job.bias);
      bias1 = _mm512_maskz_loadu_ps(mask1, job.bias + 16);
    }
#pragma GCC unroll 12
    for (int i = 0; i < MR; ++i) {
      float* row = y + i * yStride;
      __m512 v0 = acc[i][0], v1 = acc[i][1];
      if (job.first) {
        v0 = _mm512_add_ps(v0, bias0);
        v1 = _mm512_add_ps(v1, bias1);
        if (job.residual) {
          const float* residual = job.residual + i * job.residualStride;
          v0 = _mm512_add_ps(v0, _mm512_maskz_loadu_ps(mask0, residual));
          v1 = _mm512_add_ps(v1, _mm512_maskz_loadu_ps(mask1, residual + 16));
        }
      } else {
        v0 = _mm512_add_ps(v0, _mm512_maskz_loadu_ps(mask0, row));
        v1 = _mm512_add_ps(v1, _mm512_maskz_loadu_ps(mask1, row + 16));
      }
      if (job.last && job.gelu) {
        v0 = geluAvx512(v0);
        v1 = geluAvx512(v1);
      }
      _mm512_mask_storeu_ps(row, mask0, v0);
      _mm512_mask_storeu_ps(row + 16, mask1, v1);
    }
  }
};

}  // namespace

namespace avx512 {

bool available() {
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
         __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512dq") &&
         avx2::available();
}

void gemm(const float* x, int rows, ptrdiff_t xStride, const float* packed, int depth, int columns,
          float* y, ptrdiff_t yStride, const Epilogue& epilogue) {
  Gemm<Avx512Build>::run(x, rows, xStride, packed, depth, columns, y, yStride, epilogue);
}

QB_AVX512 float exponentiate(float* row, int count) {
  __m512 peak = _mm512_set1_ps(-INFINITY);
  for (int i = 0; i < count; i += 16) {
    // Lanes past the row keep -inf, which no maximum takes.
    const __mmask16 lanes = laneMask(count - i);
    peak = _mm512_mask_max_ps(peak, lanes, peak, _mm512_maskz_loadu_ps(lanes, row + i));
  }
  const __m512 top = _mm512_set1_ps(horizontalMax(peak));
  __m512 sum = _mm512_setzero_ps();
  for (int i = 0; i < count; i += 16) {
    const __mmask16 lanes = laneMask(count - i);
    const __m512 e = expAvx512(_mm512_sub_ps(_mm512_maskz_loadu_ps(lanes, row + i), top));
    _mm512_mask_storeu_ps(row + i, lanes, e);
    sum = _mm512_mask_add_ps(sum, lanes, sum, e);
  }
  return 1.0f / horizontalSum(sum);
}

}  // namespace avx512

}  // namespace qb::x86

#endif  // QB_X86_KERNELS
