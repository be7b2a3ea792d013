#include "design/AppIcon.h"

#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <cmath>
#include <optional>
#include <string>

#include "design/QB.h"
#include "design/Symbols.h"
#include "platform/DesktopEntries.h"

namespace qb {

namespace {

// The icon themes' name for a program without an icon of its own.
const QString kGenericThemeIcon = QStringLiteral("application-x-executable");

// The desktop's entries, read once and again only when their folders change. Never destroyed:
// a page may still be asked for an icon while the program exits.
const DesktopEntries& installedEntries() {
  static const DesktopEntries* entries = new DesktopEntries();
  return *entries;
}

// An entry's Icon value as an icon; null when it names nothing that can be shown.
QIcon iconOfEntry(const std::optional<std::string>& value) {
  if (!value || value->empty()) return {};
  const QString name = QString::fromStdString(*value);
  if (QDir::isAbsolutePath(name)) return QImageReader(name).canRead() ? QIcon(name) : QIcon();
  return QIcon::hasThemeIcon(name) ? QIcon::fromTheme(name) : QIcon();
}

QIcon genericApplication() {
  if (QIcon::hasThemeIcon(kGenericThemeIcon)) return QIcon::fromTheme(kGenericThemeIcon);
  return Symbols::icon(Symbols::kApplication, QB::textMuted);
}

}  // namespace

AppIcon::AppIcon(QString bundleID, pid_t pid, qreal size, QWidget* parent)
    : QWidget(parent), size_(size) {
  const int side = static_cast<int>(std::ceil(size_));
  setFixedSize(side, side);
  setApplication(std::move(bundleID), pid);
}

void AppIcon::setApplication(QString bundleID, pid_t pid) {
  bundleID_ = std::move(bundleID);
  pid_ = pid;
  icon_ = image(bundleID_, pid_);
  update();
}

QIcon AppIcon::image(const QString& bundleID, pid_t pid) {
  return image(bundleID, pid, installedEntries());
}

QIcon AppIcon::image(const QString& bundleID, pid_t pid, const DesktopEntries& entries) {
  if (pid >= 1) {
    const std::vector<std::string> programs = DesktopEntries::programsOf(pid);
    if (!programs.empty()) {
      // With no window class to go by, the entry is found by its program alone.
      const auto id =
          entries.applicationID({.instance = {}, .className = {}, .programs = programs});
      if (id) {
        if (QIcon icon = iconOfEntry(entries.icon(*id)); !icon.isNull()) return icon;
      }
    }
  }
  if (QIcon icon = iconOfEntry(entries.icon(bundleID.toStdString())); !icon.isNull()) return icon;
  return genericApplication();
}

QSize AppIcon::sizeHint() const { return size(); }

void AppIcon::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const QRectF frame(0, 0, size_, size_);
  const int side = static_cast<int>(std::ceil(size_));
  const QPixmap pixmap = icon_.pixmap(QSize(side, side), devicePixelRatioF());
  if (!pixmap.isNull()) painter.drawPixmap(frame, pixmap, QRectF(pixmap.rect()));
}

}  // namespace qb
