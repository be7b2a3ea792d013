#include <limits>
#include <memory>

#include "base/Json.h"
#include "platform/LoginItem.h"
#include "platform/UserDefaults.h"
#include "sensing/Prefs.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using StringList = Prefs::StringList;

// The settings file and the login item of one user, opened as a launch opens them.
class PrefsTest : public ::testing::Test {
protected:
  std::filesystem::path file() const { return dir_ / "settings.json"; }

  Prefs& launch() {
    prefs_.reset();
    defaults_ = std::make_unique<UserDefaults>(file());
    prefs_ = std::make_unique<Prefs>(*defaults_, loginItem_);
    return *prefs_;
  }

  void store(std::string_view settings) { test::writeFile(file(), settings); }
  Json saved() const { return json::parse(test::readFile(file())); }

  // Counts the signal's emissions from now on.
  template <typename Signal>
  std::shared_ptr<int> count(Signal signal) {
    auto emitted = std::make_shared<int>(0);
    QObject::connect(prefs_.get(), signal, [emitted] { ++*emitted; });
    return emitted;
  }

  test::TempDir dir_;
  LoginItem loginItem_{dir_ / "autostart", "/usr/bin/quillbrook"};
  std::unique_ptr<UserDefaults> defaults_;
  std::unique_ptr<Prefs> prefs_;
};

TEST_F(PrefsTest, AFreshUserGetsTheDefaults) {
  const Prefs& prefs = launch();
  EXPECT_FALSE(prefs.onboarded());
  EXPECT_EQ(prefs.breakMinutes(), 5);
  EXPECT_EQ(prefs.keepDays(), 7);
  EXPECT_EQ(prefs.excludedApps(), Prefs::defaultExcludedApps());
  EXPECT_THAT(prefs.excludedSites(), IsEmpty());
  EXPECT_THAT(prefs.neverInterrupt(), IsEmpty());
  EXPECT_TRUE(prefs.recording());
  EXPECT_FALSE(prefs.sharing());
  EXPECT_EQ(prefs.sharedMoments(), 0);
  EXPECT_FALSE(prefs.waitForAgents());
  EXPECT_FALSE(prefs.promptOnChat());
  EXPECT_EQ(prefs.questionAnswered(), std::nullopt);
  EXPECT_FALSE(prefs.launchAtLogin());
  // The defaults stay out of the file, so a later change of them reaches this user; and a start
  // that changes nothing writes nothing.
  EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(PrefsTest, DiagnosticsTurnedOnBecomesRecordingAndIsRemoved) {
  store(R"({"diagnostics": true, "recording": false})");
  EXPECT_TRUE(launch().recording());
  EXPECT_EQ(saved(), Json::parse(R"({"recording": true})"));
}

TEST_F(PrefsTest, DiagnosticsTurnedOffIsLeftAsStored) {
  store(R"({"diagnostics": false, "recording": false})");
  EXPECT_FALSE(launch().recording());
  EXPECT_EQ(saved(), Json::parse(R"({"diagnostics": false, "recording": false})"));
}

TEST_F(PrefsTest, SettingsSurviveARestart) {
  Prefs& prefs = launch();
  prefs.setOnboarded(true);
  prefs.setBreakMinutes(30);
  prefs.setExcludedApps({});
  prefs.setSharing(true);
  prefs.setSharedMoments(1200);
  prefs.setQuestionAnswered(Date::fromReference(786240000.5));
  const std::string written = test::readFile(file());

  const Prefs& again = launch();
  EXPECT_TRUE(again.onboarded());
  EXPECT_EQ(again.breakMinutes(), 30);
  EXPECT_THAT(again.excludedApps(), IsEmpty());  // emptied by the user, not back to the default
  EXPECT_TRUE(again.sharing());
  EXPECT_EQ(again.sharedMoments(), 1200);
  EXPECT_EQ(again.questionAnswered(), Date::fromReference(786240000.5));
  EXPECT_EQ(test::readFile(file()), written) << "a start writes nothing";
}

TEST_F(PrefsTest, WronglyTypedValuesKeepTheirDefaultsAndAQuestionDateThatIsNotADateIsRemoved) {
  store(R"({"breakMinutes": "15", "excludedApps": "all", "recording": 0, "sharedMoments": "9",
            "questionAnswered": 786240000})");
  const Prefs& prefs = launch();
  EXPECT_EQ(prefs.breakMinutes(), 5);
  EXPECT_TRUE(prefs.isExcludedApp("org.keepassxc.KeePassXC")) << "a password manager stays unread";
  EXPECT_EQ(prefs.excludedApps(), Prefs::defaultExcludedApps());
  EXPECT_TRUE(prefs.recording());
  EXPECT_EQ(prefs.sharedMoments(), 0);
  EXPECT_EQ(prefs.questionAnswered(), std::nullopt);
  EXPECT_FALSE(saved().contains("questionAnswered"));
  EXPECT_EQ(saved()["excludedApps"], "all");
}

