// The desktop the platform benchmarks read: one X connection, input monitor and platform for the
// whole run, made on first use. Any of them is null when there is no display.

#pragma once

#include <QCoreApplication>
#include <memory>

#include "base/NoDestructor.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/X11Desktop.h"
#include "platform/linux/X11InputMonitor.h"

namespace qb::bench {

// The desktop's socket notifier wants an application object; one for the whole run.
struct Desktop {
  Desktop() {
    if (QCoreApplication::instance() == nullptr) {
      application = std::make_unique<QCoreApplication>(argc, argv);
    }
    desktop = X11Desktop::open();
    if (desktop) input = std::make_unique<X11InputMonitor>(desktop->connection());
    platform = LinuxPlatform::open();
  }

  int argc = 1;
  char name[16] = "quillbrook";
  char* argv[2] = {name, nullptr};
  std::unique_ptr<QCoreApplication> application;
  std::unique_ptr<X11Desktop> desktop;
  std::unique_ptr<X11InputMonitor> input;
  std::unique_ptr<LinuxPlatform> platform;
};

inline Desktop& shared() {
  static NoDestructor<Desktop> desktop;
  return *desktop;
}

}  // namespace qb::bench
