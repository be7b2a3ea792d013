// Reading files: the model files, the vocabulary and the program's own JSON files, whole or, for
// the model's weights, a piece at a time; replacing a saved file whole; and keeping what holds the
// user's data to the user alone.
//
// Every failure is a qb::Error in the file domain whose message names the path, with one of the
// codes below, in the same numbering as Error::kFileReadCorruptCode; callers tell failures apart
// by them, so the numbers never change. Content problems are the callers' to judge: a file that
// reads is never reported corrupt here.

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

namespace qb::file {

inline constexpr long kReadFailedCode = 256;
inline constexpr long kNoPermissionCode = 257;
inline constexpr long kNoSuchFileCode = 260;
inline constexpr long kInapplicableEncodingCode = 261;
inline constexpr long kWriteFailedCode = 512;
inline constexpr long kWriteNoPermissionCode = 513;
inline constexpr long kWriteOutOfSpaceCode = 640;

// The file's bytes, whole. A directory, a FIFO or another file that is not regular, and a file
// larger than maxBytes (checked before and while reading, so a growing file is caught too), are
// read failures: a misplaced file can never make a reader allocate without bound or block.
std::string read(const std::filesystem::path& path, uint64_t maxBytes);

// read(), and kInapplicableEncodingCode when the bytes are not valid UTF-8.
std::string readText(const std::filesystem::path& path, uint64_t maxBytes);

// What holds the user's data (window titles, addresses, page text, answers) is theirs alone: files
// readable and writable by the user only, the program's folders open to the user only. Whoever
// else shares the machine sees neither what they hold nor, inside a private folder, their names.
inline constexpr std::filesystem::perms kPrivateFile =
    std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
inline constexpr std::filesystem::perms kPrivateFolder = std::filesystem::perms::owner_all;

// Replaces the file at path with bytes, whole or not at all. The folder is created first; the
// bytes go to a temporary file beside the target, reach the disk (fsync), and only then is the
// temporary file renamed over the target, so a crash or a full disk leaves the old file or the new
// one, never a piece of either. The new file carries `permissions`; a folder made for a file that
// only its user may read is made as createPrivateFolder() makes one, an existing one is left as it
// is.
//
// A failure throws qb::Error in the file domain with one of the write codes, naming the path; the
// target is then as it was and the temporary file is gone.
void writeAtomically(const std::filesystem::path& path, std::string_view bytes,
                     std::filesystem::perms permissions = kPrivateFile);

// What createPrivateFolder() does with a folder that is there already: the program's own folders
// are tightened (an earlier version made them open to all to read); a folder the user named, to
// export into, is theirs to open as they like.
enum class ExistingFolder { tighten, keep };

// Creates `folder` with kPrivateFolder permissions from the start, so that it is never open to
// others even for a moment. Missing folders above it are made as any program makes them (the
// user's umask): those are shared places, such as ~/.local/share, never the program's to close.
// An existing folder loses every permission of group and others when `existing` says tighten.
// Answers the system's error: a file in the way, no permission to create or to change it.
std::error_code createPrivateFolder(const std::filesystem::path& folder, ExistingFolder existing);

// A database's files by the suffix to its path: the database itself (no suffix), then what SQLite
// keeps beside it and opens as it reads: the write-ahead log, its shared-memory index and the
// rollback journal.
inline constexpr std::array<std::string_view, 4> kDatabaseFiles = {"", "-wal", "-shm", "-journal"};
// kDatabaseFiles without the database itself.
inline constexpr std::span<const std::string_view> kDatabaseCompanions =
    std::span(kDatabaseFiles).subspan<1>();

// Before an SQLite database is opened: creates the file, empty and kPrivateFile, when it is
// missing, and takes every permission of group and others from the file and the write-ahead log,
// shared-memory index and rollback journal beside it that an earlier version left open to all.
// SQLite gives each of those files the database's own permissions when it makes one, so the
// database stays private on every later write. For the same reason a companion made while the
// database was read-only is read-only too: each companion gains the owner's read and write
// permissions that the database has, so that it blocks no write once the database takes writes
// again. The database's own are left as they are. Answers the system's error.
std::error_code protectDatabase(const std::filesystem::path& file);

// A regular file held open for reads at any offset, for a reader that takes a large file a piece
// at a time rather than holding it whole. The pieces are read (pread), never mapped: when another
// program truncates a mapped file, touching the lost pages kills the process with SIGBUS, where a
// read only comes up short, which the caller can report.
//
// Closed on destruction; move-only. Reads share no file position, so they may overlap on several
// threads.
class RandomAccessFile {
public:
  // Opens path with read()'s refusals: a file that is not regular, or larger than maxBytes.
  static RandomAccessFile open(const std::filesystem::path& path, uint64_t maxBytes);

  RandomAccessFile(RandomAccessFile&& other) noexcept;
  RandomAccessFile& operator=(RandomAccessFile&& other) noexcept;
  RandomAccessFile(const RandomAccessFile&) = delete;
  RandomAccessFile& operator=(const RandomAccessFile&) = delete;
  ~RandomAccessFile();

  const std::filesystem::path& path() const { return path_; }
  // The size when it was opened; the file may have changed since.
  uint64_t size() const { return size_; }

  // Fills `out` with the bytes at `offset` and answers how many it read: fewer than out.size()
  // only where the file ends first, because it shrank since it was opened or the range lies past
  // its end. An I/O error throws a read failure (kReadFailedCode).
  size_t readAt(uint64_t offset, std::span<std::byte> out) const;

private:
  RandomAccessFile(int fd, std::filesystem::path path, uint64_t size);

  int fd_;                      // -1 once moved from
  std::filesystem::path path_;  // for the messages of read failures
  uint64_t size_;
};

}  // namespace qb::file
