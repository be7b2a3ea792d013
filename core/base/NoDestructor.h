// NoDestructor<T>: a value built on first use and never destroyed.
//
// The rule for every function-local static in the program: it lives in a NoDestructor. Analyses run
// on worker threads, and one abandoned after its time-out may still be running while the process
// exits; a static destroyed by exit under such a worker (a pattern, a word list, the log's mutex)
// is a use after free. Leaving statics alive costs nothing the system does not reclaim.
//
//   const Regex& pattern() {
//     static const NoDestructor<Regex> regex("\\s-\\s");
//     return *regex;
//   }
//
// Function-local statics are built once, thread-safely, by the language; this only skips the end.

#pragma once

#include <initializer_list>
#include <new>
#include <type_traits>
#include <utility>

namespace qb {

namespace detail {
// The element type of a container, so that a braced list of words or table rows can build one.
template <typename T>
struct ElementOf {
  struct None {};
  using type = None;
};
template <typename T>
requires requires { typename T::value_type; }
struct ElementOf<T> {
  using type = typename T::value_type;
};
}  // namespace detail

template <typename T>
class NoDestructor {
public:
  template <typename... Args>
  explicit NoDestructor(Args&&... args) {
    new (storage_) T(std::forward<Args>(args)...);
  }

  // Braced lists (a set of words, a table) do not deduce through the forwarding constructor.
  NoDestructor(std::initializer_list<typename detail::ElementOf<T>::type> list) {
    new (storage_) T(list);
  }

  ~NoDestructor() = default;
  NoDestructor(const NoDestructor&) = delete;
  NoDestructor& operator=(const NoDestructor&) = delete;

  T* get() { return std::launder(reinterpret_cast<T*>(storage_)); }
  const T* get() const { return std::launder(reinterpret_cast<const T*>(storage_)); }
  T& operator*() { return *get(); }
  const T& operator*() const { return *get(); }
  T* operator->() { return get(); }
  const T* operator->() const { return get(); }

private:
  alignas(T) unsigned char storage_[sizeof(T)];
};

}  // namespace qb
