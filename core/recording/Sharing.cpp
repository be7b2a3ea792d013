#include "recording/Sharing.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <initializer_list>
#include <variant>

#include "analysis/Moment.h"
#include "analysis/Redaction.h"
#include "base/Error.h"
#include "base/Json.h"
#include "base/Log.h"
#include "base/NoDestructor.h"
#include "base/Regex.h"
#include "base/Text.h"
#include "base/Url.h"

namespace qb::Sharing {
namespace {

// Shared times are seconds to a tenth: finer would start to tell one user's rhythm from another's.
constexpr double kTenthsPerSecond = 10;
// A session's start is shared to the hour only.
constexpr int64_t kStartResolutionSeconds = 3600;
// Phone-like numbers: how many digits make one. Fewer is a date or a version; more, a card or an
// account number's group run, which the long-number rule handles when unbroken.
constexpr size_t kPhoneDigitsMin = 9;
constexpr size_t kPhoneDigitsMax = 15;
// Name tokens shorter than this would blank out common words.
constexpr size_t kNameCharactersMin = 3;
// A path segment this long, or longer than kIdentifierWithDigits with a digit, looks like an id.
constexpr size_t kIdentifierCharacters = 19;
constexpr size_t kIdentifierWithDigits = 5;

struct Patterns {
  Regex email{"[A-Za-z0-9._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,}"};
  Regex web{"\\b(?:https?://|www\\.)\\S+"};
  // An "@" right after a word character or another "@" is part of something else (an address).
  Regex handle{"(?<![\\w@])@[A-Za-z0-9_.]{2,}"};
  Regex phone{"\\+?\\(?\\d[\\d ().-]{7,}\\d"};
  Regex longNumber{"\\d{5,}"};
};

const Patterns& patterns() {
  static const NoDestructor<Patterns> compiled;
  return *compiled;
}

// The 31 observation keys of a moment, in their documented order.
constexpr std::array<const char*, 31> kObservationKeys = {"app",          "bundle_id",
                                                          "app_category", "host",
                                                          "segment",      "url_depth",
                                                          "url_keys",     "url_id",
                                                          "title",        "messaging",
                                                          "browser",      "read_via",
                                                          "cause",        "idle",
                                                          "full_screen",  "keys",
                                                          "clicks",       "scrolls",
                                                          "moves",        "ticks",
                                                          "media",        "window_share",
                                                          "page_shape",   "focused_role",
                                                          "agent",        "agent_repository",
                                                          "p_work",       "p_general",
                                                          "lean",         "revision",
                                                          "similarity"};

const SqlValue* find(const Row& row, std::string_view column) {
  auto found = row.find(column);
  return found == row.end() ? nullptr : &found->second;
}

template <typename T>
const T* get(const Row& row, std::string_view column) {
  const SqlValue* value = find(row, column);
  return value ? std::get_if<T>(&value->storage()) : nullptr;
}

const std::string* textOf(const Row& row, std::string_view column) {
  return get<std::string>(row, column);
}

double tenths(double seconds) {
  // std::round takes halves away from zero: -0.25 s is -0.3.
  return std::round(seconds * kTenthsPerSecond) / kTenthsPerSecond;
}

// Seconds after the row's session started, to a tenth.
Json relative(const Row& row, std::string_view column) {
  const double* at = get<double>(row, column);
  if (!at) return nullptr;
  const double* origin = get<double>(row, "session_started");
  return tenths(*at - (origin ? *origin : 0));
}

Json scrubbed(const Row& row, std::string_view column, const std::vector<std::string>& names) {
  const std::string* text = textOf(row, column);
  if (!text) return nullptr;
  return scrub(*text, names);
}

void pick(Json& out, const Row& row, std::initializer_list<const char*> columns) {
  for (const char* column : columns) out[column] = value(row, column);
}

// Unix seconds floored to the hour, as an internet date-time in UTC; null beyond the calendar.
Json hourStamp(double unixSeconds) {
  const double floored =
      std::floor(unixSeconds / kStartResolutionSeconds) * kStartResolutionSeconds;
  if (!std::isfinite(floored)) return nullptr;
  std::tm utc{};
  const auto seconds = static_cast<std::time_t>(floored);
  if (static_cast<double>(seconds) != floored || gmtime_r(&seconds, &utc) == nullptr) {
    return nullptr;
  }
  char stamp[40];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d:%02d:%02dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
  return stamp;
}

size_t numericCharacters(std::string_view text) {
  size_t count = 0;
  text::forEachCharacter(text, [&](std::string_view character) {
    if (text::isNumeric(character)) ++count;
  });
  return count;
}

bool looksLikeIdentifier(std::string_view segment) {
  const size_t characters = text::characterCount(segment);
  return characters > kIdentifierCharacters ||
         (characters > kIdentifierWithDigits && numericCharacters(segment) > 0);
}

// The token as a pattern that matches only itself: every ASCII punctuation mark escaped (a
// backslash before a letter or digit would make it a class).
std::string escaped(std::string_view token) {
  std::string out;
  for (char c : token) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80 && std::ispunct(byte)) out += '\\';
    out += c;
  }
  return out;
}

