// DatabaseCheck: whether an SQLite file that the program keeps is whole, asked before anything is
// written to it. The event log and the recording both refuse to write into a damaged file: rows
// added to it would be read back beside garbage, and writing could spread the damage.

#pragma once

#include <string>

struct sqlite3;

namespace qb::database {

// Runs PRAGMA quick_check on the open connection `db`; reads the whole file and writes nothing.
// Answers SQLITE_OK when the file is whole. SQLITE_CORRUPT when it is damaged, with the first
// problem the check names in `problem` (or SQLite's message, when the damage keeps the check from
// running at all). Any other primary result kept the check from running, with SQLite's message
// in `problem`: SQLITE_BUSY (another connection holds the file), SQLITE_NOTADB (the file is no
// database), an I/O error.
int quickCheck(sqlite3* db, std::string& problem);

}  // namespace qb::database
