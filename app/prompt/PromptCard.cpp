#include "prompt/PromptCard.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

#include "design/QB.h"
#include "design/QBButtonBody.h"
#include "prompt/QBMaterial.h"
#include "sensing/Prefs.h"

namespace qb {

namespace {

// The glyph on the main answer's keycap: the key that gives it.
const QString kReturnGlyph = QStringLiteral("\u21A9");

QLabel* textLabel(const QString& text, const QFont& font, const QColor& color) {
  auto* label = new QLabel(text);
  label->setFont(font);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, color);
  label->setPalette(palette);
  return label;
}

// A button that is only its text: "Never on …" under the answers.
class PlainButton : public QAbstractButton {
public:
  explicit PlainButton(const QString& text) {
    setText(text);
    setFont(QB::Font::caption());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  }
  QSize sizeHint() const override {
    return fontMetrics().size(Qt::TextSingleLine, text()).grownBy(QMargins(0, 0, 1, 0));
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(QB::textFaint);
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, text());
  }
};

}  // namespace

QString PromptCard::title(const PromptContent& content) {
  if (content.context) return "Back to " + QString::fromStdString(*content.context) + "?";
  return QStringLiteral("Back to work?");
}

PromptCard::PromptCard(PromptContent content, PromptHandler act, QWidget* parent)
    : QWidget(parent) {
  setFixedWidth(kWidth);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
  column->setSpacing(0);

  auto* header = new QHBoxLayout;
  header->setSpacing(kHeaderSpacing);
  QPixmap icon;
  if (content.icon && icon.loadFromData(*content.icon)) {
    auto* image = new QLabel;
    image->setPixmap(icon);
    image->setScaledContents(true);
    image->setFixedSize(kIconSide, kIconSide);
    header->addWidget(image, 0, Qt::AlignVCenter);
  }
  auto* titles = new QVBoxLayout;
  titles->setSpacing(kTitleSpacing);
  titles->addWidget(textLabel(title(content), QB::Font::heading(), QB::text));
  titles->addWidget(
      textLabel(QString::fromStdString(content.line), QB::Font::body(), QB::textMuted));
  header->addLayout(titles, 1);
  column->addLayout(header);

  const auto answer = [act](PromptAction action) {
    return [act, action] {
      if (act) act(action);
    };
  };
  column->addSpacing(kAnswersTop);
  back_ = QBButtonStyle{QBButtonStyle::Kind::primary, QBButtonStyle::Size::medium, true}.makeBody(
      tr("Back to work"));
  back_->setKeycap(kReturnGlyph);
  connect(back_, &QAbstractButton::clicked, this, answer(PromptAction::back));
  column->addWidget(back_);
  column->addSpacing(kAnswerSpacing);
  auto* others = new QHBoxLayout;
  others->setSpacing(kAnswerSpacing);
  const QBButtonStyle secondary{QBButtonStyle::Kind::secondary, QBButtonStyle::Size::medium, true};
  QBButtonBody* related = secondary.makeBody(tr("It's for work"));
  QBButtonBody* breakTime =
      secondary.makeBody(tr("Break ") + Prefs::shortLength(content.breakMinutes));
  connect(related, &QAbstractButton::clicked, this, answer(PromptAction::related));
  connect(breakTime, &QAbstractButton::clicked, this, answer(PromptAction::breakTime));
  // Equal stretch: the two share the row evenly whatever their labels.
  others->addWidget(related, 1);
  others->addWidget(breakTime, 1);
  column->addLayout(others);

  if (content.site) {
    column->addSpacing(kNeverTop);
    auto* never = new PlainButton(tr("Never on ") + QString::fromStdString(*content.site));
    connect(never, &QAbstractButton::clicked, this, answer(PromptAction::never));
    column->addWidget(never, 0, Qt::AlignLeft);
  }
}

OverlayView::OverlayView(PromptContent content, PromptHandler act, QWidget* parent)
    : QWidget(parent), act_(act) {
  // Dark whatever the desktop's theme: every colour the card draws comes from the tokens.
  QPalette dark = palette();
  dark.setColor(QPalette::Window, QB::bgOverlay);
  dark.setColor(QPalette::WindowText, QB::text);
  setPalette(dark);
  setFocusPolicy(Qt::StrongFocus);
  card_ = new PromptCard(std::move(content), std::move(act));
  material_ = qbMaterial(card_, PromptCard::kRadius);
  material_->setParent(this);
}

void OverlayView::resizeEvent(QResizeEvent*) {
  // A window smaller than the card still gets the whole card, centred and cut at the window's
  // edges: a layout would squeeze the plate narrower than the card it holds.
  QRect at(QPoint(), material_->sizeHint());
  at.moveCenter(rect().center());
  material_->setGeometry(at);
}

void OverlayView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.fillRect(rect(), QB::scrim);
}

void OverlayView::keyPressEvent(QKeyEvent* event) {
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    if (act_) act_(PromptAction::back);
    return;
  }
  if (plain && event->key() == Qt::Key_Escape) {
    if (act_) act_(PromptAction::dismiss);
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace qb
