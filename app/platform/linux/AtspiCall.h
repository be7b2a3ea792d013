// Small owners for what libatspi and GLib hand back, so that every reference, string and error is
// released on every path. Only for the accessibility bus code of this folder.

#pragma once

#include <atspi/atspi.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qb::atspi {

struct GObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
// A reference to a GObject (an AtspiAccessible or one of its interfaces) taken over from a call
// that returned it owned.
template <class T>
using Ref = std::unique_ptr<T, GObjectUnref>;

struct GFree {
  void operator()(gpointer memory) const { g_free(memory); }
};
// Text or a plain record (AtspiRect, AtspiPoint) a call returned owned.
template <class T>
using Owned = std::unique_ptr<T, GFree>;

// The error slot of one call to the program that publishes `asked` (null for a call to the bus
// itself). A failure is logged at debug level with the call's name and the program asked (its
// name on the bus, and the process and program behind it as the bus tells them), since a
// program that stops answering shows up first as a run of these. `asked` must outlive this.
class CallError {
public:
  CallError(std::string_view call, AtspiAccessible* asked) : call_(call), asked_(asked) {}
  ~CallError();
  CallError(const CallError&) = delete;
  CallError& operator=(const CallError&) = delete;

  GError** out() { return &error_; }
  // Whether the call failed; logs the failure once.
  bool failed();

private:
  std::string_view call_;
  AtspiAccessible* asked_;  // not owned
  GError* error_ = nullptr;
  bool logged_ = false;
};

// The longest one request may wait, in milliseconds, for the requests made here rather than
// through libatspi; AtspiBus::setTimeout sets it together with libatspi's own. Until then it is
// libatspi's default.
void setRequestTimeout(int milliseconds);

// A text property of the accessible's object ("Name", "Description"), read over the object's own
// connection. libatspi's getters answer an empty text when the program does not answer, which
// would read as a window without a title; this answers nullopt for every failure.
std::optional<std::string> textProperty(AtspiAccessible* accessible, const char* property);

}  // namespace qb::atspi
