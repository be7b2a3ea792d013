#include "shell/HomePage.h"

#include <QFontMetricsF>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPropertyAnimation>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>

#include "design/AppIcon.h"
#include "design/QB.h"
#include "design/QBButtonBody.h"
#include "design/QBButtonStyle.h"
#include "design/QBGroup.h"
#include "sensing/Prefs.h"
#include "shell/ActivityCharts.h"
#include "shell/ElidedText.h"
#include "shell/Format.h"
#include "shell/QuestionView.h"
#include "shell/StateLabel.h"
#include "shell/StatusCard.h"
#include "shell/TodaySection.h"

namespace qb {

namespace {

using Kind = AppModel::Status::Kind;

constexpr long long kSecondsPerMinute = 60;
constexpr long long kSecondsPerHour = 3600;
// One device pixel: the thinnest line a screen at scale 1 shows crisply.
constexpr int kHairline = 1;

const QString kEventLogUnsaved =
    QStringLiteral("Today's time can't be saved for now. It's kept until it can be.");

// Whole minutes, cut toward zero; a learned time that is not a number counts as none yet.
long long wholeMinutes(double seconds) {
  if (!std::isfinite(seconds)) return 0;
  return static_cast<long long>(std::trunc(seconds / kSecondsPerMinute));
}

bool watching(Kind kind) {
  return kind == Kind::learning || kind == Kind::protecting || kind == Kind::away;
}

// Text kept at its natural size.
ElidedText* fixedText(const QString& text, const QFont& font, const QColor& color) {
  auto* label = new ElidedText(text, font, color, 1);
  label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  return label;
}

QWidget* hairline() {
  auto* line = new QWidget;
  line->setFixedHeight(kHairline);
  fillBackground(*line, QB::separator);
  return line;
}

// Takes a view off the page at once; it is destroyed once the event that replaced it (perhaps a
// click on the view itself) has been handled.
void discard(QWidget* view) {
  view->hide();
  view->setParent(nullptr);
  view->deleteLater();
}

// Fades the view's opacity from `from` to `to` over the page's fade, then calls `done`. A view
// faded in draws without the effect's off-screen pass once it is fully shown.
void fade(QWidget& view, qreal from, qreal to, const std::function<void()>& done = {}) {
  auto* effect = new QGraphicsOpacityEffect(&view);
  effect->setOpacity(from);
  view.setGraphicsEffect(effect);
  auto* animation = new QPropertyAnimation(effect, "opacity", &view);
  animation->setDuration(HomePage::kFadeMilliseconds);
  animation->setEasingCurve(QEasingCurve::OutCubic);
  animation->setStartValue(from);
  animation->setEndValue(to);
  QObject::connect(animation, &QPropertyAnimation::finished, &view, [&view, to, done] {
    if (to >= 1) view.setGraphicsEffect(nullptr);
    if (done) done();
  });
  animation->start(QAbstractAnimation::DeleteWhenStopped);
}

// The headline: one line in a large font that shrinks, down to a floor, to fit its width before
// the text is cut. Its parts share the font and keep their own colours.
class Headline : public ElidedText {
public:
  Headline() : ElidedText({}, 1) {
    setObjectName(QStringLiteral("headline"));
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  }

  void setParts(std::vector<std::pair<QString, QColor>> parts) {
    if (parts == parts_) return;
    parts_ = std::move(parts);
    fit(true);
  }

