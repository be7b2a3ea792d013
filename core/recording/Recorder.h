// Recorder: the detailed recording of what the program observed and decided, in one SQLite file
// (recording.sqlite in the program's data folder).
//
// Recording operations (the two sections below so named) may be called from any thread and return
// at once: each copies its arguments into one first-in-first-out stream, which the recorder's own
// serial executor drains in call order, so `begin` then `text` for a moment are applied in that
// order. Their statements are collected while a session is current (dropped while none is, but
// for an answer to a prompt already written, and a retraction) and written in one transaction
// when kBatchStatements are pending, else kBatchDelay seconds after the first of them (a timer on
// the main thread puts that write into the stream, behind whatever is queued by then). flush()
// waits for every operation called before it and reports whether all of it is
// committed. Nothing else is reported to a caller: failures are logged.
//
// Writing is careful about the file: every SQLite result is checked. A statement that the
// database refuses for its own values (a constraint, a value out of range) is logged and skipped,
// and the rest of its batch is written. A batch the database cannot take at all (the file is
// locked beyond the busy time-out, the disk is full, an I/O error, the file takes no writes) is
// rolled back whole and kept,
// in order, to be tried again kBatchDelay later and at every flush; while it fails, new statements
// queue behind it. A session whose row the file refuses at start() is kept the same way: it
// goes on, its row kept ahead of the rows recorded in it, and flush() reports kNotSavedCode
// until the file takes them all.
//
// What a crash can lose: the file is opened in WAL mode, so a committed transaction survives a
// crash of the program whole, and readers never block the writer. Statements not yet committed
// live only in memory: a crash loses at most the last kBatchDelay seconds (or fewer than
// kBatchStatements statements) of recording, and the moment then in front keeps ended NULL;
// while a batch is being kept back, everything since it is at stake too.
//
// Opening: the constructor creates the folder, opens the file and returns; it reads nothing of the
// file, so that no caller waits on its size. The first operation of the stream then checks the
// file whole (database::fullCheck, which reads every page and compares each index with its table:
// seconds for a year's recording on a cold disk, nearly all of them reading), creates its schema
// and migrates an older file by adding the columns it lacks; operations called meanwhile queue
// behind it, in memory, and are written once it is done (destruction, too, waits for it). Nothing
// is ever written into a file that cannot be used for what it holds: a damaged one (its pages, or a
// header SQLite cannot write by), a file that is no database, another program's database and tables
// of another shape than the program writes are moved, bytes untouched and with their write-ahead
// log, to the first free name recording-damaged-<n>.sqlite beside it, and a new recording starts at
// the path (the log names both).
//
// What the system answers is not the file's fault and never moves it: a folder that cannot be
// made or entered, a file or folder that cannot be kept to its user, a file that cannot be opened,
// one that another program holds beyond the busy time-out, a full disk, an I/O error, a read-only
// file, folder or mount. The constructor does not throw for any of these: the file is kept as it
// is, what is recorded is kept in memory as for a refused batch, and the recorder tries again
// kBatchDelay later and at every flush, logging each reason once while it stays the same. Every
// new try starts from a new connection, so a file that takes writes again is written whatever the
// last connection met; a connection that SQLite could open only for reading (it does so, without
// an error, for a file it cannot write) serves reads but is never written through. A file checked
// whole once is not read whole again at a later try while it is as the recorder's last connection
// left it (the same file, size and modification time, and the same of its write-ahead log).
// Until the file is ready, export, counts, deletion and sharing fail, and give nothing; a file
// that takes no writes, with nothing waiting, exports as it is. `waitingChanged` hears (on the
// main executor) when the recorder starts keeping what is recorded back because the file takes
// nothing now (true: at the first of a run of failures, the opening included) and when all of it
// is written (false); not for the first check, and not during destruction. The recording
// holds what the user did, so its folder and files are the user's alone
// (file::createPrivateFolder, file::protectDatabase): made so, or tightened at every open when an
// earlier version left them open to others.
//
// Times are stored as Unix seconds, durations in milliseconds; values are bound as SqlValue says
// (a NaN or an infinity as NULL, text repaired to UTF-8). A date given to an operation that is not
// finite is refused: the operation is logged and changes nothing.
//
// The recorder touches the main executor and timers only to arm the batch timer and to post
// waitingChanged; both, and the clock, must outlive it, and a call of waitingChanged posted
// before destruction may run after it. Destruction applies every operation already called, writes
// what is pending (a last try, which may wait out the busy time-out; a failure is logged), then
// closes the file. The timer may still fire after destruction; it then does nothing.

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/AnalysisPass.h"
#include "analysis/Moment.h"
#include "base/Calendar.h"
#include "base/Date.h"
#include "base/JsonFwd.h"
#include "base/Runtime.h"
#include "base/SerialExecutor.h"
#include "base/Uuid.h"
#include "base/WallClock.h"
#include "recording/ContextRecord.h"
#include "recording/DecisionRecord.h"
#include "recording/InputCounts.h"
#include "recording/MomentRecord.h"
#include "recording/PageShape.h"
#include "recording/PromptOutcome.h"
#include "recording/PromptRecord.h"
#include "recording/SessionRecord.h"
#include "recording/SqlValue.h"
#include "recording/SwitchRecord.h"

