// PageShape: what a read of a page's on-screen text counted, stored beside the text.
//
// Saved form (moments.page_shape): one object with exactly the keys "links", "headings", "images",
// "fields", "chars", "nodes" (integers) and "truncated" (a boolean), every key always written.
// Decoding requires all seven: a missing or mistyped key throws qb::Error (decoding domain).

#pragma once

#include <cstdint>

#include "base/JsonFwd.h"

namespace qb {

struct PageShape {
  int64_t links = 0;
  int64_t headings = 0;
  int64_t images = 0;
  int64_t fields = 0;
  int64_t chars = 0;
  int64_t nodes = 0;
  bool truncated = false;  // the read stopped at one of its budgets

  Json toJson() const;
  static PageShape fromJson(const Json& json);

  friend bool operator==(const PageShape&, const PageShape&) = default;
};

}  // namespace qb
