#include "base/Log.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>

#include "base/NoDestructor.h"

namespace qb::log {
namespace {

std::mutex& sinkMutex() {
  static NoDestructor<std::mutex> mutex;
  return *mutex;
}

Sink& currentSink() {
  static NoDestructor<Sink> sink;
  return *sink;
}

bool shownByEnvironment() {
  const char* value = std::getenv(kDebugVariable);
  return value != nullptr && std::string_view(value) != "" && std::string_view(value) != "0";
}

std::atomic<bool>& debugSwitch() {
  static std::atomic<bool> shown{shownByEnvironment()};
  return shown;
}

void writeToStderr(Level level, std::string_view message) {
  const char* tag = level == Level::error ? "error" : level == Level::info ? "info" : "debug";
  std::fprintf(stderr, "Quillbrook [app] %s: %.*s\n", tag, static_cast<int>(message.size()),
               message.data());
}

}  // namespace

void setSink(Sink sink) {
  std::lock_guard lock(sinkMutex());
  currentSink() = std::move(sink);
}

void showDebug(bool shown) { debugSwitch() = shown; }

bool debugShown() { return debugSwitch(); }

void write(Level level, std::string_view message) {
  if (level == Level::debug && !debugShown()) return;
  // Libraries' messages may end in a line break of their own: one more would be an empty line.
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
    message.remove_suffix(1);
  std::lock_guard lock(sinkMutex());
  if (!currentSink()) {
    writeToStderr(level, message);
    return;
  }
  // Callers log from failure paths, where another exception would end the program: a sink that
  // fails loses its message to stderr instead.
  try {
    currentSink()(level, message);
  } catch (const std::exception& e) {
    writeToStderr(Level::error, std::string("the log's sink failed: ") + e.what());
    writeToStderr(level, message);
  } catch (...) {
    writeToStderr(Level::error, "the log's sink failed");
    writeToStderr(level, message);
  }
}

}  // namespace qb::log
