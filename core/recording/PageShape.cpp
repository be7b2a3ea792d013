#include "recording/PageShape.h"

#include "base/Json.h"

namespace qb {

Json PageShape::toJson() const {
  return Json{{"links", links}, {"headings", headings}, {"images", images},      {"fields", fields},
              {"chars", chars}, {"nodes", nodes},       {"truncated", truncated}};
}

PageShape PageShape::fromJson(const Json& json) {
  return PageShape{json::require<int64_t>(json, "links"),  json::require<int64_t>(json, "headings"),
                   json::require<int64_t>(json, "images"), json::require<int64_t>(json, "fields"),
                   json::require<int64_t>(json, "chars"),  json::require<int64_t>(json, "nodes"),
                   json::require<bool>(json, "truncated")};
}

}  // namespace qb
