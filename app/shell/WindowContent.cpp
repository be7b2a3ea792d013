#include "shell/WindowContent.h"

#include <QHBoxLayout>

#include "design/QB.h"
#include "shell/PageChrome.h"
#include "shell/SelectedPage.h"
#include "shell/Sidebar.h"

namespace qb {

WindowContent::WindowContent(AppModel& model, Navigation& navigation, QWidget* parent)
    : QWidget(parent),
      sidebar_(new Sidebar(navigation)),
      selectedPage_(new SelectedPage(model, navigation)) {
  fillBackground(*this, QB::bgBase);

  auto* divider = new QWidget;
  divider->setFixedWidth(kDividerWidth);
  fillBackground(*divider, QB::separator);

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  row->addWidget(sidebar_);
  row->addWidget(divider);
  row->addWidget(selectedPage_, 1);
}

}  // namespace qb
