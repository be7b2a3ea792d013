// The recorder's stream, its batched writes and the running of statements.

#include "recording/Recorder.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <iterator>
#include <mutex>
#include <utility>
#include <variant>

#include "base/Error.h"
#include "base/Json.h"
#include "base/Log.h"
#include "recording/RecorderValues.h"

namespace qb {
namespace {

using recorder::isStatementFault;

struct FinalizeStatement {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

int bind(sqlite3_stmt* statement, int index, const SqlValue& value) {
  return std::visit(
      [&](const auto& held) -> int {
        using T = std::decay_t<decltype(held)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return sqlite3_bind_null(statement, index);
        } else if constexpr (std::is_same_v<T, int64_t>) {
          return sqlite3_bind_int64(statement, index, held);
        } else if constexpr (std::is_same_v<T, double>) {
          return sqlite3_bind_double(statement, index, held);
        } else {
          return sqlite3_bind_text64(statement, index, held.data(), held.size(), SQLITE_TRANSIENT,
                                     SQLITE_UTF8);
        }
      },
      value.storage());
}

SqlValue column(sqlite3_stmt* statement, int index) {
  switch (sqlite3_column_type(statement, index)) {
    case SQLITE_INTEGER:
      return SqlValue(static_cast<int64_t>(sqlite3_column_int64(statement, index)));
    case SQLITE_FLOAT:
      return SqlValue(sqlite3_column_double(statement, index));
    case SQLITE_TEXT: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
      int bytes = sqlite3_column_bytes(statement, index);
      return text ? SqlValue(std::string_view(text, static_cast<size_t>(bytes))) : SqlValue();
    }
    default:
      return SqlValue();
  }
}

}  // namespace

struct Recorder::Outlet {
  std::mutex mutex;
  Recorder* recorder = nullptr;  // null once the recorder is going

  void write() {
    std::lock_guard lock(mutex);
    if (recorder == nullptr) return;
    Recorder* target = recorder;
    target->enqueue([target] {
      --target->timersArmed_;
      target->write(target->clock_.now());
    });
  }
};

Recorder::Recorder(const std::filesystem::path& file, Executor& main, Timers& timers,
                   const WallClock& clock, std::function<void(bool waiting)> waitingChanged)
    : path_(file),
      main_(main),
      timers_(timers),
      clock_(clock),
      waitingChanged_(std::move(waitingChanged)),
      outlet_(std::make_shared<Outlet>()) {
  outlet_->recorder = this;
  // What the system answers here is kept back like any later refusal (nothing runs on executor_
  // yet, so the state is this thread's to set): the first operation of the stream tries again.
  try {
    connect();
  } catch (const Error& error) {
    keepBack(error.what());
  }
  // The check reads the whole file, which takes seconds for a long recording on a cold disk: it
  // runs first in the stream, so whatever is recorded meanwhile waits behind it, in memory.
  enqueue([this] { (void)prepare(); });
}

Recorder::~Recorder() {
  {
    std::lock_guard lock(outlet_->mutex);
    outlet_->recorder = nullptr;
  }
  enqueue([this] {
    // The program is going: no one is left to tell.
    waitingChanged_ = nullptr;
    if (!write(clock_.now()) && !pending_.empty()) {
      log::error("Recording: " + std::to_string(pending_.size()) +
                 " statements could not be saved before closing and are lost");
    }
  });
  // executor_ goes first, running everything queued; then the file closes.
}

void Recorder::enqueue(std::function<void()> operation) {
  executor_.post(std::move(operation), [](std::exception_ptr failure) {
    try {
      std::rethrow_exception(failure);
    } catch (const std::exception& error) {
      log::error(std::string("Recording operation failed: ") + error.what());
    } catch (...) {
      log::error("Recording operation failed");
    }
  });
}

void Recorder::add(std::string sql, std::vector<SqlValue> values) {
  if (!session_) return;
  keep(ofSession(std::move(sql), std::move(values)));
}