struct sqlite3;
struct sqlite3_stmt;

namespace qb {

class Recorder {
public:
  static constexpr const char* kErrorDomain = "Recorder";
  // exportReadOnly(): the file cannot be opened, is not a database or is damaged. A recorder
  // never answers it: what keeps it from its file is kept back and tried again (kNotSavedCode).
  static constexpr long kOpenFailedCode = 1;
  // flush(): statements are still unsaved, kept to be tried again.
  static constexpr long kNotSavedCode = 2;

  // The recorded tables in export and deletion order (the sharing cursors' table `shared` is not
  // among them).
  static constexpr std::array<std::string_view, 10> tables = {
      "sessions", "moments",  "model_runs", "decisions", "switches",
      "prompts",  "contexts", "labels",     "system",    "retractions"};
  // Written into every new session row: which fields this build observes.
  static constexpr int64_t observation = 1;

  // Statements per transaction, at most; reaching it writes at once.
  static constexpr size_t kBatchStatements = 100;
  // Seconds from the first pending statement to its write.
  static constexpr Duration kBatchDelay = 5;
  // How long a statement waits for another connection's lock before it fails.
  static constexpr int kBusyTimeoutMilliseconds = 2000;
  // A frame coordinate this large (or not a number) is no frame; the column stays NULL.
  static constexpr double kMaxFrameMagnitude = 1e9;
  // How much of a page's text, and of the focused element's, is kept, in characters.
  static constexpr size_t kPageTextCharacters = 1000;
  static constexpr size_t kFocusedTextCharacters = 500;

  // Opens or creates the recording at `file` (see above). Throws nothing for what the system
  // answers about the folder or the file: that is logged, kept back and tried again, as what the
  // check finds later is. `main` is the thread whose `timers` arm the batch write, and on which
  // `waitingChanged` is called.
  Recorder(const std::filesystem::path& file, Executor& main, Timers& timers,
           const WallClock& clock, std::function<void(bool waiting)> waitingChanged = {});
  ~Recorder();
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // --- Sessions and moments: recording operations ---

  // Ends the open moment of a session still current at the new session's start (its totals are
  // NULL: the counters were not read then), writes what is pending, and makes a new session row
  // current. The model revision is forgotten until modelLoaded() names it again.
  void start(SessionRecord record);
  // Ends the open moment with the final counters, writes what is pending, and ends the session.
  void stop(Date at, InputCounts input);
  // Remembers the model revision (also while no session is current) and sets it on the current
  // session's row.
  void modelLoaded(std::string revision);
  // Ends the open moment where this one starts, inserts this moment's row and opens it, also while
  // no session is current (then nothing is written, but its ticks are kept).
  void begin(MomentRecord record, InputCounts input);
  // Adds one input bin, and the media flag, to the open moment; nothing for an excluded moment or
  // while no session is current.
  void tick(InputCounts input, bool media, Date at);
  // Ends the open moment (pause, break, sleep); the session goes on.
  void end(Date at, InputCounts input);
  // Stores the text read from a moment's page, its first kPageTextCharacters characters and the
  // focused element's first kFocusedTextCharacters; nothing for messaging applications and sites.
  void text(const Moment& moment, std::optional<std::string> page,
            std::optional<std::string> focused, std::optional<PageShape> shape,
            std::optional<std::string> focusedRole, Duration took);
  // A notable event of the program (launch, sleep, model load, ...).
  void system(std::string event, std::optional<uint64_t> moment, std::optional<std::string> detail,
              Date at);

