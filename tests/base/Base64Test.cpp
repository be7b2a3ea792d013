#include <gtest/gtest.h>

#include "base/Base64.h"

namespace qb {
namespace {

std::vector<uint8_t> bytesOf(std::string_view text) { return {text.begin(), text.end()}; }

TEST(Base64Test, EncodesTheStandardVectorsWithPaddingAndEveryByteSurvives) {
  const std::vector<std::string> coded(
      {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"});
  for (size_t n = 0; n < coded.size(); ++n) {
    const std::string plain = std::string("foobar").substr(0, n);
    EXPECT_EQ(base64::encode(bytesOf(plain)), coded[n]);
    EXPECT_EQ(base64::decode(coded[n]), bytesOf(plain)) << coded[n];
  }
  EXPECT_EQ(base64::encode(std::vector<uint8_t>{0xFB, 0xFF}), "+/8=");  // the two non-alphanumerics
  std::vector<uint8_t> all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<uint8_t>(255 - i));
  for (size_t n = 0; n <= all.size(); n += 37) {
    const std::vector<uint8_t> part(all.begin(), all.begin() + static_cast<ptrdiff_t>(n));
    EXPECT_EQ(base64::decode(base64::encode(part)), part);
  }
}

TEST(Base64Test, RejectsWhatTheEncoderNeverWrites) {
  // Missing padding, padding in the wrong place, whitespace, the URL-safe alphabet, non-ASCII.
  for (std::string_view bad : {"Zg", "Zm8", "Zg=", "Zg==Zg==", "Z===", "====", "Zm=v", "Zm9v\n",
                               "Zm 9", "Zm9v\r\n\r\n", " Zm9v", "Zm9-", "Zm9_", "Zm\xC3\xA9"}) {
    EXPECT_EQ(base64::decode(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(base64::decode(std::string_view("Zm\0v", 4)), std::nullopt);
  // Bits below the last whole byte are ignored, not refused.
  EXPECT_EQ(base64::decode("Zh=="), bytesOf("f"));
  EXPECT_EQ(base64::decodedSizeBound(8), 6u);
}

}  // namespace
}  // namespace qb
