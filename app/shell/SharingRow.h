// SharingRow: the QBRow "Share usage data" whose switch turns sharing on and off. It shows
// Prefs::sharing and follows its changes, whoever makes them; the user's flip goes through
// AppModel::setSharing(), which also starts or stops what is shared. Shown inside a QBGroup by
// onboarding and by the settings page, and only where the build names a sharing server (the
// caller's choice: the row itself shows whenever it is shown).
//
// SettingSwitch is the on/off control of the settings' rows: a small track with a knob, tinted
// with the accent when on. Its label is the row's title, so it draws none; assistive technologies
// read it as a check box named after the row.

#pragma once

#include <QAbstractButton>

#include "design/QBRow.h"

namespace qb {

class AppModel;

class SettingSwitch : public QAbstractButton {
  Q_OBJECT

public:
  static constexpr int kWidth = 32;
  static constexpr int kHeight = 18;
  static constexpr int kKnobInset = 2;  // between the track's edge and the knob

  // name: what assistive technologies call the switch (its row's title).
  explicit SettingSwitch(const QString& name, QWidget* parent = nullptr);

  QSize sizeHint() const override { return {kWidth, kHeight}; }

protected:
  void paintEvent(QPaintEvent* event) override;
};

class SharingRow : public QBRow {
  Q_OBJECT

public:
  // The model must outlive the row.
  explicit SharingRow(AppModel& model, QWidget* parent = nullptr);

  SettingSwitch* toggle() const { return switch_; }

private:
  SettingSwitch* switch_;  // the row's accessory
};

}  // namespace qb
