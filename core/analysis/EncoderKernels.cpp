#include "analysis/EncoderKernels.h"

#include <Eigen/Core>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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

#if QB_X86_KERNELS
const x86::PanelLayout& layoutOf(EncoderKernels::Isa isa) {
  return isa == EncoderKernels::Isa::avx512 ? x86::avx512::kLayout : x86::avx2::kLayout;
}

x86::GemmFunction gemmOf(EncoderKernels::Isa isa) {
  return isa == EncoderKernels::Isa::avx512 ? x86::avx512::gemm : x86::avx2::gemm;
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
  if (isa_ != Isa::portable) {
    const x86::PanelLayout& layout = layoutOf(isa_);
    float* start = x86::alignedStart(layer.storage_, layout.packedFloats(in, out));
    layer.offset_ = static_cast<size_t>(start - layer.storage_.data());
    // B(k, n) = W[n][k]: the product x·Wᵀ.
    layout.pack(weight.data(), in, out, 1, in, 1.0f, start);
    return layer;
  }
#endif
  layer.storage_.assign(weight.begin(), weight.end());
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
    x86::attention(layoutOf(isa_), gemmOf(isa_), qkv, rows, qkvStride, heads, headSize, context,
                   contextStride, scratch_);
    return;
  }
#endif
  portableAttention(qkv, rows, qkvStride, heads, headSize, context, contextStride, scratch_);
}

}  // namespace qb
