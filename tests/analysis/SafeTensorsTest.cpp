#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "analysis/BertEncoder.h"
#include "analysis/SafeTensors.h"
#include "base/Error.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

const fs::path kTinyBert = fs::path(QB_TEST_DATA) / "tiny-bert";

// The length field (the header's length unless `declared`), the header, the data.
std::string framed(const std::string& header, const std::string& data = "",
                   std::optional<uint64_t> declared = {}) {
  const uint64_t length = declared.value_or(header.size());
  std::string bytes(8, '\0');
  std::memcpy(bytes.data(), &length, 8);
  return bytes + header + data;
}

// One tensor "t" of this shape, offsets and dtype, over `dataBytes` bytes of data.
std::string tensor(const char* shape, const char* offsets = "[0, 8]", const char* dtype = "\"F32\"",
                   size_t dataBytes = 8) {
  return framed(std::string(R"({"t": {"dtype": )") + dtype + R"(, "shape": )" + shape +
                    R"(, "data_offsets": )" + offsets + "}}",
                std::string(dataBytes, '\0'));
}

// Two tensors of two floats at the given offsets, over `dataBytes` bytes.
std::string twoTensors(const char* a, const char* b, size_t dataBytes) {
  const std::string f32 = R"({"dtype": "F32", "shape": [2], "data_offsets": )";
  return framed("{\"a\": " + f32 + a + "}, \"b\": " + f32 + b + "}}", std::string(dataBytes, '\0'));
}

auto ThrowsCorrupt(const std::string& reason) {
  return test::ThrowsError(Error::kFileDomain, Error::kFileReadCorruptCode, reason);
}

class SafeTensorsTest : public ::testing::Test {
protected:
  SafeTensors open(const std::string& bytes) const {
    test::writeFile(path_, bytes);
    return SafeTensors::open(path_);
  }

  test::TempDir dir_;
  const fs::path path_ = dir_ / "model.safetensors";
};

TEST_F(SafeTensorsTest, RefusesDamagedFilesForTheirReason) {
  const struct {
    std::string bytes;
    const char* reason;
  } cases[] = {
      {std::string("\x02\0\0\0", 4), "shorter than its header length"},
      {framed("{}", "", 3), "runs past the end of the file"},
      {framed("{}", "", ~0ull), "exceeds the limit"},
      {framed("{}", "", SafeTensors::kMaxHeaderBytes + 1), "exceeds the limit"},
      {framed("{\"a\": "), "header is not JSON"},
      {framed(std::string(300, '[') + std::string(300, ']')), "header is not JSON"},
      {framed("[]"), "header is not a JSON object"},
      {framed(R"({"__metadata__": {"n": 3}})"), "metadata value of \"n\" is not a string"},
      {framed(R"({"__metadata__": []})"), "__metadata__ is not an object"},
      {framed(R"({"t": []})"), "entry \"t\" is not an object"},
      {framed(R"({"t": {"shape": [2], "data_offsets": [0, 8]}})"), "lacks dtype, shape or"},
      {framed(R"({"t": {"dtype": "F32", "shape": [2]}})"), "lacks dtype, shape or"},
      {tensor("[2]", "[0, 8]", "\"Q7\""), "unknown dtype"},
      {tensor("[2]", "[0, 8]", "4"), "unknown dtype"},
      {tensor("[-2]"), "is not a non-negative integer"},
      {tensor("[2.0]"), "is not a non-negative integer"},
      {tensor("2"), "is not an array"},
      {tensor("[2]", "[0]"), "is not a pair"},
      {tensor("[2]", "[8, 0]"), "end before"},
      {tensor("[3]"), "does not fill"},
      {tensor("[2]", "[0, 8]", "\"F64\""), "does not fill"},
      {tensor("[2]", "[0, 18446744073709551615]"), "does not fill"},
      {tensor("[4294967296, 4294967296, 16]"), "overflows"},
      {tensor("[4611686018427387904]"), "overflows"},
      {tensor("[0, 18446744073709551615]", "[0, 0]", "\"F32\"", 0), "is too large"},
      // The tensors must tile the data.
      {twoTensors("[0, 8]", "[4, 12]", 16), "tensors overlap"},
      {twoTensors("[0, 8]", "[0, 8]", 16), "tensors overlap"},
      {twoTensors("[0, 8]", "[12, 20]", 20), "tensor data has a hole"},
      {twoTensors("[0, 8]", "[8, 16]", 12), "runs past the end of the file"},
      {twoTensors("[0, 8]", "[8, 16]", 24), "bytes after the last tensor"},
  };
  for (const auto& c : cases) {
    EXPECT_THAT([&] { open(c.bytes); }, ThrowsCorrupt(c.reason))
        << ::testing::PrintToString(c.bytes);
  }
  EXPECT_TRUE(open(framed("{}")).tensors().empty());
  EXPECT_EQ(open(twoTensors("[8, 16]", "[0, 8]", 16)).tensors().size(), 2u);  // in any order
  const SafeTensors edges =
      open(framed(R"({"s": {"dtype": "F32", "shape": [], "data_offsets": [0, 4]},
      "e": {"dtype": "F32", "shape": [0, 7], "data_offsets": [4, 4]}})",
                  std::string(4, '\0')));
  EXPECT_EQ(edges.floats("s", {}), std::vector{0.0f});  // a scalar
  EXPECT_TRUE(edges.floats("e", {0, 7}).empty());
}

