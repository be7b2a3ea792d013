// SelectedPage: the main window's page area. It shows the view of the navigation's page and
// follows the navigation: each change of page makes that page's view afresh, so whatever the
// user left on a page (typed text, open confirmations, scroll position) starts over the next
// time the page is selected. The model and the navigation must outlive the view.
//
// Main thread only.

#pragma once

#include <QWidget>

#include "shell/AppPage.h"

namespace qb {

class AppModel;
class Navigation;

class SelectedPage : public QWidget {
  Q_OBJECT

public:
  SelectedPage(AppModel& model, Navigation& navigation, QWidget* parent = nullptr);

  // The view of the page shown now.
  QWidget* pageView() const { return pageView_; }

  // A new view of the page, reading the model; pages that link to others change `navigation`.
  static QWidget* makePageView(AppPage page, AppModel& model, Navigation& navigation);

private:
  void showPage(AppPage page);

  AppModel& model_;
  Navigation& navigation_;
  QWidget* pageView_ = nullptr;  // a child
};

}  // namespace qb
