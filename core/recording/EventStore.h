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
// Failures: the synchronous open throws (below); after that nothing throws. A statement that
// fails loses only its own operation (log() logs nothing, recap() gives zeros, events() an empty
// list, prune() and deleteAll() leave the rows) and is reported through the program's log.
//
// A file that cannot be used for what it holds (a damaged database, a file that is no database, a
// header SQLite cannot write by, an events table that cannot take the program's rows) is never
// written into and never deleted: it is moved aside, bytes untouched and with its write-ahead log,
// as events-damaged-<n>.sqlite beside it, the log names both, and a new event log begins;
// deleteAll() removes those copies too. Another program's database is used, with the table added.
// Finding that out means reading every page of the file and comparing its index with its table
// (database::fullCheck: a log is small enough to afford it, and a damaged index would fail every
// read that goes through it). The program's own store does it on a thread of its own (the second
// constructor), so that nothing waits on the file's size: until the file is found sound, what is
// logged is kept in memory and read back from there, pruning and deleting apply to it, and all of
// it is written to the file once it is in use.
//
// What the system answers never costs the file what it holds, nor the program's store what is
// logged: a folder that cannot be made, a file that cannot be kept to its user, opened, or written
// (a read-only file or mount, another user's file, a full disk, another program's lock) keeps the
// file as it is, and the store keeps what is logged in memory and tries again. Every try opens a
// fresh connection, and one that SQLite could only open for reading is taken as the system's
// refusal before anything is written. So does an event that the file in use refuses for such an
// answer: it waits in memory with those logged after it, for a later try. While events wait, the
// readers give them together with the file's rows where the file was found sound and holds the
// program's table (from memory alone while a try is under way). Each reason is logged once while
// it stays the same, and once what waited is written, the log says that too. As the program
// quits, flush() gives what waits one last try; what still waits when the store is destroyed is
// lost, and the log says how many, and that a deletion still waiting left the file's events there.
//
// Numbers that are not finite are never stored: an event with one is not logged (and the log says
// so). Every row that is accepted can be read
// back and exported. A row that another build wrote with no kind this build knows, or with a time
// or value that is not a finite number, is skipped by the readers.
//
// Not thread-safe: the coordinator calls it from its main thread only. Not copyable; the
// connection is closed when the store is destroyed (which waits for a try under way).

#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Date.h"

struct sqlite3;

namespace qb {

class Executor;
class SerialExecutor;
class Timers;

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

  // How long a store whose file the system kept from use (another program's lock, a full disk,
  // a folder that takes no writes) waits to look again.
  static constexpr double kCheckRetrySeconds = 60;

  // Opens the event log at path, creating the file and the folders above it when missing, and the
  // table and its index when the file is new; the connection is in WAL mode. The log's folder and
  // files are the user's alone (file::createPrivateFolder, file::protectDatabase): made so, or
  // tightened when an earlier version left them open to others. A file that cannot be used is set
  // aside and a new one made (above). Throws Error (kFolderErrorDomain, errno) when a folder
  // cannot be created or kept to the user, and Error(kErrorDomain, kOpenCode) when the file
  // cannot be opened for writing, kept to the user, read (another program holds it) or set aside,
  // or its table cannot be made; then nothing stays open and the file is left as it was.
  explicit EventStore(const std::filesystem::path& path);
  // The same, but the program's store, which never throws: it returns at once, and the folder,
  // the file's protection, its opening, the check and the set-aside run on a thread of the
  // store's own, their answer applied on `main` (above). `inUse` is called there each time the
  // file goes in use, so that what was read from memory can be read again. While the file is kept
  // from use (the system refuses it, another program holds it, it cannot be set aside), the store
  // keeps what is logged in memory, which the log says, and tries again every kCheckRetrySeconds
  // on `timers`. `waitingChanged` is called on `main` with true when a try, or a write to the
  // file in use, fails and what is logged starts to wait in memory, and with false once all of it
  // is written; a first check under way is no such wait. `main` and `timers` serve the calling
  // thread and must outlive the store.
  EventStore(const std::filesystem::path& path, Executor& main, Timers& timers,
             std::function<void()> inUse, std::function<void(bool waiting)> waitingChanged = {});
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

