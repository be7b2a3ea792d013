// The browsers the desktop tests and benchmarks start, and how: each in a profile of its own that
// skips first-run pages and calls home for nothing.

#pragma once

#include <unistd.h>

#include <QFile>
#include <QString>
#include <QStringList>
#include <ostream>

#include "sensing/Browsers.h"

namespace qb::test {

struct BrowserProgram {
  const char* program;
  BrowserKind kind;
  friend void PrintTo(const BrowserProgram& browser, std::ostream* out) { *out << browser.program; }
};

inline constexpr BrowserProgram kFirefox{"firefox-esr", BrowserKind::firefox};
inline constexpr BrowserProgram kChromium{"chromium", BrowserKind::chrome};

// The arguments that open `urls` in a new instance using the profile folder `profile`; false in
// `ok` when the profile could not be written. Firefox needs prefs that skip its first-run pages;
// Chromium its accessibility flag, without which it publishes no page, and no sandbox when run as
// root.
inline QStringList browserArguments(const BrowserProgram& browser, const QString& profile,
                                    const QStringList& urls, bool& ok) {
  ok = true;
  if (browser.kind == BrowserKind::firefox) {
    QFile prefs(profile + "/user.js");
    ok = prefs.open(QIODevice::WriteOnly) &&
         prefs.write(
             "user_pref(\"browser.shell.checkDefaultBrowser\", false);\n"
             "user_pref(\"browser.startup.homepage_override.mstone\", \"ignore\");\n"
             "user_pref(\"browser.aboutwelcome.enabled\", false);\n"
             "user_pref(\"datareporting.policy.dataSubmissionEnabled\", false);\n"
             "user_pref(\"toolkit.telemetry.reportingpolicy.firstRun\", false);\n"
             "user_pref(\"browser.tabs.warnOnClose\", false);\n") > 0;
    return QStringList{"--no-remote", "--new-instance", "--profile", profile} + urls;
  }
  QStringList arguments{"--no-first-run",
                        "--disable-background-networking",
                        "--disable-component-update",
                        "--disable-sync",
                        "--disable-gpu",
                        "--disable-dev-shm-usage",
                        "--password-store=basic",
                        "--force-renderer-accessibility",
                        "--user-data-dir=" + profile};
  if (geteuid() == 0) arguments.prepend("--no-sandbox");
  return arguments + urls;
}

}  // namespace qb::test
