// The built program's command-line modes, run as a user would run them: with no display, in a
// home folder of the test's own.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/ActivityHead.h"
#include "app/ScopedEnvironment.h"
#include "base/Log.h"
#include "model/AppModel.h"
#include "recording/Recorder.h"
#include "shell/Main.h"
#include "support/ManualRuntime.h"
#include "support/TestSupport.h"

extern char** environ;

namespace qb {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class CommandLineTest : public testing::Test {
protected:
  // Runs the program in `cwd` with `arguments`, a home folder of the test's own and no display
  // (nor the tests' offscreen platform), the variables of `extra` added. A plain spawn, not Qt's
  // process launcher: its vfork confuses the thread sanitizer.
  Outcome run(const std::vector<std::string>& arguments, const std::vector<std::string>& extra = {},
              const fs::path& cwd = {}) {
    std::vector<std::string> variables = {"HOME=" + home.path().string(), "LC_ALL=C.UTF-8"};
    for (char** variable = environ; *variable != nullptr; ++variable) {
      const std::string_view entry(*variable);
      const std::string_view name = entry.substr(0, entry.find('='));
      if (name == "HOME" || name == "LC_ALL" || name == "DISPLAY" || name == "WAYLAND_DISPLAY" ||
          name == "QT_QPA_PLATFORM" || name == "QB_MODEL_DIR" || name.starts_with("XDG_"))
        continue;
      variables.emplace_back(entry);
    }
    variables.insert(variables.end(), extra.begin(), extra.end());

    std::vector<std::string> argv = {QB_PROGRAM};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> args, env;
    for (std::string& argument : argv) args.push_back(argument.data());
    for (std::string& variable : variables) env.push_back(variable.data());
    args.push_back(nullptr);
    env.push_back(nullptr);

    const fs::path out = scratch / "stdout", err = scratch / "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    pid_t child = 0;
    const int spawned = posix_spawn(&child, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    Outcome outcome;
    if (spawned != 0) {
      ADD_FAILURE() << "cannot start " << QB_PROGRAM << ": " << std::strerror(spawned);
      return outcome;
    }
    int status = 0;
    waitpid(child, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = test::readFile(out);
    outcome.err = test::readFile(err);
    // A sanitizer's report may end the program with a status the test expects anyway.
    EXPECT_THAT(outcome.err, Not(HasSubstr("Sanitizer"))) << outcome.err;
    EXPECT_THAT(outcome.err, Not(HasSubstr("runtime error"))) << outcome.err;
    return outcome;
  }

  // The recording file as the program sees it in the test's home folder.
  fs::path recordingFile() {
    test::ScopedEnvironment environment;
    environment.set("HOME", home.path().string());
    environment.set("XDG_DATA_HOME", std::nullopt);
    return AppModel::recordingURL();
  }

  // The tiny test encoder with a head that fits it and a one-row site table, at `folder`.
  static void installModel(const fs::path& folder) {
    const fs::path tinyBert = fs::path(QB_TEST_DATA) / "tiny-bert";
    fs::create_directories(folder / "Embedder");
    for (const char* name : {"vocab.txt", "Embedder.safetensors", "config.json"}) {
      fs::copy_file(tinyBert / name, folder / "Embedder" / name);
    }
    test::writeFile(folder / "Embedder" / "manifest.json", R"({"L": 32, "revision": "tiny0001"})");
    fs::create_directories(folder / "Knowledge");
    test::writeFile(folder / "Knowledge" / "sites.tsv", "code.example\twork\t0.9\tcode hosting\n");
    std::string weights = "0";
    for (size_t i = 1; i < kTinyWidth + ActivityHead::kSiteFeatureCount; ++i) weights += ",0.01";
    test::writeFile(folder / "Knowledge" / "head.json",
                    R"({"weights": [)" + weights + R"(], "bias": 0.5})");
  }

  static constexpr size_t kTinyWidth = 32;  // the tiny encoder's embedding length
  test::TempDir home;
  test::TempDir scratch;
};

TEST_F(CommandLineTest, AnExportWithoutARecordingCreatesNothing) {
  const fs::path recording = recordingFile();
  const fs::path target = scratch / "export";
  Outcome outcome = run({"-v", "--export-recording", target.string()});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "No recording at " + recording.string() + "\n");
  EXPECT_FALSE(fs::exists(target));
  EXPECT_TRUE(fs::is_empty(home.path())) << "neither the recording nor its folder is made";

  // A file that is no recording counts as none, and is left as it was.
  fs::create_directories(recording.parent_path());
  test::writeFile(recording, std::string(4096, 'z'));
  outcome = run({"--export-recording", target.string()});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "No recording at " + recording.string() + "\n");
  EXPECT_EQ(test::readFile(recording), std::string(4096, 'z'));
  EXPECT_FALSE(fs::exists(target));
}

TEST_F(CommandLineTest, ARecordingIsExportedIntoAFolderRelativeToTheCurrentOne) {
  {
    test::ManualExecutor main;
    test::ManualTimers timers;
    test::ManualTimersWallClock clock{timers};
    Recorder recorder(recordingFile(), main, timers, clock);
    recorder.start(SessionRecord{.started = Date{1000}});
    recorder.begin(MomentRecord(Moment(1, Date{1000}, "Terminal", "terminal", "make")), {});
    recorder.system("launch", std::nullopt, std::nullopt, Date{1000});
    recorder.flush().get();
  }
  const Outcome outcome = run({"--export-recording", "out/"}, {}, scratch.path());
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  const fs::path folder = scratch / "out";
  EXPECT_EQ(outcome.out, "Exported to " + folder.string() + "\n");
  std::set<std::string> expected = {"SCHEMA.md"}, written;
  for (std::string_view table : Recorder::tables) expected.insert(std::string(table) + ".jsonl");
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    written.insert(entry.path().filename().string());
  }
  EXPECT_EQ(written, expected);
  EXPECT_THAT(test::readFile(folder / "moments.jsonl"), HasSubstr(R"("title":"make")"));
}

