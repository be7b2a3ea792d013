// The recording's sample of on-screen text: read once per moment, a few seconds after it began and
// only if the same window is still in front, so that short visits cost nothing and the text
// belongs to the page the user stayed on. The analyser never sees it.

#include "analysis/Redaction.h"
#include "model/AppModel.h"
#include "platform/Accessibility.h"
#include "platform/Platform.h"
#include "platform/Workspace.h"
#include "recording/Recorder.h"
#include "sensing/Prefs.h"
#include "sensing/ScreenText.h"

namespace qb {

void AppModel::readText(const Snapshot& snapshot) {
  if (Redaction::isMessaging(snapshot.observation) || !snapshot.target.window) return;
  services_.timers.schedule(kTextDelay, [this, snapshot, alive = alive_] {
    if (!*alive || !prefs_->recording() || !running()) return;
    if (!current_ || current_->observation.id != snapshot.observation.id) return;
    const std::optional<RunningApplication> front =
        services_.platform.workspace().frontmostApplication();
    if (!front || front->pid != snapshot.target.pid) return;
    Accessibility& accessibility = services_.platform.accessibility();
    if (accessibility.isSecureInputEnabled()) return;
    const Duration start = services_.clock.now();
    const ScreenText::Summary summary =
        ScreenText::summary(accessibility, snapshot.target.pid, snapshot.target.window, 0,
                            kTextCharacters, kTextNodes, kTextTime, services_.clock);
    if (recorder_) {
      recorder_->text(snapshot.observation, summary.page, std::nullopt, summary.shape,
                      summary.focusedRole, services_.clock.now() - start);
    }
  });
}

}  // namespace qb