  // --- Analyses, decisions, prompts and labels: recording operations ---
  //
  // Queued like the operations above, and dropped while no session is current, except these: an
  // outcome is kept whenever its prompt's row exists (an answer may come after recording
  // stopped), and a retraction is always kept, with no session when none is current.
  //
  // Every write also resolves prompts, in its transaction, across every session in the file:
  // a prompt still unanswered kPromptIgnoredAfter after it was shown is labelled "continued" and
  // its outcome set to "ignored" (with no outcome time); once kPromptFollowedFor has passed since
  // its outcome (since it was shown, for an ignored one), a prompt gets, once, the JSON list of
  // what was in front in that span: each host or else application once, in order of appearance,
  // "excluded" for an excluded moment.

  // How long an unanswered prompt waits before it counts as ignored.
  static constexpr Duration kPromptIgnoredAfter = 3600;
  // How long after a prompt's outcome what the user went on to is gathered.
  static constexpr Duration kPromptFollowedFor = 120;

  // One model_runs row per pass, in order; nothing for an empty list.
  void runs(std::vector<AnalysisPass> passes, uint64_t moment, std::optional<std::string> context,
            std::string revision, bool cacheHit, Date at);
  void decision(DecisionRecord record);
  void switched(SwitchRecord record);
  void prompt(PromptRecord record);
  // The first outcome of a prompt wins, with its label over the drift before the prompt; a later
  // one, or one for a prompt already resolved as ignored, changes nothing.
  void outcome(PromptOutcome outcome, std::string prompt, std::optional<Uuid> answer, Date at);
  void label(std::string label, uint64_t moment, std::string source, std::optional<Uuid> answer,
             Date at);
  // Written at once, by itself; kept for the next write when the file refuses it now.
  void retract(Uuid answer, Date at);
  void context(ContextRecord record);

  // --- Waited for ---

  // Ready once every operation called before it has run and every pending statement has been
  // written. Holds qb::Error (kErrorDomain, kNotSavedCode) when statements are still unsaved;
  // they stay queued and are tried again. Wait on it off the main thread, or at quit.
  std::future<void> flush();

  // --- The recording as a whole: export, counts, deletion ---
  //
  // Each is waited for, runs on the recorder's executor after a flush, and holds the executor to
  // the end, so recording operations called meanwhile are applied after it.

  // Export: the folder, a file or a row could not be written, or the recording could not be read.
  static constexpr long kExportFailedCode = 3;
  // exportReadOnly(): there is no file at the recording's path. The message is the program's own
  // line for it, "No recording at " and the path.
  static constexpr long kNoRecordingCode = 4;
  // counts(): the recording could not be read.
  static constexpr long kCountFailedCode = 5;
  // deleteAll(): the rows could not be deleted (nothing was), or the file could not be compacted
  // (the rows are gone, their old bytes may remain in the file's free pages).
  static constexpr long kDeleteFailedCode = 6;
  // The bytes an export file gathers before each write to disk.
  static constexpr size_t kExportWriteBytes = size_t{64} << 10;

  struct Counts {
    int64_t moments = 0;  // moment rows, excluded ones aside
    int64_t labelled =
        0;  // of those, the ones a label names or whose time a label's range overlaps
    friend bool operator==(const Counts&, const Counts&) = default;
  };

