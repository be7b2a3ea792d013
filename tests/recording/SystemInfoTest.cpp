#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "recording/SystemInfo.h"
#include "support/TestSupport.h"

namespace qb::test {
namespace {

TEST(SystemInfoTest, OperatingSystemFromOsRelease) {
  struct Case {
    const char* name;
    const char* content;
    const char* expected;
  };
  const Case cases[] = {
      {"pretty name in double quotes",
       "NAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\nPRETTY_NAME=\"Debian GNU/Linux 12 "
       "(bookworm)\"\n",
       "Debian GNU/Linux 12 (bookworm)"},
      {"single quotes, blanks", "# comment\n PRETTY_NAME = 'Fedora Linux 40' \n",
       "Fedora Linux 40"},
      {"name and version", "NAME=Arch\nVERSION_ID=rolling\n", "Arch rolling"},
      {"name alone", "NAME=Gentoo\n", "Gentoo"},
      {"empty pretty name", "PRETTY_NAME=\"\"\nNAME=Alpine\n", "Alpine"},
      {"nothing usable", "garbage without equals\n", "Linux"},
      {"ill-formed UTF-8", "PRETTY_NAME=Caf\xFF\n", "Caf\xEF\xBF\xBD"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(dir / "os-release", c.content);
    EXPECT_EQ(SystemInfo::os(dir / "os-release"), c.expected);
  }
  EXPECT_EQ(SystemInfo::os(dir / "missing"), "Linux");
}

TEST(SystemInfoTest, MachineFromTheProductNameElseTheArchitecture) {
  TempDir dir;
  writeFile(dir / "product_name", "  ThinkPad X1 Carbon Gen 11\n");
  EXPECT_EQ(SystemInfo::machine(dir / "product_name"), "ThinkPad X1 Carbon Gen 11");
  writeFile(dir / "blank", " \n");
  const std::string architecture = SystemInfo::machine(dir / "missing");
  EXPECT_FALSE(architecture.empty());
  EXPECT_EQ(SystemInfo::machine(dir / "blank"), architecture);
}

TEST(SystemInfoTest, MachineIDIsThirtyTwoHexDigitsAsWrittenOrNone) {
  TempDir dir;
  const std::string id = "0123456789abcdef0123456789abcdef",
                    upper = "0123456789ABCDEF0123456789abcdef";
  const std::vector<std::pair<std::string, std::optional<std::string>>> files = {
      {id + "\n", id},
      {upper, upper},
      {id + "\n\n", {}},
      {id.substr(1) + "\n", {}},
      {id + "0\n", {}},
      {id.substr(1) + "g\n", {}},
      {"", {}},
      {"\n", {}},
      {"uninitialized\n", {}},
      {std::string(id.size(), '0') + "\n", {}},
      {" " + id + "\n", {}}};
  for (const auto& [contents, expected] : files) {
    SCOPED_TRACE(contents);
    writeFile(dir / "machine-id", contents);
    EXPECT_EQ(SystemInfo::machineID(dir / "machine-id"), expected);
  }
  EXPECT_EQ(SystemInfo::machineID(dir / "missing"), std::nullopt);
}

TEST(SystemInfoTest, AppVersionIsTheBuildsVersion) {
  EXPECT_TRUE(std::regex_match(SystemInfo::appVersion(), std::regex(R"(\d+\.\d+\.\d+)")))
      << SystemInfo::appVersion();
}

}  // namespace
}  // namespace qb::test
