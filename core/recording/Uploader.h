// Uploader: posts the recording's shared batches to the sharing server, and asks it to forget
// this installation.
//
// Every request is a POST of JSON to the server's base address followed by "rest/v1/" and a
// procedure path ("rpc/share", "rpc/forget"), with the key in an "apikey" header and a time-out
// of `timeout` seconds for the whole exchange. Only a 2xx answer is success: a redirect is never
// followed (it would carry the key to wherever it points), so a 3xx answer is a failed post, like
// any other status, a refused connection or a time-out. The answer's body is not read.
//
// send() moves a table's cursor only after its batch was accepted, so a failed post loses
// nothing: its rows, and every later table's, are offered again at the next send(). Failures are
// logged (never the key).
//
// send() and forget() run on the uploader's own worker, one at a time, and return at once; wait
// on their futures off the main thread. Destruction waits for the requests already asked for
// (each bounded by the time-out). The recorder given to send() must outlive that send's future.

#pragma once

#include <cstdint>
#include <future>
#include <string>
#include <vector>

#include "base/Calendar.h"
#include "base/Date.h"
#include "base/SerialExecutor.h"
#include "recording/Recorder.h"

namespace qb {

class Uploader {
public:
  // The most rows of one table that one round takes.
  static constexpr int64_t kRowsPerRound = 500;
  // How long one request may take, from connecting to the answer's status.
  static constexpr Duration kRequestTimeout = 60;

  struct SendResult {
    int64_t moments = 0;  // moment rows the server accepted in this send
    bool failed = false;  // a post failed; the rest waits for the next send
    friend bool operator==(const SendResult&, const SendResult&) = default;
  };

  // `server` is the base address ("https://host/" or one with a path of its own); `install` the
  // identifier from Sharing::install(), `names` the tokens from Sharing::names().
  Uploader(std::string server, std::string key, std::string install, std::vector<std::string> names,
           Duration timeout = kRequestTimeout);
  Uploader(const Uploader&) = delete;
  Uploader& operator=(const Uploader&) = delete;

  // Up to `rounds` rounds (none for 0 or fewer): each asks `recorder` for its pending batches
  // (kRowsPerRound rows per table, shaped in `calendar` at `now`) and posts each batch that holds
  // rows to "rpc/share" as {"target":<table>,"rows":<body>}, moving its cursor after an accepted
  // post (at once for a batch whose rows were all withheld). Ends early when nothing is pending,
  // and at the first failed post.
  std::future<SendResult> send(Recorder& recorder, int rounds, Date now,
                               Calendar calendar = Calendar::current());
  // Posts {"install":<install>} to "rpc/forget"; true when the server accepted it.
  std::future<bool> forget();

  const std::string& server() const { return server_; }
  const std::string& install() const { return install_; }
  const std::vector<std::string>& names() const { return names_; }

private:
  SendResult sendNow(Recorder& recorder, int rounds, Date now, const Calendar& calendar) const;
  // True on a 2xx answer; anything else is logged.
  bool post(const std::string& path, const std::string& body) const;

  const std::string server_;
  const std::string key_;
  const std::string install_;
  const std::vector<std::string> names_;
  const Duration timeout_;
  // Declared last so that it is destroyed first: requests under way finish while the fields live.
  SerialExecutor worker_;
};

}  // namespace qb
