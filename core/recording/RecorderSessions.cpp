// Sessions and moments: the sessions and moments tables.

#include <sqlite3.h>

#include <cmath>
#include <utility>

#include "analysis/Redaction.h"
#include "base/Json.h"
#include "base/Log.h"
#include "base/Text.h"
#include "base/Uuid.h"
#include "recording/Recorder.h"
#include "recording/RecorderValues.h"

namespace qb {
namespace {

using recorder::isStatementFault;
using recorder::milliseconds;
using recorder::refused;

// The first `characters` characters. The cut by bytes first keeps the character walk short on a
// text of any length; only characters far longer than any script's could reach the cut.
std::optional<std::string> cut(const std::optional<std::string>& text, size_t characters) {
  if (!text) return std::nullopt;
  return text::characterPrefix(std::string_view(*text).substr(0, SqlValue::kMaxTextBytes),
                               characters);
}

}  // namespace

void Recorder::start(SessionRecord record) {
  enqueue([this, record = std::move(record)]() mutable {
    if (refused(record.started, "a session start")) return;
    // The moment open in a session still current would otherwise stay open for good.
    if (session_ && open_) endMoment(record.started, std::nullopt);
    write(clock_.now());
    sessionRecord_ = std::move(record);
    sessionModel_.reset();
    insertSession(std::nullopt);
  });
}

void Recorder::insertSession(std::optional<int64_t> id) {
  if (!sessionRecord_) return;
  sessionUID_ = Uuid::random().string();
  const SessionRecord& record = *sessionRecord_;
  Statement insert{
      "INSERT INTO sessions (id, started, app_version, model, analyzer, policy, os, mac, uid, "
      "observation)\nVALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
      {id, record.started, record.appVersion, sessionModel_, json(record.analyzer.toJson()),
       json(record.policy.toJson()), record.os, record.mac, sessionUID_, observation}};
  // Written at once when nothing is kept back (a start has just written what was pending);
  // otherwise behind what is, in order.
  std::string why = failure_;
  if (writable() && !failing_) {
    const int result = run(insert, "starting a session");
    if (result == SQLITE_OK) {
      session_ = Session{sqlite3_last_insert_rowid(db_.get())};
      return;
    }
    if (isStatementFault(result)) {
      log::error("Recording: no session is recording, since its row was refused");
      session_.reset();
      return;
    }
    why = refusal(result);
  }
  // The file takes nothing now: the session goes on, its row kept with the rows recorded in it
  // until the file takes them. A new row has no id yet; its rows name it by a provisional one,
  // which the write that inserts it replaces.
  if (id) {
    session_ = Session{*id};
  } else {
    session_ = Session{++provisionalSessions_, true};
    insert.provisional = session_->id;
  }
  pending_.push_back(std::move(insert));
  keepBack(std::move(why));
}

void Recorder::stop(Date at, InputCounts input) {
  enqueue([this, at, input] {
    if (refused(at, "a session stop")) return;
    endMoment(at, input);
    write(clock_.now());
    session_.reset();
    sessionRecord_.reset();
  });
}

void Recorder::modelLoaded(std::string revision) {
  enqueue([this, revision = std::move(revision)] {
    sessionModel_ = revision;
    add("UPDATE sessions SET model = ?2 WHERE id = ?1", {revision});
  });
}

void Recorder::begin(MomentRecord record, InputCounts input) {
  enqueue([this, record = std::move(record), input] {
    if (refused(record.start, "a moment")) return;
    endMoment(record.start, input);
    std::optional<std::string> frame = record.frame ? frameJSON(*record.frame) : std::nullopt;
    std::optional<std::string> windowShare =
        record.windowShare ? std::optional(json(Json(*record.windowShare))) : std::nullopt;
    add("INSERT INTO moments (session, id, started, app, bundle_id, title, url, host, document, "
        "browser, tab, cause,\n    read_ms, idle, full_screen, frame, displays, agent, agent_task, "
        "excluded, read_via, app_category,\n    window_share, agent_repository)\n    VALUES (?, ?, "
        "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {record.id,       record.start,          record.appName,
         record.bundleID, record.title,          record.url,
         record.host,     record.document,       record.browser,
         record.tab,      record.cause,          milliseconds(record.readTime),
         record.idle,     record.fullScreen,     frame,
         record.displays, record.agent,          record.agentTask,
         record.excluded, record.readVia,        record.appCategory,
         windowShare,     record.agentRepository});
    open_ = Open{record.excluded, record.start, input, input, {}, std::nullopt};
  });
}

void Recorder::tick(InputCounts input, bool media, Date at) {
  enqueue([this, input, media, at] {
    if (refused(at, "a tick")) return;
    if (!session_ || !open_ || open_->excluded) return;
    open_->ticks.push_back(bin(input.since(open_->last), at.since(open_->start)));
    open_->last = input;
    open_->media = open_->media.value_or(false) || media;
  });
}

void Recorder::end(Date at, InputCounts input) {
  enqueue([this, at, input] {
    if (refused(at, "a moment's end")) return;
    endMoment(at, input);
  });
}

void Recorder::endMoment(Date at, const std::optional<InputCounts>& input) {
  if (!open_) return;
  std::optional<InputCounts> totals;
  std::optional<std::string> ticks;
  if (!open_->excluded) {
    std::vector<std::array<int64_t, 5>> bins = open_->ticks;
    if (input) {
      totals = input->since(open_->input);
      bins.push_back(bin(input->since(open_->last), at.since(open_->start)));
    }
    ticks = json(Json(bins));
  }
  add("UPDATE moments SET ended = ?2, keys = ?3, clicks = ?4, scrolls = ?5, moves = ?6, "
      "ticks = ?7, media = ?8 WHERE session = ?1 AND ended IS NULL",
      {at, totals ? SqlValue(totals->keys) : SqlValue(),
       totals ? SqlValue(totals->clicks) : SqlValue(),
       totals ? SqlValue(totals->scrolls) : SqlValue(),
       totals ? SqlValue(totals->moves) : SqlValue(), ticks, open_->media});
  open_.reset();
}

std::array<int64_t, 5> Recorder::bin(const InputCounts& difference, Duration seconds) {
  return {static_cast<int64_t>(std::round(seconds)), difference.keys, difference.clicks,
          difference.scrolls, difference.moves};
}

void Recorder::text(const Moment& moment, std::optional<std::string> page,
                    std::optional<std::string> focused, std::optional<PageShape> shape,
                    std::optional<std::string> focusedRole, Duration took) {
  // Messaging moments never get text or a page shape; nothing of them is even queued.
  if (Redaction::isMessaging(moment)) return;
  enqueue([this, id = moment.id, page = std::move(page), focused = std::move(focused), shape,
           focusedRole = std::move(focusedRole), took] {
    add("UPDATE moments SET page_text = ?2, focused_text = ?3, page_shape = ?4, "
        "focused_role = ?5, text_ms = ?6 WHERE session = ?1 AND id = ?7",
        {cut(page, kPageTextCharacters), cut(focused, kFocusedTextCharacters),
         shape ? std::optional(json(shape->toJson())) : std::nullopt, focusedRole,
         milliseconds(took), id});
  });
}

void Recorder::system(std::string event, std::optional<uint64_t> moment,
                      std::optional<std::string> detail, Date at) {
  enqueue([this, event = std::move(event), moment, detail = std::move(detail), at] {
    if (refused(at, "a system event")) return;
    add("INSERT INTO system (session, at, event, moment, detail) VALUES (?, ?, ?, ?, ?)",
        {at, event, moment, detail});
  });
}

}  // namespace qb
