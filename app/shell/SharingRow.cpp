#include "shell/SharingRow.h"

#include <QPainter>

#include "design/QB.h"
#include "design/QBButtonStyle.h"
#include "model/AppModel.h"
#include "sensing/Prefs.h"

namespace qb {

namespace {

const QString kTitle = QStringLiteral("Share usage data");

}  // namespace

SettingSwitch::SettingSwitch(const QString& name, QWidget* parent) : QAbstractButton(parent) {
  setCheckable(true);
  setAccessibleName(name);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  setFocusPolicy(Qt::StrongFocus);
}

void SettingSwitch::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  if (!isEnabled()) painter.setOpacity(QBButtonStyle::kDisabledOpacity);
  const QRectF track(0, (height() - kHeight) / 2.0, kWidth, kHeight);
  painter.setBrush(isChecked() ? QB::accent : QB::fillSecondaryHover);
  painter.drawRoundedRect(track, kHeight / 2.0, kHeight / 2.0);
  const qreal knob = kHeight - 2 * kKnobInset;
  const qreal x = isChecked() ? track.right() - kKnobInset - knob : track.left() + kKnobInset;
  painter.setBrush(QB::text);
  painter.drawEllipse(QRectF(x, track.top() + kKnobInset, knob, knob));
}

SharingRow::SharingRow(AppModel& model, QWidget* parent)
    : QBRow(kTitle, std::nullopt, new SettingSwitch(kTitle), parent),
      switch_(static_cast<SettingSwitch*>(accessory())) {
  Prefs& prefs = model.prefs();
  switch_->setChecked(prefs.sharing());
  // Only the user's flip is a command; a change of the setting made elsewhere is only shown.
  connect(switch_, &QAbstractButton::clicked, this, [&model](bool on) { model.setSharing(on); });
  connect(&prefs, &Prefs::sharingChanged, switch_, &QAbstractButton::setChecked);
}

}  // namespace qb
