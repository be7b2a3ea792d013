#include "recording/Uploader.h"

#include <curl/curl.h>

#include <exception>
#include <memory>
#include <optional>
#include <utility>

#include "base/Log.h"
#include "base/Url.h"

namespace qb {
namespace {

constexpr const char* kApiPrefix = "rest/v1/";
constexpr const char* kSharePath = "rpc/share";
constexpr const char* kForgetPath = "rpc/forget";
constexpr long kMillisecondsPerSecond = 1000;
constexpr long kSuccessFirst = 200;
constexpr long kSuccessLast = 299;

// libcurl's global state is made once, before any request, and kept for the process.
bool curlReady() {
  static const bool ready = [] {
    const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (result != CURLE_OK) {
      log::error(std::string("Sharing: the HTTP library cannot start: ") +
                 curl_easy_strerror(result));
    }
    return result == CURLE_OK;
  }();
  return ready;
}

// The base address with "rest/v1/" and the path below its own path, whether or not that ends in
// "/"; absent when the base is not an http or https address with a host.
std::optional<std::string> endpoint(const std::string& server, const std::string& path) {
  std::optional<UrlComponents> address = UrlComponents::parse(server);
  if (!address || !address->scheme || !address->host || address->host->empty()) {
    return std::nullopt;
  }
  if (*address->scheme != "http" && *address->scheme != "https") return std::nullopt;
  if (!address->path.ends_with('/')) address->path += '/';
  address->path += kApiPrefix + path;
  return address->string();
}

size_t discard(char*, size_t size, size_t count, void*) { return size * count; }

struct CurlCleanup {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct HeadersCleanup {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

}  // namespace

Uploader::Uploader(std::string server, std::string key, std::string install,
                   std::vector<std::string> names, Duration timeout)
    : server_(std::move(server)),
      key_(std::move(key)),
      install_(std::move(install)),
      names_(std::move(names)),
      timeout_(timeout) {
  curlReady();
}

std::future<Uploader::SendResult> Uploader::send(Recorder& recorder, int rounds, Date now,
                                                 Calendar calendar) {
  return worker_.submit([this, &recorder, rounds, now, calendar = std::move(calendar)] {
    return sendNow(recorder, rounds, now, calendar);
  });
}

std::future<bool> Uploader::forget() {
  return worker_.submit([this] { return post(kForgetPath, "{\"install\":\"" + install_ + "\"}"); });
}

Uploader::SendResult Uploader::sendNow(Recorder& recorder, int rounds, Date now,
                                       const Calendar& calendar) const {
  SendResult result;
  for (int round = 0; round < rounds; ++round) {
    std::vector<Recorder::ShareBatch> batches;
    try {
      batches = recorder.pendingShares(kRowsPerRound, install_, names_, calendar, now).get();
    } catch (const std::exception& error) {
      log::error(std::string("Sharing: the batches could not be read: ") + error.what());
      result.failed = true;
      return result;
    }
    if (batches.empty()) return result;
    for (Recorder::ShareBatch& batch : batches) {
      // A stretch of withheld rows has nothing to post, but its cursor still passes them.
      if (batch.count > 0) {
        // Table names are the recording's own, plain identifiers: no escaping needed.
        const std::string body = "{\"target\":\"" + batch.table + "\",\"rows\":" + batch.body + "}";
        if (!post(kSharePath, body)) {
          result.failed = true;
          return result;
        }
      }
      const std::string table = batch.table;
      const int64_t count = batch.count;
      try {
        recorder.shared(std::move(batch)).get();
      } catch (const std::exception& error) {
        log::error(std::string("Sharing: a cursor could not be moved: ") + error.what());
      }
      if (table == "moments") result.moments += count;
    }
  }
  return result;
}

bool Uploader::post(const std::string& path, const std::string& body) const {
  if (!curlReady()) return false;
  const std::optional<std::string> url = endpoint(server_, path);
  if (!url) {
    log::error("Sharing: the server's address is not an http or https address; " + path +
               " not posted");
    return false;
  }
  if (key_.find_first_of("\r\n") != std::string::npos) {
    log::error("Sharing: the server's key holds a line break; " + path + " not posted");
    return false;
  }
  std::unique_ptr<CURL, CurlCleanup> curl(curl_easy_init());
  if (!curl) {
    log::error("Sharing: no HTTP handle could be made; " + path + " not posted");
    return false;
  }
  curl_slist* list = nullptr;
  // "Expect:" stops the library from waiting for a "100 Continue" before larger bodies.
  for (const std::string& header :
       {"apikey: " + key_, std::string("Content-Type: application/json"), std::string("Expect:")}) {
    curl_slist* grown = curl_slist_append(list, header.c_str());
    if (grown == nullptr) {
      curl_slist_free_all(list);
      log::error("Sharing: out of memory for the headers; " + path + " not posted");
      return false;
    }
    list = grown;
  }
  std::unique_ptr<curl_slist, HeadersCleanup> headers(list);

  char error[CURL_ERROR_SIZE] = {};
  CURL* handle = curl.get();
  CURLcode set = CURLE_OK;
  auto option = [&](CURLoption name, auto value) {
    if (set == CURLE_OK) set = curl_easy_setopt(handle, name, value);
  };
  option(CURLOPT_ERRORBUFFER, error);
  option(CURLOPT_URL, url->c_str());
  option(CURLOPT_PROTOCOLS_STR, "http,https");
  // The key goes only where it was meant to: a redirect is an answer, not a new address.
  option(CURLOPT_FOLLOWLOCATION, 0L);
  option(CURLOPT_POST, 1L);
  option(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  option(CURLOPT_POSTFIELDS, body.data());
  option(CURLOPT_HTTPHEADER, headers.get());
  option(CURLOPT_TIMEOUT_MS, static_cast<long>(timeout_ * kMillisecondsPerSecond));
  // Worker threads must not take signals for time-outs.
  option(CURLOPT_NOSIGNAL, 1L);
  option(CURLOPT_WRITEFUNCTION, &discard);
  if (set != CURLE_OK) {
    log::error("Sharing: the request to " + path +
               " could not be made: " + curl_easy_strerror(set));
    return false;
  }
  if (const CURLcode result = curl_easy_perform(handle); result != CURLE_OK) {
    log::error("Sharing: posting to " + path +
               " failed: " + (error[0] != '\0' ? std::string(error) : curl_easy_strerror(result)));
    return false;
  }
  long status = 0;
  if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) {
    log::error("Sharing: the answer to " + path + " has no status");
    return false;
  }
  if (status < kSuccessFirst || status > kSuccessLast) {
    log::error("Sharing: the server answered " + std::to_string(status) + " to " + path);
    return false;
  }
  return true;
}

}  // namespace qb
