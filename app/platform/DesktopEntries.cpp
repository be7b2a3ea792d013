#include "platform/DesktopEntries.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <span>

#include "base/Error.h"
#include "base/File.h"
#include "base/Log.h"

namespace qb {

namespace fs = std::filesystem;

namespace {

// The [Desktop Entry] group comes first and is short; a file is read no further than this, so
// that a huge one (or a FIFO named *.desktop) costs no more than a small one.
constexpr uint64_t kMaxEntryBytes = 64 * 1024;
// Files are opened whatever their size: only their first kMaxEntryBytes are read.
constexpr uint64_t kUnlimitedBytes = std::numeric_limits<uint64_t>::max();
// A scan reads no more files than this, however many a hostile folder holds.
constexpr size_t kMaxEntryFiles = 20000;
// argv[0] is read from /proc/<pid>/cmdline up to this many bytes.
constexpr std::streamsize kMaxCommandLineBytes = 4096;

constexpr std::string_view kSuffix = ".desktop";
constexpr std::string_view kDeletedSuffix = " (deleted)";

std::string lowercase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && lowercase(a) == lowercase(b);
}

// Letters and digits only, in lower case: "gnome-text-editor", "GnomeTextEditor" and
// "gnome_text_editor" all read "gnometexteditor".
std::string folded(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c >= 'A' && c <= 'Z') {
      out.push_back(static_cast<char>(c - 'A' + 'a'));
    } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      out.push_back(c);
    }
  }
  return out;
}

// Whether a reverse-DNS id ("org.gnome.TextEditor") names `name` in its last label ("TextEditor")
// or in all its labels after the domain's top level ("gnome" + "TextEditor").
bool reverseDomainNames(std::string_view id, std::string_view name) {
  const size_t firstDot = id.find('.');
  const size_t lastDot = id.rfind('.');
  if (firstDot == std::string_view::npos) return false;
  const std::string wanted = folded(name);
  if (wanted.empty()) return false;
  return folded(id.substr(lastDot + 1)) == wanted || folded(id.substr(firstDot + 1)) == wanted;
}

std::string baseName(std::string_view path) {
  const size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string_view trimmed(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

// The escapes of a string value: \s, \n, \t, \r and \\.
std::string unescaped(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out.push_back(value[i]);
      continue;
    }
    switch (value[++i]) {
      case 's':
        out.push_back(' ');
        break;
      case 'n':
        out.push_back('\n');
        break;
      case 't':
        out.push_back('\t');
        break;
      case 'r':
        out.push_back('\r');
        break;
      default:
        out.push_back(value[i]);
        break;
    }
  }
  return out;
}

// The program's base name in an Exec line: its first word, quotes removed, after an "env" with
// its VAR=value words.
std::string execProgram(std::string_view exec) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (size_t i = 0; i < exec.size() && words.size() < 64; ++i) {
    const char c = exec[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '\\' && i + 1 < exec.size()) {
        word.push_back(exec[++i]);
      } else {
        word.push_back(c);
      }
    } else if (c == '"') {
      quoted = inWord = true;
    } else if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word.push_back(c);
      inWord = true;
    }
  }
  if (inWord) words.push_back(std::move(word));

  size_t first = 0;
  if (first < words.size() && baseName(words[first]) == "env") {
    ++first;
    while (first < words.size() && words[first].find('=') != std::string::npos) ++first;
  }
  return first < words.size() ? baseName(words[first]) : std::string();
}

bool isTrue(std::string_view value) { return value == "true"; }

// The categories the desktop menus register as main ones; an entry names others beside them.
constexpr std::array<std::string_view, 13> kMainCategories = {
    "AudioVideo", "Audio",  "Video",   "Development", "Education", "Game",   "Graphics",
    "Network",    "Office", "Science", "Settings",    "System",    "Utility"};

// Categories is a list of names each ended by ";" (the last one may lack it).
std::optional<std::string> mainCategory(std::string_view categories) {
  std::optional<std::string> first;
  for (size_t start = 0; start < categories.size();) {
    size_t end = categories.find(';', start);
    if (end == std::string_view::npos) end = categories.size();
    const std::string_view name = categories.substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    if (std::find(kMainCategories.begin(), kMainCategories.end(), name) != kMainCategories.end()) {
      return std::string(name);
    }
    if (!first) first = std::string(name);
  }
  return first;
}

}  // namespace

DesktopEntries::DesktopEntries() : DesktopEntries(applicationFoldersOfEnvironment()) {}

DesktopEntries::DesktopEntries(std::vector<fs::path> applicationFolders)
    : folders_(std::move(applicationFolders)) {}

