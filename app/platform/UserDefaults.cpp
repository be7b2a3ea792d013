#include "platform/UserDefaults.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <set>
#include <span>
#include <system_error>
#include <utility>

#include "base/Base64.h"
#include "base/Error.h"
#include "base/File.h"
#include "base/FileRefusal.h"
#include "base/Json.h"
#include "base/Log.h"
#include "base/Text.h"

namespace qb {
namespace {

constexpr const char* kDateKey = "date";
constexpr const char* kBytesKey = "bytes";
constexpr const char* kSetAsideSuffix = ".unreadable";
constexpr int kSettingsIndent = 2;

Json encodeDate(Date date) { return Json{{kDateKey, json::encode(date)}}; }

std::optional<Date> decodeDate(const Json& value) {
  if (!value.is_object() || value.size() != 1) return std::nullopt;
  try {
    const Date date = json::require<Date>(value, kDateKey);
    if (!date.isFinite()) return std::nullopt;
    return date;
  } catch (const Error&) {
    return std::nullopt;
  }
}

// JSON text holds only UTF-8: other bytes (a desktop-file id named in Latin-1) are kept as they
// are in their Base64 form, rather than turned into U+FFFD, which would never match them again.
Json encodeText(const std::string& text) {
  if (text::isValidUtf8(text)) return text;
  const std::span bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  return Json{{kBytesKey, base64::encode(bytes)}};
}

std::optional<std::string> decodeText(const Json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (!value.is_object() || value.size() != 1) return std::nullopt;
  const auto bytes = value.find(kBytesKey);
  if (bytes == value.end() || !bytes->is_string()) return std::nullopt;
  const auto decoded = base64::decode(bytes->get_ref<const std::string&>());
  if (!decoded) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(decoded->data()), decoded->size());
}

Json encodeList(const UserDefaults::StringList& list) {
  Json array = Json::array();
  for (const std::string& item : list) array.push_back(encodeText(item));
  return array;
}

std::optional<UserDefaults::StringList> decodeList(const Json& value) {
  if (!value.is_array()) return std::nullopt;
  UserDefaults::StringList list;
  list.reserve(value.size());
  for (const Json& item : value) {
    auto text = decodeText(item);
    if (!text) return std::nullopt;
    list.push_back(std::move(*text));
  }
  return list;
}

std::optional<bool> decodeBool(const Json& value) {
  if (!value.is_boolean()) return std::nullopt;
  return value.get<bool>();
}

std::optional<int64_t> decodeInteger(const Json& value) {
  try {
    return json::decode<int64_t>(value, "setting");
  } catch (const Error&) {
    return std::nullopt;
  }
}

Json encode(const UserDefaults::Value& value) {
  return std::visit(
      [](const auto& item) -> Json {
        using T = std::decay_t<decltype(item)>;
        if constexpr (std::is_same_v<T, Date>) {
          return encodeDate(item);
        } else if constexpr (std::is_same_v<T, UserDefaults::StringList>) {
          return encodeList(item);
        } else {
          return item;
        }
      },
      value);
}

bool isFiniteDate(const UserDefaults::Value& value) {
  const Date* date = std::get_if<Date>(&value);
  return date == nullptr || date->isFinite();
}

}  // namespace

UserDefaults::UserDefaults(std::filesystem::path file)
    : file_(std::move(file)),
      user_(std::make_unique<Json>(Json::object())),
      registered_(std::make_unique<Json>(Json::object())),
      unwritten_(std::make_unique<Json>(Json::object())) {
  if (std::optional<Json> domain = load()) {
    *user_ = std::move(*domain);
  } else {
    unread_ = true;
  }
  announced_ = {unsaved(), unread_};
}

UserDefaults::~UserDefaults() {
  if (unwritten_->empty() && listEdits_.empty()) return;
  std::set<std::string> lost;
  for (const auto& [key, value] : unwritten_->items()) lost.insert(key);
  for (const auto& [key, edits] : listEdits_) lost.insert(key);
  std::string keys;
  for (const std::string& key : lost) keys += (keys.empty() ? "" : ", ") + key;
  const std::string reason = unread_      ? file_.string() + " could not be read"
                             : !writable_ ? "an unreadable file is kept in its place"
                                          : lastFailure_;
  log::error("Settings: changes to " + keys + " were not saved and are lost as the program ends (" +
             reason + ")");
}