  // Writes one JSON Lines file per table of `tables` (<table>.jsonl: one object per row in row-id
  // order, keys sorted, JSON columns embedded as the JSON they hold and left out when their text
  // is not JSON) and SCHEMA.md into `folder`, creating it with its parents. Every file is the
  // user's alone (file::kPrivateFile), and so is `folder` when the export creates it (one that is
  // there already keeps its permissions: the user chose it). Every file is written whole or not
  // at all (a temporary file, then a rename); a failure stops the export and keeps
  // the files already written. Holds qb::Error (kErrorDomain, kExportFailedCode), or the flush's
  // kNotSavedCode when recorded statements could not be saved first: an export without them would
  // silently lack rows (a file that takes no writes, with nothing waiting, exports as it is). All
  // tables are read in one transaction, so they agree with each other.
  std::future<void> exportTo(std::filesystem::path folder);
  // The export of the recording at `file` into `folder`, without a recorder: the file is opened
  // read-only, never created, migrated or written, so it is safe while a running program records
  // into it (what that program has not committed yet is not exported). Throws qb::Error
  // (kErrorDomain, kNoRecordingCode) when there is no file at `file` or it holds no tables (an
  // empty file), kOpenFailedCode when the file cannot be opened, is not a database or is damaged,
  // kExportFailedCode when another program holds it (none of these makes the folder), else
  // exportTo()'s errors.
  static void exportReadOnly(const std::filesystem::path& file,
                             const std::filesystem::path& folder);
  // Holds qb::Error (kErrorDomain, kCountFailedCode) when the recording cannot be read: a count of
  // zero is an empty recording, never a failure.
  std::future<Counts> counts();
  // Empties every table of `tables`, and the statements not yet saved with them, resets the
  // sharing cursors and compacts the file; the damaged recordings set aside beside it hold what
  // the user did too, and are removed with it. The moment being recorded is forgotten; a current
  // session goes on, its row inserted again under the same id with a new uid. Holds qb::Error
  // (kErrorDomain, kDeleteFailedCode) on failure.
  std::future<void> deleteAll();

  // --- Sharing: cursors and pending batches ---
  //
  // One cursor per shared table (Sharing::tables) in the table `shared`: the highest row id
  // already sent. No cursor, no sharing of that table; rows recorded before sharing was switched
  // on are never sent. Each operation is waited for and runs on the recorder's executor after a
  // flush, so batches agree with the file as it is then.

  // The sharing cursors could not be made or removed (startSharing(), stopSharing()).
  static constexpr long kShareFailedCode = 7;
  // An open moment's row, or one ended less than this long ago, may still change: it waits.
  static constexpr Duration kShareSettle = 60;

  // The rows of one shared table that one post sends.
  struct ShareBatch {
    std::string table;
    std::string body;   // the JSON array of shared rows (Sharing::body)
    int64_t count = 0;  // objects in body: rows withheld by Sharing::fields are not among them
    int64_t last = 0;   // the last row id taken, withheld ones included: the cursor once sent
    friend bool operator==(const ShareBatch&, const ShareBatch&) = default;
  };

  // Makes the cursor of every shared table that lacks one, at the table's last row; the sessions
  // cursor stops before the current session, so that its row goes out. Cursors that exist are
  // kept. Holds qb::Error (kErrorDomain, kNotSavedCode) when recorded statements cannot be saved
  // first (no cursor is made: those rows, recorded before, would then go out), or
  // kShareFailedCode when the cursors cannot be written.
  std::future<void> startSharing();
  // Removes every cursor: nothing more is shared. Holds qb::Error (kErrorDomain,
  // kShareFailedCode) when they cannot be removed.
  std::future<void> stopSharing();
  // At most one batch per shared table with a cursor, in Sharing::tables order: up to `limit`
  // rows after the cursor, as Sharing::row() shapes them with `install`, `names` and `calendar`.
  // A table's rows are taken up to the first that is not final at `now`: a moment still open in
  // the current session or ended less than kShareSettle ago, a prompt whose sequel is not noted
  // yet. A stretch whose rows are all withheld still gives a batch (body "[]", count 0), so that
  // its cursor can pass them. A query that fails gives no batch for its table (logged).
  std::future<std::vector<ShareBatch>> pendingShares(int64_t limit, std::string install,
                                                     std::vector<std::string> names,
                                                     Calendar calendar, Date now);
  // Moves the batch's table cursor up to its `last`, never back, and not for a table no longer
  // shared. Ready when done; a failure is logged, and the rows are offered again.
  std::future<void> shared(ShareBatch batch);

