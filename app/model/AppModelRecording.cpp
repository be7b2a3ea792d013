// The recording and the sharing of it, as the user switches them: sessions opened and closed,
// uploads in turn, counting, exporting and deleting, and the build's sharing server.

#include <filesystem>

#include "analysis/AnalyzerConfig.h"
#include "analysis/GuardedAnalyzer.h"
#include "base/Log.h"
#include "base/Url.h"
#include "model/AppModel.h"
#include "platform/UserAccount.h"
#include "recording/Recorder.h"
#include "recording/SessionRecord.h"
#include "recording/Sharing.h"
#include "recording/SystemInfo.h"
#include "sensing/Observer.h"
#include "sensing/Prefs.h"

namespace qb {

namespace {

// Rounds of batches one upload takes at most; the rest waits for the next turn.
constexpr int kShareRounds = 20;

}  // namespace

Recorder* AppModel::openRecorder() {
  if (recorder_) return recorder_.get();
  try {
    // Posted to the main thread by the recorder, possibly after the model is gone.
    recorder_ =
        std::make_unique<Recorder>(recordingURL(), services_.main, services_.timers,
                                   services_.wallClock, [this, alive = alive_](bool waiting) {
                                     if (*alive) setUnsaved(Unsaved::recording, waiting);
                                   });
  } catch (const std::exception& error) {
    log::error(std::string("The recording cannot be opened: ") + error.what());
  }
  return recorder_.get();
}

void AppModel::startRecording(std::string_view reason) {
  if (!openRecorder()) return;
  const Date now = services_.wallClock.now();
  recorder_->start(SessionRecord{now, SystemInfo::appVersion(), SystemInfo::os(),
                                 SystemInfo::machine(), AnalyzerConfig::production,
                                 policy_.config});
  if (analyzer_) recorder_->modelLoaded(analyzer_->analyzer().embedder->revision());
  recorder_->system(std::string(reason), std::nullopt, std::nullopt, now);
  if (prefs_->sharing() && sharingAvailable_) whenReady(recorder_->startSharing(), [] {});
  // The work context, if there is one, opens the new session as formed.
  recordedContext_.reset();
  updateContext();
}

void AppModel::setRecording(bool on) {
  recordingDeferred_ = false;  // the user has chosen
  if (on == prefs_->recording()) return;
  prefs_->setRecording(on);
  if (on) {
    startRecording("record on");
    // The window in front becomes the session's first moment though it did not change.
    observer_->refresh();
  } else if (recorder_) {
    const Date now = services_.wallClock.now();
    recorder_->system("record off", std::nullopt, std::nullopt, now);
    recorder_->stop(now, inputCounts());
  }
}

void AppModel::setSharing(bool on) {
  if (on == prefs_->sharing()) return;
  prefs_->setSharing(on);
  if (!sharingAvailable_) return;
  if (Recorder* recorder = openRecorder()) {
    whenReady(on ? recorder->startSharing() : recorder->stopSharing(), [] {});
  }
}

void AppModel::share() {
  if (!prefs_->sharing() || !prefs_->recording() || sending_ || !uploader_ || !recorder_) return;
  sending_ = true;
  const auto done = [this](Uploader::SendResult result) {
    if (result.moments >= 1) {
      setShared(shared_ + result.moments);
      prefs_->setSharedMoments(shared_);
    }
    if (result.failed) log::error("Sharing failed; trying again in 15 minutes");
    sending_ = false;
  };
  whenSettled(*uploadWaiter_, uploader_->send(*recorder_, kShareRounds, services_.wallClock.now()),
              done, [this](const std::string& message) {
                log::error("Sharing failed; trying again in 15 minutes: " + message);
                sending_ = false;
              });
}

void AppModel::deleteShared() {
  // Sharing goes off whatever the server says, and also when there is no server to ask.
  setSharing(false);
  forgetShared();
}

void AppModel::forgetShared() {
  if (!uploader_) return;
  whenSettled(
      *uploadWaiter_, uploader_->forget(),
      [this](bool forgotten) {
        if (!forgotten) {
          log::error("Deleting shared data failed");
          return;
        }
        setShared(0);
        prefs_->setSharedMoments(0);
      },
      [](const std::string& message) { log::error("Deleting shared data failed: " + message); });
}

void AppModel::refreshRecording() {
  std::error_code ignored;
  if (!std::filesystem::exists(recordingURL(), ignored) || !openRecorder()) return;
  whenReady(recorder_->counts(), [this](Recorder::Counts counts) {
    setRecorded(Recorded{counts.moments, counts.labelled});
  });
}

void AppModel::exportRecording(const std::filesystem::path& folder, Exported done) {
  if (!openRecorder()) {
    if (done) done("The recording cannot be opened");
    return;
  }
  whenSettled(
      *waiter_, recorder_->exportTo(folder),
      [done] {
        if (done) done(std::nullopt);
      },
      [done](const std::string& message) {
        log::error("Export failed: " + message);
        if (done) done(message);
      });
}

void AppModel::deleteRecording() {
  std::error_code ignored;
  if (!std::filesystem::exists(recordingURL(), ignored) || !openRecorder()) return;
  whenReady(recorder_->deleteAll(), [this] { refreshRecording(); });
}

std::optional<std::string> AppModel::category(const std::string& bundleID) {
  auto known = appCategories_.find(bundleID);
  if (known == appCategories_.end()) {
    known = appCategories_.emplace(bundleID, desktopEntries_.category(bundleID).value_or("")).first;
  }
  if (known->second.empty()) return std::nullopt;
  return known->second;
}

std::future<void> AppModel::stopRecording() {
  // A Back to work still waiting on the browser is recorded with what was seen of it by the quit.
  for (const std::shared_ptr<Returned>& unfinished : std::exchange(returnsUnderWay_, {})) {
    (*unfinished)(Return::nothing);
  }
  if (!prefs_->recording() || !recorder_) {
    std::promise<void> nothing;
    nothing.set_value();
    return nothing.get_future();
  }
  const Date now = services_.wallClock.now();
  recorder_->system("quit", std::nullopt, std::nullopt, now);
  recorder_->stop(now, inputCounts());
  return recorder_->flush();
}

void AppModel::flushEventLog() {
  // Logged by the model's end otherwise, after the last try: lost if the file refused it.
  logBreak();
  if (store_) store_->flush();
}

const std::optional<AppModel::SharingServer>& AppModel::sharingServer() {
  static const std::optional<SharingServer> server = []() -> std::optional<SharingServer> {
    const std::string url = QB_SHARING_URL;
    const std::string key = QB_SHARING_KEY;
    if (url.empty() || key.empty() || !Url::parse(url)) return std::nullopt;
    return SharingServer{url, key};
  }();
  return server;
}

std::optional<std::string> AppModel::hardwareUUID() { return SystemInfo::machineID(); }

std::unique_ptr<Uploader> AppModel::makeUploader() {
  const std::optional<SharingServer>& server = sharingServer();
  if (!server) return nullptr;
  const std::optional<std::string> machine = hardwareUUID();
  if (!machine) return nullptr;
  std::string install;
  try {
    install = Sharing::install(*machine);
  } catch (const std::exception& error) {
    log::error(std::string("Sharing unavailable: ") + error.what());
    return nullptr;
  }
  const std::optional<UserAccount> account = UserAccount::current();
  return std::make_unique<Uploader>(
      server->url, server->key, std::move(install),
      Sharing::names(account ? account->fullName : "", account ? account->name : ""));
}

}  // namespace qb
