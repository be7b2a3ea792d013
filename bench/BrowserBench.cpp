// Cost of reading a browser's shown tab, as the observer does on every observation of a browser
// window: a breadth-first search of the window for the shown page, then its title and address.
// Each browser is started on five tabs of a long article (the hidden tabs' pages are part of the
// window's tree and are passed over on the way), read a fixed number of times and stopped.
// Needs the headless desktop of scripts/bench-desktop and the browsers that scripts/setup installs.

#include <benchmark/benchmark.h>

#ifdef QB_BENCH_PLATFORM

#include <QDeadlineTimer>
#include <QFile>
#include <optional>

#include "SharedDesktop.h"
#include "desktop/browser/BrowserPrograms.h"
#include "platform/Accessibility.h"
#include "platform/Workspace.h"
#include "sensing/AX.h"
#include "sensing/Browsers.h"

namespace qb {
namespace {

// How long a browser may take to show its page on the accessibility bus.
constexpr int kStartMs = 30000;
constexpr int kTabs = 5;
constexpr int kParagraphs = 200;
// Reads per browser: each costs tens of milliseconds, and a browser takes seconds to start.
constexpr int kReads = 40;

QString writeArticle(const QString& folder) {
  QString html =
      "<!doctype html><html><head><meta charset=\"utf-8\"><title>Article</title></head>"
      "<body><h1>Article</h1>";
  for (int i = 0; i < kParagraphs; ++i) {
    html += QString(
                "<h2>Section %1</h2><p>Paragraph %1 of the article, with <a href=\"#s%1\">a "
                "link</a> and some more words.</p>")
                .arg(i);
  }
  html += "</body></html>";
  QFile file(folder + "/article.html");
  if (!file.open(QIODevice::WriteOnly) || file.write(html.toUtf8()) <= 0) return {};
  return "file://" + file.fileName();
}

void BM_BrowserRead(benchmark::State& state, test::BrowserProgram program) {
  LinuxPlatform* platform = bench::shared().platform.get();
  if (platform == nullptr) return state.SkipWithError("no X display");
  // Stopped with all its processes, and its profile removed, on every way out below.
  test::BrowserProcess browser(program);
  const QString article = writeArticle(browser.profile());
  if (article.isEmpty()) return state.SkipWithError("no page");
  QStringList urls;
  for (int i = 0; i < kTabs; ++i) urls << article + "?tab=" + QString::number(i);
  if (!browser.start(urls)) return state.SkipWithError(browser.errorString().toStdString().c_str());

  pid_t pid = 0;
  AXElement window;
  bool shown = false;
  QDeadlineTimer deadline(kStartMs);
  while (!shown && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    const auto front = platform->workspace().frontmostApplication();
    if (!front || !front->bundleID || parseBrowserKind(*front->bundleID) != program.kind) continue;
    pid = front->pid;
    window = AX::element(platform->accessibility().application(pid), AXAttribute::focusedWindow);
    const auto tab = Browsers::read(program.kind, pid, window);
    shown = tab && tab->url;
  }
  if (!shown) {
    const QString why = QString::fromUtf8(program.program) +
                        " showed no page on the accessibility bus within " +
                        QString::number(kStartMs / 1000) + " s";
    return state.SkipWithError(why.toStdString().c_str());
  }
  for (auto _ : state) benchmark::DoNotOptimize(Browsers::read(program.kind, pid, window));
}
BENCHMARK_CAPTURE(BM_BrowserRead, firefox, test::kFirefox)
    ->Iterations(kReads)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BrowserRead, chromium, test::kChromium)
    ->Iterations(kReads)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qb

#endif  // QB_BENCH_PLATFORM
