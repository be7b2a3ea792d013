#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/SafeTensors.h"
#include "base/Error.h"
#include "base/File.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

std::string lengthPrefixed(const std::string& header, uint64_t declared) {
  std::string bytes(8, '\0');
  std::memcpy(bytes.data(), &declared, 8);
  return bytes + header;
}

class SafeTensorsTest : public ::testing::Test {
protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("qb-safetensors-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path write(const std::string& bytes) {
    fs::path path = dir_ / ("file" + std::to_string(count_++) + ".safetensors");
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  // A file whose header is `header` and whose data section is `data`.
  fs::path file(const std::string& header, const std::string& data = "") {
    return write(lengthPrefixed(header, header.size()) + data);
  }
  // Opening `path` fails as corrupt content, code 259.
  void expectCorrupt(const fs::path& path, const std::string& why) {
    try {
      SafeTensors::open(path);
      ADD_FAILURE() << why << ": opened";
    } catch (const Error& e) {
      EXPECT_EQ(e.code(), Error::kFileReadCorruptCode) << why << ": " << e.what();
      EXPECT_EQ(e.domain(), Error::kFileDomain) << why;
    }
  }

  fs::path dir_;
  int count_ = 0;
};

std::string floatBytes(std::initializer_list<float> values) {
  std::string bytes(values.size() * sizeof(float), '\0');
  std::memcpy(bytes.data(), values.begin(), bytes.size());
  return bytes;
}

TEST_F(SafeTensorsTest, ReadsTensorsAndMetadata) {
  std::string header = R"({"__metadata__": {"format": "pt", "hidden_size": "2"},
    "w": {"dtype": "F32", "shape": [2, 2], "data_offsets": [0, 16]},
    "ids": {"dtype": "I64", "shape": [1], "data_offsets": [16, 24]},
    "empty": {"dtype": "F32", "shape": [0, 7], "data_offsets": [24, 24]},
    "s": {"dtype": "F32", "shape": [], "data_offsets": [24, 28]}}    )";
  std::string data =
      floatBytes({1.5f, -2.0f, 0.25f, 8.0f}) + std::string(8, '\x01') + floatBytes({3.0f});
  SafeTensors tensors = SafeTensors::open(file(header, data));

  EXPECT_EQ(tensors.metadata().at("format"), "pt");
  EXPECT_EQ(tensors.metadata().at("hidden_size"), "2");
  EXPECT_EQ(tensors.tensors().size(), 4u);
  EXPECT_EQ(tensors.floats("w", {2, 2}), (std::vector<float>{1.5f, -2.0f, 0.25f, 8.0f}));
  EXPECT_EQ(tensors.floats("s", {}), (std::vector<float>{3.0f}));
  EXPECT_TRUE(tensors.floats("empty", {0, 7}).empty());
  EXPECT_EQ(tensors.tensors().at("ids").dtype, "I64");
  EXPECT_EQ(tensors.bytes(tensors.tensors().at("ids")).size(), 8u);

  // The accessor insists on what the caller needs.
  EXPECT_THROW(tensors.floats("ids", {1}), Error);  // not F32
  EXPECT_THROW(tensors.floats("w", {4}), Error);    // other shape, same size
  EXPECT_THROW(tensors.floats("w", {2, 2, 1}), Error);
  EXPECT_THROW(tensors.floats("missing", {1}), Error);
}

TEST_F(SafeTensorsTest, ReadFailuresAreFileErrorsButNotCorruption) {
  try {
    SafeTensors::open(dir_ / "absent.safetensors");
    ADD_FAILURE() << "opened a missing file";
  } catch (const Error& e) {
    EXPECT_EQ(e.domain(), Error::kFileDomain);
    EXPECT_EQ(e.code(), file::kNoSuchFileCode);
    EXPECT_NE(std::string(e.what()).find("absent.safetensors"), std::string::npos);
  }
  try {
    SafeTensors::open(dir_);
    ADD_FAILURE() << "opened a directory";
  } catch (const Error& e) {
    EXPECT_EQ(e.domain(), Error::kFileDomain);
    EXPECT_NE(e.code(), Error::kFileReadCorruptCode);
  }
}