std::optional<Json> sharedRow(std::string_view table, const Row& row,
                              const std::vector<std::string>& names, const Calendar& calendar) {
  Json out = Json::object();
  out["session"] = *textOf(row, "session_uid");
  out["seq"] = *get<int64_t>(row, "seq");
  if (table == "moments") {
    const double* started = get<double>(row, "started");
    if (!started) return std::nullopt;
    out["moment"] = value(row, "id");
    out["start"] = relative(row, "started");
    const double* ended = get<double>(row, "ended");
    out["duration"] = ended ? Json(tenths(*ended - *started)) : Json(nullptr);
    const Date start = Date::fromUnix(*started);
    const std::optional<int> hour = calendar.hour(start);
    const std::optional<int> weekday = calendar.weekday(start);
    out["hour"] = hour ? Json(*hour) : Json(nullptr);
    out["weekday"] = weekday ? Json(*weekday) : Json(nullptr);
    const int64_t* excludedColumn = get<int64_t>(row, "excluded");
    const bool excluded = excludedColumn != nullptr && *excludedColumn != 0;
    out["excluded"] = excluded;
    if (excluded) {
      for (const char* key : kObservationKeys) out[key] = nullptr;
    } else {
      out.update(moment(row, names));
    }
  } else if (table == "decisions") {
    pick(out, row, {"moment", "mode", "learned", "drift", "activity", "score", "decision"});
    out["at"] = relative(row, "at");
    out["cooldowns"] = parsed(row, "cooldowns");
    out["in_front"] = flag(row, "in_front");
  } else if (table == "switches") {
    pick(out, row,
         {"moment", "similarity", "activity", "score", "site_weight", "reading", "verdict"});
    out["at"] = relative(row, "at");
    out["site"] = scrubbed(row, "site", names);
  } else if (table == "contexts") {
    out["at"] = relative(row, "at");
    out["event"] = value(row, "event");
    const Json titles = parsed(row, "titles");
    out["titles"] = titles.is_array() ? Json(titles.size()) : Json(nullptr);
  } else if (table == "prompts") {
    pick(out, row, {"id", "moment", "driver", "outcome"});
    out["shown"] = relative(row, "shown_at");
    out["drift_start"] = relative(row, "drift_start");
    out["outcome_at"] = relative(row, "outcome_at");
    out["followed_by"] = parsed(row, "followed_by");
  } else if (table == "labels") {
    // What an agent labelled is its own guess, not the user's word.
    const std::string* source = textOf(row, "source");
    if (source && *source == "agent") return std::nullopt;
    pick(out, row, {"moment", "label", "source", "prompt", "answer"});
    out["started"] = relative(row, "started");
    out["ended"] = relative(row, "ended");
    out["labelled"] = relative(row, "labelled_at");
  } else if (table == "system") {
    const std::string* event = textOf(row, "event");
    out["moment"] = value(row, "moment");
    out["at"] = relative(row, "at");
    out["event"] = event ? *event : "";
    const bool detailed = event && std::find(systemDetails.begin(), systemDetails.end(), *event) !=
                                       systemDetails.end();
    out["detail"] = detailed ? value(row, "detail") : Json(nullptr);
  } else {
    return std::nullopt;
  }
  return out;
}

}  // namespace

