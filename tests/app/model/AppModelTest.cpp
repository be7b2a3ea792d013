#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "analysis/ActivityHead.h"
#include "app/ScopedEnvironment.h"
#include "app/model/ModelHarness.h"
#include "base/File.h"
#include "base/Json.h"
#include "model/AppModel.h"
#include "platform/LoginItem.h"
#include "platform/UserDefaults.h"
#include "platform/fake/FakePlatform.h"
#include "recording/EventStore.h"
#include "recording/RecorderTestSupport.h"
#include "sensing/Prefs.h"
#include "support/CivilTime.h"
#include "support/ManualRuntime.h"
#include "support/TestSupport.h"

namespace qb {

namespace fs = std::filesystem;

// A model on the fake platform, a manual clock and a folder of its own, with a model folder that a
// test fills or leaves empty.
class AppModelTest : public testing::Test, protected test::ModelHarness {
protected:
  void SetUp() override { environment.set("QB_MODEL_DIR", (home / "Model").string()); }

  AppModel& make() {
    model = std::make_unique<AppModel>(services(folder()));
    QObject::connect(model.get(), &AppModel::changed,
                     [this](AppModel::Property property) { changes.push_back(property); });
    return *model;
  }
  fs::path folder() const { return home / "Quillbrook"; }

  // The tiny test encoder as an installed model, with a head of `headWeights` weights.
  void installModel(size_t headWeights) {
    const fs::path tinyBert = fs::path(QB_TEST_DATA) / "tiny-bert";
    const fs::path embedder = home / "Model" / "Embedder";
    fs::create_directories(embedder);
    for (const char* name : {"vocab.txt", "Embedder.safetensors", "config.json"}) {
      fs::copy_file(tinyBert / name, embedder / name, fs::copy_options::overwrite_existing);
    }
    test::writeFile(embedder / "manifest.json", R"({"L": 32})");
    const fs::path knowledge = home / "Model" / "Knowledge";
    fs::create_directories(knowledge);
    test::writeFile(knowledge / "sites.tsv", "code.example\twork\t0.9\tcode hosting\n");
    Json head = Json::object();
    head["weights"] = std::vector<double>(headWeights, 0.01);
    head["bias"] = 0.5;
    test::writeFile(knowledge / "head.json", json::dump(head));
  }
  // Runs what the model's background work hands back until a load in flight has ended.
  void finishLoad() {
    while (model->loading_) {
      ASSERT_TRUE(main.awaitTask()) << "the load never came back";
      main.runAll();
    }
  }
  // Runs what the event log's check hands back until its file is in use; the pages read it again
  // then.
  void awaitEventLog() {
    while (!model->store_->inUse()) {
      ASSERT_TRUE(main.awaitTask()) << "the event log's check never came back";
      main.runAll();
    }
  }
  std::vector<EventStore::Event> events() const { return model->store_->events(Date::fromUnix(0)); }
  // Writes a memory file as another run would have left it, after the model's own pending writes.
  void write(std::string_view name, const std::string& text) {
    flushFiles();
    fs::create_directories(folder());
    test::writeFile(folder() / std::string(name), text);
  }
  bool pollRuns() const { return model->accessPoll_.has_value(); }
  // Returns once the model's memory files are on disk.
  void flushFiles() {
    if (model) model->files_.flush();
  }
  bool shareScheduled() const { return model->sharer_.has_value(); }
  void setRecorded(AppModel::Recorded value) { model->setRecorded(value); }
  void setLearned(double value) { model->setLearned(value); }
  void setAccessibility(bool value) { model->setAccessibility(value); }
  void setStatusFields(bool paused, std::optional<Date> breakUntil, bool idleAway,
                       bool protecting) {
    model->paused_ = paused;
    model->breakUntil_ = breakUntil;
    model->idleAway_ = idleAway;
    model->protecting_ = protecting;
  }
  void setModelState(AppModel::ModelState state) { model->setModelState(state); }
  Policy& policy() { return model->policy_; }
  // What the tick tries again: the settings and the memory files that wait.
  void retrySaving() { model->retrySaving(); }
  bool recorderOpen() const { return model->recorder_ != nullptr; }

