#include "shell/SelectedPage.h"

#include <QVBoxLayout>

#include "design/QB.h"
#include "shell/Navigation.h"
#include "shell/PageChrome.h"

namespace qb {

namespace {

// The pages' own views are not built yet: until each is, its page shows only its title.
QWidget* titleOnly(AppPage page) {
  auto* heading = new QLabel(QString::fromUtf8(title(page)));
  heading->setFont(QB::Font::heading());
  QPalette palette = heading->palette();
  palette.setColor(QPalette::WindowText, QB::text);
  heading->setPalette(palette);
  auto* view = new Page;
  view->addSection(heading);
  return view;
}

QWidget* homePage(AppModel& /*model*/, Navigation& /*navigation*/) {
  return titleOnly(AppPage::home);
}
QWidget* activityPage(AppModel& /*model*/, Navigation& /*navigation*/) {
  return titleOnly(AppPage::activity);
}
QWidget* sitesPage(AppModel& /*model*/, Navigation& /*navigation*/) {
  return titleOnly(AppPage::sites);
}
QWidget* settingsPage(AppModel& /*model*/, Navigation& /*navigation*/) {
  return titleOnly(AppPage::settings);
}

}  // namespace

QWidget* SelectedPage::makePageView(AppPage page, AppModel& model, Navigation& navigation) {
  switch (page) {
    case AppPage::home:
      return homePage(model, navigation);
    case AppPage::activity:
      return activityPage(model, navigation);
    case AppPage::sites:
      return sitesPage(model, navigation);
    case AppPage::settings:
      return settingsPage(model, navigation);
  }
  return titleOnly(page);
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
