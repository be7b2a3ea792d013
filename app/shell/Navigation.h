// Navigation: which page the main window shows. One lives as long as its AppWindow and is shared
// by the window's sidebar and page area, so the page the user chose survives closing and
// reopening the window. Main thread only.

#pragma once

#include <QObject>

#include "shell/AppPage.h"

namespace qb {

class Navigation : public QObject {
  Q_OBJECT

public:
  // Starts on the home page.
  explicit Navigation(QObject* parent = nullptr);

  AppPage page() const { return page_; }
  // Selects the page; selecting the page already shown changes nothing and announces nothing.
  void setPage(AppPage page);

signals:
  void pageChanged(AppPage page);

private:
  AppPage page_ = AppPage::home;
};

}  // namespace qb
