#include "analysis/SafeTensors.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <utility>

#include "base/Error.h"
#include "base/File.h"
#include "base/Json.h"

namespace qb {

namespace {

static_assert(std::endian::native == std::endian::little,
              "tensor bytes are little-endian and are read as they are");

constexpr size_t kLengthPrefixBytes = 8;
// Larger files are refused when opened: a sentence encoder is a few hundred MB at most, and since
// every tensor is checked against the file's size, this bounds what a caller allocates for one.
constexpr uint64_t kMaxFileBytes = 4ull << 30;
// Names from the file go into error messages; a hostile name must not make the message huge.
constexpr size_t kMaxNameInMessage = 80;
// Every dtype the format defines, with the bytes of one element.
constexpr std::pair<std::string_view, size_t> kDtypeSizes[] = {
    {"BOOL", 1}, {"U8", 1},  {"I8", 1},  {"F8_E5M2", 1}, {"F8_E4M3", 1},
    {"I16", 2},  {"U16", 2}, {"F16", 2}, {"BF16", 2},    {"I32", 4},
    {"U32", 4},  {"F32", 4}, {"F64", 8}, {"I64", 8},     {"U64", 8},
};

std::string nameText(std::string_view name) {
  std::string text = "\"";
  text += name.substr(0, kMaxNameInMessage);
  if (name.size() > kMaxNameInMessage) text += "...";
  return text + "\"";
}

std::string shapeText(std::span<const int64_t> shape) {
  std::string text = "[";
  for (size_t i = 0; i < shape.size(); ++i) {
    if (i) text += ", ";
    text += std::to_string(shape[i]);
  }
  return text + "]";
}

uint64_t checkedProduct(uint64_t a, uint64_t b, std::string_view name) {
  uint64_t product = 0;
  if (__builtin_mul_overflow(a, b, &product)) {
    throw Error::fileReadCorrupt("size of tensor " + nameText(name) + " overflows");
  }
  return product;
}

uint64_t unsignedValue(const Json& value, std::string_view what, std::string_view name) {
  if (!value.is_number_unsigned()) {
    throw Error::fileReadCorrupt(std::string(what) + " of tensor " + nameText(name) +
                                 " is not a non-negative integer");
  }
  return value.get<uint64_t>();
}

// Fills `out` from the file at `offset`. Coming up short means the file lost bytes since its size
// was checked: content the header promised is gone, so it is reported as corrupt.
void readExactly(const file::RandomAccessFile& file, uint64_t offset, std::span<std::byte> out,
                 const std::string& what) {
  if (file.readAt(offset, out) != out.size()) {
    throw Error::fileReadCorrupt("the file ends within " + what +
                                 ": it shrank after it was opened");
  }
}

SafeTensors::Tensor parseTensor(const std::string& name, const Json& entry) {
  if (!entry.is_object()) {
    throw Error::fileReadCorrupt("entry " + nameText(name) + " is not an object");
  }
  auto dtype = entry.find("dtype");
  auto shape = entry.find("shape");
  auto offsets = entry.find("data_offsets");
  if (dtype == entry.end() || shape == entry.end() || offsets == entry.end()) {
    throw Error::fileReadCorrupt("entry " + nameText(name) + " lacks dtype, shape or data_offsets");
  }
  if (!dtype->is_string() || SafeTensors::dtypeSize(dtype->get_ref<const std::string&>()) == 0) {
    throw Error::fileReadCorrupt("tensor " + nameText(name) + " has an unknown dtype");
  }
  if (!shape->is_array()) {
    throw Error::fileReadCorrupt("shape of " + nameText(name) + " is not an array");
  }
  if (!offsets->is_array() || offsets->size() != 2) {
    throw Error::fileReadCorrupt("data_offsets of " + nameText(name) + " is not a pair");
  }

  SafeTensors::Tensor tensor;
  tensor.dtype = dtype->get<std::string>();
  uint64_t count = 1;
  for (const Json& dim : *shape) {
    uint64_t value = unsignedValue(dim, "a dimension", name);
    if (value > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
      throw Error::fileReadCorrupt("a dimension of " + nameText(name) + " is too large");
    }
    tensor.shape.push_back(static_cast<int64_t>(value));
    count = checkedProduct(count, value, name);
  }
  tensor.begin = unsignedValue((*offsets)[0], "data_offsets", name);
  tensor.end = unsignedValue((*offsets)[1], "data_offsets", name);
  if (tensor.end < tensor.begin) {
    throw Error::fileReadCorrupt("data_offsets of " + nameText(name) + " end before they begin");
  }
  uint64_t bytes = checkedProduct(count, SafeTensors::dtypeSize(tensor.dtype), name);
  if (bytes != tensor.end - tensor.begin) {
    throw Error::fileReadCorrupt("tensor " + nameText(name) + " of shape " +
                                 shapeText(tensor.shape) + " does not fill its " +
                                 std::to_string(tensor.end - tensor.begin) + " bytes");
  }
  return tensor;
}

}  // namespace

uint64_t SafeTensors::Tensor::elementCount() const {
  uint64_t count = 1;
  for (int64_t dim : shape) count *= static_cast<uint64_t>(dim);  // checked when read
  return count;
}

size_t SafeTensors::dtypeSize(std::string_view dtype) {
  for (const auto& [name, size] : kDtypeSizes) {
    if (name == dtype) return size;
  }
  return 0;
}

SafeTensors SafeTensors::open(const std::filesystem::path& path) {
  SafeTensors result(file::RandomAccessFile::open(path, kMaxFileBytes));
  const file::RandomAccessFile& file = result.file_;

  if (file.size() < kLengthPrefixBytes) {
    throw Error::fileReadCorrupt("shorter than its header length");
  }
  uint64_t headerBytes = 0;
  readExactly(file, 0, std::as_writable_bytes(std::span(&headerBytes, 1)), "its header length");
  if (headerBytes > kMaxHeaderBytes) {
    throw Error::fileReadCorrupt("header length " + std::to_string(headerBytes) +
                                 " exceeds the limit");
  }
  if (headerBytes > file.size() - kLengthPrefixBytes) {
    throw Error::fileReadCorrupt("header length " + std::to_string(headerBytes) +
                                 " runs past the end of the file");
  }
  result.dataStart_ = kLengthPrefixBytes + headerBytes;
  const uint64_t dataBytes = file.size() - result.dataStart_;

  std::string headerText(static_cast<size_t>(headerBytes), '\0');
  readExactly(file, kLengthPrefixBytes, std::as_writable_bytes(std::span(headerText)),
              "its header");
  Json header;
  try {
    header = json::parse(headerText);
  } catch (const Error& e) {
    throw Error::fileReadCorrupt(std::string("header is not JSON: ") + e.what());
  }
  if (!header.is_object()) throw Error::fileReadCorrupt("header is not a JSON object");

  for (const auto& [name, entry] : header.items()) {
    if (name == "__metadata__") {
      if (!entry.is_object()) throw Error::fileReadCorrupt("__metadata__ is not an object");
      for (const auto& [key, value] : entry.items()) {
        if (!value.is_string()) {
          throw Error::fileReadCorrupt("metadata value of " + nameText(key) + " is not a string");
        }
        result.metadata_[key] = value.get<std::string>();
      }
      continue;
    }
    result.tensors_.emplace(name, parseTensor(name, entry));
  }

  // The tensors must tile the data section: in offset order each begins where the previous one
  // ended, and the last ends at the end of the file. This rules out overlaps (two names reading
  // the same bytes), holes (bytes no tensor accounts for) and offsets beyond the file.
  std::vector<const Tensor*> order;
  order.reserve(result.tensors_.size());
  for (const auto& [name, tensor] : result.tensors_) order.push_back(&tensor);
  std::sort(order.begin(), order.end(), [](const Tensor* a, const Tensor* b) {
    return a->begin != b->begin ? a->begin < b->begin : a->end < b->end;
  });
  uint64_t expected = 0;
  for (const Tensor* tensor : order) {
    if (tensor->begin != expected) {
      throw Error::fileReadCorrupt(tensor->begin < expected ? "tensors overlap"
                                                            : "tensor data has a hole");
    }
    if (tensor->end > dataBytes) {
      throw Error::fileReadCorrupt("tensor data runs past the end of the file");
    }
    expected = tensor->end;
  }
  if (expected != dataBytes) throw Error::fileReadCorrupt("bytes after the last tensor");
  return result;
}

const SafeTensors::Tensor& SafeTensors::f32(std::string_view name,
                                            std::span<const int64_t> shape) const {
  auto it = tensors_.find(name);
  if (it == tensors_.end()) throw Error::fileReadCorrupt("missing tensor " + nameText(name));
  const Tensor& tensor = it->second;
  if (tensor.dtype != "F32") {
    throw Error::fileReadCorrupt("tensor " + nameText(name) + " is " + tensor.dtype + ", not F32");
  }
  if (!std::equal(tensor.shape.begin(), tensor.shape.end(), shape.begin(), shape.end())) {
    throw Error::fileReadCorrupt("tensor " + nameText(name) + " has shape " +
                                 shapeText(tensor.shape) + ", expected " + shapeText(shape));
  }
  return tensor;
}

void SafeTensors::read(std::string_view name, std::span<const int64_t> shape,
                       std::span<float> out) const {
  const Tensor& tensor = f32(name, shape);
  if (out.size() != tensor.elementCount()) {
    throw Error(kErrorDomain, kBufferSizeCode,
                "A buffer of " + std::to_string(out.size()) + " floats for tensor " +
                    nameText(name) + " of " + std::to_string(tensor.elementCount()));
  }
  readExactly(file_, dataStart_ + tensor.begin, std::as_writable_bytes(out),
              "tensor " + nameText(name));
}

std::vector<float> SafeTensors::floats(std::string_view name,
                                       std::span<const int64_t> shape) const {
  std::vector<float> values(static_cast<size_t>(f32(name, shape).elementCount()));
  read(name, shape, values);
  return values;
}

}  // namespace qb
