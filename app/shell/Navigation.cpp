#include "shell/Navigation.h"

namespace qb {

Navigation::Navigation(QObject* parent) : QObject(parent) {}

void Navigation::setPage(AppPage page) {
  if (page == page_) return;
  page_ = page;
  emit pageChanged(page_);
}

}  // namespace qb