  QSize minimumSizeHint() const override { return {0, ElidedText::minimumSizeHint().height()}; }
  // The height of the full size, so that shrinking text does not move what lies below.
  QSize sizeHint() const override {
    const int height = static_cast<int>(std::ceil(QFontMetricsF(font(1)).height()));
    return {naturalWidth(), height};
  }
  int heightForWidth(int) const override { return sizeHint().height(); }

protected:
  void resizeEvent(QResizeEvent* event) override {
    ElidedText::resizeEvent(event);
    fit(false);
  }

private:
  static QFont font(qreal scale) {
    QFont font = QB::Font::body();
    font.setPixelSize(
        std::max(1, static_cast<int>(std::lround(HomePage::kHeadlinePixels * scale))));
    font.setWeight(QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, HomePage::kHeadlineTracking);
    return font;
  }
  int naturalWidth() const {
    qreal width = 0;
    const QFontMetricsF metrics(font(1));
    for (const auto& [text, color] : parts_) width += metrics.horizontalAdvance(text);
    return static_cast<int>(std::ceil(width));
  }
  void fit(bool always) {
    const int natural = naturalWidth();
    const qreal scale =
        natural <= width() || natural == 0
            ? 1.0
            : std::max(HomePage::kHeadlineMinimumScale, static_cast<qreal>(width()) / natural);
    if (!always && scale == scale_) return;
    scale_ = scale;
    std::vector<Run> runs;
    for (const auto& [text, color] : parts_) runs.push_back({text, font(scale), color});
    setRuns(std::move(runs));
  }

  std::vector<std::pair<QString, QColor>> parts_;
  qreal scale_ = 1;
};

// Lays its two parts side by side when both fit the width it has, else one above the other.
class FittingRow : public QWidget {
public:
  explicit FittingRow(QBoxLayout*& layout) {
    layout_ = new QBoxLayout(QBoxLayout::LeftToRight, this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout = layout_;
    arrange(QBoxLayout::LeftToRight);
  }

  // Chooses the arrangement for the width now, once the parts are in place or have changed.
  void fitWidth() {
    int wanted = 0;
    int shown = 0;
    for (int i = 0; i < layout_->count(); ++i) {
      QWidget* part = layout_->itemAt(i)->widget();
      if (part == nullptr || part->isHidden()) continue;
      wanted += part->sizeHint().width();
      ++shown;
    }
    if (shown > 1) wanted += HomePage::kNowRowSpacing * (shown - 1);
    arrange(wanted <= width() ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
  }

protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    fitWidth();
  }

private:
  void arrange(QBoxLayout::Direction direction) {
    if (direction_ != direction) {
      direction_ = direction;
      layout_->setDirection(direction);
    }
    const bool row = direction == QBoxLayout::LeftToRight;
    layout_->setSpacing(row ? HomePage::kNowRowSpacing : HomePage::kNowColumnSpacing);
    for (int i = 0; i < layout_->count(); ++i) {
      if (QWidget* part = layout_->itemAt(i)->widget()) {
        // Side by side the parts stand on one line; stacked, each takes the width.
        layout_->setAlignment(part, row ? Qt::AlignBottom : Qt::Alignment());
      }
    }
  }

  QBoxLayout* layout_;
  std::optional<QBoxLayout::Direction> direction_;
};

// A labelled row: the label in a narrow box, then its content; never shorter than kFactHeight.
QWidget* fact(const QString& label, QHBoxLayout*& content) {
  auto* row = new QWidget;
  row->setMinimumHeight(HomePage::kFactHeight);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(HomePage::kFactSpacing);
  auto* title = new ElidedText(label, QB::Font::caption(), QB::textFaint, 1);
  title->setFixedWidth(HomePage::kFactLabelWidth);
  layout->addWidget(title, 0, Qt::AlignVCenter);
  content = new QHBoxLayout;
  content->setSpacing(HomePage::kFactSpacing);
  layout->addLayout(content, 1);
  return row;
}

// The busy agent's mark: a small filled circle.
class Dot : public QWidget {
public:
  Dot() { setFixedSize(HomePage::kAgentDot, HomePage::kAgentDot); }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QB::text);
    painter.drawEllipse(rect());
  }
};

}  // namespace

std::optional<History::Span> longest(const AppModel::Today& today) {
  std::optional<History::Span> found;
  for (const History::Span& span : today.spans) {
    if (span.kind != History::Kind::focus) continue;
    if (!found || span.end.since(span.start) > found->end.since(found->start)) found = span;
  }
  return found;
}

