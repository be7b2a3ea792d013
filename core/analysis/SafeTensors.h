// SafeTensors: a checked reader of the safetensors weight format.
//
// A file is an 8-byte little-endian header length N, N bytes of JSON header, then the tensors'
// bytes. The header maps each tensor name to {"dtype", "shape", "data_offsets": [begin, end]}
// (offsets relative to the data that follows the header) and may hold "__metadata__", an object
// of strings. The reader trusts nothing in the file: the header length, every shape and every
// offset are checked against the file's size before a byte of tensor data is read, the tensors
// must tile the data exactly (in order, no overlap, no hole, nothing after the last), and a
// tensor's byte size must equal the product of its shape times its dtype's size, computed with
// overflow checks.
//
// open() reads only the header; the file stays open, and each tensor is read when asked for,
// straight into the caller's buffer, so that a model never exists twice in memory while it loads.
// The bytes are read rather than mapped: a mapping of a file that another program truncates
// while we use it faults with SIGBUS, where a read only comes up short and is reported.
//
// Errors: malformed content throws Error::fileReadCorrupt() (code 259) with a detail naming what
// was wrong; so does a file that has become shorter than its header says since open() (another
// program truncated it). A file that cannot be read throws an Error in the file domain with
// another code (qb::file codes: kNoSuchFileCode, kNoPermissionCode, kReadFailedCode), whose
// message names the path; tensors are read on demand, so read() and floats() can throw these too.
//
// Threads: reads share no file position; const calls may overlap.

#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/File.h"

namespace qb {

class SafeTensors {
public:
  // A header longer than this is refused before it is read: real headers are a few kB per
  // hundred tensors.
  static constexpr uint64_t kMaxHeaderBytes = 100ull << 20;

  // read() with a buffer that does not hold exactly the tensor's elements: the caller's mistake,
  // refused before anything is read.
  static constexpr const char* kErrorDomain = "qb.safetensors";
  static constexpr long kBufferSizeCode = 1;

  struct Tensor {
    std::string dtype;           // as written: "F32", "I64", ...
    std::vector<int64_t> shape;  // empty for a scalar
    uint64_t begin = 0;          // byte offsets into the data section, end exclusive
    uint64_t end = 0;
    uint64_t elementCount() const;
  };

  // Opens the file and reads and checks its header. Throws as described above.
  static SafeTensors open(const std::filesystem::path& path);

  // "__metadata__", empty when the file has none.
  const std::map<std::string, std::string>& metadata() const { return metadata_; }
  const std::map<std::string, Tensor, std::less<>>& tensors() const { return tensors_; }
  bool contains(std::string_view name) const { return tensors_.find(name) != tensors_.end(); }

  // Reads the named tensor into `out`, which must hold exactly its elements (kBufferSizeCode
  // otherwise). The tensor must be F32 with exactly this shape; fileReadCorrupt otherwise (also
  // when it is missing). Nothing is written to `out` unless the checks pass; a read failure may
  // leave it partly written.
  void read(std::string_view name, std::span<const int64_t> shape, std::span<float> out) const;
  void read(std::string_view name, std::initializer_list<int64_t> shape,
            std::span<float> out) const {
    read(name, std::span<const int64_t>(shape.begin(), shape.size()), out);
  }

  // read() into a vector of its own.
  std::vector<float> floats(std::string_view name, std::span<const int64_t> shape) const;
  std::vector<float> floats(std::string_view name, std::initializer_list<int64_t> shape) const {
    return floats(name, std::span<const int64_t>(shape.begin(), shape.size()));
  }

  // The size of one element of a dtype the format defines; 0 for a name it does not.
  static size_t dtypeSize(std::string_view dtype);

private:
  explicit SafeTensors(file::RandomAccessFile file) : file_(std::move(file)) {}

  // The tensor `name` checked as read() checks it.
  const Tensor& f32(std::string_view name, std::span<const int64_t> shape) const;

  file::RandomAccessFile file_;
  uint64_t dataStart_ = 0;  // where the data section begins in the file
  std::map<std::string, std::string> metadata_;
  std::map<std::string, Tensor, std::less<>> tensors_;
};

}  // namespace qb
