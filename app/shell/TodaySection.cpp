#include "shell/TodaySection.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "design/QB.h"
#include "shell/ActivityCharts.h"
#include "shell/ActivityPage.h"
#include "shell/ElidedText.h"
#include "shell/Format.h"
#include "shell/HomePage.h"
#include "shell/PageChrome.h"

namespace qb {

namespace {

constexpr Duration kSecondsPerHour = 3600;
constexpr Duration kSecondsPerMinute = 60;
constexpr int kMillisecondsPerSecond = 1000;

// Text kept at its natural size.
ElidedText* fixedText(const QString& text, const QFont& font, const QColor& color) {
  auto* label = new ElidedText(text, font, color, 1);
  label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  return label;
}

QFont figureFont(int pixels, qreal tracking) {
  QFont font = QB::Font::body();
  font.setPixelSize(pixels);
  font.setWeight(QFont::DemiBold);
  font.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
  return font;
}

// A large figure and its words on one baseline: the words pushed down by the difference of the
// fonts' ascents, both aligned at the top.
QHBoxLayout* onBaseline(ElidedText* large, ElidedText* words, int spacing) {
  words->setContentsMargins(
      0,
      static_cast<int>(std::lround(QFontMetricsF(large->runs().front().font).ascent() -
                                   QFontMetricsF(words->runs().front().font).ascent())),
      0, 0);
  auto* row = new QHBoxLayout;
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(spacing);
  row->addWidget(large, 0, Qt::AlignTop);
  row->addWidget(words, 0, Qt::AlignTop);
  row->addStretch(1);
  return row;
}

}  // namespace

Date TodaySection::stripStart(const AppModel::Today& today, Date now) {
  Date first = now;
  if (!today.spans.empty()) {
    first = today.spans.front().start;
  } else if (!today.prompts.empty()) {
    first = today.prompts.front();
  }
  const Date candidate = std::min(first, now - kLookBack);
  if (!candidate.isFinite()) return candidate;
  // The hour is the local one: a zone half an hour off UTC starts its hours at half past.
  const auto unixSeconds = static_cast<qint64>(std::floor(candidate.unixTime()));
  const int offset = QDateTime::fromSecsSinceEpoch(unixSeconds).offsetFromUtc();
  const Duration local = candidate.unixTime() + offset;
  const Duration hourStart = std::floor(local / kSecondsPerHour) * kSecondsPerHour;
  return Date{hourStart - offset - Date::kUnixOffset};
}

TodaySection::TodaySection(const AppModel::Today& today, Date now, QWidget* parent)
    : QWidget(parent),
      start_(stripStart(today, now)),
      caption_(fixedText({}, QB::Font::caption(), QB::textFaint)) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  auto* header = new QHBoxLayout;
  header->addWidget(fixedText(QStringLiteral("Today"), QB::Font::caption(), QB::textMuted));
  header->addStretch(1);
  header->addWidget(caption_);
  column->addLayout(header);
  showCaption(std::nullopt);

  if (today.spans.empty() && today.prompts.empty()) {
    column->addSpacing(kEmptyTop);
    column->addWidget(
        new Lede(QStringLiteral("Nothing counted yet today. Focus time adds up once "
                                "Quillbrook sees you working.")));
    return;
  }

  column->addSpacing(kFocusTop);
  focus_ = fixedText(Format::duration(total(today, History::Kind::focus)),
                     figureFont(kFocusPixels, kFocusTracking), QB::Hue::focus);
  column->addLayout(
      onBaseline(focus_, fixedText(QStringLiteral("focus (est.)"), QB::Font::body(), QB::textMuted),
                 kFocusSpacing));

  column->addSpacing(kStripTop);
  strip_ = new DayStrip(today.spans, today.prompts, start_, now);
  connect(strip_, &DayStrip::hoveredChanged, this, &TodaySection::showCaption);
  column->addWidget(strip_);

