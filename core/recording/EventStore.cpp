#include "recording/EventStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <system_error>
#include <utility>

#include "base/Error.h"
#include "base/File.h"
#include "base/Log.h"
#include "base/Runtime.h"
#include "base/SerialExecutor.h"
#include "base/Text.h"
#include "recording/DatabaseCheck.h"

namespace qb {

namespace {

constexpr const char* kCreateTable =
    "CREATE TABLE IF NOT EXISTS events (ts REAL NOT NULL, kind TEXT NOT NULL, value REAL NOT NULL "
    "DEFAULT 1)";
constexpr const char* kCreateIndex = "CREATE INDEX IF NOT EXISTS events_ts ON events (ts)";
constexpr const char* kAddLabel = "ALTER TABLE events ADD COLUMN label TEXT";
constexpr const char* kInsert = "INSERT INTO events (ts, kind, value, label) VALUES (?, ?, ?, ?)";
constexpr const char* kRecap =
    "SELECT kind, COUNT(*), SUM(value) FROM events WHERE ts >= ? GROUP BY kind";
constexpr const char* kSelect =
    "SELECT ts, kind, value, label FROM events WHERE ts >= ? ORDER BY ts";
constexpr const char* kPrune = "DELETE FROM events WHERE ts < ?";
constexpr const char* kDeleteAll = "DELETE FROM events";
constexpr const char* kVacuum = "VACUUM";
constexpr const char* kCheckpoint = "PRAGMA wal_checkpoint(TRUNCATE)";

constexpr std::array<EventStore::Kind, 10> kAllKinds = {
    EventStore::Kind::prompt,     EventStore::Kind::back,      EventStore::Kind::related,
    EventStore::Kind::breakTaken, EventStore::Kind::dismissed, EventStore::Kind::work,
    EventStore::Kind::detour,     EventStore::Kind::switched,  EventStore::Kind::away,
    EventStore::Kind::paused};

std::string failureText(sqlite3* db, int result, std::string_view what) {
  std::string message = std::string(what) + " failed: " + sqlite3_errstr(result);
  if (db != nullptr) message += std::string(" (") + sqlite3_errmsg(db) + ")";
  return message;
}

void reportFailure(sqlite3* db, int result, std::string_view what) {
  qb::log::error("Event log: " + failureText(db, result, what));
}

// While one lives on its thread, statements keep their failures to themselves: the caller says
// them once, in its own words and with SQLite's message, so that a try the system refuses again
// for the same reason adds nothing to the log.
class QuietStatements {
public:
  QuietStatements() { ++depth; }
  ~QuietStatements() { --depth; }
  QuietStatements(const QuietStatements&) = delete;
  QuietStatements& operator=(const QuietStatements&) = delete;

  static bool active() { return depth > 0; }

private:
  static thread_local int depth;
};
thread_local int QuietStatements::depth = 0;

// A failure that belongs to the one event (a value its column refuses, a label too long to
// store), which no later try would change; every other failure is the file's or the system's.
bool isTheEventsOwn(int result) {
  switch (result & 0xff) {
    case SQLITE_CONSTRAINT:
    case SQLITE_TOOBIG:
    case SQLITE_MISMATCH:
    case SQLITE_RANGE:
      return true;
    default:
      return false;
  }
}

// One compiled statement, finalized when it goes. Every call reports its own failure to the log
// and answers whether it succeeded, so callers only decide what a failure costs.
class Statement {
public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    const int result = sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr);
    if (result != SQLITE_OK) {
      say(db, result, std::string("preparing \"") + sql + "\"");
      sqlite3_finalize(statement_);
      statement_ = nullptr;
    }
  }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  explicit operator bool() const { return statement_ != nullptr; }

