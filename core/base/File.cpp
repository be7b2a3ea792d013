#include "base/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <utility>

#include "base/Error.h"
#include "base/Text.h"

namespace qb::file {
namespace {

constexpr size_t kReadChunkBytes = 64 << 10;

Error failure(const std::filesystem::path& path, long code, const std::string& reason) {
  return Error(Error::kFileDomain, code,
               "The file " + path.string() + " couldn't be read: " + reason);
}

Error failure(const std::filesystem::path& path, int error) {
  long code = kReadFailedCode;
  if (error == ENOENT || error == ENOTDIR) code = kNoSuchFileCode;
  if (error == EACCES || error == EPERM) code = kNoPermissionCode;
  return failure(path, code, std::strerror(error));
}

Error writeFailure(const std::filesystem::path& path, int error) {
  long code = kWriteFailedCode;
  if (error == EACCES || error == EPERM || error == EROFS) code = kWriteNoPermissionCode;
  if (error == ENOSPC || error == EDQUOT) code = kWriteOutOfSpaceCode;
  return Error(Error::kFileDomain, code,
               "The file " + path.string() + " couldn't be saved: " + std::strerror(error));
}

// The temporary file beside a target, removed unless it was renamed into place.
class TemporaryFile {
public:
  explicit TemporaryFile(const std::filesystem::path& target) : name_(target.string() + ".XXXXXX") {
    fd_ = ::mkostemp(name_.data(), O_CLOEXEC);
    if (fd_ < 0) {
      name_.clear();
      throw writeFailure(target, errno);
    }
  }
  ~TemporaryFile() {
    // Abandoned on a failure that is already being reported; its bytes go with it.
    if (fd_ >= 0) ::close(fd_);
    if (!name_.empty()) ::unlink(name_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int fd() const { return fd_; }
  const std::string& name() const { return name_; }
  // The descriptor is closed by the caller, who must see close()'s answer: on some file systems a
  // failed write is only reported there.
  int releaseDescriptor() { return std::exchange(fd_, -1); }
  void renamed() { name_.clear(); }

private:
  std::string name_;  // empty once renamed
  int fd_ = -1;
};

Error tooLarge(const std::filesystem::path& path, uint64_t maxBytes) {
  return failure(path, kReadFailedCode, "it is larger than " + std::to_string(maxBytes) + " bytes");
}

std::error_code systemError(int error) { return {error, std::system_category()}; }

constexpr mode_t kGroupAndOthers = S_IRWXG | S_IRWXO;

// Takes every permission of group and others from what stands at path, and gives its owner the
// permissions in `owner` (those it lacks); the owner's others stay as they are. Permissions
// already so are not written again.
std::error_code tighten(const std::filesystem::path& path, const struct stat& info,
                        mode_t owner = 0) {
  const mode_t wanted = (info.st_mode | owner) & ~kGroupAndOthers & 07777;
  if (wanted == (info.st_mode & 07777)) return {};
  if (::chmod(path.c_str(), wanted) != 0) return systemError(errno);
  return {};
}

// The file at path, when it is there, made private and given the owner's permissions in `owner`;
// missing, it is created (empty) or left missing.
std::error_code makePrivateFile(const std::filesystem::path& path, bool createMissing,
                                mode_t owner = 0) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    if (errno != ENOENT) return systemError(errno);
    if (!createMissing) return {};
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                          static_cast<mode_t>(kPrivateFile));
    if (fd >= 0) return ::close(fd) == 0 ? std::error_code() : systemError(errno);
    if (errno != EEXIST) return systemError(errno);
    // Made meanwhile by another program (or another of ours): tightened like any other.
    if (::stat(path.c_str(), &info) != 0) return systemError(errno);
  }
  // A folder or a device in the database's place is the opener's to refuse, not ours to change.
  if (!S_ISREG(info.st_mode)) return {};
  return tighten(path, info, owner);
}

}  // namespace

RandomAccessFile::RandomAccessFile(int fd, std::filesystem::path path, uint64_t size)
    : fd_(fd), path_(std::move(path)), size_(size) {}

RandomAccessFile::RandomAccessFile(RandomAccessFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)), size_(other.size_) {}

RandomAccessFile& RandomAccessFile::operator=(RandomAccessFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    size_ = other.size_;
  }
  return *this;
}

RandomAccessFile::~RandomAccessFile() {
  // Nothing was written, so close() has nothing to report that a reader could act on.
  if (fd_ >= 0) ::close(fd_);
}

RandomAccessFile RandomAccessFile::open(const std::filesystem::path& path, uint64_t maxBytes) {
  // O_NONBLOCK keeps a FIFO at this path from blocking the open; it is refused just below.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw failure(path, errno);
  RandomAccessFile file(fd, path, 0);  // closes fd if a check below throws
  struct stat info {};
  if (::fstat(fd, &info) != 0) throw failure(path, errno);
  if (S_ISDIR(info.st_mode)) throw failure(path, EISDIR);
  if (!S_ISREG(info.st_mode)) throw failure(path, kReadFailedCode, "not a regular file");
  if (static_cast<uint64_t>(info.st_size) > maxBytes) throw tooLarge(path, maxBytes);
  file.size_ = static_cast<uint64_t>(info.st_size);
  return file;
}

