#include "base/Log.h"

#include <cstdio>
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

void write(Level level, std::string_view message) {
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
