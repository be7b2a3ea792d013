#include "app/ScopedEnvironment.h"
#include "platform/LoginItem.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

class LoginItemTest : public ::testing::Test {
protected:
  std::filesystem::path autostart() const { return dir_ / "autostart"; }

  test::TempDir dir_;
};

TEST_F(LoginItemTest, EnablingWritesAnEntryAndDisablingRemovesIt) {
  LoginItem item(autostart(), "/opt/Quillbrook/bin/quillbrook");
  EXPECT_EQ(item.file(), autostart() / "quillbrook.desktop");
  EXPECT_FALSE(item.isEnabled());

  item.setEnabled(true);
  EXPECT_TRUE(item.isEnabled());
  EXPECT_EQ(test::readFile(item.file()),
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=Quillbrook\n"
            "Exec=\"/opt/Quillbrook/bin/quillbrook\"\n"
            "Terminal=false\n");

  item.setEnabled(false);
  EXPECT_FALSE(item.isEnabled());
  EXPECT_FALSE(std::filesystem::exists(item.file()));
  item.setEnabled(false);  // nothing to remove is no error
  EXPECT_FALSE(item.isEnabled());
}

TEST_F(LoginItemTest, ExecQuotesAndEscapesEveryCharacterThatIsSpecialThere) {
  // Quoting escapes " ` $ \ with a backslash, % doubles, and the string escapes then double every
  // backslash again: a literal backslash takes four.
  EXPECT_EQ(LoginItem::desktopEntry("/a b/\"q\" `c` $HOME \\x 100%/run"),
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=Quillbrook\n"
            "Exec=\"/a b/\\\\\"q\\\\\" \\\\`c\\\\` \\\\$HOME \\\\\\\\x 100%%/run\"\n"
            "Terminal=false\n");
  EXPECT_THAT(LoginItem::desktopEntry("/line\nbreak\ttab"),
              ::testing::HasSubstr("Exec=\"/line\\nbreak\\ttab\"\n"));
}

TEST_F(LoginItemTest, AnEntryTurnedOffWithHiddenIsNotEnabled) {
  std::filesystem::create_directories(autostart());
  LoginItem item(autostart(), "/usr/bin/quillbrook");
  const std::pair<std::string_view, bool> cases[] = {
      {"[Desktop Entry]\nExec=x\nHidden=true\n", false},
      {"[Desktop Entry]\nHidden = true\n", false},
      {"[Desktop Entry]\nHidden=false\n", true},
      {"[Desktop Entry]\n#Hidden=true\nX-Hidden=true\n", true},
      {"[Desktop Entry]\nExec=x\n[Desktop Action off]\nHidden=true\n", true},
  };
  for (const auto& [entry, enabled] : cases) {
    SCOPED_TRACE(entry);
    test::writeFile(item.file(), entry);
    EXPECT_EQ(item.isEnabled(), enabled);
  }
}

TEST_F(LoginItemTest, APathThatAnEntryCannotNameIsNotWritten) {
  for (const char* executable : {"quillbrook", "/usr/bin/quill\xff"}) {
    LoginItem item(autostart(), executable);
    item.setEnabled(true);
    EXPECT_FALSE(std::filesystem::exists(item.file())) << executable;
  }
}

TEST_F(LoginItemTest, TheDefaultEntryLivesInTheAutostartFolderAndStartsThisProgram) {
  test::ScopedEnvironment environment;
  environment.set("XDG_CONFIG_HOME", dir_.path().string());
  LoginItem item;
  item.setEnabled(true);
  EXPECT_TRUE(item.isEnabled());
  const std::string entry = test::readFile(autostart() / "quillbrook.desktop");
  EXPECT_THAT(entry,
              ::testing::HasSubstr("Exec=\"" +
                                   std::filesystem::canonical("/proc/self/exe").string() + "\"\n"));
}

}  // namespace
}  // namespace qb
