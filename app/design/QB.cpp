#include "design/QB.h"

#include <QGuiApplication>
#include <optional>

namespace qb::QB::Font {

namespace {

// "Regular" passes no weight: the family's own regular face.
QFont make(int pixels, std::optional<QFont::Weight> weight = std::nullopt) {
  QFont font = QGuiApplication::font();
  font.setPixelSize(pixels);
  font.setWeight(weight.value_or(QFont::Normal));
  return font;
}

}  // namespace

const QFont& display() {
  static const QFont font = make(22, QFont::DemiBold);
  return font;
}
const QFont& heading() {
  static const QFont font = make(15, QFont::DemiBold);
  return font;
}
const QFont& body() {
  static const QFont font = make(14);
  return font;
}
const QFont& bodyStrong() {
  static const QFont font = make(14, QFont::Medium);
  return font;
}
const QFont& label() {
  static const QFont font = make(14, QFont::Medium);
  return font;
}
const QFont& labelSmall() {
  static const QFont font = make(13, QFont::Medium);
  return font;
}
const QFont& caption() {
  static const QFont font = make(12);
  return font;
}
const QFont& keycap() {
  static const QFont font = make(11, QFont::Medium);
  return font;
}

}  // namespace qb::QB::Font