std::optional<Json> row(std::string_view table, const Row& row, std::string_view install,
                        const std::vector<std::string>& names, const Calendar& calendar) {
  std::optional<Json> shared = fields(table, row, names, calendar);
  if (shared) (*shared)["install"] = std::string(install);
  return shared;
}

std::optional<Json> fields(std::string_view table, const Row& row,
                           const std::vector<std::string>& names, const Calendar& calendar) {
  if (table == "sessions") return session(row);
  if (row.empty()) return std::nullopt;
  if (table == "retractions") {
    if (!textOf(row, "answer")) return std::nullopt;
    return Json{{"answer", *textOf(row, "answer")}, {"session", value(row, "session_uid")}};
  }
  // A row whose session is gone, or never had a uid, cannot be told apart from another's.
  if (!textOf(row, "session_uid") || !get<int64_t>(row, "seq")) return std::nullopt;
  return sharedRow(table, row, names, calendar);
}

std::optional<Json> session(const Row& row) {
  const std::string* uid = textOf(row, "uid");
  const double* started = get<double>(row, "started");
  if (!uid || !started) return std::nullopt;
  return Json{{"session", *uid},
              {"started", hourStamp(*started)},
              {"app_version", value(row, "app_version")},
              {"observation", value(row, "observation")},
              {"analyzer", parsed(row, "analyzer")},
              {"policy", parsed(row, "policy")},
              {"os", value(row, "os")},
              {"mac", value(row, "mac")}};
}

Json moment(const Row& row, const std::vector<std::string>& names) {
  Json out = Json::object();
  const std::string* urlText = textOf(row, "url");
  const std::optional<Url> url = urlText ? Url::parse(*urlText) : std::nullopt;
  std::vector<std::string> segments;
  if (url) {
    for (std::string& component : url->pathComponents()) {
      if (component != "/") segments.push_back(std::move(component));
    }
  }

  const std::string* app = textOf(row, "app");
  const std::string* bundle = textOf(row, "bundle_id");
  // Only the application and the address say whether a page is a conversation.
  const bool messaging =
      Redaction::isMessaging(Moment(0, Date{}, app ? *app : "", bundle ? *bundle : "", "", url));
  out["messaging"] = messaging;
  const std::string* title = textOf(row, "title");
  out["title"] = !messaging && title ? Json(scrub(*title, names)) : Json(nullptr);
  out["segment"] = segments.empty() ? Json(nullptr) : Json(scrub(segments.front(), names));
  if (url) {
    out["url_depth"] = segments.size();
    std::vector<std::string> keys;
    for (const UrlQueryItem& item : url->queryItems()) keys.push_back(percentDecode(item.name));
    std::sort(keys.begin(), keys.end());
    out["url_keys"] = keys;
    out["url_id"] = std::any_of(segments.begin(), segments.end(),
                                [](const std::string& s) { return looksLikeIdentifier(s); });
  } else {
    out["url_depth"] = nullptr;
    out["url_keys"] = nullptr;
    out["url_id"] = nullptr;
  }
  for (const char* column : {"full_screen", "media", "agent_repository"}) {
    out[column] = flag(row, column);
  }
  for (const char* column : {"ticks", "window_share", "page_shape"}) {
    out[column] = parsed(row, column);
  }
  const Json head = parsed(row, "head");
  out["p_work"] = head.is_object() ? head.value("work", Json(nullptr)) : Json(nullptr);
  out["p_general"] = head.is_object() ? head.value("general", Json(nullptr)) : Json(nullptr);
  const std::string* task = textOf(row, "head_task");
  const size_t colon = task ? task->find(':') : std::string::npos;
  out["lean"] = colon != std::string::npos ? Json(task->substr(0, colon)) : Json(nullptr);
  const Json similarity = parsed(row, "similarity");
  out["similarity"] =
      similarity.is_object() ? similarity.value("similarity", Json(nullptr)) : Json(nullptr);
  for (const char* column :
       {"app", "bundle_id", "app_category", "host", "browser", "read_via", "cause", "idle", "keys",
        "clicks", "scrolls", "moves", "focused_role", "agent", "revision"}) {
    out[column] = value(row, column);
  }
  return out;
}

