// EventStore: the user-visible event log, events.sqlite in the program's data folder.
//
// One table of timestamped events (prompts shown, the user's answers, breaks, work and detour
// time, switches, absences and pauses), always on and independent of the detailed recording:
//
//   events (ts REAL NOT NULL, kind TEXT NOT NULL, value REAL NOT NULL DEFAULT 1, label TEXT)
//
// `ts` is Unix seconds; `kind` is the raw value of a Kind; `value` depends on the kind (seconds
// for work, detour, away, paused and a break's planned length, else 1). Rows are never updated,
// and every statement commits by itself.
//
// Failures: opening throws (below); after that nothing throws. A statement that fails loses only
// its own operation (log() logs nothing, recap() gives zeros, events() an empty list, prune() and
// deleteAll() leave the rows) and is reported through the program's log.
//
// Numbers that are not finite are never stored: they bind as NULL, which the NOT NULL columns
// refuse, so the event is not logged (and the log says so). Every row that is accepted can be read
// back and exported. A row that another build wrote with no kind this build knows, or with a time
// or value that is not a finite number, is skipped by the readers.
//
// Not thread-safe: the coordinator calls it from its main thread only. Not copyable; the
// connection is closed when the store is destroyed.

#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Date.h"

struct sqlite3;

namespace qb {

class EventStore final {
public:
  // In this order, the case order History relies on.
  enum class Kind {
    prompt,
    back,
    related,
    breakTaken,
    dismissed,
    work,
    detour,
    switched,
    away,
    paused
  };

  // "prompt", "back", "related", "break", "dismissed", "work", "detour", "switched", "away",
  // "paused": the words stored in `kind`.
  static std::string_view rawValue(Kind kind);
  // The kind whose raw value is exactly text (case-sensitive); absent for any other text.
  static std::optional<Kind> parseKind(std::string_view text);

  // One row read back.
  struct Event {
    Date at;
    Kind kind = Kind::prompt;
    double value = 1;
    std::optional<std::string> label;

    friend bool operator==(const Event&, const Event&) = default;
  };

  // Counts since a time. `corrections` counts `related` events: answers that the page was for
  // work, or that its site should never interrupt.
  struct Recap {
    int64_t prompts = 0;
    int64_t back = 0;
    int64_t corrections = 0;
    double workSeconds = 0;

    friend bool operator==(const Recap&, const Recap&) = default;
  };

  static constexpr const char* kErrorDomain = "EventStore";
  // The file cannot be opened as the event log: message "Can't open " and the path.
  static constexpr long kOpenCode = 1;
  // The folder that holds the file cannot be created: the code is the system's error number.
  static constexpr const char* kFolderErrorDomain = "qb.system";

  // A wait for another connection's lock, before a statement gives up as busy.
  static constexpr int kBusyTimeoutMilliseconds = 2000;
  static constexpr double kSecondsPerDay = 86400;

  // Opens the event log at path, creating the file and the folders above it when missing, and the
  // table and its index when the file is new; the connection is in WAL mode. The log's folder and
  // files are the user's alone (file::createPrivateFolder, file::protectDatabase): made so, or
  // tightened when an earlier version left them open to others. Throws Error
  // (kFolderErrorDomain, errno) when a folder cannot be created or kept to the user, and
  // Error(kErrorDomain, kOpenCode) when the file cannot be opened or kept to the user, is not a
  // database (a text file, a truncated database) or its table cannot be made; then nothing stays
  // open and the file is left as it was.
  explicit EventStore(const std::filesystem::path& path);
  ~EventStore();
  EventStore(const EventStore&) = delete;
  EventStore& operator=(const EventStore&) = delete;

  // Appends one event. label absent stores NULL; a label that is not valid UTF-8 is stored with
  // each ill-formed sequence replaced by U+FFFD.
  void log(Kind kind, double value, const std::optional<std::string>& label, Date at);

  // The counts of the events at or after since.
  Recap recap(Date since) const;

  // The events at or after since, oldest first.
  std::vector<Event> events(Date since) const;

  // Deletes the events before now minus keepingDays days of kSecondsPerDay; an event exactly at
  // that cutoff stays. A now that is not finite deletes nothing.
  void prune(int keepingDays, Date now);

  // Deletes every event and compacts the file; no deleted event's bytes stay on disk, in the file
  // or in its write-ahead log.
  void deleteAll();

private:
  struct Close {
    void operator()(sqlite3* db) const;
  };

  std::unique_ptr<sqlite3, Close> db_;  // open for the whole life of the store
};

}  // namespace qb
