#include <filesystem>
#include <iterator>
#include <memory>

#include "base/Json.h"
#include "platform/UserDefaults.h"
#include "recording/RecorderTestSupport.h"
#include "support/ManualRuntime.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

using ::testing::ElementsAre;
using StringList = UserDefaults::StringList;

class UserDefaultsTest : public ::testing::Test {
protected:
  std::filesystem::path file() const { return dir_ / "Quillbrook" / "settings.json"; }

  // A store on the file, with the program's kind of defaults registered, as at each launch.
  std::unique_ptr<UserDefaults> open() {
    auto defaults = std::make_unique<UserDefaults>(file());
    defaults->registerDefaults({{"minutes", int64_t{5}}, {"apps", StringList{"a", "b"}}});
    return defaults;
  }

  void writeSettings(std::string_view text) {
    std::filesystem::create_directories(file().parent_path());
    test::writeFile(file(), text);
  }

  Json saved() const { return json::parse(test::readFile(file())); }

  // As after a run with sudo left the file to root: the system refuses it until takeBack(). A link
  // that leads to itself is refused even to root.
  void refuse() {
    std::filesystem::create_directories(file().parent_path());
    std::filesystem::create_symlink(file().filename(), file());
  }
  // The user's own file, holding `settings`, readable again.
  void takeBack(std::string_view settings) {
    std::filesystem::remove(file());
    writeSettings(settings);
  }

  test::TempDir dir_;
};

TEST_F(UserDefaultsTest, RegisteredDefaultsAnswerUntilTheUserSetsAndAreNeverSaved) {
  auto defaults = open();
  EXPECT_EQ(defaults->integerValue("minutes"), 5);
  EXPECT_FALSE(defaults->contains("other"));

  defaults->setInteger("minutes", 15);
  EXPECT_EQ(defaults->integerValue("minutes"), 15);
  EXPECT_EQ(saved(), Json::parse(R"({"minutes": 15})"));

  defaults->remove("minutes");
  EXPECT_EQ(defaults->integerValue("minutes"), 5);
  EXPECT_EQ(saved(), Json::object());
}

TEST_F(UserDefaultsTest, TheSettingsAndAFolderAnEarlierVersionLeftOpenAreTheUsersAlone) {
  test::UsualUmask mask;
  std::filesystem::create_directories(file().parent_path());
  std::filesystem::permissions(file().parent_path(), std::filesystem::perms::owner_all |
                                                         std::filesystem::perms::group_read |
                                                         std::filesystem::perms::group_exec |
                                                         std::filesystem::perms::others_read |
                                                         std::filesystem::perms::others_exec);
  open()->setInteger("minutes", 15);
  EXPECT_EQ(test::modeOf(file().parent_path()), "700");
  EXPECT_EQ(test::modeOf(file()), "600");
}

TEST_F(UserDefaultsTest, AnEmptyListReadsBackEmptyAfterARestart) {
  open()->setStringList("apps", {});
  EXPECT_THAT(open()->stringList("apps"), ::testing::Optional(StringList{}));
}

TEST_F(UserDefaultsTest, EveryTypeReadsBackAfterARestart) {
  const Date answered = Date::fromReference(786240000.25);
  {
    auto defaults = open();
    defaults->setBool("flag", true);
    defaults->setInteger("count", -3);
    defaults->setStringList("hosts", {"example.com", ""});
    defaults->setDate("answered", answered);
  }
  auto defaults = open();
  EXPECT_TRUE(defaults->boolValue("flag"));
  EXPECT_EQ(defaults->integerValue("count"), -3);
  EXPECT_THAT(defaults->stringList("hosts"), ::testing::Optional(ElementsAre("example.com", "")));
  EXPECT_EQ(defaults->date("answered"), answered);
}

TEST_F(UserDefaultsTest, ADateAndANumberNeverReadAsEachOther) {
  auto defaults = open();
  defaults->setDate("answered", Date::fromReference(100));
  defaults->setInteger("count", 100);
  EXPECT_EQ(defaults->integerValue("answered"), 0);
  EXPECT_EQ(defaults->date("count"), std::nullopt);
  EXPECT_EQ(saved()["answered"], Json::parse(R"({"date": 100.0})"));
}

