#include "shell/StatusCard.h"

#include <QHBoxLayout>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "design/AppIcon.h"
#include "design/Mark.h"
#include "design/QB.h"
#include "shell/ElidedText.h"
#include "shell/Format.h"
#include "shell/StateLabel.h"

namespace qb {

namespace {

using Kind = AppModel::Status::Kind;

constexpr double kSecondsPerMinute = 60;

// Text kept at its natural size.
ElidedText* fixedText(const QString& text, const QFont& font, const QColor& color) {
  auto* label = new ElidedText(text, font, color, 1);
  label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  return label;
}

// Whole minutes, cut toward zero; a learned time that is not a number counts as none yet.
long long wholeMinutes(double seconds) {
  if (!std::isfinite(seconds)) return 0;
  return static_cast<long long>(std::trunc(seconds / kSecondsPerMinute));
}

bool watching(Kind kind) {
  return kind == Kind::learning || kind == Kind::protecting || kind == Kind::away;
}

}  // namespace

StatusCard::StatusCard(AppModel& model, Date now, QWidget* parent)
    : QWidget(parent),
      model_(model),
      now_(now),
      mark_(new Mark(kMarkSize, false)),
      state_(new StateLabel(model.status(), now, false)),
      sentence_(new ElidedText({}, kSentenceLines)),
      seenRow_(new QWidget),
      seenIcon_(new AppIcon({}, 0, kIconSize)),
      seenName_(new ElidedText({}, 1)),
      seenActivity_(fixedText({}, QB::Font::caption(), QB::textMuted)) {
  setFixedWidth(kWidth);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(kPadding);
  column->setSpacing(kRowSpacing);

  auto* header = new QHBoxLayout;
  header->setSpacing(kHeaderSpacing);
  header->addWidget(mark_);
  header->addWidget(fixedText(QStringLiteral("Quillbrook"), QB::Font::bodyStrong(), QB::text));
  header->addSpacerItem(new QSpacerItem(kHeaderGap, 0, QSizePolicy::MinimumExpanding));
  header->addWidget(state_);
  column->addLayout(header);

  column->addWidget(sentence_);

  auto* seen = new QHBoxLayout(seenRow_);
  seen->setContentsMargins(0, 0, 0, 0);
  seen->setSpacing(kSeenSpacing);
  seen->addWidget(seenIcon_);
  seen->addWidget(seenName_);
  seen->addSpacerItem(new QSpacerItem(kSeenGap, 0, QSizePolicy::MinimumExpanding));
  seen->addWidget(seenActivity_);
  column->addWidget(seenRow_);

  connect(&model_, &AppModel::changed, this, [this](AppModel::Property property) {
    using Property = AppModel::Property;
    if (AppModel::affectsStatus(property) || property == Property::workingOn ||
        property == Property::learned || property == Property::seen) {
      refresh();
    }
  });
  refresh();
}

void StatusCard::setNow(Date now) {
  now_ = now;
  refresh();
}

QString StatusCard::line() const {
  const AppModel::Status status = model_.status();
  switch (status.kind) {
    case Kind::onBreak:
      return QStringLiteral("Back at ") + Format::timeOfDay(status.until.value_or(now_)) + ".";
    case Kind::learning: {
      const double goal = model_.policy().config.learnWorkSeconds;
      const double learned = std::isfinite(model_.learned()) ? model_.learned() : 0;
      return QStringLiteral("Learning your work, %1 of %2 min")
          .arg(wholeMinutes(std::min(goal, learned)))
          .arg(wholeMinutes(goal));
    }
    case Kind::protecting:
      return QStringLiteral("Your work");
    case Kind::paused:
      return QStringLiteral("Nothing is watched until you resume.");
    case Kind::needsAccess:
      return QStringLiteral("Allow Accessibility to start.");
    case Kind::modelUnavailable:
      return QStringLiteral("Can't read what's in front. It retries every minute.");
    case Kind::away:
      return QStringLiteral("Not counted until you're back.");
  }
  return {};
}

QString StatusCard::activityWord(const AppModel::Seen& seen) {
  if (!seen.analyzed) return {};
  if (!seen.activity) return QStringLiteral("Unsure");
  switch (*seen.activity) {
    case ActivityKind::work:
      return QStringLiteral("Looks like work");
    case ActivityKind::entertainment:
      return QStringLiteral("Looks like entertainment");
    case ActivityKind::communication:
      return QStringLiteral("Messaging");
    case ActivityKind::neutral:
      return QStringLiteral("Neutral");
  }
  return {};
}

void StatusCard::refresh() {
  const AppModel::Status status = model_.status();
  mark_->setLive(status.kind == Kind::protecting);
  state_->setStatus(status, now_);

  const std::vector<std::string>& working = model_.workingOn();
  if (status.kind == Kind::protecting && !working.empty()) {
    QStringList titles;
    for (const std::string& title : working) titles.append(QString::fromStdString(title));
    sentence_->setMaxLines(1);
    sentence_->setRuns({{QStringLiteral("Working on "), QB::Font::body(), QB::textMuted},
                        {titles.join(QStringLiteral(", ")), QB::Font::bodyStrong(), QB::text}});
  } else {
    sentence_->setMaxLines(kSentenceLines);
    sentence_->setRuns({{line(), QB::Font::body(), QB::textMuted}});
  }

  const std::optional<AppModel::Seen>& seen = model_.seen();
  seenRow_->setVisible(watching(status.kind) && seen);
  if (seen) {
    const QString bundleID = QString::fromStdString(seen->bundleID);
    if (seenIcon_->bundleID() != bundleID || seenIcon_->pid() != seen->pid) {
      seenIcon_->setApplication(bundleID, seen->pid);
    }
    seenName_->setRuns({{QString::fromStdString(seen->name), QB::Font::body(), QB::text}});
    seenActivity_->setRuns({{activityWord(*seen), QB::Font::caption(), QB::textMuted}});
  }
  if (isWindow()) adjustSize();
}

}  // namespace qb
