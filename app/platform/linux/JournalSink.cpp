#include "platform/linux/JournalSink.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace qb {
namespace {

// syslog's priorities, which the journal keeps.
constexpr int kPriorityError = 3;
constexpr int kPriorityInfo = 6;
constexpr int kPriorityDebug = 7;

int priority(log::Level level) {
  switch (level) {
    case log::Level::error:
      return kPriorityError;
    case log::Level::info:
      return kPriorityInfo;
    case log::Level::debug:
      return kPriorityDebug;
  }
  return kPriorityInfo;
}

void appendField(std::string& out, std::string_view name, std::string_view value) {
  out += name;
  if (value.find('\n') == std::string_view::npos) {
    out += '=';
    out += value;
  } else {
    // The name, a line break, the value's length as 64 bits little-endian, then the value.
    out += '\n';
    uint64_t length = value.size();
    for (int byte = 0; byte < 8; ++byte) {
      out += static_cast<char>(length & 0xff);
      length >>= 8;
    }
    out += value;
  }
  out += '\n';
}

sockaddr_un address(const std::filesystem::path& socket) {
  sockaddr_un to{};
  to.sun_family = AF_UNIX;
  std::strncpy(to.sun_path, socket.c_str(), sizeof(to.sun_path) - 1);
  return to;
}

}  // namespace

std::unique_ptr<JournalSink> JournalSink::open(const std::filesystem::path& socket) {
  if (socket.native().size() >= sizeof(sockaddr_un::sun_path)) return nullptr;
  std::error_code error;
  if (!std::filesystem::is_socket(socket, error)) return nullptr;
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return nullptr;
  return std::unique_ptr<JournalSink>(new JournalSink(fd, socket));
}

JournalSink::JournalSink(int fd, std::filesystem::path socket)
    : fd_(fd), socket_(std::move(socket)) {}

JournalSink::~JournalSink() { ::close(fd_); }

std::string JournalSink::datagram(log::Level level, std::string_view message) {
  std::string out;
  appendField(out, "MESSAGE", message);
  appendField(out, "PRIORITY", std::to_string(priority(level)));
  appendField(out, "SYSLOG_IDENTIFIER", kIdentifier);
  appendField(out, "CATEGORY", kCategory);
  return out;
}

bool JournalSink::send(log::Level level, std::string_view message) const {
  const std::string bytes = datagram(level, message);
  const sockaddr_un to = address(socket_);
  const ssize_t sent = ::sendto(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&to), sizeof to);
  return sent == static_cast<ssize_t>(bytes.size());
}

}  // namespace qb
