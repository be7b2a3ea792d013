#include "base/Regex.h"

#include <unicode/parseerr.h>
#include <unicode/regex.h>
#include <unicode/unistr.h>
#include <unicode/utext.h>

#include <cstdint>

#include "base/Error.h"
#include "base/Text.h"
#include "base/Utf8Text.h"

namespace qb {

namespace {

// The engine counts its work in ticks of 10,000 backtracking state saves. 1,000 ticks (ten
// million saves, about 0.2 s on a desktop CPU) is orders of magnitude more than any pattern of
// ours needs on a page of text, and stops exponential backtracking before a user would notice.
constexpr int32_t kMatchTimeLimit = 1000;
// Backtracking memory per match operation: ICU's own default, stated here so it cannot change
// under us. Patterns that push a state per character stay below it on texts of ~100 kB.
constexpr int32_t kMatchStackLimit = 8 * 1000 * 1000;

[[noreturn]] void fail(long code, const std::string& what, UErrorCode status) {
  throw Error(Regex::kErrorDomain, code, what + ": " + u_errorName(status));
}

void checkMatch(UErrorCode status) {
  if (U_SUCCESS(status)) return;
  if (status == U_REGEX_TIME_OUT || status == U_REGEX_STACK_OVERFLOW) {
    fail(Regex::kLimitCode, "match exceeded the engine's limit", status);
  }
  fail(Regex::kLibraryCode, "match failed", status);
}

Regex::Range range(int64_t begin, int64_t end) {
  return {static_cast<size_t>(begin), static_cast<size_t>(end)};
}

// One match operation over one text. A RegexMatcher holds the state of a match, so each call
// makes its own and the shared pattern is only ever read. Making one costs a few allocations,
// a few percent of matching even a short window title, so a per-thread cache would not pay.
class MatchSession {
public:
  MatchSession(const icu::RegexPattern& pattern, std::string_view text)
      : text_(text.empty() || text::isValidUtf8(text) ? text : repair(text)),
        utext_(text_, opened_) {
    if (U_FAILURE(opened_)) fail(Regex::kLibraryCode, "cannot open text", opened_);
    UErrorCode status = U_ZERO_ERROR;
    matcher_.reset(pattern.matcher(status));
    if (U_FAILURE(status)) fail(Regex::kLibraryCode, "cannot create a matcher", status);
    matcher_->setTimeLimit(kMatchTimeLimit, status);
    matcher_->setStackLimit(kMatchStackLimit, status);
    if (U_FAILURE(status)) fail(Regex::kLibraryCode, "cannot limit the matcher", status);
    matcher_->reset(utext_.get());
  }

  // The text matched: the text given, or its repair.
  std::string_view text() const { return text_; }
  icu::RegexMatcher& matcher() { return *matcher_; }

  bool find() {
    UErrorCode status = U_ZERO_ERROR;
    const bool found = matcher_->find(status);
    checkMatch(status);
    return found;
  }

  bool matches() {
    UErrorCode status = U_ZERO_ERROR;
    const bool found = matcher_->matches(status);
    checkMatch(status);
    return found;
  }

  Regex::Range current() {
    UErrorCode status = U_ZERO_ERROR;
    const Regex::Range r = range(matcher_->start64(status), matcher_->end64(status));
    checkMatch(status);
    return r;
  }

  Regex::Match currentMatch() {
    Regex::Match match{current(), {}};
    const int32_t groups = matcher_->groupCount();
    match.groups.reserve(static_cast<size_t>(groups));
    for (int32_t g = 1; g <= groups; ++g) {
      UErrorCode status = U_ZERO_ERROR;
      const int64_t begin = matcher_->start64(g, status);
      const int64_t end = matcher_->end64(g, status);
      checkMatch(status);
      if (begin < 0) {
        match.groups.emplace_back();  // the group took no part in the match
      } else {
        match.groups.emplace_back(range(begin, end));
      }
    }
    return match;
  }

private:
  std::string_view repair(std::string_view text) {
    repaired_ = text::repairUtf8(text);
    return repaired_;
  }

