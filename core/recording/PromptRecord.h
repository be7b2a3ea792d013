// PromptRecord: one shown prompt, made field by field by the coordinator when it shows the panel.

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Date.h"

namespace qb {

struct PromptRecord {
  std::string id;                // prompts.id: the text form of a new random UUID
  uint64_t moment = 0;           // prompts.moment: the moment the prompt is about
  Date shownAt;                  // prompts.shown_at
  Date driftStart;               // prompts.drift_start: shownAt minus the drift
  std::string driver;            // prompts.driver: "overlay"
  std::string title;             // prompts.title: the headline, "Back to ...?"
  std::string line;              // prompts.line: the explanatory line
  std::vector<std::string> why;  // prompts.why (JSON list): the page's full title, then the line

  friend bool operator==(const PromptRecord&, const PromptRecord&) = default;
};

}  // namespace qb