  // A number that is not finite binds as NULL: SQLite would store an infinity that no JSON export
  // can write, and NaN it turns into NULL by itself.
  bool bind(int index, double value) {
    const int result = std::isfinite(value) ? sqlite3_bind_double(statement_, index, value)
                                            : sqlite3_bind_null(statement_, index);
    return checked(result, "binding a number");
  }
  bool bind(int index, std::string_view text) {
    return checked(sqlite3_bind_text64(statement_, index, text.data(), text.size(),
                                       SQLITE_TRANSIENT, SQLITE_UTF8),
                   "binding a text");
  }
  bool bind(int index, const std::optional<std::string>& text) {
    return text ? bind(index, std::string_view(*text))
                : checked(sqlite3_bind_null(statement_, index), "binding NULL");
  }

  // SQLITE_ROW or SQLITE_DONE; any other result is reported and given back.
  int step() {
    const int result = sqlite3_step(statement_);
    if (result != SQLITE_ROW && result != SQLITE_DONE) {
      say(db_, result, std::string("running \"") + sqlite3_sql(statement_) + "\"");
    }
    return result;
  }
  // Steps through every row, ignoring them: true when the statement ran to its end.
  bool run() {
    int result;
    while ((result = step()) == SQLITE_ROW) {
    }
    return result == SQLITE_DONE;
  }

  // A finite number in the column, or absent for NULL, text or a non-finite REAL.
  std::optional<double> number(int column) const {
    const int type = sqlite3_column_type(statement_, column);
    if (type != SQLITE_FLOAT && type != SQLITE_INTEGER) return std::nullopt;
    const double value = sqlite3_column_double(statement_, column);
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
  }
  std::optional<std::string> text(int column) const {
    if (sqlite3_column_type(statement_, column) == SQLITE_NULL) return std::nullopt;
    const auto* bytes = sqlite3_column_text(statement_, column);
    if (bytes == nullptr) return std::nullopt;  // out of memory while converting
    return std::string(reinterpret_cast<const char*>(bytes),
                       static_cast<size_t>(sqlite3_column_bytes(statement_, column)));
  }
  int64_t integer(int column) const { return sqlite3_column_int64(statement_, column); }

private:
  bool checked(int result, std::string_view what) {
    if (result == SQLITE_OK) return true;
    say(db_, result, what);
    return false;
  }
  static void say(sqlite3* db, int result, std::string_view what) {
    if (!QuietStatements::active()) reportFailure(db, result, what);
  }

  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
};

bool run(sqlite3* db, const char* sql) {
  Statement statement(db, sql);
  return statement && statement.run();
}

// The label column was added after the first files were written; its ALTER fails on every later
// open, which is only harmless when the column really is there.
bool hasLabelColumn(sqlite3* db) {
  Statement columns(db, "PRAGMA table_info(events)");
  if (!columns) return false;
  while (columns.step() == SQLITE_ROW) {
    if (columns.text(1) == "label") return true;
  }
  return false;
}

// Rebuilds the file and empties its write-ahead log after a deletion: the deleted rows' bytes stay
// in free pages until the file is rebuilt, and in the log until it is emptied into the file and
// cut. A failure is said whoever asks, as the bytes then stay.
void compact(sqlite3* db) {
  QuietStatements quiet;
  for (const char* sql : {kVacuum, kCheckpoint}) {
    if (!run(db, sql)) {
      reportFailure(db, sqlite3_extended_errcode(db), std::string("running \"") + sql + "\"");
    }
  }
}

// "1 event", "2 events".
std::string eventCount(size_t count) {
  return std::to_string(count) + (count == 1 ? " event" : " events");
}

// Adds `count` events of `kind` whose values sum to `sum` to the recap.
void count(EventStore::Recap& recap, EventStore::Kind kind, int64_t count, double sum) {
  switch (kind) {
    case EventStore::Kind::prompt:
      recap.prompts += count;
      break;
    case EventStore::Kind::back:
      recap.back += count;
      break;
    case EventStore::Kind::related:
      recap.corrections += count;
      break;
    case EventStore::Kind::work:
      recap.workSeconds += sum;
      break;
    default:
      break;
  }
}

}  // namespace

