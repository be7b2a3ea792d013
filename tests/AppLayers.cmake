cmake_minimum_required(VERSION 3.25)
# Fails when a file of the program outside app/platform/linux/ includes an X11, accessibility-bus,
# GLib or D-Bus header: everything above the platform layer must run against its fakes.
# Run as: cmake -DAPP=<app folder> -P AppLayers.cmake
file(GLOB_RECURSE files "${APP}/*.h" "${APP}/*.cpp")
set(failures "")
foreach(file ${files})
  if(file MATCHES "/platform/linux/")
    continue()
  endif()
  file(STRINGS "${file}" includes REGEX "^#include <(X11/|atspi/|glib|gio/|QDBus|QtDBus)")
  foreach(line ${includes})
    list(APPEND failures "${file}: ${line}")
  endforeach()
endforeach()
if(failures)
  list(JOIN failures "\n" message)
  message(FATAL_ERROR "Only app/platform/linux may talk to the desktop directly:\n${message}")
endif()
