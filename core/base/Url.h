// Url: a web or file address split into its RFC 3986 components, keeping the text as read.
//
// Browsers hand us addresses as text. We never re-encode or normalise what they wrote: the host
// keeps its case and percent-encoding, the path and query stay percent-encoded, and
// absoluteString() is the text exactly as parsed. Decoded forms are offered beside the encoded ones.
//
// Parsing is lenient where browsers are (non-ASCII bytes and characters such as "|" are accepted
// in place) and strict where the structure is at stake: ASCII control characters and spaces, a
// scheme with invalid characters, an unclosed IP literal or a non-numeric port make the text
// unparseable. Ill-formed UTF-8 is repaired with U+FFFD before anything else.

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
  std::string path;                     // may be empty
  std::optional<std::string> query;     // without "?"; present (maybe empty) when "?" was written
  std::optional<std::string> fragment;  // without "#"; present (maybe empty) when "#" was written

  // Splits text; absent when it cannot be split (see the header comment).
  static std::optional<UrlComponents> parse(std::string_view text);

  // The query split at "&" into items, empty items dropped; empty when there is no query.
  std::vector<UrlQueryItem> queryItems() const;
  // Replaces the query by the items joined with "&"; absent items remove the query and its "?".
  void setQueryItems(const std::optional<std::vector<UrlQueryItem>>& items);

  // The address put back together from the components.
  std::string string() const;

  friend bool operator==(const UrlComponents&, const UrlComponents&) = default;
};

// An immutable, parsed address. Two Urls are equal when their texts are equal.
class Url {
public:
  static std::optional<Url> parse(std::string_view text);

  const std::string& absoluteString() const { return text_; }
  const UrlComponents& components() const { return components_; }

  const std::optional<std::string>& scheme() const { return components_.scheme; }
  const std::optional<std::string>& user() const { return components_.user; }
  const std::optional<std::string>& password() const { return components_.password; }
  // The host as written: percent-encoded, case kept.
  const std::optional<std::string>& host() const { return components_.host; }
  const std::optional<uint32_t>& port() const { return components_.port; }
  const std::string& path() const { return components_.path; }        // percent-encoded
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