std::vector<fs::path> DesktopEntries::applicationFoldersOfEnvironment() {
  std::vector<fs::path> folders;
  const auto add = [&](std::string_view dataFolder) {
    if (dataFolder.empty() || dataFolder.front() != '/') return;
    fs::path folder = fs::path(dataFolder) / "applications";
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
      folders.push_back(std::move(folder));
    }
  };

  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome != nullptr && *dataHome != '\0') {
    add(dataHome);
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    add((fs::path(home) / ".local/share").string());
  }

  const char* dataDirs = std::getenv("XDG_DATA_DIRS");
  std::string_view dirs =
      dataDirs != nullptr && *dataDirs != '\0' ? dataDirs : "/usr/local/share:/usr/share";
  while (!dirs.empty()) {
    const size_t colon = dirs.find(':');
    add(dirs.substr(0, colon));
    if (colon == std::string_view::npos) break;
    dirs.remove_prefix(colon + 1);
  }
  return folders;
}

std::vector<std::string> DesktopEntries::programsOf(pid_t pid) {
  std::vector<std::string> programs;
  if (pid <= 0) return programs;
  const fs::path process = fs::path("/proc") / std::to_string(pid);

  std::array<char, 4096> target{};
  const ssize_t length = ::readlink((process / "exe").c_str(), target.data(), target.size());
  if (length > 0 && static_cast<size_t>(length) < target.size()) {
    std::string_view path(target.data(), static_cast<size_t>(length));
    // A program replaced on disk while it runs (an upgrade) still names its old file this way.
    if (path.ends_with(kDeletedSuffix)) path.remove_suffix(kDeletedSuffix.size());
    programs.push_back(baseName(path));
  } else {
    log::write(log::Level::debug, "Cannot read the executable of process " + std::to_string(pid));
  }

  std::ifstream commandLine(process / "cmdline", std::ios::binary);
  std::string bytes(static_cast<size_t>(kMaxCommandLineBytes), '\0');
  commandLine.read(bytes.data(), kMaxCommandLineBytes);
  bytes.resize(static_cast<size_t>(commandLine.gcount()));
  const std::string argument0 = baseName(std::string_view(bytes.c_str()));
  if (!argument0.empty() &&
      std::find(programs.begin(), programs.end(), argument0) == programs.end()) {
    programs.push_back(argument0);
  }
  return programs;
}

bool DesktopEntries::isInstalled(std::string_view id) const {
  refreshIfChanged();
  return entries_.find(id) != entries_.end();
}

std::optional<std::string> DesktopEntries::name(std::string_view id) const {
  refreshIfChanged();
  auto found = entries_.find(id);
  if (found == entries_.end()) return std::nullopt;
  return found->second.name;
}

std::optional<std::string> DesktopEntries::category(std::string_view id) const {
  refreshIfChanged();
  auto found = entries_.find(id);
  if (found == entries_.end()) return std::nullopt;
  return found->second.category;
}

std::optional<std::string> DesktopEntries::icon(std::string_view id) const {
  refreshIfChanged();
  auto found = entries_.find(id);
  if (found == entries_.end()) return std::nullopt;
  return found->second.icon;
}

template <typename Matches>
std::optional<std::string> DesktopEntries::firstMatch(Matches matches) const {
  const std::string* hiddenMatch = nullptr;
  for (const auto& [id, entry] : entries_) {
    if (!matches(id, entry)) continue;
    if (entry.shown) return id;
    if (hiddenMatch == nullptr) hiddenMatch = &id;
  }
  if (hiddenMatch != nullptr) return *hiddenMatch;
  return std::nullopt;
}

std::optional<std::string> DesktopEntries::applicationID(const Clues& clues) const {
  refreshIfChanged();
  std::vector<std::string_view> names;
  if (!clues.className.empty()) names.push_back(clues.className);
  if (!clues.instance.empty()) names.push_back(clues.instance);

  for (std::string_view wmClass : names) {
    if (auto id = firstMatch([&](const std::string&, const Entry& entry) {
          return equalsIgnoringCase(entry.startupWMClass, wmClass);
        })) {
      return id;
    }
  }
  for (std::string_view wmClass : names) {
    if (auto id = firstMatch([&](const std::string& entryID, const Entry&) {
          return equalsIgnoringCase(entryID, wmClass);
        })) {
      return id;
    }
  }
  for (std::string_view wmClass : names) {
    if (auto id = firstMatch([&](const std::string& entryID, const Entry&) {
          return reverseDomainNames(entryID, wmClass);
        })) {
      return id;
    }
  }
  for (const std::string& program : clues.programs) {
    if (program.empty()) continue;
    if (auto id = firstMatch(
            [&](const std::string&, const Entry& entry) { return entry.program == program; })) {
      return id;
    }
  }

  if (!clues.className.empty()) return lowercase(clues.className);
  if (!clues.programs.empty() && !clues.programs.front().empty()) return clues.programs.front();
  return std::nullopt;
}