TEST_F(CommandLineTest, WithoutADisplayAnythingElseSaysWhatRunsWithoutOne) {
  const std::string line =
      "quillbrook: no display (DISPLAY is unset or names no X server that can be opened); without "
      "one it runs only --measure [all|gpu] and --export-recording <dir>\n";
  // A display no X server holds: neither its socket nor its lock file is there. Looked for far
  // above the numbers that servers take, counting up from :0.
  constexpr int kFirstDisplayLookedAt = 7000;
  constexpr int kDisplaysLookedAt = 100;
  std::string absent;
  for (int number = kFirstDisplayLookedAt;
       absent.empty() && number < kFirstDisplayLookedAt + kDisplaysLookedAt; ++number) {
    const std::string digits = std::to_string(number);
    if (!fs::exists("/tmp/.X11-unix/X" + digits) && !fs::exists("/tmp/.X" + digits + "-lock"))
      absent = ":" + digits;
  }
  ASSERT_FALSE(absent.empty()) << "every display looked at is taken";
  // A Wayland display alone does not do: the desktop is read through X11.
  for (const auto& [arguments, extra] :
       std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>>{
           {{"--help"}, {}},
           {{"--export-recording"}, {}},
           {{}, {"DISPLAY=", "WAYLAND_DISPLAY=wayland-0"}},
           {{}, {"DISPLAY=" + absent}}}) {
    SCOPED_TRACE(arguments.empty() ? extra[0] : arguments[0]);
    const Outcome outcome = run(arguments, extra);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, line);
    EXPECT_EQ(outcome.out, "");
    EXPECT_TRUE(fs::is_empty(home.path())) << "nothing of the application was started";
  }
}

TEST_F(CommandLineTest, TheVerboseFlagAnywhereShowsDebugLines) {
  test::ScopedEnvironment environment;
  environment.set("HOME", home.path().string());
  environment.set("XDG_DATA_HOME", std::nullopt);
  std::vector<std::string> words = {QB_PROGRAM, "--export-recording", (scratch / "out").string(),
                                    "--verbose"};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  std::vector<std::string> logged;
  log::setSink([&](log::Level, std::string_view message) { logged.emplace_back(message); });
  log::write(log::Level::debug, "before");
  EXPECT_EQ(Main::main(static_cast<int>(argv.size()), argv.data()), 1) << "no recording";
  log::write(log::Level::debug, "after");
  log::setSink({});
  log::showDebug(false);
  EXPECT_EQ(logged, std::vector<std::string>{"after"});
}

TEST_F(CommandLineTest, TheBenchmarkReportsOnTheModelInFourLines) {
  const fs::path model = home / "Model";
  installModel(model);
  const Outcome outcome = run({"--measure", "all"}, {"QB_MODEL_DIR=" + model.string()});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  const std::string time = "([0-9]+s)? ?([0-9]+ms)?";
  const std::string megabytes = "[0-9]+ MB";
  EXPECT_THAT(
      outcome.out,
      MatchesRegex("embedder      all-MiniLM-L6-v2@tiny000 \\(compute units: 2\\), load " + time +
                   "\nsite table    1 entries, load " + time +
                   "\nhead pass     p50 [0-9]+\\.[0-9] ms, p95 [0-9]+\\.[0-9] ms "
                   "\\(one embedding and the head\\)\n"
                   "footprint     before load " +
                   megabytes + ", after the embedder " + megabytes + ", after the table " +
                   megabytes + ", after 50 passes " + megabytes + ", peak " + megabytes + "\n"));
}

TEST_F(CommandLineTest, TheBenchmarkWinsOverTheExport) {
  installModel(home / "Model");
  const fs::path target = scratch / "export";
  const Outcome outcome = run({"--measure", "gpu", "--export-recording", target.string()},
                              {"QB_MODEL_DIR=" + (home / "Model").string()});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_THAT(outcome.out, HasSubstr("(compute units: 1)"));
  EXPECT_FALSE(fs::exists(target));
  EXPECT_FALSE(fs::exists(recordingFile()));
}

TEST_F(CommandLineTest, TheBenchmarkNamesThePieceThatDidNotLoad) {
  const fs::path model = home / "Model";
  installModel(model);
  fs::remove(model / "Knowledge" / "head.json");
  Outcome outcome = run({"--measure"}, {"QB_MODEL_DIR=" + model.string()});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "Site table unavailable at " + model.string() + "\n");

  // The variable is taken as it is, model or not.
  fs::remove_all(model / "Embedder");
  outcome = run({"--measure"}, {"QB_MODEL_DIR=" + model.string()});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "Embedder unavailable at " + model.string() + "\n");
}

TEST_F(CommandLineTest, TheBenchmarkNeedsAModel) {
  {
    // The installed folders and the source tree's are looked in too: a model there is found.
    test::ScopedEnvironment environment;
    environment.set("HOME", home.path().string());
    environment.set("XDG_DATA_HOME", std::nullopt);
    environment.set("QB_MODEL_DIR", std::nullopt);
    if (const auto found = AppModel::modelDirectory()) {
      GTEST_SKIP() << "a model is installed at " << found->string();
    }
  }
  const Outcome outcome = run({"--measure"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "No models: this build has none bundled\n");
}

}  // namespace
}  // namespace qb