HomePage::HomePage(AppModel& model, Navigation& /*navigation*/, QWidget* parent)
    : Page(parent),
      model_(model),
      state_(new StateLabel(model.status(), std::nullopt, true)),
      headline_(new Headline),
      detail_(new QLabel),
      now_(nullptr),
      seenIcon_(new AppIcon({}, 0, kIconSize)),
      seenName_(new ElidedText({}, QB::Font::bodyStrong(), QB::text, 1)),
      seenActivity_(fixedText({}, QB::Font::caption(), QB::textMuted)),
      agentRule_(hairline()),
      agentName_(fixedText({}, QB::Font::bodyStrong(), QB::text)),
      agentProject_(new ElidedText({}, QB::Font::body(), QB::textMuted, 1)),
      questionSection_(new QWidget),
      eventLogNotice_(new Notice(kEventLogUnsaved)) {
  // The header: the state, then its buttons at the right.
  auto* header = new QWidget;
  controlRow_ = new QHBoxLayout(header);
  controlRow_->setContentsMargins(0, 0, 0, 0);
  controlRow_->setSpacing(kHeaderSpacing);
  controlRow_->addWidget(state_, 0, Qt::AlignVCenter);
  controlRow_->addStretch(1);
  addSection(header);

  // The headline and what it means.
  headlineBlock_ = new QWidget;
  auto* headlineColumn = new QVBoxLayout(headlineBlock_);
  headlineColumn->setContentsMargins(0, 0, 0, 0);
  headlineColumn->setSpacing(kHeadlineSpacing);
  headlineColumn->addWidget(headline_);
  detail_->setFont(QB::Font::body());
  detail_->setTextFormat(Qt::PlainText);
  detail_->setWordWrap(true);
  QPalette palette = detail_->palette();
  palette.setColor(QPalette::WindowText, QB::textMuted);
  detail_->setPalette(palette);
  headlineColumn->addWidget(detail_);
  addSection(headlineBlock_);

  // What is in front now and which agent works, beside today's stretch where there is room.
  auto* now = new FittingRow(nowLayout_);
  now_ = now;
  auto* facts = new QWidget;
  auto* factColumn = new QVBoxLayout(facts);
  factColumn->setContentsMargins(0, 0, 0, 0);
  factColumn->setSpacing(0);
  QHBoxLayout* content = nullptr;
  seenFact_ = fact(QStringLiteral("In front"), content);
  content->addWidget(seenIcon_, 0, Qt::AlignVCenter);
  content->addWidget(seenName_, 1, Qt::AlignVCenter);
  content->addSpacing(kFactGap);
  content->addWidget(seenActivity_, 0, Qt::AlignVCenter);
  factColumn->addWidget(seenFact_);
  factColumn->addWidget(agentRule_);
  agentFact_ = fact(QStringLiteral("Agent"), content);
  content->addWidget(agentName_, 0, Qt::AlignVCenter);
  content->addWidget(agentProject_, 1, Qt::AlignVCenter);
  content->addSpacing(kFactGap);
  auto* working = new QHBoxLayout;
  working->setSpacing(kAgentDotSpacing);
  working->addWidget(new Dot, 0, Qt::AlignVCenter);
  working->addWidget(fixedText(QStringLiteral("Working"), QB::Font::labelSmall(), QB::text), 0,
                     Qt::AlignVCenter);
  content->addLayout(working);
  factColumn->addWidget(agentFact_);
  facts->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  facts_ = facts;
  nowLayout_->addWidget(facts, 1);
  addSection(now_);

  // Today's question, while one is due.
  questionSlot_ = new QVBoxLayout(questionSection_);
  questionSlot_->setContentsMargins(0, 0, 0, 0);
  questionSection_->hide();
  addSection(questionSection_);

  addSection(hairline());

  // Today: its strip and figures, then its time per project.
  addSection(eventLogNotice_);
  auto* todaySection = new QWidget;
  todaySlot_ = new QVBoxLayout(todaySection);
  todaySlot_->setContentsMargins(0, 0, 0, 0);
  addSection(todaySection);
  tasksSection_ = new QWidget;
  tasksSlot_ = new QVBoxLayout(tasksSection_);
  tasksSlot_->setContentsMargins(0, 0, 0, 0);
  addSection(tasksSection_);

  countdownTimer_.setInterval(kCountdownMilliseconds);
  connect(&countdownTimer_, &QTimer::timeout, this, &HomePage::refreshHeadline);
  connect(&model_, &AppModel::changed, this, [this](AppModel::Property property) {
    if (AppModel::affectsStatus(property)) {
      refresh();
      return;
    }
    switch (property) {
      case AppModel::Property::workingOn:
      case AppModel::Property::learned:
      case AppModel::Property::seen:
      case AppModel::Property::workAgent:
        refresh();
        break;
      case AppModel::Property::today:
        refreshToday();
        stretchLive_.reset();
        refreshNow();
        break;
      case AppModel::Property::todayTasks:
        refreshTasks();
        break;
      case AppModel::Property::question:
        refreshQuestion();
        break;
      case AppModel::Property::unsaved:
        refreshUnsaved();
        break;
      default:
        break;
    }
  });
  // The break button names the break's length.
  connect(&model_.prefs(), &Prefs::breakMinutesChanged, this, [this] {
    controlsFor_.reset();
    refreshControls();
  });
  refresh();
  refreshQuestion();
  refreshUnsaved();
  refreshToday();
  refreshTasks();
}

