#include "platform/linux/AtspiCall.h"

#include <atomic>
#include <string>

#include "base/Log.h"

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
    log::write(log::Level::debug, std::string("AT-SPI Get ") + property +
                                      " failed: " + (error.message ? error.message : "no message"));
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
    std::string message = "AT-SPI ";
    message += call_;
    message += " failed: ";
    message += error_->message ? error_->message : "no message";
    log::write(log::Level::debug, message);
  }
  return true;
}

}  // namespace qb::atspi
