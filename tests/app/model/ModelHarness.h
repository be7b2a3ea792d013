// What a coordinator under test runs on: the fake platform, settings and files in a folder of the
// test's own, and the main thread's queue and timers on a manual clock.

#pragma once

#include <filesystem>

#include "app/ScopedEnvironment.h"
#include "model/AppModel.h"
#include "platform/LoginItem.h"
#include "platform/UserDefaults.h"
#include "platform/fake/FakePlatform.h"
#include "support/ManualRuntime.h"
#include "support/TestSupport.h"

namespace qb::test {

struct ModelHarness {
  AppModel::Services services(std::filesystem::path folder) {
    return {platform, defaults, loginItem, main, timers, clock, wallClock, std::move(folder)};
  }

  TempDir home;
  ScopedEnvironment environment;
  fake::FakePlatform platform;
  UserDefaults defaults{home / "settings.json"};
  LoginItem loginItem{home / "autostart", "/usr/bin/quillbrook"};
  ManualExecutor main;
  ManualTimers timers;
  ManualTimersClock clock{timers};
  ManualTimersWallClock wallClock{timers};
};

}  // namespace qb::test