size_t RandomAccessFile::readAt(uint64_t offset, std::span<std::byte> out) const {
  // No file reaches past what off_t can address, and the cast below must not turn negative.
  constexpr auto kMaxOffset = static_cast<uint64_t>(std::numeric_limits<off_t>::max());
  if (offset > kMaxOffset - std::min<uint64_t>(out.size(), kMaxOffset)) return 0;
  size_t done = 0;
  while (done < out.size()) {
    const ssize_t n =
        ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw failure(path_, errno);
    if (n == 0) break;  // the end of the file
    done += static_cast<size_t>(n);
  }
  return done;
}

std::string read(const std::filesystem::path& path, uint64_t maxBytes) {
  const RandomAccessFile file = RandomAccessFile::open(path, maxBytes);
  // Read to the end rather than trusting the size: the file may change while we read it. Room
  // for one chunk past the size lets the last, empty read happen without copying the buffer.
  std::string bytes;
  bytes.reserve(static_cast<size_t>(file.size()) + kReadChunkBytes);
  for (;;) {
    const size_t done = bytes.size();
    bytes.resize(done + kReadChunkBytes);
    const size_t n = file.readAt(done, std::as_writable_bytes(std::span(bytes)).subspan(done));
    bytes.resize(done + n);
    if (n == 0) break;
    if (bytes.size() > maxBytes) throw tooLarge(path, maxBytes);
  }
  return bytes;
}

void writeAtomically(const std::filesystem::path& path, std::string_view bytes,
                     std::filesystem::perms permissions) {
  std::error_code folderError;
  const bool isPrivate =
      (permissions & (std::filesystem::perms::group_all | std::filesystem::perms::others_all)) ==
      std::filesystem::perms::none;
  if (isPrivate) {
    folderError = createPrivateFolder(path.parent_path(), ExistingFolder::keep);
  } else {
    std::filesystem::create_directories(path.parent_path(), folderError);
  }
  if (folderError) throw writeFailure(path, folderError.value());

  TemporaryFile temporary(path);
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(temporary.fd(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw writeFailure(path, errno);
    done += static_cast<size_t>(n);
  }
  if (::fchmod(temporary.fd(), static_cast<mode_t>(permissions)) != 0) {
    throw writeFailure(path, errno);
  }
  // The bytes reach the disk before the name does, so a crash leaves the old file or the new one.
  if (::fsync(temporary.fd()) != 0) throw writeFailure(path, errno);
  if (::close(temporary.releaseDescriptor()) != 0) throw writeFailure(path, errno);
  if (::rename(temporary.name().c_str(), path.c_str()) != 0) throw writeFailure(path, errno);
  temporary.renamed();
}

std::error_code createPrivateFolder(const std::filesystem::path& folder, ExistingFolder existing) {
  // "a/b/" names the folder b, as "a/b" does.
  std::filesystem::path named = folder.lexically_normal();
  if (!named.has_filename()) named = named.parent_path();
  // A root, the working folder or the one above it: there already, and never ours to close.
  if (!named.has_filename() || named.filename() == "." || named.filename() == "..") return {};
  std::error_code error;
  if (named.has_parent_path()) {
    std::filesystem::create_directories(named.parent_path(), error);
    if (error) return error;
  }
  if (::mkdir(named.c_str(), static_cast<mode_t>(kPrivateFolder)) == 0) return {};
  if (errno != EEXIST) return systemError(errno);
  struct stat info {};
  if (::stat(named.c_str(), &info) != 0) return systemError(errno);
  if (!S_ISDIR(info.st_mode)) return systemError(ENOTDIR);
  return existing == ExistingFolder::tighten ? tighten(named, info) : std::error_code();
}

std::error_code protectDatabase(const std::filesystem::path& file) {
  // The database first: a log or index SQLite makes later takes its permissions from it.
  if (std::error_code error = makePrivateFile(file, true)) return error;
  struct stat database {};
  if (::stat(file.c_str(), &database) != 0) return systemError(errno);
  // A companion made while the database was read-only is read-only too, and would keep every
  // later connection from writing once the database takes writes again. The database's own
  // permissions are the user's choice: a read-only one stays so, and its companions as they are.
  const mode_t owner = database.st_mode & (S_IRUSR | S_IWUSR);
  for (std::string_view suffix : kDatabaseCompanions) {
    if (std::error_code error =
            makePrivateFile(file.string() + std::string(suffix), false, owner)) {
      return error;
    }
  }
  return {};
}

std::string readText(const std::filesystem::path& path, uint64_t maxBytes) {
  std::string bytes = read(path, maxBytes);
  if (!text::isValidUtf8(bytes)) {
    throw failure(path, kInapplicableEncodingCode, "it isn't valid UTF-8 text");
  }
  return bytes;
}

}  // namespace qb::file
