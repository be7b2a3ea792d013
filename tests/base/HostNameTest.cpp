#include <gtest/gtest.h>

#include "base/HostName.h"

namespace qb {
namespace {

TEST(HostNameTest, NamesAndAddressesPassInLowerCaseAndTheRestIsRefusedWithAReason) {
  EXPECT_EQ(HostName::check("Docs.Example.COM").host, "docs.example.com");
  EXPECT_EQ(HostName::check("example.com.").host, "example.com");
  EXPECT_EQ(HostName::check("bücher.example").host, "xn--bcher-kva.example");
  EXPECT_EQ(HostName::check("192.168.1.20").host, "192.168.1.20");
  EXPECT_EQ(HostName::check("[::1]").host, "[::1]");
  EXPECT_EQ(HostName::check("localhost").host, "localhost");

  using namespace std::string_view_literals;
  for (std::string_view bad : {""sv, "not a site"sv, "-lead.example"sv, "trail-.example"sv,
                               "a..b"sv, "under_score.example"sv, "semi;colon.example"sv,
                               "1.2.3.4\0evil.example"sv, "[::1\0evil]"sv, "example.com\0"sv}) {
    const HostName::Checked checked = HostName::check(bad);
    EXPECT_EQ(checked.host, std::nullopt) << bad;
    EXPECT_FALSE(checked.refusal.empty()) << bad;
  }
  EXPECT_EQ(HostName::check(std::string(63, 'a') + ".example").host,
            std::string(63, 'a') + ".example");
  EXPECT_EQ(HostName::check(std::string(64, 'a') + ".example").host, std::nullopt);
  const std::string label(63, 'a');
  const std::string longest = label + "." + label + "." + label + "." + std::string(61, 'b');
  ASSERT_EQ(longest.size(), HostName::kMaxNameLength);
  EXPECT_EQ(HostName::check(longest).host, longest);
  EXPECT_EQ(HostName::check(longest + "b").host, std::nullopt);
}

}  // namespace
}  // namespace qb
