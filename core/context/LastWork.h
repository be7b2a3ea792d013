// LastWork: the page to send the user back to when they have drifted from their work.
//
// It answers the last work page on which the user stayed at least `minimum` seconds in one run, or,
// until there is one, the work page whose run has been the longest so far. A run is an unbroken
// sequence of work pages in front whose Moment::scope() values are equal (compared exactly), so
// within one site or application the remembered page follows the user from page to page while the
// run's start is kept; a page of another scope starts a new run, and a page that is not work ends
// the run without forgetting what was remembered.
//
// Once a page has stayed, `page()` only ever moves to a later page that stayed; the longest run no
// longer matters. Nothing resets the value: a caller that wants to forget assigns LastWork{}.
//
// Item is an opaque value of the caller's choice (the coordinator's snapshot with the window and
// tab to bring back), copied whole. A plain value with no clock: time comes in as `at`. Not
// thread-safe; used on one thread.

#pragma once

#include <optional>
#include <utility>

#include "analysis/Moment.h"
#include "base/Date.h"

namespace qb {

template <typename Item>
class LastWork {
public:
  // The least stay, in seconds, that makes a page the one to return to; a run of exactly this
  // length counts.
  static constexpr Duration minimum = 60;

  struct Page {
    Item item;
    Moment moment;
    friend bool operator==(const Page&, const Page&) = default;
  };

  LastWork() = default;

  // Reports the page now in front. The run of the page that was in front until now is measured
  // first, so its time up to `at` still counts for it.
  void front(Item item, Moment moment, bool isWork, Date at) {
    tick(at);
    if (!isWork) {
      candidate_.reset();
      return;
    }
    Date since = at;
    if (candidate_ && candidate_->page.moment.scope() == moment.scope()) since = candidate_->since;
    candidate_ = Candidate{Page{std::move(item), std::move(moment)}, since};
    // A run already long enough makes the newest page of it the one that stayed at once.
    tick(at);
  }

  // Promotes the page in front to `stayed` once its run reaches `minimum`, else measures it
  // against the longest run while nothing has stayed.
  void tick(Date at) {
    if (!candidate_) return;
    const Duration elapsed = at.since(candidate_->since);
    if (elapsed >= minimum) {
      stayed_ = candidate_->page;
      return;
    }
    if (stayed_) return;
    // An equal length replaces, so the newer page wins a tie. A negative run (the clock moved
    // back) or a NaN one never starts a longest run; the NaN also never replaces one.
    if ((!longest_ && elapsed >= 0) || (longest_ && longest_->seconds <= elapsed)) {
      longest_ = Longest{candidate_->page, elapsed};
    }
  }

  // The page that stayed, else the page of the longest run, else absent.
  std::optional<Page> page() const {
    if (stayed_) return stayed_;
    if (longest_) return longest_->page;
    return std::nullopt;
  }

private:
  struct Longest {
    Page page;
    Duration seconds = 0;
  };
  struct Candidate {
    Page page;
    Date since;  // when the current run on this page's scope began
  };

  std::optional<Page> stayed_;
  std::optional<Longest> longest_;
  std::optional<Candidate> candidate_;
};

}  // namespace qb
