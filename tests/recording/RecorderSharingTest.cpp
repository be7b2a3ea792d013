// The recorder's sharing cursors and batches, and the uploader that posts them to a server of
// the test's own.

#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "base/Json.h"
#include "recording/RecorderTestSupport.h"
#include "recording/Uploader.h"

namespace qb::test {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// Unix seconds of "now": long after the fixture's session, so that every ended moment is settled.
constexpr double kNow = 2'000'000'000;
// How long the server waits for the uploader's next post, the uploader for the server's answer,
// and a send for its end once its posts are answered: room for a round of rows read from the
// recording and coded under ThreadSanitizer on a loaded machine, which has taken over 10 s. Each
// wait ends as soon as the other side is done; a case that waits out a stall gives up sooner.
constexpr Duration kPostLimit = 30;
constexpr int kPostLimitMs = static_cast<int>(kPostLimit * 1000);

// An HTTP server of our own on 127.0.0.1, run from the test's thread while an uploader's worker
// posts: serve() takes one request and answers it with a status (pointing elsewhere, as a
// redirect does), or with kStall never. Connections close with the server.
class LoopbackServer {
public:
  static constexpr int kStall = 0;

  LoopbackServer() {
    sockaddr_in address{.sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}};
    auto* any = reinterpret_cast<sockaddr*>(&address);
    socklen_t length = sizeof address;
    if (::bind(listener_, any, length) != 0 || ::listen(listener_, 8) != 0 ||
        ::getsockname(listener_, any, &length) != 0) {
      throw std::runtime_error("no loopback socket");
    }
    url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
  }
  ~LoopbackServer() {
    for (int client : clients_) ::close(client);
    ::close(listener_);
  }

  // Whether a connection waits to be taken, within `milliseconds`.
  bool waiting(int milliseconds = 0) {
    pollfd listener{listener_, POLLIN, 0};
    return ::poll(&listener, 1, milliseconds) == 1;
  }
  // The text of the next request (headers and the body they announce); "" when none comes.
  std::string serve(int status) {
    if (!waiting(kPostLimitMs)) return "";
    const int client = clients_.emplace_back(::accept(listener_, nullptr, nullptr));
    std::string data;
    char buffer[4096];
    for (ssize_t got; (got = ::read(client, buffer, sizeof buffer)) > 0;) {
      data.append(buffer, static_cast<size_t>(got));
      const size_t end = data.find("\r\n\r\n"), length = data.find("Content-Length: ");
      if (length < end && end != std::string::npos &&
          data.size() >= end + 4 + std::stoul(data.substr(length + 16))) {
        break;
      }
    }
    const std::string answer = "HTTP/1.1 " + std::to_string(status) + " X\r\nLocation: " + url +
                               "/elsewhere\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    if (status != kStall) ::send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
    return data;
  }

  std::string url;

private:
  const int listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  std::vector<int> clients_;
};

// A recording of one current session (1), shared from its start on.
class RecorderSharingTest : public RecorderTest {
protected:
  RecorderSharingTest() {
    recorder().start(session());
    recorder().startSharing().get();
    recorder().shared({"sessions", "[]", 0, 1}).get();  // the session's own row is not at issue
  }
  std::map<std::string, Recorder::ShareBatch> pending(double now = kNow) {
    std::map<std::string, Recorder::ShareBatch> out;
    const Date at = Date::fromUnix(now);
    for (auto& batch :
         recorder().pendingShares(500, "I-1", {}, Calendar::inZone("UTC"), at).get()) {
      out.emplace(batch.table, batch);
    }
    return out;
  }
  Uploader uploader(const std::string& path = "", Duration timeout = kPostLimit) {
    return Uploader(server_.url + path, "K", "I-1", {}, timeout);
  }
  // Sends while this thread answers the posts with `statuses` in turn, keeping them in posted_;
  // what the send came to, as "<moments accepted> ok" or "<moments accepted> failed".
  std::string send(Uploader& uploader, const std::vector<int>& statuses, int rounds = 20) {
    auto sent = uploader.send(recorder(), rounds, Date::fromUnix(kNow), Calendar::inZone("UTC"));
    posted_.clear();
    for (int status : statuses) posted_.push_back(server_.serve(status));
    // Bounded, so that a send that never ends fails the test instead of hanging it.
    if (sent.wait_for(std::chrono::milliseconds(kPostLimitMs)) != std::future_status::ready) {
      ADD_FAILURE() << "the send did not end";
      std::abort();
    }
    EXPECT_FALSE(server_.waiting()) << "posted more than " << statuses.size();
    const Uploader::SendResult result = sent.get();
    return std::to_string(result.moments) + (result.failed ? " failed" : " ok");
  }
  // Rows written behind the recorder's back, as a share query would find them.
  void insert(const std::string& sql) {
    flush();
    Reader(path_).exec(sql);
  }
  void moments(int count) {
    insert("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           std::to_string(count) +
           ") INSERT INTO moments (session, id, started, ended) SELECT 1, i, 1, 2 FROM n");
  }
  // The cursors past their table's first row, as "table:last …" by name.
  std::string cursors() {
    const Rows found = rows(
        "SELECT group_concat(name || ':' || last, ' ') FROM (SELECT * FROM "
        "shared WHERE last > 0 ORDER BY name)");
    return found[0][0].isNull() ? "" : std::get<std::string>(found[0][0].storage());
  }