Json value(const Row& row, std::string_view column) {
  const SqlValue* found = find(row, column);
  if (!found) return nullptr;
  return std::visit(
      [](const auto& held) -> Json {
        using T = std::decay_t<decltype(held)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return nullptr;
        } else {
          return held;
        }
      },
      found->storage());
}

Json flag(const Row& row, std::string_view column) {
  const int64_t* number = get<int64_t>(row, column);
  if (!number) return nullptr;
  return *number != 0;
}

Json parsed(const Row& row, std::string_view column) {
  const std::string* text = textOf(row, column);
  if (!text) return nullptr;
  try {
    return json::parse(*text);
  } catch (const Error&) {
    return nullptr;
  }
}

std::string body(const std::vector<Json>& rows) {
  try {
    return json::dump(Json(rows));
  } catch (const std::exception& error) {
    log::error(std::string("Sharing: a batch could not be written, sent empty: ") + error.what());
    return "[]";
  }
}

std::string scrub(std::string_view input, const std::vector<std::string>& names) {
  const Patterns& p = patterns();
  try {
    std::string text = p.email.replaceAll(text::repairUtf8(input), "<email>");
    text = p.web.replaceAll(text, "<url>");
    text = p.handle.replaceAll(text, "<handle>");
    // All at once on the text as it stands, replaced from the end so that earlier ranges hold.
    const std::vector<Regex::Match> phones = p.phone.allMatches(text);
    for (auto match = phones.rbegin(); match != phones.rend(); ++match) {
      const Regex::Range range = match->range;
      const size_t digits =
          numericCharacters(std::string_view(text).substr(range.begin, range.size()));
      if (digits >= kPhoneDigitsMin && digits <= kPhoneDigitsMax) {
        text.replace(range.begin, range.size(), "<number>");
      }
    }
    text = p.longNumber.replaceAll(text, "<number>");
    for (const std::string& name : names) {
      if (name.empty()) continue;
      // Word boundaries would miss a name that ends in a mark ("Jr."): what counts is that no
      // word character touches it on either side.
      const Regex pattern("(?i)(?<!\\w)" + escaped(name) + "(?!\\w)");
      text = pattern.replaceAll(text, "<name>");
    }
    return text;
  } catch (const Error& error) {
    log::error(std::string("Sharing: a text could not be scrubbed and is withheld: ") +
               error.what());
    return "";
  }
}

std::vector<std::string> names(std::string_view full, std::string_view account) {
  std::vector<std::string> candidates;
  if (!full.empty()) candidates.emplace_back(full);
  for (size_t start = 0; start <= full.size();) {
    const size_t space = std::min(full.find(' ', start), full.size());
    if (space > start) candidates.emplace_back(full.substr(start, space - start));
    start = space + 1;
  }
  if (!account.empty()) candidates.emplace_back(account);

  std::vector<std::string> kept;
  std::vector<std::string> keptLowered;
  for (std::string& candidate : candidates) {
    if (text::characterCount(candidate) < kNameCharactersMin) continue;
    std::string lowered = text::lowercased(candidate);
    if (std::find(keptLowered.begin(), keptLowered.end(), lowered) != keptLowered.end()) continue;
    keptLowered.push_back(std::move(lowered));
    kept.push_back(std::move(candidate));
  }
  std::stable_sort(kept.begin(), kept.end(), [](const std::string& a, const std::string& b) {
    return text::characterCount(a) > text::characterCount(b);
  });
  return kept;
}

std::string install(std::string_view hardware) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (HMAC(EVP_sha256(), kInstallKey.data(), static_cast<int>(kInstallKey.size()),
           reinterpret_cast<const unsigned char*>(hardware.data()), hardware.size(), digest,
           &length) == nullptr ||
      length < kInstallBytes) {
    throw Error(kErrorDomain, kHashFailedCode, "The install identifier could not be computed");
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  // The layout of a UUID's text: 8-4-4-4-12 digits.
  for (size_t i = 0; i < kInstallBytes; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out += '-';
    out += kHex[digest[i] >> 4];
    out += kHex[digest[i] & 0xf];
  }
  return out;
}

}  // namespace qb::Sharing
