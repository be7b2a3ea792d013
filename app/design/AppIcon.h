// AppIcon: another application's icon, square, stretched to `size` pixels with smooth scaling.
//
// The icon is found by image(): first from the running process, then from the desktop-file id,
// then the generic picture of an application, so that some image always shows. The widget looks
// it up when made and when given another application, and keeps no table of icons: an icon that
// changes on disk shows the next time a page makes its AppIcon.

#pragma once

#include <sys/types.h>

#include <QIcon>
#include <QString>
#include <QWidget>

namespace qb {

class DesktopEntries;

class AppIcon : public QWidget {
  Q_OBJECT

public:
  // bundleID: a desktop-file id ("firefox-esr"); pid: a running process, below 1 for none;
  // size: the side of the square, in pixels.
  AppIcon(QString bundleID, pid_t pid, qreal size, QWidget* parent = nullptr);

  // Shows another application's icon.
  void setApplication(QString bundleID, pid_t pid);
  const QString& bundleID() const { return bundleID_; }
  pid_t pid() const { return pid_; }
  qreal iconSize() const { return size_; }

  // The first of these that gives an image: the icon of the installed entry whose program is
  // the process's executable (when pid is 1 or more and the process still runs); the icon of the
  // entry whose id is bundleID; the theme's generic executable icon, else the program's own
  // picture of an application. An entry's icon is a theme icon's name or an absolute path to an
  // image file; one that names nothing readable counts as none. Never a null icon.
  //
  // The entries are those installed on this desktop, read again when their folders change.
  // Main thread only.
  static QIcon image(const QString& bundleID, pid_t pid);
  // The same among `entries`.
  static QIcon image(const QString& bundleID, pid_t pid, const DesktopEntries& entries);

  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  QString bundleID_;
  pid_t pid_;
  qreal size_;
  QIcon icon_;  // what image() gave for bundleID_ and pid_
};

}  // namespace qb
