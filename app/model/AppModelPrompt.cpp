// Intervention: the prompt goes up only once a fresh read finds the same application, site and tab
// in front and nothing else is on screen; otherwise the decision is recorded as not shown.

#include <QBuffer>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <cmath>

#include "base/Uuid.h"
#include "design/AppIcon.h"
#include "model/AppModel.h"
#include "policy/PromptReason.h"
#include "prompt/Overlay.h"
#include "recording/DecisionRecord.h"
#include "recording/EventStore.h"
#include "recording/PromptRecord.h"
#include "recording/Recorder.h"
#include "sensing/Observer.h"
#include "sensing/Prefs.h"

namespace qb {

namespace {

// The line while a finished coding agent waits for the user, whatever the page.
constexpr const char* kAgentDoneLine = "Your coding agent finished.";

double tenth(double share) { return std::round(share * 10) / 10; }

}  // namespace

void AppModel::intervene(uint64_t id) {
  if (overlay_->isPanelVisible()) return notShown(id, "overlay already showing");
  if (!current_ || current_->observation.id != id) return notShown(id, "no longer in front");
  const std::optional<Snapshot> fresh = observer_->read();
  if (!fresh || fresh->observation.bundleID != current_->observation.bundleID ||
      fresh->observation.scope() != current_->observation.scope() ||
      fresh->target.tab != current_->target.tab) {
    return notShown(id, "re-check failed: app, tab or site changed");
  }
  const auto kept = analyses_.find(id);
  const Date now = services_.wallClock.now();
  present(*fresh, kept == analyses_.end() ? std::nullopt : std::optional(kept->second),
          policy_.driftSeconds(now).value_or(0));
}

void AppModel::notShown(uint64_t id, const std::string& reason) {
  if (!prefs_->recording() || !recorder_) return;
  const auto kept = analyses_.find(id);
  recorder_->decision(
      DecisionRecord(policy_, kept == analyses_.end() ? std::nullopt : std::optional(kept->second),
                     std::nullopt, "not shown", reason, true, services_.wallClock.now()));
}

std::optional<std::string> AppModel::lastWorkName() const {
  const auto& page = returnTo_.page();
  if (!page) return std::nullopt;
  return name(page->item);
}

std::string AppModel::name(const Snapshot& snapshot) {
  // The application's own name is what its windows call it on this desktop.
  return snapshot.observation.host().value_or(snapshot.observation.appName);
}

std::optional<std::string> AppModel::workName(const Moment& prompted) const {
  const auto& page = returnTo_.page();
  if (!page) return std::nullopt;
  if (std::optional<std::string> project = policy_.project(page->moment, std::nullopt)) {
    return project;
  }
  if (PromptReason::isSamePlace(page->moment, prompted)) return std::nullopt;
  return lastWorkName();
}

std::optional<QByteArray> AppModel::icon(const Target& target) {
  const QPixmap pixmap = AppIcon::image(QString::fromStdString(target.bundleID), target.pid)
                             .pixmap(kIconPixels, kIconPixels);
  if (pixmap.isNull()) return std::nullopt;
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) ||
      !pixmap.scaled(kIconPixels, kIconPixels).save(&buffer, "PNG")) {
    return std::nullopt;
  }
  return png;
}

std::optional<std::vector<double>> AppModel::screenShare(const Rect& frame) {
  const QPointF centre(frame.origin.x + frame.size.width / 2,
                       frame.origin.y + frame.size.height / 2);
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect area = screen->geometry();
    if (!QRectF(area).contains(centre)) continue;
    if (area.width() <= 0 || area.height() <= 0) return std::nullopt;
    return std::vector<double>{tenth(frame.size.width / area.width()),
                               tenth(frame.size.height / area.height())};
  }
  return std::nullopt;
}

void AppModel::present(const Snapshot& snapshot, const std::optional<Analysis>& analysis,
                       Duration drift) {
  const Moment& moment = snapshot.observation;
  const Date now = services_.wallClock.now();
  const std::optional<std::string> work = workName(moment);
  PromptContent content;
  content.context = work;
  content.line = agentDone_ ? kAgentDoneLine : PromptReason::line(moment, name(snapshot));
  content.breakMinutes = static_cast<int>(prefs_->breakMinutes());
  if (const auto& page = returnTo_.page()) content.icon = icon(page->item.target);
  if (moment.host()) content.site = moment.scope();

  policy_.record(Outcome::prompted, moment, analysis, now);
  if (store_) store_->log(EventStore::Kind::prompt, 1, std::nullopt, now);
  PromptRecord row;
  row.id = Uuid::random().string();
  row.moment = moment.id;
  row.shownAt = now;
  row.driftStart = now - drift;
  row.driver = "overlay";
  row.title = work ? "Back to " + *work + "?" : "Back to work?";
  row.line = content.line;
  row.why = {moment.title, content.line};
  const OpenPrompt prompt{snapshot, analysis, row.id};
  if (recorder_) recorder_->prompt(std::move(row));
  openPrompt_ = prompt;
  overlay_->show(content, snapshot.target, [this, prompt, alive = alive_](PromptAction action) {
    if (*alive) finish(action, prompt);
  });
}

void AppModel::testPrompt(const QRect& frame) {
  overlay_->show(PromptContent{std::nullopt, "Test", static_cast<int>(prefs_->breakMinutes()),
                               std::nullopt, std::nullopt},
                 frame, [](PromptAction) {});
}

}  // namespace qb