  std::unique_ptr<AppModel> model;
  std::vector<AppModel::Property> changes;
};

namespace {

using Kind = AppModel::Status::Kind;

TEST_F(AppModelTest, AFailedLoadIsTriedAgainEveryMinuteUntilTheModelLoads) {
  EXPECT_EQ(AppModel::modelDirectory(), home / "Model") << "the variable wins, files or not";
  make().start();
  finishLoad();
  EXPECT_EQ(model->modelState(), AppModel::ModelState::failed);
  EXPECT_EQ(model->status().kind, Kind::modelUnavailable);

  // A head trained for another encoder is a failed load too, never a head that answers 0.
  installModel(ActivityHead::kMinWeightCount);
  timers.advance(AppModel::kModelRetryDelay);
  finishLoad();
  EXPECT_EQ(model->modelState(), AppModel::ModelState::failed);

  installModel(32 + ActivityHead::kSiteFeatureCount);  // the tiny encoder's width
  timers.advance(AppModel::kModelRetryDelay - 1);
  main.runAll();
  EXPECT_EQ(model->modelState(), AppModel::ModelState::failed) << "not before the minute";
  timers.advance(1);
  finishLoad();
  EXPECT_EQ(model->modelState(), AppModel::ModelState::ready);
  EXPECT_EQ(model->status().kind, Kind::learning);
  EXPECT_EQ(std::count(changes.begin(), changes.end(), AppModel::Property::modelState), 2)
      << "failed once, ready once: an unchanged state is not announced";
}

TEST_F(AppModelTest, TheAccessPollStopsOnceTrusted) {
  platform.accessibilityFake.trusted = false;
  platform.accessibilityFake.trustOnRequest = false;
  make();
  EXPECT_EQ(model->status().kind, Kind::needsAccess);
  model->start();
  EXPECT_TRUE(pollRuns()) << "started without the permission";
  EXPECT_FALSE(shareScheduled()) << "no uploader, no share";
  model->requestAccessibility();
  model->requestAccessibility();
  const size_t pending = timers.pending();
  timers.advance(3 * AppModel::kAccessPollInterval);
  EXPECT_EQ(timers.pending(), pending) << "one poll, rescheduled, however often it was asked";
  EXPECT_TRUE(pollRuns());

  platform.accessibilityFake.trusted = true;
  timers.advance(AppModel::kAccessPollInterval);
  EXPECT_TRUE(model->accessibility());
  EXPECT_FALSE(pollRuns());
  timers.advance(10 * AppModel::kAccessPollInterval);
  EXPECT_EQ(std::count(changes.begin(), changes.end(), AppModel::Property::accessibility), 1);
}

TEST_F(AppModelTest, ASavedContextIsRestoredWhileFresh) {
  const auto saveContextAged = [&](Duration age) {
    WorkContext context;
    context.add("Quarterly report draft");
    Json saved = Json::object();
    saved["saved"] = json::encode(wallClock.now() - age);
    saved["context"] = context.toJson();
    write("context.json", json::dump(saved));
  };
  saveContextAged(1799);
  make().restoreContext();
  EXPECT_TRUE(model->protecting());
  EXPECT_TRUE(policy().context().has_value());

  saveContextAged(1800);
  make().restoreContext();
  EXPECT_FALSE(policy().context().has_value()) << "as old as the expiry: too old";

  write("context.json", R"({"context": {}})");
  make().restoreContext();
  EXPECT_FALSE(policy().context().has_value()) << "no \"saved\" key";
}

TEST_F(AppModelTest, ABrokenFileLeavesTheOtherMemoriesRestored) {
  make();
  Allowances allowances;
  allowances.allow("video.example", wallClock.now());
  policy().restore(allowances);
  WorkContext context;
  context.add("Budget review");
  policy().restore(context, wallClock.now());
  model->saveContext();
  model->saveAllowances();
  flushFiles();
  for (const char* name :
       {"projects.json", "sites.json", "presence.json", "allowed.json", "context.json"}) {
    EXPECT_TRUE(fs::exists(folder() / name)) << name;
  }
  const Policy saved = policy();
  write("sites.json", "{ not json");

  make().restoreProjects();
  EXPECT_EQ(policy().allowances(), saved.allowances());
  EXPECT_EQ(policy().projects(), saved.projects());
  EXPECT_EQ(policy().presence(), saved.presence());
  EXPECT_EQ(policy().sites(), WorkSites()) << "the broken file leaves its memory empty";

  policy().forgetContext();
  model->saveContext();
  flushFiles();
  EXPECT_FALSE(fs::exists(folder() / "context.json")) << "no context, no file";
}

// As after a run with sudo left a learned file to another user: it is neither read as missing nor
// written over, and once the user takes it back it is restored as at start. A write refused is
// kept and tried again.
TEST_F(AppModelTest, ALearnedFileTheSystemRefusesIsKeptAndTriedAgain) {
  make();
  Allowances allowances;
  allowances.allow("video.example", wallClock.now());
  policy().restore(allowances);
  model->saveAllowances();
  flushFiles();
  const std::string before = test::readFile(folder() / "allowed.json");
  const auto unsavedLearned = [&] {
    main.runAll();  // the file writer tells through the main thread
    return model->unsaved().contains(AppModel::Unsaved::learned);
  };
  // Only an unread file's return replaces what is learned meanwhile; the windows say which.
  const auto unread = [&] { return model->unsaved().contains(AppModel::Unsaved::unreadLearned); };
  // A write refused (a folder in the way, even for root) is kept and tried again.
  fs::create_directory(folder() / "sites.json");
  model->saveProjects();
  flushFiles();
  EXPECT_TRUE(unsavedLearned());
  EXPECT_FALSE(unread());
  fs::remove(folder() / "sites.json");
  retrySaving();
  flushFiles();
  EXPECT_FALSE(unsavedLearned());
  EXPECT_TRUE(fs::is_regular_file(folder() / "sites.json"));

  fs::permissions(home.path(), fs::perms::others_exec, fs::perm_options::add);
  {
    test::OrdinaryUser user(folder());
    fs::permissions(folder() / "allowed.json", fs::perms::none);
    make().restoreProjects();
    EXPECT_TRUE(unsavedLearned());
    EXPECT_TRUE(unread());
    EXPECT_FALSE(policy().allowances().isAllowed("video.example", wallClock.now()));
    Allowances meanwhile;
    meanwhile.allow("news.example", wallClock.now());
    policy().restore(meanwhile);
    model->saveAllowances();
    retrySaving();
    flushFiles();
  }
  EXPECT_EQ(test::readFile(folder() / "allowed.json"), before);

  fs::permissions(folder() / "allowed.json", fs::perms::owner_read | fs::perms::owner_write);
  {
    test::OrdinaryUser user(folder());
    retrySaving();
  }
  EXPECT_FALSE(unsavedLearned());
  EXPECT_FALSE(unread());
  EXPECT_TRUE(policy().allowances().isAllowed("video.example", wallClock.now()));
  EXPECT_FALSE(policy().allowances().isAllowed("news.example", wallClock.now()))
      << "the file's content, as at start, replaces what was allowed meanwhile";
}

// Unread settings answer with the defaults, on which nothing runs that the user's own settings
// may forbid (the recording, a prune of the history the user keeps longer than the default's);
// once they read, the program takes them.
TEST_F(AppModelTest, UnreadSettingsHoldTheRecordingUntilTheyRead) {
  environment.set("XDG_DATA_HOME", (home / "data").string());
  const fs::path file = home / "Settings" / "settings.json";
  fs::create_directories(file.parent_path());
  test::writeFile(file,
                  R"({"keepDays": 30, "sharedMoments": 12, "excludedApps": ["org.example.Bank"]})");
  fs::permissions(file, fs::perms::none);
  fs::permissions(home.path(), fs::perms::others_exec, fs::perm_options::add);
  std::optional<UserDefaults> settings;
  {
    test::OrdinaryUser user(file.parent_path());
    settings.emplace(file);
  }
  {
    EventStore earlier(folder() / "events.sqlite");
    const Date now = wallClock.now();
    earlier.log(EventStore::Kind::work, 60, "within 30 days",
                now - 20 * EventStore::kSecondsPerDay);
    earlier.log(EventStore::Kind::work, 60, "before", now - 40 * EventStore::kSecondsPerDay);
  }
  const auto labels = [this] {
    std::vector<std::optional<std::string>> found;
    for (const EventStore::Event& event : events()) found.push_back(event.label);
    return found;
  };
  model = std::make_unique<AppModel>(
      AppModel::Services{platform, *settings, loginItem, main, timers, clock, wallClock, folder()});
  model->start();
  using Unsaved = AppModel::Unsaved;
  EXPECT_EQ(model->unsaved(), (std::set<Unsaved>{Unsaved::settings, Unsaved::unreadSettings}));
  EXPECT_EQ(model->prefs().keepDays(), Prefs::kDefaultKeepDays);
  EXPECT_FALSE(recorderOpen()) << "excluded apps unknown: nothing recorded";
  awaitEventLog();
  {
    // The tick's own try to read them is refused too: it runs as the file's user.
    test::OrdinaryUser user(file.parent_path());
    timers.advance(AppModel::kTickInterval);
  }
  ASSERT_TRUE(model->unsaved().contains(Unsaved::unreadSettings));
  EXPECT_EQ(labels(), (std::vector<std::optional<std::string>>{"before", "within 30 days"}))
      << "pruned by neither the start nor a tick";

  // Taken back by the user; the tick reads it (as root, who could have read it all along).
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
  timers.advance(AppModel::kTickInterval);
  EXPECT_TRUE(model->unsaved().empty());
  EXPECT_EQ(model->prefs().keepDays(), 30);
  EXPECT_EQ(model->shared(), 12) << "the count the model keeps is taken again";
  EXPECT_TRUE(model->prefs().isExcludedApp("org.example.Bank"));
  EXPECT_TRUE(recorderOpen());
  EXPECT_EQ(labels(), (std::vector<std::optional<std::string>>{"within 30 days"}));
  model.reset();  // before the settings it reads
}

TEST_F(AppModelTest, ChangesAreAnnouncedOnlyWhenTheyChangeSomething) {
  make();
  setAccessibility(true);
  setLearned(12);
  setLearned(12);
  setLearned(NAN);
  setLearned(NAN);
  setRecorded({3, 1});
  setRecorded({3, 1});
  using P = AppModel::Property;
  EXPECT_EQ(changes,
            (std::vector<P>{P::learned, P::learned, P::learned, P::recorded, P::recorded}));

  // The status's precedence: each row adds one reason to the ones below it.
  const Date until = wallClock.now() + 300;
  setStatusFields(false, std::nullopt, false, true);
  EXPECT_EQ(model->status().kind, Kind::protecting);
  setStatusFields(false, std::nullopt, true, true);
  EXPECT_EQ(model->status().kind, Kind::away);
  setStatusFields(false, until, true, true);
  EXPECT_EQ(model->status(), (AppModel::Status{Kind::onBreak, until}));
  setStatusFields(true, until, true, true);
  EXPECT_EQ(model->status().kind, Kind::paused);
  setModelState(AppModel::ModelState::failed);
  EXPECT_EQ(model->status().kind, Kind::modelUnavailable);
  setAccessibility(false);
  EXPECT_EQ(model->status().kind, Kind::needsAccess);
}

// In Santiago the clocks skip midnight on Sunday 6 September 2026, so that day starts at 01:00;
// the week's first day, Monday 31 August, still counts from its own midnight. Run in a process of
// its own, which takes the zone from TZ: the program keeps the zone it first found.
TEST_F(AppModelTest, TheWeeksFirstDayCountsFromItsOwnMidnight) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        environment.set("TZ", "America/Santiago");
        timers.advance(civil::utc(2026, 9, 6, 15).since(wallClock.now()));
        const Date monday = civil::utc(2026, 8, 31, 4);  // 00:00 at UTC-4
        fs::create_directories(folder());
        EventStore(folder() / "events.sqlite")
            .log(EventStore::Kind::work, 600, "Report", monday + 1800);
        make().start();
        awaitEventLog();
        const std::vector<History::Day>& week = model->week();
        const bool counted =
            week.size() == 7 && week.front().start == monday && week.front().focus == 600;
        if (!week.empty()) {
          std::cerr << "first day from " << week.front().start.unixTime() << " with "
                    << week.front().focus << " s of focus\n";
        }
        std::exit(counted ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

// scripts/fetch-model on the tiny encoder: it refuses a bad set and installs nothing, and installs
// a folder the model then loads from.
TEST_F(AppModelTest, FetchModelInstallsAFolderTheModelLoads) {
  const fs::path tinyBert = fs::path(QB_TEST_DATA) / "tiny-bert";
  const fs::path dest = home / "Installed";
  const auto fetch = [&](const std::string& observations) {
    test::writeFile(home / "observations.tsv", observations);
    return test::runProgram(
        {"bash", std::string(QB_SOURCE_DIR) + "/scripts/fetch-model", "--weights",
         (tinyBert / "Embedder.safetensors").string(), "--config",
         (tinyBert / "config.json").string(), "--vocab", (tinyBert / "vocab.txt").string(),
         "--observations", (home / "observations.tsv").string(), "--dest", dest.string()},
        {"QB_TRAIN_HEAD=" + std::string(QB_TRAIN_HEAD)});
  };
  std::string observations = "label\tkind\tapp\ttitle\turl\n";
  for (int i = 0; i < 200; ++i) {
    observations += i % 2 == 0
                        ? "work\twork\tEditor\tinvoice draft " + std::to_string(i) + "\t\n"
                        : "other\tentertainment\tEditor\tgarden " + std::to_string(i) + "\t\n";
  }
  const auto [refused, why] = fetch(observations + "maybe\twork\tEditor\tx\t\n");
  EXPECT_NE(refused, 0);
  EXPECT_NE(why.find("line 202"), std::string::npos) << why;
  EXPECT_FALSE(fs::exists(dest)) << "nothing installed";

  const auto [installed, output] = fetch(observations);
  ASSERT_EQ(installed, 0) << output;
  for (const char* file :
       {"Embedder/vocab.txt", "Embedder/Embedder.safetensors", "Embedder/config.json",
        "Embedder/manifest.json", "Knowledge/sites.tsv", "Knowledge/head.json"}) {
    EXPECT_TRUE(fs::is_regular_file(dest / file)) << file;
  }
  environment.set("QB_MODEL_DIR", dest.string());
  make().start();
  finishLoad();
  EXPECT_EQ(model->modelState(), AppModel::ModelState::ready);
}

}  // namespace
}  // namespace qb