  // --- Values as stored ---

  // JSON text with sorted keys and unescaped slashes; ill-formed UTF-8 repaired, a NaN or an
  // infinity written as null.
  static std::string json(const Json& value);
  // "[x,y,width,height]" rounded to whole numbers (halves away from zero); absent when any of the
  // four is not a number or is kMaxFrameMagnitude or more in size.
  static std::optional<std::string> frameJSON(const MomentRecord::Rect& frame);

private:
  struct Statement {
    std::string sql;
    std::vector<SqlValue> values;
    // The kept session, by its provisional number, whose row id the first value is to be: the id
    // is known only once its row is written.
    std::optional<int64_t> ofKeptSession;
    // Set on a kept session's insert: the provisional number its session's rows name it by.
    std::optional<int64_t> provisional;
  };
  // The current session: its row id, or, while its row is kept back, a provisional number that
  // stands for the id the row will get. The two are kept apart by the flag, never by the value:
  // any 64-bit integer may be a real value of a row (moment ids are bound as bit patterns).
  struct Session {
    int64_t id = 0;
    bool provisional = false;
  };
  // The moment being recorded.
  struct Open {
    bool excluded = false;
    Date start;
    InputCounts input;  // at the moment's start
    InputCounts last;   // at the last tick
    std::vector<std::array<int64_t, 5>> ticks;
    std::optional<bool> media;  // absent until the first tick
  };
  // Where the batch timer puts its write; closed first thing in destruction.
  struct Outlet;
  struct CloseDatabase {
    void operator()(sqlite3* db) const;
  };

  // Opening (RecorderSchema.cpp).
  // Makes the folder, keeps it and the file to the user, and opens a new connection, noting
  // whether SQLite could open it only for reading; reads nothing of the file. Throws (failOpen)
  // when any of it fails: all of it is the system's answer.
  void connect();
  // Closes the connection, its statements first, without writing into the file; the next try
  // opens a new one.
  void disconnect();
  // Settles the file unless it is ready, opening a connection when there is none: true once it
  // is. A failure is kept back (keepBack), to be tried again at the next write.
  bool prepare();
  // Whether `result`, met on this connection, comes from what the file holds (database::
  // isFileFault), rather than from the system.
  bool isFileFault(int result) const;
  // Whether the connection is ready and may write.
  bool writable() const { return ready_ && !readOnly_; }
  // Checks the file and makes its schema: ready_ once done. What the system answers (another
  // program's lock, a full disk, an I/O error, permissions) keeps the file, to be tried again at
  // the next write (keepBack); what the file holds that the program cannot use (damage, no
  // database, another program's database, tables of another shape) sets it aside and a new one
  // is opened in its place (database::isFileFault draws the line). Throws (failOpen) when the
  // file cannot be used now or set aside.
  void settle();
  // SQLITE_OK for a new file or a recording; SQLITE_NOTADB, with `problem`, for another
  // program's database; the failing result, with `problem`, when the schema cannot be read.
  int refuseForeignFile(std::string& problem);
  // Moves the file, with its log, to the first free name recording-damaged-<n>.sqlite beside it;
  // the log says that it `state` ("is damaged") for `problem`.
  void setAside(std::string_view state, const std::string& problem);
  // Creates the schema and migrates an older file in one transaction, and checks that every
  // table takes the program's rows; SQLITE_OK, or the failing result with `problem`, having
  // written nothing.
  int createSchema(std::string& problem);
  // Puts the file in WAL mode; SQLITE_OK, or the failing result with `problem`.
  int useWriteAheadLog(std::string& problem);
  [[noreturn]] void failOpen(const std::string& why);

  // The stream: every operation goes through here, onto executor_.
  void enqueue(std::function<void()> operation);

