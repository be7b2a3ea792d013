// Url: a web or file address split into its RFC 3986 components, keeping the text as read.
//
// Browsers hand us addresses as text. We never re-encode or normalise what they wrote: the host
// keeps its case and percent-encoding, the path and query stay percent-encoded, and
// absoluteString() is the text exactly as parsed. Decoded forms are offered beside the encoded
// ones.
//
// Parsing is lenient where browsers are (non-ASCII bytes and characters such as "|" are accepted
// in place) and strict where the structure is at stake: ASCII control characters and spaces, a
// scheme with invalid characters, an unclosed IP literal or a non-numeric port make the text
// unparseable. Ill-formed UTF-8 is repaired with U+FFFD before anything else.
//
// In detail: the empty text cannot be split. A text whose first ":" comes before any "/", "?" or
// "#" must begin with a valid scheme (ALPHA *(ALPHA / DIGIT / "+" / "-" / ".")); any other text is
// a relative reference ("foo/bar", "/x", "//host/p", "?q"), never resolved against a base. The
// authority runs from "//" to the next "/", "?" or "#"; its userinfo is everything before its last
// "@", split into user and password at the first ":". A host starting with "[" is an IP literal,
// which must be closed by "]", contain ":" and no "[", and be followed by nothing or ":" and a
// port; a "[" or "]" anywhere else in the host is refused. A port is ASCII digits fitting in 32
// bits; an empty port (":" with nothing after it) means no port. The query runs from the first "?"
// to the first "#", the fragment from that "#" to the end. Percent escapes are never checked:
// "%zz" is kept as written, and decoding keeps it literally.
//
// For every text that parses, UrlComponents::parse(text)->string() == text.

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

struct UrlQueryItem {
  std::string name;                  // as written (percent-encoded)
  std::optional<std::string> value;  // absent when the item has no "="
  friend bool operator==(const UrlQueryItem&, const UrlQueryItem&) = default;
};

// The components of an address, each in its encoded form, as a mutable value. string() puts them
// back together, so that changing one component leaves the others exactly as they were written.
struct UrlComponents {
  std::optional<std::string> scheme;    // without ":"; as written
  std::optional<std::string> user;      // present only with an authority
  std::optional<std::string> password;  // present only with a user and ":"
  std::optional<std::string> host;      // present when there is an authority ("//"); may be empty;
                                        // an IP literal without its brackets
  std::optional<uint32_t> port;
  // The port as written after ":" when that is not the plain decimal form of `port`: empty (no
  // port) or with leading zeros. string() writes it while it still denotes `port`, so that parsed
  // text comes back unchanged; after `port` changes, the decimal form is written instead.
  std::optional<std::string> portText;
  std::string path;                     // may be empty
  std::optional<std::string> query;     // without "?"; present (maybe empty) when "?" was written
  std::optional<std::string> fragment;  // without "#"; present (maybe empty) when "#" was written

  // Splits text; absent when it cannot be split (see the header comment).
  static std::optional<UrlComponents> parse(std::string_view text);

  // The query split at "&" into items, empty items dropped; empty when there is no query.
  std::vector<UrlQueryItem> queryItems() const;
  // Replaces the query by the items joined with "&" (name, then "=" and the value when there is
  // one), written as given: items must already be percent-encoded. Absent items and an empty vector
  // both remove the query and its "?".
  void setQueryItems(const std::optional<std::vector<UrlQueryItem>>& items);

  // The address put back together: scheme ":"; when host is present, "//", then user (with
  // ":" password) and "@" when either is present, the host (in brackets when it contains ":") and
  // ":" port when there is one; then path, "?" query and "#" fragment when present.
  std::string string() const;

  friend bool operator==(const UrlComponents&, const UrlComponents&) = default;
};

// An immutable, parsed address. Two Urls are equal when their texts are equal.
//
// To change an address (for example to scrub it before storing it), copy components(), change
// them and take string().
class Url {
public:
  static std::optional<Url> parse(std::string_view text);

  // The text as parsed (after UTF-8 repair); equal to components().string().
  const std::string& absoluteString() const { return text_; }
  const UrlComponents& components() const { return components_; }

  const std::optional<std::string>& scheme() const { return components_.scheme; }
  const std::optional<std::string>& user() const { return components_.user; }
  const std::optional<std::string>& password() const { return components_.password; }
  // The host as written: percent-encoded, case kept.
  const std::optional<std::string>& host() const { return components_.host; }
  const std::optional<uint32_t>& port() const { return components_.port; }
  const std::string& path() const { return components_.path; }  // percent-encoded
  const std::optional<std::string>& query() const { return components_.query; }
  const std::optional<std::string>& fragment() const { return components_.fragment; }
  std::vector<UrlQueryItem> queryItems() const { return components_.queryItems(); }

  // The path with percent escapes decoded; an escape that is not two hex digits, or that decodes
  // to ill-formed UTF-8, is kept or repaired rather than failing.
  std::string decodedPath() const;
  // The decoded path split at "/": an absolute path starts with the component "/"; empty
  // components are dropped. "/a/b/" gives ["/", "a", "b"].
  std::vector<std::string> pathComponents() const;
  // The last of pathComponents(), or "" when there is none.
  std::string lastPathComponent() const;

  friend bool operator==(const Url& a, const Url& b) { return a.text_ == b.text_; }

private:
  Url(std::string text, UrlComponents components);
  std::string text_;
  UrlComponents components_;
};

// Percent-decodes text; invalid escapes stay as written and the result is repaired UTF-8.
std::string percentDecode(std::string_view text);

}  // namespace qb
