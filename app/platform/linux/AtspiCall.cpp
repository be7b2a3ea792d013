#include "platform/linux/AtspiCall.h"

#include <sys/types.h>

#include <atomic>
#include <string>
#include <vector>

#include "base/Log.h"
#include "platform/DesktopEntries.h"

namespace qb::atspi {

namespace {

// libatspi's own default, until AtspiBus::setTimeout is called.
constexpr int kDefaultRequestTimeoutMs = 800;
std::atomic<int> requestTimeoutMs{kDefaultRequestTimeoutMs};

constexpr const char* kAccessibleInterface = "org.a11y.atspi.Accessible";

struct MessageUnref {
  void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

// The process behind a unique name on the bus, as the bus daemon knows it: the program itself,
// which may be what does not answer, is never asked.
std::optional<pid_t> processOnBus(DBusConnection* bus, const char* name) {
  Message call(dbus_message_new_method_call(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS, DBUS_INTERFACE_DBUS,
                                            "GetConnectionUnixProcessID"));
  if (!call || !dbus_message_append_args(call.get(), DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID))
    return std::nullopt;
  DBusError error;
  dbus_error_init(&error);
  Message reply(
      dbus_connection_send_with_reply_and_block(bus, call.get(), requestTimeoutMs, &error));
  dbus_uint32_t pid = 0;
  const bool read =
      !dbus_error_is_set(&error) && reply &&
      dbus_message_get_args(reply.get(), &error, DBUS_TYPE_UINT32, &pid, DBUS_TYPE_INVALID);
  dbus_error_free(&error);
  if (!read || pid == 0) return std::nullopt;
  return static_cast<pid_t>(pid);
}

// Who publishes the accessible, for a message: ":1.42 (gedit, pid 4242)", or the bus name alone
// when the bus cannot tell its process.
std::string programOf(AtspiAccessible* accessible) {
  if (!accessible) return "the accessibility bus";
  const AtspiApplication* application = accessible->parent.app;
  if (!application || !application->bus_name) return "a program that has gone";
  std::string named = application->bus_name;
  // The bus daemon's connection, since a program's own may be a private one to the program.
  DBusConnection* bus = atspi_get_a11y_bus();
  if (!bus) return named;
  const std::optional<pid_t> pid = processOnBus(bus, application->bus_name);
  if (!pid) return named;
  const std::vector<std::string> programs = DesktopEntries::programsOf(*pid);
  named += " (";
  if (!programs.empty()) named += programs.front() + ", ";
  named += "pid " + std::to_string(*pid) + ")";
  return named;
}

// Logs a failed request at debug level. Finding the program costs a request to the bus daemon,
// made only when debug lines are shown.
void logFailure(std::string_view call, AtspiAccessible* asked, const char* why) {
  if (!log::debugShown()) return;
  std::string message = "AT-SPI ";
  message += call;
  message += " to ";
  message += programOf(asked);
  message += " failed: ";
  message += why ? why : "no message";
  log::write(log::Level::debug, message);
}

}  // namespace

void setRequestTimeout(int milliseconds) { requestTimeoutMs = milliseconds; }

std::optional<std::string> textProperty(AtspiAccessible* accessible, const char* property) {
  const AtspiObject& object = accessible->parent;
  if (!object.app || !object.app->bus || !object.app->bus_name || !object.path)
    return std::nullopt;  // the program has gone
  Message call(dbus_message_new_method_call(object.app->bus_name, object.path,
                                            DBUS_INTERFACE_PROPERTIES, "Get"));
  if (!call || !dbus_message_append_args(call.get(), DBUS_TYPE_STRING, &kAccessibleInterface,
                                         DBUS_TYPE_STRING, &property, DBUS_TYPE_INVALID))
    return std::nullopt;
  DBusError error;
  dbus_error_init(&error);
  Message reply(dbus_connection_send_with_reply_and_block(object.app->bus, call.get(),
                                                          requestTimeoutMs, &error));
  if (dbus_error_is_set(&error)) {
    logFailure(std::string("Get ") + property, accessible, error.message);
    dbus_error_free(&error);
    return std::nullopt;
  }
  DBusMessageIter arguments;
  DBusMessageIter variant;
  if (!reply || !dbus_message_iter_init(reply.get(), &arguments) ||
      dbus_message_iter_get_arg_type(&arguments) != DBUS_TYPE_VARIANT)
    return std::nullopt;
  dbus_message_iter_recurse(&arguments, &variant);
  if (dbus_message_iter_get_arg_type(&variant) != DBUS_TYPE_STRING) return std::nullopt;
  const char* text = nullptr;
  dbus_message_iter_get_basic(&variant, &text);
  if (!text) return std::nullopt;
  return std::string(text);
}

CallError::~CallError() {
  if (error_) g_error_free(error_);
}

bool CallError::failed() {
  if (!error_) return false;
  if (!logged_) {
    logged_ = true;
    logFailure(call_, asked_, error_->message);
  }
  return true;
}

}  // namespace qb::atspi