  // The last try as the program quits, made now on the calling thread rather than at the next
  // kCheckRetrySeconds: when the file is not in use and something waits for it (events, or only a
  // prune or a deletion), a try under way on the store's thread ends first (its answer, still to
  // come on `main`, changes nothing), then the file is opened, checked and written as at any try,
  // waiting for another program's lock kBusyTimeoutMilliseconds at most per statement. What it
  // cannot write waits as before. Nothing for the synchronous store, whose file is in use from its
  // construction.
  void flush();

  // True while the file is checked and in use; until then, and while it takes no events, they
  // live in memory (above).
  bool inUse() const { return inUse_; }

private:
  struct Close {
    void operator()(sqlite3* db) const;
  };
  // What a check of the file found: an SQLite primary result, and the problem it names.
  struct Check {
    int result = 0;
    std::string problem;
  };
  // A fresh connection to the file, or why none could be made.
  struct Connection {
    std::unique_ptr<sqlite3, Close> db;  // null when none could be made
    bool readOnly = false;  // SQLite fell back to reading: the system takes no writes to the file
    int folderError = 0;    // the system's error number when the folder could not be made
    std::string refusal;    // why there is no connection
  };

  // Makes the folder, keeps it and the file to the user and opens a connection, reading nothing.
  // Touches no member but the path: it runs on the checker too.
  Connection connect() const;
  // Takes the connection and its check's answer, and makes the file ready: a file that cannot be
  // used, for what it holds (database::isFileFault), is set aside and a new one connected; then
  // it writes what waited in memory. True when the file is in use; false, with the reason in
  // `why` (logged once while it stays the same), when what the system answers keeps it from use
  // or it cannot be set aside.
  bool settle(Connection connection, Check check, std::string& why);
  // The table, its index and columns, checked to take the program's rows, then the journal mode.
  // SQLITE_OK, or the failing result and its problem, having written nothing.
  Check makeReady();
  // Writes what waited, in the order it was done, in one transaction: all of it, answering how
  // many events were written, or, when the file refuses, none of it, answering none with the
  // reason in `why`.
  std::optional<size_t> writeWaiting(std::string& why);
  // Whether anything waits for the file: events, a prune or a deletion.
  bool somethingWaits() const { return !waiting_.empty() || prunedBefore_ || deleted_; }
  // Inserts one event: SQLITE_DONE, or the failing extended result with SQLite's message in `why`.
  int insert(const Event& event, std::string& why);
  // Whether the connection's file holds the program's table to read from (it may not take rows).
  bool holdsTable() const;
  // The time from which the readers read the file's rows: `since`, or later where a prune waits;
  // absent while they read memory alone.
  std::optional<Date> fileSince(Date since) const;
  // The reason the file is not in use: logged when it is new, told through waitingChanged when
  // what is logged starts to wait. Answers false.
  bool refused(std::string reason, std::string& why);
  // Forgets the connection: every try opens its own.
  void disconnect();
  // A fresh connection and its check. Touches no member but the path: it runs on the checker too.
  std::pair<Connection, Check> attempt() const;
  // Opens a fresh connection, checks it on checker_ and applies the answer on main_.
  void checkLater();
  // The next try, kCheckRetrySeconds from now.
  void retryLater();

  const std::filesystem::path path_;
  std::unique_ptr<sqlite3, Close> db_;  // the connection; touched on the calling thread alone
  bool readOnly_ = false;               // db_ was opened read-only (Connection::readOnly)
  bool inUse_ = false;
  bool readable_ = false;  // db_'s file was found sound and holds the table: its rows are read
  // While the file is not in use: what was logged, the last prune's cutoff and whether everything
  // before was deleted, for the file once it is.
  std::vector<Event> waiting_;
  std::optional<Date> prunedBefore_;
  bool deleted_ = false;
  std::string failure_;       // why the file is not in use, as last said
  bool waitingSaid_ = false;  // waitingChanged(true) was the last call
  // Only for a store that checks its file later.
  Executor* main_ = nullptr;
  Timers* timers_ = nullptr;
  std::function<void()> inUseCallback_;
  std::function<void(bool)> waitingChanged_;
  std::optional<uint64_t> retry_;            // the timer of the next try
  std::shared_ptr<bool> alive_;              // false once the store is gone, read on main_ alone
  std::unique_ptr<SerialExecutor> checker_;  // last: joined before the rest goes
};

}  // namespace qb