std::optional<Json> UserDefaults::load() {
  std::string text;
  try {
    text = file::readText(file_, kMaxFileBytes);
  } catch (const Error& error) {
    if (error.code() == file::kNoSuchFileCode) return Json::object();  // nothing set yet
    if (file::refusedBySystem(error, file_, kMaxFileBytes)) {
      if (lastFailure_ != error.what()) {
        log::error("Settings: " + file_.string() + " can't be read for now (" + error.what() +
                   "); it is kept as it is and read again later, and the defaults answer "
                   "meanwhile");
      }
      lastFailure_ = error.what();
      return std::nullopt;
    }
    setAside(error.what());
    return Json::object();
  }
  try {
    Json parsed = json::parse(text);
    if (parsed.is_object()) return parsed;
    setAside("it holds no JSON object");
  } catch (const Error& error) {
    setAside(error.what());
  }
  return Json::object();
}

bool UserDefaults::retry() {
  if (!unread_) {
    if (!unwritten_->empty()) write();
    return false;
  }
  std::optional<Json> domain = load();
  if (!domain) return false;
  unread_ = false;
  lastFailure_.clear();
  const bool changed = !unwritten_->empty() || !listEdits_.empty();
  log::info("Settings: " + file_.string() + " is read again" +
            (changed ? "; the changes made meanwhile are laid over it" : ""));
  for (const auto& [key, value] : unwritten_->items()) {
    if (value.is_null()) {
      domain->erase(key);
    } else {
      (*domain)[key] = value;
    }
  }
  // Made on the user's own list, which the list shown meanwhile did not hold.
  for (const auto& [key, edits] : listEdits_) {
    StringList list = editedList(*domain, key);
    for (const ListEdit& edit : edits) apply(list, edit);
    (*domain)[key] = (*unwritten_)[key] = encodeList(list);
  }
  listEdits_.clear();
  *user_ = std::move(*domain);
  if (unwritten_->empty()) {
    announce();
  } else {
    write();
  }
  return true;
}

bool UserDefaults::unsaved() const { return unread_ || !unwritten_->empty(); }

void UserDefaults::setChanged(std::function<void()> changed) { changed_ = std::move(changed); }

void UserDefaults::announce() {
  const std::pair<bool, bool> now{unsaved(), unread_};
  if (now == announced_) return;
  announced_ = now;
  if (changed_) changed_();
}

void UserDefaults::setAside(const std::string& reason) {
  log::error("Settings: " + file_.string() + " is unreadable (" + reason + ")");
  for (int attempt = 1; attempt <= kMaxSetAsideNames; ++attempt) {
    std::filesystem::path aside = file_;
    aside += kSetAsideSuffix;
    if (attempt > 1) aside += "-" + std::to_string(attempt);
    std::error_code error;
    // An earlier unreadable file keeps its name: the user may still want what it holds.
    if (std::filesystem::exists(std::filesystem::symlink_status(aside, error))) continue;
    std::filesystem::rename(file_, aside, error);
    if (!error) {
      log::error("Settings: kept the unreadable file as " + aside.string() +
                 " and started from the defaults");
      return;
    }
    log::error("Settings: can't move " + file_.string() + " aside: " + error.message());
    break;
  }
  writable_ = false;
  log::error("Settings: changes will not be saved, so that " + file_.string() +
             " is kept as it is");
}

void UserDefaults::registerDefaults(const std::map<std::string, Value, std::less<>>& values) {
  for (const auto& [key, value] : values) {
    if (!isFiniteDate(value)) {
      log::error("Settings: refused a default date for " + key + " that is not finite");
      continue;
    }
    (*registered_)[key] = encode(value);
  }
}

const Json* UserDefaults::find(const Json& domain, std::string_view key) {
  const auto found = domain.find(key);
  return found != domain.end() ? &*found : nullptr;
}

bool UserDefaults::contains(std::string_view key) const {
  return find(*user_, key) != nullptr || find(*registered_, key) != nullptr;
}

template <typename T>
std::optional<T> UserDefaults::read(std::string_view key, std::optional<T> (*decode)(const Json&),
                                    std::string_view type) const {
  const Json* registered = find(*registered_, key);
  if (const Json* stored = find(*user_, key)) {
    if (auto value = decode(*stored)) return value;
    log::error("Settings: \"" + std::string(key) + "\" holds no " + std::string(type) + "; " +
               (registered != nullptr ? "its default" : "nothing") + " is read in its place");
  }
  if (registered == nullptr) return std::nullopt;
  return decode(*registered);
}

bool UserDefaults::boolValue(std::string_view key) const {
  return read(key, &decodeBool, "switch").value_or(false);
}

int64_t UserDefaults::integerValue(std::string_view key) const {
  return read(key, &decodeInteger, "whole number").value_or(0);
}

std::optional<UserDefaults::StringList> UserDefaults::stringList(std::string_view key) const {
  return read(key, &decodeList, "list of text");
}

std::optional<Date> UserDefaults::date(std::string_view key) const {
  return read(key, &decodeDate, "date");
}

