// Sharing: what of the recording may leave the machine, when the user opts in to sharing it.
//
// A shared row is built from one recorded row, as the recorder's share query reads it (its own
// columns, `seq` = its rowid and, for every table but sessions, `session_uid` and
// `session_started` of its session; a moments row also `head`, `head_task`, `revision` and
// `similarity` of its latest model passes). Each table has a fixed list of output keys, every one
// of them present (null when the value cannot be had); times become seconds after the session's
// start, to a tenth; the little free text that goes out (a title, a path segment, a site) is
// scrubbed; rows that lack what their table needs, and labels an agent made, are withheld. A
// session is named only by its random uid, an installation only by install(): a keyed hash of the
// machine's id (SystemInfo::machineID) that the server cannot turn back into it.
//
// Pure functions, safe on any thread; nothing here reads the database or the network.

#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Calendar.h"
#include "base/JsonFwd.h"
#include "recording/SqlValue.h"

namespace qb::Sharing {

// The shared tables, in the order cursors are made and batches built. model_runs reaches the
// share only through its latest values on each moment.
inline constexpr std::array<std::string_view, 9> tables = {"sessions", "moments",  "decisions",
                                                           "switches", "contexts", "prompts",
                                                           "labels",   "system",   "retractions"};

// The system events whose detail is shared; every other event goes out with a null detail.
inline constexpr std::array<std::string_view, 10> systemDetails = {
    "model load",    "break start", "away",           "back",         "automation",
    "agent working", "agent done",  "agent wait off", "back to work", "skipped"};

inline constexpr const char* kErrorDomain = "Sharing";
// install(): the hash library failed (it lacks SHA-256, or memory ran out).
inline constexpr long kHashFailedCode = 1;

// The fixed key of the install identifier's keyed hash.
inline constexpr std::string_view kInstallKey = "Larkspur pinwheels";
// How many bytes of the hash the identifier shows.
inline constexpr size_t kInstallBytes = 16;

// A recorded row: column name to value.
using Row = std::map<std::string, SqlValue, std::less<>>;

// --- Rows ---

// fields() of the row with "install" set to the install identifier; absent when withheld.
std::optional<Json> row(std::string_view table, const Row& row, std::string_view install,
                        const std::vector<std::string>& names, const Calendar& calendar);
// The shared object of a row of `table`, or absent when the row is withheld (also for a table
// that is not shared). `names` are the tokens scrub() replaces; `calendar` gives local hours and
// weekdays.
std::optional<Json> fields(std::string_view table, const Row& row,
                           const std::vector<std::string>& names, const Calendar& calendar);
// A sessions row: its uid, its start floored to the hour in UTC as "YYYY-MM-DDTHH:00:00Z", and
// its configuration; withheld without a text uid and a real start.
std::optional<Json> session(const Row& row);
// The 31 observation keys of a moments row that is not excluded.
Json moment(const Row& row, const std::vector<std::string>& names);

// The column as it stands; null when absent or NULL.
Json value(const Row& row, std::string_view column);
// A non-zero integer is true, 0 false; anything else null.
Json flag(const Row& row, std::string_view column);
// The column's text decoded as JSON (a bare scalar too); null when absent, not text or not JSON.
Json parsed(const Row& row, std::string_view column);

// The JSON array of shared rows, keys sorted and "/" unescaped: the body of one batch; "[]" when
// it cannot be written.
std::string body(const std::vector<Json>& rows);

// --- Scrubbing and the install identifier ---

// The text with, in this order, e-mail addresses, web addresses, @handles, phone-like numbers
// (9 to 15 digits among spaces, dots, hyphens and parentheses) and runs of five or more digits
// replaced by "<email>", "<url>", "<handle>", "<number>" and "<number>", and then each name token,
// in any case, wherever no word character stands on either side of it, by "<name>". Ill-formed
// UTF-8 is repaired first. Should matching ever fail (only a text far longer than anything
// recorded could exceed the engine's limits), the empty text is given, never the text unscrubbed.
std::string scrub(std::string_view text, const std::vector<std::string>& names);

// The tokens scrub() replaces: the full name, its words (split at spaces) and the account name,
// each of at least 3 characters and kept once ignoring case, longest first (stable), so that the
// whole name goes before its words.
std::vector<std::string> names(std::string_view full, std::string_view account);

// The anonymous install identifier of a machine id: HMAC-SHA256 of its text as given (case kept)
// under kInstallKey, its first kInstallBytes bytes in lower-case hex grouped 8-4-4-4-12 with "-".
// Throws qb::Error (kErrorDomain, kHashFailedCode) only when the hash library fails.
std::string install(std::string_view hardware);

}  // namespace qb::Sharing
