#include "base/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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

class Descriptor {
public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

private:
  int fd_;
};

}  // namespace

std::string read(const std::filesystem::path& path, uint64_t maxBytes) {
  // O_NONBLOCK keeps a FIFO at this path from blocking the open; it is refused just below.
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) throw failure(path, errno);
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) throw failure(path, errno);
  if (S_ISDIR(info.st_mode)) throw failure(path, EISDIR);
  if (!S_ISREG(info.st_mode)) throw failure(path, kReadFailedCode, "not a regular file");
  auto tooLarge = [&] {
    return failure(path, kReadFailedCode,
                   "it is larger than " + std::to_string(maxBytes) + " bytes");
  };
  if (static_cast<uint64_t>(info.st_size) > maxBytes) throw tooLarge();

  // Read to the end rather than trusting the size: the file may change while we read it.
  std::string bytes;
  bytes.reserve(static_cast<size_t>(info.st_size));
  for (;;) {
    size_t done = bytes.size();
    bytes.resize(done + kReadChunkBytes);
    ssize_t n = ::read(file.get(), bytes.data() + done, kReadChunkBytes);
    int error = errno;
    bytes.resize(done + static_cast<size_t>(std::max<ssize_t>(n, 0)));
    if (n < 0 && error == EINTR) continue;
    if (n < 0) throw failure(path, error);
    if (n == 0) break;
    if (bytes.size() > maxBytes) throw tooLarge();
  }
  return bytes;
}

std::string readText(const std::filesystem::path& path, uint64_t maxBytes) {
  std::string bytes = read(path, maxBytes);
  if (!text::isValidUtf8(bytes)) {
    throw failure(path, kInapplicableEncodingCode, "it isn't valid UTF-8 text");
  }
  return bytes;
}

}  // namespace qb::file
