// The journal's side played by a datagram socket of the test's own.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "platform/linux/JournalSink.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

class FakeJournal {
public:
  explicit FakeJournal(std::filesystem::path path) : path_(std::move(path)) {
    fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un at{};
    at.sun_family = AF_UNIX;
    std::strncpy(at.sun_path, path_.c_str(), sizeof(at.sun_path) - 1);
    bound_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&at), sizeof at) == 0;
  }
  ~FakeJournal() { ::close(fd_); }
  bool bound() const { return bound_; }
  std::string receive() const {
    std::string buffer(65536, '\0');
    const ssize_t got = ::recv(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT);
    buffer.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return buffer;
  }

private:
  std::filesystem::path path_;
  int fd_ = -1;
  bool bound_ = false;
};

TEST(JournalSinkTest, EachMessageArrivesWithItsFieldsAndALineBreakIsLengthPrefixed) {
  test::TempDir dir;
  EXPECT_EQ(JournalSink::open(dir / "none"), nullptr) << "no journal, no sink";
  FakeJournal journal(dir / "socket");
  ASSERT_TRUE(journal.bound());
  const std::unique_ptr<JournalSink> sink = JournalSink::open(dir / "socket");
  ASSERT_NE(sink, nullptr);

  ASSERT_TRUE(sink->send(log::Level::error, "Model unavailable"));
  EXPECT_EQ(journal.receive(),
            "MESSAGE=Model unavailable\nPRIORITY=3\nSYSLOG_IDENTIFIER=Quillbrook\nCATEGORY=app\n");

  ASSERT_TRUE(sink->send(log::Level::info, "two\nlines"));
  const std::string twoLines = journal.receive();
  EXPECT_EQ(twoLines.substr(0, 8), "MESSAGE\n");
  EXPECT_EQ(twoLines.substr(8, 8), std::string("\x09\0\0\0\0\0\0\0", 8)) << "9 bytes follow";
  EXPECT_EQ(twoLines.substr(16, 10), "two\nlines\n");
  EXPECT_NE(twoLines.find("PRIORITY=6\n"), std::string::npos);
}

}  // namespace
}  // namespace qb
