// SerialExecutor: runs submitted operations one at a time, in order, on its own worker thread.
//
// Objects whose operations must never overlap (the sentence embedder, the personal store, the
// recorder) own one. Callers get a std::future and wait on it only off the main thread; the
// main thread hands work over and takes results back through its own executor. Destruction runs
// what is already queued, then joins the worker.
//
// A task that throws never ends the program: submit() hands the exception to the future, post()
// to the failure handler given with the task, or to the log when there is none.

#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>

namespace qb {

class SerialExecutor {
public:
  SerialExecutor();
  ~SerialExecutor();
  SerialExecutor(const SerialExecutor&) = delete;
  SerialExecutor& operator=(const SerialExecutor&) = delete;

  // Queues f; the future holds its result or the exception it threw.
  template <typename F>
  auto submit(F&& f) -> std::future<std::invoke_result_t<std::decay_t<F>>> {
    using Result = std::invoke_result_t<std::decay_t<F>>;
    auto task = std::make_shared<std::packaged_task<Result()>>(std::forward<F>(f));
    std::future<Result> result = task->get_future();
    post([task] { (*task)(); });
    return result;
  }

  // Called on the worker with what a posted task threw.
  using Failure = std::function<void(std::exception_ptr)>;

  // Queues a task whose result nobody waits for. What it throws goes to onFailure, or to the log
  // as an error when onFailure is empty; an exception from onFailure itself is logged too.
  void post(std::function<void()> task, Failure onFailure = {});

  // True when called from this executor's worker: waiting on its own future there would deadlock.
  bool isCurrent() const { return std::this_thread::get_id() == worker_.get_id(); }

private:
  struct Task {
    std::function<void()> run;
    Failure onFailure;
  };

  void run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Task> queue_;
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace qb
