// DatabaseCheck: whether an SQLite file that the program keeps is whole, asked before anything is
// written to it, and where a file that cannot be used goes. The event log and the recording both
// refuse to write into a damaged file: rows added to it would be read back beside garbage, and
// writing could spread the damage. Neither deletes one either: it holds what the user did, so it
// is moved aside, bytes untouched, for whoever can mend it, and a new file begins in its place.

#pragma once

#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct sqlite3;

namespace qb::database {

// Runs PRAGMA quick_check on the open connection `db`, after a look at the file's header; reads
// the whole file and writes nothing. Answers SQLITE_OK when the file is whole. SQLITE_CORRUPT when
// it is damaged, with the first problem found in `problem`: a header field out of the range that
// SQLite itself writes (a write version SQLite only reads, a text encoding it would misread), in
// the header SQLite reads (the page 1 that a hot rollback journal beside the file restores at
// SQLite's first read, then the last committed copy of page 1 in the write-ahead log beside the
// file, where there are such); a write-ahead log SQLite refuses to read, which would fail every
// read as "unable to open database file"; a hot rollback journal that SQLite could not have
// written for the file, judged before its rollback touches the file: one that names more pages
// than a database holds, which SQLite would grow the file towards until the file system refuses
// and every read fails as "disk I/O error", or one whose pages are not of the size that the
// header it restores names (its own copy of page 1, else the file's); the first problem the
// check names, whatever the check answers after naming it; or an "out of memory" that the
// machine's memory does not explain (SQLite's heap limit not reached, the system able to give
// what SQLite asked of it), which only a size the file claims causes. Any other primary result
// kept the check from running, with SQLite's message in `problem`; isFileFault() tells whose
// fault that is.
int quickCheck(sqlite3* db, std::string& problem);

// quickCheck(), and every index compared with its table: an index whose entries name rows that
// are not there (or miss rows that are) passes quickCheck but fails the reads that go through it.
// A lookup per row and index: for a file small enough to afford it.
int fullCheck(sqlite3* db, std::string& problem);

// Whether `result` (an SQLite result, primary or extended), met while checking, readying or
// writing the database at `file`, comes from what the file holds: its header, its schema or its
// pages (damage, no database, a schema SQLite cannot read or the program cannot build on, a
// header that makes it read-only). Such a file goes aside. False for what the system answers
// (another program's lock, a full disk, an I/O error, permissions, a read-only folder, memory):
// the file is kept and tried again.
bool isFileFault(int result, const std::filesystem::path& file);

// An empty database in memory made by running `schema` in order, failures ignored (an ALTER may
// repeat a column): the reference for shapeProblem(). Null when SQLite cannot make one.
std::unique_ptr<sqlite3, int (*)(sqlite3*)> referenceSchema(std::span<const char* const> schema);

// SQLITE_OK when every table of `reference` is in `db` with all of its columns, and any column of
// db's own beside them can be left out of an insert (it takes NULL or has a default): the program's
// rows fit. Else SQLITE_ERROR, with the table and column that do not fit in `problem`, or the
// failing result of reading the schema.
int shapeProblem(sqlite3* db, sqlite3* reference, std::string& problem);

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
