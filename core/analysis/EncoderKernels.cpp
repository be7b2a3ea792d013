#include "analysis/EncoderKernels.h"

#include <sys/mman.h>

#include <Eigen/Core>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <unsupported/Eigen/SpecialFunctions>

#include "analysis/EncoderKernelsX86.h"
#include "base/Error.h"
#include "base/Log.h"

namespace qb {

namespace {

using RowMatrix = Eigen::Matrix<float, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
using StridedMatrix = Eigen::Map<RowMatrix, 0, Eigen::OuterStride<>>;
using ConstStridedMatrix = Eigen::Map<const RowMatrix, 0, Eigen::OuterStride<>>;

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
    values = values * ((values * x86::kSqrtHalf).erf() + 1.0f) * 0.5f;
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

constexpr EncoderKernels::Isa kIsas[] = {EncoderKernels::Isa::portable, EncoderKernels::Isa::avx2,
                                         EncoderKernels::Isa::avx512};

// The size of a huge page on x86-64: what a block of weights is aligned to and made of.
constexpr size_t kHugePageBytes = 2 << 20;

size_t roundUp(size_t value, size_t multiple) {
  return (value + multiple - 1) / multiple * multiple;
}

std::shared_ptr<float> hugePageBlock(size_t floats) {
  const size_t bytes = roundUp(floats * sizeof(float), kHugePageBytes);
  void* memory = std::aligned_alloc(kHugePageBytes, bytes);
  if (!memory) throw std::bad_alloc();
#if defined(MADV_HUGEPAGE)
  // Only an optimisation, which the system may decline: the weights work the same on small pages.
  if (::madvise(memory, bytes, MADV_HUGEPAGE) != 0) {
    log::info(std::string("The encoder's weights are on small pages: ") + std::strerror(errno));
  }
#endif
  return std::shared_ptr<float>(static_cast<float*>(memory), std::free);
}

#if QB_X86_KERNELS
const x86::PanelLayout& layoutOf(EncoderKernels::Isa isa) {
  return isa == EncoderKernels::Isa::avx512 ? x86::avx512::kLayout : x86::avx2::kLayout;
}

x86::GemmFunction gemmOf(EncoderKernels::Isa isa) {
  return isa == EncoderKernels::Isa::avx512 ? x86::avx512::gemm : x86::avx2::gemm;
}

x86::ExponentiateFunction exponentiateOf(EncoderKernels::Isa isa) {
  return isa == EncoderKernels::Isa::avx512 ? x86::avx512::exponentiate : x86::avx2::exponentiate;
}
#endif

}  // namespace

const char* EncoderKernels::name(Isa isa) {
  switch (isa) {
    case Isa::avx2:
      return "avx2";
    case Isa::avx512:
      return "avx512";
    case Isa::portable:
      break;
  }
  return "portable";
}

bool EncoderKernels::available(Isa isa) {
#if QB_X86_KERNELS
  if (isa == Isa::avx2) return x86::avx2::available();
  if (isa == Isa::avx512) return x86::avx512::available();
#endif
  return isa == Isa::portable;
}

EncoderKernels::Isa EncoderKernels::best() {
  Isa cap = Isa::avx512;
  if (const char* word = std::getenv(kCapVariable); word && *word) {
    const auto named = std::find_if(std::begin(kIsas), std::end(kIsas),
                                    [&](Isa isa) { return std::string_view(word) == name(isa); });
    if (named == std::end(kIsas)) {
      log::error(std::string(kCapVariable) + "=" + std::string(word).substr(0, 20) +
                 " names no kernels (portable, avx2, avx512); ignored");
    } else if (!available(*named)) {
      log::error(std::string(kCapVariable) + "=" + word +
                 ": this processor cannot run those kernels; ignored");
    } else {
      cap = *named;
    }
  }
  for (auto isa = std::rbegin(kIsas); isa != std::rend(kIsas); ++isa) {
    if (*isa <= cap && available(*isa)) return *isa;
  }
  return Isa::portable;
}

EncoderKernels::EncoderKernels(Isa isa) : isa_(isa) {
  if (!available(isa)) {
    throw Error(kErrorDomain, kInvalidInputCode,
                std::string("This processor cannot run the ") + name(isa) + " kernels");
  }
}

size_t EncoderKernels::packedFloats(int in, int out) const {
  size_t floats = static_cast<size_t>(in) * static_cast<size_t>(out);
#if QB_X86_KERNELS
  if (isa_ != Isa::portable) floats = layoutOf(isa_).packedFloats(in, out);
#endif
  return roundUp(floats, x86::kAlignFloats);
}

void EncoderKernels::reserve(size_t floats) {
  if (block_ && blockUsed_ + floats <= blockFloats_) return;
  block_ = hugePageBlock(floats);
  blockFloats_ = floats;
  blockUsed_ = 0;
}

float* EncoderKernels::place(size_t floats) {
  if (!block_ || blockUsed_ + floats > blockFloats_) {
    reserve(std::max(floats, kWeightBlockBytes / sizeof(float)));
  }
  float* start = block_.get() + blockUsed_;
  blockUsed_ += floats;
  return start;
}

EncoderKernels::Linear EncoderKernels::linear(std::span<const float> weight,
                                              std::span<const float> bias, int in, int out) {
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
  float* start = place(packedFloats(in, out));
  layer.block_ = block_;
  layer.weight_ = start;
#if QB_X86_KERNELS
  if (isa_ != Isa::portable) {
    // B(k, n) = W[n][k]: the product x·Wᵀ.
    layoutOf(isa_).pack(weight.data(), in, out, 1, in, 1.0f, start);
    return layer;
  }
#endif
  std::copy(weight.begin(), weight.end(), start);
  return layer;
}

void EncoderKernels::apply(const Linear& layer, const float* x, int rows, int xStride, float* y,
                           int yStride, const Epilogue& epilogue) {
#if QB_X86_KERNELS
  if (isa_ != Isa::portable) {
    gemmOf(isa_)(x, rows, xStride, layer.weight(), layer.in(), layer.out(), y, yStride,
                 {layer.bias(), epilogue.residual, epilogue.residualStride, epilogue.gelu});
    return;
  }
#endif
  portableApply(layer, x, rows, xStride, y, yStride, epilogue);
}

void EncoderKernels::attention(const float* qkv, int rows, int qkvStride, int heads, int headSize,
                               float* context, int contextStride) {
#if QB_X86_KERNELS
  if (isa_ != Isa::portable) {
    x86::attention(layoutOf(isa_), gemmOf(isa_), exponentiateOf(isa_), qkv, rows, qkvStride, heads,
                   headSize, context, contextStride, scratch_);
    return;
  }
#endif
  portableAttention(qkv, rows, qkvStride, heads, headSize, context, contextStride, scratch_);
}

}  // namespace qb
