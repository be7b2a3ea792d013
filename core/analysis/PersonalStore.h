// PersonalStore: the one shared owner of the user's answers.
//
// Operations run one at a time, in the order they were called, on the store's own serial
// executor, so a shift() sees the memory before or after an add(), never in between. Every
// method returns at once with a future: the analysis task waits on shift(), while the main thread
// may drop the future of a change (the change still happens, in order) and must wait on memory()
// only off the main thread. Because operations are queued in call order, a memory() called after
// an add() sees that add: the coordinator saves personal.json that way.
//
// The store does no file input or output.

#pragma once

#include <future>
#include <optional>
#include <string>
#include <vector>

#include "analysis/PersonalMemory.h"
#include "base/SerialExecutor.h"

namespace qb {

class PersonalStore {
public:
  explicit PersonalStore(PersonalMemory memory = PersonalMemory());
  PersonalStore(const PersonalStore&) = delete;
  PersonalStore& operator=(const PersonalStore&) = delete;

  // A copy: changing it does not change the store.
  std::future<PersonalMemory> memory();
  std::future<float> shift(std::vector<float> vector, Date at);
  std::future<void> add(std::vector<float> vector, bool work, Date at,
                        std::optional<std::string> title, std::optional<std::string> site, Uuid id);
  std::future<void> forget(Uuid id);
  // Back to PersonalMemory(): no answers, default constants.
  std::future<void> reset();
  // Replaces the whole memory, constants included.
  std::future<void> restore(PersonalMemory memory);

private:
  PersonalMemory memory_;  // touched only on executor_
  // Declared last so that it is destroyed first: queued operations finish while memory_ lives.
  SerialExecutor executor_;
};

}  // namespace qb
