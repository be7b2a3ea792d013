#include "context/DailyQuestion.h"

#include "analysis/ActivityHead.h"
#include "context/RecordInput.h"

namespace qb {

void DailyQuestion::add(const Moment& moment, Duration seconds, Date at, const Calendar& calendar) {
  if (!allFinite(seconds, at)) return logRefused("DailyQuestion::add");
  const Date today = calendar.startOfDay(at);
  if (day_ != today) {
    day_ = today;
    pages_.clear();
  }
  Page& page = pages_[ActivityHead::text(moment)];
  page.moment = moment;
  page.seconds = seconds + page.seconds;
}

std::optional<DailyQuestion::Page> DailyQuestion::question(Date at,
                                                           const Calendar& calendar) const {
  const Date today = calendar.startOfDay(at);
  if (day_ != today) return std::nullopt;
  if (answered == today) return std::nullopt;
  const Page* best = nullptr;
  // Key order: among equal totals the first key wins, because only a strictly greater total
  // replaces the best so far.
  for (const auto& [key, page] : pages_) {
    if (!(page.seconds >= minimum)) continue;
    if (best == nullptr || page.seconds > best->seconds) best = &page;
  }
  if (best == nullptr) return std::nullopt;
  return *best;
}

void DailyQuestion::answer(Date at, const Calendar& calendar) {
  if (!at.isFinite()) return logRefused("DailyQuestion::answer");
  answered = calendar.startOfDay(at);
}

void DailyQuestion::reset() {
  pages_.clear();
  day_.reset();
}

}  // namespace qb
