// Start-up: the event log, the memories of earlier runs, the observer, the periodic timers, the
// wait for the accessibility permission, and the model loaded in the background, again every
// minute while it cannot be.

#include <cstdio>
#include <cstdlib>

#include "analysis/ActivityHead.h"
#include "analysis/Analyzer.h"
#include "analysis/AnalyzerConfig.h"
#include "analysis/GuardedAnalyzer.h"
#include "analysis/SentenceEmbedder.h"
#include "analysis/SiteKnowledge.h"
#include "base/Error.h"
#include "base/File.h"
#include "base/Log.h"
#include "model/AppModel.h"
#include "platform/Accessibility.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "recording/EventStore.h"
#include "recording/Recorder.h"
#include "sensing/Observer.h"
#include "sensing/Prefs.h"

namespace qb {

namespace {

constexpr const char* kModelDirectoryVariable = "QB_MODEL_DIR";
constexpr const char* kEventLogFile = "events.sqlite";
// What marks a folder as holding a model.
constexpr const char* kManifest = "Embedder/manifest.json";

std::string seconds(Duration elapsed) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", elapsed);
  return text;
}

// What the background half of a load built.
struct Built {
  std::shared_ptr<SentenceEmbedder> embedder;
  SiteKnowledge knowledge;
};

}  // namespace

std::optional<std::filesystem::path> AppModel::modelDirectory() {
  if (const char* chosen = std::getenv(kModelDirectoryVariable))
    return std::filesystem::path(chosen);
  std::vector<std::filesystem::path> candidates;
  try {
    candidates.push_back(paths::dataHome() / "Quillbrook" / "Model");
  } catch (const Error&) {
    // No home folder: only the installed folders remain.
  }
  candidates.push_back(std::filesystem::path(QB_INSTALLED_RESOURCES) / "Model");
  candidates.push_back(std::filesystem::path(QB_SOURCE_RESOURCES) / "Model");
  for (const std::filesystem::path& folder : candidates) {
    std::error_code error;
    if (std::filesystem::is_regular_file(folder / kManifest, error)) return folder;
  }
  return std::nullopt;
}

void AppModel::start() {
  services_.platform.accessibility().setMessagingTimeout(kMessagingTimeout);
  // The file is checked off this thread: the pages show what this run logged until it is in use,
  // then read it whole. A file the system refuses keeps what is logged in memory until it takes it.
  store_ = std::make_unique<EventStore>(
      projectsURL(kEventLogFile), services_.main, services_.timers, [this] { refreshRecap(); },
      [this](bool waiting) { setUnsaved(Unsaved::eventLog, waiting); });
  // Unread settings answer with the defaults, which the user's own may forbid: the history they
  // keep could be longer, the window titles they exclude are unknown.
  if (services_.defaults.unread()) {
    recordingDeferred_ = true;
  } else {
    if (store_) store_->prune(static_cast<int>(prefs_->keepDays()), services_.wallClock.now());
    if (prefs_->recording()) startRecording("launch");
  }
  restoreContext();
  restoreProjects();
  restorePersonal();
  takeKeptSettings();

  // The observer lives inside the model, so its callbacks never outlive it.
  observer_->isExcludedApp = [this](const std::string& id) { return prefs_->isExcludedApp(id); };
  observer_->isExcludedHost = [this](const std::string& host) {
    return prefs_->isExcludedHost(host);
  };
  observer_->onChange = [this](std::optional<Snapshot> snapshot) { handle(std::move(snapshot)); };
  observer_->onAway = [this](bool away, std::string_view event) { setAway(away, event); };
  observer_->start();

  scheduleTick();
  if (uploader_) scheduleShare();
  if (!accessibility_) pollAccessibility();
  refreshAutomation();
  refreshRecap();
  refreshAgents();
  loadModel();
}

void AppModel::scheduleTick() {
  ticker_ = services_.timers.schedule(kTickInterval, [this] {
    scheduleTick();
    tick();
  });
}

void AppModel::scheduleShare() {
  sharer_ = services_.timers.schedule(kShareInterval, [this] {
    scheduleShare();
    share();
  });
}

void AppModel::requestAccessibility() {
  (void)services_.platform.accessibility().requestTrust();
  pollAccessibility();
}

void AppModel::pollAccessibility() {
  if (accessPoll_) services_.timers.cancel(*accessPoll_);
  accessPoll_ = services_.timers.schedule(kAccessPollInterval, [this] {
    accessPoll_.reset();
    if (!services_.platform.accessibility().isProcessTrusted()) {
      pollAccessibility();
      return;
    }
    if (!accessibility_) {
      recordSystem("accessibility on", std::nullopt);
      setAccessibility(true);
    }
    observer_->refresh();
  });
}

void AppModel::loadModel() {
  if (loading_) return;
  loading_ = true;
  const std::optional<std::filesystem::path> folder = modelDirectory();
  if (!folder) {
    modelFailed("No model folder: set " + std::string(kModelDirectoryVariable) +
                " or install the model with scripts/fetch-model");
    return;
  }
  const Duration started = services_.clock.now();
  if (!loader_) loader_ = std::make_unique<SerialExecutor>();
  loader_->post([this, folder = *folder, started, alive = alive_, &main = services_.main] {
    // Built off the main thread: reading the weights and the table takes a while.
    std::optional<Built> built;
    std::string failure;
    try {
      auto embedder = std::make_shared<SentenceEmbedder>(folder / "Embedder");
      try {
        (void)embedder->embed(kWarmUpText);
      } catch (const std::exception&) {
        // A failed warm-up changes nothing: the first analysis pays instead.
      }
      built = Built{embedder, SiteKnowledge::load(folder / "Knowledge" / "sites.tsv")};
    } catch (const std::exception& error) {
      failure = error.what();
    }
    main.post([this, folder, started, alive, built = std::move(built), failure]() mutable {
      if (!*alive) return;
      if (!built) return modelFailed(failure);
      try {
        ActivityHead head = ActivityHead::load(folder / "Knowledge" / "head.json");
        // A head trained for another encoder would answer nonsense: it is a failed load.
        head.check(built->embedder->dimension());
        auto analyzer = std::make_shared<const Analyzer>(
            Analyzer{built->embedder, std::move(built->knowledge), std::move(head), personal_,
                     AnalyzerConfig::production});
        modelLoaded(std::move(analyzer), services_.clock.now() - started);
      } catch (const std::exception& error) {
        modelFailed(error.what());
      }
    });
  });
}

void AppModel::modelLoaded(std::shared_ptr<const Analyzer> analyzer, Duration elapsed) {
  const std::string revision = analyzer->embedder->revision();
  analyzer_ = std::make_unique<GuardedAnalyzer>(std::move(analyzer), kAnalysisTimeout);
  failures_ = 0;
  setModelState(ModelState::ready);
  log::info("Model loaded in " + seconds(elapsed) + " s");
  if (recorder_) {
    recorder_->modelLoaded(revision);
    recordSystem("model load", seconds(elapsed) + " s");
  }
  if (current_) enqueue(*current_);
  loading_ = false;
}

void AppModel::modelFailed(const std::string& description) {
  setModelState(ModelState::failed);
  log::error("Model unavailable: " + description);
  recordSystem("model unavailable", description);
  if (modelRetry_) services_.timers.cancel(*modelRetry_);
  modelRetry_ = services_.timers.schedule(kModelRetryDelay, [this] {
    modelRetry_.reset();
    loadModel();
  });
  loading_ = false;
}

}  // namespace qb
