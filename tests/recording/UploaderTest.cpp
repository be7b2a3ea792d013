#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/Json.h"
#include "base/Text.h"
#include "recording/RecorderTestSupport.h"
#include "recording/Uploader.h"

namespace qb {
inline void PrintTo(const Uploader::SendResult& result, std::ostream* out) {
  *out << "{moments " << result.moments << ", failed " << result.failed << "}";
}
}  // namespace qb

namespace qb::test {
namespace {

// An HTTP server of our own on 127.0.0.1: it records each request and answers with the statuses
// it is given, in turn (200 once they run out); kStall accepts a request and never answers.
class LoopbackServer {
public:
  static constexpr int kStall = 0;

  struct Request {
    std::string method;
    std::string path;
    std::map<std::string, std::string> headers;  // names lower-cased
    std::string body;
  };

  LoopbackServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 8) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("no loopback socket");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
  }
  ~LoopbackServer() {
    stop_ = true;
    thread_.join();
    for (int fd : stalled_) ::close(fd);
    ::close(listener_);
  }

  std::string url(const std::string& path = "") const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  void answer(std::vector<int> statuses) {
    std::lock_guard lock(mutex_);
    statuses_.assign(statuses.begin(), statuses.end());
  }
  std::vector<Request> requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }

private:
  static constexpr int kPollMilliseconds = 20;
  static constexpr int kReadMilliseconds = 5000;

  void run() {
    while (!stop_) {
      pollfd waiting{listener_, POLLIN, 0};
      if (::poll(&waiting, 1, kPollMilliseconds) <= 0) continue;
      const int client = ::accept(listener_, nullptr, nullptr);
      if (client >= 0) serve(client);
    }
  }

  // Reads until the headers and the body they announce are in, or the client goes quiet.
  static std::string receive(int client) {
    std::string data;
    for (;;) {
      const size_t end = data.find("\r\n\r\n");
      if (end != std::string::npos) {
        const std::string head = text::lowercased(data.substr(0, end));
        const size_t field = head.find("content-length:");
        const size_t length = field == std::string::npos ? 0 : std::stoul(head.substr(field + 15));
        if (data.size() >= end + 4 + length) return data;
      }
      pollfd waiting{client, POLLIN, 0};
      if (::poll(&waiting, 1, kReadMilliseconds) <= 0) return data;
      char buffer[4096];
      const ssize_t got = ::read(client, buffer, sizeof buffer);
      if (got <= 0) return data;
      data.append(buffer, static_cast<size_t>(got));
    }
  }

  void serve(int client) {
    const std::string data = receive(client);
    Request request;
    const size_t end = data.find("\r\n\r\n");
    const size_t lineEnd = data.find("\r\n");
    const std::string line = data.substr(0, lineEnd);
    request.method = line.substr(0, line.find(' '));
    request.path = line.substr(line.find(' ') + 1, line.rfind(' ') - line.find(' ') - 1);
    for (size_t at = lineEnd + 2; end != std::string::npos && at < end;) {
      const size_t next = data.find("\r\n", at);
      const std::string header = data.substr(at, next - at);
      const size_t colon = header.find(':');
      request.headers[text::lowercased(header.substr(0, colon))] =
          text::trimmed(header.substr(colon + 1));
      at = next + 2;
    }
    if (end != std::string::npos) request.body = data.substr(end + 4);
    int status = 200;
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(std::move(request));
      if (!statuses_.empty()) {
        status = statuses_.front();
        statuses_.pop_front();
      }
    }
    if (status == kStall) {
      stalled_.push_back(client);
      return;
    }
    std::string response = "HTTP/1.1 " + std::to_string(status) + " Answer\r\n";
    if (status >= 300 && status < 400) response += "Location: " + url("/elsewhere") + "\r\n";
    response += "Content-Length: 0\r\nConnection: close\r\n\r\n";
    ::send(client, response.data(), response.size(), MSG_NOSIGNAL);
    ::close(client);
  }

  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::deque<int> statuses_;
  std::vector<Request> requests_;
  std::vector<int> stalled_;  // touched by the server's thread, then by the destructor
  std::thread thread_;
};

// Unix seconds of "now": long after the fixture's sessions, so that every ended moment is settled.
constexpr double kNow = 2'000'000'000;

class UploaderTest : public RecorderTest {
protected:
  UploaderTest() {
    recorder().start(session());
    recorder().startSharing().get();
    // The current session's own row is shared first; these tests begin after it.
    recorder().shared({"sessions", "[]", 0, 1}).get();
  }

  Uploader uploader(std::string server = "", Duration timeout = Uploader::kRequestTimeout) {
    return Uploader(server.empty() ? server_.url() : server, "K", "I-1", {"Anna"}, timeout);
  }
  Uploader::SendResult send(Uploader& uploader, int rounds = 20) {
    std::future<Uploader::SendResult> result =
        uploader.send(recorder(), rounds, Date::fromUnix(kNow), Calendar::inZone("UTC"));
    // Bounded, so that a send that never ends fails the test instead of hanging it.
    if (result.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
      ADD_FAILURE() << "the send did not end";
      std::abort();
    }
    return result.get();
  }
  void moments(int count) {
    flush();
    std::string sql = "BEGIN;";
    for (int i = 0; i < count; ++i) {
      sql += "INSERT INTO moments (session, id, started, ended, app) VALUES (1, " +
             std::to_string(i + 1) + ", 1001, 1002, 'Editor');";
    }
    Reader(path_).exec(sql + "COMMIT;");
  }
  int64_t cursor(const std::string& table) {
    const Rows found = rows("SELECT last FROM shared WHERE name = '" + table + "'");
    return found.empty() ? -1 : std::get<int64_t>(found.at(0).at(0).storage());
  }
  std::string uid() {
    return std::get<std::string>(rows("SELECT uid FROM sessions").at(0).at(0).storage());
  }