TEST_F(SafeTensorsTest, ReadsTheFileFloatsIntoTheCallersBufferAndRefusesAWrongOne) {
  const std::vector<float> values{1.5f, -2.25f, 3e-38f, 7.0f, 1e30f, -0.125f};
  // A header of odd length puts the data off every float boundary in the file.
  std::string header = R"({"m": {"dtype": "F32", "shape": [2, 3], "data_offsets": [0, 24]}})";
  while (header.size() % sizeof(float) != 1) header += ' ';
  const SafeTensors file = open(
      framed(header, std::string(reinterpret_cast<const char*>(values.data()), sizeof(float) * 6)));

  std::vector<float> buffer(6, -1.0f);
  file.read("m", {2, 3}, buffer);
  EXPECT_EQ(buffer, values);
  EXPECT_EQ(file.floats("m", {2, 3}), values);

  std::vector<float> tooSmall(5, -1.0f), tooLarge(7, -1.0f);
  EXPECT_THAT(
      [&] {
        file.read("m", {2, 3}, tooSmall);
      },
      test::ThrowsError(SafeTensors::kErrorDomain, SafeTensors::kBufferSizeCode,
                        "buffer of 5 floats for tensor \"m\" of 6"));
  EXPECT_THAT(
      [&] {
        file.read("m", {2, 3}, tooLarge);
      },
      test::ThrowsError(SafeTensors::kErrorDomain, SafeTensors::kBufferSizeCode));
  EXPECT_THAT(
      [&] {
        file.read("m", {3, 2}, buffer);
      },
      ThrowsCorrupt("has shape [2, 3], expected [3, 2]"));
  EXPECT_EQ(tooSmall, std::vector<float>(5, -1.0f)) << "written before the checks";
}

// Another program may truncate the file while the model loads: what is gone is reported, never
// read as garbage or a crash, and what is still there reads.
TEST_F(SafeTensorsTest, TensorsCutOffAfterOpenAreCorrupt) {
  const SafeTensors file = open(twoTensors("[0, 8]", "[8, 16]", 16));
  fs::resize_file(path_, fs::file_size(path_) - 1);
  EXPECT_EQ(file.floats("a", {2}).size(), 2u);
  EXPECT_THAT([&] { file.floats("b", {2}); },
              ThrowsCorrupt("the file ends within tensor \"b\": it shrank after it was opened"));
  fs::resize_file(path_, 0);
  std::vector<float> buffer(2);
  EXPECT_THAT([&] { file.read("a", {2}, buffer); }, ThrowsCorrupt("tensor \"a\": it shrank"));
}

// The real file with bytes of its header overwritten: each mutant loads and runs, or is refused.
TEST_F(SafeTensorsTest, DamagedModelsAreRefusedOrLoadIntoAWorkingEncoder) {
  fs::copy_file(kTinyBert / "config.json", dir_ / "config.json");
  const std::string original = test::readFile(kTinyBert / "Embedder.safetensors");
  uint64_t headerLength = 0;
  std::memcpy(&headerLength, original.data(), sizeof headerLength);
  int refused = 0;
  for (size_t at = 0; at < 8 + headerLength; at += 67) {
    for (char replacement : {'9', '"', '}', '\xff'}) {
      if (original[at] == replacement) continue;
      std::string mutant = original;
      mutant[at] = replacement;
      test::writeFile(path_, mutant);
      try {
        EXPECT_EQ(BertEncoder::load(path_).run(std::vector{2, 40, 3}, std::vector{1, 1, 1}).size(),
                  32u);
      } catch (const Error& e) {
        EXPECT_THAT(e, test::ErrorIs(Error::kFileDomain, Error::kFileReadCorruptCode, ""));
        ++refused;
      }
    }
  }
  EXPECT_GT(refused, 150);
}

}  // namespace
}  // namespace qb
