#include "shell/AccessRows.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <optional>

#include "design/QB.h"
#include "design/QBButtonBody.h"
#include "design/QBRow.h"
#include "design/QBSeparator.h"
#include "design/Symbols.h"
#include "model/AppModel.h"
#include "sensing/Browsers.h"

namespace qb {

const QString AccessRows::kChromiumTitle = QStringLiteral("Chromium browsers");

namespace {

// The one browser kind with a row: every Chromium-family browser reads as it.
constexpr BrowserKind kChromium = BrowserKind::chrome;

const QString kAllowed = QStringLiteral("Allowed");
const QString kNotAllowed = QStringLiteral("Not allowed");
const QString kAllow = QStringLiteral("Allow");
const QString kRetry = QStringLiteral("Retry");
// What a Chromium needs before it shows its tabs; no button can do it for the user. The flag's
// name is too long to stand beside the row's title, so it is in the tip.
const QString kNeedsFlag = QStringLiteral("Needs accessibility flag");
const QString kFlagTip = QStringLiteral(
    "Chromium browsers show their tabs only when started with --force-renderer-accessibility "
    "(or with accessibility turned on at chrome://accessibility).");

// Between the parts of an accessory: the word and its button, the check and "Allowed".
constexpr int kAccessorySpacing = 8;
constexpr int kGrantedSpacing = 6;
constexpr int kGrantedSymbolSide = 12;

// A green check and "Allowed", painted as one widget so that assistive technologies read one
// element.
class GrantedMark : public QWidget {
public:
  GrantedMark() {
    setFont(QB::Font::caption());
    setAccessibleName(kAllowed);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  }
  QSize sizeHint() const override {
    const int text = static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(kAllowed)));
    return {kGrantedSymbolSide + kGrantedSpacing + text,
            std::max(kGrantedSymbolSide, fontMetrics().height())};
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Symbols::paint(
        painter, u"checkmark.circle.fill",
        QRectF(0, (height() - kGrantedSymbolSide) / 2.0, kGrantedSymbolSide, kGrantedSymbolSide),
        QB::success);
    painter.setPen(QB::text);
    const int x = kGrantedSymbolSide + kGrantedSpacing;
    painter.drawText(QRect(x, 0, width() - x, height()), Qt::AlignLeft | Qt::AlignVCenter,
                     kAllowed);
  }
};

}  // namespace

// A row's accessory: the granted mark, "Not allowed" and a small button, or what is needed.
class AccessRows::State : public QWidget {
public:
  State() {
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(kAccessorySpacing);
    granted_ = new GrantedMark;
    missing_ = new QLabel(kNotAllowed);
    missing_->setFont(QB::Font::caption());
    QPalette palette = missing_->palette();
    palette.setColor(QPalette::WindowText, QB::textMuted);
    missing_->setPalette(palette);
    button_ =
        QBButtonStyle{QBButtonStyle::Kind::secondary, QBButtonStyle::Size::small}.makeBody(kAllow);
    line->addWidget(granted_, 0, Qt::AlignVCenter);
    line->addWidget(missing_, 0, Qt::AlignVCenter);
    line->addWidget(button_, 0, Qt::AlignVCenter);
  }

  QAbstractButton* button() const { return button_; }

  void showGranted() { present(true, kNotAllowed, {}, std::nullopt); }
  void showMissing(const QString& action) { present(false, kNotAllowed, {}, action); }
  void showNeed(const QString& need, const QString& tip) {
    present(false, need, tip, std::nullopt);
  }

private:
  void present(bool granted, const QString& word, const QString& tip,
               const std::optional<QString>& action) {
    granted_->setVisible(granted);
    missing_->setVisible(!granted);
    missing_->setText(word);
    missing_->setToolTip(tip);
    button_->setVisible(action.has_value());
    if (action) button_->setText(*action);
    button_->updateGeometry();
    adjustSize();
  }

  GrantedMark* granted_;
  QLabel* missing_;
  QBButtonBody* button_;
};

AccessRows::AccessRows(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  accessibility_ = new State;
  column->addWidget(new QBRow(QStringLiteral("Accessibility"), std::nullopt, accessibility_));
  browser_ = new State;
  browserSeparator_ = new QBSeparator;
  browserRow_ = new QBRow(kChromiumTitle, std::nullopt, browser_);
  column->addWidget(browserSeparator_);
  column->addWidget(browserRow_);

  connect(accessibility_->button(), &QAbstractButton::clicked, this,
          &AccessRows::accessibilityPressed);
  connect(browser_->button(), &QAbstractButton::clicked, this, &AccessRows::browserPressed);
  connect(&model_, &AppModel::changed, this, [this](AppModel::Property property) {
    if (property == AppModel::Property::accessibility) {
      // The browsers' access is this same switch: their rows must not lag behind it.
      model_.refreshAutomation();
      showState();
    } else if (property == AppModel::Property::automation ||
               property == AppModel::Property::tabsShown) {
      showState();
    }
  });
  showState();
}

void AccessRows::accessibilityPressed() {
  askedAccessibility_ = true;
  model_.requestAccessibility();
  showState();
}

void AccessRows::browserPressed() { model_.requestAutomation(kChromium); }

void AccessRows::showState() {
  if (model_.accessibility()) {
    accessibility_->showGranted();
  } else {
    accessibility_->showMissing(askedAccessibility_ ? kRetry : kAllow);
  }

  // Until the model has looked, whether a browser is installed is not known: no row yet.
  const auto entry = model_.automation().find(kChromium);
  const bool installed =
      entry != model_.automation().end() && entry->second != Access::notInstalled;
  browserSeparator_->setVisible(installed);
  browserRow_->setVisible(installed);
  if (!installed) return;
  switch (entry->second) {
    case Access::granted:
      if (model_.tabsShown(kChromium)) {
        browser_->showGranted();
      } else {
        browser_->showNeed(kNeedsFlag, kFlagTip);
      }
      break;
    case Access::denied:
      browser_->showMissing(kRetry);
      break;
    case Access::notDetermined:
    case Access::notInstalled:
      browser_->showMissing(kAllow);
      break;
  }
}

}  // namespace qb