TEST_F(SafeTensorsTest, RefusesBadFraming) {
  expectCorrupt(write(""), "empty file");
  expectCorrupt(write("\x02\0\0\0"), "shorter than the length");
  expectCorrupt(write(lengthPrefixed("{}", 3)), "header length past the end");
  expectCorrupt(write(lengthPrefixed("{}", ~0ull)), "header length of 2^64-1");
  expectCorrupt(write(lengthPrefixed("{}", SafeTensors::kMaxHeaderBytes + 1)),
                "header length over the cap");
  const std::pair<std::string, const char*> headers[] = {
      {"{\"a\": ", "truncated JSON"},
      {"[]", "header is an array"},
      {"\"text\"", "header is a string"},
      {std::string(300, '[') + std::string(300, ']'), "nesting beyond the JSON limit"},
      {R"({"__metadata__": {"n": 3}})", "metadata value not a string"},
      {R"({"__metadata__": []})", "metadata not an object"},
  };
  for (const auto& [header, why] : headers) expectCorrupt(file(header), why);
  EXPECT_NO_THROW(SafeTensors::open(file("{}")));
}

TEST_F(SafeTensorsTest, RefusesBadTensorEntries) {
  struct Case {
    const char* entry;
    const char* why;
    size_t dataBytes = 8;
  };
  const Case cases[] = {
      {"[]", "entry not an object"},
      {R"({"shape": [2], "data_offsets": [0, 8]})", "no dtype"},
      {R"({"dtype": "F32", "data_offsets": [0, 8]})", "no shape"},
      {R"({"dtype": "F32", "shape": [2]})", "no offsets"},
      {R"({"dtype": "Q7", "shape": [2], "data_offsets": [0, 8]})", "unknown dtype"},
      {R"({"dtype": 4, "shape": [2], "data_offsets": [0, 8]})", "dtype not a string"},
      {R"({"dtype": "F32", "shape": [-2], "data_offsets": [0, 8]})", "negative dimension"},
      {R"({"dtype": "F32", "shape": [2.0], "data_offsets": [0, 8]})", "fractional dimension"},
      {R"({"dtype": "F32", "shape": 2, "data_offsets": [0, 8]})", "shape not an array"},
      {R"({"dtype": "F32", "shape": [2], "data_offsets": [0]})", "one offset"},
      {R"({"dtype": "F32", "shape": [2], "data_offsets": [8, 0]})", "end before begin"},
      {R"({"dtype": "F32", "shape": [3], "data_offsets": [0, 8]})", "shape larger than bytes"},
      {R"({"dtype": "F64", "shape": [2], "data_offsets": [0, 8]})", "dtype size mismatch"},
      {R"({"dtype": "F32", "shape": [4294967296, 4294967296, 16], "data_offsets": [0, 8]})",
       "element count overflows"},
      {R"({"dtype": "F32", "shape": [4611686018427387904], "data_offsets": [0, 8]})",
       "byte size overflows"},
      {R"({"dtype": "F32", "shape": [0, 18446744073709551615], "data_offsets": [0, 0]})",
       "dimension beyond int64 behind a zero", 0},
      {R"({"dtype": "F32", "shape": [2], "data_offsets": [0, 18446744073709551615]})",
       "offset at 2^64-1"},
  };
  for (const Case& c : cases) {
    expectCorrupt(file(std::string("{\"t\": ") + c.entry + "}", std::string(c.dataBytes, '\0')),
                  c.why);
  }
}

TEST_F(SafeTensorsTest, TensorsMustTileTheData) {
  const std::string sixteen(16, '\0');
  auto two = [&](const std::string& a, const std::string& b, const std::string& data) {
    return file(R"({"a": {"dtype": "F32", "shape": [2], "data_offsets": )" + a +
                    R"(}, "b": {"dtype": "F32", "shape": [2], "data_offsets": )" + b + "}}",
                data);
  };
  EXPECT_NO_THROW(SafeTensors::open(two("[8, 16]", "[0, 8]", sixteen)));  // any order in the header
  expectCorrupt(two("[0, 8]", "[4, 12]", sixteen), "overlap");
  expectCorrupt(two("[0, 8]", "[0, 8]", sixteen), "two names, same bytes");
  expectCorrupt(two("[0, 8]", "[12, 20]", std::string(20, '\0')), "hole");
  expectCorrupt(two("[0, 8]", "[8, 16]", std::string(12, '\0')), "runs past the end (truncated)");
  expectCorrupt(two("[0, 8]", "[8, 16]", std::string(24, '\0')), "bytes after the last tensor");
}

}  // namespace
}  // namespace qb
