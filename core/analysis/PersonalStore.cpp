#include "analysis/PersonalStore.h"

#include <utility>

namespace qb {

PersonalStore::PersonalStore(PersonalMemory memory) : memory_(std::move(memory)) {}

std::future<PersonalMemory> PersonalStore::memory() {
  return executor_.submit([this] { return memory_; });
}

std::future<float> PersonalStore::shift(std::vector<float> vector, Date at) {
  return executor_.submit(
      [this, vector = std::move(vector), at] { return memory_.shift(vector, at); });
}

std::future<void> PersonalStore::add(std::vector<float> vector, bool work, Date at,
                                     std::optional<std::string> title,
                                     std::optional<std::string> site, Uuid id) {
  return executor_.submit([this, vector = std::move(vector), work, at, title = std::move(title),
                           site = std::move(site), id]() mutable {
    memory_.add(std::move(vector), work, at, std::move(title), std::move(site), id);
  });
}

std::future<void> PersonalStore::forget(Uuid id) {
  return executor_.submit([this, id] { memory_.forget(id); });
}

std::future<void> PersonalStore::reset() {
  return executor_.submit([this] { memory_ = PersonalMemory(); });
}

std::future<void> PersonalStore::restore(PersonalMemory memory) {
  return executor_.submit(
      [this, memory = std::move(memory)]() mutable { memory_ = std::move(memory); });
}

}  // namespace qb
