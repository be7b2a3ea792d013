// EncoderKernels: the matrix kernels under BertEncoder, chosen once per processor.
//
// Three builds of the same operations: `portable` on Eigen, which compiles for baseline x86-64
// (SSE2 only, since committed build files cannot assume more); `avx2`, hand-written AVX2/FMA
// kernels; and `avx512`, the same with 512-bit vectors and twice the registers. The two x86 builds
// repack weights into column panels when they are loaded, and are compiled per function with a
// target attribute, used only when the processor reports the instructions. Eigen cannot be used
// for them: it picks its vector width from the compile flags of the whole translation unit, and
// compiling a unit for AVX2 would let the linker pick AVX2 copies of shared inline code for every
// caller. bench/EncoderBench.cpp measures every build this processor can run.
//
// The environment variable QB_ENCODER_KERNELS (portable, avx2 or avx512) caps what best() picks,
// so that every build can be run and measured on one machine; a build above what the processor
// has, or any other word, is ignored and logged.
//
// All matrices are row-major float32 with explicit row strides (in floats). In the x86 builds a
// row of a product never depends on the other rows computed with it, to the bit; Eigen picks its
// blocking by the number of rows, so the portable build may differ in the last bits. Not
// thread-safe: the kernels keep scratch space between calls, like the encoder that owns them.
//
// Errors: asking for kernels this processor cannot run, or a layer whose sizes disagree, throws a
// qb::Error in kErrorDomain with kInvalidInputCode.

#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

namespace qb {

class EncoderKernels {
public:
  enum class Isa { portable, avx2, avx512 };
  // The name of each build, as the environment variable and benchmark labels write it.
  static const char* name(Isa isa);

  // The variable that caps best(), and the word for each build.
  static constexpr const char* kCapVariable = "QB_ENCODER_KERNELS";

  // The domain of every error of the encoder, these kernels and BertEncoder above them.
  static constexpr const char* kErrorDomain = "qb.encoder";
  // An argument the encoder cannot take: kernels the processor lacks, sizes that disagree, input
  // ids or a mask out of range.
  static constexpr long kInvalidInputCode = 1;

  // True when this processor can run the build.
  static bool available(Isa isa);
  // The fastest build this processor runs, under the cap of kCapVariable when it is set.
  static Isa best();

  // Throws when the processor cannot run the build.
  explicit EncoderKernels(Isa isa);
  // Not copyable: two copies would place their layers at the same place in one block.
  EncoderKernels(const EncoderKernels&) = delete;
  EncoderKernels& operator=(const EncoderKernels&) = delete;
  EncoderKernels(EncoderKernels&&) noexcept = default;
  EncoderKernels& operator=(EncoderKernels&&) noexcept = default;
  Isa isa() const { return isa_; }

  // A dense layer y = x·Wᵀ + b, its weight laid out for this build.
  class Linear {
  public:
    int in() const { return in_; }
    int out() const { return out_; }
    const float* bias() const { return bias_.data(); }
    const float* weight() const { return weight_; }

  private:
    friend class EncoderKernels;
    int in_ = 0;
    int out_ = 0;
    // The block of huge pages that weight_ lies in, shared with the other layers packed there, so
    // that it lives as long as any of them.
    std::shared_ptr<float> block_;
    const float* weight_ = nullptr;  // portable: W as given; x86: panels; 64-byte aligned
    std::vector<float> bias_;
  };

  // weight is [out × in] row-major (the layout of torch's Linear.weight), bias [out]; throws when
  // a size is not positive or the spans do not hold exactly those counts.
  //
  // The weight is kept in memory advised for huge pages: a product streams all of it, and with
  // small pages a walk of the page tables every 4 kB stalls it (a third of the time at 8 tokens).
  // Layers are placed one after another in blocks of kWeightBlockBytes, or in one block made
  // by reserve().
  Linear linear(std::span<const float> weight, std::span<const float> bias, int in, int out);

  // The floats that linear() keeps for a weight of this shape.
  size_t packedFloats(int in, int out) const;
  // Makes one block for layers whose packedFloats() add up to `floats`, so that a model's weights
  // share their huge pages and waste at most part of the last one.
  void reserve(size_t floats);
  static constexpr size_t kWeightBlockBytes = 8 << 20;

  // What a linear layer adds to its product before it is stored.
  struct Epilogue {
    const float* residual = nullptr;  // added after the bias, rows of stride residualStride
    int residualStride = 0;
    bool gelu = false;  // then y = y·Φ(y), with the exact error function
  };

  // y[r] = x[r]·Wᵀ + b, then the epilogue, for r < rows. y must not overlap x; it may be the
  // residual.
  void apply(const Linear& layer, const float* x, int rows, int xStride, float* y, int yStride,
             const Epilogue& epilogue);

  // Multi-head self-attention among `rows` tokens, every token seeing every other. Each row of
  // qkv holds the queries, keys and values of one token ([q | k | v], each heads × headSize);
  // context receives the heads' outputs side by side, rows of stride contextStride.
  void attention(const float* qkv, int rows, int qkvStride, int heads, int headSize, float* context,
                 int contextStride);

private:
  float* place(size_t floats);

  Isa isa_;
  std::shared_ptr<float> block_;  // where linear() places the next weight
  size_t blockFloats_ = 0;
  size_t blockUsed_ = 0;
  std::vector<float> scratch_;  // packed keys and values, then the scores of one head
};

}  // namespace qb
