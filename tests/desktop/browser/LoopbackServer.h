// A web server on 127.0.0.1 for the browser tests: it serves a few pages held in memory, one
// request per connection. It answers from a thread of its own, so that a page still loads while a
// test blocks its main thread. It waits on every open connection at once: a browser opens
// connections ahead of its requests and may leave some unused, and one of those must neither hold
// up a request on another nor be dropped before the browser, slowed by a loaded machine, sends a
// request on it. Every request's path is kept, so that a test can tell what a browser asked for.

#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace qb::test {

class LoopbackServer {
public:
  // Pages by path ("/work"), each an HTML document; every other path is not found.
  explicit LoopbackServer(std::map<std::string, std::string> pages) : pages_(std::move(pages)) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        pipe2(stop_, O_CLOEXEC) != 0) {
      return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }

  ~LoopbackServer() {
    if (thread_.joinable()) {
      (void)write(stop_[1], "x", 1);
      thread_.join();
    }
    for (int fd : {listener_, stop_[0], stop_[1]}) {
      if (fd >= 0) close(fd);
    }
  }

  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // 0 when the server could not start.
  uint16_t port() const { return port_; }
  // The page at `path`, named by `host`: "localhost" names the same server as another site.
  std::string url(std::string_view path, std::string_view host = "127.0.0.1") const {
    return "http://" + std::string(host) + ":" + std::to_string(port_) + std::string(path);
  }

  // The path of every request so far, in the order they came.
  std::vector<std::string> requested() const {
    std::lock_guard lock(mutex_);
    return requested_;
  }

  // A page whose title and heading are `title`.
  static std::string page(std::string_view title) {
    const std::string text(title);
    return "<!doctype html><html><head><meta charset=\"utf-8\"><title>" + text +
           "</title></head><body><h1>" + text + "</h1><p>Some words on the page.</p></body></html>";
  }

private:
  void serve() {
    std::map<int, std::string> requests;  // each open connection, and what it has sent so far
    for (;;) {
      std::vector<pollfd> waits{{stop_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
      for (const auto& [connection, request] : requests) waits.push_back({connection, POLLIN, 0});
      if (poll(waits.data(), waits.size(), -1) < 0) continue;
      if (waits[0].revents != 0) break;
      if (waits[1].revents != 0) {
        const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0) requests[connection];
      }
      for (auto wait = waits.begin() + 2; wait != waits.end(); ++wait) {
        if (wait->revents == 0) continue;
        std::string& request = requests[wait->fd];
        char buffer[4096];
        const ssize_t got = read(wait->fd, buffer, sizeof buffer);
        if (got > 0) request.append(buffer, static_cast<size_t>(got));
        const bool complete = request.find("\r\n\r\n") != std::string::npos;
        if (got > 0 && !complete) continue;
        if (complete) answer(wait->fd, request);
        close(wait->fd);
        requests.erase(wait->fd);
      }
    }
    for (const auto& [connection, request] : requests) close(connection);
  }

  void answer(int connection, const std::string& request) {
    // "GET /path HTTP/1.1"
    const size_t start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    {
      std::lock_guard lock(mutex_);
      requested_.push_back(path);
    }
    const auto found = pages_.find(path);
    const std::string body = found == pages_.end() ? "not found" : found->second;
    const std::string response =
        std::string(found == pages_.end() ? "HTTP/1.1 404 Not Found" : "HTTP/1.1 200 OK") +
        "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
        std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    for (size_t sent = 0; sent < response.size();) {
      const ssize_t wrote =
          send(connection, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
      if (wrote <= 0) return;
      sent += static_cast<size_t>(wrote);
    }
  }

  const std::map<std::string, std::string> pages_;
  int listener_ = -1;
  int stop_[2] = {-1, -1};
  uint16_t port_ = 0;
  mutable std::mutex mutex_;
  std::vector<std::string> requested_;  // guarded by mutex_
  std::thread thread_;
};

}  // namespace qb::test
