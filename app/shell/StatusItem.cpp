#include "shell/StatusItem.h"

#include <QCoreApplication>
#include <QCursor>
#include <algorithm>
#include <cmath>

#include "base/Log.h"
#include "design/MarkImage.h"
#include "shell/QuestionView.h"
#include "shell/StateLabel.h"
#include "shell/StatusCard.h"

namespace qb {

namespace {

using Kind = AppModel::Status::Kind;

constexpr long long kSecondsPerMinute = 60;
constexpr int kMinutesPerHour = 60;

const QString kName = QStringLiteral("Quillbrook");

}  // namespace

QString StatusItem::clock(Duration seconds) {
  const auto whole = static_cast<long long>(std::max(0.0, std::ceil(seconds)));
  return QStringLiteral("%1:%2")
      .arg(whole / kSecondsPerMinute)
      .arg(whole % kSecondsPerMinute, 2, 10, QLatin1Char('0'));
}

QString StatusItem::breakTitle(int minutes) {
  if (minutes == kMinutesPerHour) return QStringLiteral("1 Hour");
  return QString::number(minutes) + QStringLiteral(" Minutes");
}

bool StatusItem::isActive(const AppModel::Status& status) {
  return status.kind == Kind::learning || status.kind == Kind::protecting ||
         status.kind == Kind::away;
}

StatusItem::StatusItem(AppModel& model, std::function<void(AppPage)> open, QObject* parent)
    : QObject(parent), model_(model), open_(std::move(open)), menu_(std::make_unique<QMenu>()) {
  menu_->setAccessibleName(kName);
  tray_.setToolTip(kName);
  tray_.setContextMenu(menu_.get());
  connect(menu_.get(), &QMenu::aboutToShow, this, [this] {
    rebuildMenu();
    menuOpen_ = true;
    startCountdown();
  });
  connect(menu_.get(), &QMenu::aboutToHide, this, &StatusItem::menuClosed);
  connect(&tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    if (why == QSystemTrayIcon::Trigger) openPopup();
  });
  countdown_.setInterval(kCountdownMilliseconds);
  connect(&countdown_, &QTimer::timeout, this, &StatusItem::tick);
  connect(&model_, &AppModel::changed, this, [this](AppModel::Property property) {
    if (AppModel::affectsStatus(property)) updateIcon();
  });
  updateIcon();
  // A desktop without a tray is supported (the window opens and closing it minimises): no fault.
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    log::info("No system tray found on this desktop: the main window stays within reach instead.");
  }
  tray_.show();
}