  column->addSpacing(kFiguresTop);
  auto* figures = new QHBoxLayout;
  figures->setSpacing(kFiguresSpacing);
  const auto add = [&](const QString& label, const QString& value, const QColor& hue) {
    figures->addWidget(new Figure(label, value, hue), 0, Qt::AlignTop);
    figures_ << label;
  };
  const auto addTime = [&](const QString& label, History::Kind kind, const QColor& hue,
                           bool always) {
    const Duration seconds = total(today, kind);
    if (always || seconds > 0) add(label, Format::duration(seconds), hue);
  };
  addTime(QStringLiteral("Detours (est.)"), History::Kind::detour, QB::Hue::detour, true);
  addTime(QStringLiteral("Breaks"), History::Kind::breakTime, QB::Hue::breakTime, false);
  addTime(QStringLiteral("Away (est.)"), History::Kind::away, QB::textMuted, false);
  addTime(QStringLiteral("Paused"), History::Kind::paused, QB::textMuted, false);
  add(QStringLiteral("Prompts"), QString::number(today.prompts.size()), QB::Hue::detour);
  figures->addStretch(1);
  column->addLayout(figures);
}

QString TodaySection::caption() const { return caption_->text(); }

QString TodaySection::focus() const { return focus_ != nullptr ? focus_->text() : QString(); }

QStringList TodaySection::figures() const { return figures_; }

void TodaySection::showCaption(const std::optional<QString>& hovered) {
  caption_->setRuns({{hovered.value_or(Format::timeOfDay(start_) + QStringLiteral(" to now")),
                      QB::Font::caption(), QB::textFaint}});
}

StretchFigure::StretchFigure(AppModel::Today today, bool live, const WallClock& clock,
                             QWidget* parent)
    : QWidget(parent),
      today_(std::move(today)),
      live_(live),
      clock_(clock),
      title_(fixedText({}, QB::Font::caption(), QB::textFaint)),
      row_(new QWidget),
      value_(fixedText({}, figureFont(kValuePixels, kValueTracking), QB::Hue::focus)),
      start_(fixedText({}, QB::Font::body(), QB::textMuted)),
      longest_(fixedText({}, QB::Font::caption(), QB::textMuted)) {
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(kSpacing);
  column->addWidget(title_);
  auto* row = onBaseline(value_, start_, kRowSpacing);
  row_->setLayout(row);
  column->addWidget(row_);
  column->addWidget(longest_);

  minute_.setSingleShot(true);
  connect(&minute_, &QTimer::timeout, this, &StretchFigure::redraw);
  redraw();
}

StretchFigure::Texts StretchFigure::texts(Date at) const {
  const std::optional<History::Span> running = live_ ? current(today_, at) : std::nullopt;
  const std::optional<History::Span> best = longest(today_);
  Texts texts;
  texts.title = running ? QStringLiteral("This stretch") : QStringLiteral("Longest stretch today");
  if (running) {
    texts.value = Format::duration(at.since(running->start));
    texts.start = QStringLiteral("since ") + Format::timeOfDay(running->start);
  } else if (best) {
    texts.value = Format::duration(best->end.since(best->start));
    texts.start = QStringLiteral("from ") + Format::timeOfDay(best->start);
  }
  if (running && best) {
    const Duration length = best->end.since(best->start);
    if (at.since(running->start) + kLongestMargin < length) {
      texts.longest = QStringLiteral("Longest today ") + Format::duration(length);
    }
  }
  return texts;
}

void StretchFigure::redraw() {
  const Date now = clock_.now();
  shown_ = texts(now);
  title_->setRuns({{shown_.title, QB::Font::caption(), QB::textFaint}});
  value_->setRuns({{shown_.value, value_->runs().front().font, QB::Hue::focus}});
  start_->setRuns({{shown_.start, QB::Font::body(), QB::textMuted}});
  longest_->setRuns({{shown_.longest, QB::Font::caption(), QB::textMuted}});
  row_->setVisible(!shown_.value.isEmpty());
  longest_->setVisible(!shown_.longest.isEmpty());
  // The next redraw at the start of the next minute of the clock.
  const Duration intoMinute = std::fmod(now.unixTime(), kSecondsPerMinute);
  const Duration wait = kSecondsPerMinute - (std::isfinite(intoMinute) ? intoMinute : 0);
  minute_.start(static_cast<int>(std::ceil(wait * kMillisecondsPerSecond)));
}

}  // namespace qb
