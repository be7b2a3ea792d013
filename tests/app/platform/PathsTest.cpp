#include <pwd.h>
#include <unistd.h>

#include "app/ScopedEnvironment.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

using std::filesystem::path;

TEST(PathsTest, XdgFoldersAreUsedOnlyWhenSetToAnAbsolutePath) {
  struct Case {
    std::optional<std::string> config, data;
    path configHome, dataHome;
  };
  const Case cases[] = {
      {"/x/config", "/x/data", "/x/config", "/x/data"},
      {std::nullopt, std::nullopt, "/home/u/.config", "/home/u/.local/share"},
      {"", "", "/home/u/.config", "/home/u/.local/share"},
      {"relative/config", "./data", "/home/u/.config", "/home/u/.local/share"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.config.value_or("(unset)"));
    test::ScopedEnvironment environment;
    environment.set("HOME", "/home/u");
    environment.set("XDG_CONFIG_HOME", c.config);
    environment.set("XDG_DATA_HOME", c.data);
    EXPECT_EQ(paths::configHome(), c.configHome);
    EXPECT_EQ(paths::dataHome(), c.dataHome);
    EXPECT_EQ(paths::settingsFile(), c.configHome / "Quillbrook" / "settings.json");
    EXPECT_EQ(paths::applicationFolder(), c.dataHome / "Quillbrook");
    EXPECT_EQ(paths::autostartFolder(), c.configHome / "autostart");
  }
}

TEST(PathsTest, WithoutHomeTheAccountsHomeFolderIsUsed) {
  const passwd* account = ::getpwuid(::getuid());
  ASSERT_NE(account, nullptr);
  for (const std::optional<std::string>& home :
       {std::optional<std::string>(), std::optional<std::string>(""),
        std::optional<std::string>("relative")}) {
    test::ScopedEnvironment environment;
    environment.set("HOME", home);
    EXPECT_EQ(paths::home(), path(account->pw_dir));
  }
}

}  // namespace
}  // namespace qb
