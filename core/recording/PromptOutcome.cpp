#include "recording/PromptOutcome.h"

#include <array>

namespace qb {
namespace {

constexpr std::array kOutcomes = {PromptOutcome::back,      PromptOutcome::related,
                                  PromptOutcome::breakTime, PromptOutcome::dismiss,
                                  PromptOutcome::ignored,   PromptOutcome::never};

}  // namespace

std::string_view rawValue(PromptOutcome outcome) {
  switch (outcome) {
    case PromptOutcome::back:
      return "back";
    case PromptOutcome::related:
      return "related";
    case PromptOutcome::breakTime:
      return "break";
    case PromptOutcome::dismiss:
      return "dismiss";
    case PromptOutcome::ignored:
      return "ignored";
    case PromptOutcome::never:
      return "never";
  }
  return "ignored";
}

std::optional<PromptOutcome> parsePromptOutcome(std::string_view text) {
  for (PromptOutcome outcome : kOutcomes) {
    if (rawValue(outcome) == text) return outcome;
  }
  return std::nullopt;
}

std::optional<std::string_view> label(PromptOutcome outcome) {
  switch (outcome) {
    case PromptOutcome::back:
      return "distraction";
    case PromptOutcome::related:
    case PromptOutcome::never:
      return "work";
    case PromptOutcome::dismiss:
    case PromptOutcome::ignored:
      return "continued";
    case PromptOutcome::breakTime:
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace qb