  LoopbackServer server_;
  std::vector<std::string> posted_;
};
using UploaderTest = RecorderSharingTest;

TEST_F(RecorderSharingTest, CursorsStartAtTheLastRowsMoveOnlyForwardAndGoWithSharing) {
  recorder().stopSharing().get();
  system("launch");
  system("sleep");
  EXPECT_THAT(pending(), ::testing::IsEmpty());
  recorder().startSharing().get();
  // One cursor a table; the current session's own row is still to go.
  EXPECT_EQ(count("shared"), 9);
  EXPECT_EQ(cursors(), "system:2");
  system("wake");
  recorder().startSharing().get();  // again: the cursors that exist stay
  EXPECT_EQ(cursors(), "system:2");
  EXPECT_EQ(pending().size(), 2u);  // the session and its wake
  recorder().shared({"system", "[]", 0, 5}).get();
  recorder().shared({"system", "[]", 0, 3}).get();
  EXPECT_EQ(cursors(), "system:5");
  recorder().stopSharing().get();
  recorder().shared({"system", "[]", 0, 9}).get();  // no longer shared: no cursor appears
  EXPECT_EQ(count("shared"), 0);
}

TEST_F(RecorderSharingTest, ABatchEndsBeforeTheFirstRowThatMayStillChange) {
  // Moments that ended 61, 30 and 100 s before kNow, the first with two head passes and a
  // similarity; a prompt shown just now, whose sequel is not noted yet, between two that have.
  const std::string shown = std::to_string(clock_.now().unixTime() - 10);
  insert(
      "INSERT INTO moments (session, id, started, ended) VALUES (1, 1, 1.0, 1999999939.0), "
      "(1, 2, 1.0, 1999999970.0), (1, 3, 1.0, 1999999900.0); INSERT INTO model_runs (session, "
      "moment, at, pass, task, probabilities, cache_hit, revision) VALUES (1, 1, 1, 'head', "
      "'neutral: x', '{\"work\":0.1}', 0, 'r1'), (1, 1, 2, 'head', 'work: x', "
      "'{\"work\":0.9,\"general\":0.1}', 0, 'r2'), (1, 1, 2, 'similarity', NULL, "
      "'{\"similarity\":0.5}', 0, NULL); INSERT INTO prompts (id, session, shown_at, followed_by) "
      "VALUES ('A', 1, " +
      shown + ", '[]'), ('B', 1, " + shown + ", NULL), ('C', 1, " + shown + ", '[]');");
  auto batches = pending();
  EXPECT_EQ(batches["moments"].last, 1);
  EXPECT_EQ(batches["prompts"].last, 1);
  const Json first = json::parse(batches["moments"].body).at(0);
  EXPECT_EQ(first["p_work"], 0.9);
  EXPECT_EQ(first["p_general"], 0.1);
  EXPECT_EQ(first["lean"], "work");
  EXPECT_EQ(first["revision"], "r2");
  EXPECT_EQ(first["similarity"], 0.5);
  // Half a minute on, all three have settled; an open moment is final unless in this session.
  insert("INSERT INTO moments (session, id, started) VALUES (2, 4, 1.0)");
  recorder().begin(moment(5, 1210), {});
  EXPECT_EQ(pending(kNow + 31)["moments"].last, 4);
  recorder().stop(Date{1300}, {});
  EXPECT_EQ(pending(kNow + 31)["moments"].last, 5);
}