bool StatusItem::isInTray() const {
  return tray_.isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

StatusItem::~StatusItem() { delete popup_; }

void StatusItem::updateIcon() {
  const bool active = isActive(model_.status());
  if (shownActive_ == active) return;
  shownActive_ = active;
  tray_.setIcon(MarkImage::menuBar(active));
}

TrayEntry StatusItem::command(const QString& title, const QKeySequence& key,
                              std::function<void(StatusItem&)> action) {
  return {title, key, [item = QPointer<StatusItem>(this), action = std::move(action)] {
            if (item) action(*item);
          }};
}

std::vector<TrayEntry> StatusItem::commands() {
  std::vector<TrayEntry> entries;
  switch (model_.status().kind) {
    case Kind::learning:
    case Kind::protecting:
    case Kind::away: {
      entries.push_back(command(QStringLiteral("Pause Quillbrook"), {},
                                [](StatusItem& item) { item.model_.pause(); }));
      TrayEntry takeBreak{QStringLiteral("Take a Break")};
      for (const int minutes : kBreakMinutes) {
        takeBreak.submenu.push_back(command(breakTitle(minutes), {}, [minutes](StatusItem& item) {
          item.model_.startBreak(minutes);
        }));
      }
      entries.push_back(std::move(takeBreak));
      break;
    }
    case Kind::onBreak:
      entries.push_back(command(QStringLiteral("End Break"), {},
                                [](StatusItem& item) { item.model_.endBreak(); }));
      break;
    case Kind::paused:
      entries.push_back(command(QStringLiteral("Resume Quillbrook"), {},
                                [](StatusItem& item) { item.model_.resume(); }));
      break;
    case Kind::needsAccess:
      // Turning the accessibility bus on asks nothing more of the user: no ellipsis.
      entries.push_back(command(QStringLiteral("Allow Accessibility"), {},
                                [](StatusItem& item) { item.model_.requestAccessibility(); }));
      break;
    case Kind::modelUnavailable:
      break;
  }
  if (!entries.empty()) entries.push_back(TrayEntry::separator());
  entries.push_back(command(QStringLiteral("Open Quillbrook"), {},
                            [](StatusItem& item) { item.open_(AppPage::home); }));
  entries.push_back(command(QStringLiteral("Settings\u2026"),
                            QKeySequence(Qt::CTRL | Qt::Key_Comma),
                            [](StatusItem& item) { item.open_(AppPage::settings); }));
  entries.push_back(TrayEntry::separator());
  // Quitting waits for the recording to be written; the application sees to that.
  entries.push_back(command(QStringLiteral("Quit Quillbrook"), QKeySequence(Qt::CTRL | Qt::Key_Q),
                            [](StatusItem&) { QCoreApplication::quit(); }));
  return entries;
}

void StatusItem::answer(bool work) {
  model_.answerQuestion(work);
  if (popup_) popup_->close();
}

QString StatusItem::stateText(Date now) const {
  return kName + QStringLiteral(": ") + StateLabel::word(model_.status(), now);
}

void StatusItem::rebuildMenu() {
  // Submenus of the last opening belong to the menu, not to its actions: clear() keeps them.
  for (QMenu* submenu : menu_->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) delete submenu;
  menu_->clear();

  stateRow_ = menu_->addAction(stateText(clock_->now()));
  stateRow_->setEnabled(false);
  menu_->addSeparator();

  if (const std::optional<DailyQuestion::Page>& page = model_.question()) {
    // A tray menu shows text only: the question becomes a submenu with the page and the answers.
    QMenu* question = menu_->addMenu(QStringLiteral("Was this for work?"));
    question->addAction(QString::fromStdString(page->moment.title))->setEnabled(false);
    question->addAction(QuestionView::place(*page))->setEnabled(false);
    question->addSeparator();
    addEntries(*question, {command(QStringLiteral("For work"), {},
                                   [](StatusItem& item) { item.answer(true); }),
                           command(QStringLiteral("Not for work"), {},
                                   [](StatusItem& item) { item.answer(false); })});
    menu_->addSeparator();
  }
  addEntries(*menu_, commands());
}

void StatusItem::menuClosed() {
  menuOpen_ = false;
  stateRow_ = nullptr;
  if (!popup_) countdown_.stop();
}

void StatusItem::openPopup() {
  if (popup_) popup_->close();
  const Date now = clock_->now();
  QuestionView* question = nullptr;
  if (const std::optional<DailyQuestion::Page>& page = model_.question()) {
    question = new QuestionView(*page, false, [item = QPointer<StatusItem>(this)](bool work) {
      if (item) item->answer(work);
    });
  }
  popup_ = new TrayPopup(new StatusCard(model_, now), question, commands());
  connect(popup_, &TrayPopup::closed, this, [this] {
    popup_.clear();
    if (!menuOpen_) countdown_.stop();
  });
  // On the StatusNotifierItem path the tray does not say where the icon is.
  const QRect icon = tray_.geometry();
  popup_->popup(icon.isEmpty() ? QRect(QCursor::pos(), QSize(1, 1)) : icon);
  startCountdown();
}

void StatusItem::startCountdown() {
  if (model_.status().kind == Kind::onBreak && !countdown_.isActive()) countdown_.start();
}

void StatusItem::tick() {
  const Date now = clock_->now();
  if (popup_) popup_->card().setNow(now);
  if (menuOpen_ && stateRow_) stateRow_->setText(stateText(now));
}

}  // namespace qb