Recorder::Statement Recorder::ofSession(std::string sql, std::vector<SqlValue> values) const {
  Statement statement{std::move(sql), {}, std::nullopt, std::nullopt};
  statement.values.reserve(values.size() + 1);
  statement.values.push_back(session_ ? SqlValue(session_->id) : SqlValue());
  std::move(values.begin(), values.end(), std::back_inserter(statement.values));
  if (session_ && session_->provisional) statement.ofKeptSession = session_->id;
  return statement;
}

void Recorder::keep(Statement statement) {
  const size_t before = pending_.size();
  pending_.push_back(std::move(statement));
  if (before + 1 >= kBatchStatements && !failing_) {
    write(clock_.now());
  } else if (before == 0) {
    arm();
  }
}

void Recorder::arm() {
  ++timersArmed_;
  main_.post([outlet = outlet_, &timers = timers_] {
    timers.schedule(kBatchDelay, [outlet] { outlet->write(); });
  });
}

void Recorder::keepBack(std::string why) {
  if (!failing_ || why != failure_) {
    const std::string kept = pending_.empty()
                                 ? "nothing can be written now"
                                 : std::to_string(pending_.size()) + " statements not saved yet";
    log::error("Recording: " + kept + " (" + why + "); trying again in " +
               std::to_string(static_cast<int>(kBatchDelay)) + " s");
  }
  failure_ = std::move(why);
  if (timersArmed_ == 0) arm();  // one retry timer at a time, however often flush() asks
  setFailing(true);
  disconnect();
}

std::string Recorder::refusal(int result) const {
  if ((result & 0xff) == SQLITE_BUSY || (result & 0xff) == SQLITE_LOCKED) {
    return path_.string() + " is busy: another program holds it";
  }
  return sqlite3_errstr(result);
}

void Recorder::setFailing(bool failing) {
  if (failing == failing_) return;
  failing_ = failing;
  if (waitingChanged_) main_.post([tell = waitingChanged_, failing] { tell(failing); });
}

// Runs also with nothing pending: prompts are resolved at every write, whether or not a session
// is current.
bool Recorder::write(Date now) {
  // A connection SQLite opened for reading only (to read a file that takes no writes) would
  // refuse every statement: a new one writes once the file, its folder or its mount takes writes
  // again.
  if (readOnly_) disconnect();
  if (!prepare()) return false;
  if (readOnly_) {
    keepBack(path_.string() + " takes no writes now: it opens for reading only");
    return false;
  }
  auto fail = [this](int code) {
    if (!sqlite3_get_autocommit(db_.get())) exec("ROLLBACK", "rolling back a failed batch");
    keepBack(refusal(code));
    return false;
  };
  if (int result = exec("BEGIN IMMEDIATE", "starting a batch"); result != SQLITE_OK) {
    return fail(result);
  }
  // The row ids that sessions kept under a provisional number get in this transaction.
  std::map<int64_t, int64_t> assigned;
  for (const Statement& kept : pending_) {
    const Statement* statement = &kept;
    Statement bound;
    if (kept.ofKeptSession) {
      const auto found = assigned.find(*kept.ofKeptSession);
      if (found == assigned.end()) {
        log::error("Recording: a row of a session whose own row was refused is dropped: \"" +
                   kept.sql.substr(0, 60) + "\"");
        continue;
      }
      bound = kept;
      bound.values.front() = SqlValue(found->second);
      statement = &bound;
    }
    int result = run(*statement, "a recorded row");
    if (result != SQLITE_OK && !isStatementFault(result)) return fail(result);
    if (result == SQLITE_OK && kept.provisional) {
      assigned.emplace(*kept.provisional, sqlite3_last_insert_rowid(db_.get()));
    }
  }
  if (int result = resolvePrompts(now); result != SQLITE_OK && !isStatementFault(result)) {
    return fail(result);
  }
  if (int result = exec("COMMIT", "committing a batch"); result != SQLITE_OK) {
    return fail(result);
  }
  if (failing_) log::info("Recording: the statements kept back are saved");
  setFailing(false);
  pending_.clear();
  if (session_ && session_->provisional) {
    const auto found = assigned.find(session_->id);
    if (found == assigned.end()) {
      log::error("Recording: the session's row was refused; nothing more is recorded in it");
      session_.reset();
    } else {
      session_ = Session{found->second};
    }
  }
  return true;
}

