// The recording and the sharing of it, as the user switches them: sessions opened and closed,
// uploads in turn, counting, exporting and deleting, and the build's sharing server.

#include "base/Log.h"
#include "base/Url.h"
#include "model/AppModel.h"
#include "platform/UserAccount.h"
#include "recording/Recorder.h"
#include "recording/Sharing.h"
#include "sensing/Prefs.h"
#include "recording/SystemInfo.h"

namespace qb {

std::future<void> AppModel::stopRecording() {
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
