#include "base/Url.h"

#include <charconv>
#include <cstring>
#include <system_error>

#include "base/Text.h"

namespace qb {

namespace {

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isValidScheme(std::string_view scheme) {
  if (scheme.empty() || !isAlpha(scheme[0])) return false;
  for (char c : scheme) {
    if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

// One or more ASCII digits whose value fits in 32 bits; absent otherwise.
std::optional<uint32_t> parsePort(std::string_view text) {
  if (text.empty()) return std::nullopt;
  for (char c : text) {
    if (!isDigit(c)) return std::nullopt;
  }
  uint32_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

enum class Scan { kRejected, kAscii, kNonAscii };

// One pass over the bytes: ASCII controls and space refuse the text; any byte >= 0x80 means the
// UTF-8 must be checked. Repair never adds or removes ASCII bytes, so scanning before it is exact.
// Eight bytes at a time: (w - 0x21..) & ~w & 0x80.. marks a byte below 0x21 (exact as a test for
// "any", since 0x21 <= 0x80), and the same on w ^ 0x7F.. marks a byte equal to 0x7F.
Scan scan(std::string_view text) {
  if (text.empty()) return Scan::kRejected;
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHighs = 0x8080808080808080ull;
  uint64_t bad = 0;
  uint64_t high = 0;
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t w;
    std::memcpy(&w, text.data() + i, 8);
    uint64_t del = w ^ (0x7F * kOnes);
    bad |= ((w - 0x21 * kOnes) & ~w) | ((del - kOnes) & ~del);
    high |= w;
  }
  bad &= kHighs;
  for (; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    bad |= c <= 0x20 || c == 0x7F;
    high |= c;
  }
  if (bad) return Scan::kRejected;
  return (high & kHighs) ? Scan::kNonAscii : Scan::kAscii;
}

// Fills host, port, user and password from the authority (the text between "//" and the path).
bool splitAuthority(std::string_view authority, UrlComponents& c) {
  std::string_view hostPort = authority;
  size_t at = authority.rfind('@');
  if (at != std::string_view::npos) {
    std::string_view userInfo = authority.substr(0, at);
    hostPort = authority.substr(at + 1);
    size_t colon = userInfo.find(':');
    c.user.emplace(userInfo.substr(0, colon));
    if (colon != std::string_view::npos) c.password.emplace(userInfo.substr(colon + 1));
  }

  std::string_view host;
  std::optional<std::string_view> portText;  // present when ":" follows the host
  if (!hostPort.empty() && hostPort.front() == '[') {
    size_t close = hostPort.find(']');
    if (close == std::string_view::npos) return false;
    host = hostPort.substr(1, close - 1);
    // Without ":" string() could not tell the literal from a name and would drop its brackets.
    if (host.find('[') != std::string_view::npos || host.find(':') == std::string_view::npos) {
      return false;
    }
    std::string_view after = hostPort.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') return false;
      portText = after.substr(1);
    }
  } else {
    size_t colon = hostPort.find(':');
    host = hostPort.substr(0, colon);
    for (char ch : host) {
      if (ch == '[' || ch == ']') return false;
    }
    if (colon != std::string_view::npos) portText = hostPort.substr(colon + 1);
  }

  if (portText && !portText->empty()) {
    c.port = parsePort(*portText);
    if (!c.port) return false;
    if (portText->size() > 1 && portText->front() == '0') c.portText.emplace(*portText);
  } else if (portText) {
    c.portText.emplace();
  }
  c.host.emplace(host);
  return true;
}

// Splits text that has passed scan() and is well-formed UTF-8 into c, which starts empty.
bool split(std::string_view text, UrlComponents& c) {
  std::string_view rest = text;

  size_t special = 0;  // find_first_of would call memchr on ":/?#" for every character
  while (special < rest.size() && rest[special] != ':' && rest[special] != '/' &&
         rest[special] != '?' && rest[special] != '#') {
    ++special;
  }
  if (special < rest.size() && rest[special] == ':') {
    std::string_view scheme = rest.substr(0, special);
    if (!isValidScheme(scheme)) return false;
    c.scheme.emplace(scheme);
    rest.remove_prefix(special + 1);
  }

  size_t hash = rest.find('#');
  if (hash != std::string_view::npos) {
    c.fragment.emplace(rest.substr(hash + 1));
    rest = rest.substr(0, hash);
  }
  size_t question = rest.find('?');
  if (question != std::string_view::npos) {
    c.query.emplace(rest.substr(question + 1));
    rest = rest.substr(0, question);
  }

  if (rest.starts_with("//")) {
    rest.remove_prefix(2);
    size_t slash = rest.find('/');
    if (!splitAuthority(rest.substr(0, slash), c)) return false;
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
  }
  c.path.assign(rest);
  return true;
}

}  // namespace

std::optional<UrlComponents> UrlComponents::parse(std::string_view text) {
  Scan kind = scan(text);
  if (kind == Scan::kRejected) return std::nullopt;
  std::optional<UrlComponents> c(std::in_place);
  bool repair = kind == Scan::kNonAscii && !text::isValidUtf8(text);
  if (!(repair ? split(text::repairUtf8(text), *c) : split(text, *c))) return std::nullopt;
  return c;
}

std::vector<UrlQueryItem> UrlComponents::queryItems() const {
  std::vector<UrlQueryItem> items;
  if (!query) return items;
  std::string_view rest = *query;
  size_t count = 1;
  for (char c : rest) count += c == '&';
  items.reserve(count);
  for (;;) {
    size_t amp = rest.find('&');
    std::string_view item = rest.substr(0, amp);
    if (!item.empty()) {
      size_t eq = item.find('=');
      if (eq == std::string_view::npos) {
        items.push_back({std::string(item), std::nullopt});
      } else {
        items.push_back({std::string(item.substr(0, eq)), std::string(item.substr(eq + 1))});
      }
    }
    if (amp == std::string_view::npos) break;
    rest.remove_prefix(amp + 1);
  }
  return items;
}

void UrlComponents::setQueryItems(const std::optional<std::vector<UrlQueryItem>>& items) {
  if (!items || items->empty()) {
    query.reset();
    return;
  }
  size_t size = 0;
  for (const auto& item : *items) {
    size += item.name.size() + (item.value ? item.value->size() : 0) + 2;
  }
  std::string joined;
  joined.reserve(size);
  for (const auto& item : *items) {
    if (&item != &items->front()) joined += '&';
    joined += item.name;
    if (item.value) {
      joined += '=';
      joined += *item.value;
    }
  }
  query = std::move(joined);
}

std::string UrlComponents::string() const {
  const bool bracketed = host && host->find(':') != std::string::npos;
  // portText is written only while it still denotes port: empty for no port, digits for port.
  const bool writePortText = portText && (portText->empty() ? !port : parsePort(*portText) == port);
  char portDigits[16];
  std::string_view portString;
  if (writePortText) {
    portString = *portText;
  } else if (port) {
    auto [end, ec] = std::to_chars(portDigits, portDigits + sizeof portDigits, *port);
    portString = std::string_view(portDigits, static_cast<size_t>(end - portDigits));
  }
  const bool hasUserInfo = user || password;

  size_t size = path.size() + 8 + portString.size();
  if (scheme) size += scheme->size();
  if (host) size += host->size();
  if (user) size += user->size();
  if (password) size += password->size();
  if (query) size += query->size();
  if (fragment) size += fragment->size();

  std::string out;
  out.reserve(size);
  if (scheme) {
    out += *scheme;
    out += ':';
  }
  if (host) {
    out += "//";
    if (hasUserInfo) {
      if (user) out += *user;
      if (password) {
        out += ':';
        out += *password;
      }
      out += '@';
    }
    if (bracketed) out += '[';
    out += *host;
    if (bracketed) out += ']';
    if (writePortText || port) {
      out += ':';
      out += portString;
    }
  }
  out += path;
  if (query) {
    out += '?';
    out += *query;
  }
  if (fragment) {
    out += '#';
    out += *fragment;
  }
  return out;
}

Url::Url(std::string text, UrlComponents components)
    : text_(std::move(text)), components_(std::move(components)) {}

std::optional<Url> Url::parse(std::string_view text) {
  Scan kind = scan(text);
  if (kind == Scan::kRejected) return std::nullopt;
  // Built in place and split from its own text: the components are filled without being moved.
  bool repair = kind == Scan::kNonAscii && !text::isValidUtf8(text);
  std::optional<Url> url(Url(repair ? text::repairUtf8(text) : std::string(text), UrlComponents{}));
  if (!split(url->text_, url->components_)) return std::nullopt;
  return url;
}

std::string Url::decodedPath() const { return percentDecode(components_.path); }

std::vector<std::string> Url::pathComponents() const {
  std::string decoded = decodedPath();
  std::vector<std::string> parts;
  std::string_view rest = decoded;
  if (rest.starts_with('/')) parts.emplace_back("/");
  while (!rest.empty()) {
    size_t slash = rest.find('/');
    std::string_view part = rest.substr(0, slash);
    if (!part.empty()) parts.emplace_back(part);
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return parts;
}

std::string Url::lastPathComponent() const {
  std::string decoded = decodedPath();
  std::string_view path = decoded;
  size_t last = path.find_last_not_of('/');
  if (last == std::string_view::npos) return path.empty() ? std::string() : std::string("/");
  size_t slash = path.find_last_of('/', last);
  size_t first = slash == std::string_view::npos ? 0 : slash + 1;
  return std::string(path.substr(first, last + 1 - first));
}

std::string percentDecode(std::string_view text) {
  std::string out;
  size_t percent = text.find('%');
  if (percent == std::string_view::npos) {
    out.assign(text);
  } else {
    out.reserve(text.size());
    out.append(text.substr(0, percent));
    for (size_t i = percent; i < text.size(); ++i) {
      char c = text[i];
      int high = c == '%' && i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
      int low = high >= 0 ? hexValue(text[i + 2]) : -1;
      if (low >= 0) {
        out += static_cast<char>(high * 16 + low);
        i += 2;
      } else {
        out += c;
      }
    }
  }
  if (!text::isValidUtf8(out)) out = text::repairUtf8(out);
  return out;
}

}  // namespace qb
