// QBGroup: a titled card of rows, as the pages list their settings and facts. An optional header
// line (a symbol in the group's hue, then the header text, muted, indented kHeaderIndent) sits
// kSpacing above a card with rounded corners filled with the raised background. Without a header
// there is no header line at all, whatever the symbol; the card then starts at the top.
//
// The card has no border, shadow or inner padding: rows (QBRow, with QBSeparator between them)
// bring their own. They stack with no spacing, as wide as the card, and draw over it unclipped.

#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <optional>

class QVBoxLayout;

namespace qb {

class QBGroup : public QWidget {
  Q_OBJECT

public:
  static constexpr int kSpacing = 6;  // header line to card; symbol to header text
  static constexpr int kHeaderIndent = 4;
  static constexpr int kSymbolSize = 11;
  static constexpr qreal kCornerRadius = 12;

  // symbol: a Symbols name, shown before the header in `hue`.
  QBGroup(std::optional<QString> header, std::optional<QString> symbol, QColor hue,
          QWidget* parent = nullptr);

  // Adds a row (or a separator, or any widget) at the end of the card; the group becomes its
  // parent. A row that cannot stretch is centred.
  void addRow(QWidget* row);

  const std::optional<QString>& header() const { return header_; }
  // The card's rectangle, below the header line when there is one.
  QRect cardRect() const;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  int headerHeight() const;
  int cardTop() const;

  std::optional<QString> header_;
  std::optional<QString> symbol_;
  QColor hue_;
  QVBoxLayout* rows_;  // owned by the widget
};

}  // namespace qb