void HomePage::refreshUnsaved() {
  eventLogNotice_->setVisible(model_.unsaved().contains(AppModel::Unsaved::eventLog));
}

void HomePage::setClock(const WallClock& clock) {
  clock_ = &clock;
  refreshHeadline();
  refreshToday();
  stretchLive_.reset();
  refreshNow();
}

std::optional<QString> HomePage::working() const {
  if (model_.workingOn().empty()) return std::nullopt;
  QStringList names;
  for (const std::string& name : model_.workingOn()) names.append(QString::fromStdString(name));
  return names.join(QStringLiteral(", "));
}

QString HomePage::headline() const { return headline_->text(); }

QString HomePage::detail() const {
  const AppModel::Status status = model_.status();
  switch (status.kind) {
    case Kind::onBreak:
      return status.until ? QStringLiteral("Back at ") + Format::timeOfDay(*status.until) + "."
                          : QString();
    case Kind::learning: {
      const double goal = model_.policy().config.learnWorkSeconds;
      const double learned = std::isfinite(model_.learned()) ? model_.learned() : 0;
      return QStringLiteral("%1 of %2 minutes of work so far.")
          .arg(wholeMinutes(std::min(goal, learned)))
          .arg(wholeMinutes(goal));
    }
    case Kind::protecting:
      return {};
    case Kind::paused:
      return QStringLiteral("Nothing is watched until you resume.");
    case Kind::needsAccess:
      return QStringLiteral("It reads app, window and tab names through it.");
    case Kind::modelUnavailable:
      return QStringLiteral("It retries every minute.");
    case Kind::away:
      return QStringLiteral("No input for a while. Not counted until you're back.");
  }
  return {};
}

QString HomePage::countdown(Duration seconds) {
  const auto whole = static_cast<long long>(std::max(0.0, std::ceil(seconds)));
  const long long hours = whole / kSecondsPerHour;
  const long long minutes = whole % kSecondsPerHour / kSecondsPerMinute;
  const QString secondsText =
      QStringLiteral("%1").arg(whole % kSecondsPerMinute, 2, 10, QChar('0'));
  if (hours == 0) return QStringLiteral("%1:%2").arg(minutes).arg(secondsText);
  return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes, 2, 10, QChar('0')).arg(secondsText);
}

