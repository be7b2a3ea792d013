#include "shell/OnboardingView.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "design/Mark.h"
#include "design/QB.h"
#include "design/QBButtonBody.h"
#include "design/QBGroup.h"
#include "model/AppModel.h"
#include "shell/AccessRows.h"
#include "shell/SharingRow.h"

namespace qb {

namespace {

QLabel* textLabel(const QString& text, QFont font, const QColor& color, int inset = 0) {
  auto* label = new QLabel(text);
  label->setFont(font);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setContentsMargins(inset, 0, 0, 0);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, color);
  label->setPalette(palette);
  return label;
}

// A card without a header, as onboarding lists its rows.
QBGroup* group(QWidget* rows) {
  auto* card = new QBGroup(std::nullopt, std::nullopt, QB::textMuted);
  card->addRow(rows);
  return card;
}

}  // namespace

OnboardingView::OnboardingView(AppModel& model, std::function<void()> test,
                               std::function<void()> start, QWidget* parent)
    : QWidget(parent), model_(model) {
  setFixedWidth(kWidth);
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QB::bgBase);
  setPalette(palette);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
  column->setSpacing(0);

  column->addWidget(new Mark(kMarkSize, true), 0, Qt::AlignLeft);
  column->addSpacing(kTitleSpacing);
  QFont titleFont = QB::Font::display();
  titleFont.setLetterSpacing(QFont::AbsoluteSpacing, kTitleTracking);
  column->addWidget(textLabel(QStringLiteral("Quillbrook"), titleFont, QB::text));
  column->addSpacing(kPromiseSpacing);
  column->addWidget(textLabel(QStringLiteral("Stay on task."), QB::Font::body(), QB::textMuted));
  column->addSpacing(kAccessSpacing);
  column->addWidget(group(new AccessRows(model_)));
  column->addSpacing(kNoteSpacing);
  column->addWidget(textLabel(QStringLiteral("Sees app, window, tab and agent session names."),
                              QB::Font::caption(), QB::textFaint, kNoteInset));

  // The sharing group brings the space above it, so that hiding it leaves no gap.
  sharing_ = new QWidget;
  auto* sharing = new QVBoxLayout(sharing_);
  sharing->setContentsMargins(0, kSharingSpacing, 0, 0);
  sharing->setSpacing(kNoteSpacing);
  sharing->addWidget(group(new SharingRow(model_)));
  sharing->addWidget(
      textLabel(QStringLiteral("Helps improve Quillbrook. Never sends page text, messages or "
                               "passwords."),
                QB::Font::caption(), QB::textFaint, kNoteInset));
  column->addWidget(sharing_);

  column->addSpacing(kButtonsSpacing);
  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(0, 0, 0, 0);
  testButton_ = QBButtonStyle{QBButtonStyle::Kind::secondary, QBButtonStyle::Size::medium}.makeBody(
      QStringLiteral("Test"));
  startButton_ = QBButtonStyle{QBButtonStyle::Kind::primary, QBButtonStyle::Size::medium}.makeBody(
      QStringLiteral("Start"));
  buttons->addWidget(testButton_);
  buttons->addStretch(1);
  buttons->addWidget(startButton_);
  column->addLayout(buttons);

  connect(testButton_, &QAbstractButton::clicked, this, [test = std::move(test)] {
    if (test) test();
  });
  connect(startButton_, &QAbstractButton::clicked, this, [start = std::move(start)] {
    if (start) start();
  });
  connect(&model_, &AppModel::changed, this, [this](AppModel::Property property) {
    if (property == AppModel::Property::accessibility ||
        property == AppModel::Property::sharingAvailable) {
      showState();
    }
  });
  showState();
  setMinimumHeight(sizeHint().height());
}

QSize OnboardingView::sizeHint() const {
  // The notes wrap: the height is the one the content needs at the view's fixed width.
  return {kWidth, layout()->totalHeightForWidth(kWidth)};
}

bool OnboardingView::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  if (event->type() == QEvent::LayoutRequest) setMinimumHeight(sizeHint().height());
  return handled;
}

void OnboardingView::showState() {
  sharing_->setVisible(model_.sharingAvailable());
  startButton_->setEnabled(model_.accessibility());
}

void OnboardingView::showEvent(QShowEvent* event) {
  // Only a show by the program is an appearance; the window system restoring a minimised window
  // is not.
  if (!event->spontaneous()) model_.refreshAutomation();
  QWidget::showEvent(event);
}

void OnboardingView::keyPressEvent(QKeyEvent* event) {
  const bool confirm = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (!confirm || !plain) {
    QWidget::keyPressEvent(event);
    return;
  }
  // Start is the default action, and a disabled one cannot be taken from the keyboard either.
  if (startButton_->isEnabled()) startButton_->click();
}

}  // namespace qb
