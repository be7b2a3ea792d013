// JournalSink: the program's log in the systemd journal, under the identifier "Quillbrook" and
// the field CATEGORY=app, so that `journalctl -t Quillbrook` (or CATEGORY=app) finds it.
//
// It speaks the journal's native protocol itself: one datagram per message to the journal's
// socket, holding the message's fields. That needs no library, and a message never blocks the
// caller: a full or missing journal makes send() answer false, and the caller writes elsewhere.
// Safe from any thread.

#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "base/Log.h"

namespace qb {

class JournalSink {
public:
  static constexpr const char* kSocket = "/run/systemd/journal/socket";
  static constexpr const char* kIdentifier = "Quillbrook";
  static constexpr const char* kCategory = "app";

  // The journal at `socket`; none when there is no journal to write to (no systemd, a container).
  static std::unique_ptr<JournalSink> open(const std::filesystem::path& socket = kSocket);
  ~JournalSink();
  JournalSink(const JournalSink&) = delete;
  JournalSink& operator=(const JournalSink&) = delete;

  // Sends one message; false when the journal did not take it.
  bool send(log::Level level, std::string_view message) const;

  // The datagram of one message: NAME=value lines, and a value that holds a line break in the
  // protocol's length-prefixed form.
  static std::string datagram(log::Level level, std::string_view message);

private:
  JournalSink(int fd, std::filesystem::path socket);

  int fd_;
  std::filesystem::path socket_;
};

}  // namespace qb