  LoopbackServer server_;
};

TEST_F(UploaderTest, PostsEachBatchWithTheKeyAndMovesItsCursorAfter) {
  system("sleep", std::nullopt, 1001.25);
  Uploader sharing = uploader();
  EXPECT_EQ(send(sharing), (Uploader::SendResult{0, false}));
  const auto requests = server_.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].path, "/rest/v1/rpc/share");
  EXPECT_EQ(requests[0].headers.at("apikey"), "K");
  EXPECT_EQ(requests[0].headers.at("content-type"), "application/json");
  EXPECT_EQ(requests[0].body,
            R"({"target":"system","rows":[{"at":1.3,"detail":null,"event":"sleep",)"
            R"("install":"I-1","moment":null,"seq":1,"session":")" +
                uid() + R"("}]})");
  EXPECT_EQ(cursor("system"), 1);
  // Sent once: the next send finds nothing.
  EXPECT_EQ(send(sharing), (Uploader::SendResult{0, false}));
  EXPECT_EQ(server_.requests().size(), 1u);
}

TEST_F(UploaderTest, NothingIsPostedWithoutRowsOrRounds) {
  system("sleep");
  Uploader sharing = uploader();
  EXPECT_EQ(send(sharing, 0), (Uploader::SendResult{0, false}));
  EXPECT_EQ(cursor("system"), 0);
  flush();
  Reader(path_).exec(
      "INSERT INTO labels (session, label, source, labelled_at) VALUES (1, 'work', 'agent', 1)");
  recorder().shared({"system", "[]", 0, 1}).get();
  // A stretch of withheld rows posts nothing, but its cursor passes it.
  EXPECT_EQ(send(sharing), (Uploader::SendResult{0, false}));
  EXPECT_EQ(cursor("labels"), 1);
  EXPECT_THAT(server_.requests(), ::testing::IsEmpty());
}

TEST_F(UploaderTest, TheFirstRefusalEndsTheSendAndKeepsItsRows) {
  for (int refusal : {401, 500, 307}) {
    SCOPED_TRACE(refusal);
    moments(3);
    system("sleep");
    system("wake");
    flush();
    Reader(path_).exec(
        "INSERT INTO decisions (session, at, mode, decision) VALUES (1, 1, 'x', 'y')");
    const auto before = server_.requests().size();
    server_.answer({200, refusal});
    Uploader sharing = uploader();
    EXPECT_EQ(send(sharing), (Uploader::SendResult{3, true}));
    // moments accepted, decisions refused, system never tried; a redirect is not followed.
    EXPECT_EQ(server_.requests().size(), before + 2);
    EXPECT_THAT(server_.requests().back().body, ::testing::StartsWith(R"({"target":"decisions")"));
    EXPECT_EQ(cursor("moments"), 3);
    EXPECT_EQ(cursor("decisions"), 0);
    EXPECT_EQ(cursor("system"), 0);
    // Next time the refused rows go out, and everything after them.
    EXPECT_EQ(send(sharing), (Uploader::SendResult{0, false}));
    EXPECT_EQ(cursor("decisions"), 1);
    EXPECT_EQ(cursor("system"), 2);
    recorder().deleteAll().get();  // every table empty again, its cursors at 0
    recorder().shared({"sessions", "[]", 0, 1}).get();
  }
}

TEST_F(UploaderTest, ABacklogGoesInRoundsOfTheRowLimit) {
  moments(Uploader::kRowsPerRound + 100);
  Uploader sharing = uploader();
  EXPECT_EQ(send(sharing, 1), (Uploader::SendResult{Uploader::kRowsPerRound, false}));
  EXPECT_EQ(send(sharing), (Uploader::SendResult{100, false}));
  const auto requests = server_.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(json::parse(requests[0].body)["rows"].size(), 500u);
  EXPECT_EQ(json::parse(requests[1].body)["rows"].at(0)["moment"], 501);
}

TEST_F(UploaderTest, AStalledServerIsGivenUpAfterTheTimeOut) {
  system("sleep");
  server_.answer({LoopbackServer::kStall});
  Uploader sharing = uploader("", 1);
  EXPECT_EQ(send(sharing), (Uploader::SendResult{0, true}));
  EXPECT_EQ(cursor("system"), 0);
}

TEST_F(UploaderTest, ForgetPostsTheInstallBelowTheBasePath) {
  struct Case {
    std::string base;
    int status;
    bool accepted;
  };
  const std::vector<Case> cases = {
      {server_.url("/base"), 204, true},
      {server_.url("/base/"), 200, true},
      {server_.url(), 500, false},
      {server_.url(), 302, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.base + " " + std::to_string(c.status));
    server_.answer({c.status});
    Uploader sharing = uploader(c.base);
    EXPECT_EQ(sharing.forget().get(), c.accepted);
    const auto request = server_.requests().back();
    EXPECT_EQ(request.path, c.base.ends_with("/base") || c.base.ends_with("/base/")
                                ? "/base/rest/v1/rpc/forget"
                                : "/rest/v1/rpc/forget");
    EXPECT_EQ(request.body, R"({"install":"I-1"})");
    EXPECT_EQ(request.headers.at("apikey"), "K");
  }
  EXPECT_EQ(server_.requests().size(), cases.size());  // the redirect was not followed
}

TEST_F(UploaderTest, NoServerIsAFailedPost) {
  std::string gone;
  {
    LoopbackServer closed;
    gone = closed.url();
  }
  EXPECT_FALSE(uploader(gone).forget().get());
  EXPECT_FALSE(uploader("not an address").forget().get());
}

}  // namespace
}  // namespace qb::test