std::future<void> Recorder::flush() {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> result = done->get_future();
  enqueue([this, done] {
    // A write that failed with nothing pending failed only in resolving prompts, which the next
    // write does again: nothing recorded is unsaved.
    if (write(clock_.now()) || pending_.empty()) {
      done->set_value();
    } else {
      done->set_exception(std::make_exception_ptr(
          Error(kErrorDomain, kNotSavedCode,
                std::to_string(pending_.size()) +
                    " recorded statements are not saved yet: " + failure_)));
    }
  });
  return result;
}

int Recorder::run(const Statement& statement, std::string_view what) {
  auto failed = [&](int code) {
    if (!failing_ || isStatementFault(code)) {
      log::error("Recording: " + std::string(what) + " failed: " + sqlite3_errmsg(db_.get()) +
                 " (" + std::to_string(code) + ") in \"" + statement.sql.substr(0, 60) + "\"");
    }
    return code;
  };
  auto cached = prepared_.find(statement.sql);
  if (cached == prepared_.end()) {
    sqlite3_stmt* raw = nullptr;
    const int result =
        sqlite3_prepare_v2(db_.get(), statement.sql.c_str(),
                           static_cast<int>(statement.sql.size() + 1), &raw, nullptr);
    Prepared compiled(raw, sqlite3_finalize);
    if (result != SQLITE_OK) return failed(result);
    if (!compiled) return SQLITE_OK;  // only a comment or blanks
    cached = prepared_.emplace(statement.sql, std::move(compiled)).first;
  }
  sqlite3_stmt* compiled = cached->second.get();
  // Left reset and unbound whatever happens, so that it holds no lock and no value until its
  // next use.
  struct Rewind {
    sqlite3_stmt* statement;
    ~Rewind() {
      sqlite3_reset(statement);
      sqlite3_clear_bindings(statement);
    }
  } rewind{compiled};
  for (size_t i = 0; i < statement.values.size(); ++i) {
    const int result = bind(compiled, static_cast<int>(i + 1), statement.values[i]);
    if (result != SQLITE_OK) return failed(result);
  }
  const int result = sqlite3_step(compiled);
  if (result != SQLITE_DONE && result != SQLITE_ROW) return failed(result);
  return SQLITE_OK;
}

int Recorder::exec(const char* sql, std::string_view what) { return run(Statement{sql, {}}, what); }

std::optional<std::vector<Recorder::Row>> Recorder::query(const std::string& sql,
                                                          const std::vector<SqlValue>& values) {
  sqlite3_stmt* raw = nullptr;
  int result =
      sqlite3_prepare_v2(db_.get(), sql.c_str(), static_cast<int>(sql.size() + 1), &raw, nullptr);
  StatementHandle compiled(raw);
  auto failed = [&] {
    if (!failing_ || isStatementFault(sqlite3_extended_errcode(db_.get()))) {
      log::error("Recording: a query failed: " + std::string(sqlite3_errmsg(db_.get())) + " in \"" +
                 sql.substr(0, 60) + "\"");
    }
    return std::nullopt;
  };
  if (result != SQLITE_OK || !compiled) return failed();
  for (size_t i = 0; i < values.size(); ++i) {
    if (bind(compiled.get(), static_cast<int>(i + 1), values[i]) != SQLITE_OK) return failed();
  }
  std::vector<Row> rows;
  while ((result = sqlite3_step(compiled.get())) == SQLITE_ROW) {
    Row row;
    for (int i = 0, n = sqlite3_column_count(compiled.get()); i < n; ++i) {
      row.emplace(sqlite3_column_name(compiled.get(), i), column(compiled.get(), i));
    }
    rows.push_back(std::move(row));
  }
  if (result != SQLITE_DONE) return failed();
  return rows;
}

std::string Recorder::json(const Json& value) { return json::dump(value); }

std::optional<std::string> Recorder::frameJSON(const MomentRecord::Rect& frame) {
  Json list = Json::array();
  for (double value : {frame.x, frame.y, frame.width, frame.height}) {
    if (!(std::fabs(value) < kMaxFrameMagnitude)) return std::nullopt;
    list.push_back(static_cast<int64_t>(std::round(value)));
  }
  return json::dump(list);
}

}  // namespace qb
