// PromptOutcome: how a prompt ended, and the label that ending gives the drift before it.

#pragma once

#include <optional>
#include <string_view>

namespace qb {

enum class PromptOutcome { back, related, breakTime, dismiss, ignored, never };

// "back", "related", "break", "dismiss", "ignored" or "never": prompts.outcome.
std::string_view rawValue(PromptOutcome outcome);
// The outcome whose raw value is exactly text (case-sensitive); absent for any other text.
std::optional<PromptOutcome> parsePromptOutcome(std::string_view text);
// The label of the prompt's drift range: "distraction" for back, "work" for related and never,
// "continued" for dismiss and ignored; absent for breakTime, which labels nothing.
std::optional<std::string_view> label(PromptOutcome outcome);

}  // namespace qb
