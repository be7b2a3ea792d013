// SafeTensors: a checked reader of the safetensors weight format.
//
// A file is an 8-byte little-endian header length N, N bytes of JSON header, then the tensors'
// bytes. The header maps each tensor name to {"dtype", "shape", "data_offsets": [begin, end]}
// (offsets relative to the data that follows the header) and may hold "__metadata__", an object
// of strings. The reader trusts nothing in the file: the header length, every shape and every
// offset are checked against the file's size before a byte of tensor data is touched, the tensors
// must tile the data exactly (in order, no overlap, no hole, nothing after the last), and a
// tensor's byte size must equal the product of its shape times its dtype's size, computed with
// overflow checks.
//
// Errors: malformed content throws Error::fileReadCorrupt() (code 259) with a detail naming what
// was wrong; a file that cannot be read throws an Error in the file domain with another code
// (qb::file codes: kNoSuchFileCode, kNoPermissionCode, kReadFailedCode), whose message names the
// path.

#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

class SafeTensors {
public:
  // A header longer than this is refused before it is read: real headers are a few kB per
  // hundred tensors.
  static constexpr uint64_t kMaxHeaderBytes = 100ull << 20;

  struct Tensor {
    std::string dtype;           // as written: "F32", "I64", ...
    std::vector<int64_t> shape;  // empty for a scalar
    uint64_t begin = 0;          // byte offsets into the data section, end exclusive
    uint64_t end = 0;
    uint64_t elementCount() const;
  };

  // Reads and checks the whole file. Throws as described above.
  static SafeTensors open(const std::filesystem::path& path);

  // "__metadata__", empty when the file has none.
  const std::map<std::string, std::string>& metadata() const { return metadata_; }
  const std::map<std::string, Tensor, std::less<>>& tensors() const { return tensors_; }
  bool contains(std::string_view name) const { return tensors_.find(name) != tensors_.end(); }

  // The named tensor, which must be F32 with exactly this shape; fileReadCorrupt otherwise (also
  // when it is missing). Copies, because the data section need not be aligned for floats.
  std::vector<float> floats(std::string_view name, std::span<const int64_t> shape) const;
  std::vector<float> floats(std::string_view name, std::initializer_list<int64_t> shape) const {
    return floats(name, std::span<const int64_t>(shape.begin(), shape.size()));
  }

  // Bytes of the data section that a tensor occupies (already checked to lie inside the file).
  std::span<const std::byte> bytes(const Tensor& tensor) const;

  // The size of one element of a dtype the format defines; 0 for a name it does not.
  static size_t dtypeSize(std::string_view dtype);

private:
  std::string file_;
  size_t dataStart_ = 0;
  std::map<std::string, std::string> metadata_;
  std::map<std::string, Tensor, std::less<>> tensors_;
};

}  // namespace qb