QColor HomePage::activityColor(const AppModel::Seen& seen) {
  if (!seen.analyzed || !seen.activity) return QB::textMuted;
  switch (*seen.activity) {
    case ActivityKind::work:
      return QB::Hue::focus;
    case ActivityKind::entertainment:
      return QB::Hue::detour;
    case ActivityKind::communication:
    case ActivityKind::neutral:
      return QB::textMuted;
  }
  return QB::textMuted;
}

QString HomePage::agentText() const {
  if (agentFact_->isHidden()) return {};
  return agentName_->text() + " " + agentProject_->text();
}

void HomePage::refresh() {
  const Kind kind = model_.status().kind;
  // A new status brings its headline and what is in front in with a fade; the state label fades
  // its own colours.
  if (shownKind_ && *shownKind_ != kind) {
    fade(*headlineBlock_, 0, 1);
    if (!now_->isHidden()) fade(*now_, 0, 1);
  }
  shownKind_ = kind;
  state_->setStatus(model_.status(), std::nullopt);
  refreshControls();
  refreshHeadline();
  const QString line = detail();
  detail_->setText(line);
  detail_->setVisible(!line.isEmpty());
  refreshNow();
}

void HomePage::addControl(QBButtonBody* button) {
  controlRow_->addWidget(button, 0, Qt::AlignVCenter);
  controls_.push_back(button);
}

void HomePage::refreshControls() {
  const Kind kind = model_.status().kind;
  if (controlsFor_ == kind) return;
  controlsFor_ = kind;
  for (QBButtonBody* button : controls_) discard(button);
  controls_.clear();

  const QBButtonStyle secondary{QBButtonStyle::Kind::secondary, QBButtonStyle::Size::small};
  const QBButtonStyle primary{QBButtonStyle::Kind::primary, QBButtonStyle::Size::small};
  AppModel* model = &model_;
  switch (kind) {
    case Kind::learning:
    case Kind::protecting:
    case Kind::away: {
      QBButtonBody* pause = secondary.makeBody(QStringLiteral("Pause"));
      connect(pause, &QAbstractButton::clicked, this, [model] { model->pause(); });
      addControl(pause);
      QBButtonBody* takeBreak = secondary.makeBody(
          QStringLiteral("Break ") + Prefs::shortLength(model_.prefs().breakMinutes()));
      connect(takeBreak, &QAbstractButton::clicked, this,
              [model] { model->startBreak(std::nullopt); });
      addControl(takeBreak);
      break;
    }
    case Kind::onBreak: {
      QBButtonBody* end = secondary.makeBody(QStringLiteral("End break"));
      connect(end, &QAbstractButton::clicked, this, [model] { model->endBreak(); });
      addControl(end);
      break;
    }
    case Kind::paused: {
      QBButtonBody* resume = primary.makeBody(QStringLiteral("Resume"));
      connect(resume, &QAbstractButton::clicked, this, [model] { model->resume(); });
      addControl(resume);
      break;
    }
    case Kind::needsAccess: {
      QBButtonBody* allow = primary.makeBody(QStringLiteral("Allow"));
      connect(allow, &QAbstractButton::clicked, this, [model] { model->requestAccessibility(); });
      addControl(allow);
      break;
    }
    case Kind::modelUnavailable:
      break;
  }
}

void HomePage::refreshHeadline() {
  auto* headline = static_cast<Headline*>(headline_);
  const AppModel::Status status = model_.status();
  const bool onBreak = status.kind == Kind::onBreak;
  if (onBreak != countdownTimer_.isActive()) {
    if (onBreak) {
      countdownTimer_.start();
    } else {
      countdownTimer_.stop();
    }
  }
  if (onBreak) {
    const Date until = status.until.value_or(clock_->now());
    headline->setParts({{countdown(until.since(clock_->now())), QB::text}});
    return;
  }
  const std::optional<QString> work = working();
  if (work && (status.kind == Kind::protecting || status.kind == Kind::paused ||
               status.kind == Kind::away)) {
    headline->setParts({{QStringLiteral("Working on "), QB::textMuted}, {*work, QB::text}});
    return;
  }
  QString title;
  switch (status.kind) {
    case Kind::learning:
      title = QStringLiteral("Getting a sense of your work");
      break;
    case Kind::protecting:
    case Kind::away:
      title = QStringLiteral("Your work");
      break;
    case Kind::paused:
      title = QStringLiteral("Paused");
      break;
    case Kind::needsAccess:
      title = QStringLiteral("Allow Accessibility to start");
      break;
    case Kind::modelUnavailable:
      title = QStringLiteral("Can't read what's in front");
      break;
    case Kind::onBreak:
      break;
  }
  headline->setParts({{title, QB::text}});
}