void UserDefaults::setBool(std::string_view key, bool value) { set(key, value); }

void UserDefaults::setInteger(std::string_view key, int64_t value) { set(key, value); }

void UserDefaults::setStringList(std::string_view key, const StringList& value) {
  set(key, encodeList(value));
}

void UserDefaults::setDate(std::string_view key, Date value) {
  if (!value.isFinite()) {
    log::error("Settings: refused a date for " + std::string(key) + " that is not finite");
    return;
  }
  set(key, encodeDate(value));
}

void UserDefaults::remove(std::string_view key) {
  auto found = user_->find(key);
  // Nothing changes: nothing to write (what waits is tried by retry()).
  if (found == user_->end()) return;
  user_->erase(found);
  (*unwritten_)[std::string(key)] = nullptr;
  if (const auto edits = listEdits_.find(key); edits != listEdits_.end()) listEdits_.erase(edits);
  write();
}

void UserDefaults::set(std::string_view key, Json value) {
  if (const auto edits = listEdits_.find(key); edits != listEdits_.end()) listEdits_.erase(edits);
  (*unwritten_)[std::string(key)] = value;
  (*user_)[std::string(key)] = std::move(value);
  write();
}

void UserDefaults::addToList(std::string_view key, const std::string& item) {
  editList(key, ListEdit{true, item});
}

void UserDefaults::removeFromList(std::string_view key, const std::string& item) {
  editList(key, ListEdit{false, item});
}

void UserDefaults::editList(std::string_view key, ListEdit edit) {
  StringList list = editedList(*user_, key);
  const bool held = std::find(list.begin(), list.end(), edit.item) != list.end();
  apply(list, edit);
  if (!unread_) return set(key, encodeList(list));
  // The list shown now is the defaults' (or one set meanwhile), not the user's own: only the edit
  // is theirs. It is made after what unwritten_ holds for the key, as it was made.
  (*user_)[std::string(key)] = encodeList(list);
  const auto kept = listEdits_.try_emplace(std::string(key)).first;
  std::vector<ListEdit>& edits = kept->second;
  if (edit.add) {
    edit.shown = !held;
    edits.push_back(std::move(edit));
  } else if (!undoAdd(edits, edit.item)) {
    // No add of theirs put it on the list shown: the removal is theirs.
    edits.push_back(std::move(edit));
  }
  // An empty list of edits would still write the list once the file reads.
  if (edits.empty()) listEdits_.erase(kept);
  announce();
}

bool UserDefaults::undoAdd(std::vector<ListEdit>& edits, const std::string& item) {
  const auto addOf = [&item](const ListEdit& edit) { return edit.add && edit.item == item; };
  // An add of an item the list showed already changed nothing the user saw.
  if (std::none_of(edits.begin(), edits.end(),
                   [&](const ListEdit& edit) { return addOf(edit) && edit.shown; })) {
    return false;
  }
  std::erase_if(edits, addOf);
  return true;
}

UserDefaults::StringList UserDefaults::editedList(const Json& domain, std::string_view key) const {
  if (const Json* stored = find(domain, key)) {
    if (auto list = decodeList(*stored)) return *list;
  }
  if (const Json* registered = find(*registered_, key)) {
    if (auto list = decodeList(*registered)) return *list;
  }
  return {};
}

void UserDefaults::apply(StringList& list, const ListEdit& edit) {
  if (!edit.add) {
    std::erase(list, edit.item);
  } else if (std::find(list.begin(), list.end(), edit.item) == list.end()) {
    list.push_back(edit.item);
  }
}

void UserDefaults::write() {
  // An unread file holds what the user set before: only what it holds, once read, is written.
  if (!writable_ || unread_) return announce();
  // The lists name the sites and programs the user keeps to themselves; an earlier version made
  // their folder open to all to read.
  const std::error_code folderError =
      file::createPrivateFolder(file_.parent_path(), file::ExistingFolder::tighten);
  if (folderError && folderError.message() != lastFolderFailure_) {
    log::error("Settings: " + file_.parent_path().string() +
               " can't be made the user's alone: " + folderError.message());
  }
  lastFolderFailure_ = folderError ? folderError.message() : std::string();
  try {
    file::writeAtomically(file_, json::dump(*user_, kSettingsIndent) + "\n");
    if (!lastFailure_.empty()) log::info("Settings: saved again");
    lastFailure_.clear();
    *unwritten_ = Json::object();
  } catch (const Error& error) {
    if (lastFailure_ != error.what()) {
      log::error(std::string("Settings: saving failed; the changes are kept and saved once "
                             "they can be: ") +
                 error.what());
    }
    lastFailure_ = error.what();
  }
  announce();
}

}  // namespace qb