void DesktopEntries::refreshIfChanged() const {
  if (!scanned_ || changedSinceScan()) scan();
}

bool DesktopEntries::changedSinceScan() const {
  for (const FolderState& folder : folderStates_) {
    std::error_code error;
    const auto modified = fs::last_write_time(folder.path, error);
    if (error ? folder.modified.has_value() : folder.modified != modified) return true;
  }
  return false;
}

void DesktopEntries::scan() const {
  entries_.clear();
  folderStates_.clear();
  for (const fs::path& folder : folders_) scanFolder(folder);
  scanned_ = true;
}

void DesktopEntries::scanFolder(const fs::path& folder) const {
  std::error_code error;
  const auto modified = fs::last_write_time(folder, error);
  if (error) {
    // A missing folder is usual; its appearance is a change like any other.
    if (error != std::errc::no_such_file_or_directory) {
      log::error("Cannot read the applications folder " + folder.string() + ": " + error.message());
    }
    folderStates_.push_back({folder, std::nullopt});
    return;
  }
  folderStates_.push_back({folder, modified});

  fs::recursive_directory_iterator walk(folder, fs::directory_options::skip_permission_denied,
                                        error);
  size_t files = 0;
  for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
    const fs::directory_entry& item = *walk;
    std::error_code typeError;
    if (item.is_directory(typeError)) {
      std::error_code timeError;
      const auto folderModified = fs::last_write_time(item.path(), timeError);
      if (!timeError) folderStates_.push_back({item.path(), folderModified});
      continue;
    }
    const std::string file = item.path().filename().string();
    if (!file.ends_with(kSuffix) || !item.is_regular_file(typeError)) continue;
    if (++files > kMaxEntryFiles) {
      log::error("Too many desktop entries under " + folder.string() + ": the rest are skipped");
      return;
    }

    std::string id = item.path().lexically_relative(folder).generic_string();
    id.resize(id.size() - kSuffix.size());
    std::replace(id.begin(), id.end(), '/', '-');
    if (id.empty() || entries_.count(id) != 0) continue;  // an earlier folder's entry wins

    std::string bytes;
    try {
      // Only the start of a file is read, however large it is; what is not a regular file by the
      // time it is opened (a FIFO swapped in) is refused without blocking.
      const auto opened = file::RandomAccessFile::open(item.path(), kUnlimitedBytes);
      bytes.resize(static_cast<size_t>(std::min(kMaxEntryBytes, opened.size())));
      bytes.resize(opened.readAt(0, std::as_writable_bytes(std::span(bytes))));
    } catch (const Error& failure) {
      log::error(std::string("Cannot read the desktop entry: ") + failure.what());
      continue;
    }

    const std::optional<Keys> keys = entryKeys(bytes);
    if (!keys) {
      log::write(log::Level::debug,
                 "Not a desktop entry (no [Desktop Entry] group): " + item.path().string());
      continue;
    }
    Entry entry;
    for (const auto& [key, value] : *keys) {
      if (key == "Name") {
        entry.name = value;
      } else if (key == "Icon") {
        entry.icon = value;
      } else if (key == "Categories") {
        entry.category = mainCategory(value);
      } else if (key == "Exec") {
        entry.program = execProgram(value);
      } else if (key == "StartupWMClass") {
        entry.startupWMClass = value;
      } else if ((key == "Hidden" || key == "NoDisplay") && isTrue(value)) {
        entry.shown = false;
      }
    }
    entries_.emplace(std::move(id), std::move(entry));
  }
  if (error) {
    log::error("Cannot list the applications folder " + folder.string() + ": " + error.message());
  }
}

std::optional<DesktopEntries::Keys> DesktopEntries::entryKeys(std::string_view text) {
  Keys keys;
  bool inGroup = false, sawGroup = false;
  while (!text.empty()) {
    const size_t newline = text.find('\n');
    const std::string_view line = trimmed(text.substr(0, newline));
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      if (inGroup) break;  // the entry's group is over
      inGroup = line == "[Desktop Entry]";
      sawGroup = sawGroup || inGroup;
      continue;
    }
    if (!inGroup) continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    keys.emplace_back(trimmed(line.substr(0, equals)), unescaped(trimmed(line.substr(equals + 1))));
  }
  if (!sawGroup) return std::nullopt;
  return keys;
}

}  // namespace qb
