#include "base/SerialExecutor.h"

#include <string>

#include "base/Log.h"

namespace qb {

namespace {

std::string describe(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "an exception that is not a std::exception";
  }
}

}  // namespace

SerialExecutor::SerialExecutor() : worker_([this] { run(); }) {}

SerialExecutor::~SerialExecutor() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  worker_.join();
}

void SerialExecutor::post(std::function<void()> task, Failure onFailure) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back({std::move(task), std::move(onFailure)});
  }
  wake_.notify_one();
}

void SerialExecutor::run() {
  for (;;) {
    Task task;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;  // stopping, and everything queued has run
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    // An exception escaping the worker's thread would terminate the program.
    try {
      task.run();
    } catch (...) {
      const std::exception_ptr error = std::current_exception();
      if (!task.onFailure) {
        log::error("a task posted to a serial executor failed: " + describe(error));
        continue;
      }
      try {
        task.onFailure(error);
      } catch (...) {
        log::error("the failure handler of a task posted to a serial executor failed: " +
                   describe(std::current_exception()) + " (the task failed: " + describe(error) +
                   ")");
      }
    }
  }
}

}  // namespace qb
