// Sharing cursors and the batches of rows not yet shared.

#include <sqlite3.h>

#include <algorithm>
#include <utility>
#include <variant>

#include "base/Error.h"
#include "base/Json.h"
#include "base/Log.h"
#include "recording/Recorder.h"
#include "recording/Sharing.h"

namespace qb {
namespace {

// The value of column `c` of the moment's most recent model run of pass `p`.
std::string latestPass(std::string_view column, std::string_view pass) {
  return "(SELECT " + std::string(column) +
         " FROM model_runs r WHERE r.session = m.session AND r.moment = m.id AND r.pass = '" +
         std::string(pass) + "' ORDER BY r.rowid DESC LIMIT 1)";
}

template <typename T>
const T* get(const Sharing::Row& row, std::string_view column) {
  auto found = row.find(column);
  return found == row.end() ? nullptr : std::get_if<T>(&found->second.storage());
}

}  // namespace

std::string Recorder::shareQuery(std::string_view table) {
  if (table == "sessions") {
    return "SELECT rowid AS seq, * FROM sessions WHERE rowid > ? ORDER BY rowid LIMIT ?";
  }
  if (table == "moments") {
    return "SELECT m.rowid AS seq, m.*, s.uid AS session_uid, s.started AS session_started,\n    " +
           latestPass("probabilities", "head") + " AS head, " + latestPass("task", "head") +
           " AS head_task,\n    " + latestPass("revision", "head") + " AS revision, " +
           latestPass("probabilities", "similarity") +
           " AS similarity\nFROM moments m LEFT JOIN sessions s ON s.id = m.session WHERE m.rowid "
           "> ? ORDER BY m.rowid LIMIT ?";
  }
  const std::string t(table);
  return "SELECT t.rowid AS seq, t.*, s.uid AS session_uid, s.started AS session_started\nFROM " +
         t + " t LEFT JOIN sessions s ON s.id = t.session WHERE t.rowid > ? ORDER BY t.rowid " +
         "LIMIT ?";
}

bool Recorder::isFinal(std::string_view table, const Row& row, Date now) const {
  if (table == "moments") {
    // A moment still open, or just ended, may yet get its counters or its text.
    const SqlValue* ended = nullptr;
    if (auto found = row.find("ended"); found != row.end()) ended = &found->second;
    if (ended != nullptr && !ended->isNull()) {
      const auto* real = std::get_if<double>(&ended->storage());
      const auto* whole = std::get_if<int64_t>(&ended->storage());
      if (real == nullptr && whole == nullptr) return true;  // no time at all: nothing will change
      const double at = real ? *real : static_cast<double>(*whole);
      return at < (now - kShareSettle).unixTime();
    }
    const int64_t* session = get<int64_t>(row, "session");
    return !session_ || session_->provisional || session == nullptr || *session != session_->id;
  }
  // A prompt's row changes until what followed it is noted.
  if (table == "prompts") return get<std::string>(row, "followed_by") != nullptr;
  return true;
}

std::future<void> Recorder::startSharing() {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> result = done->get_future();
  enqueue([this, done] {
    if (!write(clock_.now()) && !pending_.empty()) {
      done->set_exception(std::make_exception_ptr(
          Error(kErrorDomain, kNotSavedCode,
                std::to_string(pending_.size()) +
                    " recorded statements are not saved yet, so sharing cannot start after them: " +
                    failure_)));
      return;
    }
    auto fail = [&](const std::string& why) {
      if (db_ && !sqlite3_get_autocommit(db_.get()))
        exec("ROLLBACK", "undoing the sharing cursors");
      log::error("Recording: sharing could not start: " + why);
      done->set_exception(std::make_exception_ptr(
          Error(kErrorDomain, kShareFailedCode, "Can't start sharing: " + why)));
    };
    if (!writable()) return fail(failure_);
    // All cursors or none: a table left without one would never be shared.
    if (exec("BEGIN IMMEDIATE", "starting the sharing cursors") != SQLITE_OK) {
      return fail(sqlite3_errmsg(db_.get()));
    }
    for (std::string_view table : Sharing::tables) {
      std::optional<std::vector<Row>> rows =
          query("SELECT COALESCE(MAX(rowid), 0) AS last FROM " + std::string(table));
      if (!rows) return fail(sqlite3_errmsg(db_.get()));
      int64_t last = 0;
      if (!rows->empty()) {
        if (const int64_t* found = get<int64_t>(rows->front(), "last")) last = *found;
      }
      // The current session's row is shared: its moments would otherwise name a session the
      // server never hears of.
      if (table == "sessions" && session_ && !session_->provisional) {
        last = std::min(last, session_->id - 1);
      }
      if (run({"INSERT OR IGNORE INTO shared (name, last) VALUES (?, ?)", {table, last}},
              "making a sharing cursor") != SQLITE_OK) {
        return fail(sqlite3_errmsg(db_.get()));
      }
    }
    if (exec("COMMIT", "committing the sharing cursors") != SQLITE_OK) {
      return fail(sqlite3_errmsg(db_.get()));
    }
    done->set_value();
  });
  return result;
}

std::future<void> Recorder::stopSharing() {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> result = done->get_future();
  enqueue([this, done] {
    // What was recorded before stays recorded; only the cursors go.
    write(clock_.now());
    if (!writable() || exec("DELETE FROM shared", "removing the sharing cursors") != SQLITE_OK) {
      done->set_exception(std::make_exception_ptr(
          Error(kErrorDomain, kShareFailedCode,
                "Can't stop sharing: " + (writable() ? sqlite3_errmsg(db_.get()) : failure_))));
      return;
    }
    done->set_value();
  });
  return result;
}

std::future<std::vector<Recorder::ShareBatch>> Recorder::pendingShares(
    int64_t limit, std::string install, std::vector<std::string> names, Calendar calendar,
    Date now) {
  auto done = std::make_shared<std::promise<std::vector<ShareBatch>>>();
  std::future<std::vector<ShareBatch>> result = done->get_future();
  enqueue([this, done, limit, install = std::move(install), names = std::move(names),
           calendar = std::move(calendar), now] {
    // Statements that cannot be saved now are shared once they are.
    write(clock_.now());
    std::vector<ShareBatch> batches;
    std::optional<std::vector<Row>> cursorRows;
    if (prepare()) cursorRows = query("SELECT name, last FROM shared");
    if (!cursorRows) {
      done->set_value(std::move(batches));
      return;
    }
    std::map<std::string, int64_t, std::less<>> cursors;
    for (const Row& row : *cursorRows) {
      const auto* name = get<std::string>(row, "name");
      const auto* last = get<int64_t>(row, "last");
      if (name && last) cursors.emplace(*name, *last);
    }
    for (std::string_view table : Sharing::tables) {
      auto cursor = cursors.find(table);
      if (cursor == cursors.end()) continue;
      std::optional<std::vector<Row>> rows = query(shareQuery(table), {cursor->second, limit});
      if (!rows) continue;
      int64_t last = cursor->second;
      std::vector<Json> objects;
      for (const Row& row : *rows) {
        const int64_t* seq = get<int64_t>(row, "seq");
        if (!isFinal(table, row, now) || seq == nullptr) break;
        last = *seq;
        // A row that cannot be shaped is passed for good: it would fail the same way again.
        if (std::optional<Json> shared = Sharing::row(table, row, install, names, calendar)) {
          objects.push_back(std::move(*shared));
        }
      }
      if (last > cursor->second) {
        batches.push_back({std::string(table), Sharing::body(objects),
                           static_cast<int64_t>(objects.size()), last});
      }
    }
    done->set_value(std::move(batches));
  });
  return result;
}

std::future<void> Recorder::shared(ShareBatch batch) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> result = done->get_future();
  enqueue([this, done, batch = std::move(batch)] {
    // Only forward: a late or repeated report cannot make rows go out twice more.
    if (!writable() || run({"UPDATE shared SET last = ? WHERE name = ? AND last < ?",
                            {batch.last, batch.table, batch.last}},
                           "moving a sharing cursor") != SQLITE_OK) {
      log::error("Recording: the sharing cursor of " + batch.table +
                 " stays behind; its rows will be sent again");
    }
    done->set_value();
  });
  return result;
}

}  // namespace qb