TEST_F(UserDefaultsTest, ValuesOfAnotherTypeReadAsTheDefaultOrEmptyAndStayInTheFile) {
  writeSettings(R"({"flag": "yes", "minutes": "9", "apps": ["a", 1], "answered": {"date": "x"},
                    "count": 128.0, "other": 1})");
  auto defaults = open();
  EXPECT_FALSE(defaults->boolValue("flag"));
  EXPECT_EQ(defaults->integerValue("minutes"), 5);
  EXPECT_THAT(defaults->stringList("apps"), ::testing::Optional(ElementsAre("a", "b")));
  EXPECT_EQ(defaults->date("answered"), std::nullopt);
  EXPECT_EQ(defaults->integerValue("count"), 128);

  defaults->setBool("other", true);
  EXPECT_EQ(saved()["apps"], Json::parse(R"(["a", 1])"));
}

TEST_F(UserDefaultsTest, TextThatIsNotUtf8KeepsItsBytesAcrossARestart) {
  const std::string latin1 = "caf\xe9-editor";  // "café-editor" in Latin-1
  open()->setStringList("apps", {latin1, "caf\u00e9"});
  EXPECT_EQ(saved()["apps"], Json::parse(R"([{"bytes": "Y2Fm6S1lZGl0b3I="}, "caf\u00e9"])"));
  EXPECT_THAT(open()->stringList("apps"), ::testing::Optional(ElementsAre(latin1, "caf\u00e9")));

  writeSettings(R"({"apps": [{"bytes": "not Base64"}]})");
  EXPECT_THAT(open()->stringList("apps"), ::testing::Optional(ElementsAre("a", "b")));
}

TEST_F(UserDefaultsTest, AnUnreadableFileIsSetAsideAndTheDefaultsAnswer) {
  for (const std::string_view bad : {"{\"minutes\": 9", "[1, 2]", "", "{\"minutes\": \"\xff\"}"}) {
    SCOPED_TRACE(testing::PrintToString(bad));
    test::TempDir scratch;
    const auto path = scratch / "settings.json";
    test::writeFile(path, bad);
    UserDefaults defaults(path);
    defaults.registerDefaults({{"minutes", int64_t{5}}});
    EXPECT_EQ(defaults.integerValue("minutes"), 5);
    EXPECT_EQ(test::readFile(scratch / "settings.json.unreadable"), bad);
    EXPECT_FALSE(std::filesystem::exists(path));

    defaults.setInteger("minutes", 6);
    EXPECT_EQ(UserDefaults(path).integerValue("minutes"), 6);
  }
  // What the reader refuses for its size, not the system: set aside as well.
  writeSettings(std::string(UserDefaults::kMaxFileBytes + 1, ' '));
  EXPECT_EQ(open()->integerValue("minutes"), 5);
  EXPECT_EQ(std::filesystem::file_size(file().string() + ".unreadable"),
            UserDefaults::kMaxFileBytes + 1);
}

