// What the model has learned, kept across runs in six small JSON files of the application's
// folder. No failure here reaches the user: a missing or broken file leaves its memory as it was,
// and a failed write leaves the previous file in place (and is logged). The JSON is made on the
// main thread, from the state as it is then; the files are replaced whole on the file writer's
// thread, so the main thread never waits for the disk, and a crash never leaves half a file.

#include <string_view>

#include "analysis/PersonalStore.h"
#include "base/Error.h"
#include "base/File.h"
#include "base/Json.h"
#include "base/Log.h"
#include "model/AppModel.h"
#include "platform/Paths.h"

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

// The JSON of a memory file, or none when it is missing or does not parse.
std::optional<Json> read(const std::filesystem::path& path) {
  try {
    return json::parse(file::readText(path, kMaxMemoryFileBytes));
  } catch (const Error&) {
    return std::nullopt;
  }
}

// Decodes a memory file with `decode`; none for a file that is missing or does not decode.
template <typename Decode>
auto restored(const std::filesystem::path& path, Decode decode)
    -> std::optional<decltype(decode(std::declval<const Json&>()))> {
  const std::optional<Json> json = read(path);
  if (!json) return std::nullopt;
  try {
    return decode(*json);
  } catch (const Error&) {
    return std::nullopt;
  }
}

}  // namespace

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
  } else {
    files_.remove(projectsURL(kContextFile));
  }
}

void AppModel::restoreContext() {
  struct SavedContext {
    Date saved;
    WorkContext context;
  };
  const std::optional<SavedContext> saved =
      restored(projectsURL(kContextFile), [](const Json& json) {
        return SavedContext{json::require<Date>(json, "saved"),
                            WorkContext::fromJson(json::requireObject(json, "context"))};
      });
  if (!saved) return;
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
  if (auto projects = restored(projectsURL(kProjectsFile), ProjectMemory::fromJson)) {
    policy_.restore(std::move(*projects));
  }
  if (auto sites = restored(projectsURL(kSitesFile), WorkSites::fromJson)) {
    policy_.restore(std::move(*sites));
  }
  if (auto presence = restored(projectsURL(kPresenceFile), Presence::fromJson)) {
    policy_.restore(std::move(*presence));
  }
  if (auto allowances = restored(projectsURL(kAllowedFile), Allowances::fromJson)) {
    policy_.restore(std::move(*allowances));
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

void AppModel::restorePersonal() {
  std::optional<PersonalMemory> memory =
      restored(projectsURL(kPersonalFile), PersonalMemory::fromJson);
  if (!memory) return;
  whenReady(personal_->restore(std::move(*memory)), [this] { refreshAnswers(); });
}

void AppModel::removeMemoryFiles() {
  // The work context's titles go too: they are what the user worked on. Removed in turn with the
  // writes handed over before, so that none of those brings a file back.
  for (std::string_view name : {kDiagnosticsFile, kProjectsFile, kSitesFile, kPresenceFile,
                                kPersonalFile, kAllowedFile, kContextFile}) {
    files_.remove(projectsURL(name));
  }
}

void AppModel::saveFile(const std::filesystem::path& path, const Json& json) {
  files_.write(path, json::dump(json));
}

void AppModel::flushMemoryFiles() { files_.flush(); }

}  // namespace qb