TEST_F(PrefsTest, SettingAnEqualValueWritesTheKeyButSignalsNothing) {
  Prefs& prefs = launch();
  auto breakChanges = count(&Prefs::breakMinutesChanged);
  auto siteChanges = count(&Prefs::excludedSitesChanged);
  auto answerChanges = count(&Prefs::questionAnsweredChanged);

  prefs.setBreakMinutes(5);
  prefs.setExcludedSites({});
  prefs.setQuestionAnswered(std::nullopt);
  EXPECT_EQ(saved(), Json::parse(R"({"breakMinutes": 5, "excludedSites": []})"));
  EXPECT_EQ(*breakChanges + *siteChanges + *answerChanges, 0);

  prefs.setBreakMinutes(15);
  prefs.setBreakMinutes(15);
  prefs.setQuestionAnswered(Date::fromReference(1));
  prefs.setQuestionAnswered(Date::fromReference(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_EQ(*breakChanges, 1);
  EXPECT_EQ(*answerChanges, 2);
  EXPECT_EQ(prefs.questionAnswered(), std::nullopt);
  EXPECT_FALSE(saved().contains("questionAnswered"));
}

TEST_F(PrefsTest, ListsChangedInPlaceAlwaysSignalAndWriteTheWholeList) {
  Prefs& prefs = launch();
  auto changes = count(&Prefs::neverInterruptChanged);
  prefs.appendNeverInterrupt("example.com");
  prefs.appendNeverInterrupt("news.example");
  prefs.appendNeverInterrupt("example.com");
  prefs.removeNeverInterrupt("example.com");
  prefs.removeNeverInterrupt("absent.example");
  EXPECT_EQ(*changes, 5);
  EXPECT_THAT(prefs.neverInterrupt(), ElementsAre("news.example"));
  EXPECT_EQ(saved()["neverInterrupt"], Json::parse(R"(["news.example"])"));

  prefs.removeExcludedApp(prefs.excludedApps().front());  // an entry of the list itself
  EXPECT_EQ(prefs.excludedApps().front(), "com.agilebits.onepassword7");
}

TEST_F(PrefsTest, ThisProgramAndTheHiddenExclusionsAreAlwaysExcluded) {
  Prefs& prefs = launch();
  prefs.setExcludedApps({"org.example.Editor"});
  for (const std::string_view id :
       {"quillbrook", "com.apple.loginwindow", "gcr-prompter",
        "org.kde.polkit-kde-authentication-agent-1", "i3lock", "org.example.Editor"}) {
    EXPECT_TRUE(prefs.isExcludedApp(id)) << id;
  }
  for (const std::string_view id :
       {"Quillbrook", "org.example.editor", "org.keepassxc.KeePassXC", "org.example", ""}) {
    EXPECT_FALSE(prefs.isExcludedApp(id)) << id;
  }
}

TEST_F(PrefsTest, AnExcludedSiteCoversItselfAndItsSubdomainsOnly) {
  Prefs& prefs = launch();
  prefs.setExcludedSites({"Bank.example.", "", "."});
  const std::pair<std::string_view, bool> cases[] = {
      {"bank.example", true},      {"www.bank.example", true}, {"a.b.bank.example", true},
      {"bank.example.", true},     {"BANK.example", true},     {"mybank.example", false},
      {"bank.example.org", false}, {"example", false},         {"", false},
      {".bank.example", true},
  };
  for (const auto& [host, excluded] : cases) {
    EXPECT_EQ(prefs.isExcludedHost(host), excluded) << host;
  }
}

TEST_F(PrefsTest, ShortLengthWritesWholeHoursInHours) {
  const std::pair<qint64, const char*> cases[] = {
      {5, "5m"}, {60, "1h"}, {90, "90m"}, {120, "2h"}, {0, "0h"}, {-120, "-2h"}, {-30, "-30m"},
  };
  for (const auto& [minutes, text] : cases) {
    EXPECT_EQ(Prefs::shortLength(minutes), QString(text)) << minutes;
  }
}

TEST_F(PrefsTest, LaunchAtLoginTurnsTheLoginItemOnAndOff) {
  Prefs& prefs = launch();
  auto changes = count(&Prefs::launchAtLoginChanged);
  prefs.setLaunchAtLogin(true);
  prefs.setLaunchAtLogin(true);
  EXPECT_TRUE(prefs.launchAtLogin());
  EXPECT_TRUE(std::filesystem::exists(loginItem_.file()));
  prefs.setLaunchAtLogin(false);
  EXPECT_FALSE(prefs.launchAtLogin());
  EXPECT_EQ(*changes, 2);
  EXPECT_FALSE(std::filesystem::exists(file())) << "the login item is not a stored setting";
}

}  // namespace
}  // namespace qb