std::string_view EventStore::rawValue(Kind kind) {
  switch (kind) {
    case Kind::prompt:
      return "prompt";
    case Kind::back:
      return "back";
    case Kind::related:
      return "related";
    case Kind::breakTaken:
      return "break";
    case Kind::dismissed:
      return "dismissed";
    case Kind::work:
      return "work";
    case Kind::detour:
      return "detour";
    case Kind::switched:
      return "switched";
    case Kind::away:
      return "away";
    case Kind::paused:
      return "paused";
  }
  return "prompt";
}

std::optional<EventStore::Kind> EventStore::parseKind(std::string_view text) {
  for (Kind kind : kAllKinds) {
    if (rawValue(kind) == text) return kind;
  }
  return std::nullopt;
}

void EventStore::Close::operator()(sqlite3* db) const {
  // Every statement is finalized by its owner before this runs, so the close cannot be busy.
  const int result = sqlite3_close(db);
  if (result != SQLITE_OK) reportFailure(nullptr, result, "closing");
}

EventStore::Connection EventStore::connect() const {
  Connection connection;
  if (path_.has_parent_path()) {
    const std::error_code error =
        file::createPrivateFolder(path_.parent_path(), file::ExistingFolder::tighten);
    if (error) {
      connection.folderError = error.value();
      connection.refusal = "the folder " + path_.parent_path().string() +
                           " can't be made for its user alone: " + error.message();
      return connection;
    }
  }
  const std::string name = path_.string();
  if (const std::error_code error = file::protectDatabase(path_)) {
    connection.refusal = "keeping " + name + " to its user failed: " + error.message();
    return connection;
  }

  sqlite3* opened = nullptr;
  const int openResult =
      sqlite3_open_v2(name.c_str(), &opened, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  // SQLite hands back a connection even when the open fails; it is closed on every way out.
  std::unique_ptr<sqlite3, Close> db(opened);
  if (openResult != SQLITE_OK || !db) {
    connection.refusal = failureText(db.get(), openResult, "opening " + name);
    return connection;
  }
  // Known now or never: SQLite falls back to reading a file it cannot open for writing, without
  // an error, and later a header it can only read sets the same mark.
  connection.readOnly = sqlite3_db_readonly(db.get(), "main") == 1;
  if (const int result = sqlite3_busy_timeout(db.get(), kBusyTimeoutMilliseconds);
      result != SQLITE_OK) {
    connection.refusal = failureText(db.get(), result, "setting the busy timeout");
    return connection;
  }
  // Until the file is known to be sound, closing must not write into it: the last connection to
  // close would otherwise copy its write-ahead log into it.
  sqlite3_db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  connection.db = std::move(db);
  return connection;
}

EventStore::EventStore(const std::filesystem::path& path) : path_(path) {
  Connection connection = connect();
  if (!connection.db) {
    const std::string message = "Can't open " + path_.string() + ": " + connection.refusal;
    if (connection.folderError != 0) {
      throw Error(kFolderErrorDomain, connection.folderError, message);
    }
    qb::log::error("Event log: " + connection.refusal);
    throw Error(kErrorDomain, kOpenCode, message);
  }
  Check check;
  check.result = database::fullCheck(connection.db.get(), check.problem);
  if (std::string why; !settle(std::move(connection), std::move(check), why)) {
    db_.reset();
    throw Error(kErrorDomain, kOpenCode, "Can't open " + path_.string());
  }
}

EventStore::EventStore(const std::filesystem::path& path, Executor& main, Timers& timers,
                       std::function<void()> inUse,
                       std::function<void(bool waiting)> waitingChanged)
    : path_(path),
      main_(&main),
      timers_(&timers),
      inUseCallback_(std::move(inUse)),
      waitingChanged_(std::move(waitingChanged)),
      alive_(std::make_shared<bool>(true)),
      checker_(std::make_unique<SerialExecutor>()) {
  checkLater();
}

EventStore::~EventStore() {
  if (alive_) *alive_ = false;
  if (retry_) timers_->cancel(*retry_);
  checker_.reset();  // a try under way still reads the path
  if (!waiting_.empty()) {
    const size_t lost = waiting_.size();
    qb::log::error("Event log: " + eventCount(lost) + " could not be saved to " + path_.string() +
                   " before closing and " + (lost == 1 ? "is" : "are") + " lost");
  }
  // Nothing later asks for that deletion again: the events it was to take stay in the file. A
  // prune that still waits is not said, as any later prune takes the same events.
  if (deleted_) {
    qb::log::error("Event log: the events in " + path_.string() +
                   " could not be deleted before closing and stay");
  }
}

void EventStore::disconnect() {
  // A fresh connection for every try: one that SQLite opened read-only stays so, and the
  // shared-memory index that an open connection holds would be taken as it was opened.
  db_.reset();
  readOnly_ = false;
  readable_ = false;
}

std::pair<EventStore::Connection, EventStore::Check> EventStore::attempt() const {
  std::pair<Connection, Check> tried(connect(), Check());
  if (auto& [connection, check] = tried; connection.db) {
    check.result = database::fullCheck(connection.db.get(), check.problem);
  }
  return tried;
}

void EventStore::checkLater() {
  disconnect();
  checker_->post([this, alive = alive_] {
    // Shared, so that the task that carries it can be copied.
    auto tried = std::make_shared<std::pair<Connection, Check>>(attempt());
    main_->post([this, alive, tried] {
      if (!*alive) return;
      if (std::string why; !settle(std::move(tried->first), std::move(tried->second), why)) {
        retryLater();
        return;
      }
      if (inUseCallback_) inUseCallback_();
    });
  });
}

void EventStore::flush() {
  if (inUse_ || !main_ || !somethingWaits()) return;
  // A try under way ends before this one opens the file; its answer, and the timer of the next
  // try, find the store they were made for gone: this try replaces them.
  checker_->submit([] {}).get();
  *alive_ = false;
  alive_ = std::make_shared<bool>(true);
  if (retry_) timers_->cancel(*std::exchange(retry_, std::nullopt));
  disconnect();
  auto [connection, check] = attempt();
  if (std::string why; !settle(std::move(connection), std::move(check), why)) {
    retryLater();
    return;
  }
  if (inUseCallback_) inUseCallback_();
}

void EventStore::retryLater() {
  if (retry_) return;
  // The system's answer may change: a lock is let go, a disk or a folder takes writes again, a
  // file that could not be set aside is moved by its user.
  retry_ = timers_->schedule(kCheckRetrySeconds, [this, alive = alive_] {
    if (!*alive) return;
    retry_.reset();
    checkLater();
  });
}

bool EventStore::refused(std::string reason, std::string& why) {
  // Said once while it stays the same: a store that tries again later would say it every time.
  if (reason != failure_) {
    qb::log::error("Event log: " + reason +
                   (main_ ? "; what is logged meanwhile is kept in memory" : ""));
  }
  failure_ = reason;
  why = std::move(reason);
  if (!waitingSaid_ && waitingChanged_) waitingChanged_(true);
  waitingSaid_ = true;
  return false;
}

bool EventStore::holdsTable() const {
  const auto reference = database::referenceSchema(std::array{kCreateTable, kAddLabel});
  std::string problem;
  return reference && database::shapeProblem(db_.get(), reference.get(), problem) == SQLITE_OK;
}

bool EventStore::settle(Connection connection, Check check, std::string& why) {
  const std::string name = path_.string();
  // Each failure below is said once, with SQLite's message, in the reason.
  QuietStatements quiet;
  for (bool fresh = false;; fresh = true) {
    if (!connection.db) return refused(std::move(connection.refusal), why);
    db_ = std::move(connection.db);
    readOnly_ = connection.readOnly;
    const bool whole = check.result == SQLITE_OK;
    if (whole && readOnly_) {
      readable_ = holdsTable();
      return refused(name + " takes no writes now: the system lets the program only read it", why);
    }
    if (whole) check = makeReady();
    if (check.result == SQLITE_OK) break;
    const int primary = check.result & 0xff;
    // What a connection opened for reading answers of writing is the system's, whatever the
    // file's and its folder's permissions say by the time it is asked.
    if ((readOnly_ && primary == SQLITE_READONLY) || !database::isFileFault(check.result, path_)) {
      readable_ = whole && holdsTable();
      const bool held = primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
      return refused(name +
                         (held ? " is busy: another program holds it (" : " can't be used now (") +
                         check.problem + ")",
                     why);
    }
    const std::string state = primary == SQLITE_NOTADB    ? " is no database ("
                              : primary == SQLITE_CORRUPT ? " is damaged ("
                                                          : " can't take the program's events (";
    // A file made just now that cannot be used either is not the file's fault.
    if (fresh) {
      return refused("a new event log at " + name + " can't be used: " + check.problem, why);
    }
    db_.reset();  // closed without a checkpoint, so that nothing is written into it
    std::string failure;
    const std::filesystem::path aside = database::setAside(path_, failure);
    if (aside.empty()) return refused(name + state + check.problem + ") and " + failure, why);
    qb::log::error("Event log: " + name + state + check.problem + "); it is kept as " +
                   aside.string() + ", untouched, and a new event log starts at " + name);
    connection = connect();
    check = {};
    if (connection.db) check.result = database::fullCheck(connection.db.get(), check.problem);
  }
  sqlite3_db_config(db_.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
  readable_ = true;
  const std::optional<size_t> written = writeWaiting(why);
  if (!written) return refused(name + " takes no events now (" + why + ")", why);
  // Said after a wait the log told of; what only a first check kept in memory never waited.
  if (waitingSaid_) {
    qb::log::info("Event log: " +
                  (*written > 0 ? "the " + eventCount(*written) + " kept in memory " +
                                      (*written == 1 ? "is" : "are")
                                : std::string("what was kept in memory is")) +
                  " saved to " + name);
  }
  inUse_ = true;
  failure_.clear();
  if (waitingSaid_ && waitingChanged_) waitingChanged_(false);
  waitingSaid_ = false;
  return true;
}

std::optional<size_t> EventStore::writeWaiting(std::string& why) {
  if (!somethingWaits()) return 0;
  sqlite3* db = db_.get();
  const auto failed = [&](std::string_view what) -> std::optional<size_t> {
    why = std::string(what) + ": " + sqlite3_errmsg(db);
    if (!sqlite3_get_autocommit(db)) run(db, "ROLLBACK");
    return std::nullopt;
  };
  if (!run(db, "BEGIN")) return failed("beginning to write what waited");
  if (deleted_ && !run(db, kDeleteAll)) return failed("deleting the events");
  if (prunedBefore_) {
    Statement prune(db, kPrune);
    if (!prune || !prune.bind(1, prunedBefore_->unixTime()) || prune.step() != SQLITE_DONE) {
      return failed("pruning the events");
    }
  }
  for (auto event = waiting_.begin(); event != waiting_.end();) {
    std::string problem;
    const int result = insert(*event, problem);
    if (result == SQLITE_DONE) {
      ++event;
    } else if (isTheEventsOwn(result)) {
      qb::log::error("Event log: the " + std::string(rawValue(event->kind)) +
                     " event that waited was not logged: " + problem);
      event = waiting_.erase(event);
    } else {
      return failed("writing what waited");
    }
  }
  if (!run(db, "COMMIT")) return failed("writing what waited");
  if (deleted_) compact(db);
  const size_t written = waiting_.size();
  waiting_.clear();
  prunedBefore_.reset();
  deleted_ = false;
  return written;
}

EventStore::Check EventStore::makeReady() {
  sqlite3* db = db_.get();
  const std::string name = path_.string();
  const auto failed = [db](std::string what) {
    Check check{sqlite3_extended_errcode(db), what + ": " + sqlite3_errmsg(db)};
    if (!sqlite3_get_autocommit(db)) run(db, "ROLLBACK");
    return check;
  };
  // The table in one transaction, checked before it ends: a file whose events table the program
  // cannot write into is left as it was found. Deferred, so that a current file, which it leaves
  // alone, is not held up by another program's write.
  if (!run(db, "BEGIN")) return failed("its table can't be made");
  // The ALTER would fail on every open after the first; it runs only where the column is missing,
  // so that any failure it reports is a real one.
  if (!run(db, kCreateTable) || !run(db, kCreateIndex) ||
      !(hasLabelColumn(db) || run(db, kAddLabel))) {
    return failed("its table can't be made");
  }
  const auto reference = database::referenceSchema(std::array{kCreateTable, kAddLabel});
  if (!reference) return failed("its table can't be compared");
  if (Check shape;
      (shape.result = database::shapeProblem(db, reference.get(), shape.problem)) != SQLITE_OK) {
    run(db, "ROLLBACK");
    return shape;
  }
  if (!run(db, "COMMIT")) return failed("its table can't be made");
  {
    Statement journal(db, "PRAGMA journal_mode = WAL");
    if (!journal || journal.step() != SQLITE_ROW) return failed("its journal mode can't be set");
    // A file system without shared memory keeps the rollback journal: slower for readers of
    // other connections, but every write is still durable, so the store goes on.
    if (const auto mode = journal.text(0); mode != "wal") {
      qb::log::error("Event log: " + name + " stays in journal mode " + mode.value_or("unknown"));
    }
  }
  // Events are logged on the main thread, one commit each. With the write-ahead log, NORMAL syncs
  // at checkpoints rather than at every commit: a crash of the program loses nothing, a power
  // failure at most the last moments' events, and no commit waits for the disk.
  if (!run(db, "PRAGMA synchronous = NORMAL")) {
    qb::log::error("Event log: " + name + " syncs every event to disk");
  }
  return {};
}

int EventStore::insert(const Event& event, std::string& why) {
  QuietStatements quiet;
  sqlite3* db = db_.get();
  Statement insert(db, kInsert);
  const bool bound = insert && insert.bind(1, event.at.unixTime()) &&
                     insert.bind(2, rawValue(event.kind)) && insert.bind(3, event.value) &&
                     insert.bind(4, event.label);
  if (bound && insert.step() == SQLITE_DONE) return SQLITE_DONE;
  why = sqlite3_errmsg(db);
  return sqlite3_extended_errcode(db);
}

void EventStore::log(Kind kind, double value, const std::optional<std::string>& label, Date at) {
  const auto notLogged = [&](const std::string& reason) {
    qb::log::error("Event log: the " + std::string(rawValue(kind)) + " event at " +
                   std::to_string(at.unixTime()) + " with the value " + std::to_string(value) +
                   " was not logged: " + reason);
  };
  // As the table's NOT NULL columns would refuse them.
  if (!std::isfinite(at.unixTime()) || !std::isfinite(value)) {
    notLogged("its time or value is not a number");
    return;
  }
  // A label is a task's name, taken from window titles that other programs wrote: stored as it
  // came, bytes that are no UTF-8 would make the row unreadable to every text reader after us.
  std::optional<std::string> text = label;
  if (text && !text::isValidUtf8(*text)) text = text::repairUtf8(*text);
  Event event{at, kind, value, std::move(text)};
  if (!inUse_) {
    waiting_.push_back(std::move(event));
    return;
  }
  std::string problem;
  const int result = insert(event, problem);
  if (result == SQLITE_DONE) return;
  // The synchronous store has no later try: its event is lost, and said.
  if (!main_ || isTheEventsOwn(result)) {
    notLogged(problem);
    return;
  }
  // The file refuses what it took until now: the event waits, and the file is tried afresh.
  inUse_ = false;
  waiting_.push_back(std::move(event));
  std::string why;
  refused(path_.string() + " takes no events now (" + problem + ")", why);
  retryLater();
}

EventStore::Recap EventStore::recap(Date since) const {
  Recap recap;
  if (const auto from = fileSince(since)) {
    Statement select(db_.get(), kRecap);
    if (select && select.bind(1, from->unixTime())) {
      Recap file;
      int result;
      while ((result = select.step()) == SQLITE_ROW) {
        if (const auto kind = parseKind(select.text(0).value_or(""))) {
          count(file, *kind, select.integer(1), select.number(2).value_or(0));
        }
      }
      if (result == SQLITE_DONE) recap = file;
    }
  }
  for (const Event& event : waiting_) {
    if (event.at >= since) count(recap, event.kind, 1, event.value);
  }
  return recap;
}

std::vector<EventStore::Event> EventStore::events(Date since) const {
  std::vector<Event> events;
  if (const auto from = fileSince(since)) {
    Statement select(db_.get(), kSelect);
    if (select && select.bind(1, from->unixTime())) {
      size_t skipped = 0;
      int result;
      while ((result = select.step()) == SQLITE_ROW) {
        const auto ts = select.number(0);
        const auto kind = parseKind(select.text(1).value_or(""));
        const auto value = select.number(2);
        if (!ts || !kind || !value) {
          ++skipped;
          continue;
        }
        events.push_back(Event{Date::fromUnix(*ts), *kind, *value, select.text(3)});
      }
      if (result != SQLITE_DONE) events.clear();
      if (result == SQLITE_DONE && skipped > 0) {
        qb::log::info("Event log: skipped " + std::to_string(skipped) +
                      " rows with an unknown kind or a time or value that is not a number");
      }
    }
  }
  if (waiting_.empty()) return events;
  std::copy_if(waiting_.begin(), waiting_.end(), std::back_inserter(events),
               [since](const Event& event) { return event.at >= since; });
  std::stable_sort(events.begin(), events.end(),
                   [](const Event& a, const Event& b) { return a.at < b.at; });
  return events;
}

std::optional<Date> EventStore::fileSince(Date since) const {
  if (inUse_) return since;
  // What waits is written after the deletion and the prune that wait with it.
  if (!readable_ || deleted_) return std::nullopt;
  return prunedBefore_ ? std::max(since, *prunedBefore_) : since;
}

void EventStore::prune(int keepingDays, Date now) {
  const Date cutoff = now - keepingDays * kSecondsPerDay;
  if (!inUse_) {
    if (!std::isfinite(cutoff.unixTime())) return;
    std::erase_if(waiting_, [cutoff](const Event& event) { return event.at < cutoff; });
    prunedBefore_ = std::max(prunedBefore_.value_or(cutoff), cutoff);
    return;
  }
  // The cutoff is bound, never written into the SQL: a number formatted as text can come out in
  // a form SQL does not read ("1,7e9" in a decimal-comma locale, "nan", "inf").
  Statement prune(db_.get(), kPrune);
  if (!prune || !prune.bind(1, cutoff.unixTime())) return;
  prune.step();
}

void EventStore::deleteAll() {
  if (const std::string kept = database::removeSetAsideCopies(path_); !kept.empty()) {
    qb::log::error("Event log: damaged logs set aside could not be deleted: " + kept);
  }
  if (!inUse_) {
    waiting_.clear();
    prunedBefore_.reset();
    deleted_ = true;
    return;
  }
  if (run(db_.get(), kDeleteAll)) compact(db_.get());
}

}  // namespace qb
