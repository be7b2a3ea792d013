// Opening the recording: the file, its mode and its schema.

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/Error.h"
#include "base/File.h"
#include "base/Log.h"
#include "recording/DatabaseCheck.h"
#include "recording/Recorder.h"

namespace qb {
namespace {

// The schema, in order. Every CREATE names exactly the columns of its table's first form; the
// ALTERs add the later columns, and run at every open: on a current file they fail as duplicates,
// which is how an older file is migrated and a current one left alone.
constexpr std::array<const char*, 31> kSchema = {
    "CREATE TABLE IF NOT EXISTS sessions (id INTEGER PRIMARY KEY, started REAL NOT NULL, "
    "app_version TEXT, model TEXT, schema_revision TEXT, analyzer TEXT, policy TEXT, os TEXT, "
    "mac TEXT)",
    "CREATE TABLE IF NOT EXISTS moments (session INTEGER NOT NULL, id INTEGER, started REAL NOT "
    "NULL, ended REAL, app TEXT, bundle_id TEXT, title TEXT, url TEXT, host TEXT, document TEXT, "
    "browser TEXT, tab TEXT, cause TEXT, read_ms REAL, idle REAL, full_screen INTEGER, frame TEXT, "
    "displays INTEGER, keys INTEGER, clicks INTEGER, scrolls INTEGER, page_text TEXT, focused_text "
    "TEXT, text_ms REAL, excluded INTEGER NOT NULL DEFAULT 0)",
    "ALTER TABLE moments ADD COLUMN agent TEXT",
    "ALTER TABLE moments ADD COLUMN agent_task TEXT",
    "ALTER TABLE sessions ADD COLUMN uid TEXT",
    "ALTER TABLE sessions ADD COLUMN observation INTEGER",
    "ALTER TABLE moments ADD COLUMN read_via TEXT",
    "ALTER TABLE moments ADD COLUMN app_category TEXT",
    "ALTER TABLE moments ADD COLUMN window_share TEXT",
    "ALTER TABLE moments ADD COLUMN agent_repository INTEGER",
    "ALTER TABLE moments ADD COLUMN moves INTEGER",
    "ALTER TABLE moments ADD COLUMN ticks TEXT",
    "ALTER TABLE moments ADD COLUMN media INTEGER",
    "ALTER TABLE moments ADD COLUMN page_shape TEXT",
    "ALTER TABLE moments ADD COLUMN focused_role TEXT",
    "CREATE UNIQUE INDEX IF NOT EXISTS moments_id ON moments (session, id)",
    "CREATE INDEX IF NOT EXISTS moments_started ON moments (session, started)",
    "CREATE INDEX IF NOT EXISTS moments_open ON moments (session) WHERE ended IS NULL",
    "CREATE TABLE IF NOT EXISTS model_runs (session INTEGER NOT NULL, moment INTEGER NOT NULL, at "
    "REAL NOT NULL, pass TEXT NOT NULL, task TEXT, input TEXT, context TEXT, probabilities TEXT, "
    "entities TEXT, latency_ms REAL, cache_hit INTEGER NOT NULL, revision TEXT)",
    "CREATE INDEX IF NOT EXISTS model_runs_moment ON model_runs (session, moment)",
    "CREATE TABLE IF NOT EXISTS decisions (session INTEGER NOT NULL, moment INTEGER, at REAL NOT "
    "NULL, mode TEXT NOT NULL, learned REAL, terms TEXT, drift REAL, cooldowns TEXT, activity "
    "TEXT, score REAL, about REAL, in_front INTEGER, decision TEXT NOT NULL, reason TEXT)",
    "CREATE INDEX IF NOT EXISTS decisions_moment ON decisions (session, moment)",
    "CREATE TABLE IF NOT EXISTS switches (session INTEGER NOT NULL, moment INTEGER, at REAL NOT "
    "NULL, similarity REAL, activity TEXT, score REAL, site TEXT, site_weight REAL, reading REAL, "
    "verdict TEXT NOT NULL, work TEXT)",
    "CREATE TABLE IF NOT EXISTS prompts (id TEXT PRIMARY KEY, session INTEGER NOT NULL, moment "
    "INTEGER, shown_at REAL NOT NULL, drift_start REAL, driver TEXT, title TEXT, line TEXT, why "
    "TEXT, outcome TEXT, outcome_at REAL, followed_by TEXT)",
    "CREATE TABLE IF NOT EXISTS contexts (session INTEGER NOT NULL, at REAL NOT NULL, event TEXT "
    "NOT NULL, summary TEXT, terms TEXT, titles TEXT)",
    "CREATE TABLE IF NOT EXISTS labels (id INTEGER PRIMARY KEY, session INTEGER NOT NULL, moment "
    "INTEGER, started REAL, ended REAL, label TEXT NOT NULL, source TEXT NOT NULL, labeler TEXT, "
    "confidence REAL, rationale TEXT, prompt TEXT, labelled_at REAL NOT NULL)",
    "ALTER TABLE labels ADD COLUMN answer TEXT",
    "CREATE INDEX IF NOT EXISTS labels_session ON labels (session)",
    "CREATE TABLE IF NOT EXISTS retractions (session INTEGER, answer TEXT NOT NULL, at REAL NOT "
    "NULL)",
    "CREATE TABLE IF NOT EXISTS shared (name TEXT PRIMARY KEY, last INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS system (session INTEGER NOT NULL, at REAL NOT NULL, event TEXT NOT "
    "NULL, moment INTEGER, detail TEXT)",
};

// The first columns of the two tables every recording has had from its first version: a file
// whose tables of these names begin otherwise belongs to some other program.
constexpr std::array<std::string_view, 9> kSessionColumns = {
    "id", "started", "app_version", "model", "schema_revision", "analyzer", "policy", "os", "mac"};
constexpr std::array<std::string_view, 25> kMomentColumns = {
    "session",   "id",           "started",  "ended",    "app",  "bundle_id", "title",
    "url",       "host",         "document", "browser",  "tab",  "cause",     "read_ms",
    "idle",      "full_screen",  "frame",    "displays", "keys", "clicks",    "scrolls",
    "page_text", "focused_text", "text_ms",  "excluded"};

// The file and its write-ahead log as stat() finds them: device, inode, size and modification
// time of each ("-" for a log that is not there); empty when either cannot be looked at, which
// never equals a state taken before.
std::string fileState(const std::filesystem::path& file) {
  std::string state;
  for (const std::string& path : {file.string(), file.string() + "-wal"}) {
    struct stat found {};
    if (::stat(path.c_str(), &found) != 0) {
      if (errno != ENOENT || state.empty()) return {};
      state += "-";
      continue;
    }
    state += std::to_string(found.st_dev) + ' ' + std::to_string(found.st_ino) + ' ' +
             std::to_string(found.st_size) + ' ' + std::to_string(found.st_mtim.tv_sec) + '.' +
             std::to_string(found.st_mtim.tv_nsec) + ';';
  }
  return state;
}

}  // namespace

void Recorder::CloseDatabase::operator()(sqlite3* db) const {
  // Every statement is finalized where it is made, so the close cannot be left busy.
  if (int result = sqlite3_close(db); result != SQLITE_OK) {
    log::error(std::string("Recording: closing the file failed: ") + sqlite3_errstr(result));
  }
}

void Recorder::failOpen(const std::string& why) {
  // Whoever catches it keeps back what is recorded and says why (keepBack, once while the reason
  // stays the same), which closes what is left of the connection: the next try opens a new one.
  throw Error(kErrorDomain, kOpenFailedCode, "Can't open " + path_.string() + ": " + why);
}

void Recorder::connect() {
  checked_ = false;
  readOnly_ = false;
  std::error_code error =
      file::createPrivateFolder(path_.parent_path(), file::ExistingFolder::tighten);
  if (error) failOpen("can't create its folder for its user alone: " + error.message());
  error = file::protectDatabase(path_);
  if (error) failOpen("can't keep it to its user: " + error.message());

  sqlite3* db = nullptr;
  int result =
      sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  db_.reset(db);
  if (result != SQLITE_OK || db == nullptr) {
    failOpen(db ? sqlite3_errmsg(db) : sqlite3_errstr(result));
  }
  // SQLite opens a file it cannot write for reading only, without an error. Asked before the first
  // read: from then on a header that SQLite may only read sets the same flag, and that is the
  // file's doing, not the system's.
  readOnly_ = sqlite3_db_readonly(db, "main") == 1;
  // Our own values only ever reach the file through bound parameters; nothing else may.
  sqlite3_extended_result_codes(db, 1);
  if (sqlite3_busy_timeout(db, kBusyTimeoutMilliseconds) != SQLITE_OK) {
    failOpen(sqlite3_errmsg(db));
  }
  // Until the file is known to be a whole recording, closing it must not write into it: the last
  // connection to close would otherwise copy its write-ahead log into it.
  sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

void Recorder::disconnect() {
  prepared_.clear();
  const bool checked = checked_ && db_;
  // Closed as it is: the log keeps what it holds for the next connection, and the file stays as
  // the refusal left it, so that what changes it from here on (another program, a new copy)
  // makes the next connection check it again.
  if (db_) sqlite3_db_config(db_.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  db_.reset();
  ready_ = false;
  checked_ = false;
  readOnly_ = false;
  if (checked) checkedFile_ = fileState(path_);
}

bool Recorder::isFileFault(int result) const {
  // A connection SQLite opened for reading only answers that it is read-only because the system
  // would not let it write then, whatever the file's mode is by now.
  if (readOnly_ && (result & 0xff) == SQLITE_READONLY) return false;
  return database::isFileFault(result, path_);
}

bool Recorder::prepare() {
  if (ready_) return true;
  try {
    settle();
  } catch (const Error& error) {
    keepBack(error.what());  // nothing can be written to it now
  }
  return ready_;
}

void Recorder::settle() {
  // The check is the first read of the file: a file that is no database, or a damaged one, is
  // found out here, before anything is written to it. It reads every page, so it runs once per
  // file, however often a later step fails and is tried again: a new connection to the file as
  // the last checked one left it takes that check. Whole: an index that names rows that are not
  // there passes a check of the pages alone, and then fails every read through it.
  if (!db_) connect();  // closed at a refusal, or by a set-aside that failed
  for (bool fresh = false;; fresh = true) {
    std::string problem;
    int result = SQLITE_OK;
    if (!checked_ && !checkedFile_.empty() && checkedFile_ == fileState(path_)) checked_ = true;
    if (!checked_) {
      result = database::fullCheck(db_.get(), problem);
      checked_ = result == SQLITE_OK;
    }
    if (result == SQLITE_OK) result = refuseForeignFile(problem);
    const bool read = result == SQLITE_OK;  // what failed from here on is the schema
    if (result == SQLITE_OK) result = createSchema(problem);
    if (result == SQLITE_OK) result = useWriteAheadLog(problem);
    if (result == SQLITE_OK) break;
    if (!isFileFault(result)) {
      if ((result & 0xff) == SQLITE_BUSY || (result & 0xff) == SQLITE_LOCKED) {
        keepBack(refusal(result));
        return;
      }
      failOpen("it can't be used now: " + problem);
    }
    // A file made just now that cannot be used either is not the file's fault.
    if (fresh) failOpen("a new recording can't be used either: " + problem);
    // Closed without a checkpoint first, so that nothing of it is written on the way out.
    disconnect();
    setAside(read                               ? "can't take the program's rows"
             : (result & 0xff) == SQLITE_NOTADB ? "is not a recording"
                                                : "is damaged",
             problem);
    connect();
  }
  sqlite3_db_config(db_.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
  ready_ = true;
}

int Recorder::useWriteAheadLog(std::string& problem) {
  // WAL: a commit survives a crash whole, and a reader's transaction never holds up the writer.
  sqlite3_stmt* raw = nullptr;
  int result = sqlite3_prepare_v2(db_.get(), "PRAGMA journal_mode = WAL", -1, &raw, nullptr);
  std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> pragma(raw, sqlite3_finalize);
  if (result == SQLITE_OK) result = sqlite3_step(pragma.get());
  if (result != SQLITE_ROW) {
    problem = std::string("its journal mode can't be set: ") + sqlite3_errmsg(db_.get());
    return result;
  }
  const auto* mode = reinterpret_cast<const char*>(sqlite3_column_text(pragma.get(), 0));
  // Said once while the file keeps being refused: every try makes the file ready again.
  if ((mode == nullptr || std::string_view(mode) != "wal") && !failing_) {
    log::error("Recording: the file stays in journal mode " + std::string(mode ? mode : "unknown") +
               "; readers may hold up writes");
  }
  return SQLITE_OK;
}

void Recorder::setAside(std::string_view state, const std::string& problem) {
  std::string why;
  const std::filesystem::path aside = database::setAside(path_, why);
  checkedFile_.clear();
  if (aside.empty()) failOpen("it " + std::string(state) + " (" + problem + ") and " + why);
  log::error("Recording: " + path_.string() + " " + std::string(state) + " (" + problem +
             "); it is kept as " + aside.string() + ", untouched, and a new recording starts at " +
             path_.string());
}

int Recorder::refuseForeignFile(std::string& problem) {
  std::optional<std::vector<Row>> objects = query("SELECT name FROM sqlite_master");
  if (!objects) {
    problem = sqlite3_errmsg(db_.get());
    return sqlite3_extended_errcode(db_.get());
  }
  if (objects->empty()) return SQLITE_OK;  // new, or empty: ours to fill
  auto beginsWith = [this](std::string_view table, auto expected) {
    std::optional<std::vector<Row>> columns =
        query("SELECT name FROM pragma_table_info(?) ORDER BY cid", {SqlValue(table)});
    if (!columns || columns->size() < expected.size()) return false;
    for (size_t i = 0; i < expected.size(); ++i) {
      const auto* name = std::get_if<std::string>(&(*columns)[i].at("name").storage());
      if (name == nullptr || *name != expected[i]) return false;
    }
    return true;
  };
  if (!beginsWith("sessions", kSessionColumns) || !beginsWith("moments", kMomentColumns)) {
    problem = "it holds another program's database";
    return SQLITE_NOTADB;
  }
  return SQLITE_OK;
}

int Recorder::createSchema(std::string& problem) {
  // One transaction: a file the program cannot build on is left as it was found. Deferred, so
  // that a current file, whose statements change nothing, is made ready while another program
  // holds the write lock or the file takes no writes, and can be read and exported.
  auto fail = [&](std::string_view statement) {
    const int result = sqlite3_extended_errcode(db_.get());
    problem = "its schema can't be made: " + std::string(sqlite3_errmsg(db_.get())) +
              (statement.empty() ? "" : " in \"" + std::string(statement) + "\"");
    if (!sqlite3_get_autocommit(db_.get()))
      sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    return result;
  };
  if (sqlite3_exec(db_.get(), "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
    return fail({});
  }
  for (const char* statement : kSchema) {
    if (sqlite3_exec(db_.get(), statement, nullptr, nullptr, nullptr) == SQLITE_OK) continue;
    // A column that exists already is the migration's expected answer on a current file.
    const bool present =
        std::string_view(statement).starts_with("ALTER TABLE") &&
        std::string_view(sqlite3_errmsg(db_.get())).find("duplicate column name") !=
            std::string_view::npos;
    if (!present) return fail(statement);
  }
  // Tables of these names made by something else may lack a column, or want one the program
  // never fills: every row written into them would be refused.
  const auto reference = database::referenceSchema(kSchema);
  if (!reference) {
    problem = "its schema can't be compared: out of memory";
    sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    return SQLITE_NOMEM;
  }
  if (const int result = database::shapeProblem(db_.get(), reference.get(), problem);
      result != SQLITE_OK) {
    sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    return result;
  }
  if (sqlite3_exec(db_.get(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) return fail({});
  return SQLITE_OK;
}

}  // namespace qb
