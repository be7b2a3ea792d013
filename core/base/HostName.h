// HostName: whether a typed text names a site, as the user adds one to a list.
//
// A site is a host name or an IP address. A name is made of labels of ASCII letters, digits and
// hyphens (none starting or ending with a hyphen), each 1 to 63 characters, 253 in all; a name
// written in another script is kept in its ASCII (punycode) form, as browsers show it in the
// address bar's host and as the observer reads it. An IPv4 address is four decimal numbers;
// an IPv6 one may stand in brackets.

#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qb::HostName {

inline constexpr size_t kMaxLabelLength = 63;
inline constexpr size_t kMaxNameLength = 253;

struct Checked {
  std::optional<std::string> host;  // in lower case; none when refused
  std::string refusal;              // why it was refused, for the user; empty when accepted
};

// `text` is the host alone, already trimmed (no scheme, path or port).
Checked check(std::string_view text);

}  // namespace qb::HostName
