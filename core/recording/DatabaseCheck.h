// DatabaseCheck: whether an SQLite file that the program keeps is whole, asked before anything is
// written to it, and where a file that cannot be used goes. The event log and the recording both
// refuse to write into a damaged file: rows added to it would be read back beside garbage, and
// writing could spread the damage. Neither deletes one either: it holds what the user did, so it
// is moved aside, bytes untouched, for whoever can mend it, and a new file begins in its place.

#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct sqlite3;

namespace qb::database {

// Runs PRAGMA quick_check on the open connection `db`; reads the whole file and writes nothing.
// Answers SQLITE_OK when the file is whole. SQLITE_CORRUPT when it is damaged, with the first
// problem the check names in `problem` (or SQLite's message, when the damage keeps the check from
// running at all). Any other primary result kept the check from running, with SQLite's message
// in `problem`: SQLITE_BUSY (another connection holds the file), SQLITE_NOTADB (the file is no
// database), an I/O error.
int quickCheck(sqlite3* db, std::string& problem);

// Moves `file` and the files SQLite keeps beside it (file::kDatabaseFiles) to the first free name
// <stem>-damaged-<n><extension> beside it, all of them or, when one cannot be moved, none. The
// new name of `file`, or an empty path with the reason in `why`. Close every connection to it
// first: a connection left open would go on writing into the moved file.
std::filesystem::path setAside(const std::filesystem::path& file, std::string& why);

// Deletes the files of every copy of `file` set aside by setAside(): names <stem>-damaged-
// <digits><extension> with one of file::kDatabaseFiles' suffixes, nothing else beside them. Empty
// when all went, else what stayed (or the folder that could not be read) with the reasons.
std::string removeSetAsideCopies(const std::filesystem::path& file);

}  // namespace qb::database