void HomePage::refreshNow() {
  const AppModel::Status status = model_.status();
  const std::optional<AppModel::Seen>& seen = model_.seen();
  const bool showSeen = seen && watching(status.kind);
  seenFact_->setVisible(showSeen);
  if (showSeen) {
    const QString bundleID = QString::fromStdString(seen->bundleID);
    if (seenIcon_->bundleID() != bundleID || seenIcon_->pid() != seen->pid) {
      seenIcon_->setApplication(bundleID, seen->pid);
    }
    seenName_->setRuns({{QString::fromStdString(seen->name), QB::Font::bodyStrong(), QB::text}});
    seenActivity_->setRuns(
        {{StatusCard::activityWord(*seen), QB::Font::caption(), activityColor(*seen)}});
  }
  const std::optional<AgentSession>& agent = model_.workAgent();
  const bool showAgent = showSeen && agent && agent->busy;
  agentRule_->setVisible(showAgent);
  agentFact_->setVisible(showAgent);
  if (showAgent) {
    agentName_->setRuns({{QString::fromStdString(agent->agent), QB::Font::bodyStrong(), QB::text}});
    agentProject_->setRuns(
        {{QString::fromStdString(agent->project), QB::Font::body(), QB::textMuted}});
  }
  facts_->setVisible(showSeen);
  refreshStretch();
  now_->setVisible(showSeen || stretch_ != nullptr);
  static_cast<FittingRow*>(now_)->fitWidth();
}

void HomePage::refreshStretch() {
  const bool live = model_.status().kind == Kind::protecting;
  if (stretchLive_ == live) return;
  stretchLive_ = live;
  if (stretch_ != nullptr) {
    discard(stretch_);
    stretch_ = nullptr;
  }
  if (!longest(model_.today())) return;
  stretch_ = new StretchFigure(model_.today(), live, *clock_);
  nowLayout_->insertWidget(0, stretch_);
}

void HomePage::refreshToday() {
  if (today_ != nullptr) {
    discard(today_);
  }
  today_ = new TodaySection(model_.today(), clock_->now());
  todaySlot_->addWidget(today_);
}

void HomePage::refreshTasks() {
  if (tasks_ != nullptr) {
    discard(tasks_);
    tasks_ = nullptr;
  }
  tasksSection_->setVisible(!model_.todayTasks().empty());
  if (model_.todayTasks().empty()) return;
  auto* group =
      new QBGroup(QStringLiteral("By project"), QStringLiteral("folder.fill"), QB::Hue::focus);
  group->addRow(new TaskBars(model_.todayTasks()));
  tasks_ = group;
  tasksSlot_->addWidget(tasks_);
}

void HomePage::refreshQuestion() {
  const std::optional<DailyQuestion::Page>& page = model_.question();
  if (question_ != nullptr) {
    // An answered (or replaced) card fades out where it stands, then goes.
    QuestionView* leaving = question_;
    question_ = nullptr;
    fade(*leaving, 1, 0, [this, leaving] {
      discard(leaving);
      questionSection_->setVisible(question_ != nullptr);
    });
  }
  if (!page) return;
  AppModel* model = &model_;
  question_ = new QuestionView(*page, true, [model](bool work) { model->answerQuestion(work); });
  questionSlot_->addWidget(question_);
  questionSection_->setVisible(true);
  fade(*question_, 0, 1);
}

}  // namespace qb