  // Queues a statement of the current session; dropped while no session is current. The session
  // is bound first, before `values`: the SQL names it ?1.
  void add(std::string sql, std::vector<SqlValue> values);
  // The statement with the current session (NULL while none is) bound first, before `values`.
  Statement ofSession(std::string sql, std::vector<SqlValue> values) const;
  // Writes every pending statement in one transaction; true when none is left unsaved.
  bool write(Date now);
  // Notes that the file refused what is pending (logged once while `why` stays the same), to be
  // tried again kBatchDelay later; closes the connection, which may be the reason (SQLite keeps
  // one it opened for reading only so for good), so that every try starts from a new one.
  void keepBack(std::string why);
  // Why the file refused a statement with `result`: the same words wherever the same refusal is
  // met (the write, the check, the schema), so that keepBack says it once.
  std::string refusal(int result) const;
  // Sets failing_, telling waitingChanged_ when it changes.
  void setFailing(bool failing);
  void arm();

  // Runs one statement at once; SQLITE_OK or the failing result, logged with `what` (a refusal of
  // the system while failing_ holds is said already, by keepBack).
  int run(const Statement& statement, std::string_view what);
  // Runs a statement without values, its result checked and logged.
  int exec(const char* sql, std::string_view what);
  using Row = std::map<std::string, SqlValue, std::less<>>;
  // Every row of a query, or nothing (logged, as run() logs) when it fails.
  std::optional<std::vector<Row>> query(const std::string& sql,
                                        const std::vector<SqlValue>& values = {});

  // Sessions and moments (RecorderSessions.cpp).
  void insertSession(std::optional<int64_t> id);
  // Ends the open moment; without counters (not read) its totals are NULL and its ticks stop at
  // the last one read.
  void endMoment(Date at, const std::optional<InputCounts>& input);
  static std::array<int64_t, 5> bin(const InputCounts& difference, Duration seconds);

  const std::filesystem::path path_;
  Executor& main_;
  Timers& timers_;
  const WallClock& clock_;
  // Touched only on executor_ once constructed.
  std::function<void(bool waiting)> waitingChanged_;
  std::unique_ptr<sqlite3, CloseDatabase> db_;
  // Statements prepared once and reused, by their SQL: preparing one costs more than running it.
  // After db_, so that they are finalized before it closes. Touched only where db_ is.
  using Prepared = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;
  std::unordered_map<std::string, Prepared> prepared_;

  // Touched only on executor_.
  std::optional<Session> session_;
  std::optional<SessionRecord> sessionRecord_;
  std::optional<std::string> sessionModel_;  // the model revision since the session started
  std::optional<std::string> sessionUID_;
  std::vector<Statement> pending_;
  std::optional<Open> open_;
  bool ready_ = false;     // the file is checked and its schema made; until then failing_ holds
  bool checked_ = false;   // the connection's file passed its integrity check
  bool readOnly_ = false;  // SQLite opened the connection for reading only
  // The file as the last connection whose file passed the check left it (fileState()), so that a
  // later connection to the same unchanged file need not read it whole again; empty when unknown.
  std::string checkedFile_;
  int64_t provisionalSessions_ = 0;  // provisional session numbers given so far
  bool failing_ = false;  // the last write failed: the next one waits for the timer or a flush
  int timersArmed_ = 0;   // batch timers set and not yet run
  std::string failure_;   // why the last failed write failed, for flush() to tell

  std::shared_ptr<Outlet> outlet_;
  // Declared last so that it is destroyed first: queued operations finish while the state lives.
  SerialExecutor executor_;

  // Queues a statement whatever the session: for statements that name their rows themselves.
  void keep(Statement statement);
  // Prompt resolution (RecorderAnalyses.cpp).
  // Labels the prompts left unanswered and notes what followed the answered ones; runs inside the
  // write's transaction. SQLITE_OK, or the first result that is the file's failure.
  int resolvePrompts(Date now);
  // Sharing (RecorderSharing.cpp): the query of a table's rows after a cursor, and whether a
  // row read by it may go out at `now`.
  static std::string shareQuery(std::string_view table);
  bool isFinal(std::string_view table, const Row& row, Date now) const;
  // Export (RecorderExport.cpp): the tables and SCHEMA.md of the open recording `db`, read in one
  // transaction, written into `folder`.
  static void exportTables(sqlite3* db, const std::filesystem::path& folder);
};

}  // namespace qb
