// Moment: one observation of what the user has in front.
//
// The sensing layer builds one per reading; the coordinator attaches the coding-agent session of
// the window's folder; the analyzer classifies it and the policy keys its clocks on host(),
// scope() and key(). Text fields come from other programs and may hold anything: the constructor
// repairs ill-formed UTF-8 and stores the title in the form clean() returns.

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/AgentSession.h"
#include "base/Date.h"
#include "base/Url.h"

namespace qb {

struct Moment {
  uint64_t id = 0;                      // the builder's running observation number
  Date time;                            // wall-clock time of the reading
  std::string appName;                  // the front application's name
  std::string bundleID;                 // the front application's desktop-file id
  std::string title;                    // always as clean() returns it
  std::optional<Url> url;               // the front browser tab's address, as read
  std::optional<std::string> document;  // the window's document path or name
  std::optional<std::string> pageText;  // filled in after the reading, when read
  std::optional<AgentSession> agent;    // attached by the coordinator

  Moment() = default;
  Moment(uint64_t id, Date time, std::string_view appName, std::string_view bundleID,
         std::string_view title, std::optional<Url> url = std::nullopt,
         std::optional<std::string> document = std::nullopt,
         std::optional<std::string> pageText = std::nullopt);

  // The title cleaner: at most 2000 scalars in, no control characters, no browser-name suffix, no
  // leading unread count, trimmed, at most 200 characters out. Never fails.
  static std::string clean(std::string_view title);

  // The site: the URL's host as written, lower-cased, without one leading "www."; absent without a
  // URL or with an empty host. The host "www." gives "" (emptiness is tested before the cut).
  std::optional<std::string> host() const;
  // host() when present, else appName.
  std::string displayName() const;
  // What cooldowns and allowances apply to: a chat page's prefix, else the host, else bundleID.
  std::string scope() const;
  // Equal keys mean the same thing is in front: bundleID|title|address.
  std::string key() const;

  // True when text names nothing but this window's application (or a new tab, a private window).
  bool namesOnlyApp(std::string_view text) const;
  bool titleIsBare() const { return namesOnlyApp(title); }

  friend bool operator==(const Moment&, const Moment&) = default;
};

}  // namespace qb