// As after a run with sudo: the file is there, and the user may not read it until they take it
// back. Nothing is written over it meanwhile; once it reads, what was set meanwhile is laid over
// it.
TEST_F(UserDefaultsTest, AFileTheSystemRefusesIsKeptAndReadLaterWithTheChangesLaidOver) {
  const std::string before = R"({"minutes": 9, "flag": true, "apps": ["x"]})";
  writeSettings(before);
  std::filesystem::permissions(dir_.path(), std::filesystem::perms::others_exec,
                               std::filesystem::perm_options::add);
  std::unique_ptr<UserDefaults> defaults;
  int changes = 0;
  {
    test::OrdinaryUser user(file().parent_path());
    std::filesystem::permissions(file(), std::filesystem::perms::none);
    defaults = open();
    defaults->setChanged([&] { ++changes; });
    EXPECT_TRUE(defaults->unread());
    EXPECT_EQ(defaults->integerValue("minutes"), 5) << "the defaults answer meanwhile";
    defaults->setStringList("apps", {"y"});
    defaults->remove("flag");  // what the defaults answered: takes nothing from the file
    EXPECT_FALSE(defaults->retry());
    EXPECT_THAT(defaults->stringList("apps"), ::testing::Optional(ElementsAre("y")));
  }
  EXPECT_EQ(test::readFile(file()), before);
  EXPECT_FALSE(std::filesystem::exists(file().string() + ".unreadable"));

  std::filesystem::permissions(
      file(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  {
    test::OrdinaryUser user(file().parent_path());
    EXPECT_TRUE(defaults->retry());
  }
  EXPECT_EQ(defaults->integerValue("minutes"), 9);
  EXPECT_EQ(saved(), Json::parse(R"({"minutes": 9, "flag": true, "apps": ["y"]})"));
  EXPECT_FALSE(defaults->unsaved());
  EXPECT_EQ(changes, 1) << "unread and unsaved, then neither";
}

// A list the user edits while the file is refused shows the defaults' list, not theirs: what they
// added and removed is made on their own list once it reads, in the order they did it, and what
// it holds already is not added twice. Once written, nothing of it is said lost at the end.
TEST_F(UserDefaultsTest, ListEditsMadeWhileTheFileIsRefusedAreMadeOnTheUsersListOnceItReads) {
  writeSettings(R"({"sites": ["private.example", "shared.example", "bank.example"]})");
  std::filesystem::permissions(dir_.path(), std::filesystem::perms::others_exec,
                               std::filesystem::perm_options::add);
  const test::LogCapture log;
  std::unique_ptr<UserDefaults> defaults;
  {
    test::OrdinaryUser user(file().parent_path());
    std::filesystem::permissions(file(), std::filesystem::perms::none);
    defaults = open();
    defaults->addToList("sites", "twitch.tv");
    defaults->addToList("sites", "private.example");
    defaults->removeFromList("sites", "shared.example");
    defaults->removeFromList("apps", "a");  // no list of the user's: made on the default
    defaults->addToList("apps", "a");       // and put back, last
    EXPECT_THAT(defaults->stringList("sites"),
                ::testing::Optional(ElementsAre("twitch.tv", "private.example")));
    EXPECT_FALSE(defaults->retry());
  }
  std::filesystem::permissions(
      file(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  {
    test::OrdinaryUser user(file().parent_path());
    EXPECT_TRUE(defaults->retry());
  }
  EXPECT_EQ(saved(), Json::parse(R"({"sites": ["private.example", "bank.example", "twitch.tv"],
                                      "apps": ["b", "a"]})"));
  EXPECT_THAT(defaults->stringList("sites"),
              ::testing::Optional(ElementsAre("private.example", "bank.example", "twitch.tv")));
  EXPECT_FALSE(defaults->unsaved());
  EXPECT_THAT(log.lines(), ::testing::Contains("Settings: " + file().string() +
                                               " is read again; the changes made meanwhile are "
                                               "laid over it"));
  defaults.reset();
  EXPECT_THAT(log.lines(), ::testing::Each(::testing::Not(::testing::HasSubstr("lost"))));
}

// What the page shows while the file is refused is the defaults' list: a site added there and
// removed again is an add undone, which leaves the user's own list as it was, whether it held the
// site or not. Taking off what the defaults' list showed counts, put back or not in between.
TEST_F(UserDefaultsTest, AnAddUndoneWhileTheFileIsRefusedLeavesTheUsersListAsItWas) {
  refuse();
  auto defaults = open();
  defaults->addToList("sites", "own.example");
  defaults->addToList("sites", "new.example");
  defaults->addToList("sites", "new.example");
  defaults->removeFromList("sites", "own.example");
  defaults->removeFromList("sites", "new.example");
  defaults->addToList("hosts", "new.example");  // a list the file does not hold
  defaults->removeFromList("hosts", "new.example");
  defaults->addToList("apps", "c");
  defaults->addToList("apps", "a");  // shown already
  defaults->removeFromList("apps", "a");
  defaults->removeFromList("apps", "b");
  defaults->addToList("apps", "b");
  defaults->removeFromList("apps", "b");

  takeBack(R"({"sites": ["own.example", "bank.example"], "apps": ["a", "b", "mine"]})");
  EXPECT_TRUE(defaults->retry());
  EXPECT_EQ(saved(),
            Json::parse(R"({"sites": ["own.example", "bank.example"], "apps": ["mine", "c"]})"));
}

TEST_F(UserDefaultsTest, ListEditsStillWaitingForARefusedFileAreSaidLostAtTheEnd) {
  refuse();
  const test::LogCapture log;
  open()->addToList("sites", "twitch.tv");
  ASSERT_FALSE(log.lines().empty());
  const std::string lost =
      "Settings: changes to sites were not saved and are lost as the program ends (";
  EXPECT_EQ(log.lines().back(), lost + file().string() + " could not be read)");
}

TEST_F(UserDefaultsTest, AnEarlierUnreadableFileKeepsItsName) {
  writeSettings("first");
  open();
  writeSettings("second");
  open();
  EXPECT_EQ(test::readFile(file().string() + ".unreadable"), "first");
  EXPECT_EQ(test::readFile(file().string() + ".unreadable-2"), "second");
}

TEST_F(UserDefaultsTest, AnUnreadableFileThatCannotBeSetAsideIsNeverWrittenOver) {
  // Every name for it taken; or a name so long that the set-aside name is refused, even for root:
  // with ".unreadable" it passes the 255 bytes a file name may have, while a temporary name
  // beside it (seven more bytes) still fits, so that a write would go through.
  std::filesystem::create_directories(file().parent_path());
  for (int attempt = 1; attempt <= UserDefaults::kMaxSetAsideNames; ++attempt) {
    test::writeFile(file().string() + ".unreadable" +
                        (attempt > 1 ? "-" + std::to_string(attempt) : std::string()),
                    "older");
  }
  const std::filesystem::path longName = dir_ / std::string(246, 's');
  for (const std::filesystem::path& path : {file(), longName}) {
    SCOPED_TRACE(path.filename().string().substr(0, 16));
    const std::string bad = "{\"minutes\": 9,";
    test::writeFile(path, bad);
    UserDefaults defaults(path);
    defaults.registerDefaults({{"minutes", int64_t{5}}});
    defaults.setInteger("minutes", 6);
    defaults.remove("apps");
    EXPECT_EQ(defaults.integerValue("minutes"), 6) << "kept for the run";
    EXPECT_EQ(test::readFile(path), bad);
  }
  EXPECT_EQ(test::readFile(file().string() + ".unreadable-100"), "older");
  const std::filesystem::directory_iterator folder(dir_.path());
  EXPECT_EQ(std::distance(begin(folder), end(folder)), 2) << "no file beside the long one";
}

TEST_F(UserDefaultsTest, AFailedWriteKeepsTheValueAndIsTriedAgainOrSaidLostAtTheEnd) {
  // A file where the settings folder should be makes every write fail, even for root.
  test::writeFile(dir_ / "Quillbrook", "in the way");
  const test::LogCapture log;
  {
    auto defaults = open();
    defaults->remove("flag");  // as a start does with a date it has not got: nothing to save
    EXPECT_THAT(log.lines(), ::testing::IsEmpty());
    EXPECT_FALSE(defaults->unsaved());
    defaults->setInteger("minutes", 15);
    defaults->setBool("flag", true);
    defaults->retry();
    EXPECT_EQ(defaults->integerValue("minutes"), 15);
    EXPECT_TRUE(defaults->unsaved());
    EXPECT_EQ(log.lines().size(), 2u) << "the folder and the file, each said once";
  }
  ASSERT_EQ(log.lines().size(), 3u);
  EXPECT_NE(log.lines().back().find("changes to flag, minutes were not saved and are lost"),
            std::string::npos)
      << log.lines().back();

  auto defaults = open();
  defaults->setInteger("minutes", 15);
  std::filesystem::remove(dir_ / "Quillbrook");
  defaults->retry();
  EXPECT_FALSE(defaults->unsaved());
  EXPECT_EQ(saved(), Json::parse(R"({"minutes": 15})"));
  const std::filesystem::directory_iterator folder(file().parent_path());
  EXPECT_EQ(std::distance(begin(folder), end(folder)), 1);  // no temporary file left behind
}

}  // namespace
}  // namespace qb
