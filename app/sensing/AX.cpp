#include "sensing/AX.h"

#include <QGuiApplication>
#include <QScreen>
#include <deque>
#include <variant>

namespace qb::AX {

namespace {

AXValue read(const AXElement& element, std::string_view attribute) {
  if (!element) return {};
  return element.node()->attribute(attribute);
}

}  // namespace

std::optional<std::string> string(const AXElement& element, std::string_view attribute) {
  AXValue value = read(element, attribute);
  if (auto* text = std::get_if<std::string>(&value)) return std::move(*text);
  return std::nullopt;
}

std::optional<bool> flag(const AXElement& element, std::string_view attribute) {
  AXValue value = read(element, attribute);
  if (const bool* found = std::get_if<bool>(&value)) return *found;
  return std::nullopt;
}

std::optional<TextRange> range(const AXElement& element, std::string_view attribute) {
  AXValue value = read(element, attribute);
  if (const TextRange* found = std::get_if<TextRange>(&value)) return *found;
  return std::nullopt;
}

AXElement element(const AXElement& element, std::string_view attribute) {
  AXValue value = read(element, attribute);
  if (auto* found = std::get_if<AXElement>(&value)) return std::move(*found);
  return {};
}

std::vector<AXElement> children(const AXElement& element) {
  AXValue value = read(element, AXAttribute::children);
  if (auto* list = std::get_if<std::vector<AXElement>>(&value)) return std::move(*list);
  return {};
}

std::optional<Rect> frame(const AXElement& element) {
  const AXValue position = read(element, AXAttribute::position);
  const auto* origin = std::get_if<Point>(&position);
  if (!origin) return std::nullopt;
  const AXValue size = read(element, AXAttribute::size);
  const auto* extent = std::get_if<Size>(&size);
  if (!extent) return std::nullopt;
  return Rect{*origin, *extent};
}

Rect cocoaFrame(const Rect& rect) {
  double height = 0;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
      height = primary->geometry().height();
    }
  }
  return Rect{{rect.minX(), height - rect.maxY()}, rect.size};
}

AXElement find(const AXElement& root, int maxNodes, const Predicate& where) {
  std::deque<AXElement> queue{root};
  for (int budget = std::max(maxNodes, 0); !queue.empty() && budget > 0; --budget) {
    AXElement next = std::move(queue.front());
    queue.pop_front();
    const std::string role = string(next, AXAttribute::role).value_or("");
    if (where(next, role)) return next;
    if (role != AXRole::webArea) {
      for (AXElement& child : children(next)) queue.push_back(std::move(child));
    }
  }
  return {};
}

}  // namespace qb::AX