  std::string repaired_;  // declared first: text_ may view it
  std::string_view text_;
  UErrorCode opened_ = U_ZERO_ERROR;  // declared before utext_, which sets it
  Utf8Text utext_;
  std::unique_ptr<icu::RegexMatcher> matcher_;
};

}  // namespace

struct Regex::Compiled {
  // The compiled pattern keeps referring to the bytes it was compiled from, so they live here,
  // declared before the pattern so that they outlive it.
  std::string source;
  std::unique_ptr<icu::RegexPattern> pattern;
};

Regex::Regex(std::string_view pattern)
    : pattern_(pattern), compiled_(std::make_unique<Compiled>()) {
  if (!text::isValidUtf8(pattern)) {
    throw Error(kErrorDomain, kSyntaxCode, "pattern is not valid UTF-8");
  }
  compiled_->source = pattern_;
  UErrorCode status = U_ZERO_ERROR;
  Utf8Text source(compiled_->source, status);
  UParseError where{};
  compiled_->pattern.reset(icu::RegexPattern::compile(source.get(), 0, where, status));
  if (U_FAILURE(status)) {
    throw Error(kErrorDomain, kSyntaxCode,
                "cannot compile \"" + pattern_ + "\": " + u_errorName(status) + " at offset " +
                    std::to_string(where.offset));
  }
}

Regex::~Regex() = default;
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;

std::optional<Regex::Match> Regex::firstMatch(std::string_view text) const {
  MatchSession session(*compiled_->pattern, text);
  if (!session.find()) return std::nullopt;
  return session.currentMatch();
}

std::vector<Regex::Match> Regex::allMatches(std::string_view text) const {
  MatchSession session(*compiled_->pattern, text);
  std::vector<Match> out;
  // After an empty match ICU's find() resumes one scalar further on, so this always ends.
  while (session.find()) out.push_back(session.currentMatch());
  return out;
}

std::optional<Regex::Match> Regex::wholeMatch(std::string_view text) const {
  MatchSession session(*compiled_->pattern, text);
  if (!session.matches()) return std::nullopt;
  return session.currentMatch();
}

std::string Regex::replaceAll(std::string_view text, std::string_view replacement) const {
  if (replacement.size() > text::kMaxLength) {
    throw Error(kErrorDomain, kReplacementCode, "replacement template too long");
  }
  MatchSession session(*compiled_->pattern, text);
  // ICU expands templates into UTF-16 only; the text goes through UTF-16 and back unchanged.
  const icu::UnicodeString templ = icu::UnicodeString::fromUTF8(
      icu::StringPiece(replacement.data(), static_cast<int32_t>(replacement.size())));
  icu::UnicodeString out;
  while (session.find()) {
    UErrorCode status = U_ZERO_ERROR;
    session.matcher().appendReplacement(out, templ, status);
    if (U_FAILURE(status)) {
      fail(kReplacementCode, "cannot expand \"" + std::string(replacement) + "\"", status);
    }
  }
  session.matcher().appendTail(out);
  std::string result;
  out.toUTF8String(result);
  return result;
}

std::string Regex::removeAll(std::string_view text) const {
  MatchSession session(*compiled_->pattern, text);
  const std::string_view matched = session.text();
  std::string out;
  size_t kept = 0;
  while (session.find()) {
    const Range r = session.current();
    out.append(matched.substr(kept, r.begin - kept));
    kept = r.end;
  }
  out.append(matched.substr(kept));
  return out;
}

std::vector<std::string> Regex::split(std::string_view text) const {
  MatchSession session(*compiled_->pattern, text);
  const std::string_view matched = session.text();
  std::vector<std::string> pieces;
  size_t begin = 0;
  while (session.find()) {
    const Range r = session.current();
    pieces.emplace_back(matched.substr(begin, r.begin - begin));
    begin = r.end;
  }
  pieces.emplace_back(matched.substr(begin));
  return pieces;
}

}  // namespace qb
