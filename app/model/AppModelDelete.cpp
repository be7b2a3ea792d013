// Deleting all data: what the program has learned and logged about the user goes, on disk and in
// memory, while the settings and the running parts stay.

#include "analysis/PersonalStore.h"
#include "model/AppModel.h"
#include "recording/EventStore.h"
#include "sensing/Prefs.h"

namespace qb {

void AppModel::deleteAllData() {
  if (store_) store_->deleteAll();
  policy_ = Policy(policy_.config);
  analyses_.clear();
  cache_.clear();
  skipped_.clear();
  removeMemoryFiles();
  // Answers still being learned must not be stored after the store is emptied.
  ++answersEpoch_;
  whenReady(personal_->reset(), [this] { refreshAnswers(); });
  daily_.reset();
  assign(question_, std::optional<DailyQuestion::Page>(), Property::question);
  deleteRecording();
  forgetShared();
  updateContext();
  refreshRecap();
}

}  // namespace qb
