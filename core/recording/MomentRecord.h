// MomentRecord: one observed moment, as the moments table stores it.
//
// MomentRecord(moment) copies what the observation itself says; the coordinator then fills the
// fields from browser on (the snapshot's read) when it has them. A field that was not read stays
// absent and is stored as NULL, never as zero. The page text comes later, through the recorder's
// text operation, never from here.

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Moment.h"
#include "base/Date.h"

namespace qb {

struct MomentRecord {
  // A window's frame in screen points, top-left origin.
  struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
  };

  // Copies the moment: its id, time, application, title, the address as Redaction::url() cleans
  // it (absent when that gives nothing), its host and document, and its agent session's tool and
  // title. Everything else starts absent, excluded false.
  explicit MomentRecord(const Moment& moment);

  // The record of a moment of which nothing may be read (an excluded application or site, or
  // secure keyboard entry): only its start, and excluded true; even the id is absent. (Named for
  // its date, since a static cannot share the name of the field `excluded`.)
  static MomentRecord excludedAt(Date at);

  std::optional<uint64_t> id;              // moments.id
  Date start;                              // moments.started
  std::optional<std::string> appName;      // moments.app
  std::optional<std::string> bundleID;     // moments.bundle_id
  std::optional<std::string> title;        // moments.title
  std::optional<std::string> url;          // moments.url, already redacted
  std::optional<std::string> host;         // moments.host
  std::optional<std::string> document;     // moments.document
  std::optional<std::string> agent;        // moments.agent: the coding agent's tool name
  std::optional<std::string> agentTask;    // moments.agent_task: its session title
  bool excluded = false;                   // moments.excluded: the row keeps only its times
  std::optional<std::string> browser;      // moments.browser: "Safari", "Chrome" or "Firefox"
  std::optional<std::string> tab;          // moments.tab: "window/tab" as the browser numbers them
  std::optional<std::string> cause;        // moments.cause: why the observation was read
  std::optional<Duration> readTime;        // moments.read_ms
  std::optional<double> idle;              // moments.idle: seconds without input at the start
  std::optional<bool> fullScreen;          // moments.full_screen
  std::optional<Rect> frame;               // moments.frame (JSON [x, y, width, height])
  std::optional<int64_t> displays;         // moments.displays
  std::optional<std::string> readVia;      // moments.read_via: "accessibility", "script", "window"
  std::optional<std::string> appCategory;  // moments.app_category
  std::optional<std::vector<double>> windowShare;  // moments.window_share: [width, height] shares
  std::optional<bool> agentRepository;             // moments.agent_repository

  friend bool operator==(const MomentRecord&, const MomentRecord&) = default;

private:
  explicit MomentRecord(Date excludedStart);
};

}  // namespace qb
