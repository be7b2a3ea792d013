#include "shell/SelectedPage.h"

#include <QVBoxLayout>

#include "shell/ActivityPage.h"
#include "shell/HomePage.h"
#include "shell/Navigation.h"
#include "shell/PageChrome.h"
#include "shell/SettingsPage.h"
#include "shell/SitesPage.h"

namespace qb {

namespace {

QWidget* homePage(AppModel& model, Navigation& navigation) {
  return new HomePage(model, navigation);
}
QWidget* activityPage(AppModel& model, Navigation& navigation) {
  return new ActivityPage(model, navigation);
}
QWidget* sitesPage(AppModel& model, Navigation& navigation) {
  return new SitesPage(model, navigation);
}
QWidget* settingsPage(AppModel& model, Navigation& navigation) {
  return new SettingsPage(model, navigation);
}

}  // namespace

QWidget* SelectedPage::makePageView(AppPage page, AppModel& model, Navigation& navigation) {
  QWidget* view = nullptr;
  switch (page) {
    case AppPage::home:
      view = homePage(model, navigation);
      break;
    case AppPage::activity:
      view = activityPage(model, navigation);
      break;
    case AppPage::sites:
      view = sitesPage(model, navigation);
      break;
    case AppPage::settings:
      view = settingsPage(model, navigation);
      break;
  }
  if (view == nullptr) view = new Page;  // a value outside the enumeration
  // Named by its page, so that whoever reads the window (a test, a screen reader's tree) can
  // tell which page it is.
  view->setObjectName(QString::fromUtf8(rawValue(page)));
  return view;
}

SelectedPage::SelectedPage(AppModel& model, Navigation& navigation, QWidget* parent)
    : QWidget(parent), model_(model), navigation_(navigation) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  showPage(navigation.page());
  connect(&navigation, &Navigation::pageChanged, this, &SelectedPage::showPage);
}

void SelectedPage::showPage(AppPage page) {
  if (pageView_ != nullptr) {
    // The old view may be what asked for the change (a link to another page): it is taken out at
    // once and destroyed only once its own event handling has returned.
    layout()->removeWidget(pageView_);
    pageView_->hide();
    pageView_->setParent(nullptr);
    pageView_->deleteLater();
  }
  pageView_ = makePageView(page, model_, navigation_);
  layout()->addWidget(pageView_);
}

}  // namespace qb
