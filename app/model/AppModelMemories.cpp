// What the model has learned, kept across runs in six small JSON files of the application's
// folder. No failure here loses what a file holds: a missing or damaged file (logged) leaves its
// memory as it was and is replaced at the next save; a file the system refuses to read is left
// as it is, never written over, and read again at every tick until it reads, when it is restored
// as at start; a failed write leaves the previous file in place, and the file writer keeps the new
// state and tries it again (both logged). While either waits, `unsaved` holds `learned`; while a
// file is unread it holds `unreadLearned` too, since what is learned of that kind meanwhile is then
// replaced. The JSON is made on the main thread, from the state as it is then; the files are
// replaced whole on the file writer's thread, so the main thread never waits for the disk, and a
// crash never leaves half a file.

#include <set>
#include <string_view>
#include <utility>

#include "analysis/PersonalStore.h"
#include "base/Error.h"
#include "base/File.h"
#include "base/FileRefusal.h"
#include "base/Json.h"
#include "base/Log.h"
#include "model/AppModel.h"
#include "platform/Paths.h"
#include "platform/UserDefaults.h"
#include "sensing/Observer.h"
#include "sensing/Prefs.h"

namespace qb {

namespace {

// The largest memory file read back; the real ones are a few hundred kilobytes at most.
constexpr uint64_t kMaxMemoryFileBytes = 64 * 1024 * 1024;

constexpr std::string_view kContextFile = "context.json";
constexpr std::string_view kProjectsFile = "projects.json";
constexpr std::string_view kSitesFile = "sites.json";
constexpr std::string_view kPresenceFile = "presence.json";
constexpr std::string_view kAllowedFile = "allowed.json";
constexpr std::string_view kPersonalFile = "personal.json";
// Written by an older version; nothing reads it, and only deleting all data removes it.
constexpr std::string_view kDiagnosticsFile = "diagnostics.jsonl";

}  // namespace

template <typename Decode>
auto AppModel::restoredMemory(const std::filesystem::path& path, Decode decode)
    -> std::optional<decltype(decode(std::declval<const Json&>()))> {
  std::optional<std::string> text;
  try {
    text = file::readText(path, kMaxMemoryFileBytes);
  } catch (const Error& error) {
    if (file::refusedBySystem(error, path, kMaxMemoryFileBytes)) {
      if (unreadMemories_.insert(path).second) {
        log::error("Learned: " + std::string(error.what()) +
                   "; it is kept as it is and read again later");
        showMemoriesState();
      }
      return std::nullopt;
    }
    if (error.code() != file::kNoSuchFileCode) {
      log::error("Learned: " + std::string(error.what()) + "; it is replaced at the next save");
    }
  }
  if (unreadMemories_.erase(path) == 1) {
    log::info("Learned: " + path.string() + " can be read again");
    showMemoriesState();
  }
  if (!text) return std::nullopt;
  try {
    return decode(json::parse(*text));
  } catch (const Error& error) {
    log::error("Learned: " + path.string() + " is damaged (" + error.what() +
               "); it is replaced at the next save");
    return std::nullopt;
  }
}

bool AppModel::unreadMemory(const std::filesystem::path& path) const {
  return unreadMemories_.contains(path);
}

void AppModel::showMemoriesState() {
  setUnsaved(Unsaved::learned, memoriesUnwritten_ || !unreadMemories_.empty());
  setUnsaved(Unsaved::unreadLearned, !unreadMemories_.empty());
}

std::filesystem::path AppModel::recordingURL() {
  return paths::applicationFolder() / "recording.sqlite";
}

std::filesystem::path AppModel::projectsURL(std::string_view name) const {
  return services_.folder / std::string(name);
}

void AppModel::saveContext() {
  saveProjects();
  if (policy_.context()) {
    Json saved = Json::object();
    saved["saved"] = json::encode(services_.wallClock.now());
    saved["context"] = policy_.context()->toJson();
    saveFile(projectsURL(kContextFile), saved);
  } else if (!unreadMemory(projectsURL(kContextFile))) {
    files_.remove(projectsURL(kContextFile));
  }
}

void AppModel::restoreContext() { restoreMemory(kContextFile); }

void AppModel::restoreMemory(std::string_view name) {
  const std::filesystem::path path = projectsURL(name);
  const auto restore = [&](auto decode) {
    if (auto memory = restoredMemory(path, decode)) policy_.restore(std::move(*memory));
  };
  if (name == kProjectsFile) return restore(ProjectMemory::fromJson);
  if (name == kSitesFile) return restore(WorkSites::fromJson);
  if (name == kPresenceFile) return restore(Presence::fromJson);
  if (name == kAllowedFile) return restore(Allowances::fromJson);
  if (name == kPersonalFile) {
    std::optional<PersonalMemory> memory = restoredMemory(path, PersonalMemory::fromJson);
    if (memory) whenReady(personal_->restore(std::move(*memory)), [this] { refreshAnswers(); });
    return;
  }
  struct SavedContext {
    Date saved;
    WorkContext context;
  };
  const std::optional<SavedContext> saved = restoredMemory(path, [](const Json& json) {
    return SavedContext{json::require<Date>(json, "saved"),
                        WorkContext::fromJson(json::requireObject(json, "context"))};
  });
  // A context formed since the start is newer than the saved one.
  if (!saved || policy_.context()) return;
  const Date now = services_.wallClock.now();
  if (now.since(saved->saved) >= policy_.config.contextExpiry) return;
  policy_.restore(saved->context, now);
  updateContext("restored");
}

void AppModel::saveProjects() {
  saveFile(projectsURL(kProjectsFile), policy_.projects().toJson());
  saveFile(projectsURL(kSitesFile), policy_.sites().toJson());
  saveFile(projectsURL(kPresenceFile), policy_.presence().toJson());
}

void AppModel::restoreProjects() {
  for (std::string_view name : {kProjectsFile, kSitesFile, kPresenceFile, kAllowedFile}) {
    restoreMemory(name);
  }
}

void AppModel::saveAllowances() {
  saveFile(projectsURL(kAllowedFile), policy_.allowances().toJson());
}

void AppModel::savePersonal() {
  whenReady(personal_->memory(), [this](PersonalMemory memory) {
    saveFile(projectsURL(kPersonalFile), memory.toJson());
  });
}

void AppModel::restorePersonal() { restoreMemory(kPersonalFile); }

void AppModel::removeMemoryFiles() {
  // The work context's titles go too: they are what the user worked on. Removed in turn with the
  // writes handed over before, so that none of those brings a file back. A file that could not be
  // read goes as well: the user asked for all of it to go.
  unreadMemories_.clear();
  showMemoriesState();
  for (std::string_view name : {kDiagnosticsFile, kProjectsFile, kSitesFile, kPresenceFile,
                                kPersonalFile, kAllowedFile, kContextFile}) {
    files_.remove(projectsURL(name));
  }
}

void AppModel::saveFile(const std::filesystem::path& path, const Json& json) {
  // What an unread file holds is restored once it reads; until then nothing replaces it.
  if (unreadMemory(path)) return;
  files_.write(path, json::dump(json));
}

void AppModel::retrySaving() {
  if (services_.defaults.retry()) {
    prefs_->reload();
    takeKeptSettings();
    // What is in front was held unread, its exclusion unknown: it is looked at again at once,
    // under the user's own lists.
    observer_->refresh();
    if (std::exchange(recordingDeferred_, false) && prefs_->recording()) {
      startRecording("launch");
    }
  }
  const std::set<std::filesystem::path> unread = unreadMemories_;
  for (const std::filesystem::path& path : unread) restoreMemory(path.filename().string());
  files_.retry();
}

void AppModel::takeKeptSettings() {
  // A count of the defaults' zero, once shared on from, would replace the user's own.
  daily_.answered = prefs_->questionAnswered();
  setShared(prefs_->sharedMoments());
}

void AppModel::flushMemoryFiles() {
  // Nothing is started as the program quits: the settings, once read, are only written.
  (void)services_.defaults.retry();
  files_.retry();
  files_.flush();
}

}  // namespace qb
