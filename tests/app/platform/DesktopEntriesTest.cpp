#include <unistd.h>

#include <filesystem>

#include "platform/DesktopEntries.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

class DesktopEntriesTest : public ::testing::Test {
protected:
  // Two applications folders, the user's first.
  fs::path user() const { return root_ / "user"; }
  fs::path system() const { return root_ / "system"; }

  void write(const fs::path& folder, const std::string& file, std::string_view contents) {
    fs::create_directories((folder / file).parent_path());
    test::writeFile(folder / file, contents);
  }
  void entry(const fs::path& folder, const std::string& file, std::string_view keys) {
    write(folder, file, "[Desktop Entry]\nType=Application\n" + std::string(keys));
  }

  test::TempDir root_;
  DesktopEntries entries_{{user(), system()}};
};

TEST_F(DesktopEntriesTest, IdsFollowTheFoldersAndTheEarlierFolderWins) {
  entry(system(), "editor.desktop", "Name=System Editor\n");
  entry(user(), "editor.desktop",
        "Name=My Editor\nName[de]=Mein Editor\nIcon[de]=de-editor\nIcon=text-editor\n");
  entry(system(), "kde/konsole.desktop", "Name=Konsole\n");
  entry(system(), "hidden.desktop", "Name=Gone\nHidden=true\n");
  entry(system(), "helper.desktop", "NoDisplay=true\n");
  write(system(), "notes.txt", "[Desktop Entry]\nName=Not an entry\n");
  write(system(), "broken.desktop", "Name=No group\n");

  EXPECT_EQ(entries_.name("editor"), "My Editor");
  EXPECT_EQ(entries_.name("kde-konsole"), "Konsole");
  EXPECT_EQ(entries_.icon("editor"), "text-editor");
  EXPECT_EQ(entries_.icon("kde-konsole"), std::nullopt);
  EXPECT_EQ(entries_.icon("notes"), std::nullopt);
  EXPECT_TRUE(entries_.isInstalled("hidden"));
  EXPECT_TRUE(entries_.isInstalled("helper"));
  EXPECT_EQ(entries_.name("helper"), std::nullopt);
  EXPECT_FALSE(entries_.isInstalled("notes"));
  EXPECT_FALSE(entries_.isInstalled("broken"));
  EXPECT_FALSE(entries_.isInstalled("editor.desktop"));
}

TEST_F(DesktopEntriesTest, ApplicationIDTriesClassThenIdThenProgram) {
  entry(system(), "code.desktop", "Exec=/usr/share/code/code --unity-launch %F\n");
  entry(system(), "vscode.desktop", "StartupWMClass=Code\nExec=code\n");
  entry(system(), "org.gnome.TextEditor.desktop", "Exec=gnome-text-editor %U\n");
  entry(system(), "firefox-esr.desktop", "Exec=env MOZ_X=1 \"/usr/lib/firefox-esr/firefox-esr\"\n");
  entry(system(), "org.kde.dolphin.desktop", "Exec=dolphin\n");
  entry(system(), "aa-term-helper.desktop", "NoDisplay=true\nExec=xterm\n");
  entry(system(), "xterm.desktop", "Exec=xterm -ls\n");
  entry(system(), "zz-tool.desktop", "Exec=xterm\n");

  const struct {
    DesktopEntries::Clues clues;
    std::optional<std::string> id;
  } cases[] = {
      {{"code", "Code", {"code"}}, "vscode"},  // StartupWMClass before an id of the same name
      {{"org.gnome.TextEditor", "org.gnome.TextEditor", {}}, "org.gnome.TextEditor"},
      {{"gnome-text-editor", "Gnome-text-editor", {}}, "org.gnome.TextEditor"},
      {{"Navigator", "firefox-esr", {"firefox-esr"}}, "firefox-esr"},
      {{"dolphin", "dolphin", {}}, "org.kde.dolphin"},
      {{"Navigator", "Firefox-esr", {}}, "firefox-esr"},  // ids match in any case
      {{"bash", "Shell", {"python3", "firefox-esr"}}, "firefox-esr"},
      {{"", "", {"xterm"}}, "xterm"},  // a shown entry before a hidden one, then the smallest id
      {{"term", "UXTerm", {"uxterm"}}, "uxterm"},  // nothing installed: the class in lower case
      {{"", "", {"uxterm"}}, "uxterm"},
      {{"", "", {}}, std::nullopt},
  };
  for (const auto& [clues, id] : cases) {
    SCOPED_TRACE(clues.instance + " " + clues.className);
    EXPECT_EQ(entries_.applicationID(clues), id);
  }
}

TEST_F(DesktopEntriesTest, ANewEntryIsSeenOnceItsFolderChanged) {
  entry(system(), "one.desktop", "Name=One\n");
  EXPECT_FALSE(entries_.isInstalled("two"));

  entry(user(), "sub/two.desktop", "Name=Two\n");  // a folder that did not exist before
  EXPECT_TRUE(entries_.isInstalled("sub-two"));
  entry(system(), "three.desktop", "Name=Three\n");
  EXPECT_EQ(entries_.name("three"), "Three");
  fs::remove(system() / "one.desktop");
  EXPECT_FALSE(entries_.isInstalled("one"));
}

TEST_F(DesktopEntriesTest, HugeAndHostileFilesAreReadOnlyToTheirBound) {
  std::string huge =
      "[Desktop Entry]\nName=Huge\nComment=" + std::string(1 << 20, 'x') + "\nExec=late-program\n";
  write(system(), "huge.desktop", huge);
  write(system(), "binary.desktop", std::string("\0\xff[Desktop Entry\n=\n\\", 20));
  fs::create_directories(system());
  ASSERT_EQ(::mkfifo((system() / "pipe.desktop").c_str(), 0600), 0);

  EXPECT_EQ(entries_.name("huge"), "Huge");
  // Exec lies past the bound: the entry has no program.
  EXPECT_EQ(entries_.applicationID({"", "", {"late-program"}}), "late-program");
  EXPECT_FALSE(entries_.isInstalled("binary"));
  EXPECT_FALSE(entries_.isInstalled("pipe"));
}

TEST(DesktopEntriesEnvironment, FoldersAndProgramsComeFromTheSystem) {
  ::setenv("XDG_DATA_HOME", "/data/home", 1);
  ::setenv("XDG_DATA_DIRS", "/one::relative/path:/two", 1);
  EXPECT_EQ(
      DesktopEntries::applicationFoldersOfEnvironment(),
      (std::vector<fs::path>{"/data/home/applications", "/one/applications", "/two/applications"}));
  ::unsetenv("XDG_DATA_HOME");
  ::unsetenv("XDG_DATA_DIRS");
  ::setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(DesktopEntries::applicationFoldersOfEnvironment(),
            (std::vector<fs::path>{"/home/someone/.local/share/applications",
                                   "/usr/local/share/applications", "/usr/share/applications"}));

  EXPECT_THAT(DesktopEntries::programsOf(::getpid()), ::testing::Contains("quillbrook_app_tests"));
  EXPECT_THAT(DesktopEntries::programsOf(0), ::testing::IsEmpty());
}

}  // namespace
}  // namespace qb
