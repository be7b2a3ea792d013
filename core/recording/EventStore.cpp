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

void reportFailure(sqlite3* db, int result, std::string_view what) {
  std::string message = "Event log: " + std::string(what) + " failed: " + sqlite3_errstr(result);
  if (db != nullptr) message += std::string(" (") + sqlite3_errmsg(db) + ")";
  qb::log::error(message);
}

// One compiled statement, finalized when it goes. Every call reports its own failure to the log
// and answers whether it succeeded, so callers only decide what a failure costs.
class Statement {
public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    const int result = sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr);
    if (result != SQLITE_OK) {
      reportFailure(db, result, std::string("preparing \"") + sql + "\"");
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
      reportFailure(db_, result, std::string("running \"") + sqlite3_sql(statement_) + "\"");
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
    reportFailure(db_, result, what);
    return false;
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

void EventStore::connect() {
  if (path_.has_parent_path()) {
    const std::error_code error =
        file::createPrivateFolder(path_.parent_path(), file::ExistingFolder::tighten);
    if (error) {
      throw Error(kFolderErrorDomain, error.value(),
                  "Can't create the folder " + path_.parent_path().string() +
                      " for its user alone: " + error.message());
    }
  }

  const std::string name = path_.string();
  auto refuse = [&](sqlite3* db, int result, std::string_view what) {
    reportFailure(db, result, what);
    return Error(kErrorDomain, kOpenCode, "Can't open " + name);
  };
  if (const std::error_code error = file::protectDatabase(path_)) {
    qb::log::error("Event log: keeping " + name + " to its user failed: " + error.message());
    throw Error(kErrorDomain, kOpenCode, "Can't open " + name);
  }

  sqlite3* opened = nullptr;
  const int openResult =
      sqlite3_open_v2(name.c_str(), &opened, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  // SQLite hands back a connection even when the open fails; it is closed on every way out.
  std::unique_ptr<sqlite3, Close> db(opened);
  if (openResult != SQLITE_OK || !db) throw refuse(db.get(), openResult, "opening " + name);

  if (const int result = sqlite3_busy_timeout(db.get(), kBusyTimeoutMilliseconds);
      result != SQLITE_OK) {
    throw refuse(db.get(), result, "setting the busy timeout");
  }
  // Until the file is known to be sound, closing must not write into it: the last connection to
  // close would otherwise copy its write-ahead log into it.
  sqlite3_db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  db_ = std::move(db);
}

EventStore::EventStore(const std::filesystem::path& path) : path_(path) {
  connect();
  Check check;
  check.result = database::fullCheck(db_.get(), check.problem);
  if (std::string why; !settle(std::move(check), why)) {
    db_.reset();
    throw Error(kErrorDomain, kOpenCode, "Can't open " + path_.string());
  }
}

EventStore::EventStore(const std::filesystem::path& path, Executor& main, Timers& timers,
                       std::function<void()> inUse)
    : path_(path),
      main_(&main),
      timers_(&timers),
      inUseCallback_(std::move(inUse)),
      alive_(std::make_shared<bool>(true)),
      checker_(std::make_unique<SerialExecutor>()) {
  connect();
  checkLater();
}

EventStore::~EventStore() {
  if (alive_) *alive_ = false;
  if (retry_) timers_->cancel(*retry_);
  checker_.reset();  // a check under way still reads through the connection
}

void EventStore::checkLater() {
  checker_->post([this, db = db_.get(), alive = alive_] {
    Check check;
    check.result = database::fullCheck(db, check.problem);
    main_->post([this, alive, check = std::move(check)]() mutable {
      if (!*alive) return;
      if (std::string why; !settle(std::move(check), why)) {
        // A lock, a full disk or a folder that takes no writes may pass; a file that could not be
        // set aside may be moved by its user.
        retry_ = timers_->schedule(kCheckRetrySeconds, [this, alive] {
          if (!*alive) return;
          retry_.reset();
          checkLater();
        });
        return;
      }
      if (inUseCallback_) inUseCallback_();
    });
  });
}

bool EventStore::settle(Check check, std::string& why) {
  const std::string name = path_.string();
  auto fail = [&](std::string reason) {
    // Said once while it stays the same: a store that checks again later would say it every time.
    if (reason != failure_) {
      qb::log::error("Event log: " + reason +
                     (main_ ? "; what is logged meanwhile is kept in memory" : ""));
    }
    failure_ = reason;
    why = std::move(reason);
    return false;
  };
  try {
    for (bool fresh = false;; fresh = true) {
      if (check.result == SQLITE_OK) check = makeReady();
      if (check.result == SQLITE_OK) break;
      if (!database::isFileFault(check.result, path_)) {
        const int primary = check.result & 0xff;
        const bool held = primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
        return fail(name +
                    (held ? " is busy: another program holds it (" : " can't be used now (") +
                    check.problem + ")");
      }
      const std::string state = (check.result & 0xff) == SQLITE_NOTADB ? " is no database ("
                                : (check.result & 0xff) == SQLITE_CORRUPT
                                    ? " is damaged ("
                                    : " can't take the program's events (";
      // A file made just now that cannot be used either is not the file's fault.
      if (fresh) return fail("a new event log at " + name + " can't be used: " + check.problem);
      db_.reset();  // closed without a checkpoint, so that nothing is written into it
      std::string failure;
      const std::filesystem::path aside = database::setAside(path_, failure);
      if (aside.empty()) {
        connect();
        return fail(name + state + check.problem + ") and " + failure);
      }
      qb::log::error("Event log: " + name + state + check.problem + "); it is kept as " +
                     aside.string() + ", untouched, and a new event log starts at " + name);
      connect();
      check.result = database::fullCheck(db_.get(), check.problem);
    }
  } catch (const Error& error) {
    return fail(error.what());
  }
  sqlite3_db_config(db_.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
  inUse_ = true;
  failure_.clear();

  // What was done while the file was being checked, in the order it was done.
  if (deleted_) deleteAll();
  if (prunedBefore_) {
    Statement prune(db_.get(), kPrune);
    if (prune && prune.bind(1, prunedBefore_->unixTime())) prune.step();
  }
  if (!waiting_.empty()) {
    const bool batched = run(db_.get(), "BEGIN");
    for (const Event& event : waiting_) log(event.kind, event.value, event.label, event.at);
    if (batched) run(db_.get(), "COMMIT");
  }
  waiting_.clear();
  prunedBefore_.reset();
  deleted_ = false;
  return true;
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

void EventStore::log(Kind kind, double value, const std::optional<std::string>& label, Date at) {
  // A label is a task's name, taken from window titles that other programs wrote: stored as it
  // came, bytes that are no UTF-8 would make the row unreadable to every text reader after us.
  std::optional<std::string> text = label;
  if (text && !text::isValidUtf8(*text)) text = text::repairUtf8(*text);

  if (!inUse_) {
    // As the table's NOT NULL columns would refuse them.
    if (!std::isfinite(at.unixTime()) || !std::isfinite(value)) {
      qb::log::error("Event log: the " + std::string(rawValue(kind)) +
                     " event with a time or value that is not a number was not logged");
      return;
    }
    waiting_.push_back(Event{at, kind, value, std::move(text)});
    return;
  }
  Statement insert(db_.get(), kInsert);
  if (!insert) return;
  if (!insert.bind(1, at.unixTime()) || !insert.bind(2, rawValue(kind)) || !insert.bind(3, value) ||
      !insert.bind(4, text)) {
    return;
  }
  if (insert.step() != SQLITE_DONE) {
    qb::log::error("Event log: the " + std::string(rawValue(kind)) + " event at " +
                   std::to_string(at.unixTime()) + " with the value " + std::to_string(value) +
                   " was not logged");
  }
}

EventStore::Recap EventStore::recap(Date since) const {
  Recap recap;
  if (!inUse_) {
    for (const Event& event : waiting_) {
      if (event.at >= since) count(recap, event.kind, 1, event.value);
    }
    return recap;
  }
  Statement select(db_.get(), kRecap);
  if (!select || !select.bind(1, since.unixTime())) return {};
  int result;
  while ((result = select.step()) == SQLITE_ROW) {
    if (const auto kind = parseKind(select.text(0).value_or(""))) {
      count(recap, *kind, select.integer(1), select.number(2).value_or(0));
    }
  }
  return result == SQLITE_DONE ? recap : Recap();
}

std::vector<EventStore::Event> EventStore::events(Date since) const {
  if (!inUse_) {
    std::vector<Event> events;
    std::copy_if(waiting_.begin(), waiting_.end(), std::back_inserter(events),
                 [since](const Event& event) { return event.at >= since; });
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.at < b.at; });
    return events;
  }
  Statement select(db_.get(), kSelect);
  if (!select || !select.bind(1, since.unixTime())) return {};
  std::vector<Event> events;
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
  if (result != SQLITE_DONE) return {};
  if (skipped > 0) {
    qb::log::info("Event log: skipped " + std::to_string(skipped) +
                  " rows with an unknown kind or a time or value that is not a number");
  }
  return events;
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
  if (!run(db_.get(), kDeleteAll)) return;
  // The deleted rows' bytes stay in free pages until the file is rebuilt, and in the write-ahead
  // log until it is emptied into the file and cut.
  run(db_.get(), kVacuum);
  run(db_.get(), kCheckpoint);
}

}  // namespace qb
