// The stateless half of ProjectMemory: finding candidate names in an observation, keying them, and
// the host tables the memory consults.

#include <algorithm>

#include "analysis/Moment.h"
#include "analysis/TitleWords.h"
#include "base/NoDestructor.h"
#include "base/Regex.h"
#include "base/Text.h"
#include "context/ProjectMemory.h"

namespace qb {
namespace {

using StringSet = std::set<std::string, std::less<>>;

// Where a window title is cut into parts: a dash, bar or dot between blanks, a colon before a
// blank, a double colon, or any bracket.
const Regex& titleSeparator() {
  static const NoDestructor<Regex> regex("\\s[" + std::string(TitleWords::kDashes) +
                                         "|\u00b7\u2022]\\s|:\\s|::|[\\[\\]()<>]");
  return *regex;
}

const Regex& courseCode() {
  static const NoDestructor<Regex> regex("\\b[a-z]{2,5}\\d{3}[a-z]?\\b");
  return *regex;
}

const Regex& assistantSegment() {
  static const NoDestructor<Regex> regex("g-p-[0-9a-f]{32}-(.+)");
  return *regex;
}

// Blanks and tabs at either end of a title part; line breaks stay.
const Regex& partPadding() {
  static const NoDestructor<Regex> regex("\\A[\\p{Zs}\\t]+|[\\p{Zs}\\t]+\\z");
  return *regex;
}

// First path segments that are pages of a code-hosting site rather than an owner.
const StringSet& reservedOwners() {
  static const NoDestructor<StringSet> words{"settings", "notifications", "orgs",        "search",
                                             "topics",   "explore",       "marketplace", "sponsors",
                                             "pulls",    "issues",        "login"};
  return *words;
}

// The schemes of the pages that browsers serve themselves (new tab, settings, history) and of
// their extensions' pages. The web's schemes, files and data are pages of the user's.
const StringSet& browserPageSchemes() {
  static const NoDestructor<StringSet> schemes{
      // The Chromium family (Chrome, Edge, Brave, Vivaldi, Opera).
      "chrome", "chrome-untrusted", "chrome-search", "chrome-extension", "devtools", "edge",
      "brave", "vivaldi", "opera",
      // The Firefox family.
      "about", "moz-extension", "resource"};
  return *schemes;
}

// Labels under which a country's registry hands out names ("example.co.uk").
const StringSet& secondLevelLabels() {
  static const NoDestructor<StringSet> labels{"co", "com", "ac", "org", "net", "gov", "edu"};
  return *labels;
}

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isAsciiLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool isLetterOrNumber(std::string_view character) {
  return text::isLetter(character) || text::isNumeric(character);
}

// Lower-cased and composed, so that one name typed in composed or decomposed form compares equal.
std::string folded(std::string_view text) { return text::nfc(text::lowercased(text)); }

// The runs of letters and numbers of the lower-cased text. Titles are mostly ASCII, and every
// ASCII byte is its own character apart from CR LF, which is no letter either; that path skips
// ICU entirely, which matters because the memory splits many titles per observation.
template <typename Sink>
void letterRuns(std::string_view text, Sink&& sink) {
  std::string run;
  if (isAscii(text)) {
    for (char c : text) {
      if (isAsciiLetterOrDigit(c)) {
        run += asciiLower(c);
      } else if (!run.empty()) {
        sink(std::move(run));
        run.clear();
      }
    }
  } else {
    text::forEachCharacter(folded(text), [&](std::string_view character) {
      if (isLetterOrNumber(character)) {
        run += character;
      } else if (!run.empty()) {
        sink(std::move(run));
        run.clear();
      }
    });
  }
  if (!run.empty()) sink(std::move(run));
}

// Every occurrence of "www." removed, scanning left to right once.
std::string withoutWww(std::string_view host) {
  static constexpr std::string_view kWww = "www.";
  std::string out;
  size_t at = 0;
  while (true) {
    size_t found = host.find(kWww, at);
    out.append(
        host.substr(at, found == std::string_view::npos ? std::string_view::npos : found - at));
    if (found == std::string_view::npos) break;
    at = found + kWww.size();
  }
  return out;
}

// The host compared with the fixed host tables: lower-cased, every "www." removed.
std::optional<std::string> bareHost(const std::optional<Url>& url) {
  if (!url || !url->host()) return std::nullopt;
  return withoutWww(text::lowercased(*url->host()));
}

// The decoded path segments, without the leading "/".
std::vector<std::string> pathSegments(const Url& url) {
  std::vector<std::string> segments = url.pathComponents();
  std::erase(segments, "/");
  return segments;
}

// The text without a short file extension ("Report.final.docx" -> "Report.final"). A leading full
// stop (".gitignore"), an extension without a letter ("Build 2.5") or a long one stays.
std::string extensionCut(std::string_view part) {
  const size_t dot = part.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::string(part);
  // Letters and numbers only, at least one letter, and at most kMaxExtensionCharacters of them.
  size_t characters = 0;
  bool letter = false, other = false;
  text::forEachCharacter(part.substr(dot + 1), [&](std::string_view character) {
    ++characters;
    if (text::isLetter(character)) {
      letter = true;
    } else if (!text::isNumeric(character)) {
      other = true;
    }
    return !other && characters <= ProjectMemory::kMaxExtensionCharacters;
  });
  const bool cut = letter && !other && characters <= ProjectMemory::kMaxExtensionCharacters;
  return std::string(cut ? part.substr(0, dot) : part);
}

bool hasExtension(std::string_view part) { return extensionCut(part).size() != part.size(); }

bool hasLetter(std::string_view text) {
  bool letter = false;
  text::forEachCharacter(text, [&](std::string_view character) {
    letter = text::isLetter(character);
    return !letter;
  });
  return letter;
}

std::string slice(std::string_view text, Regex::Range range) {
  return std::string(text.substr(range.begin, range.size()));
}

}  // namespace

const Regex& ProjectMemory::ticketKey() {
  static const NoDestructor<Regex> regex("\\b([A-Z]{2,5}) ?(\\d{2,4}[A-Z]?)\\b");
  return *regex;
}

bool ProjectMemory::isYear(std::string_view number) {
  return text::characterCount(number) == 4 &&
         (number.starts_with("19") || number.starts_with("20"));
}

std::string ProjectMemory::key(std::string_view name) {
  std::string out;
  letterRuns(name, [&](std::string&& run) { out += run; });
  return out;
}

std::vector<std::string> ProjectMemory::words(std::string_view text) {
  std::vector<std::string> out;
  letterRuns(text, [&](std::string&& run) { out.push_back(std::move(run)); });
  return out;
}

bool ProjectMemory::mentionedBy(const std::vector<std::string>& titleWords, std::string_view key) {
  // Joined words can only equal the key while each is the next stretch of it, so instead of
  // joining, each word is compared in place; a word that overshoots or differs ends the start.
  // Byte lengths stand for character lengths here: equal texts have equal lengths either way.
  for (size_t start = 0; start < titleWords.size(); ++start) {
    size_t matched = 0;
    const size_t end = std::min(titleWords.size(), start + kMentionWords);
    for (size_t i = start; i < end; ++i) {
      const std::string& word = titleWords[i];
      if (word.size() > key.size() - matched) break;
      if (key.compare(matched, word.size(), word) != 0) break;
      matched += word.size();
      if (matched == key.size()) return true;
    }
  }
  return false;
}

bool ProjectMemory::mentions(std::string_view title, std::string_view key) {
  return mentionedBy(words(title), key);
}

std::string ProjectMemory::domain(std::string_view host) {
  const std::string lower = text::lowercased(host);
  std::vector<std::string_view> labels;
  std::string_view rest = lower;
  while (!rest.empty()) {
    const size_t dot = rest.find('.');
    std::string_view label = rest.substr(0, dot);
    if (!label.empty()) labels.push_back(label);
    if (dot == std::string_view::npos) break;
    rest.remove_prefix(dot + 1);
  }
  size_t keep = 2;
  if (labels.size() >= 3 && text::characterCount(labels.back()) == 2 &&
      secondLevelLabels().count(labels[labels.size() - 2]) > 0) {
    keep = 3;
  }
  std::string out;
  for (size_t i = labels.size() > keep ? labels.size() - keep : 0; i < labels.size(); ++i) {
    if (!out.empty()) out += '.';
    out += labels[i];
  }
  return out;
}

std::optional<std::string> ProjectMemory::repository(const std::optional<Url>& url) {
  const std::optional<std::string> host = bareHost(url);
  if (!host || codeHosts().count(*host) == 0) return std::nullopt;
  const std::vector<std::string> segments = pathSegments(*url);
  if (segments.size() < 2) return std::nullopt;
  if (reservedOwners().count(text::lowercased(segments[0])) > 0) return std::nullopt;
  return segments[1];
}

std::optional<std::string> ProjectMemory::assistantProject(const std::optional<Url>& url) {
  const std::optional<std::string> host = bareHost(url);
  if (!host || *host != assistantHost()) return std::nullopt;
  for (const std::string& segment : pathSegments(*url)) {
    if (!segment.starts_with("g-p-")) continue;
    // Only the first such segment counts: a later one is some other page's.
    auto match = assistantSegment().wholeMatch(segment);
    if (!match || !match->groups[0]) return std::nullopt;
    return slice(segment, *match->groups[0]);
  }
  return std::nullopt;
}

bool ProjectMemory::isBrowserPage(const std::optional<Url>& url) {
  return url && url->scheme() && browserPageSchemes().count(text::lowercased(*url->scheme())) > 0;
}

std::vector<std::string> ProjectMemory::names(const Moment& in) {
  if (isBrowserPage(in.url)) return {};
  // Regex ranges index the repaired text; the observation's title is repaired already, so this
  // copy is the same text.
  const std::string title = text::repairUtf8(in.title);

  std::set<std::string> appWords;
  for (std::string& word : words(in.appName)) {
    if (text::characterCount(word) >= kMinAppWordCharacters) appWords.insert(std::move(word));
  }
  const std::optional<std::string> host = in.host();
  const std::string hostKey = host ? key(*host) : std::string();

  std::vector<std::string> parts;
  for (const std::string& piece : titleSeparator().split(title)) {
    if (piece.empty()) continue;
    std::string part = partPadding().removeAll(piece);
    if (!part.empty()) parts.push_back(std::move(part));
  }
  // In an editor's title the file name goes and the folder's name stays; a title made only of
  // file names keeps them. An address says the title is a page's, where a dot means something else.
  if (!in.url) {
    const bool plainName = std::any_of(parts.begin(), parts.end(), [](const std::string& part) {
      return !hasExtension(part) && part.find(' ') == std::string::npos;
    });
    if (plainName) std::erase_if(parts, [](const std::string& part) { return hasExtension(part); });
  }

  std::vector<std::string> found;
  for (const Regex::Match& match : ticketKey().allMatches(title)) {
    if (match.groups[1] && isYear(slice(title, *match.groups[1]))) continue;
    found.push_back(slice(title, match.range));
  }

  std::string courseText = text::lowercased(title);
  courseText += ' ';
  if (in.url) courseText += text::lowercased(in.url->path());
  for (const Regex::Match& match : courseCode().allMatches(courseText)) {
    std::string code = slice(courseText, match.range);
    std::transform(code.begin(), code.end(), code.begin(), asciiUpper);
    found.push_back(std::move(code));
  }

  for (const std::string& part : parts) {
    std::string name = extensionCut(part);
    const std::vector<std::string> nameWords = words(name);
    if (nameWords.empty() || nameWords.size() > kMaxNameWords) continue;
    if (text::characterCount(name) > kMaxNameCharacters) continue;
    if (!hasLetter(name)) continue;
    if (name.find_first_of("@/") != std::string::npos) continue;
    const std::string nameKey = key(name);
    if (generic().count(nameKey) > 0) continue;
    if (std::any_of(nameWords.begin(), nameWords.end(),
                    [&](const std::string& word) { return appWords.count(word) > 0; })) {
      continue;
    }
    // The site's own name in its titles is no project; a short key may be part of a host by chance.
    if (hostKey.find(nameKey) != std::string::npos &&
        text::characterCount(nameKey) >= kMinSiteNameCharacters) {
      continue;
    }
    found.push_back(std::move(name));
  }

  if (auto name = repository(in.url)) found.push_back(std::move(*name));

  std::vector<std::string> out;
  std::set<std::string> keys;
  for (std::string& name : found) {
    if (keys.insert(key(name)).second) out.push_back(std::move(name));
  }
  return out;
}

const std::set<std::string, std::less<>>& ProjectMemory::generic() {
  static const NoDestructor<StringSet> keys{
      "home",      "homepage",   "dashboard",       "inbox",       "settings",
      "search",    "feed",       "notifications",   "messages",    "welcome",
      "untracked", "untitled",   "newtab",          "login",       "signin",
      "signup",    "courses",    "account",         "myaccount",   "profile",
      "overview",  "documents",  "files",           "filemanager", "tasks",
      "reviews",   "results",    "privatebrowsing", "readme",      "applications",
      "main",      "master",     "preview",         "editing",     "calendar",
      "content",   "lecture",    "lectures",        "notes",       "draft",
      "claude",    "claudecode", "codex",           "opencode",    "zsh",
      "bash",      "fish",       "terminal"};
  return *keys;
}

const std::set<std::string, std::less<>>& ProjectMemory::browsers() {
  static const NoDestructor<StringSet> ids{
      // As the browsers name themselves on other desktops; kept so that saved sources and
      // shared lists read the same everywhere.
      "com.apple.Safari", "com.google.Chrome", "org.mozilla.firefox", "company.thebrowser.Browser",
      "com.microsoft.edgemac", "com.brave.Browser", "com.operasoftware.Opera",
      "com.vivaldi.Vivaldi", "app.zen-browser.zen",
      // Their desktop-file ids here, from distribution packages and from Flathub.
      "firefox", "firefox-esr", "chromium", "org.chromium.Chromium", "google-chrome",
      "microsoft-edge", "com.microsoft.Edge", "brave-browser", "opera", "com.opera.Opera",
      "vivaldi-stable", "app.zen_browser.zen"};
  return *ids;
}

const std::set<std::string, std::less<>>& ProjectMemory::workspaceHosts() {
  static const NoDestructor<StringSet> hosts{
      // Document editors and file stores.
      "docs.google.com", "drive.google.com", "sharepoint.com", "onedrive.live.com", "office.com",
      "dropbox.com", "box.com", "quip.com", "coda.io", "overleaf.com", "icloud.com",
      // Design and whiteboards.
      "figma.com", "miro.com", "canva.com",
      // Trackers and online databases.
      "notion.so", "airtable.com", "atlassian.net", "trello.com", "asana.com", "linear.app",
      "clickup.com",
      // Notebooks and code sandboxes.
      "colab.research.google.com", "codesandbox.io", "replit.com",
      // Course platforms.
      "instructure.com", "classroom.google.com", "coursera.org", "edx.org", "blackboard.com",
      // Recruiting.
      "greenhouse.io", "lever.co",
      // Customer relationships.
      "force.com", "hubspot.com"};
  return *hosts;
}

const std::set<std::string, std::less<>>& ProjectMemory::codeHosts() {
  static const NoDestructor<StringSet> hosts{"github.com", "gitlab.com", "bitbucket.org",
                                             "codeberg.org"};
  return *hosts;
}

const std::string& ProjectMemory::assistantHost() {
  static const NoDestructor<std::string> host("chatgpt.com");
  return *host;
}

}  // namespace qb