TEST_F(UploaderTest, PostsEachBatchWithTheKeyAndMovesItsCursorAfter) {
  system("sleep", std::nullopt, 1001.25);
  // A label an agent made is withheld: nothing to post, but its cursor passes it.
  insert("INSERT INTO labels (session, label, source, labelled_at) VALUES (1, 'w', 'agent', 1)");
  Uploader sharing = uploader();
  EXPECT_EQ(send(sharing, {}, 0), "0 ok");
  EXPECT_EQ(cursors(), "sessions:1");
  EXPECT_EQ(send(sharing, {200}), "0 ok");
  const std::string uid = std::get<std::string>(rows("SELECT uid FROM sessions")[0][0].storage());
  EXPECT_THAT(posted_[0], StartsWith("POST /rest/v1/rpc/share HTTP/1.1\r\n"));
  EXPECT_THAT(posted_[0], HasSubstr("\r\napikey: K\r\nContent-Type: application/json\r\n"));
  EXPECT_THAT(posted_[0], EndsWith(R"({"target":"system","rows":[{"at":1.3,"detail":null,)"
                                   R"("event":"sleep","install":"I-1","moment":null,"seq":1,)"
                                   R"("session":")" +
                                   uid + R"("}]})"));
  EXPECT_EQ(cursors(), "labels:1 sessions:1 system:1");
  EXPECT_EQ(send(sharing, {}), "0 ok");  // sent once: nothing is left
}

TEST_F(UploaderTest, TheFirstFailedPostEndsTheSendAndTheRestGoesNextTime) {
  for (int refusal : {401, 500, 307, LoopbackServer::kStall}) {
    SCOPED_TRACE(refusal);
    Uploader sharing = uploader("", 1);  // a stall is given up after a second
    moments(3);
    system("sleep");
    insert("INSERT INTO decisions (session, at, mode, decision) VALUES (1, 1, 'x', 'y')");
    // Moments accepted, decisions refused, system not tried; a redirect is not followed.
    EXPECT_EQ(send(sharing, {200, refusal}), "3 failed");
    EXPECT_THAT(posted_[1], HasSubstr(R"({"target":"decisions")"));
    EXPECT_EQ(cursors(), "moments:3 sessions:1");
    EXPECT_EQ(send(sharing, {200, 200}), "0 ok");
    EXPECT_EQ(cursors(), "decisions:1 moments:3 sessions:1 system:1");
    recorder().deleteAll().get();  // every table empty again, its cursors at 0
    recorder().shared({"sessions", "[]", 0, 1}).get();
  }
}

TEST_F(UploaderTest, ABacklogGoesInRoundsOfTheRowLimit) {
  moments(Uploader::kRowsPerRound + 100);
  Uploader sharing = uploader();
  EXPECT_EQ(send(sharing, {200}, 1), std::to_string(Uploader::kRowsPerRound) + " ok");
  EXPECT_EQ(send(sharing, {200}), "100 ok");
}

TEST_F(UploaderTest, ForgetPostsTheInstallBelowTheBasePath) {
  const std::vector<std::tuple<std::string, int, bool>> cases = {
      {"/base", 204, true}, {"/base/", 200, true}, {"", 500, false}, {"", 302, false}};
  for (const auto& [path, status, accepted] : cases) {
    SCOPED_TRACE(path + " " + std::to_string(status));
    Uploader sharing = uploader(path);
    std::future<bool> forgot = sharing.forget();
    const std::string request = server_.serve(status);
    EXPECT_EQ(forgot.get(), accepted);
    EXPECT_FALSE(server_.waiting());  // a redirect is not followed
    EXPECT_THAT(request, StartsWith("POST " + path.substr(0, 5) + "/rest/v1/rpc/forget HTTP/1.1"));
    EXPECT_THAT(request, HasSubstr("\r\napikey: K\r\n"));
    EXPECT_THAT(request, EndsWith("\r\n\r\n{\"install\":\"I-1\"}"));
  }
  const std::string gone = LoopbackServer().url;  // nobody listens there any more
  EXPECT_FALSE(Uploader(gone, "K", "I-1", {}).forget().get());
  EXPECT_FALSE(Uploader("not an address", "K", "I-1", {}).forget().get());
}

}  // namespace
}  // namespace qb::test
